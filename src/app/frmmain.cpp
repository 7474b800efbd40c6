#include "app/frmmain.h"

#include "app/appstate.h"
#include "editor/maintextedit.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/fonts.h"
#include "platform/programfolder.h"

#include <QCloseEvent>
#include <QDir>
#include <QMenuBar>

namespace tl {

frmMain::frmMain(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), mainText_(new MainTextEdit(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tagloom"));
    state_.InputMode = false;

    mainText_->setObjectName(QStringLiteral("MainText"));
    mainText_->setFont(EditorFont());
    setCentralWidget(mainText_);
    textBox_.SetTarget(mainText_);
    // No document is open until one is loaded.
    mainText_->hide();

    QDir::setCurrent(ProgramFolder());
    buildMenus();
    resize(900, 680);
}

frmMain::~frmMain() = default;

void frmMain::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* exit = file->addAction(QStringLiteral("終了(&X)"));
    exit->setObjectName(QStringLiteral("mnuFileExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

void frmMain::OpenCommandLineFile(const QString& argumentText)
{
    if (argumentText.isEmpty() || !FileExists(argumentText))
        return;
    // Opening documents belongs to the file commands; until they are wired, nothing opens.
}

bool frmMain::QueryUnload()
{
    bool cancel = false;
    TrapErrors(*state_.prompts, [&] {
        // Unsaved changes and the page list are handled by the document commands.
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

} // namespace tl
