#pragma once

#include "editor/textbox.h"

#include <QMainWindow>

class QAction;
class QMenu;

namespace tl {

struct AppState;
class MainTextEdit;

// The main window: the edit box MainText and, around it, the menus.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Main window load: caption "Tagloom", input mode off, the adapter bound to MainText.
    explicit frmMain(AppState& state, QWidget* parent = nullptr);
    ~frmMain() override;

    AppState& state() { return state_; }
    MainTextEdit* MainText() const { return mainText_; }
    cTextBox& TextBox() { return textBox_; }

    // Main window load, step e: opens the command-line file when it names an existing file.
    // The whole argument text is one path, taken as it stands.
    void OpenCommandLineFile(const QString& argumentText);

    // The close request: true when the close was cancelled.
    bool QueryUnload();

Q_SIGNALS:
    // Emitted once the window has unloaded; the program ends then.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();

    AppState& state_;
    MainTextEdit* mainText_;
    cTextBox textBox_;
    bool unloaded_ = false;
};

} // namespace tl
