#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>

namespace tl {

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

struct DecodedDocument {
    QString text; // line breaks as single '\n' (CR LF, lone CR and lone LF each one break)
    TextEncoding encoding;
    // Some bytes could not be decoded (never silently: callers tell the user). ICU gives
    // U+001A for an illegal byte sequence and U+FFFD for an unassigned one.
    bool undecodableBytes = false;
    bool lineBreaksNormalized = false; // the file had a lone CR or lone LF
};

// Decides the encoding, in this order: a byte order mark (UTF-8, UTF-16LE, UTF-16BE); the
// charset a <meta> tag declares in the first 4 KB; UTF-8 when the bytes are valid UTF-8 and not
// plain ASCII; otherwise CP932.
DecodedDocument DecodeDocument(QByteArrayView bytes);

struct EncodedDocument {
    QByteArray bytes; // empty when firstUnencodable >= 0
    // Index in text of the first character the encoding cannot hold, or -1.
    qsizetype firstUnencodable = -1;
};

// text uses CR LF line breaks (as the editor's Text gives it); written as is, with the BOM when
// encoding.bom. Every character is checked: one the encoding cannot hold, or would write as a
// different character, is reported instead of being substituted. A charset Qt cannot open holds
// nothing: firstUnencodable is 0 for any non-empty text.
EncodedDocument EncodeDocument(QStringView text, const TextEncoding& encoding);

// 1-based line number of a position in a CR LF text (for the message naming a character and its
// line). Positions before 0 or past the end count as the first or last line.
qsizetype LineNumberOfIndex(QStringView text, qsizetype index);

} // namespace tl
