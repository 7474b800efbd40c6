#pragma once

#include "editor/gapvector.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace tl {

// Where the lines of a text start, kept up to date through edits at O(log n) per query. Entry i
// is the start of line i; one more entry holds the text's length. Edits shift every later start;
// the shift is recorded once (the "step") and applied to the entries lazily as queries and edits
// move through them, so typing on one line of a 400,000-line page does not touch the others.
class LineIndex {
public:
    int lineCount() const { return int(starts_.size()) - 1; }
    qsizetype start(int line) const
    {
        const qsizetype v = starts_.at(line);
        return line > stepLine_ ? v + stepLength_ : v;
    }
    // The line holding position pos (the last line whose start is <= pos).
    int lineOf(qsizetype pos) const;

    // Every line after `line` moves by delta characters.
    void shiftAfter(int line, qsizetype delta);
    // A new line `line` starting at pos; the lines from `line` on move down by one.
    void insertLine(int line, qsizetype pos);
    void removeLine(int line);
    // Replaces everything: starts[0] must be 0 and the last entry the text's length.
    void assign(std::vector<qsizetype>&& starts);

private:
    void applyStepUpTo(int line);
    void backStepTo(int line);

    GapVector<qsizetype> starts_;
    int stepLine_ = 0;
    qsizetype stepLength_ = 0;
};

// One change of the text, as the view needs it to follow: `removed` characters at pos were
// replaced by `inserted` ones; line `line` (the line holding pos) lost `linesRemoved` line
// breaks and gained `linesInserted`.
struct TextChange {
    qsizetype pos = 0;
    qsizetype removed = 0;
    qsizetype inserted = 0;
    int line = 0;
    int linesRemoved = 0;
    int linesInserted = 0;
    // A change made at many places at once (replace all): each of `places` (positions before
    // the change, ascending) lost eachRemoved characters and gained eachInserted. pos, removed
    // and inserted then describe the span from the first place to the end of the last, and
    // line and the line counts that span.
    std::shared_ptr<const std::vector<qsizetype>> places;
    qsizetype eachRemoved = 0;
    qsizetype eachInserted = 0;

    // Where position p (before the change) stands after it. A position inside a replaced run
    // goes after its replacement.
    qsizetype map(qsizetype p) const;
};

// The text of a page with CR LF line breaks, as a gap buffer with a line index and an undo
// history. Positions count CR LF as two characters, the way the program counts them; a position
// never falls between CR and LF or between the halves of a surrogate pair (such positions are
// moved back to the pair's start), every CR is followed by LF, whatever line breaks the text
// handed in uses, and a lone half of a surrogate pair handed in becomes U+FFFD.
class TextBuffer {
public:
    TextBuffer();

    // Replaces the whole text (CR LF, lone CR and lone LF all become CR LF). The undo history
    // starts afresh and the text counts as unmodified.
    void setText(QStringView text);

    qsizetype length() const { return chars_.size(); }
    int lineCount() const { return lines_.lineCount(); }
    qsizetype lineStart(int line) const { return lines_.start(line); }
    // Position of the line's CR, or the end of the text on the last line.
    qsizetype lineEnd(int line) const;
    int lineOf(qsizetype pos) const { return lines_.lineOf(pos); }

    QChar at(qsizetype pos) const { return QChar(chars_.at(pos)); }
    QString text() const { return mid(0, length()); }
    QString mid(qsizetype pos, qsizetype length) const;
    QString lineText(int line) const { return mid(lineStart(line), lineEnd(line) - lineStart(line)); }
    // [pos, pos + length) as one run of characters, valid until the next edit.
    QStringView view(qsizetype pos, qsizetype length);

    // Clamps pos to the text and moves it off the middle of a CR LF or surrogate pair.
    qsizetype snap(qsizetype pos) const;

    // Replaces [pos, pos + length) by text (line breaks made CR LF) and records it for undo.
    // Typing merges consecutive one-character edits of the same kind into one undo step.
    enum class Merge { No, Typing };
    TextChange replace(qsizetype pos, qsizetype length, QStringView text, Merge merge = Merge::No);
    // Replaces `found`, which stands at each of `places` (ascending, not overlapping), by text
    // (line breaks made CR LF) as one undo step, in one pass over the text. The undo history
    // keeps the places and the two texts only. Places that do not hold `found`, or that would
    // split a CR LF pair, are left alone.
    TextChange replaceEach(const std::vector<qsizetype>& places, QStringView found,
                           QStringView text);

    // Everything recorded between the outermost begin and end is one undo step.
    void beginUndoGroup();
    void endUndoGroup();
    // Ends a run of typing, so that the next typed character starts a new undo step.
    void breakMerge() { mergeOpen_ = false; }

    bool canUndo() const { return current_ > 0; }
    bool canRedo() const { return current_ < actions_.size(); }
    // Undo and redo of one step; the changes in the order they were applied, and where the
    // caret goes afterwards.
    std::vector<TextChange> undo(qsizetype* caret);
    std::vector<TextChange> redo(qsizetype* caret);
    void clearUndo();

    // Modified: the text differs from the last unmodified point (undo can return to it).
    bool isModified() const { return current_ != savePoint_; }
    void setUnmodified() { savePoint_ = current_; }

    size_t memoryBytes() const { return chars_.capacityBytes(); }

private:
    // The places of a replaceEach (before it) with the text found there and its replacement.
    struct EachEdit {
        std::shared_ptr<const std::vector<qsizetype>> places;
        QString found;
        QString replacement;
    };

    struct Action {
        bool insert = false;
        qsizetype pos = 0;
        QString text;
        quint64 group = 0;
        bool typing = false;
        std::shared_ptr<const EachEdit> each; // set for a replaceEach; the fields above unused
    };

    TextChange apply(qsizetype pos, qsizetype length, QStringView crlfText);
    TextChange applyEach(std::shared_ptr<const std::vector<qsizetype>> places,
                         qsizetype removeLength, QStringView crlfText);
    // The places of an EachEdit as they stand after it.
    static std::shared_ptr<const std::vector<qsizetype>> placesAfter(const EachEdit& each);
    void record(Action&& action, Merge merge);

    GapVector<char16_t> chars_;
    LineIndex lines_;
    std::vector<Action> actions_;
    size_t current_ = 0; // actions [0, current_) are applied
    static constexpr size_t kNoSavePoint = size_t(-1);
    size_t savePoint_ = 0;
    quint64 nextGroup_ = 1;
    int groupDepth_ = 0;
    quint64 openGroup_ = 0;
    bool mergeOpen_ = false;
};

// Copies text with every line break made CR LF and every lone surrogate made U+FFFD.
QString ToCrLf(QStringView text);

} // namespace tl
