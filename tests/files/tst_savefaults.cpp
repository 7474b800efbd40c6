// Saves that meet a fault: a full disk, a backup that cannot be made, a name that is its own
// backup, a text no encoding can hold. After each, the file on disk must be whole (its old
// content), the page open and modified, and the message must name the path and the reason.
#include "files/pagelist.h"
#include "files/settingsfiles.h"
#include "filesession.h"
#include "namedpipe.h"
#include "nearlyfullfolder.h"
#include "platform/files.h"
#include "platform/inifile.h"

#include "platform/atomicwrite.h"

#include <QAction>
#include <QtTest>

#include <cerrno>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace tl;
using test::FileSession;
using test::NearlyFullFolder;

Q_DECLARE_METATYPE(tl::test::NearlyFullFolder::Kind)
Q_DECLARE_METATYPE(tl::FileKind)

namespace
{

// Faults tried and bytes of old content lost over the whole run, printed at the end.
int g_faults = 0;
qint64 g_bytesLost = 0;

// Counts one fault and the bytes of `before` that the file no longer holds.
void Tally(const QByteArray& before, const QByteArray& after)
{
    ++g_faults;
    if (after == before)
        return;
    qsizetype same = 0;
    while (same < before.size() && same < after.size() && before[same] == after[same])
        ++same;
    g_bytesLost += before.size() - same;
}

QByteArray Filled(qsizetype size, char c)
{
    QByteArray bytes(size - 2, c);
    return bytes + "\r\n";
}

// The folder's files other than the tmpfs filler: a temporary file left behind shows here.
QStringList FilesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(QStringLiteral("filler"));
    return names;
}

} // namespace

class TestSaveFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanupTestCase();
    void fullDiskKeepsPageAndBackup_data();
    void fullDiskKeepsPageAndBackup();
    void failedBackupKeepsOldBackup_data();
    void failedBackupKeepsOldBackup();
    void fullDiskKeepsSettingsFiles_data();
    void fullDiskKeepsSettingsFiles();
    void pageThatIsItsOwnBackupName_data();
    void pageThatIsItsOwnBackupName();
    void loneSurrogateLeftByTagDeleteNeverReachesTheFile();
    void failedUtf8RetryWritesNothing();
    void saveKeepsWhatTheFileIs();
    void readOnlyPageIsRefusedEvenToTheAdministrator();
    void inPlaceSaveOnAFullDiskChangesNothing();
    void pageInAReadOnlyFolder_data();
    void pageInAReadOnlyFolder();
    void pageReplacedByWhatIsNotAFile_data();
    void pageReplacedByWhatIsNotAFile();
    void failedModeChangeKeepsAPrivatePage();
};

void TestSaveFaults::cleanupTestCase()
{
    qInfo("save faults tried: %d, bytes of old content lost: %lld", g_faults,
          static_cast<long long>(g_bytesLost));
    QCOMPARE(g_bytesLost, qint64(0));
}

static void AddFolderKinds()
{
    QTest::addColumn<NearlyFullFolder::Kind>("kind");
    QTest::newRow("tmpfs") << NearlyFullFolder::Kind::Tmpfs;
    QTest::newRow("seam") << NearlyFullFolder::Kind::Seam;
}

void TestSaveFaults::fullDiskKeepsPageAndBackup_data()
{
    AddFolderKinds();
}

void TestSaveFaults::fullDiskKeepsPageAndBackup()
{
    QFETCH(NearlyFullFolder::Kind, kind);
    NearlyFullFolder folder(kind);
    if (!folder.ready())
        QSKIP("mounting a tmpfs needs root");
    FileSession s;
    const QString page = folder.file(QStringLiteral("page.htm"));
    const QByteArray old = Filled(6000, 'o');
    test::TempHome::writeBytes(page, old);
    QCOMPARE(s.files().OpenDocument(page), 0);
    // The backup (6,000 bytes, two pages of a tmpfs) fits; the grown page then does not.
    folder.leaveFree(8192);
    s.type(QString(4000, u'n'));

    s.files().SaveDocument();
    const QByteArray after = FileSession::read(page);
    Tally(old, after);
    QCOMPARE(after, old);
    QCOMPARE(FileSession::read(folder.file(QStringLiteral("page.bak"))), old);
    QCOMPARE(FilesIn(folder.path()), QStringList({"page.bak", "page.htm"}));
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].text,
             page + QStringLiteral("\r\nこのファイルに保存できませんでした。\r\n"
                                   "ディスクの空き領域が足りません。(No space left on device)"));
    QCOMPARE(s.prompts.messages[0].icon, MsgIcon::Exclamation);
}

void TestSaveFaults::failedBackupKeepsOldBackup_data()
{
    QTest::addColumn<NearlyFullFolder::Kind>("kind");
    QTest::addColumn<bool>("saveAnyway");
    QTest::newRow("tmpfs_not_saved") << NearlyFullFolder::Kind::Tmpfs << false;
    QTest::newRow("tmpfs_saved_without_backup") << NearlyFullFolder::Kind::Tmpfs << true;
    QTest::newRow("seam_not_saved") << NearlyFullFolder::Kind::Seam << false;
    QTest::newRow("seam_saved_without_backup") << NearlyFullFolder::Kind::Seam << true;
}

void TestSaveFaults::failedBackupKeepsOldBackup()
{
    QFETCH(NearlyFullFolder::Kind, kind);
    QFETCH(bool, saveAnyway);
    NearlyFullFolder folder(kind);
    if (!folder.ready())
        QSKIP("mounting a tmpfs needs root");
    FileSession s;
    const QString page = folder.file(QStringLiteral("page.htm"));
    const QString backup = folder.file(QStringLiteral("page.bak"));
    const QByteArray old = Filled(6000, 'o');
    const QByteArray oldBackup = Filled(100, 'b');
    test::TempHome::writeBytes(page, old);
    test::TempHome::writeBytes(backup, oldBackup);
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.box().SetText(QString(3000, u'n'));
    s.state.Doc.setModified(true);
    // The copy of the 6,000-byte page cannot be made; the new 3,000-byte page still fits.
    folder.leaveFree(4096);

    s.prompts.planAnswer(saveAnyway ? MsgAnswer::Yes : MsgAnswer::No);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].text,
             backup + QStringLiteral(
                          "\r\nバックアップを作れません: ディスクの空き領域が足りません。(No space "
                          "left on device)\r\n"
                          "バックアップなしで保存しますか？"));
    QCOMPARE(s.prompts.messages[0].buttons, MsgButtons::YesNo);
    const QByteArray afterBackup = FileSession::read(backup);
    Tally(oldBackup, afterBackup);
    QCOMPARE(afterBackup, oldBackup);
    QCOMPARE(FilesIn(folder.path()), QStringList({"page.bak", "page.htm"}));
    if (saveAnyway) {
        // The page as the edit box holds it: a page read from a file gets no line break added.
        QCOMPARE(FileSession::read(page), QByteArray(3000, 'n'));
        QVERIFY(!s.state.Doc.isModified());
    } else {
        const QByteArray after = FileSession::read(page);
        Tally(old, after);
        QCOMPARE(after, old);
        QVERIFY(s.state.Doc.isModified());
    }
}

void TestSaveFaults::fullDiskKeepsSettingsFiles_data()
{
    AddFolderKinds();
}

void TestSaveFaults::fullDiskKeepsSettingsFiles()
{
    QFETCH(NearlyFullFolder::Kind, kind);
    NearlyFullFolder folder(kind);
    if (!folder.ready())
        QSKIP("mounting a tmpfs needs root");
    test::TempHome home;
    const QString ini = folder.file(QStringLiteral("Weftpad.ini"));
    const QString pageList = folder.file(kPageListFile);
    IniDocument doc;
    for (int k = 0; k < 200; ++k)
        doc.setValue(QStringLiteral("Texts"), QStringLiteral("Key%1").arg(k), QString(20, u'v'));
    QVERIFY(doc.save(ini));
    DocTable table{};
    for (int k = 0; k < 40; ++k)
        table[size_t(k)] =
            DocSlot{k, QStringLiteral("/www/site/page%1.htm").arg(k, 2, 10, QChar(u'0'))};
    QVERIFY(WritePageList(table, pageList));
    const QByteArray oldIni = FileSession::read(ini);
    const QByteArray oldPageList = FileSession::read(pageList);
    QVERIFY(oldIni.size() > 4096 && oldIni.size() < 8192);

    // Either file grown by one entry needs more than the space left.
    folder.leaveFree(kind == NearlyFullFolder::Kind::Tmpfs ? 0 : 500);
    QVERIFY(!WritePrivateProfileString(QStringLiteral("Texts"), QStringLiteral("New"),
                                       QString(600, u'w'), ini));
    table[40] = DocSlot{40, QStringLiteral("/www/site/") + QString(600, u'x')};
    QVERIFY(!WritePageList(table, pageList));

    const QByteArray iniAfter = FileSession::read(ini);
    const QByteArray pageListAfter = FileSession::read(pageList);
    Tally(oldIni, iniAfter);
    Tally(oldPageList, pageListAfter);
    QCOMPARE(iniAfter, oldIni);
    QCOMPARE(pageListAfter, oldPageList);
    QCOMPARE(FilesIn(folder.path()), QStringList({kPageListFile, "Weftpad.ini"}));
}

void TestSaveFaults::pageThatIsItsOwnBackupName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folderInTheWay");
    QTest::newRow("notes_bak_is_its_own_backup") << "notes.bak" << QString();
    QTest::newRow("backup_name_is_a_folder") << "x.htm"
                                             << "x.bak";
}

void TestSaveFaults::pageThatIsItsOwnBackupName()
{
    QFETCH(QString, name);
    QFETCH(QString, folderInTheWay);
    FileSession s;
    const QString page = s.write(name, "old\r\n");
    if (!folderInTheWay.isEmpty())
        QVERIFY(QDir(s.docs()).mkdir(folderInTheWay));
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QStringLiteral("new "));

    s.files().SaveDocument();
    QCOMPARE(FileSession::read(page), QByteArray("new old\r\n"));
    QVERIFY(!s.state.Doc.isModified());
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].icon, MsgIcon::Information);
    QVERIFY(s.prompts.messages[0].text.startsWith(s.docs() + u'/'));
    if (!folderInTheWay.isEmpty())
        QVERIFY(QFileInfo(s.docs() + u'/' + folderInTheWay).isDir());
}

void TestSaveFaults::loneSurrogateLeftByTagDeleteNeverReachesTheFile()
{
    FileSession s;
    const QString page = s.write(QStringLiteral("u.htm"), "\xEF\xBB\xBF"
                                                          "a\xF0\xA0\xAE\xB7"
                                                          "b\r\n");
    QCOMPARE(s.files().OpenDocument(page), 0);
    QCOMPARE(s.box().Text(), QStringLiteral("a\U00020BB7b\r\n"));
    // The caret before "𠮷", then the tag-delete command: the whole character goes.
    s.box().SetSelStart(1);
    s.window.findChild<QAction*>(QStringLiteral("mnuTagudelete"))->trigger();
    QCOMPARE(s.box().Text(), QStringLiteral("ab\r\n"));
    // A selection that would end between the halves stops before the pair.
    s.box().SetText(QStringLiteral("a\U00020BB7b"));
    s.box().SetSelStart(2);
    QCOMPARE(s.box().SelStart(), qint64(1));
    s.box().SetSelStart(0);
    s.box().SetSelLength(2);
    QCOMPARE(s.box().SelText(), QStringLiteral("a"));
    s.box().SetSelText(QString());
    QCOMPARE(s.box().Text(), QStringLiteral("\U00020BB7b"));
    s.state.Doc.setModified(true);

    s.files().SaveDocument();
    QCOMPARE(FileSession::read(page), QByteArray("\xEF\xBB\xBF\xF0\xA0\xAE\xB7"
                                                 "b"));
    QVERIFY(s.prompts.messages.isEmpty());
}

void TestSaveFaults::failedUtf8RetryWritesNothing()
{
    FileSession s;
    const QByteArray old("old\r\n");
    const QString page = s.write(QStringLiteral("p.htm"), old);
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QStringLiteral("x"));
    // Half of a pair cannot be written in CP932 or in UTF-8: the offer of UTF-8 is taken, and
    // the second encoding must be checked too, not written as an empty file.
    s.prompts.planChoice(1);
    QVERIFY(!s.files().WriteDocumentFile(page, QStringLiteral("a") + QChar(0xD842) + u'b'));
    const QByteArray after = FileSession::read(page);
    Tally(old, after);
    QCOMPARE(after, old);
    QVERIFY(!QFile::exists(s.docs() + QStringLiteral("/p.bak")));
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(s.window.Caption(), page);
    QCOMPARE(s.prompts.choiceRequests.size(), 1);
    QCOMPARE(s.prompts.messages.size(), 1);
    QVERIFY(s.prompts.messages[0].text.startsWith(page + QStringLiteral("\r\n")));
    QVERIFY(s.prompts.messages[0].text.contains(QStringLiteral("U+D842")));
}

// A save replaces the text, not the file: its owner, group, permission bits and other names
// (hard links) stay. Run as root the owner and group can be set to someone else's.
void TestSaveFaults::saveKeepsWhatTheFileIs()
{
    FileSession s;
    const QByteArray old("old\r\n");
    const QString page = s.write(QStringLiteral("page.htm"), old);
    const QString other = s.docs() + QStringLiteral("/other-name.htm");
    QVERIFY(::link(QFile::encodeName(page).constData(), QFile::encodeName(other).constData()) == 0);
    QVERIFY(::chmod(QFile::encodeName(page).constData(), 0640) == 0);
    const bool root = ::geteuid() == 0;
    if (root)
        QVERIFY(::chown(QFile::encodeName(page).constData(), 65534, 65534) == 0);
    struct stat before {
    };
    QVERIFY(::stat(QFile::encodeName(page).constData(), &before) == 0);

    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QStringLiteral("new "));
    s.files().SaveDocument();
    QVERIFY(s.prompts.messages.isEmpty());
    const QByteArray saved("new old\r\n");
    QCOMPARE(FileSession::read(page), saved);
    // The other name shows the new text too: one file, not two.
    QCOMPARE(FileSession::read(other), saved);
    QCOMPARE(FileSession::read(s.docs() + QStringLiteral("/page.bak")), old);
    struct stat after {
    };
    QVERIFY(::stat(QFile::encodeName(page).constData(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_nlink, nlink_t(2));
    QCOMPARE(after.st_mode & 07777, mode_t(0640));
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QVERIFY(!s.state.Doc.isModified());

    // Without other names the rename is used, and it keeps the owner, group and mode too.
    QVERIFY(QFile::remove(other));
    s.type(QStringLiteral("2 "));
    s.files().SaveDocument();
    QCOMPARE(FileSession::read(page), QByteArray("2 new old\r\n"));
    QVERIFY(::stat(QFile::encodeName(page).constData(), &after) == 0);
    QCOMPARE(after.st_mode & 07777, mode_t(0640));
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    if (!root)
        QSKIP("the owner part needs root");
}

void TestSaveFaults::readOnlyPageIsRefusedEvenToTheAdministrator()
{
    FileSession s;
    const QByteArray old("old\r\n");
    const QString page = s.write(QStringLiteral("page.htm"), old);
    QVERIFY(::chmod(QFile::encodeName(page).constData(), 0444) == 0);
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QStringLiteral("x"));
    s.files().SaveDocument();
    const QByteArray after = FileSession::read(page);
    Tally(old, after);
    QCOMPARE(after, old);
    struct stat st {
    };
    QVERIFY(::stat(QFile::encodeName(page).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0444));
    QCOMPARE(s.prompts.messages.size(), 1);
    QVERIFY(s.prompts.messages[0].text.startsWith(page + QStringLiteral("\r\n")));
    QVERIFY(s.state.Doc.isModified());
}

// A page written in place (it has another name) on a disk that cannot hold its new length: the
// room is asked for first, so not a byte of it changes.
void TestSaveFaults::inPlaceSaveOnAFullDiskChangesNothing()
{
    FileSession s;
    const QByteArray old = Filled(3000, 'o');
    const QString page = s.write(QStringLiteral("page.htm"), old);
    const QString other = s.docs() + QStringLiteral("/other-name.htm");
    QVERIFY(::link(QFile::encodeName(page).constData(), QFile::encodeName(other).constData()) == 0);
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QString(4000, u'n'));
    {
        // Room for the backup and a little more, not for the grown page.
        ScopedDiskSpaceLimit limit(3000 + 1000);
        s.files().SaveDocument();
    }
    const QByteArray after = FileSession::read(page);
    Tally(old, after);
    QCOMPARE(after, old);
    QCOMPARE(FileSession::read(other), old);
    QCOMPARE(FileSession::read(s.docs() + QStringLiteral("/page.bak")), old);
    QCOMPARE(s.prompts.messages.size(), 1);
    QVERIFY(s.prompts.messages[0].text.contains(QStringLiteral("(No space left on device)")));
    QVERIFY(s.state.Doc.isModified());
}

// A writable page in a folder the user may not write (no backup, no new name can be made
// there): the missing backup is asked about, and on Yes the page is written in place. Root
// writes any folder, so this runs in the unprivileged pass of the suite.
void TestSaveFaults::pageInAReadOnlyFolder_data()
{
    QTest::addColumn<bool>("withoutBackup"); // the answer to "save without a backup?"
    QTest::newRow("saved_in_place") << true;
    QTest::newRow("not_saved") << false;
}

void TestSaveFaults::pageInAReadOnlyFolder()
{
    if (::geteuid() == 0)
        QSKIP("root may write any folder: runs in the unprivileged pass");
    QFETCH(bool, withoutBackup);
    FileSession s;
    const QByteArray old("old\r\n");
    const QString page = s.write(QStringLiteral("ro/page.htm"), old);
    const QString folder = s.docs() + QStringLiteral("/ro");
    QCOMPARE(s.files().OpenDocument(page), 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    s.type(QStringLiteral("new "));
    s.prompts.planAnswer(withoutBackup ? MsgAnswer::Yes : MsgAnswer::No);
    s.files().SaveDocument();
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);

    QCOMPARE(s.prompts.messages.size(), 1);
    QVERIFY(s.prompts.messages[0].text.startsWith(s.docs() + QStringLiteral("/ro/page.bak")));
    const QByteArray after = FileSession::read(page);
    if (!withoutBackup)
        Tally(old, after);
    QCOMPARE(after, withoutBackup ? QByteArray("new old\r\n") : old);
    QCOMPARE(FilesIn(folder), QStringList{"page.htm"});
    QCOMPARE(s.state.Doc.isModified(), !withoutBackup);
}

// The page's file was replaced by a pipe or a folder while the page was open: the save neither
// copies it to the backup (reading a pipe waits for a writer) nor puts a file in its place.
void TestSaveFaults::pageReplacedByWhatIsNotAFile_data()
{
    QTest::addColumn<FileKind>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("pipe") << FileKind::Pipe
                          << QStringLiteral(
                                 "名前付きパイプ (FIFO) で、通常のファイルではありません。");
    QTest::newRow("folder") << FileKind::Directory
                            << QStringLiteral("同じ名前のフォルダーがあります。(Is a directory)");
}

void TestSaveFaults::pageReplacedByWhatIsNotAFile()
{
    QFETCH(FileKind, kind);
    QFETCH(QString, reason);
    FileSession s;
    const QString page = s.write(QStringLiteral("page.htm"), "old\r\n");
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QStringLiteral("new "));
    QVERIFY(QFile::remove(page));
    std::optional<test::NamedPipe> pipe;
    if (kind == FileKind::Pipe)
        QVERIFY(pipe.emplace(page).made());
    else
        QVERIFY(QDir().mkdir(page));

    s.files().SaveDocument();
    if (pipe)
        QVERIFY2(!pipe->fired(), "the save waited on the pipe");
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].text,
             page + QStringLiteral("\r\nこのファイルに保存できませんでした。\r\n") + reason);
    QCOMPARE(FileKindOf(page), kind);
    QCOMPARE(FilesIn(s.docs()), QStringList{});
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(s.box().Text(), QStringLiteral("new old\r\n"));
}

// A page only its owner may read (0600), saved where the new file's mode cannot be set: a copy
// with the default mode (0644) would show it to everyone. Neither the backup nor the page is
// written, and the page keeps its mode.
void TestSaveFaults::failedModeChangeKeepsAPrivatePage()
{
    const mode_t previousMask = ::umask(022);
    FileSession s;
    const QByteArray old("old\r\n");
    const QString page = s.write(QStringLiteral("page.htm"), old);
    QVERIFY(::chmod(QFile::encodeName(page).constData(), 0600) == 0);
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QStringLiteral("new "));
    s.prompts.planAnswer(MsgAnswer::Yes); // save without the backup that could not be made
    {
        const ScopedWriteFault fault(WriteCall::Chmod, EPERM);
        s.files().SaveDocument();
    }
    ::umask(previousMask);

    const QString reason = QStringLiteral("書き込む権限がありません。(Operation not permitted)");
    QCOMPARE(s.prompts.messages.size(), 2);
    QCOMPARE(s.prompts.messages[0].text,
             s.docs() + QStringLiteral("/page.bak\r\nバックアップを作れません: ") + reason +
                 QStringLiteral("\r\nバックアップなしで保存しますか？"));
    QCOMPARE(s.prompts.messages[1].text,
             page + QStringLiteral("\r\nこのファイルに保存できませんでした。\r\n") + reason);
    const QByteArray after = FileSession::read(page);
    Tally(old, after);
    QCOMPARE(after, old);
    struct stat st {
    };
    QVERIFY(::stat(QFile::encodeName(page).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
    QCOMPARE(FilesIn(s.docs()), QStringList{"page.htm"});
    QVERIFY(s.state.Doc.isModified());
}

QTEST_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
