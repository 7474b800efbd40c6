#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "platform/keycodes.h"

#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

using namespace tl;

namespace
{

const QString kNbsp = QStringLiteral("\u00A0");
const QString kJapanese = QStringLiteral("\u65E5\u672C\u8A9E\u306E\u6587");

// The box's text with its coloured runs in brackets, line breaks as "\n".
QString ColourMarks(const MainTextEdit& edit)
{
    const QString text = edit.text();
    QString out;
    bool inside = false;
    for (qsizetype pos = 0; pos < text.size(); ++pos) {
        const bool coloured = edit.textColorAt(pos) != QColor(Qt::black);
        if (coloured != inside)
            out += coloured ? u'[' : u']';
        inside = coloured;
        if (text.at(pos) == u'\r')
            continue; // CR LF shows as one "\n"
        out += text.at(pos);
    }
    if (inside)
        out += u']';
    return out;
}

QPoint PointOf(const MainTextEdit& edit, qsizetype pos)
{
    return edit.positionRect(pos).center();
}

} // namespace

class TestTextBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textLineBreaks_data();
    void textLineBreaks();
    void selection_data();
    void selection();
    void setSelText_data();
    void setSelText();

    void selColorRanges_data();
    void selColorRanges();
    void selColorIsNotAnEdit();

    void lineQueries_data();
    void lineQueries();
    void undoAndModifyWrites();
    void lineArithmetic_data();
    void lineArithmetic();
    void undoStepGroupsEdits();
    void margins_data();
    void margins();
    void withoutTarget();

    void scrolling();

    void keyDown_data();
    void keyDown();
    void cancelledKeyIsNotTyped();
    void shiftEnterBreaksTheLine();
    void changeEvent();
    void dblClickReportsPosition_data();
    void dblClickReportsPosition();

    void keyCodes_data();
    void keyCodes();
};

// ---- Text and selection ----

void TestTextBox::textLineBreaks_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("totalLine");

    QTest::newRow("empty") << ""
                           << "" << 2;
    QTest::newRow("crlf_kept") << "a\r\nb\r\n"
                               << "a\r\nb\r\n"
                               << 4;
    QTest::newRow("lone_lf_becomes_crlf") << "a\nb"
                                          << "a\r\nb" << 3;
    QTest::newRow("lone_cr_becomes_crlf") << "a\rb"
                                          << "a\r\nb" << 3;
    QTest::newRow("mixed_breaks") << "a\r\n\rb\n"
                                  << "a\r\n\r\nb\r\n"
                                  << 5;
    QTest::newRow("nbsp_kept") << "a" + kNbsp + "b&nbsp;"
                               << "a" + kNbsp + "b&nbsp;" << 2;
    QTest::newRow("japanese_kept")
        << kJapanese + "\r\n" + kNbsp + kJapanese << kJapanese + "\r\n" + kNbsp + kJapanese << 3;
}

void TestTextBox::textLineBreaks()
{
    QFETCH(QString, input);
    QFETCH(QString, text);
    QFETCH(int, totalLine);

    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(input);
    QCOMPARE(box.Text(), text);
    QCOMPARE(box.TotalLine(), totalLine);
    QVERIFY(!box.Modify());
    QVERIFY(!box.CanUndo());
}

void TestTextBox::selection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("selText");
    QTest::addColumn<qint64>("readStart");
    QTest::addColumn<qint64>("readLength");

    QTest::newRow("across_line_break")
        << "ab\r\ncd" << qint64(1) << qint64(4) << "b\r\nc" << qint64(1) << qint64(4);
    QTest::newRow("just_the_line_break") << "ab\r\ncd" << qint64(2) << qint64(2) << "\r\n"
                                         << qint64(2) << qint64(2);
    QTest::newRow("start_between_cr_and_lf_snaps_to_line_end")
        << "ab\r\ncd" << qint64(3) << qint64(2) << "\r\n"
        << qint64(2) << qint64(2);
    QTest::newRow("end_between_cr_and_lf_stops_at_line_end")
        << "ab\r\ncd" << qint64(0) << qint64(3) << "ab" << qint64(0) << qint64(2);
    QTest::newRow("length_past_end_clamps")
        << "ab\r\ncd" << qint64(1) << qint64(100) << "b\r\ncd" << qint64(1) << qint64(5);
    QTest::newRow("caret_only") << "ab\r\ncd" << qint64(4) << qint64(0) << "" << qint64(4)
                                << qint64(0);
    QTest::newRow("start_past_end_clamps")
        << "ab\r\ncd" << qint64(50) << qint64(3) << "" << qint64(6) << qint64(0);
    QTest::newRow("negative_length_is_caret")
        << "ab\r\ncd" << qint64(1) << qint64(-2) << "" << qint64(1) << qint64(0);
    QTest::newRow("nbsp_and_japanese") << "x\r\n" + kNbsp + kJapanese + "\r\ny" << qint64(3)
                                       << qint64(8) << kNbsp + kJapanese + "\r\n"
                                       << qint64(3) << qint64(8);
}

void TestTextBox::selection()
{
    QFETCH(QString, text);
    QFETCH(qint64, start);
    QFETCH(qint64, length);
    QFETCH(QString, selText);
    QFETCH(qint64, readStart);
    QFETCH(qint64, readLength);

    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(text);
    box.SetSelStart(start);
    box.SetSelLength(length);
    QCOMPARE(box.SelText(), selText);
    QCOMPARE(box.SelStart(), readStart);
    QCOMPARE(box.SelLength(), readLength);
    QCOMPARE(box.Text(), text);
}

void TestTextBox::setSelText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("result");
    QTest::addColumn<qint64>("caret");

    QTest::newRow("crlf_at_caret_is_one_break") << "ab" << qint64(1) << qint64(0) << "x\r\ny"
                                                << "ax\r\nyb" << qint64(5);
    QTest::newRow("replaces_selection_across_break") << "ab\r\ncd" << qint64(1) << qint64(4) << "Z"
                                                     << "aZd" << qint64(2);
    QTest::newRow("lone_lf_becomes_crlf") << "ab" << qint64(2) << qint64(0) << "\n"
                                          << "ab\r\n"
                                          << qint64(4);
    QTest::newRow("lone_cr_becomes_crlf") << "ab" << qint64(0) << qint64(0) << "\r"
                                          << "\r\nab" << qint64(2);
    QTest::newRow("empty_deletes_selection") << "ab\r\ncd" << qint64(1) << qint64(4) << ""
                                             << "ad" << qint64(1);
    QTest::newRow("several_lines_into_empty_text")
        << "" << qint64(0) << qint64(0) << "<P>\r\n\r\n</P>\r\n"
        << "<P>\r\n\r\n</P>\r\n"
        << qint64(13);
    QTest::newRow("japanese_over_line_end")
        << "a\r\nb" << qint64(1) << qint64(2) << kJapanese << "a" + kJapanese + "b" << qint64(6);
}

void TestTextBox::setSelText()
{
    QFETCH(QString, text);
    QFETCH(qint64, start);
    QFETCH(qint64, length);
    QFETCH(QString, inserted);
    QFETCH(QString, result);
    QFETCH(qint64, caret);

    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(text);
    box.SetSelStart(start);
    box.SetSelLength(length);
    box.SetSelText(inserted);
    QCOMPARE(box.Text(), result);
    QCOMPARE(box.SelStart(), caret);
    QCOMPARE(box.SelLength(), qint64(0));
    QVERIFY(box.Modify());

    // One undo step: a single Undo restores the old text exactly and leaves nothing to undo.
    QVERIFY(box.CanUndo());
    box.Undo();
    QCOMPARE(box.Text(), text);
    QVERIFY(!box.CanUndo());
}

// ---- Colours ----

void TestTextBox::selColorRanges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("redStart");
    QTest::addColumn<qint64>("redLength");
    QTest::addColumn<qint64>("blackStart");
    QTest::addColumn<qint64>("blackLength");
    QTest::addColumn<QString>("marks");

    QTest::newRow("red_across_line_break")
        << "ab\r\ncd" << qint64(1) << qint64(4) << qint64(0) << qint64(0) << "a[b\nc]d";
    QTest::newRow("black_inside_splits_the_run")
        << "abcdef" << qint64(0) << qint64(6) << qint64(2) << qint64(2) << "[ab]cd[ef]";
    QTest::newRow("black_over_the_start")
        << "abcdef" << qint64(2) << qint64(4) << qint64(0) << qint64(3) << "abc[def]";
    QTest::newRow("black_over_everything_removes")
        << "abcdef" << qint64(1) << qint64(3) << qint64(0) << qint64(6) << "abcdef";
    QTest::newRow("black_beside_leaves_it")
        << "ab\r\ncd" << qint64(4) << qint64(2) << qint64(0) << qint64(4) << "ab\n[cd]";
}

void TestTextBox::selColorRanges()
{
    QFETCH(QString, text);
    QFETCH(qint64, redStart);
    QFETCH(qint64, redLength);
    QFETCH(qint64, blackStart);
    QFETCH(qint64, blackLength);
    QFETCH(QString, marks);

    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(text);
    box.SetSelStart(redStart);
    box.SetSelLength(redLength);
    box.SetSelColor(Qt::red);
    QCOMPARE(box.SelColor(), QColor(Qt::red));
    box.SetSelStart(blackStart);
    box.SetSelLength(blackLength);
    box.SetSelColor(Qt::black);
    QCOMPARE(ColourMarks(edit), marks);
    QCOMPARE(box.Text(), text);
}

void TestTextBox::selColorIsNotAnEdit()
{
    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(QStringLiteral("l1\r\nl2\r\nl3"));
    QSignalSpy changes(&edit, &MainTextEdit::Change);
    box.SetSelStart(4);
    box.SetSelLength(2);
    box.SetSelColor(Qt::red);
    QCOMPARE(ColourMarks(edit), QStringLiteral("l1\n[l2]\nl3"));
    QCOMPARE(box.Text(), QStringLiteral("l1\r\nl2\r\nl3"));
    QVERIFY(!box.Modify());
    QVERIFY(!box.CanUndo());
    QCOMPARE(changes.count(), 0);

    // The colour moves with its line: a line inserted right at its start, then one at the top.
    box.SetSelStart(4);
    box.SetSelText(QStringLiteral("x\r\n"));
    QCOMPARE(ColourMarks(edit), QStringLiteral("l1\nx\n[l2]\nl3"));
    box.SetSelStart(0);
    box.SetSelText(QStringLiteral("top\r\n"));
    QCOMPARE(ColourMarks(edit), QStringLiteral("top\nl1\nx\n[l2]\nl3"));
    // Typing at the end of the coloured text continues it, so a marked line stays marked whole.
    box.SetSelStart(box.Text().indexOf(QStringLiteral("l2")) + 2);
    box.SetSelText(QStringLiteral("!"));
    QCOMPARE(ColourMarks(edit), QStringLiteral("top\nl1\nx\n[l2!]\nl3"));

    // Undoing the edits leaves the colour on its text, and black removes it.
    box.Undo();
    box.Undo();
    box.Undo();
    QCOMPARE(ColourMarks(edit), QStringLiteral("l1\n[l2]\nl3"));
    box.SetSelStart(4);
    box.SetSelLength(2);
    box.SetSelColor(Qt::black);
    QCOMPARE(ColourMarks(edit), QStringLiteral("l1\nl2\nl3"));
    QCOMPARE(box.SelColor(), QColor(Qt::black));

    // New text starts without colours.
    box.SetSelColor(Qt::blue);
    box.SetText(QStringLiteral("l1\r\nl2"));
    QCOMPARE(ColourMarks(edit), QStringLiteral("l1\nl2"));
}

// ---- Line queries and properties ----

void TestTextBox::lineQueries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("caret");
    QTest::addColumn<int>("lineFromChar");
    QTest::addColumn<int>("totalLine");
    QTest::addColumn<QString>("lineText");

    const QString digits300 = QStringLiteral("0123456789").repeated(30);
    QTest::newRow("empty_text") << "" << qint64(0) << 1 << 2 << "";
    QTest::newRow("abc_caret_at_end") << "abc" << qint64(3) << 1 << 2 << "abc";
    QTest::newRow("300_char_line_is_cut_at_255")
        << digits300 << qint64(0) << 1 << 2 << digits300.left(255);
    QTest::newRow("caret_on_line_3")
        << "one\r\ntwo\r\nthree\r\nfour" << qint64(12) << 3 << 5 << "three";
    QTest::newRow("caret_at_start_of_line_3")
        << "one\r\ntwo\r\nthree\r\nfour" << qint64(10) << 3 << 5 << "three";
    QTest::newRow("caret_between_cr_and_lf_is_on_its_line")
        << "one\r\ntwo\r\nthree\r\nfour" << qint64(9) << 2 << 5 << "two";
    QTest::newRow("caret_after_final_break_is_on_empty_line") << "abc\r\n"
                                                              << qint64(5) << 2 << 3 << "";
    QTest::newRow("nbsp_and_japanese_line")
        << "x\r\n" + kNbsp + kJapanese << qint64(8) << 2 << 3 << kNbsp + kJapanese;
}

void TestTextBox::lineQueries()
{
    QFETCH(QString, text);
    QFETCH(qint64, caret);
    QFETCH(int, lineFromChar);
    QFETCH(int, totalLine);
    QFETCH(QString, lineText);

    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(text);
    box.SetSelStart(caret);
    QCOMPARE(box.LineFromChar(), lineFromChar);
    QCOMPARE(box.TotalLine(), totalLine);
    QCOMPARE(box.TopLine(), 1);
    QCOMPARE(box.GetLineText(), lineText.leftJustified(255, u' '));
}

void TestTextBox::undoAndModifyWrites()
{
    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(QStringLiteral("abc"));

    // Writing true does nothing, also where the answer is false.
    box.SetCanUndo(true);
    box.SetModify(true);
    QVERIFY(!box.CanUndo());
    QVERIFY(!box.Modify());

    box.SetSelStart(3);
    box.SetSelText(QStringLiteral("d"));
    box.SetCanUndo(true);
    box.SetModify(true);
    QVERIFY(box.CanUndo());
    QVERIFY(box.Modify());
    QCOMPARE(box.Text(), QStringLiteral("abcd"));

    // False empties the undo history without touching the text or the modified mark.
    box.SetCanUndo(false);
    QVERIFY(!box.CanUndo());
    QVERIFY(box.Modify());
    box.Undo();
    QCOMPARE(box.Text(), QStringLiteral("abcd"));

    box.SetModify(false);
    QVERIFY(!box.Modify());
    QCOMPARE(box.Text(), QStringLiteral("abcd"));
    box.SetSelText(QStringLiteral("e"));
    QVERIFY(box.Modify());
}

void TestTextBox::lineArithmetic_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("pos");
    QTest::addColumn<int>("line");
    QTest::addColumn<qint64>("lineStart");
    QTest::addColumn<qint64>("midLength");
    QTest::addColumn<QString>("mid");

    const QString two = QStringLiteral("ab\r\ncd");
    QTest::newRow("empty_text") << QString() << qint64(0) << 1 << qint64(0) << qint64(3)
                                << QString();
    QTest::newRow("start_of_second_line")
        << two << qint64(4) << 2 << qint64(4) << qint64(2) << QStringLiteral("cd");
    QTest::newRow("before_crlf_is_first_line")
        << two << qint64(2) << 1 << qint64(0) << qint64(2) << QStringLiteral("\r\n");
    QTest::newRow("between_cr_and_lf")
        << two << qint64(3) << 1 << qint64(0) << qint64(2) << QStringLiteral("\nc");
    QTest::newRow("range_ending_between_cr_and_lf")
        << two << qint64(1) << 1 << qint64(0) << qint64(2) << QStringLiteral("b\r");
    QTest::newRow("past_the_end_is_clamped")
        << two << qint64(99) << 2 << qint64(4) << qint64(5) << QString();
}

void TestTextBox::lineArithmetic()
{
    QFETCH(QString, text);
    QFETCH(qint64, pos);
    QFETCH(int, line);
    QFETCH(qint64, lineStart);
    QFETCH(qint64, midLength);
    QFETCH(QString, mid);

    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(text);
    QCOMPARE(box.TextLength(), qint64(text.size()));
    QCOMPARE(LineNumberAt(box, pos), line);
    QCOMPARE(LineStartPos(box, line), lineStart);
    QCOMPARE(box.Mid(pos, midLength), mid);
    // Line numbers outside the text: below 1 is the start, past the last line the end.
    QCOMPARE(LineStartPos(box, 0), qint64(0));
    QCOMPARE(LineStartPos(box, box.TotalLine() + 5), qint64(text.size()));
}

void TestTextBox::undoStepGroupsEdits()
{
    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(QStringLiteral("<B>x</B>"));
    {
        cTextBox::UndoStep step(box);
        box.SetSelStart(3);
        box.SetSelLength(1);
        box.SetSelText(QStringLiteral("y\r\nz"));
        box.SetSelStart(0);
        box.SetSelText(QStringLiteral("<P>"));
    }
    QCOMPARE(box.Text(), QStringLiteral("<P><B>y\r\nz</B>"));
    box.Undo();
    QCOMPARE(box.Text(), QStringLiteral("<B>x</B>"));
}

void TestTextBox::margins_data()
{
    QTest::addColumn<int>("scaleMode");
    QTest::addColumn<bool>("left");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("read");
    QTest::addColumn<QMargins>("pixels");

    QTest::newRow("pixels_left") << 3 << true << 5 << 5 << QMargins(5, 0, 0, 0);
    QTest::newRow("pixels_top") << 3 << false << 7 << 7 << QMargins(0, 7, 0, 0);
    QTest::newRow("twips_top") << 1 << false << 150 << 150 << QMargins(0, 10, 0, 0);
    QTest::newRow("twips_round_down_to_pixel") << 1 << true << 22 << 15 << QMargins(1, 0, 0, 0);
    QTest::newRow("twips_round_up_to_pixel") << 1 << true << 23 << 30 << QMargins(2, 0, 0, 0);
    QTest::newRow("other_mode_reads_0_ignores_write")
        << 2 << true << 5 << 0 << QMargins(0, 0, 0, 0);
    QTest::newRow("mode_0_reads_0_ignores_write") << 0 << false << 5 << 0 << QMargins(0, 0, 0, 0);
}

void TestTextBox::margins()
{
    QFETCH(int, scaleMode);
    QFETCH(bool, left);
    QFETCH(int, value);
    QFETCH(int, read);
    QFETCH(QMargins, pixels);

    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    QCOMPARE(box.ScaleMode(), 1);
    box.SetScaleMode(scaleMode);
    QCOMPARE(box.ScaleMode(), scaleMode);
    if (left)
        box.SetMarginLeft(value);
    else
        box.SetMarginTop(value);
    QCOMPARE(left ? box.MarginLeft() : box.MarginTop(), read);
    QCOMPARE(edit.formattingMargins(), pixels);
}

void TestTextBox::withoutTarget()
{
    auto check = [](const cTextBox& box) {
        QCOMPARE(box.TopLine(), 1);
        QCOMPARE(box.TotalLine(), 1);
        QCOMPARE(box.LineFromChar(), 1);
        QCOMPARE(box.GetLineText(), QString(255, u' '));
        QCOMPARE(box.Text(), QString());
        QCOMPARE(box.SelStart(), qint64(0));
        QVERIFY(!box.CanUndo());
        QVERIFY(!box.Modify());
        QCOMPARE(box.MarginLeft(), 0);
    };
    cTextBox none;
    none.SetText(QStringLiteral("ignored"));
    none.SetSelText(QStringLiteral("ignored"));
    none.ScrollLines(3);
    none.SetMarginLeft(30);
    check(none);

    // A target that has been destroyed answers as no target.
    Document doc;
    auto edit = std::make_unique<MainTextEdit>(doc);
    cTextBox box(edit.get());
    box.SetText(QStringLiteral("a\r\nb\r\nc"));
    box.SetSelStart(6);
    QCOMPARE(box.LineFromChar(), 3);
    edit.reset();
    check(box);
}

// ---- Scrolling ----

void TestTextBox::scrolling()
{
    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("line %1 ").arg(i) + QString(i % 7 * 20, u'x');
    box.SetText(lines.join(QStringLiteral("\r\n")));
    edit.resize(400, 300);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QCOMPARE(box.TopLine(), 1);

    box.ScrollLines(10);
    QCOMPARE(box.TopLine(), 11);
    box.ScrollLines(-3);
    QCOMPARE(box.TopLine(), 8);
    box.ScrollLines(-50);
    QCOMPARE(box.TopLine(), 1);

    // ShowBottom brings the last line into view and leaves the view full of lines.
    box.ShowBottom();
    const int bottomTop = box.TopLine();
    QVERIFY2(bottomTop > 150, qPrintable(QString::number(bottomTop)));
    const QRect endRect = edit.positionRect(edit.length());
    QVERIFY(endRect.top() >= 0 && endRect.bottom() < edit.viewport()->height());
    box.ScrollLines(5);
    QCOMPARE(box.TopLine(), bottomTop);
    box.ScrollLines(-1);
    QCOMPARE(box.TopLine(), bottomTop - 1);

    box.ShowTop();
    QCOMPARE(box.TopLine(), 1);
    QCOMPARE(box.TotalLine(), 201);

    // ScrollV moves sideways and leaves the first line alone.
    box.ScrollColumns(4);
    QVERIFY(edit.horizontalScrollBar()->value() > 0);
    QCOMPARE(box.TopLine(), 1);
    box.ScrollColumns(-1000);
    QCOMPARE(edit.horizontalScrollBar()->value(), 0);
}

// ---- Events ----

void TestTextBox::keyDown_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("shift");

    using KM = Qt::KeyboardModifiers;
    QTest::newRow("f4") << int(Qt::Key_F4) << KM() << 115 << 0;
    QTest::newRow("f1") << int(Qt::Key_F1) << KM() << 112 << 0;
    QTest::newRow("letter_a") << int(Qt::Key_A) << KM() << 65 << 0;
    QTest::newRow("shift_b") << int(Qt::Key_B) << KM(Qt::ShiftModifier) << 66 << 1;
    QTest::newRow("shift_tab") << int(Qt::Key_Tab) << KM(Qt::ShiftModifier) << 9 << 1;
    QTest::newRow("backtab") << int(Qt::Key_Backtab) << KM(Qt::ShiftModifier) << 9 << 1;
    QTest::newRow("ctrl_c") << int(Qt::Key_C) << KM(Qt::ControlModifier) << 67 << 2;
    QTest::newRow("ctrl_enter") << int(Qt::Key_Return) << KM(Qt::ControlModifier) << 13 << 2;
    QTest::newRow("alt_x") << int(Qt::Key_X) << KM(Qt::AltModifier) << 88 << 4;
    QTest::newRow("ctrl_shift_home")
        << int(Qt::Key_Home) << KM(Qt::ControlModifier | Qt::ShiftModifier) << 36 << 3;
    QTest::newRow("escape") << int(Qt::Key_Escape) << KM() << 27 << 0;
    QTest::newRow("keypad_5") << int(Qt::Key_5) << KM(Qt::KeypadModifier) << 101 << 0;
    QTest::newRow("shift_1_is_key_1") << int(Qt::Key_Exclam) << KM(Qt::ShiftModifier) << 49 << 1;
    QTest::newRow("key_without_code_is_0") << int(Qt::Key_Launch0) << KM() << 0 << 0;
}

void TestTextBox::keyDown()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, code);
    QFETCH(int, shift);

    Document doc;
    MainTextEdit edit{doc};
    QList<QPair<int, int>> seen;
    connect(&edit, &MainTextEdit::KeyDown, this, [&](int& keyCode, int shiftState) {
        seen.append({keyCode, shiftState});
    });
    QTest::keyClick(&edit, Qt::Key(key), modifiers);
    // keyClick presses the modifier keys first; the key itself comes last.
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), qMakePair(code, shift));
}

void TestTextBox::cancelledKeyIsNotTyped()
{
    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    QSignalSpy changes(&edit, &MainTextEdit::Change);
    connect(&edit, &MainTextEdit::KeyDown, this, [](int& keyCode, int) {
        if (keyCode == 'A' || keyCode == vk::Return)
            keyCode = 0;
    });
    QTest::keyClicks(&edit, QStringLiteral("bab"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(box.Text(), QStringLiteral("bb"));
    QCOMPARE(changes.count(), 2);
}

void TestTextBox::shiftEnterBreaksTheLine()
{
    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(QStringLiteral("ab"));
    box.SetSelStart(1);
    QTest::keyClick(&edit, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(box.Text(), QStringLiteral("a\r\nb"));
    QCOMPARE(box.SelStart(), qint64(3));
    QCOMPARE(box.LineFromChar(), 2);
    QCOMPARE(box.TotalLine(), 3);
}

void TestTextBox::changeEvent()
{
    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    QSignalSpy changes(&edit, &MainTextEdit::Change);
    QTest::keyClick(&edit, Qt::Key_X);
    QCOMPARE(changes.count(), 1);
    box.SetSelStart(0);
    box.SetSelLength(1);
    box.SetSelText(QStringLiteral("a\r\nb"));
    QCOMPARE(changes.count(), 2);
    box.SetText(QStringLiteral("new"));
    QCOMPARE(changes.count(), 3);
    // Moving the caret, selecting or colouring is no change.
    box.SetSelStart(1);
    box.SetSelLength(1);
    box.SetSelColor(Qt::red);
    box.SelectAll();
    QCOMPARE(changes.count(), 3);
}

void TestTextBox::dblClickReportsPosition_data()
{
    QTest::addColumn<qint64>("pos");
    QTest::newRow("inside_first_tag") << qint64(1);
    QTest::newRow("inside_word") << qint64(6);
    QTest::newRow("second_line_counts_crlf_as_two") << qint64(24);
}

void TestTextBox::dblClickReportsPosition()
{
    QFETCH(qint64, pos);

    Document doc;
    MainTextEdit edit{doc};
    cTextBox box(&edit);
    box.SetText(QStringLiteral("<P>hello world</P>\r\n<IMG SRC=\"a.gif\">"));
    edit.resize(400, 200);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QSignalSpy clicks(&edit, &MainTextEdit::DblClick);
    QTest::mouseDClick(edit.viewport(), Qt::LeftButton, {}, PointOf(edit, pos));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toLongLong(), pos);
}

// ---- Key codes ----

void TestTextBox::keyCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("code");

    using KM = Qt::KeyboardModifiers;
    const KM keypad(Qt::KeypadModifier);
    QTest::newRow("a") << int(Qt::Key_A) << KM() << 65;
    QTest::newRow("z") << int(Qt::Key_Z) << KM() << 90;
    QTest::newRow("digit_0") << int(Qt::Key_0) << KM() << 48;
    QTest::newRow("digit_9") << int(Qt::Key_9) << KM() << 57;
    QTest::newRow("f1") << int(Qt::Key_F1) << KM() << 112;
    QTest::newRow("f12") << int(Qt::Key_F12) << KM() << 123;
    QTest::newRow("return") << int(Qt::Key_Return) << KM() << 13;
    QTest::newRow("enter") << int(Qt::Key_Enter) << KM() << 13;
    QTest::newRow("keypad_enter") << int(Qt::Key_Enter) << keypad << 13;
    QTest::newRow("escape") << int(Qt::Key_Escape) << KM() << 27;
    QTest::newRow("home") << int(Qt::Key_Home) << KM() << 36;
    QTest::newRow("keypad_home_without_numlock") << int(Qt::Key_Home) << keypad << 36;
    QTest::newRow("delete") << int(Qt::Key_Delete) << KM() << 46;
    QTest::newRow("alt") << int(Qt::Key_Alt) << KM() << 18;
    QTest::newRow("tab") << int(Qt::Key_Tab) << KM() << 9;
    QTest::newRow("space") << int(Qt::Key_Space) << KM() << 32;
    QTest::newRow("keypad_0") << int(Qt::Key_0) << keypad << 96;
    QTest::newRow("keypad_9") << int(Qt::Key_9) << keypad << 105;
    QTest::newRow("keypad_asterisk") << int(Qt::Key_Asterisk) << keypad << 106;
    QTest::newRow("keypad_minus") << int(Qt::Key_Minus) << keypad << 109;
    QTest::newRow("minus") << int(Qt::Key_Minus) << KM() << 189;
    QTest::newRow("no_code") << int(Qt::Key_Launch0) << KM() << 0;
}

void TestTextBox::keyCodes()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, code);

    const QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QCOMPARE(KeyCodeOf(event), code);
    if (!(modifiers & Qt::KeypadModifier))
        QCOMPARE(KeyCodeOf(key), code);
}

QTEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
