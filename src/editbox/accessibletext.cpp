#include "editbox/accessibletext.h"

#include "editbox/maintextedit.h"

#include <QScrollBar>

namespace tl
{

AccessibleMainText::AccessibleMainText(QWidget* widget)
    : QAccessibleWidget(widget, QAccessible::EditableText)
{
}

MainTextEdit* AccessibleMainText::edit() const
{
    return static_cast<MainTextEdit*>(widget());
}

void* AccessibleMainText::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State AccessibleMainText::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

QString AccessibleMainText::text(QAccessible::Text t) const
{
    // The value would be the whole page; readers ask for ranges through the text interface.
    if (t == QAccessible::Value)
        return edit()->mid(0, 4096);
    return QAccessibleWidget::text(t);
}

void AccessibleMainText::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !edit()->hasSelection())
        return;
    *startOffset = int(edit()->selectionStart());
    *endOffset = int(edit()->selectionEnd());
}

int AccessibleMainText::selectionCount() const
{
    return edit()->hasSelection() ? 1 : 0;
}

void AccessibleMainText::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void AccessibleMainText::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        edit()->setCaret(edit()->position());
}

void AccessibleMainText::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        edit()->setSelection(startOffset, endOffset);
}

int AccessibleMainText::cursorPosition() const
{
    return int(edit()->position());
}

void AccessibleMainText::setCursorPosition(int position)
{
    edit()->setCaret(position);
}

QString AccessibleMainText::text(int startOffset, int endOffset) const
{
    return edit()->mid(startOffset, endOffset - startOffset);
}

QString AccessibleMainText::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const
{
    MainTextEdit* e = edit();
    const qsizetype pos = std::clamp<qsizetype>(offset, 0, e->length());
    if (boundaryType == QAccessible::LineBoundary ||
        boundaryType == QAccessible::ParagraphBoundary) {
        const int line = e->lineOf(pos);
        const qsizetype start = e->lineStart(line);
        const qsizetype end = line + 1 < e->lineCount() ? e->lineStart(line + 1) : e->length();
        *startOffset = int(start);
        *endOffset = int(end);
        return e->mid(start, end - start);
    }
    if (boundaryType == QAccessible::CharBoundary) {
        // A character is a CR LF pair or a surrogate pair as a whole, never half of one.
        const qsizetype from = e->snap(pos);
        qsizetype to = std::min(e->length(), from + 1);
        if (to < e->length() && e->snap(to) != to)
            ++to;
        *startOffset = int(from);
        *endOffset = int(to);
        return e->mid(from, to - from);
    }
    // Words and sentences are answered with their line: a reader never gets the whole page.
    const int line = e->lineOf(pos);
    const qsizetype lineStart = e->lineStart(line);
    const QString lineText = e->lineText(line);
    *startOffset = int(lineStart);
    *endOffset = int(lineStart + lineText.size());
    return lineText;
}

int AccessibleMainText::characterCount() const
{
    return int(edit()->length());
}

QRect AccessibleMainText::characterRect(int offset) const
{
    const QRect r = edit()->positionRect(offset);
    const QPoint global = edit()->viewport()->mapToGlobal(r.topLeft());
    return QRect(global, r.size());
}

int AccessibleMainText::offsetAtPoint(const QPoint& point) const
{
    return int(edit()->positionAt(edit()->viewport()->mapFromGlobal(point)));
}

void AccessibleMainText::scrollToSubstring(int startIndex, int endIndex)
{
    edit()->setSelection(startIndex, endIndex);
}

QString AccessibleMainText::attributes(int offset, int* startOffset, int* endOffset) const
{
    MainTextEdit* e = edit();
    *startOffset = *endOffset = offset;
    if (offset < 0 || offset >= e->length())
        return {};
    // The colour the characters are shown in, which tells code from text. Qt's AT-SPI bridge
    // reads the IAccessible2 name and form ("color:rgb(r,g,b)") and hands it on as AT-SPI's
    // "fg-color:r,g,b"; a name it does not know it drops.
    qsizetype from = offset;
    qsizetype to = offset;
    const QColor color = e->shownColorAt(offset, &from, &to);
    *startOffset = int(from);
    *endOffset = int(to);
    return QStringLiteral("color:rgb(%1,%2,%3);")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue());
}

void AccessibleMainText::deleteText(int startOffset, int endOffset)
{
    edit()->replace(startOffset, endOffset - startOffset, {});
}

void AccessibleMainText::insertText(int offset, const QString& text)
{
    edit()->replace(offset, 0, edit()->repairExternalText(text));
}

void AccessibleMainText::replaceText(int startOffset, int endOffset, const QString& text)
{
    edit()->replace(startOffset, endOffset - startOffset, edit()->repairExternalText(text));
}

QAccessibleInterface* AccessibleMainTextFactory(const QString&, QObject* object)
{
    if (auto* e = qobject_cast<MainTextEdit*>(object))
        return new AccessibleMainText(e);
    return nullptr;
}

} // namespace tl
