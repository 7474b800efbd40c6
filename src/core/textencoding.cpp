#include "core/textencoding.h"

#include <QStringDecoder>

#include <algorithm>

namespace tl
{

QString TextEncoding::displayName() const
{
    switch (kind) {
    case Kind::Cp932:
        return QStringLiteral("Shift_JIS");
    case Kind::Utf8:
        return QStringLiteral("UTF-8");
    case Kind::Utf16LE:
        return QStringLiteral("UTF-16LE");
    case Kind::Utf16BE:
        return QStringLiteral("UTF-16BE");
    case Kind::Named:
        break;
    }
    const QStringDecoder decoder(name.constData());
    const char* canonical = decoder.isValid() ? decoder.name() : nullptr;
    return QString::fromLatin1(canonical ? QByteArray(canonical) : name);
}

QStringView LineBreakText(LineEnd end)
{
    switch (end) {
    case LineEnd::Lf:
        return u"\n";
    case LineEnd::Cr:
        return u"\r";
    case LineEnd::CrLf:
        break;
    }
    return u"\r\n";
}

bool HasLineBreakVariants(const ByteVariants& forms)
{
    return std::any_of(forms.begin(), forms.end(), IsLineBreakVariant);
}

bool SameEncoding(const TextEncoding& a, const TextEncoding& b)
{
    return a.kind == b.kind && a.bom == b.bom &&
           (a.kind != TextEncoding::Kind::Named ||
            a.name.compare(b.name, Qt::CaseInsensitive) == 0);
}

} // namespace tl
