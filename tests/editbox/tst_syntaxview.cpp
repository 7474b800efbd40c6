// The edit box's syntax colours as the user and assistive technology meet them: drawn on
// screen, following typing, under the stamps' blue, reported as text attributes, switched off
// by the settings file; and the highlighted pair of tags with Ctrl+] to jump between them.
#include "app/startup.h"
#include "editbox/maintextedit.h"
#include "editing/navigation.h"
#include "editorsession.h"
#include "files/settingsfiles.h"
#include "platform/fonts.h"
#include "search/search.h"
#include "syntax/syntaxlexer.h"
#include "temphome.h"

#include <QAccessible>
#include <QtTest>

using namespace tl;
using namespace tl::test;

namespace
{

// Pixels of image inside rect drawn in colour over the white background: text is smoothed,
// so a pixel is the colour mixed with white in some measure, the same in every channel.
int TintedPixels(const QImage& image, const QRect& rect, const QColor& color)
{
    int count = 0;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            const int channels[3][2] = {
                {p.red(), color.red()}, {p.green(), color.green()}, {p.blue(), color.blue()}};
            // The measure of colour, from the channel the colour is darkest in.
            int widest = 0;
            for (int c = 1; c < 3; ++c)
                if (255 - channels[c][1] > 255 - channels[widest][1])
                    widest = c;
            const double share = (255.0 - channels[widest][0]) / (255.0 - channels[widest][1]);
            if (share < 0.5 || share > 1.05)
                continue;
            bool mixed = true;
            for (const auto& ch : channels)
                mixed = mixed && std::abs(255.0 - share * (255 - ch[1]) - ch[0]) <= 6;
            count += mixed ? 1 : 0;
        }
    }
    return count;
}

struct Box {
    Document doc;
    MainTextEdit edit{doc};

    explicit Box(const QString& text)
    {
        edit.setFont(EditorFont());
        edit.resize(640, 300);
        edit.setText(text);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
    }
    QImage shot() { return edit.viewport()->grab().toImage(); }
    QRect lineRect(int line) const
    {
        return QRect(0, edit.lineTop(line), edit.viewport()->width(), edit.lineHeight());
    }
    QString attributes(int offset, int* start, int* end)
    {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&edit);
        return a->textInterface()->attributes(offset, start, end);
    }
};

const QColor kTag = SyntaxColor(SyntaxKind::Tag);

QString TableRows(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += u"<TR><TD ALIGN=\"right\">%1</TD></TR>\r\n"_qs.arg(i);
    return text;
}

} // namespace

class TestSyntaxView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void coloursAreDrawn_data();
    void coloursAreDrawn();
    void typedCommentColoursTheRestUntilDeleted();
    void accessibleColourAttributes_data();
    void accessibleColourAttributes();
    void stampToggleSeesOnlyStampColours();
    void settingTurnsColouringOff_data();
    void settingTurnsColouringOff();
    void pairIsHighlighted();
    void pairsOverLongLines_data();
    void pairsOverLongLines();
    void ctrlBracketJumpsToPartner();
    void replaceAllRecoloursEveryPlace_data();
    void replaceAllRecoloursEveryPlace();
};

// The tag colour on screen: on an ordinary line, on a line too long to lay out whole (drawn a
// chunk at a time) scrolled to its middle, and nowhere with colouring off.
void TestSyntaxView::coloursAreDrawn_data()
{
    QTest::addColumn<bool>("longLine");
    QTest::addColumn<bool>("coloring");
    QTest::newRow("short_line") << false << true;
    QTest::newRow("long_line_middle") << true << true;
    QTest::newRow("coloring_off") << false << false;
}

void TestSyntaxView::coloursAreDrawn()
{
    QFETCH(bool, longLine);
    QFETCH(bool, coloring);
    QString line;
    while (line.size() < (longLine ? 60'000 : 30))
        line += u"<TABLE BORDER=\"1\">text</TABLE>"_qs;
    Box box(u"plain\r\n"_qs + line + u"\r\nplain"_qs);
    box.edit.setSyntaxColoring(coloring);
    if (longLine) {
        box.edit.setCaret(box.edit.lineStart(1) + 30'000);
        QCoreApplication::processEvents();
    }
    const QImage shot = box.shot();
    const int tagPixels = TintedPixels(shot, box.lineRect(1), kTag);
    if (coloring)
        QVERIFY2(tagPixels > 20, qPrintable(QString::number(tagPixels)));
    else
        QCOMPARE(tagPixels, 0);
    QCOMPARE(TintedPixels(shot, box.lineRect(0), kTag), 0);
}

// "<!--" typed at the top turns every line after it into a comment, on screen and as reported;
// deleting it gives the tags their colour back.
void TestSyntaxView::typedCommentColoursTheRestUntilDeleted()
{
    Box box(TableRows(40));
    box.edit.setFocus();
    const qsizetype tagOnLine5 = box.edit.lineStart(5) + 1;
    qsizetype from = 0;
    qsizetype to = 0;
    QCOMPARE(box.edit.shownColorAt(tagOnLine5, &from, &to), kTag);
    QVERIFY(TintedPixels(box.shot(), box.lineRect(5), kTag) > 20);

    box.edit.setCaret(0);
    QTest::keyClicks(&box.edit, u"<!--"_qs);
    QCOMPARE(box.edit.shownColorAt(box.edit.lineStart(5) + 1, &from, &to),
             SyntaxColor(SyntaxKind::Comment));
    QCOMPARE(TintedPixels(box.shot(), box.lineRect(5), kTag), 0);

    for (int i = 0; i < 4; ++i)
        QTest::keyClick(&box.edit, Qt::Key_Backspace);
    QCOMPARE(box.edit.text(), TableRows(40));
    QCOMPARE(box.edit.shownColorAt(tagOnLine5, &from, &to), kTag);
    QVERIFY(TintedPixels(box.shot(), box.lineRect(5), kTag) > 20);
}

void TestSyntaxView::accessibleColourAttributes_data()
{
    QTest::addColumn<bool>("coloring");
    QTest::addColumn<bool>("stamped");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    // Text: <B>x&amp;</B>\r\nnext
    QTest::newRow("tag") << true << false << 1 << u"color:rgb(128,32,96);"_qs << 0 << 3;
    QTest::newRow("plain_text") << true << false << 3 << u"color:rgb(0,0,0);"_qs << 3 << 4;
    QTest::newRow("entity") << true << false << 5 << u"color:rgb(0,109,119);"_qs << 4 << 9;
    QTest::newRow("line_break") << true << false << 13 << u"color:rgb(0,0,0);"_qs << 13 << 15;
    QTest::newRow("stamp_blue_over_the_tag")
        << true << true << 1 << u"color:rgb(0,0,255);"_qs << 0 << 13;
    QTest::newRow("coloring_off") << false << false << 1 << u"color:rgb(0,0,0);"_qs << 0 << 13;
    QTest::newRow("end_of_text") << true << false << 19 << QString() << 19 << 19;
}

void TestSyntaxView::accessibleColourAttributes()
{
    QFETCH(bool, coloring);
    QFETCH(bool, stamped);
    QFETCH(int, offset);
    QFETCH(QString, expected);
    QFETCH(int, start);
    QFETCH(int, end);
    Box box(u"<B>x&amp;</B>\r\nnext"_qs);
    box.edit.setSyntaxColoring(coloring);
    if (stamped)
        box.edit.setTextColor(0, 13, QColor(0, 0, 255));
    int s = -1;
    int e = -1;
    QCOMPARE(box.attributes(offset, &s, &e), expected);
    QCOMPARE(s, start);
    QCOMPARE(e, end);
}

// The stamp toggle asks whether a line is black or blue: the syntax colours are no answer to
// that. Stamping a line of tags makes it blue over them; stamping it again gives them back.
void TestSyntaxView::stampToggleSeesOnlyStampColours()
{
    EditorSession s;
    s.load(u"<TABLE BORDER=\"1\">\r\n<TR>"_qs, 3);
    QVERIFY(s.edit()->syntaxColoring());
    qsizetype from = 0;
    qsizetype to = 0;
    QCOMPARE(s.edit()->shownColorAt(1, &from, &to), kTag);
    QCOMPARE(s.edit()->textColorAt(1), QColor(Qt::black));

    QVERIFY(ToggleStampLine(s.box())); // black: now blue
    QCOMPARE(s.edit()->shownColorAt(1, &from, &to), QColor(0, 0, 255));
    QCOMPARE(s.edit()->shownColorAt(8, &from, &to), QColor(0, 0, 255));
    QCOMPARE(from, qsizetype(0));
    QVERIFY(!ToggleStampLine(s.box())); // blue: black again
    QCOMPARE(s.edit()->shownColorAt(1, &from, &to), kTag);
    QVERIFY(!s.state.Doc.isModified());
}

// "Color" in the first section of the path file: "0" turns colouring off for the window built
// after the settings are read.
void TestSyntaxView::settingTurnsColouringOff_data()
{
    QTest::addColumn<QString>("value"); // "-" for no key at all
    QTest::addColumn<bool>("coloring");
    QTest::newRow("no_key") << u"-"_qs << true;
    QTest::newRow("zero") << u"0"_qs << false;
    QTest::newRow("zero_with_blanks") << u" 0 "_qs << false;
    QTest::newRow("one") << u"1"_qs << true;
    QTest::newRow("empty") << QString() << true;
}

void TestSyntaxView::settingTurnsColouringOff()
{
    QFETCH(QString, value);
    QFETCH(bool, coloring);
    TempHome home;
    CreatePathIniFile(kPathFile);
    if (value != u"-")
        WriteIniValue(u"ImgFlgSection"_qs, u"Color"_qs, value, kPathFile);
    ScriptedPrompter prompts;
    AppState state(prompts);
    PrepareSettings(state);
    QCOMPARE(state.SyntaxColoring, coloring);
    frmMain window(state);
    QCOMPARE(window.MainText()->syntaxColoring(), coloring);
    // The path list stays the last section.
    const QString ini = QString::fromLatin1(TempHome::readBytes(home.file(kPathFile)));
    QVERIFY(ini.trimmed().endsWith(u"[Files]\r\nA=B"_qs));
}

// With the caret in a tag, it and its partner are highlighted; in plain text nothing is.
void TestSyntaxView::pairIsHighlighted()
{
    Box box(u"<TABLE>\r\n<TR><TD>a</TD></TR>\r\n</TABLE>"_qs);
    const QColor highlight(0xFF, 0xE4, 0x9C);
    auto highlighted = [&](int line) {
        const QImage shot = box.shot();
        // A line's background may reach a pixel into its neighbours.
        const QRect r = box.lineRect(line).adjusted(0, 1, 0, -1).intersected(shot.rect());
        int count = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                count += shot.pixelColor(x, y) == highlight ? 1 : 0;
        return count;
    };
    box.edit.setCaret(3); // in <TABLE>
    QCOMPARE(box.edit.matchingPair(), std::optional(TagPair{0, 7, 30, 38}));
    QVERIFY(highlighted(0) > 0);
    QVERIFY(highlighted(2) > 0);
    QCOMPARE(highlighted(1), 0);
    box.edit.setCaret(18); // after the "a" between <TD> and </TD>
    QCOMPARE(box.edit.matchingPair(), std::nullopt);
    QCOMPARE(highlighted(0), 0);
    QCOMPARE(highlighted(2), 0);
}

// Lines long enough to be lexed a piece at a time (states kept every few thousand characters):
// the box finds the pair the whole text lexed at once gives, wherever the pieces cut.
void TestSyntaxView::pairsOverLongLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marker"); // the caret stands after its first occurrence
    QTest::addColumn<bool>("paired");
    const QString items = u"<LI><A HREF=\"p.htm\">\u9805\u76EE</A></LI>"_qs.repeated(400);
    QTest::newRow("start_tag_before_a_long_line")
        << u"<UL>\r\n"_qs + items + u"\r\n</UL>"_qs << u"<U"_qs << true;
    QTest::newRow("end_tag_after_a_long_line")
        << u"<UL>\r\n"_qs + items + u"\r\n</UL>"_qs << u"</U"_qs << true;
    QTest::newRow("pair_in_the_middle_of_a_long_line")
        << items + u"<B>x</B>"_qs + items << u"<B"_qs << true;
    QTest::newRow("end_tag_in_the_middle_of_a_long_line")
        << items + u"<B>x</B>"_qs + items << u"</B"_qs << true;
    QTest::newRow("tag_begun_at_the_end_of_a_long_line")
        << items + u"<TD ALIGN=\r\n\"right\">a</TD>"_qs << u"\"ri"_qs << true;
    QTest::newRow("asp_block_longer_than_a_piece")
        << items + u"<% s = \"</B>\" "_qs + u"x = x + 1 "_qs.repeated(1500) + u"%>"_qs
        << u"x = x + 1 "_qs.repeated(1200) << true;
    QTest::newRow("nesting_over_many_pieces")
        << u"<DIV>"_qs + u"<DIV>a</DIV>"_qs.repeated(2000) + u"</DIV>"_qs << u"<D"_qs << true;
    QTest::newRow("comment_longer_than_a_piece")
        << u"<B><!-- </B> "_qs + items + u"-->b</B>"_qs << u"<B"_qs << true;
    QTest::newRow("unclosed_start_tag_in_a_long_line")
        << items + u"<TD "_qs + items << u"<TD "_qs << false;
}

void TestSyntaxView::pairsOverLongLines()
{
    QFETCH(QString, text);
    QFETCH(QString, marker);
    QFETCH(bool, paired);
    const qsizetype caret = text.indexOf(marker) + marker.size();
    const std::optional<TagPair> expected = FindTagPair(text, caret);
    QCOMPARE(expected.has_value(), paired);
    Box box(text);
    box.edit.setCaret(caret);
    // Drawn first, as a key leaves it: the lines on screen are lexed and their states kept.
    (void)box.shot();
    QCOMPARE(box.edit.matchingPair(), expected);
    QVERIFY(!expected || box.edit.jumpToPartner());
    QCOMPARE(box.edit.position(), expected ? PartnerJumpTarget(*expected, caret) : caret);
}

// Ctrl+] in the main window: from the start tag to after its end tag, and back; in an element
// left open it does nothing.
void TestSyntaxView::ctrlBracketJumpsToPartner()
{
    EditorSession s;
    const QString text = u"<TABLE>\r\n<TR><TD>a</TD></TR>\r\n</TABLE>\r\n<P>x"_qs;
    s.load(text, 2);
    s.key(Qt::Key_BracketRight, Qt::ControlModifier);
    QCOMPARE(s.box().SelStart(), qint64(38));
    s.key(Qt::Key_BracketRight, Qt::ControlModifier);
    QCOMPARE(s.box().SelStart(), qint64(7));
    s.box().SetSelStart(42); // in <P>, never closed
    s.key(Qt::Key_BracketRight, Qt::ControlModifier);
    QCOMPARE(s.box().SelStart(), qint64(42));
    QCOMPARE(s.box().Text(), text);
    QVERIFY(s.messages().isEmpty());
}

// Replace All of "--" by "==" changes a comment opened below its first place into text: the
// tags after it take their colour and pair again, on a line of their own and inside a long line
// kept in pieces; undo makes them a comment again.
void TestSyntaxView::replaceAllRecoloursEveryPlace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("caret"); // inside a tag the comment holds
    const QString table = u"<P>a--b</P>\r\n<!-- a > b\r\n<TABLE>\r\n</TABLE> -->"_qs;
    QTest::newRow("comment_opened_on_a_later_line") << table << table.indexOf(u"<TAB"_qs) + 3;
    const QString longLine = u"a--b\r\n<!-- "_qs + u"<B>b</B>"_qs.repeated(2000) + u" -->"_qs;
    QTest::newRow("comment_in_a_long_line") << longLine << longLine.indexOf(u"<B>"_qs, 12'000) + 2;
}

void TestSyntaxView::replaceAllRecoloursEveryPlace()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, caret);
    EditorSession s;
    s.load(text, caret);
    const QColor comment = SyntaxColor(SyntaxKind::Comment);
    qsizetype from = 0;
    qsizetype to = 0;
    QCOMPARE(s.edit()->shownColorAt(caret, &from, &to), comment);
    QCOMPARE(s.edit()->matchingPair(), std::nullopt);

    s.state.Search.FindText = u"--"_qs;
    s.state.Search.ReplaceText = u"=="_qs;
    ReplaceAll(s.state, s.box());
    QString replaced = text;
    replaced.replace(u"--"_qs, u"=="_qs);
    QCOMPARE(s.box().Text(), replaced);
    QCOMPARE(s.box().SelStart(), qint64(caret));
    QCOMPARE(s.edit()->shownColorAt(caret, &from, &to), kTag);
    QCOMPARE(s.edit()->matchingPair(), FindTagPair(replaced, caret));
    QVERIFY(s.edit()->matchingPair());

    s.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.box().Text(), text);
    QCOMPARE(s.edit()->shownColorAt(caret, &from, &to), comment);
    s.box().SetSelStart(caret);
    QCOMPARE(s.edit()->matchingPair(), std::nullopt);
}

QTEST_MAIN(TestSyntaxView)
#include "tst_syntaxview.moc"
