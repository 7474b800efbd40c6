#include "editor/textpositions.h"

#include <algorithm>

namespace tl {

qint64 TextPosFromDocPos(const QTextDocument& doc, int docPos)
{
    // findBlock() has no block for a negative position, which would read as the end of the text.
    if (docPos <= 0)
        return 0;
    const QTextBlock block = doc.findBlock(docPos);
    if (!block.isValid())
        return TextLength(doc);
    return qint64(docPos) + block.blockNumber();
}

int DocPosFromTextPos(const QTextDocument& doc, qint64 textPos)
{
    if (textPos <= 0)
        return 0;
    // Block n starts at text position position(n) + n; the wanted block w is the last one whose
    // start is <= textPos. With blockAt(p) the block holding document position p: for n <= w,
    // blockAt(textPos - n) >= w; for n > w, blockAt(textPos - n) <= w (and for n == w it is w or
    // w + 1, hence the clamp to hi). Tightening each bound from the other narrows the range by
    // about the line length per round; short lines narrow it slowly, and then a bisection step
    // halves it.
    const int maxDoc = doc.characterCount() - 1;
    auto blockAt = [&](qint64 docPos) {
        return doc.findBlock(int(std::clamp<qint64>(docPos, 0, maxDoc))).blockNumber();
    };
    int hi = blockAt(textPos);
    int lo = std::clamp(blockAt(textPos - hi), 0, hi);
    while (lo < hi) {
        const int width = hi - lo;
        hi = std::min(hi, blockAt(textPos - lo));
        lo = std::clamp(blockAt(textPos - hi), lo, hi);
        if (lo >= hi || (hi - lo) * 2 <= width)
            continue;
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
