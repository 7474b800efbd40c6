#include "dialogs/pages/registerpages.h"

#include "core/dialogregistry.h"
#include "dialogs/pages/frmfilenames.h"
#include "files/documentwindow.h"

namespace tl
{

void RegisterPageDialogs(DialogRegistry& registry)
{
    registry.Register(QStringLiteral("frmFileNames"), [](const DialogRequest& r) {
        auto* window = dynamic_cast<DocumentWindow*>(r.parent);
        if (!window)
            return;
        auto* dialog = new frmFileNames(r.state, window->Files(), r.parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
}

} // namespace tl
