#include "core/appstate.h"
#include "files/settingsfiles.h"
#include "platform/inifile.h"
#include "platform/settingsstore.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QDir>
#include <QtTest>

using namespace tl;
using tl::test::ScriptedPrompter;
using tl::test::TempHome;

namespace
{

const QByteArray
    kFreshPathFile("[ImgFlgSection]\r\nImgFlg=2\r\n[Img]\r\nA=B\r\n[AspFilePath]\r\nA=B\r\n"
                   "[MDBFilePath]\r\nA=B\r\n[Print]\r\nA=B\r\n[Files]\r\nA=B\r\n");
// The fresh file after a path-list rewrite: every "A=B" gone, the sections kept.
const QString kRewrittenHead = QStringLiteral(
    "[ImgFlgSection]\r\nImgFlg=2\r\n[Img]\r\n[AspFilePath]\r\n[MDBFilePath]\r\n[Print]\r\n"
    "[Files]\r\n");

void Touch(const QString& path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    TempHome::writeBytes(path, "x");
}

QString PathFileText(const TempHome& home)
{
    return DecodeSettingsText(TempHome::readBytes(home.file(kPathFile)));
}

// A temporary folder with a document and the file one of its links points to, and a fresh
// TL_Path.ini in the program folder.
struct LinkFixture {
    TempHome home;
    QString doc = home.path() + QStringLiteral("/site/index.htm");
    QString target = home.path() + QStringLiteral("/site/sub/b.htm");
    QString line = doc + QStringLiteral("+b.htm=") + target + QStringLiteral("\r\n");

    LinkFixture()
    {
        Touch(doc);
        Touch(target);
        CreatePathIniFile(kPathFile);
    }
    // Replaces "{tmp}", "{doc}" and "{target}" in a test table's text.
    QString expand(QString s) const
    {
        return s.replace(QStringLiteral("{doc}"), doc)
            .replace(QStringLiteral("{target}"), target)
            .replace(QStringLiteral("{tmp}"), home.path());
    }
};

} // namespace

class TestSettingsFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readAndWriteIniValue();
    void createEmptyFileEmptiesExistingFile();
    void freshUserTextFile();
    void userTextsLoadAtLetterAndColumn();
    void freshPathFile();
    void imageSelectMode_data();
    void imageSelectMode();
    void recordLinkPathOnFreshFile();
    void recordLinkPathAgain_data();
    void recordLinkPathAgain();
    void recordLinkPathDropsEmptyValues();
    void recordLinkPathWithoutPathFile();
    void recordLinkPathKeepsNonCp932Paths();
    void recordLinkPathIgnored_data();
    void recordLinkPathIgnored();
    void lookUpLinkPath();
    void resolveLinkPath_data();
    void resolveLinkPath();
    void openLinkTarget_data();
    void openLinkTarget();
    void addRecentFileKeepsNine();
    void recentFilesEmptyWhenFirstIsEmpty();
};

void TestSettingsFiles::readAndWriteIniValue()
{
    TempHome home;
    // Absent file, then absent section and key: empty, and reading creates nothing.
    QCOMPARE(ReadIniValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("x.ini")),
             QString());
    QVERIFY(!QFile::exists(home.file(QStringLiteral("x.ini"))));
    WriteIniValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("表 v "),
                  QStringLiteral("x.ini"));
    QCOMPARE(ReadIniValue(QStringLiteral("S"), QStringLiteral("other"), QStringLiteral("x.ini")),
             QString());
    QCOMPARE(ReadIniValue(QStringLiteral("T"), QStringLiteral("k"), QStringLiteral("x.ini")),
             QString());
    QCOMPARE(ReadIniValue(QStringLiteral("s"), QStringLiteral("K"), QStringLiteral("x.ini")),
             QStringLiteral("表 v "));
    QCOMPARE(TempHome::readBytes(home.file(QStringLiteral("x.ini"))),
             QByteArray("[S]\r\nk=\x95\x5c v \r\n"));

    // cINI on its own, with a full path.
    cINI ini;
    ini.cstrSection = QStringLiteral("S");
    ini.cstrkey = QStringLiteral("j");
    ini.cstrData = QStringLiteral("2");
    ini.cstrPath = home.file(QStringLiteral("x.ini"));
    ini.WriteIni();
    QCOMPARE(ini.GetLineINI(), QStringLiteral("2"));
    QCOMPARE(TempHome::readBytes(ini.cstrPath), QByteArray("[S]\r\nk=\x95\x5c v \r\nj=2\r\n"));
}

void TestSettingsFiles::createEmptyFileEmptiesExistingFile()
{
    TempHome home;
    CreateEmptyFile(QStringLiteral("e.ini"));
    QVERIFY(QFile::exists(home.file(QStringLiteral("e.ini"))));
    QCOMPARE(TempHome::readBytes(home.file(QStringLiteral("e.ini"))), QByteArray(""));
    TempHome::writeBytes(home.file(QStringLiteral("e.ini")), "[S]\r\nk=v\r\n");
    CreateEmptyFile(QStringLiteral("e.ini"));
    QCOMPARE(TempHome::readBytes(home.file(QStringLiteral("e.ini"))), QByteArray(""));
}

void TestSettingsFiles::freshUserTextFile()
{
    TempHome home;
    // An old file's texts must not survive into the fresh one.
    TempHome::writeBytes(home.file(kUserTextFile), "[DATA1]\r\nA=old\r\n[Other]\r\nx=1\r\n");
    CreateUserTextFile(kUserTextFile);

    QByteArray expected;
    for (int n = 1; n <= 8; ++n) {
        expected += "[DATA" + QByteArray::number(n) + "]\r\n";
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            expected += QByteArray(1, letter) + "=\r\n";
    }
    QCOMPARE(TempHome::readBytes(home.file(kUserTextFile)), expected);

    ScriptedPrompter prompter;
    AppState state(prompter);
    for (UserTextEntry& entry : state.UserTextTable) {
        entry.texts.fill(QStringLiteral("stale"));
        entry.flag = 3;
    }
    LoadUserTexts(state);
    int emptyTexts = 0;
    for (const UserTextEntry& entry : state.UserTextTable) {
        for (const QString& text : entry.texts)
            emptyTexts += text.isEmpty() ? 1 : 0;
        QCOMPARE(entry.flag, 0);
    }
    QCOMPARE(emptyTexts, 208);
}

void TestSettingsFiles::userTextsLoadAtLetterAndColumn()
{
    TempHome home;
    CreateUserTextFile(kUserTextFile);
    WriteIniValue(QStringLiteral("DATA1"), QStringLiteral("A"), QStringLiteral("<br>"),
                  kUserTextFile);
    WriteIniValue(QStringLiteral("DATA3"), QStringLiteral("M"), QStringLiteral("表ソ"),
                  kUserTextFile);
    WriteIniValue(QStringLiteral("DATA8"), QStringLiteral("Z"), QStringLiteral(" a=b "),
                  kUserTextFile);

    ScriptedPrompter prompter;
    AppState state(prompter);
    LoadUserTexts(state);
    for (int i = 0; i < 26; ++i) {
        for (int n = 0; n < 8; ++n) {
            QString expected;
            if (i == 0 && n == 0)
                expected = QStringLiteral("<br>");
            else if (i == 12 && n == 2)
                expected = QStringLiteral("表ソ");
            else if (i == 25 && n == 7)
                expected = QStringLiteral(" a=b ");
            QVERIFY2(
                state.UserTextTable[size_t(i)].texts[size_t(n)] == expected,
                qPrintable(QStringLiteral("letter %1, DATA%2").arg(QChar(u'A' + i)).arg(n + 1)));
        }
    }
}

void TestSettingsFiles::freshPathFile()
{
    TempHome home;
    TempHome::writeBytes(home.file(kPathFile), "[Files]\r\nold+x=y\r\n");
    CreatePathIniFile(kPathFile);
    QCOMPARE(TempHome::readBytes(home.file(kPathFile)), kFreshPathFile);
    QCOMPARE(ReadImageSelectMode(), 2);
}

void TestSettingsFiles::imageSelectMode_data()
{
    // A null file means no TL_Path.ini at all.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("mode");

    QTest::newRow("fresh_file") << kFreshPathFile << 2;
    QTest::newRow("empty_value_counts_as_1") << QByteArray("[ImgFlgSection]\r\nImgFlg=\r\n") << 1;
    QTest::newRow("missing_file_counts_as_1") << QByteArray() << 1;
    QTest::newRow("one") << QByteArray("[ImgFlgSection]\r\nImgFlg=1\r\n") << 1;
    QTest::newRow("zero") << QByteArray("[ImgFlgSection]\r\nImgFlg=0\r\n") << 0;
}

void TestSettingsFiles::imageSelectMode()
{
    QFETCH(QByteArray, file);
    QFETCH(int, mode);

    TempHome home;
    if (!file.isNull())
        TempHome::writeBytes(home.file(kPathFile), file);
    QCOMPARE(ReadImageSelectMode(), mode);
}

void TestSettingsFiles::recordLinkPathOnFreshFile()
{
    LinkFixture f;
    RecordLinkPath(QStringLiteral("Files"), QStringLiteral("b.htm"), f.target, f.doc, {});
    QCOMPARE(PathFileText(f.home), kRewrittenHead + f.line);
}

void TestSettingsFiles::recordLinkPathAgain_data()
{
    QTest::addColumn<QString>("previousLinkText");
    QTest::addColumn<int>("copies");

    QTest::newRow("same_previous_text_replaces") << "b.htm" << 1;
    QTest::newRow("previous_text_matched_without_case") << "B.HTM" << 1;
    QTest::newRow("empty_previous_text_adds_a_copy") << "" << 2;
    QTest::newRow("other_previous_text_adds_a_copy") << "c.htm" << 2;
}

void TestSettingsFiles::recordLinkPathAgain()
{
    QFETCH(QString, previousLinkText);
    QFETCH(int, copies);

    LinkFixture f;
    RecordLinkPath(QStringLiteral("Files"), QStringLiteral("b.htm"), f.target, f.doc, {});
    RecordLinkPath(QStringLiteral("Files"), QStringLiteral("b.htm"), f.target, f.doc,
                   previousLinkText);
    QCOMPARE(PathFileText(f.home), kRewrittenHead + f.line.repeated(copies));
}

void TestSettingsFiles::recordLinkPathDropsEmptyValues()
{
    LinkFixture f;
    WriteIniValue(QStringLiteral("Img"), QStringLiteral("ImgPath"), QString(), kPathFile);
    WriteIniValue(QStringLiteral("Img"), QStringLiteral("ImgCopyPath"), QStringLiteral("/pics"),
                  kPathFile);
    WriteIniValue(QStringLiteral("Print"), QStringLiteral("Font"), QString(), kPathFile);
    WriteIniValue(QStringLiteral("Print"), QStringLiteral("FontSize"), QStringLiteral("12"),
                  kPathFile);
    // An empty value as the file's very last line, and blank lines before the end.
    TempHome::writeBytes(f.home.file(kPathFile),
                         TempHome::readBytes(f.home.file(kPathFile)) + "x+y=\r\n\r\n\r\n");
    RecordLinkPath(QStringLiteral("Files"), QStringLiteral("b.htm"), f.target, f.doc, {});
    QCOMPARE(PathFileText(f.home),
             QStringLiteral("[ImgFlgSection]\r\nImgFlg=2\r\n[Img]\r\nImgCopyPath=/pics\r\n"
                            "[AspFilePath]\r\n[MDBFilePath]\r\n[Print]\r\nFontSize=12\r\n"
                            "[Files]\r\n") +
                 f.line);
}

void TestSettingsFiles::recordLinkPathWithoutPathFile()
{
    LinkFixture f;
    QVERIFY(QFile::remove(f.home.file(kPathFile)));
    RecordLinkPath(QStringLiteral("Files"), QStringLiteral("b.htm"), f.target, f.doc, {});
    QCOMPARE(PathFileText(f.home), f.line);
}

void TestSettingsFiles::recordLinkPathKeepsNonCp932Paths()
{
    // "é" has no CP932 form: the whole file turns to UTF-8 rather than losing it.
    LinkFixture f;
    const QString doc = f.home.path() + QStringLiteral("/café/index.htm");
    Touch(doc);
    RecordLinkPath(QStringLiteral("Files"), QStringLiteral("b.htm"), f.target, doc, {});
    QCOMPARE(TempHome::readBytes(f.home.file(kPathFile)),
             "\xEF\xBB\xBF" + (kRewrittenHead + doc + QStringLiteral("+b.htm=") + f.target +
                               QStringLiteral("\r\n"))
                                  .toUtf8());
    QCOMPARE(LookUpLinkPath(doc, QStringLiteral("Files"), QStringLiteral("b.htm")), f.target);
}

void TestSettingsFiles::recordLinkPathIgnored_data()
{
    QTest::addColumn<QString>("linkText");
    QTest::addColumn<QString>("fullPath");
    QTest::addColumn<QString>("documentPath");
    QTest::addColumn<QByteArray>("before");

    QTest::newRow("missing_target") << "b.htm"
                                    << "{tmp}/site/sub/none.htm"
                                    << "{doc}" << kFreshPathFile;
    QTest::newRow("empty_target") << "b.htm"
                                  << ""
                                  << "{doc}" << kFreshPathFile;
    QTest::newRow("target_is_a_folder") << "b.htm"
                                        << "{tmp}/site/sub"
                                        << "{doc}" << kFreshPathFile;
    QTest::newRow("empty_link_text") << ""
                                     << "{target}"
                                     << "{doc}" << kFreshPathFile;
    // The key could never be looked up: the part before the first "=" is all of it.
    QTest::newRow("link_text_with_equals") << "b.asp?id=3"
                                           << "{target}"
                                           << "{doc}" << kFreshPathFile;
    QTest::newRow("link_text_with_line_break") << "b\r\n[Img]"
                                               << "{target}"
                                               << "{doc}" << kFreshPathFile;
    // "\x82" before CR is neither CP932 nor UTF-8: a rewrite would destroy it.
    QTest::newRow("undecodable_path_file")
        << "b.htm"
        << "{target}"
        << "{doc}" << QByteArray("[Img]\r\nImgPath=\x82\r\n[Files]\r\n");
}

void TestSettingsFiles::recordLinkPathIgnored()
{
    QFETCH(QString, linkText);
    QFETCH(QString, fullPath);
    QFETCH(QString, documentPath);
    QFETCH(QByteArray, before);

    LinkFixture f;
    TempHome::writeBytes(f.home.file(kPathFile), before);
    RecordLinkPath(QStringLiteral("Files"), linkText, f.expand(fullPath), f.expand(documentPath),
                   {});
    QCOMPARE(TempHome::readBytes(f.home.file(kPathFile)), before);
}

void TestSettingsFiles::lookUpLinkPath()
{
    LinkFixture f;
    const QString files = QStringLiteral("Files");
    QCOMPARE(LookUpLinkPath(f.doc, files, QStringLiteral("b.htm")), QString());
    RecordLinkPath(files, QStringLiteral("b.htm"), f.target, f.doc, {});
    QCOMPARE(LookUpLinkPath(f.doc, files, QStringLiteral("b.htm")), f.target);
    QCOMPARE(LookUpLinkPath(f.doc.toUpper(), files.toLower(), QStringLiteral("B.Htm")), f.target);
    QCOMPARE(LookUpLinkPath(f.doc, files, QString()), QString());
    QCOMPARE(LookUpLinkPath(f.doc, QStringLiteral("Img"), QStringLiteral("b.htm")), QString());
    QCOMPARE(LookUpLinkPath(f.doc, files, QStringLiteral("c.htm")), QString());
    // The first of two lines for one key wins.
    const QString other = f.home.path() + QStringLiteral("/other/b.htm");
    Touch(other);
    TempHome::writeBytes(
        f.home.file(kPathFile),
        TempHome::readBytes(f.home.file(kPathFile)) +
            (f.doc + QStringLiteral("+b.htm=") + other + QStringLiteral("\r\n")).toUtf8());
    QCOMPARE(LookUpLinkPath(f.doc, files, QStringLiteral("b.htm")), f.target);
    QVERIFY(QFile::remove(f.target));
    QCOMPARE(LookUpLinkPath(f.doc, files, QStringLiteral("b.htm")), QString());
}

void TestSettingsFiles::resolveLinkPath_data()
{
    QTest::addColumn<QString>("linkName");
    QTest::addColumn<QString>("fullPath");
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<QString>("expected");

    // Step 1 stops before any check, even for a name that is no existing file.
    QTest::newRow("equal_unchanged") << "b.htm"
                                     << "b.htm" << true << "b.htm";
    QTest::newRow("empty_is_looked_up") << "b.htm"
                                        << "" << true << "{target}";
    QTest::newRow("other_file_name_is_looked_up") << "b.htm"
                                                  << "{doc}" << true << "{target}";
    QTest::newRow("backslash_path_of_other_name_is_looked_up")
        << "b.htm"
        << R"(C:\site\c.htm)" << true << "{target}";
    QTest::newRow("same_file_name_kept") << "index.htm"
                                         << "{doc}" << true << "{doc}";
    QTest::newRow("same_file_name_vanished_is_emptied") << "b.htm"
                                                        << "{tmp}/gone/b.htm" << true << "";
    QTest::newRow("unknown_link_is_emptied") << "c.htm"
                                             << "{doc}" << true << "";
    QTest::newRow("vanished_target_is_emptied") << "b.htm"
                                                << "" << false << "";
}

void TestSettingsFiles::resolveLinkPath()
{
    QFETCH(QString, linkName);
    QFETCH(QString, fullPath);
    QFETCH(bool, targetExists);
    QFETCH(QString, expected);

    LinkFixture f;
    RecordLinkPath(QStringLiteral("Files"), QStringLiteral("b.htm"), f.target, f.doc, {});
    if (!targetExists)
        QVERIFY(QFile::remove(f.target));
    QString path = f.expand(fullPath);
    ResolveLinkPath(f.doc, linkName, path, QStringLiteral("Files"));
    QCOMPARE(path, f.expand(expected));
}

void TestSettingsFiles::openLinkTarget_data()
{
    QTest::addColumn<QString>("linkText");
    QTest::addColumn<QString>("fullPath");
    QTest::addColumn<int>("openResult");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("recorded");

    QTest::newRow("opened_and_recorded")
        << "b.htm"
        << "{target}" << 0 << QStringList{"close", "open {target}"} << true;
    QTest::newRow("failed_open_not_recorded")
        << "b.htm"
        << "{target}" << -1 << QStringList{"close", "open {target}"} << false;
    QTest::newRow("missing_file_does_nothing") << "b.htm"
                                               << "{tmp}/none.htm" << 0 << QStringList{} << false;
    QTest::newRow("empty_path_does_nothing") << "b.htm"
                                             << "" << 0 << QStringList{} << false;
    QTest::newRow("empty_link_text_does_nothing") << ""
                                                  << "{target}" << 0 << QStringList{} << false;
}

void TestSettingsFiles::openLinkTarget()
{
    QFETCH(QString, linkText);
    QFETCH(QString, fullPath);
    QFETCH(int, openResult);
    QFETCH(QStringList, calls);
    QFETCH(bool, recorded);

    LinkFixture f;
    QStringList seen;
    const bool opened =
        OpenLinkTarget([&] { seen << QStringLiteral("close"); },
                       [&](const QString& path) {
                           seen << QStringLiteral("open ") + path;
                           return openResult;
                       },
                       QStringLiteral("Files"), linkText, f.expand(fullPath), f.doc, {});
    for (QString& call : calls)
        call = f.expand(call);
    QCOMPARE(seen, calls);
    QCOMPARE(opened, recorded);
    if (recorded)
        QCOMPARE(PathFileText(f.home), kRewrittenHead + f.line);
    else
        QCOMPARE(TempHome::readBytes(f.home.file(kPathFile)), kFreshPathFile);
}

void TestSettingsFiles::addRecentFileKeepsNine()
{
    TempHome home;
    QStringList added;
    for (int i = 1; i <= 10; ++i) {
        added.prepend(QStringLiteral("/home/u/サイト %1/page.htm").arg(i));
        AddRecentFile(added.first());
    }
    const QStringList expected = added.mid(0, 9);
    QCOMPARE(ReadRecentFiles(), expected);
    QCOMPARE(SettingsStore::GetSetting(kRecentSection, QStringLiteral("RecentFile1")),
             added.first());
    QCOMPARE(SettingsStore::GetSetting(kRecentSection, QStringLiteral("RecentFile9")),
             QStringLiteral("/home/u/サイト 2/page.htm"));
    QVERIFY(!SettingsStore::HasSetting(kRecentSection, QStringLiteral("RecentFile10")));
}

void TestSettingsFiles::recentFilesEmptyWhenFirstIsEmpty()
{
    // Runs after the test above: a fresh settings folder must not see that test's list.
    TempHome home;
    QCOMPARE(ReadRecentFiles(), QStringList());
    SettingsStore::SaveSetting(kRecentSection, QStringLiteral("RecentFile2"),
                               QStringLiteral("/a.htm"));
    // The store follows XDG_CONFIG_HOME as it is now, not as it was at the first use.
    QVERIFY(QFile::exists(home.path() + QStringLiteral("/config/Tagloom/Tagloom.conf")));
    QCOMPARE(ReadRecentFiles(), QStringList());
    SettingsStore::SaveSetting(kRecentSection, QStringLiteral("RecentFile1"), QString());
    QCOMPARE(ReadRecentFiles(), QStringList());
    // An empty slot is not shifted, so RecentFile2 keeps its path and also moves to 3.
    AddRecentFile(QStringLiteral("/b.htm"));
    QCOMPARE(ReadRecentFiles(), (QStringList{QStringLiteral("/b.htm"), QStringLiteral("/a.htm"),
                                             QStringLiteral("/a.htm")}));
}

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
