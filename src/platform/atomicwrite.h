#pragma once

#include <QByteArrayView>
#include <QString>

namespace tl
{

// The outcome of a file write. error is the system's own text ("No space left on device"),
// empty on success; code is its errno.
struct FileWriteResult {
    bool ok = false;
    QString error;
    int code = 0;
    explicit operator bool() const { return ok; }
};

// Replaces the whole content of path with bytes, or leaves the file exactly as it was: the bytes
// go to a new file in the same folder, every write, the flush to disk and the close are checked,
// and only then is the new file renamed over path. An existing file's permission bits are kept;
// a new file gets the default ones (0666 less the umask). Pages, INI files and the page list all
// save through here.
FileWriteResult WriteFileAtomically(const QString& path, QByteArrayView bytes);

// Copies source over target the same way: target is replaced only by a whole copy. The copy
// keeps the source's permission bits.
FileWriteResult CopyFileAtomically(const QString& source, const QString& target);

// For tests: while one of these lives, the writes above can store at most `bytes` more bytes in
// all; the write that would pass the limit fails as a full disk does (ENOSPC), and a new file
// removed after a failure gives its bytes back. Without root a test cannot mount a small file
// system, so this stands in for one.
class ScopedDiskSpaceLimit
{
public:
    explicit ScopedDiskSpaceLimit(qint64 bytes);
    ~ScopedDiskSpaceLimit();
    ScopedDiskSpaceLimit(const ScopedDiskSpaceLimit&) = delete;
    ScopedDiskSpaceLimit& operator=(const ScopedDiskSpaceLimit&) = delete;

private:
    qint64 previous_;
};

} // namespace tl
