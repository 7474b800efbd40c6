// A line of 200,000 characters in the edit box, which lays such lines out a chunk at a time:
// caret positions, hit-testing, cursor movement, typing, undo and painting must come out as
// they would from one layout of the whole line.
#include "editbox/maintextedit.h"
#include "platform/fonts.h"

#include <QAccessible>
#include <QInputMethodEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QtTest>

#include <memory>

using namespace tl;

namespace
{

constexpr qsizetype kLineLength = 200'000;
constexpr int kLongLine = 1; // the long line's number on the page

QString RepeatTo(const QString& pattern, qsizetype length)
{
    QString line;
    for (int i = 0; line.size() < length; ++i)
        line += pattern.contains(QStringLiteral("%1")) ? pattern.arg(i) : pattern;
    line.truncate(length);
    if (line.back().isHighSurrogate())
        line.back() = u'x';
    return line;
}

QString Page(const QString& longLine)
{
    return QStringLiteral("<html>\r\n") + longLine +
           QStringLiteral("\r\n<body>\r\n<p>\u65E5\u672C</p>\r\n</body></html>");
}

// The line laid out whole, as the box lays out a line of ordinary length.
class WholeLine
{
public:
    WholeLine(const MainTextEdit& edit, const QString& text) : layout_(text, edit.font())
    {
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        // Tab stops every half inch, as the box sets them.
        option.setTabStopDistance(48.0 * edit.logicalDpiX() / 96.0);
        layout_.setTextOption(option);
        layout_.beginLayout();
        QTextLine line = layout_.createLine();
        line.setLineWidth(1'000'000);
        line.setPosition(QPointF(0, QFontMetrics(edit.font()).ascent() - line.ascent()));
        layout_.endLayout();
    }
    QTextLayout& layout() { return layout_; }
    qreal x(qsizetype column) const { return layout_.lineAt(0).cursorToX(int(column)); }
    qsizetype column(qreal x) const
    {
        return layout_.lineAt(0).xToCursor(x, QTextLine::CursorBetweenCharacters);
    }

private:
    QTextLayout layout_;
};

// Columns to check: every one over more than a chunk's worth (LongLine::kChunkChars) near the
// start and in the middle, a few in between and the end. A whole layout of the line walks all
// of it for each position, so there are no more.
QList<qsizetype> SampleColumns(qsizetype length)
{
    QList<qsizetype> columns;
    for (qsizetype c = 0; c <= length; ++c)
        if (c < 700 || (c >= length / 2 && c < length / 2 + 700) || c % 4999 == 0 ||
            c > length - 20)
            columns.append(c);
    return columns;
}

// Every 11th column around each of the places, a few in between and the end: enough to see
// the positions after an edit move with it.
QList<qsizetype> ColumnsAround(qsizetype length, const QList<qsizetype>& places)
{
    QList<qsizetype> columns;
    for (qsizetype c = 0; c <= length; ++c) {
        const bool near = std::any_of(places.begin(), places.end(),
                                      [&](qsizetype p) { return c > p - 700 && c < p + 700; });
        if ((near && c % 11 == 0) || c % 4999 == 0 || c == length)
            columns.append(c);
    }
    return columns;
}

qreal OriginX(const MainTextEdit& edit)
{
    return edit.formattingMargins().left() - edit.horizontalOffset();
}

// The left edges of the columns as the box gives them, and as the whole layout does.
void CompareCaretPositions(const MainTextEdit& edit, const QList<qsizetype>& columns)
{
    const QString text = edit.lineText(kLongLine);
    const WholeLine whole(edit, text);
    const qsizetype start = edit.lineStart(kLongLine);
    QList<int> shown;
    QList<int> expected;
    for (const qsizetype c : columns) {
        if (c < text.size() && text[c].isLowSurrogate())
            continue; // the box never stands inside a surrogate pair
        shown.append(edit.positionRect(start + c).x());
        expected.append(int(OriginX(edit) + whole.x(c)));
    }
    QCOMPARE(shown, expected);
}

// A box with a document of its own, the document outliving the box.
struct OwnedEdit {
    std::unique_ptr<Document> doc = std::make_unique<Document>();
    std::unique_ptr<MainTextEdit> box = std::make_unique<MainTextEdit>(*doc);
    MainTextEdit* operator->() const { return box.get(); }
    MainTextEdit& operator*() const { return *box; }
    MainTextEdit* get() const { return box.get(); }
};

OwnedEdit MakeEdit(const QString& longLine)
{
    OwnedEdit edit;
    edit->setFont(EditorFont()); // fixed pitch, as in the main window
    edit->resize(640, 300);
    edit->setText(Page(longLine));
    return edit;
}

} // namespace

class TestLongLines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void caretPositionsAndHitTesting_data() { lines(); }
    void caretPositionsAndHitTesting();
    void cursorMovesByWholeCharacters_data() { lines(); }
    void cursorMovesByWholeCharacters();
    void typingAndUndo_data() { lines(); }
    void typingAndUndo();
    void linesGrowLongAndSplit();
    void upAndDownKeepTheColumn();
    void paintingMatchesTheWholeLayout_data() { lines(); }
    void paintingMatchesTheWholeLayout();
    void inputMethodAndAssistiveTechnology();

private:
    void lines();
};

void TestLongLines::lines()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("html") << RepeatTo(QStringLiteral("<li><a href=\"p%1.htm\">item %1</a></li>"),
                                      kLineLength);
    QTest::newRow("japanese") << RepeatTo(
        QStringLiteral("<p>\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8 %1 "
                       "\u3067\u3059\u3002</p>\u3000"),
        kLineLength);
    QTest::newRow("tabs") << RepeatTo(
        QStringLiteral("<td class=\"item\">%1</td>\t<td>\u5546\u54C1 x</td>\t\t"), kLineLength);
    // Surrogate pairs, combining marks and half-width voiced kana: characters of more than
    // one code unit, which a chunk must never split.
    QTest::newRow("clusters") << RepeatTo(
        QStringLiteral("a\U0001F600b e\u0301\u0301 \uFF76\uFF9E \U00020BB7%1 "), kLineLength);
}

void TestLongLines::caretPositionsAndHitTesting()
{
    QFETCH(QString, line);
    const auto edit = MakeEdit(line);
    const WholeLine whole(*edit, line);
    const qsizetype start = edit->lineStart(kLongLine);
    QList<qsizetype> columns;
    QList<qreal> xs;
    for (const qsizetype c : SampleColumns(line.size())) {
        if (c < line.size() && line[c].isLowSurrogate())
            continue; // the box never stands inside a surrogate pair
        columns.append(c);
        xs.append(whole.x(c));
    }

    // Left edges of the positions, at the line's start and scrolled far into the line.
    for (const qsizetype caret : {qsizetype(0), kLineLength / 2}) {
        edit->setCaret(start + caret);
        QList<int> shown;
        QList<int> expected;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            shown.append(edit->positionRect(start + columns[i]).x());
            expected.append(int(OriginX(*edit) + xs[i]));
        }
        QCOMPARE(shown, expected);
    }
    QVERIFY(edit->horizontalOffset() > 0);

    // A point 2 pixels into a character finds the position the whole layout finds there.
    const int y = edit->lineTop(kLongLine) + 2;
    QList<qsizetype> found;
    QList<qsizetype> expected;
    for (const qreal x : xs) {
        const int at = int(OriginX(*edit) + x) + 2;
        found.append(edit->positionAt(QPoint(at, y)));
        expected.append(start + whole.column(at - OriginX(*edit)));
    }
    QCOMPARE(found, expected);
}

void TestLongLines::cursorMovesByWholeCharacters()
{
    QFETCH(QString, line);
    const auto edit = MakeEdit(line);
    WholeLine wholeLine(*edit, line);
    QTextLayout& whole = wholeLine.layout();
    const qsizetype start = edit->lineStart(kLongLine);

    // Right then Left through several chunks near the start and far into the line.
    for (const qsizetype from : {qsizetype(0), kLineLength / 2}) {
        edit->setCaret(start + from);
        QList<qsizetype> moved;
        QList<qsizetype> expected;
        qsizetype column = from;
        for (int i = 0; i < 1200; ++i) {
            QTest::keyClick(edit.get(), Qt::Key_Right);
            moved.append(edit->position() - start);
            column = whole.nextCursorPosition(int(column));
            expected.append(column);
        }
        for (int i = 0; i < 1200; ++i) {
            QTest::keyClick(edit.get(), Qt::Key_Left);
            moved.append(edit->position() - start);
            column = whole.previousCursorPosition(int(column));
            expected.append(column);
        }
        QCOMPARE(moved, expected);
    }
}

void TestLongLines::typingAndUndo()
{
    QFETCH(QString, line);
    const auto edit = MakeEdit(line);
    edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
    const QString original = edit->text();
    const qsizetype start = edit->lineStart(kLongLine);
    QString expected = original;

    // Typing, deleting and tabs at the end, deep inside and near the start of the line, each
    // followed by a repaint as a user would see it. Columns are of the line as it stands; -1
    // is its end. Backspace and Delete take a whole character, as the whole layout has it.
    const struct {
        qsizetype column;
        QStringList keys;
    } edits[] = {
        {-1, {"abc"}},
        {kLineLength / 2, {"<Backspace>", "<Backspace>", "xy", "<Tab>"}},
        {3, {"<Delete>", "<Delete>", "z"}},
        {1027, {"\t", "<Tab>", "q"}},
    };
    for (const auto& e : edits) {
        qsizetype at = start + (e.column < 0 ? edit->lineEnd(kLongLine) - start : e.column);
        edit->setCaret(at);
        for (const QString& key : e.keys) {
            if (!key.startsWith(u'<')) {
                QTest::keyClicks(edit.get(), key);
                expected.insert(at, key);
                at += key.size();
                continue;
            }
            const Qt::Key code = QKeySequence::fromString(key.mid(1, key.size() - 2))[0].key();
            QTest::keyClick(edit.get(), code);
            if (code == Qt::Key_Tab) {
                expected.insert(at++, u'\t');
                continue;
            }
            WholeLine whole(*edit, expected.mid(start, expected.indexOf(u'\r', start) - start));
            const int column = int(at - start);
            if (code == Qt::Key_Backspace) {
                const qsizetype from = start + whole.layout().previousCursorPosition(column);
                expected.remove(from, at - from);
                at = from;
            } else {
                expected.remove(at, whole.layout().nextCursorPosition(column) - column);
            }
        }
        QCOMPARE(edit->text(), expected);
        QCOMPARE(edit->position(), at);
        edit->viewport()->repaint();
    }
    // Japanese committed by the input method.
    edit->setCaret(start + 5000);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u65E5\u672C\u8A9E"));
    QCoreApplication::sendEvent(edit.get(), &commit);
    expected.insert(start + 5000, QStringLiteral("\u65E5\u672C\u8A9E"));
    QCOMPARE(edit->text(), expected);
    auto aroundTheEdits = [&] {
        const qsizetype length = edit->lineText(kLongLine).size();
        return ColumnsAround(length, {0, 1027, 5000, kLineLength / 2, length});
    };
    CompareCaretPositions(*edit, aroundTheEdits());

    while (edit->canUndo())
        edit->undo();
    QCOMPARE(edit->text(), original);
    CompareCaretPositions(*edit, aroundTheEdits());
    edit->redo();
    edit->viewport()->repaint();
    CompareCaretPositions(*edit, aroundTheEdits());
}

void TestLongLines::linesGrowLongAndSplit()
{
    const QString half = RepeatTo(QStringLiteral("<td class=\"c%1\">\u30BB\u30EB</td>"), 3000);
    const auto edit = MakeEdit(half);
    edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
    const qsizetype start = edit->lineStart(kLongLine);
    QString expected = edit->text();

    // A paste makes the line long, Enter in its middle splits it, Backspace joins it again.
    edit->setCaret(start + 100);
    edit->replaceSelection(half);
    expected.insert(start + 100, half);
    QCOMPARE(edit->text(), expected);
    edit->viewport()->repaint();
    CompareCaretPositions(*edit, SampleColumns(edit->lineText(kLongLine).size()));

    edit->setCaret(start + 5000);
    QTest::keyClick(edit.get(), Qt::Key_Return);
    expected.insert(start + 5000, QStringLiteral("\r\n"));
    QCOMPARE(edit->text(), expected);
    edit->viewport()->repaint();
    QCOMPARE(edit->lineText(kLongLine), expected.mid(start, 5000));
    CompareCaretPositions(*edit, SampleColumns(5000));
    QTest::keyClick(edit.get(), Qt::Key_Backspace);
    expected.remove(start + 5000, 2);
    QCOMPARE(edit->text(), expected);
    CompareCaretPositions(*edit, SampleColumns(edit->lineText(kLongLine).size()));

    // Undone, the line is short again and laid out whole.
    while (edit->canUndo())
        edit->undo();
    QCOMPARE(edit->lineText(kLongLine), half);
    edit->viewport()->repaint();
    CompareCaretPositions(*edit, SampleColumns(half.size()));

    // The scroll range reaches the end of the widest line.
    edit->replaceSelection(half + half);
    edit->setCaret(edit->lineEnd(kLongLine));
    QVERIFY(edit->viewport()->rect().contains(edit->caretRect().center()));
    QVERIFY(edit->horizontalScrollBar()->maximum() + edit->viewport()->width() >=
            edit->caretRect().x() + edit->horizontalOffset());
}

void TestLongLines::upAndDownKeepTheColumn()
{
    const QString line = RepeatTo(QStringLiteral("\u65E5\u672C\u8A9E<b>%1</b>\t"), kLineLength);
    const auto edit = MakeEdit(line);
    const WholeLine whole(*edit, line);
    const qsizetype start = edit->lineStart(kLongLine);

    // From column 4 of the first line down onto the long line, and on down to the next line.
    edit->setCaret(4);
    const int x = int(edit->caretRect().x() - OriginX(*edit));
    QTest::keyClick(edit.get(), Qt::Key_Down);
    QCOMPARE(edit->position(), start + whole.column(x));
    QTest::keyClick(edit.get(), Qt::Key_Down);
    QCOMPARE(edit->position(), edit->lineStart(kLongLine + 1) + 4);

    // From far into the long line down to a short line: its end; and back up to the column.
    edit->setCaret(start + 150'001);
    const int far = int(whole.x(150'001));
    QTest::keyClick(edit.get(), Qt::Key_Down);
    QCOMPARE(edit->position(), edit->lineEnd(kLongLine + 1));
    QTest::keyClick(edit.get(), Qt::Key_Up);
    QCOMPARE(edit->position(), start + whole.column(far));
}

void TestLongLines::paintingMatchesTheWholeLayout()
{
    QFETCH(QString, line);
    const auto edit = MakeEdit(line);
    // The whole layout below is drawn without syntax colours; the chunks' own colours are
    // checked by tst_syntaxview.
    edit->setSyntaxColoring(false);
    edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
    const qsizetype start = edit->lineStart(kLongLine);

    // Colours and a selection over several chunks, scrolled far into the line.
    edit->setTextColor(start + 99'000, start + 99'700, Qt::red);
    edit->setTextColor(start + 100'050, start + 100'060, Qt::blue);
    edit->setSelection(start + 99'500, start + 100'100);
    edit->clearFocus(); // no caret in the picture
    QVERIFY(!edit->hasFocus());
    const QImage shown = edit->viewport()->grab().toImage();

    // The long line's row drawn from the whole layout with the same formats.
    const QRect row(0, edit->lineTop(kLongLine), shown.width(), edit->lineHeight());
    QImage expected = shown.copy();
    {
        QPainter painter(&expected);
        painter.fillRect(row, edit->viewport()->palette().brush(QPalette::Base));
        const QMargins m = edit->formattingMargins();
        painter.setClipRect(
            QRect(m.left(), m.top(), shown.width() - m.left(), shown.height() - m.top()));
        QTextCharFormat red;
        red.setForeground(QColor(Qt::red));
        QTextCharFormat blue;
        blue.setForeground(QColor(Qt::blue));
        QTextCharFormat selected;
        selected.setBackground(edit->palette().brush(QPalette::Inactive, QPalette::Highlight));
        selected.setForeground(
            edit->palette().brush(QPalette::Inactive, QPalette::HighlightedText));
        WholeLine whole(*edit, line);
        whole.layout().draw(&painter, QPointF(OriginX(*edit), edit->lineTop(kLongLine)),
                            {{99'000, 700, red}, {100'050, 10, blue}, {99'500, 600, selected}});
    }
    QCOMPARE(shown.copy(row), expected.copy(row));
}

void TestLongLines::inputMethodAndAssistiveTechnology()
{
    const QString line = RepeatTo(QStringLiteral("<td>%1</td>"), kLineLength);
    const auto edit = MakeEdit(line);
    edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
    const qsizetype caret = edit->lineStart(kLongLine) + 100'000;
    edit->setCaret(caret);

    // The input method is handed the text around the caret, not the whole line.
    const QString text = edit->text();
    QCOMPARE(edit->inputMethodQuery(Qt::ImSurroundingText).toString(),
             text.mid(caret - 1024, 2048));
    QCOMPARE(edit->inputMethodQuery(Qt::ImCursorPosition).toInt(), 1024);
    QCOMPARE(edit->inputMethodQuery(Qt::ImTextBeforeCursor).toString(),
             text.mid(caret - 1024, 1024));
    QCOMPARE(edit->inputMethodQuery(Qt::ImAbsolutePosition).toLongLong(), caret);

    // Composing shows beside the caret without entering the text.
    QInputMethodEvent composing(QStringLiteral("\u306B\u307B\u3093"), {});
    QCoreApplication::sendEvent(edit.get(), &composing);
    edit->viewport()->repaint();
    QCOMPARE(edit->text(), text);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u65E5\u672C"));
    QCoreApplication::sendEvent(edit.get(), &commit);
    QCOMPARE(edit->text(), QString(text).insert(caret, QStringLiteral("\u65E5\u672C")));
    QCOMPARE(edit->position(), caret + 2);

    // A reader's character rectangles and hit-testing agree with the box's.
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(edit.get());
    QVERIFY(a && a->textInterface());
    for (const qsizetype pos : {caret - 7, caret + 2, caret + 40}) {
        const QRect r = a->textInterface()->characterRect(int(pos));
        QCOMPARE(r.topLeft(), edit->viewport()->mapToGlobal(edit->positionRect(pos).topLeft()));
        QCOMPARE(a->textInterface()->offsetAtPoint(r.topLeft() + QPoint(2, 2)), int(pos));
    }
}

QTEST_MAIN(TestLongLines)
#include "tst_longlines.moc"
