#include "files/paths.h"

namespace tl
{

QString ToSlashPath(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return p;
}

QString FileNameOf(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString slash = ToSlashPath(path);
    return slash.mid(slash.lastIndexOf(u'/') + 1);
}

QString LastFolderAndName(const QString& path)
{
    const qsizetype last = path.lastIndexOf(u'\\');
    if (last < 0)
        return path;
    const qsizetype before = path.lastIndexOf(u'\\', last - 1 < 0 ? 0 : last - 1);
    if (last == 0 || before < 0)
        return path.left(last);
    return path.mid(before + 1, last - before - 1) + u'/' + path.mid(last + 1);
}

} // namespace tl
