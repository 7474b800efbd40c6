#include "app/frmmain.h"
#include "app/mainlayout.h"
#include "captionfit.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "filesession.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace tl;
using Session = test::FileSession;

Q_DECLARE_METATYPE(tl::TextEncoding)

namespace
{

TextEncoding Encoding(TextEncoding::Kind kind, const QByteArray& name = {}, bool bom = false)
{
    TextEncoding e;
    e.kind = kind;
    e.name = name;
    e.bom = bom;
    return e;
}

TextEncoding WithLineEnd(TextEncoding e, LineEnd end)
{
    e.lineEnd = end;
    return e;
}

const QByteArray kMeta =
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n";

} // namespace

class TestEncodingPanel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void panelText_data();
    void panelText();
    void panelFollowsThePage();
    void clickOpensItsMenu();
    void toUtf8AndBackToShiftJis();
    void switchingBackKeepsTheByteVariants_data();
    void switchingBackKeepsTheByteVariants();
    void reopenWithAnotherEncodingAsksAboutChanges();
    void lfPageKeepsItsLineEnds();
    void lineEndMenuChangesEveryLineEnd();
};

void TestEncodingPanel::panelText_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<bool>("mixed");
    QTest::addColumn<QString>("expected");
    using K = TextEncoding::Kind;
    QTest::newRow("shift_jis") << true << Encoding(K::Cp932) << false
                               << QStringLiteral("Shift_JIS CRLF");
    QTest::newRow("utf8_with_bom")
        << true << Encoding(K::Utf8, {}, true) << false << QStringLiteral("UTF-8 (BOM) CRLF");
    QTest::newRow("utf8") << true << Encoding(K::Utf8) << false << QStringLiteral("UTF-8 CRLF");
    QTest::newRow("declared_charset_by_its_canonical_name")
        << true << Encoding(K::Named, "euc-jp") << false << QStringLiteral("EUC-JP CRLF");
    QTest::newRow("no_document") << false << Encoding(K::Cp932) << false << QString();
    QTest::newRow("lf") << true << WithLineEnd(Encoding(K::Cp932), LineEnd::Lf) << false
                        << QStringLiteral("Shift_JIS LF");
    QTest::newRow("cr") << true << WithLineEnd(Encoding(K::Named, "euc-jp"), LineEnd::Cr) << false
                        << QStringLiteral("EUC-JP CR");
    QTest::newRow("utf8_with_bom_lf")
        << true << WithLineEnd(Encoding(K::Utf8, {}, true), LineEnd::Lf) << false
        << QStringLiteral("UTF-8 (BOM) LF");
    QTest::newRow("mixed") << true << WithLineEnd(Encoding(K::Cp932), LineEnd::Lf) << true
                           << QStringLiteral("Shift_JIS 改行混在");
}

void TestEncodingPanel::panelText()
{
    QFETCH(bool, shown);
    QFETCH(TextEncoding, encoding);
    QFETCH(bool, mixed);
    QFETCH(QString, expected);
    QCOMPARE(EncodingPanelText(shown, encoding, mixed), expected);
}

void TestEncodingPanel::panelFollowsThePage()
{
    Session s;
    QToolButton* panel = s.window.EncodingPanel();
    QCOMPARE(panel->objectName(), QStringLiteral("Panel4"));
    QCOMPARE(panel->text(), QString());
    QVERIFY(!panel->isEnabled());
    const QString sjis = s.write(QStringLiteral("s.htm"), "\x93\xfa\x96\x7b\r\n");
    const QString utf8 = s.write(QStringLiteral("u.htm"), "\xEF\xBB\xBF\xE6\x97\xA5\r\n");
    QCOMPARE(s.files().OpenDocument(sjis), 0);
    QCOMPARE(panel->text(), QStringLiteral("Shift_JIS CRLF"));
    // A reader hears what it shows.
    QCOMPARE(panel->accessibleName(), QStringLiteral("Shift_JIS CRLF"));
    QCOMPARE(s.files().OpenDocument(utf8), 0);
    QCOMPARE(panel->text(), QStringLiteral("UTF-8 (BOM) CRLF"));
    QCOMPARE(panel->accessibleName(), QStringLiteral("UTF-8 (BOM) CRLF"));
    s.files().NewDocument();
    QCOMPARE(panel->text(), QStringLiteral("Shift_JIS CRLF"));
    s.files().CloseDocument();
    QCOMPARE(panel->text(), QString());
}

void TestEncodingPanel::clickOpensItsMenu()
{
    Session s;
    const QString page = s.write(QStringLiteral("p.htm"), "x\r\n");
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    QStringList shown;
    QTimer timer;
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, this, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer.stop();
        for (QAction* a : menu->actions())
            shown << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
        auto* save = menu->findChild<QMenu*>(QStringLiteral("SaveEncodingMenu"));
        for (QAction* a : save->actions())
            shown << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
        menu->close();
    });
    timer.start();
    QTest::mouseClick(s.window.EncodingPanel(), Qt::LeftButton);
    QTRY_VERIFY(!timer.isActive());
    QCOMPARE(shown, (QStringList{QStringLiteral("別の文字コードで開き直す(&R)"),
                                 QStringLiteral("保存する文字コード(&S)"), QString(),
                                 QStringLiteral("改行 CR+LF *"), QStringLiteral("改行 LF"),
                                 QStringLiteral("Shift_JIS *"), QStringLiteral("UTF-8"),
                                 QStringLiteral("UTF-8 (BOM 付き)")}));
}

void TestEncodingPanel::toUtf8AndBackToShiftJis()
{
    Session s;
    // Shift-JIS: the declaration, then "<P>日本</P>".
    const QByteArray original = kMeta + "<P>\x93\xfa\x96\x7b</P>\r\n";
    const QString page = s.write(QStringLiteral("p.htm"), original);
    QCOMPARE(s.files().OpenDocument(page), 0);
    QToolButton* panel = s.window.EncodingPanel();

    // UTF-8 with a BOM from now on, the declaration following (one undo step).
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.window.findChild<QAction*>(QStringLiteral("SaveAs UTF-8 (BOM 付き)"))->trigger();
    QCOMPARE(panel->text(), QStringLiteral("UTF-8 (BOM) CRLF"));
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(Session::read(page), original);
    s.files().SaveDocument();
    QByteArray utf8Meta = kMeta;
    utf8Meta.replace("Shift_JIS", "UTF-8");
    QCOMPARE(Session::read(page),
             "\xEF\xBB\xBF" + utf8Meta + "<P>\xE6\x97\xA5\xE6\x9C\xAC</P>\r\n");
    QVERIFY(!s.state.Doc.isModified());

    // Opened again it is UTF-8; then back to Shift_JIS with a character Shift_JIS cannot hold:
    // the save asks, and a reference keeps the page in Shift_JIS.
    QCOMPARE(s.files().OpenDocument(page), 0);
    QCOMPARE(panel->text(), QStringLiteral("UTF-8 (BOM) CRLF"));
    s.box().SetSelStart(s.box().Text().indexOf(QStringLiteral("</P>")));
    s.box().SetSelText(QStringLiteral("😀"));
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.window.findChild<QAction*>(QStringLiteral("SaveAs Shift_JIS"))->trigger();
    QCOMPARE(panel->text(), QStringLiteral("Shift_JIS CRLF"));
    s.prompts.planChoice(0);
    s.files().SaveDocument();
    QVERIFY(!s.prompts.unplanned);
    QCOMPARE(Session::read(page), kMeta + "<P>\x93\xfa\x96\x7b&#x1F600;</P>\r\n");
    QCOMPARE(panel->text(), QStringLiteral("Shift_JIS CRLF"));
    QCOMPARE(s.prompts.messages.size(), 2);
    QCOMPARE(s.prompts.choiceRequests.size(), 1);
}

void TestEncodingPanel::switchingBackKeepsTheByteVariants_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // ≒ written 87 90 (NEC row 13) throughout, where Windows writes 81 E0.
    QTest::newRow("usual_variant") << QByteArray("<P>\x87\x90\x87\x90</P>\r\n");
    // 纊 mostly ED 40, once FA 5C; ∵ once 87 9A besides 81 E6.
    QTest::newRow("usual_and_kept_variants")
        << QByteArray("<P>\xED\x40\xED\x40\xFA\x5C \x81\xE6\x81\xE6\x87\x9A</P>\r\n");
}

// To UTF-8 and back to Shift_JIS without a save between: the page is written as it was read.
void TestEncodingPanel::switchingBackKeepsTheByteVariants()
{
    QFETCH(QByteArray, bytes);
    Session s;
    const QString page = s.write(QStringLiteral("v.htm"), bytes);
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.window.findChild<QAction*>(QStringLiteral("SaveAs UTF-8"))->trigger();
    s.window.findChild<QAction*>(QStringLiteral("SaveAs Shift_JIS"))->trigger();
    QCOMPARE(s.window.EncodingPanel()->text(), QStringLiteral("Shift_JIS CRLF"));
    s.files().SaveDocument();
    QCOMPARE(Session::read(page), bytes);
    QVERIFY(s.prompts.messages.isEmpty());
}

void TestEncodingPanel::reopenWithAnotherEncodingAsksAboutChanges()
{
    Session s;
    // "日本語" in EUC-JP under a declaration that says Shift_JIS: read so, it is garbled. (An
    // undeclared page that only EUC-JP reads opens as EUC-JP.)
    const QByteArray meta = "<META http-equiv=\"Content-Type\" content=\"text/html; "
                            "charset=Shift_JIS\">\r\n";
    const QByteArray eucjp = meta + "<P>\xC6\xFC\xCB\xDC\xB8\xEC</P>\r\n";
    const QString page = s.write(QStringLiteral("e.htm"), eucjp);
    QCOMPARE(s.files().OpenDocument(page), 0);
    QCOMPARE(s.prompts.messages.size(), 1); // the bytes Shift_JIS cannot read
    s.type(QStringLiteral("x"));
    QAction* reopen = s.window.findChild<QAction*>(QStringLiteral("ReopenAs EUC-JP"));

    s.prompts.planAnswer(MsgAnswer::Cancel);
    reopen->trigger();
    QCOMPARE(s.window.EncodingPanel()->text(), QStringLiteral("Shift_JIS CRLF"));
    QVERIFY(s.box().Text().startsWith(u'x'));

    s.prompts.planAnswer(MsgAnswer::No);
    reopen->trigger();
    QVERIFY(!s.prompts.unplanned);
    QCOMPARE(s.prompts.messages.size(), 3);
    QCOMPARE(s.box().Text(), QString::fromLatin1(meta) + QStringLiteral("<P>日本語</P>\r\n"));
    QCOMPARE(s.window.EncodingPanel()->text(), QStringLiteral("EUC-JP CRLF"));
    QVERIFY(!s.state.Doc.isModified());
    QCOMPARE(Session::read(page), eucjp);
    // Saved, it stays EUC-JP byte for byte, with no question about unreadable bytes.
    s.state.Doc.setModified(true);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 3);
    QCOMPARE(Session::read(page), eucjp);
}

// An LF page through the window: shown as LF, saved unedited byte for byte, and a line typed
// with Enter or a snippet written with CR LF take LF on save.
void TestEncodingPanel::lfPageKeepsItsLineEnds()
{
    Session s;
    const QByteArray lf = "<P>\x93\xfa\x96\x7b</P>\n<P>x</P>\n"; // 日本
    const QString page = s.write(QStringLiteral("lf.htm"), lf);
    QCOMPARE(s.files().OpenDocument(page), 0);
    QCOMPARE(s.window.EncodingPanel()->text(), QStringLiteral("Shift_JIS LF"));
    s.files().SaveDocument();
    QCOMPARE(Session::read(page), lf);

    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    MainTextEdit* edit = s.window.MainText();
    edit->setFocus();
    s.box().SetSelStart(int(s.box().Text().indexOf(QStringLiteral("\r\n<P>x"))));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, QStringLiteral("y"));
    s.box().SetSelText(QStringLiteral("\r\n<BR>\r\n"));
    s.files().SaveDocument();
    QCOMPARE(Session::read(page), QByteArray("<P>\x93\xfa\x96\x7b</P>\ny\n<BR>\n\n<P>x</P>\n"));
    QCOMPARE(s.window.EncodingPanel()->text(), QStringLiteral("Shift_JIS LF"));
    QVERIFY(!s.prompts.unplanned);
}

// A page that mixes line ends says so; the menu makes every line end CR LF or LF from the next
// save on, and marks the page modified.
void TestEncodingPanel::lineEndMenuChangesEveryLineEnd()
{
    Session s;
    const QByteArray mixed = "a\nb\r\nc\nd\re";
    const QString page = s.write(QStringLiteral("mixed.htm"), mixed);
    QCOMPARE(s.files().OpenDocument(page), 0);
    QToolButton* panel = s.window.EncodingPanel();
    QCOMPARE(panel->text(), QStringLiteral("Shift_JIS 改行混在"));
    auto* crlf = s.window.findChild<QAction*>(QStringLiteral("mnuLineEndCrLf"));
    auto* lf = s.window.findChild<QAction*>(QStringLiteral("mnuLineEndLf"));
    QVERIFY(crlf && lf);
    QCOMPARE(crlf->text(), QStringLiteral("改行 CR+LF"));
    QCOMPARE(lf->text(), QStringLiteral("改行 LF"));
    QVERIFY(crlf->isCheckable() && lf->isCheckable());
    auto* menu = s.window.findChild<QMenu*>(QStringLiteral("EncodingMenu"));
    Q_EMIT menu->aboutToShow();
    QVERIFY(!crlf->isChecked() && !lf->isChecked());

    crlf->trigger();
    QCOMPARE(panel->text(), QStringLiteral("Shift_JIS CRLF"));
    QVERIFY(s.state.Doc.isModified());
    Q_EMIT menu->aboutToShow();
    QVERIFY(crlf->isChecked() && !lf->isChecked());
    s.files().SaveDocument();
    QCOMPARE(Session::read(page), QByteArray("a\r\nb\r\nc\r\nd\r\ne"));

    lf->trigger();
    QCOMPARE(panel->text(), QStringLiteral("Shift_JIS LF"));
    QVERIFY(s.state.Doc.isModified());
    s.files().SaveDocument();
    QCOMPARE(Session::read(page), QByteArray("a\nb\nc\nd\ne"));
    QVERIFY(!s.prompts.unplanned);
}

QTEST_MAIN(TestEncodingPanel)
#include "tst_encodingpanel.moc"
