#include "core/dialogregistry.h"

namespace tl
{

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

QStringList DialogRegistry::Names() const
{
    QStringList names = openers_.keys();
    names.sort();
    return names;
}

bool DialogRegistry::Open(const QString& name, const DialogRequest& request) const
{
    const DialogOpener* opener = Find(name);
    if (!opener)
        return false;
    (*opener)(request);
    return true;
}

} // namespace tl
