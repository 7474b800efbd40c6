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
    QString line;
    std::vector<LexMark> marks;
    for (int l = first; l <= last; ++l) {
        marks.clear();
        text.lexLine(l, &line, &marks);
        const qsizetype base = text.lineStart(l);
        for (const LexMark& m : marks) {
            switch (m.type) {
            case LexMark::StartTag:
            case LexMark::EndTag:
                if (openTag >= 0)
                    items[size_t(openTag)].to = base + m.from;
                items.push_back({m.type == LexMark::StartTag ? Item::Start : Item::End,
                                 base + m.from, base + m.to, -1, -1,
                                 line.mid(m.nameFrom, m.to - m.nameFrom).toUpper()});
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

// A tag spans a few lines at most; this many are read around the caret to find the one it is in
// and where a partner ends.
constexpr int kTagLines = 8;

// The whole tag starting at pos, which begins line `line` or a later one within kTagLines.
std::optional<Item> TagAt(LexedLines& text, qsizetype pos)
{
    const int line = text.lineOf(pos);
    for (const Item& item : Collect(text, line, std::min(text.lineCount() - 1, line + kTagLines)))
        if (item.from == pos)
            return item;
    return std::nullopt;
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

void StringLexedLines::lexLine(int line, QString* text, std::vector<LexMark>* marks)
{
    while (int(states_.size()) <= line) {
        const int l = int(states_.size()) - 1;
        states_.push_back(
            LexLine(text_.mid(starts_[size_t(l)], ends_[size_t(l)] - starts_[size_t(l)]),
                    states_.back(), nullptr));
    }
    const QStringView view =
        text_.mid(starts_[size_t(line)], ends_[size_t(line)] - starts_[size_t(line)]);
    *text = view.toString();
    LexLine(view, states_[size_t(line)], nullptr, marks);
}

std::optional<TagPair> FindTagPair(LexedLines& text, qsizetype caret, int maxLines)
{
    const int caretLine = text.lineOf(caret);
    const int last = text.lineCount() - 1;
    const std::vector<Item> around =
        Collect(text, std::max(0, caretLine - kTagLines), std::min(last, caretLine + kTagLines));

    // The innermost: an ASP block inside a tag comes before the tag.
    const Item* here = nullptr;
    for (const Item& item : around)
        if (item.kind == Item::Asp && Holds(item, caret))
            here = &item;
    if (here) {
        if (here->to < 0)
            return std::nullopt;
        return TagPair{here->from, here->headTo, here->closeFrom, here->to};
    }
    for (const Item& item : around)
        if (item.kind != Item::Asp && Holds(item, caret))
            here = &item;
    if (!here || here->to < 0 || HasNoEndTag(here->name))
        return std::nullopt;

    const Item tag = *here;
    const bool forward = tag.kind == Item::Start;
    const int limit = maxLines < 0 ? last + 1 : maxLines;
    int depth = 1;
    QString line;
    std::vector<LexMark> marks;
    for (int step = 0; step <= limit; ++step) {
        const int l = forward ? text.lineOf(tag.from) + step : text.lineOf(tag.from) - step;
        if (l < 0 || l > last)
            break;
        marks.clear();
        text.lexLine(l, &line, &marks);
        const qsizetype base = text.lineStart(l);
        const qsizetype count = qsizetype(marks.size());
        for (qsizetype k = 0; k < count; ++k) {
            const LexMark& m = marks[size_t(forward ? k : count - 1 - k)];
            if (m.type != LexMark::StartTag && m.type != LexMark::EndTag)
                continue;
            const qsizetype pos = base + m.from;
            if (forward ? pos <= tag.from : pos >= tag.from)
                continue;
            if (QStringView(line)
                    .mid(m.nameFrom, m.to - m.nameFrom)
                    .compare(tag.name, Qt::CaseInsensitive))
                continue;
            const bool same = (m.type == LexMark::StartTag) == forward;
            depth += same ? 1 : -1;
            if (depth > 0)
                continue;
            const std::optional<Item> partner = TagAt(text, pos);
            if (!partner || partner->to < 0)
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
