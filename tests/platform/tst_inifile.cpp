#include "platform/codepage.h"
#include "platform/inifile.h"
#include "temphome.h"

#include <QtTest>

using namespace tl;
using tl::test::TempHome;

namespace
{

// CP932 bytes of "表ソ日本語": the first two characters end in 0x5C, the byte of "\".
const QByteArray kJapaneseCp932("\x95\x5c\x83\x5c\x93\xfa\x96\x7b\x8c\xea");
const QString kJapanese = QStringLiteral("表ソ日本語");
const QByteArray kBom("\xEF\xBB\xBF");

QByteArray Utf8(const char* text)
{
    return QByteArray(text);
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readValue_data();
    void readValue();
    void writeValue_data();
    void writeValue();
    void refusedWrite_data();
    void refusedWrite();
    void longValueIsCut_data();
    void longValueIsCut();
    void encodeCp932_data();
    void encodeCp932();
    void decodeSettingsText_data();
    void decodeSettingsText();
};

void TestIniFile::readValue_data()
{
    // A null file means no file at all.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray simple("[Sec]\r\nKey=v\r\n");
    QTest::newRow("exact_match") << simple << "Sec"
                                 << "Key"
                                 << "v";
    QTest::newRow("section_case_insensitive") << simple << "sEC"
                                              << "Key"
                                              << "v";
    QTest::newRow("key_case_insensitive") << simple << "Sec"
                                          << "KEY"
                                          << "v";
    QTest::newRow("missing_file_reads_empty") << QByteArray() << "Sec"
                                              << "Key"
                                              << "";
    QTest::newRow("missing_section_reads_empty") << simple << "Other"
                                                 << "Key"
                                                 << "";
    QTest::newRow("missing_key_reads_empty") << simple << "Sec"
                                             << "Other"
                                             << "";
    QTest::newRow("key_of_next_section_not_found") << QByteArray("[A]\r\n[B]\r\nk=1\r\n") << "A"
                                                   << "k"
                                                   << "";
    QTest::newRow("duplicate_key_first_wins") << QByteArray("[S]\r\nk=1\r\nK=2\r\n") << "S"
                                              << "k"
                                              << "1";
    QTest::newRow("duplicate_section_first_wins")
        << QByteArray("[S]\r\nk=1\r\n[s]\r\nk=2\r\n") << "S"
        << "k"
        << "1";
    QTest::newRow("key_only_in_second_duplicate_section_reads_empty")
        << QByteArray("[S]\r\nj=1\r\n[S]\r\nk=2\r\n") << "S"
        << "k"
        << "";
    QTest::newRow("lf_only_lines") << QByteArray("[A]\nx=1\n[B]\nk=2\n") << "B"
                                   << "k"
                                   << "2";
    QTest::newRow("cr_lf_lines") << QByteArray("[A]\r\nx=1\r\n[B]\r\nk=2\r\n") << "B"
                                 << "k"
                                 << "2";
    QTest::newRow("no_final_line_break") << QByteArray("[S]\r\nk=last") << "S"
                                         << "k"
                                         << "last";
    QTest::newRow("value_after_first_equals") << QByteArray("[S]\r\nk=a=b\r\n") << "S"
                                              << "k"
                                              << "a=b";
    QTest::newRow("value_keeps_outer_spaces") << QByteArray("[S]\r\nk=  v w  \r\n") << "S"
                                              << "k"
                                              << "  v w  ";
    QTest::newRow("spaces_around_names_ignored") << QByteArray(" [ S ] \r\n k =v\r\n") << "S"
                                                 << "k"
                                                 << "v";
    QTest::newRow("empty_value") << QByteArray("[S]\r\nk=\r\n") << "S"
                                 << "k"
                                 << "";
    QTest::newRow("cp932_value") << QByteArray("[S]\r\nk=" + kJapaneseCp932 + "\r\n") << "S"
                                 << "k" << kJapanese;
    QTest::newRow("cp932_key_with_5c_byte")
        << QByteArray("[S]\r\n" + kJapaneseCp932 + "=1\r\n") << "S" << kJapanese << "1";
    QTest::newRow("utf8_with_bom")
        << QByteArray(kBom + Utf8("[S]\r\nk=caf\xc3\xa9 \xf0\x9f\x98\x80\r\n")) << "S"
        << "k" << QStringLiteral("café 😀");
    // "あ" in UTF-8 followed by CR is not CP932; the file is read as the UTF-8 it is.
    QTest::newRow("utf8_without_bom") << QByteArray("[S]\r\nk=\xe3\x81\x82\r\n") << "S"
                                      << "k" << QStringLiteral("あ");
}

void TestIniFile::readValue()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    TempHome home;
    const QString path = home.file(QStringLiteral("t.ini"));
    if (!file.isNull())
        TempHome::writeBytes(path, file);
    QCOMPARE(GetPrivateProfileString(section, key, path), expected);
    QCOMPARE(QFile::exists(path), !file.isNull());
}

void TestIniFile::writeValue_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("creates_file") << QByteArray() << "S"
                                  << "k"
                                  << "v" << QByteArray("[S]\r\nk=v\r\n");
    QTest::newRow("creates_section_at_end") << QByteArray("[A]\r\na=1\r\n") << "B"
                                            << "b"
                                            << "2" << QByteArray("[A]\r\na=1\r\n[B]\r\nb=2\r\n");
    QTest::newRow("new_key_at_end_of_its_section")
        << QByteArray("[A]\r\na=1\r\n[B]\r\nb=2\r\n") << "a"
        << "c"
        << "3" << QByteArray("[A]\r\na=1\r\nc=3\r\n[B]\r\nb=2\r\n");
    QTest::newRow("new_key_before_blank_separator")
        << QByteArray("[A]\r\na=1\r\n\r\n[B]\r\n") << "A"
        << "c"
        << "3" << QByteArray("[A]\r\na=1\r\nc=3\r\n\r\n[B]\r\n");
    QTest::newRow("update_in_place_keeps_other_lines_and_key_spelling")
        << QByteArray("; note\r\n[A]\r\nx=0\r\nKey=old\r\ny=9\r\n[B]\r\nkey=b\r\n") << "a"
        << "KEY"
        << "new" << QByteArray("; note\r\n[A]\r\nx=0\r\nKey=new\r\ny=9\r\n[B]\r\nkey=b\r\n");
    QTest::newRow("update_first_duplicate_only")
        << QByteArray("[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n") << "A"
        << "k"
        << "x" << QByteArray("[A]\r\nk=x\r\nk=2\r\n[a]\r\nk=3\r\n");
    QTest::newRow("lf_input_written_with_cr_lf")
        << QByteArray("[A]\nk=1\n[B]\nj=2") << "A"
        << "k"
        << "x" << QByteArray("[A]\r\nk=x\r\n[B]\r\nj=2\r\n");
    QTest::newRow("keeps_outer_spaces") << QByteArray() << "S"
                                        << "k"
                                        << "  v  " << QByteArray("[S]\r\nk=  v  \r\n");
    QTest::newRow("empty_value") << QByteArray("[S]\r\nk=v\r\n") << "S"
                                 << "k"
                                 << "" << QByteArray("[S]\r\nk=\r\n");
    QTest::newRow("windows_path_key")
        << QByteArray("[Files]\r\n") << "Files"
        << R"(C:\site\index.htm+b.htm)"
        << R"(C:\site\sub\b.htm)"
        << QByteArray("[Files]\r\nC:\\site\\index.htm+b.htm=C:\\site\\sub\\b.htm\r\n");
    QTest::newRow("unix_path_key")
        << QByteArray("[Files]\r\n") << "Files"
        << "/home/u/site/index.htm+sub/b.htm"
        << "/home/u/site/sub/b.htm"
        << QByteArray("[Files]\r\n/home/u/site/index.htm+sub/b.htm=/home/u/site/sub/b.htm\r\n");
    QTest::newRow("japanese_stored_as_cp932")
        << QByteArray() << "S"
        << "k" << kJapanese << QByteArray("[S]\r\nk=" + kJapaneseCp932 + "\r\n");
    QTest::newRow("japanese_path_key_with_5c_bytes")
        << QByteArray() << "Files" << QStringLiteral(R"(C:\表\ソ.htm+b.htm)") << "x"
        << QByteArray("[Files]\r\nC:\\\x95\x5c\\\x83\x5c.htm+b.htm=x\r\n");
    // Nothing already in the file may be lost either: the Japanese line is converted too.
    QTest::newRow("emoji_switches_file_to_utf8_bom")
        << QByteArray("[S]\r\nj=" + kJapaneseCp932 + "\r\n") << "S"
        << "k" << QStringLiteral("😀")
        << QByteArray(kBom + Utf8("[S]\r\nj=\xe8\xa1\xa8\xe3\x82\xbd\xe6\x97\xa5\xe6\x9c\xac"
                                  "\xe8\xaa\x9e\r\nk=\xf0\x9f\x98\x80\r\n"));
    QTest::newRow("latin_accent_switches_file_to_utf8_bom")
        << QByteArray() << "S"
        << "k" << QStringLiteral("café") << QByteArray(kBom + Utf8("[S]\r\nk=caf\xc3\xa9\r\n"));
    // ICU turns U+301C into nothing it can write: the wave dash must not become "～".
    QTest::newRow("wave_dash_kept_via_utf8")
        << QByteArray() << "S"
        << "k" << QStringLiteral("〜") << QByteArray(kBom + Utf8("[S]\r\nk=\xe3\x80\x9c\r\n"));
    QTest::newRow("utf8_file_returns_to_cp932_when_it_can")
        << QByteArray(kBom + Utf8("[S]\r\nk=caf\xc3\xa9\r\n")) << "S"
        << "k" << kJapanese << QByteArray("[S]\r\nk=" + kJapaneseCp932 + "\r\n");
}

void TestIniFile::writeValue()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    TempHome home;
    const QString path = home.file(QStringLiteral("t.ini"));
    if (!before.isNull())
        TempHome::writeBytes(path, before);
    QVERIFY(WritePrivateProfileString(section, key, value, path));
    QCOMPARE(TempHome::readBytes(path), after);
    QCOMPARE(GetPrivateProfileString(section, key, path), value);
}

void TestIniFile::refusedWrite_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    const QByteArray file("[S]\r\nk=v\r\n");
    QTest::newRow("value_with_lf") << file << "S"
                                   << "k"
                                   << "a\nb";
    QTest::newRow("value_with_cr") << file << "S"
                                   << "k"
                                   << "a\rb";
    QTest::newRow("key_with_cr_lf") << file << "S"
                                    << "k\r\nx"
                                    << "v";
    QTest::newRow("key_with_equals") << file << "S"
                                     << "a=b"
                                     << "v";
    QTest::newRow("key_starting_with_bracket") << file << "S"
                                               << "[x"
                                               << "v";
    QTest::newRow("key_starting_with_space_and_bracket") << file << "S"
                                                         << " [x"
                                                         << "v";
    QTest::newRow("section_with_lf") << file << "S\nT"
                                     << "k"
                                     << "v";
    QTest::newRow("section_with_bracket") << file << "S]"
                                          << "k"
                                          << "v";
    QTest::newRow("value_with_lone_surrogate") << file << "S"
                                               << "k" << QString(QChar(0xD83D));
    QTest::newRow("refused_value_creates_no_file") << QByteArray() << "S"
                                                   << "k"
                                                   << "a\nb";
    // "\x82" before CR is neither CP932 nor UTF-8: rewriting would turn it into U+FFFD.
    QTest::newRow("undecodable_file_left_alone") << QByteArray("[S]\r\nk=\x82\r\nj=1\r\n") << "S"
                                                 << "j"
                                                 << "2";
}

void TestIniFile::refusedWrite()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);

    TempHome home;
    const QString path = home.file(QStringLiteral("t.ini"));
    if (!before.isNull())
        TempHome::writeBytes(path, before);
    QVERIFY(!WritePrivateProfileString(section, key, value, path));
    QCOMPARE(QFile::exists(path), !before.isNull());
    QCOMPARE(TempHome::readBytes(path), before.isNull() ? QByteArray() : before);
}

void TestIniFile::longValueIsCut_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    const QString ascii = QString(1500, u'x');
    QTest::newRow("1500_chars_cut_at_1023") << ascii << ascii.left(1023);
    QTest::newRow("exactly_1023_kept") << ascii.left(1023) << ascii.left(1023);
    QString japanese;
    while (japanese.size() < 1500)
        japanese += kJapanese;
    QTest::newRow("cut_counts_characters_not_bytes") << japanese << japanese.left(1023);
    // Character 1023 is the first half of an emoji: keeping it would leave a broken string.
    const QString pair = QString(1022, u'a') + QStringLiteral("😀b");
    QTest::newRow("cut_never_splits_a_pair") << pair << pair.left(1022);
}

void TestIniFile::longValueIsCut()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);

    TempHome home;
    const QString path = home.file(QStringLiteral("t.ini"));
    QVERIFY(WritePrivateProfileString(QStringLiteral("S"), QStringLiteral("k"), value, path));
    QCOMPARE(GetPrivateProfileString(QStringLiteral("S"), QStringLiteral("k"), path), expected);
    // Only reading cuts: the file keeps the whole value.
    QCOMPARE(IniDocument::load(path).lines().value(1), QStringLiteral("k=") + value);
}

void TestIniFile::encodeCp932_data()
{
    // A null result means "no CP932 form"; firstBad is FirstNonCp932Char's answer.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("firstBad");

    QTest::newRow("ascii_with_backslash_and_tilde") << R"(a\~)" << QByteArray("a\\~") << -1;
    QTest::newRow("japanese") << kJapanese << kJapaneseCp932 << -1;
    QTest::newRow("halfwidth_katakana") << QStringLiteral("ｱ") << QByteArray("\xb1") << -1;
    QTest::newRow("nec_circled_digit") << QStringLiteral("①") << QByteArray("\x87\x40") << -1;
    QTest::newRow("ibm_extension") << QStringLiteral("髙") << QByteArray("\xfb\xfc") << -1;
    QTest::newRow("control_bytes_map_to_themselves")
        << QStringLiteral("\x1A\x1C\x7F") << QByteArray("\x1A\x1C\x7F") << -1;
    QTest::newRow("fullwidth_tilde") << QStringLiteral("～") << QByteArray("\x81\x60") << -1;
    QTest::newRow("wave_dash") << QStringLiteral("a〜") << QByteArray() << 1;
    QTest::newRow("latin_accent") << QStringLiteral("表é") << QByteArray() << 1;
    QTest::newRow("yen_sign") << QStringLiteral("¥") << QByteArray() << 0;
    QTest::newRow("emoji") << QStringLiteral("ab😀") << QByteArray() << 2;
    QTest::newRow("byte_order_mark_char") << QString(QChar(0xFEFF)) << QByteArray() << 0;
    // ICU writes this private-use character as 0x8782 without an error; it reads back as "№".
    QTest::newRow("private_use_without_round_trip") << QString(QChar(0xF86F)) << QByteArray() << 0;
    QTest::newRow("lone_surrogate") << QStringLiteral("x") + QChar(0xDC00) << QByteArray() << 1;
}

void TestIniFile::encodeCp932()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(int, firstBad);

    const std::optional<QByteArray> encoded = EncodeCp932(text);
    QCOMPARE(encoded.has_value(), !bytes.isNull());
    if (encoded) {
        QCOMPARE(*encoded, bytes);
        bool ok = false;
        QCOMPARE(DecodeCp932(*encoded, &ok), text);
        QVERIFY(ok);
    }
    QCOMPARE(FirstNonCp932Char(text), qsizetype(firstBad));
}

void TestIniFile::decodeSettingsText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");

    QTest::newRow("cp932") << QByteArray("a" + kJapaneseCp932) << "a" + kJapanese << true;
    QTest::newRow("utf8_with_bom") << QByteArray(kBom + Utf8("caf\xc3\xa9")) << "café" << true;
    // Only the file's own mark goes: a U+FEFF that starts the text stays.
    QTest::newRow("utf8_bom_then_feff_char")
        << QByteArray(kBom + kBom + "x") << QString(QChar(0xFEFF)) + u'x' << true;
    QTest::newRow("utf8_without_bom") << QByteArray("\xe3\x81\x82\r\n") << "あ\r\n" << true;
    // A file that ends in the middle of a character must not lose that byte unnoticed.
    // What undecodable bytes turn into is the converter's business; that they are reported is
    // ours, so those rows give no text.
    QTest::newRow("cut_lead_byte") << QByteArray("ab\x95") << QString() << false;
    QTest::newRow("neither_cp932_nor_utf8") << QByteArray("\x82\r\n") << QString() << false;
    QTest::newRow("bad_utf8_after_bom") << QByteArray(kBom + "\xff") << QString() << false;
}

void TestIniFile::decodeSettingsText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, ok);

    bool decodedOk = !ok;
    const QString decoded = DecodeSettingsText(bytes, &decodedOk);
    QCOMPARE(decodedOk, ok);
    if (ok)
        QCOMPARE(decoded, text);
    QCOMPARE(IniDocument::fromBytes(bytes).intact(), ok);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
