#include "platform/atomicwrite.h"

#include "platform/files.h"

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

// The test seams of this thread: a call made to fail, and what runs after a write.
thread_local int t_faults[3] = {0, 0, 0};
thread_local std::function<void(const QString&)> t_afterWrite;

// The errno a call is made to fail with by a test, or 0.
int FaultAt(WriteCall call)
{
    return t_faults[int(call)];
}

FileWriteResult Failed(int code)
{
    return {false,
            NotRegularKind(code) != FileKind::Missing ? NotRegularFileText(NotRegularKind(code))
                                                      : qt_error_string(code),
            code,
            {}};
}

FileWriteResult Written(const FileIdentity& identity, const QString& target)
{
    if (t_afterWrite)
        t_afterWrite(target);
    return {true, {}, 0, identity};
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
        // Writing through a symbolic link replaces the file it names, not the link; a link whose
        // file was deleted gets that file made again.
        target_ = FileBehindLinks(target);
        if (target_.isEmpty()) {
            error_ = ELOOP;
            return;
        }
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
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        created_ = true;
        // Held until this process closes the file or ends: the lock tells another save's sweep
        // of killed saves' temporaries that this one has a writer. Without it that sweep could
        // remove the file under a slow write.
        if (const int e = FaultAt(WriteCall::Lock))
            error_ = e;
        else if (RetryOnInterrupt([&] { return ::flock(fd_, LOCK_EX | LOCK_NB); }) < 0)
            error_ = errno;
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
    // The errno of a failure to make or lock the new file, or 0.
    int openError() const { return error_; }

    // How the new file takes the owner and group of the file it stands for.
    enum class Owner {
        Required, // it replaces that file: a new owner or group would change what the file is
        Saver,    // a copy: it may stay the saver's, with no more access for its group than
                  // everyone else had
    };

    // Gives the new file the owner, group and permission bits of `like`: 0, or the errno of the
    // call that failed when the result would differ from what was asked.
    int takeModeOf(const struct stat& like, Owner owner)
    {
        struct stat now {
        };
        if (::fstat(fd_, &now) < 0)
            return errno;
        mode_t mode = like.st_mode & 07777;
        // The owner first: a change of owner clears the set-user-ID and set-group-ID bits.
        if (now.st_uid != like.st_uid || now.st_gid != like.st_gid) {
            if (const int e = Chown(like.st_uid, like.st_gid)) {
                if (owner == Owner::Required)
                    return e;
                // The copy stays the saver's: no set-ID bits go with it, and unless it can
                // have the group, the saver's group gets no more than everyone else.
                mode &= 0777;
                if (now.st_gid != like.st_gid && Chown(uid_t(-1), like.st_gid) != 0)
                    mode = (mode & 0707) | ((mode & 07) << 3);
            }
        }
        const int failed = FaultAt(WriteCall::Chmod) != 0 ? FaultAt(WriteCall::Chmod)
                                                          : (::fchmod(fd_, mode) < 0 ? errno : 0);
        if (failed != 0) {
            // Some file systems refuse a mode change that would change nothing: what counts is
            // the mode the file has.
            if (::fstat(fd_, &now) < 0 || (now.st_mode & 07777) != mode)
                return failed;
        }
        return 0;
    }

    // Flushes the bytes to disk, closes the file and renames it over the target; the errno of
    // the first step that failed, or 0. identity: the file as written, from its descriptor.
    int commit(FileIdentity& identity, const QString& path)
    {
        if (RetryOnInterrupt([&] { return ::fsync(fd_); }) < 0)
            return errno;
        identity = ReadFileIdentity(path, fd_);
        if (identity.error != 0)
            return identity.error;
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
    int Chown(uid_t uid, gid_t gid)
    {
        if (const int e = FaultAt(WriteCall::Chown))
            return e;
        return ::fchown(fd_, uid, gid) < 0 ? errno : 0;
    }

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
        if (const int e = temp.takeModeOf(old, TempBeside::Owner::Required))
            return Failed(e);
    }
    if (const int e = temp.write(bytes.data(), bytes.size()))
        return Failed(e);
    FileIdentity identity;
    if (const int e = temp.commit(identity, path))
        return Failed(e);
    return Written(identity, temp.target());
}

FileWriteResult CopyFileAtomically(const QString& source, const QString& target)
{
    // Only a regular file: reading a pipe would wait for a writer, a device might never end.
    const ReadableFile opened = OpenRegularFileForReading(source);
    if (opened.fd < 0)
        return Failed(opened.error);
    const int in = opened.fd;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closeIn{in};
    struct stat from {
    };
    if (::fstat(in, &from) < 0)
        return Failed(errno);

    TempBeside temp(target);
    if (const int e = temp.openError())
        return Failed(e);
    struct stat old {
    };
    if (::stat(QFile::encodeName(temp.target()).constData(), &old) == 0 && S_ISDIR(old.st_mode))
        return Failed(EISDIR);
    if (const int e = temp.takeModeOf(from, TempBeside::Owner::Saver))
        return Failed(e);

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
    FileIdentity identity;
    if (const int e = temp.commit(identity, target))
        return Failed(e);
    return {true, {}, 0, identity};
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
    const QString target = FileBehindLinks(path);
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
    // Only a regular file is opened: a device may act on being opened.
    if (const FileKind kind = FileKindOf(path);
        kind != FileKind::Regular && kind != FileKind::Missing)
        return Failed(NotRegularFileError(kind));
    // O_NONBLOCK: a pipe swapped in since that look would make the open wait for a reader.
    const int fd = RetryOnInterrupt(
        [&] { return ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); });
    if (fd < 0)
        return Failed(errno == ENXIO ? NotRegularFileError(FileKind::Pipe) : errno);
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
    if (!S_ISREG(old.st_mode))
        return Failed(NotRegularFileError(FileKindOfMode(old.st_mode)));
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
    const FileIdentity identity = ReadFileIdentity(path, fd);
    if (identity.error != 0)
        return Failed(identity.error);
    closer.fd = -1;
    if (::close(fd) < 0 && errno != EINTR)
        return Failed(errno);
    return Written(identity, path);
}

bool SameFileContent(const QString& a, const QString& b)
{
    // Regular files only: a pipe would make the comparison wait.
    struct Descriptor {
        int fd;
        ~Descriptor()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } da{OpenRegularFileForReading(a).fd}, db{OpenRegularFileForReading(b).fd};
    QFile fa;
    QFile fb;
    if (da.fd < 0 || db.fd < 0 || !fa.open(da.fd, QIODevice::ReadOnly) ||
        !fb.open(db.fd, QIODevice::ReadOnly))
        return false;
    if (fa.size() != fb.size())
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

ScopedWriteFault::ScopedWriteFault(WriteCall call, int error)
    : call_(call), previous_(t_faults[int(call)])
{
    t_faults[int(call)] = error;
}

ScopedWriteFault::~ScopedWriteFault()
{
    t_faults[int(call_)] = previous_;
}

ScopedAfterWrite::ScopedAfterWrite(std::function<void(const QString&)> action)
    : previous_(std::move(t_afterWrite))
{
    t_afterWrite = std::move(action);
}

ScopedAfterWrite::~ScopedAfterWrite()
{
    t_afterWrite = std::move(previous_);
}

} // namespace tl
