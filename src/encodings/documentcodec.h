#pragma once

#include "core/textencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace tl
{

// Where a file's bytes and the bytes its text is saved as first differ.
struct BytePlace {
    qsizetype line = 1;    // from 1
    qsizetype column = 1;  // from 1, in characters
    qsizetype offset = -1; // bytes from the file's start, from 0; -1 when not known
};

struct DecodedDocument {
    QString text; // line breaks as single '\n' (CR LF, lone CR and lone LF each one break)
    TextEncoding encoding;
    // CP932: the characters written in another form than the page's usual one, and in a page
    // that mixes line ends the line breaks other than its usual one (encoding.lineEnd), at
    // their positions in the text with CR LF line breaks (as the editor holds it).
    ByteVariants forms;
    // A charset other than CP932 and UTF-8 (whose pages are written back byte for byte by
    // construction) may spell the same text in other bytes (ISO-2022-JP's escape sequences):
    // where saving the text unchanged would first write other bytes than the file's, or nothing
    // when it gives every byte back. Not looked for when bytes could not be decoded.
    std::optional<BytePlace> inexact;
    // Some bytes could not be decoded (never silently: callers tell the user). ICU gives
    // U+001A for an illegal byte sequence and U+FFFD for an unassigned one.
    bool undecodableBytes = false;
    bool lineBreaksNormalized = false; // the file had a lone CR or lone LF
};

// Decides the encoding, in this order: a byte order mark (UTF-8, UTF-16LE, UTF-16BE); the
// charset a <meta> tag declares in the first 4 KB (any name of Shift_JIS is CP932); UTF-8 when
// the bytes are valid UTF-8 and not plain ASCII; EUC-JP when uchardet says so and the bytes are
// no CP932, or no sensible CP932 (see PrefersEucJp); otherwise CP932.
DecodedDocument DecodeDocument(QByteArrayView bytes);

// Decodes as encoding, which the user chose, instead of guessing. A byte order mark of that
// encoding is taken off and recorded (result.encoding.bom), whatever encoding.bom says.
DecodedDocument DecodeDocumentAs(QByteArrayView bytes, const TextEncoding& encoding);

struct EncodedDocument {
    QByteArray bytes; // empty when firstUnencodable >= 0
    // Index in text of the first character the encoding cannot hold, or -1.
    qsizetype firstUnencodable = -1;
};

// text uses CR LF line breaks (as the editor's Text gives it); each is written as
// encoding.lineEnd, or as the line-break variant of forms at its CR says, the rest as is, with
// the BOM when encoding.bom. firstUnencodable is an index in text. Every character is checked: one
// the encoding cannot hold, or would write as a different character, is reported instead of being
// substituted. A charset Qt cannot open holds nothing: firstUnencodable is 0 for any non-empty
// text. CP932: the characters of forms (at their positions in text) are written in their kept form,
// the others in the page's usual one; an entry that does not name the character at its position is
// passed over.
EncodedDocument EncodeDocument(QStringView text, const TextEncoding& encoding,
                               const ByteVariants& forms = {});

// Characters Shift_JIS cannot hold that stand for one it can: what other tools write for the
// code page 932 characters ～ － ∥ ― ￠ ￡ ￢ ￤ (〜 U+301C, − U+2212, ‖ U+2016, — U+2014, ¢, £,
// ¬, ¦). The code page 932 form of c, or 0 when it has none.
char16_t Cp932Equivalent(char16_t c);

// Where a page's text declares its charset: [begin, end) is the name in the first <meta> tag of
// the first 4,096 characters whose charset the opening would take ("Shift_JIS" in
// content="text/html; charset=Shift_JIS"), and the encoding it names.
struct DeclaredCharset {
    qsizetype begin = 0;
    qsizetype end = 0;
    TextEncoding encoding;
};
std::optional<DeclaredCharset> FindDeclaredCharset(QStringView text);

// 1-based line number of a position in a CR LF text (for the message naming a character and its
// line). Positions before 0 or past the end count as the first or last line.
qsizetype LineNumberOfIndex(QStringView text, qsizetype index);

} // namespace tl
