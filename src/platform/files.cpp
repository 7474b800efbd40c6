#include "platform/files.h"

#include <QDir>
#include <QFileInfo>

namespace tl
{

QString NativePath(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return QDir::toNativeSeparators(p);
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(NativePath(path));
    return info.exists() && !info.isDir();
}

} // namespace tl
