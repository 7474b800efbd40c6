#include "dialogs/find/frmfind.h"
#include "dialogs/find/frmjump.h"
#include "editing/insertion.h"
#include "editing/navigation.h"
#include "editorsession.h"
#include "search/search.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace tl;
using test::EditorSession;
using test::OnModal;

namespace
{

const QColor kBlue(0, 0, 255);
const QColor kBlack(Qt::black);

// Lines "line 1" to "line n", CR LF between them.
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

QString NotFound(const QString& text)
{
    return QStringLiteral("文字列 \"") + text + QStringLiteral("\" が見つかりません。");
}

// The lines (from 1) whose characters are all blue, and whether any other character is.
QString BlueLines(MainTextEdit* edit)
{
    QStringList lines;
    for (int line = 0; line < edit->lineCount(); ++line) {
        const qsizetype from = edit->lineStart(line);
        const qsizetype to = edit->lineEnd(line);
        bool all = from < to;
        bool any = false;
        for (qsizetype p = from; p < to; ++p) {
            const bool blue = edit->textColorAt(p) == kBlue;
            all = all && blue;
            any = any || blue;
        }
        if (all)
            lines << QString::number(line + 1);
        else if (any)
            lines << QStringLiteral("part of ") + QString::number(line + 1);
    }
    return lines.join(u',');
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every test function (and data row) starts from a fresh editor session.
    void init() { s = std::make_unique<EditorSession>(); }
    void cleanup() { s.reset(); }

    void findNextByF3_data();
    void findNextByF3();
    void findNextWrapsRoundAtTheEnd_data();
    void findNextWrapsRoundAtTheEnd();
    void enterInTheSearchTextFindsNext();
    void f3WithoutSearchTextOpensTheDialog();
    void findDialogFillsFromSelectionAndKeepsTextOnEsc();
    void findDialogStaysOpenWhenNothingIsFound();
    void replaceAllThroughTheDialog_data();
    void replaceAllThroughTheDialog();
    void replaceAllWithEmptySearchTextIsNoMatch();
    void replaceAllKeepsStampColoursOnTheirLines();
    void findDefinition_data();
    void findDefinition();
    void goTo_data();
    void goTo();
    void lineBounds_data();
    void lineBounds();
    void stampAndUnstamp();
    void stampBeyondLine40000FollowsItsLine();
    void fullStampTableIgnoresTheStampKey();
    void stampListRows();

private:
    std::unique_ptr<EditorSession> s;
};

void TestSearch::findNextByF3_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("caret");
    QTest::addColumn<QString>("find");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<int>("presses");
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<qint64>("selLength");
    QTest::addColumn<QStringList>("messages");

    using I = qint64;
    QTest::newRow("first_occurrence_at_the_caret_is_skipped")
        << "abcabc" << I(0) << "abc" << false << 1 << I(3) << I(3) << QStringList();
    QTest::newRow("repeated_find_skips_overlapping_occurrences")
        << "ababababab" << I(0) << "aba" << false << 2 << I(6) << I(3) << QStringList();
    // The second press goes round to the top and finds the same occurrence again.
    QTest::newRow("repeat_past_the_last_occurrence_leaves_it_selected")
        << "x abc" << I(0) << "abc" << false << 2 << I(2) << I(3) << QStringList();
    QTest::newRow("match_case_off_finds_upper_case")
        << "<HTML><BODY>" << I(0) << "body" << false << 1 << I(7) << I(4) << QStringList();
    QTest::newRow("match_case_on_misses_upper_case")
        << "<HTML><BODY>" << I(0) << "body" << true << 1 << I(0) << I(0)
        << QStringList{NotFound("body")};
    QTest::newRow("full_width_letters_fold_too")
        << QStringLiteral("ａｂｃ　ＡＢＣ") << I(0) << QStringLiteral("ａｂｃ") << false << 1
        << I(4) << I(3) << QStringList();
    QTest::newRow("beyond_character_100000")
        << QString(100000, u'x') + QStringLiteral("\r\n<Body>") << I(0) << "<BODY>" << false << 1
        << I(100002) << I(6) << QStringList();
}

void TestSearch::findNextByF3()
{
    QFETCH(QString, text);
    QFETCH(qint64, caret);
    QFETCH(QString, find);
    QFETCH(bool, matchCase);
    QFETCH(int, presses);
    QFETCH(qint64, selStart);
    QFETCH(qint64, selLength);
    QFETCH(QStringList, messages);

    s->load(text, caret);
    // As the find dialog leaves it after Esc.
    s->state.Search.FindText = find;
    s->state.Search.MatchCase = matchCase;
    s->state.Search.NewSearch = true;
    for (int i = 0; i < presses; ++i)
        s->key(Qt::Key_F3);
    QCOMPARE(s->box().SelStart(), selStart);
    QCOMPARE(s->box().SelLength(), selLength);
    QCOMPARE(s->messages(), messages);
    QCOMPARE(s->state.Search.LastFoundPos, selStart);
}

void TestSearch::findNextWrapsRoundAtTheEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("caret");
    QTest::addColumn<QString>("find");
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");

    using I = qint64;
    const QString wrapped = QStringLiteral("先頭から検索しました");
    QTest::newRow("past_the_last_goes_on_from_the_top")
        << "<P>a</P> <P>b</P>" << I(9) << "<p>" << I(0) << wrapped << QStringList();
    // The search starts two characters after the caret; going round finds what it skipped.
    QTest::newRow("occurrence_at_the_caret_found_by_going_round")
        << "abc" << I(0) << "abc" << I(0) << wrapped << QStringList();
    QTest::newRow("found_before_the_end_says_nothing")
        << "abc abc" << I(0) << "abc" << I(4) << QString() << QStringList();
    QTest::newRow("nowhere_in_the_page_still_reports_it")
        << "abc abc" << I(5) << "zzz" << I(5) << QString() << QStringList{NotFound("zzz")};
}

void TestSearch::findNextWrapsRoundAtTheEnd()
{
    QFETCH(QString, text);
    QFETCH(qint64, caret);
    QFETCH(QString, find);
    QFETCH(qint64, selStart);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);

    s->load(text, caret);
    s->window.statusBar()->clearMessage();
    s->state.Search.FindText = find;
    s->state.Search.NewSearch = true;
    s->key(Qt::Key_F3);
    QCOMPARE(s->box().SelStart(), selStart);
    QCOMPARE(s->box().SelLength(), messages.isEmpty() ? qint64(find.size()) : qint64(0));
    QCOMPARE(s->window.statusBar()->currentMessage(), status);
    QCOMPARE(s->messages(), messages);
}

void TestSearch::enterInTheSearchTextFindsNext()
{
    s->load(QStringLiteral("abc <BODY> abc"));
    bool closed = false;
    const auto modal = OnModal([&](QWidget* w) {
        auto* d = qobject_cast<frmFind*>(w);
        QVERIFY(d);
        d->FindField()->setText(QStringLiteral("body"));
        QTest::keyClick(d->FindField(), Qt::Key_Return);
        closed = !d->isVisible();
        if (!closed)
            d->reject();
    });
    s->action("mnuSearchFind")->trigger();
    QVERIFY(closed);
    QCOMPARE(s->box().SelStart(), qint64(5));
    QCOMPARE(s->box().SelText(), QStringLiteral("BODY"));
    QCOMPARE(s->state.Search.FindText, QStringLiteral("body"));
}

void TestSearch::f3WithoutSearchTextOpensTheDialog()
{
    s->load(QStringLiteral("abc abc"));
    bool opened = false;
    const auto modal = OnModal([&](QWidget* w) {
        opened = qobject_cast<frmFind*>(w) != nullptr;
        static_cast<QDialog*>(w)->reject();
    });
    s->key(Qt::Key_F3);
    QVERIFY(opened);
}

void TestSearch::findDialogFillsFromSelectionAndKeepsTextOnEsc()
{
    s->load(QStringLiteral("<P>abc</P> abc"), 3, 6);
    s->state.Search.MatchCase = true;
    QString text1;
    bool findEnabled = false, text2Enabled = true, ticked = false;
    const auto modal = OnModal([&](QWidget* w) {
        auto* d = qobject_cast<frmFind*>(w);
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("文字列の検索"));
        text1 = d->FindField()->text();
        findEnabled = d->FindButton()->isEnabled();
        text2Enabled = d->ReplaceField()->isEnabled();
        ticked = d->MatchCaseBox()->isChecked();
        d->MatchCaseBox()->click();
        QTest::keyClick(d->FindField(), Qt::Key_Escape);
    });
    s->action("FindButton")->trigger();
    QCOMPARE(text1, QStringLiteral("abc"));
    QVERIFY(findEnabled);
    QVERIFY(!text2Enabled);
    QVERIFY(ticked);
    QCOMPARE(s->state.Search.FindText, QStringLiteral("abc"));
    QVERIFY(!s->state.Search.MatchCase);
    // The main window gives the keyboard to the edit box once it is active again.
    QCOMPARE(s->window.focusWidget(), static_cast<QWidget*>(s->edit()));
    // F3 then goes on from the selection: the occurrence after "</P>".
    s->activate();
    s->key(Qt::Key_F3);
    QCOMPARE(s->box().SelStart(), qint64(11));
    QCOMPARE(s->box().SelText(), QStringLiteral("abc"));
}

void TestSearch::findDialogStaysOpenWhenNothingIsFound()
{
    s->load(QStringLiteral("abc"));
    bool stayed = false;
    bool emptyDisablesFind = false;
    const auto modal = OnModal([&](QWidget* w) {
        auto* d = qobject_cast<frmFind*>(w);
        d->FindField()->setText(QString());
        emptyDisablesFind = !d->FindButton()->isEnabled();
        d->FindField()->setText(QStringLiteral("zzz"));
        QTest::mouseClick(d->FindButton(), Qt::LeftButton);
        stayed = d->isVisible();
        d->reject();
    });
    s->action("mnuSearchFind")->trigger();
    QVERIFY(emptyDisablesFind);
    QVERIFY(stayed);
    QCOMPARE(s->messages(), QStringList{NotFound("zzz")});
    QCOMPARE(s->box().SelStart(), qint64(0));
}

void TestSearch::replaceAllThroughTheDialog_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("count");

    QTest::newRow("letter_replaced_by_itself_doubled_ends") << "aaa"
                                                            << "a"
                                                            << "aa" << false << "aaaaaa" << 3;
    QTest::newRow("exact_case_whatever_match_case_says") << "Body body BODY"
                                                         << "body"
                                                         << "X" << false << "Body X BODY" << 1;
    QTest::newRow("scan_goes_on_after_each_replacement") << "aaaaa"
                                                         << "aa"
                                                         << "b" << false << "bba" << 2;
    QTest::newRow("line_breaks_come_and_go") << "a<BR>b\r\nc"
                                             << "<BR>"
                                             << "\r\n"
                                             << true << "a\r\nb\r\nc" << 1;
}

void TestSearch::replaceAllThroughTheDialog()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(bool, matchCase);
    QFETCH(QString, result);
    QFETCH(int, count);

    s->load(text, 1);
    s->state.Search.MatchCase = matchCase;
    s->state.Search.ReplaceText = QStringLiteral("old");
    QString offered;
    const auto modal = OnModal([&](QWidget* w) {
        auto* d = qobject_cast<frmFind*>(w);
        d->FindField()->setText(find);
        QTest::mouseClick(d->ReplaceButton(), Qt::LeftButton);
        offered = d->ReplaceField()->text();
        d->ReplaceField()->setText(replacement);
        QTest::mouseClick(d->ReplaceButton(), Qt::LeftButton);
    });
    s->action("mnuSearchFind")->trigger();
    QCOMPARE(offered, QStringLiteral("old"));
    QCOMPARE(s->box().Text(), result);
    QCOMPARE(s->box().SelStart(), qint64(1));
    // The status bar says how many were replaced.
    QCOMPARE(s->window.statusBar()->currentMessage(),
             QString::number(count) + QStringLiteral(" 個の文字列を置き換えました。"));
    QVERIFY(s->state.Doc.isModified());
    // One undo step takes it all back.
    s->key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s->box().Text(), text);
}

void TestSearch::replaceAllWithEmptySearchTextIsNoMatch()
{
    s->load(QStringLiteral("abc"), 2);
    s->state.Search.FindText.clear();
    s->state.Search.ReplaceText = QStringLiteral("x");
    ReplaceAll(s->state, s->box());
    QCOMPARE(s->box().Text(), QStringLiteral("abc"));
    QVERIFY(!s->box().CanUndo());
    QVERIFY(!s->state.Doc.isModified());
}

void TestSearch::replaceAllKeepsStampColoursOnTheirLines()
{
    s->load(QStringLiteral("<P>a\r\n<P>b\r\n<P>c\r\n<P>d"));
    s->box().SetSelStart(LineStartPos(s->box(), 3));
    s->key(Qt::Key_F8);
    s->state.Search.FindText = QStringLiteral("<P>");
    s->state.Search.ReplaceText = QStringLiteral("<P ALIGN=center>");
    ReplaceAll(s->state, s->box());
    QCOMPARE(BlueLines(s->edit()), QStringLiteral("3"));
    s->key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(BlueLines(s->edit()), QStringLiteral("3"));
    QCOMPARE(s->box().Text(), QStringLiteral("<P>a\r\n<P>b\r\n<P>c\r\n<P>d"));
}

void TestSearch::findDefinition_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QStringList>("messages");

    const QString script = QStringLiteral(
        "<%\r\nFunction Total(a)\r\nEnd Function\r\nSub Total\r\nEnd Sub\r\nx = Total(1)\r\n%>");
    QTest::newRow("sub_preferred_to_function") << script << "Total"
                                               << "Sub Total" << QStringList();
    QTest::newRow("function_when_there_is_no_sub")
        << QStringLiteral("<%\r\nfunction Price()\r\ny = Price()") << "Price"
        << "function Price" << QStringList();
    QTest::newRow("dim_then_const")
        << QStringLiteral("Const MAX = 3\r\nDim max\r\nn = max") << "max"
        << "Dim max" << QStringList();
    QTest::newRow("beyond_character_100000")
        << QString(100000, u' ') + QStringLiteral("\r\nPrivate Sub Go\r\nSub Go\r\nGo") << "Go"
        << "Sub Go" << QStringList();
    QTest::newRow("missing_reports_the_last_key")
        << QStringLiteral("x = Nothing(1)") << "Nothing"
        << "" << QStringList{QStringLiteral("定義 \"PRIVATE NOTHING\" が見つかりません。")};
}

void TestSearch::findDefinition()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, found);
    QFETCH(QStringList, messages);

    // The name is selected where it is used, on the last line.
    const qint64 use = text.lastIndexOf(name);
    s->load(text, use, use + name.size());
    s->action("SubFindButton")->trigger();
    QCOMPARE(s->messages(), messages);
    if (found.isEmpty()) {
        QCOMPARE(s->box().SelStart(), use);
        return;
    }
    QCOMPARE(s->box().SelText(), found);
    QCOMPARE(s->box().SelStart(), qint64(text.indexOf(found)));
    // Pressed again while the definition is selected: back to where the search started.
    s->action("SubFindButton")->trigger();
    QCOMPARE(s->box().SelStart(), use);
    QCOMPARE(s->box().SelLength(), qint64(0));
    // Nothing more to return to.
    s->action("SubFindButton")->trigger();
    QCOMPARE(s->box().SelStart(), use);
}

void TestSearch::goTo_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QList<qint64>>("carets");

    // Ten lines "line 1" to "line 10": line k starts at 8 (k - 1), the text is 79 characters
    // long and its middle, 39, falls between the CR and the LF of line 5. The caret starts in
    // line 5, two characters in.
    using C = QList<qint64>;
    QTest::newRow("top_twice_returns_to_the_line_start")
        << "TopButton" << QStringList{"press", "press"} << C{0, 32};
    QTest::newRow("top_after_moving_goes_to_the_top_again")
        << "TopButton" << QStringList{"press", "down", "press", "press"} << C{0, 8, 0, 8};
    QTest::newRow("top_a_third_time_goes_to_the_top_again")
        << "TopButton" << QStringList{"press", "press", "press"} << C{0, 32, 0};
    QTest::newRow("middle_twice") << "CenteButton" << QStringList{"press", "press"} << C{38, 32};
    QTest::newRow("end_twice") << "LastButton" << QStringList{"press", "press"} << C{79, 32};
    QTest::newRow("end_after_moving_goes_to_the_end_again")
        << "LastButton" << QStringList{"press", "up", "press"} << C{79, 70, 79};
}

void TestSearch::goTo()
{
    QFETCH(QString, button);
    QFETCH(QStringList, script);
    QFETCH(QList<qint64>, carets);

    s->load(Lines(10), 34);
    QAction* action = s->action(button.toLatin1().constData());
    for (qsizetype i = 0; i < script.size(); ++i) {
        if (script[i] == u"press")
            action->trigger();
        else
            s->key(script[i] == u"down" ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(s->box().SelStart(), carets[i]);
    }
}

void TestSearch::lineBounds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("caret");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");

    // A line's extent runs through its CR; the last line's to the end of the text.
    using I = qint64;
    QTest::newRow("middle_line") << "ab\r\ncd\r\nef" << I(5) << I(4) << I(7);
    QTest::newRow("caret_before_the_line_break") << "ab\r\ncd" << I(2) << I(0) << I(3);
    QTest::newRow("last_line") << "ab\r\ncd" << I(4) << I(4) << I(6);
    QTest::newRow("empty_line") << "ab\r\n\r\ncd" << I(4) << I(4) << I(5);
    QTest::newRow("empty_text") << "" << I(0) << I(0) << I(0);
}

void TestSearch::lineBounds()
{
    QFETCH(QString, text);
    QFETCH(qint64, caret);
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    s->load(text, caret);
    QCOMPARE(GetLineBounds(s->box(), caret), (LineBounds{start, end}));
}

void TestSearch::stampAndUnstamp()
{
    const QString text = Lines(5);
    s->load(text, 17);
    s->key(Qt::Key_F8);
    QCOMPARE(BlueLines(s->edit()), QStringLiteral("3"));
    QCOMPARE(s->state.StampTable[0].line, qint64(3));
    QCOMPARE(s->state.StampTable[0].text, QStringLiteral("line 3").leftJustified(255, u' '));
    QCOMPARE(s->box().SelStart(), qint64(17));
    // Colouring is no edit.
    QCOMPARE(s->box().Text(), text);
    QVERIFY(!s->state.Doc.isModified());
    QVERIFY(!s->box().CanUndo());

    s->key(Qt::Key_F8);
    QCOMPARE(BlueLines(s->edit()), QString());
    QCOMPARE(s->state.StampTable[0].line, qint64(0));
    QCOMPARE(s->state.StampTable[0].text, QString());
    QVERIFY(!s->state.Doc.isModified());
}

void TestSearch::stampBeyondLine40000FollowsItsLine()
{
    s->load(Lines(40010));
    const qint64 start = LineStartPos(s->box(), 40005);
    s->box().SetSelStart(start + 3);
    s->action("StampButton")->trigger();
    QCOMPARE(s->state.StampTable[0].line, qint64(40005));

    // A line break at the top moves the stamp and its colour down one line.
    s->key(Qt::Key_Home, Qt::ControlModifier);
    s->key(Qt::Key_Return);
    QCOMPARE(s->state.StampTable[0].line, qint64(40006));
    QCOMPARE(s->edit()->textColorAt(LineStartPos(s->box(), 40006)), kBlue);
    QCOMPARE(s->edit()->textColorAt(LineStartPos(s->box(), 40005)), kBlack);

    // The list offers it, and its button goes there.
    QString shown;
    const auto modal = OnModal([&](QWidget* w) {
        auto* d = qobject_cast<frmJump*>(w);
        shown = d->LinNo(0)->text();
        QTest::mouseClick(d->Command1(0), Qt::LeftButton);
    });
    s->key(Qt::Key_F9);
    QCOMPARE(shown, QStringLiteral("40006"));
    QCOMPARE(s->box().SelStart(), LineStartPos(s->box(), 40006));
    QCOMPARE(s->box().SelText(), QString());
}

void TestSearch::fullStampTableIgnoresTheStampKey()
{
    s->load(Lines(20));
    for (int line = 1; line <= 15; ++line) {
        s->box().SetSelStart(LineStartPos(s->box(), line));
        s->key(Qt::Key_F8);
    }
    QCOMPARE(s->state.StampTable[14].line, qint64(15));
    // A sixteenth line, and a stamped one, are both left alone.
    s->box().SetSelStart(LineStartPos(s->box(), 16));
    s->key(Qt::Key_F8);
    s->box().SetSelStart(LineStartPos(s->box(), 2));
    s->key(Qt::Key_F8);
    QCOMPARE(BlueLines(s->edit()), QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"));
    QCOMPARE(s->state.StampTable[1].line, qint64(2));
}

void TestSearch::stampListRows()
{
    s->load(Lines(5));
    s->state.StampTable[1] = StampEntry{4, QStringLiteral("line 4")};
    bool closedByFreeRow = true, arrowMovedFocus = false, escClosed = false;
    QString free, text;
    const auto modal = OnModal([&](QWidget* w) {
        auto* d = qobject_cast<frmJump*>(w);
        QCOMPARE(d->windowTitle(), QStringLiteral("Jump"));
        free = d->LinNo(0)->text();
        text = d->Text1(1)->text();
        QTest::mouseClick(d->Command1(0), Qt::LeftButton);
        closedByFreeRow = !d->isVisible();
        // Focus moves only within the active window; the offscreen platform has no window
        // manager to activate the dialog when the machine is busy.
        QApplication::setActiveWindow(d);
        (void)QTest::qWaitForWindowActive(d); // a miss shows as arrowMovedFocus below
        d->ComClose()->setFocus();
        QTest::keyClick(d->ComClose(), Qt::Key_Down);
        arrowMovedFocus = d->Command1(0)->hasFocus();
        QTest::keyClick(d->Command1(0), Qt::Key_Escape);
        escClosed = !d->isVisible();
    });
    s->action("JumpButton")->trigger();
    QCOMPARE(free, QStringLiteral("0"));
    QCOMPARE(text, QStringLiteral("line 4"));
    QVERIFY(!closedByFreeRow);
    QVERIFY(arrowMovedFocus);
    QVERIFY(escClosed);
    QCOMPARE(s->box().SelStart(), qint64(0));
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
