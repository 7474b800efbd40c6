#include "syntax/tagpairs.h"

#include <QSet>

#include <algorithm>

namespace tl
{

namespace
{

// Elements that have no end tag: a caret in one of them has no partner to look for.
bool HasNoEndTag(const QString& upperName)
{
    static const QSet<QString> kVoid = {
        QStringLiteral("AREA"),  QStringLiteral("BASE"),    QStringLiteral("BASEFONT"),
        QStringLiteral("BR"),    QStringLiteral("COL"),     QStringLiteral("EMBED"),
        QStringLiteral("FRAME"), QStringLiteral("HR"),      QStringLiteral("IMG"),
        QStringLiteral("INPUT"), QStringLiteral("ISINDEX"), QStringLiteral("LINK"),
        QStringLiteral("META"),  QStringLiteral("PARAM"),   QStringLiteral("SPACER"),
        QStringLiteral("WBR"),
    };
    return kVoid.contains(upperName);
}

// A tag or an ASP block found by lexing, in text positions.
struct Item {
    enum Kind { Start, End, Asp } kind = Start;
    qsizetype from = 0;
    qsizetype headTo = 0;     // after the name, or after "<%"
    qsizetype closeFrom = -1; // the "%>" of a block
    qsizetype to = -1;        // after ">" or "%>"; -1 while open
    QString name;             // upper case
};

// A tag spans a few lines, an ASP block some more; no more than this are read to find where
// the one holding the caret begins and ends.
constexpr int kSpanLines = 1000;

bool Holds(const Item& item, qsizetype caret)
{
    return item.from < caret && (item.to < 0 || caret <= item.to);
}

// A line starting inside a tag or an ASP block.
bool StartsInside(const LexState& state)
{
    return state.asp || (state.mode != LexMode::Text && state.mode != LexMode::Comment &&
                         state.mode != LexMode::Script && state.mode != LexMode::Style);
}

// What a search may still read: characters lexed, -1 for no bound.
struct Budget {
    qsizetype left = -1;
    // Counts n characters read; false once more were read than allowed.
    bool spend(qsizetype n)
    {
        if (left < 0)
            return true;
        left -= n;
        return left >= 0;
    }
};

// Reads a text forward a piece at a time from a point of a line whose state is known.
class ForwardReader
{
public:
    ForwardReader(LexedLines& text, int line, LexPoint from, Budget& budget)
        : text_(text), budget_(budget), line_(line), pos_(from.offset), state_(from.state)
    {
    }

    // The next piece's marks, the start of their line and the text position it ended at; false
    // at the end of the text or of the budget.
    bool next(std::vector<LexMark>& marks, qsizetype& base, qsizetype& end)
    {
        if (line_ >= text_.lineCount())
            return false;
        marks.clear();
        base = text_.lineStart(line_);
        const qsizetype length = text_.lineLength(line_);
        qsizetype stopped = length;
        state_ = text_.lexPart(line_, pos_, state_, pos_ + text_.pieceLength(), &marks, &stopped);
        if (!budget_.spend(stopped - pos_ + 1))
            return false;
        end = base + stopped;
        if (stopped >= length) {
            // The state at the line's end is the one the next line starts in.
            ++line_;
            pos_ = 0;
        } else {
            pos_ = stopped;
        }
        return true;
    }
    int line() const { return line_; }

private:
    LexedLines& text_;
    Budget& budget_;
    int line_;
    qsizetype pos_;
    LexState state_;
};

// The marks of a line before offset `upTo` (the whole line when it is its length), a piece at a
// time from the last piece back; f(marks, base) returns true to stop. False when the budget ran
// out or f stopped.
template <typename F>
bool ReadLineBackward(LexedLines& text, int line, qsizetype upTo, Budget& budget, F&& f)
{
    const std::vector<LexPoint> points = text.pointsUpTo(line, upTo);
    const qsizetype base = text.lineStart(line);
    std::vector<LexMark> marks;
    for (size_t i = points.size(); i-- > 0;) {
        const qsizetype stopAt = i + 1 < points.size() ? points[i + 1].offset : upTo;
        marks.clear();
        qsizetype stopped = stopAt;
        text.lexPart(line, points[i].offset, points[i].state, stopAt, &marks, &stopped);
        if (!budget.spend(stopped - points[i].offset + 1) || f(marks, base))
            return false;
    }
    return true;
}

// The innermost item holding pos (an ASP block inside a tag before the tag). Read from the last
// point before pos where the lexer stands outside every tag and block (back over lines that
// start inside one), on while one holding pos goes on.
std::optional<Item> ItemAt(LexedLines& text, qsizetype pos, Budget& budget)
{
    const int line = text.lineOf(pos);
    const qsizetype offset = pos - text.lineStart(line);
    int first = line;
    LexPoint start;
    for (;;) {
        // A point at pos itself could stand right after the ">" of the tag that holds pos.
        const qsizetype upTo =
            first == line ? std::max<qsizetype>(0, offset - 1) : text.lineLength(first);
        const std::vector<LexPoint> points = text.pointsUpTo(first, upTo);
        const auto outside = std::find_if(points.rbegin(), points.rend(),
                                          [](const LexPoint& p) { return !StartsInside(p.state); });
        if (outside != points.rend()) {
            start = *outside;
            break;
        }
        if (first == 0 || line - first >= kSpanLines) {
            start = points.front();
            break;
        }
        --first;
    }

    // The tags and blocks from there, in order. A tag that the next one starts inside ends where
    // that one begins.
    std::vector<Item> items;
    int openTag = -1;
    int openAsp = -1;
    std::vector<LexMark> marks;
    ForwardReader reader(text, first, start, budget);
    qsizetype base = 0;
    qsizetype end = 0;
    while (reader.next(marks, base, end)) {
        for (const LexMark& m : marks) {
            switch (m.type) {
            case LexMark::StartTag:
            case LexMark::EndTag:
                if (openTag >= 0)
                    items[size_t(openTag)].to = base + m.from;
                items.push_back({m.type == LexMark::StartTag ? Item::Start : Item::End,
                                 base + m.from, base + m.to, -1, -1,
                                 text.mid(base + m.nameFrom, m.to - m.nameFrom).toUpper()});
                openTag = int(items.size()) - 1;
                break;
            case LexMark::TagClose:
                if (openTag >= 0)
                    items[size_t(openTag)].to = base + m.to;
                openTag = -1;
                break;
            case LexMark::AspOpen:
                items.push_back({Item::Asp, base + m.from, base + m.to, -1, -1, {}});
                openAsp = int(items.size()) - 1;
                break;
            case LexMark::AspClose:
                if (openAsp >= 0) {
                    items[size_t(openAsp)].closeFrom = base + m.from;
                    items[size_t(openAsp)].to = base + m.to;
                }
                openAsp = -1;
                break;
            }
        }
        // Past pos, nothing still open can hold it any more once it is closed.
        if (end >= pos && ((openTag < 0 && openAsp < 0) || reader.line() - line > kSpanLines))
            break;
    }

    const Item* found = nullptr;
    for (const Item& item : items)
        if (item.kind == Item::Asp && Holds(item, pos))
            found = &item;
    if (!found)
        for (const Item& item : items)
            if (item.kind != Item::Asp && Holds(item, pos))
                found = &item;
    if (!found)
        return std::nullopt;
    return *found;
}

} // namespace

StringLexedLines::StringLexedLines(QStringView text) : text_(text)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype cr = text.indexOf(u'\r', start);
        starts_.push_back(start);
        if (cr < 0) {
            ends_.push_back(text.size());
            break;
        }
        ends_.push_back(cr);
        start = cr + (cr + 1 < text.size() && text[cr + 1] == u'\n' ? 2 : 1);
    }
    states_.push_back(LexState{});
}

int StringLexedLines::lineOf(qsizetype pos) const
{
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
    return std::max(0, int(it - starts_.begin()) - 1);
}

LexState StringLexedLines::stateAt(int line)
{
    while (int(states_.size()) <= line) {
        const int l = int(states_.size()) - 1;
        states_.push_back(LexLine(lineView(l), states_.back(), nullptr));
    }
    return states_[size_t(line)];
}

std::optional<TagPair> FindTagPair(LexedLines& text, qsizetype caret, int maxLines,
                                   qsizetype maxChars)
{
    Budget budget{maxChars};
    const std::optional<Item> here = ItemAt(text, caret, budget);
    if (!here || here->to < 0)
        return std::nullopt;
    if (here->kind == Item::Asp)
        return TagPair{here->from, here->headTo, here->closeFrom, here->to};
    if (HasNoEndTag(here->name))
        return std::nullopt;

    const Item& tag = *here;
    const bool forward = tag.kind == Item::Start;
    const int tagLine = text.lineOf(tag.from);
    const qsizetype tagOffset = tag.from - text.lineStart(tagLine);
    const int lastLine =
        maxLines < 0 ? text.lineCount() - 1 : std::min(text.lineCount() - 1, tagLine + maxLines);
    const int firstLine = maxLines < 0 ? 0 : std::max(0, tagLine - maxLines);
    int depth = 1;
    // The partner's "<" and the end of its name.
    std::optional<std::pair<qsizetype, qsizetype>> partnerAt;
    // Counts the tags of the name in one piece's marks, in reading order; true once the partner
    // is met.
    auto count = [&](const std::vector<LexMark>& marks, qsizetype base) {
        const qsizetype n = qsizetype(marks.size());
        for (qsizetype k = 0; k < n; ++k) {
            const LexMark& m = marks[size_t(forward ? k : n - 1 - k)];
            if (m.type != LexMark::StartTag && m.type != LexMark::EndTag)
                continue;
            const qsizetype pos = base + m.from;
            if ((forward ? pos <= tag.from : pos >= tag.from) ||
                m.to - m.nameFrom != tag.name.size() ||
                text.mid(base + m.nameFrom, m.to - m.nameFrom)
                    .compare(tag.name, Qt::CaseInsensitive))
                continue;
            depth += (m.type == LexMark::StartTag) == forward ? 1 : -1;
            if (depth == 0) {
                partnerAt = {pos, base + m.to};
                return true;
            }
        }
        return false;
    };

    if (forward) {
        // From the last kept point before the tag.
        const std::vector<LexPoint> points = text.pointsUpTo(tagLine, tagOffset);
        ForwardReader reader(text, tagLine, points.back(), budget);
        std::vector<LexMark> marks;
        qsizetype base = 0;
        qsizetype end = 0;
        while (reader.line() <= lastLine && reader.next(marks, base, end))
            if (count(marks, base))
                break;
    } else {
        for (int l = tagLine; l >= firstLine; --l) {
            const qsizetype upTo = l == tagLine ? tagOffset : text.lineLength(l);
            if (!ReadLineBackward(text, l, upTo, budget, count))
                break;
        }
    }
    if (!partnerAt)
        return std::nullopt;
    // The partner, read whole: the caret is put just inside it to find it.
    const std::optional<Item> partner = ItemAt(text, partnerAt->second, budget);
    if (!partner || partner->from != partnerAt->first || partner->to < 0)
        return std::nullopt;
    if (forward)
        return TagPair{tag.from, tag.to, partner->from, partner->to};
    return TagPair{partner->from, partner->to, tag.from, tag.to};
}

qsizetype PartnerJumpTarget(const TagPair& pair, qsizetype caret)
{
    if (pair.closeFrom < caret && caret <= pair.closeTo)
        return pair.openTo;
    return pair.closeTo;
}

} // namespace tl
