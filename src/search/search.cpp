#include "search/search.h"

#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "platform/busycursor.h"
#include "platform/errors.h"
#include "search/textsearch.h"

#include <QDialog>

namespace tl
{

namespace
{

const QString kTitle = QStringLiteral("Tagloom");
const QString kQuote = QStringLiteral("\"");

// The whole text without copying it (empty without an edit box).
QStringView WholeText(cTextBox& box)
{
    MainTextEdit* edit = box.Target();
    return edit ? edit->view(0, edit->length()) : QStringView();
}

} // namespace

void ShowFindDialog(AppState& state, cTextBox& box, QWidget* parent)
{
    if (!box.Visible())
        return;
    state.Dialogs.Open(QStringLiteral("frmFind"), DialogRequest{state, box, parent, {}});
}

bool FindNext(AppState& state, cTextBox& box, QDialog* findDialog)
{
    bool found = false;
    TrapErrors(*state.prompts, [&] {
        SearchState& s = state.Search;
        const qint64 start = box.SelStart();
        const bool repeat = start == s.LastFoundPos && !s.NewSearch;
        const QStringView text = WholeText(box);
        qsizetype p = FindTextIn(text, s.FindText, start + 2 + (repeat ? 1 : 0), s.MatchCase);
        // Past the last occurrence the search goes round to the top of the page.
        const bool wrapped = p < 0 && (p = FindTextIn(text, s.FindText, 0, s.MatchCase)) >= 0;
        if (p >= 0) {
            found = true;
            if (findDialog)
                findDialog->accept();
            box.SetFocus();
            box.SetSelStart(p);
            box.SetSelLength(s.FindText.size());
            if (wrapped && state.ShowStatus)
                state.ShowStatus(QStringLiteral("先頭から検索しました"));
        } else {
            state.prompts->inform(QStringLiteral("文字列 ") + kQuote + s.FindText + kQuote +
                                      QStringLiteral(" が見つかりません。"),
                                  kTitle);
        }
        s.LastFoundPos = box.SelStart();
        s.NewSearch = false;
    });
    return found;
}

void FindNextOrShowDialog(AppState& state, cTextBox& box, QWidget* parent)
{
    if (state.Search.FindText.isEmpty())
        ShowFindDialog(state, box, parent);
    else
        FindNext(state, box);
}

void ReplaceAll(AppState& state, cTextBox& box, QDialog* findDialog)
{
    TrapErrors(*state.prompts, [&] {
        MainTextEdit* edit = box.Target();
        const qint64 caret = box.SelStart();
        if (!edit || edit->length() == 0)
            return;
        BusyCursor busy;
        const QString& found = state.Search.FindText;
        const std::vector<qsizetype> places = ReplacePlaces(WholeText(box), found);
        if (findDialog)
            findDialog->accept();
        const qsizetype replaced = edit->replaceEach(places, found, state.Search.ReplaceText);
        box.SetSelStart(caret);
        box.SetFocus();
        if (state.ShowStatus)
            state.ShowStatus(QString::number(replaced) +
                             QStringLiteral(" 個の文字列を置き換えました。"));
    });
}

void FindDefinition(AppState& state, cTextBox& box)
{
    TrapErrors(*state.prompts, [&] {
        static const QString kDefinitionWords[] = {
            QStringLiteral("FUNCTION"), QStringLiteral("SUB"),   QStringLiteral("DIM"),
            QStringLiteral("PUBLIC"),   QStringLiteral("CONST"), QStringLiteral("PRIVATE")};
        static const QString kPrefixes[] = {QStringLiteral("SUB "),   QStringLiteral("Function "),
                                            QStringLiteral("DIM "),   QStringLiteral("Public "),
                                            QStringLiteral("Const "), QStringLiteral("Private ")};
        NavState& nav = state.Nav;
        const QString name = UpperText(box.SelText());
        bool back = name.isEmpty();
        for (const QString& word : kDefinitionWords)
            back = back || name.startsWith(word);
        if (back) {
            // Nothing to look up, or the definition just found is still selected: go back.
            if (nav.ReturnPos) {
                box.SetSelStart(*nav.ReturnPos);
                nav.ReturnPos.reset();
            }
            return;
        }
        QString key;
        for (const QString& prefix : kPrefixes) {
            key = UpperText(prefix) + name;
            const qsizetype p = FindTextIn(WholeText(box), key, 0, false);
            if (p >= 0) {
                nav.ReturnPos = box.SelStart();
                box.SetFocus();
                box.SetSelStart(p);
                box.SetSelLength(key.size());
                return;
            }
        }
        state.prompts->inform(QStringLiteral("定義 ") + kQuote + key + kQuote +
                                  QStringLiteral(" が見つかりません。"),
                              kTitle);
    });
}

} // namespace tl
