#pragma once

#include <QString>
#include <array>

namespace tl {

class Prompter;

// The texts registered for one letter key: eight texts and a cycling flag.
struct UserTextEntry {
    std::array<QString, 8> texts;
    int flag = 0;
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
    bool DocModified = false;
    bool InputMode = false;
};

} // namespace tl
