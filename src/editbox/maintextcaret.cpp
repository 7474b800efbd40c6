// The edit box: caret and selection, and moving by characters, words and lines.
#include "editbox/maintextedit.h"

#include "editbox/accessibletext.h"
#include "editbox/maintexthelpers.h"
#include "platform/keycodes.h"
#include "platform/surrogates.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextCharFormat>
#include <QUrl>

#include <cmath>

namespace tl
{

using namespace maintext;

// ---- Caret and selection ----

void MainTextEdit::setSelection(qsizetype anchor, qsizetype caret)
{
    wantedX_ = -1;
    doc_.setSelection(anchor, caret);
    ensureCaretVisible();
    restartBlink();
}

void MainTextEdit::selectAll()
{
    setSelection(0, doc_.length());
}

void MainTextEdit::selectionChanged()
{
    pairKnown_ = false;
    restartBlink();
    viewport()->update();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, int(doc_.caret()));
        QAccessible::updateAccessibility(&moved);
    }
    Q_EMIT cursorPositionChanged();
}

void MainTextEdit::moveCaret(qsizetype pos, bool select, bool keepColumn)
{
    const int wanted = wantedX_;
    setSelection(select ? doc_.anchor() : pos, pos);
    if (keepColumn)
        wantedX_ = wanted;
}

qsizetype MainTextEdit::previousCharacter(qsizetype pos) const
{
    if (pos <= 0)
        return 0;
    const int line = doc_.lineOf(pos);
    const qsizetype start = doc_.lineStart(line);
    if (pos == start)
        return pos - 2; // over the CR LF before it
    if (isLongLine(line)) {
        LongLine& l = longLine(line);
        int k = l.chunkAt(pos - start);
        if (k > 0 && pos - start == l.chunkStart(k))
            --k;
        const qsizetype from = start + l.chunkStart(k);
        return from + chunkLayout(l, k)->previousCursorPosition(int(pos - from));
    }
    return start + layoutFor(line)->previousCursorPosition(int(pos - start));
}

qsizetype MainTextEdit::nextCharacter(qsizetype pos) const
{
    if (pos >= doc_.length())
        return doc_.length();
    const int line = doc_.lineOf(pos);
    const qsizetype start = doc_.lineStart(line);
    if (pos == doc_.lineEnd(line))
        return pos + 2;
    if (isLongLine(line)) {
        LongLine& l = longLine(line);
        const int k = l.chunkAt(pos - start);
        const qsizetype from = start + l.chunkStart(k);
        return from + chunkLayout(l, k)->nextCursorPosition(int(pos - from));
    }
    return start + layoutFor(line)->nextCursorPosition(int(pos - start));
}

qsizetype MainTextEdit::previousWord(qsizetype pos) const
{
    const int line = doc_.lineOf(pos);
    const qsizetype start = doc_.lineStart(line);
    if (pos <= start)
        return pos > 0 ? pos - 2 : 0;
    while (pos > start && CharClass(doc_.at(pos - 1)) == 0)
        --pos;
    if (pos > start) {
        const int cls = CharClass(doc_.at(pos - 1));
        while (pos > start && CharClass(doc_.at(pos - 1)) == cls)
            --pos;
    }
    return pos;
}

qsizetype MainTextEdit::nextWord(qsizetype pos) const
{
    const int line = doc_.lineOf(pos);
    const qsizetype end = doc_.lineEnd(line);
    if (pos >= end)
        return std::min(doc_.length(), pos + 2);
    const int cls = CharClass(doc_.at(pos));
    if (cls != 0)
        while (pos < end && CharClass(doc_.at(pos)) == cls)
            ++pos;
    while (pos < end && CharClass(doc_.at(pos)) == 0)
        ++pos;
    return pos;
}

void MainTextEdit::wordAt(qsizetype pos, qsizetype* from, qsizetype* to) const
{
    const int line = doc_.lineOf(pos);
    const qsizetype start = doc_.lineStart(line);
    const qsizetype end = doc_.lineEnd(line);
    *from = *to = pos;
    if (start == end)
        return;
    if (pos >= end)
        pos = end - 1;
    const int cls = CharClass(doc_.at(pos));
    qsizetype a = pos;
    qsizetype b = pos;
    while (a > start && CharClass(doc_.at(a - 1)) == cls)
        --a;
    while (b < end && CharClass(doc_.at(b)) == cls)
        ++b;
    *from = a;
    *to = b;
}

qsizetype MainTextEdit::verticalMove(int lines) const
{
    const int line = doc_.lineOf(doc_.caret());
    const int target = std::clamp(line + lines, 0, doc_.lineCount() - 1);
    const qsizetype start = doc_.lineStart(line);
    const int x = wantedX_ >= 0 ? wantedX_ : int(cursorX(line, doc_.caret() - start));
    if (target == line && lines != 0)
        return lines < 0 ? 0 : doc_.length();
    return doc_.lineStart(target) + columnAt(target, x);
}

} // namespace tl
