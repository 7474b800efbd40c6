#include "editbox/maintextedit.h"

#include <QAccessible>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace tl;

namespace
{

// Plays a script on the box: "<Key+Mods>" is one key stroke in QKeySequence notation, any
// other item is typed as text.
void Play(MainTextEdit& edit, const QStringList& script)
{
    for (const QString& item : script) {
        if (item.startsWith(u'<') && item.endsWith(u'>') && item.size() > 2) {
            const QKeyCombination key = QKeySequence::fromString(item.mid(1, item.size() - 2))[0];
            QTest::keyClick(&edit, key.key(), key.keyboardModifiers());
        } else {
            QTest::keyClicks(&edit, item);
        }
    }
}

} // namespace

Q_DECLARE_METATYPE(tl::ByteVariants)

class TestEditBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keys_data();
    void keys();
    void clipboardUsesPlatformLineBreaks();
    void pasteKeepsTheByteVariantsItWasCutWith_data();
    void pasteKeepsTheByteVariantsItWasCutWith();
    void inputMethodComposesOutsideTheText();
    void mouseSelection();
    void largeTextScrollsToTheCaret();
    void assistiveTechnologyReadsLinesAndCaret();
    void textFromOutsideNeverBringsHalfAPair();
    void lineSeparatorDoesNotEndTheDrawnLine();
};

void TestEditBox::keys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("caret");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("result");
    QTest::addColumn<qsizetype>("anchorAfter");
    QTest::addColumn<qsizetype>("caretAfter");

    using S = qsizetype;
    const QString two = QStringLiteral("ab\r\ncd");
    QTest::newRow("typing") << "" << S(0) << QStringList{"abc"} << "abc" << S(3) << S(3);
    QTest::newRow("backspace_at_line_start_joins_lines")
        << two << S(4) << QStringList{"<Backspace>"} << "abcd" << S(2) << S(2);
    QTest::newRow("delete_at_line_end_joins_lines")
        << two << S(2) << QStringList{"<Delete>"} << "abcd" << S(2) << S(2);
    QTest::newRow("right_steps_over_the_line_break")
        << two << S(2) << QStringList{"<Right>"} << two << S(4) << S(4);
    QTest::newRow("left_steps_back_over_it")
        << two << S(4) << QStringList{"<Left>"} << two << S(2) << S(2);
    QTest::newRow("shift_end_selects_to_line_end")
        << two << S(0) << QStringList{"<Shift+End>"} << two << S(0) << S(2);
    QTest::newRow("down_keeps_the_column_over_a_short_line")
        << "abcdef\r\nx\r\nabcdef" << S(4) << QStringList{"<Down>", "<Down>"}
        << "abcdef\r\nx\r\nabcdef" << S(15) << S(15);
    QTest::newRow("enter_breaks_with_crlf")
        << "ab" << S(1) << QStringList{"<Return>"} << "a\r\nb" << S(3) << S(3);
    QTest::newRow("shift_enter_breaks_the_same_way")
        << "ab" << S(1) << QStringList{"<Shift+Return>"} << "a\r\nb" << S(3) << S(3);
    QTest::newRow("typing_replaces_the_selection")
        << "hello" << S(0) << QStringList{"<Shift+End>", "x"} << "x" << S(1) << S(1);
    QTest::newRow("undo_takes_back_the_whole_typed_run")
        << "<P>" << S(3) << QStringList{"abc", "<Ctrl+Z>"} << "<P>" << S(3) << S(3);
    QTest::newRow("redo_puts_it_back")
        << "<P>" << S(3) << QStringList{"abc", "<Ctrl+Z>", "<Ctrl+Y>"} << "<P>abc" << S(6) << S(6);
    QTest::newRow("ctrl_shift_z_redoes_too")
        << "<P>" << S(3) << QStringList{"abc", "<Ctrl+Z>", "<Ctrl+Shift+Z>"} << "<P>abc" << S(6)
        << S(6);
    QTest::newRow("ctrl_end_and_ctrl_home")
        << two << S(1) << QStringList{"<Ctrl+End>", "!", "<Ctrl+Home>", "?"} << "?ab\r\ncd!" << S(1)
        << S(1);
    QTest::newRow("overwrite_replaces_the_character")
        << "abc" << S(0) << QStringList{"<Ins>", "X"} << "Xbc" << S(1) << S(1);
    QTest::newRow("overwrite_never_eats_the_line_break")
        << "a\r\nb" << S(1) << QStringList{"<Ins>", "XY"} << "aXY\r\nb" << S(3) << S(3);
    QTest::newRow("tab_is_a_character")
        << "ab" << S(1) << QStringList{"<Tab>"} << "a\tb" << S(2) << S(2);
    QTest::newRow("ctrl_right_moves_by_words")
        << "<TABLE BORDER=1>" << S(0) << QStringList{"<Ctrl+Right>", "<Ctrl+Right>", "|"}
        << "<TABLE |BORDER=1>" << S(8) << S(8);
    QTest::newRow("japanese_words_by_script")
        << QStringLiteral("日本語のテキスト") << S(0)
        << QStringList{"<Ctrl+Right>", "<Ctrl+Right>", "|"} << QStringLiteral("日本語の|テキスト")
        << S(5) << S(5);
    QTest::newRow("surrogate_pair_is_one_character")
        << QStringLiteral("a😀b") << S(1) << QStringList{"<Right>", "<Backspace>"} << "ab" << S(1)
        << S(1);
    QTest::newRow("ctrl_a_selects_all")
        << two << S(1) << QStringList{"<Ctrl+A>"} << two << S(0) << S(6);
}

void TestEditBox::keys()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, caret);
    QFETCH(QStringList, script);
    QFETCH(QString, result);
    QFETCH(qsizetype, anchorAfter);
    QFETCH(qsizetype, caretAfter);

    Document doc;
    MainTextEdit edit{doc};
    edit.resize(400, 200);
    edit.setText(text);
    edit.setCaret(caret);
    Play(edit, script);
    QCOMPARE(edit.text(), result);
    QCOMPARE(edit.anchor(), anchorAfter);
    QCOMPARE(edit.position(), caretAfter);
}

void TestEditBox::clipboardUsesPlatformLineBreaks()
{
    Document doc;
    MainTextEdit edit{doc};
    edit.setText(u"ab\r\ncd");
    edit.setSelection(1, 5);
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("b\nc"));
    QVERIFY(!edit.isModified());

    // Pasted text gets CR LF breaks, in one undo step.
    QGuiApplication::clipboard()->setText(QStringLiteral("1\n2\r3"));
    edit.setCaret(0);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("1\r\n2\r\n3ab\r\ncd"));
    edit.undo();
    QCOMPARE(edit.text(), QStringLiteral("ab\r\ncd"));

    edit.setSelection(0, 4);
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("cd"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ab\n"));
}

void TestEditBox::pasteKeepsTheByteVariantsItWasCutWith_data()
{
    QTest::addColumn<QStringList>("script");   // run with "纊a\r\nb≒" (1 to 7) selected
    QTest::addColumn<QString>("otherProgram"); // put on the clipboard before the last key
    QTest::addColumn<QString>("text");
    QTest::addColumn<ByteVariants>("variants");

    // "x纊a\r\nb≒y" with 纊 and ≒ in another form than the page's usual one. The variants go
    // with the text cut or copied and come back where it is pasted.
    QTest::newRow("cut_and_paste_back")
        << QStringList{"<Ctrl+X>", "<Ctrl+V>"} << ""
        << "x纊a\r\nb≒y" << ByteVariants{{1, u'纊', 0xED40}, {6, u'≒', 0x8790}};
    QTest::newRow("copy_and_paste_at_the_end")
        << QStringList{"<Ctrl+C>", "<Ctrl+End>", "<Ctrl+V>"} << ""
        << "x纊a\r\nb≒y纊a\r\nb≒"
        << ByteVariants{
               {1, u'纊', 0xED40}, {6, u'≒', 0x8790}, {8, u'纊', 0xED40}, {13, u'≒', 0x8790}};
    // The same text from another program brings none.
    QTest::newRow("other_program") << QStringList{"<Ctrl+X>", "<Ctrl+V>"} << "纊a\nb≒"
                                   << "x纊a\r\nb≒y" << ByteVariants{};
}

void TestEditBox::pasteKeepsTheByteVariantsItWasCutWith()
{
    QFETCH(QStringList, script);
    QFETCH(QString, otherProgram);
    QFETCH(QString, text);
    QFETCH(ByteVariants, variants);
    const QString start = QStringLiteral("x纊a\r\nb≒y");
    const ByteVariants asRead{{1, u'纊', 0xED40}, {6, u'≒', 0x8790}};
    Document doc;
    MainTextEdit edit{doc};
    edit.setText(start);
    doc.setByteVariants(asRead);
    edit.setSelection(1, 7);
    if (otherProgram.isEmpty()) {
        Play(edit, script);
    } else {
        Play(edit, script.mid(0, script.size() - 1));
        QGuiApplication::clipboard()->setText(otherProgram);
        Play(edit, script.mid(script.size() - 1));
    }
    QCOMPARE(edit.text(), text);
    QCOMPARE(doc.byteVariants(), variants);

    // The paste is one undo step, its variants with it.
    const ByteVariants pasted = doc.byteVariants();
    edit.undo();
    const ByteVariants beforePaste = doc.byteVariants();
    edit.redo();
    QCOMPARE(doc.byteVariants(), pasted);
    edit.undo();
    QCOMPARE(doc.byteVariants(), beforePaste);
    while (edit.canUndo())
        edit.undo();
    QCOMPARE(edit.text(), start);
    QCOMPARE(doc.byteVariants(), asRead);
}

void TestEditBox::inputMethodComposesOutsideTheText()
{
    Document doc;
    MainTextEdit edit{doc};
    edit.setText(u"<P></P>");
    edit.setCaret(3);
    QSignalSpy changes(&edit, &MainTextEdit::Change);

    QInputMethodEvent composing(QStringLiteral("にほん"), {});
    QCoreApplication::sendEvent(&edit, &composing);
    QCOMPARE(edit.text(), QStringLiteral("<P></P>"));
    QCOMPARE(changes.count(), 0);
    QCOMPARE(edit.inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("<P></P>"));
    QCOMPARE(edit.inputMethodQuery(Qt::ImCursorPosition).toInt(), 3);

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("日本"));
    QCoreApplication::sendEvent(&edit, &commit);
    QCOMPARE(edit.text(), QStringLiteral("<P>日本</P>"));
    QCOMPARE(edit.position(), qsizetype(5));
    edit.undo();
    QCOMPARE(edit.text(), QStringLiteral("<P></P>"));
}

void TestEditBox::mouseSelection()
{
    Document doc;
    MainTextEdit edit{doc};
    edit.setText(u"<P>hello world</P>\r\nnext line");
    edit.resize(400, 200);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QWidget* view = edit.viewport();
    auto at = [&](qsizetype pos) { return edit.positionRect(pos).center() + QPoint(1, 0); };

    QTest::mouseClick(view, Qt::LeftButton, {}, at(5));
    QCOMPARE(edit.position(), qsizetype(5));
    QVERIFY(!edit.hasSelection());

    // Dragging from "h" to the second line selects across the line break.
    QTest::mousePress(view, Qt::LeftButton, {}, at(3));
    QTest::mouseMove(view, at(22));
    QTest::mouseRelease(view, Qt::LeftButton, {}, at(22));
    QCOMPARE(edit.selectedText(), QStringLiteral("hello world</P>\r\nne"));

    // A double click selects the word; Shift+click extends from the anchor.
    QTest::mouseDClick(view, Qt::LeftButton, {}, at(6));
    QCOMPARE(edit.selectedText(), QStringLiteral("hello"));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, at(14));
    QCOMPARE(edit.selectedText(), QStringLiteral("hello world"));
}

void TestEditBox::largeTextScrollsToTheCaret()
{
    Document doc;
    MainTextEdit edit{doc};
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("line %1 %2\r\n").arg(i).arg(QString(i % 50, u'x'));
    edit.setText(text);
    edit.resize(300, 200);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));

    const int line = 4000;
    edit.setCaret(edit.lineEnd(line));
    QVERIFY(edit.firstVisibleLine() <= line);
    QVERIFY(line < edit.firstVisibleLine() + edit.visibleLineCount());
    const QRect caret = edit.caretRect();
    QVERIFY2(edit.viewport()->rect().contains(caret.center()),
             qPrintable(QStringLiteral("caret at %1,%2").arg(caret.x()).arg(caret.y())));
    // The widest line fits in the scroll range.
    QVERIFY(edit.horizontalScrollBar()->maximum() + edit.viewport()->width() >=
            edit.positionRect(edit.lineEnd(49)).x() + edit.horizontalOffset());

    // Enter on the last visible line keeps the caret in view.
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(edit.lineOf(edit.position()), line + 1);
    QVERIFY(edit.viewport()->rect().contains(edit.caretRect().center()));
}

void TestEditBox::assistiveTechnologyReadsLinesAndCaret()
{
    Document doc;
    MainTextEdit edit{doc};
    edit.setText(u"<P>\r\n日本語\r\nend");
    edit.setSelection(5, 7);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&edit);
    QVERIFY(a);
    QAccessibleTextInterface* text = a->textInterface();
    QVERIFY(text);
    QVERIFY(a->editableTextInterface());
    QCOMPARE(text->characterCount(), 13);
    QCOMPARE(text->cursorPosition(), 7);
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    QCOMPARE(QPair(start, end), QPair(5, 7));
    QCOMPARE(text->textAtOffset(6, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("日本語\r\n"));
    QCOMPARE(QPair(start, end), QPair(5, 10));
    a->editableTextInterface()->insertText(0, QStringLiteral("x"));
    QCOMPARE(edit.text(), QStringLiteral("x<P>\r\n日本語\r\nend"));
}

void TestEditBox::textFromOutsideNeverBringsHalfAPair()
{
    Document doc;
    MainTextEdit edit{doc};
    QSignalSpy repaired(&edit, &MainTextEdit::brokenTextRepaired);
    edit.setText(u"ab");
    const QString broken =
        QStringLiteral("x") + QChar(0xD842) + QStringLiteral("y") + QChar(0xDFB7);

    // Paste: the halves become U+FFFD, and the window is told once for the whole paste.
    QGuiApplication::clipboard()->setText(broken);
    edit.setCaret(0);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("x\uFFFDy\uFFFDab"));
    QCOMPARE(repaired.size(), 1);
    QCOMPARE(repaired[0][0].value<qsizetype>(), qsizetype(2));

    // Assistive technology inserting text.
    edit.setText(u"ab");
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&edit);
    QVERIFY(a && a->editableTextInterface());
    a->editableTextInterface()->insertText(1, broken);
    QCOMPARE(edit.text(), QStringLiteral("ax\uFFFDy\uFFFDb"));
    QCOMPARE(repaired.size(), 2);

    // A whole pair is a character to assistive technology too, never half of one.
    edit.setText(QStringLiteral("a\U00020BB7b\r\nc"));
    QAccessibleTextInterface* text = a->textInterface();
    int start = 0;
    int end = 0;
    for (int offset : {1, 2}) {
        QCOMPARE(text->textAtOffset(offset, QAccessible::CharBoundary, &start, &end),
                 QStringLiteral("\U00020BB7"));
        QCOMPARE(QPair(start, end), QPair(1, 3));
    }
    QCOMPARE(text->textAtOffset(4, QAccessible::CharBoundary, &start, &end),
             QStringLiteral("\r\n"));
    QCOMPARE(QPair(start, end), QPair(4, 6));
    // Selections that would end inside the pair stop before it; a one-unit delete there
    // removes nothing rather than half of it.
    edit.setSelection(0, 2);
    QCOMPARE(edit.selectedText(), QStringLiteral("a"));
    a->editableTextInterface()->deleteText(1, 2);
    QCOMPARE(edit.text(), QStringLiteral("a\U00020BB7b\r\nc"));
    QCOMPARE(repaired.size(), 2);
}

// U+2028 ends a text layout's line: the characters after it were neither drawn nor reachable
// by the mouse, and every caret after it stood at the same place.
void TestEditBox::lineSeparatorDoesNotEndTheDrawnLine()
{
    for (const int repeat : {1, 800}) { // a short line, and a long one laid out in chunks
        Document doc;
        MainTextEdit edit{doc};
        const QString part = QStringLiteral("abc") + QChar(0x2028) + QStringLiteral("defgh");
        edit.setText(part.repeated(repeat));
        edit.resize(400, 200);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        const auto x = [&](qsizetype pos) { return edit.positionRect(pos).x(); };
        QVERIFY2(x(3) < x(4) && x(4) < x(5) && x(5) < x(9),
                 qPrintable(QStringLiteral("%1 %2 %3 %4").arg(x(3)).arg(x(4)).arg(x(5)).arg(x(9))));
        QCOMPARE(edit.positionAt(QPoint(x(7) + 1, edit.positionRect(7).center().y())), 7);
        QVERIFY(doc.text().contains(QChar(0x2028))); // shown differently, kept as it is
    }
}

QTEST_MAIN(TestEditBox)
#include "tst_editbox.moc"
