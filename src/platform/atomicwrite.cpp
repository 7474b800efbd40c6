#include "platform/atomicwrite.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tl
{

namespace
{

// Bytes the test limit still lets through; -1 when there is no limit.
// Atomic: the recovery journal writes from a worker thread while a test may hold a limit.
std::atomic<qint64> g_spaceLeft{-1};

FileWriteResult Failed(int code)
{
    return {false, qt_error_string(code), code};
}

int RetryOnInterrupt(auto call)
{
    int r;
    do {
        r = call();
    } while (r < 0 && errno == EINTR);
    return r;
}

// Writes every byte or returns the errno of the failure. A short write is continued; a write
// that stores nothing at all is reported as an I/O error rather than looped on.
int WriteAll(int fd, const char* data, qint64 size, qint64* written, bool counted = true)
{
    while (size > 0) {
        qint64 chunk = std::min<qint64>(size, qint64(1) << 20);
        if (const qint64 left = g_spaceLeft.load(); counted && left >= 0) {
            if (left == 0)
                return ENOSPC;
            chunk = std::min(chunk, left);
        }
        const ssize_t n = ::write(fd, data, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        if (counted && g_spaceLeft.load() >= 0)
            g_spaceLeft -= n;
        *written += n;
        data += n;
        size -= n;
    }
    return 0;
}

// Temporaries a save that was killed left beside its target (".page.htm.tl-1x2y3z", as large
// as the page): each writer holds a lock on its temporary while it lives, and the lock goes
// with its process, so one that can be locked and was last written a minute ago has no writer.
// Removed before a new save of the same target, which may need the room.
void RemoveStaleTemporaries(const QString& folder, const QString& prefix)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString name = it.next().section(u'/', -1);
        if (!name.startsWith(prefix) || name.size() == prefix.size())
            continue;
        const QStringView suffix = QStringView(name).sliced(prefix.size());
        if (!std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
                return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z');
            }))
            continue;
        const QByteArray path = QFile::encodeName(it.filePath());
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st = {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > 60 &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

// A new file beside the target. It is removed again unless commit() renamed it over the
// target, so a failure at any step leaves nothing behind but the untouched target.
class TempBeside
{
public:
    explicit TempBeside(const QString& target)
    {
        // Writing through a symbolic link replaces the file it points at, not the link.
        const QFileInfo info(target);
        target_ = info.isSymLink() && info.exists() ? info.canonicalFilePath() : target;
        const QFileInfo resolved(target_);
        const QString prefix = u'.' + resolved.fileName() + QStringLiteral(".tl-");
        const QString stem = resolved.absolutePath() + u'/' + prefix;
        RemoveStaleTemporaries(resolved.absolutePath(), prefix);
        for (int attempt = 0; attempt < 100; ++attempt) {
            temp_ = QFile::encodeName(stem +
                                      QString::number(QRandomGenerator::global()->generate(), 36));
            fd_ = RetryOnInterrupt([&] {
                return ::open(temp_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            });
            if (fd_ >= 0 || errno != EEXIST)
                break;
        }
        if (fd_ < 0)
            error_ = errno;
        else
            ::flock(fd_, LOCK_EX | LOCK_NB); // held until this process closes it or ends
        created_ = fd_ >= 0;
    }

    ~TempBeside()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (created_ && !committed_) {
            ::unlink(temp_.constData());
            // The test limit gets back what the removed file held, as a disk would.
            if (g_spaceLeft >= 0)
                g_spaceLeft += written_;
        }
    }

    TempBeside(const TempBeside&) = delete;
    TempBeside& operator=(const TempBeside&) = delete;

    int fd() const { return fd_; }

    // Writes every byte or returns the errno of the failure.
    int write(const char* data, qint64 size)
    {
        qint64 done = 0;
        const int e = WriteAll(fd_, data, size, &done);
        written_ += done;
        return e;
    }
    int openError() const { return fd_ >= 0 ? 0 : error_; }

    // Gives the new file the permission bits (and, where allowed, the owner) of `like`.
    void takeModeOf(const struct stat& like)
    {
        (void)::fchmod(fd_, like.st_mode & 07777);
        if (like.st_uid != ::geteuid() || like.st_gid != ::getegid())
            (void)::fchown(fd_, like.st_uid, like.st_gid);
    }

    // Flushes the bytes to disk, closes the file and renames it over the target; the errno of
    // the first step that failed, or 0.
    int commit()
    {
        if (RetryOnInterrupt([&] { return ::fsync(fd_); }) < 0)
            return errno;
        const int fd = fd_;
        fd_ = -1;
        // A close can report a write error that the writes did not (NFS, quotas).
        if (::close(fd) < 0 && errno != EINTR)
            return errno;
        const QByteArray target = QFile::encodeName(target_);
        if (::rename(temp_.constData(), target.constData()) < 0)
            return errno;
        committed_ = true;
        // The rename itself reaches the disk with its folder.
        const QByteArray folder = QFile::encodeName(QFileInfo(target_).absolutePath());
        const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            (void)::fsync(dir);
            ::close(dir);
        }
        return 0;
    }

    const QString& target() const { return target_; }

private:
    QString target_;
    QByteArray temp_;
    int fd_ = -1;
    int error_ = 0;
    qint64 written_ = 0;
    bool created_ = false;
    bool committed_ = false;
};

} // namespace

FileWriteResult WriteFileAtomically(const QString& path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return Failed(ENOENT);
    TempBeside temp(path);
    if (const int e = temp.openError())
        return Failed(e);
    struct stat old {
    };
    if (::stat(QFile::encodeName(temp.target()).constData(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            return Failed(EISDIR);
        temp.takeModeOf(old);
    }
    if (const int e = temp.write(bytes.data(), bytes.size()))
        return Failed(e);
    if (const int e = temp.commit())
        return Failed(e);
    return {true, {}, 0};
}

FileWriteResult CopyFileAtomically(const QString& source, const QString& target)
{
    const QByteArray sourceName = QFile::encodeName(source);
    const int in =
        RetryOnInterrupt([&] { return ::open(sourceName.constData(), O_RDONLY | O_CLOEXEC); });
    if (in < 0)
        return Failed(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closeIn{in};
    struct stat from {
    };
    if (::fstat(in, &from) < 0)
        return Failed(errno);
    if (S_ISDIR(from.st_mode))
        return Failed(EISDIR);

    TempBeside temp(target);
    if (const int e = temp.openError())
        return Failed(e);
    struct stat old {
    };
    if (::stat(QFile::encodeName(temp.target()).constData(), &old) == 0 && S_ISDIR(old.st_mode))
        return Failed(EISDIR);
    temp.takeModeOf(from);

    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), size_t(buffer.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Failed(errno);
        }
        if (n == 0)
            break;
        if (const int e = temp.write(buffer.constData(), n))
            return Failed(e);
    }
    if (const int e = temp.commit())
        return Failed(e);
    return {true, {}, 0};
}

ReplaceMethod ChooseReplaceMethod(const ReplaceFacts& f)
{
    if (!f.exists)
        return ReplaceMethod::Rename;
    const bool root = f.saver == 0;
    if (f.links > 1)
        return ReplaceMethod::InPlace; // a rename would leave the other names on the old text
    if (!root && (f.fileOwner != f.saver || !f.saverHasFileGroup))
        return ReplaceMethod::InPlace; // the new file could not be given the old owner
    if (!root && !f.folderWritable)
        return ReplaceMethod::InPlace;
    // In a sticky folder only the file's or the folder's owner may replace the name.
    if (!root && f.folderSticky && f.fileOwner != f.saver && f.folderOwner != f.saver)
        return ReplaceMethod::InPlace;
    return ReplaceMethod::Rename;
}

ReplaceFacts ReplaceFactsFor(const QString& path)
{
    ReplaceFacts facts;
    facts.saver = ::geteuid();
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    struct stat file {
    };
    if (::stat(QFile::encodeName(target).constData(), &file) != 0 || S_ISDIR(file.st_mode))
        return facts;
    facts.exists = true;
    facts.fileOwner = file.st_uid;
    facts.fileGroup = file.st_gid;
    facts.links = file.st_nlink;
    facts.saverHasFileGroup = file.st_gid == ::getegid();
    if (!facts.saverHasFileGroup) {
        gid_t groups[256];
        const int n = ::getgroups(256, groups);
        facts.saverHasFileGroup =
            std::find(groups, groups + std::max(n, 0), file.st_gid) != groups + std::max(n, 0);
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    struct stat dir {
    };
    if (::stat(folder.constData(), &dir) == 0) {
        facts.folderOwner = dir.st_uid;
        facts.folderSticky = (dir.st_mode & S_ISVTX) != 0;
    }
    facts.folderWritable = ::access(folder.constData(), W_OK | X_OK) == 0;
    return facts;
}

FileWriteResult WriteFileInPlace(const QString& path, QByteArrayView bytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = RetryOnInterrupt([&] { return ::open(name.constData(), O_WRONLY | O_CLOEXEC); });
    if (fd < 0)
        return Failed(errno);
    struct Closer {
        int fd;
        ~Closer()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } closer{fd};
    struct stat old {
    };
    if (::fstat(fd, &old) < 0)
        return Failed(errno);
    const qint64 growth = bytes.size() - qint64(old.st_size);
    // The room first: nothing is changed when the disk cannot hold the new length.
    if (g_spaceLeft >= 0 && growth > g_spaceLeft)
        return Failed(ENOSPC);
    if (bytes.size() > 0) {
        const int e = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        if (e != 0 && e != EOPNOTSUPP && e != EINVAL)
            return Failed(e);
    }
    // The test limit counts what the file grows by, as a disk would, not the bytes rewritten.
    qint64 written = 0;
    if (const int e = WriteAll(fd, bytes.data(), bytes.size(), &written, false))
        return Failed(e);
    if (growth > 0 && g_spaceLeft.load() >= 0)
        g_spaceLeft -= growth;
    if (RetryOnInterrupt([&] { return ::ftruncate(fd, off_t(bytes.size())); }) < 0)
        return Failed(errno);
    if (RetryOnInterrupt([&] { return ::fsync(fd); }) < 0)
        return Failed(errno);
    closer.fd = -1;
    if (::close(fd) < 0 && errno != EINTR)
        return Failed(errno);
    return {true, {}, 0};
}

bool SameFileContent(const QString& a, const QString& b)
{
    QFile fa(a);
    QFile fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        const QByteArray x = fa.read(1 << 20);
        const QByteArray y = fb.read(1 << 20);
        if (x.isEmpty() || x != y)
            return false;
    }
    return fb.atEnd();
}

ScopedDiskSpaceLimit::ScopedDiskSpaceLimit(qint64 bytes) : previous_(g_spaceLeft)
{
    g_spaceLeft = std::max<qint64>(bytes, 0);
}

ScopedDiskSpaceLimit::~ScopedDiskSpaceLimit()
{
    g_spaceLeft = previous_;
}

} // namespace tl
