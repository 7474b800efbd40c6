#include "search/pagesearch.h"

#include "search/textsearch.h"

#include <algorithm>
#include <limits>

namespace tl
{

namespace
{

const QString kEllipsis = QStringLiteral("…");

// The line [lineStart, lineEnd) as shown in a result: cut round the match when it is long.
QString ShownLine(QStringView text, qsizetype lineStart, qsizetype lineEnd, qsizetype match)
{
    if (lineEnd > lineStart && text[lineEnd - 1] == u'\r')
        --lineEnd;
    if (lineEnd - lineStart <= kMatchLineLimit)
        return text.sliced(lineStart, lineEnd - lineStart).toString();
    // Some context before the match, the rest of the room after it.
    const qsizetype room = kMatchLineLimit - 2;
    qsizetype from = std::max(lineStart, std::min(match - room / 3, lineEnd - room));
    // Never start or end on the second half of a surrogate pair.
    if (from > lineStart && text[from].isLowSurrogate())
        ++from;
    qsizetype to = std::min(lineEnd, from + room);
    if (to < lineEnd && to > from && text[to - 1].isHighSurrogate())
        --to;
    QString shown = from > lineStart ? kEllipsis : QString();
    shown += text.sliced(from, to - from);
    if (to < lineEnd)
        shown += kEllipsis;
    return shown;
}

// key with the page's own line breaks: CR LF when the page has a CR, else LF.
QString KeyForPage(QStringView page, const QString& lfKey)
{
    if (!lfKey.contains(u'\n') || !page.contains(u'\r'))
        return lfKey;
    return QString(lfKey).replace(u'\n', QStringLiteral("\r\n"));
}

} // namespace

std::vector<PageMatch> FindInPages(const std::vector<QStringView>& pages, QStringView key,
                                   bool matchCase)
{
    std::vector<PageMatch> matches;
    for (int page = 0; page < int(pages.size()); ++page)
        FindInPage(pages[size_t(page)], key, matchCase, page, matches,
                   std::numeric_limits<qsizetype>::max());
    return matches;
}

qsizetype FindInPage(QStringView text, QStringView key, bool matchCase, int page,
                     std::vector<PageMatch>& out, qsizetype room, const std::atomic<bool>* stop)
{
    if (key.isEmpty())
        return 0;
    QString lfKey = key.toString();
    lfKey.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lfKey.replace(u'\r', u'\n');
    // Where the match ends, relative to where it starts: lines down, and the column then.
    const int keyLines = int(lfKey.count(u'\n'));
    const qsizetype keyTail = lfKey.size() - (lfKey.lastIndexOf(u'\n') + 1);
    const QString pageKey = KeyForPage(text, lfKey);
    // Case ignored: the key goes to upper case once, not at every match.
    const QString upperKey = matchCase ? QString() : UpperText(pageKey);
    auto next = [&](qsizetype from) {
        return matchCase ? FindTextIn(text, pageKey, from, true)
                         : FindUpperKeyIn(text, upperKey, from);
    };

    const char16_t* s = text.utf16();
    // Lines are counted up to each match as the scan goes: one pass over the page.
    int line = 1;
    qsizetype lineStart = 0;
    qsizetype counted = 0;
    qsizetype lineEnd = -1; // of the line counted up to, once looked for
    qsizetype found = 0;
    for (qsizetype p = next(0); p >= 0; p = next(p + pageKey.size())) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        ++found;
        if (room <= 0)
            continue;
        --room;
        for (; counted < p; ++counted) {
            if (s[counted] == u'\n') {
                ++line;
                lineStart = counted + 1;
            }
        }
        // Many matches on one long line look for its end once.
        if (lineEnd < p) {
            lineEnd = text.indexOf(u'\n', p);
            if (lineEnd < 0)
                lineEnd = text.size();
        }
        PageMatch m;
        m.page = page;
        m.line = line;
        m.column = p - lineStart;
        m.endLine = line + keyLines;
        m.endColumn = keyLines == 0 ? m.column + lfKey.size() : keyTail;
        m.lineText = ShownLine(text, lineStart, lineEnd, p);
        out.push_back(std::move(m));
    }
    return found;
}

} // namespace tl
