#include "app/gutterruler.h"

#include "editbox/maintextedit.h"

#include <QPaintEvent>
#include <QPainter>

namespace tl
{

RowsLabel::RowsLabel(MainTextEdit* edit, QWidget* parent) : QWidget(parent), edit_(edit)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void RowsLabel::setText(const QString& text)
{
    if (text == text_)
        return;
    // Only the rows that differ are repainted: moving the marker touches two rows of fifty.
    const QStringView a(text_);
    const QStringView b(text);
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const int firstRow = int(a.first(head).count(QStringLiteral("\r\n")));
    const int lastRow = int(std::max(a.first(a.size() - tail).count(QStringLiteral("\r\n")),
                                     b.first(b.size() - tail).count(QStringLiteral("\r\n"))));
    text_ = text;
    const int top = rowTop(firstRow);
    const int bottom = rowTop(lastRow + 1);
    repaint(QRect(0, top, width(), std::max(1, bottom - top)));
}

void RowsLabel::setTextColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    update();
}

int RowsLabel::rowTop(int row) const
{
    if (!edit_)
        return row * fontMetrics().height();
    const QWidget* view = edit_->viewport();
    const int viewTop = mapFromGlobal(view->mapToGlobal(QPoint(0, 0))).y();
    return viewTop + edit_->lineTop(edit_->firstVisibleLine() + row);
}

void RowsLabel::paintEvent(QPaintEvent* event)
{
    if (text_.isEmpty() || !edit_)
        return;
    QPainter painter(this);
    painter.setFont(edit_->font());
    painter.setPen(color_);
    const QFontMetrics metrics(edit_->font());
    const int ascent = metrics.ascent();
    // No row below the edit box's last visible line: the label may reach lower than the box.
    const QWidget* view = edit_->viewport();
    const int viewBottom = mapFromGlobal(view->mapToGlobal(QPoint(0, view->height()))).y();
    painter.setClipRect(QRect(0, 0, width(), viewBottom));
    int row = 0;
    qsizetype from = 0;
    while (from < text_.size()) {
        qsizetype to = text_.indexOf(QStringLiteral("\r\n"), from);
        if (to < 0)
            to = text_.size();
        const int top = rowTop(row);
        if (top > event->rect().bottom() || top >= viewBottom)
            break;
        if (top + metrics.height() >= event->rect().top())
            painter.drawText(QPoint(0, top + ascent), text_.mid(from, to - from));
        from = to + 2;
        ++row;
    }
}

RulerLabel::RulerLabel(MainTextEdit* edit, QWidget* parent) : QWidget(parent), edit_(edit) {}

void RulerLabel::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    update();
}

void RulerLabel::setTextColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    update();
}

int RulerLabel::columnLeft(int column) const
{
    const QFontMetrics metrics(edit_ ? edit_->font() : font());
    const int width = metrics.horizontalAdvance(u'0');
    if (!edit_)
        return column * width;
    const QWidget* view = edit_->viewport();
    const int viewLeft = mapFromGlobal(view->mapToGlobal(QPoint(0, 0))).x();
    return viewLeft + edit_->formattingMargins().left() - edit_->horizontalOffset() +
           column * width;
}

void RulerLabel::paintEvent(QPaintEvent*)
{
    if (text_.isEmpty())
        return;
    QPainter painter(this);
    const QFont font = edit_ ? edit_->font() : this->font();
    painter.setFont(font);
    painter.setPen(color_);
    const QFontMetrics metrics(font);
    int baseline = std::max(metrics.ascent(), height() - metrics.descent());
    // The label is 240 twips high. A face whose line is taller than that counts room above
    // its marks in its ascent: placed by the ascent, the marks would be cut off at the bottom,
    // so their ink is centred instead.
    if (metrics.height() > height()) {
        const QRect ink = metrics.tightBoundingRect(text_);
        baseline = (height() - ink.top() - ink.bottom()) / 2;
    }
    // One glyph per column, so a fallback font can never drift off the box's columns.
    for (int c = 0; c < text_.size(); ++c) {
        const int x = columnLeft(c);
        if (x > width())
            break;
        if (x + metrics.horizontalAdvance(text_.at(c)) >= 0)
            painter.drawText(QPoint(x, baseline), QString(text_.at(c)));
    }
}

} // namespace tl
