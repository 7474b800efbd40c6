// The edit box: syntax colours, the highlighted pair of tags and the jump to a tag's partner.
#include "editbox/maintextedit.h"

#include "editbox/maintexthelpers.h"
#include "syntax/syntaxstates.h"

#include <QTextCharFormat>

#include <array>

namespace tl
{

using namespace maintext;

namespace
{

// The highlight of a matching pair is looked for this many lines around the caret, reading no
// more than this many characters, so that a caret in a start tag whose element is never closed
// (or is closed past a line of a million characters) costs a key stroke little. Ctrl+] looks
// through the whole page.
constexpr int kPairSearchLines = 2000;
constexpr qsizetype kPairSearchChars = 256 * 1024;

const QTextCharFormat& FormatOf(SyntaxKind kind)
{
    static const auto formats = [] {
        std::array<QTextCharFormat, size_t(SyntaxKind::VbComment) + 1> f;
        for (size_t k = 0; k < f.size(); ++k)
            f[k].setForeground(SyntaxColor(SyntaxKind(k)));
        return f;
    }();
    return formats[size_t(kind)];
}

} // namespace

void MainTextEdit::setSyntaxColoring(bool on)
{
    if (coloring_ == on)
        return;
    coloring_ = on;
    viewport()->update();
}

void MainTextEdit::colorLayout(QTextLayout* layout, int line, qsizetype from) const
{
    QList<QTextLayout::FormatRange> wanted;
    if (coloring_) {
        const qsizetype to = from + layout->text().size();
        runs_.clear();
        syntax_->runsIn(line, from, to, &runs_);
        for (const SyntaxRun& run : runs_) {
            const qsizetype a = std::max(run.from, from);
            const qsizetype b = std::min(run.to, to);
            if (a < b)
                wanted.append({int(a - from), int(b - a), FormatOf(run.kind)});
        }
    }
    if (layout->formats() == wanted)
        return;
    // The colours take part in the layout's items: it is laid out again with them (the same
    // positions, as colour changes no advance).
    layout->setFormats(wanted);
    layout->beginLayout();
    QTextLine textLine = layout->createLine();
    textLine.setLineWidth(kLineWidthForLayout);
    textLine.setPosition(QPointF(0, ascent_ - textLine.ascent()));
    layout->endLayout();
}

QColor MainTextEdit::shownColorAt(qsizetype pos, qsizetype* from, qsizetype* to) const
{
    pos = std::clamp<qsizetype>(pos, 0, doc_.length());
    const int line = doc_.lineOf(pos);
    const qsizetype start = doc_.lineStart(line);
    const qsizetype end = doc_.lineEnd(line);
    if (pos >= end) {
        // A line break, or the end of the text.
        *from = end;
        *to = line + 1 < doc_.lineCount() ? doc_.lineStart(line + 1) : doc_.length();
        return QColor(Qt::black);
    }
    QColor color(Qt::black);
    qsizetype a = start;
    qsizetype b = end;
    if (coloring_) {
        constexpr qsizetype kAhead = 4096;
        runs_.clear();
        syntax_->runsIn(line, pos - start, pos - start + kAhead, &runs_);
        for (const SyntaxRun& run : runs_) {
            const qsizetype runFrom = start + run.from;
            const qsizetype runTo = start + run.to;
            if (runTo <= pos) {
                a = std::max(a, runTo);
            } else if (runFrom > pos) {
                b = std::min(b, runFrom);
                break;
            } else {
                color = SyntaxColor(run.kind);
                a = runFrom;
                b = runTo;
                break;
            }
        }
    }
    // A stamp's colour is shown over everything else.
    for (const ColorRun& run : doc_.colorRuns()) {
        if (run.from <= pos && pos < run.to) {
            *from = std::max(run.from, start);
            *to = std::min(run.to, end);
            return run.color;
        }
        if (run.to <= pos)
            a = std::max(a, run.to);
        else if (run.from > pos)
            b = std::min(b, run.from);
    }
    *from = a;
    *to = b;
    return color;
}

std::optional<TagPair> MainTextEdit::matchingPair() const
{
    if (!pairKnown_) {
        pairKnown_ = true;
        pair_.reset();
        if (!hasSelection()) {
            DocumentLexedLines lines(doc_, *syntax_);
            pair_ = FindTagPair(lines, doc_.caret(), kPairSearchLines, kPairSearchChars);
        }
    }
    return pair_;
}

bool MainTextEdit::jumpToPartner()
{
    DocumentLexedLines lines(doc_, *syntax_);
    const std::optional<TagPair> pair = FindTagPair(lines, doc_.caret());
    if (!pair)
        return false;
    setCaret(PartnerJumpTarget(*pair, doc_.caret()));
    return true;
}

} // namespace tl
