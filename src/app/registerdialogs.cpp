#include "app/registerdialogs.h"

#include "dialogs/find/registerfind.h"
#include "dialogs/html/registerhtml.h"
#include "dialogs/pages/registerpages.h"
#include "dialogs/tools/registertools.h"
#include "editing/registerediting.h"

namespace tl
{

void RegisterDialogs(DialogRegistry& registry)
{
    RegisterEditorCommands(registry);
    RegisterFindDialogs(registry);
    RegisterPageDialogs(registry);
    RegisterHtmlDialogs(registry);
    RegisterToolDialogs(registry);
}

} // namespace tl
