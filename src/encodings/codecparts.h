#pragma once

// What the codec's files share: the converter settings, a fast ASCII test and the buffer that
// encoded text is appended to.

#include <QByteArray>
#include <QStringConverter>
#include <QStringEncoder>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tl::codec
{

inline constexpr char kCp932[] = "Shift_JIS"; // ICU's name for code page 932

// Stateless: an incomplete sequence at the end counts as an error; without it Qt keeps the bytes
// for a next call that never comes and drops them silently. ConvertInitialBom: the BOM is taken
// off before decoding, so a second one is text and must stay.
inline constexpr QStringConverter::Flags kDecodeFlags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
inline constexpr QStringConverter::Flags kEncodeFlags = QStringConverter::Flag::Stateless;

inline bool AllAscii8(const unsigned char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

// Appends encoded text into one buffer sized for the worst case, so nothing is copied twice.
class ByteWriter
{
public:
    ByteWriter(QStringEncoder& encoder, const QByteArray& prefix, qsizetype textLength)
        : encoder_(encoder), used_(prefix.size())
    {
        bytes_.resize(prefix.size() + encoder.requiredSpace(textLength));
        std::memcpy(bytes_.data(), prefix.constData(), prefix.size());
    }

    void encode(QStringView text)
    {
        reserve(encoder_.requiredSpace(text.size()));
        used_ = encoder_.appendToBuffer(bytes_.data() + used_, text) - bytes_.constData();
    }

    void append(QByteArrayView raw)
    {
        reserve(raw.size());
        std::memcpy(bytes_.data() + used_, raw.data(), raw.size());
        used_ += raw.size();
    }

    char lastByte() const { return used_ > 0 ? bytes_[used_ - 1] : '\0'; }
    void dropLastByte() { --used_; }

    QByteArray take()
    {
        bytes_.truncate(used_);
        if (bytes_.capacity() > bytes_.size() + bytes_.size() / 4)
            bytes_.squeeze();
        return std::move(bytes_);
    }

private:
    void reserve(qsizetype extra)
    {
        if (used_ + extra > bytes_.size())
            bytes_.resize(std::max(used_ + extra, bytes_.size() + bytes_.size() / 2));
    }

    QStringEncoder& encoder_;
    QByteArray bytes_;
    qsizetype used_;
};

} // namespace tl::codec
