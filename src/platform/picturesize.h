#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>

namespace tl
{

// The size in pixels of a picture, read from its header where the format allows it, without
// decoding the whole picture: GIF, JPEG, BMP, PNG, icons, and Windows metafiles that carry a
// placeable header (their size in metafile units is converted at 96 dots per inch, the
// screen's resolution that page sizes are written for). Nothing when the bytes are not a
// picture of one of these formats or give no size of at least 1 x 1.
std::optional<QSize> PictureSize(const QByteArray& bytes);

// The same for the file at path; nothing when it cannot be read either.
std::optional<QSize> PictureFileSize(const QString& path);

} // namespace tl
