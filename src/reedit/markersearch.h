#pragma once

#include <QStringView>

namespace tl
{

// Tag and attribute names are matched without regard to ASCII letter case. Matching in the
// text itself, instead of in an upper-cased copy, keeps every position exact: QString::toUpper
// turns "ß" into "SS", so positions found in the copy would drift from the original after such
// a character. It also spares copying the rest of a long document for one search.

constexpr char16_t AsciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

// Index of the first occurrence of needle in text at or after from, or -1.
inline qsizetype IndexOfNoCase(QStringView text, QStringView needle, qsizetype from = 0)
{
    const qsizetype m = needle.size();
    if (from < 0)
        from = 0;
    if (m == 0)
        return from <= text.size() ? from : -1;
    const char16_t first = AsciiUpper(needle[0].unicode());
    const bool firstIsLetter = first >= u'A' && first <= u'Z';
    for (qsizetype i = from; i + m <= text.size(); ++i) {
        if (firstIsLetter) {
            if (AsciiUpper(text[i].unicode()) != first)
                continue;
        } else {
            // Markers start with "<" or ">": let the fast single-character scan find candidates.
            i = text.indexOf(QChar(first), i);
            if (i < 0 || i + m > text.size())
                return -1;
        }
        qsizetype k = 1;
        while (k < m && AsciiUpper(text[i + k].unicode()) == AsciiUpper(needle[k].unicode()))
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

inline bool ContainsNoCase(QStringView text, QStringView needle)
{
    return IndexOfNoCase(text, needle) >= 0;
}

} // namespace tl
