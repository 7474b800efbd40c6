#pragma once

#include "editbox/textbox.h"
#include "files/documentwindow.h"
#include "files/filecommands.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>

class QAction;
class QDialog;
class QKeySequence;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;

namespace tl
{

struct AppState;
class DiskChangeBar;
class FileCommands;
class JournalKeeper;
class MainTextEdit;
class RowsLabel;
class RulerLabel;
struct ToolbarButton;

// The main window: four toolbars, the edit box MainText with its line-number gutter, caret
// marker, column ruler and line label, the menus, and the status bar. These follow the page, the
// caret, the view and the input mode through their signals; no timer polls them.
class frmMain : public QMainWindow, public DocumentWindow
{
    Q_OBJECT
public:
    // Main window load: caption "Tagloom", input mode off, the adapter bound to MainText, the
    // recent-file menu filled.
    explicit frmMain(AppState& state, QWidget* parent = nullptr);
    ~frmMain() override;

    AppState& state() { return state_; }
    MainTextEdit* MainText() const { return mainText_; }
    cTextBox& TextBox() { return textBox_; }
    FileCommands& Files() override { return *files_; }
    // The current page's recovery journal.
    JournalKeeper& Journal() { return *journal_; }

    // The current document's name is the window caption.
    // The title bar adds the unsaved-changes mark ("*"); the caption never holds it.
    QString Caption() const override { return caption_; }
    void SetCaption(const QString& caption) override;

    // Shows or hides the edit box with its gutter, ruler, marker and line label.
    void ShowEditor(bool visible) override;
    bool EditorShown() const override;
    QString EditorText() const override;
    void ResetEditor(const QString& text) override;
    void FocusEditor() override;
    void MarkEditorUnmodified() override;
    // Empties the gutter and the caret marker.
    void ClearCompanions();

    QAction* RecentFileItem(int index) const override { return recentItems_[size_t(index)]; }
    QToolBar* ToolbarAt(int index) const { return toolbars_[size_t(index)]; }
    RowsLabel* LineGutter() const { return gutter_; }
    RowsLabel* CaretMarker() const { return caretMarker_; }
    RulerLabel* ColumnRuler() const { return ruler_; }
    QLabel* LineLabel() const { return lineLabel_; }
    // The bar that tells of changes another program made to the page's file.
    DiskChangeBar* DiskBar() const { return diskBar_; }
    QLabel* StatusPanel(int index) const { return panels_[size_t(index - 1)]; }
    // Panel 4: the page's encoding and line ends; a click opens its menu.
    QToolButton* EncodingPanel() const { return encodingPanel_; }
    void UpdateEncodingPanel();

    // The companions and the status bar.
    void UpdateLineGutter(bool onlyIfChanged);
    void DrawColumnRuler();
    void UpdateStatusLine();
    void UpdateInputModeIndicator();
    // Brings the title's unsaved-changes mark, the gutter, the marker, the status panels and the
    // input-mode display up to date. Runs after each edit, caret move and page change.
    void UpdateCompanions();
    // Flips toolbar 0-3 and its Options menu check mark, then lays the window out again.
    void ToggleToolbar(int index);
    // Places the edit box and its companions by the toolbars shown and the client size.
    void ApplyLayout();

    // Menu commands of the window itself.
    void InsertChosenFilePath();
    void InsertImageReference();
    void ShowAbout();
    // A toolbar button's click: clears the edit target, then runs the button's command when
    // its toolbar may act without a document or a document is open.
    void RunToolbarButton(const ToolbarButton& button);
    // Enables each command that can act now: its dialog or routine is registered, and it has a
    // page to act on (or, as the file and page buttons, needs none).
    void UpdateCommandStates();

    // At load: opens the command-line file when it names an existing file (a pipe, a folder
    // or a device is refused, and the user told why), or an empty page under its name when
    // nothing by that name exists. The whole argument text is one path.
    // preloaded: the file as start-up already read it.
    void OpenCommandLineFile(const QString& argumentText,
                             std::optional<LoadedPage> preloaded = std::nullopt);
    // At start-up: the previous run's pages, joined by those already open (the command line's
    // page). showList (a start without a command-line file): offered in the file list.
    void RestorePageList(bool showList = true);
    // The file list dialog, modal.
    void ShowFileList();
    // The window that searches every page of the session (Ctrl+Shift+F), searching for text at
    // once when it is not empty.
    void ShowPageSearch(const QString& text, bool matchCase);
    // The window searching every page, once opened.
    QDialog* PageSearch() const;

    // The close request: true when the close was cancelled. The page list is written either way.
    bool QueryUnload();

Q_SIGNALS:
    // Emitted once the window has unloaded; the program ends then.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildEditArea();
    void connectFileCommands();
    void addPageSearchKey();
    void followDocument();
    void buildMenus();
    void buildFileMenu(QMenu* file);
    void buildToolbars();
    void buildStatusBar();
    void buildEncodingMenu();
    void syncToolbarChecks();
    void hideDiskBar();
    // UpdateCompanions once the current event is handled.
    void scheduleUpdate();
    // A menu item that opens what is registered under registryName, disabled until it is.
    QAction* addRegisteredItem(QMenu* menu, const char* name, const QString& caption,
                               const QString& registryName, const QKeySequence& shortcut = {});

    AppState& state_;
    MainTextEdit* mainText_;
    RowsLabel* gutter_;
    RulerLabel* ruler_;
    RowsLabel* caretMarker_;
    QLabel* lineLabel_;
    QWidget* central_;
    DiskChangeBar* diskBar_;
    std::array<QToolBar*, 4> toolbars_{};
    std::array<QAction*, 4> toolbarItems_{};
    std::array<QLabel*, 3> panels_{};
    QToolButton* encodingPanel_ = nullptr;
    bool mixedLineEnds_ = false; // what panel 4 last said
    cTextBox textBox_;
    std::unique_ptr<FileCommands> files_;
    // After files_: it goes first, while the file commands it watches still exist.
    std::unique_ptr<JournalKeeper> journal_;
    std::array<QAction*, 11> recentItems_{};
    QString caption_;
    // Toolbar buttons and menu items that act only once their registry name is registered.
    QHash<QAction*, QString> needsRegistered_;
    // Toolbar buttons that act only on an open page.
    QList<QAction*> needsPage_;
    bool unloaded_ = false;
    bool updatePending_ = false;
    // UpdateLineGutter's remembered caret line, first visible line and line count.
    int lastCaretLine_ = 0;
    int lastTopLine_ = 0;
    int lastTotalLine_ = 0;
    // Digits the gutter is laid out for (four, or more on a page of 10,000 lines and more).
    int gutterDigits_ = 4;
};

} // namespace tl
