#pragma once

#include "search/pagesearch.h"

#include <QDialog>
#include <QStringList>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tl
{

struct AppState;
class cTextBox;
class FileCommands;
class PageMatchModel;

// What a search across the session's pages found.
struct PageSearchResult {
    // The pages searched, in page-list order; PageMatch::page indexes this. The current page
    // comes first when it is not in the page list (an untitled page: an empty path).
    QStringList paths;
    std::vector<PageMatch> matches;
    // Pages whose files could not be read.
    QStringList unreadable;
};

// Searches every page of the page list and the current page. The current page is searched as
// the edit box holds it (unsaved changes included); the others are read from disk and decoded
// as opening would, and nothing is written. currentShown: a page is open in the edit box.
PageSearchResult SearchSessionPages(AppState& state, bool currentShown, QStringView key,
                                    bool matchCase);

// The line under the result list: how many matches on how many pages, and what could not be
// read.
QString PageSearchSummary(const PageSearchResult& result);

// The window "全ページから検索": a search text (Text1), case matching (chkCase), cmdFind, and the
// list of matches (ResultList), one row per match: page, line, the line's text. Activating a
// row (double click, Enter) opens its page through the ordinary open, which asks about unsaved
// changes, and selects the match. Modeless: it stays open beside the main window.
class frmFindPages : public QDialog
{
    Q_OBJECT
public:
    frmFindPages(AppState& state, FileCommands& files, cTextBox& box, QWidget* parent);
    ~frmFindPages() override;

    // Fills the search text and searches at once when it is not empty.
    void Search(const QString& text, bool matchCase);
    // Runs the search for what the window shows.
    void cmdFind_Click();
    // Opens the page of result row and selects the match; false when the page was not opened
    // (the user cancelled the question about unsaved changes, or the file cannot be read).
    bool OpenMatch(int row);

    const PageSearchResult& Result() const { return result_; }
    QLineEdit* FindField() const { return findField_; }
    QCheckBox* MatchCaseBox() const { return matchCaseBox_; }
    QPushButton* FindButton() const { return findButton_; }
    QTableView* ResultList() const { return list_; }
    QLabel* Summary() const { return summary_; }

private:
    AppState& state_;
    FileCommands& files_;
    cTextBox& box_;
    QLineEdit* findField_;
    QCheckBox* matchCaseBox_;
    QPushButton* findButton_;
    QLabel* summary_;
    QTableView* list_;
    PageMatchModel* model_;
    PageSearchResult result_;
};

} // namespace tl
