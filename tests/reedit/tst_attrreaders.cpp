// The attribute readers that fill a dialog's fields from the old tag.
#include "reedit/attrreaders.h"

#include <QTest>

using namespace tl;

namespace
{

enum Reader { Text, Word, File };

QString Read(Reader reader, const QString& tag, const QString& name)
{
    switch (reader) {
    case Text:
        return ReadAttrText(tag, name);
    case Word:
        return ReadAttrWord(tag, name);
    case File:
        return ReadAttrFile(tag, name);
    }
    return {};
}

} // namespace

class TestAttrReaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reads_data();
    void reads();
};

void TestAttrReaders::reads_data()
{
    QTest::addColumn<int>("reader");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    const QString fullWidthSpace = QStringLiteral("\u3000");

    // ReadAttrText: values with spaces and commas.
    QTest::newRow("text_face_list_keeps_comma_and_space")
        << int(Text) << QStringLiteral("<FONT FACE=\"\uFF2D\uFF33 \u660E\u671D, Arial\" SIZE=3>")
        << "FACE=" << QStringLiteral("\uFF2D\uFF33 \u660E\u671D, Arial");
    QTest::newRow("text_single_quotes") << int(Text) << "<FONT FACE='Arial, Helvetica'>"
                                        << "FACE="
                                        << "Arial, Helvetica";
    QTest::newRow("text_name_any_case_value_keeps_case")
        << int(Text) << "<font face=\"Times New Roman\">"
        << "FACE="
        << "Times New Roman";
    QTest::newRow("text_unquoted_ends_at_gt") << int(Text) << "<P ALIGN=center>"
                                              << "ALIGN="
                                              << "center";
    QTest::newRow("text_ends_at_percent") << int(Text) << "<TD WIDTH=50%>"
                                          << "WIDTH="
                                          << "50";
    QTest::newRow("text_first_char_percent_taken") << int(Text) << "<TD WIDTH=%50>"
                                                   << "WIDTH="
                                                   << "%50";
    QTest::newRow("text_missing_name_reads_empty") << int(Text) << "<FONT SIZE=3>"
                                                   << "FACE="
                                                   << "";
    QTest::newRow("text_never_takes_last_char") << int(Text) << "<FONT FACE=Arial"
                                                << "FACE="
                                                << "Aria";
    QTest::newRow("text_value_only_at_last_char_reads_empty") << int(Text) << "<P ALIGN=x"
                                                              << "ALIGN="
                                                              << "";
    QTest::newRow("text_space_after_equals_is_the_value") << int(Text) << "<FONT FACE= \"Arial\">"
                                                          << "FACE="
                                                          << " ";
    QTest::newRow("text_name_at_end_reads_empty") << int(Text) << "<P ALIGN=>"
                                                  << "ALIGN="
                                                  << "";

    // ReadAttrWord: one word.
    QTest::newRow("word_border_without_value_reads_empty")
        << int(Word) << "<TABLE BORDER WIDTH=100>"
        << "BORDER"
        << "";
    QTest::newRow("word_border_with_value") << int(Word) << "<TABLE BORDER=1 WIDTH=100>"
                                            << "BORDER="
                                            << "1";
    QTest::newRow("word_single_quotes") << int(Word) << "<P ALIGN='center'>Hello</P>"
                                        << "ALIGN="
                                        << "center";
    QTest::newRow("word_stops_at_space") << int(Word) << "<IMG SRC=\"my pic.gif\">"
                                         << "SRC="
                                         << "my";
    QTest::newRow("word_stops_at_comma") << int(Word) << "<FONT FACE=\"Arial, Helvetica\">"
                                         << "FACE="
                                         << "Arial";
    QTest::newRow("word_stops_at_percent") << int(Word) << "<TD WIDTH=\"50%\">"
                                           << "WIDTH="
                                           << "50";
    QTest::newRow("word_first_char_percent_taken") << int(Word) << "<TD WIDTH=%50>"
                                                   << "WIDTH="
                                                   << "%50";
    QTest::newRow("word_takes_last_char") << int(Word) << "<P ALIGN=center"
                                          << "ALIGN="
                                          << "center";
    QTest::newRow("word_space_after_equals_reads_empty") << int(Word) << "<P ALIGN= center>"
                                                         << "ALIGN="
                                                         << "";
    QTest::newRow("word_first_occurrence_even_inside_longer_name")
        << int(Word) << "<TD VALIGN=top ALIGN=left>"
        << "ALIGN="
        << "top";
    // Upper-casing "ß" gives "SS": a position found in an upper-cased copy would be one off.
    QTest::newRow("word_sharp_s_before_name_keeps_position")
        << int(Word) << QStringLiteral("<P TITLE=Stra\u00DFe ALIGN=left>") << "ALIGN="
        << "left";

    // ReadAttrFile: file names with spaces before the extension.
    QTest::newRow("file_src_with_space_before_gif")
        << int(File) << "<IMG SRC=\"my pic.gif\" WIDTH=32>"
        << "SRC="
        << "my pic.gif";
    QTest::newRow("file_single_quotes") << int(File) << "<BODY BACKGROUND='bg 1.jpg' TEXT=black>"
                                        << "BACKGROUND="
                                        << "bg 1.jpg";
    QTest::newRow("file_skips_spaces_and_full_width_space")
        << int(File) << QString("<IMG SRC= " + fullWidthSpace + "pic.gif>") << "SRC="
        << "pic.gif";
    QTest::newRow("file_full_width_space_ends_after_dot")
        << int(File) << QString("<IMG SRC=pic.gif" + fullWidthSpace + "WIDTH=3>") << "SRC="
        << "pic.gif";
    QTest::newRow("file_asp_expression_before_dot_stays_whole")
        << int(File) << "<IMG SRC=\"<%=dir%>/a b.gif\">"
        << "SRC="
        << "<%=dir%>/a b.gif";
    QTest::newRow("file_first_char_percent_taken") << int(File) << "<IMG SRC=\"%img%.gif\">"
                                                   << "SRC="
                                                   << "%img%.gif";
    QTest::newRow("file_ends_at_percent_after_dot") << int(File) << "<IMG SRC=a.gif%>"
                                                    << "SRC="
                                                    << "a.gif";
    QTest::newRow("file_never_takes_last_char_after_dot") << int(File) << "<IMG SRC=a.gif"
                                                          << "SRC="
                                                          << "a.gi";
    // Quoted, a name without a "." ends at its quote; unquoted, it runs to the end of the tag.
    QTest::newRow("file_without_dot_ends_at_its_quote")
        << int(File) << "<IMG SRC=\"photo\" WIDTH=3>"
        << "SRC="
        << "photo";
    QTest::newRow("file_without_dot_unquoted_runs_to_tag_end")
        << int(File) << "<IMG SRC=photo WIDTH=3>"
        << "SRC="
        << "photo WIDTH=3>";
    QTest::newRow("file_asp_without_dot_ends_at_quote_outside_block")
        << int(File) << "<BODY BACKGROUND='<%=Session('bg')%>' TEXT=red>"
        << "BACKGROUND="
        << "<%=Session('bg')%>";
    QTest::newRow("file_other_quote_inside_stays") << int(File) << "<IMG SRC=\"Bob's pic\" WIDTH=3>"
                                                   << "SRC="
                                                   << "Bob's pic";
    QTest::newRow("file_missing_name_reads_empty") << int(File) << "<IMG WIDTH=3>"
                                                   << "SRC="
                                                   << "";
}

void TestAttrReaders::reads()
{
    QFETCH(int, reader);
    QFETCH(QString, tag);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(Read(Reader(reader), tag, name), expected);
}

QTEST_GUILESS_MAIN(TestAttrReaders)
#include "tst_attrreaders.moc"
