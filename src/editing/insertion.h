#pragma once

#include <QString>

class QWidget;

namespace tl
{

struct AppState;
class cTextBox;

// The shared ways in which commands and dialogs write into the edit box. Caret positions are
// 0-based, EditTarget positions 1-based; a line break counts as the two characters CR LF.
// Every routine that edits makes one undo step. Those marked "reports failures" show a failure
// in the usual message box and end; none throws.

// Selects the tag being re-edited, when there is one.
void SelectEditTarget(const AppState& state, cTextBox& box);
// The text of the tag being re-edited; empty in insert mode.
QString EditTargetText(const AppState& state, const cTextBox& box);
void ClearEditTarget(AppState& state);

// A dialog's OK: closes the dialog (accepting it when it is a QDialog), writes the text over
// the tag being re-edited or over the selection, and ends re-editing. After a re-edit the caret
// stands right after the new tag's "<", so that a further double click reopens it.
// Reports failures.
void InsertDialogResult(AppState& state, cTextBox& box, QWidget* dialog, const QString& text);

// The text without one trailing CR LF; dropped becomes true when one was removed and is left
// alone otherwise (CR LF alone gives an empty text and leaves it alone).
QString DropTrailingCrLf(const QString& text, bool& dropped);

// Puts open and close around the selection; a trailing CR LF of the selection stays after
// close. With nothing selected the empty pair goes in at the caret. Reports failures.
void WrapSelectionInline(AppState& state, cTextBox& box, const QString& open, const QString& close);

// Every selected line becomes its leading blanks + prefix + open + the rest + close; with
// nothing selected prefix + open + close goes in. Reports failures.
void WrapSelectionLines(AppState& state, cTextBox& box, const QString& prefix, const QString& open,
                        const QString& close);

// The text WrapSelectionLines writes for the given selection.
QString WrapLines(const QString& selection, const QString& prefix, const QString& open,
                  const QString& close);

// Deletes the tag that starts at the caret, or the text from a tag's ">" up to the next "<",
// or the one character after the caret; nothing at the end of a line, and nothing when the
// tag or the text has no end ("<" without ">", ">" without a following "<").
// Reports failures.
void DeleteTagAtCaret(AppState& state, cTextBox& box);

// Line (from 1) of caret position p: 1 + the line breaks before p.
int LineNumberAt(const cTextBox& box, qint64 p);
// Caret position of the first character of line n; 0 for n <= 1, the end of the text for a
// line past the last.
qint64 LineStartPos(const cTextBox& box, int n);

} // namespace tl
