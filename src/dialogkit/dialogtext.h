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

// Where the opening tag at the start of old ends, by the rule of StartTagEnd: the content of an
// element starts after it. -1 when it does not end.
qsizetype OpeningTagEnd(QStringView old);

// Where the closing marker ("</P>") of the element in old stands: its first occurrence after
// the opening tag's end gt, else its first anywhere (a closing tag inside the opening tag, as in
// "<P</P>", makes an element with no content); -1 without one.
qsizetype ClosingTagAt(QStringView old, QStringView marker, qsizetype gt);

// An ALIGN choice, as the dialogs offer it.
enum class Align { None, Left, Center, Right };

// The word written for an alignment: "left", "center", "right" (capitalised: "Left"...), empty
// for none.
QStringView AlignWord(Align align, bool capitalised = false);
// The alignment a word names, letter case aside; none for any other word.
Align AlignOf(QStringView word);

// A choice among "1" to last read from a word: the number it is, or fallback for any other
// word (" 2", "+1", "07" included).
int NumberedChoice(QStringView word, int last, int fallback);

// One attribute of a start tag as written: its name in upper case and its whole text, value and
// quotes included ("onLoad='init()'"). An ASP block inside the tag ("<%=x%>") is one attribute
// named "<%".
struct WrittenAttribute {
    QString name;
    QString text;
    bool operator==(const WrittenAttribute&) const = default;
};

// The start tag at the beginning of text ("<BODY BGCOLOR=red onLoad='init()'>..."): its name in
// upper case and its attributes in order; *end is where its ">" (or "/>") stands. False when
// text does not begin with one ("<" and a letter, ended as StartTagEnd says).
bool ReadStartTag(QStringView text, QString* name, QList<WrittenAttribute>* attributes,
                  qsizetype* end = nullptr);

// Two element names of one family, which a dialog may turn into each other: the same name
// (letter case aside), two headings H1 to H6, or TH and TD.
bool SameElementFamily(QStringView a, QStringView b);

// A re-edited tag keeps what its dialog does not know: newText with the attributes of oldText's
// start tag whose names are not in known (upper case) and that newText's start tag does not
// already have, added to that tag before its ">" (or "/>"), each after one space, in their
// original text and order. The start tag of newText taken is its first one of the old tag's
// family. newText is returned unchanged when oldText does not begin with a start tag or
// newText holds none of its family.
//
// openedText is what the dialog composed from its fields as they opened. A known attribute
// whose value it did not write as oldText has it (the reader could not read it: spaces around
// "=", an ASP block, a quote inside the value) is kept exactly as written, in place of the new
// one or after the dialog's own, as long as newText writes it as openedText did, which is to
// say the user left it alone. Without openedText only a value holding an ASP block that came
// back as its beginning is written back.
QString KeepOtherAttributes(QStringView oldText, QStringView newText, const QStringList& known,
                            QStringView openedText = {});

} // namespace tl
