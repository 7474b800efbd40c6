#pragma once

#include <QColor>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTextEdit>

namespace tl {

// The document's edit box: a plain-text editor without line wrap that reports the events the
// program handles (change, click, double click, key down with a cancellable key code, file
// drop) and keeps on-screen text colours outside the document.
class MainTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MainTextEdit(QWidget* parent = nullptr);

    QTextBlock firstVisibleTextBlock() const { return firstVisibleBlock(); }
    // The formatting rectangle's margins inside the box.
    void setFormattingMargins(const QMargins& margins) { setViewportMargins(margins); }
    QMargins formattingMargins() const { return viewportMargins(); }

    // On-screen colour of the characters [from, to) in document positions. Black (the text
    // colour) removes the colouring. The colouring is not part of the document: it never marks
    // it modified, never enters the undo history, and moves with its text as the text changes.
    void setTextColor(int from, int to, const QColor& color);
    QColor textColorAt(int pos) const;
    void clearTextColors();

Q_SIGNALS:
    void Change();
    void Click();
    // docPos is the document position under the mouse, taken before the box selects a word.
    void DblClick(int docPos);
    // Sent for every key press before the box handles it; keyCode is 0 for a key without a
    // code. The handler may set a non-zero keyCode to 0 to cancel the key.
    void KeyDown(int& keyCode, int shift);
    void FilesDropped(const QStringList& paths);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void applyColors();

    QList<QTextEdit::ExtraSelection> colors_;
};

} // namespace tl
