#pragma once

#include <QString>

namespace tl
{

// Every "\" replaced by "/".
QString ToSlashPath(const QString& path);

// The part after the last "\" or "/"; the whole path when it has neither; empty for empty.
QString FileNameOf(const QString& path);

// The last folder's name, "/", and the file name: C:\www\site\page.asp gives site/page.asp.
// With a single "\" the text before it (C:\page.asp gives C:); without "\" the path itself.
QString LastFolderAndName(const QString& path);

} // namespace tl
