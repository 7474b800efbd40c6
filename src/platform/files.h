#pragma once

#include <QString>

namespace tl
{

// Paths may be written with "\" or "/"; on this platform both mean the separator.
QString NativePath(const QString& path);

// True when the path names an existing file (not a folder).
bool FileExists(const QString& path);

} // namespace tl
