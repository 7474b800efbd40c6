#include "search/sessionsearch.h"

#include "core/appstate.h"
#include "files/filecommands.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThreadPool>

#include <algorithm>

namespace tl
{

PageSearchRequest SessionSearchRequest(AppState& state, bool currentShown, QStringView key,
                                       bool matchCase)
{
    PageSearchRequest request;
    request.key = key.toString();
    request.matchCase = matchCase;
    Document& doc = state.Doc;
    QStringList& paths = request.paths;
    for (int i = 0; i < UsedSlotCount(state.Docs); ++i)
        paths << state.Docs[size_t(i)].Path;
    if (!currentShown)
        return request;
    // The page list holds no untitled page, so an empty path is always the edit box's page.
    const QString currentPath = doc.isUntitled() ? QString() : doc.path();
    request.current = currentPath.isEmpty() ? -1 : int(paths.indexOf(currentPath));
    if (request.current < 0) {
        paths.prepend(currentPath);
        request.current = 0;
    }
    request.currentText = doc.view(0, doc.length()).toString();
    return request;
}

PageSearchRun::PageSearchRun(PageSearchRequest request, PageReader reader, qsizetype keep)
    : request_(std::move(request)), reader_(std::move(reader)), keep_(keep)
{
}

void PageSearchRun::Run()
{
    qsizetype kept = 0;
    std::vector<PageMatch> batch;
    for (int page = 0; page < int(request_.paths.size()) && !Stopping(); ++page) {
        qsizetype found = 0;
        if (page == request_.current) {
            found = FindInPage(request_.currentText, request_.key, request_.matchCase, page, batch,
                               keep_ - kept, &stop_);
        } else {
            const QString& path = request_.paths[page];
            const LoadedPage loaded = reader_(path);
            if (!loaded.opened) {
                publish(batch, 0, path, false);
                continue;
            }
            found = FindInPage(loaded.decoded.text, request_.key, request_.matchCase, page, batch,
                               keep_ - kept, &stop_);
        }
        kept += qsizetype(batch.size());
        publish(batch, found, QString(), false);
    }
    publish(batch, 0, QString(), true);
}

void PageSearchRun::Stop()
{
    stop_.store(true, std::memory_order_relaxed);
}

void PageSearchRun::publish(std::vector<PageMatch>& batch, qsizetype found,
                            const QString& unreadable, bool last)
{
    const std::lock_guard lock(mutex_);
    if (pending_.empty())
        pending_.swap(batch);
    else
        std::move(batch.begin(), batch.end(), std::back_inserter(pending_));
    batch.clear();
    total_ += found;
    pagesWithMatches_ += found > 0 ? 1 : 0;
    if (!unreadable.isEmpty())
        unreadable_ << unreadable;
    finished_ = finished_ || last;
    changed_ = true;
}

bool PageSearchRun::Take(PageSearchResult& into)
{
    std::vector<PageMatch> taken;
    {
        const std::lock_guard lock(mutex_);
        if (!changed_)
            return false;
        changed_ = false;
        taken.swap(pending_);
        into.total = total_;
        into.pagesWithMatches = pagesWithMatches_;
        into.unreadable = unreadable_;
        into.finished = finished_;
        into.stopped = finished_ && Stopping();
    }
    if (into.matches.empty())
        into.matches.swap(taken);
    else
        std::move(taken.begin(), taken.end(), std::back_inserter(into.matches));
    return true;
}

QThreadPool& PageSearchThreads()
{
    static QThreadPool* const pool = [] {
        auto* threads = new QThreadPool(QCoreApplication::instance());
        // A stopped search may still finish the page it is on while the next one starts.
        threads->setMaxThreadCount(4);
        return threads;
    }();
    return *pool;
}

PageSearchResult SearchSessionPages(AppState& state, bool currentShown, QStringView key,
                                    bool matchCase, qsizetype keep)
{
    PageSearchRun run(SessionSearchRequest(state, currentShown, key, matchCase), ReadPageFile,
                      keep);
    run.Run();
    PageSearchResult result;
    result.paths = run.Paths();
    run.Take(result);
    return result;
}

QString PageSearchSummary(const PageSearchResult& result, qsizetype keep)
{
    const QLocale numbers(QLocale::Japanese, QLocale::Japan);
    QString text;
    if (!result.finished)
        text = QStringLiteral("検索しています…");
    else if (result.stopped)
        text = QStringLiteral("検索を中止しました。");
    if (result.total > 0) {
        if (!text.isEmpty())
            text += u' ';
        text += numbers.toString(result.pagesWithMatches) + QStringLiteral(" ページで ") +
                numbers.toString(qlonglong(result.total)) + QStringLiteral(" 件見つかりました。");
        if (result.total > keep) {
            text += QStringLiteral(" 最初の ") + numbers.toString(qlonglong(keep)) +
                    QStringLiteral(" 件を表示しています。");
        }
    } else if (text.isEmpty()) {
        text = QStringLiteral("見つかりません。");
    }
    if (!result.unreadable.isEmpty()) {
        text +=
            QStringLiteral(" 読めなかったページ: ") + result.unreadable.join(QStringLiteral("、"));
    }
    return text;
}

} // namespace tl
