#include "platform/picturesize.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>

namespace tl
{
namespace
{

// The pictures a page can show; other formats Qt reads (XPM, PBM, SVG...) are not measured,
// so that a text file is never taken for a picture.
bool IsPageFormat(const QByteArray& format)
{
    return format == "bmp" || format == "gif" || format == "jpeg" || format == "png" ||
           format == "ico" || format == "cur";
}

int Int16At(const QByteArray& b, int at)
{
    return int(int16_t(uint16_t(uint8_t(b[at])) | uint16_t(uint16_t(uint8_t(b[at + 1])) << 8)));
}

int Word16At(const QByteArray& b, int at)
{
    return int(uint16_t(uint8_t(b[at])) | uint16_t(uint16_t(uint8_t(b[at + 1])) << 8));
}

// A metafile's placeable header: the key D7 CD C6 9A, a handle, the bounding box (left, top,
// right, bottom as signed 16-bit numbers), the units per inch, 4 reserved bytes and a checksum.
// The checksum is not required: many programs write it wrong and others still show the file.
constexpr int kPlaceableHeaderSize = 22;

std::optional<QSize> MetafileSize(const QByteArray& header)
{
    if (header.size() < kPlaceableHeaderSize || !header.startsWith("\xD7\xCD\xC6\x9A"))
        return std::nullopt;
    const int unitsPerInch = Word16At(header, 14);
    if (unitsPerInch == 0)
        return std::nullopt;
    const auto pixels = [unitsPerInch](int from, int to) {
        const int64_t units = std::abs(int64_t(to) - int64_t(from));
        return int((units * 96 + unitsPerInch / 2) / unitsPerInch);
    };
    const QSize size(pixels(Int16At(header, 6), Int16At(header, 10)),
                     pixels(Int16At(header, 8), Int16At(header, 12)));
    if (size.width() < 1 || size.height() < 1)
        return std::nullopt;
    return size;
}

std::optional<QSize> ReaderSize(QIODevice* device)
{
    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead() || !IsPageFormat(reader.format()))
        return std::nullopt;
    QSize size = reader.size();
    if (!size.isValid()) {
        // A format whose reader gives no size without decoding: decode it (within Qt's
        // allocation limit, so a forged header cannot ask for gigabytes).
        const QImage image = reader.read();
        if (image.isNull())
            return std::nullopt;
        size = image.size();
    }
    if (size.width() < 1 || size.height() < 1)
        return std::nullopt;
    return size;
}

} // namespace

std::optional<QSize> PictureSize(const QByteArray& bytes)
{
    if (const auto size = MetafileSize(bytes.left(kPlaceableHeaderSize)))
        return size;
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ReaderSize(&buffer);
}

std::optional<QSize> PictureFileSize(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (const auto size = MetafileSize(file.read(kPlaceableHeaderSize)))
        return size;
    if (!file.seek(0))
        return std::nullopt;
    return ReaderSize(&file);
}

} // namespace tl
