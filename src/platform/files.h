#pragma once

#include <QString>

namespace tl
{

// The path as the system takes it. On this platform "/" alone separates folders: a "\\" is an
// ordinary character of a name (back\\slash.htm is one file), so it is kept.
QString NativePath(const QString& path);

// True when bytes (a name as the system gave it) come back the same through the program's
// file-name text: a name that is not valid UTF-8 would be read and written as another name.
bool NameDecodesExactly(const QByteArray& bytes);

// Why a symbolic link at path leads to no file, for the user: the file it names is missing
// ("シンボリック リンクの先 /x/gone.htm がありません。") or the links go round in a loop. Empty
// when path is no link or its file is there.
QString BrokenLinkText(const QString& path);

// True when the path names an existing file (not a folder).
bool FileExists(const QString& path);

// The name that holds the bytes of path (native), as the system finds it: every symbolic link
// on the way followed, a folder link's ".." leading above the folder it names, to a last name
// that need not exist yet, so that a write through a link, even one whose file was deleted,
// keeps the link. A folder on the way that is missing is left as written (the write then fails
// there). Empty when the links go round in a loop.
QString FileBehindLinks(const QString& path);

// What a path names, symbolic links followed. Only regular files are read, copied or written
// into: opening a named pipe waits until another program opens its other end, and a device may
// never end or may act on being opened.
enum class FileKind { Missing, Regular, Directory, Pipe, Socket, Device, Other };

FileKind FileKindOf(const QString& path);
FileKind FileKindOfMode(unsigned mode);

// Why a path of that kind is not opened as a file, for the user ("名前付きパイプ (FIFO)
// で、通常のファイルではありません。"); empty for a regular or missing file.
QString NotRegularFileText(FileKind kind);

// A file-operation error code for "not a regular file", beside the errno values (which have no
// such code); SystemErrorText names the kind. NotRegularKind gives the kind back, or Missing
// when code is an errno.
int NotRegularFileError(FileKind kind);
FileKind NotRegularKind(int code);

// Opens path (native) for reading, never blocking: with O_NONBLOCK, and only while the
// descriptor shows a regular file, so that a pipe put in its place after any earlier look is
// refused too. On failure fd is -1 and error is the errno or NotRegularFileError(kind).
struct ReadableFile {
    int fd = -1;
    int error = 0;
    FileKind kind = FileKind::Missing; // what the path named, when that was found out
};
ReadableFile OpenRegularFileForReading(const QString& path);

// Reads the rest of the file open as fd into bytes: 0, or the errno of a read that failed (the
// bytes are then not the whole file). fd stays open.
int ReadRest(int fd, QByteArray& bytes);

} // namespace tl
