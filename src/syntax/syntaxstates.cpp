#include "syntax/syntaxstates.h"

#include "core/document.h"

#include <algorithm>

namespace tl
{

namespace
{

// The lexer decides a token by looking at most this far past its end (an entity's length), so
// a state inside a line stays right while no edit comes this close after it.
constexpr qsizetype kLookahead = 64;

} // namespace

void SyntaxStates::reset()
{
    states_.assign(1, LexState{});
    exactTo_ = 0;
    dirty_.clear();
    checkpoints_.clear();
}

void SyntaxStates::follow(const TextChange& change)
{
    const int e = change.line;
    const int removed = change.linesRemoved;
    const int inserted = change.linesInserted;
    exactTo_ = std::min(exactTo_, e);

    // The states of the lines the change removed go; the lines it inserted take the state of
    // the line it began in until they are lexed.
    const qsizetype size = qsizetype(states_.size());
    if (e + 1 < size) {
        if (e + 1 + removed > size) {
            states_.resize(size_t(e) + 1);
        } else {
            states_.erase(states_.begin() + e + 1, states_.begin() + e + 1 + removed);
            states_.insert(states_.begin() + e + 1, size_t(inserted), states_[size_t(e)]);
        }
    }

    auto map = [&](int x) { return x <= e ? x : (x <= e + removed ? e : x + inserted - removed); };
    for (auto& [first, last] : dirty_) {
        first = map(first);
        last = map(last);
    }
    markDirty(e, e + inserted);

    if (checkpoints_.empty())
        return;
    const qsizetype delta = change.inserted - change.removed;
    std::unordered_map<int, LineCheckpoints> kept;
    for (auto& [line, cp] : checkpoints_) {
        if (line < e) {
            kept.emplace(line, std::move(cp));
        } else if (line > e + removed) {
            cp.start += delta;
            kept.emplace(line + inserted - removed, std::move(cp));
        } else if (line == e && !change.places && removed == 0 && inserted == 0) {
            // An edit inside the line: its states before the edit stay.
            const qsizetype offset = change.pos - cp.start;
            cp.length += delta;
            const auto stale =
                std::find_if(cp.points.begin() + 1, cp.points.end(),
                             [&](const LexPoint& p) { return p.offset > offset - kLookahead; });
            cp.points.erase(stale, cp.points.end());
            kept.emplace(line, std::move(cp));
        }
    }
    checkpoints_ = std::move(kept);
}

void SyntaxStates::markDirty(int first, int last)
{
    dirty_.emplace_back(first, last);
    std::sort(dirty_.begin(), dirty_.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& range : dirty_) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    dirty_ = std::move(merged);
}

LexState SyntaxStates::stateAt(int line)
{
    line = std::clamp(line, 0, doc_.lineCount() - 1);
    bool newStart = false; // the last line lexed started in another state than the one kept
    while (exactTo_ < line) {
        const int j = exactTo_;
        const LexState next = endState(j);
        while (!dirty_.empty() && dirty_.front().second <= j)
            dirty_.erase(dirty_.begin());
        if (!dirty_.empty() && dirty_.front().first <= j)
            dirty_.front().first = j + 1;
        const int known = int(states_.size()) - 1;
        if (j + 1 <= known && states_[size_t(j) + 1] == next) {
            // The state kept from before is met again: it holds on up to the next edited line.
            const int until = dirty_.empty() ? known : std::min(known, dirty_.front().first);
            exactTo_ = std::max(j + 1, until);
            newStart = false;
        } else {
            newStart = j + 1 <= known;
            if (newStart)
                states_[size_t(j) + 1] = next;
            else
                states_.push_back(next);
            exactTo_ = j + 1;
        }
    }
    if (newStart && exactTo_ + 1 < int(states_.size())) {
        // The states kept after this line were lexed from its old start state: they hold only
        // once lexing on from here meets them again, as after an edit of this line. Without the
        // mark, a later edit above could meet its kept states and take those after it as right.
        markDirty(exactTo_, exactTo_);
    }
    return states_[size_t(line)];
}

LexState SyntaxStates::endState(int line)
{
    const qsizetype start = doc_.lineStart(line);
    const qsizetype length = doc_.lineEnd(line) - start;
    if (length >= 2 * step_)
        return lexLong(line, length, length, nullptr);
    return LexLine(doc_.view(start, length), states_[size_t(line)], nullptr);
}

LexState SyntaxStates::lexLong(int line, qsizetype from, qsizetype to, std::vector<SyntaxRun>* runs)
{
    const LexState start = states_[size_t(line)];
    const qsizetype lineStart = doc_.lineStart(line);
    const qsizetype length = doc_.lineEnd(line) - lineStart;
    LineCheckpoints& cp = checkpoints_[line];
    auto& points = cp.points;
    if (points.empty() || !(points.front().state == start) || cp.start != lineStart ||
        cp.length != length) {
        cp.start = lineStart;
        cp.length = length;
        points.assign(1, LexPoint{0, start});
    }
    const QStringView text = doc_.view(lineStart, length);
    const auto after = std::upper_bound(points.begin(), points.end(), from,
                                        [](qsizetype f, const auto& p) { return f < p.offset; });
    qsizetype pos = (after - 1)->offset;
    LexState state = (after - 1)->state;
    while (pos < length && pos < to) {
        qsizetype stopped = pos;
        state = LexSpan(text, pos, state, pos + step_, runs, &stopped);
        pos = stopped;
        if (pos < length && pos > points.back().offset)
            points.push_back({pos, state});
    }
    return state;
}

void SyntaxStates::runsIn(int line, qsizetype from, qsizetype to, std::vector<SyntaxRun>* runs)
{
    const LexState start = stateAt(line);
    const qsizetype lineStart = doc_.lineStart(line);
    const qsizetype length = doc_.lineEnd(line) - lineStart;
    if (length >= 2 * step_)
        lexLong(line, from, to, runs);
    else
        LexLine(doc_.view(lineStart, length), start, runs);
}

std::vector<LexPoint> SyntaxStates::pointsUpTo(int line, qsizetype offset)
{
    const LexState start = stateAt(line);
    const qsizetype length = doc_.lineEnd(line) - doc_.lineStart(line);
    if (length < 2 * step_)
        return {LexPoint{0, start}};
    lexLong(line, offset, offset, nullptr);
    const std::vector<LexPoint>& points = checkpoints_[line].points;
    const auto after =
        std::upper_bound(points.begin(), points.end(), offset,
                         [](qsizetype f, const LexPoint& p) { return f < p.offset; });
    return std::vector<LexPoint>(points.begin(), after);
}

LexState SyntaxStates::lexPart(int line, qsizetype from, LexState in, qsizetype stopAt,
                               std::vector<LexMark>* marks, qsizetype* stopped)
{
    const qsizetype lineStart = doc_.lineStart(line);
    return LexSpan(doc_.view(lineStart, doc_.lineEnd(line) - lineStart), from, in, stopAt, nullptr,
                   stopped, marks);
}

int DocumentLexedLines::lineCount() const
{
    return doc_.lineCount();
}

qsizetype DocumentLexedLines::lineStart(int line) const
{
    return doc_.lineStart(line);
}

qsizetype DocumentLexedLines::lineLength(int line) const
{
    return doc_.lineEnd(line) - doc_.lineStart(line);
}

int DocumentLexedLines::lineOf(qsizetype pos) const
{
    return doc_.lineOf(pos);
}

QString DocumentLexedLines::mid(qsizetype pos, qsizetype length) const
{
    return doc_.mid(pos, length);
}

} // namespace tl
