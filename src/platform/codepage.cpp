#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tl {

namespace {
constexpr const char* kCp932 = "Shift_JIS";
}

QString DecodeCp932(QByteArrayView bytes, bool* ok)
{
    QStringDecoder decoder(kCp932);
    QString text = decoder.decode(bytes);
    if (ok)
        *ok = !decoder.hasError();
    return text;
}

std::optional<QByteArray> EncodeCp932(QStringView text)
{
    QStringEncoder encoder(kCp932);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

qsizetype FirstNonCp932Char(QStringView text)
{
    QStringEncoder encoder(kCp932);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        (void)encoder.encode(text.mid(i, n));
        if (encoder.hasError())
            return i;
        i += n - 1;
    }
    return -1;
}

} // namespace tl
