// Tag re-editing as the user meets it: a double click in the main window's edit box opens the
// tag's dialog on the old tag, and its result replaces the tag. The decision loop is checked
// with recording dialogs in place of the real ones.
#include "app/frmmain.h"
#include "commands/tagreedit.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "fixtures.h"
#include "modaldialogs.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QtTest>

using namespace tl;

namespace
{

const QString kPage = QStringLiteral("abc\r\n<P ALIGN='center'>Hello</P>\r\nxyz");
// Where the paragraph starts, as a caret position.
constexpr qint64 kParagraph = 5;

// A main window on a fresh program folder with a page in its edit box, shown.
struct Window : test::WindowFixture {
    explicit Window(const QString& text) : WindowFixture(text) { window.show(); }
    void doubleClick(qint64 pos)
    {
        QTest::mouseDClick(edit().viewport(), Qt::LeftButton, {},
                           edit().positionRect(pos).center());
    }
};

template <class T> T* Child(QWidget* dialog, const char* name)
{
    return dialog ? dialog->findChild<T*>(QLatin1StringView(name)) : nullptr;
}

QString Checked(QWidget* dialog, std::initializer_list<const char*> names)
{
    QStringList on;
    for (const char* name : names) {
        if (auto* b = Child<QRadioButton>(dialog, name); b && b->isChecked())
            on << QLatin1StringView(name);
    }
    return on.join(u',');
}

// "frmP [Hello] selected=[Hello] Option11 Option6 target=6,27": what the paragraph dialog shows.
QString DescribeParagraphDialog(QWidget* dialog, const AppState& state)
{
    auto* text1 = Child<QLineEdit>(dialog, "Text1");
    if (!text1)
        return dialog ? dialog->objectName() : QStringLiteral("no dialog");
    return QStringLiteral("%1 [%2] selected=[%3] %4 %5 target=%6,%7")
        .arg(dialog->objectName(), text1->text(), text1->selectedText(),
             Checked(dialog, {"Option1", "Option10", "Option11", "Option12"}),
             Checked(dialog, {"Option5", "Option6"}))
        .arg(state.EditTarget.start)
        .arg(state.EditTarget.length);
}

// A program state over a bare edit box, with recording dialogs registered by name.
struct Recorder {
    test::ScriptedPrompter prompts;
    AppState state{prompts};
    Document doc;
    MainTextEdit edit{doc};
    cTextBox box{&edit};
    QStringList opened; // "name(caption) old-text"

    Recorder(const QString& text) { box.SetText(text); }
    // A dialog that records what it was opened on and then writes result, or cancels when
    // result is empty.
    void add(const QString& name, const QString& result = QString())
    {
        state.Dialogs.Register(name, [this, name, result](const DialogRequest& r) {
            QString entry = name;
            if (!r.caption.isEmpty())
                entry += u'(' + r.caption + u')';
            opened << entry + u' ' + EditTargetText(r.state, r.box);
            if (result.isEmpty())
                ClearEditTarget(r.state);
            else
                InsertDialogResult(r.state, r.box, nullptr, result);
        });
    }
};

} // namespace

class TestReedit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void doubleClickOkWithoutChangeGivesSameText();
    void doubleClickEditedParagraphReplacesTag();
    void reeditingKeepsWhatTheDialogDoesNotKnow_data();
    void reeditingKeepsWhatTheDialogDoesNotKnow();
    void f4ReopensTheTagAtTheCaret();
    void doubleClickEscLeavesTextAndClearsTarget();
    void doubleClickOutsideATagOpensNothing_data();
    void doubleClickOutsideATagOpensNothing();
    void rowsOpenInTurn_data();
    void rowsOpenInTurn();
};

void TestReedit::doubleClickOkWithoutChangeGivesSameText()
{
    Window w(kPage);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QString seen;
    test::OnNextModal([&](QWidget* dialog) {
        seen = DescribeParagraphDialog(dialog, w.state);
        if (auto* ok = Child<QPushButton>(dialog, "CmdOK"))
            ok->click();
    });
    // Inside the word ALIGN, which the box selects on its own.
    w.doubleClick(kParagraph + 5);
    QCOMPARE(seen, QStringLiteral("frmP [Hello] selected=[Hello] Option11 Option6 target=6,27"));
    QCOMPARE(w.box().Text(), kPage);
    // Nothing was written: no undo step, and the caret stays where the click put it, inside
    // the tag, so that another double click reopens it.
    QVERIFY(!w.state.Doc.canUndo());
    QCOMPARE(w.box().SelStart(), kParagraph + 5);
    QCOMPARE(w.box().SelLength(), qint64(0));
    QCOMPARE(w.state.EditTarget, TagRange{});
}

// Pages are written in every style. Re-editing a tag and pressing OK without a change leaves
// it byte for byte; a change rewrites it in the dialog's form but keeps the attributes the
// dialog does not know, and a paragraph left unclosed is re-edited as its opening tag.
void TestReedit::reeditingKeepsWhatTheDialogDoesNotKnow_data()
{
    QTest::addColumn<QString>("tag");   // after "abc" CR LF; F4 is pressed inside it
    QTest::addColumn<QString>("click"); // the option clicked before OK; empty: none
    QTest::addColumn<QString>("after"); // the tag's place afterwards

    const QString rest = QStringLiteral("\r\nxyz");
    for (const char* tag : {"<p align=center>Hi</p>", "<P  ALIGN = 'right' >x</P>",
                            "<P CLASS=intro STYLE=\"color:red\">text</P>", "<P ALIGN=CENTER>"})
        QTest::newRow(qPrintable(QStringLiteral("unchanged ") + QLatin1StringView(tag)))
            << QString::fromLatin1(tag) + rest << QString() << QString::fromLatin1(tag) + rest;
    QTest::newRow("changed_keeps_unknown_attributes")
        << QStringLiteral("<P CLASS=\"x\" ALIGN=left ID=a onClick='go()'>Hi</P>") + rest
        << QStringLiteral("Option11")
        << QStringLiteral("<P ALIGN='center' CLASS=\"x\" ID=a onClick='go()'>Hi</P>") + rest;
    QTest::newRow("unclosed_paragraph_changed_as_its_opening_tag")
        << QStringLiteral("<P ALIGN=CENTER CLASS=k>") + rest << QStringLiteral("Option12")
        << QStringLiteral("<P ALIGN=\"right\" CLASS=k>") + rest;
}

void TestReedit::reeditingKeepsWhatTheDialogDoesNotKnow()
{
    QFETCH(QString, tag);
    QFETCH(QString, click);
    QFETCH(QString, after);

    const QString before = QStringLiteral("abc\r\n");
    Window w(before + tag);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.box().SetSelStart(kParagraph + 2);
    QString opened;
    test::OnNextModal([&](QWidget* dialog) {
        opened = dialog ? dialog->objectName() : QStringLiteral("none");
        if (auto* option = Child<QRadioButton>(dialog, qPrintable(click)))
            option->click();
        if (auto* ok = Child<QPushButton>(dialog, "CmdOK"))
            ok->click();
    });
    QTest::keyClick(&w.edit(), Qt::Key_F4);
    QCOMPARE(opened, QStringLiteral("frmP"));
    QCOMPARE(w.box().Text(), before + after);
    QCOMPARE(w.state.Doc.canUndo(), !click.isEmpty());
}

void TestReedit::f4ReopensTheTagAtTheCaret()
{
    Window w(kPage);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.box().SetSelStart(kParagraph + 20); // inside "Hello"
    QString seen;
    test::OnNextModal([&](QWidget* dialog) {
        seen = DescribeParagraphDialog(dialog, w.state);
        if (auto* ok = Child<QPushButton>(dialog, "CmdOK"))
            ok->click();
    });
    QTest::keyClick(&w.edit(), Qt::Key_F4);
    QCOMPARE(seen, QStringLiteral("frmP [Hello] selected=[Hello] Option11 Option6 target=6,27"));
    QCOMPARE(w.box().Text(), kPage);
}

void TestReedit::doubleClickEditedParagraphReplacesTag()
{
    Window w(kPage);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    test::OnNextModal([&](QWidget* dialog) {
        if (auto* text1 = Child<QLineEdit>(dialog, "Text1")) {
            text1->setText(QStringLiteral("Bye"));
            Child<QRadioButton>(dialog, "Option12")->setChecked(true);
            Child<QRadioButton>(dialog, "Option5")->setChecked(true);
            Child<QPushButton>(dialog, "CmdOK")->click();
        }
    });
    // In the content: the nearest "<" before it is still the paragraph's.
    w.doubleClick(kParagraph + 20);
    QCOMPARE(w.box().Text(), QStringLiteral("abc\r\n<P ALIGN=\"right\">Bye</P>\r\nxyz"));
    QCOMPARE(w.box().SelStart(), kParagraph + 1);
    w.box().Undo();
    QCOMPARE(w.box().Text(), kPage);
}

void TestReedit::doubleClickEscLeavesTextAndClearsTarget()
{
    Window w(kPage);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QString seen;
    test::OnNextModal([&](QWidget* dialog) {
        seen = DescribeParagraphDialog(dialog, w.state);
        if (auto* text1 = Child<QLineEdit>(dialog, "Text1"))
            QTest::keyClick(text1, Qt::Key_Escape);
        if (dialog && dialog->isVisible())
            seen += QStringLiteral(" still open");
    });
    w.doubleClick(kParagraph + 5);
    QCOMPARE(seen, QStringLiteral("frmP [Hello] selected=[Hello] Option11 Option6 target=6,27"));
    QCOMPARE(w.box().Text(), kPage);
    QCOMPARE(w.state.EditTarget, TagRange{});
    // The word the double click selected is gone; the caret stands where the click was.
    QCOMPARE(w.box().SelStart(), kParagraph + 5);
    QCOMPARE(w.box().SelLength(), qint64(0));
}

void TestReedit::doubleClickOutsideATagOpensNothing_data()
{
    QTest::addColumn<qint64>("pos");
    QTest::newRow("line_without_lt") << qint64(1);
    QTest::newRow("line_after_the_paragraph") << kParagraph + 29;
}

void TestReedit::doubleClickOutsideATagOpensNothing()
{
    QFETCH(qint64, pos);
    Window w(kPage);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QString seen = QStringLiteral("not run");
    test::OnNextModal([&](QWidget* dialog) {
        seen = dialog ? dialog->objectName() : QStringLiteral("no dialog");
    });
    w.doubleClick(pos);
    QTRY_COMPARE(seen, QStringLiteral("no dialog"));
    QCOMPARE(w.box().Text(), kPage);
    QCOMPARE(w.state.EditTarget, TagRange{});
}

void TestReedit::rowsOpenInTurn_data()
{
    QTest::addColumn<QString>("text");    // the caret where "|" stands
    QTest::addColumn<QString>("results"); // "name=result" of the dialogs that write
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("after");

    QTest::newRow("submit_holding_reset_cancelled_opens_both_captions")
        << QStringLiteral("x<INPUT TYPE=SUBMIT |VALUE=\"Reset\">y") << QString()
        << QStringLiteral("frmButton(Submit) <INPUT TYPE=SUBMIT VALUE=\"Reset\"> | "
                          "frmButton(Reset) <INPUT TYPE=SUBMIT VALUE=\"Reset\">")
        << QStringLiteral("x<INPUT TYPE=SUBMIT VALUE=\"Reset\">y");
    QTest::newRow("second_row_reads_the_tag_the_first_one_wrote")
        << QStringLiteral("x<INPUT TYPE=SUBMIT |VALUE=\"Reset\">y")
        << QStringLiteral("frmButton=<INPUT TYPE=\"RESET\" VALUE=\"Again\">")
        << QStringLiteral("frmButton(Submit) <INPUT TYPE=SUBMIT VALUE=\"Reset\"> | "
                          "frmButton(Reset) <INPUT TYPE=\"RESET\" VALUE=\"Again\">")
        << QStringLiteral("x<INPUT TYPE=\"RESET\" VALUE=\"Again\">y");
    QTest::newRow("unregistered_row_is_skipped_later_row_opens")
        << QStringLiteral("<INPUT TYPE=TEXT |VALUE=\"Submit\">") << QString()
        << QStringLiteral("frmButton(Submit) <INPUT TYPE=TEXT VALUE=\"Submit\">")
        << QStringLiteral("<INPUT TYPE=TEXT VALUE=\"Submit\">");
    QTest::newRow("no_dialog_registered_for_the_tag")
        << QStringLiteral("<TABLE |BORDER WIDTH=100>") << QString() << QString()
        << QStringLiteral("<TABLE BORDER WIDTH=100>");
    QTest::newRow("missing_close_replaces_the_opening_tag_only")
        << QStringLiteral("<TD |WIDTH=5>a\r\nb") << QStringLiteral("frmTHD=<TD>")
        << QStringLiteral("frmTHD(TD) <TD WIDTH=5>") << QStringLiteral("<TD>a\r\nb");
    QTest::newRow("lt_at_line_end_opens_nothing") << QStringLiteral("a <|\r\n<P>b</P>") << QString()
                                                  << QString() << QStringLiteral("a <\r\n<P>b</P>");
}

void TestReedit::rowsOpenInTurn()
{
    QFETCH(QString, text);
    QFETCH(QString, results);
    QFETCH(QString, opened);
    QFETCH(QString, after);

    const qint64 caret = text.indexOf(u'|');
    text.remove(caret, 1);
    Recorder r(text);
    QHash<QString, QString> written;
    if (!results.isEmpty()) {
        const qsizetype eq = results.indexOf(u'=');
        written.insert(results.left(eq), results.mid(eq + 1));
    }
    for (const char* name : {"frmButton", "frmTHD", "frmP"}) {
        const QString n = QLatin1StringView(name);
        r.add(n, written.value(n));
    }
    // A selection the box made must not reach the dialogs.
    r.box.SetSelStart(0);
    r.box.SetSelLength(1);
    ReeditTagAt(r.state, r.box, nullptr, caret);
    QCOMPARE(r.opened.join(QStringLiteral(" | ")), opened);
    QCOMPARE(r.box.Text(), after);
    QCOMPARE(r.state.EditTarget, TagRange{});
}

QTEST_MAIN(TestReedit)
#include "tst_reedit.moc"
