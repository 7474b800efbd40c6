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
    const QChar quote = j < n && (tag[j] == u'"' || tag[j] == u'\'') ? tag[j] : QChar();
    if (!quote.isNull())
        ++j;
    while (j < n) {
        if (tag.sliced(j).startsWith(u"<%")) {
            const qsizetype close = tag.indexOf(u"%>", j + 2);
            if (close < 0)
                return n;
            j = close + 2;
            continue;
        }
        if (quote.isNull() ? IsSpace(tag[j]) || tag[j] == u'>' : tag[j] == quote)
            return quote.isNull() ? j : j + 1;
        ++j;
    }
    return n;
}

// The value of an attribute as written ("BGCOLOR = '<%=c%>'" gives <%=c%>): after its "=" and
// without its quotes; empty without a value.
QString WrittenValue(QStringView text)
{
    qsizetype eq = text.indexOf(u'=');
    if (text.startsWith(u"<%") || eq < 0)
        return {};
    QStringView value = text.sliced(eq + 1).trimmed();
    if (!value.isEmpty() && (value[0] == u'"' || value[0] == u'\'')) {
        const QChar quote = value[0];
        value = value.sliced(1);
        if (value.endsWith(quote))
            value.chop(1);
    }
    return value.toString();
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
        QString out = newText.toString();
        // A value holding an ASP block that a reader could not take whole ("<" from
        // BGCOLOR="<%=c%>") comes back as a beginning of it: the old attribute is written
        // back instead. A value the user changed is no beginning of the old one.
        QList<qsizetype> places; // where each new attribute is written, in order
        for (qsizetype from = at; const WrittenAttribute& b : newAttributes) {
            places.append(newText.indexOf(b.text, from));
            from = places.last() + b.text.size();
        }
        for (qsizetype k = newAttributes.size() - 1; k >= 0; --k) {
            const WrittenAttribute& b = newAttributes[k];
            const auto old = std::find_if(oldAttributes.begin(), oldAttributes.end(),
                                          [&](const auto& a) { return a.name == b.name; });
            if (old == oldAttributes.end() || places[k] < 0)
                continue;
            const QString oldValue = WrittenValue(old->text);
            const QString newValue = WrittenValue(b.text);
            if (oldValue.contains(u"<%") && oldValue != newValue && oldValue.startsWith(newValue))
                out.replace(places[k], b.text.size(), old->text);
        }
        QString kept;
        for (const WrittenAttribute& a : oldAttributes) {
            const bool produced = std::any_of(newAttributes.begin(), newAttributes.end(),
                                              [&](const auto& b) { return b.name == a.name; });
            if (!known.contains(a.name) && !produced)
                kept += u' ' + a.text;
        }
        out.insert(at + end + (out.size() - newText.size()), kept);
        return out;
    }
    return newText.toString();
}

} // namespace tl
