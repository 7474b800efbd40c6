#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace tl
{

// The bar across the top of the edit box that tells of a change another program made to the
// page's file, with 再読み込み (reload) and 無視 (keep the page). It never takes the focus, so
// typing goes on while it is shown.
class DiskChangeBar : public QFrame
{
    Q_OBJECT
public:
    explicit DiskChangeBar(QWidget* parent = nullptr);

    // Shows the bar with text; the reload button only when the file can be read again.
    void Tell(const QString& text, bool canReload);
    QString text() const;
    QPushButton* ReloadButton() const { return reload_; }
    QPushButton* IgnoreButton() const { return ignore_; }

Q_SIGNALS:
    void ReloadChosen();
    void IgnoreChosen();

private:
    QLabel* message_;
    QPushButton* reload_;
    QPushButton* ignore_;
};

} // namespace tl
