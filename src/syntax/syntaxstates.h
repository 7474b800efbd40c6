#pragma once

#include "syntax/syntaxlexer.h"
#include "syntax/tagpairs.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace tl
{

class Document;
struct TextChange;

// The lexer's state at the start of each line of a document, computed when asked for and kept
// through edits, so that colouring a screen costs the lines on it.
//
// States are exact up to exactTo_. Beyond it the states computed before an edit are kept: when
// re-lexing after the edit meets a line whose state is the one kept, and no edited line lies
// between it and the next edit, the states up to that edit are exact again without lexing
// them. Typing `<!--` at the top of a page re-lexes only the lines drawn; deleting it again
// re-lexes them until the kept states are met. A line of thousands of characters keeps states
// inside it every few thousand characters too, so that a piece of it is coloured without
// lexing it from its start.
class SyntaxStates
{
public:
    // step: how far apart the states kept inside a long line are (a line from twice that long
    // keeps them); small in the fuzz target, so that a small page has long lines.
    explicit SyntaxStates(Document& document, qsizetype step = 4096) : doc_(document), step_(step)
    {
    }
    qsizetype step() const { return step_; }

    // The whole text was replaced.
    void reset();
    // One change of the text (Document::changed).
    void follow(const TextChange& change);

    // The lexer state at the start of line (0-based).
    LexState stateAt(int line);
    // Runs of the line that reach into [from, to) (offsets in the line), whole.
    void runsIn(int line, qsizetype from, qsizetype to, std::vector<SyntaxRun>* runs);
    // The points of the line at or before offset whose state is kept, in order: its start, and
    // in a long line one about every step() characters (lexed as far as offset when not yet).
    // Lexing from one with a stop at the next (lexPart) stops exactly there.
    std::vector<LexPoint> pointsUpTo(int line, qsizetype offset);
    // Lexes the line from `from` in state `in` to the first point between tokens at or after
    // stopAt (or its end); appends the marks, *stopped receives where it stopped.
    LexState lexPart(int line, qsizetype from, LexState in, qsizetype stopAt,
                     std::vector<LexMark>* marks, qsizetype* stopped);

    // Lines whose states are known exactly (for tests of the laziness).
    int exactLines() const { return exactTo_ + 1; }

private:
    // Lexes the line from its exact start state, from the kept point before `from` as far as
    // needed for [from, to), keeping points on the way. Returns the state reached.
    LexState lexLong(int line, qsizetype from, qsizetype to, std::vector<SyntaxRun>* runs);
    LexState endState(int line);
    // Adds [first, last] to dirty_, kept sorted and merged.
    void markDirty(int first, int last);

    Document& doc_;
    const qsizetype step_;
    std::vector<LexState> states_{LexState{}}; // [i]: start of line i, for i < size()
    int exactTo_ = 0;
    // Lines edited since the states after them were computed, or whose start state changed
    // when lexing stopped at them: sorted, disjoint [first, last].
    std::vector<std::pair<int, int>> dirty_;
    // A long line's states inside it, [0] at its start. The line's start and length, followed
    // through the changes, tell whether they still belong to the text.
    struct LineCheckpoints {
        qsizetype start = 0;
        qsizetype length = 0;
        std::vector<LexPoint> points;
    };
    std::unordered_map<int, LineCheckpoints> checkpoints_;
};

// A document as the pair matcher reads it: lexed from the states kept for it.
class DocumentLexedLines final : public LexedLines
{
public:
    DocumentLexedLines(Document& doc, SyntaxStates& syntax) : doc_(doc), syntax_(syntax) {}
    int lineCount() const override;
    qsizetype lineStart(int line) const override;
    qsizetype lineLength(int line) const override;
    int lineOf(qsizetype pos) const override;
    LexState stateAt(int line) override { return syntax_.stateAt(line); }
    qsizetype pieceLength() const override { return syntax_.step(); }
    std::vector<LexPoint> pointsUpTo(int line, qsizetype offset) override
    {
        return syntax_.pointsUpTo(line, offset);
    }
    LexState lexPart(int line, qsizetype from, LexState in, qsizetype stopAt,
                     std::vector<LexMark>* marks, qsizetype* stopped) override
    {
        return syntax_.lexPart(line, from, in, stopAt, marks, stopped);
    }
    QString mid(qsizetype pos, qsizetype length) const override;

private:
    Document& doc_;
    SyntaxStates& syntax_;
};

} // namespace tl
