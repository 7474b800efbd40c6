#pragma once

#include "app/frmmain.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace tl::test
{

// A shown, active main window with a document in its edit box, driven by real key events.
struct EditorSession {
    TempHome home;
    ScriptedPrompter prompts;
    AppState state{prompts};
    frmMain window{state};

    EditorSession()
    {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the main window did not become active");
    }

    MainTextEdit* edit() const { return window.MainText(); }
    cTextBox& box() { return window.TextBox(); }
    QAction* action(const char* name) const
    {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    }

    // A freshly opened document: unmodified, no stamps or colours, nothing remembered from
    // earlier searches, input mode off, the caret at caret.
    void load(const QString& text, qint64 anchor = 0, qint64 caret = -1)
    {
        window.ShowEditor(true);
        edit()->clearTextColors();
        state.StampTable.fill(StampEntry{});
        box().SetText(text);
        box().SetModify(false);
        state.Doc.setModified(false);
        state.InputMode = false;
        state.Search = SearchState{};
        state.Nav = NavState{};
        state.UserTextTable = {};
        state.ImeStatus = nullptr;
        state.ImeIsOpen = nullptr;
        state.ImeSetOpen = nullptr;
        activate();
        edit()->setFocus(Qt::OtherFocusReason);
        edit()->setSelection(anchor, caret < 0 ? anchor : caret);
        prompts.messages.clear();
    }

    // The main window active again, as when a dialog over it has closed (the offscreen
    // platform has no window manager to do it).
    void activate()
    {
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the main window did not become active");
    }

    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(edit(), key, modifiers);
    }

    QStringList messages() const
    {
        QStringList texts;
        for (const MessageRequest& m : prompts.messages)
            texts << m.text;
        return texts;
    }
};

// Runs f on the next modal dialog once it is shown (from inside its exec()). Keep the result
// until the dialog has run: a dialog that never came must not meet f in a later test.
[[nodiscard]] inline std::unique_ptr<QTimer> OnModal(std::function<void(QWidget*)> f)
{
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    QTimer* t = timer.get();
    QObject::connect(t, &QTimer::timeout, t, [t, f] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible())
            return;
        t->stop();
        f(w);
    });
    timer->start();
    return timer;
}

} // namespace tl::test
