#include "dialogs/html/registerhtml.h"

#include "core/dialogregistry.h"
#include "dialogs/html/frmp.h"

namespace tl
{

void RegisterHtmlDialogs(DialogRegistry& registry)
{
    registry.Register(QStringLiteral("frmP"), OpenModal<frmP>);
}

} // namespace tl
