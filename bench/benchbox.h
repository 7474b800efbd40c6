#pragma once

// An edit box shown offscreen, and keys typed on it with their repaint: what the typing
// benchmarks share.

#include "core/document.h"
#include "editbox/maintextedit.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>

namespace tl::bench
{

// Counts the paints of the box's viewport, so that a figure without one is caught.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Editor {
    Document doc;
    MainTextEdit edit{doc};
    PaintCounter counter;

    explicit Editor(const QString& text)
    {
        edit.viewport()->installEventFilter(&counter);
        edit.resize(800, 600);
        edit.setText(text);
        edit.show();
        edit.activateWindow();
        edit.setFocus();
        QCoreApplication::processEvents();
    }

    // Pending updates done: the repaint and any queued scroll range change.
    void Settle() { QCoreApplication::processEvents(); }
};

inline void SendKey(QWidget* w, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &press);
}

// One key per iteration with the repaint it causes: "x" and Backspace by turns, so that the
// text is the same after every second key and the caret stays where it was put.
inline void TypeKeys(benchmark::State& state, Editor& e, qsizetype caret)
{
    const QString before = e.edit.text();
    e.edit.setCaret(caret);
    e.Settle();
    const int paintsBefore = e.counter.paints;
    bool type = true;
    for (auto _ : state) {
        if (type)
            SendKey(&e.edit, Qt::Key_X, QStringLiteral("x"));
        else
            SendKey(&e.edit, Qt::Key_Backspace, QString());
        type = !type;
        e.Settle();
    }
    if (!type) {
        SendKey(&e.edit, Qt::Key_Backspace, QString());
        e.Settle();
    }
    if (e.counter.paints - paintsBefore < int(state.iterations()))
        state.SkipWithError("a key was not repainted");
    if (e.edit.position() != caret || e.edit.text() != before)
        state.SkipWithError("the keys did not type and delete");
    e.edit.clearUndo();
}

} // namespace tl::bench
