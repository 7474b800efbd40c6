// What the toolbar buttons run.
#include "app/appstate.h"
#include "app/frmmain.h"
#include "commands/toolbarmap.h"
#include "documents/filecommands.h"
#include "platform/programfolder.h"

namespace tl {

namespace {

// The first seven buttons of the first toolbar (file, page and user-text buttons) work with no
// document open; every other button needs one.
bool WorksWithoutDocument(const ToolbarButton& button)
{
    const auto first = ToolbarButtons(ToolbarNames()[0]);
    if (button.toolbar != ToolbarNames()[0])
        return false;
    for (size_t i = 0; i < 7 && i < first.size(); ++i)
        if (&first[i] == &button)
            return true;
    return false;
}

} // namespace

void frmMain::RunToolbarButton(const ToolbarButton& button)
{
    if (!textBox_.Visible() && !WorksWithoutDocument(button))
        return;
    switch (button.command) {
    case ToolbarCommand::NewDocument: files_->NewDocument(); break;
    case ToolbarCommand::OpenDocumentByDialog:
        files_->OpenDocumentByDialog(kDocumentFilter, ProgramFolder());
        break;
    case ToolbarCommand::SaveDocument: files_->SaveDocument(); break;
    case ToolbarCommand::EditCut: textBox_.Cut(); break;
    case ToolbarCommand::EditCopy: textBox_.Copy(); break;
    case ToolbarCommand::EditPaste: textBox_.Paste(); break;
    case ToolbarCommand::EditUndo: textBox_.Undo(); break;
    case ToolbarCommand::InsertChosenFilePath: InsertChosenFilePath(); break;
    case ToolbarCommand::InsertImageReference: InsertImageReference(); break;
    case ToolbarCommand::ShowPreviousDocument: files_->ShowPreviousDocument(Caption()); break;
    case ToolbarCommand::ShowNextDocument: files_->ShowNextDocument(Caption()); break;
    case ToolbarCommand::ClearAllPages: files_->ClearAllPages(); break;
    case ToolbarCommand::ShowFileList: ShowFileList(); break;
    default: break; // commands whose dialogs come later
    }
}

} // namespace tl
