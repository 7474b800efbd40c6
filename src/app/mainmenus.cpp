// The main window's menu tree and toolbars: captions, shortcuts and what each item runs.
#include "app/frmmain.h"
#include "app/toolbarcommands.h"
#include "commands/catalogue.h"
#include "commands/dispatcher.h"
#include "commands/toolbarmap.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editing/editcommands.h"
#include "editing/navigation.h"
#include "files/filecommands.h"
#include "platform/errors.h"
#include "platform/programfolder.h"
#include "search/search.h"

#include <QMenuBar>
#include <QToolBar>

namespace tl
{

namespace
{

// Adds a menu item with its object name; a null slot leaves an item whose command comes later.
template <class Slot>
QAction* AddItem(QMenu* menu, const char* name, const QString& caption, QObject* context, Slot slot,
                 const QKeySequence& shortcut = {})
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    QObject::connect(a, &QAction::triggered, context, slot);
    return a;
}

void AddSeparator(QMenu* menu, const char* name)
{
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
    return menu;
}

} // namespace

void frmMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    buildFileMenu(AddMenu(bar, "mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)")));

    QMenu* edit = AddMenu(bar, "mnuEdit", QStringLiteral("編集(&E)"));
    AddItem(
        edit, "mnuEditCancel", QStringLiteral("取り消し(&Z)"), this,
        [this] { EditUndo(state_, textBox_); }, QKeySequence(Qt::CTRL | Qt::Key_Z));
    AddItem(
        edit, "mnuEditCut", QStringLiteral("切り取り(&T)"), this,
        [this] { EditCut(state_, textBox_); }, QKeySequence(Qt::CTRL | Qt::Key_X));
    AddItem(
        edit, "mnuEditCopy", QStringLiteral("ｺﾋﾟｰ(&C)"), this,
        [this] { EditCopy(state_, textBox_); }, QKeySequence(Qt::CTRL | Qt::Key_C));
    AddItem(
        edit, "mnuEditPaste", QStringLiteral("貼り付け(&P)"), this,
        [this] { EditPaste(state_, textBox_); }, QKeySequence(Qt::CTRL | Qt::Key_V));
    AddItem(
        edit, "mnuEditDelete", QStringLiteral("削除(&L)"), this, [this] { EditDelete(textBox_); },
        QKeySequence(Qt::Key_Delete));
    AddSeparator(edit, "mnuESep1");
    AddItem(edit, "mnuEditSelectAll", QStringLiteral("すべて選択(&A)"), this,
            [this] { EditSelectAll(textBox_); });
    AddItem(
        edit, "mnuEditTime", QStringLiteral("時刻と日付の挿入(&D)"), this,
        [this] { InsertDateTime(state_, textBox_); }, QKeySequence(Qt::Key_F2));

    QMenu* search = AddMenu(bar, "mnuSearch", QStringLiteral("検索(&S)"));
    AddItem(
        search, "mnuSearchFind", QStringLiteral("検索(&F)"), this,
        [this] { ShowFindDialog(state_, textBox_, this); }, QKeySequence::Find);
    AddItem(
        search, "mnuSearchFindNext", QStringLiteral("次を検索(&N)"), this,
        [this] { FindNextOrShowDialog(state_, textBox_, this); }, QKeySequence(Qt::Key_F3));

    QMenu* options = AddMenu(bar, "mnuOptions", QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    const char* toolbarItems[] = {"mnuOptionsToolbar", "mnuOptionsToolbar1", "mnuOptionsToolbar2",
                                  "mnuOptionsToolbar3"};
    for (int i = 0; i < 4; ++i) {
        const QString caption =
            QStringLiteral("ﾂｰﾙﾊﾞｰ表示") + (i == 0 ? QString() : QString::number(i));
        QAction* item =
            AddItem(options, toolbarItems[i], caption, this, [this, i] { ToggleToolbar(i); });
        item->setCheckable(true);
        item->setChecked(true);
        toolbarItems_[size_t(i)] = item;
    }
    connect(options, &QMenu::aboutToShow, this,
            [this] { toolbarItems_[0]->setChecked(!toolbars_[0]->isHidden()); });
    addRegisteredItem(options, "mnuRegist", QStringLiteral("データ登録（&R）"),
                      QStringLiteral("frmData"), QKeySequence(Qt::Key_F7));

    QMenu* moves = AddMenu(bar, "mnuMoves", QStringLiteral("移動(&R)"));
    AddItem(moves, "mnuTop", QStringLiteral("文書の最初"), this,
            [this] { GoToTop(state_, textBox_, textBox_.LineFromChar()); });
    AddItem(moves, "mnuCente", QStringLiteral("文書の中間"), this,
            [this] { GoToMiddle(state_, textBox_, textBox_.LineFromChar()); });
    AddItem(moves, "mnuLast", QStringLiteral("文書の最後"), this,
            [this] { GoToEnd(state_, textBox_, textBox_.LineFromChar()); });
    AddSeparator(moves, "mnuESep3");
    AddItem(
        moves, "mnuStamp", QStringLiteral("スタンプ"), this,
        [this] { StampCurrentLine(state_, textBox_); }, QKeySequence(Qt::Key_F8));
    AddItem(
        moves, "mnuJamp", QStringLiteral("ジャンプ"), this,
        [this] { ShowStampList(state_, textBox_, this); }, QKeySequence(Qt::Key_F9));
    AddItem(moves, "mnuEnter", QStringLiteral("改行"), this,
            [this] { RunInsertCommand(state_, textBox_, this, code::LineBreak); });
    AddSeparator(moves, "mnuESep4");
    addRegisteredItem(moves, "mnuColor", QStringLiteral("カラー"), QStringLiteral("frmColor"));
    addRegisteredItem(moves, "mnuBrow", QStringLiteral("ブラウザー"),
                      QStringLiteral("ViewInBrowser"), QKeySequence(Qt::Key_F5));
    AddItem(moves, "mnuFiles", QStringLiteral("ファイル選択"), this,
            [this] { TrapErrors(*state_.prompts, [this] { InsertChosenFilePath(); }); });
    AddItem(moves, "mnuImgBrow", QStringLiteral("ｲﾒｰｼﾞﾌﾞﾗｳｻﾞｰ"), this,
            [this] { TrapErrors(*state_.prompts, [this] { InsertImageReference(); }); });
    AddItem(
        moves, "mnuTagudelete", QStringLiteral("タグ削除"), this,
        [this] { RunInsertCommand(state_, textBox_, this, code::DeleteTag); },
        QKeySequence(Qt::Key_F6));

    QMenu* window = AddMenu(bar, "mnuWindow", QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    AddItem(window, "mnuBajyon", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), this, [this] { ShowAbout(); });
}

void frmMain::buildFileMenu(QMenu* file)
{
    auto add = [&](const char* name, const QString& caption, auto slot) {
        return AddItem(file, name, caption, this, slot);
    };
    // The common keys of desktop editors, where no key of the program's own takes them.
    add("mnuFileNew", QStringLiteral("新規作成(&N)"), [this] {
        files_->NewDocument();
    })->setShortcut(QKeySequence::New);
    add("mnuFileOpen", QStringLiteral("開く(&O)..."), [this] {
        files_->OpenDocumentByDialog(kDocumentFilter, ProgramFolder());
    })->setShortcut(QKeySequence::Open);
    add("mnuFileClose", QStringLiteral("閉じる(&C)"), [this] { files_->CloseDocument(); });
    add("mnuFileSave", QStringLiteral("上書き保存(&S)"), [this] {
        files_->SaveDocument();
    })->setShortcut(QKeySequence::Save);
    add("mnuFileSaveAs", QStringLiteral("名前を付けて保存(&A)..."),
        [this] { files_->SaveDocumentAs(); });
    AddSeparator(file, "mnuFSep1");
    // Printing comes with the print dialog.
    addRegisteredItem(file, "mnuSetPrinter", QStringLiteral("プリンター設定"),
                      QStringLiteral("SetPrinter"));
    addRegisteredItem(file, "mnuPrint", QStringLiteral("印刷"), QStringLiteral("frmPrint"));
    AddSeparator(file, "mnuFSep2");
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

QAction* frmMain::addRegisteredItem(QMenu* menu, const char* name, const QString& caption,
                                    const QString& registryName, const QKeySequence& shortcut)
{
    QAction* a = AddItem(
        menu, name, caption, this,
        [this, registryName] {
            TrapErrors(*state_.prompts, [&] {
                state_.Dialogs.Open(registryName, DialogRequest{state_, textBox_, this, QString()});
            });
        },
        shortcut);
    needsRegistered_.insert(a, registryName);
    return a;
}

void frmMain::buildToolbars()
{
    const auto names = ToolbarNames();
    for (int i = 0; i < 4; ++i) {
        auto* bar = new QToolBar(this);
        bar->setObjectName(names[size_t(i)].toString());
        bar->setWindowTitle(QStringLiteral("ﾂｰﾙﾊﾞｰ") + (i == 0 ? QString() : QString::number(i)));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(16, 16));
        // The Options menu switches toolbars; the toolbar area's own menu would bypass it.
        bar->toggleViewAction()->setVisible(false);
        if (i > 0)
            addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, bar);
        toolbars_[size_t(i)] = bar;
        for (const ToolbarButton& button : ToolbarButtons(names[size_t(i)])) {
            if (button.separatorBefore)
                bar->addSeparator();
            QAction* action = bar->addAction(ToolbarIcon(button), button.toolTip.toString());
            action->setObjectName(button.key.toString());
            action->setToolTip(button.toolTip.toString());
            action->setStatusTip(button.toolTip.toString());
            if (const QString needed = RegistryNameOf(button); !needed.isEmpty())
                needsRegistered_.insert(action, needed);
            if (!WorksWithoutDocument(button))
                needsPage_ << action;
            const ToolbarButton* b = &button;
            connect(action, &QAction::triggered, this, [this, b] {
                TrapErrors(*state_.prompts, [this, b] { RunToolbarButton(*b); });
            });
        }
    }
    setContextMenuPolicy(Qt::NoContextMenu);
}

} // namespace tl
