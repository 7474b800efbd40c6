#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>

#include <vector>

namespace tl
{

// One character of a CP932 page that its file wrote in another of its duplicate byte sequences
// than the page's usual one (CP932 holds some characters two or three times, as byte variants):
// the bytes it was read from, kept with the character through edits so that saving gives them
// back. A page holds such characters only where its file mixed two variants of one character,
// so the list is nearly always empty.
//
// A page that mixes line ends keeps its odd line breaks the same way: an entry at the CR of the
// line break (character '\r'), bytes naming the line break the file wrote there (see
// LineBreakVariant).
struct ByteVariant {
    qsizetype pos = 0;      // where the character stands in the page's CR LF text
    char16_t character = 0; // the character (every CP932 character is one UTF-16 unit)
    quint16 bytes = 0;      // its lead byte << 8 | its trail byte
    bool operator==(const ByteVariant&) const = default;
};
using ByteVariants = std::vector<ByteVariant>;

// How a line break is written in a file.
enum class LineEnd : quint8 { CrLf, Lf, Cr };

// "\r\n", "\n" or "\r".
QStringView LineBreakText(LineEnd end);

// The line break whose CR stands at pos in the page's CR LF text, written as end.
inline ByteVariant LineBreakVariant(qsizetype pos, LineEnd end)
{
    const quint16 bytes = end == LineEnd::CrLf ? 0x0D0A : end == LineEnd::Lf ? 0x0A : 0x0D;
    return {pos, u'\r', bytes};
}
inline bool IsLineBreakVariant(const ByteVariant& v)
{
    return v.character == u'\r';
}
inline LineEnd LineEndOf(const ByteVariant& v)
{
    return v.bytes == 0x0D0A ? LineEnd::CrLf : v.bytes == 0x0A ? LineEnd::Lf : LineEnd::Cr;
}
// Some line break is kept in another form than the page's usual one.
bool HasLineBreakVariants(const ByteVariants& forms);

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
    // The page's usual line break: every line break of the text is written so, but for those
    // kept in another form (line-break ByteVariants). CR LF for a new page.
    LineEnd lineEnd = LineEnd::CrLf;
    // A save adds a line break at the end when the text has none (a new page). A page read
    // from a file ends as its file did: with a line break or without one.
    bool addFinalBreak = true;

    // "Shift_JIS", "UTF-8", "UTF-16LE", "UTF-16BE", or the canonical name of a named charset
    // ("EUC-JP" for a page that declared "euc-jp").
    QString displayName() const;
};

// a and b write a page the same way: kind, charset name (case ignored) and byte order mark.
// (Line ends are not compared: they are the page's whatever its charset.)
bool SameEncoding(const TextEncoding& a, const TextEncoding& b);

} // namespace tl
