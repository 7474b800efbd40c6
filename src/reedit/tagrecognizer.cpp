#include "reedit/tagrecognizer.h"

#include "reedit/markersearch.h"
#include "reedit/tagend.h"

#include <algorithm>
#include <array>

namespace tl
{

namespace
{

bool IsLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// The ">" that ends the tag whose "<" is at from, by the rule of StartTagEnd: a ">" inside a
// quoted value or an ASP block (BGCOLOR="<%=c%>", onLoad="if (a > b) x()") does not, so that
// rewriting the tag never leaves the rest of it behind. The page is read a piece at a time from
// the "<" on: a tag ends within its first piece, and a page is never copied whole. -1 when there
// is none.
qint64 TagEnd(const TagText& text, qint64 from)
{
    TagEndScanner scanner;
    constexpr qint64 kPiece = 4096;
    for (qint64 at = from + 1;; at += kPiece) {
        const QString piece = text.Mid(at, kPiece);
        if (scanner.Feed(piece, at) || piece.size() < kPiece)
            return scanner.End();
    }
}

// The caret's line, its start and the caret's column in it.
struct CaretLine {
    QString text;
    qint64 start = 0;
    qsizetype column = 0;
};

CaretLine LineOfCaret(const TagText& text, qint64 caret)
{
    CaretLine line;
    line.text = text.Line(caret, &line.start);
    line.column = qsizetype(std::clamp<qint64>(caret - line.start, 0, line.text.size()));
    return line;
}

// Index in the line of the nearest "<" before the caret, or -1. An ASP block that closes
// before the caret is passed over, so that a click on a link's text after
// HREF="a.asp?id=<%=id%>" finds the link, as it does without the block; a caret inside a block
// finds the block.
qsizetype LtBeforeCaret(const CaretLine& line)
{
    qsizetype lt = line.column == 0 ? -1 : line.text.lastIndexOf(u'<', line.column - 1);
    while (lt > 0 && QStringView(line.text).sliced(lt).startsWith(u"<%")) {
        const qsizetype close = line.text.indexOf(u"%>", lt + 2);
        if (close < 0 || close + 2 > line.column)
            break;
        const qsizetype before = line.text.lastIndexOf(u'<', lt - 1);
        if (before < 0)
            break;
        lt = before;
    }
    return lt;
}

bool Has(QStringView text, QStringView marker)
{
    return ContainsNoCase(text, marker);
}

bool IsTagNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') ||
           u == u'-' || u == u'_' || u == u':';
}

// The opening of a tag named by marker ("<P"), the whole name: "<PRE" is no "<P", "<THEAD"
// no "<TH", "<AREA" no "<A".
bool HasTag(QStringView text, QStringView marker)
{
    for (qsizetype from = 0;;) {
        const qsizetype at = IndexOfNoCase(text.sliced(from), marker);
        if (at < 0)
            return false;
        const qsizetype end = from + at + marker.size();
        if (end >= text.size() || !IsTagNameChar(text[end]))
            return true;
        from += at + 1;
    }
}

// A heading's opening: "<Hn" followed by a blank or ">", so that <H2 ALIGN="center"> is one.
bool HasHeading(QStringView text, QStringView marker)
{
    for (qsizetype from = 0;;) {
        const qsizetype at = IndexOfNoCase(text.sliced(from), marker);
        if (at < 0)
            return false;
        const qsizetype end = from + at + marker.size();
        if (end < text.size() && (text[end] == u'>' || text[end] == u' ' || text[end] == u'\t' ||
                                  text[end] == u'\r' || text[end] == u'\n'))
            return true;
        from += at + 1;
    }
}

bool IsInput(QStringView t, QStringView type)
{
    return Has(t, u"TYPE") && HasTag(t, u"<INPUT") && Has(t, type);
}

// What a row's test reads: T, the tag, and R, the rest of the line.
struct Found {
    QStringView tag;
    QStringView rest;
};

struct Row {
    int number;
    bool (*test)(Found f);
    const char16_t* closingMarker;
    const char* dialog;
    const char* caption;
};

constexpr int kAnchorRow = 30;

// Tested in this order. Row 29 reads R instead of T, so that a FRAME tag continued on the next
// line is found too. Row 30 picks its dialog in AnchorMatch.
// clang-format off
const std::array<Row, 33> kRows = {{
    { 1, [](Found f) { return HasTag(f.tag, u"<BODY"); },     u">",          "frmPage",     nullptr},
    { 2, [](Found f) { return HasTag(f.tag, u"<TITLE"); },    u"</TITLE>",   "frmTitle",    nullptr},
    { 3, [](Found f) { return HasTag(f.tag, u"<BASEFONT"); }, u">",          "frmBaseFont", nullptr},
    { 4, [](Found f) { return HasHeading(f.tag, u"<H1"); },    u"</H1>",      "frmH",        nullptr},
    { 5, [](Found f) { return HasHeading(f.tag, u"<H2"); },    u"</H2>",      "frmH",        nullptr},
    { 6, [](Found f) { return HasHeading(f.tag, u"<H3"); },    u"</H3>",      "frmH",        nullptr},
    { 7, [](Found f) { return HasHeading(f.tag, u"<H4"); },    u"</H4>",      "frmH",        nullptr},
    { 8, [](Found f) { return HasHeading(f.tag, u"<H5"); },    u"</H5>",      "frmH",        nullptr},
    { 9, [](Found f) { return HasHeading(f.tag, u"<H6"); },    u"</H6>",      "frmH",        nullptr},
    {10, [](Found f) { return HasTag(f.tag, u"<FONT"); },     u"</FONT>",    "frmFont",     nullptr},
    {11, [](Found f) { return HasTag(f.tag, u"<P"); },        u"</P>",       "frmP",        nullptr},
    {12, [](Found f) { return HasTag(f.tag, u"<HR"); },       u">",          "frmLines",    nullptr},
    {13, [](Found f) {
             return Has(f.tag, u"SRC") && HasTag(f.tag, u"<IMG") && !Has(f.tag, u"DYNSRC");
         },
         u">", "frmImg", nullptr},
    {14, [](Found f) { return Has(f.tag, u"DYNSRC") && HasTag(f.tag, u"<IMG"); },
         u">", "frmDynsrc", nullptr},
    {15, [](Found f) { return HasTag(f.tag, u"<BGSOUND") && Has(f.tag, u"SRC"); },
         u">", "frmSound", nullptr},
    {16, [](Found f) { return HasTag(f.tag, u"<MARQUEE"); },  u"</MARQUEE>", "frmScroll",   nullptr},
    {17, [](Found f) { return IsInput(f.tag, u"PASSWORD") || IsInput(f.tag, u"TEXT"); },
         u">", "frmTextBox", nullptr},
    {18, [](Found f) { return IsInput(f.tag, u"RADIO"); },    u">", "frmControl",   "Radio"},
    {19, [](Found f) { return IsInput(f.tag, u"CHECKBOX"); }, u">", "frmControl",   "CheckBox"},
    {20, [](Found f) { return IsInput(f.tag, u"SUBMIT"); },   u">", "frmButton",    "Submit"},
    {21, [](Found f) { return IsInput(f.tag, u"RESET"); },    u">", "frmButton",    "Reset"},
    {22, [](Found f) { return IsInput(f.tag, u"BUTTON"); },   u">", "frmButtonClk", nullptr},
    {23, [](Found f) { return HasTag(f.tag, u"<TEXTAREA"); },    u">", "frmTextArea",  nullptr},
    {24, [](Found f) { return IsInput(f.tag, u"HIDDEN"); },   u">", "frmHidden",    nullptr},
    {25, [](Found f) { return HasTag(f.tag, u"<TABLE"); },       u">", "frmTable",     nullptr},
    {26, [](Found f) { return HasTag(f.tag, u"<TH"); },          u"</TH>", "frmTHD",   "TH"},
    {27, [](Found f) { return HasTag(f.tag, u"<TD"); },          u"</TD>", "frmTHD",   "TD"},
    {28, [](Found f) { return HasTag(f.tag, u"<TR"); },          u">", "frmTR",        nullptr},
    {29, [](Found f) { return !HasTag(f.rest, u"<FRAMESET") && HasTag(f.rest, u"<FRAME"); },
         u">", "frmFrame", nullptr},
    {kAnchorRow, [](Found f) { return HasTag(f.tag, u"<A"); },   u"</A>", nullptr,     nullptr},
    {31, [](Found f) { return HasTag(f.tag, u"<FORM"); },        u">", "frmForm",      nullptr},
    {32, [](Found f) { return HasTag(f.tag, u"<FRAMESET"); },    u">", "frmFrameSet",  nullptr},
    {33, [](Found f) {
             return Has(f.tag, u"!") && Has(f.tag, u"-") && Has(f.tag, u"<") && Has(f.tag, u">");
         },
         u">", "frmComment", nullptr},
}};
// clang-format on

// The anchor row: a link, a marker or a link into a frame, judged on the opening tag O and the
// whole element A.
std::optional<TagMatch> AnchorMatch(const TagAtCaret& found, const TagText& text, qint64 caret)
{
    const std::optional<TagTarget> element = EditTargetForTag(text, caret, u"</A>");
    if (!element)
        return std::nullopt;
    const QString a = text.Mid(element->start - 1, element->length);
    const qsizetype k = found.tag.size();
    const QStringView o = QStringView(a).first(std::min(k, a.size()));

    const bool open = Has(o, u"<A");
    const bool href = Has(o, u"HREF");
    const bool name = Has(o, u"NAME");
    const bool target = Has(o, u"TARGET");
    const bool standardTarget = Has(o, u"_BLANK") || Has(o, u"_SELF") || Has(o, u"_PARENT") ||
                                Has(o, u"_SENTIUS") || Has(o, u"_TOP");

    TagMatch match;
    match.row = kAnchorRow;
    match.target = *element;
    if (open && href && !name && (!target || standardTarget) && Has(a, u"/A>") && Has(a, u"<A")) {
        match.anchor = AnchorKind::Link;
        match.dialog = QLatin1StringView("frmLink");
    } else if (open && name && !target && Has(a, u"<A") && Has(a, u">")) {
        match.anchor = AnchorKind::Marker;
        match.dialog = QLatin1StringView("frmMarker");
    } else if (open && target && href && !name && !standardTarget && Has(a, u"<A") &&
               Has(a, u">")) {
        match.anchor = AnchorKind::FrameTarget;
        match.dialog = QLatin1StringView("frmLinkTarg");
    } else {
        return std::nullopt;
    }
    return match;
}

} // namespace

QString StringTagText::Line(qint64 caret, qint64* lineStart) const
{
    const qsizetype c = qsizetype(std::clamp<qint64>(caret, 0, text_.size()));
    qsizetype start = c;
    while (start > 0 && !IsLineBreak(text_[start - 1]))
        --start;
    qsizetype end = c;
    while (end < text_.size() && !IsLineBreak(text_[end]))
        ++end;
    *lineStart = start;
    return text_.sliced(start, end - start).toString();
}

qint64 StringTagText::Find(QStringView marker, qint64 from) const
{
    return IndexOfNoCase(text_, marker, qsizetype(std::clamp<qint64>(from, 0, text_.size())));
}

QString StringTagText::Mid(qint64 pos, qint64 length) const
{
    return text_.mid(qsizetype(pos), qsizetype(length)).toString();
}

TagAtCaret FindTagAtCaret(const TagText& text, qint64 caret)
{
    TagAtCaret found;
    const CaretLine line = LineOfCaret(text, caret);
    const qsizetype lt = LtBeforeCaret(line);
    if (lt < 0)
        return found;
    if (lt == line.text.size() - 1) {
        found.outcome = TagAtCaret::Outcome::Beep;
        return found;
    }
    found.outcome = TagAtCaret::Outcome::Tag;
    found.rest = line.text.sliced(lt);
    const StringTagText rest(found.rest);
    const qint64 gt = TagEnd(rest, 0);
    if (gt >= 0)
        found.tag = found.rest.first(qsizetype(gt) + 1);
    return found;
}

std::optional<TagTarget> EditTargetForTag(const TagText& text, qint64 caret,
                                          QStringView closingMarker)
{
    const CaretLine line = LineOfCaret(text, caret);
    const qsizetype lt = LtBeforeCaret(line);
    if (lt < 0)
        return std::nullopt;
    const qint64 from = line.start + lt;
    TagTarget target;
    target.start = from + 1;
    const qint64 marker =
        closingMarker == u">" ? TagEnd(text, from) : text.Find(closingMarker, from);
    if (marker >= 0) {
        target.length = marker + closingMarker.size() - from;
        return target;
    }
    const qint64 gt = TagEnd(text, from);
    if (gt < 0)
        return std::nullopt;
    target.length = gt + 1 - from;
    target.openingTagOnly = true;
    return target;
}

std::optional<TagMatch> NextTagMatch(const TagAtCaret& found, const TagText& text, qint64 caret,
                                     int afterRow)
{
    if (found.outcome != TagAtCaret::Outcome::Tag)
        return std::nullopt;
    for (const Row& row : kRows) {
        if (row.number <= afterRow || !row.test(Found{found.tag, found.rest}))
            continue;
        if (row.number == kAnchorRow) {
            if (std::optional<TagMatch> anchor = AnchorMatch(found, text, caret))
                return anchor;
            continue;
        }
        if (const std::optional<TagTarget> target =
                EditTargetForTag(text, caret, row.closingMarker)) {
            TagMatch match;
            match.row = row.number;
            match.dialog = QLatin1StringView(row.dialog);
            match.caption = QLatin1StringView(row.caption);
            match.target = *target;
            return match;
        }
    }
    return std::nullopt;
}

TagDecision RecognizeTag(const TagText& text, qint64 caret)
{
    TagDecision decision;
    const TagAtCaret found = FindTagAtCaret(text, caret);
    decision.beep = found.outcome == TagAtCaret::Outcome::Beep;
    int row = 0;
    while (const std::optional<TagMatch> match = NextTagMatch(found, text, caret, row)) {
        decision.matches.append(*match);
        row = match->row;
    }
    return decision;
}

} // namespace tl
