#pragma once

#include <QString>

class QDateTime;
class QLocale;

namespace tl
{

struct AppState;
class cTextBox;

// Selects the whole text of the control that has the focus, when it has text. Controls without
// text are left alone silently.
void SelectFocusedText(cTextBox& box);

// The Edit menu's commands. Each skips once (and clears its flag) when its key flag says the
// edit box already did the same for the same key. Copy, cut and paste act on the edit box and
// do nothing while it is hidden; undo acts on the control that has the focus.
void EditUndo(AppState& state, cTextBox& box);
void EditCopy(AppState& state, cTextBox& box);
void EditCut(AppState& state, cTextBox& box);
void EditPaste(AppState& state, cTextBox& box);

// The key-down step for the four flags: each becomes true exactly for its key (Z, C, X, V) with
// Ctrl alone, false for every other key. Qt delivers such a key either to the edit box or to
// the menu's shortcut, never to both, so a flag that the key set is dropped once that key has
// been handled; otherwise it would swallow the next menu or toolbar command.
void SetEditKeyFlags(AppState& state, cTextBox& box, int keyCode, int shift);
void ClearEditKeyFlags(AppState& state);

// The Edit menu's delete: the control that has the focus loses its selection, unless its
// selection starts at the end of its text. Nothing without a selection.
void EditDelete(cTextBox& box);
// The Edit menu's select all: the whole text of the edit box.
void EditSelectAll(cTextBox& box);
// F2: the current date and time in the system's general form replace the selection; the caret
// ends after them. Reports failures.
void InsertDateTime(AppState& state, cTextBox& box);
// A date and time in a locale's general form: its short date, a space and its short time with
// seconds (for Japanese "2026/12/10 9:05:03").
QString GeneralDateTimeText(const QDateTime& when, const QLocale& locale);

} // namespace tl
