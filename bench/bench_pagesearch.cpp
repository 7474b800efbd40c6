// Find across all pages of the session: 50 pages of 400 KB each, Shift-JIS files on disk (none of
// them open), read, decoded as opening does and searched, as the window "全ページから検索" runs it.
// Target: under 1 s for the 50 pages.
// - a key found once per page (its last line), case ignored;
// - a key found on every fourth line (about 2,000 matches a page, 100,000 in all), so that
//   building the result rows is counted too.
#include "benchapp.h"
#include "core/appstate.h"
#include "dialogs/find/frmfindpages.h"
#include "encodings/documentcodec.h"
#include "platform/prompts.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

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
        found = result.matches.size();
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

} // namespace

int main(int argc, char** argv)
{
    return bench::RunHeadless(
        argc, argv, [] { theSession = std::make_unique<Session>(); }, [] { theSession.reset(); });
}
