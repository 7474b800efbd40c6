// Pages written in place (hard links, another owner's files) are marked in the program folder
// while the write lasts; a start that finds the mark of a copy that no longer runs tells the
// user the page may be torn and offers its backup.
#include "files/savemark.h"
#include "filesession.h"
#include "killedcopy.h"
#include "platform/atomicwrite.h"
#include "platform/files.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <unistd.h>

using namespace tl;
using namespace tl::test;

namespace
{

const QByteArray kOld = "<P>old</P>\r\n";
const QByteArray kTorn = "<P>new text that the kill cut off";

QStringList MarksIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.mark")}, QDir::Files);
}

} // namespace

Q_DECLARE_METATYPE(std::optional<tl::SaveMark>)

class TestTornSave : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void markBytes_data();
    void markBytes();
    void inPlaceWriteIsMarkedWhileItLasts_data();
    void inPlaceWriteIsMarkedWhileItLasts();
    void leftMarkIsToldAndAnswered_data();
    void leftMarkIsToldAndAnswered();
};

void TestTornSave::markBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<std::optional<SaveMark>>("mark");
    QTest::newRow("page_and_backup")
        << QByteArray("TAGLOOM SAVE MARK 1\npage=/w/%E3%83%9A%20a%25.htm\nbackup=/w/b.bak\n")
        << std::optional(SaveMark{QStringLiteral("/w/ペ a%.htm"), QStringLiteral("/w/b.bak")});
    QTest::newRow("no_backup") << QByteArray("TAGLOOM SAVE MARK 1\npage=/w/a.htm\nbackup=\n")
                               << std::optional(SaveMark{QStringLiteral("/w/a.htm"), QString()});
    QTest::newRow("no_page") << QByteArray("TAGLOOM SAVE MARK 1\npage=\nbackup=/w/b.bak\n")
                             << std::optional<SaveMark>();
    QTest::newRow("cut_short") << QByteArray("TAGLOOM SAVE MARK 1\npage=/w/a.htm\n")
                               << std::optional<SaveMark>();
    QTest::newRow("other_file") << QByteArray("TAGLOOM JOURNAL 3\npage=/w/a.htm\nbackup=\n")
                                << std::optional<SaveMark>();
}

void TestTornSave::markBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(std::optional<SaveMark>, mark);
    QCOMPARE(DecodeSaveMark(bytes), mark);
    if (mark)
        QCOMPARE(EncodeSaveMark(*mark), bytes);
}

// The mark is there while the page's bytes reach the disk (the write's own hook looks), names
// the page and its backup, and is gone once the save is over. A save by rename needs none.
void TestTornSave::inPlaceWriteIsMarkedWhileItLasts_data()
{
    QTest::addColumn<bool>("hardLink");
    QTest::newRow("hard_link_written_in_place") << true;
    QTest::newRow("renamed_over") << false;
}

void TestTornSave::inPlaceWriteIsMarkedWhileItLasts()
{
    QFETCH(bool, hardLink);
    FileSession s;
    const QString page = s.write(QStringLiteral("page.htm"), kOld);
    const QString other = s.docs() + QStringLiteral("/other.htm");
    if (hardLink)
        QVERIFY(::link(QFile::encodeName(page).constData(), QFile::encodeName(other).constData()) ==
                0);
    QCOMPARE(s.files().OpenDocument(page), 0);
    s.type(QStringLiteral("new "));
    const QString mark = SaveMarkPathFor(SaveMarkFolder(), CurrentCopyLock());
    QByteArray markWhileWriting = "no write reached the page";
    const ScopedAfterWrite look([&](const QString& target) {
        if (QFileInfo(target).fileName() == QStringLiteral("page.htm"))
            markWhileWriting = TempHome::readBytes(mark);
    });

    s.files().SaveDocument();
    QCOMPARE(s.read(page), "new " + kOld);
    QCOMPARE(s.read(s.docs() + QStringLiteral("/page.bak")), kOld);
    QCOMPARE(markWhileWriting, hardLink
                                   ? EncodeSaveMark({page, s.docs() + QStringLiteral("/page.bak")})
                                   : QByteArray());
    if (hardLink)
        QCOMPARE(s.read(other), "new " + kOld);
    QCOMPARE(MarksIn(SaveMarkFolder()), QStringList());
    QVERIFY(!s.prompts.unplanned);
}

// A mark left by a copy that was killed: the page is named, and the answer is done. A running
// copy's mark is its own business, and a page still equal to its backup was not torn.
void TestTornSave::leftMarkIsToldAndAnswered_data()
{
    QTest::addColumn<bool>("ownerRunning");
    QTest::addColumn<bool>("torn");
    QTest::addColumn<int>("choice"); // -1: no question
    QTest::addColumn<QByteArray>("pageAfter");
    QTest::addColumn<bool>("backupShown");
    QTest::addColumn<bool>("markLeft");
    QTest::newRow("restore") << false << true << 0 << kOld << false << false;
    QTest::newRow("open_backup") << false << true << 1 << kTorn << true << false;
    QTest::newRow("leave") << false << true << 2 << kTorn << false << false;
    QTest::newRow("owner_still_runs") << true << true << -1 << kTorn << false << true;
    QTest::newRow("page_not_torn") << false << false << -1 << kOld << false << false;
}

void TestTornSave::leftMarkIsToldAndAnswered()
{
    QFETCH(bool, ownerRunning);
    QFETCH(bool, torn);
    QFETCH(int, choice);
    QFETCH(QByteArray, pageAfter);
    QFETCH(bool, backupShown);
    QFETCH(bool, markLeft);
    FileSession s;
    const QString page = s.write(QStringLiteral("page.htm"), torn ? kTorn : kOld);
    const QString backup = s.write(QStringLiteral("page.bak"), kOld);
    const QString other = s.docs() + QStringLiteral("/other.htm");
    QVERIFY(::link(QFile::encodeName(page).constData(), QFile::encodeName(other).constData()) == 0);
    KilledCopy copy;
    if (!ownerRunning)
        QVERIFY(copy.kill());
    QVERIFY(QDir().mkpath(SaveMarkFolder()));
    QVERIFY(WriteFileAtomically(SaveMarkPathFor(SaveMarkFolder(), copy.lock()),
                                EncodeSaveMark({page, backup})));
    if (choice >= 0)
        s.prompts.planChoice(choice);

    s.files().OfferTornPages();
    QVERIFY(!s.prompts.unplanned);
    QCOMPARE(s.prompts.choiceRequests.size(), choice >= 0 ? 1 : 0);
    if (choice >= 0) {
        const ChoiceRequest& asked = s.prompts.choiceRequests[0];
        QCOMPARE(asked.title, QStringLiteral("中断された保存"));
        QCOMPARE(asked.text,
                 QStringLiteral("前回、次のページをファイルに直接書き込んでいる途中でプログラムが"
                                "終了しました。ページは途中まで新しい内容で、残りが古い内容のまま"
                                "になっているおそれがあります。\r\n\r\nページ: ") +
                     page + QStringLiteral("\r\nバックアップ: ") + backup +
                     QStringLiteral("\r\n\r\nバックアップで戻す: バックアップ (保存する前の内容) "
                                    "をページに書き戻します\r\nバックアップを開く: バックアップを"
                                    "開いて見せます。ファイルは変わりません\r\nそのままにする: "
                                    "何もしません"));
        QCOMPARE(asked.choices, QStringList({QStringLiteral("バックアップで戻す(&R)"),
                                             QStringLiteral("バックアップを開く(&O)"),
                                             QStringLiteral("そのままにする(&L)")}));
        QCOMPARE(asked.defaultChoice, 1); // Enter writes nothing
        QCOMPARE(asked.escapeChoice, 2);
    }
    QCOMPARE(s.read(page), pageAfter);
    // Put back in place: the page's other name holds the same bytes.
    QCOMPARE(s.read(other), pageAfter);
    QCOMPARE(s.read(backup), kOld);
    QCOMPARE(s.window.Caption() == backup, backupShown);
    if (backupShown)
        QCOMPARE(s.box().Text(), QString::fromLatin1(kOld));
    QCOMPARE(MarksIn(SaveMarkFolder()).size(), markLeft ? 1 : 0);
}

QTEST_MAIN(TestTornSave)
#include "tst_tornsave.moc"
