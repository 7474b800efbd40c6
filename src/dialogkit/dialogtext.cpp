#include "dialogkit/dialogtext.h"

#include "reedit/markersearch.h"
#include "reedit/tagend.h"

#include <algorithm>

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

qsizetype OpeningTagEnd(QStringView old)
{
    return old.startsWith(u'<') ? StartTagEnd(old, 0) : old.indexOf(u'>');
}

qsizetype ClosingTagAt(QStringView old, QStringView marker, qsizetype gt)
{
    const qsizetype after = gt < 0 ? -1 : IndexOfNoCase(old, marker, gt + 1);
    return after >= 0 ? after : IndexOfNoCase(old, marker);
}

QStringView AlignWord(Align align, bool capitalised)
{
    switch (align) {
    case Align::Left:
        return capitalised ? u"Left" : u"left";
    case Align::Center:
        return capitalised ? u"Center" : u"center";
    case Align::Right:
        return capitalised ? u"Right" : u"right";
    case Align::None:
        break;
    }
    return {};
}

Align AlignOf(QStringView word)
{
    for (Align a : {Align::Left, Align::Center, Align::Right}) {
        if (word.compare(AlignWord(a), Qt::CaseInsensitive) == 0)
            return a;
    }
    return Align::None;
}

int NumberedChoice(QStringView word, int last, int fallback)
{
    for (int n = 1; n <= last; ++n) {
        if (word == QString::number(n))
            return n;
    }
    return fallback;
}

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
    const qsizetype gt = StartTagEnd(text, 0);
    if (gt < 0)
        return false;
    // The attributes lie before the ">" that ends the tag; a quote left open runs to it.
    const QStringView inner = text.first(gt);
    qsizetype i = 1;
    while (i < inner.size() &&
           (inner[i].isLetterOrNumber() || inner[i] == u'-' || inner[i] == u':'))
        ++i;
    const QString tagName = inner.sliced(1, i - 1).toString().toUpper();
    QList<WrittenAttribute> found;
    for (;;) {
        while (i < inner.size() && IsSpace(inner[i]))
            ++i;
        if (i >= inner.size() || (inner[i] == u'/' && i + 1 == inner.size())) {
            if (name)
                *name = tagName;
            if (attributes)
                *attributes = found;
            if (end)
                *end = i;
            return true;
        }
        const qsizetype attrEnd = std::min(std::max(AttributeEnd(inner, i), i + 1), inner.size());
        const QStringView written = inner.sliced(i, attrEnd - i);
        qsizetype nameEnd = 0;
        while (nameEnd < written.size() && !IsSpace(written[nameEnd]) && written[nameEnd] != u'=')
            ++nameEnd;
        const QString attrName =
            written.startsWith(u"<%") ? QStringLiteral("<%") : written.first(nameEnd).toString();
        found.append({attrName.toUpper(), written.toString()});
        i = attrEnd;
    }
}

bool SameElementFamily(QStringView a, QStringView b)
{
    if (a.compare(b, Qt::CaseInsensitive) == 0)
        return true;
    auto heading = [](QStringView n) {
        return n.size() == 2 && (n[0] == u'H' || n[0] == u'h') && n[1] >= u'1' && n[1] <= u'6';
    };
    auto cell = [](QStringView n) {
        return n.compare(u"TH", Qt::CaseInsensitive) == 0 ||
               n.compare(u"TD", Qt::CaseInsensitive) == 0;
    };
    return (heading(a) && heading(b)) || (cell(a) && cell(b));
}

namespace
{

// The first attribute named name (upper case) of a list, or nullptr.
const WrittenAttribute* Named(const QList<WrittenAttribute>& list, const QString& name)
{
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const WrittenAttribute& a) { return a.name == name; });
    return it == list.end() ? nullptr : &*it;
}

// The attributes of the first start tag of text whose name is of family's family, and where
// that tag starts and its attributes end; false without one.
bool FirstStartTagOfFamily(QStringView text, QStringView family, QList<WrittenAttribute>* found,
                           qsizetype* at, qsizetype* end)
{
    for (qsizetype lt = text.indexOf(u'<'); lt >= 0; lt = text.indexOf(u'<', lt + 1)) {
        QString name;
        if (ReadStartTag(text.sliced(lt), &name, found, end) && SameElementFamily(name, family)) {
            *at = lt;
            return true;
        }
    }
    return false;
}

} // namespace

QString KeepOtherAttributes(QStringView oldText, QStringView newText, const QStringList& known,
                            QStringView openedText)
{
    QString oldName;
    QList<WrittenAttribute> oldAttributes;
    if (!ReadStartTag(oldText, &oldName, &oldAttributes))
        return newText.toString();
    // The first start tag of the new text of the same family (a dialog may wrap its element,
    // as the font dialog does in CENTER; a heading may change its level).
    QList<WrittenAttribute> newAttributes;
    qsizetype at = 0;
    qsizetype end = 0;
    if (!FirstStartTagOfFamily(newText, oldName, &newAttributes, &at, &end))
        return newText.toString();
    QList<WrittenAttribute> openedAttributes;
    qsizetype openedAt = 0;
    qsizetype openedEnd = 0;
    const bool haveOpened =
        !openedText.isEmpty() &&
        FirstStartTagOfFamily(openedText, oldName, &openedAttributes, &openedAt, &openedEnd);

    // An old attribute the dialog knows but did not read as written (spaces around "=", an
    // ASP block, a quote inside the value) stays as written while the user leaves what the
    // dialog made of it alone: what the opened fields wrote is what the new text writes.
    auto keptAsWritten = [&](const WrittenAttribute& a) {
        if (!haveOpened || a.name == u"<%")
            return false;
        const WrittenAttribute* opened = Named(openedAttributes, a.name);
        const WrittenAttribute* now = Named(newAttributes, a.name);
        const QString oldValue = WrittenValue(a.text);
        if (opened && WrittenValue(opened->text).compare(oldValue, Qt::CaseInsensitive) == 0)
            return false; // read as written
        if (!opened || !now)
            return !opened && !now;
        return WrittenValue(opened->text) == WrittenValue(now->text);
    };

    QString out = newText.toString();
    // Where each new attribute is written, in order, to replace some of them from the back.
    QList<qsizetype> places;
    for (qsizetype from = at; const WrittenAttribute& b : newAttributes) {
        places.append(newText.indexOf(b.text, from));
        from = places.last() + b.text.size();
    }
    for (qsizetype k = newAttributes.size() - 1; k >= 0; --k) {
        const WrittenAttribute& b = newAttributes[k];
        const WrittenAttribute* old = Named(oldAttributes, b.name);
        if (!old || places[k] < 0 || Named(oldAttributes, b.name) != old)
            continue;
        // A value holding an ASP block that a reader could only take the beginning of ("<"
        // from BGCOLOR="<%=c%>") is no change of the user's either.
        const QString oldValue = WrittenValue(old->text);
        const QString newValue = WrittenValue(b.text);
        const bool aspBeginning =
            oldValue.contains(u"<%") && oldValue != newValue && oldValue.startsWith(newValue);
        if (aspBeginning || (known.contains(b.name) && keptAsWritten(*old)))
            out.replace(places[k], b.text.size(), old->text);
    }
    QString kept;
    for (const WrittenAttribute& a : oldAttributes) {
        const bool produced = Named(newAttributes, a.name) != nullptr;
        if (produced)
            continue;
        if (!known.contains(a.name) || keptAsWritten(a))
            kept += u' ' + a.text;
    }
    out.insert(at + end + (out.size() - newText.size()), kept);
    return out;
}

} // namespace tl
