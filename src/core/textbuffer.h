#pragma once

#include "core/gapvector.h"
#include "core/textencoding.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace tl
{

// Where the lines of a text start, kept up to date through edits at O(log n) per query. Entry i
// is the start of line i; one more entry holds the text's length. Edits shift every later start;
// the shift is recorded once (the "step") and applied to the entries lazily as queries and edits
// move through them, so typing on one line of a 400,000-line page does not touch the others.
class LineIndex
{
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

    // Where position p (before the change) stands after it: the one rule by which carets,
    // selections and colour runs follow an edit. A position before a replaced run, or at its
    // start, stays; one inside the run goes after its replacement; one at or after its end
    // moves with the text. A position where text was only inserted goes after the insertion.
    qsizetype map(qsizetype p) const;
};

// A selection as an undo step remembers it: where it was anchored and where the caret stood.
struct SelectionRange {
    qsizetype anchor = 0;
    qsizetype caret = 0;
    bool operator==(const SelectionRange&) const = default;
};

// The text and its kept forms at one moment, to be read on any thread while editing goes on:
// taking one copies nothing but the kept forms, and an edit after it copies only the pieces of
// the text it overwrites (GapCopy). text() copies out the rest.
struct TextSnapshot {
    std::shared_ptr<GapCopy<char16_t>> chars;
    ByteVariants forms;

    QString text() const;
};

// The text of a page with CR LF line breaks, as a gap buffer with a line index and an undo
// history. Positions count CR LF as two characters, the way the program counts them; a position
// never falls between CR and LF or between the halves of a surrogate pair (such positions are
// moved back to the pair's start), every CR is followed by LF, whatever line breaks the text
// handed in uses, and a lone half of a surrogate pair handed in becomes U+FFFD.
class TextBuffer
{
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
    QString lineText(int line) const
    {
        return mid(lineStart(line), lineEnd(line) - lineStart(line));
    }
    // [pos, pos + length) as one run of characters. Valid until the next edit, and until the
    // next view() whose range the gap splits: that call moves the gap, so take one view at a
    // time and copy what must outlive the next.
    QStringView view(qsizetype pos, qsizetype length);

    // Clamps pos to the text and moves it off the middle of a CR LF or surrogate pair.
    qsizetype snap(qsizetype pos) const;

    // Replaces [pos, pos + length) by text (line breaks made CR LF) and records it for undo,
    // with the selection as it was before (undo puts it back). Typing merges consecutive edits
    // of the same kind into one undo step: inserted characters, deleted ones, and overtyped
    // ones (a replacement typed right after the previous one).
    // variants: the kept forms of the new text, their positions relative to its start in its
    // CR LF form (a paste of text cut from a page); those not naming their character are left
    // out. Undo takes them away with the text and redo brings them back.
    enum class Merge { No, Typing };
    TextChange replace(qsizetype pos, qsizetype length, QStringView text, Merge merge = Merge::No,
                       SelectionRange before = {}, const ByteVariants& variants = {});
    // Replaces `found`, which stands at each of `places` (ascending, not overlapping), by text
    // (line breaks made CR LF) as one undo step, in one pass over the text. The undo history
    // keeps the places and the two texts only. Places that do not hold `found`, or that would
    // split a CR LF pair, are left alone.
    TextChange replaceEach(const std::vector<qsizetype>& places, QStringView found,
                           QStringView text, SelectionRange before = {});

    // Everything recorded between the outermost begin and end is one undo step.
    void beginUndoGroup();
    void endUndoGroup();
    // Ends a run of typing, so that the next typed character starts a new undo step.
    void breakMerge() { mergeOpen_ = false; }

    bool canUndo() const { return current_ > 0; }
    bool canRedo() const { return current_ < actions_.size(); }
    // Undo and redo of one step; the changes in the order they were applied. Undo gives back
    // the selection the step started from; redo puts the caret after the step's last edit.
    std::vector<TextChange> undo(SelectionRange* selection);
    std::vector<TextChange> redo(qsizetype* caret);
    void clearUndo();

    // Modified: the text differs from the last unmodified point (undo can return to it).
    bool isModified() const { return current_ != savePoint_; }
    void setUnmodified() { savePoint_ = current_; }
    // Modified until saved, even by undo (the file no longer matches any state in the history).
    void setModified() { savePoint_ = kNoSavePoint; }

    size_t memoryBytes() const { return chars_.capacityBytes(); }

    TextSnapshot snapshot() { return TextSnapshot{chars_.freeze(), forms_}; }

    // The characters kept in another form than the page's usual one (see ByteVariant),
    // ascending by position. They follow every edit: a removed character's form goes with it,
    // and undo brings it back. Edits touch them only while there are any.
    const ByteVariants& byteVariants() const { return forms_; }
    // Those in [from, to), their positions relative to from.
    ByteVariants byteVariantsIn(qsizetype from, qsizetype to) const { return formsIn(from, to); }
    // Replaces them; an entry that does not name the character at its position is left out.
    void setByteVariants(ByteVariants forms);

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
        // The selection before the step; undo restores the first action's of its group.
        SelectionRange before;
        std::shared_ptr<const EachEdit> each; // set for a replaceEach; the fields above unused
        // The kept forms of the removed characters (of the inserted ones for an insertion),
        // their positions relative to pos.
        ByteVariants forms;
    };

    TextChange apply(qsizetype pos, qsizetype length, QStringView crlfText);
    TextChange applyEach(std::shared_ptr<const std::vector<qsizetype>> places,
                         qsizetype removeLength, QStringView crlfText);
    // The places of an EachEdit as they stand after it.
    static std::shared_ptr<const std::vector<qsizetype>> placesAfter(const EachEdit& each);
    void record(Action&& action, Merge merge);
    // The kept forms in [from, to), relative to from.
    ByteVariants formsIn(qsizetype from, qsizetype to) const;
    // The same for the places of a replaceEach, relative to the first place.
    ByteVariants formsInPlaces(const std::vector<qsizetype>& places, qsizetype length) const;
    // Kept forms follow an edit: those in the removed text go, those after it move.
    void followVariants(qsizetype pos, qsizetype removed, qsizetype inserted);
    void followVariantsEach(const std::vector<qsizetype>& places, qsizetype removed,
                            qsizetype inserted);
    // Puts back forms that an undone removal took, relative to pos.
    void restoreVariants(qsizetype pos, const ByteVariants& relative);
    // Cheap checks of the structure after an edit at pos (test build only).
    void checkInvariants(qsizetype pos) const;

    GapVector<char16_t> chars_;
    LineIndex lines_;
    ByteVariants forms_;
    std::vector<Action> actions_;
    size_t current_ = 0; // actions [0, current_) are applied
    static constexpr size_t kNoSavePoint = size_t(-1);
    size_t savePoint_ = 0;
    quint64 nextGroup_ = 1;
    int groupDepth_ = 0;
    quint64 openGroup_ = 0;
    bool mergeOpen_ = false;
    // The last step was an overtyped character that the next one may join.
    bool overtypeOpen_ = false;
};

// Copies text with every line break made CR LF and every lone surrogate made U+FFFD.
QString ToCrLf(QStringView text);

} // namespace tl
