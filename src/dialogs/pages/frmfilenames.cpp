#include "dialogs/pages/frmfilenames.h"

#include "core/appstate.h"
#include "files/documentwindow.h"
#include "files/filecommands.h"
#include "files/paths.h"
#include "platform/errors.h"
#include "platform/keycodes.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tl
{

namespace
{

// The folder part of a path: everything up to and including its last separator.
QString FolderPartOf(const QString& path)
{
    return path.left(LastSeparatorOf(path) + 1);
}

} // namespace

frmFileNames::frmFileNames(AppState& state, FileCommands& files, QWidget* parent)
    : QDialog(parent), state_(state), files_(files), names_(new QListWidget(this)),
      folders_(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmFileNames"));
    setWindowTitle(QStringLiteral("ﾌｧｲﾙ一覧"));
    setModal(true);

    names_->setObjectName(QStringLiteral("FileList_0"));
    folders_->setObjectName(QStringLiteral("FileList_1"));
    folders_->hide();
    auto* hint = new QLabel(QStringLiteral("ｸﾘｯｸで選択　　ﾀﾞﾌﾞﾙｸﾘｯｸで表示"), this);
    hint->setObjectName(QStringLiteral("Label1"));
    // The list has no label of its own: a screen reader names it as the window does and reads
    // the hint as its description.
    names_->setAccessibleName(windowTitle());
    names_->setAccessibleDescription(hint->text());
    auto* ok = new QPushButton(QStringLiteral("Ｏ　　Ｋ"), this);
    ok->setObjectName(QStringLiteral("CmdOK"));
    auto* del = new QPushButton(QStringLiteral("削　　除"), this);
    del->setObjectName(QStringLiteral("CmdDelete"));
    auto* cancel = new QPushButton(QStringLiteral("キャンセル(ESC)"), this);
    cancel->setObjectName(QStringLiteral("CmdCansel"));
    for (QPushButton* b : {ok, del, cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(hint, 0, 0, 1, 3);
    grid->addWidget(names_, 1, 0, 1, 3);
    grid->addWidget(ok, 2, 0);
    grid->addWidget(del, 2, 1);
    grid->addWidget(cancel, 2, 2);
    resize(420, 360);

    connect(names_, &QListWidget::currentRowChanged, folders_,
            [this](int row) { folders_->setCurrentRow(row); });
    connect(names_, &QListWidget::itemDoubleClicked, this,
            [this] { TrapErrors(*state_.prompts, [&] { OpenSelected(); }); });
    connect(ok, &QPushButton::clicked, this, [this] {
        TrapErrors(*state_.prompts, [&] { OpenSelected(); });
        accept();
    });
    connect(del, &QPushButton::clicked, this,
            [this] { TrapErrors(*state_.prompts, [&] { DeleteSelected(); }); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    fill();
}

void frmFileNames::fill()
{
    for (int i = 0; i < kDocSlotCount; ++i) {
        const DocSlot& slot = state_.Docs[size_t(i)];
        if (slot.Path.isEmpty() || slot.Number > kLastUsableSlot)
            break;
        names_->insertItem(std::min(slot.Number, names_->count()), FileNameOf(slot.Path));
        folders_->addItem(FolderPartOf(slot.Path));
    }
}

void frmFileNames::OpenSelected()
{
    const int row = names_->currentRow();
    if (row < 0 || !names_->currentItem()->isSelected())
        return;
    const QString path = folders_->item(row)->text() + names_->item(row)->text();
    files_.OpenDocument(path);
}

void frmFileNames::DeleteSelected()
{
    const int row = names_->currentRow();
    if (row < 0 || !names_->currentItem()->isSelected())
        return;
    if (state_.prompts->ask(QStringLiteral("リストから削除します　よろしいですか？"),
                            QStringLiteral("削除確認"), MsgButtons::YesNo,
                            MsgIcon::Information) != MsgAnswer::Yes)
        return;
    const QString path = folders_->item(row)->text() + names_->item(row)->text();
    DocumentWindow& window = files_.Window();
    if (path == window.Caption()) {
        // Cancelling the question about unsaved changes keeps the page, open and listed.
        if (files_.ConfirmSaveChanges(window.Caption()))
            return;
        window.ResetEditor(QString());
        window.ShowEditor(false);
        window.SetCaption(kNoDocumentCaption);
    }
    delete folders_->takeItem(row);
    delete names_->takeItem(row);
}

void frmFileNames::keyPressEvent(QKeyEvent* event)
{
    switch (KeyCodeOf(*event)) {
    case vk::Escape:
        reject();
        return;
    case vk::Delete:
        TrapErrors(*state_.prompts, [&] { DeleteSelected(); });
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void frmFileNames::done(int result)
{
    rebuildTable();
    QDialog::done(result);
}

void frmFileNames::rebuildTable()
{
    if (rebuilt_)
        return;
    rebuilt_ = true;
    ClearDocTable(state_.Docs);
    for (int k = 0; k < names_->count() && k < kDocSlotCount; ++k) {
        state_.Docs[size_t(k)].Number = k;
        state_.Docs[size_t(k)].Path = folders_->item(k)->text() + names_->item(k)->text();
    }
}

} // namespace tl
