// The decision a double click makes on the tag at the caret: which dialogs open, in which
// order, on which range, or a beep.
#include "editing/documenttagtext.h"
#include "reedit/tagend.h"
#include "reedit/tagrecognizer.h"

#include "editbox/maintextedit.h"
#include <QStringList>
#include <QTest>

using namespace tl;

namespace
{

// "row dialog(caption) @start text-of-the-range", with " [opening tag only]" when the closing
// marker was missing.
QString Describe(const QString& text, const TagMatch& m)
{
    QString out = QString::number(m.row);
    out += QLatin1Char(' ');
    out += m.dialog;
    if (!m.caption.isEmpty())
        out += QStringLiteral("(%1)").arg(m.caption);
    out += QStringLiteral(" @%1 ").arg(m.target.start);
    out += text.mid(m.target.start - 1, m.target.length);
    if (m.target.openingTagOnly)
        out += QStringLiteral(" [opening tag only]");
    return out;
}

QString Describe(const QString& text, const TagDecision& d)
{
    if (d.beep)
        return QStringLiteral("beep");
    QStringList parts;
    for (const TagMatch& m : d.matches)
        parts << Describe(text, m);
    return parts.join(QStringLiteral(" | "));
}

// The caret stands where the "|" of the marked text is.
struct Click {
    QString text;
    qint64 caret;
};

Click ParseClick(const QString& marked)
{
    const qint64 caret = marked.indexOf(QLatin1Char('|'));
    Q_ASSERT(caret >= 0);
    QString text = marked;
    text.remove(caret, 1);
    return {text, caret};
}

} // namespace

class TestTagRecognizer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tagEnd_data();
    void tagEnd();
    void recognize_data();
    void recognize();
    void recognize_in_edit_box_document_data() { recognize_data(); }
    void recognize_in_edit_box_document();
    void next_row_targets_the_tag_that_replaced_the_old_one();
    void closing_marker_found_lines_later_in_document_data();
    void closing_marker_found_lines_later_in_document();
};

void TestTagRecognizer::recognize_data()
{
    QTest::addColumn<QString>("marked");
    QTest::addColumn<QString>("expected");

    // How the tag is found.
    QTest::newRow("table_with_border_covers_opening_tag")
        << "<P>x</P>\r\n<TABLE BORD|ER=1 WIDTH=\"80%\">\r\n<TR><TD>a</TD></TR>"
        << "25 frmTable @11 <TABLE BORDER=1 WIDTH=\"80%\">";
    QTest::newRow("title_runs_to_closing_tag_on_later_line")
        << "<HTML>\r\n<TI|TLE>\r\nMy page\r\n</title>\r\n"
        << "2 frmTitle @9 <TITLE>\r\nMy page\r\n</title>";
    QTest::newRow("paragraph_in_single_quotes_covers_whole_element")
        << "<P ALIGN='cen|ter'>Hello</P>"
        << "11 frmP @1 <P ALIGN='center'>Hello</P>";
    QTest::newRow("caret_in_content_finds_opening_tag") << "<P>Hel|lo</P>"
                                                        << "11 frmP @1 <P>Hello</P>";
    QTest::newRow("caret_right_after_lt_finds_that_tag")
        << "<TD><|P ALIGN='center'>Hello</P></TD>"
        << "11 frmP @5 <P ALIGN='center'>Hello</P>";
    QTest::newRow("caret_before_lt_at_line_start_does_nothing") << "<P>x</P>\r\n|<TABLE>"
                                                                << "";
    QTest::newRow("no_lt_on_line_does_nothing") << "<P>x</P>\r\nplain| text"
                                                << "";
    QTest::newRow("lt_at_line_end_beeps") << "text <|\r\nnext"
                                          << "beep";
    QTest::newRow("lt_at_text_end_beeps") << "text <|"
                                          << "beep";
    QTest::newRow("tag_without_gt_on_line_matches_nothing") << "<IMG SR|C=\"a.gif\"\r\n WIDTH=3>"
                                                            << "";
    QTest::newRow("lower_case_tag_is_recognised") << "<table bor|der>"
                                                  << "25 frmTable @1 <table border>";

    // A ">" closing an ASP block inside the tag does not end the tag.
    QTest::newRow("asp_value_inside_tag") << "<BODY BG|COLOR=\"<%=bg%>\" TEXT=red>\r\n"
                                          << "1 frmPage @1 <BODY BGCOLOR=\"<%=bg%>\" TEXT=red>";
    QTest::newRow("asp_blocks_inside_link")
        << "<A HR|EF=\"a.asp?id=<%=id%>&p=<%=p%>\">Next</A>"
        << "30 frmLink @1 <A HREF=\"a.asp?id=<%=id%>&p=<%=p%>\">Next</A>";
    QTest::newRow("link_text_after_asp_href")
        << "<A HREF=\"a.asp?id=<%=id%>\">Ne|xt</A>"
        << "30 frmLink @1 <A HREF=\"a.asp?id=<%=id%>\">Next</A>";
    QTest::newRow("paragraph_text_after_inline_asp") << "<P>Hi <%=name%>, we|lcome</P>"
                                                     << "11 frmP @1 <P>Hi <%=name%>, welcome</P>";
    QTest::newRow("caret_inside_asp_block_finds_the_block") << "<P>Hi <%=na|me%></P>"
                                                            << "";
    QTest::newRow("asp_block_alone_on_its_line") << "<% If a Then %> te|xt"
                                                 << "";
    QTest::newRow("asp_block_not_closed_first_gt_ends") << "<HR SI|ZE=<%=s>\r\nx"
                                                        << "12 frmLines @1 <HR SIZE=<%=s>";
    QTest::newRow("unclosed_paragraph_with_asp_covers_opening_tag")
        << "<P ALI|GN=<%=a%>>text\r\nmore"
        << "11 frmP @1 <P ALIGN=<%=a%>> [opening tag only]";

    // A missing closing marker never lets the range reach beyond the opening tag.
    QTest::newRow("paragraph_without_closing_tag_covers_opening_tag")
        << "<P ALIGN=left>te|xt\r\nmore"
        << "11 frmP @1 <P ALIGN=left> [opening tag only]";
    QTest::newRow("title_without_closing_tag_covers_opening_tag")
        << "<TITLE>|Home\r\n<BODY>"
        << "2 frmTitle @1 <TITLE> [opening tag only]";

    // Quirks of the substring tests.
    QTest::newRow("heading_with_align_matches_heading_row")
        << "<H2 AL|IGN=\"center\">Head</H2>"
        << "5 frmH @1 <H2 ALIGN=\"center\">Head</H2>";
    QTest::newRow("heading_with_tab_after_name") << "<H3\tAL|IGN=left>x</H3>"
                                                 << "6 frmH @1 <H3\tALIGN=left>x</H3>";
    QTest::newRow("gt_inside_quoted_value_does_not_end_body")
        << "<BODY onLoad=\"if (w > 8) b()\" BG|COLOR=white>"
        << "1 frmPage @1 <BODY onLoad=\"if (w > 8) b()\" BGCOLOR=white>";
    QTest::newRow("hr_is_no_heading") << "<HR SI|ZE=2>"
                                      << "12 frmLines @1 <HR SIZE=2>";
    QTest::newRow("bare_heading_matches_heading_row") << "<H2>He|ad</H2>"
                                                      << "5 frmH @1 <H2>Head</H2>";
    // Tag names match whole: a longer name that starts the same is another tag.
    QTest::newRow("pre_is_no_paragraph") << "<PR|E>code</PRE>\r\n<P>Next</P>"
                                         << "";
    QTest::newRow("thead_is_no_table_heading") << "<THE|AD>"
                                               << "";
    QTest::newRow("area_and_address_are_no_anchor") << "<AREA HREF=a.h|tm>"
                                                    << "";
    QTest::newRow("paragraph_with_attribute_still_matches") << "<P ALIGN=cen|ter>x</P>"
                                                            << "11 frmP @1 <P ALIGN=center>x</P>";
    QTest::newRow("submit_with_reset_value_matches_button_rows_twice")
        << "<INPUT TYPE=\"submit\" VAL|UE=\"Reset\">"
        << "20 frmButton(Submit) @1 <INPUT TYPE=\"submit\" VALUE=\"Reset\"> | "
           "21 frmButton(Reset) @1 <INPUT TYPE=\"submit\" VALUE=\"Reset\">";

    // Anchors.
    QTest::newRow("anchor_with_href_is_link") << "<A HR|EF=\"a.htm\">Next</A>"
                                              << "30 frmLink @1 <A HREF=\"a.htm\">Next</A>";
    QTest::newRow("anchor_with_standard_target_is_link")
        << "<A HREF=\"a.htm\" TARGET=\"_blank\">Ne|xt</A>"
        << "30 frmLink @1 <A HREF=\"a.htm\" TARGET=\"_blank\">Next</A>";
    QTest::newRow("anchor_with_name_is_marker") << "<A NA|ME=\"top\">Top</A>"
                                                << "30 frmMarker @1 <A NAME=\"top\">Top</A>";
    QTest::newRow("anchor_with_frame_target") << "<A HREF=\"b.htm\" TAR|GET=\"main\">B</a>"
                                              << "30 frmLinkTarg @1 <A HREF=\"b.htm\" "
                                                 "TARGET=\"main\">B</a>";
    QTest::newRow("link_without_closing_tag_opens_nothing") << "<A HREF=\"a.htm\">Ne|xt"
                                                            << "";
    QTest::newRow("marker_without_closing_tag_covers_opening_tag")
        << "<A NAME=x>|\r\ntext"
        << "30 frmMarker @1 <A NAME=x> [opening tag only]";

    // Comments.
    QTest::newRow("comment") << "<!-- no|te -->"
                             << "33 frmComment @1 <!-- note -->";
    QTest::newRow("comment_range_ends_at_first_gt") << "<!-- a |> b -->"
                                                    << "33 frmComment @1 <!-- a >";

    // Frames: row 29 reads the rest of the line, so a FRAME tag may end on a later line.
    QTest::newRow("frame_continued_on_next_line")
        << "<FRA|ME SRC=\"a.htm\"\r\n NAME=\"main\">"
        << "29 frmFrame @1 <FRAME SRC=\"a.htm\"\r\n NAME=\"main\">";
    QTest::newRow("frame_without_any_gt_opens_nothing") << "<FRAME SRC=a.h|tm"
                                                        << "";
    QTest::newRow("frameset_is_not_a_frame") << "<FRAMESET COLS=\"*,*\"|>"
                                             << "32 frmFrameSet @1 <FRAMESET COLS=\"*,*\">";

    // The remaining rows of the table, one tag each.
    QTest::newRow("body") << "<BODY BG|COLOR=\"#FFFFFF\">"
                          << "1 frmPage @1 <BODY BGCOLOR=\"#FFFFFF\">";
    QTest::newRow("basefont") << "<BASE|FONT SIZE=3>"
                              << "3 frmBaseFont @1 <BASEFONT SIZE=3>";
    QTest::newRow("font") << "<FONT COLOR=red>|x</FONT>"
                          << "10 frmFont @1 <FONT COLOR=red>x</FONT>";
    QTest::newRow("hr") << "<HR SI|ZE=2>"
                        << "12 frmLines @1 <HR SIZE=2>";
    QTest::newRow("img") << "<IMG SRC=\"a.gif\" WI|DTH=3>"
                         << "13 frmImg @1 <IMG SRC=\"a.gif\" WIDTH=3>";
    QTest::newRow("img_dynsrc") << "<IMG DYN|SRC=\"a.avi\">"
                                << "14 frmDynsrc @1 <IMG DYNSRC=\"a.avi\">";
    QTest::newRow("bgsound") << "<BGSOUND S|RC=\"a.mid\">"
                             << "15 frmSound @1 <BGSOUND SRC=\"a.mid\">";
    QTest::newRow("marquee") << "<MAR|QUEE>news</MARQUEE>"
                             << "16 frmScroll @1 <MARQUEE>news</MARQUEE>";
    QTest::newRow("input_text") << "<INPUT TYPE=\"text\" NA|ME=\"q\">"
                                << "17 frmTextBox @1 <INPUT TYPE=\"text\" NAME=\"q\">";
    QTest::newRow("input_password") << "<INPUT TYPE=password| NAME=pw>"
                                    << "17 frmTextBox @1 <INPUT TYPE=password NAME=pw>";
    QTest::newRow("input_radio") << "<INPUT TYPE=radio NAME=r| VALUE=1>"
                                 << "18 frmControl(Radio) @1 <INPUT TYPE=radio NAME=r VALUE=1>";
    QTest::newRow("input_checkbox") << "<INPUT TYPE=checkbox| NAME=c>"
                                    << "19 frmControl(CheckBox) @1 <INPUT TYPE=checkbox NAME=c>";
    QTest::newRow("input_button") << "<INPUT TYPE=button| VALUE=Go>"
                                  << "22 frmButtonClk @1 <INPUT TYPE=button VALUE=Go>";
    QTest::newRow("textarea") << "<TEXTAREA NAME=t| ROWS=3></TEXTAREA>"
                              << "23 frmTextArea @1 <TEXTAREA NAME=t ROWS=3>";
    QTest::newRow("input_hidden") << "<INPUT TYPE=hidden| NAME=h>"
                                  << "24 frmHidden @1 <INPUT TYPE=hidden NAME=h>";
    QTest::newRow("th") << "<TH ALIGN=left>Na|me</TH>"
                        << "26 frmTHD(TH) @1 <TH ALIGN=left>Name</TH>";
    QTest::newRow("td") << "<TR><TD>|a</TD></TR>"
                        << "27 frmTHD(TD) @5 <TD>a</TD>";
    QTest::newRow("tr") << "<TR ALIGN=|center>"
                        << "28 frmTR @1 <TR ALIGN=center>";
    QTest::newRow("form") << "<FORM ACTION=\"a.asp\"| METHOD=post>"
                          << "31 frmForm @1 <FORM ACTION=\"a.asp\" METHOD=post>";
}

void TestTagRecognizer::recognize()
{
    QFETCH(QString, marked);
    QFETCH(QString, expected);
    const Click click = ParseClick(marked);
    QCOMPARE(Describe(click.text, RecognizeTag(click.text, click.caret)), expected);
}

// The same decisions read from the edit box's own buffer and line index.
void TestTagRecognizer::recognize_in_edit_box_document()
{
    QFETCH(QString, marked);
    QFETCH(QString, expected);
    const Click click = ParseClick(marked);
    Document doc;
    MainTextEdit edit{doc};
    edit.setText(click.text);
    QCOMPARE(Describe(click.text, RecognizeTag(DocumentTagText(edit), click.caret)), expected);
}

void TestTagRecognizer::next_row_targets_the_tag_that_replaced_the_old_one()
{
    const Click click = ParseClick(QStringLiteral("<P>x</P>\r\n<INPUT TYPE=SUBMIT VAL|UE=Reset>"));
    const StringTagText before(click.text);
    const TagAtCaret found = FindTagAtCaret(before, click.caret);
    const std::optional<TagMatch> submit = NextTagMatch(found, before, click.caret, 0);
    QVERIFY(submit);
    QCOMPARE(Describe(click.text, *submit),
             QStringLiteral("20 frmButton(Submit) @11 <INPUT TYPE=SUBMIT VALUE=Reset>"));

    // The Submit dialog was accepted: its output replaced the tag and the caret stands right
    // after the new "<". The Reset row must take the new tag, not the paragraph before it.
    const QString replaced = QStringLiteral("<P>x</P>\r\n<INPUT TYPE=\"submit\" VALUE=\"Reset\">");
    const StringTagText after(replaced);
    const qint64 caret = 11;
    const std::optional<TagMatch> reset = NextTagMatch(found, after, caret, submit->row);
    QVERIFY(reset);
    QCOMPARE(Describe(replaced, *reset),
             QStringLiteral("21 frmButton(Reset) @11 <INPUT TYPE=\"submit\" VALUE=\"Reset\">"));
    QVERIFY(!NextTagMatch(found, after, caret, reset->row));
}

void TestTagRecognizer::closing_marker_found_lines_later_in_document_data()
{
    QTest::addColumn<int>("fillerLines");
    QTest::addColumn<bool>("closed");
    QTest::newRow("next_line") << 0 << true;
    QTest::newRow("far_below") << 5000 << true;
    QTest::newRow("missing") << 5000 << false;
}

void TestTagRecognizer::closing_marker_found_lines_later_in_document()
{
    QFETCH(int, fillerLines);
    QFETCH(bool, closed);
    QString text = QStringLiteral("<P>x<TITLE>Home\r\n");
    for (int i = 0; i < fillerLines; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    text += closed ? QStringLiteral("</title>") : QStringLiteral("<title>");
    Document doc;
    MainTextEdit edit{doc};
    edit.setText(text);
    const TagDecision viaString = RecognizeTag(text, 6);
    QCOMPARE(viaString.matches.size(), 1);
    QCOMPARE(viaString.matches[0].target.openingTagOnly, !closed);
    QCOMPARE(Describe(text, RecognizeTag(DocumentTagText(edit), 6)), Describe(text, viaString));
}

QTEST_MAIN(TestTagRecognizer)
// The one rule for where a tag ends; "|" marks the ">" expected, none when the tag does not end.
void TestTagRecognizer::tagEnd_data()
{
    QTest::addColumn<QString>("marked");
    QTest::newRow("plain") << "<P ALIGN=left|>text";
    QTest::newRow("gt_in_double_quotes") << "<P TITLE=\"a>b\"|>b\">text";
    QTest::newRow("gt_in_single_quotes") << "<P TITLE='a>b'|>text";
    QTest::newRow("spaces_around_equals") << "<P TITLE = \"a>b\"|>";
    QTest::newRow("quote_not_after_equals_is_text") << "<P Tom's|>text's</P>";
    QTest::newRow("asp_block_in_value") << "<FONT COLOR=\"<%=c%>\"|>text";
    QTest::newRow("asp_block_with_quotes_and_gt")
        << "<INPUT VALUE=\"<%=Request(\"q\") > 1%>\"|><P>";
    QTest::newRow("asp_block_outside_quotes") << "<P <% If a > b Then %>ALIGN=left|>";
    QTest::newRow("unclosed_quote_before_next_tag") << "<A HREF=\"x.htm|>Next</A><P>more";
    QTest::newRow("unclosed_quote_at_end_of_text") << "<A HREF=\"x.htm|>Next";
    QTest::newRow("quote_over_line_break") << "<P TITLE=\"a\r\n>b\"|>";
    QTest::newRow("unclosed_asp_block_ends_at_first_gt") << "<P ALIGN=\"<%=al|>text";
    QTest::newRow("no_end") << "<P ALIGN=left";
    QTest::newRow("asp_block_as_the_tag") << "<%= x %|> y";
}

void TestTagRecognizer::tagEnd()
{
    QFETCH(QString, marked);
    const qsizetype mark = marked.indexOf(u'|');
    QString text = marked;
    if (mark >= 0)
        text.remove(mark, 1);
    QCOMPARE(StartTagEnd(text, 0), mark);
    // The edit box's reading of a page a piece at a time agrees.
    const std::optional<TagTarget> target =
        EditTargetForTag(StringTagText(text), 1, QStringLiteral(">"));
    QCOMPARE(target ? target->length - 1 : qint64(-1), qint64(mark));
}

#include "tst_tagrecognizer.moc"
