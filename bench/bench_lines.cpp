// Line arithmetic on a 400,000-line page. The search, jump and navigation commands and the key
// handler ask for the line of a position and the start of a line on every use, so both must
// stay cheap however long the page is.
#include "benchapp.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"

#include <QApplication>
#include <QStringList>
#include <benchmark/benchmark.h>

#include <memory>

using namespace tl;

namespace
{

constexpr int kLines = 400000;

// Hand-written HTML and ASP lines of about 40 characters, with blank lines and Japanese text.
QString MakeDocument()
{
    const QStringList patterns = {
        QStringLiteral("<TABLE BORDER=\"1\" WIDTH=\"100%\">"),
        QStringLiteral("  <TR><TD ALIGN=\"right\">%1</TD></TR>"),
        QStringLiteral("<P>\u65E5\u672C\u8A9E\u306E\u6587\u7AE0 %1 \u3067\u3059\u3002</P>"),
        QString(),
        QStringLiteral("<% Set rs = conn.Execute(sql%1) %>"),
        QStringLiteral("\t<IMG SRC=\"img/pic%1.gif\" WIDTH=32>"),
        QStringLiteral("</TABLE>"),
    };
    QString text;
    text.reserve(qsizetype(kLines) * 42);
    for (int i = 0; i < kLines; ++i) {
        if (i > 0)
            text += QStringLiteral("\r\n");
        const QString& p = patterns.at(i % patterns.size());
        text += p.contains(QStringLiteral("%1")) ? p.arg(i) : p;
    }
    return text;
}

struct Editor {
    Document doc;
    MainTextEdit edit{doc};
    cTextBox box{&edit};

    Editor() { box.SetText(MakeDocument()); }
};

// Built once in main(), after the application object and destroyed before it.
Editor* theEditor = nullptr;

// The first argument places the query in the document, in per cent.
int LineFor(const benchmark::State& state)
{
    return 1 + int(qint64(kLines - 1) * state.range(0) / 100);
}

void BM_LineNumberAt(benchmark::State& state)
{
    const cTextBox& box = theEditor->box;
    const int line = LineFor(state);
    const qint64 pos = LineStartPos(box, line) + 3;
    for (auto _ : state) {
        int n = LineNumberAt(box, pos);
        benchmark::DoNotOptimize(n);
    }
    if (LineNumberAt(box, pos) != line)
        state.SkipWithError("wrong line");
}
BENCHMARK(BM_LineNumberAt)->Arg(1)->Arg(50)->Arg(99)->Unit(benchmark::kMicrosecond);

void BM_LineStartPos(benchmark::State& state)
{
    const cTextBox& box = theEditor->box;
    const int line = LineFor(state);
    for (auto _ : state) {
        qint64 pos = LineStartPos(box, line);
        benchmark::DoNotOptimize(pos);
    }
    if (LineNumberAt(box, LineStartPos(box, line)) != line)
        state.SkipWithError("wrong position");
}
BENCHMARK(BM_LineStartPos)->Arg(1)->Arg(50)->Arg(99)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<Editor> editor;
    return tl::bench::RunHeadless(
        argc, argv,
        [&] {
            editor = std::make_unique<Editor>();
            theEditor = editor.get();
        },
        [&] { editor.reset(); });
}
