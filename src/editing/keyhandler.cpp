#include "editing/keyhandler.h"

#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/editcommands.h"
#include "editing/insertion.h"
#include "platform/errors.h"
#include "platform/keycodes.h"

#include <algorithm>

namespace tl
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

bool IsBlank(QChar c)
{
    return c == u'\t' || c == u' ' || c == QChar(0x3000);
}

// The characters [from, to) of the box without copying them; clamped to the text.
QStringView Chars(const cTextBox& box, qint64 from, qint64 to)
{
    MainTextEdit* edit = box.Target();
    if (!edit)
        return {};
    from = std::clamp<qint64>(from, 0, edit->length());
    to = std::clamp<qint64>(to, from, edit->length());
    return edit->view(from, to - from);
}

} // namespace

MainTextHandlers::MainTextHandlers(AppState& state, cTextBox& box,
                                   std::function<void()> updateInputModeIndicator,
                                   std::function<void(qint64 pos)> reeditTagAt, QObject* parent)
    : QObject(parent), state_(state), box_(box),
      updateIndicator_(std::move(updateInputModeIndicator)), reeditTagAt_(std::move(reeditTagAt)),
      lineCount_(box.TotalLine())
{
    // The count the first change compares with is the box's as the handlers meet it; counting
    // from 0 would move every stamp by the whole text's lines on that change.
}

MainTextHandlers* InstallMainTextHandlers(AppState& state, cTextBox& box,
                                          std::function<void()> updateInputModeIndicator,
                                          std::function<void(qint64 pos)> reeditTagAt)
{
    MainTextEdit* edit = box.Target();
    auto* handlers = new MainTextHandlers(state, box, std::move(updateInputModeIndicator),
                                          std::move(reeditTagAt), edit);
    QObject::connect(edit, &MainTextEdit::KeyDown, handlers, &MainTextHandlers::KeyDown);
    QObject::connect(edit, &MainTextEdit::Change, handlers, &MainTextHandlers::Change);
    QObject::connect(edit, &MainTextEdit::Click, handlers, &MainTextHandlers::Click);
    return handlers;
}

void MainTextHandlers::KeyDown(int& keyCode, int shift)
{
    TrapErrors(*state_.prompts, [&] { keyDown(keyCode, shift); });
}

void MainTextHandlers::keyDown(int& key, int shift)
{
    MainTextEdit* edit = box_.Target();
    if (!edit)
        return;

    // F4: re-edit the tag at the caret; the box still sees the key.
    if (key == vk::F4) {
        if (reeditTagAt_)
            reeditTagAt_(box_.SelStart());
        return;
    }
    // The input-mode keys.
    if (key == vk::F1 || key == vk::Menu || (key == vk::Return && shift == kCtrlMask)) {
        stepInputMode();
        key = 0;
        return;
    }

    const qint64 caret = box_.SelStart();
    const qint64 selLength = box_.SelLength();
    const int line = box_.LineFromChar();
    const qint64 lineStart = LineStartPos(box_, line);

    // Home alone (Ctrl+Home and Shift+Home keep their own meaning).
    if (key == vk::Home && shift == 0 && caret != lineStart) {
        homeToFirstNonBlank(caret, lineStart);
        key = 0;
        return;
    }
    if (key == vk::Return && enterKeepingIndent(caret, selLength, line, lineStart)) {
        key = 0;
        return;
    }
    // Esc deletes the selection.
    if (key == vk::Escape && selLength > 0) {
        box_.SetSelText(QString());
        key = 0;
        return;
    }
    // Tab and Shift+Tab on a selection indent and unindent its lines.
    if (key == vk::Tab && selLength > 0 && (shift == 0 || shift == kShiftMask)) {
        key = 0;
        indentSelection(shift == kShiftMask, caret);
        return;
    }

    // The Edit menu's key flags: the box handled Ctrl+Z/C/X/V itself.
    SetEditKeyFlags(state_, box_, key, shift);

    if (state_.InputMode && key >= vk::A && key <= vk::Z && !(shift >= 1 && shift <= 4) &&
        typeUserText(key))
        key = 0;
}

// Home goes to the first non-blank character when the caret stands after it; inside the leading
// blanks or on the first non-blank it stays.
void MainTextHandlers::homeToFirstNonBlank(qint64 caret, qint64 lineStart)
{
    const QStringView before = Chars(box_, lineStart, caret);
    qsizetype blanks = 0;
    while (blanks < before.size() && IsBlank(before[blanks]))
        ++blanks;
    box_.SetSelStart(lineStart + blanks);
}

// Enter keeps the indent and refuses to break a stamped line; on a selection it collapses the
// selection to its end, as a cursor-right stroke would. False: an ordinary line break (at the
// line start).
bool MainTextHandlers::enterKeepingIndent(qint64 caret, qint64 selLength, int line,
                                          qint64 lineStart)
{
    if (selLength > 0) {
        box_.SetSelStart(caret + selLength);
        return true;
    }
    if (caret == lineStart)
        return false;
    const bool stamped =
        std::any_of(state_.StampTable.begin(), state_.StampTable.end(),
                    [line](const StampEntry& e) { return e.line != 0 && e.line == line; });
    if (stamped) {
        state_.prompts->inform(QStringLiteral("スタンプ登録行の改行は行えません"),
                               QStringLiteral("Tagloom"));
        return true;
    }
    const QStringView before = Chars(box_, lineStart, caret);
    qsizetype blanks = 0;
    while (blanks < before.size() && IsBlank(before[blanks]))
        ++blanks;
    box_.SetSelText(kCrLf + before.left(blanks).toString());
    return true;
}

void MainTextHandlers::indentSelection(bool unindent, qint64 caret)
{
    const QString selected = box_.SelText();
    if (unindent && !selected.contains(u'\t'))
        return;
    const QString block = unindent ? UnindentLines(selected) : IndentLines(selected);
    box_.SetSelText(block);
    box_.SetSelStart(caret);
    box_.SetSelLength(block.size());
}

// In input mode a letter key inserts the next registered text of its letter; false when none
// is registered (the letter is typed).
bool MainTextHandlers::typeUserText(int key)
{
    UserTextEntry& entry = state_.UserTextTable[size_t(key - vk::A)];
    const int first = entry.flag < 1 || entry.flag > 7 ? 1 : entry.flag + 1;
    for (int step = 0; step < 8; ++step) {
        const int m = (first - 1 + step) % 8 + 1;
        const QString& text = entry.texts[size_t(m - 1)];
        if (text.isEmpty())
            continue;
        entry.flag = m;
        InsertAndSelect(box_, text);
        return true;
    }
    return false;
}

void MainTextHandlers::stepInputMode()
{
    const int ime = state_.ImeStatus ? state_.ImeStatus() : 0;
    if (!state_.InputMode && ime >= 4) {
        SetImeClosed(state_);
        state_.InputMode = true;
    } else if (!state_.InputMode && !state_.ImeSetOpen) {
        // No input method to switch on: the step goes straight to the program's input mode,
        // which could not be reached otherwise.
        state_.InputMode = true;
    } else if (!state_.InputMode) {
        SetImeOpen(state_);
        state_.InputMode = false;
    } else {
        state_.InputMode = false;
    }
    if (updateIndicator_)
        updateIndicator_();
}

void MainTextHandlers::Change()
{
    const int total = box_.TotalLine();
    if (total == lineCount_)
        return;
    const int caretLine = box_.LineFromChar();
    const int added = total - lineCount_;
    lineCount_ = total;
    // Lines [caretLine, caretLine - added - 1] are the ones removed when added < 0.
    const qint64 lastRemoved = qint64(caretLine) - added - 1;
    for (StampEntry& e : state_.StampTable) {
        if (e.line == 0)
            continue;
        if (e.line > lastRemoved)
            e.line += added;
        else if (e.line >= caretLine)
            e = StampEntry{};
    }
}

void MainTextHandlers::Click()
{
    const qint64 length = box_.SelLength();
    if (length < 2)
        return;
    const qint64 end = box_.SelStart() + length;
    if (Chars(box_, end - 2, end) == kCrLf)
        box_.SetSelLength(length - 1);
}

void InsertAndSelect(cTextBox& box, const QString& text)
{
    const qint64 start = box.SelStart();
    box.SetSelText(text);
    // The inserted length, which differs from the text's when a lone CR or LF became CR LF.
    const qint64 end = box.SelStart();
    box.SetSelStart(start);
    box.SetSelLength(end - start);
}

void SetImeOpen(AppState& state)
{
    if (!state.ImeSetOpen || (state.ImeIsOpen && state.ImeIsOpen()))
        return;
    state.ImeSetOpen(true);
}

void SetImeClosed(AppState& state)
{
    if (!state.ImeSetOpen || (state.ImeIsOpen && !state.ImeIsOpen()))
        return;
    state.ImeSetOpen(false);
}

QString IndentLines(const QString& selection)
{
    QString block = u'\t' + selection;
    const bool dropped = block.endsWith(kCrLf);
    if (dropped)
        block.chop(2);
    block.replace(kCrLf, QStringLiteral("\r\n\t"));
    if (dropped)
        block += kCrLf;
    return block;
}

QString UnindentLines(const QString& selection)
{
    QStringList lines = selection.split(kCrLf);
    for (QString& line : lines) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab >= 0)
            line.remove(tab, 1);
    }
    return lines.join(kCrLf);
}

qint64 FindBackOnLine(const cTextBox& box, QChar needle)
{
    const qint64 c = box.SelStart();
    if (c - 1 < 1)
        return 0;
    // Positions c - 1 down to 1 (1-based) are the characters c - 2 down to 0; the scan ends at
    // the first line break, which lies at most one character before the line's start.
    const qint64 lineStart = LineStartPos(box, LineNumberAt(box, c - 2));
    const qint64 from = std::max<qint64>(0, lineStart - 1);
    const QStringView chars = Chars(box, from, c - 1);
    for (qsizetype i = chars.size() - 1; i >= 0; --i) {
        const QChar ch = chars[i];
        if (ch == needle)
            return from + i + 1;
        if (ch == u'\r' || ch == u'\n')
            return 0;
    }
    return 0;
}

qint64 FindForwardOnLine(const cTextBox& box, QChar needle)
{
    const qint64 c = box.SelStart();
    // Characters c, c + 1, ... (positions c + 1, c + 2, ...) up to the CR that ends the line.
    const int line = LineNumberAt(box, c);
    const qint64 lineEnd =
        line < box.TotalLine() - 1 ? LineStartPos(box, line + 1) - 2 : box.TextLength();
    const QStringView chars = Chars(box, c, lineEnd + 1);
    for (qsizetype i = 0;; ++i) {
        const qint64 p = c + 1 + i;
        const bool end = i >= chars.size() || chars[i] == u'\r' || chars[i] == u'\n';
        if (i < chars.size() && chars[i] == needle)
            return p;
        if (end)
            return i == 0 ? p : p + 1;
    }
}

} // namespace tl
