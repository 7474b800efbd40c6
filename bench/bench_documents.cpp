// Opening, typing on and saving a large page through the real file commands and edit box: about
// 20 MB and 400,000 lines of CP932 HTML. Open = read, decode, normalise, load into the edit box;
// a key = one character typed and taken back in the middle of the page; save = text out of the
// box, encode, backup, atomic write. The "MixedForms" page also writes ∵ in two of its CP932
// forms: NEC row 13 (87 9A) on every 100th line, the Windows form (81 E6) on every 1,000th.

#include "app/frmmain.h"
#include "benchapp.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "encodings/documentcodec.h"
#include "files/filecommands.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
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
QString WritePage(const QString& folder, bool mixedForms)
{
    const QString path =
        folder + (mixedForms ? QStringLiteral("/mixed.htm") : QStringLiteral("/large.htm"));
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
        if (mixedForms && line % 1000 == 0)
            text += "\x81\xE6";
        else if (mixedForms && line % 100 == 0)
            text += "\x87\x9A";
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
    QString mixedPage;

    Fixture()
    {
        qputenv("TAGLOOM_HOME", dir.path().toUtf8());
        page = WritePage(dir.path(), false);
        mixedPage = WritePage(dir.path(), true);
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

void OpenPage(benchmark::State& state, bool mixedForms)
{
    Fixture& f = TheFixture();
    const QString& page = mixedForms ? f.mixedPage : f.page;
    const long before = PeakRssMb();
    for (auto _ : state) {
        if (f.window->Files().OpenDocument(page) != 0) {
            state.SkipWithError("the page did not open");
            return;
        }
        QCoreApplication::processEvents();
    }
    state.counters["MB"] = double(QFile(page).size()) / 1e6;
    state.counters["peak_rss_MB"] = double(PeakRssMb());
    state.counters["rss_before_MB"] = double(before);
}

void BM_OpenLargePage(benchmark::State& state)
{
    OpenPage(state, false);
}

void BM_OpenLargePageMixedForms(benchmark::State& state)
{
    OpenPage(state, true);
}

void Key(QWidget* box, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &press);
    QApplication::sendEvent(box, &release);
}

// One letter typed in the middle of the page and taken back, so the page keeps its size.
void TypeKey(benchmark::State& state, bool mixedForms)
{
    Fixture& f = TheFixture();
    if (f.window->Files().OpenDocument(mixedForms ? f.mixedPage : f.page) != 0) {
        state.SkipWithError("the page did not open");
        return;
    }
    f.window->TextBox().SetSelStart(f.state->Doc.length() / 2);
    QWidget* box = f.window->MainText();
    box->setFocus();
    const qsizetype length = f.state->Doc.length();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        Key(box, Qt::Key_A, QStringLiteral("a"));
        Key(box, Qt::Key_Backspace, QString());
    }
    if (f.state->Doc.length() != length || !f.state->Doc.canUndo())
        state.SkipWithError("the keys did not reach the page");
    // The next benchmark opens the page again without the unsaved-changes question.
    f.window->MarkEditorUnmodified();
}

void BM_TypeKeyOnLargePage(benchmark::State& state)
{
    TypeKey(state, false);
}

void BM_TypeKeyOnLargePageMixedForms(benchmark::State& state)
{
    TypeKey(state, true);
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
BENCHMARK(BM_OpenLargePageMixedForms)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TypeKeyOnLargePage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeKeyOnLargePageMixedForms)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveLargePage)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveLargePageWithTextFromBox)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    return tl::bench::RunHeadless(argc, argv, {}, [] { g_fixture.reset(); });
}
