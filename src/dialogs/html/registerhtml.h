#pragma once

namespace tl
{

class DialogRegistry;

// Registers the HTML tag dialogs under their form names.
void RegisterHtmlDialogs(DialogRegistry& registry);

} // namespace tl
