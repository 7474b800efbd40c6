#include "commands/dispatcher.h"

#include "commands/catalogue.h"
#include "core/appstate.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "platform/errors.h"

namespace tl
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");
const QString kBr = QStringLiteral("<BR>");
const QString kLi = QStringLiteral("<LI>");
const QString kQuote = QStringLiteral("\"");
const QString kAmp = QStringLiteral(" & ");

QString TrimmedSpacesLeft(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == u' ')
        ++i;
    return s.mid(i).toString();
}

void ChopSpaces(QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == u' ')
        --n;
    s.truncate(n);
}

void OpenDialog(AppState& state, cTextBox& box, QWidget* parent, const CommandAction& action)
{
    // A dialog that is not built yet: the command does nothing.
    state.Dialogs.Open(action.target.toString(),
                       DialogRequest{state, box, parent, action.caption.toString()});
}

// Block pair: open and close on lines of their own around the selection.
QString BlockPairText(const QString& selection, const QString& open, const QString& close)
{
    if (selection.isEmpty())
        return open + kCrLf + close;
    return open + kCrLf + selection + (selection.endsWith(kCrLf) ? QString() : kCrLf) + close +
           kCrLf;
}

// Every selected line an item; without list tags the items stand alone.
QString ListText(const QString& selection, const QString& open, const QString& close)
{
    const bool tags = !open.isEmpty();
    if (selection.isEmpty())
        return tags ? open + kCrLf + close : kLi;
    QString s = selection;
    const bool dropped = s.endsWith(kCrLf);
    if (dropped)
        s.chop(2);
    // Blanks before the first item go; the following lines lose their leading spaces.
    qsizetype first = 0;
    while (first < s.size() && (s.at(first) == u' ' || s.at(first) == u'\t'))
        ++first;
    const QStringList lines = QStringView(s).mid(first).toString().split(kCrLf);
    const QString item = tags ? kCrLf + u'\t' + kLi : kCrLf + kLi;
    QString body = lines.first();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QString line = TrimmedSpacesLeft(lines.at(i));
        // Trailing spaces go at the end of the selection only, and only past a line break.
        if (i == lines.size() - 1)
            ChopSpaces(line);
        body += item + line;
    }
    QString out = open + (tags ? item : kLi) + body;
    if (tags)
        out += kCrLf;
    out += close;
    if (dropped)
        out += kCrLf;
    return out;
}

// "<BR>" before every line break. A selection without line breaks becomes "<BR>", unless it
// holds one already.
QString LineBreaksText(const QString& selection)
{
    if (!selection.contains(kCrLf))
        return selection.contains(kBr) ? selection : kBr;
    QString s = selection;
    s.replace(kCrLf, kBr + kCrLf);
    ChopSpaces(s);
    return s;
}

} // namespace

const DialogOpener* OpenerForCode(const DialogRegistry& registry, qint16 code)
{
    const CommandAction* action = FindCommandAction(code);
    if (!action || action->target.isEmpty())
        return nullptr;
    return registry.Find(action->target.toString());
}

void WrapSelectionInline(AppState& state, cTextBox& box, qint16 code)
{
    const CommandAction* action = FindCommandAction(code);
    if (action && action->kind == ActionKind::InlinePair)
        WrapSelectionInline(state, box, action->text.toString(), action->close.toString());
    else
        WrapSelectionInline(state, box, QString(), QString());
}

void RunInsertCommand(AppState& state, cTextBox& box, QWidget* parent, qint16 code)
{
    const CommandAction* found = FindCommandAction(code);
    if (!found)
        return;
    const CommandAction& action = *found;
    const QString text = action.text.toString();
    const QString close = action.close.toString();
    TrapErrors(*state.prompts, [&] {
        switch (action.kind) {
        case ActionKind::Dialog:
        case ActionKind::Routine:
            // The dialog writes its result itself, as one edit.
            OpenDialog(state, box, parent, action);
            return;
        default:
            break;
        }
        cTextBox::UndoStep step(box);
        switch (action.kind) {
        case ActionKind::Literal:
            box.SetSelText(text);
            break;
        case ActionKind::BlockPair:
            box.SetSelText(BlockPairText(box.SelText(), text, close));
            break;
        case ActionKind::List:
            box.SetSelText(ListText(box.SelText(), text, close));
            break;
        case ActionKind::LineBreaks:
            box.SetSelText(LineBreaksText(box.SelText()));
            break;
        case ActionKind::InlinePair:
            WrapSelectionInline(state, box, text, close);
            break;
        case ActionKind::LineWrap:
            WrapSelectionLines(state, box, action.prefix.toString(), text, close);
            break;
        case ActionKind::JoinLeft:
            box.SetSelText(kQuote + kAmp + box.SelText());
            break;
        case ActionKind::JoinRight:
            box.SetSelText(box.SelText() + kAmp + kQuote);
            break;
        case ActionKind::DeleteTag:
            DeleteTagAtCaret(state, box);
            break;
        case ActionKind::Dialog:
        case ActionKind::Routine:
            break;
        }
    });
}

} // namespace tl
