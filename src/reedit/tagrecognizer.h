#pragma once

#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace tl
{

// The tag recognizer behind a double click in the edit box (and F4): finds the tag around the
// caret and decides which dialogs re-edit it.
//
// Positions: the caret is 0-based and counts a line break as the two characters CR LF (the
// position clicked, not the start of the word the edit box selects); a TagTarget is the
// EditTarget's 1-based start and its length. The recognizer reads the page through TagText:
// the caret's line, a search for the closing marker from the tag's "<" on, and the tag's range;
// never the text before the caret's line. StringTagText serves a whole text held as a string;
// DocumentTagText (editor/documenttagtext.h) serves the edit box's document without copying it,
// which on a 400,000-line page is the difference between microseconds and a tenth of a second.
//
// The line: the "<" is the nearest one before the caret on the caret's line, the character
// directly before the caret included, so that a caret standing right after a tag's "<" (where
// a re-edit leaves it) finds that tag; the "<" of an ASP block that closes before the caret
// is passed over (a click after HREF="a.asp?id=<%=id%>" finds the link). R is the rest of the line
// from that "<", T is R up to and including the ">" that ends the tag (empty without one): its
// first ">" that does not close an ASP block inside the tag, so <BODY BGCOLOR="<%=c%>"> is one tag.
// A range that ends at a ">" ends there too. No "<": nothing happens. The "<" as the line's last
// character: a beep and nothing else.
//
// Several dialogs for one double click: the decision table is acted on row by row, and each
// matching row's dialog is shown modally before the next row is tested (an INPUT of type SUBMIT
// whose VALUE holds "Reset" matches the Submit row and then the Reset row). The rows' tests are
// made once, on T and R as found at the click; each row's range is found afresh from the text
// and caret of that moment, since an accepted dialog has replaced the tag and left the caret
// right after the new "<". So the caller drives the loop:
//
//     box.SetSelStart(c); // the click position; the word the box selected must not stay
//     const DocumentTagText page(*edit.document());
//     const TagAtCaret found = FindTagAtCaret(page, c);
//     if (found.outcome == TagAtCaret::Outcome::Beep) beep();
//     int row = 0;
//     while (auto m = NextTagMatch(found, page, box.SelStart(), row)) {
//         set the EditTarget to m->target, set m->caption when not empty, show m->dialog;
//         row = m->row;
//     }
//
// RecognizeTag runs that loop on an unchanged text (every dialog cancelled) and returns the
// ordered list.

// Where the recognizer reads the page. Positions are 0-based; a line break counts as CR LF.
class TagText
{
public:
    virtual ~TagText() = default;
    // The line holding caret position caret (clamped to the text), without its line break;
    // *lineStart receives the position of its first character.
    virtual QString Line(qint64 caret, qint64* lineStart) const = 0;
    // Position of the first occurrence of marker, which holds no line break, at or after from;
    // ASCII letters match without regard to case. -1 when there is none.
    virtual qint64 Find(QStringView marker, qint64 from) const = 0;
    // The characters [pos, pos + length), line breaks as CR LF.
    virtual QString Mid(qint64 pos, qint64 length) const = 0;
};

// A whole text held as a string. A CR or an LF ends a line.
class StringTagText final : public TagText
{
public:
    explicit StringTagText(QStringView text) : text_(text) {}
    QString Line(qint64 caret, qint64* lineStart) const override;
    qint64 Find(QStringView marker, qint64 from) const override;
    QString Mid(qint64 pos, qint64 length) const override;

private:
    QStringView text_;
};

// A range as the EditTarget holds it.
struct TagTarget {
    qint64 start = 0; // 1-based character position of the tag's "<"
    qint64 length = 0;
    // The closing marker does not occur after the "<": the range stops after the opening tag,
    // so that nothing beyond the tag is replaced.
    bool openingTagOnly = false;
};

// What a double click found on the caret's line.
struct TagAtCaret {
    enum class Outcome { NoTag, Beep, Tag };
    Outcome outcome = Outcome::NoTag;
    QString rest; // R: from the "<" to the end of the line
    QString tag;  // T: R up to and including the ">" that ends the tag; empty without one
};

// How the anchor row turned out.
enum class AnchorKind { None, Link, Marker, FrameTarget };

// One matched row of the decision table.
struct TagMatch {
    int row = 0;               // 1 to 33, in the table's order
    QLatin1StringView dialog;  // object name of the dialog to show, e.g. "frmTable"
    QLatin1StringView caption; // caption the opener sets ("Radio", "Submit", "TH", ...), or empty
    AnchorKind anchor = AnchorKind::None;
    TagTarget target;
};

struct TagDecision {
    bool beep = false;
    QList<TagMatch> matches; // in the table's order
};

TagAtCaret FindTagAtCaret(const TagText& text, qint64 caret);

// The range from the "<" before the caret on its line through the end of the first
// closingMarker after it (letter case ignored; it may lie on a later line). Without the marker,
// the opening tag alone, through the first ">" after the "<". None when there is no "<" before
// the caret on its line or no ">" after it.
std::optional<TagTarget> EditTargetForTag(const TagText& text, qint64 caret,
                                          QStringView closingMarker);

// The first row after afterRow whose test holds for found and whose range can be set in text at
// caret. None when found is not a tag or no further row matches.
std::optional<TagMatch> NextTagMatch(const TagAtCaret& found, const TagText& text, qint64 caret,
                                     int afterRow);

// Every match of a double click at caret, assuming the dialogs leave the text unchanged.
TagDecision RecognizeTag(const TagText& text, qint64 caret);

// The same on a whole text with CR LF line breaks.
inline TagDecision RecognizeTag(QStringView text, qint64 caret)
{
    return RecognizeTag(StringTagText(text), caret);
}

} // namespace tl
