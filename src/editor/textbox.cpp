#include "editor/textbox.h"

#include "editor/maintextedit.h"
#include "editor/textpositions.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <cmath>

namespace tl {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// One pass into a buffer of the final size: replace() grows the string once per line break,
// which costs seconds on a 400,000-line page.
QString RawToCrLf(const QString& raw)
{
    const qsizetype breaks = raw.count(QChar::ParagraphSeparator);
    if (breaks == 0)
        return raw;
    QString out(raw.size() + breaks, Qt::Uninitialized);
    QChar* o = out.data();
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator) {
            *o++ = u'\r';
            *o++ = u'\n';
        } else {
            *o++ = c;
        }
    }
    return out;
}

} // namespace

QString ToEditorLineBreaks(const QString& text)
{
    if (!text.contains(u'\r'))
        return text;
    QString out = text;
    out.replace(kCrLf, QStringLiteral("\n"));
    out.replace(u'\r', u'\n');
    return out;
}

QString cTextBox::Text() const
{
    if (!target_)
        return {};
    // toRawText keeps non-breaking spaces that toPlainText would turn into spaces.
    return RawToCrLf(target_->document()->toRawText());
}

void cTextBox::SetText(const QString& text)
{
    if (!target_)
        return;
    target_->setPlainText(ToEditorLineBreaks(text));
}

qint64 cTextBox::SelStart() const
{
    if (!target_)
        return 0;
    return TextPosFromDocPos(*target_->document(), target_->textCursor().selectionStart());
}

void cTextBox::SetSelStart(qint64 pos)
{
    if (!target_)
        return;
    QTextCursor c = target_->textCursor();
    c.setPosition(DocPosFromTextPos(*target_->document(), pos));
    target_->setTextCursor(c);
}

qint64 cTextBox::SelLength() const
{
    if (!target_)
        return 0;
    const QTextCursor c = target_->textCursor();
    const QTextDocument& doc = *target_->document();
    return TextPosFromDocPos(doc, c.selectionEnd()) - TextPosFromDocPos(doc, c.selectionStart());
}

void cTextBox::SetSelLength(qint64 length)
{
    if (!target_)
        return;
    const QTextDocument& doc = *target_->document();
    QTextCursor c = target_->textCursor();
    const int start = c.selectionStart();
    const qint64 startText = TextPosFromDocPos(doc, start);
    c.setPosition(start);
    c.setPosition(DocPosFromTextPos(doc, startText + std::max<qint64>(0, length)),
                  QTextCursor::KeepAnchor);
    target_->setTextCursor(c);
}

QString cTextBox::SelText() const
{
    if (!target_)
        return {};
    // selectedText() marks line breaks with U+2029 and keeps every other character as it is.
    return RawToCrLf(target_->textCursor().selectedText());
}

void cTextBox::SetSelText(const QString& text)
{
    if (!target_)
        return;
    QTextCursor c = target_->textCursor();
    c.beginEditBlock();
    c.insertText(ToEditorLineBreaks(text));
    c.endEditBlock();
    target_->setTextCursor(c);
}

QColor cTextBox::SelColor() const
{
    if (!target_)
        return QColor(Qt::black);
    return target_->textColorAt(target_->textCursor().selectionStart());
}

void cTextBox::SetSelColor(const QColor& color)
{
    if (!target_)
        return;
    const QTextCursor c = target_->textCursor();
    target_->setTextColor(c.selectionStart(), c.selectionEnd(), color);
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
    return target_ ? tl::TextLength(*target_->document()) : 0;
}

QString cTextBox::Mid(qint64 pos, qint64 length) const
{
    if (!target_ || length <= 0)
        return {};
    const QTextDocument& doc = *target_->document();
    const qint64 total = tl::TextLength(doc);
    const qint64 from = std::clamp<qint64>(pos, 0, total);
    const qint64 to = std::clamp<qint64>(pos + length, from, total);
    QTextCursor c(target_->document());
    c.setPosition(DocPosFromTextPos(doc, from));
    c.setPosition(DocPosFromTextPos(doc, to), QTextCursor::KeepAnchor);
    QString text = RawToCrLf(c.selectedText());
    // A range that starts or ends between CR and LF keeps that half of the pair.
    if (from > 0 && from < total && TextPosFromDocPos(doc, DocPosFromTextPos(doc, from)) != from)
        text.remove(0, 1);
    if (TextPosFromDocPos(doc, DocPosFromTextPos(doc, to)) != to)
        text += u'\r';
    return text;
}

int cTextBox::LineAt(qint64 pos) const
{
    if (!target_)
        return 1;
    const QTextDocument& doc = *target_->document();
    return doc.findBlock(DocPosFromTextPos(doc, pos)).blockNumber() + 1;
}

qint64 cTextBox::LineStart(int line) const
{
    if (!target_ || line <= 1)
        return 0;
    const QTextDocument& doc = *target_->document();
    if (line > doc.blockCount())
        return tl::TextLength(doc);
    return TextPosOfBlock(doc.findBlockByNumber(line - 1));
}

cTextBox::UndoStep::UndoStep(cTextBox& box) : target_(box.Target())
{
    if (target_)
        QTextCursor(target_->document()).beginEditBlock();
}

cTextBox::UndoStep::~UndoStep()
{
    if (target_)
        QTextCursor(target_->document()).endEditBlock();
}

int cTextBox::TopLine() const
{
    if (!target_)
        return 1;
    return target_->firstVisibleTextBlock().blockNumber() + 1;
}

int cTextBox::TotalLine() const
{
    if (!target_)
        return 1;
    return target_->document()->blockCount() + 1;
}

int cTextBox::LineFromChar() const
{
    if (!target_)
        return 1;
    const QTextCursor c = target_->textCursor();
    return target_->document()->findBlock(c.selectionStart()).blockNumber() + 1;
}

QString cTextBox::GetLineText() const
{
    QString line;
    if (target_) {
        const QTextBlock block =
            target_->document()->findBlock(target_->textCursor().selectionStart());
        line = block.text().left(kLineBufferLength);
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
    return target_ && target_->document()->isUndoAvailable();
}

void cTextBox::SetCanUndo(bool value)
{
    if (target_ && !value)
        target_->document()->clearUndoRedoStacks();
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
    if (!target_)
        return;
    QTextCursor c = target_->textCursor();
    if (c.hasSelection()) {
        c.removeSelectedText();
        target_->setTextCursor(c);
    }
}

bool cTextBox::Modify() const
{
    return target_ && target_->document()->isModified();
}

void cTextBox::SetModify(bool value)
{
    if (target_ && !value)
        target_->document()->setModified(false);
}

void cTextBox::ScrollH(int lines)
{
    if (!target_)
        return;
    QScrollBar* bar = target_->verticalScrollBar();
    bar->setValue(int(std::clamp<qint64>(qint64(bar->value()) + lines, bar->minimum(),
                                         bar->maximum())));
}

void cTextBox::ScrollV(int chars)
{
    if (!target_)
        return;
    QScrollBar* bar = target_->horizontalScrollBar();
    const qint64 step = target_->fontMetrics().horizontalAdvance(u' ');
    bar->setValue(int(std::clamp<qint64>(qint64(bar->value()) + step * chars, bar->minimum(),
                                         bar->maximum())));
}

void cTextBox::ShowTop()
{
    ScrollH(-TotalLine());
}

void cTextBox::ShowBottom()
{
    ScrollH(TotalLine());
}

int cTextBox::toUnit(int pixels) const
{
    switch (scaleMode_) {
    case 1: return pixels * kTwipsPerPixel;
    case 3: return pixels;
    default: return 0;
    }
}

bool cTextBox::fromUnit(int value, int* pixels) const
{
    switch (scaleMode_) {
    case 1: *pixels = int(std::lround(double(value) / kTwipsPerPixel)); return true;
    case 3: *pixels = value; return true;
    default: return false;
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
