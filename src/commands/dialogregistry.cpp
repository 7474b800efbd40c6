#include "commands/dialogregistry.h"

#include "commands/catalogue.h"
#include "dialogs/html/frmp.h"
#include "editor/navigation.h"
#include "editor/search.h"
#include "editor/textbox.h"

namespace tl {

void DialogRegistry::Register(const QString& name, DialogOpener opener)
{
    openers_.insert(name, std::move(opener));
    for (const auto& onChange : watchers_)
        onChange();
}

const DialogOpener* DialogRegistry::Find(const QString& name) const
{
    const auto it = openers_.constFind(name);
    return it == openers_.cend() ? nullptr : &it.value();
}

const DialogOpener* DialogRegistry::FindForCode(qint16 code) const
{
    const CommandAction* action = FindCommandAction(code);
    if (!action || action->target.isEmpty())
        return nullptr;
    return Find(action->target.toString());
}

bool DialogRegistry::Open(const QString& name, const DialogRequest& request) const
{
    const DialogOpener* opener = Find(name);
    if (!opener)
        return false;
    (*opener)(request);
    return true;
}

void RegisterDialogs(DialogRegistry& registry)
{
    registry.Register(QStringLiteral("frmP"), OpenModal<frmP>);
    // Search, go-to and stamps. The go-to commands start from the caret's line.
    registry.Register(QStringLiteral("frmFind"), [](const DialogRequest& r) {
        ShowFindDialog(r.state, r.box, r.parent);
    });
    registry.Register(QStringLiteral("FindDefinition"),
                      [](const DialogRequest& r) { FindDefinition(r.state, r.box); });
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
    registry.Register(QStringLiteral("frmJump"), [](const DialogRequest& r) {
        ShowStampList(r.state, r.box, r.parent);
    });
}

} // namespace tl
