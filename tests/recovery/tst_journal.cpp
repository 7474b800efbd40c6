#include "app/frmmain.h"
#include "core/appstate.h"
#include "files/diskwatch.h"
#include "files/filecommands.h"
#include "filesession.h"
#include "journalfixtures.h"
#include "killedcopy.h"
#include "platform/errors.h"
#include "recovery/journal.h"
#include "recovery/journalkeeper.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QtTest>

#include <cerrno>

using namespace tl;

using Session = test::FileSession;
using test::DeadPid;
using test::Entry;
using test::ReadJournal;

namespace
{

// A journal left by a copy that was killed: a folder of a process that no longer runs.
QString WriteAbandoned(const QString& name, const JournalEntry& entry)
{
    const JournalLock dead{DeadPid(), "1"};
    const QString folder = JournalFolderFor(JournalRoot(), dead);
    if (!CreateJournalFolder(folder, dead))
        qWarning("no journal folder %s", qPrintable(folder));
    const QString path = folder + u'/' + name;
    test::TempHome::writeBytes(path, EncodeJournal(entry));
    return path;
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatRoundTrip_data();
    void formatRoundTrip();
    void damagedJournalIsRefused_data();
    void damagedJournalIsRefused();
    void lockOwner_data();
    void lockOwner();
    void onlyAbandonedFoldersAreTakenOver();
    void readsVersionOneJournals();
    void journalFileChanged_data();
    void journalFileChanged();
    void killedCopyIsOfferedWhileAnotherRuns();
    void failuresAreToldOnce();
    void writeDelay_data();
    void writeDelay();
    void idleDelayWritesAfterChangeNotBefore();
    void steadyTypingIsWritten();
    void pageSwitchWritesBeforeTheQuestion_data();
    void pageSwitchWritesBeforeTheQuestion();
    void journalGoesWhenThePageIsSavedOrLeft_data();
    void journalGoesWhenThePageIsSavedOrLeft();
    void restoreGivesTextPathAndModifiedState_data();
    void restoreGivesTextPathAndModifiedState();
    void restoreOfChangedFileOpensUntitled_data();
    void restoreOfChangedFileOpensUntitled();
    void restoredPageAsksBeforeOverwritingALaterChange();
    void discardAndLaterAndSeveralJournals();
    void damagedJournalIsMovedAsideNotOffered();
    void cleanExitRemovesTheFolder();
};

void TestJournal::formatRoundTrip_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::newRow("untitled_empty") << QString() << QString() << int(TextEncoding::Kind::Utf8);
    QTest::newRow("named_crlf") << QStringLiteral("/w/site/index.htm")
                                << QStringLiteral("<P>a</P>\r\n<P>b</P>\r\n")
                                << int(TextEncoding::Kind::Cp932);
    QTest::newRow("non_bmp_and_japanese")
        << QStringLiteral("/w/サイト/ページ.htm")
        << QString::fromUtf8("漢字 \xF0\x9F\x98\x80 \xF0\xA0\x80\x8B\r\nend")
        << int(TextEncoding::Kind::Utf16LE);
    // A path may hold anything a file name can: line breaks, "=", "%", blanks.
    QTest::newRow("odd_path") << QStringLiteral("/w/a=b %41\r\nc.htm") << QStringLiteral("x")
                              << int(TextEncoding::Kind::Named);
}

void TestJournal::formatRoundTrip()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    QFETCH(int, kind);
    JournalEntry in = Entry(path, text, QStringLiteral("2024-05-01T12:34:56.789"));
    in.encoding.kind = TextEncoding::Kind(kind);
    in.encoding.bom = kind == int(TextEncoding::Kind::Utf16LE);
    if (in.encoding.kind == TextEncoding::Kind::Named)
        in.encoding.name = "EUC-JP";
    if (in.encoding.kind == TextEncoding::Kind::Cp932)
        in.encoding.preferredBytes = {{U'\u2252', "\x87\x90"}, {U'\u2261', "\x87\x91"}};
    in.undecodable = kind == int(TextEncoding::Kind::Cp932);
    // A page read from a file keeps its line ends and its end; a new page is CR LF with a
    // final line break added.
    if (in.encoding.kind == TextEncoding::Kind::Named)
        in.encoding.lineEnd = LineEnd::Cr;
    if (in.encoding.kind == TextEncoding::Kind::Utf16LE)
        in.encoding.lineEnd = LineEnd::Lf;
    in.encoding.addFinalBreak = path.isEmpty();
    if (!path.isEmpty())
        in.file = FileIdentity{path,       kind != int(TextEncoding::Kind::Named),
                               123,        1714567890123456789,
                               4294967301, 2049,
                               0};

    const auto out = DecodeJournal(EncodeJournal(in));
    QVERIFY(out);
    QCOMPARE(out->path, in.path);
    QCOMPARE(out->text, in.text);
    QCOMPARE(out->time, in.time);
    QCOMPARE(out->encoding.kind, in.encoding.kind);
    QCOMPARE(out->encoding.name, in.encoding.name);
    QCOMPARE(out->encoding.bom, in.encoding.bom);
    QCOMPARE(out->encoding.preferredBytes, in.encoding.preferredBytes);
    QCOMPARE(out->encoding.lineEnd, in.encoding.lineEnd);
    QCOMPARE(out->encoding.addFinalBreak, in.encoding.addFinalBreak);
    QCOMPARE(out->undecodable, in.undecodable);
    QCOMPARE(out->file, in.file);
}

void TestJournal::damagedJournalIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = EncodeJournal(Entry(
        QStringLiteral("/w/a.htm"), QStringLiteral("<P>text</P>\r\n"), "2024-01-01T00:00:00"));
    QVERIFY(DecodeJournal(good));
    const qsizetype textAt = good.indexOf("<P>");
    auto altered = [&](qsizetype at, char to) {
        QByteArray b = good;
        b[at] = to;
        return b;
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated_text") << good.chopped(1);
    QTest::newRow("truncated_header") << good.left(textAt - 3);
    QTest::newRow("extra_byte") << good + 'x';
    QTest::newRow("altered_text") << altered(textAt + 3, 'X');
    QTest::newRow("altered_path") << altered(good.indexOf("a.htm"), 'b');
    QTest::newRow("altered_checksum") << altered(good.indexOf("sha256=") + 7, 'g');
    QTest::newRow("other_version") << altered(good.indexOf("JOURNAL ") + 8, '9');
    QTest::newRow("foreign_file") << QByteArray("<HTML><BODY>hello</BODY></HTML>\r\n");
    QByteArray noBlankLine = good;
    noBlankLine.remove(textAt - 1, 1);
    QTest::newRow("no_blank_line") << noBlankLine;
}

void TestJournal::damagedJournalIsRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!DecodeJournal(bytes));
}

void TestJournal::lockOwner_data()
{
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<bool>("running");
    const JournalLock self = CurrentJournalLock();
    QVERIFY(!self.start.isEmpty());
    QTest::newRow("this_process") << self.pid << self.start << true;
    QTest::newRow("this_process_start_unknown") << self.pid << QByteArray() << true;
    // The id now belongs to a process that started at another time: the owner has gone.
    QTest::newRow("reused_pid") << self.pid << self.start + "9" << false;
    QTest::newRow("no_such_process") << DeadPid() << QByteArray("1") << false;
    QTest::newRow("pid_zero_is_no_group") << qint64(0) << QByteArray() << false;
    QTest::newRow("pid_minus_one_is_no_group") << qint64(-1) << QByteArray() << false;
}

void TestJournal::lockOwner()
{
    QFETCH(qint64, pid);
    QFETCH(QByteArray, start);
    QFETCH(bool, running);
    const JournalLock lock{pid, start};
    QCOMPARE(JournalOwnerRunning(lock), running);
    if (pid > 0)
        QCOMPARE(DecodeJournalLock(EncodeJournalLock(lock)), lock);
}

void TestJournal::onlyAbandonedFoldersAreTakenOver()
{
    test::TempHome home;
    const QString root = JournalRoot();
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(sleeper.waitForStarted());
    const JournalLock live{sleeper.processId(), ProcessStartTime(sleeper.processId())};
    const JournalLock dead{DeadPid(), "1"};

    const QString liveFolder = JournalFolderFor(root, live);
    const QString deadFolder = JournalFolderFor(root, dead);
    const QString lockless = root + QStringLiteral("/%1-0").arg(DeadPid());
    QVERIFY(CreateJournalFolder(liveFolder, live));
    QVERIFY(CreateJournalFolder(deadFolder, dead));
    QVERIFY(QDir().mkpath(lockless));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/damaged")));
    const QByteArray liveBytes =
        EncodeJournal(Entry({}, QStringLiteral("live"), "2024-01-01T00:00:00"));
    const QByteArray deadBytes =
        EncodeJournal(Entry({}, QStringLiteral("dead"), "2024-01-02T00:00:00"));
    const QByteArray locklessBytes =
        EncodeJournal(Entry({}, QStringLiteral("nolock"), "2024-01-03T00:00:00"));
    test::TempHome::writeBytes(liveFolder + QStringLiteral("/page.tlj"), liveBytes);
    test::TempHome::writeBytes(deadFolder + QStringLiteral("/page.tlj"), deadBytes);
    test::TempHome::writeBytes(deadFolder + QStringLiteral("/.page.tlj.tl-abc"), "half");
    test::TempHome::writeBytes(lockless + QStringLiteral("/page.tlj"), locklessBytes);
    test::TempHome::writeBytes(root + QStringLiteral("/damaged/x.tlj"), deadBytes);

    const QString own = JournalFolderFor(root, CurrentJournalLock());
    const QStringList taken = AdoptAbandonedJournals(root, own);
    QCOMPARE(taken.size(), 2);
    QByteArrayList contents;
    for (const QString& file : taken) {
        QVERIFY(file.startsWith(own + u'/'));
        contents << test::TempHome::readBytes(file);
    }
    std::sort(contents.begin(), contents.end());
    QByteArrayList expected{deadBytes, locklessBytes};
    std::sort(expected.begin(), expected.end());
    QCOMPARE(contents, expected);
    // The running copy keeps its journal; the abandoned folders are gone, half-written files
    // and all.
    QCOMPARE(test::TempHome::readBytes(liveFolder + QStringLiteral("/page.tlj")), liveBytes);
    QVERIFY(QFile::exists(liveFolder + QStringLiteral("/lock")));
    QVERIFY(!QFileInfo::exists(deadFolder));
    QVERIFY(!QFileInfo::exists(lockless));
    QVERIFY(QFile::exists(root + QStringLiteral("/damaged/x.tlj")));
    // A second look finds the same journals, now in this process's folder.
    QCOMPARE(AdoptAbandonedJournals(root, own), taken);
    sleeper.kill();
    sleeper.waitForFinished();
}

void TestJournal::readsVersionOneJournals()
{
    // As the first version wrote them: no "file" line, so the file's state is not known.
    const QByteArray header = "TAGLOOM JOURNAL 1\npath=%2Fw%2Fa.htm\n"
                              "time=2024-05-01T12:34:56.789Z\nencoding=cp932\nname=\nbom=0\n"
                              "preferred=\nundecodable=1\nlength=6\n";
    const QByteArray text = "<P>x\r\n";
    const QByteArray sum =
        QCryptographicHash::hash(header + text, QCryptographicHash::Sha256).toHex();
    const auto entry = DecodeJournal(header + "sha256=" + sum + "\n\n" + text);
    QVERIFY(entry);
    QCOMPARE(entry->path, QStringLiteral("/w/a.htm"));
    QCOMPARE(entry->text, QStringLiteral("<P>x\r\n"));
    QCOMPARE(entry->time, QDateTime::fromString("2024-05-01T12:34:56.789Z", Qt::ISODateWithMs));
    QCOMPARE(entry->encoding.kind, TextEncoding::Kind::Cp932);
    QVERIFY(entry->undecodable);
    QVERIFY(!entry->file);
}

void TestJournal::journalFileChanged_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<FileIdentity>("then");
    QTest::addColumn<FileIdentity>("now");
    QTest::addColumn<bool>("changed");
    const QString path = QStringLiteral("/w/a.htm");
    // 2024-05-01T00:00:00Z, the journal's time below, in ns.
    const qint64 journalNs = 1714521600LL * 1000000000;
    const FileIdentity file{path, true, 100, journalNs - 5000000000, 77, 8, 0};
    auto with = [&](auto change) {
        FileIdentity f = file;
        change(f);
        return f;
    };
    QTest::newRow("same_state") << path << true << file << file << false;
    QTest::newRow("saved_since_size")
        << path << true << file << with([](FileIdentity& f) { f.size = 101; }) << true;
    QTest::newRow("saved_since_same_size")
        << path << true << file << with([](FileIdentity& f) { f.mtimeNs += 1; }) << true;
    QTest::newRow("replaced_through_rename")
        << path << true << file << with([](FileIdentity& f) { f.inode = 78; }) << true;
    QTest::newRow("made_since") << path << true << with([](FileIdentity& f) { f.exists = false; })
                                << file << true;
    // Nothing on disk to overwrite, or nothing known of it.
    QTest::newRow("deleted_since")
        << path << true << file << with([](FileIdentity& f) { f.exists = false; }) << false;
    QTest::newRow("unreadable_now") << path << true << file << with([](FileIdentity& f) {
        f.error = EACCES;
        f.size = 1;
    }) << false;
    QTest::newRow("untitled") << QString() << false << FileIdentity{} << file << false;
    // A version-1 journal: the file's time against the journal's.
    QTest::newRow("v1_file_older") << path << false << FileIdentity{} << file << false;
    QTest::newRow("v1_file_newer")
        << path << false << FileIdentity{}
        << with([&](FileIdentity& f) { f.mtimeNs = journalNs + 1000000; }) << true;
}

void TestJournal::journalFileChanged()
{
    QFETCH(QString, path);
    QFETCH(bool, recorded);
    QFETCH(FileIdentity, then);
    QFETCH(FileIdentity, now);
    QFETCH(bool, changed);
    JournalEntry entry = Entry(path, QStringLiteral("x"), QStringLiteral("2024-05-01T00:00:00"));
    if (recorded)
        entry.file = then;
    QCOMPARE(JournalFileChanged(entry, now), changed);
}

// Three copies on one program folder: the first killed (and not yet reaped by whoever started
// it), the second still running; the third, starting now, offers the first one's journal.
void TestJournal::killedCopyIsOfferedWhileAnotherRuns()
{
    Session s;
    const QString root = JournalRoot();
    QProcess second;
    second.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(second.waitForStarted());
    const JournalLock secondLock{second.processId(), ProcessStartTime(second.processId())};
    const QString secondFolder = JournalFolderFor(root, secondLock);
    QVERIFY(CreateJournalFolder(secondFolder, secondLock));
    const QByteArray secondBytes =
        EncodeJournal(Entry({}, QStringLiteral("second's"), "2024-01-01T00:00:00"));
    test::TempHome::writeBytes(secondFolder + QStringLiteral("/page.tlj"), secondBytes);

    test::KilledCopy first;
    const QString firstFolder = JournalFolderFor(root, first.lock());
    QVERIFY(CreateJournalFolder(firstFolder, first.lock()));
    test::TempHome::writeBytes(
        firstFolder + QStringLiteral("/page.tlj"),
        EncodeJournal(Entry({}, QStringLiteral("typed before the kill"), "2024-01-02T00:00:00")));
    QVERIFY(first.kill());

    s.prompts.planAnswer(MsgAnswer::Yes);
    s.window.Journal().OfferRecoveredPages();
    QVERIFY(!s.prompts.unplanned);
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].title, QStringLiteral("ページの復元"));
    QCOMPARE(s.box().Text(), QStringLiteral("typed before the kill"));
    QVERIFY(!QFileInfo::exists(firstFolder));
    // The running copy's journal is its own.
    QCOMPARE(test::TempHome::readBytes(secondFolder + QStringLiteral("/page.tlj")), secondBytes);
    second.kill();
    second.waitForFinished();
}

void TestJournal::failuresAreToldOnce()
{
    {
        // The journal's folder cannot be made: told once, not at every pause in the typing.
        Session s;
        QStringList told;
        s.state.ShowStatus = [&](const QString& text) { told << text; };
        test::TempHome::writeBytes(JournalRoot(), "a file where the folder goes");
        JournalKeeper& journal = s.window.Journal();
        s.files().NewDocument();
        for (int i = 0; i < 3; ++i) {
            s.type(QStringLiteral("x"));
            journal.WriteNow();
            journal.WaitForWrites();
            QCoreApplication::processEvents();
        }
        QTRY_COMPARE_WITH_TIMEOUT(told.size(), 1, 5000);
        QCoreApplication::processEvents();
        QCOMPARE(told, QStringList(QStringLiteral("復元用の控えのフォルダーを作れません: ") +
                                   SystemErrorText(ENOTDIR) + u' ' + journal.Folder()));
    }
    {
        // A journal that cannot be taken over is told about and stays where it is.
        Session s;
        const QString abandoned =
            WriteAbandoned(QStringLiteral("page.tlj"), Entry({}, "x", "2024-01-01T00:00:00"));
        const QByteArray bytes = test::TempHome::readBytes(abandoned);
        JournalKeeper& journal = s.window.Journal();
        test::TempHome::writeBytes(journal.Folder(), "a file where the folder goes");
        s.prompts.planAnswer(MsgAnswer::Ok);
        journal.OfferRecoveredPages();
        QVERIFY(!s.prompts.unplanned);
        QCOMPARE(s.prompts.messages.size(), 1);
        QCOMPARE(s.prompts.messages[0].text,
                 QStringLiteral("終了しなかったプログラムの復元用の控えを引き継げませんでした。"
                                "控えはそのまま残してあり、次の起動時にもう一度試します:\r\n") +
                     journal.Folder() + QStringLiteral(": ") + SystemErrorText(ENOTDIR));
        QCOMPARE(test::TempHome::readBytes(abandoned), bytes);
        QVERIFY(s.window.MainText()->isHidden());
    }
}

void TestJournal::writeDelay_data()
{
    QTest::addColumn<int>("idle");
    QTest::addColumn<qint64>("since");
    QTest::addColumn<int>("delay");
    QTest::newRow("first_key_waits_for_a_pause") << 2000 << qint64(0) << 2000;
    QTest::newRow("typing_for_seven_seconds") << 2000 << qint64(7000) << 2000;
    QTest::newRow("typing_for_nine_seconds_writes_at_ten") << 2000 << qint64(9000) << 1000;
    QTest::newRow("typing_for_ten_seconds_writes_now") << 2000 << qint64(10000) << 0;
    QTest::newRow("long_overdue_writes_now") << 2000 << qint64(60000) << 0;
}

void TestJournal::writeDelay()
{
    QFETCH(int, idle);
    QFETCH(qint64, since);
    QFETCH(int, delay);
    QCOMPARE(JournalWriteDelay(idle, since), delay);
    // A pause of two seconds writes unless the environment says otherwise.
    const QByteArray old = qgetenv("TAGLOOM_JOURNAL_IDLE_MS");
    qunsetenv("TAGLOOM_JOURNAL_IDLE_MS");
    QCOMPARE(JournalIdleDelayFromEnvironment(), 2000);
    qputenv("TAGLOOM_JOURNAL_IDLE_MS", "0");
    QCOMPARE(JournalIdleDelayFromEnvironment(), 0);
    if (old.isNull())
        qunsetenv("TAGLOOM_JOURNAL_IDLE_MS");
    else
        qputenv("TAGLOOM_JOURNAL_IDLE_MS", old);
}

void TestJournal::idleDelayWritesAfterChangeNotBefore()
{
    Session s;
    JournalKeeper& journal = s.window.Journal();
    // No pause ends within the test: the keys alone write nothing.
    journal.SetIdleDelay(3600 * 1000);
    const QString page = s.write(QStringLiteral("a.htm"), "old\r\n");
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QStringLiteral("X"));
    s.type(QStringLiteral("Y"));
    QCoreApplication::processEvents();
    journal.WaitForWrites();
    QVERIFY(!QFile::exists(journal.PagePath()));

    // A short pause after the next key writes.
    journal.SetIdleDelay(50);
    s.type(QStringLiteral("Z"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(journal.PagePath()), 10000);
    journal.WaitForWrites();
    const auto entry = ReadJournal(journal.PagePath());
    QVERIFY(entry);
    QCOMPARE(entry->path, page);
    QCOMPARE(entry->text, QStringLiteral("ZYXold\r\n"));
    QVERIFY(std::abs(entry->time.secsTo(QDateTime::currentDateTimeUtc())) < 60);
    // The file as it was read: what the text is based on.
    QVERIFY(entry->file);
    QCOMPARE(*entry->file, ReadFileIdentity(page));
    QCOMPARE(*entry->file, s.files().Disk().Recorded());
    const auto lock = DecodeJournalLock(test::TempHome::readBytes(journal.Folder() + "/lock"));
    QVERIFY(lock);
    QCOMPARE(*lock, CurrentJournalLock());
}

// A key every few milliseconds never leaves a pause, yet the text is written.
void TestJournal::steadyTypingIsWritten()
{
    Session s;
    JournalKeeper& journal = s.window.Journal();
    journal.SetIdleDelay(400);
    s.files().NewDocument();
    QTimer keys;
    keys.setInterval(20);
    QObject::connect(&keys, &QTimer::timeout, [&] { s.type(QStringLiteral("k")); });
    keys.start();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(journal.PagePath()), 15000);
    keys.stop();
    journal.WaitForWrites();
    const auto entry = ReadJournal(journal.PagePath());
    QVERIFY(entry);
    QVERIFY(entry->text.startsWith(u'k'));
    QVERIFY(!entry->file);
}

void TestJournal::pageSwitchWritesBeforeTheQuestion_data()
{
    QTest::addColumn<int>("delay");
    QTest::newRow("journal_on") << 3600 * 1000;
    // TAGLOOM_JOURNAL_IDLE_MS=0 turns the journal off.
    QTest::newRow("journal_off") << 0;
}

void TestJournal::pageSwitchWritesBeforeTheQuestion()
{
    QFETCH(int, delay);
    Session s;
    JournalKeeper& journal = s.window.Journal();
    journal.SetIdleDelay(delay);
    s.files().NewDocument();
    s.type(QStringLiteral("draft"));
    journal.WaitForWrites();
    QVERIFY(!QFile::exists(journal.PagePath()));
    s.prompts.planAnswer(MsgAnswer::Cancel);
    s.files().NewDocument();
    journal.WaitForWrites();
    const auto entry = ReadJournal(journal.PagePath());
    if (delay == 0) {
        QVERIFY(!QFileInfo::exists(journal.Folder()));
        return;
    }
    QVERIFY(entry);
    QVERIFY(entry->path.isEmpty());
    QCOMPARE(entry->text, QStringLiteral("draft"));
}

void TestJournal::journalGoesWhenThePageIsSavedOrLeft_data()
{
    QTest::addColumn<QString>("action");
    for (const char* action : {"save", "close_answered_no", "new_answered_no",
                               "open_other_answered_no", "undo_to_saved_text"})
        QTest::newRow(action) << QString::fromLatin1(action);
}

void TestJournal::journalGoesWhenThePageIsSavedOrLeft()
{
    QFETCH(QString, action);
    Session s;
    JournalKeeper& journal = s.window.Journal();
    const QString page = s.write(QStringLiteral("a.htm"), "old\r\n");
    const QString other = s.write(QStringLiteral("b.htm"), "other\r\n");
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QStringLiteral("X"));
    journal.WriteNow();
    journal.WaitForWrites();
    QVERIFY(QFile::exists(journal.PagePath()));

    if (action == QStringLiteral("save")) {
        s.files().SaveDocument();
        QCOMPARE(Session::read(page), QByteArray("Xold\r\n"));
    } else if (action == QStringLiteral("undo_to_saved_text")) {
        s.state.Doc.undo();
        QVERIFY(!s.state.Doc.isModified());
    } else {
        s.prompts.planAnswer(MsgAnswer::No);
        if (action == QStringLiteral("close_answered_no"))
            s.files().CloseDocument();
        else if (action == QStringLiteral("new_answered_no"))
            s.files().NewDocument();
        else
            QCOMPARE(s.files().OpenDocument(other), 0);
        QCOMPARE(Session::read(page), QByteArray("old\r\n"));
    }
    journal.WaitForWrites();
    QVERIFY(!s.prompts.unplanned);
    QVERIFY(!QFile::exists(journal.PagePath()));
}

void TestJournal::restoreGivesTextPathAndModifiedState_data()
{
    QTest::addColumn<bool>("untitled");
    QTest::newRow("named") << false;
    QTest::newRow("untitled") << true;
}

void TestJournal::restoreGivesTextPathAndModifiedState()
{
    QFETCH(bool, untitled);
    Session s;
    const QString page = s.write(QStringLiteral("a.htm"), "old\r\n");
    const QString text = QString::fromUtf8("新しい \xF0\x9F\x98\x80\r\nold\r\n");
    JournalEntry entry =
        Entry(untitled ? QString() : page, text, QStringLiteral("2024-05-01T03:04:05"));
    entry.encoding.kind = TextEncoding::Kind::Utf8;
    if (!untitled)
        entry.file = ReadFileIdentity(page); // the file as the text knew it, unchanged since
    const QString abandoned = WriteAbandoned(QStringLiteral("page.tlj"), entry);
    s.prompts.planAnswer(MsgAnswer::Yes);
    if (untitled)
        s.prompts.planFileName(s.docs() + QStringLiteral("/saved.htm"));

    JournalKeeper& journal = s.window.Journal();
    journal.OfferRecoveredPages();
    QCOMPARE(s.prompts.messages.size(), 1);
    const MessageRequest& q = s.prompts.messages[0];
    QCOMPARE(q.title, QStringLiteral("ページの復元"));
    QCOMPARE(q.buttons, MsgButtons::YesNoCancel);
    const QString when = QDateTime::fromString(QStringLiteral("2024-05-01T03:04:05Z"), Qt::ISODate)
                             .toLocalTime()
                             .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    QCOMPARE(
        q.text,
        QStringLiteral("保存されないまま終わったページの内容が残っています。\r\n\r\n"
                       "ページ: ") +
            (untitled ? QStringLiteral("無題") : page) + QStringLiteral("\r\n時刻: ") + when +
            QStringLiteral("\r\n\r\nはい: 開く (変更されたページとして開きます。保存するまで"
                           "ファイルは変わりません)\r\nいいえ: 破棄 (残っていた内容を削除します)"
                           "\r\nキャンセル: 今は開かず、次の起動時にもう一度尋ねます"));

    QCOMPARE(s.box().Text(), text);
    QVERIFY(!s.window.MainText()->isHidden());
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(s.state.Doc.path(), untitled ? QString() : page);
    QCOMPARE(s.window.Caption(), untitled ? QStringLiteral("無題") : page);
    // The journal now is this process's own; the abandoned one is gone.
    QVERIFY(!QFile::exists(abandoned));
    QVERIFY(AdoptAbandonedJournals(JournalRoot(), journal.Folder()).isEmpty());
    QCOMPARE(ReadJournal(journal.PagePath())->text, text);
    // The page's file is untouched until the user saves; then the journal goes.
    QCOMPARE(Session::read(page), QByteArray("old\r\n"));
    s.files().SaveDocument();
    QCOMPARE(Session::read(untitled ? s.docs() + QStringLiteral("/saved.htm") : page),
             text.toUtf8());
    journal.WaitForWrites();
    QVERIFY(!QFile::exists(journal.PagePath()));
    QVERIFY(!s.prompts.unplanned);
}

void TestJournal::restoreOfChangedFileOpensUntitled_data()
{
    QTest::addColumn<bool>("recorded");
    // The journal holds the file's state, and the file was saved again after it.
    QTest::newRow("saved_after_the_journal") << true;
    // A version-1 journal: the file is newer than the journal.
    QTest::newRow("v1_file_newer_than_journal") << false;
}

void TestJournal::restoreOfChangedFileOpensUntitled()
{
    QFETCH(bool, recorded);
    Session s;
    const QString page = s.write(QStringLiteral("j.htm"), "old\r\n");
    JournalEntry entry =
        Entry(page, QStringLiteral("typed\r\nold\r\n"), QStringLiteral("2024-05-01T03:04:05"));
    entry.encoding.kind = TextEncoding::Kind::Cp932;
    if (recorded)
        entry.file = ReadFileIdentity(page);
    WriteAbandoned(QStringLiteral("page.tlj"), entry);
    s.write(QStringLiteral("j.htm"), "newer, saved\r\n");
    const FileIdentity now = ReadFileIdentity(page);

    s.prompts.planAnswer(MsgAnswer::Yes);
    s.window.Journal().OfferRecoveredPages();
    QCOMPARE(s.prompts.messages.size(), 1);
    const QString fileTime =
        JournalTimeText(QDateTime::fromMSecsSinceEpoch(now.mtimeNs / 1000000, QTimeZone::utc()));
    QCOMPARE(s.prompts.messages[0].text,
             QStringLiteral("保存されないまま終わったページの内容が残っています。\r\n\r\n"
                            "ページ: ") +
                 page + QStringLiteral("\r\n時刻: ") + JournalTimeText(entry.time) +
                 QStringLiteral("\r\n\r\nこのページのファイルは、この内容が控えられた後で変更"
                                "されています。\r\nファイルの更新時刻: ") +
                 fileTime +
                 QStringLiteral("\r\n\r\nはい: 開く (新しい無題のページとして開きます。ファイル"
                                "は変わりません)\r\nいいえ: 破棄 (残っていた内容を削除します)"
                                "\r\nキャンセル: 今は開かず、次の起動時にもう一度尋ねます"));
    QVERIFY(JournalTimeText(entry.time).startsWith(u"2024/05/0"));

    // The text is back as a new page; the newer file is not touched, not even by Save.
    QCOMPARE(s.box().Text(), QStringLiteral("typed\r\nold\r\n"));
    QCOMPARE(s.window.Caption(), QStringLiteral("無題"));
    QCOMPARE(s.state.Doc.path(), QString());
    QVERIFY(s.state.Doc.isModified());
    s.prompts.planFileName(QString());
    s.files().SaveDocument();
    QCOMPARE(s.prompts.fileRequests.size(), 1);
    QCOMPARE(Session::read(page), QByteArray("newer, saved\r\n"));
    QVERIFY(!s.prompts.unplanned);
}

void TestJournal::restoredPageAsksBeforeOverwritingALaterChange()
{
    Session s;
    const QString page = s.write(QStringLiteral("j.htm"), "old\r\n");
    JournalEntry entry =
        Entry(page, QStringLiteral("typed\r\nold\r\n"), QStringLiteral("2024-05-01T03:04:05"));
    entry.encoding.kind = TextEncoding::Kind::Cp932;
    entry.file = ReadFileIdentity(page);
    WriteAbandoned(QStringLiteral("page.tlj"), entry);
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.window.Journal().OfferRecoveredPages();
    QCOMPARE(s.window.Caption(), page);

    // Another program writes the file after the restore: the save asks, and No keeps it.
    s.write(QStringLiteral("j.htm"), "another program's\r\n");
    s.prompts.planAnswer(MsgAnswer::No);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 2);
    QCOMPARE(s.prompts.messages[1].text,
             page + QStringLiteral("\r\nこのファイルは開いた後でほかのプログラムによって変更"
                                   "されています。\r\n上書きしますか？"));
    QCOMPARE(Session::read(page), QByteArray("another program's\r\n"));
    QVERIFY(s.state.Doc.isModified());
    QVERIFY(!s.prompts.unplanned);
}

void TestJournal::discardAndLaterAndSeveralJournals()
{
    Session s;
    WriteAbandoned(QStringLiteral("a.tlj"),
                   Entry({}, QStringLiteral("oldest"), "2024-01-01T00:00:00"));
    WriteAbandoned(QStringLiteral("b.tlj"),
                   Entry({}, QStringLiteral("middle"), "2024-01-02T00:00:00"));
    WriteAbandoned(QStringLiteral("c.tlj"),
                   Entry({}, QStringLiteral("newest"), "2024-01-03T00:00:00"));
    WriteAbandoned(QStringLiteral("d.tlj"),
                   Entry({}, QStringLiteral("ancient"), "2023-01-01T00:00:00"));
    // Newest first: discard it, keep the middle one for later, open the oldest.
    s.prompts.planAnswer(MsgAnswer::No);
    s.prompts.planAnswer(MsgAnswer::Cancel);
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.prompts.planAnswer(MsgAnswer::Ok);
    JournalKeeper& journal = s.window.Journal();
    journal.OfferRecoveredPages();
    QVERIFY(!s.prompts.unplanned);
    QCOMPARE(s.prompts.messages.size(), 4);
    QVERIFY(s.prompts.messages[0].text.contains(QStringLiteral("2024/01/0")));
    QCOMPARE(s.box().Text(), QStringLiteral("oldest"));
    QCOMPARE(s.prompts.messages[3].text,
             QStringLiteral("ほかにも復元できるページが 1 件あります。次の起動時に尋ねます。"));

    // The kept ones stay for the next start, past a clean exit.
    QByteArrayList kept;
    for (const QString& file : AdoptAbandonedJournals(JournalRoot(), journal.Folder()))
        kept << DecodeJournal(test::TempHome::readBytes(file))->text.toUtf8();
    std::sort(kept.begin(), kept.end());
    QCOMPARE(kept, (QByteArrayList{"ancient", "middle"}));
    journal.Finish();
    QVERIFY(!QFile::exists(journal.PagePath()));
    QVERIFY(!QFile::exists(journal.Folder() + QStringLiteral("/lock")));
    QCOMPARE(QDir(journal.Folder()).entryList(QDir::Files).size(), 2);
}

void TestJournal::damagedJournalIsMovedAsideNotOffered()
{
    Session s;
    const QString file =
        WriteAbandoned(QStringLiteral("page.tlj"), Entry({}, "x", "2024-01-01T00:00:00"));
    QByteArray bytes = test::TempHome::readBytes(file);
    bytes.chop(1);
    test::TempHome::writeBytes(file, bytes);
    s.prompts.planAnswer(MsgAnswer::Ok);
    s.window.Journal().OfferRecoveredPages();
    QCOMPARE(s.prompts.messages.size(), 1);
    QVERIFY(s.prompts.messages[0].text.startsWith(
        QStringLiteral("読めない復元用の控えが 1 件ありました。")));
    QVERIFY(s.window.MainText()->isHidden());
    const QDir aside(JournalRoot() + QStringLiteral("/damaged"));
    QCOMPARE(aside.entryList(QDir::Files).size(), 1);
    QCOMPARE(test::TempHome::readBytes(aside.filePath(aside.entryList(QDir::Files)[0])), bytes);
}

void TestJournal::cleanExitRemovesTheFolder()
{
    Session s;
    s.window.show();
    JournalKeeper& journal = s.window.Journal();
    s.files().NewDocument();
    s.type(QStringLiteral("draft"));
    s.prompts.planAnswer(MsgAnswer::No);
    QVERIFY(s.window.close());
    QVERIFY(!QFileInfo::exists(journal.Folder()));
    // Nothing more is written after the end.
    s.state.Doc.replace(0, 0, QStringLiteral("more"));
    journal.WriteNow();
    journal.WaitForWrites();
    QVERIFY(!QFileInfo::exists(journal.Folder()));
}

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"
