#include "platform/picturesize.h"

#include "platform/files.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tl
{
namespace
{

// Random access to a picture's bytes through one window at a time. Every window taken counts
// against the read budget, whether it comes from memory or from a file, so both give the same
// answer for the same bytes and no input is looked at beyond the budget.
class HeaderBytes
{
public:
    virtual ~HeaderBytes() = default;

    qint64 size() const { return size_; }

    // The n bytes at offset (n at most a few dozen), or nullptr when they lie past the end, past
    // the budget, or cannot be read.
    const uint8_t* At(qint64 offset, int n)
    {
        if (offset < 0 || n > size_ - offset)
            return nullptr;
        if (offset < windowStart_ || offset + n > windowStart_ + windowSize_) {
            if (!Load(offset))
                return nullptr;
        }
        return window_ + (offset - windowStart_);
    }

    // The byte at offset, or -1 as At gives nullptr.
    int Byte(qint64 offset)
    {
        const uint8_t* p = At(offset, 1);
        return p ? *p : -1;
    }

    // The bytes from offset to the end of the window that holds it, their count in *room; for
    // walks over many small items without a call per item. nullptr as At gives it.
    const uint8_t* Span(qint64 offset, qint64* room)
    {
        const uint8_t* p = At(offset, 1);
        if (p)
            *room = windowStart_ + windowSize_ - offset;
        return p;
    }

protected:
    explicit HeaderBytes(qint64 size) : size_(size) {}

    // The length bytes at offset, which lie within size(); nullptr when they cannot be read.
    virtual const uint8_t* Fetch(qint64 offset, int length) = 0;

private:
    bool Load(qint64 offset)
    {
        const int length = int(std::min<qint64>(kPictureWindowBytes, size_ - offset));
        if (length > budget_)
            return false;
        budget_ -= length;
        window_ = Fetch(offset, length);
        windowStart_ = offset;
        windowSize_ = window_ ? length : 0;
        return window_ != nullptr;
    }

    qint64 size_;
    qint64 budget_ = kPictureReadBudget;
    const uint8_t* window_ = nullptr;
    qint64 windowStart_ = 0;
    qint64 windowSize_ = 0;
};

class MemoryBytes final : public HeaderBytes
{
public:
    explicit MemoryBytes(const QByteArray& bytes)
        : HeaderBytes(bytes.size()), data_(reinterpret_cast<const uint8_t*>(bytes.constData()))
    {
    }

private:
    const uint8_t* Fetch(qint64 offset, int) override { return data_ + offset; }

    const uint8_t* data_;
};

class FileBytes final : public HeaderBytes
{
public:
    FileBytes(int fd, qint64 size) : HeaderBytes(size), fd_(fd), buffer_(kPictureWindowBytes) {}

private:
    // A file that shrank since its size was taken reads short: that is a failure, not a
    // window of fewer bytes.
    const uint8_t* Fetch(qint64 offset, int length) override
    {
        int done = 0;
        while (done < length) {
            const ssize_t n =
                ::pread(fd_, buffer_.data() + done, size_t(length - done), off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return nullptr;
            done += int(n);
        }
        return buffer_.data();
    }

    int fd_;
    std::vector<uint8_t> buffer_;
};

int Le16(const uint8_t* p)
{
    return p[0] | (p[1] << 8);
}

int Be16(const uint8_t* p)
{
    return (p[0] << 8) | p[1];
}

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint32_t Be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// A size a page can show: no side of 0, none above kMaxPictureSide. A larger header is forged
// or broken, and its numbers would go on into the dialogs' fields.
std::optional<QSize> Showable(int64_t width, int64_t height)
{
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide)
        return std::nullopt;
    return QSize(int(width), int(height));
}

// A metafile's placeable header: the key D7 CD C6 9A, a handle, the bounding box (left, top,
// right, bottom as signed 16-bit numbers), the units per inch, 4 reserved bytes and a checksum.
// The checksum is not required: many programs write it wrong and others still show the file.
std::optional<QSize> MetafileSize(HeaderBytes& in)
{
    const uint8_t* h = in.At(0, 22);
    if (!h || std::memcmp(h, "\xD7\xCD\xC6\x9A", 4) != 0)
        return std::nullopt;
    const int unitsPerInch = Le16(h + 14);
    if (unitsPerInch == 0)
        return std::nullopt;
    const auto pixels = [unitsPerInch](const uint8_t* from, const uint8_t* to) {
        const int64_t units = std::abs(int64_t(int16_t(Le16(to))) - int16_t(Le16(from)));
        return (units * 96 + unitsPerInch / 2) / unitsPerInch;
    };
    return Showable(pixels(h + 6, h + 10), pixels(h + 8, h + 12));
}

// The logical screen's size, or where a side of it is 0, the first image's extent on that
// side. Extensions before the first image are passed over block by block; a file without an
// image is not a picture.
std::optional<QSize> GifSize(HeaderBytes& in)
{
    const uint8_t* h = in.At(0, 13);
    if (!h || (std::memcmp(h, "GIF87a", 6) != 0 && std::memcmp(h, "GIF89a", 6) != 0))
        return std::nullopt;
    const int screenWidth = Le16(h + 6);
    const int screenHeight = Le16(h + 8);
    const int flags = h[10];
    qint64 pos = 13 + ((flags & 0x80) ? 3 * (2 << (flags & 7)) : 0); // after the colour table
    for (;;) {
        const int block = in.Byte(pos++);
        if (block == 0x2C) { // image descriptor: left, top, width, height, flags
            const uint8_t* d = in.At(pos, 9);
            if (!d)
                return std::nullopt;
            return Showable(screenWidth ? screenWidth : Le16(d) + Le16(d + 4),
                            screenHeight ? screenHeight : Le16(d + 2) + Le16(d + 6));
        }
        if (block != 0x21) // the trailer, or no GIF block at all
            return std::nullopt;
        ++pos; // the extension's label, then data blocks up to one of length 0
        for (;;) {
            qint64 room;
            const uint8_t* p = in.Span(pos, &room);
            if (!p)
                return std::nullopt;
            qint64 at = 0; // the blocks that start in this window
            while (at < room && p[at] != 0)
                at += 1 + p[at];
            pos += at;
            if (at < room) {
                ++pos;
                break;
            }
        }
    }
}

// Frame header markers SOF0 to SOF15; C4 (DHT), C8 (JPG) and CC (DAC) share the range.
bool IsFrameMarker(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers without a length: TEM and RST0 to RST7.
bool IsStandaloneMarker(int marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Markers that end the search for a frame header: a second start of image, the end of the
// image, a start of scan.
bool EndsSearch(int marker)
{
    return marker == 0xD8 || marker == 0xD9 || marker == 0xDA;
}

// Passes over stray bytes up to an FF and the fill bytes after it; the marker that follows,
// with *pos after it, or -1 at the end of the bytes.
int NextMarker(HeaderBytes& in, qint64* pos)
{
    int b;
    do {
        b = in.Byte((*pos)++);
    } while (b >= 0 && b != 0xFF);
    while (b == 0xFF)
        b = in.Byte((*pos)++);
    return b;
}

// The frame header whose length field is at pos: precision, height, width, component count,
// then 3 bytes per component; the whole header must be there.
std::optional<QSize> FrameSize(HeaderBytes& in, qint64 pos, int length)
{
    const uint8_t* f = in.At(pos + 2, 6);
    if (!f || f[5] == 0 || length != 8 + 3 * f[5] || length > in.size() - pos)
        return std::nullopt;
    return Showable(Be16(f + 3), Be16(f + 1));
}

// The size in the frame header. The segments before it are skipped by their lengths, so the
// walk is linear in their number and a long segment (EXIF, a colour profile) costs one window
// at most. Fill bytes FF before a marker and stray bytes between segments are passed over, as
// decoders do; a start of scan, an end of image or the end of the bytes before a frame header
// means there is none.
std::optional<QSize> JpegSize(HeaderBytes& in)
{
    const uint8_t* soi = in.At(0, 2);
    if (!soi || soi[0] != 0xFF || soi[1] != 0xD8)
        return std::nullopt;
    qint64 pos = 2;
    for (;;) {
        int marker;
        int length = -1;
        if (const uint8_t* s = in.At(pos, 4); s && s[0] == 0xFF && s[1] != 0xFF) {
            // The usual case, read in one step: a marker where the last segment ended.
            marker = s[1];
            length = Be16(s + 2);
            pos += 2;
        } else {
            marker = NextMarker(in, &pos);
        }
        if (marker < 0 || EndsSearch(marker))
            return std::nullopt;
        if (marker == 0x00 || IsStandaloneMarker(marker)) // FF 00 is a coded FF byte
            continue;
        if (length < 0) {
            const uint8_t* l = in.At(pos, 2);
            if (!l)
                return std::nullopt;
            length = Be16(l);
        }
        if (length < 2) // the length counts its own two bytes
            return std::nullopt;
        if (IsFrameMarker(marker))
            return FrameSize(in, pos, length);
        pos += length;
    }
}

uint32_t Crc32(const uint8_t* p, int n)
{
    uint32_t c = 0xFFFFFFFFu;
    while (n-- > 0) {
        c ^= *p++;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// The signature, then the IHDR chunk, which comes first: length 13, type, width and height
// (big-endian), five bytes more and a checksum, which must match as decoders require.
std::optional<QSize> PngSize(HeaderBytes& in)
{
    const uint8_t* h = in.At(0, 33);
    if (!h || std::memcmp(h, "\x89PNG\r\n\x1A\n", 8) != 0 || Be32(h + 8) != 13 ||
        std::memcmp(h + 12, "IHDR", 4) != 0 || Crc32(h + 12, 17) != Be32(h + 29))
        return std::nullopt;
    return Showable(Be32(h + 16), Be32(h + 20));
}

// "BM", the file header, then an information header whose size tells its kind: the old core
// header (12 bytes, 16-bit sides) or one of the later ones (32-bit sides; a negative height
// is a picture stored top down). One plane and a bit count decoders know, or not a picture.
std::optional<QSize> BmpSize(HeaderBytes& in)
{
    const uint8_t* h = in.At(0, 18);
    if (!h || h[0] != 'B' || h[1] != 'M')
        return std::nullopt;
    const uint32_t infoSize = Le32(h + 14);
    int64_t width, height;
    int planes, bits;
    if (infoSize == 12) {
        const uint8_t* i = in.At(14, 12);
        if (!i)
            return std::nullopt;
        width = Le16(i + 4);
        height = Le16(i + 6);
        planes = Le16(i + 8);
        bits = Le16(i + 10);
    } else if (infoSize == 16 || infoSize == 40 || infoSize == 52 || infoSize == 56 ||
               infoSize == 64 || infoSize == 108 || infoSize == 124) {
        const uint8_t* i = in.At(14, 16);
        if (!i)
            return std::nullopt;
        width = int32_t(Le32(i + 4));
        height = std::abs(int64_t(int32_t(Le32(i + 8))));
        planes = Le16(i + 12);
        bits = Le16(i + 14);
    } else {
        return std::nullopt;
    }
    if (planes != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return std::nullopt;
    return Showable(width, height);
}

// An icon or cursor file: a directory (reserved 0, type 1 for icons and 2 for cursors, the
// number of pictures) and one entry per picture; the size is the first entry's, where a side
// of 0 means 256. These files carry no signature, so the first entry must look sound too.
std::optional<QSize> IconSize(HeaderBytes& in)
{
    const uint8_t* h = in.At(0, 22);
    if (!h || Le16(h) != 0)
        return std::nullopt;
    const int type = Le16(h + 2);
    const uint8_t* entry = h + 6;
    if ((type != 1 && type != 2) || Le16(h + 4) == 0 || entry[3] != 0 || Le32(entry + 8) < 40)
        return std::nullopt;
    if (type == 1 && (Le16(entry + 4) > 1 || Le16(entry + 6) > 32))
        return std::nullopt;
    return Showable(entry[0] ? entry[0] : 256, entry[1] ? entry[1] : 256);
}

std::optional<QSize> Measure(HeaderBytes& in)
{
    const uint8_t* p = in.At(0, 2);
    if (!p)
        return std::nullopt;
    switch (p[0]) {
    case 0xD7:
        return MetafileSize(in);
    case 'G':
        return GifSize(in);
    case 0xFF:
        return JpegSize(in);
    case 0x89:
        return PngSize(in);
    case 'B':
        return BmpSize(in);
    case 0x00:
        return IconSize(in);
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<QSize> PictureSize(const QByteArray& bytes)
{
    MemoryBytes in(bytes);
    return Measure(in);
}

std::optional<QSize> PictureFileSize(const QString& path)
{
    // Only a regular file is opened, and without waiting (a pipe, device, socket or folder is
    // refused).
    const ReadableFile file = OpenRegularFileForReading(path);
    if (file.fd < 0)
        return std::nullopt;
    std::optional<QSize> size;
    struct stat st {
    };
    if (::fstat(file.fd, &st) == 0) {
        FileBytes in(file.fd, st.st_size);
        size = Measure(in);
    }
    ::close(file.fd);
    return size;
}

} // namespace tl
