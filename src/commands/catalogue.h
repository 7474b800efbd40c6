#pragma once

#include <QStringView>
#include <QtGlobal>

namespace tl
{

// What an insert command does with its texts.
enum class ActionKind {
    Literal,    // text replaces the selection
    BlockPair,  // text and close on lines of their own around the selection
    List,       // every selected line an item; text and close the list tags (none for bare items)
    LineBreaks, // "<BR>" before every selected line break
    InlinePair, // text and close around the selection, a trailing line break kept outside
    LineWrap,   // every selected line becomes prefix + text + line + close
    JoinLeft,   // Q + " & " + selection
    JoinRight,  // selection + " & " + Q
    DeleteTag,  // deletes the tag (or the text between tags) at the caret
    Dialog,     // opens the dialog named by target, with caption for its variants
    Routine,    // runs the routine named by target
};

// One insert command: its code and its texts. Fields a kind does not use stay empty.
struct CommandAction {
    qint16 code = 0;
    ActionKind kind = ActionKind::Literal;
    QStringView text;
    QStringView close;
    QStringView prefix;
    QStringView target;
    QStringView caption;
};

// Codes that menu items run besides the toolbar buttons.
namespace code
{
constexpr qint16 LineBreak = 44; // a CR LF at the caret
constexpr qint16 DeleteTag = 57; // the tag (or the text between tags) at the caret
} // namespace code

// Nullptr for a code that is not in use (4, 45, 50 and everything outside 1 to 96).
const CommandAction* FindCommandAction(qint16 code);

} // namespace tl
