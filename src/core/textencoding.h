#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

namespace tl
{

// One character of a CP932 page that its file wrote in another of its duplicate byte sequences
// than the page's usual one (CP932 holds some characters two or three times, as byte variants):
// the bytes it was read from, kept with the character through edits so that saving gives them
// back. A page holds such characters only where its file mixed two variants of one character,
// so the list is nearly always empty.
struct ByteVariant {
    qsizetype pos = 0;      // where the character stands in the page's CR LF text
    char16_t character = 0; // the character (every CP932 character is one UTF-16 unit)
    quint16 bytes = 0;      // its lead byte << 8 | its trail byte
    bool operator==(const ByteVariant&) const = default;
};
using ByteVariants = std::vector<ByteVariant>;

// How a page's file is encoded; saving writes it back the same way.
struct TextEncoding {
    enum class Kind { Cp932, Utf8, Utf16LE, Utf16BE, Named };
    Kind kind = Kind::Cp932;
    // Kind::Named: the charset the page declared, as given to QStringDecoder (e.g. "EUC-JP").
    QByteArray name;
    // The file had (and is written with) a byte order mark. Only the UTF kinds have one.
    bool bom = false;
    // For CP932: the page's usual form of each character it wrote mostly in a non-standard
    // duplicate form (NEC row 13, NEC-selected IBM, IBM extension duplicates): code point -> the
    // two bytes. Typed characters are written so too. Empty for most files. Ignored for the
    // other kinds. (Single occurrences in yet another form are ByteVariants of the text.)
    QHash<char32_t, QByteArray> preferredBytes;

    // "Shift_JIS", "UTF-8", "UTF-16LE", "UTF-16BE", or the canonical name of a named charset
    // ("EUC-JP" for a page that declared "euc-jp").
    QString displayName() const;
};

// a and b write a page the same way: kind, charset name (case ignored) and byte order mark.
bool SameEncoding(const TextEncoding& a, const TextEncoding& b);

} // namespace tl
