#include "app/frmmain.h"
#include "app/registerdialogs.h"
#include "commands/catalogue.h"
#include "commands/dispatcher.h"
#include "core/appstate.h"
#include "core/dialogregistry.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "fixtures.h"
#include "platform/errors.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QSet>
#include <QTimer>
#include <QtTest>

using namespace tl;

namespace
{

// Every dialog (and routine) an insert command opens.
const QStringList kDialogNames = {
    QStringLiteral("frmLines"),
    QStringLiteral("frmTextBox"),
    QStringLiteral("frmControl"),
    QStringLiteral("frmButton"),
    QStringLiteral("frmTextArea"),
    QStringLiteral("frmDropDownList"),
    QStringLiteral("frmScroll"),
    QStringLiteral("frmPage"),
    QStringLiteral("frmTitle"),
    QStringLiteral("frmBaseFont"),
    QStringLiteral("frmH"),
    QStringLiteral("frmFont"),
    QStringLiteral("frmImg"),
    QStringLiteral("frmDynsrc"),
    QStringLiteral("frmSound"),
    QStringLiteral("frmP"),
    QStringLiteral("frmTable"),
    QStringLiteral("frmTHD"),
    QStringLiteral("frmFrameSet"),
    QStringLiteral("frmFrame"),
    QStringLiteral("frmLink"),
    QStringLiteral("frmMarker"),
    QStringLiteral("frmForm"),
    QStringLiteral("frmHidden"),
    QStringLiteral("frmComment"),
    QStringLiteral("frmLinkTarg"),
    QStringLiteral("frmCookicattribute"),
    QStringLiteral("frmIfThen"),
    QStringLiteral("frmSelect"),
    QStringLiteral("frmDoLoop"),
    QStringLiteral("frmForNext"),
    QStringLiteral("frmFrameAuto"),
    QStringLiteral("frmMethod"),
    QStringLiteral("FindDefinition"),
    QStringLiteral("frmButtonClk"),
    QStringLiteral("frmWebSarver"),
};

// An edit box with a fresh program state whose dialogs only record that they were opened.
struct Editor : test::BoxFixture {
    QStringList opened;

    Editor()
    {
        for (const QString& name : kDialogNames)
            state.Dialogs.Register(
                name, [this, name](const DialogRequest& r) { opened << name + u'|' + r.caption; });
    }
    void run(qint16 code) { RunInsertCommand(state, box, nullptr, code); }
};

// A main window on a fresh program folder with an open page.
using Window = test::WindowFixture;

const QString kAdoConstants = QStringLiteral(
    "'---- CursorTypeEnum Values ----\r\nConst adOpenForwardOnly = 0\r\nConst adOpenKeyset = 1\r\n"
    "Const adOpenDynamic = 2\r\nConst adOpenStatic = 3\r\n\r\n'---- LockTypeEnum Values ----\r\n"
    "Const adLockReadOnly = 1\r\nConst adLockPessimistic = 2\r\nConst adLockOptimistic = 3\r\n"
    "Const adLockBatchOptimistic = 4\r\n");
const QString kFileRead = QStringLiteral(
    "On Error Resume Next\r\nErr.Clear\r\nfp = Server.MapPath(\"FileName.txt\")\r\n"
    "Set fso = Server.CreateObject(\"Scripting.FileSystemObject\")\r\n"
    "Set tso = fso.OpenTextFile(fp,1)\r\nIf Err.Number = 0 Then\r\n"
    "     Do Until tso.AtEndofStream\r\n         Response.Write tso.ReadLine\r\n     Loop\r\n"
    "     fp.Close\r\nElse\r\n     Response.Write \"エラー発生\" & Err.Number & \"<BR>\"\r\n"
    "End If");
const QString kFileWrite =
    QStringLiteral("On Error Resume Next\r\nErr.Clear\r\nfp = Server.MapPath(\"FileName.txt\")\r\n"
                   "Set fso = Server.CreateObject(\"Scripting.FileSystemObject\")\r\n"
                   "Set tso = fso.CreateTextFile(fp,True)\r\nIf Err.Number = 0 Then\r\n"
                   "     tso.WriteLine\" データー書き込み\"\r\n     fp.Close\r\nElse\r\n"
                   "     Response.Write \"エラー発生\" & Err.Number & \"<BR>\"\r\nEnd If");

// The codes whose dialog is not built yet. Shrinks as the dialogs come.
const QList<int> kWaitingCodes = {7,  8,  9,  10, 11, 12, 13, 15, 30, 31, 32, 35, 36, 37, 38,
                                  39, 40, 42, 47, 49, 52, 53, 54, 55, 56, 58, 77, 80, 96};

} // namespace

class TestDispatcher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyCode_data();
    void everyCode();
    void unusedCodesDoNothing_data();
    void unusedCodesDoNothing();
    void inlinePairByCode_data();
    void inlinePairByCode();
    void waitingDialogCodes();
    void openerFoundByCodeAndByName();
    void dialogResultIsOneUndoStep();
    void failingDialogIsReported();
    void menuItems_data();
    void menuItems();
    void menuItemsRunTheirCommands();
};

void TestDispatcher::everyCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<qint64>("selLength");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qint64>("caret");
    QTest::addColumn<qint64>("selected");
    QTest::addColumn<QString>("opened");

    // Every code from 1 to 96 has at least one row.
    QSet<int> pinned;
    // "x" + selection + "y" in, "x" + result + "y" out, caret right after the result.
    auto wrote = [&](const char* name, int code, const QString& selection, const QString& result) {
        pinned << code;
        QTest::newRow(name) << code << u'x' + selection + u'y' << 1LL << qint64(selection.size())
                            << u'x' + result + u'y' << qint64(1 + result.size()) << 0LL << "";
    };
    // The selection "word" stays as it is and the dialog opens.
    auto opens = [&](const char* name, int code, const QString& dialog) {
        pinned << code;
        QTest::newRow(name) << code << "xwordy" << 1LL << 4LL << "xwordy" << 1LL << 4LL << dialog;
    };
    const QString word = QStringLiteral("word");
    const QString none;

    wrote("1_center_nothing_selected", 1, none, "<CENTER>\r\n</CENTER>");
    wrote("1_center_word", 1, word, "<CENTER>\r\nword\r\n</CENTER>\r\n");
    wrote("1_center_word_crlf_same_result", 1, "word\r\n", "<CENTER>\r\nword\r\n</CENTER>\r\n");
    wrote("2_ul_two_indented_lines", 2, "  one\r\n  two\r\n",
          "<UL>\r\n\t<LI>one\r\n\t<LI>two\r\n</UL>\r\n");
    wrote("2_ul_nothing_selected", 2, none, "<UL>\r\n</UL>");
    wrote("2_ul_empty_line_is_empty_item_end_spaces_go", 2, "\t one\r\n\r\n  two  ",
          "<UL>\r\n\t<LI>one\r\n\t<LI>\r\n\t<LI>two\r\n</UL>");
    wrote("2_ul_one_line_keeps_its_trailing_spaces", 2, "  one  ", "<UL>\r\n\t<LI>one  \r\n</UL>");
    wrote("2_ul_tab_after_first_line_stays", 2, "a\r\n\tb",
          "<UL>\r\n\t<LI>a\r\n\t<LI>\tb\r\n</UL>");
    wrote("3_ol_two_lines", 3, "one\r\ntwo\r\n", "<OL>\r\n\t<LI>one\r\n\t<LI>two\r\n</OL>\r\n");
    wrote("3_ol_nothing_selected", 3, none, "<OL>\r\n</OL>");
    wrote("4_unused", 4, none, none);
    opens("5_lines", 5, "frmLines|");
    wrote("6_clear", 6, word, "<BR CLEAR=all>");
    opens("7_text_box", 7, "frmTextBox|");
    opens("8_radio", 8, "frmControl|Radio");
    opens("9_check_box", 9, "frmControl|CheckBox");
    opens("10_submit", 10, "frmButton|Submit");
    opens("11_reset", 11, "frmButton|Reset");
    opens("12_text_area", 12, "frmTextArea|");
    opens("13_drop_down_list", 13, "frmDropDownList|");
    wrote("14_blockquote_word", 14, word, "<BLOCKQUOTE>\r\nword\r\n</BLOCKQUOTE>\r\n");
    wrote("14_blockquote_nothing_selected", 14, none, "<BLOCKQUOTE>\r\n</BLOCKQUOTE>");
    opens("15_scroll", 15, "frmScroll|");
    opens("16_page", 16, "frmPage|");
    opens("17_title", 17, "frmTitle|");
    wrote("18_b_word", 18, word, "<B>word</B>");
    wrote("18_b_word_crlf_keeps_break_outside", 18, "word\r\n", "<B>word</B>\r\n");
    wrote("18_b_nothing_selected", 18, none, "<B></B>");
    wrote("19_i", 19, word, "<I>word</I>");
    wrote("20_u", 20, word, "<U>word</U>");
    wrote("21_s", 21, word, "<S>word</S>");
    wrote("22_sup", 22, word, "<SUP>word</SUP>");
    wrote("23_sub", 23, word, "<SUB>word</SUB>");
    wrote("24_big", 24, word, "<BIG>word</BIG>");
    wrote("25_small", 25, word, "<SMALL>word</SMALL>");
    wrote("26_tt", 26, word, "<TT>word</TT>");
    opens("27_base_font", 27, "frmBaseFont|");
    opens("28_h", 28, "frmH|");
    opens("29_font", 29, "frmFont|");
    opens("30_img", 30, "frmImg|");
    opens("31_dynsrc", 31, "frmDynsrc|");
    opens("32_sound", 32, "frmSound|");
    wrote("33_br_two_lines", 33, "one\r\ntwo\r\n", "one<BR>\r\ntwo<BR>\r\n");
    wrote("33_br_word_without_break_is_replaced", 33, word, "<BR>");
    wrote("33_br_nothing_selected", 33, none, "<BR>");
    wrote("33_br_spaces_go_at_end_only", 33, "one  \r\ntwo  ", "one  <BR>\r\ntwo");
    wrote("33_br_existing_br_kept", 33, "a<BR>b", "a<BR>b");
    opens("34_p", 34, "frmP|");
    opens("35_table", 35, "frmTable|");
    opens("36_th", 36, "frmTHD|TH");
    opens("37_td", 37, "frmTHD|TD");
    opens("38_frame_set", 38, "frmFrameSet|");
    opens("39_frame", 39, "frmFrame|");
    opens("40_link", 40, "frmLink|");
    opens("41_marker", 41, "frmMarker|");
    opens("42_form", 42, "frmForm|");
    wrote("43_li_two_indented_lines", 43, "  one\r\n  two\r\n", "<LI>one\r\n<LI>two\r\n");
    wrote("43_li_nothing_selected", 43, none, "<LI>");
    wrote("44_line_break_replaces_selection", 44, word, "\r\n");
    wrote("45_unused", 45, none, none);
    wrote("46_pre", 46, word, "<PRE>word</PRE>");
    opens("47_hidden", 47, "frmHidden|");
    opens("48_comment", 48, "frmComment|");
    opens("49_link_target", 49, "frmLinkTarg|");
    wrote("50_unused", 50, none, none);
    wrote("51_response_write_two_lines", 51, "abc\r\n  def\r\n",
          "Response.Write \"abc\"\r\n  Response.Write \"def\"\r\n");
    wrote("51_response_write_nothing_selected", 51, none, "Response.Write \"\"");
    opens("52_cookie", 52, "frmCookicattribute|");
    opens("53_if_then", 53, "frmIfThen|");
    opens("54_select", 54, "frmSelect|");
    opens("55_do_loop", 55, "frmDoLoop|");
    opens("56_for_next", 56, "frmForNext|");
    pinned << 57;
    QTest::newRow("57_deletes_tag_at_caret")
        << 57 << "ab<B>cd</B>" << 2LL << 0LL << "abcd</B>" << 2LL << 0LL << "";
    opens("58_frame_wizard", 58, "frmFrameAuto|");
    wrote("59_object", 59, word,
          "<OBJECT RUNAT=Server SCOPE=Application/Session ID=DB "
          "PROGID=\"ADODB.Connection\"></OBJECT>");
    wrote("60_script_nothing_selected", 60, none, "<SCRIPT LANGUAGE=\"VBScript\">\r\n</SCRIPT>");
    wrote("60_script_word", 60, word, "<SCRIPT LANGUAGE=\"VBScript\">\r\nword\r\n</SCRIPT>\r\n");
    wrote("61_asp_start", 61, word, "<%");
    wrote("62_asp_end", 62, word, "%>");
    wrote("63_include", 63, none, "<!--#INCLUDE FILE=\"ファイル名\"-->");
    wrote("64_comment_mark", 64, none, "'");
    wrote("65_option_explicit", 65, none, "<% Option Explicit %>");
    wrote("66_request_form_nothing_selected", 66, none, "Request.Form (\"\")");
    wrote("66_request_form_two_lines", 66, "a\r\nb",
          "Request.Form (\"a\")\r\nRequest.Form (\"b\")");
    wrote("67_query_string", 67, word, "Request.QueryString (\"word\")");
    wrote("68_session", 68, word, "Session (\"word\")");
    wrote("69_join_left", 69, word, "\" & word");
    wrote("69_join_left_nothing_selected", 69, none, "\" & ");
    wrote("70_join_both", 70, word, "\" & word & \"");
    wrote("71_join_right", 71, word, "word & \"");
    wrote("72_ado_constants", 72, word, kAdoConstants);
    wrote("73_connection", 73, none,
          "Set db = Server.CreateObject(\"ADODB.Connection\")\r\ndb.Open DBSource\r\ndb.Close");
    wrote("74_recordset", 74, none,
          "strSQL =\"\"\r\nSet rs = Server.CreateObject(\"ADODB.Recordset\")\r\n"
          "rs.Open strSQL, db, 1, 1\r\nrs.Close");
    wrote("75_expires", 75, none, "Response.Expires = 0");
    wrote("76_execute", 76, word, "strSQL =\"\"\r\ndb.Execute(strSQL)");
    opens("77_method", 77, "frmMethod|");
    opens("78_find_definition", 78, "FindDefinition|");
    wrote("79_fields", 79, word, "rs.Fields (\"word\")");
    opens("80_button_click", 80, "frmButtonClk|");
    wrote("81_abandon", 81, none, "Session.Abandon");
    wrote("82_redirect", 82, word, "Response.Redirect \"word\"");
    wrote("83_buffer", 83, none, "Response.Buffer = True");
    wrote("84_clear", 84, none, "Response.Clear");
    wrote("85_end", 85, none, "Response.End");
    wrote("86_timeout", 86, none, "Session.Timeout =");
    wrote("87_on_start_nothing_selected", 87, none,
          "<SCRIPT LANGUAGE=VBScript RUNAT=Server>\r\nSub Session_OnStart\r\nEnd Sub\r\n"
          "</SCRIPT>");
    wrote("87_on_start_around_a_line", 87, "Session(\"n\") = 0\r\n",
          "<SCRIPT LANGUAGE=VBScript RUNAT=Server>\r\nSub Session_OnStart\r\n"
          "Session(\"n\") = 0\r\nEnd Sub\r\n</SCRIPT>\r\n");
    wrote("88_on_end", 88, none,
          "<SCRIPT LANGUAGE=VBScript RUNAT=Server>\r\nSub Session_OnEnd\r\nEnd Sub\r\n</SCRIPT>");
    wrote("89_lock", 89, none, "Application.Lock");
    wrote("90_application", 90, word, "Application (\"word\")");
    wrote("91_unlock", 91, none, "Application.Unlock");
    wrote("92_asp_expression", 92, word, "<% = word %>");
    wrote("93_file_read", 93, word, kFileRead);
    wrote("94_file_write", 94, none, kFileWrite);
    wrote("95_html_encode", 95, word, "Server.HTMLEncode(word)");
    opens("96_web_server", 96, "frmWebSarver|");

    QList<int> missing;
    for (int code = 1; code <= 96; ++code)
        if (!pinned.contains(code))
            missing << code;
    QCOMPARE(missing, QList<int>{});
}

void TestDispatcher::everyCode()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(qint64, selStart);
    QFETCH(qint64, selLength);
    QFETCH(QString, expected);
    QFETCH(qint64, caret);
    QFETCH(qint64, selected);
    QFETCH(QString, opened);
    Editor e;
    e.set(text, selStart, selLength);

    e.run(qint16(code));

    QCOMPARE(e.box.Text(), expected);
    QCOMPARE(e.box.SelStart(), caret);
    QCOMPARE(e.box.SelLength(), selected);
    QCOMPARE(e.opened, opened.isEmpty() ? QStringList() : QStringList{opened});
    QVERIFY(e.prompts.messages.isEmpty());
    // One undo step takes the whole command back; a dialog that wrote nothing left none.
    if (!opened.isEmpty())
        QVERIFY(!e.box.CanUndo());
    if (e.box.CanUndo())
        e.box.Undo();
    QCOMPARE(e.box.Text(), text);
}

void TestDispatcher::unusedCodesDoNothing_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("0") << 0;
    QTest::newRow("4") << 4;
    QTest::newRow("45") << 45;
    QTest::newRow("50") << 50;
    QTest::newRow("97") << 97;
    QTest::newRow("negative") << -1;
    QTest::newRow("largest") << 32767;
}

void TestDispatcher::unusedCodesDoNothing()
{
    QFETCH(int, code);
    Editor e;
    e.set(QStringLiteral("ab\r\ncd"), 1, 3);
    e.run(qint16(code));
    QCOMPARE(e.box.Text(), QStringLiteral("ab\r\ncd"));
    QCOMPARE(e.box.SelStart(), qint64(1));
    QCOMPARE(e.box.SelLength(), qint64(3));
    QVERIFY(!e.box.CanUndo());
    QVERIFY(e.opened.isEmpty());
    QVERIFY(e.prompts.messages.isEmpty());
}

void TestDispatcher::inlinePairByCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expected");
    QTest::newRow("18_bold") << 18 << "x<B>word</B>\r\ny";
    QTest::newRow("46_pre") << 46 << "x<PRE>word</PRE>\r\ny";
    QTest::newRow("other_code_puts_selection_back") << 1 << "xword\r\ny";
}

void TestDispatcher::inlinePairByCode()
{
    QFETCH(int, code);
    QFETCH(QString, expected);
    Editor e;
    e.set(QStringLiteral("xword\r\ny"), 1, 6);
    WrapSelectionInline(e.state, e.box, qint16(code));
    QCOMPARE(e.box.Text(), expected);
    QCOMPARE(e.box.SelStart(), qint64(expected.size() - 1));
}

void TestDispatcher::waitingDialogCodes()
{
    // The program's own registry: these codes still open nothing.
    DialogRegistry registry;
    RegisterDialogs(registry);
    QList<int> waiting;
    for (int code = 1; code <= 96; ++code) {
        const CommandAction* action = FindCommandAction(qint16(code));
        if (action && !action->target.isEmpty() && !OpenerForCode(registry, qint16(code)))
            waiting << code;
    }
    QCOMPARE(waiting, kWaitingCodes);

    // From the window, such a code does nothing and says nothing.
    Window w(QStringLiteral("xwordy"));
    for (int code : std::as_const(waiting)) {
        w.box().SetSelStart(1);
        w.box().SetSelLength(4);
        RunInsertCommand(w.state, w.box(), &w.window, qint16(code));
        QCOMPARE(w.box().Text(), QStringLiteral("xwordy"));
        QCOMPARE(w.box().SelLength(), qint64(4));
    }
    QVERIFY(!w.box().CanUndo());
    QVERIFY(w.prompts.messages.isEmpty());
}

void TestDispatcher::openerFoundByCodeAndByName()
{
    DialogRegistry registry;
    QStringList calls;
    registry.Register(QStringLiteral("frmTHD"),
                      [&](const DialogRequest& r) { calls << r.caption; });
    QVERIFY(OpenerForCode(registry, 36) == registry.Find(QStringLiteral("frmTHD")));
    QVERIFY(OpenerForCode(registry, 37) == registry.Find(QStringLiteral("frmTHD")));
    QVERIFY(OpenerForCode(registry, 36) != nullptr);
    QVERIFY(OpenerForCode(registry, 35) == nullptr);
    QVERIFY(OpenerForCode(registry, 1) == nullptr);
    QVERIFY(OpenerForCode(registry, 4) == nullptr);

    // Tag re-editing opens by name, with the caption of the variant.
    test::ScriptedPrompter prompts;
    AppState state{prompts};
    cTextBox box;
    QVERIFY(registry.Open(QStringLiteral("frmTHD"),
                          DialogRequest{state, box, nullptr, QStringLiteral("TD")}));
    QVERIFY(!registry.Open(QStringLiteral("frmTable"), DialogRequest{state, box, nullptr, {}}));
    QCOMPARE(calls, QStringList{QStringLiteral("TD")});
}

void TestDispatcher::dialogResultIsOneUndoStep()
{
    // A dialog that writes a table over the selection and closes, as the real ones do.
    Editor e;
    e.state.Dialogs.Register(QStringLiteral("frmTable"), [](const DialogRequest& r) {
        QDialog dialog(r.parent);
        QTimer::singleShot(0, &dialog, [&] {
            InsertDialogResult(r.state, r.box, &dialog, QStringLiteral("<TABLE>\r\n</TABLE>\r\n"));
        });
        dialog.exec();
    });
    e.set(QStringLiteral("ab\r\ncd"), 4, 0);
    e.run(35);
    QCOMPARE(e.box.Text(), QStringLiteral("ab\r\n<TABLE>\r\n</TABLE>\r\ncd"));
    QCOMPARE(e.box.SelStart(), qint64(23));
    e.box.Undo();
    QCOMPARE(e.box.Text(), QStringLiteral("ab\r\ncd"));
}

void TestDispatcher::failingDialogIsReported()
{
    Editor e;
    e.state.Dialogs.Register(QStringLiteral("frmImg"), [](const DialogRequest&) {
        throw RunTimeError(QStringLiteral("ﾋﾟｸﾁｬが読めません"));
    });
    e.set(QStringLiteral("ab"), 1, 0);
    e.run(30);
    QCOMPARE(e.box.Text(), QStringLiteral("ab"));
    QCOMPARE(e.prompts.messages.size(), 1);
    QCOMPARE(e.prompts.messages[0].text, QStringLiteral("ﾋﾟｸﾁｬが読めません"));
    QCOMPARE(e.prompts.messages[0].title, QStringLiteral("Tagloom"));
    QCOMPARE(e.prompts.messages[0].buttons, MsgButtons::Ok);
}

void TestDispatcher::menuItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");

    QTest::newRow("undo") << "mnuEditCancel"
                          << "mnuEdit"
                          << "取り消し(&Z)" << QKeySequence(Qt::CTRL | Qt::Key_Z);
    QTest::newRow("cut") << "mnuEditCut"
                         << "mnuEdit"
                         << "切り取り(&T)" << QKeySequence(Qt::CTRL | Qt::Key_X);
    QTest::newRow("copy") << "mnuEditCopy"
                          << "mnuEdit"
                          << "ｺﾋﾟｰ(&C)" << QKeySequence(Qt::CTRL | Qt::Key_C);
    QTest::newRow("paste") << "mnuEditPaste"
                           << "mnuEdit"
                           << "貼り付け(&P)" << QKeySequence(Qt::CTRL | Qt::Key_V);
    QTest::newRow("line_break") << "mnuEnter"
                                << "mnuMoves"
                                << "改行" << QKeySequence();
    QTest::newRow("delete_tag") << "mnuTagudelete"
                                << "mnuMoves"
                                << "タグ削除" << QKeySequence(Qt::Key_F6);
}

void TestDispatcher::menuItems()
{
    QFETCH(QString, name);
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    Window w(QString{});
    auto* item = w.window.findChild<QAction*>(name);
    QVERIFY(item);
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut(), shortcut);
    auto* owner = w.window.findChild<QMenu*>(menu);
    QVERIFY(owner);
    QVERIFY(owner->actions().contains(item));
}

void TestDispatcher::menuItemsRunTheirCommands()
{
    Window w(QStringLiteral("ab<B>cd</B>"));
    // The menu items keep a tag being re-edited.
    w.state.EditTarget = {3, 3};

    w.box().SetSelStart(2);
    w.item("mnuTagudelete")->trigger();
    QCOMPARE(w.box().Text(), QStringLiteral("abcd</B>"));

    w.box().SetSelStart(1);
    w.box().SetSelLength(1);
    w.item("mnuEnter")->trigger();
    QCOMPARE(w.box().Text(), QStringLiteral("a\r\ncd</B>"));
    QCOMPARE(w.box().SelStart(), qint64(3));
    QCOMPARE(w.state.EditTarget, (TagRange{3, 3}));

    // F6 in the edit box reaches the menu item.
    w.window.show();
    w.window.activateWindow();
    w.window.MainText()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.window.MainText()));
    w.box().SetSelStart(5);
    QTest::keyClick(w.window.MainText(), Qt::Key_F6);
    QCOMPARE(w.box().Text(), QStringLiteral("a\r\ncd"));
    QVERIFY(w.prompts.messages.isEmpty());
}

QTEST_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
