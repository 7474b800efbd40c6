#pragma once

#include <QString>

namespace tl
{

// What tells one state of a file on disk from another: a program that rewrites the file in
// place changes its size or modification time, one that saves through a new file and a rename
// changes its inode, one that deletes it makes it missing. Two identities are the same file in
// the same state when they compare equal.
struct FileIdentity {
    QString path;
    bool exists = false;
    qint64 size = 0;
    qint64 mtimeNs = 0; // modification time in nanoseconds since the epoch
    quint64 inode = 0;
    quint64 device = 0;
    // The system's error number when the file's state could not be read for another reason
    // than a missing file (a folder without search permission): the state is then unknown.
    int error = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at path now (symbolic links followed; "\" counts as "/").
FileIdentity ReadFileIdentity(const QString& path);
// The identity of the file open as fd, recorded under path. Taken from the descriptor, it is
// the state this program read or wrote, even when another program has changed the file at path
// since.
FileIdentity ReadFileIdentity(const QString& path, int fd);

} // namespace tl
