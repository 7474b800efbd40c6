// What the syntax colours cost: a key typed on the 400,000-line page (about 20 million
// characters) and on the line after a line of 1,000,000 characters, opening the page through
// the file commands, and "<!--" typed at the top of the page and deleted again, which changes
// the colour of every later line. The first argument is 1 with colouring on, 0 with it off.
// Every figure includes the repaint of the edit box, shown offscreen.
#include "app/frmmain.h"
#include "benchapp.h"
#include "benchbox.h"
#include "benchpage.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "encodings/documentcodec.h"
#include "files/filecommands.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

using namespace tl;

namespace
{

constexpr qsizetype kLongLine = 1'000'000;

class SilentPrompter : public Prompter
{
public:
    MsgAnswer message(const MessageRequest&) override { return MsgAnswer::Cancel; }
    QString fileName(const FileRequest&) override { return {}; }
};

using bench::Editor;

std::unique_ptr<Editor> largePage;
std::unique_ptr<Editor> longLinePage;

Editor& LargePage()
{
    if (!largePage)
        largePage = std::make_unique<Editor>(bench::MakeBenchPage(QStringLiteral("</body>")));
    return *largePage;
}

// Line 1 is the long line, with short lines after it.
Editor& LongLinePage()
{
    if (!longLinePage)
        longLinePage = std::make_unique<Editor>(QStringLiteral("<html><body>\r\n") +
                                                bench::MakeLongLine(kLongLine) +
                                                QStringLiteral("\r\n") + bench::ShortLines(200));
    return *longLinePage;
}

using bench::SendKey;

// Keys typed with colouring on (argument 1) or off (0).
void TypeColoured(benchmark::State& state, Editor& e, qsizetype caret)
{
    e.edit.setSyntaxColoring(state.range(0) != 0);
    bench::TypeKeys(state, e, caret);
}

// A key typed in the middle of the large page, inside a tag.
void BM_TypeOnLargePage(benchmark::State& state)
{
    Editor& e = LargePage();
    TypeColoured(state, e, e.edit.lineStart(bench::kPageLines / 2) + 10);
}
BENCHMARK(BM_TypeOnLargePage)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A key typed on the short line after the long one, both on screen.
void BM_TypeAfterLongLine(benchmark::State& state)
{
    Editor& e = LongLinePage();
    e.edit.setFirstVisibleLine(0);
    TypeColoured(state, e, e.edit.lineStart(2) + 5);
}
BENCHMARK(BM_TypeAfterLongLine)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A key typed in the start tag before the long line, whose end tag is never met: the highlight's
// search for it reads as far as its bound.
void BM_TypeInTagBeforeLongLine(benchmark::State& state)
{
    Editor& e = LongLinePage();
    e.edit.setFirstVisibleLine(0);
    TypeColoured(state, e, e.edit.lineStart(0) + 9); // <html><bo|dy>
}
BENCHMARK(BM_TypeInTagBeforeLongLine)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A key typed in the middle of the long line itself.
void BM_TypeOnLongLine(benchmark::State& state)
{
    Editor& e = LongLinePage();
    e.edit.setFirstVisibleLine(0);
    TypeColoured(state, e, e.edit.lineStart(1) + kLongLine / 2);
}
BENCHMARK(BM_TypeOnLongLine)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// "<!--" typed at the top of the large page, then deleted by four Backspaces: one key per
// iteration with its repaint. max_ms is the slowest key.
void BM_TypeCommentOpenerAtTop(benchmark::State& state)
{
    Editor& e = LargePage();
    e.edit.setSyntaxColoring(state.range(0) != 0);
    const QString before = e.edit.text();
    e.edit.setCaret(0);
    e.edit.setFirstVisibleLine(0);
    e.Settle();
    const struct {
        Qt::Key key;
        const char* text;
    } keys[] = {{Qt::Key_Less, "<"},     {Qt::Key_Exclam, "!"},   {Qt::Key_Minus, "-"},
                {Qt::Key_Minus, "-"},    {Qt::Key_Backspace, ""}, {Qt::Key_Backspace, ""},
                {Qt::Key_Backspace, ""}, {Qt::Key_Backspace, ""}};
    size_t next = 0;
    qint64 slowest = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        SendKey(&e.edit, keys[next].key, QString::fromLatin1(keys[next].text));
        e.Settle();
        slowest = std::max(slowest, timer.nsecsElapsed());
        next = (next + 1) % std::size(keys);
    }
    while (next != 0) {
        SendKey(&e.edit, keys[next].key, QString::fromLatin1(keys[next].text));
        next = (next + 1) % std::size(keys);
    }
    e.Settle();
    if (e.edit.text() != before)
        state.SkipWithError("the keys did not type and delete");
    e.edit.clearUndo();
    state.counters["max_ms"] = double(slowest) / 1e6;
}
BENCHMARK(BM_TypeCommentOpenerAtTop)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

// The first jump from the top of the freshly loaded large page to its end, painted: with
// colouring on, every line's state is lexed on the way, once (the page is set afresh, untimed,
// before each jump).
void BM_FirstJumpToEnd(benchmark::State& state)
{
    Editor& e = LargePage();
    e.edit.setSyntaxColoring(state.range(0) != 0);
    const QString page = e.edit.text();
    for (auto _ : state) {
        state.PauseTiming();
        e.edit.setText(page);
        e.Settle();
        state.ResumeTiming();
        e.edit.setCaret(e.edit.length());
        e.Settle();
    }
    e.edit.setCaret(0);
    e.Settle();
}
BENCHMARK(BM_FirstJumpToEnd)->Arg(1)->Arg(0)->Iterations(5)->Unit(benchmark::kMillisecond);

// The large page opened through the file commands (read, decode, load into the box) and its
// first screen painted.
struct Window {
    QTemporaryDir dir;
    SilentPrompter prompts;
    std::unique_ptr<AppState> state;
    std::unique_ptr<frmMain> window;
    QString page;

    Window()
    {
        qputenv("TAGLOOM_HOME", dir.path().toUtf8());
        page = dir.path() + QStringLiteral("/large.htm");
        QFile file(page);
        if (file.open(QIODevice::WriteOnly))
            file.write(EncodeDocument(bench::MakeBenchPage(QStringLiteral("</body>")), {}).bytes);
        file.close();
        state = std::make_unique<AppState>(prompts);
        window = std::make_unique<frmMain>(*state);
        window->resize(1000, 700);
        window->show();
        QCoreApplication::processEvents();
    }
};

std::unique_ptr<Window> theWindow;

void BM_OpenLargePage(benchmark::State& state)
{
    if (!theWindow)
        theWindow = std::make_unique<Window>();
    Window& w = *theWindow;
    w.window->MainText()->setSyntaxColoring(state.range(0) != 0);
    for (auto _ : state) {
        if (w.window->Files().OpenDocument(w.page) != 0) {
            state.SkipWithError("the page did not open");
            return;
        }
        QCoreApplication::processEvents();
    }
    state.counters["MB"] = double(QFile(w.page).size()) / 1e6;
}
BENCHMARK(BM_OpenLargePage)
    ->Arg(1)
    ->Arg(0)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return tl::bench::RunHeadless(argc, argv, {}, [] {
        largePage.reset();
        longLinePage.reset();
        theWindow.reset();
    });
}
