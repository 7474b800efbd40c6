#include "platform/errors.h"

namespace tl
{

QString ErrorDescription(const std::exception& e)
{
    if (auto* rt = dynamic_cast<const RunTimeError*>(&e))
        return rt->description();
    return QString::fromLocal8Bit(e.what());
}

void ShowRunTimeError(Prompter& prompter, const QString& description)
{
    prompter.message({description, QStringLiteral("Tagloom"), MsgButtons::Ok, MsgIcon::None});
}

} // namespace tl
