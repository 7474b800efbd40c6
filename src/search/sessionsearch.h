#pragma once

#include "search/pagesearch.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

class QThreadPool;

namespace tl
{

struct AppState;
struct LoadedPage;

// The most matches a search across pages keeps; the others are counted only, so that memory
// stays bounded however many there are.
constexpr qsizetype kShownMatchLimit = 10000;

// What a search across the session's pages is to search, taken on the user-interface thread.
struct PageSearchRequest {
    // The pages, in page-list order; PageMatch::page indexes this. The current page comes first
    // when it is not in the page list (an untitled page: an empty path).
    QStringList paths;
    int current = -1;    // the page searched in currentText instead of its file; -1: none
    QString currentText; // the edit box's text, unsaved changes included
    QString key;
    bool matchCase = false;
};

// The pages of the page list and the current page (currentShown: a page is open in the edit
// box), with a copy of the current page's text. Paths are compared with letter case: Index.htm
// and index.htm are two pages.
PageSearchRequest SessionSearchRequest(AppState& state, bool currentShown, QStringView key,
                                       bool matchCase);

// What a search across pages found.
struct PageSearchResult {
    QStringList paths;              // as in the request
    std::vector<PageMatch> matches; // the first kShownMatchLimit (or the run's limit)
    qsizetype total = 0;            // every match found, kept or not
    int pagesWithMatches = 0;
    QStringList unreadable; // pages whose files could not be read
    bool finished = false;  // every page was searched, or the search was stopped
    bool stopped = false;   // the user stopped it before the end
};

// Reads a page's file as opening does (ReadPageFile); tests put their own in its place.
using PageReader = std::function<LoadedPage(const QString& path)>;

// One search across pages, shared by the thread that runs it and the window that shows it.
// Run() searches the pages in order, reading each from disk only when its turn comes (one page
// in memory at a time), and hands over what it found after each page; Take() collects it.
// Neither side holds the other: the window may go while Run() still works, and Stop() ends it
// at its next match or page.
class PageSearchRun
{
public:
    PageSearchRun(PageSearchRequest request, PageReader reader, qsizetype keep = kShownMatchLimit);

    // On the searching thread.
    void Run();
    // Any thread.
    void Stop();
    bool Stopping() const { return stop_.load(std::memory_order_relaxed); }

    // What was found since the last call: into's matches grow by the new ones, its counts,
    // unreadable pages and end flags become the run's own. True when anything changed.
    bool Take(PageSearchResult& into);

    const QStringList& Paths() const { return request_.paths; }

private:
    void publish(std::vector<PageMatch>& batch, qsizetype found, const QString& unreadable,
                 bool last);

    const PageSearchRequest request_;
    const PageReader reader_;
    const qsizetype keep_;
    std::atomic<bool> stop_{false};

    std::mutex mutex_; // guards what follows
    std::vector<PageMatch> pending_;
    qsizetype total_ = 0;
    int pagesWithMatches_ = 0;
    QStringList unreadable_;
    bool finished_ = false;
    bool changed_ = false;
};

// The threads that run searches across pages, which end with the application. Not Qt's global
// pool: the raster paint engine draws with that one, so a page read waiting on a slow disk there
// would hold up the drawing of every window.
QThreadPool& PageSearchThreads();

// The whole search on the calling thread: the request taken as SessionSearchRequest takes it,
// the pages read with ReadPageFile, at most keep matches kept.
PageSearchResult SearchSessionPages(AppState& state, bool currentShown, QStringView key,
                                    bool matchCase, qsizetype keep = kShownMatchLimit);

// The status line under the result list: how many matches on how many pages, how many are
// shown when not all are, whether the search still runs or was stopped, and what could not be
// read.
QString PageSearchSummary(const PageSearchResult& result, qsizetype keep = kShownMatchLimit);

} // namespace tl
