#include "editing/insertion.h"

#include "editbox/maintextedit.h"

#include "core/appstate.h"
#include "editbox/textbox.h"
#include "platform/errors.h"

#include <QDialog>
#include <QWidget>

namespace tl
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Caret position of the first ch at or after caret position from, read in pieces so that a
// long page is not copied whole; -1 when there is none.
qint64 FindForward(const cTextBox& box, QChar ch, qint64 from)
{
    constexpr qint64 kPiece = 4096;
    const qint64 total = box.TextLength();
    for (qint64 pos = std::max<qint64>(from, 0); pos < total; pos += kPiece) {
        const qsizetype i = box.Mid(pos, kPiece).indexOf(ch);
        if (i >= 0)
            return pos + i;
    }
    return -1;
}

} // namespace

void SelectEditTarget(const AppState& state, cTextBox& box)
{
    if (state.EditTarget.length <= 0)
        return;
    box.SetSelStart(state.EditTarget.start - 1);
    box.SetSelLength(state.EditTarget.length);
}

QString EditTargetText(const AppState& state, const cTextBox& box)
{
    if (state.EditTarget.length == 0)
        return {};
    return box.Mid(state.EditTarget.start - 1, state.EditTarget.length);
}

void ClearEditTarget(AppState& state)
{
    state.EditTarget = {};
}

void InsertDialogResult(AppState& state, cTextBox& box, QWidget* dialog, const QString& text)
{
    TrapErrors(*state.prompts, [&] {
        if (auto* d = qobject_cast<QDialog*>(dialog))
            d->accept();
        else if (dialog)
            dialog->close();
        cTextBox::UndoStep step(box);
        SelectEditTarget(state, box);
        box.SetSelText(text);
        // The 1-based start taken as a caret position: right after the new tag's "<".
        if (state.EditTarget.start > 0)
            box.SetSelStart(state.EditTarget.start);
    });
    // Even after a failure: a stale target would make the next dialog overwrite that range.
    ClearEditTarget(state);
}

QString DropTrailingCrLf(const QString& text, bool& dropped)
{
    if (text.isEmpty() || text == kCrLf)
        return {};
    if (text.endsWith(kCrLf)) {
        dropped = true;
        return text.left(text.size() - 2);
    }
    return text;
}

void WrapSelectionInline(AppState& state, cTextBox& box, const QString& open, const QString& close)
{
    TrapErrors(*state.prompts, [&] {
        QString s = box.SelText();
        const bool dropped = s.endsWith(kCrLf);
        if (dropped)
            s.chop(2);
        QString result = open + s + close;
        if (dropped)
            result += kCrLf;
        if (!result.isEmpty())
            box.SetSelText(result);
    });
}

QString WrapLines(const QString& selection, const QString& prefix, const QString& open,
                  const QString& close)
{
    if (selection.isEmpty())
        return prefix + open + close;
    QString s = selection;
    const bool dropped = s.endsWith(kCrLf);
    if (dropped)
        s.chop(2);
    QString out;
    out.reserve(s.size() + (s.count(kCrLf) + 1) * (prefix.size() + open.size() + close.size()));
    qsizetype i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsBlank(s.at(i)))
            out += s.at(i++);
        // A last line of blanks only gets the closing text alone, below.
        if (i >= s.size())
            break;
        out += prefix;
        out += open;
        const qsizetype end = s.indexOf(kCrLf, i);
        if (end < 0) {
            out += QStringView(s).mid(i);
            break;
        }
        out += QStringView(s).mid(i, end - i);
        out += close;
        out += kCrLf;
        i = end + 2;
    }
    out += close;
    if (dropped)
        out += kCrLf;
    return out;
}

void WrapSelectionLines(AppState& state, cTextBox& box, const QString& prefix, const QString& open,
                        const QString& close)
{
    TrapErrors(*state.prompts,
               [&] { box.SetSelText(WrapLines(box.SelText(), prefix, open, close)); });
}

void DeleteTagAtCaret(AppState& state, cTextBox& box)
{
    TrapErrors(*state.prompts, [&] {
        const qint64 a = box.SelStart();
        const QString next = box.Mid(a, 2);
        if (next == kCrLf)
            return;
        qint64 length = 0;
        if (next.startsWith(u'<')) {
            // The tag up to and including its ">".
            const qint64 end = FindForward(box, u'>', a + 1);
            if (end < 0)
                return;
            length = end - a + 1;
        } else if (a > 0 && box.Mid(a - 1, 1) == QStringLiteral(">")) {
            // Everything up to the next tag.
            const qint64 end = FindForward(box, u'<', a);
            if (end < 0)
                return;
            length = end - a;
        } else {
            // One character: both halves of a surrogate pair ("𠮷" is two units).
            length = (next.size() == 2 && next[0].isHighSurrogate() && next[1].isLowSurrogate())
                         ? 2
                         : (next.isEmpty() ? 0 : 1);
        }
        if (length <= 0)
            return;
        box.SetSelLength(length);
        box.SetSelText(QString());
    });
}

int LineNumberAt(const cTextBox& box, qint64 p)
{
    const MainTextEdit* edit = box.Target();
    if (!edit)
        return 1;
    return edit->lineOf(std::clamp<qint64>(p, 0, edit->length())) + 1;
}

qint64 LineStartPos(const cTextBox& box, int n)
{
    // The edit box counts lines from 0.
    const MainTextEdit* edit = box.Target();
    if (!edit || n <= 1)
        return 0;
    if (n > edit->lineCount())
        return edit->length();
    return edit->lineStart(n - 1);
}

} // namespace tl
