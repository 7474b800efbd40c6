#pragma once

#include "platform/fileidentity.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace tl
{

// The outcome of a file write. error is the system's own text ("No space left on device"),
// empty on success; code is its errno (or NotRegularFileError). identity is the written file as
// this write left it, taken from its descriptor before it took the target's name: a change
// another program makes right after is a change, not part of this write.
struct FileWriteResult {
    bool ok = false;
    QString error;
    int code = 0;
    FileIdentity identity;
    explicit operator bool() const { return ok; }
};

// Replaces the whole content of path with bytes, or leaves the file exactly as it was: the bytes
// go to a new file in the same folder, every write, the flush to disk and the close are checked,
// and only then is the new file renamed over path. An existing file keeps its owner, group and
// permission bits (a write that cannot give them fails); a new file gets the default bits (0666
// less the umask). A symbolic link stays: the file it names gets the bytes, and is made when it
// was deleted. Pages, INI files and the page list all save through here.
FileWriteResult WriteFileAtomically(const QString& path, QByteArrayView bytes);

// Copies source (a regular file) over target the same way: target is replaced only by a whole
// copy. The copy keeps the source's permission bits; when the copy cannot be given the source's
// group, its group gets no more than everyone else has.
FileWriteResult CopyFileAtomically(const QString& source, const QString& target);

// How a file is best replaced.
enum class ReplaceMethod {
    // A new file renamed over the old one: the old content stays whole until the new one is.
    Rename,
    // Into the old file itself, for when a rename would change what the file is: its owner or
    // group (not the saver's, and not the saver's to give), its other names (hard links), or
    // when no new file can be made or renamed in its folder (a folder the saver may not write,
    // a sticky folder owned by someone else).
    InPlace,
};

// What the choice depends on, as the system reports it.
struct ReplaceFacts {
    bool exists = false;
    unsigned fileOwner = 0;
    unsigned fileGroup = 0;
    unsigned long links = 1;
    unsigned folderOwner = 0;
    bool folderSticky = false;
    bool folderWritable = true;    // the saver may create and remove names in it
    unsigned saver = 0;            // effective user id
    bool saverHasFileGroup = true; // the file's group is the saver's or one of their groups
};

ReplaceMethod ChooseReplaceMethod(const ReplaceFacts& facts);
// The facts for path (a symbolic link is followed to its file) and the running process.
ReplaceFacts ReplaceFactsFor(const QString& path);

// Writes bytes into the existing regular file at path itself. The room for the new length is taken
// first, so that a full disk fails before a byte is changed; then every byte is written, the
// rest cut off, and the file flushed to disk. A failure or a crash in the middle leaves the file
// part old and part new: call this only once a backup of the old content has been made and
// checked.
FileWriteResult WriteFileInPlace(const QString& path, QByteArrayView bytes);

// Whether the two files hold the same bytes (both readable).
bool SameFileContent(const QString& a, const QString& b);

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

// For tests: the calls of the writers above that a test cannot otherwise make fail. While one of
// these lives, that call fails with error in writes made on the thread that made it (the
// recovery journal's worker is left alone).
enum class WriteCall { Lock, Chmod, Chown };
class ScopedWriteFault
{
public:
    ScopedWriteFault(WriteCall call, int error);
    ~ScopedWriteFault();
    ScopedWriteFault(const ScopedWriteFault&) = delete;
    ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;

private:
    WriteCall call_;
    int previous_;
};

// For tests: runs with the target's path once a write (atomic or in place) of this thread has
// reached the file and before the writer returns: there another program may change the file.
class ScopedAfterWrite
{
public:
    explicit ScopedAfterWrite(std::function<void(const QString&)> action);
    ~ScopedAfterWrite();
    ScopedAfterWrite(const ScopedAfterWrite&) = delete;
    ScopedAfterWrite& operator=(const ScopedAfterWrite&) = delete;

private:
    std::function<void(const QString&)> previous_;
};

} // namespace tl
