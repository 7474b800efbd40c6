#pragma once

namespace tl
{

class DialogRegistry;

// Registers the tools (the colour picker "frmColor") under their form names.
void RegisterToolDialogs(DialogRegistry& registry);

} // namespace tl
