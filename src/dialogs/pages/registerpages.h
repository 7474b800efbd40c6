#pragma once

namespace tl
{

class DialogRegistry;

// Registers the window that lists the session's pages (frmFileNames, over a parent that is a
// DocumentWindow).
void RegisterPageDialogs(DialogRegistry& registry);

} // namespace tl
