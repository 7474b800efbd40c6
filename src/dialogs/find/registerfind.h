#pragma once

namespace tl
{

class DialogRegistry;

// Registers the windows that find and go to places: find (frmFind), the stamp list (frmJump)
// and the search across every page (frmFindPages, over a parent that is a DocumentWindow).
void RegisterFindDialogs(DialogRegistry& registry);

} // namespace tl
