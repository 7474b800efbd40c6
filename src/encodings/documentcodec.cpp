#include "encodings/documentcodec.h"

#include "encodings/codecparts.h"
#include "encodings/cp932variants.h"
#include "encodings/encodingguess.h"

#include "platform/codepage.h"
#include "platform/surrogates.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace tl
{

namespace
{

using Kind = TextEncoding::Kind;
using namespace codec;

constexpr qsizetype kDeclarationScanBytes = 4096;

// ---- Which encoding --------------------------------------------------------------------------

QByteArray ConverterName(const TextEncoding& encoding)
{
    switch (encoding.kind) {
    case Kind::Cp932:
        return kCp932;
    case Kind::Utf8:
        return "UTF-8";
    case Kind::Utf16LE:
        return "UTF-16LE";
    case Kind::Utf16BE:
        return "UTF-16BE";
    case Kind::Named:
        break;
    }
    return encoding.name;
}

QByteArray ByteOrderMark(const TextEncoding& encoding)
{
    if (!encoding.bom)
        return {};
    switch (encoding.kind) {
    case Kind::Utf8:
        return QByteArray("\xEF\xBB\xBF");
    case Kind::Utf16LE:
        return QByteArray("\xFF\xFE");
    case Kind::Utf16BE:
        return QByteArray("\xFE\xFF");
    default:
        return {};
    }
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsHtmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The declaration is found the same way in a file's bytes (opening) and in the editor's text
// (saving): characters are compared as ASCII, and anything else never matches.
char AsciiAt(QByteArrayView bytes, qsizetype i)
{
    return bytes[i];
}

char AsciiAt(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    return c < 0x80 ? char(c) : '\x80';
}

template <class View> qsizetype FindAscii(View view, char c, qsizetype from)
{
    for (qsizetype i = std::max<qsizetype>(from, 0); i < view.size(); ++i) {
        if (AsciiAt(view, i) == c)
            return i;
    }
    return -1;
}

// lowerWord is lower case; compared without regard to ASCII case.
template <class View> bool MatchesAt(View view, qsizetype pos, QByteArrayView lowerWord)
{
    if (pos < 0 || pos + lowerWord.size() > view.size())
        return false;
    for (qsizetype i = 0; i < lowerWord.size(); ++i) {
        if (AsciiLower(AsciiAt(view, pos + i)) != lowerWord[i])
            return false;
    }
    return true;
}

template <class View> qsizetype FindWord(View view, QByteArrayView lowerWord, qsizetype from)
{
    for (qsizetype i = FindAscii(view, lowerWord[0], from); i >= 0;
         i = FindAscii(view, lowerWord[0], i + 1)) {
        if (MatchesAt(view, i, lowerWord))
            return i;
    }
    return -1;
}

// True when the charset writes the printable ASCII characters, tab, CR and LF as the same bytes
// ASCII does, and reads those bytes back as them.
bool KeepsAscii(const QByteArray& name)
{
    QByteArray ascii("\t\r\n");
    for (char c = 0x20; c < 0x7F; ++c)
        ascii += c;
    QStringEncoder encoder(name.constData(), kEncodeFlags);
    QStringDecoder decoder(name.constData(), kDecodeFlags);
    if (!encoder.isValid() || !decoder.isValid())
        return false;
    const QByteArray written = encoder.encode(QString::fromLatin1(ascii));
    const QString read = decoder.decode(ascii);
    return written == ascii && read == QString::fromLatin1(ascii);
}

std::optional<TextEncoding> EncodingForCharset(QByteArrayView token)
{
    if (token.isEmpty())
        return std::nullopt;
    const QByteArray name = token.toByteArray();
    static const QByteArrayView kShiftJisNames[] = {"shift_jis", "shift-jis",   "sjis",
                                                    "x-sjis",    "windows-31j", "cp932",
                                                    "ms932",     "ms_kanji",    "csshiftjis"};
    const QByteArray lower = name.toLower();
    if (std::find(std::begin(kShiftJisNames), std::end(kShiftJisNames), lower) !=
        std::end(kShiftJisNames))
        return TextEncoding{};

    const QStringDecoder probe(name.constData());
    if (!probe.isValid())
        return std::nullopt;
    const QByteArray canonical = QByteArray(probe.name()).toUpper();
    // ICU takes many more spellings (it ignores case and punctuation: "m\xED\xE5s932" is
    // ms932); every one that resolves to Shift_JIS is CP932, with its control codes and
    // duplicate forms kept as Windows writes them.
    if (canonical == "SHIFT_JIS" || canonical == "WINDOWS-31J" || canonical == "CP932")
        return TextEncoding{};
    if (canonical == "UTF-8")
        return TextEncoding{Kind::Utf8, {}, false, {}};
    // The declaration was read as ASCII bytes, so the page cannot be in UTF-16 or UTF-32
    // (browsers treat such a declaration as UTF-8); "Locale" names no charset at all.
    if (canonical.startsWith("UTF-16") || canonical.startsWith("UTF-32") || canonical == "LOCALE")
        return std::nullopt;
    // Likewise a charset that writes ASCII as other bytes (EBCDIC: ibm-037, cp1047; UTF-7's
    // "+") cannot be the page's: its markup would not have been readable as ASCII. Taking it
    // would show garbage and rewrite every line break on save.
    if (!KeepsAscii(name))
        return std::nullopt;
    // Another charset is taken only by a name written in ASCII: a name holding other bytes is
    // itself written back as other bytes (LMBCS turns FF into 01 FF), so the saved page would
    // name another charset, or none, and read back as other text.
    if (std::any_of(name.cbegin(), name.cend(), [](char c) { return c <= ' ' || c > '~'; }))
        return std::nullopt;
    return TextEncoding{Kind::Named, name, false, {}};
}

// The charset named in one <meta> tag, [from, to) of view: charset="x" or
// content="text/html; charset=x".
template <class View>
std::optional<DeclaredCharset> CharsetInMetaTag(View view, qsizetype from, qsizetype to)
{
    for (qsizetype pos = from; pos < to; ++pos) {
        if (!MatchesAt(view, pos, "charset"))
            continue;
        qsizetype i = pos + 7;
        while (i < to && IsHtmlSpace(AsciiAt(view, i)))
            ++i;
        if (i >= to || AsciiAt(view, i) != '=')
            continue;
        ++i;
        while (i < to && IsHtmlSpace(AsciiAt(view, i)))
            ++i;
        if (i < to && (AsciiAt(view, i) == '"' || AsciiAt(view, i) == '\''))
            ++i;
        const qsizetype begin = i;
        QByteArray token;
        while (i < to && !IsHtmlSpace(AsciiAt(view, i)) &&
               !QByteArrayView("\"';>/").contains(AsciiAt(view, i)))
            token += AsciiAt(view, i++);
        if (auto encoding = EncodingForCharset(token))
            return DeclaredCharset{begin, i, *encoding};
    }
    return std::nullopt;
}

// The first usable charset declared by a <meta> tag that starts in the first 4,096 bytes or
// characters, outside comments.
template <class View> std::optional<DeclaredCharset> FindDeclaration(View view)
{
    const qsizetype limit = std::min(view.size(), kDeclarationScanBytes);
    qsizetype pos = FindAscii(view, '<', 0);
    while (pos >= 0 && pos < limit) {
        if (MatchesAt(view, pos, "<!--")) {
            pos = FindWord(view, "-->", pos + 4);
            if (pos < 0)
                break;
        } else if (MatchesAt(view, pos, "<meta") && pos + 5 < view.size() &&
                   (IsHtmlSpace(AsciiAt(view, pos + 5)) || AsciiAt(view, pos + 5) == '/')) {
            qsizetype end = FindAscii(view, '>', pos);
            if (end < 0)
                end = view.size();
            if (auto name = CharsetInMetaTag(view, pos + 5, end))
                return name;
            pos = end;
        }
        pos = FindAscii(view, '<', pos + 1);
    }
    return std::nullopt;
}

std::optional<TextEncoding> DeclaredEncoding(QByteArrayView bytes)
{
    if (auto name = FindDeclaration(bytes))
        return name->encoding;
    return std::nullopt;
}

enum class Utf8Scan { Ascii, Utf8, NotUtf8 };

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF, nothing cut short.
Utf8Scan ScanUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    bool ascii = true;
    while (p < end) {
        if (end - p >= 8 && AllAscii8(p)) {
            p += 8;
            continue;
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        ascii = false;
        int trail;
        if (c >= 0xC2 && c <= 0xDF)
            trail = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            trail = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            trail = 3;
        else
            return Utf8Scan::NotUtf8;
        if (end - p <= trail)
            return Utf8Scan::NotUtf8;
        const unsigned char second = p[1];
        if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) ||
            (c == 0xF0 && second < 0x90) || (c == 0xF4 && second > 0x8F))
            return Utf8Scan::NotUtf8;
        for (int k = 1; k <= trail; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return Utf8Scan::NotUtf8;
        }
        p += trail + 1;
    }
    return ascii ? Utf8Scan::Ascii : Utf8Scan::Utf8;
}

QString DecodeRaw(const QByteArray& name, Kind kind, QByteArrayView bytes, bool* error);

// The part of a page the encoding guess reads: its first 64 KB, ended after a line break so
// that no character is cut.
QByteArrayView GuessSample(QByteArrayView bytes)
{
    constexpr qsizetype kSampleBytes = 65536;
    if (bytes.size() <= kSampleBytes)
        return bytes;
    const qsizetype lineEnd = bytes.first(kSampleBytes).lastIndexOf('\n');
    if (lineEnd > 0)
        return bytes.first(lineEnd + 1);
    // One long line: end before the last non-ASCII byte, at an ASCII byte.
    qsizetype end = kSampleBytes;
    while (end > 0 && static_cast<unsigned char>(bytes[end - 1]) >= 0x80)
        --end;
    return bytes.first(end);
}

TextEncoding DetectEncoding(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {Kind::Utf8, {}, true, {}};
    if (bytes.startsWith("\xFF\xFE"))
        return {Kind::Utf16LE, {}, true, {}};
    if (bytes.startsWith("\xFE\xFF"))
        return {Kind::Utf16BE, {}, true, {}};
    if (auto declared = DeclaredEncoding(bytes))
        return *declared;
    const Utf8Scan scan = ScanUtf8(bytes);
    if (scan == Utf8Scan::Ascii)
        return {};
    if (scan == Utf8Scan::NotUtf8)
        return PrefersEucJp(GuessSample(bytes)) ? TextEncoding{Kind::Named, "EUC-JP", false, {}}
                                                : TextEncoding{};
    // Valid UTF-8 can be valid CP932 too (short pages of half-width kana often are): then the
    // reading that makes sense decides, judged on the page's start.
    if (IsValidCp932(bytes)) {
        const QByteArrayView start = GuessSample(bytes);
        bool error = false;
        const QString cp932 = DecodeRaw(kCp932, Kind::Cp932, start, &error);
        if (!error && PrefersCp932(start, QString::fromUtf8(start), cp932))
            return {};
    }
    return {Kind::Utf8, {}, false, {}};
}

// ---- Decoding --------------------------------------------------------------------------------

QString DecodeRaw(const QByteArray& name, Kind kind, QByteArrayView bytes, bool* error)
{
    QByteArray rotated;
    if (kind == Kind::Cp932 && HasRotatedControlByte(bytes)) {
        rotated = bytes.toByteArray();
        RotateControlBytes(rotated, true);
        bytes = rotated;
    }
    QStringDecoder decoder(name.constData(), kDecodeFlags);
    QString text(decoder.requiredSpace(bytes.size()), Qt::Uninitialized);
    QChar* const begin = text.data();
    text.truncate(decoder.appendToBuffer(begin, bytes) - begin);
    *error = decoder.hasError();
    return text;
}

// What the file's line breaks were: how many of each, and where a run of one kind begins (the
// index in the normalised text of its first '\n'). A page with one kind has one run.
struct LineBreakScan {
    qsizetype counts[3] = {};
    std::vector<std::pair<qsizetype, LineEnd>> runs;
};

// CR LF, lone CR and lone LF each become one '\n', in place; returns the new length.
qsizetype NormalizeLineBreaks(char16_t* s, qsizetype length, LineBreakScan& scan)
{
    qsizetype out = 0;
    for (qsizetype in = 0; in < length; ++in) {
        char16_t c = s[in];
        if (c == u'\r' || c == u'\n') {
            LineEnd end = LineEnd::Lf;
            if (c == u'\r') {
                const bool pair = in + 1 < length && s[in + 1] == u'\n';
                end = pair ? LineEnd::CrLf : LineEnd::Cr;
                in += pair ? 1 : 0;
            }
            ++scan.counts[int(end)];
            if (scan.runs.empty() || scan.runs.back().second != end)
                scan.runs.emplace_back(out, end);
            c = u'\n';
        }
        s[out++] = c;
    }
    return out;
}

// The line end most of the file's line breaks have (a tie goes to CR LF, then LF): the one
// every new line gets.
LineEnd UsualLineEnd(const LineBreakScan& scan)
{
    LineEnd usual = LineEnd::CrLf;
    for (LineEnd end : {LineEnd::Lf, LineEnd::Cr}) {
        if (scan.counts[int(end)] > scan.counts[int(usual)])
            usual = end;
    }
    return usual;
}

// The line breaks of a page that mixes them which are not the usual one, at their CRs in the
// CR LF text. text is the normalised text.
ByteVariants OddLineBreaks(QStringView text, const LineBreakScan& scan, LineEnd usual)
{
    ByteVariants odd;
    if (scan.runs.size() < 2)
        return odd;
    qsizetype breaks = 0;
    size_t run = 0;
    for (qsizetype i = text.indexOf(u'\n'); i >= 0; i = text.indexOf(u'\n', i + 1), ++breaks) {
        while (run + 1 < scan.runs.size() && scan.runs[run + 1].first <= i)
            ++run;
        if (scan.runs[run].second != usual)
            odd.push_back(LineBreakVariant(i + breaks, scan.runs[run].second));
    }
    return odd;
}

// ---- Encoding --------------------------------------------------------------------------------

// A stateful charset (ISO-2022-JP) switches back to ASCII only before the next ASCII character,
// and Qt never flushes the encoder: write a line feed and take its byte back off, which leaves
// the escape sequence in place. Stateless charsets are unaffected.
void FinishShiftState(ByteWriter& writer, QStringEncoder& encoder, const QByteArray& name)
{
    QStringEncoder probe(name.constData(), kEncodeFlags);
    const QByteArray lineFeed = probe.encode(u"\n");
    if (lineFeed.size() != 1)
        return;
    writer.encode(u"\n");
    if (!encoder.hasError() && writer.lastByte() == lineFeed[0])
        writer.dropLastByte();
}

// Index of the first character of text that back (text encoded and decoded again) does not
// give back, or -1 when back is text.
qsizetype FirstDifference(QStringView text, QStringView back)
{
    const qsizetype common = std::min(text.size(), back.size());
    qsizetype i =
        std::mismatch(text.begin(), text.begin() + common, back.begin()).first - text.begin();
    if (i == common && text.size() == back.size())
        return -1;
    i = std::min(i, text.size() - 1);
    if (i > 0 && text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
        --i;
    return i;
}

// The first character the encoder reports it cannot hold, for when its substitute decodes back
// to the same text (U+FFFD written in CP932 comes back as U+FFFD). Blocks first, then characters
// within the failing block, with fresh encoders since ICU's error state cannot be reset.
qsizetype FirstReportedUnencodable(const QByteArray& name, QStringView text)
{
    auto fails = [&](QStringView piece) {
        QStringEncoder encoder(name.constData(), kEncodeFlags);
        // encode() converts only when its result becomes a QByteArray.
        const QByteArray bytes = encoder.encode(piece);
        return encoder.hasError();
    };
    auto pieceLength = [&](qsizetype from, qsizetype wanted) {
        qsizetype end = std::min(text.size(), from + wanted);
        if (end < text.size() && text[end - 1].isHighSurrogate() && text[end].isLowSurrogate())
            ++end;
        return end - from;
    };
    for (qsizetype block = 0; block < text.size();) {
        const qsizetype blockLength = pieceLength(block, 4096);
        if (fails(text.sliced(block, blockLength))) {
            for (qsizetype i = block; i < block + blockLength;) {
                const qsizetype length = pieceLength(i, 1);
                if (fails(text.sliced(i, length)))
                    return i;
                i += length;
            }
            return block;
        }
        block += blockLength;
    }
    return 0;
}

// Where saving raw (the text as decoded, its line breaks as the file had them) would first write
// other bytes than the file's; nothing when it writes every one of them back.
std::optional<BytePlace> FirstInexactPlace(QStringView raw, const TextEncoding& encoding,
                                           QByteArrayView bytes)
{
    const EncodedDocument back = EncodeDocument(raw, encoding);
    BytePlace place;
    qsizetype index = back.firstUnencodable;
    if (index < 0) {
        if (back.bytes == bytes)
            return std::nullopt;
        const qsizetype common = std::min(bytes.size(), back.bytes.size());
        place.offset =
            std::mismatch(bytes.begin(), bytes.begin() + common, back.bytes.begin()).first -
            bytes.begin();
        // The characters read whole before that byte: a decoder that is not told the input
        // ends keeps a sequence cut short to itself.
        const qsizetype bom = ByteOrderMark(encoding).size();
        QStringDecoder decoder(ConverterName(encoding).constData());
        index = place.offset <= bom
                    ? 0
                    : QString(decoder.decode(bytes.sliced(bom, place.offset - bom))).size();
    }
    index = std::min(index, raw.size());
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < index; ++i) {
        const QChar c = raw[i];
        if (c == u'\n' || (c == u'\r' && (i + 1 >= raw.size() || raw[i + 1] != u'\n'))) {
            ++place.line;
            lineStart = i + 1;
        }
    }
    for (qsizetype i = lineStart; i < index; ++i)
        place.column += raw[i].isLowSurrogate() && i > lineStart ? 0 : 1;
    return place;
}

// The text as the file writes it: each CR LF of the editor's text made the page's usual line
// break, or the one kept for it; the CP932 forms moved to their places in it.
struct WrittenText {
    QString text;
    ByteVariants forms;
};

bool NeedsLineBreakConversion(const TextEncoding& encoding, const ByteVariants& forms)
{
    return encoding.lineEnd != LineEnd::CrLf || HasLineBreakVariants(forms);
}

// Calls onBreak(pos, written) for each CR LF of text in order, written being the line break the
// file gets there; stops when it returns false.
template <class OnBreak>
void ForEachLineBreak(QStringView text, const TextEncoding& encoding, const ByteVariants& forms,
                      OnBreak onBreak)
{
    const QStringView usual = LineBreakText(encoding.lineEnd);
    auto form = forms.begin();
    for (qsizetype cr = text.indexOf(u'\r'); cr >= 0; cr = text.indexOf(u'\r', cr + 1)) {
        if (cr + 1 >= text.size() || text[cr + 1] != u'\n')
            continue;
        while (form != forms.end() &&
               (form->pos < cr || (form->pos == cr && !IsLineBreakVariant(*form))))
            ++form;
        const bool kept = form != forms.end() && form->pos == cr && IsLineBreakVariant(*form);
        if (!onBreak(cr, kept ? LineBreakText(LineEndOf(*form)) : usual))
            return;
    }
}

WrittenText WithPageLineBreaks(QStringView text, const TextEncoding& encoding,
                               const ByteVariants& forms)
{
    WrittenText out;
    out.text.reserve(text.size());
    qsizetype from = 0;
    qsizetype shift = 0; // how many characters the written text is shorter so far
    auto form = forms.begin();
    auto keepFormsBefore = [&](qsizetype pos) {
        for (; form != forms.end() && form->pos < pos; ++form) {
            if (!IsLineBreakVariant(*form))
                out.forms.push_back({form->pos - shift, form->character, form->bytes});
        }
    };
    ForEachLineBreak(text, encoding, forms, [&](qsizetype cr, QStringView written) {
        keepFormsBefore(cr);
        out.text += text.sliced(from, cr - from);
        out.text += written;
        shift += 2 - written.size();
        from = cr + 2;
        return true;
    });
    keepFormsBefore(text.size());
    out.text += text.sliced(from);
    return out;
}

// Where index of the written text stands in the editor's text.
qsizetype EditorIndex(QStringView text, const TextEncoding& encoding, const ByteVariants& forms,
                      qsizetype index)
{
    qsizetype shift = 0;
    ForEachLineBreak(text, encoding, forms, [&](qsizetype cr, QStringView written) {
        if (cr - shift >= index)
            return false;
        shift += 2 - written.size();
        return true;
    });
    return index + shift;
}

} // namespace

DecodedDocument DecodeDocument(QByteArrayView bytes)
{
    return DecodeDocumentAs(bytes, DetectEncoding(bytes));
}

DecodedDocument DecodeDocumentAs(QByteArrayView bytes, const TextEncoding& chosen)
{
    DecodedDocument result;
    result.encoding = chosen;
    // A byte order mark of the encoding is taken off, and written again on saving.
    TextEncoding withBom = chosen;
    withBom.bom = true;
    const QByteArray bom = ByteOrderMark(withBom);
    result.encoding.bom = !bom.isEmpty() && bytes.startsWith(bom);
    const TextEncoding& encoding = result.encoding;
    const QByteArrayView body = bytes.sliced(ByteOrderMark(encoding).size());

    bool error = false;
    result.text = DecodeRaw(ConverterName(encoding), encoding.kind, body, &error);
    // Qt's UTF-16 decoder turns a trailing odd byte into U+FFFD without counting an error.
    const bool utf16 = encoding.kind == Kind::Utf16LE || encoding.kind == Kind::Utf16BE;
    result.undecodableBytes = error || (utf16 && body.size() % 2 != 0);
    // UTF-16 bytes can hold half of a surrogate pair, which no file could save again. The other
    // decoders never give one (a bad UTF-8 sequence becomes U+FFFD), so a CP932 page is not
    // scanned twice.
    if (utf16 && ReplaceLoneSurrogates(result.text) > 0)
        result.undecodableBytes = true;
    // CP932 and UTF-8 pages are written back byte for byte (CP932 keeps its duplicate forms);
    // any other charset is tried once, so that the user hears of a difference before a save.
    if (encoding.kind != Kind::Cp932 && encoding.kind != Kind::Utf8 && !result.undecodableBytes)
        result.inexact = FirstInexactPlace(result.text, encoding, bytes);

    QString& text = result.text;
    LineBreakScan breaks;
    text.truncate(
        NormalizeLineBreaks(reinterpret_cast<char16_t*>(text.data()), text.size(), breaks));
    if (text.capacity() > text.size() + text.size() / 4)
        text.squeeze();
    result.lineBreaksNormalized =
        breaks.counts[int(LineEnd::Lf)] > 0 || breaks.counts[int(LineEnd::Cr)] > 0;
    // Saved, the page keeps its line ends and its end: the usual line end for new lines, the
    // odd ones where they stand, and a final line break only if it had one.
    result.encoding.lineEnd = UsualLineEnd(breaks);
    result.encoding.addFinalBreak = false;
    ByteVariants oddBreaks = OddLineBreaks(text, breaks, result.encoding.lineEnd);

    if (encoding.kind == Kind::Cp932) {
        Cp932Variants forms = ReadCp932Variants(body);
        result.encoding.preferredBytes = std::move(forms.usual);
        if (!forms.kept.empty())
            result.forms = FindKeptVariants(body, forms.kept);
    }
    if (!oddBreaks.empty()) {
        ByteVariants merged;
        merged.reserve(result.forms.size() + oddBreaks.size());
        std::merge(result.forms.begin(), result.forms.end(), oddBreaks.begin(), oddBreaks.end(),
                   std::back_inserter(merged),
                   [](const ByteVariant& a, const ByteVariant& b) { return a.pos < b.pos; });
        result.forms = std::move(merged);
    }
    return result;
}

EncodedDocument EncodeDocument(QStringView editorText, const TextEncoding& encoding,
                               const ByteVariants& editorForms)
{
    // A CR LF page without odd line breaks is written as the editor holds it.
    WrittenText written;
    const bool converted = NeedsLineBreakConversion(encoding, editorForms);
    if (converted)
        written = WithPageLineBreaks(editorText, encoding, editorForms);
    const QStringView text = converted ? QStringView(written.text) : editorText;
    const ByteVariants& forms = converted ? written.forms : editorForms;

    EncodedDocument result;
    const QByteArray name = ConverterName(encoding);
    QStringEncoder encoder(name.constData(), kEncodeFlags);
    if (!encoder.isValid()) {
        result.firstUnencodable = editorText.isEmpty() ? -1 : 0;
        return result;
    }
    const QByteArray bom = ByteOrderMark(encoding);
    ByteWriter writer(encoder, bom, text.size());
    if (encoding.kind == Kind::Cp932 && (!encoding.preferredBytes.isEmpty() || !forms.empty()))
        EncodeCp932(writer, text, encoding, forms);
    else
        writer.encode(text);
    if (encoding.kind == Kind::Named && !text.isEmpty() && !text.endsWith(u'\n'))
        FinishShiftState(writer, encoder, name);
    QByteArray bytes = writer.take();
    if (encoding.kind == Kind::Cp932 && HasRotatedControlByte(bytes))
        RotateControlBytes(bytes, false);

    // ICU and Qt do not report every substitution: Qt's Latin-1 writes '?' for any character
    // past U+00FF, and ICU writes U+F86F as 87 82, which reads back as U+2116. So every legacy
    // charset is checked by reading the bytes back; UTF-8 and UTF-16 hold every character, and
    // Qt reports the one thing UTF-8 cannot write (a lone surrogate).
    const bool reported = encoder.hasError();
    if (reported || encoding.kind == Kind::Cp932 || encoding.kind == Kind::Named) {
        bool undecodable = false;
        const QString back =
            DecodeRaw(name, encoding.kind, QByteArrayView(bytes).sliced(bom.size()), &undecodable);
        result.firstUnencodable = FirstDifference(text, back);
        // A character the encoder reported may stand before the first difference (U+FFFD reads
        // back as itself): the message names the first character that cannot be saved.
        if (reported) {
            const qsizetype flagged = FirstReportedUnencodable(name, text);
            if (result.firstUnencodable < 0 || flagged < result.firstUnencodable)
                result.firstUnencodable = flagged;
        }
        if (result.firstUnencodable >= 0) {
            if (converted)
                result.firstUnencodable =
                    EditorIndex(editorText, encoding, editorForms, result.firstUnencodable);
            return result;
        }
    }
    result.bytes = std::move(bytes);
    return result;
}

char16_t Cp932Equivalent(char16_t c)
{
    switch (c) {
    case 0x301C: // WAVE DASH
        return 0xFF5E;
    case 0x2212: // MINUS SIGN
        return 0xFF0D;
    case 0x2016: // DOUBLE VERTICAL LINE
        return 0x2225;
    case 0x2014: // EM DASH
        return 0x2015;
    case 0x00A2:
        return 0xFFE0;
    case 0x00A3:
        return 0xFFE1;
    case 0x00AC:
        return 0xFFE2;
    case 0x00A6:
        return 0xFFE4;
    default:
        return 0;
    }
}

std::optional<DeclaredCharset> FindDeclaredCharset(QStringView text)
{
    return FindDeclaration(text);
}

qsizetype LineNumberOfIndex(QStringView text, qsizetype index)
{
    const qsizetype end = std::clamp<qsizetype>(index, 0, text.size());
    return 1 + text.first(end).count(u'\n');
}

} // namespace tl
