#include "reedit/attrreaders.h"

#include "reedit/markersearch.h"

namespace tl
{

namespace
{

enum class Reader { Text, Word, File };

constexpr char16_t kIdeographicSpace = u'\u3000';

bool IsQuoteEqualsOrGt(char16_t c)
{
    return c == u'"' || c == u'\'' || c == u'=' || c == u'>';
}

bool IsSkipped(Reader reader, char16_t c)
{
    if (IsQuoteEqualsOrGt(c))
        return true;
    return reader == Reader::File && (c == u' ' || c == kIdeographicSpace);
}

bool EndsValue(Reader reader, char16_t c)
{
    if (IsQuoteEqualsOrGt(c) || c == u'%')
        return true;
    switch (reader) {
    case Reader::Text:
        return false;
    case Reader::Word:
        return c == u' ' || c == u',';
    case Reader::File:
        return c == u' ' || c == kIdeographicSpace;
    }
    return false;
}

QString ReadAttr(Reader reader, QStringView tag, QStringView name)
{
    const qsizetype found = IndexOfNoCase(tag, name);
    if (found < 0)
        return {};
    const qsizetype n = tag.size();
    const qsizetype last = n - 1;

    qsizetype i = found + name.size();
    char16_t opener = 0; // the quote the value was opened with
    for (; i < n; ++i) {
        const char16_t c = tag[i].unicode();
        if (reader == Reader::Word && c == u' ')
            return {};
        if (!IsSkipped(reader, c))
            break;
        if (c == u'"' || c == u'\'')
            opener = c;
    }
    if (i >= n || (reader == Reader::Text && i == last))
        return {};

    // The first character is taken whatever it is; each further one while it does not end the
    // value and the reader's rule for the last character allows it.
    bool dotRead = tag[i] == u'.';
    bool inAsp = false;
    qsizetype j = i + 1;
    for (; j < n; ++j) {
        const char16_t c = tag[j].unicode();
        // A file name without a "." (an ASP expression such as <%=Session("bg")%>) ends at the
        // quote that opened it, outside ASP blocks, instead of running on into the rest of the
        // tag, where a dialog writing it back would copy the other attributes into it.
        if (reader == Reader::File && !dotRead) {
            if (tag[j - 1] == u'<' && c == u'%')
                inAsp = true;
            else if (inAsp && tag[j - 1] == u'%' && c == u'>')
                inAsp = false;
            else if (!inAsp && opener != 0 && c == opener)
                break;
        }
        const bool checksEnd = reader != Reader::File || dotRead;
        if (checksEnd && EndsValue(reader, c))
            break;
        if (j == last && (reader == Reader::Text || (reader == Reader::File && dotRead)))
            break;
        if (c == u'.')
            dotRead = true;
    }
    return tag.sliced(i, j - i).toString();
}

} // namespace

QString ReadAttrText(QStringView tag, QStringView name)
{
    return ReadAttr(Reader::Text, tag, name);
}

QString ReadAttrWord(QStringView tag, QStringView name)
{
    return ReadAttr(Reader::Word, tag, name);
}

QString ReadAttrFile(QStringView tag, QStringView name)
{
    return ReadAttr(Reader::File, tag, name);
}

} // namespace tl
