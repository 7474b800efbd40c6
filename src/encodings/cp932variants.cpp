#include "encodings/cp932variants.h"

#include "encodings/codecparts.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cstdint>

namespace tl
{

using namespace codec;

namespace
{

// ---- CP932 duplicate forms -------------------------------------------------------------------
//
// CP932 holds some characters twice or three times: NEC row 13 repeats symbols of row 2
// (87 9A and 81 E6 are both U+2235), the NEC-selected IBM rows ED/EE repeat the IBM extension
// rows FA-FC (ED 40 and FA 5C are both U+7E8A), and the IBM rows repeat NEC symbols (FA 4A and
// 87 54 are both U+2160). ICU writes each character in one form, as Windows does. A file written
// with another form gets that form recorded, so that saving it gives back the bytes it was read
// from. The lead bytes below hold every duplicate and every form Windows chooses for one.

constexpr std::array<unsigned char, 7> kFormRows = {0x81, 0x87, 0xED, 0xEE, 0xFA, 0xFB, 0xFC};

constexpr std::array<signed char, 256> MakeFormRowIndex()
{
    std::array<signed char, 256> index{};
    for (auto& i : index)
        i = -1;
    for (std::size_t r = 0; r < kFormRows.size(); ++r)
        index[kFormRows[r]] = static_cast<signed char>(r);
    return index;
}
constexpr std::array<signed char, 256> kFormRowIndex = MakeFormRowIndex();

bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// How often each double-byte pair of kFormRows occurs, walking the bytes as ICU does: a lead
// byte without a valid trail byte stands alone and the next byte starts afresh.
std::vector<std::uint32_t> CountFormRowPairs(QByteArrayView bytes)
{
    std::vector<std::uint32_t> counts(kFormRows.size() * 256);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        if (n - i >= 8 && AllAscii8(p + i)) {
            i += 8;
            continue;
        }
        const unsigned char lead = p[i];
        if (!IsLeadByte(lead) || i + 1 >= n || !IsTrailByte(p[i + 1])) {
            ++i;
            continue;
        }
        if (const int row = kFormRowIndex[lead]; row >= 0)
            ++counts[row * 256 + p[i + 1]];
        i += 2;
    }
    return counts;
}

// What the decoder reads each double-byte pair of kFormRows as: one character, or 0 when the
// pair is unassigned or illegal. Asked of ICU once, in one pass: every pair with a trail byte
// followed by a line feed, which no pair can take with it.
const std::array<char16_t, kFormRows.size() * 256>& FormRowCharacters()
{
    static const auto table = [] {
        std::array<char16_t, kFormRows.size() * 256> chars{};
        QByteArray all;
        std::vector<std::size_t> indexes;
        for (std::size_t row = 0; row < kFormRows.size(); ++row) {
            for (int trail = 0; trail < 256; ++trail) {
                if (!IsTrailByte(static_cast<unsigned char>(trail)))
                    continue;
                all.append(char(kFormRows[row])).append(char(trail)).append('\n');
                indexes.push_back(row * 256 + trail);
            }
        }
        QStringDecoder decoder(kCp932, kDecodeFlags);
        const QString decoded = decoder.decode(all);
        // ICU keeps reporting an error once it has seen one, so each piece is judged by what
        // it holds: a single character that is neither U+FFFD (unassigned) nor U+001A
        // (illegal).
        qsizetype from = 0;
        for (const std::size_t index : indexes) {
            const qsizetype end = decoded.indexOf(u'\n', from);
            if (end < 0)
                break;
            const QChar c = decoded[from];
            if (end - from == 1 && c != QChar::ReplacementCharacter && c != QChar(0x1A))
                chars[index] = c.unicode();
            from = end + 1;
        }
        return chars;
    }();
    return table;
}

} // namespace

Cp932Variants ReadCp932Variants(QByteArrayView bytes)
{
    const std::vector<std::uint32_t> counts = CountFormRowPairs(bytes);
    const auto& characters = FormRowCharacters();
    auto countOf = [&](QByteArrayView pair) -> std::uint32_t {
        const int row = pair.size() == 2 ? kFormRowIndex[static_cast<unsigned char>(pair[0])] : -1;
        return row < 0 ? 0 : counts[row * 256 + static_cast<unsigned char>(pair[1])];
    };
    auto pairAt = [](std::size_t index) {
        const char pairBytes[2] = {static_cast<char>(kFormRows[index / 256]),
                                   static_cast<char>(index % 256)};
        return QByteArray(pairBytes, 2);
    };

    struct Choice {
        QByteArray windowsForm;
        QByteArray form;
        std::uint32_t count = 0;
    };
    QHash<char32_t, Choice> choices;
    QStringEncoder encoder(kCp932, kEncodeFlags);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const std::uint32_t count = counts[i];
        if (count == 0 || characters[i] == 0)
            continue;
        const QByteArray pair = pairAt(i);
        const QByteArray windowsForm = encoder.encode(QStringView(&characters[i], 1));
        if (windowsForm == pair)
            continue;
        Choice& choice = choices[characters[i]];
        if (choice.windowsForm.isEmpty())
            choice = {windowsForm, windowsForm, countOf(windowsForm)};
        if (count > choice.count)
            choice = {windowsForm, pair, count};
    }

    Cp932Variants forms;
    if (choices.isEmpty())
        return forms;
    for (auto it = choices.cbegin(); it != choices.cend(); ++it) {
        if (it->form != it->windowsForm)
            forms.usual.insert(it.key(), it->form);
    }
    // Every other form the file holds of a character it wrote in more than one.
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] == 0 || characters[i] == 0)
            continue;
        const auto choice = choices.constFind(characters[i]);
        if (choice == choices.cend() || choice->form == pairAt(i))
            continue;
        if (forms.kept.empty())
            forms.kept.resize(counts.size());
        forms.kept[i] = characters[i];
    }
    return forms;
}

// Where each pair marked in kept stands in the page's text with CR LF line breaks. The bytes are
// walked as the decoder reads them: a byte or a double-byte pair gives one character (a lead
// byte without a valid trail byte stands alone), and a line break two (CR LF, as a lone CR or
// LF becomes).
ByteVariants FindKeptVariants(QByteArrayView bytes, const std::vector<char16_t>& kept)
{
    ByteVariants found;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype pos = 0;
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b == '\r' || b == '\n') {
            i += (b == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
            pos += 2;
            continue;
        }
        if (!IsLeadByte(b) || i + 1 >= n || !IsTrailByte(p[i + 1])) {
            ++i;
            ++pos;
            continue;
        }
        if (const int row = kFormRowIndex[b]; row >= 0) {
            if (const char16_t c = kept[row * 256 + p[i + 1]])
                found.push_back({pos, c, quint16(b << 8 | p[i + 1])});
        }
        i += 2;
        ++pos;
    }
    return found;
}

namespace
{

// Writes CP932 text with the page's usual forms: the characters it records with their recorded
// bytes, everything between them through the encoder (CP932 has no shift state, so the pieces
// join up exactly).
class UsualVariantWriter
{
public:
    UsualVariantWriter(ByteWriter& writer, const QHash<char32_t, QByteArray>& forms)
        : writer_(writer), forms_(forms)
    {
        if (forms.isEmpty())
            return;
        // One flag per UTF-16 unit that may start a recorded character: a table look-up per
        // character rather than a hash look-up.
        marked_.resize(0x10000);
        for (auto it = forms.keyBegin(); it != forms.keyEnd(); ++it) {
            if (*it <= 0x10FFFF)
                marked_[*it > 0xFFFF ? QChar::highSurrogate(*it) : *it] = 1;
        }
    }

    void write(QStringView text)
    {
        if (marked_.empty()) {
            writer_.encode(text);
            return;
        }
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i].unicode();
            if (!marked_[unit])
                continue;
            char32_t code = unit;
            qsizetype length = 1;
            if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
                text[i + 1].isLowSurrogate()) {
                code = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
                length = 2;
            }
            if (const auto form = forms_.constFind(code); form != forms_.constEnd()) {
                writer_.encode(text.sliced(start, i - start));
                writer_.append(*form);
                start = i + length;
            }
            i += length - 1;
        }
        writer_.encode(text.sliced(start));
    }

private:
    ByteWriter& writer_;
    const QHash<char32_t, QByteArray>& forms_;
    std::vector<unsigned char> marked_;
};

} // namespace

// CP932 text in the page's usual forms, but for the characters kept in another form where they
// stand. A kept form is written only where it is a form of the character it stands for.
void EncodeCp932(ByteWriter& writer, QStringView text, const TextEncoding& encoding,
                 const ByteVariants& kept)
{
    UsualVariantWriter usual(writer, encoding.preferredBytes);
    const auto& characters = FormRowCharacters();
    qsizetype start = 0;
    for (const ByteVariant& form : kept) {
        const int row = kFormRowIndex[form.bytes >> 8];
        if (form.pos < start || form.pos >= text.size() || row < 0 ||
            text[form.pos].unicode() != form.character ||
            characters[row * 256 + (form.bytes & 0xFF)] != form.character)
            continue;
        usual.write(text.sliced(start, form.pos - start));
        const char pair[2] = {char(form.bytes >> 8), char(form.bytes & 0xFF)};
        writer.append(QByteArrayView(pair, 2));
        start = form.pos + 1;
    }
    usual.write(text.sliced(start));
}

} // namespace tl
