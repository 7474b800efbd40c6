#pragma once

#include "search/sessionsearch.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace tl
{

struct AppState;
class cTextBox;
class FileCommands;
class PageMatchModel;

// The window "全ページから検索": a search text (Text1), case matching (chkCase), cmdFind, cmdStop,
// and the list of matches (ResultList), one row per match: page, line, the line's text.
// Activating a row (double click, Enter) opens its page through the ordinary open, which asks
// about unsaved changes, and selects the match. Modeless: it stays open beside the main window.
// The search runs on a worker thread; the rows and the status line (lblResult) grow every
// 50 ms while it runs. cmdStop or Esc stops it (Esc closes the window when nothing runs); a new
// search and closing the window stop it too.
class frmFindPages : public QDialog
{
    Q_OBJECT
public:
    frmFindPages(AppState& state, FileCommands& files, cTextBox& box, QWidget* parent);
    ~frmFindPages() override;

    // Fills the search text and searches at once when it is not empty.
    void Search(const QString& text, bool matchCase);
    // Starts the search for what the window shows, stopping one that runs.
    void cmdFind_Click();
    // Stops the running search: the rows and counts found so far stay.
    void cmdStop_Click();
    bool Searching() const { return run_ != nullptr; }
    // Where the pages not in the edit box are read from: ReadPageFile unless a test holds a
    // page back.
    void SetPageReader(PageReader reader) { reader_ = std::move(reader); }
    // Opens the page of result row and selects the match; false when the page was not opened
    // (the user cancelled the question about unsaved changes, or the file cannot be read).
    bool OpenMatch(int row);

    const PageSearchResult& Result() const { return result_; }
    QLineEdit* FindField() const { return findField_; }
    QCheckBox* MatchCaseBox() const { return matchCaseBox_; }
    QPushButton* FindButton() const { return findButton_; }
    QPushButton* StopButton() const { return stopButton_; }
    QTableView* ResultList() const { return list_; }
    QLabel* Summary() const { return summary_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Moves what the worker found since the last look into the list and the status line.
    void collect();
    void stopRun();

    AppState& state_;
    FileCommands& files_;
    cTextBox& box_;
    QLineEdit* findField_;
    QCheckBox* matchCaseBox_;
    QPushButton* findButton_;
    QPushButton* stopButton_;
    QLabel* summary_;
    QTableView* list_;
    PageMatchModel* model_;
    QTimer* collectTimer_;
    PageSearchResult result_;
    PageReader reader_;
    std::shared_ptr<PageSearchRun> run_; // the worker holds it too, so it may outlive the window
};

} // namespace tl
