#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace tl
{

struct AppState;
class cTextBox;

// What the program adds to the edit box's own handling of keys, changes and clicks. One object
// per edit box, a child of it; it holds the line count seen after the last change.
class MainTextHandlers : public QObject
{
    Q_OBJECT
public:
    // updateInputModeIndicator redraws the main window's input-mode panel; reeditTagAt re-opens
    // the dialog of the tag at a position (tag re-editing lives above the editor).
    MainTextHandlers(AppState& state, cTextBox& box, std::function<void()> updateInputModeIndicator,
                     std::function<void(qint64 pos)> reeditTagAt, QObject* parent = nullptr);

    // Before the box handles a key: F4 re-edits the tag at the caret; F1, Alt and Ctrl+Enter
    // step the input mode; Home goes to the first non-blank character; Enter keeps the line's
    // indent and refuses to break a stamped line; Esc deletes the selection; Tab and Shift+Tab
    // indent and unindent the selected lines; then the Edit menu's key flags; in input mode the
    // letter keys insert the user's texts. Sets keyCode to 0 for a key the box must not handle.
    void KeyDown(int& keyCode, int shift);
    // After every change of the text: stamps move with their lines or go with them when they
    // are deleted. (The page's modified state is the document's own.)
    void Change();
    // A click that selected a line with its line break leaves the line break out.
    void Click();

private:
    void keyDown(int& keyCode, int shift);
    void homeToFirstNonBlank(qint64 caret, qint64 lineStart);
    bool enterKeepingIndent(qint64 caret, qint64 selLength, int line, qint64 lineStart);
    void indentSelection(bool unindent, qint64 caret);
    bool typeUserText(int key);
    void stepInputMode();

    AppState& state_;
    cTextBox& box_;
    std::function<void()> updateIndicator_;
    std::function<void(qint64)> reeditTagAt_;
    int lineCount_;
};

// Connects the handlers to the edit box behind box (which must have one).
MainTextHandlers* InstallMainTextHandlers(AppState& state, cTextBox& box,
                                          std::function<void()> updateInputModeIndicator,
                                          std::function<void(qint64 pos)> reeditTagAt = {});

// Replaces the selection by text (or inserts it at the caret) and selects what was inserted.
void InsertAndSelect(cTextBox& box, const QString& text);

// Switch the input method on or off, each only when it is not so already. Without an input
// method to switch (AppState::ImeSetOpen unset) they do nothing.
void SetImeOpen(AppState& state);
void SetImeClosed(AppState& state);

// Tab on a selection: a tab before every selected line.
QString IndentLines(const QString& selection);
// Shift+Tab on a selection: every selected line loses its first tab.
QString UnindentLines(const QString& selection);

// Same-line searches from the caret, in 1-based character positions. FindBackOnLine looks at
// the characters before the one just before the caret, backwards; 0 when it meets the start of
// the text or a line break first. FindForwardOnLine looks from the character after the caret
// on; at a line break or the end of the text it gives the position one past it, or the
// position right after the caret when that is where the line ends.
qint64 FindBackOnLine(const cTextBox& box, QChar needle);
qint64 FindForwardOnLine(const cTextBox& box, QChar needle);

} // namespace tl
