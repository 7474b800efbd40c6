// The CP932 validity check, the plausibility test and the UTF-8/CP932 choice on random bytes.
#include "encodings/encodingguess.h"
#include "platform/codepage.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const QString utf8 = QString::fromUtf8(bytes);
    const QString cp932 = tl::DecodeCp932(bytes);
    tl::IsValidCp932(bytes);
    tl::IsPlausibleText(utf8);
    tl::IsPlausibleText(cp932);
    // Raw UTF-16 as well, lone surrogates included.
    tl::IsPlausibleText(QStringView(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2)));
    tl::PrefersCp932(bytes, utf8, cp932);
    return 0;
}
