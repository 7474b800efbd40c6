// What every dialog shares beyond its widgets: the whole-number rule of number fields, and
// keeping the attributes a dialog does not know when it rewrites a tag.
#include "dialogkit/dialogtext.h"

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

QTEST_MAIN(TestDialogKit)
#include "tst_dialogkit.moc"
