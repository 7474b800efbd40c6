#include "editing/navigation.h"

#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "platform/errors.h"

#include <algorithm>

namespace tl
{

namespace
{

const QColor kStampColor(0, 0, 255);

// One go-to command: target is where it goes, targetLine the line it lands on.
void GoTo(cTextBox& box, bool& active, qint64& backLine, qint64 currentLine, qint64 target,
          qint64 targetLine)
{
    if (targetLine != currentLine)
        active = false;
    if (active) {
        box.SetSelStart(LineStartPos(box, int(backLine)));
    } else {
        backLine = currentLine;
        box.SetSelStart(target);
    }
    box.SetFocus();
    active = !active;
}

} // namespace

void GoToTop(AppState& state, cTextBox& box, qint64 currentLine)
{
    TrapErrors(*state.prompts, [&] {
        NavState& nav = state.Nav;
        GoTo(box, nav.TopActive, nav.TopBackLine, currentLine, 0, 1);
    });
}

void GoToMiddle(AppState& state, cTextBox& box, qint64 currentLine)
{
    TrapErrors(*state.prompts, [&] {
        NavState& nav = state.Nav;
        const qint64 middle = box.TextLength() / 2;
        GoTo(box, nav.MidActive, nav.MidBackLine, currentLine, middle, LineNumberAt(box, middle));
    });
}

void GoToEnd(AppState& state, cTextBox& box, qint64 currentLine)
{
    TrapErrors(*state.prompts, [&] {
        NavState& nav = state.Nav;
        const qint64 end = box.TextLength();
        GoTo(box, nav.EndActive, nav.EndBackLine, currentLine, end, LineNumberAt(box, end));
    });
}

LineBounds GetLineBounds(const cTextBox& box, qint64 caret)
{
    const qint64 length = box.TextLength();
    if (length == 0)
        return {};
    const int line = LineNumberAt(box, caret);
    const qint64 start = LineStartPos(box, line);
    // The next line's start less its LF, or the end of the text on the last line.
    const qint64 next = LineStartPos(box, line + 1);
    const qint64 end = line < box.TotalLine() - 1 ? next - 1 : length;
    return {start, end};
}

bool ToggleStampLine(cTextBox& box)
{
    MainTextEdit* edit = box.Target();
    if (!edit)
        return false;
    box.SetFocus();
    const qint64 caret = box.SelStart();
    const LineBounds line = GetLineBounds(box, caret);
    if (line.end == 0)
        return false;
    const bool stamp = edit->textColorAt(line.start) == QColor(Qt::black);
    edit->setTextColor(line.start, line.end, stamp ? kStampColor : QColor(Qt::black));
    box.SetSelStart(caret);
    return stamp;
}

void StampCurrentLine(AppState& state, cTextBox& box)
{
    TrapErrors(*state.prompts, [&] {
        if (!box.Visible())
            return;
        auto& stamps = state.StampTable;
        const auto isFree = [](const StampEntry& e) { return e.line == 0; };
        const auto freeEntry = std::find_if(stamps.begin(), stamps.end(), isFree);
        if (freeEntry == stamps.end())
            return;
        const qint64 line = box.LineFromChar();
        if (ToggleStampLine(box)) {
            *freeEntry = StampEntry{line, box.GetLineText()};
            return;
        }
        const auto stamped = std::find_if(stamps.begin(), stamps.end(),
                                          [line](const StampEntry& e) { return e.line == line; });
        if (stamped != stamps.end())
            *stamped = StampEntry{};
    });
}

void ShowStampList(AppState& state, cTextBox& box, QWidget* parent)
{
    state.Dialogs.Open(QStringLiteral("frmJump"), DialogRequest{state, box, parent, {}});
}

} // namespace tl
