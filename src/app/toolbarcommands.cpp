// What the toolbar buttons run.
#include "app/toolbarcommands.h"
#include "app/frmmain.h"
#include "commands/catalogue.h"
#include "commands/dispatcher.h"
#include "commands/toolbarmap.h"
#include "core/appstate.h"
#include "editing/editcommands.h"
#include "editing/insertion.h"
#include "files/filecommands.h"
#include "platform/programfolder.h"

#include <QAction>

namespace tl
{

bool WorksWithoutDocument(const ToolbarButton& button)
{
    // The first seven buttons of the first toolbar: file, page and user-text buttons.
    const QStringView first = ToolbarNames()[0];
    if (button.toolbar != first)
        return false;
    const auto buttons = ToolbarButtons(first);
    for (size_t i = 0; i < 7 && i < buttons.size(); ++i)
        if (buttons[i].key == button.key)
            return true;
    return false;
}

QString RegisteredCommandName(ToolbarCommand command)
{
    switch (command) {
    case ToolbarCommand::ShowFindDialog:
        return QStringLiteral("frmFind");
    case ToolbarCommand::ShowUserTexts:
        return QStringLiteral("frmData");
    case ToolbarCommand::GoToTop:
        return QStringLiteral("GoToTop");
    case ToolbarCommand::GoToMiddle:
        return QStringLiteral("GoToMiddle");
    case ToolbarCommand::GoToEnd:
        return QStringLiteral("GoToEnd");
    case ToolbarCommand::StampCurrentLine:
        return QStringLiteral("StampCurrentLine");
    case ToolbarCommand::ShowStampList:
        return QStringLiteral("frmJump");
    case ToolbarCommand::ShowColorPicker:
        return QStringLiteral("frmColor");
    case ToolbarCommand::ShowLinkList:
        return QStringLiteral("frmLinkEdit");
    case ToolbarCommand::ShowScratchText:
        return QStringLiteral("frmEditTextBox");
    case ToolbarCommand::ViewInBrowser:
        return QStringLiteral("ViewInBrowser");
    case ToolbarCommand::ShowMdbTable:
        return QStringLiteral("frmMdbTable");
    default:
        return {};
    }
}

QString RegistryNameOf(const ToolbarButton& button)
{
    if (button.command != ToolbarCommand::RunInsertCommand)
        return RegisteredCommandName(button.command);
    const CommandAction* action = FindCommandAction(button.insertCode);
    if (action && (action->kind == ActionKind::Dialog || action->kind == ActionKind::Routine))
        return action->target.toString();
    return {};
}

void frmMain::UpdateCommandStates()
{
    // A command that would do nothing is shown disabled, not enabled and silent: its dialog
    // does not exist yet, or it needs a page and none is open.
    const bool page = EditorShown();
    for (QAction* action : needsPage_)
        action->setEnabled(page);
    for (auto it = needsRegistered_.cbegin(); it != needsRegistered_.cend(); ++it)
        if (it.key()->isEnabled() || !needsPage_.contains(it.key()))
            it.key()->setEnabled(state_.Dialogs.Find(it.value()) != nullptr);
}

void frmMain::RunToolbarButton(const ToolbarButton& button)
{
    ClearEditTarget(state_);
    if (!textBox_.Visible() && !WorksWithoutDocument(button))
        return;
    switch (button.command) {
    case ToolbarCommand::RunInsertCommand:
        RunInsertCommand(state_, textBox_, this, button.insertCode);
        break;
    case ToolbarCommand::NewDocument:
        files_->NewDocument();
        break;
    case ToolbarCommand::OpenDocumentByDialog:
        files_->OpenDocumentByDialog(kDocumentFilter, ProgramFolder());
        break;
    case ToolbarCommand::SaveDocument:
        files_->SaveDocument();
        break;
    case ToolbarCommand::EditCut:
        EditCut(state_, textBox_);
        break;
    case ToolbarCommand::EditCopy:
        EditCopy(state_, textBox_);
        break;
    case ToolbarCommand::EditPaste:
        EditPaste(state_, textBox_);
        break;
    case ToolbarCommand::EditUndo:
        EditUndo(state_, textBox_);
        break;
    case ToolbarCommand::InsertChosenFilePath:
        InsertChosenFilePath();
        break;
    case ToolbarCommand::InsertImageReference:
        InsertImageReference();
        break;
    case ToolbarCommand::ShowPreviousDocument:
        files_->ShowPreviousDocument(Caption());
        break;
    case ToolbarCommand::ShowNextDocument:
        files_->ShowNextDocument(Caption());
        break;
    case ToolbarCommand::ClearAllPages:
        files_->ClearAllPages();
        break;
    case ToolbarCommand::ShowFileList:
        ShowFileList();
        break;
    default:
        // Dialogs and commands of later modules, reached through the registry.
        state_.Dialogs.Open(RegisteredCommandName(button.command),
                            DialogRequest{state_, textBox_, this, QString()});
        break;
    }
}

} // namespace tl
