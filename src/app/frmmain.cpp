#include "app/frmmain.h"

#include "app/appstate.h"
#include "app/editmenu.h"
#include "commands/dialogregistry.h"
#include "documents/filecommands.h"
#include "documents/frmfilenames.h"
#include "documents/pagelist.h"
#include "editor/editcommands.h"
#include "editor/maintextedit.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/fonts.h"
#include "platform/programfolder.h"

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

namespace tl {

frmMain::frmMain(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), mainText_(new MainTextEdit),
      subText1_(new QLabel), subText2_(new QLabel), subText3_(new QLabel), labLinNo_(new QLabel)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kNoDocumentCaption);
    setAcceptDrops(true);
    state_.InputMode = false;

    const QFont font = EditorFont();
    mainText_->setObjectName(QStringLiteral("MainText"));
    subText1_->setObjectName(QStringLiteral("subText1"));
    subText2_->setObjectName(QStringLiteral("subText2"));
    subText3_->setObjectName(QStringLiteral("subText3"));
    labLinNo_->setObjectName(QStringLiteral("LabLinNo"));
    for (QWidget* w : {static_cast<QWidget*>(mainText_), static_cast<QWidget*>(subText1_),
                       static_cast<QWidget*>(subText2_), static_cast<QWidget*>(subText3_),
                       static_cast<QWidget*>(labLinNo_)})
        w->setFont(font);
    for (QLabel* l : {subText1_, subText3_, subText2_, labLinNo_})
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(labLinNo_, 0, 0, 1, 2);
    grid->addWidget(subText2_, 0, 2);
    grid->addWidget(subText1_, 1, 0);
    grid->addWidget(subText3_, 1, 1);
    grid->addWidget(mainText_, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
    setCentralWidget(central);

    textBox_.SetTarget(mainText_);
    // Any change of the text marks the document modified.
    connect(mainText_, &MainTextEdit::Change, this, [this] { state_.DocModified = true; });

    files_ = std::make_unique<FileCommands>(state_, *this);
    connect(mainText_, &MainTextEdit::FilesDropped, this,
            [this](const QStringList& paths) { files_->OpenDroppedFiles(paths); });

    // No document is open until one is loaded.
    ShowEditor(false);

    QDir::setCurrent(ProgramFolder());
    buildFileMenu();
    files_->LoadRecentFileMenu();
    buildEditingMenus();
    resize(900, 680);
}

frmMain::~frmMain() = default;

void frmMain::buildFileMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    auto add = [&](const char* name, const QString& caption, auto slot) {
        QAction* a = file->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("mnuFileNew", QStringLiteral("新規作成(&N)"), [this] { files_->NewDocument(); });
    add("mnuFileOpen", QStringLiteral("開く(&O)..."), [this] {
        files_->OpenDocumentByDialog(kDocumentFilter, ProgramFolder());
    });
    add("mnuFileClose", QStringLiteral("閉じる(&C)"), [this] { files_->CloseDocument(); });
    add("mnuFileSave", QStringLiteral("上書き保存(&S)"), [this] { files_->SaveDocument(); });
    add("mnuFileSaveAs", QStringLiteral("名前を付けて保存(&A)..."),
        [this] { files_->SaveDocumentAs(); });
    file->addSeparator()->setObjectName(QStringLiteral("mnuFSep1"));
    // Printing comes with the print dialog.
    file->addAction(QStringLiteral("プリンター設定"))->setObjectName(QStringLiteral("mnuSetPrinter"));
    file->addAction(QStringLiteral("印刷"))->setObjectName(QStringLiteral("mnuPrint"));
    file->addSeparator()->setObjectName(QStringLiteral("mnuFSep2"));
    add("mnuFileExit", QStringLiteral("終了(&X)"), [this] { close(); });

    for (int i = 0; i <= 10; ++i) {
        QAction* item = i == 0 ? file->addSeparator()
                               : file->addAction(QStringLiteral("RecentFile") + QString::number(i));
        item->setObjectName(QStringLiteral("mnuRecentFile_") + QString::number(i));
        item->setVisible(false);
        if (i > 0)
            connect(item, &QAction::triggered, this,
                    [this, item] { files_->OpenRecentFile(item->data().toString()); });
        recentItems_[size_t(i)] = item;
    }
}

void frmMain::buildEditingMenus()
{
    BuildEditMenu(menuBar(), state_, textBox_);
    QMenu* moves = menuBar()->addMenu(QStringLiteral("移動(&R)"));
    moves->setObjectName(QStringLiteral("mnuMoves"));
    AddInsertCommandItems(moves, state_, textBox_, this);
    InstallEditKeyFlags(state_, textBox_);
    RegisterDialogs(state_.Dialogs);
}

void frmMain::ShowEditor(bool visible)
{
    for (QWidget* w : {static_cast<QWidget*>(mainText_), static_cast<QWidget*>(subText1_),
                       static_cast<QWidget*>(subText2_), static_cast<QWidget*>(subText3_),
                       static_cast<QWidget*>(labLinNo_)})
        w->setVisible(visible);
}

void frmMain::ClearCompanions()
{
    subText1_->clear();
    subText3_->clear();
}

void frmMain::OpenCommandLineFile(const QString& argumentText)
{
    if (argumentText.isEmpty() || !FileExists(argumentText))
        return;
    files_->OpenDocument(argumentText);
}

void frmMain::RestorePageList()
{
    const QString path = ProgramFile(kPageListFile);
    if (!FileExists(path))
        return;
    const bool read = TrapErrors(*state_.prompts, [&] { ReadPageList(state_.Docs, path); });
    if (read)
        ShowFileList();
}

void frmMain::ShowFileList()
{
    auto* dialog = new frmFileNames(state_, *this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

bool frmMain::QueryUnload()
{
    bool cancel = false;
    TrapErrors(*state_.prompts, [&] {
        cancel = files_->ConfirmSaveChanges(Caption());
        if (!WritePageList(state_.Docs, ProgramFile(kPageListFile)))
            throw RunTimeError(ProgramFile(kPageListFile) +
                               QStringLiteral(" ﾌｧｲﾙに書き込めません。"));
    });
    return cancel;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (QueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
    if (!unloaded_) {
        unloaded_ = true;
        textBox_.SetTarget(nullptr);
        Q_EMIT Unloaded();
    }
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    files_->OpenDroppedFiles(paths);
}

} // namespace tl
