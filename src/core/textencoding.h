#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace tl
{

// How a page's file is encoded; saving writes it back the same way.
struct TextEncoding {
    enum class Kind { Cp932, Utf8, Utf16LE, Utf16BE, Named };
    Kind kind = Kind::Cp932;
    // Kind::Named: the charset the page declared, as given to QStringDecoder (e.g. "EUC-JP").
    QByteArray name;
    // The file had (and is written with) a byte order mark. Only the UTF kinds have one.
    bool bom = false;
    // For CP932: characters the file wrote in a non-standard duplicate form (NEC row 13,
    // NEC-selected IBM, IBM extension duplicates): code point -> the two bytes the file used.
    // Empty for most files. Ignored for the other kinds.
    QHash<char32_t, QByteArray> preferredBytes;

    // "Shift_JIS", "UTF-8", "UTF-16LE", "UTF-16BE", or the canonical name of a named charset
    // ("EUC-JP" for a page that declared "euc-jp").
    QString displayName() const;
};

} // namespace tl
