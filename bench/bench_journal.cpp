// One key typed on a 400,000-line page with the recovery journal on, beside one with it off.
// With the journal on a key only restarts the idle timer: the text is taken and written when
// the typing pauses (2 s) or has gone on for 10 s, never per key. What steady typing costs is
// then a key plus one snapshot per 10 s of keys.
#include "app/frmmain.h"
#include "app/startup.h"
#include "benchapp.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "files/filecommands.h"
#include "platform/prompts.h"
#include "recovery/journalkeeper.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace
{

class SilentPrompter : public tl::Prompter
{
public:
    tl::MsgAnswer message(const tl::MessageRequest&) override { return tl::MsgAnswer::Cancel; }
    QString fileName(const tl::FileRequest&) override { return {}; }
};

struct Fixture {
    QTemporaryDir dir;
    SilentPrompter prompts;
    std::unique_ptr<tl::AppState> state;
    std::unique_ptr<tl::frmMain> window;
    qsizetype length = 0;

    explicit Fixture(bool journal)
    {
        qputenv("TAGLOOM_HOME", dir.path().toUtf8());
        // 0 turns the journal off; otherwise the usual delays, so the figure holds what a key
        // costs while the user types (a write is a pause's work, done in the background).
        if (journal)
            qunsetenv("TAGLOOM_JOURNAL_IDLE_MS");
        else
            qputenv("TAGLOOM_JOURNAL_IDLE_MS", "0");
        const QString path = dir.path() + QStringLiteral("/large.htm");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            for (int i = 0; i < 400'000; ++i)
                file.write("<TR><TD>" + QByteArray::number(i) + "</TD><TD>cell text</TD></TR>\r\n");
        file.close();
        state = std::make_unique<tl::AppState>(prompts);
        tl::BuildMarkerColumn(state->MarkerColumnText);
        window = std::make_unique<tl::frmMain>(*state);
        window->resize(1000, 700);
        window->show();
        window->Files().OpenDocument(path);
        window->TextBox().SetSelStart(window->TextBox().Text().size() / 2);
        window->MainText()->setFocus();
        length = state->Doc.length();
        // Modified from the start, as a page being typed on is.
        state->Doc.setModified(true);
        QCoreApplication::processEvents();
    }
};

Fixture* withJournal = nullptr;
Fixture* withoutJournal = nullptr;

void Key(QWidget* box, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &press);
    QApplication::sendEvent(box, &release);
}

// Types one letter and takes it back, so the page keeps its size and stays modified.
void TypeKey(benchmark::State& state, Fixture& f)
{
    QWidget* box = f.window->MainText();
    for (auto _ : state) {
        Key(box, Qt::Key_A, QStringLiteral("a"));
        Key(box, Qt::Key_Backspace, QString());
    }
    if (f.state->Doc.length() != f.length || !f.state->Doc.isModified())
        state.SkipWithError("the keys did not reach the page");
}

void BM_TypeKeyJournalOff(benchmark::State& state)
{
    TypeKey(state, *withoutJournal);
}
BENCHMARK(BM_TypeKeyJournalOff)->Unit(benchmark::kMicrosecond);

void BM_TypeKeyJournalOn(benchmark::State& state)
{
    TypeKey(state, *withJournal);
}
BENCHMARK(BM_TypeKeyJournalOn)->Unit(benchmark::kMicrosecond);

// What a due write costs the typing thread: the snapshot of the page, handed to the worker (the
// worker's copying, encoding and disk write are waited for outside the timing).
void BM_JournalSnapshot(benchmark::State& state)
{
    tl::JournalKeeper& keeper = withJournal->window->Journal();
    for (auto _ : state) {
        keeper.WriteNow();
        state.PauseTiming();
        keeper.WaitForWrites();
        state.ResumeTiming();
    }
}
// A fixed count: the timed part is short and each write waited for outside it takes a second, so
// the library's own choice of iterations would run for hours.
BENCHMARK(BM_JournalSnapshot)->Unit(benchmark::kMillisecond)->Iterations(10);

// The longest pause a due write causes the typing thread: the snapshot and the first key after
// it, which is where a copy-on-write text would pay for the copy. The worker copies and writes
// meanwhile; its finishing and the key that takes the letter back are outside the timing.
void BM_JournalSnapshotThenKey(benchmark::State& state)
{
    tl::JournalKeeper& keeper = withJournal->window->Journal();
    QWidget* box = withJournal->window->MainText();
    qint64 longest = 0;
    for (auto _ : state) {
        QElapsedTimer pause;
        pause.start();
        keeper.WriteNow();
        Key(box, Qt::Key_A, QStringLiteral("a"));
        longest = std::max(longest, pause.nsecsElapsed());
        state.PauseTiming();
        keeper.WaitForWrites();
        Key(box, Qt::Key_Backspace, QString());
        state.ResumeTiming();
    }
    state.counters["longest_ms"] = double(longest) / 1e6;
    if (withJournal->state->Doc.length() != withJournal->length)
        state.SkipWithError("the keys did not reach the page");
}
BENCHMARK(BM_JournalSnapshotThenKey)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<Fixture> on, off;
    return tl::bench::RunHeadless(
        argc, argv,
        [&] {
            off = std::make_unique<Fixture>(false);
            on = std::make_unique<Fixture>(true);
            withoutJournal = off.get();
            withJournal = on.get();
        },
        [&] {
            on.reset();
            off.reset();
        });
}
