#pragma once

#include <QtGlobal>

class QWidget;

namespace tl
{

struct AppState;
class cTextBox;

// The go-to commands and stamps (marked lines). Line numbers count from 1.

// Each go-to command moves the caret to the start, the middle or the end of the text and
// remembers the current line; pressed again while the caret is still where it took it, it goes
// back to the start of that line.
void GoToTop(AppState& state, cTextBox& box, qint64 currentLine);
void GoToMiddle(AppState& state, cTextBox& box, qint64 currentLine);
void GoToEnd(AppState& state, cTextBox& box, qint64 currentLine);

// The caret line's extent: start is its first position, end one past its CR (the end of the
// text on the last line). Both 0 for an empty text.
struct LineBounds {
    qint64 start = 0;
    qint64 end = 0;
    bool operator==(const LineBounds&) const = default;
};
LineBounds GetLineBounds(const cTextBox& box, qint64 caret);

// Colours the caret's line blue, or black again when it was blue; true when it is now blue.
// The colour is not part of the text: the document stays as modified as it was and the undo
// history is untouched. The caret stays; a selection is dropped.
bool ToggleStampLine(cTextBox& box);

// Stamps the caret line (blue, and entered in the first free entry of the StampTable) or
// unstamps it. Nothing when all fifteen entries are in use or the edit box is hidden.
void StampCurrentLine(AppState& state, cTextBox& box);

// The list of stamps (frmJump), modal over parent. Nothing while the edit box is hidden.
void ShowStampList(AppState& state, cTextBox& box, QWidget* parent);

} // namespace tl
