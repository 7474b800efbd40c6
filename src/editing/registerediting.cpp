#include "editing/registerediting.h"

#include "core/dialogregistry.h"
#include "editbox/textbox.h"
#include "editing/navigation.h"
#include "search/search.h"

namespace tl
{

void RegisterEditorCommands(DialogRegistry& registry)
{
    registry.Register(QStringLiteral("FindDefinition"),
                      [](const DialogRequest& r) { FindDefinition(r.state, r.box); });
    // The go-to commands start from the caret's line.
    registry.Register(QStringLiteral("GoToTop"), [](const DialogRequest& r) {
        GoToTop(r.state, r.box, r.box.LineFromChar());
    });
    registry.Register(QStringLiteral("GoToMiddle"), [](const DialogRequest& r) {
        GoToMiddle(r.state, r.box, r.box.LineFromChar());
    });
    registry.Register(QStringLiteral("GoToEnd"), [](const DialogRequest& r) {
        GoToEnd(r.state, r.box, r.box.LineFromChar());
    });
    registry.Register(QStringLiteral("StampCurrentLine"),
                      [](const DialogRequest& r) { StampCurrentLine(r.state, r.box); });
}

} // namespace tl
