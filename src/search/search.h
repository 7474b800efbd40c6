#pragma once

class QDialog;
class QWidget;

namespace tl
{

struct AppState;
class cTextBox;

// The find dialog, find-next, replace-all and the definition finder. All act on the edit box
// behind box and report failures in the usual message box.

// Opens the find dialog modally over parent, filled with the selection or the last search
// text. Nothing while the edit box is hidden.
void ShowFindDialog(AppState& state, cTextBox& box, QWidget* parent);

// Selects the next occurrence of the search text. The search starts two characters after the
// selection start, three when the caret still stands where the last find-next left it, so that
// the match just found is passed over. Past the last occurrence it goes on from the top of the
// page and says so in the status bar. Closes findDialog when it finds something; otherwise
// tells the user and leaves the caret alone. Returns whether it found the text.
bool FindNext(AppState& state, cTextBox& box, QDialog* findDialog = nullptr);

// F3: find-next, or the find dialog while nothing has been searched for yet.
void FindNextOrShowDialog(AppState& state, cTextBox& box, QWidget* parent);

// Replaces every exact occurrence of the search text (whatever MatchCase says) by the
// replacement text, left to right, never rescanning a replacement; one undo step. The caret
// stays at its position; findDialog is closed.
void ReplaceAll(AppState& state, cTextBox& box, QDialog* findDialog = nullptr);

// Code 78: selects the definition (SUB, Function, DIM, Public, Const or Private, tried in this
// order) of the selected name; with nothing selected, or a definition still selected, returns
// the caret to where the last search started.
void FindDefinition(AppState& state, cTextBox& box);

} // namespace tl
