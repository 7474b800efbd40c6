#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;

namespace tl
{

struct AppState;
class cTextBox;

// The stamp list "Jump": one row per StampTable entry with its button (Command1_i "Set..."),
// line number (LinNo_i, 0 for a free entry) and text (Text1_i). A row's button closes the list
// and puts the caret at the start of that line; ComClose and Esc just close it.
class frmJump : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kRows = 15;

    frmJump(AppState& state, cTextBox& box, QWidget* parent = nullptr);

    QPushButton* Command1(int i) const { return buttons_[size_t(i)]; }
    QLabel* LinNo(int i) const { return lines_[size_t(i)]; }
    QLabel* Text1(int i) const { return texts_[size_t(i)]; }
    QPushButton* ComClose() const { return close_; }

    void Command1_Click(int i);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppState& state_;
    cTextBox& box_;
    std::array<QPushButton*, kRows> buttons_{};
    std::array<QLabel*, kRows> lines_{};
    std::array<QLabel*, kRows> texts_{};
    QPushButton* close_;
};

} // namespace tl
