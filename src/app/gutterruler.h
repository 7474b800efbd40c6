#pragma once

#include <QPointer>
#include <QWidget>

namespace tl
{

class MainTextEdit;

// A label beside the edit box whose text rows stand exactly level with the box's visible lines:
// the line-number gutter and the caret-line marker. Rows are separated by CR LF.
class RowsLabel : public QWidget
{
    Q_OBJECT
public:
    RowsLabel(MainTextEdit* edit, QWidget* parent = nullptr);

    QString text() const { return text_; }
    // Repaints at once when the text changed.
    void setText(const QString& text);
    QColor textColor() const { return color_; }
    void setTextColor(const QColor& color);
    // Top of row i in this label's coordinates: the top of the box's i-th visible line.
    int rowTop(int row) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<MainTextEdit> edit_;
    QString text_;
    QColor color_;
};

// The column ruler above the edit box; its columns stand over the box's columns and follow its
// sideways scrolling.
class RulerLabel : public QWidget
{
    Q_OBJECT
public:
    RulerLabel(MainTextEdit* edit, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    QColor textColor() const { return color_; }
    void setTextColor(const QColor& color);
    // Left edge of column c (from 0) in this label's coordinates.
    int columnLeft(int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<MainTextEdit> edit_;
    QString text_;
    QColor color_;
};

} // namespace tl
