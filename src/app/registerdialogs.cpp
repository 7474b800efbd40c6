#include "app/registerdialogs.h"

#include "dialogs/html/registerhtml.h"
#include "dialogs/tools/registertools.h"
#include "editor/editordialogs.h"

namespace tl
{

void RegisterDialogs(DialogRegistry& registry)
{
    RegisterEditorCommands(registry);
    RegisterHtmlDialogs(registry);
    RegisterToolDialogs(registry);
}

} // namespace tl
