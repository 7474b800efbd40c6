#pragma once

#include <QtGlobal>

class QWidget;

namespace tl
{

struct AppState;
class cTextBox;

// Re-opens the dialog of the tag at position pos (the double-clicked position, or the caret for
// F4): recognises the tag, sets the EditTarget and shows the matching dialogs modally in turn.
void ReeditTagAt(AppState& state, cTextBox& box, QWidget* parent, qint64 pos);

} // namespace tl
