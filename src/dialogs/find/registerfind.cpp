#include "dialogs/find/registerfind.h"

#include "core/appstate.h"
#include "core/dialogregistry.h"
#include "dialogs/find/frmfind.h"
#include "dialogs/find/frmfindpages.h"
#include "dialogs/find/frmjump.h"
#include "editbox/textbox.h"
#include "files/documentwindow.h"
#include "platform/errors.h"

namespace tl
{

namespace
{

void OpenFind(const DialogRequest& r)
{
    if (!r.box.Visible())
        return;
    const QString selected = r.box.SelText();
    frmFind dialog(r.state, r.box, r.parent);
    dialog.Load(selected.isEmpty() ? r.state.Search.FindText : selected);
    dialog.exec();
}

void OpenStampList(const DialogRequest& r)
{
    TrapErrors(*r.state.prompts, [&] {
        if (!r.box.Visible())
            return;
        frmJump dialog(r.state, r.box, r.parent);
        dialog.exec();
    });
}

// One page-search window per main window: shown again (and searching again) when it exists.
void OpenPageSearch(const DialogRequest& r)
{
    auto* window = dynamic_cast<DocumentWindow*>(r.parent);
    if (!window)
        return;
    auto* pages = r.parent->findChild<frmFindPages*>(QString(), Qt::FindDirectChildrenOnly);
    if (!pages)
        pages = new frmFindPages(r.state, window->Files(), r.box, r.parent);
    pages->show();
    pages->raise();
    pages->activateWindow();
    TrapErrors(*r.state.prompts,
               [&] { pages->Search(r.state.Search.PagesText, r.state.Search.PagesMatchCase); });
}

} // namespace

void RegisterFindDialogs(DialogRegistry& registry)
{
    registry.Register(QStringLiteral("frmFind"), OpenFind);
    registry.Register(QStringLiteral("frmJump"), OpenStampList);
    registry.Register(QStringLiteral("frmFindPages"), OpenPageSearch);
}

} // namespace tl
