#pragma once

// A real edit box offscreen with the program's state behind it, and prompts that answer
// without a window: what the fuzz targets that drive commands share.

#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "platform/prompts.h"

namespace tl::fuzz
{

// Answers every message with its first button and cancels every file dialog.
class SilentPrompter final : public Prompter
{
public:
    MsgAnswer message(const MessageRequest& request) override
    {
        return request.buttons == MsgButtons::Ok || request.buttons == MsgButtons::OkCancel
                   ? MsgAnswer::Ok
                   : MsgAnswer::Yes;
    }
    QString fileName(const FileRequest&) override { return {}; }
};

struct EditSession {
    SilentPrompter prompts;
    AppState state{prompts};
    MainTextEdit edit{state.Doc};
    cTextBox box{&edit};
};

} // namespace tl::fuzz
