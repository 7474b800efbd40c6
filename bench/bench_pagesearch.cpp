// Find across all pages of the session: 50 pages of 400 KB each, Shift-JIS files on disk (none of
// them open), read, decoded as opening does and searched, as the window "全ページから検索" runs it.
// Target: under 1 s for the 50 pages.
// - a key found once per page (its last line), case ignored;
// - a key found on every fourth line (about 2,000 matches a page, 100,000 in all), so that
//   building the result rows is counted too (the first 10,000 are kept);
// - "<", found about 1,500,000 times, run on a worker as the window runs it: the time until the
//   first rows are handed over, the whole search, and the memory the search takes at its peak.
#include "benchapp.h"
#include "core/appstate.h"
#include "encodings/documentcodec.h"
#include "files/filecommands.h"
#include "platform/prompts.h"
#include "search/sessionsearch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

using namespace tl;

namespace
{

constexpr int kPages = 50;
constexpr qsizetype kPageBytes = 400 * 1024;

class SilentPrompter : public Prompter
{
public:
    MsgAnswer message(const MessageRequest&) override { return MsgAnswer::Cancel; }
    QString fileName(const FileRequest&) override { return {}; }
};

// One page of hand-written HTML and ASP, Japanese text among it, in CP932: about 400 KB.
QByteArray MakePage(int number)
{
    const QStringList patterns = {
        QStringLiteral("<tr><td class=\"item\">%1</td><td><a href=\"p%1.asp\">link</a>"),
        QStringLiteral("<p>\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8 %1 \u3067\u3059</p>"),
        QStringLiteral("\t<td>\u5546\u54C1\u756A\u53F7 %1\uFF1A\u4FA1\u683C \uFFE51,000</td></tr>"),
        QStringLiteral("<% Response.Write \"%1\" %> <IMG SRC=\"img/pic%1.gif\">"),
    };
    QString text;
    // Japanese characters take two bytes, so 400 K characters make at least 400 KB.
    for (int i = 0; text.size() < kPageBytes; ++i)
        text += patterns.at(i % patterns.size()).arg(i) + QStringLiteral("\r\n");
    text += QStringLiteral("<DIV CLASS=\"footer\">Page %1</DIV>\r\n").arg(number);
    return EncodeDocument(text, TextEncoding{}).bytes;
}

struct Session {
    QTemporaryDir folder;
    SilentPrompter prompts;
    AppState state{prompts};
    qint64 bytes = 0;

    Session()
    {
        for (int i = 0; i < kPages; ++i) {
            const QString path = folder.path() + QStringLiteral("/page%1.htm").arg(i);
            QFile file(path);
            const QByteArray page = MakePage(i);
            if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size())
                qFatal("cannot write %s", qPrintable(path));
            bytes += page.size();
            RegisterDocPath(state.Docs, path);
        }
    }
};

std::unique_ptr<Session> theSession;

void Search(benchmark::State& state, const QString& key, size_t expected)
{
    Session& s = *theSession;
    size_t found = 0;
    for (auto _ : state) {
        const PageSearchResult result = SearchSessionPages(s.state, false, key, false);
        found = size_t(result.total);
        benchmark::DoNotOptimize(found);
    }
    if (found != expected)
        state.SkipWithError("unexpected number of matches");
    state.counters["pages"] = kPages;
    state.counters["MB"] = double(s.bytes) / (1024 * 1024);
    state.counters["matches"] = double(found);
}

void BM_FindAcross50PagesOncePerPage(benchmark::State& state)
{
    Search(state, QStringLiteral("div class=\"FOOTER\""), kPages);
}
BENCHMARK(BM_FindAcross50PagesOncePerPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindAcross50PagesManyMatches(benchmark::State& state)
{
    // "商品番号" stands on every fourth line.
    const QByteArray page = MakePage(0);
    const qsizetype perPage =
        DecodeDocument(page).text.count(QStringLiteral("\u5546\u54C1\u756A\u53F7"));
    Search(state, QStringLiteral("\u5546\u54C1\u756A\u53F7"), size_t(perPage) * kPages);
}
BENCHMARK(BM_FindAcross50PagesManyMatches)->Unit(benchmark::kMillisecond)->UseRealTime();

// A line of /proc/self/status in kB ("VmHWM", "VmRSS").
double StatusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

// Starts the peak resident set (VmHWM) again from what is resident now.
void ResetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// The bytes the kept rows hold.
double ResultBytes(const PageSearchResult& result)
{
    double bytes = double(result.matches.capacity() * sizeof(PageMatch));
    for (const PageMatch& m : result.matches)
        bytes += double(m.lineText.capacity()) * sizeof(QChar);
    return bytes;
}

void BM_FirstResultOfLessThanAcross50Pages(benchmark::State& state)
{
    Session& s = *theSession;
    PageSearchResult result;
    double whole = 0;
    double peakGrowth = 0;
    for (auto _ : state) {
        ResetPeak();
        const double before = StatusKb("VmHWM");
        result = PageSearchResult{};
        auto run = std::make_shared<PageSearchRun>(
            SessionSearchRequest(s.state, false, QStringLiteral("<"), false), ReadPageFile);
        QElapsedTimer clock;
        clock.start();
        std::thread worker([run] { run->Run(); });
        double first = -1;
        while (!result.finished) {
            if (run->Take(result) && first < 0 && !result.matches.empty())
                first = double(clock.nsecsElapsed()) / 1e9;
            else
                std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        worker.join();
        whole = double(clock.nsecsElapsed()) / 1e6;
        state.SetIterationTime(first);
        peakGrowth = std::max(peakGrowth, StatusKb("VmHWM") - before);
    }
    if (result.total < 1000000 || result.matches.size() != size_t(kShownMatchLimit))
        state.SkipWithError("unexpected number of matches");
    state.counters["matches"] = double(result.total);
    state.counters["rows"] = double(result.matches.size());
    state.counters["whole_ms"] = whole;
    state.counters["rows_MB"] = ResultBytes(result) / (1024 * 1024);
    state.counters["peak_growth_MB"] = peakGrowth / 1024;
    state.counters["VmHWM_MB"] = StatusKb("VmHWM") / 1024;
}
BENCHMARK(BM_FirstResultOfLessThanAcross50Pages)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunHeadless(
        argc, argv, [] { theSession = std::make_unique<Session>(); }, [] { theSession.reset(); });
}
