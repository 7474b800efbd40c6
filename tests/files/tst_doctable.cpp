#include "core/doctable.h"
#include "files/filecommands.h"
#include "files/pagelist.h"
#include "files/paths.h"
#include "platform/errors.h"
#include "temphome.h"

#include <QDir>
#include <QSet>
#include <QtTest>

#include <cerrno>

using namespace tl;

namespace
{

DocTable TableOf(const QStringList& paths)
{
    DocTable t;
    for (const QString& p : paths)
        RegisterDocPath(t, p);
    return t;
}

QStringList PathsOf(const DocTable& t)
{
    QStringList paths;
    for (int i = 0; i < UsedSlotCount(t); ++i)
        paths << t[size_t(i)].Path;
    return paths;
}

} // namespace

class TestDocTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void registerKeepsOneEntryPerPathIgnoringCase();
    void fiftyFirstFileLandsInSlot49();
    void adjacentDocument_data();
    void adjacentDocument();
    void pathHelpers_data();
    void pathHelpers();
    void saveNames_data();
    void saveNames();
    void openDialogStartFolder_data();
    void openDialogStartFolder();
    void pageListReadsLinesIntoSlots();
    void pageListWithTooManyLinesKeepsWhatFits();
    void pageListUnreadableLines_data();
    void pageListUnreadableLines();
    void pageListReadMessage_data();
    void pageListReadMessage();
    void joinPageList_data();
    void joinPageList();
    void pageListWriteOneLinePerUsedSlot();
    void pageListNeverSplitsAPath();
    void pageListWriteWithEmptyTableKeepsOldFile();
};

void TestDocTable::registerKeepsOneEntryPerPathIgnoringCase()
{
    DocTable t = TableOf({"/s/a.htm", "/s/B.htm", "/s/b.HTM", "/s/c.htm"});
    QCOMPARE(PathsOf(t), QStringList({"/s/a.htm", "/s/B.htm", "/s/c.htm"}));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(t[size_t(i)].Number, i);
}

void TestDocTable::fiftyFirstFileLandsInSlot49()
{
    DocTable t;
    for (int i = 1; i <= 51; ++i)
        RegisterDocPath(t, QStringLiteral("/s/p%1.htm").arg(i));
    QCOMPARE(UsedSlotCount(t), 50);
    QCOMPARE(t[48].Path, QStringLiteral("/s/p49.htm"));
    QCOMPARE(t[49].Path, QStringLiteral("/s/p51.htm"));
    QCOMPARE(t[49].Number, 49);
    QVERIFY(t[50].isFree());
}

void TestDocTable::adjacentDocument_data()
{
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QStringList>("vanished");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("expected"); // empty: nothing to open

    const QStringList abc = {"/s/A.htm", "/s/B.htm", "/s/C.htm"};
    QTest::newRow("previous_from_C_is_B") << abc << QStringList() << "/s/C.htm" << -1 << "/s/B.htm";
    QTest::newRow("previous_from_A_is_nothing") << abc << QStringList() << "/s/A.htm" << -1 << "";
    QTest::newRow("next_from_A_is_B") << abc << QStringList() << "/s/A.htm" << 1 << "/s/B.htm";
    QTest::newRow("next_from_C_is_nothing") << abc << QStringList() << "/s/C.htm" << 1 << "";
    QTest::newRow("name_matched_ignoring_case")
        << abc << QStringList() << "/s/b.HTM" << 1 << "/s/C.htm";
    QTest::newRow("next_skips_vanished_B")
        << abc << QStringList{"/s/B.htm"} << "/s/A.htm" << 1 << "/s/C.htm";
    QTest::newRow("next_after_vanished_C_is_nothing")
        << abc << QStringList{"/s/C.htm"} << "/s/B.htm" << 1 << "";
    QTest::newRow("previous_skips_vanished_B")
        << abc << QStringList{"/s/B.htm"} << "/s/C.htm" << -1 << "/s/A.htm";
    QTest::newRow("untitled_previous_opens_last")
        << abc << QStringList() << "無題" << -1 << "/s/C.htm";
    QTest::newRow("untitled_next_opens_last") << abc << QStringList() << "無題" << 1 << "/s/C.htm";
    QTest::newRow("untitled_with_empty_table")
        << QStringList() << QStringList() << "無題" << 1 << "";
    QTest::newRow("no_document") << abc << QStringList() << "Tagloom" << 1 << "";
    QTest::newRow("empty_name") << abc << QStringList() << "" << -1 << "";
    QTest::newRow("page_not_in_table") << abc << QStringList() << "/s/D.htm" << 1 << "";
}

void TestDocTable::adjacentDocument()
{
    QFETCH(QStringList, pages);
    QFETCH(QStringList, vanished);
    QFETCH(QString, current);
    QFETCH(int, step);
    QFETCH(QString, expected);
    const QSet<QString> gone(vanished.begin(), vanished.end());
    const auto result = AdjacentDocument(TableOf(pages), current, step,
                                         [&](const QString& p) { return !gone.contains(p); });
    QCOMPARE(result.value_or(QString()), expected);
}

void TestDocTable::pathHelpers_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("slash");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("lastFolderAndName");
    QTest::newRow("windows_path") << "C:\\www\\site\\page.asp"
                                  << "C:/www/site/page.asp"
                                  << "page.asp"
                                  << "site/page.asp";
    QTest::newRow("single_backslash") << "C:\\page.asp"
                                      << "C:/page.asp"
                                      << "page.asp"
                                      << "C:";
    QTest::newRow("unix_path") << "/home/u/site/index.htm"
                               << "/home/u/site/index.htm"
                               << "index.htm"
                               << "/home/u/site/index.htm";
    QTest::newRow("name_only") << "index.htm"
                               << "index.htm"
                               << "index.htm"
                               << "index.htm";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
}

void TestDocTable::pathHelpers()
{
    QFETCH(QString, path);
    QFETCH(QString, slash);
    QFETCH(QString, fileName);
    QFETCH(QString, lastFolderAndName);
    QCOMPARE(ToSlashPath(path), slash);
    QCOMPARE(FileNameOf(path), fileName);
    QCOMPARE(LastFolderAndName(path), lastFolderAndName);
}

void TestDocTable::saveNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("backup");
    QTest::addColumn<QString>("undoubled");
    QTest::newRow("htm") << "/x/index.htm"
                         << "/x/index.bak"
                         << "/x/index.htm";
    QTest::newRow("html") << "/x/page.html"
                          << "/x/page.html.bak"
                          << "/x/page.html";
    QTest::newRow("no_extension") << "/x/readme"
                                  << "/x/readme.bak"
                                  << "/x/readme";
    QTest::newRow("asp") << "/x/a.asp"
                         << "/x/a.bak"
                         << "/x/a.asp";
    QTest::newRow("doubled_htm") << "/x/page.htm.htm"
                                 << "/x/page.htm.bak"
                                 << "/x/page.htm";
    QTest::newRow("doubled_txt") << "/x/Default.htm.TXT"
                                 << "/x/Default.htm.bak"
                                 << "/x/Default.htm";
    QTest::newRow("short") << "a.b"
                           << "a.b.bak"
                           << "a.b";
}

void TestDocTable::saveNames()
{
    QFETCH(QString, path);
    QFETCH(QString, backup);
    QFETCH(QString, undoubled);
    QCOMPARE(BackupPathFor(path), backup);
    QCOMPARE(DropDoubledExtension(path), undoubled);
}

void TestDocTable::openDialogStartFolder_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("expected");
    QTest::newRow("named_document_gives_its_folder") << "/prog"
                                                     << "/site/sub/a.htm"
                                                     << "/site/sub";
    QTest::newRow("windows_caption") << "/prog"
                                     << "C:\\site\\a.htm"
                                     << "C:\\site";
    // Without a page's folder, the user's usual folder (home here), never the program folder.
    QTest::newRow("no_document") << "/prog"
                                 << "Tagloom"
                                 << "{home}";
    QTest::newRow("untitled_has_no_folder") << "/prog"
                                            << "無題"
                                            << "{home}";
    QTest::newRow("empty_means_program_folder") << ""
                                                << "Tagloom"
                                                << "{home}";
    QTest::newRow("backslash_in_a_name") << "/prog"
                                         << "/site/back\\slash.htm"
                                         << "/site";
    QTest::newRow("other_folder_kept") << "/other"
                                       << "/site/a.htm"
                                       << "/other";
}

void TestDocTable::openDialogStartFolder()
{
    QFETCH(QString, start);
    QFETCH(QString, caption);
    QFETCH(QString, expected);
    test::TempHome home; // no folder remembered
    QCOMPARE(OpenDialogStartFolder(start, caption, QStringLiteral("/prog")),
             expected == u"{home}" ? QDir::homePath() : expected);
}

void TestDocTable::pageListReadsLinesIntoSlots()
{
    test::TempHome home;
    const QString file = home.file(kPageListFile);
    // The number field is not used: the line's position decides the slot. A comma inside the
    // path stays part of it.
    test::TempHome::writeBytes(file, "0,/s/a.htm\r\n7,/s/b,c.htm\r\n2,/s/\x95\x5c.htm\r\n");
    DocTable t;
    QVERIFY(ReadPageList(t, file));
    QCOMPARE(PathsOf(t), QStringList({"/s/a.htm", "/s/b,c.htm", "/s/表.htm"}));
    QCOMPARE(t[1].Number, 1);
    QCOMPARE(t[2].Number, 2);

    DocTable none;
    QVERIFY(!ReadPageList(none, home.file(QStringLiteral("missing.TL"))));
    QCOMPARE(UsedSlotCount(none), 0);
}

void TestDocTable::pageListWithTooManyLinesKeepsWhatFits()
{
    test::TempHome home;
    const QString file = home.file(kPageListFile);
    QByteArray bytes;
    for (int i = 0; i < 53; ++i)
        bytes += QByteArray::number(i) + ",/s/p" + QByteArray::number(i) + ".htm\r\n";
    test::TempHome::writeBytes(file, bytes);
    DocTable t;
    PageListRead read;
    QVERIFY(ReadPageList(t, file, &read));
    // Fifty pages, slot 50 empty as ever; the rest is reported, not an internal error.
    QCOMPARE(UsedSlotCount(t), 50);
    QCOMPARE(t[49].Path, QStringLiteral("/s/p49.htm"));
    QVERIFY(t[50].isFree());
    QCOMPARE(read.leftOut, QStringList({"50,/s/p50.htm", "51,/s/p51.htm", "52,/s/p52.htm"}));
    QVERIFY(!read.mustKeepFile());
    // Written back after the table's pages, nothing is lost.
    QVERIFY(WritePageList(t, file, read.leftOut));
    QCOMPARE(test::TempHome::readBytes(file), bytes);
}

void TestDocTable::pageListUnreadableLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QList<int>>("unreadable");
    QTest::newRow("intact_cp932") << QByteArray("0,/s/a.htm\r\n1,/s/\x95\x5c.htm\r\n")
                                  << QStringList({"/s/a.htm", "/s/表.htm"}) << QList<int>();
    QTest::newRow("bad_bytes_in_fourth_line")
        << QByteArray(
               "0,/s/a.htm\r\n1,/s/\x95\x5c.htm\r\n2,/s/c.htm\r\n3,/s/\x81\xFF\xFE\x80.htm\r\n"
               "4,/s/e.htm\r\n")
        << QStringList({"/s/a.htm", "/s/表.htm", "/s/c.htm", "/s/e.htm"}) << QList<int>{4};
    QTest::newRow("utf8_with_mark_bad_line")
        << QByteArray("\xEF\xBB\xBF"
                      "0,/s/\xE8\xA1\xA8.htm\n1,/s/\xFF.htm\n2,/s/\xE2\x82\xAC.htm")
        << QStringList({"/s/表.htm", "/s/€.htm"}) << QList<int>{2};
    QTest::newRow("bad_first_line_lone_cr")
        << QByteArray("0,/s/\x81\xFF\r1,/s/b.htm\r") << QStringList({"/s/b.htm"}) << QList<int>{1};
}

void TestDocTable::pageListUnreadableLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, paths);
    QFETCH(QList<int>, unreadable);
    DocTable t;
    const PageListRead read = ReadPageListBytes(t, bytes);
    QCOMPARE(PathsOf(t), paths);
    QCOMPARE(read.unreadableLines, unreadable);
    QCOMPARE(read.mustKeepFile(), !unreadable.isEmpty());
    QVERIFY(read.leftOut.isEmpty());
}

void TestDocTable::pageListReadMessage_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QList<int>>("unreadable");
    QTest::addColumn<QStringList>("leftOut");
    QTest::addColumn<QString>("expected");
    const QString head = QStringLiteral("ページ一覧 /p/TL_Files.TL");
    QTest::newRow("read_whole") << 0 << QList<int>() << QStringList() << QString();
    QTest::newRow("could_not_read")
        << EACCES << QList<int>() << QStringList()
        << head + QStringLiteral(" を読めません: 読む権限がありません。(Permission denied)\r\n"
                                 "前回のページは一覧に出せません。このファイルは終了時にも書き"
                                 "換えません。");
    QTest::newRow("unreadable_lines")
        << 0 << QList<int>{4, 7} << QStringList()
        << head + QStringLiteral(" の 4, 7 行目は文字を読めないため、一覧に入れていません。\r\n"
                                 "読めない行はそのまま残し、このファイルは終了時にも書き換えませ"
                                 "ん。");
    QTest::newRow("too_many_lines")
        << 0 << QList<int>() << QStringList({"50,/s/p,50.htm", "51,/s/p51.htm"})
        << head + QStringLiteral(" には 52 行あり、一覧に出せるページは 50 までです。残りの 2 行は"
                                 "一覧に入れていません。最初のページ: /s/p,50.htm\r\nこれらの行は"
                                 "終了時に一覧の後ろへそのまま書き戻します。");
}

void TestDocTable::pageListReadMessage()
{
    QFETCH(int, error);
    QFETCH(QList<int>, unreadable);
    QFETCH(QStringList, leftOut);
    QFETCH(QString, expected);
    PageListRead read;
    read.found = true;
    read.error = error;
    read.unreadableLines = unreadable;
    read.leftOut = leftOut;
    QCOMPARE(PageListReadMessage(read, QStringLiteral("/p/TL_Files.TL")), expected);
}

// A page opened at start joins the saved pages; in a full list it takes the last slot, and the
// saved page there moves to the lines kept past the fifty.
void TestDocTable::joinPageList_data()
{
    QTest::addColumn<int>("saved"); // pages /s/p0.htm ... in the table
    QTest::addColumn<QStringList>("leftOut");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("lastPaths"); // the table's last two pages after
    QTest::addColumn<QStringList>("leftOutAfter");
    QTest::newRow("room_left") << 3 << QStringList() << "/s/x.htm"
                               << QStringList{"/s/p2.htm", "/s/x.htm"} << QStringList();
    QTest::newRow("listed_already_in_another_case")
        << 3 << QStringList() << "/S/P1.HTM" << QStringList{"/s/p1.htm", "/s/p2.htm"}
        << QStringList();
    QTest::newRow("full_list_keeps_the_displaced_page")
        << 50 << QStringList{"50,/s/p50.htm"} << "/s/x.htm" << QStringList{"/s/p48.htm", "/s/x.htm"}
        << QStringList{"50,/s/p49.htm", "50,/s/p50.htm"};
    QTest::newRow("full_list_with_the_page_in_it")
        << 50 << QStringList() << "/s/p7.htm" << QStringList{"/s/p48.htm", "/s/p49.htm"}
        << QStringList();
}

void TestDocTable::joinPageList()
{
    QFETCH(int, saved);
    QFETCH(QStringList, leftOut);
    QFETCH(QString, path);
    QFETCH(QStringList, lastPaths);
    QFETCH(QStringList, leftOutAfter);
    DocTable t;
    for (int k = 0; k < saved; ++k)
        RegisterDocPath(t, QStringLiteral("/s/p%1.htm").arg(k));
    JoinPageList(t, leftOut, path);
    const QStringList paths = PathsOf(t);
    QCOMPARE(paths.size(), std::min(saved + (lastPaths.contains(path) ? 1 : 0), 50));
    QCOMPARE(paths.mid(paths.size() - 2), lastPaths);
    QCOMPARE(leftOut, leftOutAfter);
    for (int k = 0; k < paths.size(); ++k)
        QCOMPARE(t[size_t(k)].Number, k);
}

void TestDocTable::pageListWriteOneLinePerUsedSlot()
{
    test::TempHome home;
    const QString file = home.file(kPageListFile);
    test::TempHome::writeBytes(file, "old contents\r\n");
    DocTable t = TableOf({"/s/a.htm", "/s/b.htm", "/s/c.htm", "/s/d.htm", "/s/表.htm"});
    QVERIFY(WritePageList(t, file));
    QCOMPARE(test::TempHome::readBytes(file),
             QByteArray("0,/s/a.htm\r\n1,/s/b.htm\r\n2,/s/c.htm\r\n3,/s/d.htm\r\n"
                        "4,/s/\x95\x5c.htm\r\n"));

    DocTable full;
    for (int i = 0; i < 50; ++i)
        RegisterDocPath(full, QStringLiteral("/s/p%1.htm").arg(i));
    QVERIFY(WritePageList(full, file));
    const QByteArray written = test::TempHome::readBytes(file);
    QCOMPARE(written.count("\r\n"), 50);
    QVERIFY(written.endsWith("49,/s/p49.htm\r\n"));
}

// A path with a line break is never split into two pages: it is left out of the list.
void TestDocTable::pageListNeverSplitsAPath()
{
    test::TempHome home;
    const QString file = home.file(kPageListFile);
    DocTable t = TableOf({"/s/a.htm", "/s/x\ny.htm", "/s/b\r.htm", "/s/c.htm"});
    QVERIFY(WritePageList(t, file));
    QCOMPARE(test::TempHome::readBytes(file), QByteArray("0,/s/a.htm\r\n3,/s/c.htm\r\n"));
    DocTable back;
    QVERIFY(ReadPageList(back, file));
    QCOMPARE(UsedSlotCount(back), 2);
    QCOMPARE(back[1].Path, QStringLiteral("/s/c.htm"));
}

void TestDocTable::pageListWriteWithEmptyTableKeepsOldFile()
{
    test::TempHome home;
    const QString file = home.file(kPageListFile);
    test::TempHome::writeBytes(file, "0,/s/a.htm\r\n");
    QVERIFY(WritePageList(DocTable{}, file));
    QCOMPARE(test::TempHome::readBytes(file), QByteArray("0,/s/a.htm\r\n"));
}

QTEST_GUILESS_MAIN(TestDocTable)
#include "tst_doctable.moc"
