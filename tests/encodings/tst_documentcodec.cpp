#include "encodings/documentcodec.h"
#include "encodings/encodingguess.h"

#include <QFile>
#include <QStringEncoder>
#include <QtTest>

using namespace tl;
using Kind = TextEncoding::Kind;
using Forms = QHash<char32_t, QByteArray>;

// How a fixture's bytes compare with what saving its decoded text gives. Told: they differ,
// and the opening says where.
enum class Saved { AsRead, Told, NotChecked };

Q_DECLARE_METATYPE(tl::TextEncoding)
Q_DECLARE_METATYPE(tl::ByteVariants)
Q_DECLARE_METATYPE(Saved)
Q_DECLARE_METATYPE(tl::TextEncoding::Kind)

namespace
{

QString Str(QStringView text)
{
    return text.toString();
}

QByteArray ReadFixture(const QString& name)
{
    QFile file(QStringLiteral(TAGLOOM_TEST_FIXTURES "/encodings/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString WithCrLf(QString text)
{
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

TextEncoding Encoding(Kind kind, QByteArray name = {}, bool bom = false)
{
    TextEncoding encoding;
    encoding.kind = kind;
    encoding.name = std::move(name);
    encoding.bom = bom;
    return encoding;
}

TextEncoding Named(const char* name)
{
    return Encoding(Kind::Named, name);
}

} // namespace

class TestDocumentCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fixtures_data();
    void fixtures();
    void detection_data();
    void detection();
    void plausibleReading_data();
    void plausibleReading();
    void generatedKanaLinesReadAsCp932();
    void cp932ValidityMatchesTheDecoder();
    void decoding_data();
    void decoding();
    void lineBreaks_data();
    void lineBreaks();
    void duplicateForms_data();
    void duplicateForms();
    void keptFormsNeedTheirCharacter();
    void shiftJisAliasTakesTheCp932Rules();
    void inexactRoundTrip_data();
    void inexactRoundTrip();
    void undeclaredEucJp_data();
    void undeclaredEucJp();
    void cp932PairsOutsideFormRowsRoundTrip();
    void roundTrip_data();
    void roundTrip();
    void unencodable_data();
    void unencodable();
    void displayName_data();
    void displayName();
    void lineNumber_data();
    void lineNumber();
};

void TestDocumentCodec::fixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("undecodable");
    QTest::addColumn<bool>("normalized");
    QTest::addColumn<Saved>("saved");

    QTest::newRow("cp932_declared_nec_forms")
        << "sjis_nec.htm" << Encoding(Kind::Cp932)
        << Str(u"<html>\n<head>\n"
               u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
               u"<title>表示</title>\n</head>\n<body>\n"
               u"<p>\uFF71\uFF72\uFF73 ソフトの能力</p>\n"
               u"<p>\u2460\u2160\u2235 \u7E8A</p>\n"
               u"<p>C:\\www\\ ~ \uFF5E</p>\n</body>\n</html>\n")
        << false << false << Saved::AsRead;
    QTest::newRow("cp932_undeclared_ibm_forms")
        << "sjis_ibm.htm" << Encoding(Kind::Cp932)
        << Str(u"<html>\n<body>\n<p>日本語 \uFF76\uFF80\uFF76\uFF85</p>\n"
               u"<p>\u2170\u2160\uFFE2\u7E8A\u2235</p>\n</body>\n</html>\n")
        << false << false << Saved::AsRead;
    QTest::newRow("cp932_lf_only")
        << "sjis_lf.htm" << Encoding(Kind::Cp932) << Str(u"<html>\n<p>日本語</p>\n</html>\n")
        << false << true << Saved::AsRead;
    QTest::newRow("cp932_invalid_bytes")
        << "sjis_invalid.htm" << Encoding(Kind::Cp932) << Str(u"<p>a\u001A b\u001Ac 日本</p>\n")
        << true << false << Saved::NotChecked;
    QTest::newRow("utf8_sniffed")
        << "utf8.htm" << Encoding(Kind::Utf8)
        << Str(u"<html>\n<body>\n<p>\U0001F600 caf\u00E9 日本語</p>\n</body>\n</html>\n") << false
        << false << Saved::AsRead;
    QTest::newRow("utf8_bom") << "utf8_bom.htm" << Encoding(Kind::Utf8, {}, true)
                              << Str(u"<html>\n<head>\n<meta charset=\"utf-8\">\n</head>\n"
                                     u"<body>\n<p>日本語</p>\n</body>\n</html>\n")
                              << false << false << Saved::AsRead;
    QTest::newRow("utf16le_bom") << "utf16le_bom.htm" << Encoding(Kind::Utf16LE, {}, true)
                                 << Str(u"<p>日本語 \U0001F600</p>\n<p>\uFF71</p>\n") << false
                                 << false << Saved::AsRead;
    QTest::newRow("cp932_one_character_in_several_forms")
        << "sjis_two_forms.htm" << Encoding(Kind::Cp932)
        << Str(u"<p>\u7E8A\u7E8A\u7E8A</p>\n<p>\u2235\u2235\u2235 \u2160\u2160</p>\n"
               u"<p>語\u7E8A</p>\n")
        << false << false << Saved::AsRead;
    QTest::newRow("iso2022jp_roman_escapes")
        << "iso2022jp.htm" << Named("iso-2022-jp")
        << Str(u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-2022-jp\">\n"
               u"<p>abc</p>\n<p>日本語</p>\n")
        << false << false << Saved::Told;
    QTest::newRow("eucjp_undeclared")
        << "eucjp_undeclared.htm" << Named("EUC-JP")
        << Str(u"<html>\n<body>\n<p>日本語のページです。</p>\n<p>こんにちは、世界。</p>\n"
               u"</body>\n</html>\n")
        << false << false << Saved::AsRead;
    QTest::newRow("eucjp_declared")
        << "eucjp.htm" << Named("EUC-JP")
        << Str(u"<html>\n<head>\n"
               u"<META http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\n"
               u"<title>日本語</title>\n</head>\n<body>\n"
               u"<p>こんにちは \uFF71\uFF72\uFF73</p>\n</body>\n</html>\n")
        << false << false << Saved::AsRead;
    QTest::newRow("eucjp_short_undeclared")
        << "eucjp_short.htm" << Named("EUC-JP") << Str(u"<html>\n<a href=x>ログイン</a>\n</html>")
        << false << false << Saved::AsRead;
}

void TestDocumentCodec::fixtures()
{
    QFETCH(QString, file);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, text);
    QFETCH(bool, undecodable);
    QFETCH(bool, normalized);
    QFETCH(Saved, saved);

    const QByteArray bytes = ReadFixture(file);
    // A missing fixture would decode as an empty CP932 document and pass the detection checks.
    QVERIFY2(!bytes.isEmpty(), qPrintable(file));

    const DecodedDocument doc = DecodeDocument(bytes);
    QCOMPARE(doc.encoding.kind, encoding.kind);
    QCOMPARE(doc.encoding.name, encoding.name);
    QCOMPARE(doc.encoding.bom, encoding.bom);
    QCOMPARE(doc.text, text);
    QCOMPARE(doc.undecodableBytes, undecodable);
    QCOMPARE(doc.lineBreaksNormalized, normalized);

    if (saved == Saved::NotChecked)
        return;
    QCOMPARE(doc.inexact.has_value(), saved == Saved::Told);
    const EncodedDocument out = EncodeDocument(WithCrLf(doc.text), doc.encoding, doc.forms);
    QCOMPARE(out.firstUnencodable, qsizetype(-1));
    QCOMPARE(out.bytes == bytes, saved != Saved::Told);
}

void TestDocumentCodec::detection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");

    QTest::newRow("utf8_bom_beats_declaration")
        << QByteArray("\xEF\xBB\xBF<meta charset=\"Shift_JIS\">") << Encoding(Kind::Utf8, {}, true);
    QTest::newRow("utf16be_bom") << QByteArrayLiteral("\xFE\xFF\x00<\x00p\x00>")
                                 << Encoding(Kind::Utf16BE, {}, true);
    QTest::newRow("meta_charset_attribute")
        << QByteArray("<html><head><meta charset=\"euc-jp\">") << Named("euc-jp");
    QTest::newRow("content_type_unquoted")
        << QByteArray("<META HTTP-EQUIV=Content-Type CONTENT=text/html;charset=windows-1252>")
        << Named("windows-1252");
    QTest::newRow("charset_spaced_and_single_quoted")
        << QByteArray("<meta charset = 'EUC-JP' />") << Named("EUC-JP");
    QTest::newRow("shift_jis_alias_beats_valid_utf8")
        << QByteArray("<meta charset=x-sjis><p>\xC3\xA9") << Encoding(Kind::Cp932);
    QTest::newRow("windows_31j_is_cp932")
        << QByteArray("<meta content='text/html; charset=Windows-31J' http-equiv='Content-Type'>")
        << Encoding(Kind::Cp932);
    // ICU ignores case and punctuation in names: "m\xED\xE5s932" is ms932, so Shift_JIS.
    QTest::newRow("shift_jis_spelled_with_other_bytes")
        << QByteArray("<meta charset=\"m\xED\xE5s932\">") << Encoding(Kind::Cp932);
    QTest::newRow("shift_jis_any_icu_alias")
        << QByteArray("<meta charset=x-ms-cp932>") << Encoding(Kind::Cp932);
    QTest::newRow("declared_utf8_on_ascii_page")
        << QByteArray("<meta charset=UTF-8><p>abc") << Encoding(Kind::Utf8);
    QTest::newRow("declared_utf16_ignored")
        << QByteArray("<meta charset=utf-16><p>abc") << Encoding(Kind::Cp932);
    // A charset that writes ASCII as other bytes cannot be what the page, read as ASCII, is in.
    for (const char* ebcdic : {"ibm-037", "cp037", "ebcdic-cp-us", "ibm-1047", "ibm-930"})
        QTest::newRow(qPrintable(QStringLiteral("ascii_incompatible_%1_ignored").arg(ebcdic)))
            << QByteArray("<meta charset=") + ebcdic + "><p>Ã©" << Encoding(Kind::Utf8);
    QTest::newRow("utf7_ignored") << QByteArray("<meta charset=utf-7><p>a+b")
                                  << Encoding(Kind::Cp932);
    QTest::newRow("unknown_charset_ignored")
        << QByteArray("<meta charset=klingon><p>caf\xC3\xA9") << Encoding(Kind::Utf8);
    QTest::newRow("second_meta_used_after_unknown")
        << QByteArray("<meta charset=klingon><meta charset=euc-jp>") << Named("euc-jp");
    QTest::newRow("meta_in_comment_ignored")
        << QByteArray("<!-- <meta charset=euc-jp> --><p>abc") << Encoding(Kind::Cp932);
    QTest::newRow("charset_outside_meta_ignored")
        << QByteArray("<p>charset=euc-jp</p>") << Encoding(Kind::Cp932);
    QTest::newRow("meta_past_4kb_ignored")
        << QByteArray(4096, ' ') + "<meta charset=euc-jp>" << Encoding(Kind::Cp932);
    QTest::newRow("valid_utf8") << QByteArray("<p>caf\xC3\xA9") << Encoding(Kind::Utf8);
    QTest::newRow("plain_ascii_is_cp932") << QByteArray("<p>abc</p>") << Encoding(Kind::Cp932);
    QTest::newRow("empty_is_cp932") << QByteArray() << Encoding(Kind::Cp932);
    QTest::newRow("cp932_is_not_utf8") << QByteArray("\x93\xFA\x96\x7B") << Encoding(Kind::Cp932);
    QTest::newRow("overlong_utf8_is_not_utf8") << QByteArray("\xC0\xAF") << Encoding(Kind::Cp932);
    QTest::newRow("surrogate_utf8_is_not_utf8")
        << QByteArray("\xED\xA0\x80") << Encoding(Kind::Cp932);
    QTest::newRow("cut_short_utf8_is_not_utf8")
        << QByteArray("\xE6\x97\xA5\xE6\x97") << Encoding(Kind::Cp932);
}

void TestDocumentCodec::detection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);

    const DecodedDocument doc = DecodeDocument(bytes);
    QCOMPARE(doc.encoding.kind, encoding.kind);
    QCOMPARE(doc.encoding.name, encoding.name);
    QCOMPARE(doc.encoding.bom, encoding.bom);
}

// Pages without a byte order mark or a declaration whose bytes are valid both as UTF-8 and as
// CP932: the reading that makes sense wins.
void TestDocumentCodec::plausibleReading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("writtenInCp932"); // else in UTF-8
    // Short half-width kana pages read as UTF-8 mix scripts in a word or make a lone letter.
    for (const char16_t* kana : {u"<P>ﾅｶﾞｲ ﾏｽ</P>\r\n", u"<P>ﾈｺ</P>", u"<P>ﾃｨ ﾏｽ</P>",
                                 u"<TITLE>ﾊｲ</TITLE>\r\n", u"<B>ﾏｲ ﾆｰ</B>"})
        QTest::newRow(qPrintable(QString::fromUtf16(kana))) << QString::fromUtf16(kana) << true;
    // Latin words with accents read as CP932 glue kana to Latin letters.
    for (const char16_t* latin :
         {u"<P>café</P>\r\n", u"<P>naïve</P>", u"<P>Ärger</P>", u"<P>Œuvre</P>",
          u"<P>© 2026 Tagloom</P>", u"<P>Un café, s'il vous plaît.</P>\r\n"})
        QTest::newRow(qPrintable(QString::fromUtf16(latin))) << QString::fromUtf16(latin) << false;
    // Short Japanese pages in UTF-8 that CP932 reads as mojibake (縺薙ｓ縺ｫ縺｡縺ｯ).
    for (const char16_t* japanese : {u"<P>こんにちは</P>\r\n", u"<H1>東京</H1>\r\n",
                                     u"<P>プロフィール</P>", u"<P>更新履歴</P>\r\n"})
        QTest::newRow(qPrintable(QString::fromUtf16(japanese)))
            << QString::fromUtf16(japanese) << false;
    // Whole pages of both kinds.
    QTest::newRow("utf8_japanese_page")
        << Str(u"<HTML>\r\n<HEAD>\r\n<TITLE>ようこそ</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
               u"<H1>お知らせ</H1>\r\n<P>こんにちは</P>\r\n<P>写真</P>\r\n"
               u"<P>掲示板</P>\r\n<P>料金表</P>\r\n<P>メニュー</P>\r\n</BODY>\r\n</HTML>\r\n")
        << false;
    QTest::newRow("cp932_kana_page")
        << Str(u"<HTML>\r\n<HEAD>\r\n<TITLE>ﾏｽ</TITLE>\r\n</HEAD>\r\n<BODY BGCOLOR=\"#FFFFFF\">"
               u"\r\n<P ALIGN=CENTER>ﾅｶﾞｲ ﾏｽ ﾈｺ</P>\r\n<HR>\r\n<P>ﾏｲ ﾆｰ</P>\r\n</BODY>\r\n"
               u"</HTML>\r\n")
        << true;
}

void TestDocumentCodec::plausibleReading()
{
    QFETCH(QString, text);
    QFETCH(bool, writtenInCp932);

    QStringEncoder encoder(writtenInCp932 ? "Shift_JIS" : "UTF-8");
    const QByteArray bytes = encoder.encode(text);
    QVERIFY(!encoder.hasError());
    // Each row is ambiguous: both readings decode without an error.
    QStringDecoder utf8("UTF-8");
    const QString asUtf8 = utf8.decode(bytes);
    QVERIFY2(!utf8.hasError(), "not valid UTF-8");
    QVERIFY2(IsValidCp932(bytes), "not valid CP932");

    const DecodedDocument doc = DecodeDocument(bytes);
    QCOMPARE(doc.encoding.kind, writtenInCp932 ? Kind::Cp932 : Kind::Utf8);
    QCOMPARE(doc.text, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QVERIFY(!doc.undecodableBytes);
}

// Lines of random half-width kana words: nearly every one that happens to be valid UTF-8 too
// is still read as CP932.
void TestDocumentCodec::generatedKanaLinesReadAsCp932()
{
    quint32 seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(n));
    };
    QStringEncoder encoder("Shift_JIS");
    int ambiguous = 0;
    QStringList readAsUtf8;
    for (int line = 0; line < 2000; ++line) {
        QString text = QStringLiteral("<P>");
        const int words = 1 + next(3);
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                text += u' ';
            const int length = 2 + next(4);
            for (int k = 0; k < length; ++k)
                text += QChar(0xFF66 + next(0xFF9E - 0xFF66));
        }
        text += QStringLiteral("</P>");
        const QByteArray bytes = encoder.encode(text);
        QStringDecoder utf8("UTF-8");
        const QString asUtf8 = utf8.decode(bytes);
        if (utf8.hasError())
            continue;
        ++ambiguous;
        if (DecodeDocument(bytes).encoding.kind != Kind::Cp932)
            readAsUtf8 << text + QStringLiteral(" -> ") + asUtf8;
    }
    // The sweep reaches the ambiguous case often enough to mean something.
    qInfo("kana lines valid as UTF-8 too: %d, read as UTF-8: %d", ambiguous,
          int(readAsUtf8.size()));
    QVERIFY(ambiguous > 50);
    // What may stay UTF-8 cannot be told apart at all: a lone symbol (ﾂｰ is also °) or two
    // letters of one script (ﾐｽﾐｹ is also нй); with 100 times as many lines, about 3% do.
    QVERIFY2(readAsUtf8.size() * 20 <= ambiguous,
             qPrintable(QString::number(readAsUtf8.size()) + u'/' + QString::number(ambiguous) +
                        u' ' + readAsUtf8.join(u' ')));
}

// IsValidCp932 agrees with ICU on every double-byte pair, and refuses the bytes that are no
// character (0x80, 0xA0, 0xFD-0xFF) and a lead byte at the end.
void TestDocumentCodec::cp932ValidityMatchesTheDecoder()
{
    int assigned = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            QStringDecoder decoder("Shift_JIS", QStringConverter::Flag::Stateless);
            const QString text = decoder.decode(QByteArrayView(pair, 2));
            const bool valid = trail != 0x7F && !decoder.hasError() && text.size() == 1 &&
                               text[0] != QChar::ReplacementCharacter && text[0] != QChar(0x1A);
            QCOMPARE(IsValidCp932(QByteArrayView(pair, 2)), valid);
            assigned += valid;
        }
    }
    QVERIFY(assigned > 7000);
    for (const char* bytes : {"a\x80", "\xA0", "\xFD", "\xFF", "ab\x88"})
        QVERIFY2(!IsValidCp932(bytes), bytes);
    QVERIFY(IsValidCp932("\xB1\xDF abc"));
}

void TestDocumentCodec::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("undecodable");

    QTest::newRow("cp932_valid") << QByteArray("\x93\xFA\x96\x7B") << Str(u"日本") << false;
    QTest::newRow("cp932_lead_before_space") << QByteArray("\x81 a") << Str(u"\u001A a") << true;
    QTest::newRow("cp932_lone_ff") << QByteArray("a\xFF") << Str(u"a\u001A") << true;
    // Qt keeps a cut-off lead byte for a next call unless told the call is the last.
    QTest::newRow("cp932_lead_byte_at_end") << QByteArray("a\x81") << Str(u"a") << true;
    // ICU reads these bytes as U+001C, U+007F and U+001A; Windows as themselves.
    QTest::newRow("cp932_control_codes")
        << QByteArray("\x1A\x1C\x7F") << Str(u"\u001A\u001C\u007F") << false;
    QTest::newRow("cp932_unassigned_pair") << QByteArray("\x85\x40") << Str(u"\uFFFD") << true;
    QTest::newRow("utf8_invalid_after_bom") << QByteArray("\xEF\xBB\xBF"
                                                          "a\xFF")
                                            << Str(u"a\uFFFD") << true;
    QTest::newRow("utf8_second_bom_is_text") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                           "a")
                                             << Str(u"\uFEFFa") << false;
    // Qt's UTF-16 decoder gives U+FFFD for a trailing odd byte but counts no error.
    QTest::newRow("utf16le_odd_byte") << QByteArrayLiteral("\xFF\xFE"
                                                           "a\x00"
                                                           "b")
                                      << Str(u"a\uFFFD") << true;
    // Half of a surrogate pair could never be saved again.
    QTest::newRow("utf16le_lone_surrogate") << QByteArrayLiteral("\xFF\xFE"
                                                                 "a\x00\x00\xD8"
                                                                 "b\x00")
                                            << Str(u"a\uFFFDb") << true;
    QTest::newRow("eucjp_cut_short")
        << QByteArray("<meta charset=euc-jp>\xC6") << Str(u"<meta charset=euc-jp>") << true;
}

void TestDocumentCodec::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, undecodable);

    const DecodedDocument doc = DecodeDocument(bytes);
    QCOMPARE(doc.text, text);
    QCOMPARE(doc.undecodableBytes, undecodable);
}

void TestDocumentCodec::lineBreaks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("normalized");

    QTest::newRow("crlf") << QByteArray("a\r\nb") << Str(u"a\nb") << false;
    QTest::newRow("lone_lf") << QByteArray("a\nb") << Str(u"a\nb") << true;
    QTest::newRow("lone_cr") << QByteArray("a\rb") << Str(u"a\nb") << true;
    QTest::newRow("cr_then_crlf") << QByteArray("a\r\r\nb") << Str(u"a\n\nb") << true;
    QTest::newRow("lf_then_cr") << QByteArray("a\n\rb") << Str(u"a\n\nb") << true;
    QTest::newRow("trailing_lone_cr") << QByteArray("a\r") << Str(u"a\n") << true;
    QTest::newRow("trailing_crlf") << QByteArray("a\r\n") << Str(u"a\n") << false;
    QTest::newRow("utf16le_lone_cr") << QByteArrayLiteral("\xFF\xFE"
                                                          "a\x00\r\x00"
                                                          "b\x00")
                                     << Str(u"a\nb") << true;
}

void TestDocumentCodec::lineBreaks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, normalized);

    const DecodedDocument doc = DecodeDocument(bytes);
    QCOMPARE(doc.text, text);
    QCOMPARE(doc.lineBreaksNormalized, normalized);
}

void TestDocumentCodec::duplicateForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Forms>("forms");       // the page's usual forms
    QTest::addColumn<ByteVariants>("kept"); // occurrences in another form, where they stand
    QTest::addColumn<QByteArray>("saved");  // empty: the text cannot be saved (U+FFFD)

    QTest::newRow("windows_forms_record_nothing")
        << QByteArray("\x87\x54\xFA\x5C\x81\xE6") << Forms{} << ByteVariants{}
        << QByteArray("\x87\x54\xFA\x5C\x81\xE6");
    QTest::newRow("nec_row13_duplicate") << QByteArray("\x87\x9A") << Forms{{0x2235, "\x87\x9A"}}
                                         << ByteVariants{} << QByteArray("\x87\x9A");
    QTest::newRow("nec_selected_ibm") << QByteArray("\xED\x40") << Forms{{0x7E8A, "\xED\x40"}}
                                      << ByteVariants{} << QByteArray("\xED\x40");
    QTest::newRow("ibm_duplicates")
        << QByteArray("\xFA\x4A\xFA\x54") << Forms{{0x2160, "\xFA\x4A"}, {0xFFE2, "\xFA\x54"}}
        << ByteVariants{} << QByteArray("\xFA\x4A\xFA\x54");
    // A file that mixes forms gets the form it used most as its usual one; every occurrence of
    // another form is kept where it stands, so nothing changes.
    QTest::newRow("ed40_twice_fa5c_once")
        << QByteArray("\xED\x40\xED\x40\xFA\x5C") << Forms{{0x7E8A, "\xED\x40"}}
        << ByteVariants{{2, 0x7E8A, 0xFA5C}} << QByteArray("\xED\x40\xED\x40\xFA\x5C");
    QTest::newRow("most_used_form_wins")
        << QByteArray("\x87\x54\xFA\x4A\xFA\x4A") << Forms{{0x2160, "\xFA\x4A"}}
        << ByteVariants{{0, 0x2160, 0x8754}} << QByteArray("\x87\x54\xFA\x4A\xFA\x4A");
    QTest::newRow("tie_keeps_windows_form")
        << QByteArray("\xFA\x4A\x87\x54") << Forms{} << ByteVariants{{0, 0x2160, 0xFA4A}}
        << QByteArray("\xFA\x4A\x87\x54");
    QTest::newRow("most_used_of_three_forms")
        << QByteArray("\x81\xE6\x87\x9A\xFA\x5B\xFA\x5B") << Forms{{0x2235, "\xFA\x5B"}}
        << ByteVariants{{0, 0x2235, 0x81E6}, {1, 0x2235, 0x879A}}
        << QByteArray("\x81\xE6\x87\x9A\xFA\x5B\xFA\x5B");
    // ED here is the trail byte of 逸 (88 ED); ED 40 read from it would record 纊.
    QTest::newRow("trail_byte_is_not_a_lead")
        << QByteArray("\x88\xED\x40") << Forms{} << ByteVariants{} << QByteArray("\x88\xED\x40");
    QTest::newRow("lead_before_space_stands_alone")
        << QByteArray("\x81 \xED\x40") << Forms{{0x7E8A, "\xED\x40"}} << ByteVariants{}
        << QByteArray("\x1A \xED\x40");
    // Positions count the text as the editor holds it: every line break is CR LF (a lone LF or
    // CR becomes one), a bad byte or a half-width kana is one character.
    QTest::newRow("kept_after_lone_breaks_kana_and_bad_byte")
        << QByteArray("a\nb\rc\r\n\x81 \xB1\xFA\x5C\xED\x40\xED\x40") << Forms{{0x7E8A, "\xED\x40"}}
        << ByteVariants{LineBreakVariant(1, LineEnd::Lf),
                        LineBreakVariant(4, LineEnd::Cr),
                        {12, 0x7E8A, 0xFA5C}}
        << QByteArray("a\nb\rc\r\n\x1A \xB1\xFA\x5C\xED\x40\xED\x40");
    // An unassigned pair is one character (U+FFFD, which no file can hold), a user-defined one
    // a private-use character.
    QTest::newRow("kept_after_unassigned_pair")
        << QByteArray("\x85\x40\xF0\x40\xFA\x4A\x87\x54\x87\x54") << Forms{}
        << ByteVariants{{2, 0x2160, 0xFA4A}} << QByteArray();
    QTest::newRow("kept_after_user_defined_character")
        << QByteArray("\xF0\x40\xFA\x4A\x87\x54\x87\x54") << Forms{}
        << ByteVariants{{1, 0x2160, 0xFA4A}} << QByteArray("\xF0\x40\xFA\x4A\x87\x54\x87\x54");
}

void TestDocumentCodec::duplicateForms()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Forms, forms);
    QFETCH(ByteVariants, kept);
    QFETCH(QByteArray, saved);

    const DecodedDocument doc = DecodeDocument(bytes);
    QCOMPARE(doc.encoding.kind, Kind::Cp932);
    QCOMPARE(doc.encoding.preferredBytes, forms);
    QCOMPARE(doc.forms, kept);
    if (saved.isEmpty())
        return;
    const EncodedDocument out = EncodeDocument(WithCrLf(doc.text), doc.encoding, doc.forms);
    QCOMPARE(out.firstUnencodable, qsizetype(-1));
    QCOMPARE(out.bytes, saved);
}

// A kept form is written only where its character still stands, and only when its bytes are a
// form of that character: anything else would write another character than the text's.
void TestDocumentCodec::keptFormsNeedTheirCharacter()
{
    const TextEncoding cp932 = Encoding(Kind::Cp932);
    const QString text = Str(u"a\u7E8Ab\u7E8A");
    const ByteVariants forms = {
        {0, 0x7E8A, 0xED40}, // 'a' stands there
        {1, 0x7E8A, 0xED40}, // kept
        {3, 0x7E8A, 0x8754}, // 87 54 is Ⅰ, not 纊
        {9, 0x7E8A, 0xED40}, // past the end
    };
    const EncodedDocument out = EncodeDocument(text, cp932, forms);
    QCOMPARE(out.firstUnencodable, qsizetype(-1));
    QCOMPARE(out.bytes, QByteArray("a\xED\x40"
                                   "b\xFA\x5C"));
}

// A page whose declaration names Shift_JIS in a spelling only ICU knows takes the CP932 rules:
// control code 1C reads as itself, and every byte comes back, the declaration's own included.
// (A fuzz run found it; before, 1C read as U+007F and ED E5 was saved as FB 44.)
void TestDocumentCodec::shiftJisAliasTakesTheCp932Rules()
{
    const QByteArray bytes =
        QByteArray::fromHex("3c ab fb 44 73 3c 6d 65 74 61 20 63 68 61 72 73 65 "
                            "74 3d 22 6d ed e5 73 39 33 32 22 65 01 1c");
    QCOMPARE(bytes.size(), 31);
    const DecodedDocument doc = DecodeDocument(bytes);
    QCOMPARE(doc.encoding.kind, Kind::Cp932);
    QVERIFY(doc.text.endsWith(Str(u"e\u0001\u001C")));
    QCOMPARE(doc.text.at(2), doc.text.at(20)); // FB 44 and ED E5 are one character
    const EncodedDocument out = EncodeDocument(WithCrLf(doc.text), doc.encoding, doc.forms);
    QCOMPARE(out.bytes, bytes);
}

// Duplicate forms are looked for only in rows 81, 87, ED, EE and FA-FC; every assigned pair of
// every other row must come back as it was read, or files using it would change on saving.
void TestDocumentCodec::cp932PairsOutsideFormRowsRoundTrip()
{
    const QByteArray prefix = "<meta charset=Shift_JIS>";
    QByteArray candidates = prefix;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if ((lead > 0x9F && lead < 0xE0) || lead == 0x81 || lead == 0x87 || lead == 0xED ||
            lead == 0xEE || lead >= 0xFA)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail != 0x7F)
                candidates.append(char(lead)).append(char(trail));
        }
    }
    // Each candidate pair reads as one character; keep the assigned ones.
    const QString read = DecodeDocument(candidates).text.mid(prefix.size());
    QCOMPARE(read.size() * 2, candidates.size() - prefix.size());
    QByteArray assigned = prefix;
    for (qsizetype i = 0; i < read.size(); ++i) {
        if (read[i] != QChar::ReplacementCharacter)
            assigned.append(candidates.mid(prefix.size() + 2 * i, 2));
    }
    QVERIFY(assigned.size() > 15000);

    const DecodedDocument doc = DecodeDocument(assigned);
    QVERIFY(!doc.undecodableBytes);
    QCOMPARE(doc.encoding.preferredBytes, Forms{});
    QCOMPARE(doc.forms, ByteVariants{});
    QCOMPARE(EncodeDocument(doc.text, doc.encoding).bytes, assigned);
}

void TestDocumentCodec::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("cp932_control_codes") << QByteArray("a\x1A\x1C\x7F\r\n\x93\xFA\x1A");
    QTest::newRow("utf16be_bom") << QByteArrayLiteral(
        "\xFE\xFF\x00<\x00p\x00>\x65\xE5\x00\r\x00\n");
    QTest::newRow("utf8_two_boms") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                 "a\r\n");
    // The encoder must switch back to ASCII at the end even without a following character.
    QTest::newRow("iso2022jp_ending_in_kanji")
        << QByteArray("<meta charset=iso-2022-jp>\r\n\x1B$B\x46\x7C\x4B\x5C\x1B(B");
    QTest::newRow("windows1252") << QByteArray("<meta charset=windows-1252>\r\n\xE9\x80");
    QTest::newRow("latin1") << QByteArray("<meta charset=iso-8859-1>\r\n\xE9\xFF");
    QTest::newRow("shift_jis_alias_with_duplicate_forms")
        << QByteArray("<meta charset=\"m\xED\xE5s932\"><p>\xFB\x44\xED\xE5\x1C");
    // Saved unchanged, a page declaring an EBCDIC charset keeps every byte and line break.
    QTest::newRow("ebcdic_declaration_on_cp932_page")
        << QByteArray("<META charset=ibm-037>\r\n\x93\xFA\x96\x7B\r\n");
}

void TestDocumentCodec::roundTrip()
{
    QFETCH(QByteArray, bytes);

    const DecodedDocument doc = DecodeDocument(bytes);
    QVERIFY(!doc.undecodableBytes);
    QVERIFY(!doc.inexact);
    QCOMPARE(EncodeDocument(WithCrLf(doc.text), doc.encoding, doc.forms).bytes, bytes);
}

void TestDocumentCodec::inexactRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("line"); // 0: every byte comes back
    QTest::addColumn<qsizetype>("column");
    QTest::addColumn<qsizetype>("offset");

    const QByteArray iso = "<meta charset=iso-2022-jp>\r\n";
    // The encoder writes ASCII without the JIS X 0201 Roman escapes around it.
    QTest::newRow("iso2022jp_roman_around_ascii") << iso + "\x1B(Jabc\x1B(B\r\n"
                                                  << qsizetype(2) << qsizetype(1) << qsizetype(28);
    // After kanji the encoder goes back with ESC ( B where the file had ESC ( J.
    QTest::newRow("iso2022jp_roman_after_kanji") << iso + "\x1B$B\x46\x7C\x1B(Jx\r\n"
                                                 << qsizetype(2) << qsizetype(2) << qsizetype(35);
    QTest::newRow("iso2022jp_lone_lf_is_no_difference")
        << iso + "a\nb\x1B(Jc" << qsizetype(3) << qsizetype(2) << qsizetype(31);
    QTest::newRow("iso2022jp_as_written") << iso + "\x1B$B\x46\x7C\x1B(B\r\n"
                                          << qsizetype(0) << qsizetype(0) << qsizetype(0);
    QTest::newRow("eucjp_as_written") << QByteArray("<meta charset=euc-jp>\r\n\xC6\xFC\r\n")
                                      << qsizetype(0) << qsizetype(0) << qsizetype(0);
    QTest::newRow("utf16le_as_written") << QByteArrayLiteral("\xFF\xFE"
                                                             "a\x00\r\x00\n\x00")
                                        << qsizetype(0) << qsizetype(0) << qsizetype(0);
}

// Every charset but CP932 and UTF-8 is tried once at opening: where saving the text unchanged
// would first write other bytes.
void TestDocumentCodec::inexactRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, line);
    QFETCH(qsizetype, column);
    QFETCH(qsizetype, offset);

    const DecodedDocument doc = DecodeDocument(bytes);
    QVERIFY(!doc.undecodableBytes);
    QCOMPARE(doc.inexact.has_value(), line > 0);
    if (!doc.inexact)
        return;
    QCOMPARE(doc.inexact->line, line);
    QCOMPARE(doc.inexact->column, column);
    QCOMPARE(doc.inexact->offset, offset);
}

void TestDocumentCodec::undeclaredEucJp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("writtenIn");
    QTest::addColumn<Kind>("readAs");

    QTest::newRow("eucjp_kanji_and_kana")
        << Str(u"<P>日本語のページです。こんにちは、世界。</P>\r\n") << QByteArray("EUC-JP")
        << Kind::Named;
    QTest::newRow("eucjp_news_page")
        << Str(u"<HTML>\r\n<HEAD>\r\n<TITLE>お知らせ</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
               u"<H1>新着情報</H1>\r\n<P>ホームページを更新しました。掲示板もご覧ください。</P>\r\n"
               u"</BODY>\r\n</HTML>\r\n")
        << QByteArray("EUC-JP") << Kind::Named;
    // Half-width kana pages are often valid EUC-JP too; the CP932 reading makes sense.
    QTest::newRow("cp932_kana_valid_as_eucjp")
        << Str(u"<P>ﾅｶﾞｲ ﾏｽ ﾈｺ</P>\r\n") << QByteArray("Shift_JIS") << Kind::Cp932;
    QTest::newRow("cp932_japanese_page")
        << Str(u"<P>日本語のページです。こんにちは、世界。</P>\r\n") << QByteArray("Shift_JIS")
        << Kind::Cp932;
}

// Pages without a byte order mark or a declaration whose bytes are not UTF-8: EUC-JP when
// uchardet says so and CP932 cannot read them sensibly, CP932 otherwise.
void TestDocumentCodec::undeclaredEucJp()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, writtenIn);
    QFETCH(Kind, readAs);

    QStringEncoder encoder(writtenIn.constData());
    const QByteArray bytes = encoder.encode(text);
    QVERIFY(!encoder.hasError());
    const DecodedDocument doc = DecodeDocument(bytes);
    QCOMPARE(doc.encoding.kind, readAs);
    if (readAs == Kind::Named)
        QCOMPARE(doc.encoding.name, QByteArray("EUC-JP"));
    QCOMPARE(doc.text, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(EncodeDocument(text, doc.encoding, doc.forms).bytes, bytes);
}

void TestDocumentCodec::unencodable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<qsizetype>("index");

    QTest::newRow("e_acute_in_cp932") << Str(u"abc\u00E9") << Encoding(Kind::Cp932) << qsizetype(3);
    QTest::newRow("first_of_several_in_cp932")
        << Str(u"\u00E9日\u00E9") << Encoding(Kind::Cp932) << qsizetype(0);
    QTest::newRow("emoji_in_cp932_at_its_first_half")
        << Str(u"a\r\n\U0001F600") << Encoding(Kind::Cp932) << qsizetype(3);
    QTest::newRow("emoji_in_eucjp") << Str(u"日本\U0001F600") << Named("EUC-JP") << qsizetype(2);
    // The wave dash of JIS-based mappings; CP932 has only the full-width tilde U+FF5E.
    QTest::newRow("wave_dash_in_cp932") << Str(u"a\u301C") << Encoding(Kind::Cp932) << qsizetype(1);
    // ICU writes 87 82 for it, which reads back as U+2116 and would change the text.
    QTest::newRow("private_use_f86f_in_cp932")
        << Str(u"ab\uF86F") << Encoding(Kind::Cp932) << qsizetype(2);
    // ICU's substitute FC FC reads back as U+FFFD, so only the encoder's report finds it.
    QTest::newRow("replacement_character_in_cp932")
        << Str(u"a\r\n\uFFFD") << Encoding(Kind::Cp932) << qsizetype(3);
    // The first character that cannot be saved is named, not the first that reads back changed.
    QTest::newRow("replacement_character_before_e_acute_is_the_first")
        << Str(u"a\uFFFD b\u00E9") << Encoding(Kind::Cp932) << qsizetype(1);
    // Qt writes '?' for it and reports nothing.
    QTest::newRow("kanji_in_latin1") << Str(u"a日") << Named("ISO-8859-1") << qsizetype(1);
    QTest::newRow("lone_surrogate_in_utf8")
        << Str(u"ab") + QChar(char16_t(0xD800)) << Encoding(Kind::Utf8) << qsizetype(2);
    QTest::newRow("all_encodable") << Str(u"日本") << Encoding(Kind::Cp932) << qsizetype(-1);
}

void TestDocumentCodec::unencodable()
{
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    QFETCH(qsizetype, index);

    const EncodedDocument out = EncodeDocument(text, encoding);
    QCOMPARE(out.firstUnencodable, index);
    QCOMPARE(out.bytes.isEmpty(), index >= 0);
}

void TestDocumentCodec::displayName_data()
{
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("name");

    QTest::newRow("cp932") << Encoding(Kind::Cp932) << "Shift_JIS";
    QTest::newRow("utf8_bom") << Encoding(Kind::Utf8, {}, true) << "UTF-8";
    QTest::newRow("utf16le") << Encoding(Kind::Utf16LE, {}, true) << "UTF-16LE";
    QTest::newRow("utf16be") << Encoding(Kind::Utf16BE, {}, true) << "UTF-16BE";
    QTest::newRow("named_canonical") << Named("x-euc-jp") << "EUC-JP";
}

void TestDocumentCodec::displayName()
{
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, name);

    QCOMPARE(encoding.displayName(), name);
}

void TestDocumentCodec::lineNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("index");
    QTest::addColumn<qsizetype>("line");

    const QString text = QStringLiteral("a\r\nb\r\n\r\nc");
    QTest::newRow("start") << text << qsizetype(0) << qsizetype(1);
    QTest::newRow("at_cr") << text << qsizetype(1) << qsizetype(1);
    QTest::newRow("between_cr_and_lf") << text << qsizetype(2) << qsizetype(1);
    QTest::newRow("second_line") << text << qsizetype(3) << qsizetype(2);
    QTest::newRow("empty_line") << text << qsizetype(6) << qsizetype(3);
    QTest::newRow("last_character") << text << qsizetype(8) << qsizetype(4);
    QTest::newRow("end") << text << qsizetype(9) << qsizetype(4);
    QTest::newRow("past_end") << text << qsizetype(99) << qsizetype(4);
    QTest::newRow("negative") << text << qsizetype(-1) << qsizetype(1);
    QTest::newRow("empty_text") << QString() << qsizetype(0) << qsizetype(1);
}

void TestDocumentCodec::lineNumber()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, index);
    QFETCH(qsizetype, line);

    QCOMPARE(LineNumberOfIndex(text, index), line);
}

QTEST_GUILESS_MAIN(TestDocumentCodec)
#include "tst_documentcodec.moc"
