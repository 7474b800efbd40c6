#include "commands/dialogregistry.h"

#include "commands/catalogue.h"
#include "dialogs/html/frmp.h"

namespace tl {

void DialogRegistry::Register(const QString& name, DialogOpener opener)
{
    openers_.insert(name, std::move(opener));
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
}

} // namespace tl
