#pragma once

#include <QString>

namespace tl
{

struct ToolbarButton;
enum class ToolbarCommand;

// The first seven buttons of the first toolbar work with no document open; all others need one.
bool WorksWithoutDocument(const ToolbarButton& button);

// The registry name under which a toolbar command's dialog or routine is found, for commands
// that the main window does not run itself; empty for the others.
QString RegisteredCommandName(ToolbarCommand command);

// The registry name a button needs to act: its insert command's dialog or routine, or its
// command's registered name; empty for buttons that need nothing registered.
QString RegistryNameOf(const ToolbarButton& button);

} // namespace tl
