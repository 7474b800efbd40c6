// The journal's reading and writing while the program goes on: a write takes the page as it is
// at that moment though the typing goes on, and nothing put in another copy's folder makes the
// start wait.
#include "app/frmmain.h"
#include "core/appstate.h"
#include "filesession.h"
#include "journalfixtures.h"
#include "namedpipe.h"
#include "recovery/journal.h"
#include "recovery/journalkeeper.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace tl;

using Session = test::FileSession;
using test::DeadPid;
using test::Entry;
using test::ReadJournal;

class TestJournalIo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void editsAfterTheSnapshotStayOut();
    void pipeInPlaceOfLockIsNotWaitedOn_data();
    void pipeInPlaceOfLockIsNotWaitedOn();
};

// The journal holds the page as it was when the write was due, kept forms and all, though the
// typing goes on while the worker copies and writes it.
void TestJournalIo::editsAfterTheSnapshotStayOut()
{
    Session s;
    JournalKeeper& journal = s.window.Journal();
    journal.SetIdleDelay(3600 * 1000);
    QByteArray bytes;
    for (int i = 0; i < 40'000; ++i)
        bytes += "<P>line " + QByteArray::number(i) + " \xE7\xBA\x8A</P>\r\n"; // 纊
    const QString page = s.write(QStringLiteral("big.htm"), bytes);
    QCOMPARE(s.files().OpenDocument(page), 0);
    Document& doc = s.state.Doc;
    const QString kanji(QChar(0x7E8A));
    doc.setByteVariants({{doc.text().indexOf(kanji), 0x7E8A, 0xFA5C},
                         {doc.text().lastIndexOf(kanji), 0x7E8A, 0xED40}});
    s.type(QStringLiteral("typed "));
    const QString taken = doc.text();
    const ByteVariants forms = doc.byteVariants();
    QCOMPARE(forms.size(), size_t(2));

    for (int round = 0; round < 3; ++round) {
        journal.WriteNow();
        const QString written = doc.text();
        s.type(QStringLiteral("after "));
        doc.replace(doc.length() - 20, 20, QStringLiteral("end"));
        doc.replace(doc.text().indexOf(kanji), 1, QStringLiteral("x"));
        doc.replace(doc.length() / 2, 0, QString(400'000, u'g'));
        journal.WaitForWrites();
        const auto entry = ReadJournal(journal.PagePath());
        QVERIFY(entry);
        QCOMPARE(entry->text, written);
        if (round == 0) {
            QCOMPARE(entry->text, taken);
            QCOMPARE(entry->forms, forms);
        }
    }
}

// A named pipe where another copy's lock belongs: the start reads no lock from it and goes by
// the folder's name, without waiting for a writer on the pipe.
void TestJournalIo::pipeInPlaceOfLockIsNotWaitedOn_data()
{
    QTest::addColumn<bool>("ownerRuns");
    QTest::newRow("owner gone: offered") << false;
    QTest::newRow("owner runs: left alone") << true;
}

void TestJournalIo::pipeInPlaceOfLockIsNotWaitedOn()
{
    QFETCH(bool, ownerRuns);
    Session s;
    QProcess owner;
    owner.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(owner.waitForStarted());
    const JournalLock lock =
        ownerRuns ? JournalLock{owner.processId(), ProcessStartTime(owner.processId())}
                  : JournalLock{DeadPid(), "1"};
    const QString folder = JournalFolderFor(JournalRoot(), lock);
    QVERIFY(QDir().mkpath(folder));
    const QByteArray bytes =
        EncodeJournal(Entry({}, QStringLiteral("typed beside a pipe"), "2024-01-02T00:00:00"));
    test::TempHome::writeBytes(folder + QStringLiteral("/page.tlj"), bytes);
    test::NamedPipe pipe(folder + QStringLiteral("/lock"), 2000);
    QVERIFY(pipe.made());

    s.prompts.planAnswer(MsgAnswer::Yes);
    s.window.Journal().OfferRecoveredPages();
    QVERIFY2(!pipe.fired(), "the start waited on the pipe");
    if (ownerRuns) {
        QVERIFY(s.prompts.messages.isEmpty());
        QCOMPARE(test::TempHome::readBytes(folder + QStringLiteral("/page.tlj")), bytes);
    } else {
        QVERIFY(!s.prompts.unplanned);
        QCOMPARE(s.prompts.messages.size(), 1);
        QCOMPARE(s.box().Text(), QStringLiteral("typed beside a pipe"));
        QVERIFY(!QFileInfo::exists(folder));
    }
    owner.kill();
    owner.waitForFinished();
}

QTEST_MAIN(TestJournalIo)
#include "tst_journalio.moc"
