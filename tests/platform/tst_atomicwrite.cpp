#include "namedpipe.h"
#include "platform/atomicwrite.h"
#include "platform/files.h"
#include "temphome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

#include <cstdlib>
#include <optional>

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

struct stat StatOf(const QString& path)
{
    struct stat st {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        qWarning("cannot stat %s", qPrintable(path));
    return st;
}

// Sets the process's umask for one test, so that a new file's default mode is known.
struct ScopedUmask {
    mode_t previous;
    explicit ScopedUmask(mode_t mask) : previous(::umask(mask)) {}
    ~ScopedUmask() { ::umask(previous); }
};

} // namespace

Q_DECLARE_METATYPE(tl::FileKind)
Q_DECLARE_METATYPE(tl::WriteCall)

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
    void writeThroughLinkWhoseFileIsGone_data();
    void writeThroughLinkWhoseFileIsGone();
    void linkWithParentFolderWritesWhatTheSystemOpens_data();
    void linkWithParentFolderWritesWhatTheSystemOpens();
    void onlyRegularFilesAreCopiedOrWrittenInPlace_data();
    void onlyRegularFilesAreCopiedOrWrittenInPlace();
    void regularFileOpensForBlockingReads();
    void failedCallLeavesTheOldFile_data();
    void failedCallLeavesTheOldFile();
    void copyThatCannotTakeTheGroupGivesItNoMore();
    void identityIsTheFileAsWritten_data();
    void identityIsTheFileAsWritten();
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

// A link whose file was deleted: the write makes the file again where the link points and the
// link stays. Links are followed one by one, relative ones from their own folder.
void TestAtomicWrite::writeThroughLinkWhoseFileIsGone_data()
{
    QTest::addColumn<QStringList>("links"); // link name -> what it holds, in order
    QTest::addColumn<QString>("file");      // the file that gets the bytes; empty: none
    QTest::addColumn<QString>("error");
    QTest::newRow("absolute") << QStringList{"link.htm", "@/pages/page.htm"}
                              << QStringLiteral("pages/page.htm") << QString();
    QTest::newRow("relative") << QStringList{"link.htm", "pages/page.htm"}
                              << QStringLiteral("pages/page.htm") << QString();
    QTest::newRow("link_to_a_link")
        << QStringList{"link.htm", "pages/second.htm", "pages/second.htm", "page.htm"}
        << QStringLiteral("pages/page.htm") << QString();
    QTest::newRow("missing_folder") << QStringList{"link.htm", "gone/page.htm"} << QString()
                                    << QStringLiteral("No such file or directory");
    QTest::newRow("loop") << QStringList{"link.htm", "loop.htm", "loop.htm", "link.htm"}
                          << QString() << QStringLiteral("Too many levels of symbolic links");
}

void TestAtomicWrite::writeThroughLinkWhoseFileIsGone()
{
    QFETCH(QStringList, links);
    QFETCH(QString, file);
    QFETCH(QString, error);
    TempHome home;
    QVERIFY(QDir(home.home()).mkdir(QStringLiteral("pages")));
    for (qsizetype i = 0; i + 1 < links.size(); i += 2) {
        QString target = links[i + 1];
        if (target.startsWith(u'@'))
            target = home.home() + target.mid(1);
        const QString link = home.file(links[i]);
        QVERIFY(::symlink(QFile::encodeName(target).constData(),
                          QFile::encodeName(link).constData()) == 0);
    }
    const QString link = home.file(links[0]);
    const QString before = QFile::symLinkTarget(link);

    const FileWriteResult r = WriteFileAtomically(link, "through the link");
    QCOMPARE(r.error, error);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFile::symLinkTarget(link), before);
    if (!file.isEmpty()) {
        QVERIFY(!QFileInfo(home.file(file)).isSymLink());
        QCOMPARE(TempHome::readBytes(home.file(file)), QByteArray("through the link"));
    }
    QVERIFY(!QFileInfo::exists(home.file(QStringLiteral("gone"))));
    QDirIterator left(home.home(), {QStringLiteral("*.tl-*")},
                      QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    QVERIFY2(!left.hasNext(), "a temporary was left");
}

// A ".." in a link's text leaves the folder the path has reached by then, which a folder link
// may have moved: dirlink -> deep/a/b makes dirlink/.. deep/a, not the link's own folder. The
// write goes to the file the system opens through the link (made there when missing), and the
// file named by the text with ".." tidied away, a decoy, is left alone.
void TestAtomicWrite::linkWithParentFolderWritesWhatTheSystemOpens_data()
{
    QTest::addColumn<QStringList>("links"); // link name -> what it holds, in order; "@": home
    QTest::addColumn<QString>("file");      // the file the system opens through link.htm
    QTest::newRow("relative") << QStringList{"dirlink", "deep/a/b", "link.htm",
                                             "dirlink/../real.htm"}
                              << QStringLiteral("deep/a/real.htm");
    QTest::newRow("absolute") << QStringList{"dirlink", "@/deep/a/b", "link.htm",
                                             "@/dirlink/../real.htm"}
                              << QStringLiteral("deep/a/real.htm");
    QTest::newRow("two_levels_up")
        << QStringList{"dirlink", "deep/a/b", "link.htm", "dirlink/../../real.htm"}
        << QStringLiteral("deep/real.htm");
    // The second link is read from the folder it really is in, deep/a/b, not from sub.
    QTest::newRow("chain_through_folder_link")
        << QStringList{"sub",         "deep/a/b", "deep/a/b/next.htm",
                       "../real.htm", "link.htm", "sub/next.htm"}
        << QStringLiteral("deep/a/real.htm");
    QTest::newRow("folder_link_holding_parent")
        << QStringList{"dirlink", "deep/a/b", "up", "dirlink/..", "link.htm", "up/real.htm"}
        << QStringLiteral("deep/a/real.htm");
    QTest::newRow("file_gone") << QStringList{"dirlink", "deep/a/b", "link.htm",
                                              "dirlink/../new.htm"}
                               << QStringLiteral("deep/a/new.htm");
}

void TestAtomicWrite::linkWithParentFolderWritesWhatTheSystemOpens()
{
    QFETCH(QStringList, links);
    QFETCH(QString, file);
    TempHome home;
    QVERIFY(QDir(home.home()).mkpath(QStringLiteral("deep/a/b")));
    const QStringList decoys{QStringLiteral("real.htm"), QStringLiteral("new.htm"),
                             QStringLiteral("deep/a/b/real.htm")};
    for (const QString& decoy : decoys)
        TempHome::writeBytes(home.file(decoy), "decoy");
    TempHome::writeBytes(home.file(QStringLiteral("deep/a/real.htm")), "old");
    TempHome::writeBytes(home.file(QStringLiteral("deep/real.htm")), "old");
    for (qsizetype i = 0; i + 1 < links.size(); i += 2) {
        const QString target =
            links[i + 1].startsWith(u'@') ? home.home() + links[i + 1].mid(1) : links[i + 1];
        QVERIFY(::symlink(QFile::encodeName(target).constData(),
                          QFile::encodeName(home.file(links[i])).constData()) == 0);
    }
    const QString link = home.file(QStringLiteral("link.htm"));
    if (QFileInfo::exists(home.file(file))) {
        // What the system resolves: the name of the file behind the links, whole.
        char* real = ::realpath(QFile::encodeName(link).constData(), nullptr);
        QVERIFY(real != nullptr);
        const QString resolved = QFile::decodeName(real);
        ::free(real);
        QCOMPARE(FileBehindLinks(link), resolved);
    }

    QVERIFY(WriteFileAtomically(link, "through the link"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(TempHome::readBytes(home.file(file)), QByteArray("through the link"));
    // The file the system now opens through the link is the one written.
    const struct stat opened = StatOf(link);
    const struct stat written = StatOf(home.file(file));
    QCOMPARE(opened.st_ino, written.st_ino);
    QCOMPARE(opened.st_dev, written.st_dev);
    for (const QString& decoy : decoys)
        QCOMPARE(TempHome::readBytes(home.file(decoy)), QByteArray("decoy"));
    QDirIterator left(home.home(), {QStringLiteral("*.tl-*")},
                      QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    QVERIFY2(!left.hasNext(), "a temporary was left");
}

// A pipe, a folder or a device is neither copied nor written into, and nothing waits on it: the
// call fails at once and names what it found.
void TestAtomicWrite::onlyRegularFilesAreCopiedOrWrittenInPlace_data()
{
    QTest::addColumn<FileKind>("kind");
    QTest::newRow("pipe") << FileKind::Pipe;
    QTest::newRow("folder") << FileKind::Directory;
    QTest::newRow("device") << FileKind::Device;
}

void TestAtomicWrite::onlyRegularFilesAreCopiedOrWrittenInPlace()
{
    QFETCH(FileKind, kind);
    TempHome home;
    QString odd = home.file(QStringLiteral("odd.htm"));
    std::optional<test::NamedPipe> pipe;
    if (kind == FileKind::Pipe) {
        pipe.emplace(odd);
        QVERIFY(pipe->made());
    } else if (kind == FileKind::Directory) {
        QVERIFY(QDir(home.home()).mkdir(QStringLiteral("odd.htm")));
    } else {
        odd = QStringLiteral("/dev/null");
    }
    QCOMPARE(FileKindOf(odd), kind);
    const QString backup = home.file(QStringLiteral("odd.bak"));
    TempHome::writeBytes(backup, "old backup");

    const FileWriteResult copied = CopyFileAtomically(odd, backup);
    QVERIFY(!copied);
    QCOMPARE(copied.error, NotRegularFileText(kind));
    QCOMPARE(TempHome::readBytes(backup), QByteArray("old backup"));
    const FileWriteResult written = WriteFileInPlace(odd, "x");
    QVERIFY(!written);
    QCOMPARE(written.error, NotRegularFileText(kind));
    QCOMPARE(FileKindOf(odd), kind);
    if (pipe)
        QVERIFY2(!pipe->fired(), "waited on the pipe");
    QCOMPARE(QDir(home.home()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("odd.bak")});
}

// The look-then-open guard opens without waiting, but the descriptor it hands on reads as any
// other: a file system that honours O_NONBLOCK on regular files would otherwise fail the read.
void TestAtomicWrite::regularFileOpensForBlockingReads()
{
    TempHome home;
    const QString page = home.file(QStringLiteral("page.htm"));
    TempHome::writeBytes(page, "<HTML>\r\n");
    ReadableFile file = OpenRegularFileForReading(page);
    QCOMPARE(file.error, 0);
    QVERIFY(file.fd >= 0);
    const int flags = ::fcntl(file.fd, F_GETFL);
    QVERIFY(flags >= 0);
    QCOMPARE(flags & O_NONBLOCK, 0);
    QByteArray bytes;
    QCOMPARE(ReadRest(file.fd, bytes), 0);
    ::close(file.fd);
    QCOMPARE(bytes, QByteArray("<HTML>\r\n"));
}

// A call that fails while the new file takes the old one's place leaves the old file as it was
// (content and mode), unless the result is what was asked all the same.
void TestAtomicWrite::failedCallLeavesTheOldFile_data()
{
    QTest::addColumn<WriteCall>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("otherOwner"); // the file belongs to someone else (needs root)
    QTest::addColumn<bool>("saved");
    QTest::newRow("lock") << WriteCall::Lock << ENOLCK << 0644 << false << false;
    QTest::newRow("mode_of_a_private_file") << WriteCall::Chmod << EPERM << 0600 << false << false;
    QTest::newRow("mode_that_is_right_anyway")
        << WriteCall::Chmod << EPERM << 0644 << false << true;
    QTest::newRow("owner") << WriteCall::Chown << EPERM << 0640 << true << false;
}

void TestAtomicWrite::failedCallLeavesTheOldFile()
{
    QFETCH(WriteCall, call);
    QFETCH(int, error);
    QFETCH(int, mode);
    QFETCH(bool, otherOwner);
    QFETCH(bool, saved);
    if (otherOwner && ::geteuid() != 0)
        QSKIP("giving a file to someone else needs root");
    const ScopedUmask umask(022); // a new file is made 0644
    TempHome home;
    const QString path = home.file(QStringLiteral("page.htm"));
    TempHome::writeBytes(path, "old");
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
    if (otherOwner)
        QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
    const struct stat before = StatOf(path);

    FileWriteResult r;
    {
        const ScopedWriteFault fault(call, error);
        r = WriteFileAtomically(path, "new");
    }
    QCOMPARE(r.ok, saved);
    QCOMPARE(r.error, saved ? QString() : qt_error_string(error));
    QCOMPARE(TempHome::readBytes(path), saved ? QByteArray("new") : QByteArray("old"));
    const struct stat after = StatOf(path);
    QCOMPARE(after.st_mode & 07777, mode_t(mode));
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(FilesIn(home.home()), QStringList{"page.htm"});
}

// A backup copy of someone else's page, when the copy cannot be given the page's owner and
// group: it stays the saver's, and the saver's group may do no more with it than everyone else.
void TestAtomicWrite::copyThatCannotTakeTheGroupGivesItNoMore()
{
    if (::geteuid() != 0)
        QSKIP("a page of someone else's group needs root");
    TempHome home;
    const QString page = home.file(QStringLiteral("page.htm"));
    const QString backup = home.file(QStringLiteral("page.bak"));
    TempHome::writeBytes(page, "page");
    QVERIFY(::chown(QFile::encodeName(page).constData(), 65534, 65534) == 0);
    QVERIFY(::chmod(QFile::encodeName(page).constData(), 02644) == 0);

    // As it should be: the copy is the page's owner's, with the page's mode.
    QVERIFY(CopyFileAtomically(page, backup));
    QCOMPARE(StatOf(backup).st_uid, uid_t(65534));
    QCOMPARE(StatOf(backup).st_mode & 07777, mode_t(02644));
    {
        const ScopedWriteFault fault(WriteCall::Chown, EPERM);
        QVERIFY(CopyFileAtomically(page, backup));
    }
    const struct stat st = StatOf(backup);
    QCOMPARE(st.st_uid, ::geteuid());
    QCOMPARE(st.st_gid, ::getegid());
    QCOMPARE(st.st_mode & 07777, mode_t(0644));
    QCOMPARE(TempHome::readBytes(backup), QByteArray("page"));

    QVERIFY(::chmod(QFile::encodeName(page).constData(), 0640) == 0);
    {
        const ScopedWriteFault fault(WriteCall::Chown, EPERM);
        QVERIFY(CopyFileAtomically(page, backup));
    }
    QCOMPARE(StatOf(backup).st_mode & 07777, mode_t(0600));
}

// The identity a write reports is the file as that write left it, read from its descriptor: a
// program that writes to the file right after is not taken for part of the save.
void TestAtomicWrite::identityIsTheFileAsWritten_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("atomic") << false;
    QTest::newRow("in_place") << true;
}

void TestAtomicWrite::identityIsTheFileAsWritten()
{
    QFETCH(bool, inPlace);
    TempHome home;
    const QString path = home.file(QStringLiteral("page.htm"));
    TempHome::writeBytes(path, "old content");
    const QByteArray ours("ours\r\n");
    FileWriteResult r;
    {
        const ScopedAfterWrite theirs([](const QString& target) {
            QFile file(target);
            QVERIFY(file.open(QIODevice::Append));
            file.write("theirs\r\n");
        });
        r = inPlace ? WriteFileInPlace(path, ours) : WriteFileAtomically(path, ours);
    }
    QVERIFY(r);
    QCOMPARE(TempHome::readBytes(path), ours + "theirs\r\n");
    const FileIdentity now = ReadFileIdentity(path);
    QVERIFY(r.identity.exists);
    QCOMPARE(r.identity.size, qint64(ours.size()));
    QCOMPARE(r.identity.inode, now.inode);
    QCOMPARE(r.identity.device, now.device);
    QVERIFY(r.identity != now);
}

QTEST_GUILESS_MAIN(TestAtomicWrite)
#include "tst_atomicwrite.moc"
