#include "editor/tagpairs.h"

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

// The tags and blocks of lines [first, last], in order. A tag that the next one starts inside
// ends where that one begins.
std::vector<Item> Collect(LexedLines& text, int first, int last)
{
    std::vector<Item> items;
    int openTag = -1;
    int openAsp = -1;
    std::vector<LexMark> marks;
    for (int l = first; l <= last; ++l) {
        marks.clear();
        text.lexLine(l, &marks);
        const qsizetype base = text.lineStart(l);
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
    }
    return items;
}

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

// A tag spans a few lines, an ASP block some more; no more than this are read to find where
// the one holding the caret begins and ends.
constexpr int kSpanLines = 1000;

// The innermost item holding pos (an ASP block inside a tag before the tag), read from the
// lines around it: back while a line starts inside a tag or block, forward while one goes on
// into the next line.
std::optional<Item> ItemAt(LexedLines& text, qsizetype pos)
{
    const int line = text.lineOf(pos);
    int first = line;
    while (first > 0 && line - first < kSpanLines && StartsInside(text.stateAt(first)))
        --first;
    int last = line;
    while (last + 1 < text.lineCount() && last - line < kSpanLines &&
           StartsInside(text.stateAt(last + 1)))
        ++last;
    const std::vector<Item> items = Collect(text, first, last);
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

void StringLexedLines::lexLine(int line, std::vector<LexMark>* marks)
{
    LexLine(lineView(line), stateAt(line), nullptr, marks);
}

std::optional<TagPair> FindTagPair(LexedLines& text, qsizetype caret, int maxLines)
{
    const std::optional<Item> here = ItemAt(text, caret);
    if (!here || here->to < 0)
        return std::nullopt;
    if (here->kind == Item::Asp)
        return TagPair{here->from, here->headTo, here->closeFrom, here->to};
    if (HasNoEndTag(here->name))
        return std::nullopt;

    const Item& tag = *here;
    const bool forward = tag.kind == Item::Start;
    const int last = text.lineCount() - 1;
    const int limit = maxLines < 0 ? last + 1 : maxLines;
    const int tagLine = text.lineOf(tag.from);
    int depth = 1;
    std::vector<LexMark> marks;
    for (int step = 0; step <= limit; ++step) {
        const int l = forward ? tagLine + step : tagLine - step;
        if (l < 0 || l > last)
            break;
        marks.clear();
        text.lexLine(l, &marks);
        const qsizetype base = text.lineStart(l);
        const qsizetype count = qsizetype(marks.size());
        for (qsizetype k = 0; k < count; ++k) {
            const LexMark& m = marks[size_t(forward ? k : count - 1 - k)];
            if (m.type != LexMark::StartTag && m.type != LexMark::EndTag)
                continue;
            const qsizetype pos = base + m.from;
            if ((forward ? pos <= tag.from : pos >= tag.from) ||
                m.to - m.nameFrom != tag.name.size() ||
                text.mid(base + m.nameFrom, m.to - m.nameFrom)
                    .compare(tag.name, Qt::CaseInsensitive))
                continue;
            depth += (m.type == LexMark::StartTag) == forward ? 1 : -1;
            if (depth > 0)
                continue;
            // The partner, read whole: the caret is put just inside it to find it.
            const std::optional<Item> partner = ItemAt(text, base + m.to);
            if (!partner || partner->from != pos || partner->to < 0)
                return std::nullopt;
            if (forward)
                return TagPair{tag.from, tag.to, partner->from, partner->to};
            return TagPair{partner->from, partner->to, tag.from, tag.to};
        }
    }
    return std::nullopt;
}

qsizetype PartnerJumpTarget(const TagPair& pair, qsizetype caret)
{
    if (pair.closeFrom < caret && caret <= pair.closeTo)
        return pair.openTo;
    return pair.closeTo;
}

} // namespace tl
