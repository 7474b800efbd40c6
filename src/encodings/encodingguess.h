#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace tl
{

// Choosing between UTF-8 and CP932 for a page that declares neither and whose bytes are valid
// in both. Short Japanese pages often are: a half-width kana pair such as ﾅｶ (C5 B6) is also a
// two-byte UTF-8 character (Ŷ), so validity alone reads them as nonsense.

// True when the bytes are CP932 that Windows would read without a single unknown byte.
bool IsValidCp932(QByteArrayView bytes);

// Whether a text reads like something a person wrote. It looks at words (runs of letters, marks
// and digits): a word whose letters come from unrelated scripts ("Ŷ޲", Latin with Thaana;
// "cafﾃｩ", Latin with kana) is implausible; so is a combining mark that starts a word, a C1
// control character, half-width kana that break the kana's own rules (a voiced mark after a
// kana that takes none, a small kana or a long-vowel mark starting a word), and a word outside
// Japanese of a single non-ASCII letter, or of Latin letters none of which is ASCII or
// Latin-1 ("Ŷ"). Kanji, kana and full-width forms count as one script, Latin with its accented
// letters as another.
bool IsPlausibleText(QStringView text);

// For bytes valid as both UTF-8 and CP932 (no byte order mark, no declared charset): true when
// they are to be read as CP932. The reading that is plausible wins; when both are, a
// statistical detector (uchardet) decides whether the bytes are Shift-JIS, and otherwise
// UTF-8 stays, as it does when neither is plausible.
bool PrefersCp932(QByteArrayView bytes, QStringView utf8Reading, QStringView cp932Reading);

// For bytes that are not UTF-8 and declare no charset: true when they are EUC-JP rather than
// CP932. The bytes must read as EUC-JP without an error; then they are EUC-JP when they are no
// valid CP932, however short, or when uchardet names EUC-JP, their EUC-JP reading is plausible
// text and their CP932 reading is not. (uchardet gives no measure of its confidence; the readings
// stand in for one. Short pages of half-width kana are often valid EUC-JP too and read as
// nonsense in it, so they stay CP932.)
bool PrefersEucJp(QByteArrayView bytes);

} // namespace tl
