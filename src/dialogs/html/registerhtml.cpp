#include "dialogs/html/registerhtml.h"

#include "core/dialogregistry.h"
#include "dialogs/html/frmbasefont.h"
#include "dialogs/html/frmcomment.h"
#include "dialogs/html/frmfont.h"
#include "dialogs/html/frmh.h"
#include "dialogs/html/frmlines.h"
#include "dialogs/html/frmmarker.h"
#include "dialogs/html/frmp.h"
#include "dialogs/html/frmpage.h"
#include "dialogs/html/frmtitle.h"

namespace tl
{

void RegisterHtmlDialogs(DialogRegistry& registry)
{
    registry.Register(QStringLiteral("frmP"), OpenModal<frmP>);
    registry.Register(QStringLiteral("frmH"), OpenModal<frmH>);
    registry.Register(QStringLiteral("frmFont"), OpenModal<frmFont>);
    registry.Register(QStringLiteral("frmLines"), OpenModal<frmLines>);
    registry.Register(QStringLiteral("frmMarker"), OpenModal<frmMarker>);
    registry.Register(QStringLiteral("frmComment"), OpenModal<frmComment>);
    registry.Register(QStringLiteral("frmTitle"), OpenModal<frmTitle>);
    registry.Register(QStringLiteral("frmPage"), OpenModal<frmPage>);
    registry.Register(QStringLiteral("frmBaseFont"), OpenModal<frmBaseFont>);
}

} // namespace tl
