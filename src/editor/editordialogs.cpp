#include "editor/editordialogs.h"

#include "core/dialogregistry.h"
#include "editor/navigation.h"
#include "editor/search.h"
#include "editor/textbox.h"

namespace tl
{

void RegisterEditorCommands(DialogRegistry& registry)
{
    registry.Register(QStringLiteral("frmFind"),
                      [](const DialogRequest& r) { ShowFindDialog(r.state, r.box, r.parent); });
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
    registry.Register(QStringLiteral("frmJump"),
                      [](const DialogRequest& r) { ShowStampList(r.state, r.box, r.parent); });
}

} // namespace tl
