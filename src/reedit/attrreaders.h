#pragma once

#include <QString>
#include <QStringView>

namespace tl
{

// The attribute readers the tag dialogs use to fill their fields from the old tag in edit mode.
// Each looks for the first occurrence of name in tag (ASCII letters matched without regard to
// case; the name is written in upper case, as a rule with its "=", e.g. "ALIGN=") and returns
// the value that follows it, in the letter case of tag, untrimmed; empty when name is absent.
// Whatever the reader skips first (quotes, "=", ">"), the first value character is taken as it
// is, a leading "%" too.

// Text that may hold spaces and commas, e.g. a FACE list. Skips '"', "'", "=", ">"; the value
// ends before '"', "'", "=", ">", "%"; the last character of tag is never taken.
QString ReadAttrText(QStringView tag, QStringView name);

// One word. Skips '"', "'", "=", ">", but a space met before the value gives an empty result
// (an attribute written without a value); the value ends before a space, '"', "'", ",", "=",
// ">", "%"; it may run to the last character of tag.
QString ReadAttrWord(QStringView tag, QStringView name);

// A file name that may hold spaces before its extension. Skips a space, U+3000, '"', "'", "=",
// ">". Until a "." has been read nothing ends the value but the quote it was opened with
// (outside an ASP block) or the end of tag, so an ASP expression such as <%=dir%> in front of
// the name stays whole; after the "." it ends before a space, U+3000, '"', "'", "=", ">", "%",
// and the last character of tag is not taken.
QString ReadAttrFile(QStringView tag, QStringView name);

} // namespace tl
