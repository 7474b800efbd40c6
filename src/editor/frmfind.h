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
// (cmdFind), and a replacement text (Text2) that the first press of cmdrep opens and a later
// press replaces everywhere with. Esc and cmdcancel keep the search text for F3.
class frmFind : public QDialog
{
    Q_OBJECT
public:
    frmFind(AppState& state, cTextBox& box, QWidget* parent = nullptr);

    // Fills the dialog before it is shown: the search text, a new search, the case box.
    void Load(const QString& text);

    QLineEdit* Text1() const { return text1_; }
    QLineEdit* Text2() const { return text2_; }
    QCheckBox* chkCase() const { return chkCase_; }
    QPushButton* cmdFind() const { return cmdFind_; }
    QPushButton* cmdrep() const { return cmdrep_; }
    QPushButton* cmdcancel() const { return cmdcancel_; }

    void cmdFind_Click();
    void cmdrep_Click();

    // Esc, cmdcancel and the close button: keeps the search text and case, back to the text.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppState& state_;
    cTextBox& box_;
    QLineEdit* text1_;
    QLineEdit* text2_;
    QLabel* label3_;
    QCheckBox* chkCase_;
    QPushButton* cmdFind_;
    QPushButton* cmdrep_;
    QPushButton* cmdcancel_;
};

} // namespace tl
