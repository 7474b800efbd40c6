#pragma once

namespace tl
{

class DialogRegistry;

// Registers the editor's own windows and routines that toolbar buttons and insert commands
// reach by name: find, the definition finder, the go-to commands, stamps and the stamp list.
void RegisterEditorCommands(DialogRegistry& registry);

} // namespace tl
