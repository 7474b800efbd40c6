#include "editor/frmfind.h"

#include "core/appstate.h"
#include "editor/editcommands.h"
#include "editor/search.h"
#include "editor/textbox.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <limits>

namespace tl
{

namespace
{

QPushButton* Button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter does nothing special in the program's dialogs.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QLabel* Label(QWidget* parent, const char* name, const QString& caption)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace

frmFind::frmFind(AppState& state, cTextBox& box, QWidget* parent)
    : QDialog(parent), state_(state), box_(box), text1_(new QLineEdit(this)),
      text2_(new QLineEdit(this)),
      label3_(Label(this, "Label3", QStringLiteral("置き換え後の文字列"))),
      chkCase_(new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this)),
      cmdFind_(Button(this, "cmdFind", QStringLiteral("検索(&F)"))),
      cmdrep_(Button(this, "cmdrep", QStringLiteral("置き換え"))),
      cmdcancel_(Button(this, "cmdcancel", QStringLiteral("ｷｬﾝｾﾙ")))
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("文字列の検索"));
    setModal(true);

    QLabel* heading = Label(this, "Label13", QStringLiteral("検　索"));
    QLabel* label1 = Label(this, "Label1", QStringLiteral("検索する文字列(&N):"));
    QLabel* hint = Label(this, "Label2", QStringLiteral("次を検索・・・・F3"));
    label1->setBuddy(text1_);
    text1_->setObjectName(QStringLiteral("Text1"));
    text2_->setObjectName(QStringLiteral("Text2"));
    // A search text taken from a long selection must not be cut short.
    text1_->setMaxLength(std::numeric_limits<int>::max());
    text2_->setMaxLength(std::numeric_limits<int>::max());
    chkCase_->setObjectName(QStringLiteral("chkCase"));
    chkCase_->setToolTip(QStringLiteral("大文字と小文字を区別します"));
    cmdFind_->setToolTip(QStringLiteral("検索を開始します"));
    cmdcancel_->setToolTip(QStringLiteral("[ﾒﾓ帳] に戻ります"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(heading, 0, 0, 1, 2);
    grid->addWidget(label1, 1, 0, 1, 2);
    grid->addWidget(text1_, 2, 0, 1, 2);
    grid->addWidget(chkCase_, 3, 0, 1, 2);
    grid->addWidget(label3_, 4, 0, 1, 2);
    grid->addWidget(text2_, 5, 0, 1, 2);
    grid->addWidget(hint, 6, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdFind_);
    buttons->addWidget(cmdcancel_);
    buttons->addWidget(cmdrep_);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 7, 1);
    resize(460, 240);

    // As loaded: nothing to find yet, and no replacement until cmdrep asks for one.
    cmdFind_->setEnabled(false);
    text2_->setEnabled(false);
    label3_->setEnabled(false);

    connect(text1_, &QLineEdit::textChanged, this, [this](const QString& text) {
        state_.Search.NewSearch = true;
        cmdFind_->setEnabled(!text.isEmpty());
    });
    connect(chkCase_, &QCheckBox::clicked, this,
            [this](bool checked) { state_.Search.MatchCase = checked; });
    connect(cmdFind_, &QPushButton::clicked, this, &frmFind::cmdFind_Click);
    connect(cmdrep_, &QPushButton::clicked, this, &frmFind::cmdrep_Click);
    connect(cmdcancel_, &QPushButton::clicked, this, &frmFind::reject);
    text1_->installEventFilter(this);
    text2_->installEventFilter(this);
}

void frmFind::Load(const QString& text)
{
    text1_->setText(text);
    cmdFind_->setEnabled(!text.isEmpty());
    state_.Search.NewSearch = true;
    if (state_.Search.MatchCase)
        chkCase_->setChecked(true);
}

void frmFind::cmdFind_Click()
{
    state_.Search.FindText = text1_->text();
    state_.Search.ReplaceText.clear();
    FindNext(state_, box_, this);
}

void frmFind::cmdrep_Click()
{
    if (!text2_->isEnabled()) {
        // First press: ask for the replacement.
        text2_->setEnabled(true);
        label3_->setEnabled(true);
        text2_->setText(state_.Search.ReplaceText);
        text2_->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (text1_->text().isEmpty() || text2_->text().isEmpty())
        return;
    state_.Search.FindText = text1_->text();
    state_.Search.ReplaceText = text2_->text();
    ReplaceAll(state_, box_, this);
}

void frmFind::reject()
{
    state_.Search.FindText = text1_->text();
    state_.Search.MatchCase = chkCase_->isChecked();
    QDialog::reject();
    box_.SetFocus();
}

bool frmFind::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == text1_ || watched == text2_)) {
        // After the focus change has run its course: a mouse click would undo the selection.
        QTimer::singleShot(0, this, [this] { SelectFocusedText(box_); });
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tl
