// What every dialog shares beyond its widgets: the whole-number rule of number fields, and
// keeping the attributes a dialog does not know when it rewrites a tag.
#include "dialogkit/dialogtext.h"
#include "dialogkit/tagdialog.h"

#include <QtTest>

using namespace tl;

class TestDialogKit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wholeNumber_data();
    void wholeNumber();
    void startTag_data();
    void startTag();
    void keepOtherAttributes_data();
    void keepOtherAttributes();
    void keptAsWritten_data();
    void keptAsWritten();
    void quotedValue_data();
    void quotedValue();
    void smallReaders();
};

void TestDialogKit::wholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("number"); // "none" when refused

    const char* rows[][2] = {
        {"0", "0"},
        {"12", "12"},
        {" 7 ", "7"},
        {"1.5", "2"},
        {"2.5", "2"},
        {"3.5", "4"},
        {"2.51", "3"},
        {"2.4999", "2"},
        {"0.5", "0"},
        {"-0.5", "0"},
        {"-1.5", "-2"},
        {"+3", "3"},
        {".5", "0"},
        {"5.", "5"},
        {"１２", "12"},
        {"abc", "none"},
        {"", "none"},
        {"  ", "none"},
        {"1,5", "none"},
        {"1.2.3", "none"},
        {"12px", "none"},
        {"-", "none"},
        {".", "none"},
        {"1e3", "none"},
        {"99999999999", "none"},
        {"1000000000", "1000000000"},
    };
    for (const auto& [text, number] : rows)
        QTest::newRow(text[0] ? text : "empty")
            << QString::fromUtf8(text) << QString::fromUtf8(number);
}

void TestDialogKit::wholeNumber()
{
    QFETCH(QString, text);
    QFETCH(QString, number);
    const std::optional<qint64> n = WholeNumber(text);
    QCOMPARE(n ? QString::number(*n) : QStringLiteral("none"), number);
}

void TestDialogKit::startTag_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read"); // name|attr name=text|...; "none" when no start tag

    QTest::newRow("quoted_unquoted_bare")
        << "<BODY BGCOLOR=\"#FFFFFF\" onLoad='init()' text=red NOWRAP>x"
        << "BODY|BGCOLOR=BGCOLOR=\"#FFFFFF\"|ONLOAD=onLoad='init()'|TEXT=text=red|NOWRAP=NOWRAP";
    QTest::newRow("spaces_around_equals_and_gt_inside_quotes")
        << "<img  alt = \"a > b\"  src=a.gif >"
        << "IMG|ALT=alt = \"a > b\"|SRC=src=a.gif";
    QTest::newRow("asp_block_is_one_attribute")
        << "<INPUT VALUE=\"<%=v%>\" <%=extra%> TYPE=TEXT>"
        << "INPUT|VALUE=VALUE=\"<%=v%>\"|<%=<%=extra%>|TYPE=TYPE=TEXT";
    // A quote or ">" inside an ASP block in a value belongs to the value.
    QTest::newRow("asp_blocks_inside_values")
        << "<INPUT VALUE=\"<%=Request(\"q\")%>\" SIZE=<%=n%> NAME=q>"
        << "INPUT|VALUE=VALUE=\"<%=Request(\"q\")%>\"|SIZE=SIZE=<%=n%>|NAME=NAME=q";
    QTest::newRow("no_attributes") << "<P>"
                                   << "P";
    QTest::newRow("self_closing") << "<BR CLEAR=all />"
                                  << "BR|CLEAR=CLEAR=all";
    QTest::newRow("end_tag_is_none") << "</P>"
                                     << "none";
    QTest::newRow("comment_is_none") << "<!-- x -->"
                                     << "none";
    QTest::newRow("unclosed_is_none") << "<P ALIGN=\"left"
                                      << "none";
}

void TestDialogKit::startTag()
{
    QFETCH(QString, text);
    QFETCH(QString, read);
    QString name;
    QList<WrittenAttribute> attributes;
    QString got = QStringLiteral("none");
    if (ReadStartTag(text, &name, &attributes)) {
        got = name;
        for (const WrittenAttribute& a : attributes)
            got += u'|' + a.name + u'=' + a.text;
    }
    QCOMPARE(got, read);
}

void TestDialogKit::keepOtherAttributes_data()
{
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QStringList>("known");
    QTest::addColumn<QString>("result");

    const QStringList body{"BACKGROUND", "BGCOLOR", "TEXT",        "LINK",
                           "VLINK",      "ALINK",   "BGPROPERTIES"};
    QTest::newRow("unknown_kept_in_order_after_the_written_ones")
        << "<body class=main bgcolor=white onLoad=\"init()\" id='b'>"
        << "<BODY BGCOLOR=\"#FFFFFF\">" << body
        << "<BODY BGCOLOR=\"#FFFFFF\" class=main onLoad=\"init()\" id='b'>";
    QTest::newRow("known_but_cleared_is_dropped") << "<BODY TEXT=red STYLE=\"x\">"
                                                  << "<BODY>" << body << "<BODY STYLE=\"x\">";
    QTest::newRow("written_again_is_not_doubled")
        << "<P ALIGN=left CLASS=a>Hi</P>"
        << "<P ALIGN=\"left\" CLASS=\"b\">Hi</P>" << QStringList{"ALIGN"}
        << "<P ALIGN=\"left\" CLASS=\"b\">Hi</P>";
    QTest::newRow("element_keeps_content_and_close")
        << "<P CLASS=\"x\" ALIGN=left ID=a>Hi</P>"
        << "<P ALIGN=\"center\">Hi</P>" << QStringList{"ALIGN"}
        << "<P ALIGN=\"center\" CLASS=\"x\" ID=a>Hi</P>";
    QTest::newRow("wrapped_element_found_inside")
        << "<FONT SIZE=3 class=k>t</FONT>"
        << "<CENTER>\r\n<FONT SIZE=\"5\">t</FONT>\r\n</CENTER>"
        << QStringList{"FACE", "COLOR", "SIZE"}
        << "<CENTER>\r\n<FONT SIZE=\"5\" class=k>t</FONT>\r\n</CENTER>";
    QTest::newRow("other_tag_name_left_alone")
        << "<P CLASS=x>a</P>"
        << "<H1>a</H1>" << QStringList{"ALIGN"} << "<H1>a</H1>";
    // A dialog may turn an element into another of its family.
    QTest::newRow("heading_level_changed_keeps_unknown")
        << "<H2 CLASS=a <%=x%>>x</H2>"
        << "<H3 ALIGN=\"center\">x</H3>" << QStringList{"ALIGN"}
        << "<H3 ALIGN=\"center\" CLASS=a <%=x%>>x</H3>";
    QTest::newRow("cell_kind_changed_keeps_unknown")
        << "<td class=c>x</td>"
        << "<TH>x</TH>" << QStringList{"ALIGN"} << "<TH class=c>x</TH>";
    QTest::newRow("empty_output_stays_empty") << "<BODY onLoad=x>"
                                              << "" << body << "";
    QTest::newRow("asp_block_kept")
        << "<BODY <%=attrs%> BGCOLOR=red>"
        << "<BODY BGCOLOR=\"blue\">" << body << "<BODY BGCOLOR=\"blue\" <%=attrs%>>";
    // A reader takes "<" from an ASP value: written back so, the old value returns whole.
    QTest::newRow("asp_value_read_short_written_back_whole")
        << "<BODY BGCOLOR=\"<%=bg%>\" TEXT=red LINK='<%=Request(\"l\")%>'>"
        << "<BODY BGCOLOR=\"<\" TEXT=\"navy\" LINK=\"<\">" << body
        << "<BODY BGCOLOR=\"<%=bg%>\" TEXT=\"navy\" LINK='<%=Request(\"l\")%>'>";
    QTest::newRow("asp_value_changed_by_the_user")
        << "<BODY BGCOLOR=<%=bg%> TEXT=red>"
        << "<BODY BGCOLOR=\"#FF0000\" TEXT=\"red\">" << body
        << "<BODY BGCOLOR=\"#FF0000\" TEXT=\"red\">";
    QTest::newRow("asp_value_kept_unknown_still_added")
        << "<FONT SIZE=\"<%=s%>\" CLASS=k>t</FONT>"
        << "<FONT SIZE=\"<\">t</FONT>" << QStringList{"FACE", "COLOR", "SIZE"}
        << "<FONT SIZE=\"<%=s%>\" CLASS=k>t</FONT>";
}

void TestDialogKit::keepOtherAttributes()
{
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QStringList, known);
    QFETCH(QString, result);
    QCOMPARE(KeepOtherAttributes(oldText, newText, known), result);
}

// A known attribute the dialog did not read as written stays as written while what the dialog
// made of it is left alone: openedText is what the fields composed to as they opened.
void TestDialogKit::keptAsWritten_data()
{
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("openedText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("result");
    QTest::newRow("spaces_around_equals_unread_and_untouched") << "<P ALIGN = center>a</P>"
                                                               << "<P>a</P>"
                                                               << "<P>b</P>"
                                                               << "<P ALIGN = center>b</P>";
    QTest::newRow("spaces_around_equals_unread_then_chosen") << "<P ALIGN = center>a</P>"
                                                             << "<P>a</P>"
                                                             << "<P ALIGN=\"right\">a</P>"
                                                             << "<P ALIGN=\"right\">a</P>";
    QTest::newRow("value_cut_at_apostrophe_written_back_in_place")
        << "<FONT FACE=\"Tom's Font\" COLOR=\"red\">hi</FONT>"
        << "<FONT FACE='Tom' COLOR='red' SIZE='3'>hi</FONT>"
        << "<FONT FACE='Tom' COLOR='blue' SIZE='3'>hi</FONT>"
        << "<FONT FACE=\"Tom's Font\" COLOR='blue' SIZE='3'>hi</FONT>";
    QTest::newRow("read_as_written_letter_case_aside_is_rewritten") << "<P align=CENTER>a</P>"
                                                                    << "<P ALIGN=\"center\">a</P>"
                                                                    << "<P ALIGN=\"center\">b</P>"
                                                                    << "<P ALIGN=\"center\">b</P>";
    QTest::newRow("unread_value_changed_by_the_user") << "<FONT SIZE=+1>t</FONT>"
                                                      << "<FONT SIZE=\"3\">t</FONT>"
                                                      << "<FONT SIZE=\"5\">t</FONT>"
                                                      << "<FONT SIZE=\"5\">t</FONT>";
}

void TestDialogKit::keptAsWritten()
{
    QFETCH(QString, oldText);
    QFETCH(QString, openedText);
    QFETCH(QString, newText);
    QFETCH(QString, result);
    const QStringList known{"ALIGN", "FACE", "COLOR", "SIZE"};
    QCOMPARE(KeepOtherAttributes(oldText, newText, known, openedText), result);
}

void TestDialogKit::quotedValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("single");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain_double") << "a" << false << "\"a\"";
    QTest::newRow("plain_single") << "a" << true << "'a'";
    QTest::newRow("apostrophe_with_single_takes_double") << "Tom's" << true << "\"Tom's\"";
    QTest::newRow("quote_with_double_takes_single") << "say \"hi\"" << false << "'say \"hi\"'";
    QTest::newRow("both_quotes_keep_the_choice") << "a'b\"c" << false << "\"a'b\"c\"";
    QTest::newRow("quotes_inside_asp_do_not_count")
        << "<%=Session(\"bg\")%>" << false << "\"<%=Session(\"bg\")%>\"";
}

void TestDialogKit::quotedValue()
{
    QFETCH(QString, value);
    QFETCH(bool, single);
    QFETCH(QString, written);
    QCOMPARE(QuotedValue(value, single ? QuoteStyle::Single : QuoteStyle::Double), written);
}

void TestDialogKit::smallReaders()
{
    QCOMPARE(NumberedChoice(u"4", 6, 3), 4);
    QCOMPARE(NumberedChoice(u"7", 6, 3), 3);
    QCOMPARE(NumberedChoice(u"+1", 7, 3), 3);
    QCOMPARE(NumberedChoice(u"", 7, 3), 3);
    QCOMPARE(AlignOf(u"CENTER"), Align::Center);
    QCOMPARE(AlignOf(u"middle"), Align::None);
    QCOMPARE(AlignWord(Align::Right, true).toString(), QStringLiteral("Right"));
    QCOMPARE(AlignWord(Align::None).toString(), QString());
    // The content of an element starts after its opening tag, even when a ">" is quoted in it.
    QCOMPARE(OpeningTagEnd(u"<P TITLE=\"a>b\">x</P>"), qsizetype(14));
    QCOMPARE(ClosingTagAt(u"<P TITLE=\"</P>\">x</P>", u"</P>", 15), qsizetype(17));
    QCOMPARE(ClosingTagAt(u"<P</P>", u"</P>", 5), qsizetype(2));
}

QTEST_MAIN(TestDialogKit)
#include "tst_dialogkit.moc"
