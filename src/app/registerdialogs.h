#pragma once

namespace tl
{

class DialogRegistry;

// Registers every dialog and routine the program has: each dialog folder through its own
// registration function.
void RegisterDialogs(DialogRegistry& registry);

} // namespace tl
