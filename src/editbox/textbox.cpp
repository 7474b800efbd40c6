#include "editbox/textbox.h"

#include "editbox/maintextedit.h"

#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace tl
{

QString cTextBox::Text() const
{
    return target_ ? target_->text() : QString();
}

void cTextBox::SetText(const QString& text)
{
    if (target_)
        target_->setText(text);
}

qint64 cTextBox::SelStart() const
{
    return target_ ? target_->selectionStart() : 0;
}

void cTextBox::SetSelStart(qint64 pos)
{
    if (target_)
        target_->setCaret(pos);
}

qint64 cTextBox::SelLength() const
{
    return target_ ? target_->selectionEnd() - target_->selectionStart() : 0;
}

void cTextBox::SetSelLength(qint64 length)
{
    if (!target_)
        return;
    const qint64 start = target_->selectionStart();
    target_->setSelection(start, start + std::max<qint64>(0, length));
}

QString cTextBox::SelText() const
{
    return target_ ? target_->selectedText() : QString();
}

void cTextBox::SetSelText(const QString& text)
{
    if (target_)
        target_->replaceSelection(text);
}

QColor cTextBox::SelColor() const
{
    if (!target_)
        return QColor(Qt::black);
    return target_->textColorAt(target_->selectionStart());
}

void cTextBox::SetSelColor(const QColor& color)
{
    if (target_)
        target_->setTextColor(target_->selectionStart(), target_->selectionEnd(), color);
}

bool cTextBox::Visible() const
{
    return target_ && !target_->isHidden();
}

void cTextBox::SetVisible(bool visible)
{
    if (target_)
        target_->setVisible(visible);
}

void cTextBox::SetFocus()
{
    if (target_)
        target_->setFocus(Qt::OtherFocusReason);
}

qint64 cTextBox::TextLength() const
{
    return target_ ? target_->length() : 0;
}

QString cTextBox::Mid(qint64 pos, qint64 length) const
{
    return target_ ? target_->mid(pos, length) : QString();
}

cTextBox::UndoStep::UndoStep(cTextBox& box) : target_(box.Target())
{
    if (target_)
        target_->beginUndoGroup();
}

cTextBox::UndoStep::~UndoStep()
{
    if (target_)
        target_->endUndoGroup();
}

int cTextBox::TopLine() const
{
    return target_ ? target_->firstVisibleLine() + 1 : 1;
}

int cTextBox::TotalLine() const
{
    return target_ ? target_->lineCount() + 1 : 1;
}

int cTextBox::LineFromChar() const
{
    return target_ ? target_->lineOf(target_->selectionStart()) + 1 : 1;
}

QString cTextBox::GetLineText() const
{
    QString line;
    if (target_) {
        const int index = target_->lineOf(target_->selectionStart());
        const qint64 start = target_->lineStart(index);
        line = target_->mid(start,
                            std::min<qint64>(kLineBufferLength, target_->lineEnd(index) - start));
    }
    return line.leftJustified(kLineBufferLength, u' ');
}

void cTextBox::Undo()
{
    if (target_)
        target_->undo();
}

bool cTextBox::CanUndo() const
{
    return target_ && target_->canUndo();
}

void cTextBox::SetCanUndo(bool value)
{
    if (target_ && !value)
        target_->clearUndo();
}

void cTextBox::SelectAll()
{
    if (target_)
        target_->selectAll();
}

void cTextBox::Cut()
{
    if (target_)
        target_->cut();
}

void cTextBox::Copy()
{
    if (target_)
        target_->copy();
}

void cTextBox::Paste()
{
    if (target_)
        target_->paste();
}

void cTextBox::Clear()
{
    if (target_)
        target_->deleteSelection();
}

bool cTextBox::Modify() const
{
    return target_ && target_->isModified();
}

void cTextBox::SetModify(bool value)
{
    if (target_ && !value)
        target_->setUnmodified();
}

void cTextBox::ScrollLines(int lines)
{
    if (target_)
        target_->setFirstVisibleLine(int(std::clamp<qint64>(
            qint64(target_->firstVisibleLine()) + lines, 0, target_->lineCount())));
}

void cTextBox::ScrollColumns(int chars)
{
    if (!target_)
        return;
    QScrollBar* bar = target_->horizontalScrollBar();
    const qint64 step = bar->singleStep();
    bar->setValue(int(
        std::clamp<qint64>(qint64(bar->value()) + step * chars, bar->minimum(), bar->maximum())));
}

void cTextBox::ShowTop()
{
    ScrollLines(-TotalLine());
}

void cTextBox::ShowBottom()
{
    ScrollLines(TotalLine());
}

int cTextBox::toUnit(int pixels) const
{
    switch (scaleMode_) {
    case 1:
        return pixels * kTwipsPerPixel;
    case 3:
        return pixels;
    default:
        return 0;
    }
}

bool cTextBox::fromUnit(int value, int* pixels) const
{
    switch (scaleMode_) {
    case 1:
        *pixels = int(std::lround(double(value) / kTwipsPerPixel));
        return true;
    case 3:
        *pixels = value;
        return true;
    default:
        return false;
    }
}

int cTextBox::MarginTop() const
{
    return target_ ? toUnit(target_->formattingMargins().top()) : 0;
}

void cTextBox::SetMarginTop(int value)
{
    int px = 0;
    if (!target_ || !fromUnit(value, &px))
        return;
    QMargins m = target_->formattingMargins();
    m.setTop(px);
    target_->setFormattingMargins(m);
}

int cTextBox::MarginLeft() const
{
    return target_ ? toUnit(target_->formattingMargins().left()) : 0;
}

void cTextBox::SetMarginLeft(int value)
{
    int px = 0;
    if (!target_ || !fromUnit(value, &px))
        return;
    QMargins m = target_->formattingMargins();
    m.setLeft(px);
    target_->setFormattingMargins(m);
}

} // namespace tl
