#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tl
{

namespace
{
constexpr const char* kCp932 = "Shift_JIS";
}

bool HasRotatedControlByte(QByteArrayView bytes)
{
    return bytes.contains('\x1A') || bytes.contains('\x1C') || bytes.contains('\x7F');
}

void RotateControlBytes(QByteArray& bytes, bool towardsIcu)
{
    for (char& c : bytes) {
        if (c == '\x1A')
            c = towardsIcu ? '\x7F' : '\x1C';
        else if (c == '\x1C')
            c = towardsIcu ? '\x1A' : '\x7F';
        else if (c == '\x7F')
            c = towardsIcu ? '\x1C' : '\x1A';
    }
}

QString DecodeCp932(QByteArrayView bytes, bool* ok)
{
    QByteArray rotated;
    if (HasRotatedControlByte(bytes)) {
        rotated = bytes.toByteArray();
        RotateControlBytes(rotated, true);
        bytes = rotated;
    }
    // Stateless: a stateful decoder keeps a trailing lead byte for a next call that never
    // comes, and the byte would vanish without an error.
    QStringDecoder decoder(kCp932, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (ok)
        *ok = !decoder.hasError();
    return text;
}

std::optional<QByteArray> EncodeCp932(QStringView text)
{
    if (!text.isValidUtf16())
        return std::nullopt;
    QStringEncoder encoder(kCp932, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    RotateControlBytes(bytes, false);
    // The converter maps a few characters without an error to bytes that read back as another
    // character (private-use U+F86F becomes "№"); only an exact round trip counts.
    bool ok = false;
    if (DecodeCp932(bytes, &ok) != text || !ok)
        return std::nullopt;
    return bytes;
}

qsizetype FirstNonCp932Char(QStringView text)
{
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype n = pair ? 2 : 1;
        if (!EncodeCp932(text.mid(i, n)))
            return i;
        i += n;
    }
    return -1;
}

} // namespace tl
