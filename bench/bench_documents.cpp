// Opening and saving a large page through the real file commands and edit box: about 20 MB and
// 400,000 lines of CP932 HTML. Open = read, decode, normalise, load into the edit box;
// save = text out of the box, encode, backup, atomic write.

#include "app/frmmain.h"
#include "benchapp.h"
#include "core/appstate.h"
#include "documents/documentcodec.h"
#include "documents/filecommands.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace
{

// No question is expected: the page is opened unmodified and saved back as it came.
class SilentPrompter : public tl::Prompter
{
public:
    tl::MsgAnswer message(const tl::MessageRequest&) override { return tl::MsgAnswer::Cancel; }
    QString fileName(const tl::FileRequest&) override { return {}; }
};

long PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Written to disk line by line so that making it does not raise the process's peak memory.
QString WritePage(const QString& folder)
{
    const QString path = folder + QStringLiteral("/large.htm");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const QByteArray japanese =
        tl::EncodeDocument(u"<p>日本語のテキストを表示します。ソフトの能力と機能</p>", {}).bytes;
    const QByteArray cell =
        tl::EncodeDocument(u"<td>商品番号：価格 ￥1,000（税込）</td>", {}).bytes;
    qint64 size = 0;
    for (int line = 0; size < 20'000'000 || line < 400'000; ++line) {
        const QByteArray number = QByteArray::number(line);
        QByteArray text;
        switch (line % 4) {
        case 0:
            text = "<tr><td class=\"item\">" + number + "</td><td><a href=\"p" + number +
                   ".asp\">link</a></td></tr>";
            break;
        case 1:
            text = japanese;
            break;
        case 2:
            text = cell;
            break;
        default:
            text = "<% Response.Write \"" + number + "\" %>";
            break;
        }
        text += "\r\n";
        size += file.write(text);
    }
    return path;
}

struct Fixture {
    QTemporaryDir dir;
    SilentPrompter prompts;
    std::unique_ptr<tl::AppState> state;
    std::unique_ptr<tl::frmMain> window;
    QString page;

    Fixture()
    {
        qputenv("TAGLOOM_HOME", dir.path().toUtf8());
        page = WritePage(dir.path());
        state = std::make_unique<tl::AppState>(prompts);
        window = std::make_unique<tl::frmMain>(*state);
        window->resize(1000, 700);
        window->show();
    }
};

// Made on first use and destroyed before the application object.
std::unique_ptr<Fixture> g_fixture;

Fixture& TheFixture()
{
    if (!g_fixture)
        g_fixture = std::make_unique<Fixture>();
    return *g_fixture;
}

void BM_OpenLargePage(benchmark::State& state)
{
    Fixture& f = TheFixture();
    const long before = PeakRssMb();
    for (auto _ : state) {
        if (f.window->Files().OpenDocument(f.page) != 0) {
            state.SkipWithError("the page did not open");
            return;
        }
        QCoreApplication::processEvents();
    }
    state.counters["MB"] = double(QFile(f.page).size()) / 1e6;
    state.counters["peak_rss_MB"] = double(PeakRssMb());
    state.counters["rss_before_MB"] = double(before);
}

void BM_SaveLargePage(benchmark::State& state)
{
    Fixture& f = TheFixture();
    if (f.window->Files().OpenDocument(f.page) != 0) {
        state.SkipWithError("the page did not open");
        return;
    }
    const QString text = f.window->TextBox().Text();
    for (auto _ : state) {
        // The file grows by one CR LF a save; the text saved stays the same.
        if (!f.window->Files().WriteDocumentFile(f.page, text)) {
            state.SkipWithError("the page was not written");
            return;
        }
    }
}

void BM_SaveLargePageWithTextFromBox(benchmark::State& state)
{
    Fixture& f = TheFixture();
    if (f.window->Files().OpenDocument(f.page) != 0) {
        state.SkipWithError("the page did not open");
        return;
    }
    for (auto _ : state) {
        f.window->TextBox().SetSelStart(0);
        f.window->TextBox().SetSelText(QStringLiteral(" "));
        f.window->Files().SaveDocument();
    }
}

} // namespace

BENCHMARK(BM_OpenLargePage)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveLargePage)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveLargePageWithTextFromBox)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    return tl::bench::RunHeadless(argc, argv, {}, [] { g_fixture.reset(); });
}
