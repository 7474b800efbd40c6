#include "app/diskchangebar.h"
#include "editbox/maintextedit.h"
#include "files/diskwatch.h"
#include "files/filecommands.h"
#include "filesession.h"
#include "platform/atomicwrite.h"
#include "platform/fileidentity.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tl;

using Session = test::FileSession;

namespace
{

const QByteArray kOriginal = "<P>original</P>\r\n";

// How another program changes the page's file.
enum class Change {
    Rewritten,       // rewritten in place with another size
    SameSizeLater,   // rewritten in place with as many bytes, a later modification time
    ReplacedByRename // a new file written beside it and renamed over it, as editors save
};

// Moves the file's modification time on by seconds, so that a rewrite within the clock's
// resolution still looks later.
void MoveModificationTime(const QString& path, int seconds)
{
    struct stat st {
    };
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_sec += seconds;
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
}

// Another program changes the file at path to hold bytes (for SameSizeLater, as many bytes as
// the file holds).
void ChangeFile(Change change, const QString& path, const QByteArray& bytes)
{
    switch (change) {
    case Change::Rewritten:
    case Change::SameSizeLater: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        MoveModificationTime(path, 2);
        break;
    }
    case Change::ReplacedByRename: {
        const QString temp = path + QStringLiteral(".new");
        test::TempHome::writeBytes(temp, bytes);
        QVERIFY(std::rename(QFile::encodeName(temp).constData(),
                            QFile::encodeName(path).constData()) == 0);
        break;
    }
    }
}

// True once the watcher has taken in what the folder reported so far and its settle time is
// over: any question it would ask about those changes has been asked.
bool WatcherIdle(DiskWatch& disk)
{
    QCoreApplication::processEvents();
    return !disk.Settling();
}

bool BarShown(Session& s)
{
    return !s.window.DiskBar()->isHidden();
}

// A page as text, as the edit box shows it.
QString PageText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

} // namespace

class TestDiskChanges : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void compareDiskFile_data();
    void compareDiskFile();
    void changedFileIsToldInTheBar_data();
    void changedFileIsToldInTheBar();
    void reloadOverUnsavedTextAsksAndUndoes();
    void barTakesNoFocusAndIsReadable();
    void reloadKeepsTheCaretsPlace_data();
    void reloadKeepsTheCaretsPlace();
    void ownSavesAskNothing();
    void deletedFileIsToldOnce();
    void saveOverChangedFileAsks_data();
    void saveOverChangedFileAsks();
    void windowActivationChecks();
    void watcherNotices_data();
    void watcherNotices();
    void changeRightAfterOwnSaveIsAsked_data();
    void changeRightAfterOwnSaveIsAsked();
};

void TestDiskChanges::compareDiskFile_data()
{
    QTest::addColumn<FileIdentity>("now");
    QTest::addColumn<bool>("seenBefore");
    QTest::addColumn<DiskChange>("expected");

    const FileIdentity known{QStringLiteral("/p.htm"), true, 10, 5'000'000'001, 7, 1, 0};
    auto with = [known](auto change) {
        FileIdentity id = known;
        change(id);
        return id;
    };
    QTest::newRow("same") << known << false << DiskChange::None;
    QTest::newRow("other_size") << with([](FileIdentity& id) { id.size = 11; }) << false
                                << DiskChange::Changed;
    QTest::newRow("later_by_a_nanosecond")
        << with([](FileIdentity& id) { ++id.mtimeNs; }) << false << DiskChange::Changed;
    QTest::newRow("other_inode") << with([](FileIdentity& id) { id.inode = 8; }) << false
                                 << DiskChange::Changed;
    QTest::newRow("changed_already_seen")
        << with([](FileIdentity& id) { id.size = 11; }) << true << DiskChange::None;
    QTest::newRow("missing") << FileIdentity{known.path} << false << DiskChange::Deleted;
    QTest::newRow("missing_already_seen") << FileIdentity{known.path} << true << DiskChange::None;
    QTest::newRow("unreadable") << FileIdentity{known.path, false, 0, 0, 0, 0, EACCES} << false
                                << DiskChange::None;
}

void TestDiskChanges::compareDiskFile()
{
    QFETCH(FileIdentity, now);
    QFETCH(bool, seenBefore);
    QFETCH(DiskChange, expected);
    const FileIdentity known{QStringLiteral("/p.htm"), true, 10, 5'000'000'001, 7, 1, 0};
    QCOMPARE(CompareDiskFile(known, seenBefore ? now : known, now), expected);
}

void TestDiskChanges::changedFileIsToldInTheBar_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("reload"); // 再読み込み, else 無視
    QTest::newRow("clean_rewritten_reload") << false << Change::Rewritten << true;
    QTest::newRow("clean_same_size_later_reload") << false << Change::SameSizeLater << true;
    QTest::newRow("clean_renamed_reload") << false << Change::ReplacedByRename << true;
    QTest::newRow("clean_keep") << false << Change::Rewritten << false;
    QTest::newRow("modified_rewritten_keep") << true << Change::Rewritten << false;
    QTest::newRow("modified_renamed_keep") << true << Change::ReplacedByRename << false;
    QTest::newRow("modified_reload") << true << Change::Rewritten << true;
}

void TestDiskChanges::changedFileIsToldInTheBar()
{
    QFETCH(bool, modified);
    QFETCH(Change, change);
    QFETCH(bool, reload);
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), kOriginal);
    QCOMPARE(s.files().OpenDocument(path), 0);
    if (modified)
        s.type(QStringLiteral("mine "));
    const QString before = s.box().Text();

    const QByteArray theirs = change == Change::SameSizeLater ? QByteArray("<P>replaced</P>\r\n")
                                                              : QByteArray("<P>theirs</P>\r\n");
    QCOMPARE(theirs.size() == kOriginal.size(), change == Change::SameSizeLater);
    ChangeFile(change, path, theirs);
    s.files().Disk().Check();

    // The bar names the file and warns of unsaved changes; nothing is asked, nothing changes yet.
    DiskChangeBar* bar = s.window.DiskBar();
    QVERIFY(BarShown(s));
    QVERIFY(bar->text().contains(path));
    QCOMPARE(bar->text().contains(QStringLiteral("変更は失われます")), modified);
    QVERIFY(!bar->ReloadButton()->isHidden());
    QVERIFY(s.prompts.messages.isEmpty());
    QCOMPARE(s.box().Text(), before);
    // The bar stands over the top of the edit box, which gives up the room.
    QCOMPARE(bar->geometry().bottom() + 1, s.window.MainText()->y());

    // Unsaved changes are asked about first (here: thrown away).
    const bool asks = modified && reload;
    if (asks)
        s.prompts.planAnswer(MsgAnswer::Yes);
    (reload ? bar->ReloadButton() : bar->IgnoreButton())->click();
    QVERIFY(!BarShown(s));
    if (reload) {
        QCOMPARE(s.box().Text(), PageText(theirs));
        QVERIFY(!s.state.Doc.isModified());
    } else {
        // Kept: the page stays as it was and no longer matches the file.
        QCOMPARE(s.box().Text(), before);
        QVERIFY(s.state.Doc.isModified());
    }
    QCOMPARE(s.read(path), theirs);
    QCOMPARE(s.prompts.messages.size(), asks ? 1 : 0);
    QVERIFY(!s.prompts.unplanned);

    // The same change is not told again; another change is.
    s.files().Disk().Check();
    QVERIFY(!BarShown(s));
    ChangeFile(Change::Rewritten, path, "<P>again, longer</P>\r\n");
    s.files().Disk().Check();
    QVERIFY(BarShown(s));
    QCOMPARE(s.prompts.messages.size(), asks ? 1 : 0);
}

// 再読み込み over unsaved text asks first: いいえ (and Enter) keeps the text, はい reads the file,
// and Ctrl+Z gives the text back, modified.
void TestDiskChanges::reloadOverUnsavedTextAsksAndUndoes()
{
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), kOriginal);
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&s.window));
    MainTextEdit* edit = s.window.MainText();
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("mine "));
    const QString mine = s.box().Text();
    DiskChangeBar* bar = s.window.DiskBar();

    ChangeFile(Change::Rewritten, path, "<P>theirs</P>\r\n");
    s.files().Disk().Check();
    s.prompts.planAnswer(MsgAnswer::No);
    QTest::mouseClick(bar->ReloadButton(), Qt::LeftButton);
    QCOMPARE(s.prompts.messages.size(), 1);
    const MessageRequest question = s.prompts.messages.constLast();
    QCOMPARE(question.text, QStringLiteral("[") + path +
                                QStringLiteral("] 内のﾃｷｽﾄは変更されています。\r\n"
                                               "変更を破棄して、ファイルから再読み込みしますか ?"));
    QCOMPARE(question.buttons, MsgButtons::YesNo);
    QVERIFY(question.defaultAnswer == MsgAnswer::No);
    QCOMPARE(s.box().Text(), mine);
    QVERIFY(s.state.Doc.isModified());

    ChangeFile(Change::Rewritten, path, "<P>theirs, again</P>\r\n");
    s.files().Disk().Check();
    s.prompts.planAnswer(MsgAnswer::Yes);
    QTest::mouseClick(bar->ReloadButton(), Qt::LeftButton);
    QCOMPARE(s.prompts.messages.size(), 2);
    QCOMPARE(s.prompts.messages.constLast().text, question.text);
    QCOMPARE(s.box().Text(), QStringLiteral("<P>theirs, again</P>\r\n"));
    QVERIFY(!s.state.Doc.isModified());
    QCOMPARE(QApplication::focusWidget(), edit);

    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.box().Text(), mine);
    QVERIFY(s.state.Doc.isModified());
    QTest::keyClick(edit, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(s.box().Text(), QStringLiteral("<P>theirs, again</P>\r\n"));
    QVERIFY(!s.state.Doc.isModified());
    QCOMPARE(s.read(path), QByteArray("<P>theirs, again</P>\r\n"));
    QVERIFY(!s.prompts.unplanned);
}

void TestDiskChanges::barTakesNoFocusAndIsReadable()
{
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), kOriginal);
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&s.window));
    MainTextEdit* edit = s.window.MainText();
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());

    // The watcher alone brings the bar, while the window stays active; typing goes on.
    ChangeFile(Change::Rewritten, path, "<P>theirs</P>\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(BarShown(s), 5000);
    QVERIFY(s.window.DiskBar()->isVisible());
    QCOMPARE(QApplication::focusWidget(), edit);
    QTest::keyClicks(edit, QStringLiteral("z"));
    QCOMPARE(s.box().Text(), QStringLiteral("z") + PageText(kOriginal));
    QVERIFY(s.prompts.messages.isEmpty());

    // Assistive technology reads the bar's name and message, and each button by its caption.
    auto read = [](QObject* o, QAccessible::Text what) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
        return a ? a->text(what) : QString();
    };
    DiskChangeBar* bar = s.window.DiskBar();
    QCOMPARE(read(bar, QAccessible::Name), QStringLiteral("ファイルの変更"));
    QCOMPARE(read(bar, QAccessible::Description), bar->text());
    QVERIFY(bar->text().contains(path));
    QCOMPARE(read(bar->ReloadButton(), QAccessible::Name), QStringLiteral("再読み込み"));
    QCOMPARE(read(bar->IgnoreButton(), QAccessible::Name), QStringLiteral("無視"));

    // A click on a button does its job and leaves the typing in the edit box.
    QTest::mouseClick(bar->IgnoreButton(), Qt::LeftButton);
    QVERIFY(!BarShown(s));
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(s.box().Text(), QStringLiteral("z") + PageText(kOriginal));
}

void TestDiskChanges::reloadKeepsTheCaretsPlace_data()
{
    QTest::addColumn<QByteArray>("theirs");
    QTest::addColumn<int>("line"); // where the caret is after the reload, 0-based
    QTest::addColumn<int>("column");

    QTest::newRow("line_grew") << QByteArray("a\r\nb\r\n<P>longer line</P>\r\nd\r\n") << 2 << 4;
    QTest::newRow("line_shorter") << QByteArray("a\r\nb\r\nc\r\nd\r\n") << 2 << 1;
    QTest::newRow("fewer_lines") << QByteArray("only\r\n") << 1 << 0;
}

void TestDiskChanges::reloadKeepsTheCaretsPlace()
{
    QFETCH(QByteArray, theirs);
    QFETCH(int, line);
    QFETCH(int, column);
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), "a\r\nb\r\n<P>text</P>\r\nd\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    const qsizetype caret = s.state.Doc.lineStart(2) + 4;
    s.state.Doc.setSelection(caret, caret);
    ChangeFile(Change::Rewritten, path, theirs);
    s.files().Disk().Check();
    s.window.DiskBar()->ReloadButton()->click();
    QCOMPARE(s.box().Text(), PageText(theirs));
    QCOMPARE(s.state.Doc.lineOf(s.state.Doc.caret()), line);
    QCOMPARE(s.state.Doc.caret() - s.state.Doc.lineStart(line), qsizetype(column));
}

void TestDiskChanges::ownSavesAskNothing()
{
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), kOriginal);
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&s.window));
    for (const QString& typed : {QStringLiteral("one "), QStringLiteral("two ")}) {
        QSignalSpy settled(&s.files().Disk(), &DiskWatch::Settled);
        s.type(typed);
        s.files().SaveDocument();
        QVERIFY(!s.state.Doc.isModified());
        // The watcher sees the save (and its backup) in the folder and looks once they are
        // over, then the window's activation comes: neither asks.
        QTRY_VERIFY_WITH_TIMEOUT(settled.count() > 0 && WatcherIdle(s.files().Disk()), 5000);
        QEvent activation(QEvent::ActivationChange);
        QCoreApplication::sendEvent(&s.window, &activation);
        QCoreApplication::sendPostedEvents();
        s.files().Disk().Check();
    }
    QCOMPARE(s.read(path), "two one " + kOriginal);
    QVERIFY(s.prompts.messages.isEmpty());
    QVERIFY(!BarShown(s));
}

void TestDiskChanges::deletedFileIsToldOnce()
{
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), kOriginal);
    QCOMPARE(s.files().OpenDocument(path), 0);
    QVERIFY(QFile::remove(path));

    s.files().Disk().Check();
    QVERIFY(BarShown(s));
    DiskChangeBar* bar = s.window.DiskBar();
    QVERIFY(bar->text().contains(path));
    QVERIFY(bar->text().contains(QStringLiteral("削除")));
    // Nothing to read again: only 無視.
    QVERIFY(bar->ReloadButton()->isHidden());
    bar->IgnoreButton()->click();
    s.files().Disk().Check();
    QVERIFY(!BarShown(s));
    QVERIFY(s.prompts.messages.isEmpty());
    // The page stays, and closing it asks to save it.
    QVERIFY(!s.window.MainText()->isHidden());
    QCOMPARE(s.box().Text(), PageText(kOriginal));
    QVERIFY(s.state.Doc.isModified());
    s.prompts.planAnswer(MsgAnswer::Cancel);
    s.files().CloseDocument();
    QCOMPARE(s.prompts.messages.size(), 1);
    QVERIFY(s.prompts.messages.last().text.contains(QStringLiteral("変更を保存しますか")));
    QVERIFY(!s.window.MainText()->isHidden());

    // Saving puts the file back, without an overwrite question.
    s.files().SaveDocument();
    QCOMPARE(s.read(path), kOriginal);
    QCOMPARE(s.prompts.messages.size(), 1);
}

void TestDiskChanges::saveOverChangedFileAsks_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::newRow("no_writes_nothing") << MsgAnswer::No;
    QTest::newRow("yes_overwrites") << MsgAnswer::Yes;
}

void TestDiskChanges::saveOverChangedFileAsks()
{
    QFETCH(MsgAnswer, answer);
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), kOriginal);
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.type(QStringLiteral("mine "));
    const QByteArray theirs = "<P>theirs</P>\r\n";
    ChangeFile(Change::ReplacedByRename, path, theirs);

    s.prompts.planAnswer(answer);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 1);
    const MessageRequest& question = s.prompts.messages.first();
    QVERIFY(question.text.contains(path));
    QVERIFY(question.text.contains(QStringLiteral("上書きしますか")));
    QVERIFY(question.defaultAnswer == MsgAnswer::No);
    const QString backup = s.docs() + QStringLiteral("/page.bak");
    if (answer == MsgAnswer::No) {
        QCOMPARE(s.read(path), theirs);
        QVERIFY(!QFile::exists(backup));
        QVERIFY(s.state.Doc.isModified());
    } else {
        QCOMPARE(s.read(path), "mine " + kOriginal);
        QCOMPARE(s.read(backup), theirs);
        QVERIFY(!s.state.Doc.isModified());
    }
    // The user has heard of this change: no bar follows.
    s.files().Disk().Check();
    QCOMPARE(s.prompts.messages.size(), 1);
    QVERIFY(!BarShown(s));
}

void TestDiskChanges::windowActivationChecks()
{
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), kOriginal);
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&s.window));
    const QByteArray theirs = "<P>theirs</P>\r\n";
    ChangeFile(Change::Rewritten, path, theirs);

    // The activation's check runs from the posted events, before any watcher could report.
    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(&s.window, &activation);
    QCoreApplication::sendPostedEvents();
    QVERIFY(BarShown(s));
    s.window.DiskBar()->ReloadButton()->click();
    QVERIFY(s.prompts.messages.isEmpty());
    QCOMPARE(s.box().Text(), PageText(theirs));
    QVERIFY(!s.state.Doc.isModified());
}

void TestDiskChanges::watcherNotices_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("rewritten") << Change::Rewritten;
    QTest::newRow("replaced_by_rename") << Change::ReplacedByRename;
}

void TestDiskChanges::watcherNotices()
{
    QFETCH(Change, change);
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), kOriginal);
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&s.window));

    // Twice: the watch outlives a file replaced under it.
    DiskChangeBar* bar = s.window.DiskBar();
    const QList<QByteArray> versions{"<P>first</P>\r\n", "<P>second one</P>\r\n"};
    for (const QByteArray& version : versions) {
        ChangeFile(change, path, version);
        QTRY_VERIFY_WITH_TIMEOUT(BarShown(s), 5000);
        bar->ReloadButton()->click();
        QCOMPARE(s.box().Text(), PageText(version));
    }
    // Deleted: told once.
    QVERIFY(QFile::remove(path));
    QTRY_VERIFY_WITH_TIMEOUT(BarShown(s), 5000);
    QVERIFY(bar->ReloadButton()->isHidden());
    bar->IgnoreButton()->click();
    QTest::qWait(3 * DiskWatch::kSettleMs);
    QVERIFY(!BarShown(s));
    QVERIFY(s.state.Doc.isModified());
    QVERIFY(s.prompts.messages.isEmpty());
}

// Another program writes to the page's file right after a save put it there, before the save
// has returned: that is a change, and the next save asks before it overwrites it. (The save
// takes what it wrote from the file's descriptor, not from a look at the path afterwards.)
void TestDiskChanges::changeRightAfterOwnSaveIsAsked_data()
{
    QTest::addColumn<bool>("inPlace"); // the page has a second name, so it is written in place
    QTest::newRow("renamed_over") << false;
    QTest::newRow("written_in_place") << true;
}

void TestDiskChanges::changeRightAfterOwnSaveIsAsked()
{
    QFETCH(bool, inPlace);
    Session s;
    const QString path = s.write(QStringLiteral("page.htm"), kOriginal);
    if (inPlace)
        QVERIFY(::link(QFile::encodeName(path).constData(),
                       QFile::encodeName(s.docs() + QStringLiteral("/other.htm")).constData()) ==
                0);
    QCOMPARE(s.files().OpenDocument(path), 0);
    const QByteArray theirs = "<P>theirs</P>\r\n";
    s.type(QStringLiteral("mine "));
    {
        const ScopedAfterWrite otherProgram([&](const QString& target) {
            QFile file(target);
            QVERIFY(file.open(QIODevice::Append));
            file.write(theirs);
        });
        s.files().SaveDocument();
    }
    QVERIFY(s.prompts.messages.isEmpty());
    const QByteArray onDisk = "mine " + kOriginal + theirs;
    QCOMPARE(s.read(path), onDisk);

    s.type(QStringLiteral("again "));
    s.prompts.planAnswer(MsgAnswer::No);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 1);
    QVERIFY(s.prompts.messages[0].text.contains(QStringLiteral("上書きしますか")));
    QCOMPARE(s.read(path), onDisk);
    QVERIFY(s.state.Doc.isModified());
}

QTEST_MAIN(TestDiskChanges)
#include "tst_diskchanges.moc"
