#include "app/frmmain.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/editcommands.h"
#include "editing/insertion.h"
#include "fixtures.h"
#include "platform/keycodes.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using namespace tl;

namespace
{

// An edit box with its adapter and a fresh program state.
struct Editor : test::BoxFixture {
    Editor(const QString& text, qint64 selStart, qint64 selLength = 0)
    {
        set(text, selStart, selLength);
    }
    // Undoing the one step the command made gives the text back.
    bool undoesInOneStep(const QString& original)
    {
        if (!box.CanUndo())
            return box.Text() == original;
        box.Undo();
        return box.Text() == original;
    }
};

// A main window on a fresh program folder with an open page, shown and active.
// Shown and focused: the Edit menu's commands go to the focused control.
struct Window : test::WindowFixture {
    explicit Window(const QString& text) : WindowFixture(text)
    {
        window.show();
        window.activateWindow();
        window.MainText()->setFocus();
    }
};

} // namespace

class TestInsertion : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void insertDialogResult_data();
    void insertDialogResult();
    void editTarget_data();
    void editTarget();
    void dropTrailingCrLf_data();
    void dropTrailingCrLf();
    void wrapSelectionInline_data();
    void wrapSelectionInline();
    void wrapSelectionLines_data();
    void wrapSelectionLines();
    void deleteTagAtCaret_data();
    void deleteTagAtCaret();
    void lineNumberAt_data();
    void lineNumberAt();
    void lineStartPos_data();
    void lineStartPos();

    void editCommands_data();
    void editCommands();
    void editCommandSkipsOnceAfterItsKey_data();
    void editCommandSkipsOnceAfterItsKey();
    void editCommandsNeedVisibleBox();
    void keyFlags_data();
    void keyFlags();
    void ctrlCInEditBoxCopiesOnceAndMenuCopiesAfterwards();
    void ctrlZInEditBoxUndoesOnce();
    void selectFocusedText_data();
    void selectFocusedText();
};

void TestInsertion::insertDialogResult_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<qint64>("selLength");
    QTest::addColumn<qint64>("targetStart");
    QTest::addColumn<qint64>("targetLength");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qint64>("caret");

    // The 9-character tag at character position 11 (caret position 10).
    QTest::newRow("reedit_replaces_tag_caret_after_its_lt")
        << "0123456789<FONT SZ>rest" << 0LL << 0LL << 11LL << 9LL << "<B>"
        << "0123456789<B>rest" << 11LL;
    QTest::newRow("reedit_ignores_the_selection")
        << "0123456789<FONT SZ>rest" << 2LL << 3LL << 11LL << 9LL << "<B>"
        << "0123456789<B>rest" << 11LL;
    QTest::newRow("reedit_tag_over_lines")
        << "ab\r\n<P>\r\nx</P>" << 0LL << 0LL << 5LL << 10LL << "<P>y</P>"
        << "ab\r\n<P>y</P>" << 5LL;
    QTest::newRow("insert_mode_at_caret") << "abcdefgh" << 5LL << 0LL << 0LL << 0LL << "<BR>"
                                          << "abcde<BR>fgh" << 9LL;
    QTest::newRow("insert_mode_replaces_selection")
        << "abcdefgh" << 2LL << 3LL << 0LL << 0LL << "<HR>\r\n"
        << "ab<HR>\r\nfgh" << 8LL;
}

void TestInsertion::insertDialogResult()
{
    QFETCH(QString, text);
    QFETCH(qint64, selStart);
    QFETCH(qint64, selLength);
    QFETCH(qint64, targetStart);
    QFETCH(qint64, targetLength);
    QFETCH(QString, result);
    QFETCH(QString, expected);
    QFETCH(qint64, caret);
    Editor e(text, selStart, selLength);
    e.state.EditTarget = {targetStart, targetLength};
    QDialog dialog;
    dialog.show();

    InsertDialogResult(e.state, e.box, &dialog, result);

    QCOMPARE(e.box.Text(), expected);
    QCOMPARE(e.box.SelStart(), caret);
    QCOMPARE(e.box.SelLength(), qint64(0));
    QCOMPARE(e.state.EditTarget, TagRange{});
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(e.undoesInOneStep(text));
    QVERIFY(e.prompts.messages.isEmpty());
}

void TestInsertion::editTarget_data()
{
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("targetText");
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<qint64>("selLength");

    // Text "ab<B>c\r\n<I>d"; the caret starts at 1.
    QTest::newRow("tag_is_read_and_selected") << 3LL << 3LL << "<B>" << 2LL << 3LL;
    QTest::newRow("range_over_a_line_break") << 6LL << 5LL << "c\r\n<I" << 5LL << 5LL;
    QTest::newRow("insert_mode_reads_nothing_selects_nothing") << 0LL << 0LL << "" << 1LL << 0LL;
}

void TestInsertion::editTarget()
{
    QFETCH(qint64, start);
    QFETCH(qint64, length);
    QFETCH(QString, targetText);
    QFETCH(qint64, selStart);
    QFETCH(qint64, selLength);
    Editor e(QStringLiteral("ab<B>c\r\n<I>d"), 1);
    e.state.EditTarget = {start, length};

    QCOMPARE(EditTargetText(e.state, e.box), targetText);
    SelectEditTarget(e.state, e.box);
    QCOMPARE(e.box.SelStart(), selStart);
    QCOMPARE(e.box.SelLength(), selLength);
    ClearEditTarget(e.state);
    QCOMPARE(e.state.EditTarget, TagRange{});
}

void TestInsertion::dropTrailingCrLf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("flagBefore");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("flagAfter");

    QTest::newRow("word_with_crlf_drops_and_sets_flag") << "word\r\n" << false << "word" << true;
    QTest::newRow("crlf_alone_gives_empty_flag_untouched") << "\r\n" << false << "" << false;
    QTest::newRow("word_without_break_unchanged") << "word" << false << "word" << false;
    QTest::newRow("empty_stays_empty") << "" << false << "" << false;
    QTest::newRow("only_one_crlf_dropped") << "a\r\n\r\n" << false << "a\r\n" << true;
    QTest::newRow("flag_never_set_back_to_false") << "word" << true << "word" << true;
    QTest::newRow("lone_lf_is_not_a_line_break") << "word\n" << false << "word\n" << false;
}

void TestInsertion::dropTrailingCrLf()
{
    QFETCH(QString, text);
    QFETCH(bool, flagBefore);
    QFETCH(QString, expected);
    QFETCH(bool, flagAfter);
    bool flag = flagBefore;
    QCOMPARE(DropTrailingCrLf(text, flag), expected);
    QCOMPARE(flag, flagAfter);
}

void TestInsertion::wrapSelectionInline_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<qint64>("selLength");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qint64>("caret");

    QTest::newRow("word_with_crlf_keeps_break_outside") << "x word\r\ny" << 2LL << 6LL << "<B>"
                                                        << "</B>"
                                                        << "x <B>word</B>\r\ny" << 15LL;
    QTest::newRow("nothing_selected_inserts_empty_pair") << "xy" << 1LL << 0LL << "<B>"
                                                         << "</B>"
                                                         << "x<B></B>y" << 8LL;
    QTest::newRow("two_lines_wrapped_as_one") << "a\r\nb\r\n"
                                              << 0LL << 6LL << "<PRE>"
                                              << "</PRE>"
                                              << "<PRE>a\r\nb</PRE>\r\n"
                                              << 17LL;
    QTest::newRow("no_tags_puts_selection_back") << "x word y" << 2LL << 4LL << ""
                                                 << ""
                                                 << "x word y" << 6LL;
    QTest::newRow("no_tags_nothing_selected_does_nothing") << "xy" << 1LL << 0LL << ""
                                                           << ""
                                                           << "xy" << 1LL;
}

void TestInsertion::wrapSelectionInline()
{
    QFETCH(QString, text);
    QFETCH(qint64, selStart);
    QFETCH(qint64, selLength);
    QFETCH(QString, open);
    QFETCH(QString, close);
    QFETCH(QString, expected);
    QFETCH(qint64, caret);
    Editor e(text, selStart, selLength);
    WrapSelectionInline(e.state, e.box, open, close);
    QCOMPARE(e.box.Text(), expected);
    QCOMPARE(e.box.SelStart(), caret);
    QCOMPARE(e.box.SelLength(), qint64(0));
    QVERIFY(e.undoesInOneStep(text));
}

void TestInsertion::wrapSelectionLines_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("expected");

    const QString rw = QStringLiteral("Response.Write ");
    const QString q = QStringLiteral("\"");
    QTest::newRow("two_lines_keep_leading_blanks")
        << "abc\r\n  def\r\n"
        << rw << q << q << "Response.Write \"abc\"\r\n  Response.Write \"def\"\r\n";
    QTest::newRow("nothing_selected_inserts_empty_wrap")
        << "" << rw << q << q << "Response.Write \"\"";
    QTest::newRow("one_line_without_break") << "name"
                                            << ""
                                            << "<% = "
                                            << " %>"
                                            << "<% = name %>";
    QTest::newRow("tab_indent_stays_in_front") << "\tx\r\n \t y"
                                               << "Session "
                                               << "(\""
                                               << "\")"
                                               << "\tSession (\"x\")\r\n \t Session (\"y\")";
    QTest::newRow("empty_line_gets_empty_wrap")
        << "a\r\n\r\nb" << rw << q << q
        << "Response.Write \"a\"\r\nResponse.Write \"\"\r\nResponse.Write \"b\"";
    QTest::newRow("blank_line_gets_blanks_and_empty_wrap")
        << "a\r\n  \r\nb" << rw << q << q
        << "Response.Write \"a\"\r\n  Response.Write \"\"\r\nResponse.Write \"b\"";
    QTest::newRow("last_line_of_blanks_gets_only_the_close")
        << "a\r\n  " << rw << q << q << "Response.Write \"a\"\r\n  \"";
    QTest::newRow("two_breaks_at_end_leave_a_close_line")
        << "a\r\n\r\n"
        << rw << q << q << "Response.Write \"a\"\r\n\"\r\n";
    QTest::newRow("crlf_alone_gets_close_and_break") << "\r\n" << rw << q << q << "\"\r\n";
    QTest::newRow("full_width_space_starts_the_content") << "\u3000a"
                                                         << ""
                                                         << "("
                                                         << ")"
                                                         << "(\u3000a)";
    QTest::newRow("trailing_blanks_stay_inside") << "a  "
                                                 << ""
                                                 << "("
                                                 << ")"
                                                 << "(a  )";
}

void TestInsertion::wrapSelectionLines()
{
    QFETCH(QString, selection);
    QFETCH(QString, prefix);
    QFETCH(QString, open);
    QFETCH(QString, close);
    QFETCH(QString, expected);
    const QString text = QStringLiteral("<<") + selection + QStringLiteral(">>");
    Editor e(text, 2, selection.size());
    WrapSelectionLines(e.state, e.box, prefix, open, close);
    QCOMPARE(e.box.Text(), QStringLiteral("<<") + expected + QStringLiteral(">>"));
    QCOMPARE(e.box.SelStart(), 2 + expected.size());
    QVERIFY(e.undoesInOneStep(text));
}

void TestInsertion::deleteTagAtCaret_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("caret");
    QTest::addColumn<QString>("expected");

    const QString t = QStringLiteral("ab<B>cd</B>");
    QTest::newRow("before_lt_deletes_the_tag") << t << 2LL << "abcd</B>";
    QTest::newRow("after_gt_deletes_up_to_next_tag") << t << 5LL << "ab<B></B>";
    QTest::newRow("at_start_deletes_one_character") << t << 0LL << "b<B>cd</B>";
    QTest::newRow("inside_text_deletes_one_character") << t << 6LL << "ab<B>c</B>";
    QTest::newRow("before_crlf_does_nothing") << "ab\r\ncd" << 2LL << "ab\r\ncd";
    QTest::newRow("after_gt_before_crlf_does_nothing") << "<B>\r\nx<I>" << 3LL << "<B>\r\nx<I>";
    QTest::newRow("after_gt_text_over_lines") << "<B>x \r\n y<I>" << 3LL << "<B><I>";
    QTest::newRow("tag_over_lines") << "a<A\r\nHREF=x>b" << 1LL << "ab";
    QTest::newRow("empty_brackets_are_a_tag") << "a<>b" << 1LL << "ab";
    QTest::newRow("lt_without_gt_deletes_nothing") << "ab<B cd" << 2LL << "ab<B cd";
    QTest::newRow("gt_without_following_lt_deletes_nothing") << "<B>cd ef" << 3LL << "<B>cd ef";
    QTest::newRow("at_end_of_text_does_nothing") << "ab" << 2LL << "ab";
    QTest::newRow("after_gt_at_end_of_text_does_nothing") << "<B>" << 3LL << "<B>";
}

void TestInsertion::deleteTagAtCaret()
{
    QFETCH(QString, text);
    QFETCH(qint64, caret);
    QFETCH(QString, expected);
    Editor e(text, caret);
    DeleteTagAtCaret(e.state, e.box);
    QCOMPARE(e.box.Text(), expected);
    QCOMPARE(e.box.SelStart(), caret);
    QCOMPARE(e.box.SelLength(), qint64(0));
    QVERIFY(e.undoesInOneStep(text));
    QVERIFY(e.prompts.messages.isEmpty());
}

void TestInsertion::lineNumberAt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("pos");
    QTest::addColumn<int>("line");

    QTest::newRow("empty_text") << "" << 0LL << 1;
    QTest::newRow("position_0") << "ab\r\ncd" << 0LL << 1;
    QTest::newRow("before_the_break") << "ab\r\ncd" << 2LL << 1;
    QTest::newRow("between_cr_and_lf") << "ab\r\ncd" << 3LL << 1;
    QTest::newRow("just_after_the_first_break") << "ab\r\ncd" << 4LL << 2;
    QTest::newRow("end_of_text") << "ab\r\ncd\r\n" << 8LL << 3;
    QTest::newRow("past_the_end") << "ab\r\ncd" << 100LL << 2;
    QTest::newRow("negative") << "ab\r\ncd" << -5LL << 1;
}

void TestInsertion::lineNumberAt()
{
    QFETCH(QString, text);
    QFETCH(qint64, pos);
    QFETCH(int, line);
    Editor e(text, 0);
    QCOMPARE(LineNumberAt(e.box, pos), line);
}

void TestInsertion::lineStartPos_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<qint64>("pos");

    QTest::newRow("line_1") << "ab\r\ncd" << 1 << 0LL;
    QTest::newRow("line_2") << "ab\r\ncd" << 2 << 4LL;
    QTest::newRow("empty_last_line") << "ab\r\ncd\r\n" << 3 << 8LL;
    QTest::newRow("empty_line_between") << "a\r\n\r\nb" << 3 << 5LL;
    QTest::newRow("line_0_is_the_start") << "ab\r\ncd" << 0 << 0LL;
    // A line past the last one: the end of the text, with or without line breaks.
    QTest::newRow("past_last_line_is_end_of_text") << "ab\r\ncd" << 5 << 6LL;
    QTest::newRow("past_last_line_after_final_break") << "ab\r\n" << 4 << 4LL;
    QTest::newRow("no_break_line_2_is_end_of_text") << "abc" << 2 << 3LL;
    QTest::newRow("empty_text_line_2") << "" << 2 << 0LL;
}

void TestInsertion::lineStartPos()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(qint64, pos);
    Editor e(text, 0);
    QCOMPARE(LineStartPos(e.box, line), pos);
}

void TestInsertion::editCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("clipboardBefore");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qint64>("caret");
    QTest::addColumn<QString>("clipboardAfter");

    // Text "ab\r\ncd" with "b\r\nc" selected.
    QTest::newRow("copy_puts_selection_with_crlf") << "copy"
                                                   << "old"
                                                   << "ab\r\ncd" << 1LL << "b\r\nc";
    QTest::newRow("cut_puts_selection_and_deletes_it") << "cut"
                                                       << "old"
                                                       << "ad" << 1LL << "b\r\nc";
    QTest::newRow("paste_replaces_selection_lf_becomes_crlf") << "paste"
                                                              << "x\ny"
                                                              << "ax\r\nyd" << 5LL << "x\ny";
    QTest::newRow("paste_of_empty_clipboard_deletes_selection") << "paste"
                                                                << ""
                                                                << "ad" << 1LL << "";
}

void TestInsertion::editCommands()
{
    QFETCH(QString, command);
    QFETCH(QString, clipboardBefore);
    QFETCH(QString, expected);
    QFETCH(qint64, caret);
    QFETCH(QString, clipboardAfter);
    Editor e(QStringLiteral("ab\r\ncd"), 1, 4);
    e.edit.show();
    QGuiApplication::clipboard()->setText(clipboardBefore);
    if (command == u"copy")
        EditCopy(e.state, e.box);
    else if (command == u"cut")
        EditCut(e.state, e.box);
    else
        EditPaste(e.state, e.box);
    QCOMPARE(e.box.Text(), expected);
    QCOMPARE(e.box.SelStart(), caret);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboardAfter);
    QVERIFY(e.undoesInOneStep(QStringLiteral("ab\r\ncd")));
}

void TestInsertion::editCommandSkipsOnceAfterItsKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("clipboard");

    // Text "abcd" (from "xbcd", one undo step) with "bc" selected, clipboard "clip": the first
    // run only clears the flag, the second does the command.
    QTest::newRow("undo") << int(Qt::Key_Z) << "undo"
                          << "xbcd"
                          << "clip";
    QTest::newRow("copy") << int(Qt::Key_C) << "copy"
                          << "abcd"
                          << "bc";
    QTest::newRow("cut") << int(Qt::Key_X) << "cut"
                         << "ad"
                         << "bc";
    QTest::newRow("paste") << int(Qt::Key_V) << "paste"
                           << "aclipd"
                           << "clip";
}

void TestInsertion::editCommandSkipsOnceAfterItsKey()
{
    QFETCH(int, key);
    QFETCH(QString, command);
    QFETCH(QString, expected);
    QFETCH(QString, clipboard);
    Window w(QStringLiteral("xbcd"));
    w.box().SetSelStart(0);
    w.box().SetSelLength(1);
    w.box().SetSelText(QStringLiteral("a"));
    w.box().SetSelStart(1);
    w.box().SetSelLength(2);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.window.MainText()));
    QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
    auto run = [&] {
        if (command == u"undo")
            EditUndo(w.state, w.box());
        else if (command == u"copy")
            EditCopy(w.state, w.box());
        else if (command == u"cut")
            EditCut(w.state, w.box());
        else
            EditPaste(w.state, w.box());
    };

    SetEditKeyFlags(w.state, w.box(), KeyCodeOf(key), kCtrlMask);
    run();
    QCOMPARE(w.box().Text(), QStringLiteral("abcd"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("clip"));
    QVERIFY(!w.state.UndoKeyHandled && !w.state.CopyKeyHandled && !w.state.CutKeyHandled &&
            !w.state.PasteKeyHandled);

    run();
    QCOMPARE(w.box().Text(), expected);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
}

void TestInsertion::editCommandsNeedVisibleBox()
{
    Editor e(QStringLiteral("abcd"), 1, 2);
    e.edit.hide();
    QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
    EditCopy(e.state, e.box);
    EditCut(e.state, e.box);
    EditPaste(e.state, e.box);
    QCOMPARE(e.box.Text(), QStringLiteral("abcd"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("clip"));
}

void TestInsertion::keyFlags_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("shift");
    QTest::addColumn<QString>("flags"); // undo, copy, cut, paste

    QTest::newRow("ctrl_z") << int(vk::Z) << kCtrlMask << "1000";
    QTest::newRow("ctrl_c") << 67 << kCtrlMask << "0100";
    QTest::newRow("ctrl_x") << 88 << kCtrlMask << "0010";
    QTest::newRow("ctrl_v") << 86 << kCtrlMask << "0001";
    QTest::newRow("ctrl_shift_c_is_not_copy") << 67 << (kCtrlMask | kShiftMask) << "0000";
    QTest::newRow("ctrl_alt_v_is_not_paste") << 86 << (kCtrlMask | kAltMask) << "0000";
    QTest::newRow("plain_c") << 67 << 0 << "0000";
    QTest::newRow("ctrl_a") << int(vk::A) << kCtrlMask << "0000";
    QTest::newRow("ctrl_alone") << int(vk::Control) << kCtrlMask << "0000";
}

void TestInsertion::keyFlags()
{
    QFETCH(int, key);
    QFETCH(int, shift);
    QFETCH(QString, flags);
    Editor e(QStringLiteral("x"), 0);
    // Every key assigns all four: a stale flag from an earlier key goes.
    e.state.UndoKeyHandled = e.state.CopyKeyHandled = e.state.CutKeyHandled =
        e.state.PasteKeyHandled = true;
    SetEditKeyFlags(e.state, e.box, key, shift);
    const QString got = QString::number(int(e.state.UndoKeyHandled)) +
                        QString::number(int(e.state.CopyKeyHandled)) +
                        QString::number(int(e.state.CutKeyHandled)) +
                        QString::number(int(e.state.PasteKeyHandled));
    QCOMPARE(got, flags);
    // Once the key has been handled nothing is left to skip.
    QTRY_VERIFY(!e.state.UndoKeyHandled && !e.state.CopyKeyHandled && !e.state.CutKeyHandled &&
                !e.state.PasteKeyHandled);
}

void TestInsertion::ctrlCInEditBoxCopiesOnceAndMenuCopiesAfterwards()
{
    Window w(QStringLiteral("alpha beta"));
    w.box().SetSelStart(0);
    w.box().SetSelLength(5);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.window.MainText()));
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    QSignalSpy changes(QGuiApplication::clipboard(), &QClipboard::dataChanged);

    QTest::keyClick(w.window.MainText(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("alpha"));
    QCOMPARE(changes.size(), 1);

    // Chosen with the mouse later, the menu item copies the new selection.
    QCoreApplication::processEvents();
    w.box().SetSelStart(6);
    w.box().SetSelLength(4);
    w.item("mnuEditCopy")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("beta"));
    QCOMPARE(changes.size(), 2);
    QCOMPARE(w.box().Text(), QStringLiteral("alpha beta"));
}

void TestInsertion::ctrlZInEditBoxUndoesOnce()
{
    Window w(QStringLiteral("abc"));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.window.MainText()));
    w.box().SetSelStart(3);
    w.box().SetSelText(QStringLiteral("1"));
    w.box().SetSelText(QStringLiteral("2"));

    QTest::keyClick(w.window.MainText(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.box().Text(), QStringLiteral("abc1"));

    // Chosen later, the menu item undoes the next step.
    QCoreApplication::processEvents();
    w.item("mnuEditCancel")->trigger();
    QCOMPARE(w.box().Text(), QStringLiteral("abc"));
}

void TestInsertion::selectFocusedText_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");

    QTest::newRow("line_edit_selects_all") << "line"
                                           << "abc"
                                           << "abc";
    QTest::newRow("empty_line_edit_stays") << "line"
                                           << ""
                                           << "";
    QTest::newRow("button_is_left_alone") << "button"
                                          << "OK"
                                          << "";
    QTest::newRow("edit_box_selects_all") << "main"
                                          << "a\r\nb"
                                          << "a\r\nb";
}

void TestInsertion::selectFocusedText()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* line = new QLineEdit(text);
    auto* button = new QPushButton(text);
    Document doc;
    auto* main = new MainTextEdit(doc);
    cTextBox box(main);
    box.SetText(text);
    layout->addWidget(line);
    layout->addWidget(button);
    layout->addWidget(main);
    window.show();
    window.activateWindow();
    QWidget* focused = kind == u"line"     ? static_cast<QWidget*>(line)
                       : kind == u"button" ? static_cast<QWidget*>(button)
                                           : static_cast<QWidget*>(main);
    focused->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), focused);
    line->deselect();
    box.SetSelStart(0);

    SelectFocusedText(box);

    const QString got = kind == u"line" ? line->selectedText() : box.SelText();
    QCOMPARE(got, selected);
}

QTEST_MAIN(TestInsertion)
#include "tst_insertion.moc"
