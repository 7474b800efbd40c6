#pragma once

#include <QString>
#include <QStringView>
#include <atomic>
#include <vector>

namespace tl
{

// One occurrence found by FindInPages. Lines and columns are counted the same way whether the
// page's text has CR LF or LF line breaks, so a match read from a file on disk (LF) can be
// selected in the edit box (CR LF) once that file is opened.
struct PageMatch {
    int page = 0;         // index into the pages searched
    int line = 0;         // the line the match starts on, from 1
    qsizetype column = 0; // UTF-16 units from that line's start
    int endLine = 0;      // where the match ends (one past its last character)
    qsizetype endColumn = 0;
    // The line without its line break; a long line is cut round the match, "…" marking each
    // cut end.
    QString lineText;
    bool operator==(const PageMatch&) const = default;
};

// Longest line text a PageMatch carries, "…" included.
constexpr qsizetype kMatchLineLimit = 200;

// Every occurrence of key in each page, in page order and then text order; after a match the
// search goes on behind it, so overlapping occurrences count once. Case as FindTextIn ignores
// it when matchCase is false. A key holding line breaks finds them in CR LF and LF pages alike.
// An empty key finds nothing.
std::vector<PageMatch> FindInPages(const std::vector<QStringView>& pages, QStringView key,
                                   bool matchCase);

// One page of such a search: appends the first room matches to out (their page set to page)
// and only counts the others, which costs no copy of their lines. Returns how many it found;
// when stop is set the scan ends early and the count is of what it had found by then.
qsizetype FindInPage(QStringView text, QStringView key, bool matchCase, int page,
                     std::vector<PageMatch>& out, qsizetype room,
                     const std::atomic<bool>* stop = nullptr);

} // namespace tl
