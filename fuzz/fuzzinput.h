#pragma once

// Splits a fuzzer's bytes into the pieces a target needs: small numbers, short texts and the
// rest. Running out of bytes gives zeros and empty texts, never an error.

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace tl::fuzz
{

class Input
{
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // A number made of n bytes (up to 8), little-endian.
    uint64_t number(int n)
    {
        uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= uint64_t(byte()) << (8 * i);
        return v;
    }

    // Up to maxBytes bytes, the count taken from one byte.
    QByteArray bytes(size_t maxBytes)
    {
        const size_t n = std::min<size_t>(byte() % (maxBytes + 1), size_ - pos_);
        const QByteArray b(reinterpret_cast<const char*>(data_ + pos_), qsizetype(n));
        pos_ += n;
        return b;
    }

    // Up to maxBytes bytes read as UTF-8 (malformed sequences become U+FFFD).
    QString text(size_t maxBytes) { return QString::fromUtf8(bytes(maxBytes)); }

    QByteArray restBytes()
    {
        const QByteArray b(reinterpret_cast<const char*>(data_ + pos_), qsizetype(size_ - pos_));
        pos_ = size_;
        return b;
    }
    QString rest() { return QString::fromUtf8(restBytes()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace tl::fuzz
