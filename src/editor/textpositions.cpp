#include "editor/textpositions.h"

#include <algorithm>

namespace tl {

qint64 TextPosFromDocPos(const QTextDocument& doc, int docPos)
{
    const QTextBlock block = doc.findBlock(docPos);
    if (!block.isValid())
        return TextLength(doc);
    return qint64(docPos) + block.blockNumber();
}

int DocPosFromTextPos(const QTextDocument& doc, qint64 textPos)
{
    if (textPos <= 0)
        return 0;
    // The wanted block n is the last one whose text start (position + n) is <= textPos.
    // Its document position is at most textPos, so findBlock(textPos) bounds n from above.
    const int maxDoc = doc.characterCount() - 1;
    int hi = doc.findBlock(int(std::min<qint64>(textPos, maxDoc))).blockNumber();
    // And the block at textPos - hi, less one for the position right at a block start, from below.
    int lo = doc.findBlock(int(std::max<qint64>(0, std::min<qint64>(textPos - hi, maxDoc))))
                 .blockNumber() - 1;
    lo = std::clamp(lo, 0, hi);
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (TextPosOfBlock(doc.findBlockByNumber(mid)) <= textPos)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = doc.findBlockByNumber(lo);
    const qint64 offset = std::min<qint64>(textPos - TextPosOfBlock(block), block.length() - 1);
    return block.position() + int(offset);
}

qint64 TextLength(const QTextDocument& doc)
{
    // characterCount() includes the final paragraph separator; every other separator is CR LF.
    return qint64(doc.characterCount() - 1) + (doc.blockCount() - 1);
}

} // namespace tl
