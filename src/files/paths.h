#pragma once

#include <QString>

namespace tl
{

// Every "\" replaced by "/".
QString ToSlashPath(const QString& path);

// Where the last folder separator of a path is, or -1. A path with "/" is this system's own, where
// "\" is an ordinary character of a name (back\slash.htm); only a path without "/"
// (C:\site\a.htm, written on another system and kept in a settings file) is split at "\".
qsizetype LastSeparatorOf(const QString& path);

// The part after the last separator (LastSeparatorOf); the whole path when it has none; empty
// for empty.
QString FileNameOf(const QString& path);

// The last folder's name, "/", and the file name: C:\www\site\page.asp gives site/page.asp.
// With a single "\" the text before it (C:\page.asp gives C:); without "\" the path itself.
QString LastFolderAndName(const QString& path);

} // namespace tl
