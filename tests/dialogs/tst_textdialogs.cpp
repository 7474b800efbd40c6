// The text block dialogs (heading, FONT, horizontal rule, named anchor, comment): their fields
// read from an old tag or a selection, and their outputs. The dialogs as a user meets them are
// in tst_textdialogflows.cpp.
#include "app/registerdialogs.h"
#include "core/appstate.h"
#include "core/dialogregistry.h"
#include "dialogs/html/frmcomment.h"
#include "dialogs/html/frmfont.h"
#include "dialogs/html/frmh.h"
#include "dialogs/html/frmlines.h"
#include "dialogs/html/frmmarker.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "fixtures.h"
#include "modaldialogs.h"
#include "scriptedprompter.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tl;

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

QString Q(QuoteStyle quote)
{
    return QuoteChar(quote);
}

QString Flag(bool on, const char* name)
{
    return on ? QStringLiteral(" ") + QLatin1StringView(name) : QString();
}

const char* const kAligns[] = {"none", "left", "center", "right"};

// "level=2 align=center quote=\" text=[Intro]", flags only when set.
QString Describe(const HeadingFields& f)
{
    return QStringLiteral("level=%1 align=%2 quote=%3 text=[%4]")
               .arg(QString::number(f.level), QLatin1StringView(kAligns[int(f.align)]), Q(f.quote),
                    f.text) +
           Flag(f.openingTagOnly, "openingOnly");
}

QString Describe(const FontFields& f)
{
    return QStringLiteral("size=%1 color=[%2] face=[%3] quote=%4 text=[%5]")
               .arg(QString::number(f.size), f.color, f.face, Q(f.quote), f.text) +
           Flag(f.center, "center") + Flag(f.selEndsWithCrLf, "selCrLf") +
           Flag(f.openingTagOnly, "openingOnly");
}

QString Describe(const LinesFields& f)
{
    return QStringLiteral("size=[%1] width=[%2] color=[%3] align=%4 quote=%5")
               .arg(f.size, f.width, f.color, QLatin1StringView(kAligns[int(f.align)]),
                    Q(f.quote)) +
           Flag(f.percent, "percent") + Flag(f.noShade, "noshade");
}

QString Describe(const MarkerFields& f)
{
    return QStringLiteral("name=[%1] text=[%2] quote=%3").arg(f.name, f.text, Q(f.quote)) +
           Flag(f.reediting, "reediting") + Flag(f.openingTagOnly, "openingOnly");
}

QString Describe(const CommentFields& f)
{
    return QStringLiteral("text=[%1]").arg(f.text) + Flag(f.selEndsWithCrLf, "selCrLf");
}

// The text a dialog's plain functions give when it opens on old (or on the selection) and OK
// is pressed without a change, with what its fields showed.
std::pair<QString, QString> OpenAndCompose(const QString& dialog, const QString& old,
                                           const QString& selection = {})
{
    if (dialog == u"frmH") {
        const HeadingFields f = OpenHeading(old, selection);
        return {Describe(f), ComposeHeading(f)};
    }
    if (dialog == u"frmFont") {
        const FontFields f = OpenFont(old, selection);
        return {Describe(f), ComposeFont(f)};
    }
    if (dialog == u"frmLines") {
        const LinesFields f = OpenLines(old);
        return {Describe(f), ComposeLines(f).text};
    }
    if (dialog == u"frmMarker") {
        const MarkerFields f = OpenMarker(old, selection);
        return {Describe(f), ComposeMarker(f)};
    }
    const CommentFields f = OpenComment(old, selection);
    return {Describe(f), ComposeComment(f)};
}

HeadingFields Heading(int level, HeadingFields::Align align, const QString& text,
                      QuoteStyle quote = QuoteStyle::Double, bool openingOnly = false)
{
    HeadingFields f;
    f.level = level;
    f.align = align;
    f.text = text;
    f.quote = quote;
    f.openingTagOnly = openingOnly;
    return f;
}

FontFields Font(const QString& text, int size, const QString& color = {}, const QString& face = {},
                QuoteStyle quote = QuoteStyle::Double)
{
    FontFields f;
    f.text = text;
    f.size = size;
    f.color = color;
    f.face = face;
    f.quote = quote;
    return f;
}

LinesFields Lines(const QString& size, const QString& width, bool percent = true,
                  const QString& color = {}, LinesFields::Align align = LinesFields::Align::None,
                  bool noShade = false, QuoteStyle quote = QuoteStyle::Double)
{
    LinesFields f;
    f.size = size;
    f.width = width;
    f.percent = percent;
    f.color = color;
    f.align = align;
    f.noShade = noShade;
    f.quote = quote;
    return f;
}

MarkerFields Marker(const QString& name, const QString& text, QuoteStyle quote = QuoteStyle::Double)
{
    MarkerFields f;
    f.name = name;
    f.text = text;
    f.quote = quote;
    return f;
}

} // namespace

class TestTextDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void headingCompose_data();
    void headingCompose();
    void fontCompose_data();
    void fontCompose();
    void linesCompose_data();
    void linesCompose();
    void markerCompose_data();
    void markerCompose();
    void commentCompose_data();
    void commentCompose();
    void open_data();
    void open();
    void reeditReproducesTheOutput_data();
    void reeditReproducesTheOutput();
};

void TestTextDialogs::headingCompose_data()
{
    using A = HeadingFields::Align;
    QTest::addColumn<HeadingFields>("fields");
    QTest::addColumn<QString>("output");

    QTest::newRow("level2_center_double") << Heading(2, A::Center, QStringLiteral("Intro"))
                                          << QStringLiteral("<H2 ALIGN=\"center\">Intro</H2>");
    QTest::newRow("level2_center_single")
        << Heading(2, A::Center, QStringLiteral("Intro"), QuoteStyle::Single)
        << QStringLiteral("<H2 ALIGN='center'>Intro</H2>");
    QTest::newRow("empty_text_still_gives_the_pair")
        << Heading(3, A::None, QString()) << QStringLiteral("<H3></H3>");
    QTest::newRow("left_level1") << Heading(1, A::Left, QStringLiteral("a"))
                                 << QStringLiteral("<H1 ALIGN=\"left\">a</H1>");
    QTest::newRow("right_level6_text_as_typed")
        << Heading(6, A::Right, QStringLiteral("say \"hi\" & <b>"))
        << QStringLiteral("<H6 ALIGN=\"right\">say \"hi\" & <b></H6>");
    QTest::newRow("opening_tag_alone") << Heading(4, A::Right, QString(), QuoteStyle::Single, true)
                                       << QStringLiteral("<H4 ALIGN='right'>");
}

void TestTextDialogs::headingCompose()
{
    QFETCH(HeadingFields, fields);
    QFETCH(QString, output);
    QCOMPARE(ComposeHeading(fields), output);
}

void TestTextDialogs::fontCompose_data()
{
    QTest::addColumn<FontFields>("fields");
    QTest::addColumn<QString>("output");

    const QString arial = QStringLiteral("Arial");
    const QString red = QStringLiteral("red");
    QTest::newRow("face_color_size_in_that_order")
        << Font(QStringLiteral("x"), 5, red, arial)
        << QStringLiteral("<FONT FACE=\"Arial\" COLOR=\"red\" SIZE=\"5\">x</FONT>");
    QTest::newRow("single_quotes")
        << Font(QStringLiteral("x"), 5, red, arial, QuoteStyle::Single)
        << QStringLiteral("<FONT FACE='Arial' COLOR='red' SIZE='5'>x</FONT>");
    QTest::newRow("size_alone_always_written")
        << Font(QString(), 3) << QStringLiteral("<FONT SIZE=\"3\"></FONT>");
    QTest::newRow("values_not_trimmed_face_list_whole")
        << Font(QStringLiteral(" t "), 1, QStringLiteral(" #FF0000"),
                QStringLiteral("ＭＳ ゴシック, Osaka"))
        << QStringLiteral(
               "<FONT FACE=\"ＭＳ ゴシック, Osaka\" COLOR=\" #FF0000\" SIZE=\"1\"> t </FONT>");

    FontFields selCrLf = Font(QStringLiteral("x"), 7);
    selCrLf.selEndsWithCrLf = true;
    QTest::newRow("selection_line_break_after_close")
        << selCrLf << QStringLiteral("<FONT SIZE=\"7\">x</FONT>\r\n");
    FontFields centered = selCrLf;
    centered.center = true;
    QTest::newRow("centered_selection_with_line_break")
        << centered << QStringLiteral("<CENTER>\r\n<FONT SIZE=\"7\">x</FONT>\r\n\r\n</CENTER>");
    centered.selEndsWithCrLf = false;
    QTest::newRow("centered") << centered
                              << QStringLiteral(
                                     "<CENTER>\r\n<FONT SIZE=\"7\">x</FONT>\r\n</CENTER>");
    FontFields opening = Font(QString(), 4, red);
    opening.openingTagOnly = true;
    opening.center = true;
    QTest::newRow("opening_tag_alone_is_not_centred")
        << opening << QStringLiteral("<FONT COLOR=\"red\" SIZE=\"4\">");
}

void TestTextDialogs::fontCompose()
{
    QFETCH(FontFields, fields);
    QFETCH(QString, output);
    QCOMPARE(ComposeFont(fields), output);
}

void TestTextDialogs::linesCompose_data()
{
    using A = LinesFields::Align;
    QTest::addColumn<LinesFields>("fields");
    QTest::addColumn<QString>("output"); // "refused: size" or "refused: width" when refused

    const QString zero = QStringLiteral("0");
    QTest::newRow("insert_defaults") << Lines(zero, zero) << QStringLiteral("<HR>");
    QTest::newRow("size_1.5_rounds_to_2")
        << Lines(QStringLiteral("1.5"), zero) << QStringLiteral("<HR SIZE=\"2\">");
    QTest::newRow("size_2.5_rounds_to_even_2")
        << Lines(QStringLiteral("2.5"), zero) << QStringLiteral("<HR SIZE=\"2\">");
    QTest::newRow("size_0_not_written") << Lines(zero, zero) << QStringLiteral("<HR>");
    QTest::newRow("full_width_digits") << Lines(QStringLiteral("３"), QStringLiteral(" 40 "), false)
                                       << QStringLiteral("<HR SIZE=\"3\" WIDTH=\"40\">");
    QTest::newRow("size_abc_refused")
        << Lines(QStringLiteral("abc"), zero) << QStringLiteral("refused: size");
    QTest::newRow("empty_size_refused")
        << Lines(QString(), zero) << QStringLiteral("refused: size");
    QTest::newRow("width_refused_after_a_good_size")
        << Lines(QStringLiteral("1"), QStringLiteral("50%")) << QStringLiteral("refused: width");
    QTest::newRow("size_refused_first")
        << Lines(QStringLiteral("x"), QStringLiteral("y")) << QStringLiteral("refused: size");
    QTest::newRow("width_in_percent")
        << Lines(zero, QStringLiteral("50")) << QStringLiteral("<HR WIDTH=\"50%\">");
    QTest::newRow("width_in_pixels")
        << Lines(zero, QStringLiteral("300"), false) << QStringLiteral("<HR WIDTH=\"300\">");
    QTest::newRow("colour_of_blanks_written_empty")
        << Lines(zero, zero, true, QStringLiteral("   ")) << QStringLiteral("<HR COLOR=\"\">");
    QTest::newRow("everything_in_template_order")
        << Lines(QStringLiteral("2"), QStringLiteral("80"), true, QStringLiteral(" red "),
                 A::Center, true)
        << QStringLiteral("<HR SIZE=\"2\" COLOR=\"red\" WIDTH=\"80%\" ALIGN=\"Center\" NOSHADE>");
    QTest::newRow("everything_single_quotes")
        << Lines(QStringLiteral("2"), QStringLiteral("80"), false, QStringLiteral("red"), A::Left,
                 true, QuoteStyle::Single)
        << QStringLiteral("<HR SIZE='2' COLOR='red' WIDTH='80' ALIGN='Left' NOSHADE>");
    QTest::newRow("right") << Lines(zero, zero, true, QString(), A::Right)
                           << QStringLiteral("<HR ALIGN=\"Right\">");
}

void TestTextDialogs::linesCompose()
{
    QFETCH(LinesFields, fields);
    QFETCH(QString, output);
    const LinesOutput out = ComposeLines(fields);
    switch (out.invalid) {
    case LinesOutput::Invalid::None:
        QCOMPARE(out.text, output);
        break;
    case LinesOutput::Invalid::Size:
        QCOMPARE(QStringLiteral("refused: size"), output);
        break;
    case LinesOutput::Invalid::Width:
        QCOMPARE(QStringLiteral("refused: width"), output);
        break;
    }
}

void TestTextDialogs::markerCompose_data()
{
    QTest::addColumn<MarkerFields>("fields");
    QTest::addColumn<QString>("output");

    QTest::newRow("both_empty_give_the_placeholders")
        << Marker(QString(), QString())
        << QStringLiteral("<A NAME=\"名前を付けてください\">テキスト</A>");
    QTest::newRow("blank_name_gives_the_placeholder")
        << Marker(QStringLiteral("  "), QStringLiteral("t"), QuoteStyle::Single)
        << QStringLiteral("<A NAME='名前を付けてください'>t</A>");
    QTest::newRow("trimmed") << Marker(QStringLiteral(" top "), QStringLiteral(" Top of page "))
                             << QStringLiteral("<A NAME=\"top\">Top of page</A>");
    QTest::newRow("single_quotes")
        << Marker(QStringLiteral("top"), QStringLiteral("Top"), QuoteStyle::Single)
        << QStringLiteral("<A NAME='top'>Top</A>");
    MarkerFields reedited = Marker(QStringLiteral("top"), QString());
    reedited.reediting = true;
    QTest::newRow("reedited_empty_anchor_stays_empty")
        << reedited << QStringLiteral("<A NAME=\"top\"></A>");
    MarkerFields opening = Marker(QStringLiteral("top"), QString(), QuoteStyle::Single);
    opening.reediting = true;
    opening.openingTagOnly = true;
    QTest::newRow("opening_tag_alone") << opening << QStringLiteral("<A NAME='top'>");
}

void TestTextDialogs::markerCompose()
{
    QFETCH(MarkerFields, fields);
    QFETCH(QString, output);
    QCOMPARE(ComposeMarker(fields), output);
}

void TestTextDialogs::commentCompose_data()
{
    QTest::addColumn<CommentFields>("fields");
    QTest::addColumn<QString>("output");

    QTest::newRow("plain_text_is_wrapped")
        << CommentFields{QStringLiteral("note"), false} << QStringLiteral("<!-----note----->");
    QTest::newRow("a_comment_stays_as_typed")
        << CommentFields{QStringLiteral("<!-- x -->"), false} << QStringLiteral("<!-- x -->");
    QTest::newRow("selection_line_break_put_back")
        << CommentFields{QStringLiteral("note"), true} << QStringLiteral("<!-----note----->\r\n");
    QTest::newRow("placeholder_as_is") << CommentFields{QString::fromUtf16(kDefaultComment), false}
                                       << QStringLiteral("<!-----コメント----->");
}

void TestTextDialogs::commentCompose()
{
    QFETCH(CommentFields, fields);
    QFETCH(QString, output);
    QCOMPARE(ComposeComment(fields), output);
}

void TestTextDialogs::open_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("output"); // OK without a change

    const QString none;
    auto row = [](const char* name, const char* dialog, const QString& old,
                  const QString& selection, const QString& fields, const QString& output) {
        QTest::newRow(name) << QString::fromLatin1(dialog) << old << selection << fields << output;
    };

    row("h_level4", "frmH", QStringLiteral("<H4>X</H4>"), none,
        QStringLiteral("level=4 align=none quote=\" text=[X]"), QStringLiteral("<H4>X</H4>"));
    row("h_lower_case_trailing_line_break_dropped", "frmH",
        QStringLiteral("<h2 align=CENTER>Intro\r\n</h2>"), none,
        QStringLiteral("level=2 align=center quote=\" text=[Intro]"),
        QStringLiteral("<H2 ALIGN=\"center\">Intro</H2>"));
    row("h_apostrophe_picks_single_quotes", "frmH", QStringLiteral("<H5>it's</H5>"), none,
        QStringLiteral("level=5 align=none quote=' text=[it's]"), QStringLiteral("<H5>it's</H5>"));
    row("h_level7_reads_as_3", "frmH", QStringLiteral("<H7>x</H7>"), none,
        QStringLiteral("level=3 align=none quote=\" text=[x]"), QStringLiteral("<H3>x</H3>"));
    row("h_unclosed_is_its_opening_tag", "frmH", QStringLiteral("<H1 ALIGN=right>"), none,
        QStringLiteral("level=1 align=right quote=\" text=[] openingOnly"),
        QStringLiteral("<H1 ALIGN=\"right\">"));
    row("h_selection_line_break_not_put_back", "frmH", none, QStringLiteral("Intro\r\n"),
        QStringLiteral("level=3 align=none quote=\" text=[Intro]"),
        QStringLiteral("<H3>Intro</H3>"));
    row("h_selection_of_a_line_break_alone", "frmH", none, kCrLf,
        QStringLiteral("level=3 align=none quote=\" text=[]"), QStringLiteral("<H3></H3>"));

    row("font_size4", "frmFont", QStringLiteral("<FONT SIZE=4>big</FONT>"), none,
        QStringLiteral("size=4 color=[] face=[] quote=\" text=[big]"),
        QStringLiteral("<FONT SIZE=\"4\">big</FONT>"));
    row("font_face_list_colour_lower_case", "frmFont",
        QStringLiteral("<font face=\"Arial, Helvetica\" color=#ff0000 size=5>x</font>"), none,
        QStringLiteral("size=5 color=[#ff0000] face=[Arial, Helvetica] quote=\" text=[x]"),
        QStringLiteral("<FONT FACE=\"Arial, Helvetica\" COLOR=\"#ff0000\" SIZE=\"5\">x</FONT>"));
    row("font_unquoted_face_before_another_attribute", "frmFont",
        QStringLiteral("<FONT FACE=Arial SIZE=2>x</FONT>"), none,
        QStringLiteral("size=2 color=[] face=[Arial] quote=\" text=[x]"),
        QStringLiteral("<FONT FACE=\"Arial\" SIZE=\"2\">x</FONT>"));
    row("font_unquoted_face_at_the_end_read_whole", "frmFont",
        QStringLiteral("<FONT FACE=Arial>x</FONT>"), none,
        QStringLiteral("size=3 color=[] face=[Arial] quote=\" text=[x]"),
        QStringLiteral("<FONT FACE=\"Arial\" SIZE=\"3\">x</FONT>"));
    row("font_relative_size_reads_as_3", "frmFont", QStringLiteral("<font size=\"+1\">x</font>"),
        none, QStringLiteral("size=3 color=[] face=[] quote=\" text=[x]"),
        QStringLiteral("<FONT SIZE=\"3\">x</FONT>"));
    row("font_apostrophe_in_opening_tag", "frmFont", QStringLiteral("<FONT COLOR='red'>x</FONT>"),
        none, QStringLiteral("size=3 color=[red] face=[] quote=' text=[x]"),
        QStringLiteral("<FONT COLOR='red' SIZE='3'>x</FONT>"));
    row("font_apostrophe_in_text_only_keeps_double", "frmFont",
        QStringLiteral("<FONT COLOR=red>it's</FONT>"), none,
        QStringLiteral("size=3 color=[red] face=[] quote=\" text=[it's]"),
        QStringLiteral("<FONT COLOR=\"red\" SIZE=\"3\">it's</FONT>"));
    row("font_text_kept_with_its_line_break", "frmFont",
        QStringLiteral("<FONT SIZE=2>a\r\n</FONT>"), none,
        QStringLiteral("size=2 color=[] face=[] quote=\" text=[a\r\n]"),
        QStringLiteral("<FONT SIZE=\"2\">a\r\n</FONT>"));
    row("font_unclosed_is_its_opening_tag", "frmFont", QStringLiteral("<FONT SIZE=4>"), none,
        QStringLiteral("size=4 color=[] face=[] quote=\" text=[] openingOnly"),
        QStringLiteral("<FONT SIZE=\"4\">"));
    row("font_selection_line_break_put_back", "frmFont", none, QStringLiteral("x\r\n"),
        QStringLiteral("size=3 color=[] face=[] quote=\" text=[x] selCrLf"),
        QStringLiteral("<FONT SIZE=\"3\">x</FONT>\r\n"));

    row("lines_insert_defaults", "frmLines", none, QStringLiteral("ignored"),
        QStringLiteral("size=[0] width=[0] color=[] align=none quote=\" percent"),
        QStringLiteral("<HR>"));
    row("lines_percent_and_noshade", "frmLines", QStringLiteral("<hr width=50% noshade>"), none,
        QStringLiteral("size=[0] width=[50] color=[] align=none quote=\" percent noshade"),
        QStringLiteral("<HR WIDTH=\"50%\" NOSHADE>"));
    row("lines_all_single_quotes", "frmLines",
        QStringLiteral("<HR SIZE='3' WIDTH=300 ALIGN=center COLOR=red>"), none,
        QStringLiteral("size=[3] width=[300] color=[red] align=center quote='"),
        QStringLiteral("<HR SIZE='3' COLOR='red' WIDTH='300' ALIGN='Center'>"));
    row("lines_percent_without_quotes_before_the_close", "frmLines",
        QStringLiteral("<hr width=50%>"), none,
        QStringLiteral("size=[0] width=[50] color=[] align=none quote=\" percent"),
        QStringLiteral("<HR WIDTH=\"50%\">"));
    row("lines_percent_of_an_asp_block_is_not_the_width's", "frmLines",
        QStringLiteral("<HR WIDTH=\"300\" COLOR=\"<%=c%>\">"), none,
        QStringLiteral("size=[0] width=[300] color=[<] align=none quote=\""),
        QStringLiteral("<HR COLOR=\"<\" WIDTH=\"300\">"));
    row("lines_width_of_an_asp_block_is_no_percent", "frmLines",
        QStringLiteral("<HR WIDTH=\"<%=w%>\">"), none,
        QStringLiteral("size=[0] width=[0] color=[] align=none quote=\""), QStringLiteral("<HR>"));
    row("lines_non_number_shows_0", "frmLines", QStringLiteral("<HR SIZE=abc WIDTH=>"), none,
        QStringLiteral("size=[0] width=[0] color=[] align=none quote=\""), QStringLiteral("<HR>"));
    row("lines_fraction_shown_as_read", "frmLines", QStringLiteral("<HR SIZE=1.5>"), none,
        QStringLiteral("size=[1.5] width=[0] color=[] align=none quote=\""),
        QStringLiteral("<HR SIZE=\"2\">"));

    row("marker", "frmMarker", QStringLiteral("<A NAME=\"top\">Top</A>"), none,
        QStringLiteral("name=[top] text=[Top] quote=\" reediting"),
        QStringLiteral("<A NAME=\"top\">Top</A>"));
    row("marker_lower_case_single_quotes", "frmMarker", QStringLiteral("<a name='x'>it's</a>"),
        none, QStringLiteral("name=[x] text=[it's] quote=' reediting"),
        QStringLiteral("<A NAME='x'>it's</A>"));
    row("marker_apostrophe_in_text_only_keeps_double", "frmMarker",
        QStringLiteral("<A NAME=x>it's</A>"), none,
        QStringLiteral("name=[x] text=[it's] quote=\" reediting"),
        QStringLiteral("<A NAME=\"x\">it's</A>"));
    row("marker_empty_anchor", "frmMarker", QStringLiteral("<A NAME=top></A>"), none,
        QStringLiteral("name=[top] text=[] quote=\" reediting"),
        QStringLiteral("<A NAME=\"top\"></A>"));
    row("marker_unclosed_is_its_opening_tag", "frmMarker", QStringLiteral("<A NAME=top>"), none,
        QStringLiteral("name=[top] text=[] quote=\" reediting openingOnly"),
        QStringLiteral("<A NAME=\"top\">"));
    row("marker_selection_line_break_not_put_back", "frmMarker", none, QStringLiteral("Go\r\n"),
        QStringLiteral("name=[] text=[Go] quote=\""),
        QStringLiteral("<A NAME=\"名前を付けてください\">Go</A>"));

    row("comment_reedited_whole", "frmComment", QStringLiteral("<!-- x -->"), none,
        QStringLiteral("text=[<!-- x -->]"), QStringLiteral("<!-- x -->"));
    row("comment_insert_placeholder", "frmComment", none, none,
        QStringLiteral("text=[<!-----コメント----->]"), QStringLiteral("<!-----コメント----->"));
    row("comment_selection_line_break_put_back", "frmComment", none, QStringLiteral("note\r\n"),
        QStringLiteral("text=[note] selCrLf"), QStringLiteral("<!-----note----->\r\n"));
    row("comment_selection_of_a_line_break_alone", "frmComment", none, kCrLf,
        QStringLiteral("text=[<!-----コメント----->]"), QStringLiteral("<!-----コメント----->"));
}

void TestTextDialogs::open()
{
    QFETCH(QString, dialog);
    QFETCH(QString, old);
    QFETCH(QString, selection);
    QFETCH(QString, fields);
    QFETCH(QString, output);

    const auto [shown, composed] = OpenAndCompose(dialog, old, selection);
    QCOMPARE(shown, fields);
    QCOMPARE(composed, output);
}

void TestTextDialogs::reeditReproducesTheOutput_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("text");

    const std::pair<const char*, const char*> generated[] = {
        {"frmH", "<H2 ALIGN=\"center\">Intro</H2>"},
        {"frmH", "<H3></H3>"},
        {"frmH", "<H6 ALIGN='right'>a 'b'</H6>"},
        {"frmFont", "<FONT FACE=\"Arial, Helvetica\" COLOR=\"red\" SIZE=\"5\">x</FONT>"},
        {"frmFont", "<FONT FACE='Times' SIZE='1'>it</FONT>"},
        {"frmFont", "<FONT SIZE=\"3\"></FONT>"},
        {"frmLines", "<HR>"},
        {"frmLines", "<HR SIZE=\"2\" COLOR=\"red\" WIDTH=\"80%\" ALIGN=\"Center\" NOSHADE>"},
        {"frmLines", "<HR WIDTH='300' ALIGN='Left'>"},
        {"frmMarker", "<A NAME=\"top\">Top</A>"},
        {"frmMarker", "<A NAME='x'>y z</A>"},
        {"frmComment", "<!-----note----->"},
        {"frmComment", "<!-- x -->"},
    };
    for (const auto& [dialog, text] : generated)
        QTest::newRow(text) << QString::fromLatin1(dialog) << QString::fromUtf8(text);
}

void TestTextDialogs::reeditReproducesTheOutput()
{
    QFETCH(QString, dialog);
    QFETCH(QString, text);
    QCOMPARE(OpenAndCompose(dialog, text).second, text);
}

QTEST_MAIN(TestTextDialogs)
#include "tst_textdialogs.moc"
