// The edit box: construction, its text, editing through the document, colours.
#include "editbox/maintextedit.h"

#include "editbox/accessibletext.h"
#include "editbox/clipboardvariants.h"
#include "editbox/maintexthelpers.h"
#include "platform/keycodes.h"
#include "platform/surrogates.h"
#include "syntax/syntaxstates.h"

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

MainTextEdit::MainTextEdit(Document& document, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(document), syntax_(std::make_unique<SyntaxStates>(document))
{
    static const bool accessible = [] {
        QAccessible::installFactory(AccessibleMainTextFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    updateFontMetrics();
    // The box shows its document: every edit, wherever it came from, reaches the view here.
    connect(&doc_, &Document::changed, this, &MainTextEdit::afterChange);
    connect(&doc_, &Document::edited, this, &MainTextEdit::edited);
    connect(&doc_, &Document::textReset, this, &MainTextEdit::textReset);
    connect(&doc_, &Document::selectionChanged, this, [this] { selectionChanged(); });
    connect(&doc_, &Document::colorsChanged, viewport(), qOverload<>(&QWidget::update));
    textReset();
}

MainTextEdit::~MainTextEdit() = default;

// ---- Text ----

void MainTextEdit::setText(QStringView text)
{
    doc_.setText(text);
}

void MainTextEdit::textReset()
{
    syntax_->reset();
    pairKnown_ = false;
    layouts_.clear();
    longLines_.clear();
    wantedX_ = -1;
    maxLineWidth_ = 0;
    measureAllLines();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

void MainTextEdit::measureAllLines()
{
    maxColumns_ = 0;
    const QStringView all = doc_.view(0, doc_.length());
    const char16_t* s = all.utf16();
    const int tabColumns = std::max(1, int(std::lround(tabStop_ / halfWidth_)));
    int columns = 0;
    for (qsizetype i = 0, n = all.size(); i < n; ++i) {
        const char16_t u = s[i];
        if (u == u'\r') {
            maxColumns_ = std::max(maxColumns_, columns);
            columns = 0;
            ++i; // its LF
        } else if (u == u'\t') {
            columns = (columns / tabColumns + 1) * tabColumns;
        } else {
            columns += ColumnsOf(u);
        }
    }
    maxColumns_ = std::max(maxColumns_, columns);
}

int MainTextEdit::columnsOf(int line) const
{
    const int tabColumns = std::max(1, int(std::lround(tabStop_ / halfWidth_)));
    int columns = 0;
    // Read a block at a time: a long line is never copied whole.
    constexpr qsizetype kBlock = 1024;
    const qsizetype end = doc_.lineEnd(line);
    for (qsizetype pos = doc_.lineStart(line); pos < end; pos += kBlock) {
        const QString block = doc_.mid(pos, std::min(kBlock, end - pos));
        for (const QChar c : block) {
            if (c == u'\t')
                columns = (columns / tabColumns + 1) * tabColumns;
            else
                columns += ColumnsOf(c.unicode());
        }
    }
    return columns;
}

// ---- Editing ----

void MainTextEdit::replace(qsizetype pos, qsizetype count, QStringView text)
{
    doc_.replace(pos, count, text);
}

qsizetype MainTextEdit::replaceEach(const std::vector<qsizetype>& places, QStringView found,
                                    QStringView text)
{
    return doc_.replaceEach(places, found, text);
}

void MainTextEdit::replaceSelection(QStringView text)
{
    doc_.replaceSelection(text);
}

void MainTextEdit::typeText(const QString& text)
{
    const qsizetype caret = doc_.caret();
    if (overwrite_ && !hasSelection() && caret < doc_.lineEnd(doc_.lineOf(caret))) {
        // Overtyping replaces the character under the caret, never the line break.
        doc_.replaceAndPlaceCaret(caret, nextCharacter(caret) - caret, text,
                                  Document::Merge::Typing);
    } else if (hasSelection()) {
        doc_.replaceSelection(text);
    } else {
        doc_.replaceAndPlaceCaret(caret, 0, text, Document::Merge::Typing);
    }
}

void MainTextEdit::edited()
{
    // Long lines followed through the edit's changes are measured once, on the final text.
    measureLongLines();
    wantedX_ = -1;
    updateScrollBars();
    ensureCaretVisible();
    viewport()->update();
    Q_EMIT Change();
}

void MainTextEdit::afterChange(const TextChange& change)
{
    syntax_->follow(change);
    pairKnown_ = false;
    if (QAccessible::isActive()) {
        // Readers are told where the text changed, never sent the whole page.
        QAccessibleTextUpdateEvent edited(
            this, int(change.pos), QString(),
            doc_.mid(change.pos, std::min<qsizetype>(change.inserted, 4096)));
        QAccessible::updateAccessibility(&edited);
    }
    if (change.places) {
        // A change at many places: the widest line is measured afresh in one pass.
        dropLayouts(change.line, true);
        followLongLines(change);
        if (change.eachInserted > change.eachRemoved)
            measureAllLines();
        Q_EMIT viewChanged();
        return;
    }
    const bool linesMoved = change.linesInserted != 0 || change.linesRemoved != 0;
    dropLayouts(change.line, linesMoved);
    followLongLines(change);
    // A long line followed through the edit is measured when the text is final.
    for (int line = change.line; line <= change.line + change.linesInserted; ++line)
        if (!longLines_.contains(line))
            maxColumns_ = std::max(maxColumns_, columnsOf(line));
    if (linesMoved)
        Q_EMIT viewChanged();
}

void MainTextEdit::undo()
{
    doc_.undo();
}

void MainTextEdit::redo()
{
    doc_.redo();
}

void MainTextEdit::cut()
{
    if (!hasSelection())
        return;
    copy();
    deleteSelection();
}

void MainTextEdit::copy() const
{
    if (!hasSelection())
        return;
    // Other programs here expect LF line breaks; pasting back turns them into CR LF again.
    QString text = selectedText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    putSelectionOnClipboard(text);
}

void MainTextEdit::paste()
{
    if (!QGuiApplication::clipboard()->text().isEmpty())
        replaceSelectionFromClipboard();
}

void MainTextEdit::putSelectionOnClipboard(const QString& text) const
{
    QGuiApplication::clipboard()->setMimeData(
        ClipboardDataWithVariants(text, selectedText(), doc_.selectedByteVariants()));
}

void MainTextEdit::replaceSelectionFromClipboard()
{
    const QString text = repairExternalText(QGuiApplication::clipboard()->text());
    const ByteVariants variants =
        PastedVariants(QGuiApplication::clipboard()->mimeData(), ToCrLf(text));
    doc_.replaceSelection(text, variants);
}

QString MainTextEdit::repairExternalText(QString text)
{
    if (const qsizetype count = ReplaceLoneSurrogates(text); count > 0)
        Q_EMIT brokenTextRepaired(count);
    return text;
}

void MainTextEdit::deleteSelection()
{
    if (hasSelection())
        replaceSelection({});
}

void MainTextEdit::setOverwriteMode(bool on)
{
    overwrite_ = on;
    updateCaretArea();
}

// ---- Colours ----

void MainTextEdit::setTextColor(qsizetype from, qsizetype to, const QColor& color)
{
    doc_.setTextColor(from, to, color);
}

QColor MainTextEdit::textColorAt(qsizetype pos) const
{
    return doc_.textColorAt(pos);
}

void MainTextEdit::clearTextColors()
{
    doc_.clearTextColors();
}

} // namespace tl
