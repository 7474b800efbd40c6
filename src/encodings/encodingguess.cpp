#include "encodings/encodingguess.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <memory>

namespace tl
{

namespace
{

// ---- CP932 validity --------------------------------------------------------------------------

bool IsLead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrail(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Which double-byte pairs code page 932 assigns a character to, asked of ICU once.
class Cp932Pairs
{
public:
    Cp932Pairs()
    {
        // Every pair followed by a line feed, decoded in one pass: each one's piece of the
        // result is a single character when the pair is assigned.
        QByteArray all;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (IsLead(static_cast<unsigned char>(lead)) &&
                    IsTrail(static_cast<unsigned char>(trail)))
                    all.append(static_cast<char>(lead))
                        .append(static_cast<char>(trail))
                        .append('\n');
            }
        }
        QStringDecoder decoder("Shift_JIS", QStringConverter::Flag::Stateless);
        const QString decoded = decoder.decode(all);
        qsizetype from = 0;
        for (qsizetype i = 0; i < all.size(); i += 3) {
            const qsizetype end = decoded.indexOf(u'\n', from);
            if (end < 0)
                break;
            if (end - from == 1 && decoded[from] != QChar::ReplacementCharacter &&
                decoded[from] != QChar(0x1A))
                assigned_.set(static_cast<unsigned char>(all[i]) * 256 +
                              static_cast<unsigned char>(all[i + 1]));
            from = end + 1;
        }
    }
    bool assigned(unsigned char lead, unsigned char trail) const
    {
        return assigned_.test(lead * 256 + trail);
    }

private:
    std::bitset<65536> assigned_;
};

// ---- Plausibility ----------------------------------------------------------------------------

enum Group : unsigned {
    kNone = 0,
    kLatin = 1,
    kJapanese = 2, // kanji, hiragana, full-width katakana and forms
    kHalfKana = 4,
    kOther = 8, // any other script; two of them in one word are told apart by script
};

bool IsHalfWidthKana(char32_t c)
{
    return c >= 0xFF61 && c <= 0xFF9F;
}

bool IsHalfWidthKanaLetter(char32_t c)
{
    return c >= 0xFF66 && c <= 0xFF9F;
}

bool IsSmallHalfWidthKana(char32_t c)
{
    return c >= 0xFF67 && c <= 0xFF6F;
}

// Kana that take the voiced mark ﾞ: ｳ, ｶ to ｺ, ｻ to ｿ, ﾀ to ﾄ, ﾊ to ﾎ, and ﾜ, ｦ.
bool TakesVoicedMark(char32_t c)
{
    return c == 0xFF73 || (c >= 0xFF76 && c <= 0xFF84) || (c >= 0xFF8A && c <= 0xFF8E) ||
           c == 0xFF9C || c == 0xFF66;
}

bool TakesSemiVoicedMark(char32_t c)
{
    return c >= 0xFF8A && c <= 0xFF8E;
}

bool IsJapaneseCodePoint(char32_t c)
{
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF01 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFEE);
}

// Punctuation and symbols that real text uses outside words: most of Latin-1's (© ° £ « »),
// general
// punctuation (– “ ” …), currency, letter-like forms, arrows, mathematical operators, box and
// geometric shapes, dingbats, CJK punctuation, full-width forms and emoji. Spacing modifiers
// (˹ ˥), Greek, Armenian or Arabic punctuation alone are not among them.
bool IsCommonSymbol(char32_t c)
{
    if (c >= 0xA0 && c <= 0xBF) {
        // Not the ones that stand alone only by accident: ¤ ¦ ¨ ¬ soft hyphen ¯ ´ ¸.
        static constexpr char32_t kRare[] = {0xA4, 0xA6, 0xA8, 0xAC, 0xAD, 0xAF, 0xB4, 0xB8};
        return std::find(std::begin(kRare), std::end(kRare), c) == std::end(kRare);
    }
    return c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x27BF) || (c >= 0x2900 && c <= 0x2BFF) ||
           (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF) ||
           (c >= 0x1F000 && c <= 0x1FAFF);
}

// Letters of archaic or specialist blocks that today's pages do not use: Coptic and archaic
// Greek (U+03CF-U+03FF), historic Cyrillic (U+0460-U+0489) and the Cyrillic Supplement.
bool IsRareLetter(char32_t c)
{
    return (c >= 0x03CF && c <= 0x03FF) || (c >= 0x0460 && c <= 0x0489) ||
           (c >= 0x0500 && c <= 0x052F);
}

class WordChecker
{
public:
    // False as soon as the text is implausible.
    bool add(char32_t c)
    {
        const QChar::Category category = QChar::category(c);
        if ((c >= 0x80 && c <= 0x9F) || category == QChar::Other_NotAssigned ||
            category == QChar::Other_PrivateUse || category == QChar::Other_Surrogate)
            return false;
        const bool mark = category == QChar::Mark_NonSpacing ||
                          category == QChar::Mark_SpacingCombining ||
                          category == QChar::Mark_Enclosing;
        // Digits of a script (Arabic ٦) count as its letters; 0-9, ² and full-width digits
        // belong to no script.
        const bool letter =
            QChar::isLetter(c) || IsHalfWidthKanaLetter(c) ||
            (c >= 0x80 && QChar::isNumber(c) && QChar::script(c) != QChar::Script_Common);
        if (!letter && !mark && !QChar::isNumber(c))
            return (c < 0x80 || IsCommonSymbol(c)) && finishWord();

        if (mark && letters_ == 0)
            return false; // a combining mark needs a letter to sit on
        if (IsHalfWidthKana(c) && !kanaFollows(c))
            return false;
        previous_ = c;
        if (!letter)
            return true;
        const QChar::Script script = QChar::script(c);
        if (c >= 0x80)
            nonAscii_ = true;
        // Modifier letters (ʺ ˮ) and the like belong to no script and do not make a word.
        if (script == QChar::Script_Common && !IsHalfWidthKana(c) && !IsJapaneseCodePoint(c))
            return true;
        if (IsRareLetter(c))
            return false;
        ++letters_;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            latinBase_ = true;
        else if (c >= 0xC0 && c <= 0xFF)
            latinBase_ = true;

        unsigned group = kNone;
        if (IsHalfWidthKana(c))
            group = kHalfKana;
        else if (IsJapaneseCodePoint(c) || script == QChar::Script_Han ||
                 script == QChar::Script_Hiragana || script == QChar::Script_Katakana)
            group = kJapanese;
        else if (script == QChar::Script_Latin)
            group = kLatin;
        else if (script != QChar::Script_Common && script != QChar::Script_Inherited) {
            group = kOther;
            if (otherScript_ != QChar::Script_Unknown && otherScript_ != script)
                return false;
            otherScript_ = script;
        }
        groups_ |= group;
        return true;
    }

    bool finish() { return finishWord(); }

private:
    bool kanaFollows(char32_t c) const
    {
        if (c == 0xFF9E)
            return TakesVoicedMark(previous_);
        if (c == 0xFF9F)
            return TakesSemiVoicedMark(previous_);
        if (IsSmallHalfWidthKana(c) || c == 0xFF70)
            return IsHalfWidthKanaLetter(previous_);
        return true;
    }

    bool finishWord()
    {
        bool plausible = true;
        if (nonAscii_) {
            const bool mixed = (groups_ & kOther && groups_ != kOther) ||
                               ((groups_ & kLatin) && (groups_ & kHalfKana));
            const bool japanese = (groups_ & (kJapanese | kHalfKana)) != 0;
            if (mixed)
                plausible = false;
            else if (!japanese && letters_ < 2)
                plausible = false;
            else if (groups_ == kLatin && !latinBase_)
                plausible = false;
        }
        letters_ = 0;
        groups_ = kNone;
        nonAscii_ = false;
        latinBase_ = false;
        otherScript_ = QChar::Script_Unknown;
        previous_ = 0;
        return plausible;
    }

    int letters_ = 0;
    unsigned groups_ = kNone;
    bool nonAscii_ = false;
    bool latinBase_ = false; // an ASCII or Latin-1 letter
    QChar::Script otherScript_ = QChar::Script_Unknown;
    char32_t previous_ = 0;
};

// The charset uchardet names for the bytes, upper case; empty when it names none.
QByteArray UchardetCharset(QByteArrayView bytes)
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(
        uchardet_new(), uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0)
        return {};
    uchardet_data_end(detector.get());
    return QByteArray(uchardet_get_charset(detector.get())).toUpper();
}

bool UchardetSaysShiftJis(QByteArrayView bytes)
{
    const QByteArray name = UchardetCharset(bytes);
    return name == "SHIFT_JIS" || name == "CP932";
}

} // namespace

bool IsValidCp932(QByteArrayView bytes)
{
    static const Cp932Pairs pairs;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char b = p[i];
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF))
            continue;
        if (!IsLead(b) || i + 1 >= n || !pairs.assigned(b, p[i + 1]))
            return false;
        ++i;
    }
    return true;
}

bool IsPlausibleText(QStringView text)
{
    WordChecker checker;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        if (!checker.add(c))
            return false;
    }
    return checker.finish();
}

bool PrefersCp932(QByteArrayView bytes, QStringView utf8Reading, QStringView cp932Reading)
{
    const bool utf8 = IsPlausibleText(utf8Reading);
    const bool cp932 = IsPlausibleText(cp932Reading);
    if (utf8 != cp932)
        return cp932;
    return utf8 && UchardetSaysShiftJis(bytes);
}

namespace
{

// Every byte past ASCII stands in an EUC-JP character (two bytes A1-FE, half-width kana 8E A1-DF,
// or JIS X 0212 8F A1-FE A1-FE), and there is at least one. The decoder alone is not enough: it
// reads 80-8D and 90-A0 as C1 controls, so CP932 bytes that are not text would pass.
bool IsStrictEucJp(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    auto inRange = [&](qsizetype i, unsigned char lo, unsigned char hi) {
        return i < n && p[i] >= lo && p[i] <= hi;
    };
    bool any = false;
    for (qsizetype i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
        } else if (inRange(i, 0xA1, 0xFE) && inRange(i + 1, 0xA1, 0xFE)) {
            i += 2;
            any = true;
        } else if (p[i] == 0x8E && inRange(i + 1, 0xA1, 0xDF)) {
            i += 2;
            any = true;
        } else if (p[i] == 0x8F && inRange(i + 1, 0xA1, 0xFE) && inRange(i + 2, 0xA1, 0xFE)) {
            i += 3;
            any = true;
        } else {
            return false;
        }
    }
    return any;
}

} // namespace

bool PrefersEucJp(QByteArrayView bytes)
{
    QStringDecoder eucJp("EUC-JP", QStringConverter::Flag::Stateless);
    const QString eucJpReading = eucJp.decode(bytes);
    if (eucJp.hasError())
        return false;
    // Bytes that only EUC-JP reads are EUC-JP, however few: a short page gives uchardet too
    // little to name it.
    if (!IsValidCp932(bytes)) {
        if (!IsStrictEucJp(bytes))
            return false;
        // Only bytes that EUC-JP writes back as they are: a pair it reads into a private-use
        // character comes back other bytes, which a later opening would read otherwise.
        QStringEncoder back("EUC-JP", QStringConverter::Flag::Stateless);
        const QByteArray written = back.encode(eucJpReading);
        return !back.hasError() && written == bytes;
    }
    if (UchardetCharset(bytes) != "EUC-JP")
        return false;
    QStringDecoder cp932("Shift_JIS", QStringConverter::Flag::Stateless);
    const QString cp932Reading = cp932.decode(bytes);
    return IsPlausibleText(eucJpReading) && !IsPlausibleText(cp932Reading);
}

} // namespace tl
