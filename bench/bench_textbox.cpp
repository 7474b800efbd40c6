// Line and caret queries of the edit box adapter on a 500,000-line document. The main window
// reads TopLine, TotalLine and LineFromChar every 50 ms and on every key stroke, so they must
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

constexpr int kLines = 500000;

// Hand-written HTML and ASP of about 40 characters a line, with blank lines and Japanese text.
QString MakeDocument()
{
    const QStringList patterns = {
        QStringLiteral("<TABLE BORDER=\"1\" WIDTH=\"100%\">"),
        QStringLiteral("  <TR><TD ALIGN=\"right\">%1</TD></TR>"),
        QStringLiteral("<P>\u65E5\u672C\u8A9E\u306E\u6587\u7AE0 %1 \u3067\u3059\u3002</P>"),
        QStringLiteral("<A HREF=\"page%1.htm\">next page</A><BR>"),
        QString(),
        QStringLiteral("<% Set rs = conn.Execute(sql%1) %>"),
        QStringLiteral("\t<IMG SRC=\"img/pic%1.gif\" WIDTH=32>"),
        QStringLiteral("<FONT COLOR=\"#FF0000\">item %1</FONT>&nbsp;"),
        QStringLiteral("</TABLE>"),
    };
    QString text;
    text.reserve(kLines * 42);
    for (int i = 0; i < kLines; ++i) {
        if (i > 0)
            text += QStringLiteral("\r\n");
        const QString& p = patterns.at(i % patterns.size());
        text += p.contains(QStringLiteral("%1")) ? p.arg(i) : p;
    }
    return text;
}

struct Editor {
    tl::Document doc;
    MainTextEdit edit{doc};
    cTextBox box{&edit};

    Editor()
    {
        box.SetText(MakeDocument());
        edit.resize(800, 600);
        edit.show();
        QCoreApplication::processEvents();
    }

    // Caret on the given line (0-based), a few characters in, shown on the first or on the last
    // line of the view. Where it stands in the view matters to the box's own caret bookkeeping.
    void PutCaretOnLine(int line, bool lastInView)
    {
        const qsizetype start = edit.lineStart(line);
        edit.setFirstVisibleLine(lastInView ? 0 : line);
        // Scrolls down just far enough when the line is below the view.
        edit.setCaret(std::min(start + 5, edit.lineEnd(line)));
        QCoreApplication::processEvents();
    }
};

// Built once in main(), after the application object and destroyed before it.
Editor* theEditor = nullptr;

Editor& TheEditor()
{
    return *theEditor;
}

// Line of the caret for the first argument, in per cent of the document.
int LineAt(const benchmark::State& state)
{
    return int(qint64(kLines - 1) * state.range(0) / 100);
}

// Second argument: 1 puts the caret on the last line of the view, 0 on the first.
bool LastInView(const benchmark::State& state)
{
    return state.range(1) != 0;
}

void BM_LineQueries(benchmark::State& state)
{
    Editor& e = TheEditor();
    e.PutCaretOnLine(LineAt(state), LastInView(state));
    for (auto _ : state) {
        int sum = e.box.TopLine() + e.box.TotalLine() + e.box.LineFromChar();
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_LineQueries)->Args({99, 1})->Args({50, 1})->Unit(benchmark::kMicrosecond);

void BM_GetLineText(benchmark::State& state)
{
    Editor& e = TheEditor();
    e.PutCaretOnLine(LineAt(state), LastInView(state));
    for (auto _ : state) {
        QString line = e.box.GetLineText();
        benchmark::DoNotOptimize(line);
    }
}
BENCHMARK(BM_GetLineText)->Args({99, 1})->Args({50, 1})->Unit(benchmark::kMicrosecond);

// The line arithmetic of the adapter: the line of a position and the start of a line.
void BM_LineArithmetic(benchmark::State& state)
{
    Editor& e = TheEditor();
    const int line = LineAt(state) + 1;
    const qint64 pos = LineStartPos(e.box, line);
    for (auto _ : state) {
        qint64 sum = LineNumberAt(e.box, pos) + LineStartPos(e.box, line);
        benchmark::DoNotOptimize(sum);
    }
    if (LineNumberAt(e.box, pos) != line)
        state.SkipWithError("wrong line");
}
BENCHMARK(BM_LineArithmetic)
    ->Args({99, 0})
    ->Args({50, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMicrosecond);

// One typed character and its removal at the caret, as the user types and corrects: two edits
// of the text with the line index, colours, view and undo history kept up to date.
void BM_TypeAndDelete(benchmark::State& state)
{
    Editor& e = TheEditor();
    e.PutCaretOnLine(LineAt(state), LastInView(state));
    const qint64 length = e.box.TextLength();
    for (auto _ : state) {
        e.box.SetSelText(QStringLiteral("x"));
        e.box.SetSelStart(e.box.SelStart() - 1);
        e.box.SetSelLength(1);
        e.box.SetSelText(QString());
    }
    e.box.SetCanUndo(false);
    if (e.box.TextLength() != length)
        state.SkipWithError("the text changed");
}
BENCHMARK(BM_TypeAndDelete)
    ->Args({99, 0})
    ->Args({50, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMicrosecond);

// SelStart of the caret, then putting the caret back there through SetSelStart, which keeps
// the caret in view and schedules its repaint.
void BM_CaretRoundTrip(benchmark::State& state)
{
    Editor& e = TheEditor();
    e.PutCaretOnLine(LineAt(state), LastInView(state));
    const qint64 expected = e.box.SelStart();
    for (auto _ : state) {
        const qint64 pos = e.box.SelStart();
        e.box.SetSelStart(pos);
        benchmark::DoNotOptimize(pos);
    }
    if (e.box.SelStart() != expected)
        state.SkipWithError("the caret moved");
}
BENCHMARK(BM_CaretRoundTrip)
    ->Args({99, 0})
    ->Args({99, 1})
    ->Args({50, 0})
    ->Args({50, 1})
    ->Unit(benchmark::kMicrosecond);

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
