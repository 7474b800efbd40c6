// The edit box: keys, the input method, the mouse, drag and drop.
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

namespace
{

// Redo: the desktop's own key (Ctrl+Shift+Z on most Linux desktops) and Ctrl+Y, which page
// authors coming from Windows editors press and which no other command of the program uses.
bool IsRedoKey(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    return key->matches(QKeySequence::Redo) ||
           (key->key() == Qt::Key_Y && mods == Qt::ControlModifier);
}

} // namespace

// ---- Keyboard ----

bool MainTextEdit::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Editing keys belong to the box while it has the focus, as in every text field; the
        // menu's shortcuts for the same keys run only from elsewhere.
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const bool editing =
            key == QKeySequence::Copy || key == QKeySequence::Cut || key == QKeySequence::Paste ||
            key == QKeySequence::Undo || IsRedoKey(key) || key == QKeySequence::SelectAll ||
            key == QKeySequence::Delete || key == QKeySequence::DeleteStartOfWord ||
            key == QKeySequence::DeleteEndOfWord || key == QKeySequence::MoveToNextWord ||
            key == QKeySequence::MoveToPreviousWord || key == QKeySequence::SelectNextWord ||
            key == QKeySequence::SelectPreviousWord || key == QKeySequence::MoveToStartOfDocument ||
            key == QKeySequence::MoveToEndOfDocument ||
            key == QKeySequence::SelectStartOfDocument ||
            key == QKeySequence::SelectEndOfDocument || IsJumpToPartner(*key);
        const bool typing = (mods == Qt::NoModifier || mods == Qt::ShiftModifier) &&
                            (IsPrintableInput(key->text()) || key->key() == Qt::Key_Backspace ||
                             key->key() == Qt::Key_Home || key->key() == Qt::Key_End ||
                             (key->key() >= Qt::Key_Left && key->key() <= Qt::Key_PageDown));
        if (editing || typing) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool MainTextEdit::focusNextPrevChild(bool)
{
    // Tab is a character in the text, not a move to the next control.
    return false;
}

void MainTextEdit::keyPressEvent(QKeyEvent* event)
{
    // Alt is reported when it is released without another key in between: pressed as part of
    // Alt+F to open a menu it is no key of its own.
    if (event->key() == Qt::Key_Alt) {
        altAlone_ = !event->isAutoRepeat() || altAlone_;
        event->ignore();
        return;
    }
    altAlone_ = false;
    // Every key press is reported, a key without a code as 0: the key handler resets its
    // per-key flags on every key. Only a key whose code the handler turned to 0 is cancelled.
    const int original = KeyCodeOf(*event);
    int code = original;
    Q_EMIT KeyDown(code, ShiftStateOf(event->modifiers()));
    if (original != 0 && code == 0) {
        event->accept();
        return;
    }
    if (handleMovementKey(event) || handleEditingKey(event)) {
        event->accept();
        return;
    }
    // Ctrl, Alt and Meta make a key a command; AltGr (a modifier of its own here) still types.
    const bool command =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && IsPrintableInput(event->text())) {
        typeText(event->text());
        event->accept();
        return;
    }
    event->ignore();
}

void MainTextEdit::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Alt && altAlone_) {
        altAlone_ = false;
        int code = vk::Menu;
        Q_EMIT KeyDown(code, ShiftStateOf(event->modifiers() | Qt::AltModifier));
    }
    QAbstractScrollArea::keyReleaseEvent(event);
}

bool MainTextEdit::handleMovementKey(QKeyEvent* e)
{
    if (IsJumpToPartner(*e)) {
        jumpToPartner();
        return true;
    }
    struct Move {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
    };
    const int line = doc_.lineOf(doc_.caret());
    const int page = visibleLineCount();
    auto target = [&](QKeySequence::StandardKey key) -> qsizetype {
        switch (key) {
        case QKeySequence::MoveToNextChar:
            return hasSelection() && !(e->modifiers() & Qt::ShiftModifier)
                       ? selectionEnd()
                       : nextCharacter(doc_.caret());
        case QKeySequence::MoveToPreviousChar:
            return hasSelection() && !(e->modifiers() & Qt::ShiftModifier)
                       ? selectionStart()
                       : previousCharacter(doc_.caret());
        case QKeySequence::MoveToNextWord:
            return nextWord(doc_.caret());
        case QKeySequence::MoveToPreviousWord:
            return previousWord(doc_.caret());
        case QKeySequence::MoveToStartOfLine:
        case QKeySequence::MoveToStartOfBlock:
            return doc_.lineStart(line);
        case QKeySequence::MoveToEndOfLine:
        case QKeySequence::MoveToEndOfBlock:
            return doc_.lineEnd(line);
        case QKeySequence::MoveToStartOfDocument:
            return 0;
        case QKeySequence::MoveToEndOfDocument:
            return doc_.length();
        default:
            return -1;
        }
    };
    static const Move kMoves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine},
        {QKeySequence::MoveToStartOfBlock, QKeySequence::SelectStartOfBlock},
        {QKeySequence::MoveToEndOfBlock, QKeySequence::SelectEndOfBlock},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument},
    };
    for (const Move& m : kMoves) {
        if (e == m.move || e == m.select) {
            const qsizetype pos = target(m.move);
            if (pos >= 0)
                moveCaret(pos, e == m.select);
            return true;
        }
    }
    const struct {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        int lines;
    } kVertical[] = {
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, 1},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, -1},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, page},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, -page},
    };
    for (const auto& m : kVertical) {
        if (e == m.move || e == m.select) {
            if (wantedX_ < 0)
                wantedX_ = int(cursorX(line, doc_.caret() - doc_.lineStart(line)));
            if (std::abs(m.lines) > 1)
                setFirstVisibleLine(firstVisibleLine() + m.lines);
            moveCaret(verticalMove(m.lines), e == m.select, true);
            return true;
        }
    }
    return false;
}

bool MainTextEdit::handleEditingKey(QKeyEvent* e)
{
    if (e == QKeySequence::Undo) {
        undo();
    } else if (IsRedoKey(e)) {
        redo();
    } else if (e == QKeySequence::Cut) {
        cut();
    } else if (e == QKeySequence::Copy) {
        copy();
    } else if (e == QKeySequence::Paste) {
        paste();
    } else if (e == QKeySequence::SelectAll) {
        selectAll();
    } else if (e == QKeySequence::InsertParagraphSeparator ||
               e == QKeySequence::InsertLineSeparator) {
        // Shift+Enter breaks the line as Enter does: the text has only one kind of break.
        typeText(QStringLiteral("\r\n"));
    } else if (e == QKeySequence::DeleteStartOfWord && !hasSelection()) {
        replace(previousWord(doc_.caret()), doc_.caret() - previousWord(doc_.caret()), {});
    } else if (e == QKeySequence::DeleteEndOfWord && !hasSelection()) {
        replace(doc_.caret(), nextWord(doc_.caret()) - doc_.caret(), {});
    } else if (e == QKeySequence::Delete || e == QKeySequence::DeleteStartOfWord ||
               e == QKeySequence::DeleteEndOfWord ||
               (e->key() == Qt::Key_Backspace && !(e->modifiers() & ~Qt::ShiftModifier))) {
        if (hasSelection()) {
            deleteSelection();
        } else {
            const bool back = e->key() == Qt::Key_Backspace;
            const qsizetype from = back ? previousCharacter(doc_.caret()) : doc_.caret();
            const qsizetype to = back ? doc_.caret() : nextCharacter(doc_.caret());
            if (from < to)
                doc_.replaceAndPlaceCaret(from, to - from, {}, Document::Merge::Typing);
        }
    } else if (e->key() == Qt::Key_Insert && e->modifiers() == Qt::NoModifier) {
        setOverwriteMode(!overwrite_);
    } else {
        return false;
    }
    return true;
}

// ---- Input method ----

void MainTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (event->replacementLength() > 0) {
        const qsizetype from = doc_.caret() + event->replacementStart();
        setSelection(from, from + event->replacementLength());
    }
    if (!event->commitString().isEmpty())
        typeText(event->commitString());
    else if (event->replacementLength() > 0)
        deleteSelection();
    preedit_ = event->preeditString();
    preeditAttributes_ = event->attributes();
    preeditCursor_ = int(preedit_.size());
    for (const auto& a : preeditAttributes_)
        if (a.type == QInputMethodEvent::Cursor)
            preeditCursor_ = a.start;
    if (!preedit_.isEmpty())
        ensureCaretVisible();
    viewport()->update();
    event->accept();
}

QVariant MainTextEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const int line = doc_.lineOf(doc_.caret());
    qsizetype start = doc_.lineStart(line);
    qsizetype end = doc_.lineEnd(line);
    if (end - start >= kLongLineChars) {
        // Of a long line the input method gets the text around the caret, not a copy of the
        // whole line at every key.
        start = doc_.snap(std::max(start, doc_.caret() - kSurroundingChars));
        end = doc_.snap(std::min(end, doc_.caret() + kSurroundingChars));
    }
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImFont:
        return font();
    case Qt::ImCursorRectangle:
        return QRect(caretRect().translated(viewport()->geometry().topLeft()));
    case Qt::ImCursorPosition:
        return int(doc_.caret() - start);
    case Qt::ImAnchorPosition:
        return int(std::clamp<qsizetype>(doc_.anchor() - start, 0, end - start));
    case Qt::ImSurroundingText:
        return doc_.mid(start, end - start);
    case Qt::ImCurrentSelection:
        return doc_.lineOf(doc_.anchor()) == line ? selectedText() : QString();
    case Qt::ImAbsolutePosition:
        return qlonglong(doc_.caret());
    case Qt::ImTextBeforeCursor:
        return doc_.mid(start, doc_.caret() - start);
    case Qt::ImTextAfterCursor:
        return doc_.mid(doc_.caret(), end - doc_.caret());
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// ---- Mouse ----

void MainTextEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint point = event->position().toPoint();
    const qsizetype pos = positionAt(point);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (lastDoubleClickMs_ >= 0 && now - lastDoubleClickMs_ < QApplication::doubleClickInterval() &&
        (point - lastDoubleClickPos_).manhattanLength() < QApplication::startDragDistance()) {
        // A third click selects the whole line with its line break.
        const int line = doc_.lineOf(pos);
        const qsizetype end =
            line + 1 < doc_.lineCount() ? doc_.lineStart(line + 1) : doc_.length();
        setSelection(doc_.lineStart(line), end);
        lastDoubleClickMs_ = -1;
        selecting_ = false;
        return;
    }
    wordAnchorFrom_ = wordAnchorTo_ = -1;
    if (event->modifiers() & Qt::ShiftModifier)
        setSelection(doc_.anchor(), pos);
    else
        setCaret(pos);
    selecting_ = true;
    lastMousePos_ = point;
}

void MainTextEdit::mouseMoveEvent(QMouseEvent* event)
{
    if (!selecting_ || !(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    lastMousePos_ = event->position().toPoint();
    if (viewport()->rect().contains(lastMousePos_))
        scrollTimer_.stop();
    else if (!scrollTimer_.isActive())
        scrollTimer_.start(50, this);
    const qsizetype pos = positionAt(lastMousePos_);
    if (wordAnchorFrom_ >= 0) {
        // Dragging after a double click extends by whole words.
        qsizetype from = 0;
        qsizetype to = 0;
        wordAt(pos, &from, &to);
        if (pos < wordAnchorFrom_)
            setSelection(wordAnchorTo_, from);
        else
            setSelection(wordAnchorFrom_, std::max(to, wordAnchorTo_));
    } else {
        setSelection(doc_.anchor(), pos);
    }
}

void MainTextEdit::autoScroll()
{
    if (!selecting_) {
        scrollTimer_.stop();
        return;
    }
    const QRect r = viewport()->rect();
    if (lastMousePos_.y() < r.top())
        setFirstVisibleLine(firstVisibleLine() - 1);
    else if (lastMousePos_.y() > r.bottom())
        setFirstVisibleLine(firstVisibleLine() + 1);
    setSelection(doc_.anchor(), positionAt(lastMousePos_));
}

void MainTextEdit::mouseReleaseEvent(QMouseEvent* event)
{
    scrollTimer_.stop();
    selecting_ = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT Click();
}

void MainTextEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    const qsizetype pos = positionAt(point);
    qsizetype from = 0;
    qsizetype to = 0;
    wordAt(pos, &from, &to);
    setSelection(from, to);
    wordAnchorFrom_ = from;
    wordAnchorTo_ = to;
    selecting_ = true;
    lastDoubleClickMs_ = QDateTime::currentMSecsSinceEpoch();
    lastDoubleClickPos_ = point;
    Q_EMIT DblClick(pos);
}

void MainTextEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    auto add = [&](const QString& caption, bool enabled, auto slot) {
        QAction* a = menu.addAction(caption, this, slot);
        a->setEnabled(enabled);
    };
    add(QStringLiteral("元に戻す(&U)"), canUndo(), [this] { undo(); });
    add(QStringLiteral("やり直し(&R)"), canRedo(), [this] { redo(); });
    menu.addSeparator();
    add(QStringLiteral("切り取り(&T)"), hasSelection(), [this] { cut(); });
    add(QStringLiteral("コピー(&C)"), hasSelection(), [this] { copy(); });
    add(QStringLiteral("貼り付け(&P)"), !QGuiApplication::clipboard()->text().isEmpty(),
        [this] { paste(); });
    add(QStringLiteral("削除(&D)"), hasSelection(), [this] { deleteSelection(); });
    menu.addSeparator();
    add(QStringLiteral("すべて選択(&A)"), doc_.length() > 0, [this] { selectAll(); });
    menu.exec(event->globalPos());
}

// ---- Drag and drop ----

void MainTextEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty() || event->mimeData()->hasText())
        event->acceptProposedAction();
}

void MainTextEdit::dragMoveEvent(QDragMoveEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty() || event->mimeData()->hasText())
        event->acceptProposedAction();
}

void MainTextEdit::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFiles(event->mimeData());
    if (!files.isEmpty()) {
        event->acceptProposedAction();
        Q_EMIT FilesDropped(files);
        return;
    }
    if (event->mimeData()->hasText()) {
        event->acceptProposedAction();
        setCaret(positionAt(event->position().toPoint()));
        replaceSelection(repairExternalText(event->mimeData()->text()));
    }
}

} // namespace tl
