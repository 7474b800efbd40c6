#include "app/editmenu.h"

#include "commands/dispatcher.h"
#include "editor/editcommands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace tl {

namespace {

template <class F>
QAction* AddItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key,
                 F&& run)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(key);
    QObject::connect(a, &QAction::triggered, menu, std::forward<F>(run));
    return a;
}

} // namespace

QMenu* BuildEditMenu(QMenuBar* bar, AppState& state, cTextBox& box)
{
    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    AddItem(edit, "mnuEditCancel", QStringLiteral("取り消し(&Z)"), QKeySequence(Qt::CTRL | Qt::Key_Z),
            [&state, &box] { EditUndo(state, box); });
    AddItem(edit, "mnuEditCut", QStringLiteral("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X),
            [&state, &box] { EditCut(state, box); });
    AddItem(edit, "mnuEditCopy", QStringLiteral("ｺﾋﾟｰ(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C),
            [&state, &box] { EditCopy(state, box); });
    AddItem(edit, "mnuEditPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V),
            [&state, &box] { EditPaste(state, box); });
    return edit;
}

void AddInsertCommandItems(QMenu* menu, AppState& state, cTextBox& box, QWidget* window)
{
    AddItem(menu, "mnuEnter", QStringLiteral("改行"), QKeySequence(),
            [&state, &box, window] { RunInsertCommand(state, box, window, 44); });
    AddItem(menu, "mnuTagudelete", QStringLiteral("タグ削除"), QKeySequence(Qt::Key_F6),
            [&state, &box, window] { RunInsertCommand(state, box, window, 57); });
}

} // namespace tl
