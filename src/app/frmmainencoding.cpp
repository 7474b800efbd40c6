// Panel 4 of the status bar: the page's encoding and line ends, and its menu.
#include "app/frmmain.h"
#include "app/mainlayout.h"
#include "core/appstate.h"
#include "files/filecommands.h"
#include "platform/errors.h"

#include <QActionGroup>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>

namespace tl
{

void frmMain::buildEncodingMenu()
{
    encodingPanel_ = new QToolButton(statusBar());
    encodingPanel_->setObjectName(QStringLiteral("Panel4"));
    encodingPanel_->setAutoRaise(true);
    encodingPanel_->setPopupMode(QToolButton::InstantPopup);
    encodingPanel_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    encodingPanel_->setMinimumWidth(130);
    // Its name is what it shows ("Shift_JIS CRLF"); the description says what a click does.
    encodingPanel_->setToolTip(QStringLiteral("文字コードと改行コード"));
    encodingPanel_->setAccessibleDescription(
        QStringLiteral("文字コードと改行コード。押すと開き直しと保存の文字コードを選べます"));

    auto* menu = new QMenu(encodingPanel_);
    menu->setObjectName(QStringLiteral("EncodingMenu"));
    QMenu* reopen = menu->addMenu(QStringLiteral("別の文字コードで開き直す(&R)"));
    reopen->setObjectName(QStringLiteral("ReopenMenu"));
    for (const EncodingChoice& choice : ReopenEncodings()) {
        QAction* item = reopen->addAction(choice.caption);
        item->setObjectName(QStringLiteral("ReopenAs ") + choice.caption);
        connect(item, &QAction::triggered, this, [this, encoding = choice.encoding] {
            TrapErrors(*state_.prompts, [&] { files_->ReopenWithEncoding(encoding); });
        });
    }
    QMenu* save = menu->addMenu(QStringLiteral("保存する文字コード(&S)"));
    save->setObjectName(QStringLiteral("SaveEncodingMenu"));
    auto* group = new QActionGroup(save);
    // A page in another encoding (EUC-JP) has none of them checked.
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const EncodingChoice& choice : SaveEncodings()) {
        QAction* item = save->addAction(choice.caption);
        item->setObjectName(QStringLiteral("SaveAs ") + choice.caption);
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, encoding = choice.encoding] {
            TrapErrors(*state_.prompts, [&] { files_->ChangeSaveEncoding(encoding); });
            UpdateEncodingPanel();
        });
    }
    // The page's line ends from now on; a page of CR or mixed line ends has neither checked.
    menu->addSeparator();
    auto* lineEnds = new QActionGroup(menu);
    lineEnds->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::pair<LineEnd, QString> lineEndChoices[] = {
        {LineEnd::CrLf, QStringLiteral("mnuLineEndCrLf")},
        {LineEnd::Lf, QStringLiteral("mnuLineEndLf")}};
    QList<QAction*> lineEndItems;
    for (const auto& choice : lineEndChoices) {
        const LineEnd lineEnd = choice.first;
        QAction* item = menu->addAction(lineEnd == LineEnd::CrLf ? QStringLiteral("改行 CR+LF")
                                                                 : QStringLiteral("改行 LF"));
        item->setObjectName(choice.second);
        item->setCheckable(true);
        lineEnds->addAction(item);
        lineEndItems << item;
        connect(item, &QAction::triggered, this, [this, lineEnd] {
            TrapErrors(*state_.prompts, [&] { files_->ChangeLineEnds(lineEnd); });
            UpdateEncodingPanel();
        });
    }
    // Each time it opens: what the page is, and what can be done to it now.
    connect(menu, &QMenu::aboutToShow, this, [this, reopen, save, lineEndItems] {
        reopen->setEnabled(EditorShown() && !state_.Doc.isUntitled());
        save->setEnabled(EditorShown());
        const std::vector<EncodingChoice> choices = SaveEncodings();
        const QList<QAction*> items = save->actions();
        for (qsizetype i = 0; i < items.size() && size_t(i) < choices.size(); ++i)
            items[i]->setChecked(SameEncoding(choices[size_t(i)].encoding, state_.Doc.encoding()));
        const bool mixed = HasLineBreakVariants(state_.Doc.byteVariants());
        const LineEnd lineEnd = state_.Doc.encoding().lineEnd;
        lineEndItems[0]->setChecked(!mixed && lineEnd == LineEnd::CrLf);
        lineEndItems[1]->setChecked(!mixed && lineEnd == LineEnd::Lf);
        for (QAction* item : lineEndItems)
            item->setEnabled(EditorShown());
    });
    encodingPanel_->setMenu(menu);
    statusBar()->addPermanentWidget(encodingPanel_);
    UpdateEncodingPanel();
}

void frmMain::UpdateEncodingPanel()
{
    if (!encodingPanel_)
        return;
    mixedLineEnds_ = HasLineBreakVariants(state_.Doc.byteVariants());
    const QString text = EncodingPanelText(EditorShown(), state_.Doc.encoding(), mixedLineEnds_);
    encodingPanel_->setText(text);
    encodingPanel_->setAccessibleName(text.isEmpty() ? QStringLiteral("文字コード") : text);
    encodingPanel_->setEnabled(EditorShown());
}

} // namespace tl
