#include "platform/atomicwrite.h"
#include "temphome.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace tl;
using tl::test::TempHome;

namespace
{

// The permission bits of a file, without Qt's mirror of them for the current user.
QFileDevice::Permissions ModeOf(const QString& path)
{
    return QFile::permissions(path) &
           ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestAtomicWrite : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replacesWholeContent();
    void keepsPermissionsAndFollowsLinks();
    void failureLeavesOldFileAndNoTemporary();
    void killedSavesTemporariesAreRemoved();
    void copyReplacesOnlyWithWholeCopy();
    void replaceMethod_data();
    void replaceMethod();
    void inPlaceWriteShrinksAndGrows();
};

void TestAtomicWrite::replacesWholeContent()
{
    TempHome home;
    const QString path = home.file(QStringLiteral("f.bin"));
    TempHome::writeBytes(path, QByteArray("a much longer old content"));
    QVERIFY(WriteFileAtomically(path, QByteArray("new\r\n")));
    QCOMPARE(TempHome::readBytes(path), QByteArray("new\r\n"));
    QVERIFY(WriteFileAtomically(path, QByteArray()));
    QVERIFY(QFile::exists(path));
    QCOMPARE(TempHome::readBytes(path), QByteArray(""));

    const FileWriteResult missing =
        WriteFileAtomically(home.file(QStringLiteral("no/such/folder/f.bin")), "x");
    QVERIFY(!missing);
    QCOMPARE(missing.error, QStringLiteral("No such file or directory"));
    QCOMPARE(WriteFileAtomically(home.home(), "x").error, QStringLiteral("Is a directory"));
    QCOMPARE(FilesIn(home.home()), QStringList{"f.bin"});
}

void TestAtomicWrite::keepsPermissionsAndFollowsLinks()
{
    TempHome home;
    const QString path = home.file(QStringLiteral("p.htm"));
    TempHome::writeBytes(path, "old");
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, perms));
    QVERIFY(WriteFileAtomically(path, "new"));
    QCOMPARE(ModeOf(path), perms);

    // A link stays a link; the file it points at gets the bytes.
    const QString link = home.file(QStringLiteral("link.htm"));
    QVERIFY(QFile::link(path, link));
    QVERIFY(WriteFileAtomically(link, "through the link"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(TempHome::readBytes(path), QByteArray("through the link"));
}

void TestAtomicWrite::failureLeavesOldFileAndNoTemporary()
{
    TempHome home;
    const QString path = home.file(QStringLiteral("f.bin"));
    TempHome::writeBytes(path, "old content");
    {
        ScopedDiskSpaceLimit full(4);
        const FileWriteResult r = WriteFileAtomically(path, "much newer content");
        QVERIFY(!r);
        QCOMPARE(r.error, QStringLiteral("No space left on device"));
        // The bytes of the removed temporary came back: a write that fits still succeeds.
        QVERIFY(WriteFileAtomically(home.file(QStringLiteral("small")), "1234"));
        QVERIFY(!WriteFileAtomically(home.file(QStringLiteral("more")), "5"));
    }
    QCOMPARE(TempHome::readBytes(path), QByteArray("old content"));
    QCOMPARE(FilesIn(home.home()), QStringList({"f.bin", "small"}));
}

// A save killed after it made its temporary leaves it beside the page, as large as the page.
// The next save of that page removes it, unless a writer still holds it or it was written in
// the last minute; other files that only look alike stay.
void TestAtomicWrite::killedSavesTemporariesAreRemoved()
{
    TempHome home;
    const QString path = home.file(QStringLiteral("page.htm"));
    TempHome::writeBytes(path, "old");
    const auto stale = [&](const char* name, qint64 secondsAgo) {
        const QString p = home.file(QString::fromLatin1(name));
        TempHome::writeBytes(p, "half a page");
        const qint64 t = QDateTime::currentSecsSinceEpoch() - secondsAgo;
        const struct utimbuf times = {time_t(t), time_t(t)};
        QCOMPARE(::utime(QFile::encodeName(p).constData(), &times), 0);
    };
    stale(".page.htm.tl-1x2y3z", 3600);    // killed an hour ago: removed
    stale(".page.htm.tl-9k", 3600);        // still written by someone: kept
    stale(".page.htm.tl-fresh1", 5);       // just made: kept
    stale(".other.htm.tl-1x2y3z", 3600);   // another page's: kept
    stale(".page.htm.tl-Notes.txt", 3600); // not a name this writer makes: kept
    const int held =
        ::open(QFile::encodeName(home.file(QStringLiteral(".page.htm.tl-9k"))), O_RDONLY);
    QVERIFY(held >= 0);
    QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);

    QVERIFY(WriteFileAtomically(path, "new"));
    ::close(held);
    QCOMPARE(TempHome::readBytes(path), QByteArray("new"));
    QCOMPARE(FilesIn(home.home()),
             QStringList({".other.htm.tl-1x2y3z", ".page.htm.tl-9k", ".page.htm.tl-fresh1",
                          ".page.htm.tl-Notes.txt", "page.htm"}));
}

void TestAtomicWrite::copyReplacesOnlyWithWholeCopy()
{
    TempHome home;
    const QString source = home.file(QStringLiteral("page.htm"));
    const QString target = home.file(QStringLiteral("page.bak"));
    TempHome::writeBytes(source, QByteArray(3 << 20, 'p')); // more than one read
    QVERIFY(QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    TempHome::writeBytes(target, "old backup");
    {
        ScopedDiskSpaceLimit full(1 << 20);
        QCOMPARE(CopyFileAtomically(source, target).error,
                 QStringLiteral("No space left on device"));
    }
    QCOMPARE(TempHome::readBytes(target), QByteArray("old backup"));
    QVERIFY(CopyFileAtomically(source, target));
    QCOMPARE(TempHome::readBytes(target), QByteArray(3 << 20, 'p'));
    QCOMPARE(ModeOf(target), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(CopyFileAtomically(home.file(QStringLiteral("missing")), target).error,
             QStringLiteral("No such file or directory"));
    QCOMPARE(FilesIn(home.home()), QStringList({"page.bak", "page.htm"}));
}

Q_DECLARE_METATYPE(tl::ReplaceFacts)
Q_DECLARE_METATYPE(tl::ReplaceMethod)

// When a new file renamed over the old one would not be the same file to the user, the old one
// is written in place.
void TestAtomicWrite::replaceMethod_data()
{
    QTest::addColumn<ReplaceFacts>("facts");
    QTest::addColumn<ReplaceMethod>("method");

    ReplaceFacts own;
    own.exists = true;
    own.fileOwner = own.folderOwner = own.saver = 1000;
    auto with = [&](auto change) {
        ReplaceFacts f = own;
        change(f);
        return f;
    };
    using M = ReplaceMethod;
    QTest::newRow("no_file") << ReplaceFacts{} << M::Rename;
    QTest::newRow("own_file_own_folder") << own << M::Rename;
    QTest::newRow("someone_elses_file")
        << with([](ReplaceFacts& f) { f.fileOwner = 1001; }) << M::InPlace;
    QTest::newRow("root_can_give_the_owner_back")
        << with([](ReplaceFacts& f) { f.fileOwner = 1001, f.saver = 0; }) << M::Rename;
    QTest::newRow("group_not_the_savers")
        << with([](ReplaceFacts& f) { f.saverHasFileGroup = false; }) << M::InPlace;
    QTest::newRow("hard_link") << with([](ReplaceFacts& f) { f.links = 2; }) << M::InPlace;
    QTest::newRow("hard_link_as_root")
        << with([](ReplaceFacts& f) { f.links = 3, f.saver = 0; }) << M::InPlace;
    QTest::newRow("folder_not_writable")
        << with([](ReplaceFacts& f) { f.folderWritable = false; }) << M::InPlace;
    QTest::newRow("sticky_folder_of_another_own_file")
        << with([](ReplaceFacts& f) { f.folderSticky = true, f.folderOwner = 0; }) << M::Rename;
    QTest::newRow("sticky_folder_of_another_file_of_a_third") << with([](ReplaceFacts& f) {
        f.folderSticky = true, f.folderOwner = 0, f.fileOwner = 1001;
    }) << M::InPlace;
}

void TestAtomicWrite::replaceMethod()
{
    QFETCH(ReplaceFacts, facts);
    QFETCH(ReplaceMethod, method);
    QCOMPARE(ChooseReplaceMethod(facts), method);
}

void TestAtomicWrite::inPlaceWriteShrinksAndGrows()
{
    TempHome home;
    const QString path = home.file(QStringLiteral("f.txt"));
    TempHome::writeBytes(path, QByteArray("a much longer old content"));
    const auto inode = [&] {
        struct stat st {
        };
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    const ino_t first = inode();
    QVERIFY(WriteFileInPlace(path, QByteArray("short")));
    QCOMPARE(TempHome::readBytes(path), QByteArray("short"));
    QVERIFY(WriteFileInPlace(path, QByteArray(5000, 'g')));
    QCOMPARE(TempHome::readBytes(path), QByteArray(5000, 'g'));
    QCOMPARE(inode(), first);
    const QString copy = home.file(QStringLiteral("g.txt"));
    TempHome::writeBytes(copy, QByteArray(5000, 'g'));
    QVERIFY(SameFileContent(path, copy));
    TempHome::writeBytes(copy, QByteArray(4999, 'g') + 'h');
    QVERIFY(!SameFileContent(path, copy));
    QVERIFY(!WriteFileInPlace(home.file(QStringLiteral("missing")), "x"));
}

QTEST_GUILESS_MAIN(TestAtomicWrite)
#include "tst_atomicwrite.moc"
