#pragma once

#include <QTextBlock>
#include <QTextDocument>

namespace tl {

// The program counts positions in the text with CR LF line breaks: a line break is two
// characters. The edit box's document counts it as one. These convert between the two through
// the document's block structure (O(log n)), never by copying the text.

// Document position -> text position, clamped to the text.
qint64 TextPosFromDocPos(const QTextDocument& doc, int docPos);

// Text position -> document position. A position inside a CR LF pair (between CR and LF) maps
// to the end of its line; positions are clamped to the text.
int DocPosFromTextPos(const QTextDocument& doc, qint64 textPos);

// Text position of the start of the block.
inline qint64 TextPosOfBlock(const QTextBlock& block)
{
    return qint64(block.position()) + block.blockNumber();
}

// Length of the whole text, CR LF counted as two.
qint64 TextLength(const QTextDocument& doc);

} // namespace tl
