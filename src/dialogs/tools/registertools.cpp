#include "dialogs/tools/registertools.h"

#include "core/dialogregistry.h"
#include "dialogs/tools/frmcolor.h"

namespace tl
{

void RegisterToolDialogs(DialogRegistry& registry)
{
    registry.Register(QStringLiteral("frmColor"), [](const DialogRequest& request) {
        frmColor dialog(request);
        dialog.exec();
    });
}

} // namespace tl
