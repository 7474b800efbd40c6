#include "editor/documenttagtext.h"

#include "editor/textpositions.h"
#include "reedit/markersearch.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace tl {

QString DocumentTagText::Line(qint64 caret, qint64* lineStart) const
{
    const QTextBlock block = doc_.findBlock(DocPosFromTextPos(doc_, caret));
    *lineStart = TextPosOfBlock(block);
    return block.text();
}

qint64 DocumentTagText::Find(QStringView marker, qint64 from) const
{
    // Reading a block's text costs about half a microsecond; past a few thousand lines one copy
    // of the raw text and a single scan are cheaper (a closing tag missing from a 400,000-line
    // page: 0.2 s block by block, 60 ms with one copy and one scan).
    constexpr int kBlocksToWalk = 2000;
    QTextBlock block = doc_.findBlock(DocPosFromTextPos(doc_, from));
    qsizetype offset = qsizetype(std::max<qint64>(0, from - TextPosOfBlock(block)));
    // A marker holds no line break, so it never spans two blocks.
    for (int walked = 0; block.isValid() && walked < kBlocksToWalk;
         block = block.next(), offset = 0, ++walked) {
        const qsizetype found = IndexOfNoCase(block.text(), marker, offset);
        if (found >= 0)
            return TextPosOfBlock(block) + found;
    }
    if (!block.isValid())
        return -1;
    // The raw text holds one paragraph separator per line break, so its indexes are document
    // positions.
    const qsizetype found = IndexOfNoCase(doc_.toRawText(), marker, block.position());
    return found < 0 ? -1 : TextPosFromDocPos(doc_, int(found));
}

QString DocumentTagText::Mid(qint64 pos, qint64 length) const
{
    const qint64 total = TextLength(doc_);
    const qint64 from = std::clamp<qint64>(pos, 0, total);
    const qint64 to = std::clamp<qint64>(pos + std::max<qint64>(0, length), from, total);
    QString out;
    QTextBlock block = doc_.findBlock(DocPosFromTextPos(doc_, from));
    for (qint64 blockStart = TextPosOfBlock(block); block.isValid() && blockStart < to;
         block = block.next()) {
        QString line = block.text();
        if (block.next().isValid())
            line += QStringLiteral("\r\n");
        const qint64 a = std::max(from, blockStart) - blockStart;
        const qint64 b = std::min<qint64>(to, blockStart + line.size()) - blockStart;
        if (b > a)
            out += QStringView(line).sliced(qsizetype(a), qsizetype(b - a));
        blockStart += line.size();
    }
    return out;
}

} // namespace tl
