#pragma once

namespace tl
{

class DialogRegistry;

// Registers the editor's own routines that toolbar buttons and insert commands reach by name:
// the definition finder, the go-to commands and stamps. Their windows (find, the stamp list)
// register with the dialogs (RegisterFindDialogs).
void RegisterEditorCommands(DialogRegistry& registry);

} // namespace tl
