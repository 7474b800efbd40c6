#include "editor/maintextedit.h"

#include "editor/accessibletext.h"
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

// Characters of one class form a word for double clicks and Ctrl+arrow moves. Japanese text
// has no spaces, so hiragana, katakana and kanji runs are words of their own.
int CharClass(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u' ' || u == u'\t' || u == 0x3000)
        return 0;
    if (u == 0x30FC || (u >= 0xFF66 && u <= 0xFF9F))
        return 3; // prolonged sound mark and half-width katakana go with katakana
    if (c.isSurrogate())
        return 4;
    if (c.isLetterOrNumber() || u == u'_') {
        switch (c.script()) {
        case QChar::Script_Hiragana: return 2;
        case QChar::Script_Katakana: return 3;
        case QChar::Script_Han: return 4;
        default: return 1;
        }
    }
    return 5;
}

// Half-width columns a character takes in the editor's font: East Asian wide characters take
// two. Used to size the horizontal scroll range without laying out every line.
int ColumnsOf(char16_t u)
{
    if (u < 0x1100)
        return 1;
    if (u >= 0xFF61 && u <= 0xFFDC)
        return 1; // half-width katakana and hangul
    if (u >= 0xDC00 && u <= 0xDFFF)
        return 0; // second half of a pair: the first half counted two
    return 2;
}

bool IsPrintableInput(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control && c != u'\t')
            return false;
    return true;
}

constexpr int kLineWidthForLayout = 1'000'000;

// Lines from this length on are laid out a chunk at a time (see LongLine): shaping and drawing
// a whole line of a minified page would cost every key stroke tens of milliseconds.
constexpr qsizetype kLongLineChars = 4096;

// Characters of a long line's text handed to an input method around the caret, each side.
constexpr qsizetype kSurroundingChars = 1024;

} // namespace

MainTextEdit::MainTextEdit(Document& document, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(document)
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

// ---- Caret and selection ----

void MainTextEdit::setSelection(qsizetype anchor, qsizetype caret)
{
    wantedX_ = -1;
    doc_.setSelection(anchor, caret);
    ensureCaretVisible();
    restartBlink();
}

void MainTextEdit::selectAll()
{
    setSelection(0, doc_.length());
}

void MainTextEdit::selectionChanged()
{
    restartBlink();
    viewport()->update();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, int(doc_.caret()));
        QAccessible::updateAccessibility(&moved);
    }
    Q_EMIT cursorPositionChanged();
}

void MainTextEdit::moveCaret(qsizetype pos, bool select, bool keepColumn)
{
    const int wanted = wantedX_;
    setSelection(select ? doc_.anchor() : pos, pos);
    if (keepColumn)
        wantedX_ = wanted;
}

qsizetype MainTextEdit::previousCharacter(qsizetype pos) const
{
    if (pos <= 0)
        return 0;
    const int line = doc_.lineOf(pos);
    const qsizetype start = doc_.lineStart(line);
    if (pos == start)
        return pos - 2; // over the CR LF before it
    if (isLongLine(line)) {
        LongLine& l = longLine(line);
        int k = l.chunkAt(pos - start);
        if (k > 0 && pos - start == l.chunkStart(k))
            --k;
        const qsizetype from = start + l.chunkStart(k);
        return from + chunkLayout(l, k)->previousCursorPosition(int(pos - from));
    }
    return start + layoutFor(line)->previousCursorPosition(int(pos - start));
}

qsizetype MainTextEdit::nextCharacter(qsizetype pos) const
{
    if (pos >= doc_.length())
        return doc_.length();
    const int line = doc_.lineOf(pos);
    const qsizetype start = doc_.lineStart(line);
    if (pos == doc_.lineEnd(line))
        return pos + 2;
    if (isLongLine(line)) {
        LongLine& l = longLine(line);
        const int k = l.chunkAt(pos - start);
        const qsizetype from = start + l.chunkStart(k);
        return from + chunkLayout(l, k)->nextCursorPosition(int(pos - from));
    }
    return start + layoutFor(line)->nextCursorPosition(int(pos - start));
}

qsizetype MainTextEdit::previousWord(qsizetype pos) const
{
    const int line = doc_.lineOf(pos);
    const qsizetype start = doc_.lineStart(line);
    if (pos <= start)
        return pos > 0 ? pos - 2 : 0;
    while (pos > start && CharClass(doc_.at(pos - 1)) == 0)
        --pos;
    if (pos > start) {
        const int cls = CharClass(doc_.at(pos - 1));
        while (pos > start && CharClass(doc_.at(pos - 1)) == cls)
            --pos;
    }
    return pos;
}

qsizetype MainTextEdit::nextWord(qsizetype pos) const
{
    const int line = doc_.lineOf(pos);
    const qsizetype end = doc_.lineEnd(line);
    if (pos >= end)
        return std::min(doc_.length(), pos + 2);
    const int cls = CharClass(doc_.at(pos));
    if (cls != 0)
        while (pos < end && CharClass(doc_.at(pos)) == cls)
            ++pos;
    while (pos < end && CharClass(doc_.at(pos)) == 0)
        ++pos;
    return pos;
}

void MainTextEdit::wordAt(qsizetype pos, qsizetype* from, qsizetype* to) const
{
    const int line = doc_.lineOf(pos);
    const qsizetype start = doc_.lineStart(line);
    const qsizetype end = doc_.lineEnd(line);
    *from = *to = pos;
    if (start == end)
        return;
    if (pos >= end)
        pos = end - 1;
    const int cls = CharClass(doc_.at(pos));
    qsizetype a = pos;
    qsizetype b = pos;
    while (a > start && CharClass(doc_.at(a - 1)) == cls)
        --a;
    while (b < end && CharClass(doc_.at(b)) == cls)
        ++b;
    *from = a;
    *to = b;
}

qsizetype MainTextEdit::verticalMove(int lines) const
{
    const int line = doc_.lineOf(doc_.caret());
    const int target = std::clamp(line + lines, 0, doc_.lineCount() - 1);
    const qsizetype start = doc_.lineStart(line);
    const int x = wantedX_ >= 0 ? wantedX_ : int(cursorX(line, doc_.caret() - start));
    if (target == line && lines != 0)
        return lines < 0 ? 0 : doc_.length();
    return doc_.lineStart(target) + columnAt(target, x);
}

// ---- Editing ----

void MainTextEdit::replace(qsizetype pos, qsizetype count, QStringView text)
{
    doc_.replace(pos, count, text);
}

void MainTextEdit::replaceEach(const std::vector<qsizetype>& places, QStringView found,
                               QStringView text)
{
    doc_.replaceEach(places, found, text);
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
        doc_.replaceAndPlaceCaret(caret, nextCharacter(caret) - caret, text, Document::Merge::Typing);
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
    if (QAccessible::isActive()) {
        // Readers are told where the text changed, never sent the whole page.
        QAccessibleTextUpdateEvent edited(this, int(change.pos), QString(),
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
    QGuiApplication::clipboard()->setText(text);
}

void MainTextEdit::paste()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        replaceSelection(repairExternalText(text));
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

// ---- View ----

int MainTextEdit::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

void MainTextEdit::setFirstVisibleLine(int line)
{
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(std::clamp(line, bar->minimum(), bar->maximum()));
}

int MainTextEdit::visibleLineCount() const
{
    const int height = viewport()->height() - margins_.top() - margins_.bottom();
    return std::max(1, height / std::max(1, lineHeight_));
}

int MainTextEdit::lineTop(int line) const
{
    return margins_.top() + (line - firstVisibleLine()) * lineHeight_;
}

int MainTextEdit::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

QPointF MainTextEdit::lineOrigin(int line) const
{
    return QPointF(margins_.left() - horizontalOffset(), lineTop(line));
}

QRect MainTextEdit::positionRect(qsizetype pos) const
{
    pos = doc_.snap(pos);
    const int line = doc_.lineOf(pos);
    const qreal x = cursorX(line, pos - doc_.lineStart(line));
    const QPointF origin = lineOrigin(line);
    const int width = overwrite_ ? halfWidth_ : 1;
    return QRect(int(origin.x() + x), int(origin.y()), width, lineHeight_);
}

qsizetype MainTextEdit::positionAt(const QPoint& point) const
{
    const int row = int(std::floor(double(point.y() - margins_.top()) / lineHeight_));
    const int line = std::clamp(firstVisibleLine() + row, 0, doc_.lineCount() - 1);
    const qreal x = point.x() - lineOrigin(line).x();
    return doc_.lineStart(line) + columnAt(line, x);
}

int MainTextEdit::contentWidth() const
{
    return std::max(maxColumns_ * halfWidth_, maxLineWidth_) + margins_.left() + 2 * halfWidth_;
}

void MainTextEdit::ensureCaretVisible()
{
    const int line = doc_.lineOf(doc_.caret());
    const int first = firstVisibleLine();
    const int visible = visibleLineCount();
    if (line < first)
        setFirstVisibleLine(line);
    else if (line >= first + visible)
        setFirstVisibleLine(line - visible + 1);

    const qreal x = cursorX(line, doc_.caret() - doc_.lineStart(line));
    if (int(x) + margins_.left() + 2 * halfWidth_ > contentWidth() - 2 * halfWidth_)
        updateScrollBars(); // the caret's line is wider than any seen so far
    QScrollBar* bar = horizontalScrollBar();
    const int left = horizontalOffset();
    const int room = viewport()->width() - margins_.left() - 2 * halfWidth_;
    if (x < left)
        bar->setValue(std::max(0, int(x) - room / 4));
    else if (room > 0 && x > left + room)
        bar->setValue(int(x) - room + room / 4);
}

void MainTextEdit::setFormattingMargins(const QMargins& margins)
{
    margins_ = margins;
    updateScrollBars();
    viewport()->update();
    Q_EMIT viewChanged();
}

QTextLayout* MainTextEdit::layoutFor(int line) const
{
    auto& slot = layouts_[line];
    if (!slot) {
        slot = std::make_unique<QTextLayout>(doc_.lineText(line), font());
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        option.setTabStopDistance(tabStop_);
        slot->setTextOption(option);
        slot->setCacheEnabled(true);
        slot->beginLayout();
        QTextLine textLine = slot->createLine();
        textLine.setLineWidth(kLineWidthForLayout);
        // Every line keeps the same baseline, whatever fallback font its characters need.
        textLine.setPosition(QPointF(0, ascent_ - textLine.ascent()));
        slot->endLayout();
        const int width = int(std::ceil(textLine.naturalTextWidth()));
        if (width > maxLineWidth_)
            const_cast<MainTextEdit*>(this)->maxLineWidth_ = width;
    }
    return slot.get();
}

void MainTextEdit::dropLayouts(int fromLine, bool shifted)
{
    if (!shifted) {
        layouts_.erase(fromLine);
        return;
    }
    std::erase_if(layouts_, [fromLine](const auto& entry) { return entry.first >= fromLine; });
}

std::unique_ptr<QTextLayout> MainTextEdit::preeditLayout(const QTextLayout& layout,
                                                        const QFont& font, int at) const
{
    // The text being composed is shown at the caret without entering the text.
    auto withPreedit = std::make_unique<QTextLayout>(layout.text(), font);
    withPreedit->setTextOption(layout.textOption());
    withPreedit->setPreeditArea(at, preedit_);
    QList<QTextLayout::FormatRange> formats;
    for (const auto& a : preeditAttributes_) {
        if (a.type != QInputMethodEvent::TextFormat)
            continue;
        const QTextCharFormat f = qvariant_cast<QTextFormat>(a.value).toCharFormat();
        if (f.isValid())
            formats.append({at + a.start, a.length, f});
    }
    withPreedit->setFormats(formats);
    withPreedit->beginLayout();
    QTextLine textLine = withPreedit->createLine();
    textLine.setLineWidth(kLineWidthForLayout);
    textLine.setPosition(QPointF(0, ascent_ - textLine.ascent()));
    withPreedit->endLayout();
    return withPreedit;
}

QList<QTextLayout::FormatRange> MainTextEdit::formatsFor(qsizetype start, qsizetype end,
                                                         const QTextCharFormat& selected) const
{
    QList<QTextLayout::FormatRange> ranges;
    for (const ColorRun& run : doc_.colorRuns()) {
        const qsizetype a = std::max(run.from, start);
        const qsizetype b = std::min(run.to, end);
        if (a < b) {
            QTextCharFormat f;
            f.setForeground(run.color);
            ranges.append({int(a - start), int(b - a), f});
        }
    }
    const qsizetype a = std::max(selectionStart(), start);
    const qsizetype b = std::min(selectionEnd(), end);
    if (a < b)
        ranges.append({int(a - start), int(b - a), selected});
    return ranges;
}

qreal MainTextEdit::cursorX(int line, qsizetype column) const
{
    if (!isLongLine(line))
        return layoutFor(line)->lineAt(0).cursorToX(int(column));
    LongLine& l = longLine(line);
    const int k = l.chunkAt(column);
    const int inChunk = int(column - l.chunkStart(k));
    return l.chunkX(k) / 64.0 + chunkLayout(l, k)->lineAt(0).cursorToX(inChunk);
}

qsizetype MainTextEdit::columnAt(int line, qreal x) const
{
    if (!isLongLine(line))
        return layoutFor(line)->lineAt(0).xToCursor(x, QTextLine::CursorBetweenCharacters);
    LongLine& l = longLine(line);
    const int k = l.chunkAtX(qint64(std::floor(x * 64)));
    const qreal inChunk = x - l.chunkX(k) / 64.0;
    return l.chunkStart(k) +
           chunkLayout(l, k)->lineAt(0).xToCursor(inChunk, QTextLine::CursorBetweenCharacters);
}

// ---- Long lines ----

bool MainTextEdit::isLongLine(int line) const
{
    return doc_.lineEnd(line) - doc_.lineStart(line) >= kLongLineChars;
}

LongLine& MainTextEdit::longLine(int line) const
{
    const qsizetype start = doc_.lineStart(line);
    const qsizetype length = doc_.lineEnd(line) - start;
    auto& slot = longLines_[line];
    if (!slot || slot->start() != start || slot->length() != length)
        slot = std::make_unique<LongLine>(start, length);
    if (slot->isDirty()) {
        slot->update(doc_.buffer(), advances_);
        const int width = int(std::ceil(slot->width() / 64.0));
        if (width > maxLineWidth_)
            const_cast<MainTextEdit*>(this)->maxLineWidth_ = width;
    }
    return *slot;
}

QTextLayout* MainTextEdit::chunkLayout(LongLine& l, int k) const
{
    const LongLine::Chunk& chunk = l.chunk(k);
    const qint64 tab = advances_.tabStop();
    const qint64 phase = chunk.hasTab ? l.chunkX(k) % tab : 0;
    if (QTextLayout* layout = l.layout(k, phase))
        return layout;
    auto layout = std::make_unique<QTextLayout>(
        doc_.mid(l.start() + l.chunkStart(k), chunk.length), advances_.font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStop_);
    if (chunk.hasTab) {
        // Tab stops are counted from the line's start, not from the chunk's.
        QList<qreal> stops;
        const qint64 width = l.chunkX(k + 1) - l.chunkX(k);
        for (qint64 stop = tab - phase; stop <= width + tab; stop += tab)
            stops.append(stop / 64.0);
        option.setTabArray(stops);
    }
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    QTextLine textLine = layout->createLine();
    textLine.setLineWidth(kLineWidthForLayout);
    textLine.setPosition(QPointF(0, ascent_ - textLine.ascent()));
    layout->endLayout();
    QTextLayout* result = layout.get();
    l.setLayout(k, std::move(layout), phase);
    return result;
}

void MainTextEdit::followLongLines(const TextChange& change)
{
    if (longLines_.empty())
        return;
    if (change.places) {
        std::erase_if(longLines_, [&](const auto& entry) { return entry.first >= change.line; });
        return;
    }
    const qsizetype delta = change.inserted - change.removed;
    if (change.linesInserted == 0 && change.linesRemoved == 0) {
        for (auto it = longLines_.begin(); it != longLines_.end();) {
            LongLine& l = *it->second;
            const qsizetype offset = change.pos - l.start();
            if (it->first > change.line) {
                l.moveStart(delta);
            } else if (it->first == change.line) {
                if (offset < 0 || offset + change.removed > l.length()) {
                    it = longLines_.erase(it); // out of step: measured afresh when needed
                    continue;
                }
                l.edit(offset, change.removed, change.inserted);
                longLinesEdited_ = true;
            }
            ++it;
        }
        return;
    }
    // Lines come or go: the lines the change joined or split are measured afresh, the lines
    // after them are renumbered.
    const int lastTouched = change.line + change.linesRemoved;
    std::unordered_map<int, std::unique_ptr<LongLine>> kept;
    for (auto& [line, l] : longLines_) {
        if (line < change.line) {
            kept.emplace(line, std::move(l));
        } else if (line > lastTouched) {
            l->moveStart(delta);
            kept.emplace(line + change.linesInserted - change.linesRemoved, std::move(l));
        }
    }
    longLines_ = std::move(kept);
}

void MainTextEdit::measureLongLines()
{
    if (!longLinesEdited_)
        return;
    longLinesEdited_ = false;
    for (auto it = longLines_.begin(); it != longLines_.end();) {
        if (!it->second->isDirty()) {
            ++it;
        } else if (!isLongLine(it->first)) {
            it = longLines_.erase(it);
        } else {
            longLine(it->first); // measures it and widens the scroll range
            ++it;
        }
    }
}

void MainTextEdit::paintLongLine(QPainter& painter, int line, const QRect& area,
                                 const QTextCharFormat& selected, bool showCaret)
{
    LongLine& l = longLine(line);
    const qsizetype start = l.start();
    const qsizetype end = start + l.length();
    const QList<QTextLayout::FormatRange> ranges = formatsFor(start, end, selected);
    const QPointF origin = lineOrigin(line);

    // The caret's chunk, shown with the text being composed if there is some; the chunks after
    // it move right by the composed text's width.
    const bool caretHere = doc_.lineOf(doc_.caret()) == line;
    const int caretChunk = caretHere ? l.chunkAt(doc_.caret() - start) : -1;
    std::unique_ptr<QTextLayout> withPreedit;
    int preeditAt = -1;
    qreal shift = 0;
    if (caretHere && !preedit_.isEmpty()) {
        QTextLayout* layout = chunkLayout(l, caretChunk);
        const int length = int(layout->text().size());
        preeditAt = int(doc_.caret() - start - l.chunkStart(caretChunk));
        withPreedit = preeditLayout(*layout, advances_.font(), preeditAt);
        shift = withPreedit->lineAt(0).cursorToX(length + int(preedit_.size())) -
                layout->lineAt(0).cursorToX(length);
    }

    const qreal left = area.left() - origin.x();
    const qreal right = area.right() + 1 - origin.x();
    int first = -1;
    int last = -1;
    for (int k = l.chunkAtX(qint64(std::floor((left - shift) * 64))); k < l.chunkCount(); ++k) {
        const qreal x = l.chunkX(k) / 64.0 + (caretChunk >= 0 && k > caretChunk ? shift : 0);
        if (x > right)
            break;
        const qreal xEnd =
            l.chunkX(k + 1) / 64.0 + (caretChunk >= 0 && k >= caretChunk ? shift : 0);
        if (xEnd < left)
            continue;
        if (first < 0)
            first = k;
        last = k;
        QTextLayout* layout =
            k == caretChunk && withPreedit ? withPreedit.get() : chunkLayout(l, k);
        const qsizetype from = l.chunkStart(k);
        const qsizetype to = from + l.chunk(k).length;
        QList<QTextLayout::FormatRange> inChunk;
        for (const auto& r : ranges) {
            const qsizetype a = std::max<qsizetype>(r.start, from);
            const qsizetype b = std::min<qsizetype>(r.start + r.length, to);
            if (a < b) {
                int at = int(a - from);
                if (k == caretChunk && preeditAt >= 0 && at >= preeditAt)
                    at += int(preedit_.size());
                inChunk.append({at, int(b - a), r.format});
            }
        }
        const QPointF chunkOrigin = origin + QPointF(x, 0);
        layout->draw(&painter, chunkOrigin, inChunk);
        if (k == caretChunk && showCaret) {
            int at = int(doc_.caret() - start - from);
            if (preeditAt >= 0)
                at += preeditCursor_;
            layout->drawCursor(&painter, chunkOrigin, at,
                               overwrite_ && preedit_.isEmpty() ? halfWidth_ : 1);
        }
    }
    if (selectionStart() < selectionEnd() && selectionStart() <= end && selectionEnd() > end &&
        line + 1 < doc_.lineCount()) {
        // The selected line break shows as a blank after the line.
        const qreal x = l.width() / 64.0 + shift;
        painter.fillRect(QRectF(origin.x() + x, origin.y(), halfWidth_, lineHeight_),
                         selected.background());
    }
    constexpr int kLayoutsKept = 16;
    if (first >= 0 && l.layoutCount() > kLayoutsKept)
        l.dropLayoutsOutside(first - 2, last + 2);
}

void MainTextEdit::updateFontMetrics()
{
    const QFontMetrics metrics(font());
    lineHeight_ = std::max(1, metrics.height());
    ascent_ = metrics.ascent();
    halfWidth_ = std::max(1, metrics.horizontalAdvance(u'0'));
    // Tab stops every 720 twips (half an inch), as the classic edit boxes had them.
    tabStop_ = 48.0 * logicalDpiX() / 96.0;
    layouts_.clear();
    longLines_.clear();
    advances_.reset(font(), tabStop_);
    maxLineWidth_ = 0;
}

void MainTextEdit::updateScrollBars()
{
    QScrollBar* v = verticalScrollBar();
    const int visible = visibleLineCount();
    v->setRange(0, std::max(0, doc_.lineCount() - visible));
    v->setPageStep(visible);
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width();
    h->setRange(0, std::max(0, contentWidth() - width));
    h->setPageStep(std::max(1, width));
    h->setSingleStep(halfWidth_);
    Q_EMIT viewChanged();
}

void MainTextEdit::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int first = firstVisibleLine();
    const int fromRow = std::max(0, (area.top() - margins_.top()) / lineHeight_);
    const int toRow = std::max(0, (area.bottom() - margins_.top()) / lineHeight_);
    const int lastLine = std::min(doc_.lineCount() - 1, first + toRow);
    const qsizetype selFrom = selectionStart();
    const qsizetype selTo = selectionEnd();
    const QPalette& pal = palette();
    const bool active = hasFocus();
    QTextCharFormat selected;
    selected.setBackground(pal.brush(active ? QPalette::Active : QPalette::Inactive,
                                     QPalette::Highlight));
    selected.setForeground(pal.brush(active ? QPalette::Active : QPalette::Inactive,
                                     QPalette::HighlightedText));
    const int caretLine = doc_.lineOf(doc_.caret());
    const int widthBefore = maxLineWidth_;

    painter.setClipRect(QRect(margins_.left(), margins_.top(),
                              viewport()->width() - margins_.left(),
                              viewport()->height() - margins_.top()));
    for (int line = first + fromRow; line <= lastLine; ++line) {
        if (isLongLine(line)) {
            paintLongLine(painter, line, area, selected, line == caretLine && active && caretOn_);
            continue;
        }
        const qsizetype start = doc_.lineStart(line);
        const qsizetype end = doc_.lineEnd(line);
        QTextLayout* layout = layoutFor(line);
        std::unique_ptr<QTextLayout> withPreedit;
        int preeditAt = -1;
        if (line == caretLine && !preedit_.isEmpty()) {
            preeditAt = int(doc_.caret() - start);
            withPreedit = preeditLayout(*layout, font(), preeditAt);
            layout = withPreedit.get();
        }

        QList<QTextLayout::FormatRange> ranges = formatsFor(start, end, selected);
        const QPointF origin = lineOrigin(line);
        if (selFrom < selTo && selFrom <= end && selTo > end && line + 1 < doc_.lineCount()) {
            // The selected line break shows as a blank after the line.
            const qreal x = layout->lineAt(0).naturalTextWidth();
            painter.fillRect(QRectF(origin.x() + x, origin.y(), halfWidth_, lineHeight_),
                             selected.background());
        }
        if (preeditAt >= 0)
            for (auto& r : ranges)
                if (r.start >= preeditAt)
                    r.start += int(preedit_.size());
        layout->draw(&painter, origin, ranges);
        if (line == caretLine && active && caretOn_) {
            int at = int(doc_.caret() - start);
            if (preeditAt >= 0)
                at += preeditCursor_;
            layout->drawCursor(&painter, origin, at, overwrite_ && preedit_.isEmpty() ? halfWidth_ : 1);
        }
    }
    if (layouts_.size() > size_t(4 * visibleLineCount() + 256)) {
        const int keepFrom = first - visibleLineCount();
        const int keepTo = first + 2 * visibleLineCount();
        std::erase_if(layouts_, [&](const auto& entry) {
            return entry.first < keepFrom || entry.first > keepTo;
        });
    }
    // Long lines out of view keep their measures, not their chunks' layouts.
    for (auto& [line, model] : longLines_)
        if (model->layoutCount() > 0 && (line < first || line > lastLine) && line != caretLine)
            model->dropLayoutsOutside(0, -1);
    if (maxLineWidth_ > widthBefore)
        QMetaObject::invokeMethod(this, [this] { updateScrollBars(); }, Qt::QueuedConnection);
}

void MainTextEdit::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void MainTextEdit::scrollContentsBy(int, int)
{
    viewport()->update();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
    Q_EMIT viewChanged();
}

void MainTextEdit::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateFontMetrics();
        updateScrollBars();
        viewport()->update();
    }
}

void MainTextEdit::restartBlink()
{
    caretOn_ = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        blinkTimer_.start(flash / 2, this);
    else
        blinkTimer_.stop();
    updateCaretArea();
}

void MainTextEdit::updateCaretArea()
{
    viewport()->update(caretRect().adjusted(-2, 0, halfWidth_ + 2, 0));
}

void MainTextEdit::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == blinkTimer_.timerId()) {
        caretOn_ = !caretOn_;
        updateCaretArea();
    } else if (event->timerId() == scrollTimer_.timerId()) {
        autoScroll();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void MainTextEdit::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void MainTextEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    blinkTimer_.stop();
    caretOn_ = false;
    viewport()->update();
}

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
            key == QKeySequence::Undo || key == QKeySequence::Redo ||
            key == QKeySequence::SelectAll || key == QKeySequence::Delete ||
            key == QKeySequence::DeleteStartOfWord || key == QKeySequence::DeleteEndOfWord ||
            key == QKeySequence::MoveToNextWord || key == QKeySequence::MoveToPreviousWord ||
            key == QKeySequence::SelectNextWord || key == QKeySequence::SelectPreviousWord ||
            key == QKeySequence::MoveToStartOfDocument || key == QKeySequence::MoveToEndOfDocument ||
            key == QKeySequence::SelectStartOfDocument || key == QKeySequence::SelectEndOfDocument;
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
    struct Move {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
    };
    const int line = doc_.lineOf(doc_.caret());
    const int page = visibleLineCount();
    auto target = [&](QKeySequence::StandardKey key) -> qsizetype {
        switch (key) {
        case QKeySequence::MoveToNextChar:
            return hasSelection() && !(e->modifiers() & Qt::ShiftModifier) ? selectionEnd()
                                                                           : nextCharacter(doc_.caret());
        case QKeySequence::MoveToPreviousChar:
            return hasSelection() && !(e->modifiers() & Qt::ShiftModifier)
                       ? selectionStart()
                       : previousCharacter(doc_.caret());
        case QKeySequence::MoveToNextWord: return nextWord(doc_.caret());
        case QKeySequence::MoveToPreviousWord: return previousWord(doc_.caret());
        case QKeySequence::MoveToStartOfLine:
        case QKeySequence::MoveToStartOfBlock: return doc_.lineStart(line);
        case QKeySequence::MoveToEndOfLine:
        case QKeySequence::MoveToEndOfBlock: return doc_.lineEnd(line);
        case QKeySequence::MoveToStartOfDocument: return 0;
        case QKeySequence::MoveToEndOfDocument: return doc_.length();
        default: return -1;
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
    } else if (e == QKeySequence::Redo) {
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
    case Qt::ImEnabled: return true;
    case Qt::ImHints: return int(Qt::ImhMultiLine);
    case Qt::ImFont: return font();
    case Qt::ImCursorRectangle:
        return QRect(caretRect().translated(viewport()->geometry().topLeft()));
    case Qt::ImCursorPosition: return int(doc_.caret() - start);
    case Qt::ImAnchorPosition: return int(std::clamp<qsizetype>(doc_.anchor() - start, 0, end - start));
    case Qt::ImSurroundingText: return doc_.mid(start, end - start);
    case Qt::ImCurrentSelection:
        return doc_.lineOf(doc_.anchor()) == line ? selectedText() : QString();
    case Qt::ImAbsolutePosition: return qlonglong(doc_.caret());
    case Qt::ImTextBeforeCursor: return doc_.mid(start, doc_.caret() - start);
    case Qt::ImTextAfterCursor: return doc_.mid(doc_.caret(), end - doc_.caret());
    default: return QAbstractScrollArea::inputMethodQuery(query);
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
        const qsizetype end = line + 1 < doc_.lineCount() ? doc_.lineStart(line + 1)
                                                             : doc_.length();
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
