#include "dialogkit/dialogtext.h"

namespace tl
{

namespace
{

bool IsSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == QChar(0x3000);
}

bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// 0-9 for an ASCII or full-width digit, -1 otherwise.
int DigitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= QChar(0xFF10) && c <= QChar(0xFF19))
        return c.unicode() - 0xFF10;
    return -1;
}

// Where the attribute starting at i ends: a name, then optionally "=" and a value (quoted or
// up to a space or ">"). An ASP block runs to its "%>".
qsizetype AttributeEnd(QStringView tag, qsizetype i)
{
    const qsizetype n = tag.size();
    if (tag.sliced(i).startsWith(u"<%")) {
        const qsizetype close = tag.indexOf(u"%>", i + 2);
        return close < 0 ? n : close + 2;
    }
    while (i < n && !IsSpace(tag[i]) && tag[i] != u'=' && tag[i] != u'>' &&
           !(tag[i] == u'/' && i + 1 < n && tag[i + 1] == u'>'))
        ++i;
    qsizetype j = i;
    while (j < n && IsSpace(tag[j]))
        ++j;
    if (j >= n || tag[j] != u'=')
        return i;
    ++j;
    while (j < n && IsSpace(tag[j]))
        ++j;
    if (j < n && (tag[j] == u'"' || tag[j] == u'\'')) {
        const qsizetype close = tag.indexOf(tag[j], j + 1);
        return close < 0 ? n : close + 1;
    }
    while (j < n && !IsSpace(tag[j]) && tag[j] != u'>')
        ++j;
    return j;
}

} // namespace

std::optional<qint64> WholeNumber(QStringView text)
{
    QStringView t = text.trimmed();
    bool negative = false;
    if (!t.isEmpty() && (t[0] == u'+' || t[0] == u'-')) {
        negative = t[0] == u'-';
        t = t.sliced(1);
    }
    qint64 whole = 0;
    int digits = 0;
    qsizetype i = 0;
    for (; i < t.size() && DigitValue(t[i]) >= 0; ++i, ++digits) {
        whole = whole * 10 + DigitValue(t[i]);
        if (whole > 1'000'000'000)
            return std::nullopt;
    }
    // The fraction decides the rounding: above one half rounds up, exactly one half to even.
    int firstFractionDigit = -1;
    bool restNonZero = false;
    if (i < t.size() && (t[i] == u'.' || t[i] == QChar(0xFF0E))) {
        for (++i; i < t.size() && DigitValue(t[i]) >= 0; ++i, ++digits) {
            if (firstFractionDigit < 0)
                firstFractionDigit = DigitValue(t[i]);
            else if (DigitValue(t[i]) != 0)
                restNonZero = true;
        }
    }
    if (digits == 0 || i != t.size())
        return std::nullopt;
    if (firstFractionDigit > 5 || (firstFractionDigit == 5 && (restNonZero || whole % 2 == 1)))
        ++whole;
    return negative ? -whole : whole;
}

bool ReadStartTag(QStringView text, QString* name, QList<WrittenAttribute>* attributes,
                  qsizetype* end)
{
    if (text.size() < 2 || text[0] != u'<' || !IsAsciiLetter(text[1]))
        return false;
    qsizetype i = 1;
    while (i < text.size() && (text[i].isLetterOrNumber() || text[i] == u'-' || text[i] == u':'))
        ++i;
    const QString tagName = text.sliced(1, i - 1).toString().toUpper();
    QList<WrittenAttribute> found;
    while (i < text.size()) {
        while (i < text.size() && IsSpace(text[i]))
            ++i;
        if (i >= text.size())
            return false;
        if (text[i] == u'>' || (text[i] == u'/' && i + 1 < text.size() && text[i + 1] == u'>')) {
            if (name)
                *name = tagName;
            if (attributes)
                *attributes = found;
            if (end)
                *end = i;
            return true;
        }
        const qsizetype attrEnd = std::max(AttributeEnd(text, i), i + 1);
        const QStringView written = text.sliced(i, std::min(attrEnd, text.size()) - i);
        qsizetype nameEnd = 0;
        while (nameEnd < written.size() && !IsSpace(written[nameEnd]) && written[nameEnd] != u'=')
            ++nameEnd;
        const QString attrName =
            written.startsWith(u"<%") ? QStringLiteral("<%") : written.first(nameEnd).toString();
        found.append({attrName.toUpper(), written.toString()});
        i = attrEnd;
    }
    return false;
}

QString KeepOtherAttributes(QStringView oldText, QStringView newText, const QStringList& known)
{
    QString oldName;
    QList<WrittenAttribute> oldAttributes;
    if (!ReadStartTag(oldText, &oldName, &oldAttributes))
        return newText.toString();
    // The first start tag of the new text with the same name (a dialog may wrap its element,
    // as the font dialog does in CENTER).
    for (qsizetype at = newText.indexOf(u'<'); at >= 0; at = newText.indexOf(u'<', at + 1)) {
        QString newName;
        QList<WrittenAttribute> newAttributes;
        qsizetype end = 0;
        if (!ReadStartTag(newText.sliced(at), &newName, &newAttributes, &end) || newName != oldName)
            continue;
        QString kept;
        for (const WrittenAttribute& a : oldAttributes) {
            const bool produced = std::any_of(newAttributes.begin(), newAttributes.end(),
                                              [&](const auto& b) { return b.name == a.name; });
            if (!known.contains(a.name) && !produced)
                kept += u' ' + a.text;
        }
        QString out = newText.toString();
        out.insert(at + end, kept);
        return out;
    }
    return newText.toString();
}

} // namespace tl
