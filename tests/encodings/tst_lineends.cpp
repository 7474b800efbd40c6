// A page keeps its line ends: the codec records them on opening and writes them back on saving
// (the usual one for every CR LF of the editor's text, the odd ones where they stood), and a
// page ends as its file did, while a new page ends with one line break.
#include "core/textbuffer.h"
#include "encodings/documentcodec.h"
#include "filesession.h"

#include <QtTest>

#include <algorithm>
#include <iterator>

using namespace tl;

Q_DECLARE_METATYPE(tl::ByteVariants)

class TestLineEnds : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lineEndsComeBack_data();
    void lineEndsComeBack();
    void unencodableIndexCountsCrLf();
    void newPageEndsWithOneLineBreak();
};

void TestLineEnds::lineEndsComeBack_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("usual"); // LineEnd
    QTest::addColumn<ByteVariants>("oddBreaks");
    const auto crlf = int(LineEnd::CrLf), lf = int(LineEnd::Lf), cr = int(LineEnd::Cr);

    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << crlf << ByteVariants{};
    QTest::newRow("lf") << QByteArray("a\nb\n") << lf << ByteVariants{};
    QTest::newRow("cr") << QByteArray("a\rb\r") << cr << ByteVariants{};
    QTest::newRow("no_line_break") << QByteArray("a") << crlf << ByteVariants{};
    QTest::newRow("lf_no_final_break") << QByteArray("a\nb") << lf << ByteVariants{};
    QTest::newRow("cr_lf_reversed")
        << QByteArray("a\n\rb\n\r") << lf
        << ByteVariants{LineBreakVariant(3, LineEnd::Cr), LineBreakVariant(8, LineEnd::Cr)};
    // Breaks in CR LF text: CRs at 1, 4, 7, 10, 13; LF three times, so LF is usual.
    QTest::newRow("mostly_lf") << QByteArray("a\nb\r\nc\nd\re\n") << lf
                               << ByteVariants{LineBreakVariant(4, LineEnd::CrLf),
                                               LineBreakVariant(10, LineEnd::Cr)};
    QTest::newRow("tie_goes_to_crlf")
        << QByteArray("a\nb\r\n") << crlf << ByteVariants{LineBreakVariant(1, LineEnd::Lf)};
    QTest::newRow("utf16le_lf") << QByteArrayLiteral("\xFF\xFE"
                                                     "a\x00\n\x00"
                                                     "b\x00")
                                << lf << ByteVariants{};
    QTest::newRow("utf8_mixed") << QByteArray("caf\xC3\xA9\r\n\xE6\x97\xA5\n") << crlf
                                << ByteVariants{LineBreakVariant(7, LineEnd::Lf)};
    QTest::newRow("eucjp_declared_cr")
        << QByteArray("<meta charset=euc-jp>\r\xC6\xFC\xCB\xDC\r") << cr << ByteVariants{};
    QTest::newRow("iso2022jp_lf_ending_in_kanji")
        << QByteArray("<meta charset=iso-2022-jp>\n\x1B$BF|\x1B(B\n\x1B$BK\\\x1B(B") << lf
        << ByteVariants{};
    // A kept CP932 form after LF lines stands at its place in the CR LF text; the file gets it
    // back at its own.
    QTest::newRow("cp932_kept_form_in_lf_page")
        << QByteArray("\xED\x40\n\xED\x40\r\n\xFA\x5C\n") << lf
        << ByteVariants{LineBreakVariant(4, LineEnd::CrLf)};
}

// The file's line ends are recorded (the usual one, the others where they stand) and saving the
// text unchanged writes them back, a missing final line break included.
void TestLineEnds::lineEndsComeBack()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, usual);
    QFETCH(ByteVariants, oddBreaks);

    const DecodedDocument doc = DecodeDocument(bytes);
    QVERIFY(!doc.undecodableBytes);
    QCOMPARE(int(doc.encoding.lineEnd), usual);
    QVERIFY(!doc.encoding.addFinalBreak);
    ByteVariants breaks;
    std::copy_if(doc.forms.begin(), doc.forms.end(), std::back_inserter(breaks),
                 IsLineBreakVariant);
    QCOMPARE(breaks, oddBreaks);

    const EncodedDocument saved = EncodeDocument(ToCrLf(doc.text), doc.encoding, doc.forms);
    QCOMPARE(saved.firstUnencodable, -1);
    QCOMPARE(saved.bytes, bytes);
}

// The first character a charset cannot hold is named by its place in the editor's CR LF text,
// whatever line ends the file gets.
void TestLineEnds::unencodableIndexCountsCrLf()
{
    const QString text = QStringLiteral("a\r\nb\r\nc\r\n\U0001F600");
    TextEncoding encoding;
    for (LineEnd end : {LineEnd::CrLf, LineEnd::Lf, LineEnd::Cr}) {
        encoding.lineEnd = end;
        QCOMPARE(EncodeDocument(text, encoding).firstUnencodable, 9);
        QCOMPARE(
            EncodeDocument(text, encoding, {LineBreakVariant(4, LineEnd::CrLf)}).firstUnencodable,
            9);
    }
}

// A new page gets a final line break when saved, and only one, however often it is saved.
void TestLineEnds::newPageEndsWithOneLineBreak()
{
    test::FileSession s;
    s.files().NewDocument();
    s.type(QStringLiteral("new"));
    const QString path = s.docs() + QStringLiteral("/new.htm");
    s.prompts.planFileName(path);
    s.files().SaveDocumentAs();
    QCOMPARE(test::FileSession::read(path), QByteArray("new\r\n"));
    s.state.Doc.setModified(true);
    s.files().SaveDocument();
    QCOMPARE(test::FileSession::read(path), QByteArray("new\r\n"));
    QVERIFY(!s.prompts.unplanned);
}

QTEST_MAIN(TestLineEnds)
#include "tst_lineends.moc"
