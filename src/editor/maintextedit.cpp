#include "editor/maintextedit.h"

#include "editor/keycodes.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace tl {

namespace {

QStringList LocalFiles(const QMimeData* mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

} // namespace

MainTextEdit::MainTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setAcceptDrops(true);
    connect(this, &QPlainTextEdit::textChanged, this, &MainTextEdit::Change);
}

void MainTextEdit::keyPressEvent(QKeyEvent* event)
{
    // Every key press is reported, a key without a code as 0: the key handler resets its
    // per-key flags on every key. Only a key whose code the handler turned to 0 is cancelled.
    const int original = KeyCodeOf(*event);
    int code = original;
    Q_EMIT KeyDown(code, ShiftStateOf(event->modifiers()));
    if (original != 0 && code == 0) {
        event->accept();
        return;
    }
    // Shift+Enter would insert a line separator (U+2028): it breaks the line on screen but not
    // in the document, so line numbers and CR LF positions would miss it. Make it a line break.
    if (event->matches(QKeySequence::InsertLineSeparator)) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->nativeScanCode(), event->nativeVirtualKey(),
                        event->nativeModifiers(), event->text(), event->isAutoRepeat(),
                        quint16(event->count()), event->device());
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MainTextEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT Click();
}

void MainTextEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int pos = cursorForPosition(event->position().toPoint()).position();
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT DblClick(pos);
}

void MainTextEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void MainTextEdit::dragMoveEvent(QDragMoveEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void MainTextEdit::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFiles(event->mimeData());
    if (!files.isEmpty()) {
        event->acceptProposedAction();
        Q_EMIT FilesDropped(files);
        return;
    }
    QPlainTextEdit::dropEvent(event);
}

void MainTextEdit::setTextColor(int from, int to, const QColor& color)
{
    if (to < from)
        std::swap(from, to);
    QList<QTextEdit::ExtraSelection> kept;
    auto keepPiece = [&](const QTextEdit::ExtraSelection& old, int a, int b) {
        if (a >= b)
            return;
        QTextEdit::ExtraSelection piece = old;
        piece.cursor = QTextCursor(document());
        piece.cursor.setPosition(a);
        piece.cursor.setPosition(b, QTextCursor::KeepAnchor);
        kept << piece;
    };
    for (const auto& sel : std::as_const(colors_)) {
        const int a = sel.cursor.selectionStart();
        const int b = sel.cursor.selectionEnd();
        if (a >= b)
            continue; // its text is gone
        if (b <= from || a >= to) {
            kept << sel;
            continue;
        }
        keepPiece(sel, a, from);
        keepPiece(sel, to, b);
    }
    if (color != QColor(Qt::black) && from < to) {
        QTextEdit::ExtraSelection sel;
        sel.cursor = QTextCursor(document());
        sel.cursor.setPosition(from);
        sel.cursor.setPosition(to, QTextCursor::KeepAnchor);
        sel.format.setForeground(color);
        kept << sel;
    }
    colors_ = kept;
    applyColors();
}

QColor MainTextEdit::textColorAt(int pos) const
{
    for (const auto& sel : colors_)
        if (pos >= sel.cursor.selectionStart() && pos < sel.cursor.selectionEnd())
            return sel.format.foreground().color();
    return QColor(Qt::black);
}

void MainTextEdit::clearTextColors()
{
    colors_.clear();
    applyColors();
}

void MainTextEdit::applyColors()
{
    setExtraSelections(colors_);
}

} // namespace tl
