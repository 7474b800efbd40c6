#pragma once

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tl
{

struct AppState;
class FileCommands;

// The file list: the session's pages by file name. Click selects, double click opens, Del
// removes a page; closing rebuilds the page table from the list.
class frmFileNames : public QDialog
{
    Q_OBJECT
public:
    // Modal over parent; pages are opened and closed through files.
    frmFileNames(AppState& state, FileCommands& files, QWidget* parent);

    QListWidget* names() const { return names_; }

    // The selected page: open it (the dialog stays).
    void OpenSelected();
    // CmdDelete / Del: remove the selected page after asking. Removing the open page closes it
    // first; cancelling the question about its changes keeps it open and listed.
    void DeleteSelected();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void fill();
    void rebuildTable();

    AppState& state_;
    FileCommands& files_;
    QListWidget* names_;   // FileList(0): file names
    QListWidget* folders_; // FileList(1): folder parts, hidden
    bool rebuilt_ = false;
};

} // namespace tl
