#include "core/textbuffer.h"

#include <algorithm>

namespace tl
{

// ---- LineIndex ----

int LineIndex::lineOf(qsizetype pos) const
{
    int lo = 0;
    int hi = lineCount() - 1;
    if (hi <= 0 || pos <= 0)
        return 0;
    if (pos >= start(hi))
        return hi;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (start(mid) <= pos)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

void LineIndex::applyStepUpTo(int line)
{
    if (stepLength_ != 0)
        for (int i = stepLine_ + 1; i <= line; ++i)
            starts_.ref(i) += stepLength_;
    stepLine_ = line;
    if (stepLine_ >= int(starts_.size()) - 1) {
        stepLine_ = int(starts_.size()) - 1;
        stepLength_ = 0;
    }
}

void LineIndex::backStepTo(int line)
{
    if (stepLength_ != 0)
        for (int i = line + 1; i <= stepLine_; ++i)
            starts_.ref(i) -= stepLength_;
    stepLine_ = line;
}

void LineIndex::shiftAfter(int line, qsizetype delta)
{
    if (delta == 0)
        return;
    if (stepLength_ == 0) {
        stepLine_ = line;
        stepLength_ = delta;
    } else if (line >= stepLine_) {
        applyStepUpTo(line);
        stepLength_ += delta;
    } else if (line >= stepLine_ - int(starts_.size()) / 10) {
        backStepTo(line);
        stepLength_ += delta;
    } else {
        applyStepUpTo(int(starts_.size()) - 1);
        stepLine_ = line;
        stepLength_ = delta;
    }
}

void LineIndex::insertLine(int line, qsizetype pos)
{
    if (stepLine_ < line)
        applyStepUpTo(line);
    starts_.insertValue(line, pos);
    ++stepLine_;
}

void LineIndex::removeLine(int line)
{
    if (line > stepLine_)
        applyStepUpTo(line);
    --stepLine_;
    starts_.erase(line, 1);
}

void LineIndex::assign(std::vector<qsizetype>&& starts)
{
    const auto n = GapVector<qsizetype>::size_type(starts.size());
    starts_.adopt(std::move(starts), n);
    stepLine_ = 0;
    stepLength_ = 0;
}

// ---- TextChange ----

qsizetype TextChange::map(qsizetype p) const
{
    if (!places) {
        if (p < pos || (p == pos && removed > 0))
            return p;
        if (p < pos + removed)
            return pos + inserted;
        return p + inserted - removed;
    }
    const std::vector<qsizetype>& at = *places;
    const qsizetype delta = eachInserted - eachRemoved;
    // The first place whose run ends after p; those before it have all moved p.
    const auto it = std::upper_bound(at.begin(), at.end(), p - eachRemoved);
    const qsizetype before = qsizetype(it - at.begin());
    if (it != at.end() && *it < p)
        return *it + before * delta + eachInserted;
    return p + before * delta;
}

// ---- TextSnapshot ----

QString TextSnapshot::text() const
{
    if (!chars)
        return {};
    return QString(reinterpret_cast<const QChar*>(chars->data()), chars->size());
}

// ---- TextBuffer ----

namespace
{

// Line breaks of text made CR LF, written to out (which must have room for twice the text).
// A lone half of a surrogate pair becomes U+FFFD: the text never holds a character that no
// encoding can save. Returns the number of characters written and reports the line starts
// (relative to out).
template <class OnLine> qsizetype CopyCrLf(QStringView text, char16_t* out, OnLine onLine)
{
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    char16_t* o = out;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c == u'\r' || c == u'\n') {
            *o++ = u'\r';
            *o++ = u'\n';
            if (c == u'\r' && i + 1 < n && s[i + 1] == u'\n')
                ++i;
            onLine(qsizetype(o - out));
        } else if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
                *o++ = c;
                *o++ = s[++i];
            } else {
                *o++ = QChar::ReplacementCharacter;
            }
        } else {
            *o++ = c;
        }
    }
    return qsizetype(o - out);
}

qsizetype CrLfLength(QStringView text, qsizetype* breaks)
{
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    qsizetype length = 0;
    qsizetype count = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c == u'\r' || c == u'\n') {
            ++count;
            length += 2;
            if (c == u'\r' && i + 1 < n && s[i + 1] == u'\n')
                ++i;
        } else {
            ++length;
        }
    }
    *breaks = count;
    return length;
}

} // namespace

QString ToCrLf(QStringView text)
{
    qsizetype breaks = 0;
    const qsizetype length = CrLfLength(text, &breaks);
    QString out(length, Qt::Uninitialized);
    CopyCrLf(text, reinterpret_cast<char16_t*>(out.data()), [](qsizetype) {});
    return out;
}

TextBuffer::TextBuffer()
{
    lines_.assign({0, 0});
}

void TextBuffer::setText(QStringView text)
{
    qsizetype breaks = 0;
    const qsizetype length = CrLfLength(text, &breaks);
    // Built in place at its final size: a 20 MB page is copied once and never regrown.
    constexpr qsizetype kSlack = 4096;
    std::vector<char16_t> body;
    body.reserve(size_t(length + kSlack));
    body.resize(size_t(length + kSlack));
    std::vector<qsizetype> starts;
    starts.reserve(size_t(breaks + 2));
    starts.push_back(0);
    CopyCrLf(text, body.data(), [&](qsizetype lineStart) { starts.push_back(lineStart); });
    starts.push_back(length);
    chars_.adopt(std::move(body), length);
    lines_.assign(std::move(starts));
    forms_.clear();
    actions_.clear();
    actions_.shrink_to_fit();
    current_ = 0;
    savePoint_ = 0;
    groupDepth_ = 0;
    mergeOpen_ = false;
}

qsizetype TextBuffer::lineEnd(int line) const
{
    if (line + 1 >= lineCount())
        return length();
    return lineStart(line + 1) - 2;
}

QString TextBuffer::mid(qsizetype pos, qsizetype count) const
{
    const qsizetype from = std::clamp<qsizetype>(pos, 0, length());
    const qsizetype to = std::clamp<qsizetype>(pos + std::max<qsizetype>(count, 0), from, length());
    QString out(to - from, Qt::Uninitialized);
    chars_.copy(from, to - from, reinterpret_cast<char16_t*>(out.data()));
    return out;
}

QStringView TextBuffer::view(qsizetype pos, qsizetype count)
{
    const qsizetype from = std::clamp<qsizetype>(pos, 0, length());
    const qsizetype to = std::clamp<qsizetype>(pos + std::max<qsizetype>(count, 0), from, length());
    if (to == from)
        return {};
    return QStringView(chars_.contiguous(from, to - from), to - from);
}

qsizetype TextBuffer::snap(qsizetype pos) const
{
    pos = std::clamp<qsizetype>(pos, 0, length());
    if (pos > 0 && pos < length()) {
        const char16_t c = chars_.at(pos);
        const char16_t before = chars_.at(pos - 1);
        if ((c == u'\n' && before == u'\r') ||
            (QChar::isLowSurrogate(c) && QChar::isHighSurrogate(before)))
            --pos;
    }
    return pos;
}

TextChange TextBuffer::apply(qsizetype pos, qsizetype count, QStringView crlfText)
{
    TextChange change;
    change.pos = pos;
    change.removed = count;
    change.inserted = crlfText.size();
    change.line = lines_.lineOf(pos);
    if (!forms_.empty())
        followVariants(pos, count, crlfText.size());

    if (count > 0) {
        // Every removed CR starts a removed line break (a CR is always followed by its LF).
        int breaks = 0;
        const char16_t* removed = chars_.contiguous(pos, count);
        for (qsizetype i = 0; i < count; ++i)
            breaks += removed[i] == u'\r';
        chars_.erase(pos, count);
        for (int i = 0; i < breaks; ++i)
            lines_.removeLine(change.line + 1);
        lines_.shiftAfter(change.line, -count);
        change.linesRemoved = breaks;
    }
    if (!crlfText.isEmpty()) {
        const char16_t* s = crlfText.utf16();
        chars_.insert(pos, s, crlfText.size());
        lines_.shiftAfter(change.line, crlfText.size());
        int line = change.line;
        for (qsizetype i = 0; i < crlfText.size(); ++i)
            if (s[i] == u'\n')
                lines_.insertLine(++line, pos + i + 1);
        change.linesInserted = line - change.line;
    }
    return change;
}

void TextBuffer::record(Action&& action, Merge merge)
{
    if (current_ < actions_.size()) {
        actions_.erase(actions_.begin() + qsizetype(current_), actions_.end());
        if (savePoint_ > current_ && savePoint_ != kNoSavePoint)
            savePoint_ = kNoSavePoint;
    }
    action.typing = merge == Merge::Typing;
    if (groupDepth_ > 0) {
        action.group = openGroup_;
    } else if (action.typing && mergeOpen_ && current_ > 0 && savePoint_ != current_) {
        Action& last = actions_[current_ - 1];
        if (last.typing && last.insert == action.insert) {
            if (action.insert && last.pos + last.text.size() == action.pos) {
                last.text += action.text;
                return;
            }
            if (!action.insert && action.pos + action.text.size() == last.pos) { // Backspace
                for (ByteVariant& form : last.forms)
                    form.pos += action.text.size();
                last.forms.insert(last.forms.begin(), action.forms.begin(), action.forms.end());
                last.text.prepend(action.text);
                last.pos = action.pos;
                return;
            }
            if (!action.insert && action.pos == last.pos) { // Delete
                for (ByteVariant form : action.forms) {
                    form.pos += last.text.size();
                    last.forms.push_back(form);
                }
                last.text += action.text;
                return;
            }
        }
        action.group = nextGroup_++;
    } else {
        action.group = nextGroup_++;
    }
    mergeOpen_ = action.typing;
    actions_.push_back(std::move(action));
    current_ = actions_.size();
}

TextChange TextBuffer::replace(qsizetype pos, qsizetype count, QStringView text, Merge merge,
                               SelectionRange before, const ByteVariants& variants)
{
    const qsizetype from = snap(pos);
    const qsizetype to = std::max(from, snap(pos + std::max<qsizetype>(count, 0)));
    const QString crlf = ToCrLf(text);
    // The new text's kept forms, ascending, each naming the character it stands at.
    ByteVariants inserted;
    for (const ByteVariant& form : variants) {
        if (form.pos >= 0 && form.pos < crlf.size() && crlf[form.pos] == form.character &&
            (inserted.empty() || inserted.back().pos < form.pos))
            inserted.push_back(form);
    }
    if (to == from && crlf.isEmpty())
        return TextChange{from, 0, 0, lines_.lineOf(from), 0, 0, nullptr, 0, 0};
    // A replacement (typing over a selection, overtyping) is one step: its removal and its
    // text go together. Overtyping right after an overtyped character joins that step.
    const bool pair = to > from && !crlf.isEmpty();
    if (pair) {
        const bool joins = merge == Merge::Typing && groupDepth_ == 0 && mergeOpen_ &&
                           overtypeOpen_ && current_ > 0 && savePoint_ != current_ &&
                           actions_[current_ - 1].insert &&
                           actions_[current_ - 1].pos + actions_[current_ - 1].text.size() == from;
        const quint64 joined = joins ? actions_[current_ - 1].group : 0;
        beginUndoGroup();
        if (joins)
            openGroup_ = joined;
        record(
            Action{false, from, mid(from, to - from), 0, false, before, nullptr, formsIn(from, to)},
            Merge::No);
        record(Action{true, from, crlf, 0, false, before, nullptr, inserted}, Merge::No);
        endUndoGroup();
        mergeOpen_ = overtypeOpen_ = merge == Merge::Typing;
    } else {
        if (to > from)
            record(Action{false, from, mid(from, to - from), 0, false, before, nullptr,
                          formsIn(from, to)},
                   merge);
        else
            record(Action{true, from, crlf, 0, false, before, nullptr, inserted},
                   inserted.empty() ? merge : Merge::No);
        overtypeOpen_ = false;
    }
    // Applied after recording so that the removed text is read before it goes.
    const TextChange change = apply(from, to - from, crlf);
    restoreVariants(from, inserted);
    checkInvariants(from);
    return change;
}

void TextBuffer::checkInvariants([[maybe_unused]] qsizetype pos) const
{
#ifndef QT_NO_DEBUG
    Q_ASSERT(lines_.start(0) == 0);
    Q_ASSERT(lines_.start(lineCount()) == length());
    // The edges of the edit: no CR without its LF, no half of a surrogate pair.
    for (const qsizetype p : {pos - 1, pos}) {
        if (p < 0 || p >= length())
            continue;
        const char16_t c = chars_.at(p);
        Q_ASSERT(c != u'\r' || (p + 1 < length() && chars_.at(p + 1) == u'\n'));
        Q_ASSERT(c != u'\n' || (p > 0 && chars_.at(p - 1) == u'\r'));
        Q_ASSERT(!QChar::isHighSurrogate(c) ||
                 (p + 1 < length() && QChar::isLowSurrogate(chars_.at(p + 1))));
        Q_ASSERT(!QChar::isLowSurrogate(c) || (p > 0 && QChar::isHighSurrogate(chars_.at(p - 1))));
    }
    // Every kept form still names the character at its position.
    for (size_t i = 0; i < forms_.size(); ++i) {
        Q_ASSERT(forms_[i].pos >= 0 && forms_[i].pos < length());
        Q_ASSERT(chars_.at(forms_[i].pos) == forms_[i].character);
        Q_ASSERT(i == 0 || forms_[i - 1].pos < forms_[i].pos);
    }
#endif
}

TextChange TextBuffer::replaceEach(const std::vector<qsizetype>& places, QStringView found,
                                   QStringView text, SelectionRange before)
{
    const qsizetype n = length();
    const qsizetype r = found.size();
    auto kept = std::make_shared<std::vector<qsizetype>>();
    if (r > 0) {
        kept->reserve(places.size());
        auto splitsPair = [&](qsizetype p) { return p > 0 && p < n && snap(p) != p; };
        qsizetype end = 0;
        for (const qsizetype p : places) {
            if (p < end || p + r > n || splitsPair(p) || splitsPair(p + r))
                continue;
            qsizetype i = 0;
            while (i < r && chars_.at(p + i) == found[i].unicode())
                ++i;
            if (i < r)
                continue;
            kept->push_back(p);
            end = p + r;
        }
    }
    const QString crlf = ToCrLf(text);
    if (kept->empty() || (found == QStringView(crlf)))
        return TextChange{0, 0, 0, 0, 0, 0, nullptr, 0, 0};
    auto each = std::make_shared<EachEdit>(EachEdit{kept, found.toString(), crlf});
    Action action;
    action.pos = kept->front();
    action.each = each;
    action.before = before;
    action.forms = formsInPlaces(*kept, r);
    record(std::move(action), Merge::No);
    overtypeOpen_ = false;
    const TextChange change = applyEach(kept, r, crlf);
    checkInvariants(change.pos);
    return change;
}

std::shared_ptr<const std::vector<qsizetype>> TextBuffer::placesAfter(const EachEdit& each)
{
    const qsizetype delta = each.replacement.size() - each.found.size();
    auto after = std::make_shared<std::vector<qsizetype>>(*each.places);
    for (size_t i = 0; i < after->size(); ++i)
        (*after)[i] += qsizetype(i) * delta;
    return after;
}

TextChange TextBuffer::applyEach(std::shared_ptr<const std::vector<qsizetype>> places,
                                 qsizetype removeLength, QStringView crlfText)
{
    const std::vector<qsizetype>& at = *places;
    const qsizetype count = qsizetype(at.size());
    const qsizetype inserted = crlfText.size();
    const qsizetype delta = inserted - removeLength;
    const qsizetype n = length();
    const qsizetype newLength = n + count * delta;

    TextChange change;
    change.pos = at.front();
    change.removed = at.back() + removeLength - at.front();
    change.inserted = change.removed + count * delta;
    change.line = lines_.lineOf(at.front());
    change.eachRemoved = removeLength;
    change.eachInserted = inserted;
    if (!forms_.empty())
        followVariantsEach(at, removeLength, inserted);

    auto breaksIn = [](const char16_t* s, qsizetype size) {
        return int(std::count(s, s + size, u'\r'));
    };
    const int removedBreaks = breaksIn(chars_.contiguous(at.front(), removeLength), removeLength);
    const int insertedBreaks = breaksIn(crlfText.utf16(), inserted);

    // The new text, built in one pass with room to type at its end.
    constexpr qsizetype kSlack = 4096;
    std::vector<char16_t> body(size_t(newLength + kSlack));
    char16_t* out = body.data();
    qsizetype from = 0;
    for (const qsizetype p : at) {
        chars_.copy(from, p - from, out);
        out += p - from;
        std::copy_n(crlfText.utf16(), inserted, out);
        out += inserted;
        from = p + removeLength;
    }
    chars_.copy(from, n - from, out);

    std::vector<qsizetype> starts;
    if (removedBreaks == 0 && insertedBreaks == 0) {
        // No line break comes or goes: every line start moves by the places before it.
        starts.reserve(size_t(lineCount() + 1));
        size_t j = 0;
        for (int line = 0; line <= lineCount(); ++line) {
            const qsizetype s = lines_.start(line);
            while (j < at.size() && at[j] < s)
                ++j;
            starts.push_back(s + qsizetype(j) * delta);
        }
    } else {
        starts.push_back(0);
        for (qsizetype i = 0; i < newLength; ++i)
            if (body[size_t(i)] == u'\n')
                starts.push_back(i + 1);
        starts.push_back(newLength);
    }
    // The line counts are those of the whole span, so that whoever follows the change by its
    // lines (kept line states, layouts) takes every line from the first place to the last.
    const int lastLineBefore = lines_.lineOf(at.back() + removeLength);
    chars_.adopt(std::move(body), newLength);
    lines_.assign(std::move(starts));
    change.linesRemoved = lastLineBefore - change.line;
    change.linesInserted = lines_.lineOf(change.pos + change.inserted) - change.line;
    change.places = std::move(places);
    return change;
}

void TextBuffer::beginUndoGroup()
{
    if (groupDepth_++ == 0) {
        openGroup_ = nextGroup_++;
        mergeOpen_ = false;
    }
}

void TextBuffer::endUndoGroup()
{
    if (groupDepth_ > 0 && --groupDepth_ == 0)
        mergeOpen_ = false;
}

std::vector<TextChange> TextBuffer::undo(SelectionRange* selection)
{
    std::vector<TextChange> changes;
    mergeOpen_ = overtypeOpen_ = false;
    if (current_ == 0)
        return changes;
    const quint64 group = actions_[current_ - 1].group;
    while (current_ > 0 && actions_[current_ - 1].group == group) {
        const Action& a = actions_[--current_];
        if (a.each)
            changes.push_back(
                applyEach(placesAfter(*a.each), a.each->replacement.size(), a.each->found));
        else if (a.insert)
            changes.push_back(apply(a.pos, a.text.size(), {}));
        else
            changes.push_back(apply(a.pos, 0, a.text));
        if (!a.insert)
            restoreVariants(a.pos, a.forms);
        // The group's first action, undone last, holds the selection the step started from.
        *selection = a.before;
    }
    return changes;
}

std::vector<TextChange> TextBuffer::redo(qsizetype* caret)
{
    std::vector<TextChange> changes;
    mergeOpen_ = overtypeOpen_ = false;
    if (current_ >= actions_.size())
        return changes;
    const quint64 group = actions_[current_].group;
    while (current_ < actions_.size() && actions_[current_].group == group) {
        const Action& a = actions_[current_++];
        if (a.each) {
            changes.push_back(applyEach(a.each->places, a.each->found.size(), a.each->replacement));
            *caret = a.pos;
        } else if (a.insert) {
            changes.push_back(apply(a.pos, 0, a.text));
            restoreVariants(a.pos, a.forms);
            *caret = a.pos + a.text.size();
        } else {
            changes.push_back(apply(a.pos, a.text.size(), {}));
            *caret = a.pos;
        }
    }
    return changes;
}

void TextBuffer::setByteVariants(ByteVariants forms)
{
    std::stable_sort(forms.begin(), forms.end(),
                     [](const ByteVariant& a, const ByteVariant& b) { return a.pos < b.pos; });
    qsizetype last = -1; // of two at one place, the first is taken
    std::erase_if(forms, [&](const ByteVariant& form) {
        const bool keep =
            form.pos > last && form.pos < length() && chars_.at(form.pos) == form.character;
        if (keep)
            last = form.pos;
        return !keep;
    });
    forms_ = std::move(forms);
}

namespace
{

bool FormBefore(const ByteVariant& form, qsizetype pos)
{
    return form.pos < pos;
}

} // namespace

ByteVariants TextBuffer::formsIn(qsizetype from, qsizetype to) const
{
    ByteVariants in;
    if (forms_.empty())
        return in;
    for (auto it = std::lower_bound(forms_.begin(), forms_.end(), from, FormBefore);
         it != forms_.end() && it->pos < to; ++it)
        in.push_back({it->pos - from, it->character, it->bytes});
    return in;
}

ByteVariants TextBuffer::formsInPlaces(const std::vector<qsizetype>& places, qsizetype length) const
{
    ByteVariants in;
    for (const qsizetype p : places) {
        if (forms_.empty() || p >= forms_.back().pos + 1)
            break;
        for (ByteVariant form : formsIn(p, p + length)) {
            form.pos += p - places.front();
            in.push_back(form);
        }
    }
    return in;
}

void TextBuffer::followVariants(qsizetype pos, qsizetype removed, qsizetype inserted)
{
    const auto first = std::lower_bound(forms_.begin(), forms_.end(), pos, FormBefore);
    const auto last = std::lower_bound(first, forms_.end(), pos + removed, FormBefore);
    const auto kept = forms_.erase(first, last);
    for (auto it = kept; it != forms_.end(); ++it)
        it->pos += inserted - removed;
}

void TextBuffer::followVariantsEach(const std::vector<qsizetype>& places, qsizetype removed,
                                    qsizetype inserted)
{
    // Both lists ascend: one pass, each form moved by the places wholly before it.
    size_t next = 0;
    std::erase_if(forms_, [&](ByteVariant& form) {
        while (next < places.size() && places[next] + removed <= form.pos)
            ++next;
        if (next < places.size() && places[next] <= form.pos)
            return true; // inside a replaced place
        form.pos += qsizetype(next) * (inserted - removed);
        return false;
    });
}

void TextBuffer::restoreVariants(qsizetype pos, const ByteVariants& relative)
{
    if (relative.empty())
        return;
    ByteVariants back;
    back.reserve(relative.size());
    for (ByteVariant form : relative) {
        form.pos += pos;
        back.push_back(form);
    }
    ByteVariants merged;
    merged.reserve(forms_.size() + back.size());
    std::merge(forms_.begin(), forms_.end(), back.begin(), back.end(), std::back_inserter(merged),
               [](const ByteVariant& a, const ByteVariant& b) { return a.pos < b.pos; });
    forms_ = std::move(merged);
}

void TextBuffer::clearUndo()
{
    savePoint_ = isModified() ? kNoSavePoint : 0;
    actions_.clear();
    current_ = 0;
    mergeOpen_ = overtypeOpen_ = false;
}

} // namespace tl
