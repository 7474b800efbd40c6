#include "editing/editcommands.h"
#include "editing/insertion.h"
#include "editing/keyhandler.h"
#include "editorsession.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScopeGuard>
#include <QtTest>

using namespace tl;
using test::EditorSession;

namespace
{

const QColor kBlue(0, 0, 255);
const QString kStampedLineMessage = QStringLiteral("スタンプ登録行の改行は行えません");

// Plays a script on the edit box: "<Key+Mods>" is one key stroke in QKeySequence notation,
// any other item is typed as text. Shift+Tab arrives as Backtab, as from a real keyboard.
void Play(MainTextEdit* edit, const QStringList& script)
{
    for (const QString& item : script) {
        if (item.startsWith(u'<') && item.endsWith(u'>') && item.size() > 2) {
            const QKeyCombination key = QKeySequence::fromString(item.mid(1, item.size() - 2))[0];
            Qt::Key k = key.key();
            if (k == Qt::Key_Tab && (key.keyboardModifiers() & Qt::ShiftModifier))
                k = Qt::Key_Backtab;
            QTest::keyClick(edit, k, key.keyboardModifiers());
        } else {
            QTest::keyClicks(edit, item);
        }
    }
}

QString Lines(int n)
{
    QString text;
    for (int i = 1; i <= n; ++i) {
        if (i > 1)
            text += QStringLiteral("\r\n");
        text += QStringLiteral("line ") + QString::number(i);
    }
    return text;
}

QList<qint64> StampLines(const AppState& state)
{
    QList<qint64> lines;
    for (const StampEntry& e : state.StampTable)
        lines << e.line;
    while (!lines.isEmpty() && lines.last() == 0)
        lines.removeLast();
    return lines;
}

} // namespace

class TestKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every test function (and data row) starts from a fresh editor session.
    void init() { s = std::make_unique<EditorSession>(); }
    void cleanup() { s.reset(); }

    void keys_data();
    void keys();
    void letterKeysCycleThroughRegisteredTexts();
    void inputModeKeys_data();
    void inputModeKeys();
    void altWithAnotherKeyIsNoInputModeKey();
    void stampsFollowLinesThroughDeletion_data();
    void stampsFollowLinesThroughDeletion();
    void typingMarksModified();
    void clickDropsTheFinalLineBreak();
    void ctrlKeysSetTheEditFlags();
    void editMenuDeleteAndSelectAll();
    void f2InsertsDateAndTime();
    void generalDateTimeText_data();
    void generalDateTimeText();
    void findOnLine_data();
    void findOnLine();
    void insertAndSelect();

private:
    std::unique_ptr<EditorSession> s;
};

void TestKeys::keys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("anchor");
    QTest::addColumn<qint64>("caret");
    QTest::addColumn<QList<qint64>>("stamps");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("result");
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<qint64>("selLength");
    QTest::addColumn<QList<qint64>>("stampsAfter");
    QTest::addColumn<QStringList>("messages");

    using I = qint64;
    using L = QList<qint64>;
    using S = QStringList;
    const QString tabs = QStringLiteral("x\r\n\t\tabc");
    QTest::newRow("home_goes_to_the_first_character_after_leading_tabs")
        << tabs << I(8) << I(8) << L{} << S{"<Home>"} << tabs << I(5) << I(0) << L{} << S{};
    QTest::newRow("home_again_stays_on_it") << tabs << I(8) << I(8) << L{} << S{"<Home>", "<Home>"}
                                            << tabs << I(5) << I(0) << L{} << S{};
    QTest::newRow("home_between_leading_tabs_stays")
        << tabs << I(4) << I(4) << L{} << S{"<Home>"} << tabs << I(4) << I(0) << L{} << S{};
    QTest::newRow("home_at_line_start_is_ordinary")
        << tabs << I(3) << I(3) << L{} << S{"<Home>"} << tabs << I(3) << I(0) << L{} << S{};
    QTest::newRow("home_over_ideographic_space")
        << QStringLiteral("\u3000 <P>") << I(5) << I(5) << L{} << S{"<Home>"}
        << QStringLiteral("\u3000 <P>") << I(2) << I(0) << L{} << S{};
    QTest::newRow("ctrl_home_still_goes_to_the_top")
        << tabs << I(8) << I(8) << L{} << S{"<Ctrl+Home>"} << tabs << I(0) << I(0) << L{} << S{};
    QTest::newRow("shift_home_still_selects_to_the_line_start")
        << tabs << I(8) << I(8) << L{} << S{"<Shift+Home>"} << tabs << I(3) << I(5) << L{} << S{};

    QTest::newRow("enter_keeps_the_indent") << "  <P>" << I(5) << I(5) << L{} << S{"<Return>"}
                                            << "  <P>\r\n  " << I(9) << I(0) << L{} << S{};
    QTest::newRow("enter_takes_the_indent_up_to_the_caret")
        << "\t\tabc" << I(1) << I(1) << L{} << S{"<Return>"} << "\t\r\n\t\tabc" << I(4) << I(0)
        << L{} << S{};
    QTest::newRow("enter_at_line_start_is_a_plain_break")
        << "ab\r\n  cd" << I(4) << I(4) << L{} << S{"<Return>"} << "ab\r\n\r\n  cd" << I(6) << I(0)
        << L{} << S{};
    QTest::newRow("enter_at_start_of_stamped_line_breaks_and_moves_the_stamp")
        << "ab\r\ncd" << I(4) << I(4) << L{2} << S{"<Return>"} << "ab\r\n\r\ncd" << I(6) << I(0)
        << L{3} << S{};
    QTest::newRow("enter_inside_stamped_line_is_refused")
        << "ab\r\ncd" << I(5) << I(5) << L{2} << S{"<Return>"} << "ab\r\ncd" << I(5) << I(0) << L{2}
        << S{kStampedLineMessage};
    QTest::newRow("enter_on_a_selection_goes_to_its_end")
        << "abcd" << I(3) << I(1) << L{} << S{"<Return>"} << "abcd" << I(3) << I(0) << L{} << S{};
    QTest::newRow("shift_enter_keeps_the_indent_too")
        << "\tx" << I(2) << I(2) << L{} << S{"<Shift+Return>"} << "\tx\r\n\t" << I(5) << I(0) << L{}
        << S{};

    QTest::newRow("esc_deletes_the_selection")
        << "abc" << I(1) << I(2) << L{} << S{"<Esc>"} << "ac" << I(1) << I(0) << L{} << S{};
    QTest::newRow("esc_without_selection_is_passed_on")
        << "abc" << I(1) << I(1) << L{} << S{"<Esc>"} << "abc" << I(1) << I(0) << L{} << S{};

    const QString two = QStringLiteral("a\r\nb\r\n");
    const QString indented = QStringLiteral("\ta\r\n\tb\r\n");
    QTest::newRow("tab_indents_the_selected_lines")
        << two << I(0) << I(6) << L{} << S{"<Tab>"} << indented << I(0) << I(8) << L{} << S{};
    QTest::newRow("shift_tab_unindents_them")
        << indented << I(0) << I(8) << L{} << S{"<Shift+Tab>"} << two << I(0) << I(6) << L{} << S{};
    QTest::newRow("tab_and_shift_tab_round_trip")
        << two << I(6) << I(0) << L{} << S{"<Tab>", "<Shift+Tab>"} << two << I(0) << I(6) << L{}
        << S{};
    QTest::newRow("shift_tab_removes_the_first_tab_of_each_line")
        << "\t\ta\r\nb\tc" << I(0) << I(9) << L{} << S{"<Shift+Tab>"} << "\ta\r\nbc" << I(0) << I(6)
        << L{} << S{};
    QTest::newRow("shift_tab_without_a_tab_changes_nothing")
        << "ab\r\ncd" << I(0) << I(6) << L{} << S{"<Shift+Tab>"} << "ab\r\ncd" << I(0) << I(6)
        << L{} << S{};
    QTest::newRow("tab_without_selection_types_a_tab")
        << "ab" << I(1) << I(1) << L{} << S{"<Tab>"} << "a\tb" << I(2) << I(0) << L{} << S{};
}

void TestKeys::keys()
{
    QFETCH(QString, text);
    QFETCH(qint64, anchor);
    QFETCH(qint64, caret);
    QFETCH(QList<qint64>, stamps);
    QFETCH(QStringList, script);
    QFETCH(QString, result);
    QFETCH(qint64, selStart);
    QFETCH(qint64, selLength);
    QFETCH(QList<qint64>, stampsAfter);
    QFETCH(QStringList, messages);

    s->load(text, anchor, caret);
    for (qsizetype i = 0; i < stamps.size(); ++i)
        s->state.StampTable[size_t(i)].line = stamps[i];
    Play(s->edit(), script);
    QCOMPARE(s->box().Text(), result);
    QCOMPARE(s->box().SelStart(), selStart);
    QCOMPARE(s->box().SelLength(), selLength);
    QCOMPARE(StampLines(s->state), stampsAfter);
    QCOMPARE(s->messages(), messages);
}

void TestKeys::letterKeysCycleThroughRegisteredTexts()
{
    s->load(QStringLiteral("<P></P>"), 3);
    s->state.UserTextTable[1].texts[0] = QStringLiteral("<B>");
    s->state.UserTextTable[1].texts[2] = QStringLiteral("<BIG>");
    s->key(Qt::Key_F1);
    QVERIFY(s->state.InputMode);

    const struct {
        char key;
        Qt::KeyboardModifiers mods;
        const char* text;
        qint64 selStart, selLength;
    } steps[] = {
        {'b', Qt::NoModifier, "<P><B></P>", 3, 3},
        {'b', Qt::NoModifier, "<P><BIG></P>", 3, 5},
        {'b', Qt::NoModifier, "<P><B></P>", 3, 3},
        // No text for Q: the letter is typed over the selection.
        {'q', Qt::NoModifier, "<P>q</P>", 4, 0},
        // Shift is not a letter-key state of the input mode.
        {'B', Qt::ShiftModifier, "<P>qB</P>", 5, 0},
    };
    for (const auto& step : steps) {
        QTest::keyClick(s->edit(), step.key, step.mods);
        QCOMPARE(s->box().Text(), QString::fromUtf8(step.text));
        QCOMPARE(s->box().SelStart(), step.selStart);
        QCOMPARE(s->box().SelLength(), step.selLength);
    }
    QCOMPARE(s->state.UserTextTable[1].flag, 1);
}

void TestKeys::inputModeKeys_data()
{
    QTest::addColumn<bool>("withIme");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("panels");
    QTest::addColumn<QList<bool>>("imeCalls");

    const QString ime = QStringLiteral("ＩＭＥﾓｰﾄﾞＯＮ");
    const QString on = QStringLiteral("入力モ-ドＯＮ");
    const QString off = QStringLiteral("入力モ-ドＯＦＦ");
    const int none = Qt::NoModifier;
    QTest::newRow("f1_cycles_ime_then_input_mode_then_off")
        << true << int(Qt::Key_F1) << none << QStringList{ime, on, off, ime}
        << QList<bool>{true, false, true};
    QTest::newRow("alt_alone_cycles_the_same_way")
        << true << int(Qt::Key_Alt) << none << QStringList{ime, on, off}
        << QList<bool>{true, false};
    QTest::newRow("ctrl_enter_cycles_the_same_way")
        << true << int(Qt::Key_Return) << int(Qt::ControlModifier) << QStringList{ime, on, off}
        << QList<bool>{true, false};
    QTest::newRow("without_an_input_method_f1_toggles_input_mode")
        << false << int(Qt::Key_F1) << none << QStringList{on, off, on} << QList<bool>{};
}

void TestKeys::inputModeKeys()
{
    QFETCH(bool, withIme);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, panels);
    QFETCH(QList<bool>, imeCalls);

    s->load(QStringLiteral("ab"), 1);
    // A fake input method: open means converting.
    bool open = false;
    QList<bool> calls;
    // The main window's timer reads the fake too: it must not outlive this test.
    const auto unplug = qScopeGuard([this] {
        s->state.ImeStatus = nullptr;
        s->state.ImeIsOpen = nullptr;
        s->state.ImeSetOpen = nullptr;
    });
    if (withIme) {
        s->state.ImeStatus = [&open] { return open ? 4 : 0; };
        s->state.ImeIsOpen = [&open] { return open; };
        s->state.ImeSetOpen = [&open, &calls](bool on) {
            calls << on;
            open = on;
        };
    }
    QStringList shown;
    for (qsizetype i = 0; i < panels.size(); ++i) {
        s->key(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        shown << s->window.StatusPanel(1)->text();
    }
    QCOMPARE(shown, panels);
    QCOMPARE(calls, imeCalls);
    // The keys are swallowed.
    QCOMPARE(s->box().Text(), QStringLiteral("ab"));
    QCOMPARE(s->box().SelStart(), qint64(1));
}

void TestKeys::altWithAnotherKeyIsNoInputModeKey()
{
    s->load(QStringLiteral("ab"), 1);
    s->window.UpdateCompanions();
    const QString before = s->window.StatusPanel(1)->text();
    // Alt held for Alt+X, as for a menu's access key: neither a mode step nor a typed "x".
    QTest::keyPress(s->window.MainText(), Qt::Key_Alt, Qt::AltModifier);
    QTest::keyClick(s->window.MainText(), Qt::Key_X, Qt::AltModifier);
    QTest::keyRelease(s->window.MainText(), Qt::Key_Alt, Qt::NoModifier);
    s->window.UpdateCompanions();
    QCOMPARE(s->window.StatusPanel(1)->text(), before);
    QCOMPARE(s->box().Text(), QStringLiteral("ab"));
}

void TestKeys::stampsFollowLinesThroughDeletion_data()
{
    QTest::addColumn<QList<int>>("stamped");
    QTest::addColumn<QList<qint64>>("after");
    QTest::addColumn<QString>("blueText");

    QTest::newRow("stamp_below_moves_up_and_stamp_above_stays")
        << QList<int>{5, 20} << QList<qint64>{5, 17} << "line 5,line 20";
    QTest::newRow("stamp_on_a_deleted_line_is_freed") << QList<int>{11} << QList<qint64>{} << "";
}

void TestKeys::stampsFollowLinesThroughDeletion()
{
    QFETCH(QList<int>, stamped);
    QFETCH(QList<qint64>, after);
    QFETCH(QString, blueText);

    s->load(Lines(30));
    for (int line : stamped) {
        s->box().SetSelStart(LineStartPos(s->box(), line));
        s->key(Qt::Key_F8);
    }
    // Lines 10 to 12 selected from the keyboard and deleted; the caret ends on line 10.
    s->box().SetSelStart(LineStartPos(s->box(), 10));
    for (int i = 0; i < 3; ++i)
        s->key(Qt::Key_Down, Qt::ShiftModifier);
    s->key(Qt::Key_Delete);
    QCOMPARE(s->box().LineFromChar(), 10);
    QCOMPARE(s->box().TotalLine(), 28);
    QCOMPARE(StampLines(s->state), after);
    // The colour went with the text: exactly the stamped lines are blue.
    QStringList blue;
    for (int line = 1; line < s->box().TotalLine(); ++line) {
        const qint64 start = LineStartPos(s->box(), line);
        if (s->edit()->textColorAt(start) == kBlue)
            blue << s->box().Mid(start, s->edit()->lineEnd(line - 1) - start);
    }
    QCOMPARE(blue.join(u','), blueText);
    for (qint64 line : after)
        QCOMPARE(s->edit()->textColorAt(LineStartPos(s->box(), int(line))), kBlue);
}

void TestKeys::typingMarksModified()
{
    s->load(QStringLiteral("<P>"), 3);
    QVERIFY(!s->state.Doc.isModified());
    s->key(Qt::Key_A);
    QVERIFY(s->state.Doc.isModified());
    QCOMPARE(s->box().Text(), QStringLiteral("<P>a"));
}

void TestKeys::clickDropsTheFinalLineBreak()
{
    s->load(QStringLiteral("<P>one</P>\r\nnext\r\nlast"));
    QWidget* view = s->edit()->viewport();
    auto at = [&](qint64 pos) { return s->edit()->positionRect(pos).center() + QPoint(1, 0); };
    // Dragged from the start of line 1 to the start of line 2: the line with its break.
    QTest::mousePress(view, Qt::LeftButton, {}, at(0));
    QTest::mouseMove(view, at(12));
    QTest::mouseRelease(view, Qt::LeftButton, {}, at(12));
    QCOMPARE(s->box().SelText(), QStringLiteral("<P>one</P>"));
    // Without a line break at its end the selection stays.
    QTest::mousePress(view, Qt::LeftButton, {}, at(12));
    QTest::mouseMove(view, at(15));
    QTest::mouseRelease(view, Qt::LeftButton, {}, at(15));
    QCOMPARE(s->box().SelText(), QStringLiteral("nex"));
}

void TestKeys::ctrlKeysSetTheEditFlags()
{
    s->load(QStringLiteral("abc"), 0, 2);
    s->key(Qt::Key_C, Qt::ControlModifier);
    QVERIFY(s->state.CopyKeyHandled);
    QVERIFY(!s->state.PasteKeyHandled);
    s->key(Qt::Key_Right);
    QVERIFY(!s->state.CopyKeyHandled);
}

void TestKeys::editMenuDeleteAndSelectAll()
{
    s->load(QStringLiteral("abcdef"), 1, 3);
    s->action("mnuEditDelete")->trigger();
    QCOMPARE(s->box().Text(), QStringLiteral("adef"));
    // Without a selection the menu item deletes nothing.
    s->action("mnuEditDelete")->trigger();
    QCOMPARE(s->box().Text(), QStringLiteral("adef"));
    s->action("mnuEditSelectAll")->trigger();
    QCOMPARE(s->box().SelStart(), qint64(0));
    QCOMPARE(s->box().SelLength(), qint64(4));
}

void TestKeys::f2InsertsDateAndTime()
{
    s->load(QStringLiteral("[old]"), 0, 5);
    const QDateTime before = QDateTime::currentDateTime();
    s->key(Qt::Key_F2);
    const QDateTime after = QDateTime::currentDateTime();
    const QString text = s->box().Text();
    const QLocale locale = QLocale::system();
    QVERIFY2(text == GeneralDateTimeText(before, locale) ||
                 text == GeneralDateTimeText(after, locale),
             qPrintable(text));
    QCOMPARE(s->box().SelStart(), qint64(text.size()));
}

void TestKeys::generalDateTimeText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("japanese") << "ja_JP"
                              << "2026/12/10 9:05:03";
    QTest::newRow("german") << "de_DE"
                            << "10.12.26 09:05:03";
}

void TestKeys::generalDateTimeText()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const QDateTime when(QDate(2026, 12, 10), QTime(9, 5, 3));
    QCOMPARE(GeneralDateTimeText(when, QLocale(locale)), text);
}

void TestKeys::findOnLine_data()
{
    QTest::addColumn<qint64>("caret");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<qint64>("back");
    QTest::addColumn<qint64>("forward");

    // "ab<cd" CR LF "ef<gh": positions (1-based) 3 and 10 hold "<", 6 the CR.
    using I = qint64;
    QTest::newRow("back_skips_the_character_before_the_caret") << I(3) << "<" << I(0) << I(7);
    QTest::newRow("back_finds_one_further") << I(4) << "<" << I(3) << I(7);
    QTest::newRow("back_stops_at_the_line_break") << I(9) << "<" << I(0) << I(10);
    QTest::newRow("back_at_the_start") << I(1) << "<" << I(0) << I(3);
    QTest::newRow("forward_at_line_end_is_right_after_caret") << I(5) << "<" << I(3) << I(6);
    QTest::newRow("forward_one_past_the_end_of_the_text") << I(10) << "<" << I(0) << I(14);
    QTest::newRow("forward_from_the_very_end") << I(12) << "<" << I(10) << I(13);
    QTest::newRow("cr_forward_is_the_line_end") << I(0) << "\r" << I(0) << I(6);
    QTest::newRow("cr_back_meets_lf_first") << I(8) << "\r" << I(0) << I(14);
}

void TestKeys::findOnLine()
{
    QFETCH(qint64, caret);
    QFETCH(QString, needle);
    QFETCH(qint64, back);
    QFETCH(qint64, forward);
    s->load(QStringLiteral("ab<cd\r\nef<gh"), caret);
    QCOMPARE(FindBackOnLine(s->box(), needle.at(0)), back);
    QCOMPARE(FindForwardOnLine(s->box(), needle.at(0)), forward);
}

void TestKeys::insertAndSelect()
{
    s->load(QStringLiteral("ab"), 1);
    InsertAndSelect(s->box(), QStringLiteral("X\nY"));
    QCOMPARE(s->box().Text(), QStringLiteral("aX\r\nYb"));
    QCOMPARE(s->box().SelStart(), qint64(1));
    QCOMPARE(s->box().SelText(), QStringLiteral("X\r\nY"));
}

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
