#include "encodings/charrefs.h"

#include "encodings/documentcodec.h"

#include <QHash>

#include <algorithm>

namespace tl
{

QString CharacterReference(char32_t code)
{
    return QStringLiteral("&#x") + QString::number(quint32(code), 16).toUpper() + u';';
}

std::vector<std::pair<qsizetype, qsizetype>> UnencodableCharacters(QStringView text,
                                                                   const TextEncoding& encoding)
{
    std::vector<std::pair<qsizetype, qsizetype>> found;
    // Each distinct character is tried once: a table for the common plane, a hash beyond it.
    enum : signed char { Unknown, Holds, Lacks };
    std::vector<signed char> common(0x10000, Unknown);
    QHash<char32_t, bool> beyond;
    auto lacks = [&](QStringView ch) { return EncodeDocument(ch, encoding).firstUnencodable >= 0; };
    for (qsizetype i = 0; i < text.size();) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            auto it = beyond.find(code);
            if (it == beyond.end())
                it = beyond.insert(code, lacks(text.sliced(i, 2)));
            if (*it)
                found.emplace_back(i, 2);
            i += 2;
            continue;
        }
        signed char& known = common[unit];
        if (known == Unknown)
            known = lacks(text.sliced(i, 1)) ? Lacks : Holds;
        if (known == Lacks)
            found.emplace_back(i, 1);
        ++i;
    }
    return found;
}

QString WithCharacterReferences(QStringView text, const TextEncoding& encoding)
{
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (const auto& [index, length] : UnencodableCharacters(text, encoding)) {
        out += text.sliced(from, index - from);
        const char32_t code = length == 2 ? QChar::surrogateToUcs4(text[index], text[index + 1])
                                          : char32_t(text[index].unicode());
        out += CharacterReference(code);
        from = index + length;
    }
    out += text.sliced(from);
    return out;
}

ByteVariants VariantsAfterReferences(QStringView text, const TextEncoding& encoding,
                                     const ByteVariants& forms)
{
    if (forms.empty())
        return {};
    // Where each reference begins, and how many characters the text has grown by after it.
    std::vector<std::pair<qsizetype, qsizetype>> grown;
    qsizetype shift = 0;
    for (const auto& [index, length] : UnencodableCharacters(text, encoding)) {
        const char32_t code = length == 2 ? QChar::surrogateToUcs4(text[index], text[index + 1])
                                          : char32_t(text[index].unicode());
        shift += CharacterReference(code).size() - length;
        grown.emplace_back(index, shift);
    }
    ByteVariants moved = forms;
    for (ByteVariant& form : moved) {
        const auto after = std::upper_bound(
            grown.begin(), grown.end(), form.pos,
            [](qsizetype pos, const std::pair<qsizetype, qsizetype>& g) { return pos < g.first; });
        if (after != grown.begin())
            form.pos += (after - 1)->second;
    }
    return moved;
}

} // namespace tl
