#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>

namespace tl
{

// The size in pixels of a picture, read from its header without decoding the picture: GIF,
// JPEG, BMP, PNG, icons and cursors, and Windows metafiles that carry a placeable header (their
// size in metafile units is converted at 96 dots per inch, the screen's resolution that page
// sizes are written for). Nothing when the bytes are not a picture of one of these formats, or
// give a size no page could show (a side of 0 or above kMaxPictureSide).
//
// The header is read in windows of kPictureWindowBytes; at most kPictureReadBudget bytes are
// looked at in all, so any input is measured in bounded time. A JPEG's segments before its
// frame header are skipped by their lengths, a long one without being read: the frame header
// is found behind up to 256 segments of the longest kind (16 MB, an EXIF block or a colour
// profile in pieces) or 2 MB of short ones; beyond that the file is not measured.
std::optional<QSize> PictureSize(const QByteArray& bytes);

// The same for the file at path, reading only the windows it needs. Nothing when it cannot be
// read, or is not a regular file: a pipe, device, socket or folder is never opened for reading
// (so a pipe with no writer cannot hang the caller).
std::optional<QSize> PictureFileSize(const QString& path);

inline constexpr int kMaxPictureSide = 65535;
inline constexpr int kPictureWindowBytes = 8 * 1024;
inline constexpr qint64 kPictureReadBudget = 2 * 1024 * 1024;

} // namespace tl
