// Hand-written tags re-edited by their dialogs through the real re-edit path, offscreen: F4's
// recognizer finds the tag and opens its registered dialog, which is filled as on screen.
// OK with no change must leave the page byte for byte; OK after one field changed must leave
// every byte outside the tag alone and keep every attribute of the old start tag that the dialog
// does not write, ASP blocks among them, as written.
#include "commands/tagreedit.h"
#include "core/appstate.h"
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
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "fuzzinput.h"
#include "fuzzsession.h"
#include "platform/prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include <cstdio>
#include <cstdlib>

namespace
{

struct Session : tl::fuzz::EditSession {
    int change = -1; // which control the dialog changes; -1: none
    std::optional<QStringList> known;
    QString old; // the re-edited tag
    int opened = 0;
};

Session* session = nullptr;

// Opens a dialog as the registry would, changes one control when asked, and presses OK.
template <class Dialog> void Open(const tl::DialogRequest& request)
{
    Session& s = *session;
    Dialog dialog(request);
    dialog.Load();
    ++s.opened;
    s.known = dialog.WrittenAttributeNames();
    s.old = tl::EditTargetText(s.state, s.box);
    if (s.change >= 0) {
        QList<QWidget*> controls;
        for (QWidget* w : dialog.template findChildren<QWidget*>()) {
            if (!w->isEnabled())
                continue;
            if (qobject_cast<QLineEdit*>(w) ||
                (qobject_cast<QRadioButton*>(w) && !static_cast<QRadioButton*>(w)->isChecked()) ||
                qobject_cast<QCheckBox*>(w))
                controls << w;
        }
        if (!controls.isEmpty()) {
            QWidget* w = controls[s.change % controls.size()];
            if (auto* line = qobject_cast<QLineEdit*>(w))
                line->setText(line->text() + QStringLiteral("z"));
            else
                static_cast<QAbstractButton*>(w)->click();
        }
    }
    dialog.template findChild<QAbstractButton*>(QStringLiteral("CmdOK"))->click();
}

[[noreturn]] void Fail(const char* what, const QString& page)
{
    std::fprintf(stderr, "%s\n%s\n", what, qPrintable(page.left(400)));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    session = new Session;
    tl::DialogRegistry& r = session->state.Dialogs;
    r.Register(QStringLiteral("frmP"), Open<tl::frmP>);
    r.Register(QStringLiteral("frmH"), Open<tl::frmH>);
    r.Register(QStringLiteral("frmFont"), Open<tl::frmFont>);
    r.Register(QStringLiteral("frmLines"), Open<tl::frmLines>);
    r.Register(QStringLiteral("frmBaseFont"), Open<tl::frmBaseFont>);
    r.Register(QStringLiteral("frmPage"), Open<tl::frmPage>);
    r.Register(QStringLiteral("frmMarker"), Open<tl::frmMarker>);
    r.Register(QStringLiteral("frmTitle"), Open<tl::frmTitle>);
    r.Register(QStringLiteral("frmComment"), Open<tl::frmComment>);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const kOpenings[] = {
        "<P",        "<p",    "<H2",      "<h4",    "<FONT", "<HR",  "<hr",
        "<BASEFONT", "<BODY", "<A NAME=", "<TITLE", "<!--",  "<font"};
    static const char* const kClosings[] = {"</P>", "</H2>",    "</h4>", "</FONT>",
                                            "</A>", "</TITLE>", "-->",   ""};
    tl::fuzz::Input in(data, size);
    Session& s = *session;
    const uint8_t shape = in.byte();
    const int change = in.byte();
    const QString opening = QString::fromLatin1(kOpenings[shape % std::size(kOpenings)]);
    const QString attributes = in.text(80);
    const QString content = in.text(24);
    const QString closing = QString::fromLatin1(kClosings[(shape / 16) % std::size(kClosings)]);
    const QString tail = in.rest();
    const QString written = QStringLiteral("ab\r\n") + opening + u' ' + attributes + u'>' +
                            content + closing + QStringLiteral("\r\n") + tail;

    // The page as the edit box holds it (it may normalise line breaks and the like).
    s.box.SetText(written);
    const QString page = s.box.Text();
    for (const bool changing : {false, true}) {
        s.box.SetText(page);
        s.state.Doc.clearUndo();
        s.change = changing ? change : -1;
        s.old.clear();
        s.opened = 0;
        tl::ReeditTagAt(s.state, s.box, nullptr, 5);
        if (s.old.isEmpty())
            return 0; // nothing was re-edited
        const QString now = s.box.Text();
        if (!changing) {
            if (now != page)
                Fail("OK without a change altered the page", now);
            continue;
        }
        if (s.opened > 1)
            return 0; // a later dialog re-edited what an earlier one wrote
        // The tag stood at 4; what follows it on the page is the same text.
        const QString after = page.mid(4 + s.old.size());
        if (!now.startsWith(page.left(4)) || !now.endsWith(after))
            Fail("a re-edit changed the page outside the tag", now);
        if (!s.known)
            continue;
        QList<tl::WrittenAttribute> attributesRead;
        QString oldName;
        if (!tl::ReadStartTag(s.old, &oldName, &attributesRead))
            continue;
        const QString place = now.mid(4, now.size() - 4 - after.size());
        // A dialog may drop the element when the user says so (the title line unchecked):
        // there is then no tag to keep anything in.
        bool tagWritten = false;
        for (qsizetype lt = place.indexOf(u'<'); lt >= 0 && !tagWritten;
             lt = place.indexOf(u'<', lt + 1)) {
            QString name;
            tagWritten = tl::ReadStartTag(QStringView(place).sliced(lt), &name, nullptr) &&
                         tl::SameElementFamily(name, oldName);
        }
        if (!tagWritten)
            continue;
        for (const tl::WrittenAttribute& a : attributesRead) {
            if (!s.known->contains(a.name) && !place.contains(a.text))
                Fail("a re-edit lost an attribute its dialog does not write", now);
        }
    }
    return 0;
}
