#pragma once

#include "app/frmmain.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QAction>

namespace tl::test
{

// A bare edit box with its adapter and a fresh program state; no window, no program folder.
struct BoxFixture {
    ScriptedPrompter prompts;
    AppState state{prompts};
    MainTextEdit edit{state.Doc};
    cTextBox box{&edit};

    // The text, with [selStart, selStart + selLength) selected.
    void set(const QString& text, qint64 selStart = 0, qint64 selLength = 0)
    {
        box.SetText(text);
        box.SetSelStart(selStart);
        box.SetSelLength(selLength);
    }
};

// A main window on a fresh program folder with text in its edit box, shown as for an open page.
struct WindowFixture {
    TempHome home;
    ScriptedPrompter prompts;
    AppState state{prompts};
    frmMain window{state};

    explicit WindowFixture(const QString& text = {})
    {
        window.ShowEditor(true);
        box().SetText(text);
    }
    cTextBox& box() { return window.TextBox(); }
    MainTextEdit& edit() { return *window.MainText(); }
    QAction* item(const char* name) const
    {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    }
};

} // namespace tl::test
