#pragma once

#include "editbox/maintextedit.h"

#include <QColor>
#include <QPointer>
#include <QString>

namespace tl
{

// The adapter through which the program reaches the edit box. Positions and lengths count a
// line break as the two characters CR LF; line numbers count from 1. With no target every line
// query answers as an empty box would (1, and 255 spaces).
class cTextBox
{
public:
    static constexpr int kLineBufferLength = 255;
    static constexpr int kTwipsPerPixel = 15;

    explicit cTextBox(MainTextEdit* target = nullptr) : target_(target) {}

    MainTextEdit* Target() const { return target_; }
    void SetTarget(MainTextEdit* target) { target_ = target; }

    // The edit box's own operations.
    QString Text() const;
    // Replaces all text; the undo history starts afresh.
    void SetText(const QString& text);
    qint64 SelStart() const;
    // Moves the caret; the selection becomes empty.
    void SetSelStart(qint64 pos);
    qint64 SelLength() const;
    // Selects from SelStart on.
    void SetSelLength(qint64 length);
    QString SelText() const;
    // Replaces the selection (or inserts at the caret) as one undo step; caret after the text.
    void SetSelText(const QString& text);
    QColor SelColor() const;
    void SetSelColor(const QColor& color);
    bool Visible() const;
    void SetVisible(bool visible);
    void SetFocus();

    // Whole-text queries without copying the text. Positions are clamped to the text.
    qint64 TextLength() const;
    // The characters [pos, pos + length), line breaks as CR LF.
    QString Mid(qint64 pos, qint64 length) const;

    // Groups every edit made through this adapter while it lives into one undo step.
    class UndoStep
    {
    public:
        explicit UndoStep(cTextBox& box);
        ~UndoStep();
        UndoStep(const UndoStep&) = delete;
        UndoStep& operator=(const UndoStep&) = delete;

    private:
        QPointer<MainTextEdit> target_;
    };

    // Line queries.
    int TopLine() const;
    int TotalLine() const;
    int LineFromChar() const;
    QString GetLineText() const;

    // Editing commands.
    void Undo();
    bool CanUndo() const;
    void SetCanUndo(bool value);
    void SelectAll();
    void Cut();
    void Copy();
    void Paste();
    void Clear();
    bool Modify() const;
    void SetModify(bool value);

    // Scrolling: down (negative: up) by lines, right (negative: left) by characters.
    void ScrollLines(int lines);
    void ScrollColumns(int chars);
    void ShowTop();
    void ShowBottom();

    // The formatting rectangle's top and left edge in the unit of ScaleMode
    // (1 twips, 3 pixels; any other unit reads 0 and ignores writes).
    int MarginTop() const;
    void SetMarginTop(int value);
    int MarginLeft() const;
    void SetMarginLeft(int value);
    int ScaleMode() const { return scaleMode_; }
    void SetScaleMode(int mode) { scaleMode_ = mode; }

private:
    int toUnit(int pixels) const;
    bool fromUnit(int value, int* pixels) const;

    QPointer<MainTextEdit> target_;
    int scaleMode_ = 1;
};

} // namespace tl
