#include "editing/editcommands.h"

#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "platform/errors.h"
#include "platform/keycodes.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>

namespace tl
{

namespace
{

// Takes a flag the key-down step set: true means skip this time.
bool TakeFlag(bool& flag)
{
    const bool set = flag;
    flag = false;
    return set;
}

} // namespace

void SelectFocusedText(cTextBox& box)
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return;
    if (w == box.Target()) {
        if (const qint64 length = box.TextLength(); length > 0) {
            box.SetSelStart(0);
            box.SetSelLength(length);
        }
        return;
    }
    QLineEdit* line = qobject_cast<QLineEdit*>(w);
    if (auto* combo = qobject_cast<QComboBox*>(w))
        line = combo->lineEdit();
    if (line) {
        if (!line->text().isEmpty())
            line->setSelection(0, int(line->text().size()));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        if (!plain->document()->isEmpty())
            plain->selectAll();
    } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        if (!rich->document()->isEmpty())
            rich->selectAll();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        if (!spin->text().isEmpty())
            spin->selectAll();
    }
    // Any other control has no text to select.
}

void EditUndo(AppState& state, cTextBox& box)
{
    if (TakeFlag(state.UndoKeyHandled))
        return;
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return;
    if (w == box.Target()) {
        box.Undo();
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->undo();
    } else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit()) {
        combo->lineEdit()->undo();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->undo();
    } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        rich->undo();
    }
}

void EditCopy(AppState& state, cTextBox& box)
{
    TrapErrors(*state.prompts, [&] {
        if (!box.Visible() || TakeFlag(state.CopyKeyHandled))
            return;
        // The data replaces whatever the clipboard held.
        if (MainTextEdit* edit = box.Target())
            edit->putSelectionOnClipboard(box.SelText());
    });
}

void EditCut(AppState& state, cTextBox& box)
{
    TrapErrors(*state.prompts, [&] {
        if (!box.Visible() || TakeFlag(state.CutKeyHandled))
            return;
        if (MainTextEdit* edit = box.Target())
            edit->putSelectionOnClipboard(box.SelText());
        box.SetSelText(QString());
    });
}

void EditPaste(AppState& state, cTextBox& box)
{
    TrapErrors(*state.prompts, [&] {
        if (!box.Visible() || TakeFlag(state.PasteKeyHandled))
            return;
        if (MainTextEdit* edit = box.Target())
            edit->replaceSelectionFromClipboard();
    });
}

void EditDelete(cTextBox& box)
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return;
    if (w == box.Target()) {
        if (box.SelStart() != box.TextLength() && box.SelLength() > 0)
            box.SetSelText(QString());
        return;
    }
    QLineEdit* line = qobject_cast<QLineEdit*>(w);
    if (auto* combo = qobject_cast<QComboBox*>(w))
        line = combo->lineEdit();
    if (line) {
        if (line->hasSelectedText() && line->selectionStart() != line->text().size())
            line->del();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        QTextCursor cursor = plain->textCursor();
        if (cursor.hasSelection() && !cursor.atEnd())
            cursor.removeSelectedText();
    } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        QTextCursor cursor = rich->textCursor();
        if (cursor.hasSelection() && !cursor.atEnd())
            cursor.removeSelectedText();
    }
}

void EditSelectAll(cTextBox& box)
{
    box.SetSelStart(0);
    box.SetSelLength(box.TextLength());
}

QString GeneralDateTimeText(const QDateTime& when, const QLocale& locale)
{
    // The short time form leaves out the seconds; the general form has them after the minutes,
    // with the same separator.
    QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(u's')) {
        const qsizetype minutes = time.indexOf(QStringLiteral("mm"));
        if (minutes > 0) {
            const QChar separator = time.at(minutes - 1);
            time.insert(minutes + 2, separator.isLetter() ? QStringLiteral(":ss")
                                                          : separator + QStringLiteral("ss"));
        }
    }
    return locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(when.time(), time);
}

void InsertDateTime(AppState& state, cTextBox& box)
{
    TrapErrors(*state.prompts, [&] {
        box.SetSelText(GeneralDateTimeText(QDateTime::currentDateTime(), QLocale::system()));
    });
}

void SetEditKeyFlags(AppState& state, cTextBox& box, int keyCode, int shift)
{
    const bool ctrlOnly = shift == kCtrlMask;
    state.UndoKeyHandled = ctrlOnly && keyCode == vk::Z;
    state.CopyKeyHandled = ctrlOnly && keyCode == vk::C;
    state.CutKeyHandled = ctrlOnly && keyCode == vk::X;
    state.PasteKeyHandled = ctrlOnly && keyCode == vk::V;
    const bool any = state.UndoKeyHandled || state.CopyKeyHandled || state.CutKeyHandled ||
                     state.PasteKeyHandled;
    // The edit box handles the key now; when the event loop comes round again the key is over
    // and the flag has nothing left to skip. The box as context: no call after it is gone.
    if (any && box.Target())
        QTimer::singleShot(0, box.Target(), [&state] { ClearEditKeyFlags(state); });
}

void ClearEditKeyFlags(AppState& state)
{
    state.UndoKeyHandled = false;
    state.CopyKeyHandled = false;
    state.CutKeyHandled = false;
    state.PasteKeyHandled = false;
}

} // namespace tl
