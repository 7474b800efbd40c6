// One update of the main window's companions on a 400,000-line page: gutter, marker, status
// bar and input-mode indicator. It runs after every caret move and edit, so an update that finds
// nothing changed must cost next to nothing.
#include "app/frmmain.h"
#include "app/startup.h"
#include "benchapp.h"
#include "core/appstate.h"
#include "editing/insertion.h"
#include "files/filecommands.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

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
    qint64 lineA = 0;
    qint64 lineB = 0;

    Fixture()
    {
        qputenv("TAGLOOM_HOME", dir.path().toUtf8());
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
        tl::cTextBox& box = window->TextBox();
        box.SetSelStart(LineStartPos(box, 250'000));
        lineA = LineStartPos(box, 250'001);
        lineB = LineStartPos(box, 250'002);
        QCoreApplication::processEvents();
        window->UpdateCompanions();
    }
};

Fixture* theFixture = nullptr;

void BM_TickNothingChanged(benchmark::State& state)
{
    Fixture& f = *theFixture;
    for (auto _ : state)
        f.window->UpdateCompanions();
}
BENCHMARK(BM_TickNothingChanged)->Unit(benchmark::kMicrosecond);

// The caret moves to the next line between updates, within the view: the marker is rebuilt and
// repainted. The caret move itself is part of the figure.
void BM_TickCaretLineChanged(benchmark::State& state)
{
    Fixture& f = *theFixture;
    bool flip = false;
    for (auto _ : state) {
        f.window->TextBox().SetSelStart(flip ? f.lineA : f.lineB);
        flip = !flip;
        f.window->UpdateCompanions();
    }
}
BENCHMARK(BM_TickCaretLineChanged)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<Fixture> fixture;
    return tl::bench::RunHeadless(
        argc, argv,
        [&] {
            fixture = std::make_unique<Fixture>();
            theFixture = fixture.get();
        },
        [&] { fixture.reset(); });
}
