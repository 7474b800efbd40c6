// What every tag dialog promises when it re-edits a hand-written tag, checked through the real
// re-edit path (F4 in the main window's edit box) on a table of tags as people write them:
// - OK with no change leaves the page byte for byte and adds no undo step;
// - changing one field keeps the attributes the dialog does not know and every ASP block, and
//   changes no byte outside the tag;
// - the dialog's captions are whole and its controls named, in edit mode too.
// A new dialog joins by adding rows; every registered tag dialog must have some.
#include "captionfit.h"
#include "core/appstate.h"
#include "dialogkit/tagdialog.h"
#include "dialogs/tools/colorslots.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "fixtures.h"
#include "modaldialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QSet>
#include <QtTest>

using namespace tl;

namespace
{

const QString kBefore = QStringLiteral("abc\r\n");
const QString kAfter = QStringLiteral("\r\nxyz <P>after</P>");

struct Row {
    const char* name;
    QString dialog;   // the dialog F4 opens
    QString tag;      // as written on the page; F4 is pressed just after its "<" and name
    QString change;   // "Text1=value" types into a field, "Option11" clicks a button
    QStringList kept; // texts of the old tag that the changed tag must still hold
    QString result;   // the tag's place after the change, when pinned; empty: not pinned
};

QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QList<Row> Rows()
{
    const QString big(40000, u'x');
    return {
        // The paragraph.
        {"p_lower_unquoted",
         "frmP",
         S("<p align=center class=intro>Hi</p>"),
         "Option12",
         {S("class=intro")},
         S("<P ALIGN=\"right\" class=intro>Hi</P>")},
        {"p_spaces_around_equals",
         "frmP",
         S("<P ALIGN = center>text</P>"),
         "Text1=TEXT",
         {S("ALIGN = center")},
         S("<P ALIGN = center>TEXT</P>")},
        {"p_asp_align",
         "frmP",
         S("<P ALIGN=\"<%=al%>\">text</P>"),
         "Option12",
         {},
         S("<P ALIGN=\"right\">text</P>")},
        {"p_gt_in_quoted_value",
         "frmP",
         S("<P ALIGN=left TITLE=\"a>b\">text</P>"),
         "Option11",
         {S("TITLE=\"a>b\"")},
         S("<P ALIGN=\"center\" TITLE=\"a>b\">text</P>")},
        {"p_tabs_in_tag_line_break_in_text",
         "frmP",
         S("<P\tID=a\t ALIGN=left>x\r\ny</P>"),
         "Option11",
         {S("ID=a")},
         S("<P ALIGN=\"center\" ID=a>x\r\ny</P>")},
        {"p_asp_block_with_quotes_and_gt",
         "frmP",
         S("<P <% If a > b Then %>CLASS=\"<%=Request(\"c\")%>\">x</P>"),
         "Option10",
         {S("<% If a > b Then %>"), S("CLASS=\"<%=Request(\"c\")%>\"")},
         QString()},
        {"p_unclosed_before_long_content",
         "frmP",
         S("<P ALIGN=left>") + big + S("<P>last"),
         "Option11",
         {},
         S("<P ALIGN=\"center\">")},
        {"p_single_quotes",
         "frmP",
         S("<P ALIGN='right' ID='k'>Hi</P>"),
         "Option11",
         {S("ID='k'")},
         S("<P ALIGN='center' ID='k'>Hi</P>")},
        // The heading.
        {"h_level_change_keeps_class",
         "frmH",
         S("<H2 CLASS=a>x</H2>"),
         "Option3",
         {S("CLASS=a")},
         S("<H3 CLASS=a>x</H3>")},
        {"h_level_and_align_keep_asp",
         "frmH",
         S("<h2 class=a id=\"<%=n%>\">x</h2>"),
         "Option11",
         {S("class=a"), S("id=\"<%=n%>\"")},
         S("<H2 ALIGN=\"center\" class=a id=\"<%=n%>\">x</H2>")},
        {"h_own_output_reopens",
         "frmH",
         S("<H2 ALIGN=\"center\">Head</H2>"),
         "Text1=Top",
         {},
         S("<H2 ALIGN=\"center\">Top</H2>")},
        // The font.
        {"font_asp_colour",
         "frmFont",
         S("<FONT COLOR=\"<%=c%>\">text</FONT>"),
         "Text2=Arial",
         {S("COLOR=\"<%=c%>\"")},
         S("<FONT FACE=\"Arial\" COLOR=\"<%=c%>\" SIZE=\"3\">text</FONT>")},
        {"font_asp_size",
         "frmFont",
         S("<FONT SIZE=\"<%=sz%>\" COLOR=\"red\">text</FONT>"),
         "Text2=blue",
         {S("SIZE=\"<%=sz%>\"")},
         S("<FONT FACE=\"blue\" COLOR=\"red\" SIZE=\"<%=sz%>\">text</FONT>")},
        {"font_apostrophe_in_face",
         "frmFont",
         S("<FONT FACE=\"Tom's Font\" COLOR=\"red\">hi</FONT>"),
         "Text1=blue",
         {S("FACE=\"Tom's Font\"")},
         S("<FONT FACE=\"Tom's Font\" COLOR='blue' SIZE='3'>hi</FONT>")},
        {"font_unknown_and_lower",
         "frmFont",
         S("<font size=+1 class=k>t</font>"),
         "Text1=red",
         {S("class=k"), S("size=+1")},
         S("<FONT COLOR=\"red\" size=+1 class=k>t</FONT>")},
        // The page body.
        {"body_gt_in_onload",
         "frmPage",
         S("<BODY onLoad=\"if (screen.width > 800) big()\" BGCOLOR=\"white\">"),
         "Text2=black",
         {S("onLoad=\"if (screen.width > 800) big()\"")},
         S("<BODY BGCOLOR=\"black\" onLoad=\"if (screen.width > 800) big()\">")},
        {"body_spaces_and_asp",
         "frmPage",
         S("<body bgcolor = white text=\"<%=t%>\" id=b>"),
         "Text4=blue",
         {S("bgcolor = white"), S("text=\"<%=t%>\""), S("id=b")},
         QString()},
        {"body_long_background",
         "frmPage",
         S("<BODY BACKGROUND=\"") + big + S(".gif\">"),
         "Text2=red",
         {big},
         QString()},
        // The rule, the base font, the marker, the title, the comment.
        {"hr_unquoted_and_unknown",
         "frmLines",
         S("<hr width=50% noshade class=r>"),
         "Option3",
         {S("class=r")},
         S("<HR WIDTH=\"50%\" ALIGN=\"Center\" NOSHADE class=r>")},
        {"hr_asp_size",
         "frmLines",
         S("<HR SIZE=\"<%=s%>\" ID=k>"),
         "Option4",
         {S("SIZE=\"<%=s%>\""), S("ID=k")},
         QString()},
        {"basefont_unknown",
         "frmBaseFont",
         S("<basefont size=4 face=x>"),
         "Option5",
         {S("face=x")},
         S("<BASEFONT SIZE=\"5\" face=x>")},
        {"marker_unknown",
         "frmMarker",
         S("<A NAME=top ID='t'>Top</A>"),
         "Text2=Up",
         {S("ID='t'")},
         QString()},
        {"title_attributes",
         "frmTitle",
         S("<TITLE LANG=ja>Old</TITLE>"),
         "Text1=New",
         {S("LANG=ja")},
         QString()},
        {"comment_long", "frmComment", S("<!-- ") + big + S(" -->"), QString(), {}, QString()},
    };
}

// The tag's place after a change: the page minus what stood before and after it, or a note
// when those changed.
QString TagPlace(const QString& page)
{
    if (!page.startsWith(kBefore) || !page.endsWith(kAfter))
        return QStringLiteral("(outside the tag changed) ") + page.left(200);
    return page.mid(kBefore.size(), page.size() - kBefore.size() - kAfter.size());
}

void Change(QWidget* dialog, const QString& change)
{
    const qsizetype eq = change.indexOf(u'=');
    if (eq < 0) {
        if (auto* b = dialog->findChild<QAbstractButton*>(change))
            b->click();
        return;
    }
    if (auto* field = dialog->findChild<QLineEdit*>(change.left(eq)))
        field->setText(change.mid(eq + 1));
}

} // namespace

class TestDialogContract : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reedit_data();
    void reedit();
    void everyTagDialogHasRows();
    void openingRunsOnce();
    void colourCallersNameRealFields();
};

void TestDialogContract::reedit_data()
{
    QTest::addColumn<int>("index");
    const QList<Row> rows = Rows();
    for (int i = 0; i < rows.size(); ++i)
        QTest::newRow(rows[i].name) << i;
}

void TestDialogContract::reedit()
{
    QFETCH(int, index);
    const Row row = Rows()[index];
    const QString page = kBefore + row.tag + kAfter;
    for (const bool changing : {false, true}) {
        if (changing && row.change.isEmpty())
            continue;
        test::WindowFixture w(page);
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        w.box().SetSelStart(kBefore.size() + 2);
        QString opened = QStringLiteral("none");
        QStringList problems;
        test::OnNextModal([&](QWidget* dialog) {
            if (!dialog)
                return;
            opened = dialog->objectName();
            if (!changing)
                problems = test::CutCaptions(dialog) + test::UnnamedControls(dialog);
            else
                Change(dialog, row.change);
            if (auto* ok = dialog->findChild<QAbstractButton*>(QStringLiteral("CmdOK")))
                ok->click();
        });
        QTest::keyClick(w.window.MainText(), Qt::Key_F4);
        QCOMPARE(opened, row.dialog);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
        const QString now = w.box().Text();
        if (!changing) {
            QVERIFY2(now == page, qPrintable(TagPlace(now).left(300)));
            QVERIFY(!w.state.Doc.canUndo());
            continue;
        }
        const QString place = TagPlace(now);
        for (const QString& kept : row.kept)
            QVERIFY2(place.contains(kept),
                     qPrintable(kept.left(80) + QStringLiteral(" lost: ") + place.left(300)));
        // Every ASP block of the old start tag survives, unless the row pins a result in which
        // the user's change replaced one.
        const qsizetype tagEnd = row.tag.indexOf(u'>', row.tag.lastIndexOf(u"%>") + 1);
        const QString startTag = row.tag.left(tagEnd + 1);
        for (qsizetype at = row.result.isEmpty() ? startTag.indexOf(u"<%") : -1; at >= 0;
             at = startTag.indexOf(u"<%", at + 2)) {
            const QString block = startTag.mid(at, startTag.indexOf(u"%>", at) + 2 - at);
            QVERIFY2(place.contains(block),
                     qPrintable(block + QStringLiteral(" lost: ") + place.left(300)));
        }
        if (!row.result.isEmpty()) {
            const QString expected = row.tag.size() > 1000 && !row.result.contains(u"</")
                                         ? row.result + row.tag.mid(row.tag.indexOf(u'>') + 1)
                                         : row.result;
            QCOMPARE(place.left(300), expected.left(300));
            QCOMPARE(place, expected);
        }
    }
}

// A registered tag dialog without rows would escape the promises above.
void TestDialogContract::everyTagDialogHasRows()
{
    QSet<QString> covered;
    for (const Row& row : Rows())
        covered.insert(row.dialog);
    test::WindowFixture w;
    w.window.show();
    QStringList missing;
    for (const QString& name : w.state.Dialogs.Names()) {
        bool tagDialog = false;
        test::OnNextModal([&](QWidget* dialog) { tagDialog = qobject_cast<TagDialog*>(dialog); });
        w.state.Dialogs.Open(name, DialogRequest{w.state, w.box(), &w.window, QString()});
        QCoreApplication::processEvents();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top != &w.window && top->isVisible())
                top->close();
        }
        if (tagDialog && !covered.contains(name))
            missing << name;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
}

// A dialog's own message boxes and pickers hand the activation back to it; the opening must not
// run again and undo what the user typed.
void TestDialogContract::openingRunsOnce()
{
    test::WindowFixture w(kBefore + QStringLiteral("<H2 CLASS=a>x</H2>") + kAfter);
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.box().SetSelStart(kBefore.size() + 2);
    QString shown;
    test::OnNextModal([&](QWidget* dialog) {
        if (!dialog)
            return;
        auto* text = dialog->findChild<QLineEdit*>(QStringLiteral("Text1"));
        text->setText(QStringLiteral("typed"));
        QApplication::setActiveWindow(&w.window);
        dialog->hide();
        dialog->show();
        QApplication::setActiveWindow(dialog);
        QCoreApplication::processEvents();
        shown = text->text();
        dialog->findChild<QAbstractButton*>(QStringLiteral("CmdOK"))->click();
    });
    QTest::keyClick(w.window.MainText(), Qt::Key_F4);
    QCOMPARE(shown, QStringLiteral("typed"));
    QCOMPARE(w.box().Text(), kBefore + QStringLiteral("<H2 CLASS=a>typed</H2>") + kAfter);
}

// The colour picker fills other dialogs' fields by name; a rename must not break it unseen.
void TestDialogContract::colourCallersNameRealFields()
{
    test::WindowFixture w;
    w.window.show();
    const QStringList registered = w.state.Dialogs.Names();
    int checked = 0;
    for (const ColorCaller& caller : ColorCallers()) {
        if (!registered.contains(caller.name))
            continue; // not built yet: checked once it is registered
        QStringList fields = caller.writtenFields;
        for (const SlotPreset& preset : caller.presets)
            fields << preset.field;
        QStringList missing;
        test::OnNextModal([&](QWidget* dialog) {
            for (const QString& field : fields) {
                if (!dialog || !dialog->findChild<QLineEdit*>(field))
                    missing << field;
            }
        });
        w.state.Dialogs.Open(caller.name, DialogRequest{w.state, w.box(), &w.window, QString()});
        QVERIFY2(missing.isEmpty(), qPrintable(caller.name + u' ' + missing.join(u' ')));
        ++checked;
    }
    QVERIFY(checked >= 3);
}

QTEST_MAIN(TestDialogContract)
#include "tst_dialogcontract.moc"
