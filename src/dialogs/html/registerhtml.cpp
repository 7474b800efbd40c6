#include "dialogs/html/registerhtml.h"

#include "core/dialogregistry.h"
#include "dialogs/html/frmbasefont.h"
#include "dialogs/html/frmp.h"
#include "dialogs/html/frmpage.h"
#include "dialogs/html/frmtitle.h"

namespace tl
{

void RegisterHtmlDialogs(DialogRegistry& registry)
{
    registry.Register(QStringLiteral("frmP"), OpenModal<frmP>);
    registry.Register(QStringLiteral("frmTitle"), OpenModal<frmTitle>);
    registry.Register(QStringLiteral("frmPage"), OpenModal<frmPage>);
    registry.Register(QStringLiteral("frmBaseFont"), OpenModal<frmBaseFont>);
}

} // namespace tl
