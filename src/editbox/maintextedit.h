#pragma once

#include "core/document.h"
#include "editbox/longline.h"
#include "syntax/syntaxlexer.h"
#include "syntax/tagpairs.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QInputMethodEvent>
#include <QStringList>
#include <QTextLayout>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QMenu;
class QPainter;
class QTextCharFormat;

namespace tl
{

class SyntaxStates;

// The edit box: a plain-text view without line wrap of a Document (our own text engine, so
// that a 20 MB page of 400,000 lines loads in a fraction of a second), which it draws and
// edits through keys, mouse, input method, clipboard and drops. The document belongs to its
// owner and outlives the view. Positions are the program's own: a line break is CR LF and
// counts as two characters. Lines are counted from 0 here (the adapter cTextBox and
// LineNumberAt count from 1). A line of thousands of characters (a page minified onto one
// line) is shaped and drawn only where it shows, so typing on it costs what typing on a short
// line does.
//
// It reports the events the program handles (change, click, double click, key down with a
// cancellable key code, file drop).
class MainTextEdit : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit MainTextEdit(Document& document, QWidget* parent = nullptr);
    ~MainTextEdit() override;

    Document& document() const { return doc_; }

    // ---- Text ----
    QString text() const { return doc_.text(); }
    // Replaces all text: caret at the start, undo history empty, unmodified.
    void setText(QStringView text);
    qsizetype length() const { return doc_.length(); }
    QString mid(qsizetype pos, qsizetype count) const { return doc_.mid(pos, count); }
    // [pos, pos + count) as one run of characters, valid until the next edit.
    QStringView view(qsizetype pos, qsizetype count) { return doc_.view(pos, count); }
    int lineCount() const { return doc_.lineCount(); }
    qsizetype lineStart(int line) const { return doc_.lineStart(line); }
    qsizetype lineEnd(int line) const { return doc_.lineEnd(line); }
    int lineOf(qsizetype pos) const { return doc_.lineOf(pos); }
    QString lineText(int line) const { return doc_.lineText(line); }
    // pos clamped to the text and moved off the middle of a CR LF or surrogate pair.
    qsizetype snap(qsizetype pos) const { return doc_.snap(pos); }

    // ---- Caret and selection ----
    qsizetype anchor() const { return doc_.anchor(); }
    qsizetype position() const { return doc_.caret(); }
    qsizetype selectionStart() const { return std::min(doc_.anchor(), doc_.caret()); }
    qsizetype selectionEnd() const { return std::max(doc_.anchor(), doc_.caret()); }
    bool hasSelection() const { return doc_.anchor() != doc_.caret(); }
    QString selectedText() const
    {
        return doc_.mid(selectionStart(), selectionEnd() - selectionStart());
    }
    // Positions are clamped to the text and moved off the middle of a CR LF or surrogate pair;
    // the caret
    // is scrolled into view.
    void setSelection(qsizetype anchor, qsizetype caret);
    void setCaret(qsizetype pos) { setSelection(pos, pos); }
    void selectAll();

    // ---- Editing ----
    // Replaces the selection by text (line breaks made CR LF) as one undo step; the caret stands
    // after the text.
    void replaceSelection(QStringView text);
    void replace(qsizetype pos, qsizetype count, QStringView text);
    // Text that comes from outside the program (the clipboard, a drop, assistive technology):
    // every lone half of a surrogate pair becomes U+FFFD, and brokenTextRepaired() tells once
    // per arrival. The result is what the box may insert.
    QString repairExternalText(QString text);
    // Replaces `found` at each of `places` (ascending, not overlapping) by text, as one undo
    // step and one Change, in one pass over the text; colours follow their characters and the
    // caret and anchor follow the text around them. Places not holding `found` are skipped.
    qsizetype replaceEach(const std::vector<qsizetype>& places, QStringView found,
                          QStringView text);
    void beginUndoGroup() { doc_.beginUndoGroup(); }
    void endUndoGroup() { doc_.endUndoGroup(); }
    void undo();
    void redo();
    bool canUndo() const { return doc_.canUndo(); }
    bool canRedo() const { return doc_.canRedo(); }
    void clearUndo() { doc_.clearUndo(); }
    bool isModified() const { return doc_.isModified(); }
    void setUnmodified() { doc_.setModified(false); }
    void cut();
    void copy() const;
    void paste();
    // Puts text (the selection, with the line breaks the caller gives it) on the clipboard
    // with the selection's CP932 byte variants.
    void putSelectionOnClipboard(const QString& text) const;
    // Replaces the selection by the clipboard's text as one undo step; text cut or copied
    // from a page keeps the byte variants it had.
    void replaceSelectionFromClipboard();
    void deleteSelection();
    bool overwriteMode() const { return overwrite_; }
    void setOverwriteMode(bool on);

    // ---- View ----
    int firstVisibleLine() const;
    void setFirstVisibleLine(int line);
    // Lines that fit wholly in the viewport (at least 1).
    int visibleLineCount() const;
    int lineHeight() const { return lineHeight_; }
    // Top of a line in viewport coordinates (may lie outside the viewport).
    int lineTop(int line) const;
    int horizontalOffset() const;
    // The caret's rectangle (or a position's) in viewport coordinates.
    QRect caretRect() const { return positionRect(doc_.caret()); }
    QRect positionRect(qsizetype pos) const;
    // The position nearest to a point of the viewport.
    qsizetype positionAt(const QPoint& viewportPoint) const;
    void ensureCaretVisible();
    // Width of the text area used for the widest line seen so far, in pixels.
    int contentWidth() const;

    // The formatting rectangle's margins inside the viewport.
    void setFormattingMargins(const QMargins& margins);
    QMargins formattingMargins() const { return margins_; }

    // On-screen colour of the characters [from, to). Black (the text colour) removes the
    // colouring. The colouring is not part of the text: it never marks it modified, never
    // enters the undo history, and moves with its text as the text changes.
    void setTextColor(qsizetype from, qsizetype to, const QColor& color);
    QColor textColorAt(qsizetype pos) const;
    void clearTextColors();

    // ---- Syntax colours and matching pairs ----
    // Tags, attributes, entities, comments and ASP blocks are shown in colours of their own (on
    // by default). These colours belong to the view alone: they are no colour runs of the
    // document, so textColorAt and the stamps never see them.
    void setSyntaxColoring(bool on);
    bool syntaxColoring() const { return coloring_; }
    // The colour the character at pos is shown in (a stamp's over the syntax colour; black for
    // plain text and line breaks) and the characters [*from, *to) around it shown in the same.
    QColor shownColorAt(qsizetype pos, qsizetype* from, qsizetype* to) const;
    // The tag the caret is in and its partner, highlighted; none without a partner near enough.
    std::optional<TagPair> matchingPair() const;
    // Ctrl+]: the caret goes to the partner of the tag it is in, wherever that is. False (and no
    // move) without one.
    bool jumpToPartner();
    SyntaxStates& syntaxStates() const { return *syntax_; }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

Q_SIGNALS:
    void Change();
    void Click();
    // pos is the position under the mouse, taken before the box selects a word.
    void DblClick(qint64 pos);
    // Sent for every key press before the box handles it; keyCode is 0 for a key without a
    // code. The handler may set a non-zero keyCode to 0 to cancel the key. Alt alone is sent
    // when it is released, and not at all when another key came with it.
    void KeyDown(int& keyCode, int shift);
    void FilesDropped(const QStringList& paths);
    // Text arriving from outside held `count` lone surrogates, inserted as U+FFFD.
    void brokenTextRepaired(qsizetype count);
    void cursorPositionChanged();
    // The visible part moved (scrolling, resizing, lines added or removed).
    void viewChanged();

protected:
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Editing.
    // Following the document: each change, each whole edit, a new text, a moved selection.
    void afterChange(const TextChange& change);
    void edited();
    void textReset();
    void typeText(const QString& text);
    bool handleEditingKey(QKeyEvent* event);
    bool handleMovementKey(QKeyEvent* event);
    void moveCaret(qsizetype pos, bool select, bool keepColumn = false);
    qsizetype previousCharacter(qsizetype pos) const;
    qsizetype nextCharacter(qsizetype pos) const;
    qsizetype previousWord(qsizetype pos) const;
    qsizetype nextWord(qsizetype pos) const;
    void wordAt(qsizetype pos, qsizetype* from, qsizetype* to) const;
    qsizetype verticalMove(int lines) const;
    void selectionChanged();

    // View.
    QTextLayout* layoutFor(int line) const;
    void dropLayouts(int fromLine, bool shifted);
    void updateFontMetrics();
    void updateScrollBars();
    void measureAllLines();
    int columnsOf(int line) const;
    QPointF lineOrigin(int line) const;
    // x of a column of a line (from the line's start) and the column nearest to an x, for
    // lines of any length.
    qreal cursorX(int line, qsizetype column) const;
    qsizetype columnAt(int line, qreal x) const;
    // A copy of layout with the text being composed shown at column `at`.
    std::unique_ptr<QTextLayout> preeditLayout(const QTextLayout& layout, const QFont& font,
                                               int at) const;
    // The matching pair's highlight, the colour runs and the selection within [start, end),
    // counted from start, drawn over the text.
    QList<QTextLayout::FormatRange> formatsFor(qsizetype start, qsizetype end,
                                               const QTextCharFormat& selected) const;
    // Gives the layout of the characters [from, from + its length) of line the line's syntax
    // colours (none while colouring is off), laying it out again only when they changed.
    void colorLayout(QTextLayout* layout, int line, qsizetype from) const;

    // Lines too long to lay out whole, drawn and measured a chunk at a time: see LongLine.
    bool isLongLine(int line) const;
    // The line's chunks, measured.
    LongLine& longLine(int line) const;
    QTextLayout* chunkLayout(LongLine& longLine, int chunk) const;
    // Carries the long lines' chunks through one change of the text.
    void followLongLines(const TextChange& change);
    // Measures what the changes left unmeasured, once the text is final.
    void measureLongLines();
    void paintLongLine(QPainter& painter, int line, const QRect& area,
                       const QTextCharFormat& selected, bool showCaret);
    void restartBlink();
    void updateCaretArea();
    void autoScroll();

    Document& doc_;
    int wantedX_ = -1; // column kept by up/down moves, in pixels
    bool overwrite_ = false;
    bool altAlone_ = false; // Alt is down and no other key came since

    QMargins margins_;

    int lineHeight_ = 16;
    int ascent_ = 12;
    int halfWidth_ = 8;
    qreal tabStop_ = 48;
    int maxColumns_ = 0;   // widest line seen, in half-width columns
    int maxLineWidth_ = 0; // widest laid-out line, in pixels

    mutable std::unordered_map<int, std::unique_ptr<QTextLayout>> layouts_;
    mutable CharAdvances advances_;
    mutable std::unordered_map<int, std::unique_ptr<LongLine>> longLines_; // by line
    bool longLinesEdited_ = false; // some long line waits to be measured after an edit

    std::unique_ptr<SyntaxStates> syntax_;
    bool coloring_ = true;
    mutable std::vector<SyntaxRun> runs_; // scratch for colorLayout
    mutable std::optional<TagPair> pair_;
    mutable bool pairKnown_ = false; // pair_ is up to date with the caret and the text

    QString preedit_;
    QList<QInputMethodEvent::Attribute> preeditAttributes_;
    int preeditCursor_ = 0;

    QBasicTimer blinkTimer_;
    bool caretOn_ = true;
    QBasicTimer scrollTimer_;
    QPoint lastMousePos_;
    bool selecting_ = false;
    qsizetype wordAnchorFrom_ = -1; // word selection by double click then drag
    qsizetype wordAnchorTo_ = -1;
    qint64 lastDoubleClickMs_ = -1;
    QPoint lastDoubleClickPos_;
};

} // namespace tl
