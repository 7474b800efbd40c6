#include "dialogs/find/frmfind.h"

#include "core/appstate.h"
#include "editbox/textbox.h"
#include "editing/editcommands.h"
#include "search/search.h"

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
    : QDialog(parent), state_(state), box_(box), findField_(new QLineEdit(this)),
      replaceField_(new QLineEdit(this)),
      replaceLabel_(Label(this, "Label3", QStringLiteral("置き換え後の文字列"))),
      matchCaseBox_(new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this)),
      findButton_(Button(this, "cmdFind", QStringLiteral("検索(&F)"))),
      replaceButton_(Button(this, "cmdrep", QStringLiteral("置き換え"))),
      findPagesButton_(Button(this, "cmdFindPages", QStringLiteral("全ページ検索(&A)"))),
      cancelButton_(Button(this, "cmdcancel", QStringLiteral("ｷｬﾝｾﾙ")))
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("文字列の検索"));
    setModal(true);

    QLabel* heading = Label(this, "Label13", QStringLiteral("検　索"));
    QLabel* label1 = Label(this, "Label1", QStringLiteral("検索する文字列(&N):"));
    QLabel* hint = Label(this, "Label2", QStringLiteral("次を検索・・・・F3"));
    label1->setBuddy(findField_);
    replaceLabel_->setBuddy(replaceField_);
    findField_->setObjectName(QStringLiteral("Text1"));
    replaceField_->setObjectName(QStringLiteral("Text2"));
    // A search text taken from a long selection must not be cut short.
    findField_->setMaxLength(std::numeric_limits<int>::max());
    replaceField_->setMaxLength(std::numeric_limits<int>::max());
    matchCaseBox_->setObjectName(QStringLiteral("chkCase"));
    matchCaseBox_->setToolTip(QStringLiteral("大文字と小文字を区別します"));
    findButton_->setToolTip(QStringLiteral("検索を開始します"));
    findPagesButton_->setToolTip(QStringLiteral("ページ一覧のすべてのページを検索します"));
    cancelButton_->setToolTip(QStringLiteral("[ﾒﾓ帳] に戻ります"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(heading, 0, 0, 1, 2);
    grid->addWidget(label1, 1, 0, 1, 2);
    grid->addWidget(findField_, 2, 0, 1, 2);
    grid->addWidget(matchCaseBox_, 3, 0, 1, 2);
    grid->addWidget(replaceLabel_, 4, 0, 1, 2);
    grid->addWidget(replaceField_, 5, 0, 1, 2);
    grid->addWidget(hint, 6, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findButton_);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(replaceButton_);
    buttons->addWidget(findPagesButton_);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 7, 1);
    resize(460, 240);

    // As loaded: nothing to find yet, and no replacement until cmdrep asks for one.
    findButton_->setEnabled(false);
    findPagesButton_->setEnabled(false);
    replaceField_->setEnabled(false);
    replaceLabel_->setEnabled(false);

    connect(findField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        state_.Search.NewSearch = true;
        findButton_->setEnabled(!text.isEmpty());
        findPagesButton_->setEnabled(!text.isEmpty() && state_.ShowPageSearch);
    });
    // Enter in the search text finds the next occurrence, as cmdFind does.
    connect(findField_, &QLineEdit::returnPressed, this, [this] {
        if (findButton_->isEnabled())
            cmdFind_Click();
    });
    connect(matchCaseBox_, &QCheckBox::clicked, this,
            [this](bool checked) { state_.Search.MatchCase = checked; });
    connect(findButton_, &QPushButton::clicked, this, &frmFind::cmdFind_Click);
    connect(replaceButton_, &QPushButton::clicked, this, &frmFind::cmdrep_Click);
    connect(findPagesButton_, &QPushButton::clicked, this, &frmFind::cmdFindPages_Click);
    connect(cancelButton_, &QPushButton::clicked, this, &frmFind::reject);
    findField_->installEventFilter(this);
    replaceField_->installEventFilter(this);
}

void frmFind::Load(const QString& text)
{
    findField_->setText(text);
    findButton_->setEnabled(!text.isEmpty());
    findPagesButton_->setEnabled(!text.isEmpty() && state_.ShowPageSearch);
    state_.Search.NewSearch = true;
    if (state_.Search.MatchCase)
        matchCaseBox_->setChecked(true);
}

void frmFind::cmdFind_Click()
{
    state_.Search.FindText = findField_->text();
    state_.Search.ReplaceText.clear();
    FindNext(state_, box_, this);
}

void frmFind::cmdrep_Click()
{
    if (!replaceField_->isEnabled()) {
        // First press: ask for the replacement.
        replaceField_->setEnabled(true);
        replaceLabel_->setEnabled(true);
        replaceField_->setText(state_.Search.ReplaceText);
        replaceField_->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (findField_->text().isEmpty() || replaceField_->text().isEmpty())
        return;
    state_.Search.FindText = findField_->text();
    state_.Search.ReplaceText = replaceField_->text();
    ReplaceAll(state_, box_, this);
}

void frmFind::cmdFindPages_Click()
{
    const QString text = findField_->text();
    if (text.isEmpty() || !state_.ShowPageSearch)
        return;
    state_.Search.FindText = text;
    state_.Search.MatchCase = matchCaseBox_->isChecked();
    QDialog::accept();
    state_.ShowPageSearch(text, state_.Search.MatchCase);
}

void frmFind::reject()
{
    state_.Search.FindText = findField_->text();
    state_.Search.MatchCase = matchCaseBox_->isChecked();
    QDialog::reject();
    box_.SetFocus();
}

bool frmFind::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == findField_ || watched == replaceField_)) {
        // After the focus change has run its course: a mouse click would undo the selection.
        QTimer::singleShot(0, this, [this] { SelectFocusedText(box_); });
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tl
