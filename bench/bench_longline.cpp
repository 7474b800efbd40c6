// Typing and showing with a line of 1,000,000 characters (a page minified onto one line): a key
// typed on that line, a key typed on the short line after it while the long line is on screen,
// showing the page, and scrolling to and along the long line. Each figure includes the repaint
// of the edit box, shown offscreen. For comparison, typing on the 400,000-line page of short
// lines the other benchmarks use.
#include "benchapp.h"
#include "benchbox.h"
#include "benchpage.h"
#include "editbox/maintextedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <memory>

using namespace tl;

namespace
{

constexpr qsizetype kLongLine = 1'000'000;
// Short lines before the long one in the page scrolled down to.
constexpr int kLinesAbove = 2000;

QString MakeLongLine()
{
    return bench::MakeLongLine(kLongLine);
}

using bench::ShortLines;

// Line 1 is the long line, with short lines after it.
const QString& LongLinePage()
{
    static const QString text = QStringLiteral("<html><body>\r\n") + MakeLongLine() +
                                QStringLiteral("\r\n") + ShortLines(200);
    return text;
}

// The long line below kLinesAbove short lines, out of view when the page opens.
const QString& LongLineFarDownPage()
{
    static const QString text =
        ShortLines(kLinesAbove) + MakeLongLine() + QStringLiteral("\r\n") + ShortLines(200);
    return text;
}

using bench::Editor;

// Widgets must go before the application object: main() destroys these.
std::unique_ptr<Editor> longLineEditor;
std::unique_ptr<Editor> largePageEditor;
std::unique_ptr<Editor> farDownEditor;

Editor& LongLineEditor()
{
    if (!longLineEditor)
        longLineEditor = std::make_unique<Editor>(LongLinePage());
    return *longLineEditor;
}

Editor& LargePageEditor()
{
    if (!largePageEditor)
        largePageEditor = std::make_unique<Editor>(bench::MakeBenchPage(QStringLiteral("</body>")));
    return *largePageEditor;
}

using bench::SendKey;
using bench::TypeKeys;

// A key typed on the long line, the caret at the character of the argument.
void BM_TypeOnLongLine(benchmark::State& state)
{
    Editor& e = LongLineEditor();
    e.edit.setFirstVisibleLine(0);
    TypeKeys(state, e, e.edit.lineStart(1) + state.range(0));
}
BENCHMARK(BM_TypeOnLongLine)
    ->Arg(10)
    ->Arg(kLongLine / 2)
    ->Arg(kLongLine)
    ->Unit(benchmark::kMillisecond);

// A key typed on the short line after the long one, both on screen.
void BM_TypeNearLongLine(benchmark::State& state)
{
    Editor& e = LongLineEditor();
    e.edit.setFirstVisibleLine(0);
    e.edit.horizontalScrollBar()->setValue(0);
    TypeKeys(state, e, e.edit.lineStart(2) + 5);
}
BENCHMARK(BM_TypeNearLongLine)->Unit(benchmark::kMillisecond);

// The page opened and its first screen shown: setText, then the paint.
void BM_ShowLongLinePage(benchmark::State& state)
{
    Editor& e = LongLineEditor();
    const QString& page = LongLinePage();
    const int paintsBefore = e.counter.paints;
    for (auto _ : state) {
        e.edit.setText(page);
        e.Settle();
    }
    if (e.counter.paints - paintsBefore < int(state.iterations()))
        state.SkipWithError("the page was not painted");
}
BENCHMARK(BM_ShowLongLinePage)->Unit(benchmark::kMillisecond);

// Scrolled down from the top of a page to its long line, met for the first time (the page is
// set afresh, untimed, before each scroll).
void BM_ScrollDownToLongLine(benchmark::State& state)
{
    if (!farDownEditor)
        farDownEditor = std::make_unique<Editor>(LongLineFarDownPage());
    Editor& e = *farDownEditor;
    const QString& page = LongLineFarDownPage();
    int paints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        e.edit.setText(page);
        e.Settle();
        paints -= e.counter.paints;
        state.ResumeTiming();
        e.edit.setFirstVisibleLine(kLinesAbove - 5);
        e.Settle();
        paints += e.counter.paints;
    }
    if (paints < int(state.iterations()))
        state.SkipWithError("the long line was not painted");
}
BENCHMARK(BM_ScrollDownToLongLine)->Unit(benchmark::kMillisecond);

// The long line scrolled to the right by one screen per iteration, wrapping at its end.
void BM_ScrollAlongLongLine(benchmark::State& state)
{
    Editor& e = LongLineEditor();
    e.edit.setText(LongLinePage());
    e.Settle();
    QScrollBar* bar = e.edit.horizontalScrollBar();
    const int paintsBefore = e.counter.paints;
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        e.Settle();
    }
    if (e.counter.paints - paintsBefore < int(state.iterations()))
        state.SkipWithError("the scrolled line was not painted");
    bar->setValue(0);
}
BENCHMARK(BM_ScrollAlongLongLine)->Unit(benchmark::kMillisecond);

// For comparison: a key typed in the middle of the 400,000-line page of short lines.
void BM_TypeOnLargePage(benchmark::State& state)
{
    Editor& e = LargePageEditor();
    TypeKeys(state, e, e.edit.lineStart(bench::kPageLines / 2) + 10);
}
BENCHMARK(BM_TypeOnLargePage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return tl::bench::RunHeadless(argc, argv, {}, [] {
        longLineEditor.reset();
        largePageEditor.reset();
        farDownEditor.reset();
    });
}
