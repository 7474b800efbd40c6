#pragma once

#include "syntax/syntaxlexer.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace tl
{

// A text as the pair matcher reads it: line by line, a piece at a time from points whose state
// is known, so that a tag near a line of a million characters costs a few pieces of it, not the
// whole line. Positions are 0-based and count a line break as CR LF.
class LexedLines
{
public:
    virtual ~LexedLines() = default;
    virtual int lineCount() const = 0;
    virtual qsizetype lineStart(int line) const = 0;
    // Without its line break.
    virtual qsizetype lineLength(int line) const = 0;
    virtual int lineOf(qsizetype pos) const = 0;
    // The lexer's state at the line's start.
    virtual LexState stateAt(int line) = 0;
    // The points of the line at or before offset where the state is kept, in order: the line's
    // start, and in a long line one every few thousand characters. Lexing from one to the next
    // (lexPart) stops exactly at the next.
    virtual std::vector<LexPoint> pointsUpTo(int line, qsizetype offset) = 0;
    // Lexes the line from `from` in state `in` (a kept point, or where the last piece stopped)
    // to the first point between tokens at or after stopAt, or to the line's end; appends the
    // marks (offsets in the line) and returns the state where it stopped, *stopped.
    virtual LexState lexPart(int line, qsizetype from, LexState in, qsizetype stopAt,
                             std::vector<LexMark>* marks, qsizetype* stopped) = 0;
    // The characters lexed at a time: as far apart as the kept points of a long line.
    virtual qsizetype pieceLength() const { return 4096; }
    // The characters [pos, pos + length).
    virtual QString mid(qsizetype pos, qsizetype length) const = 0;
};

// A whole text held as a string, with CR LF line breaks.
class StringLexedLines final : public LexedLines
{
public:
    explicit StringLexedLines(QStringView text);
    int lineCount() const override { return int(starts_.size()); }
    qsizetype lineStart(int line) const override { return starts_[size_t(line)]; }
    qsizetype lineLength(int line) const override
    {
        return ends_[size_t(line)] - starts_[size_t(line)];
    }
    int lineOf(qsizetype pos) const override;
    LexState stateAt(int line) override;
    std::vector<LexPoint> pointsUpTo(int line, qsizetype) override
    {
        return {LexPoint{0, stateAt(line)}};
    }
    LexState lexPart(int line, qsizetype from, LexState in, qsizetype stopAt,
                     std::vector<LexMark>* marks, qsizetype* stopped) override
    {
        return LexSpan(lineView(line), from, in, stopAt, nullptr, stopped, marks);
    }
    QString mid(qsizetype pos, qsizetype length) const override
    {
        return text_.mid(pos, length).toString();
    }

private:
    QStringView lineView(int line) const
    {
        return text_.mid(starts_[size_t(line)], ends_[size_t(line)] - starts_[size_t(line)]);
    }

    QStringView text_;
    std::vector<qsizetype> starts_;
    std::vector<qsizetype> ends_;
    std::vector<LexState> states_; // lexed up to states_.size() - 1
};

// A tag and its partner, or an ASP block's two delimiters: [from, to) each, the start tag (or
// "<%") first.
struct TagPair {
    qsizetype openFrom = 0;
    qsizetype openTo = 0;
    qsizetype closeFrom = 0;
    qsizetype closeTo = 0;
    bool operator==(const TagPair&) const = default;
};

// With the caret inside a start tag or an end tag (after its "<", up to just after its ">"),
// the tag and its partner: the next end tag of the same name after a start tag, the last start
// tag before an end tag, counting the tags of that name between (names without regard to case;
// tags in comments, ASP blocks and script text do not count). With the caret inside an ASP
// block, "<%" and "%>". None when the caret is in neither, for elements without an end tag (BR,
// IMG...), and when the partner is not found within maxLines lines of the caret or maxChars
// characters read (-1: the whole text).
std::optional<TagPair> FindTagPair(LexedLines& text, qsizetype caret, int maxLines = -1,
                                   qsizetype maxChars = -1);

inline std::optional<TagPair> FindTagPair(QStringView text, qsizetype caret)
{
    StringLexedLines lines(text);
    return FindTagPair(lines, caret);
}

// Where Ctrl+] takes the caret: after the end of the partner of the tag the caret is in (after
// "<%" from the end of an ASP block, after "%>" from elsewhere in it).
qsizetype PartnerJumpTarget(const TagPair& pair, qsizetype caret);

} // namespace tl
