#include "platform/files.h"

#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tl
{

namespace
{

// Above every errno value, so that the two never meet.
constexpr int kNotRegularBase = 0x10000;

// What the symbolic link at name holds, as written; nothing when it cannot be read.
std::optional<QString> LinkText(const QByteArray& name, qint64 size)
{
    QByteArray held(std::max<qint64>(size, 255) + 1, Qt::Uninitialized);
    const ssize_t n = ::readlink(name.constData(), held.data(), size_t(held.size()));
    if (n <= 0 || n >= held.size())
        return std::nullopt;
    return QFile::decodeName(held.first(n));
}

} // namespace

QString NativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool NameDecodesExactly(const QByteArray& bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

QString BrokenLinkText(const QString& path)
{
    const QString native = NativePath(path);
    if (!QFileInfo(native).isSymLink() || QFileInfo::exists(native))
        return {};
    const QString target = FileBehindLinks(native);
    if (target.isEmpty())
        return SystemErrorText(ELOOP);
    return QStringLiteral("シンボリック リンクの先 ") + target + QStringLiteral(" がありません。");
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(NativePath(path));
    return info.exists() && !info.isDir();
}

QString FileBehindLinks(const QString& path)
{
    if (path.isEmpty())
        return {};
    // The name is walked one component at a time, as the system walks it: a symbolic link met
    // at the end or in a folder on the way gives way to what it holds, read from the folder the
    // walk has reached, and ".." leaves that folder. Tidying ".." away as text would go wrong
    // after a folder link: "dirlink/.." is the folder above the one dirlink names.
    const QString absolute = path.startsWith(u'/') ? path : QDir::currentPath() + u'/' + path;
    QStringList rest = absolute.split(u'/', Qt::SkipEmptyParts);
    std::reverse(rest.begin(), rest.end()); // the next component last
    QString reached;                        // holds no link; empty: the root folder
    int links = 0;
    while (!rest.isEmpty()) {
        const QString part = rest.takeLast();
        if (part == u'.')
            continue;
        if (part == QStringLiteral("..")) {
            reached.truncate(std::max<qsizetype>(reached.lastIndexOf(u'/'), 0));
            continue;
        }
        const QString next = reached + u'/' + part;
        const QByteArray name = QFile::encodeName(next);
        struct stat st {
        };
        const bool found = ::lstat(name.constData(), &st) == 0;
        if (found && S_ISLNK(st.st_mode)) {
            if (const auto held = LinkText(name, st.st_size)) {
                // As many as the system itself follows before it gives up with ELOOP.
                if (++links > 40)
                    return {};
                if (held->startsWith(u'/'))
                    reached.clear();
                const QStringList parts = held->split(u'/', Qt::SkipEmptyParts);
                for (auto it = parts.rbegin(); it != parts.rend(); ++it)
                    rest.append(*it);
                continue;
            }
        }
        reached = next;
        if (!rest.isEmpty() && !(found && S_ISDIR(st.st_mode))) {
            // A folder on the way is missing or no folder: the rest stays as written, and the
            // write fails there as the system says.
            std::reverse(rest.begin(), rest.end());
            return reached + u'/' + rest.join(u'/');
        }
    }
    // The last name may be missing: a link whose file was deleted still names where it goes.
    return reached.isEmpty() ? QStringLiteral("/") : reached;
}

FileKind FileKindOfMode(unsigned mode)
{
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Directory;
    if (S_ISFIFO(mode))
        return FileKind::Pipe;
    if (S_ISSOCK(mode))
        return FileKind::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileKind::Device;
    return FileKind::Other;
}

FileKind FileKindOf(const QString& path)
{
    if (path.isEmpty())
        return FileKind::Missing;
    struct stat st {
    };
    if (::stat(QFile::encodeName(NativePath(path)).constData(), &st) != 0)
        return FileKind::Missing;
    return FileKindOfMode(st.st_mode);
}

QString NotRegularFileText(FileKind kind)
{
    switch (kind) {
    case FileKind::Missing:
    case FileKind::Regular:
        return {};
    case FileKind::Directory:
        return QStringLiteral("フォルダーで、ファイルではありません。");
    case FileKind::Pipe:
        return QStringLiteral("名前付きパイプ (FIFO) で、通常のファイルではありません。");
    case FileKind::Socket:
        return QStringLiteral("ソケットで、通常のファイルではありません。");
    case FileKind::Device:
        return QStringLiteral("デバイスで、通常のファイルではありません。");
    case FileKind::Other:
        break;
    }
    return QStringLiteral("通常のファイルではありません。");
}

int NotRegularFileError(FileKind kind)
{
    return kNotRegularBase + int(kind);
}

FileKind NotRegularKind(int code)
{
    const int kind = code - kNotRegularBase;
    if (kind <= int(FileKind::Regular) || kind > int(FileKind::Other))
        return FileKind::Missing;
    return FileKind(kind);
}

ReadableFile OpenRegularFileForReading(const QString& path)
{
    ReadableFile file;
    const QByteArray name = QFile::encodeName(path);
    // A look first, so that a device or pipe is never opened at all (opening some devices acts).
    struct stat st {
    };
    if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        file.kind = FileKindOfMode(st.st_mode);
        file.error = NotRegularFileError(file.kind);
        return file;
    }
    // O_NONBLOCK makes even a pipe swapped in since the look open at once; on a regular file it
    // changes nothing.
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        file.error = errno;
        return file;
    }
    if (::fstat(fd, &st) != 0) {
        file.error = errno;
        ::close(fd);
        return file;
    }
    file.kind = FileKindOfMode(st.st_mode);
    if (file.kind != FileKind::Regular) {
        file.error = NotRegularFileError(file.kind);
        ::close(fd);
        return file;
    }
    // A regular file after all: reads block as usual from here (a file system may honour the
    // flag on regular files too, and a read would then fail with EAGAIN).
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        file.error = errno;
        ::close(fd);
        return file;
    }
    file.fd = fd;
    return file;
}

int ReadRest(int fd, QByteArray& bytes)
{
    // Straight into the array, sized by the file's length; a file that grows meanwhile is read
    // to its end all the same.
    struct stat st {
    };
    const qint64 expected = ::fstat(fd, &st) == 0 ? std::max<qint64>(st.st_size, 0) : 0;
    bytes.resize(qsizetype(expected) + 1);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size())
            bytes.resize(got + std::max<qsizetype>(got / 2, 1 << 16));
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            bytes.resize(got);
            return e;
        }
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    bytes.resize(got);
    return 0;
}

} // namespace tl
