#include "app/frmmain.h"
#include "captionfit.h"
#include "core/appstate.h"
#include "dialogs/pages/frmfilenames.h"
#include "editbox/maintextedit.h"
#include "files/filecommands.h"
#include "files/pagelist.h"
#include "files/settingsfiles.h"
#include "filesession.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/programfolder.h"

#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QtTest>
#include <cerrno>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace tl;

using Session = test::FileSession;

class TestFileCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openNormalisesLineBreaksAndIsUnmodified();
    void saveThroughLinkKeepsTheLink_data();
    void saveThroughLinkKeepsTheLink();
    void saveBacksUpAndAppendsCrLf_data();
    void saveBacksUpAndAppendsCrLf();
    void modifiedUntitledOpenYesThenSaveDialogCancelled();
    void cancelledSaveKeepsUntitledText_data();
    void cancelledSaveKeepsUntitledText();
    void pageNamedLikeUntitledSavesToItsOwnFile();
    void titleMarksUnsavedChanges();
    void undoToTheSavedTextAsksNothing();
    void modifiedNewAnsweredCancelChangesNothing();
    void saveAsUntitledOverExistingAnsweredNo();
    void saveAsCancelledWritesNothing();
    void openByDialogRefusesPrograms();
    void fileDialogsStartInTheUsersFolders();
    void pathWithLineBreakIsNotListed();
    void droppedFilesOpenOnlyTheFirst();
    void recentItemOpensWithoutReordering();
    void previousAndNextSkipVanishedPages();
    void clearAllPagesDeletesPageList();
    void fileListDeletesCurrentPageAndRebuildsTable();
    void pageListAtStartOffersFileList();
    void closeRequestWritesPageListEvenWhenCancelled();
    void pageListNotReadWholeIsNeverRewritten_data();
    void pageListNotReadWholeIsNeverRewritten();
    void pageListOverFiftyLinesKeepsTheRest();
    void shiftJisPageSavesBackSameBytes();
    void characterOutsideEncodingWritesNothingUnlessUtf8Chosen();
    void unencodableCharactersOffers_data();
    void unencodableCharactersOffers();
    void referencesKeepTheFormsAroundThem();
    void equivalentsQuestionNamesThem();
    void failedWriteKeepsDocumentModified();
    void savedFileKeepsItsPermissions();
    void undecodableBytesAreReportedAndAskedOnce();
};

void TestFileCommands::openNormalisesLineBreaksAndIsUnmodified()
{
    Session s;
    const QString path = s.write(QStringLiteral("lf.htm"), "a\nb\rc\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    QCOMPARE(s.box().Text(), QStringLiteral("a\r\nb\r\nc\r\n"));
    QCOMPARE(s.window.Caption(), path);
    QVERIFY(!s.state.Doc.isModified());
    QVERIFY(!s.window.MainText()->isHidden());
    QCOMPARE(s.state.Docs[0].Path, path);
    QVERIFY(s.prompts.messages.isEmpty());
}

// Saving through a symbolic link writes the file it names, also one that was deleted since the
// page was opened (made again there), and the link stays a link.
void TestFileCommands::saveThroughLinkKeepsTheLink_data()
{
    QTest::addColumn<bool>("fileDeleted");
    QTest::newRow("live_link") << false;
    QTest::newRow("link_whose_file_was_deleted") << true;
}

void TestFileCommands::saveThroughLinkKeepsTheLink()
{
    QFETCH(bool, fileDeleted);
    Session s;
    const QString file = s.write(QStringLiteral("site/page.htm"), "old\r\n");
    const QString link = s.docs() + QStringLiteral("/link.htm");
    QVERIFY(::symlink("site/page.htm", QFile::encodeName(link).constData()) == 0);
    QCOMPARE(s.files().OpenDocument(link), 0);
    if (fileDeleted)
        QVERIFY(QFile::remove(file));
    s.type(QStringLiteral("new "));
    s.files().SaveDocument();

    QVERIFY(s.prompts.messages.isEmpty());
    QVERIFY(!s.state.Doc.isModified());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFile::symLinkTarget(link), file);
    QCOMPARE(s.read(file), QByteArray("new old\r\n"));
    // The backup is made beside the name the page was opened by.
    const QString backup = s.docs() + QStringLiteral("/link.bak");
    QCOMPARE(QFileInfo::exists(backup), !fileDeleted);
    if (!fileDeleted)
        QCOMPARE(s.read(backup), QByteArray("old\r\n"));
    QCOMPARE(QDir(s.docs() + QStringLiteral("/site")).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("page.htm")});
}

void TestFileCommands::saveBacksUpAndAppendsCrLf_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("backup");
    QTest::newRow("htm_backs_up_to_bak") << "index.htm"
                                         << "index.bak";
    QTest::newRow("html_backs_up_to_html_bak") << "page.html"
                                               << "page.html.bak";
    QTest::newRow("no_extension_gets_bak") << "readme"
                                           << "readme.bak";
    // The "." of a folder is no extension: site.a/b must not become site.bak beside the folder.
    QTest::newRow("dotted_folder_name_is_not_an_extension") << "site.a/b"
                                                            << "site.a/b.bak";
    // On this system "\\" is a character of a name like any other.
    QTest::newRow("backslash_is_part_of_the_name") << "back\\slash.htm"
                                                   << "back\\slash.bak";
}

void TestFileCommands::saveBacksUpAndAppendsCrLf()
{
    QFETCH(QString, name);
    QFETCH(QString, backup);
    Session s;
    const QString path = s.write(name, "old\r\n");
    // An unrelated file that a wrong backup name would overwrite.
    const QString unrelated = s.write(QStringLiteral("site.bak"), "keep\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.type(QStringLiteral("X"));
    QVERIFY(s.state.Doc.isModified());
    s.files().SaveDocument();
    QCOMPARE(Session::read(unrelated), QByteArray("keep\r\n"));
    // The text already ends with a line break: none is added, so saves never pile up lines.
    QCOMPARE(Session::read(path), QByteArray("Xold\r\n"));
    QCOMPARE(Session::read(s.docs() + u'/' + backup), QByteArray("old\r\n"));
    QVERIFY(!s.state.Doc.isModified());
    QVERIFY(s.prompts.messages.isEmpty());

    // Saving again writes the same text; the backup now holds the first save.
    s.files().SaveDocument();
    QCOMPARE(Session::read(path), QByteArray("Xold\r\n"));
    QCOMPARE(Session::read(s.docs() + u'/' + backup), QByteArray("Xold\r\n"));
}

void TestFileCommands::modifiedUntitledOpenYesThenSaveDialogCancelled()
{
    Session s;
    const QString other = s.write(QStringLiteral("other.htm"), "other\r\n");
    s.files().NewDocument();
    QCOMPARE(s.window.Caption(), QStringLiteral("無題"));
    s.type(QStringLiteral("draft"));
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.prompts.planFileName(QString());

    // The user asked to save and then cancelled the file name: the open must not go on and
    // throw the untitled text away.
    QCOMPARE(s.files().OpenDocument(other), -1);
    QCOMPARE(s.prompts.messages.size(), 1);
    const MessageRequest& q = s.prompts.messages[0];
    QCOMPARE(q.text, QStringLiteral("[無題] 内のﾃｷｽﾄは変更されています。\r\n変更を保存しますか ?"));
    QCOMPARE(q.title, QStringLiteral("無題"));
    QCOMPARE(q.buttons, MsgButtons::YesNoCancel);
    QCOMPARE(q.icon, MsgIcon::Exclamation);
    QCOMPARE(s.prompts.fileRequests.size(), 1);
    QCOMPARE(s.prompts.fileRequests[0].fileName, QStringLiteral("Default.htm"));
    QCOMPARE(s.window.Caption(), QStringLiteral("無題"));
    QCOMPARE(s.box().Text(), QStringLiteral("draft"));
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(QDir(s.docs()).entryList(QDir::Files), QStringList{"other.htm"});
    QVERIFY(!QFile::exists(s.home.file(QStringLiteral("Default.htm"))));
}

void TestFileCommands::cancelledSaveKeepsUntitledText_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("refuseOverwrite");
    for (const char* command : {"new", "open", "close", "exit"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1_file_name_cancelled").arg(command)))
            << QString::fromLatin1(command) << false;
        QTest::newRow(qPrintable(QStringLiteral("%1_overwrite_refused").arg(command)))
            << QString::fromLatin1(command) << true;
    }
}

void TestFileCommands::cancelledSaveKeepsUntitledText()
{
    QFETCH(QString, command);
    QFETCH(bool, refuseOverwrite);
    Session s;
    const QString other = s.write(QStringLiteral("other.htm"), "other\r\n");
    s.window.show();
    s.files().NewDocument();
    s.type(QStringLiteral("draft"));
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.prompts.planFileName(refuseOverwrite ? other : QString());
    if (refuseOverwrite)
        s.prompts.planAnswer(MsgAnswer::No);

    if (command == QStringLiteral("new"))
        s.files().NewDocument();
    else if (command == QStringLiteral("open"))
        QCOMPARE(s.files().OpenDocument(other), -1);
    else if (command == QStringLiteral("close"))
        s.files().CloseDocument();
    else
        QVERIFY(!s.window.close());

    QVERIFY(!s.prompts.unplanned);
    QVERIFY(s.window.isVisible());
    QVERIFY(!s.window.MainText()->isHidden());
    QCOMPARE(s.window.Caption(), QStringLiteral("無題"));
    QCOMPARE(s.box().Text(), QStringLiteral("draft"));
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(Session::read(other), QByteArray("other\r\n"));
}

void TestFileCommands::pageNamedLikeUntitledSavesToItsOwnFile()
{
    // Untitled is a flag of the page: a file whose name starts with "無題" is a named page.
    Session s;
    const QString path = s.write(QStringLiteral("無題メモ.htm"), "memo\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    QCOMPARE(s.window.Caption(), path);
    s.type(QStringLiteral("X"));
    s.files().SaveDocument();
    QVERIFY(s.prompts.fileRequests.isEmpty());
    QCOMPARE(Session::read(path), QByteArray("Xmemo\r\n"));
    QVERIFY(!s.state.Doc.isUntitled());
    s.files().NewDocument();
    QVERIFY(s.state.Doc.isUntitled());
}

void TestFileCommands::titleMarksUnsavedChanges()
{
    Session s;
    const QString path = s.write(QStringLiteral("a[*]b.htm"), "abc\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    QVERIFY(!s.window.isWindowModified());
    s.type(QStringLiteral("X"));
    QVERIFY(s.window.isWindowModified());
    // The caption (the page's name for every question and command) never holds the mark.
    QCOMPARE(s.window.Caption(), path);
    s.files().SaveDocument();
    QVERIFY(!s.window.isWindowModified());
    QCOMPARE(Session::read(path), QByteArray("Xabc\r\n"));
}

void TestFileCommands::undoToTheSavedTextAsksNothing()
{
    // The page's modified state is the text's: undoing back to what was saved leaves nothing
    // to ask about.
    Session s;
    const QString path = s.write(QStringLiteral("a.htm"), "abc\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.type(QStringLiteral("X"));
    QVERIFY(s.state.Doc.isModified());
    s.window.MainText()->undo();
    QVERIFY(!s.state.Doc.isModified());
    s.files().NewDocument();
    QVERIFY(s.prompts.messages.isEmpty());
    QCOMPARE(s.window.Caption(), QStringLiteral("無題"));
}

void TestFileCommands::modifiedNewAnsweredCancelChangesNothing()
{
    Session s;
    const QString path = s.write(QStringLiteral("a.htm"), "abc\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.type(QStringLiteral("X"));
    s.prompts.planAnswer(MsgAnswer::Cancel);
    s.files().NewDocument();
    QCOMPARE(s.box().Text(), QStringLiteral("Xabc\r\n"));
    QCOMPARE(s.window.Caption(), path);
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(Session::read(path), QByteArray("abc\r\n"));
}

void TestFileCommands::saveAsUntitledOverExistingAnsweredNo()
{
    Session s;
    const QString existing = s.write(QStringLiteral("keep.htm"), "keep\r\n");
    s.files().NewDocument();
    s.type(QStringLiteral("new"));
    s.prompts.planFileName(existing);
    s.prompts.planAnswer(MsgAnswer::No);
    s.files().SaveDocumentAs();
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].text,
             existing + QStringLiteral("のファイルは存在します 上書きしますか？"));
    QCOMPARE(s.prompts.messages[0].title, QString());
    QCOMPARE(s.prompts.messages[0].icon, MsgIcon::Information);
    QCOMPARE(Session::read(existing), QByteArray("keep\r\n"));
    QCOMPARE(s.window.Caption(), QStringLiteral("無題"));
    QVERIFY(ReadRecentFiles().isEmpty());
}

void TestFileCommands::saveAsCancelledWritesNothing()
{
    Session s;
    const QString path = s.write(QStringLiteral("a.htm"), "a\r\n");
    s.prompts.planFileName(path);
    s.files().OpenDocumentByDialog(kDocumentFilter, QString());
    QCOMPARE(ReadRecentFiles(), QStringList{path});
    s.type(QStringLiteral("X"));

    s.prompts.planFileName(QString());
    s.files().SaveDocumentAs();
    QCOMPARE(s.prompts.fileRequests.last().kind, FileRequest::Kind::Save);
    QCOMPARE(s.prompts.fileRequests.last().defaultSuffix, QStringLiteral("TXT"));
    QCOMPARE(Session::read(path), QByteArray("a\r\n"));
    QCOMPARE(QDir(s.docs()).entryList(QDir::Files), QStringList{"a.htm"});
    QCOMPARE(ReadRecentFiles(), QStringList{path});
    QVERIFY(s.state.Doc.isModified());

    // A chosen name with a doubled extension loses the second one.
    s.prompts.planFileName(s.docs() + QStringLiteral("/b.htm.htm"));
    s.files().SaveDocumentAs();
    QCOMPARE(Session::read(s.docs() + QStringLiteral("/b.htm")), QByteArray("Xa\r\n"));
    QCOMPARE(s.window.Caption(), s.docs() + QStringLiteral("/b.htm"));
    QCOMPARE(ReadRecentFiles(), QStringList({s.docs() + QStringLiteral("/b.htm"), path}));
}

void TestFileCommands::openByDialogRefusesPrograms()
{
    Session s;
    const QString exe = s.write(QStringLiteral("setup.exe"), "MZ");
    s.prompts.planFileName(exe);
    s.files().OpenDocumentByDialog(kDocumentFilter, QString());
    QCOMPARE(s.window.Caption(), QStringLiteral("Tagloom"));
    QVERIFY(s.prompts.messages.isEmpty());
    QVERIFY(ReadRecentFiles().isEmpty());
    // With no page open and no folder used before, the dialog starts in the home folder, not
    // in the program folder that holds the settings.
    QCOMPARE(s.prompts.fileRequests[0].startFolder, QDir::homePath());
}

// An untitled page's Save As and Open start where the user works: the home folder at first,
// then the folder last chosen in a file dialog; never the hidden program folder.
void TestFileCommands::fileDialogsStartInTheUsersFolders()
{
    Session s;
    s.files().NewDocument();
    s.type(QStringLiteral("x"));
    s.prompts.planFileName(QString());
    s.files().SaveDocumentAs();
    QCOMPARE(s.prompts.fileRequests.last().startFolder, QDir::homePath());
    QCOMPARE(s.prompts.fileRequests.last().fileName, QStringLiteral("Default.htm"));

    const QString sub = s.write(QStringLiteral("site/a.htm"), "a\r\n");
    s.state.Doc.setModified(false);
    s.prompts.planFileName(sub);
    s.files().OpenDocumentByDialog(kDocumentFilter, ProgramFolder());
    QCOMPARE(s.window.Caption(), sub);

    // A new page's save and the open dialog now start in site/.
    s.files().NewDocument();
    s.type(QStringLiteral("y"));
    s.prompts.planFileName(QString());
    s.files().SaveDocument();
    QCOMPARE(s.prompts.fileRequests.last().startFolder, s.docs() + QStringLiteral("/site"));
    s.state.Doc.setModified(false);
    s.prompts.planFileName(QString());
    s.files().OpenDocumentByDialog(kDocumentFilter, ProgramFolder());
    QCOMPARE(s.prompts.fileRequests.last().startFolder, s.docs() + QStringLiteral("/site"));

    // A remembered folder that has gone is not offered.
    QVERIFY(QDir(s.docs() + QStringLiteral("/site")).removeRecursively());
    s.prompts.planFileName(QString());
    s.files().OpenDocumentByDialog(kDocumentFilter, ProgramFolder());
    QCOMPARE(s.prompts.fileRequests.last().startFolder, QDir::homePath());
    for (const FileRequest& r : s.prompts.fileRequests)
        QVERIFY(QFileInfo(r.startFolder) != QFileInfo(ProgramFolder()));
}

// A file whose name holds a line break opens and saves, but the page list, one path per line,
// does not take it: the user is told once.
void TestFileCommands::pathWithLineBreakIsNotListed()
{
    Session s;
    const QString odd = s.write(QStringLiteral("two\nlines.htm"), "odd\r\n");
    const QString plain = s.write(QStringLiteral("plain.htm"), "p\r\n");
    QCOMPARE(s.files().OpenDocument(plain), 0);
    QCOMPARE(s.files().OpenDocument(odd), 0);
    QCOMPARE(s.box().Text(), QStringLiteral("odd\r\n"));
    QCOMPARE(UsedSlotCount(s.state.Docs), 1);
    QCOMPARE(s.prompts.messages.size(), 1);
    QVERIFY(s.prompts.messages[0].text.startsWith(odd + QStringLiteral("\r\n")));
    s.type(QStringLiteral("x"));
    s.files().SaveDocument();
    QCOMPARE(Session::read(odd), QByteArray("xodd\r\n"));
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(UsedSlotCount(s.state.Docs), 1);
    QCOMPARE(s.state.Docs[0].Path, plain);
}

void TestFileCommands::droppedFilesOpenOnlyTheFirst()
{
    Session s;
    const QString a = s.write(QStringLiteral("a.htm"), "a\r\n");
    const QString b = s.write(QStringLiteral("b.htm"), "b\r\n");
    Q_EMIT s.window.MainText()->FilesDropped({a, b});
    QCOMPARE(s.window.Caption(), a);
    QCOMPARE(UsedSlotCount(s.state.Docs), 1);
    QCOMPARE(ReadRecentFiles(), QStringList{a});
}

void TestFileCommands::recentItemOpensWithoutReordering()
{
    Session s;
    const QString a = s.write(QStringLiteral("a.htm"), "a\r\n");
    const QString b = s.write(QStringLiteral("b.htm"), "b\r\n");
    for (const QString& p : {a, b}) {
        s.prompts.planFileName(p);
        s.files().OpenDocumentByDialog(kDocumentFilter, QString());
    }
    QVERIFY(s.window.RecentFileItem(0)->isVisible());
    QCOMPARE(s.window.RecentFileItem(1)->data().toString(), b);
    QCOMPARE(s.window.RecentFileItem(2)->data().toString(), a);
    QVERIFY(!s.window.RecentFileItem(3)->isVisible());

    s.window.RecentFileItem(2)->trigger();
    QCOMPARE(s.window.Caption(), a);
    QCOMPARE(ReadRecentFiles(), QStringList({b, a}));
    QCOMPARE(s.window.RecentFileItem(1)->data().toString(), b);
}

void TestFileCommands::previousAndNextSkipVanishedPages()
{
    Session s;
    const QStringList pages = s.openPages({"a.htm", "b.htm", "c.htm"});
    const QString &a = pages[0], &b = pages[1], &c = pages[2];
    QCOMPARE(s.window.Caption(), c);
    s.files().ShowPreviousDocument(s.window.Caption());
    QCOMPARE(s.window.Caption(), b);
    s.files().ShowPreviousDocument(s.window.Caption());
    QCOMPARE(s.window.Caption(), a);
    s.files().ShowPreviousDocument(s.window.Caption());
    QCOMPARE(s.window.Caption(), a);

    // With C gone, next from B does nothing; with B gone, next from A skips it.
    QCOMPARE(s.files().OpenDocument(b), 0);
    QVERIFY(QFile::rename(c, c + QStringLiteral(".away")));
    s.files().ShowNextDocument(s.window.Caption());
    QCOMPARE(s.window.Caption(), b);
    QVERIFY(QFile::rename(c + QStringLiteral(".away"), c));
    QCOMPARE(s.files().OpenDocument(a), 0);
    QVERIFY(QFile::remove(b));
    s.files().ShowNextDocument(s.window.Caption());
    QCOMPARE(s.window.Caption(), c);
}

void TestFileCommands::clearAllPagesDeletesPageList()
{
    Session s;
    const QString a = s.write(QStringLiteral("a.htm"), "a\r\n");
    QCOMPARE(s.files().OpenDocument(a), 0);
    const QString pageList = s.home.file(kPageListFile);
    test::TempHome::writeBytes(pageList, "0,x\r\n");
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.files().ClearAllPages();
    QCOMPARE(s.prompts.messages[0].text,
             QStringLiteral("すべてのページをクリアします宜しいですか？"));
    QCOMPARE(s.prompts.messages[0].title, QStringLiteral("ｸﾘｱ確認"));
    QVERIFY(s.window.MainText()->isHidden());
    QCOMPARE(s.window.Caption(), QStringLiteral("Tagloom"));
    QCOMPARE(UsedSlotCount(s.state.Docs), 0);
    QVERIFY(!QFile::exists(pageList));
}

void TestFileCommands::fileListDeletesCurrentPageAndRebuildsTable()
{
    Session s;
    const QStringList pages = s.openPages({"a.htm", "b.htm", "c.htm"});
    const QString &a = pages[0], &b = pages[1], &c = pages[2];
    QCOMPARE(s.window.Caption(), c);
    QCOMPARE(s.files().OpenDocument(b), 0);

    s.window.ShowFileList();
    auto* dialog = s.window.findChild<frmFileNames*>();
    QVERIFY(dialog);
    QVERIFY(dialog->isModal());
    QListWidget* names = dialog->findChild<QListWidget*>(QStringLiteral("FileList_0"));
    QCOMPARE(names->count(), 3);
    QCOMPARE(test::UnnamedControls(dialog), QStringList());
    QCOMPARE(names->item(0)->text(), QStringLiteral("a.htm"));
    names->setCurrentRow(1);
    s.prompts.planAnswer(MsgAnswer::Yes);
    QTest::keyClick(names, Qt::Key_Delete);
    QCOMPARE(s.prompts.messages.last().text,
             QStringLiteral("リストから削除します　よろしいですか？"));
    QCOMPARE(s.window.Caption(), QStringLiteral("Tagloom"));
    QVERIFY(s.window.MainText()->isHidden());
    QCOMPARE(s.box().Text(), QString());
    QCOMPARE(names->count(), 2);

    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(UsedSlotCount(s.state.Docs), 2);
    QCOMPARE(s.state.Docs[0].Path, a);
    QCOMPARE(s.state.Docs[1].Path, c);
    QCOMPARE(s.state.Docs[1].Number, 1);
}

void TestFileCommands::pageListAtStartOffersFileList()
{
    Session s;
    const QString a = s.write(QStringLiteral("a.htm"), "a\r\n");
    const QString b = s.write(QStringLiteral("b,1.htm"), "b\r\n");
    const QString c = s.write(QStringLiteral("c.htm"), "c\r\n");
    test::TempHome::writeBytes(s.home.file(kPageListFile),
                               ("0," + a + "\r\n1," + b + "\r\n2," + c + "\r\n").toUtf8());
    s.window.RestorePageList();
    auto* dialog = s.window.findChild<frmFileNames*>();
    QVERIFY(dialog && dialog->isVisible());
    QListWidget* names = dialog->names();
    QCOMPARE(names->count(), 3);
    QCOMPARE(names->item(1)->text(), QStringLiteral("b,1.htm"));
    QCOMPARE(s.state.Docs[1].Path, b);
    QCOMPARE(s.window.Caption(), QStringLiteral("Tagloom"));

    // A double click opens the page and the list stays.
    names->setCurrentRow(2);
    Q_EMIT names->itemDoubleClicked(names->item(2));
    QCOMPARE(s.window.Caption(), c);
    QVERIFY(dialog->isVisible());
    dialog->reject();
}

void TestFileCommands::closeRequestWritesPageListEvenWhenCancelled()
{
    Session s;
    QByteArray expected;
    for (int i = 0; i < 5; ++i) {
        const QString p = s.write(QStringLiteral("p%1.htm").arg(i), "p\r\n");
        QCOMPARE(s.files().OpenDocument(p), 0);
        expected += QByteArray::number(i) + ',' + p.toUtf8() + "\r\n";
    }
    s.type(QStringLiteral("X"));
    s.prompts.planAnswer(MsgAnswer::Cancel);
    QVERIFY(!s.window.close());
    QCOMPARE(Session::read(s.home.file(kPageListFile)), expected);
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(s.box().Text(), QStringLiteral("Xp\r\n"));
}

void TestFileCommands::pageListNotReadWholeIsNeverRewritten_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("unreadable_bytes") << QStringLiteral("bytes");
    QTest::newRow("folder_in_its_place") << QStringLiteral("folder");
    QTest::newRow("no_read_permission") << QStringLiteral("permission");
}

void TestFileCommands::pageListNotReadWholeIsNeverRewritten()
{
    QFETCH(QString, kind);
    if (kind == u"permission" && ::geteuid() == 0)
        QSKIP("root reads any file");
    Session s;
    const QStringList pages = {s.write(QStringLiteral("a.htm"), "a\r\n"),
                               s.write(QStringLiteral("b.htm"), "b\r\n")};
    const QString list = s.home.file(kPageListFile);
    const QByteArray bytes = "0," + pages[0].toUtf8() + "\r\n1,/s/\x81\xFF\xFE\x80.htm\r\n2," +
                             pages[1].toUtf8() + "\r\n";
    if (kind == u"folder")
        QVERIFY(QDir().mkpath(list));
    else
        test::TempHome::writeBytes(list, bytes);
    if (kind == u"permission")
        QVERIFY(QFile::setPermissions(list, QFileDevice::WriteOwner));
    const QString expected =
        QStringLiteral("ページ一覧 ") + list +
        (kind == u"bytes"
             ? QStringLiteral(" の 2 行目は文字を読めないため、一覧に入れていません。\r\n"
                              "読めない行はそのまま残し、")
             : QStringLiteral(" を読めません: ") +
                   SystemErrorText(kind == u"folder" ? EISDIR : EACCES) +
                   QStringLiteral("\r\n前回のページは一覧に出せません。")) +
        QStringLiteral("このファイルは終了時にも書き換えません。");
    s.prompts.planAnswer(MsgAnswer::Ok);
    s.window.RestorePageList();
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].text, expected);
    auto* dialog = s.window.findChild<frmFileNames*>();
    // The pages that could be read are listed; a list that could not be read shows none.
    QCOMPARE(dialog != nullptr, kind == u"bytes");
    if (dialog) {
        QCOMPARE(dialog->names()->count(), 2);
        dialog->reject();
    }

    // A page opened, the program ended: the list is as it was, once told at start.
    QCOMPARE(s.files().OpenDocument(pages[1]), 0);
    QVERIFY(s.window.close());
    QCOMPARE(s.prompts.messages.size(), 1);
    if (kind == u"folder") {
        QVERIFY(QFileInfo(list).isDir());
        return;
    }
    QVERIFY(QFile::setPermissions(list, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(test::TempHome::readBytes(list), bytes);
}

void TestFileCommands::pageListOverFiftyLinesKeepsTheRest()
{
    for (const bool clearAll : {false, true}) {
        Session s;
        const QString list = s.home.file(kPageListFile);
        QByteArray bytes;
        for (int i = 0; i < 53; ++i)
            bytes += QByteArray::number(i) + ',' +
                     s.write(QStringLiteral("p%1.htm").arg(i), "p\r\n").toUtf8() + "\r\n";
        test::TempHome::writeBytes(list, bytes);
        s.prompts.planAnswer(MsgAnswer::Ok);
        s.window.RestorePageList();
        QCOMPARE(s.prompts.messages.size(), 1);
        QCOMPARE(s.prompts.messages[0].text,
                 QStringLiteral("ページ一覧 ") + list +
                     QStringLiteral(" には 53 行あり、一覧に出せるページは 50 までです。残りの 3 "
                                    "行は一覧に入れていません。最初のページ: ") +
                     s.docs() +
                     QStringLiteral("/p50.htm\r\nこれらの行は終了時に一覧の後ろへそのまま書き"
                                    "戻します。"));
        auto* dialog = s.window.findChild<frmFileNames*>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->names()->count(), 50);
        dialog->reject();

        if (!clearAll) {
            // The three lines come back after the fifty pages.
            QVERIFY(s.window.close());
            QCOMPARE(test::TempHome::readBytes(list), bytes);
            continue;
        }
        // Clearing all pages clears them too.
        s.prompts.planAnswer(MsgAnswer::Yes);
        s.files().ClearAllPages();
        QCOMPARE(s.files().OpenDocument(s.docs() + QStringLiteral("/p7.htm")), 0);
        QVERIFY(s.window.close());
        QCOMPARE(test::TempHome::readBytes(list), "0," + s.docs().toUtf8() + "/p7.htm\r\n");
    }
}

void TestFileCommands::shiftJisPageSavesBackSameBytes()
{
    Session s;
    // Half-width katakana, NEC row 13, IBM extension, and second bytes equal to "\".
    const QByteArray bytes =
        "<P>\xb1\xb2\xb3 \x87\x40\x87\x54 \xfa\x40 \x95\x5c\x83\x5c\x94\x5c</P>\r\n"
        "<P>end</P>";
    const QString path = s.write(QStringLiteral("sjis.htm"), bytes);
    QCOMPARE(s.files().OpenDocument(path), 0);
    QCOMPARE(s.box().Text(), QStringLiteral("<P>ｱｲｳ ①Ⅰ ⅰ 表ソ能</P>\r\n<P>end</P>"));
    s.files().SaveDocument();
    // A page whose file ended without a line break keeps that end.
    QCOMPARE(Session::read(path), bytes);
    // Open and save again: byte for byte the same, no line added.
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.state.Doc.setModified(true);
    s.files().SaveDocument();
    QCOMPARE(Session::read(path), bytes);
}

void TestFileCommands::characterOutsideEncodingWritesNothingUnlessUtf8Chosen()
{
    Session s;
    const QString path = s.write(QStringLiteral("p.htm"), "line1\r\nline2\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.box().SetSelStart(7);
    s.box().SetSelText(QStringLiteral("caf\u00e9 "));

    // The answer that changes nothing is the one Enter and Esc give.
    s.prompts.planChoice(2);
    s.files().SaveDocument();
    QVERIFY(s.prompts.messages.isEmpty());
    QCOMPARE(s.prompts.choiceRequests.size(), 1);
    const ChoiceRequest& question = s.prompts.choiceRequests[0];
    QCOMPARE(question.text,
             QStringLiteral("「\u00e9」(U+00E9、2 行目) は Shift_JIS で保存できません。\r\n\r\n"
                            "文字参照で保存: Shift_JIS のまま、保存できない文字を &#xE9; の"
                            "ような文字参照で書きます\r\n"
                            "UTF-8 で保存: ページを UTF-8 (BOM 付き) に変えて保存します\r\n"
                            "キャンセル: 何も保存しません"));
    QCOMPARE(question.choices,
             (QStringList{QStringLiteral("文字参照で保存(&R)"), QStringLiteral("UTF-8 で保存(&U)"),
                          QStringLiteral("キャンセル")}));
    QCOMPARE(question.defaultChoice, 2);
    QCOMPARE(question.escapeChoice, 2);
    QCOMPARE(Session::read(path), QByteArray("line1\r\nline2\r\n"));
    QVERIFY(!QFile::exists(s.docs() + QStringLiteral("/p.bak")));
    QVERIFY(s.state.Doc.isModified());

    s.prompts.planChoice(1);
    s.files().SaveDocument();
    QCOMPARE(Session::read(path), QByteArray("\xEF\xBB\xBFline1\r\ncaf\xC3\xA9 line2\r\n"));
    QVERIFY(!s.state.Doc.isModified());
}

Q_DECLARE_METATYPE(QList<tl::MsgAnswer>)
Q_DECLARE_METATYPE(QList<tl::MsgButtons>)

// A Shift_JIS page gets characters it cannot hold: what is offered, what each answer writes, and
// what the page shows afterwards.
void TestFileCommands::unencodableCharactersOffers_data()
{
    QTest::addColumn<QByteArray>("file");          // the page before (CP932)
    QTest::addColumn<QString>("typed");            // typed at its start
    QTest::addColumn<QStringList>("offered");      // the save question's buttons
    QTest::addColumn<int>("choice");               // the button pressed
    QTest::addColumn<QList<MsgAnswer>>("answers"); // to the questions after it
    QTest::addColumn<QList<MsgButtons>>("asked");  // those questions' buttons, in order
    QTest::addColumn<QByteArray>("saved");         // the file afterwards
    QTest::addColumn<QString>("shown");            // the page's text afterwards

    const QByteArray meta =
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n";
    const QString metaText = QString::fromLatin1(meta);
    const QString metaUtf8 =
        QString(metaText).replace(QStringLiteral("Shift_JIS"), QStringLiteral("UTF-8"));
    const QString symbols = QStringLiteral("〜−‖—¢£¬〜 ");
    const QString e = QStringLiteral("置き換えて保存(&E)");
    const QString r = QStringLiteral("文字参照で保存(&R)");
    const QString u = QStringLiteral("UTF-8 で保存(&U)");
    const QString c = QStringLiteral("キャンセル");
    const QStringList withEquivalents{e, r, u, c};
    const QStringList without{r, u, c};
    using A = MsgAnswer;
    using B = MsgButtons;

    QTest::newRow("every_one_has_an_equivalent_saves_them_in_shift_jis")
        << QByteArray("x\r\n") << symbols << withEquivalents << 0 << QList<A>{} << QList<B>{}
        << QByteArray("\x81\x60\x81\x7C\x81\x61\x81\x5C\x81\x91\x81\x92\x81\xCA\x81\x60 x\r\n")
        << QStringLiteral("～－∥―￠￡￢～ x\r\n");
    QTest::newRow("equivalents_offered_references_keep_shift_jis")
        << QByteArray("x\r\n") << QStringLiteral("〜− ") << withEquivalents << 1 << QList<A>{}
        << QList<B>{} << QByteArray("&#x301C;&#x2212; x\r\n")
        << QStringLiteral("&#x301C;&#x2212; x\r\n");
    QTest::newRow("equivalents_offered_utf8_converts")
        << QByteArray("x\r\n") << QStringLiteral("〜 ") << withEquivalents << 2 << QList<A>{}
        << QList<B>{} << QByteArray("\xEF\xBB\xBF\xE3\x80\x9C x\r\n") << QStringLiteral("〜 x\r\n");
    QTest::newRow("equivalents_offered_cancel_saves_nothing")
        << QByteArray("x\r\n") << QStringLiteral("〜 ") << withEquivalents << 3 << QList<A>{}
        << QList<B>{} << QByteArray("x\r\n") << QStringLiteral("〜 x\r\n");
    QTest::newRow("emoji_written_as_a_reference")
        << QByteArray("x\r\n") << QStringLiteral("😀\u00e9 ") << without << 0 << QList<A>{}
        << QList<B>{} << QByteArray("&#x1F600;&#xE9; x\r\n")
        << QStringLiteral("&#x1F600;&#xE9; x\r\n");
    QTest::newRow("one_without_an_equivalent_offers_references_or_utf8")
        << QByteArray("x\r\n") << QStringLiteral("〜é ") << without << 1 << QList<A>{} << QList<B>{}
        << QByteArray("\xEF\xBB\xBF\xE3\x80\x9C\xC3\xA9 x\r\n") << QStringLiteral("〜é x\r\n");
    QTest::newRow("without_equivalents_cancel_saves_nothing")
        << QByteArray("x\r\n") << QStringLiteral("😀") << without << 2 << QList<A>{} << QList<B>{}
        << QByteArray("x\r\n") << QStringLiteral("😀x\r\n");
    QTest::newRow("declared_charset_updated_on_yes")
        << meta << QStringLiteral("é") << without << 1 << QList<A>{A::Yes}
        << QList<B>{B::YesNoCancel} << QByteArray("\xEF\xBB\xBF\xC3\xA9") + metaUtf8.toLatin1()
        << u'é' + metaUtf8;
    QTest::newRow("declared_charset_kept_on_no")
        << meta << QStringLiteral("é") << without << 1 << QList<A>{A::No}
        << QList<B>{B::YesNoCancel} << QByteArray("\xEF\xBB\xBF\xC3\xA9") + meta << u'é' + metaText;
    QTest::newRow("declared_charset_question_cancelled_saves_nothing")
        << meta << QStringLiteral("é") << without << 1 << QList<A>{A::Cancel}
        << QList<B>{B::YesNoCancel} << meta << u'é' + metaText;
    QTest::newRow("equivalents_leave_the_declaration_alone")
        << meta << QStringLiteral("〜") << withEquivalents << 0 << QList<A>{} << QList<B>{}
        << QByteArray("\x81\x60") + meta << u'～' + metaText;
    QTest::newRow("references_leave_the_declaration_alone")
        << meta << QStringLiteral("é") << without << 0 << QList<A>{} << QList<B>{}
        << QByteArray("&#xE9;") + meta << QStringLiteral("&#xE9;") + metaText;
}

void TestFileCommands::unencodableCharactersOffers()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, typed);
    QFETCH(QStringList, offered);
    QFETCH(int, choice);
    QFETCH(QList<MsgAnswer>, answers);
    QFETCH(QList<MsgButtons>, asked);
    QFETCH(QByteArray, saved);
    QFETCH(QString, shown);

    Session s;
    const QString path = s.write(QStringLiteral("p.htm"), file);
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.type(typed);
    s.prompts.planChoice(choice);
    for (MsgAnswer answer : answers)
        s.prompts.planAnswer(answer);
    s.files().SaveDocument();

    QVERIFY(!s.prompts.unplanned);
    QCOMPARE(s.prompts.choiceRequests.size(), 1);
    const ChoiceRequest& question = s.prompts.choiceRequests[0];
    QCOMPARE(question.choices, offered);
    // Enter and Esc change nothing: the last button, キャンセル.
    QCOMPARE(question.defaultChoice, int(offered.size()) - 1);
    QCOMPARE(question.escapeChoice, int(offered.size()) - 1);
    QCOMPARE(s.prompts.messages.size(), asked.size());
    for (qsizetype i = 0; i < asked.size(); ++i)
        QCOMPARE(s.prompts.messages[i].buttons, asked[i]);
    QCOMPARE(Session::read(path), saved);
    QCOMPARE(s.box().Text(), shown);
    const bool written = saved != file;
    QCOMPARE(s.state.Doc.isModified(), !written);
    // A change the user agreed to is one undo step.
    if (written && shown != typed + QString::fromLatin1(file)) {
        s.state.Doc.undo();
        QCOMPARE(s.box().Text(), typed + QString::fromLatin1(file));
    }
    // The page is then saved as it was written: a second save asks nothing and writes the same.
    if (written) {
        s.state.Doc.redo();
        s.state.Doc.setModified(true);
        s.files().SaveDocument();
        QCOMPARE(s.prompts.choiceRequests.size(), 1);
        QCOMPARE(Session::read(path), saved);
    }
}

// A page keeping two CP932 forms of one character (纊: ED 40 usually, FA 5C before and after)
// saved with references for characters typed between them: each occurrence keeps its form, on
// that save and the next.
void TestFileCommands::referencesKeepTheFormsAroundThem()
{
    Session s;
    const QString path = s.write(QStringLiteral("p.htm"),
                                 QByteArray("\xFA\x5C\xED\x40\xED\x40\xED\x40\xFA\x5C\r\n"));
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.box().SetSelStart(1);
    s.box().SetSelText(QStringLiteral("\U0001F600\u00e9"));
    s.prompts.planChoice(0); // 文字参照で保存
    s.files().SaveDocument();
    QVERIFY(!s.prompts.unplanned);
    const QByteArray saved = "\xFA\x5C&#x1F600;&#xE9;\xED\x40\xED\x40\xED\x40\xFA\x5C\r\n";
    QCOMPARE(Session::read(path), saved);
    QVERIFY(!s.state.Doc.isModified());
    s.state.Doc.setModified(true);
    s.files().SaveDocument();
    QCOMPARE(Session::read(path), saved);
}

void TestFileCommands::equivalentsQuestionNamesThem()
{
    Session s;
    const QString path = s.write(QStringLiteral("p.htm"), "a\r\nb\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.box().SetSelStart(3);
    s.box().SetSelText(QStringLiteral("〜〜−"));
    s.prompts.planChoice(3);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.choiceRequests.size(), 1);
    QCOMPARE(s.prompts.choiceRequests[0].text,
             QStringLiteral("「〜」(U+301C、2 行目) は Shift_JIS で保存できません。\r\n"
                            "次の文字は Shift_JIS の同じ意味の文字に置き換えて保存できます:\r\n"
                            "  〜 (U+301C) → ～ (U+FF5E)  2 か所\r\n"
                            "  − (U+2212) → － (U+FF0D)  1 か所\r\n"
                            "\r\n"
                            "置き換えて保存: 置き換えて Shift_JIS で保存します\r\n"
                            "文字参照で保存: Shift_JIS のまま、保存できない文字を &#x301C; の"
                            "ような文字参照で書きます\r\n"
                            "UTF-8 で保存: ページを UTF-8 (BOM 付き) に変えて保存します\r\n"
                            "キャンセル: 何も保存しません"));
}

void TestFileCommands::failedWriteKeepsDocumentModified()
{
    Session s;
    s.files().NewDocument();
    s.type(QStringLiteral("text"));
    const QString bad = s.docs() + QStringLiteral("/no/such/folder/x.htm");
    s.prompts.planFileName(bad);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].title, QStringLiteral("Tagloom"));
    QCOMPARE(s.prompts.messages[0].icon, MsgIcon::Exclamation);
    QCOMPARE(s.prompts.messages[0].text,
             bad + QStringLiteral(
                       "\r\nこのファイルに保存できませんでした。\r\n"
                       "ファイルまたはフォルダーが見つかりません。(No such file or directory)"));
    QCOMPARE(s.window.Caption(), QStringLiteral("無題"));
    QVERIFY(s.state.Doc.isModified());

    // Asked to save before opening another page: a failed save keeps the text.
    const QString other = s.write(QStringLiteral("o.htm"), "o\r\n");
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.prompts.planFileName(bad);
    QCOMPARE(s.files().OpenDocument(other), -1);
    QCOMPARE(s.box().Text(), QStringLiteral("text"));
}

void TestFileCommands::savedFileKeepsItsPermissions()
{
    Session s;
    const QString path = s.write(QStringLiteral("p.htm"), "p\r\n");
    const auto perms = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, perms));
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.type(QStringLiteral("X"));
    s.files().SaveDocument();
    QCOMPARE(Session::read(path), QByteArray("Xp\r\n"));
    QCOMPARE(QFile::permissions(path) & 0x0fff, perms & 0x0fff);
}

void TestFileCommands::undecodableBytesAreReportedAndAskedOnce()
{
    Session s;
    const QByteArray bytes = "ok \x81\x20 bad\r\n";
    const QString path = s.write(QStringLiteral("bad.htm"), bytes);
    QCOMPARE(s.files().OpenDocument(path), 0);
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].icon, MsgIcon::Exclamation);

    s.type(QStringLiteral("X"));
    s.prompts.planAnswer(MsgAnswer::No);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 2);
    QCOMPARE(s.prompts.messages[1].buttons, MsgButtons::YesNo);
    QCOMPARE(Session::read(path), bytes);

    s.prompts.planAnswer(MsgAnswer::Yes);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 3);
    QVERIFY(Session::read(path) != bytes);
    s.type(QStringLiteral("Y"));
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 3);
    QVERIFY(!s.prompts.unplanned);
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
