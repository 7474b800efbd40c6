#pragma once

#include "core/dialogregistry.h"

#include <QtGlobal>

class QWidget;

namespace tl
{

struct AppState;
class cTextBox;

// Runs one insert command: writes its snippet, wraps the selection, deletes the tag at the
// caret or opens its dialog (modal over parent). One undo step; a failure is shown and ends
// the command. Codes not in use (4, 45, 50, anything outside 1 to 96) and codes whose dialog
// is not registered do nothing.
void RunInsertCommand(AppState& state, cTextBox& box, QWidget* parent, qint16 code);

// The registered dialog or routine behind a command code; nullptr for codes that open nothing
// or whose dialog is not registered.
const DialogOpener* OpenerForCode(const DialogRegistry& registry, qint16 code);

// The inline pair of codes 18 to 26 and 46 around the selection; any other code puts the
// selection back as it was.
void WrapSelectionInline(AppState& state, cTextBox& box, qint16 code);

} // namespace tl
