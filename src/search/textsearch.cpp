#include "search/textsearch.h"

#include <QChar>
#include <array>
#include <memory>

namespace tl
{

namespace
{

using UpperTable = std::array<char16_t, 0x10000>;

// One lookup per character keeps the caseless scan of a 20 MB page close to a plain one.
const UpperTable& Uppers()
{
    static const std::unique_ptr<const UpperTable> table = [] {
        auto t = std::make_unique<UpperTable>();
        for (char32_t c = 0; c < 0x10000; ++c)
            (*t)[c] = QChar::isSurrogate(c) ? char16_t(c) : char16_t(QChar::toUpper(c));
        return std::unique_ptr<const UpperTable>(std::move(t));
    }();
    return *table;
}

} // namespace

char16_t UpperUnit(char16_t c)
{
    return Uppers()[c];
}

QString UpperText(QStringView text)
{
    const UpperTable& up = Uppers();
    QString out(text.size(), Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    const char16_t* s = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i)
        o[i] = up[s[i]];
    return out;
}

qsizetype FindTextIn(QStringView text, QStringView key, qsizetype from, bool matchCase)
{
    if (matchCase) {
        if (key.isEmpty() || from < 0 || from > text.size() - key.size())
            return -1;
        return text.indexOf(key, from, Qt::CaseSensitive);
    }
    return FindUpperKeyIn(text, UpperText(key), from);
}

qsizetype FindUpperKeyIn(QStringView text, QStringView upperKey, qsizetype from)
{
    const qsizetype n = text.size();
    const qsizetype m = upperKey.size();
    if (m == 0 || from < 0 || from > n - m)
        return -1;
    const UpperTable& up = Uppers();
    const char16_t* k = upperKey.utf16();
    const char16_t first = k[0];
    const char16_t* s = text.utf16();
    for (qsizetype i = from, last = n - m; i <= last; ++i) {
        if (up[s[i]] != first)
            continue;
        qsizetype j = 1;
        while (j < m && up[s[i + j]] == k[j])
            ++j;
        if (j == m)
            return i;
    }
    return -1;
}

std::vector<qsizetype> ReplacePlaces(QStringView text, QStringView found)
{
    std::vector<qsizetype> places;
    if (found.isEmpty())
        return places;
    for (qsizetype p = text.indexOf(found, 0); p >= 0; p = text.indexOf(found, p + found.size()))
        places.push_back(p);
    return places;
}

} // namespace tl
