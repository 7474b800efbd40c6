#include "platform/programfolder.h"

#include <QDir>
#include <QStandardPaths>

namespace tl
{

QString ProgramFolder()
{
    QString folder = qEnvironmentVariable("TAGLOOM_HOME");
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/tagloom");
    QDir().mkpath(folder);
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()));
}

QString ProgramFile(const QString& fileName)
{
    return ProgramFolder() + QDir::separator() + fileName;
}

} // namespace tl
