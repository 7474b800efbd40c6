#include "editbox/longline.h"

#include "core/textbuffer.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <climits>

namespace tl
{

namespace
{

// Characters that never join a neighbour into one character: printable ASCII, kana and the
// common kanji, nearly all of a page. A chunk may end between two of them without looking
// further.
bool IsPlain(char16_t c)
{
    return (c >= 0x20 && c < 0x7F) || (c >= 0x3041 && c <= 0x3096) ||
           (c >= 0x30A1 && c <= 0x30FA) || (c >= 0x4E00 && c <= 0x9FFF);
}

// A combining mark, which goes with the character before it; nearly every character of a page
// is told apart from one without the character table.
bool Combines(char16_t c)
{
    return c >= 0x300 && !IsPlain(c) && QChar::isMark(c);
}

} // namespace

// ---- CharAdvances ----

void CharAdvances::reset(const QFont& font, qreal tabStop)
{
    font_ = font;
    font_.setKerning(false);
    metrics_.emplace(font_);
    tabStop_ = std::max<qint64>(1, qRound64(tabStop * 64));
    bmp_.clear();
    pairs_.clear();
    clusters_.clear();
}

qint64 CharAdvances::ofPair(char16_t high, char16_t low)
{
    const char32_t code = QChar::surrogateToUcs4(high, low);
    const auto it = pairs_.find(code);
    if (it != pairs_.end())
        return it->second;
    const QChar pair[2] = {QChar(high), QChar(low)};
    const qint32 a = measure(QString(pair, 2));
    pairs_.emplace(code, a);
    return a;
}

qint64 CharAdvances::ofCluster(const char16_t* text, qsizetype length)
{
    QString cluster(reinterpret_cast<const QChar*>(text), length);
    const auto it = clusters_.find(cluster);
    if (it != clusters_.end())
        return it->second;
    const qint32 a = measure(ShownText(cluster));
    clusters_.emplace(std::move(cluster), a);
    return a;
}

qint32 CharAdvances::measure(char16_t c)
{
    if (!metrics_)
        metrics_.emplace(font_);
    if (c == kLineSeparator)
        c = kShownLineSeparator;
    if (QChar::isSurrogate(c) || QChar::category(c) == QChar::Mark_NonSpacing)
        return 0; // a mark goes over the character before it
    // Format characters (soft hyphen, zero-width space, joiners) are hidden when text is
    // shaped; the shaped string says so, the glyph's own advance would not.
    if (QChar::category(c) == QChar::Other_Format)
        return measure(QString(QChar(c)));
    return qint32(qRound(metrics_->horizontalAdvance(QChar(c)) * 64));
}

qint32 CharAdvances::measure(const QString& text)
{
    if (!metrics_)
        metrics_.emplace(font_);
    return qint32(qRound(metrics_->horizontalAdvance(text) * 64));
}

// ---- LongLine ----

LongLine::LongLine(qsizetype start, qsizetype length) : start_(start)
{
    chunks_.resize(1);
    chunks_[0].length = length;
    starts_ = {0, length};
    xs_ = {0, 0};
}

int LongLine::chunkAt(qsizetype offset) const
{
    const auto end = starts_.begin() + qsizetype(chunks_.size());
    return std::max(0, int(std::upper_bound(starts_.begin(), end, offset) - starts_.begin()) - 1);
}

int LongLine::chunkAtX(qint64 x) const
{
    const auto end = xs_.begin() + qsizetype(chunks_.size());
    return std::max(0, int(std::upper_bound(xs_.begin(), end, x) - xs_.begin()) - 1);
}

void LongLine::recountStarts(int from)
{
    starts_.resize(chunks_.size() + 1);
    xs_.resize(chunks_.size() + 1);
    for (size_t k = size_t(from); k < chunks_.size(); ++k)
        starts_[k + 1] = starts_[k] + chunks_[k].length;
    firstUnplaced_ = std::min(firstUnplaced_, from);
}

void LongLine::edit(qsizetype offset, qsizetype removed, qsizetype inserted)
{
    int a = chunkAt(offset);
    // Text typed at a chunk's start goes to the chunk before: the chunk keeps starting at the
    // character it started at, which is known to begin a whole character.
    if (removed == 0 && a > 0 && offset == starts_[size_t(a)])
        --a;
    const int b = removed > 0 ? chunkAt(offset + removed - 1) : a;
    Chunk merged;
    merged.length = starts_[size_t(b) + 1] - starts_[size_t(a)] - removed + inserted;
    for (int k = a; k <= b; ++k)
        if (chunks_[size_t(k)].layout)
            --layoutCount_;
    chunks_.erase(chunks_.begin() + a + 1, chunks_.begin() + b + 1);
    chunks_[size_t(a)] = std::move(merged);
    recountStarts(a);
    dirtyFrom(a);
}

bool LongLine::breaksBetweenCharacters(const TextBuffer& text, qsizetype offset) const
{
    if (offset <= 0 || offset >= length())
        return true;
    if (IsPlain(text.at(start_ + offset - 1).unicode()) &&
        IsPlain(text.at(start_ + offset).unicode()))
        return true;
    constexpr qsizetype kContext = 32;
    const qsizetype from = std::max<qsizetype>(0, offset - kContext);
    const qsizetype to = std::min(length(), offset + kContext);
    const QString around = text.mid(start_ + from, to - from);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, around);
    finder.setPosition(offset - from);
    return finder.isAtBoundary();
}

int LongLine::resplit(int a, int b, const TextBuffer& text, CharAdvances& advances)
{
    const qsizetype from = starts_[size_t(a)];
    const qsizetype length = starts_[size_t(b) + 1] - from;
    const QString s = text.mid(start_ + from, length);

    // Cuts near equal shares of about kChunkChars, each moved to the nearest break between
    // whole characters.
    const qsizetype pieces = std::max<qsizetype>(1, (length + kChunkChars / 2) / kChunkChars);
    std::vector<qsizetype> cuts{0};
    constexpr qsizetype kSearch = 64;
    for (qsizetype i = 1; i < pieces; ++i) {
        const qsizetype want = length * i / pieces;
        qsizetype cut = -1;
        for (qsizetype d = 0; d < kSearch && cut < 0; ++d) {
            if (want - d > cuts.back() && breaksBetweenCharacters(text, from + want - d))
                cut = want - d;
            else if (d > 0 && want + d < length && breaksBetweenCharacters(text, from + want + d))
                cut = want + d;
        }
        if (cut < 0) // one character longer than the search: cut it, but never a pair
            cut = s[want].isLowSurrogate() ? want + 1 : want;
        if (cut > cuts.back() && cut < length)
            cuts.push_back(cut);
    }
    cuts.push_back(length);

    std::vector<Chunk> fresh(cuts.size() - 1);
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        Chunk& c = fresh[i];
        c.length = cuts[i + 1] - cuts[i];
        c.dirty = false;
        const char16_t* p = reinterpret_cast<const char16_t*>(s.utf16()) + cuts[i];
        qint64 x = 0;
        // The character a mark would go with, and x before it: marks are rare, so a character is
        // measured alone and again with its marks when one follows.
        qsizetype base = -1;
        qint64 baseX = 0;
        for (qsizetype j = 0; j < c.length; ++j) {
            const char16_t u = p[j];
            if (u == u'\t') {
                base = -1;
                if (c.hasTab) {
                    x = advances.nextStop(x);
                } else {
                    // x counts on from the stop the first tab reaches: later stops lie at the
                    // same distances from it wherever the chunk starts.
                    c.hasTab = true;
                    c.lead = x;
                    x = 0;
                }
                continue;
            }
            if (u >= 0x300 && !IsPlain(u)) {
                if (base >= 0 && QChar::isMark(u)) {
                    qsizetype end = j + 1;
                    while (end < c.length && Combines(p[end]))
                        ++end;
                    x = baseX + advances.ofCluster(p + base, end - base);
                    j = end - 1;
                    base = -1;
                    continue;
                }
                if (QChar::isHighSurrogate(u) && j + 1 < c.length &&
                    QChar::isLowSurrogate(p[j + 1])) {
                    base = j;
                    baseX = x;
                    x += advances.ofPair(u, p[j + 1]);
                    ++j;
                    continue;
                }
            }
            base = j;
            baseX = x;
            x += advances.of(u);
        }
        (c.hasTab ? c.tail : c.lead) = x;
    }

    for (int k = a; k <= b; ++k)
        if (chunks_[size_t(k)].layout)
            --layoutCount_;
    chunks_.erase(chunks_.begin() + a, chunks_.begin() + b + 1);
    chunks_.insert(chunks_.begin() + a, std::make_move_iterator(fresh.begin()),
                   std::make_move_iterator(fresh.end()));
    recountStarts(a);
    return int(fresh.size());
}

void LongLine::update(const TextBuffer& text, CharAdvances& advances)
{
    int k = firstDirty_;
    while (k < int(chunks_.size())) {
        if (!chunks_[size_t(k)].dirty) {
            ++k;
            continue;
        }
        // A run of dirty chunks, taken with its neighbours while it is short or would start or
        // end inside a character.
        const int n = int(chunks_.size());
        int a = k;
        int b = k;
        while (b + 1 < n && chunks_[size_t(b) + 1].dirty)
            ++b;
        for (;;) {
            const qsizetype from = starts_[size_t(a)];
            const qsizetype to = starts_[size_t(b) + 1];
            const bool small = to - from < kChunkChars / 2;
            if (b + 1 < n && (small || !breaksBetweenCharacters(text, to)))
                ++b;
            else if (a > 0 && (small || !breaksBetweenCharacters(text, from)))
                --a;
            else
                break;
        }
        k = a + resplit(a, b, text, advances);
    }
    firstDirty_ = INT_MAX;

    const qint64 tab = advances.tabStop();
    for (size_t i = size_t(std::max(0, firstUnplaced_)); i < chunks_.size(); ++i) {
        const Chunk& c = chunks_[i];
        const qint64 x = xs_[i];
        xs_[i + 1] = c.hasTab ? (x + c.lead) / tab * tab + tab + c.tail : x + c.lead;
    }
    firstUnplaced_ = INT_MAX;
}

QTextLayout* LongLine::layout(int k, qint64 phase) const
{
    const Chunk& c = chunks_[size_t(k)];
    return c.layout && c.layoutPhase == phase ? c.layout.get() : nullptr;
}

void LongLine::setLayout(int k, std::unique_ptr<QTextLayout> layout, qint64 phase)
{
    Chunk& c = chunks_[size_t(k)];
    if (!c.layout)
        ++layoutCount_;
    c.layout = std::move(layout);
    c.layoutPhase = phase;
}

void LongLine::dropLayoutsOutside(int from, int to)
{
    for (int k = 0; k < int(chunks_.size()) && layoutCount_ > 0; ++k) {
        Chunk& c = chunks_[size_t(k)];
        if ((k < from || k > to) && c.layout) {
            c.layout.reset();
            --layoutCount_;
        }
    }
}

} // namespace tl
