#include "commands/tagreedit.h"

#include "core/appstate.h"
#include "editbox/textbox.h"
#include "editing/documenttagtext.h"
#include "editing/insertion.h"
#include "platform/errors.h"
#include "reedit/tagrecognizer.h"

#include <QApplication>

namespace tl
{

void ReeditTagAt(AppState& state, cTextBox& box, QWidget* parent, qint64 pos)
{
    TrapErrors(*state.prompts, [&] {
        ClearEditTarget(state);
        MainTextEdit* edit = box.Target();
        if (!edit)
            return;
        // The caret at the clicked position: the word the box selected on the double click
        // would otherwise be taken for a selection by a dialog that opens in insert mode.
        box.SetSelStart(pos);
        const DocumentTagText page(*edit);
        const TagAtCaret found = FindTagAtCaret(page, box.SelStart());
        if (found.outcome == TagAtCaret::Outcome::Beep) {
            QApplication::beep();
            return;
        }
        // Each row's range is found from the caret of the moment: a dialog that replaced the
        // tag left the caret right after the new "<".
        int row = 0;
        while (const std::optional<TagMatch> match =
                   NextTagMatch(found, page, box.SelStart(), row)) {
            row = match->row;
            const QString dialog = match->dialog.toString();
            if (!state.Dialogs.Find(dialog))
                continue;
            state.EditTarget = TagRange{match->target.start, match->target.length};
            state.Dialogs.Open(dialog,
                               DialogRequest{state, box, parent, match->caption.toString()});
            // Whatever way the dialog closed, its range must not reach the next one.
            ClearEditTarget(state);
        }
    });
    ClearEditTarget(state);
}

} // namespace tl
