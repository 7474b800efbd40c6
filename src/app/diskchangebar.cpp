#include "app/diskchangebar.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tl
{

DiskChangeBar::DiskChangeBar(QWidget* parent)
    : QFrame(parent), message_(new QLabel(this)),
      reload_(new QPushButton(QStringLiteral("再読み込み"), this)),
      ignore_(new QPushButton(QStringLiteral("無視"), this))
{
    setObjectName(QStringLiteral("DiskChangeBar"));
    setAccessibleName(QStringLiteral("ファイルの変更"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    // A pale yellow, as information bars are drawn, with the window text colour on it.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xff, 0xf4, 0xc4));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    message_->setObjectName(QStringLiteral("DiskChangeText"));
    message_->setWordWrap(false);
    // A long path must not push the buttons out of the bar.
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    message_->setTextFormat(Qt::PlainText);
    reload_->setObjectName(QStringLiteral("cmdReload"));
    ignore_->setObjectName(QStringLiteral("cmdIgnore"));
    // The buttons take the focus only when clicked or tabbed to: showing the bar leaves it in
    // the edit box.
    for (QPushButton* b : {reload_, ignore_}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(message_, 1);
    layout->addWidget(reload_);
    layout->addWidget(ignore_);
    connect(reload_, &QPushButton::clicked, this, &DiskChangeBar::ReloadChosen);
    connect(ignore_, &QPushButton::clicked, this, &DiskChangeBar::IgnoreChosen);
    hide();
}

void DiskChangeBar::Tell(const QString& text, bool canReload)
{
    message_->setText(text);
    // A long path is cut on screen; the whole text stays in the tip and for a screen reader.
    message_->setToolTip(text);
    setAccessibleDescription(text);
    reload_->setVisible(canReload);
    show();
    raise();
    // Announced as an alert: a screen reader reads it without the focus moving there.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

QString DiskChangeBar::text() const
{
    return message_->text();
}

} // namespace tl
