#include "platform/fileidentity.h"

#include "platform/files.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace tl
{

namespace
{

FileIdentity IdentityOf(const QString& path, const struct stat& st)
{
    FileIdentity identity;
    identity.path = path;
    identity.exists = true;
    identity.size = qint64(st.st_size);
    identity.mtimeNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + qint64(st.st_mtim.tv_nsec);
    identity.inode = quint64(st.st_ino);
    identity.device = quint64(st.st_dev);
    return identity;
}

} // namespace

FileIdentity ReadFileIdentity(const QString& path)
{
    FileIdentity identity;
    identity.path = path;
    if (path.isEmpty())
        return identity;
    struct stat st {
    };
    if (::stat(QFile::encodeName(NativePath(path)).constData(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            identity.error = errno;
        return identity;
    }
    return IdentityOf(path, st);
}

FileIdentity ReadFileIdentity(const QString& path, int fd)
{
    struct stat st {
    };
    if (::fstat(fd, &st) != 0) {
        FileIdentity identity;
        identity.path = path;
        identity.error = errno;
        return identity;
    }
    return IdentityOf(path, st);
}

} // namespace tl
