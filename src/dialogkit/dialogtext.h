#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tl
{

// A number field's value as a whole number: the text without surrounding spaces read as a
// decimal number (an optional sign, digits, an optional fraction; full-width digits count as
// digits), rounded to the nearest whole number with halves going to the even neighbour
// ("1.5" -> 2, "2.5" -> 2, "-0.5" -> 0). nullopt when the text is no number ("abc", "", "1,5",
// "1.2.3") or its size is past a billion, which no attribute can mean. What 0 means is up to
// the dialog (as a rule: the attribute is not written).
std::optional<qint64> WholeNumber(QStringView text);

// One attribute of a start tag as written: its name in upper case and its whole text, value and
// quotes included ("onLoad='init()'"). An ASP block inside the tag ("<%=x%>") is one attribute
// named "<%".
struct WrittenAttribute {
    QString name;
    QString text;
    bool operator==(const WrittenAttribute&) const = default;
};

// The start tag at the beginning of text ("<BODY BGCOLOR=red onLoad='init()'>..."): its name in
// upper case and its attributes in order. False when text does not begin with one ("<" and a
// letter, closed by a ">" outside quotes).
bool ReadStartTag(QStringView text, QString* name, QList<WrittenAttribute>* attributes,
                  qsizetype* end = nullptr);

// A re-edited tag keeps what its dialog does not know: newText with the attributes of oldText's
// start tag whose names are not in known (upper case) and that newText's start tag does not
// already have, added to that tag before its ">" (or "/>"), each after one space, in their
// original text and order. newText is returned unchanged when either text does not begin with
// a start tag or the two tags have different names.
QString KeepOtherAttributes(QStringView oldText, QStringView newText, const QStringList& known);

} // namespace tl
