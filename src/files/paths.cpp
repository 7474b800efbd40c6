#include "files/paths.h"

namespace tl
{

QString ToSlashPath(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return p;
}

qsizetype LastSeparatorOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash >= 0 ? slash : path.lastIndexOf(u'\\');
}

QString FileNameOf(const QString& path)
{
    return path.mid(LastSeparatorOf(path) + 1);
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
