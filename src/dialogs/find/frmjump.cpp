#include "dialogs/find/frmjump.h"

#include "core/appstate.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace tl
{

frmJump::frmJump(AppState& state, cTextBox& box, QWidget* parent)
    : QDialog(parent), state_(state), box_(box),
      close_(new QPushButton(QStringLiteral("キャンセル(ESC)"), this))
{
    setObjectName(QStringLiteral("frmJump"));
    setWindowTitle(QStringLiteral("Jump"));
    setModal(true);

    auto* grid = new QGridLayout(this);
    for (int i = 0; i < kRows; ++i) {
        const QString suffix = QStringLiteral("_") + QString::number(i);
        const StampEntry& entry = state_.StampTable[size_t(i)];
        auto* button = new QPushButton(QStringLiteral("Set..."), this);
        button->setObjectName(QStringLiteral("Command1") + suffix);
        button->setAutoDefault(false);
        auto* line = new QLabel(QString::number(entry.line), this);
        line->setObjectName(QStringLiteral("LinNo") + suffix);
        line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line->setMinimumWidth(60);
        auto* text = new QLabel(entry.text, this);
        text->setObjectName(QStringLiteral("Text1") + suffix);
        // The stamped text comes padded with spaces to 255 characters; it must not widen the
        // list past the screen.
        text->setMinimumWidth(360);
        text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        text->setTextFormat(Qt::PlainText);
        grid->addWidget(button, i, 0);
        grid->addWidget(line, i, 1);
        grid->addWidget(text, i, 2);
        buttons_[size_t(i)] = button;
        lines_[size_t(i)] = line;
        texts_[size_t(i)] = text;
        connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    close_->setObjectName(QStringLiteral("ComClose"));
    close_->setAutoDefault(false);
    grid->addWidget(close_, kRows, 0, 1, 3, Qt::AlignRight);
    grid->setColumnStretch(2, 1);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    close_->installEventFilter(this);
}

void frmJump::Command1_Click(int i)
{
    const qint64 line = lines_[size_t(i)]->text().toLongLong();
    if (line == 0)
        return;
    accept();
    box_.SetFocus();
    box_.SetSelStart(LineStartPos(box_, int(line)));
}

bool frmJump::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == close_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Down) {
            buttons_[0]->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tl
