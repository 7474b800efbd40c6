#pragma once

#include "editor/textbox.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QAction;
class QLabel;
class QMenu;

namespace tl {

struct AppState;
class FileCommands;
class MainTextEdit;

// The main window: the edit box MainText with its companion labels, and the menus.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Main window load: caption "Tagloom", input mode off, the adapter bound to MainText, the
    // recent-file menu filled.
    explicit frmMain(AppState& state, QWidget* parent = nullptr);
    ~frmMain() override;

    AppState& state() { return state_; }
    MainTextEdit* MainText() const { return mainText_; }
    cTextBox& TextBox() { return textBox_; }
    FileCommands& Files() { return *files_; }

    // The current document's name is the window caption.
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }

    // Shows or hides the edit box with its gutter, ruler, marker and line label.
    void ShowEditor(bool visible);
    // Empties the gutter and the caret marker.
    void ClearCompanions();

    QAction* RecentFileItem(int index) const { return recentItems_[size_t(index)]; }

    // Main window load, step e: opens the command-line file when it names an existing file.
    // The whole argument text is one path, taken as it stands.
    void OpenCommandLineFile(const QString& argumentText);
    // After start-up without a command-line file: the previous run's pages, offered in the file
    // list.
    void RestorePageList();
    // The file list dialog, modal.
    void ShowFileList();

    // The close request: true when the close was cancelled. The page list is written either way.
    bool QueryUnload();

Q_SIGNALS:
    // Emitted once the window has unloaded; the program ends then.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildFileMenu();
    // The Edit menu, the insert-command items, the key flags and the dialogs.
    void buildEditingMenus();

    AppState& state_;
    MainTextEdit* mainText_;
    QLabel* subText1_;
    QLabel* subText2_;
    QLabel* subText3_;
    QLabel* labLinNo_;
    cTextBox textBox_;
    std::unique_ptr<FileCommands> files_;
    std::array<QAction*, 11> recentItems_{};
    bool unloaded_ = false;
};

} // namespace tl
