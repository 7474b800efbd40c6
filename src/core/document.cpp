#include "core/document.h"

#include <algorithm>

namespace tl
{

Document::Document(QObject* parent) : QObject(parent) {}

void Document::setText(QStringView text)
{
    const SelectionRange old = selection();
    buffer_.setText(text);
    anchor_ = caret_ = 0;
    colors_.clear();
    Q_EMIT textReset();
    Q_EMIT colorsChanged();
    if (old != selection())
        Q_EMIT selectionChanged(old.anchor, old.caret);
    Q_EMIT edited();
}

void Document::setSelection(qsizetype anchor, qsizetype caret)
{
    const SelectionRange old = selection();
    anchor_ = buffer_.snap(anchor);
    caret_ = buffer_.snap(caret);
    buffer_.breakMerge();
    if (old != selection())
        Q_EMIT selectionChanged(old.anchor, old.caret);
}

void Document::replace(qsizetype pos, qsizetype count, QStringView text, Merge merge,
                       const ByteVariants& variants)
{
    const TextChange change = buffer_.replace(pos, count, text, merge, selection(), variants);
    finishEdit({change}, {change.map(anchor_), change.map(caret_)});
}

void Document::replaceAndPlaceCaret(qsizetype pos, qsizetype count, QStringView text, Merge merge,
                                    const ByteVariants& variants)
{
    const TextChange change = buffer_.replace(pos, count, text, merge, selection(), variants);
    const qsizetype end = change.pos + change.inserted;
    finishEdit({change}, {end, end});
}

qsizetype Document::replaceEach(const std::vector<qsizetype>& places, QStringView found,
                                QStringView text)
{
    const TextChange change = buffer_.replaceEach(places, found, text, selection());
    if (!change.places)
        return 0;
    finishEdit({change}, {change.map(anchor_), change.map(caret_)});
    return qsizetype(change.places->size());
}

void Document::undo()
{
    SelectionRange before = selection();
    const std::vector<TextChange> changes = buffer_.undo(&before);
    if (!changes.empty())
        finishEdit(changes, before);
}

void Document::redo()
{
    qsizetype caret = caret_;
    const std::vector<TextChange> changes = buffer_.redo(&caret);
    if (!changes.empty())
        finishEdit(changes, {caret, caret});
}

void Document::setModified(bool modified)
{
    if (modified)
        buffer_.setModified();
    else
        buffer_.setUnmodified();
    Q_EMIT modifiedSet(modified);
}

void Document::finishEdit(const std::vector<TextChange>& changes, SelectionRange after)
{
    const SelectionRange old = selection();
    for (const TextChange& change : changes) {
        followColors(change);
        // The selection follows each change until the edit places it.
        anchor_ = change.map(anchor_);
        caret_ = change.map(caret_);
        Q_EMIT changed(change);
    }
    anchor_ = buffer_.snap(after.anchor);
    caret_ = buffer_.snap(after.caret);
    if (old != selection())
        Q_EMIT selectionChanged(old.anchor, old.caret);
    Q_EMIT edited();
}

void Document::followColors(const TextChange& change)
{
    if (colors_.empty())
        return;
    if (change.places) {
        for (ColorRun& run : colors_) {
            run.from = change.map(run.from);
            run.to = change.map(run.to);
        }
    } else {
        // A run that holds the edit takes the new text: an insertion at its end or inside it,
        // a replacement starting inside it.
        for (ColorRun& run : colors_) {
            const bool takes = change.removed == 0 ? run.from < change.pos && change.pos <= run.to
                                                   : run.from <= change.pos && change.pos < run.to;
            const qsizetype from = change.map(run.from);
            const qsizetype to = change.map(run.to);
            run.from = takes ? std::min(from, change.pos) : from;
            run.to = takes ? std::max(to, change.pos + change.inserted) : to;
        }
    }
    std::erase_if(colors_, [](const ColorRun& r) { return r.from >= r.to; });
    Q_EMIT colorsChanged();
}

void Document::setTextColor(qsizetype from, qsizetype to, const QColor& color)
{
    if (to < from)
        std::swap(from, to);
    from = std::clamp<qsizetype>(from, 0, length());
    to = std::clamp<qsizetype>(to, 0, length());
    std::vector<ColorRun> kept;
    for (const ColorRun& run : colors_) {
        if (run.to <= from || run.from >= to) {
            kept.push_back(run);
            continue;
        }
        if (run.from < from)
            kept.push_back({run.from, from, run.color});
        if (run.to > to)
            kept.push_back({to, run.to, run.color});
    }
    if (color != QColor(Qt::black) && from < to)
        kept.push_back({from, to, color});
    colors_ = std::move(kept);
    Q_EMIT colorsChanged();
}

QColor Document::textColorAt(qsizetype pos) const
{
    for (const ColorRun& run : colors_)
        if (pos >= run.from && pos < run.to)
            return run.color;
    return QColor(Qt::black);
}

void Document::clearTextColors()
{
    colors_.clear();
    Q_EMIT colorsChanged();
}

} // namespace tl
