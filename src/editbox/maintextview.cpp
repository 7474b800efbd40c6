// The edit box: scrolling, layout of visible lines (long lines by the chunk), painting.
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
        slot = std::make_unique<QTextLayout>(ShownText(doc_.lineText(line)), font());
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
    // The line's colours stay, those after the caret moved past the text being composed.
    QList<QTextLayout::FormatRange> formats;
    const int shift = int(preedit_.size());
    for (QTextLayout::FormatRange r : layout.formats()) {
        if (r.start < at && r.start + r.length > at) {
            formats.append({r.start, at - r.start, r.format});
            r.length -= at - r.start;
            r.start = at;
        }
        if (r.start >= at)
            r.start += shift;
        formats.append(r);
    }
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
    if (const std::optional<TagPair> pair = matchingPair()) {
        // Under the stamps' colours and the selection, which are drawn after it.
        QTextCharFormat f;
        f.setBackground(QColor(0xFF, 0xE4, 0x9C));
        for (const auto& [from, to] :
             {std::pair(pair->openFrom, pair->openTo), std::pair(pair->closeFrom, pair->closeTo)}) {
            const qsizetype a = std::max(from, start);
            const qsizetype b = std::min(to, end);
            if (a < b)
                ranges.append({int(a - start), int(b - a), f});
        }
    }
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
        ShownText(doc_.mid(l.start() + l.chunkStart(k), chunk.length)), advances_.font());
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
        colorLayout(layout, line, l.chunkStart(caretChunk));
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
        const qsizetype from = l.chunkStart(k);
        QTextLayout* layout =
            k == caretChunk && withPreedit ? withPreedit.get() : chunkLayout(l, k);
        if (layout != withPreedit.get())
            colorLayout(layout, line, from);
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
    selected.setBackground(
        pal.brush(active ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
    selected.setForeground(
        pal.brush(active ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText));
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
        colorLayout(layout, line, 0);
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
            layout->drawCursor(&painter, origin, at,
                               overwrite_ && preedit_.isEmpty() ? halfWidth_ : 1);
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
        QMetaObject::invokeMethod(
            this, [this] { updateScrollBars(); }, Qt::QueuedConnection);
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

} // namespace tl
