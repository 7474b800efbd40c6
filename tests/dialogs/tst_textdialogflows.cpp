// The text block dialogs (heading, FONT, horizontal rule, named anchor, comment) as a user meets
// them: from the toolbar and by re-editing with F4, through their real controls.
#include "app/registerdialogs.h"
#include "core/appstate.h"
#include "core/dialogregistry.h"
#include "dialogs/html/frmcomment.h"
#include "dialogs/html/frmfont.h"
#include "dialogs/html/frmh.h"
#include "dialogs/html/frmlines.h"
#include "dialogs/html/frmmarker.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "fixtures.h"
#include "modaldialogs.h"
#include "scriptedprompter.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tl;

namespace
{

template <class T> T* Child(QWidget* dialog, const QString& name)
{
    return dialog ? dialog->findChild<T*>(name) : nullptr;
}

// Works the dialog's controls as a user does: "Text1=red" types red over the field's content,
// "Option5" clicks that option or check box. Returns what it could not find.
QStringList Operate(QWidget* dialog, const QStringList& actions)
{
    QStringList missing;
    for (const QString& action : actions) {
        const qsizetype eq = action.indexOf(u'=');
        if (eq > 0) {
            auto* field = Child<QLineEdit>(dialog, action.left(eq));
            if (!field) {
                missing << action;
                continue;
            }
            field->setFocus(Qt::TabFocusReason);
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Delete);
            QTest::keyClicks(field, action.mid(eq + 1));
        } else if (auto* button = Child<QAbstractButton>(dialog, action)) {
            button->click();
        } else {
            missing << action;
        }
    }
    return missing;
}

// An edit box with the dialogs registered and text in it.
struct Editor : test::BoxFixture {
    Editor(const QString& text, qint64 caret)
    {
        RegisterDialogs(state.Dialogs);
        set(text, caret);
    }
    void open(const QString& dialog)
    {
        state.Dialogs.Open(dialog, DialogRequest{state, box, nullptr, QString()});
    }
};

// The page "abc" CR LF tag CR LF "xyz", the tag set as the EditTarget as re-editing sets it.
struct Reedit : Editor {
    static inline const QString before = QStringLiteral("abc\r\n");
    static inline const QString after = QStringLiteral("\r\nxyz");

    explicit Reedit(const QString& tag) : Editor(before + tag + after, 0)
    {
        state.EditTarget = TagRange{before.size() + 1, tag.size()};
    }
};

} // namespace

class TestTextDialogFlows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void okWithoutAChangeLeavesTheTag_data();
    void okWithoutAChangeLeavesTheTag();
    void aChangeKeepsUnknownAttributes_data();
    void aChangeKeepsUnknownAttributes();
    void linesRefusesANonNumber_data();
    void linesRefusesANonNumber();
    void fontChooserProposesTheFaceAndCancelKeepsIt();
    void colourButtonsOpenThePickerOnTheirField_data();
    void colourButtonsOpenThePickerOnTheirField();
    void commentPlaceholderWordIsSelected();
    void toolbarCommands_data();
    void toolbarCommands();
    void f4Reedits_data();
    void f4Reedits();
};

// Hand-written tags in every style: OK without a change leaves them byte for byte, with no
// undo step, even where the dialog would write them otherwise.
void TestTextDialogFlows::okWithoutAChangeLeavesTheTag_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("tag");

    const std::pair<const char*, const char*> tags[] = {
        {"frmH", "<h2>Intro</h2>"},
        {"frmH", "<H2  ALIGN = center >Intro</H2>"},
        {"frmFont", "<font size=\"+1\">x</font>"},
        {"frmFont", "<font face=Arial color = red>x</font>"},
        {"frmFont", "<FONT SIZE=4>"},
        {"frmLines", "<hr width=50% noshade>"},
        {"frmLines", "<hr size=abc>"},
        {"frmLines", "<HR>"},
        {"frmMarker", "<a name=top></a>"},
        {"frmMarker", "<A NAME=top>"},
        {"frmComment", "<!--  odd  -->"},
    };
    for (const auto& [dialog, tag] : tags)
        QTest::newRow(tag) << QString::fromLatin1(dialog) << QString::fromLatin1(tag);
}

void TestTextDialogFlows::okWithoutAChangeLeavesTheTag()
{
    QFETCH(QString, dialog);
    QFETCH(QString, tag);

    Reedit e(tag);
    QString opened;
    test::OnNextModal([&](QWidget* d) {
        opened = d ? d->objectName() : QStringLiteral("none");
        if (auto* ok = Child<QPushButton>(d, QStringLiteral("CmdOK")))
            ok->click();
    });
    e.open(dialog);
    QCOMPARE(opened, dialog);
    QCOMPARE(e.box.Text(), Reedit::before + tag + Reedit::after);
    QVERIFY(!e.state.Doc.canUndo());
    QCOMPARE(e.state.EditTarget, TagRange{});
}

// A changed field rewrites the tag in the dialog's form; what the dialog does not know stays.
void TestTextDialogFlows::aChangeKeepsUnknownAttributes_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("result");

    QTest::newRow("font_size") << QStringLiteral("frmFont")
                               << QStringLiteral("<FONT SIZE=3 CLASS=k>x</FONT>")
                               << QStringList{QStringLiteral("Option5")}
                               << QStringLiteral("<FONT SIZE=\"5\" CLASS=k>x</FONT>");
    QTest::newRow("font_centred")
        << QStringLiteral("frmFont") << QStringLiteral("<FONT SIZE=3 CLASS=k>x</FONT>")
        << QStringList{QStringLiteral("Check1")}
        << QStringLiteral("<CENTER>\r\n<FONT SIZE=\"3\" CLASS=k>x</FONT>\r\n</CENTER>");
    QTest::newRow("unclosed_font_colour")
        << QStringLiteral("frmFont") << QStringLiteral("<font size=4 class=k>")
        << QStringList{QStringLiteral("Text1=red")}
        << QStringLiteral("<FONT COLOR=\"red\" SIZE=\"4\" class=k>");
    QTest::newRow("hr_size") << QStringLiteral("frmLines") << QStringLiteral("<HR SIZE=2 ID=sep>")
                             << QStringList{QStringLiteral("Text1=4")}
                             << QStringLiteral("<HR SIZE=\"4\" ID=sep>");
    QTest::newRow("heading_alignment")
        << QStringLiteral("frmH") << QStringLiteral("<H2 CLASS=a>x</H2>")
        << QStringList{QStringLiteral("Option11"), QStringLiteral("Option16")}
        << QStringLiteral("<H2 ALIGN='center' CLASS=a>x</H2>");
    QTest::newRow("marker_name_keeps_href_and_empty_text")
        << QStringLiteral("frmMarker") << QStringLiteral("<A NAME=top HREF=\"#x\"></A>")
        << QStringList{QStringLiteral("Text1=start")}
        << QStringLiteral("<A NAME=\"start\" HREF=\"#x\"></A>");
    QTest::newRow("comment_text") << QStringLiteral("frmComment") << QStringLiteral("<!-- a -->")
                                  << QStringList{QStringLiteral("Text1=b")}
                                  << QStringLiteral("<!-----b----->");
}

void TestTextDialogFlows::aChangeKeepsUnknownAttributes()
{
    QFETCH(QString, dialog);
    QFETCH(QString, tag);
    QFETCH(QStringList, actions);
    QFETCH(QString, result);

    Reedit e(tag);
    QStringList missing{QStringLiteral("no dialog")};
    test::OnNextModal([&](QWidget* d) {
        if (!d)
            return;
        missing = Operate(d, actions);
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->click();
    });
    e.open(dialog);
    QCOMPARE(missing, QStringList());
    QCOMPARE(e.box.Text(), Reedit::before + result + Reedit::after);
    QVERIFY(e.state.Doc.canUndo());
}

void TestTextDialogFlows::linesRefusesANonNumber_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("focus");

    QTest::newRow("size_abc") << QStringLiteral("abc") << QStringLiteral("0")
                              << QStringLiteral("Text1");
    QTest::newRow("size_empty") << QString() << QStringLiteral("0") << QStringLiteral("Text1");
    QTest::newRow("width_after_a_good_size")
        << QStringLiteral("2") << QStringLiteral("50px") << QStringLiteral("Text2");
}

void TestTextDialogFlows::linesRefusesANonNumber()
{
    QFETCH(QString, size);
    QFETCH(QString, width);
    QFETCH(QString, focus);

    Editor e(QStringLiteral("abc"), 3);
    QString seen;
    test::OnNextModal([&](QWidget* d) {
        auto* text1 = Child<QLineEdit>(d, QStringLiteral("Text1"));
        auto* text2 = Child<QLineEdit>(d, QStringLiteral("Text2"));
        if (!text1 || !text2 || !QTest::qWaitForWindowActive(d))
            return;
        text1->setText(size);
        text2->setText(width);
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->click();
        QWidget* focused = QApplication::focusWidget();
        seen = (d->isVisible() ? QStringLiteral("open") : QStringLiteral("closed")) +
               QStringLiteral(", focus in ") +
               (focused ? focused->objectName() : QStringLiteral("nothing"));
        // Corrected, OK goes through.
        text1->setText(QStringLiteral("1"));
        text2->setText(QStringLiteral("0"));
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->click();
    });
    e.open(QStringLiteral("frmLines"));
    QCOMPARE(seen, QStringLiteral("open, focus in ") + focus);
    QCOMPARE(e.prompts.messages.size(), 1);
    QCOMPARE(e.prompts.messages[0].text, QStringLiteral("整数の値を指定して下さい"));
    QCOMPARE(e.prompts.messages[0].title, QStringLiteral("Lines"));
    QCOMPARE(e.prompts.messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(e.box.Text(), QStringLiteral("abc<HR SIZE=\"1\">"));
}

void TestTextDialogFlows::fontChooserProposesTheFaceAndCancelKeepsIt()
{
    Editor e(QStringLiteral("abc"), 0);
    e.prompts.planFontName(QStringLiteral("Osaka"));
    e.prompts.planFontName(QString()); // cancelled
    QString faces;
    test::OnNextModal([&](QWidget* d) {
        auto* text2 = Child<QLineEdit>(d, QStringLiteral("Text2"));
        auto* command2 = Child<QPushButton>(d, QStringLiteral("Command2"));
        if (!text2 || !command2)
            return;
        command2->click();
        faces = text2->text();
        command2->click();
        faces += u',' + text2->text();
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->click();
    });
    e.open(QStringLiteral("frmFont"));
    QCOMPARE(faces, QStringLiteral("Osaka,Osaka"));
    QCOMPARE(e.prompts.fontProposals,
             (QStringList{QStringLiteral("ＭＳ 明朝"), QStringLiteral("Osaka")}));
    QVERIFY(!e.prompts.unplanned);
    QCOMPARE(e.box.Text(), QStringLiteral("<FONT FACE=\"Osaka\" SIZE=\"3\"></FONT>abc"));
}

void TestTextDialogFlows::colourButtonsOpenThePickerOnTheirField_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<QString>("result");

    QTest::newRow("font") << QStringLiteral("frmFont") << QStringLiteral("Command1")
                          << QStringLiteral("Text1") << QStringLiteral("文字の色を選ぶ")
                          << QStringLiteral("<FONT COLOR=\"#FF0000\" SIZE=\"3\"></FONT>abc");
    QTest::newRow("rule") << QStringLiteral("frmLines") << QStringLiteral("CmdColor")
                          << QStringLiteral("Text3") << QStringLiteral("線の色を選ぶ")
                          << QStringLiteral("<HR COLOR=\"#FF0000\">abc");
}

// The picker writes into the control with the focus: the button puts it in its colour field.
void TestTextDialogFlows::colourButtonsOpenThePickerOnTheirField()
{
    QFETCH(QString, dialog);
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, accessibleName);
    QFETCH(QString, result);

    Editor e(QStringLiteral("abc"), 0);
    QString focused;
    e.state.Dialogs.Register(QStringLiteral("frmColor"), [&](const DialogRequest& request) {
        auto* line = qobject_cast<QLineEdit*>(request.parent->focusWidget());
        focused = line ? line->objectName() : QStringLiteral("no field");
        if (line)
            line->setText(QStringLiteral("#FF0000"));
    });
    QString caption;
    test::OnNextModal([&](QWidget* d) {
        auto* b = Child<QPushButton>(d, button);
        if (!b)
            return;
        caption = b->text() + u' ' + b->accessibleName();
        b->click();
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->click();
    });
    e.open(dialog);
    QCOMPARE(caption, QStringLiteral("参照.... ") + accessibleName);
    QCOMPARE(focused, field);
    QCOMPARE(e.box.Text(), result);
}

// From the toolbar: the placeholder comment opens with its word selected, so typing replaces
// the word; once the field holds something else, the focus selects it whole as everywhere.
void TestTextDialogFlows::commentPlaceholderWordIsSelected()
{
    test::WindowFixture f(QStringLiteral("ab"));
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    f.box().SetSelStart(1);
    QString seen;
    test::OnNextModal([&](QWidget* d) {
        auto* text1 = Child<QLineEdit>(d, QStringLiteral("Text1"));
        // The offscreen platform leaves the main window active under its modal dialog.
        d->activateWindow();
        if (!text1 || !QTest::qWaitFor([d] { return QApplication::activeWindow() == d; }))
            return;
        seen = QApplication::focusWidget() == text1 ? text1->selectedText()
                                                    : QStringLiteral("focus elsewhere");
        QTest::keyClicks(text1, QStringLiteral("memo"));
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->setFocus(Qt::TabFocusReason);
        text1->setFocus(Qt::TabFocusReason);
        seen += u',' + text1->selectedText();
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->click();
    });
    QAction* button = f.item("CommentButton");
    QVERIFY(button && button->isEnabled());
    button->trigger();
    QCOMPARE(seen, QStringLiteral("コメント,<!-----memo----->"));
    QCOMPARE(f.box().Text(), QStringLiteral("a<!-----memo----->b"));
}

void TestTextDialogFlows::toolbarCommands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("selLength"); // from the page's start
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("result");

    QTest::newRow("heading_on_a_line")
        << QStringLiteral("HButton") << QStringLiteral("Intro\r\nrest") << 7
        << QStringList{QStringLiteral("Option2"), QStringLiteral("Option11")}
        << QStringLiteral("<H2 ALIGN=\"center\">Intro</H2>rest");
    QTest::newRow("font_centred_on_a_line")
        << QStringLiteral("FontButton") << QStringLiteral("big\r\nrest") << 5
        << QStringList{QStringLiteral("Text1=red"), QStringLiteral("Option5"),
                       QStringLiteral("Check1")}
        << QStringLiteral("<CENTER>\r\n<FONT COLOR=\"red\" SIZE=\"5\">big</FONT>\r\n\r\n</CENTER>"
                          "rest");
    QTest::newRow("rule") << QStringLiteral("LinesButton") << QStringLiteral("rest") << 0
                          << QStringList{QStringLiteral("Text1=1.5"), QStringLiteral("Text2=50"),
                                         QStringLiteral("Check1"), QStringLiteral("Option7")}
                          << QStringLiteral("<HR SIZE='2' WIDTH='50%' NOSHADE>rest");
    QTest::newRow("marker_on_a_word")
        << QStringLiteral("MarkerButton") << QStringLiteral("Top rest") << 3
        << QStringList{QStringLiteral("Text1=top")}
        << QStringLiteral("<A NAME=\"top\">Top</A> rest");
}

void TestTextDialogFlows::toolbarCommands()
{
    QFETCH(QString, button);
    QFETCH(QString, page);
    QFETCH(int, selLength);
    QFETCH(QStringList, actions);
    QFETCH(QString, result);

    test::WindowFixture f(page);
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    f.box().SetSelStart(0);
    f.box().SetSelLength(selLength);
    QStringList missing{QStringLiteral("no dialog")};
    test::OnNextModal([&](QWidget* d) {
        if (!d)
            return;
        missing = Operate(d, actions);
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->click();
    });
    QAction* action = f.item(qPrintable(button));
    QVERIFY(action && action->isEnabled());
    action->trigger();
    QCOMPARE(missing, QStringList());
    QCOMPARE(f.box().Text(), result);
}

// F4 in the edit box opens the tag's dialog on it; the result replaces exactly the tag, or the
// opening tag alone when the element is not closed.
void TestTextDialogFlows::f4Reedits_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("result");

    QTest::newRow("heading") << QStringLiteral("<H4>X</H4>") << QStringLiteral("frmH")
                             << QStringList{QStringLiteral("Text1=Y")}
                             << QStringLiteral("<H4>Y</H4>");
    QTest::newRow("font") << QStringLiteral("<font size=4>big</font>") << QStringLiteral("frmFont")
                          << QStringList{QStringLiteral("Option5")}
                          << QStringLiteral("<FONT SIZE=\"5\">big</FONT>");
    QTest::newRow("unclosed_font")
        << QStringLiteral("<FONT SIZE=4 CLASS=k>big") << QStringLiteral("frmFont")
        << QStringList{QStringLiteral("Text1=red")}
        << QStringLiteral("<FONT COLOR=\"red\" SIZE=\"4\" CLASS=k>big");
    QTest::newRow("rule") << QStringLiteral("<hr width=50% noshade>") << QStringLiteral("frmLines")
                          << QStringList{QStringLiteral("Text1=3")}
                          << QStringLiteral("<HR SIZE=\"3\" WIDTH=\"50%\" NOSHADE>");
    QTest::newRow("marker") << QStringLiteral("<A NAME=top>Top</A>") << QStringLiteral("frmMarker")
                            << QStringList{QStringLiteral("Option8")}
                            << QStringLiteral("<A NAME='top'>Top</A>");
    QTest::newRow("comment") << QStringLiteral("<!-- a -->") << QStringLiteral("frmComment")
                             << QStringList{QStringLiteral("Text1=<!-- b -->")}
                             << QStringLiteral("<!-- b -->");
}

void TestTextDialogFlows::f4Reedits()
{
    QFETCH(QString, tag);
    QFETCH(QString, dialog);
    QFETCH(QStringList, actions);
    QFETCH(QString, result);

    const QString before = QStringLiteral("abc\r\n");
    const QString after = QStringLiteral("\r\nxyz");
    test::WindowFixture f(before + tag + after);
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    f.box().SetSelStart(before.size() + 2);
    QString opened = QStringLiteral("none");
    QStringList missing;
    test::OnNextModal([&](QWidget* d) {
        if (!d)
            return;
        opened = d->objectName();
        missing = Operate(d, actions);
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->click();
    });
    QTest::keyClick(&f.edit(), Qt::Key_F4);
    QCOMPARE(opened, dialog);
    QCOMPARE(missing, QStringList());
    QCOMPARE(f.box().Text(), before + result + after);
}

QTEST_MAIN(TestTextDialogFlows)
#include "tst_textdialogflows.moc"
