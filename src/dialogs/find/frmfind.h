#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tl
{

struct AppState;
class cTextBox;

// The find dialog "文字列の検索": the search text (Text1), case matching (chkCase), find-next
// (cmdFind, or Enter in Text1), a replacement text (Text2) that the first press of cmdrep opens
// and a later press replaces everywhere with, and the search across all pages (cmdFindPages).
// Esc and cmdcancel keep the search text for F3.
class frmFind : public QDialog
{
    Q_OBJECT
public:
    frmFind(AppState& state, cTextBox& box, QWidget* parent = nullptr);

    // Fills the dialog before it is shown: the search text, a new search, the case box.
    void Load(const QString& text);

    QLineEdit* FindField() const { return findField_; }
    QLineEdit* ReplaceField() const { return replaceField_; }
    QCheckBox* MatchCaseBox() const { return matchCaseBox_; }
    QPushButton* FindButton() const { return findButton_; }
    QPushButton* ReplaceButton() const { return replaceButton_; }
    QPushButton* FindPagesButton() const { return findPagesButton_; }

    void cmdFind_Click();
    void cmdrep_Click();
    // Closes the dialog and searches every page of the session for the text.
    void cmdFindPages_Click();

    // Esc, cmdcancel and the close button: keeps the search text and case, back to the text.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppState& state_;
    cTextBox& box_;
    QLineEdit* findField_;
    QLineEdit* replaceField_;
    QLabel* replaceLabel_;
    QCheckBox* matchCaseBox_;
    QPushButton* findButton_;
    QPushButton* replaceButton_;
    QPushButton* findPagesButton_;
    QPushButton* cancelButton_;
};

} // namespace tl
