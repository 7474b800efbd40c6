// Each HTML dialog's reader on a random old text and selection, and its composer on what the
// reader gives: the round trip a re-edit makes when the user presses OK at once.
#include "dialogkit/dialogtext.h"
#include "dialogs/html/frmbasefont.h"
#include "dialogs/html/frmcomment.h"
#include "dialogs/html/frmfont.h"
#include "dialogs/html/frmh.h"
#include "dialogs/html/frmlines.h"
#include "dialogs/html/frmmarker.h"
#include "dialogs/html/frmp.h"
#include "dialogs/html/frmpage.h"
#include "dialogs/html/frmtitle.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tl::fuzz::Input in(data, size);
    const int which = in.byte() % 9;
    const QString selection = in.text(32);
    const QString old = in.rest();
    switch (which) {
    case 0:
        tl::ComposeBaseFont(tl::OpenBaseFont(old));
        break;
    case 1:
        tl::ComposeComment(tl::OpenComment(old, selection));
        break;
    case 2: {
        const tl::FontFields f = tl::OpenFont(old, selection);
        const QString composed = tl::ComposeFont(f);
        tl::KeepOtherAttributes(old, composed, {QStringLiteral("FACE")}, composed);
        tl::FontProposal(f.face);
        break;
    }
    case 3:
        tl::ComposeHeading(tl::OpenHeading(old, selection));
        break;
    case 4:
        tl::ComposeLines(tl::OpenLines(old));
        break;
    case 5:
        tl::ComposeMarker(tl::OpenMarker(old, selection));
        break;
    case 6:
        tl::ComposeParagraph(tl::OpenParagraph(old, selection));
        break;
    case 7: {
        const tl::PageFields opened = tl::OpenPage(old);
        tl::ComposePage(opened);
        tl::KeepOtherAttributes(old, tl::ComposePage(tl::OpenPage(selection)),
                                {QStringLiteral("BGCOLOR")}, tl::ComposePage(opened));
        break;
    }
    case 8:
        tl::ComposeTitle(tl::OpenTitle(old, selection));
        break;
    }
    return 0;
}
