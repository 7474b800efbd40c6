#pragma once

#include "core/dialogregistry.h"
#include "core/doctable.h"
#include "core/document.h"
#include "core/searchstate.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace tl
{

class Prompter;

// The texts registered for one letter key: eight texts and a cycling flag.
struct UserTextEntry {
    std::array<QString, 8> texts;
    int flag = 0;
};

// The range of the tag being re-edited: start is the 1-based position of its first character
// (0 = none), length its number of characters (0 = insert mode).
struct TagRange {
    qint64 start = 0;
    qint64 length = 0;
    bool operator==(const TagRange&) const = default;
};

// A marked line: its number (0 = free entry) and its text when it was marked.
struct StampEntry {
    qint64 line = 0;
    QString text;
};

// What start-up learnt of the page list file, for the write at exit.
struct PageListState {
    // The file holds what the table cannot give back (unreadable lines, or it could not be
    // read at all): it is not rewritten.
    bool keepFile = false;
    // Lines past the table's fifty pages, written back after them.
    QStringList leftOut;
};

// The program-wide state, owned by the application and handed by reference to the commands
// and dialogs that need it. Every test builds a fresh one.
struct AppState {
    explicit AppState(Prompter& prompter) : prompts(&prompter) {}

    // Where messages and file dialogs go.
    Prompter* prompts;

    std::array<UserTextEntry, 26> UserTextTable{};
    // Fifty rows of one space and CR LF, the caret-line marker's canvas.
    QString MarkerColumnText;
    // 1 = image fields are picked with the open-file dialog; other values = the image browser.
    int ImageSelectMode = 1;
    // The edit box colours tags, attributes, comments and ASP blocks; read once at start-up.
    bool SyntaxColoring = true;
    bool InputMode = false;
    // The input method's status (4 and above: a conversion mode). Qt cannot read it on this
    // platform, so by default there is none; tests put a fake here.
    std::function<int()> ImeStatus;
    // The input method's open status and its switch (SetImeOpen, SetImeClosed go through
    // these). QInputMethod can neither read nor set whether the input method is on under X11 or
    // Wayland, so by default there is no input method to switch; tests put fakes here.
    std::function<bool()> ImeIsOpen;
    std::function<void(bool open)> ImeSetOpen;
    // Shows a short report in the status bar (how many Replace All replaced); unset in tests
    // without a window.
    std::function<void(const QString& text)> ShowStatus;
    // Opens the window that searches every page of the session, searching for text at once;
    // unset without a main window.
    std::function<void(const QString& text, bool matchCase)> ShowPageSearch;

    // The session's pages and the current document.
    DocTable Docs{};
    PageListState PageList;
    // The current page: its file, how that file is encoded, and whether it held undecodable
    // bytes.
    Document Doc;

    std::array<StampEntry, 15> StampTable{};

    // The find dialog's texts and the find, definition and go-to commands' memory.
    SearchState Search;
    NavState Nav;

    // Set by the tag recognizer before it opens a dialog on an existing tag; cleared by every
    // toolbar click, by a dialog's result and by a cancelled dialog.
    TagRange EditTarget{};

    // Ctrl+Z, Ctrl+C, Ctrl+X, Ctrl+V as the edit box's key-down step last saw them: the edit
    // box performed that command itself, so the Edit menu's command skips once.
    bool UndoKeyHandled = false;
    bool CopyKeyHandled = false;
    bool CutKeyHandled = false;
    bool PasteKeyHandled = false;

    // The dialogs that insert commands and tag re-editing open, by name.
    DialogRegistry Dialogs;
};

} // namespace tl
