#pragma once

// The large page the editor benchmarks run on: 400,000 lines of hand-written HTML and ASP of
// about 50 characters each, Japanese text and a tab-indented line among them, ending with a
// line of the benchmark's choosing.

#include <QString>
#include <QStringList>

namespace tl::bench
{

constexpr int kPageLines = 400000;

inline QString MakeBenchPage(const QString& lastLine)
{
    const QStringList patterns = {
        QStringLiteral("<tr><td class=\"item\">%1</td><td><a href=\"p%1.asp\">link</a>"),
        QStringLiteral("<p>\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8 %1 \u3067\u3059</p>"),
        QStringLiteral("\t<td>\u5546\u54C1\u756A\u53F7 %1\uFF1A\u4FA1\u683C \uFFE51,000</td></tr>"),
        QStringLiteral("<% Response.Write \"%1\" %> <IMG SRC=\"img/pic%1.gif\">"),
    };
    QString text;
    text.reserve(qsizetype(kPageLines) * 52);
    for (int i = 0; i < kPageLines - 1; ++i) {
        text += patterns.at(i % patterns.size()).arg(i);
        text += QStringLiteral("\r\n");
    }
    text += lastLine;
    return text;
}

// Links of a minified list, Japanese and ASCII mixed, cut at exactly `length` characters: a
// page minified onto one line.
inline QString MakeLongLine(qsizetype length)
{
    QString line;
    line.reserve(length + 64);
    for (int i = 0; line.size() < length; ++i)
        line += QStringLiteral("<li><a href=\"p%1.htm\">\u9805\u76EE %1</a></li>").arg(i);
    line.truncate(length);
    return line;
}

// Short lines of a table, each ending with CR LF.
inline QString ShortLines(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text +=
            QStringLiteral("<tr><td class=\"item\">%1</td><td>\u5546\u54C1</td></tr>\r\n").arg(i);
    return text;
}

} // namespace tl::bench
