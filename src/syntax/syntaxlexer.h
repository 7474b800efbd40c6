#pragma once

#include <QColor>
#include <QStringView>
#include <QtGlobal>

#include <vector>

namespace tl
{

// The colour classes of a page's source. Plain text has no run.
enum class SyntaxKind : quint8 {
    Plain,
    Tag,          // "<", the element's name, ">"; also "<!DOCTYPE"
    AttrName,     // an attribute's name inside a tag
    AttrValue,    // its value, quotes included
    Entity,       // &nbsp; &#160; &#xA0;
    Comment,      // <!-- ... -->
    AspDelimiter, // <% <%= <%@ and %>
    AspCode,      // script inside an ASP block
    VbKeyword,    // a VBScript keyword inside an ASP block
    VbString,     // "text" inside an ASP block
    VbComment,    // ' or REM to the end of the line or of the block
};

// Characters [from, to) of a line in one colour class.
struct SyntaxRun {
    qsizetype from = 0;
    qsizetype to = 0;
    SyntaxKind kind = SyntaxKind::Plain;
    bool operator==(const SyntaxRun&) const = default;
};

// Where the lexer stands between two characters: all it needs to go on from there. A page is
// lexed line by line, each line starting in the state the line before ended in.
enum class LexMode : quint8 {
    Text,
    Tag,         // inside a tag, after its name
    TagEquals,   // after an attribute's "="
    ValueDouble, // inside "..."
    ValueSingle, // inside '...'
    ValueBare,   // inside an unquoted value
    Comment,
    Script, // the raw text of a SCRIPT element
    Style,  // the raw text of a STYLE element
};

struct LexState {
    LexMode mode = LexMode::Text;
    // Inside an ASP block; mode is where the text goes on after its "%>" (an ASP block may stand
    // in an attribute value or in a comment).
    bool asp = false;
    // Inside a SCRIPT or STYLE start tag: its ">" starts raw text (Script or Style).
    LexMode raw = LexMode::Text;
    bool operator==(const LexState&) const = default;
};

// A point of a line between two tokens where the lexer's state is known: offset in the line.
struct LexPoint {
    qsizetype offset = 0;
    LexState state;
};

// Tags and ASP delimiters met while lexing, for the matching of pairs. Positions are offsets
// in the line.
struct LexMark {
    enum Type : quint8 { StartTag, EndTag, TagClose, AspOpen, AspClose };
    Type type = StartTag;
    qsizetype from = 0; // StartTag, EndTag: the "<"; TagClose: the ">"; ASP: the delimiter
    qsizetype to = 0;   // after the name (tags), the ">" or the delimiter
    qsizetype nameFrom = 0;
    bool operator==(const LexMark&) const = default;
};

// Lexes one line (without its line break) from state `in`: appends its coloured runs to runs
// (adjacent runs of one class merged; plain text gives none) and the marks to marks (either
// may be null), and returns the state the next line starts in.
LexState LexLine(QStringView line, LexState in, std::vector<SyntaxRun>* runs,
                 std::vector<LexMark>* marks = nullptr);

// Lexes line from offset `from`, where the lexer stood in state `in` between two tokens, and
// stops at the first point between tokens at or after stopAt (or at the line's end, without
// the line end's effect). *stopped receives that offset. Long lines are coloured a piece at a
// time from such points.
LexState LexSpan(QStringView line, qsizetype from, LexState in, qsizetype stopAt,
                 std::vector<SyntaxRun>* runs, qsizetype* stopped,
                 std::vector<LexMark>* marks = nullptr);

// The colour of a class on the edit box's white background; black for plain text.
QColor SyntaxColor(SyntaxKind kind);

} // namespace tl
