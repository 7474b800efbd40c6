#include "app/frmmain.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "files/filecommands.h"
#include "files/settingsfiles.h"
#include "filesession.h"
#include "namedpipe.h"
#include "platform/files.h"
#include "platform/programfolder.h"

#include <QDir>
#include <QtTest>
#include <cerrno>
#include <optional>
#include <unistd.h>

using namespace tl;

using Session = test::FileSession;

Q_DECLARE_METATYPE(tl::FileKind)

// Pages that cannot be opened: refused with the reason on the message's second line, and the
// editor goes on as it was.
class TestOpenFailures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openFailures();
    void openFailureSaysWhy_data();
    void openFailureSaysWhy();
    void openRefusesWhatIsNotAFile_data();
    void openRefusesWhatIsNotAFile();
};

void TestOpenFailures::openFailures()
{
    Session s;
    // An empty file is no failure: it opens as an empty page.
    const QString empty = s.write(QStringLiteral("empty.htm"), {});
    QCOMPARE(s.files().OpenDocument(empty), 0);
    QCOMPARE(s.window.Caption(), empty);
    QVERIFY(!s.window.MainText()->isHidden());
    QCOMPARE(s.box().Text(), QString());
    QVERIFY(!s.state.Doc.isModified());
    QCOMPARE(UsedSlotCount(s.state.Docs), 1);
    QVERIFY(s.prompts.messages.isEmpty());

    const QString missing = s.docs() + QStringLiteral("/missing.htm");
    QCOMPARE(s.files().OpenDocument(missing), -1);
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].text,
             missing + QStringLiteral(" ﾌｧｲﾙを開けません。\r\nファイルまたはフォルダーが見つかりま"
                                      "せん。(No such file or directory)"));
    QCOMPARE(s.window.Caption(), empty);
    QCOMPARE(UsedSlotCount(s.state.Docs), 1);
}

// A page that cannot be opened is refused with its reason on the second line; a symbolic link
// named on the command line that leads nowhere is refused too, never taken for a new file.
void TestOpenFailures::openFailureSaysWhy_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // {target}: the missing file a link names
    QTest::newRow("no_read_permission")
        << "permission" << QStringLiteral("読む権限がありません。(Permission denied)");
    QTest::newRow("larger_than_the_decoder_takes")
        << "large"
        << QStringLiteral("ファイルが大きすぎます (536870912 バイト)。開けるのは 536870911 バイト"
                          "までです。");
    QTest::newRow("dangling_link_on_the_command_line")
        << "dangling" << QStringLiteral("シンボリック リンクの先 {target} がありません。");
    QTest::newRow("link_loop_on_the_command_line")
        << "loop"
        << QStringLiteral("シンボリック リンクが循環しています。(Too many levels of symbolic "
                          "links)");
}

void TestOpenFailures::openFailureSaysWhy()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    Session s;
    const QString path = s.docs() + QStringLiteral("/odd.htm");
    const QByteArray native = QFile::encodeName(path);
    const QString target = s.docs() + QStringLiteral("/gone.htm");
    if (kind == u"permission") {
        // Root reads any file: the read's answer is given as the system would give it.
        s.write(QStringLiteral("odd.htm"), "<P>a</P>\r\n");
        LoadedPage denied;
        denied.error = EACCES;
        QCOMPARE(s.files().OpenDocument(path, denied), -1);
    } else if (kind == u"large") {
        // Sparse: no disk space, and the size alone refuses it.
        s.write(QStringLiteral("odd.htm"), {});
        QVERIFY(::truncate(native.constData(), off_t(1) << 29) == 0);
        QCOMPARE(s.files().OpenDocument(path), -1);
    } else {
        if (kind == u"dangling") {
            QVERIFY(::symlink("gone.htm", native.constData()) == 0);
        } else {
            const QString other = s.docs() + QStringLiteral("/other.htm");
            QVERIFY(::symlink("other.htm", native.constData()) == 0);
            QVERIFY(::symlink("odd.htm", QFile::encodeName(other).constData()) == 0);
        }
        s.window.OpenCommandLineFile(path);
    }
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].text,
             path + QStringLiteral(" ﾌｧｲﾙを開けません。\r\n") +
                 QString(reason).replace(QStringLiteral("{target}"), target));
    QCOMPARE(s.window.Caption(), QStringLiteral("Tagloom"));
    QVERIFY(s.window.MainText()->isHidden());
    QCOMPARE(UsedSlotCount(s.state.Docs), 0);
    QVERIFY(!QFileInfo::exists(target));
}

// A pipe, a folder or a device chosen in the open dialog: refused at once with its reason, and
// the editor goes on as it was. Opening a pipe would wait until another program writes to it.
void TestOpenFailures::openRefusesWhatIsNotAFile_data()
{
    QTest::addColumn<FileKind>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("pipe") << FileKind::Pipe
                          << QStringLiteral(
                                 "名前付きパイプ (FIFO) で、通常のファイルではありません。");
    QTest::newRow("folder") << FileKind::Directory
                            << QStringLiteral("フォルダーで、ファイルではありません。");
    QTest::newRow("device") << FileKind::Device
                            << QStringLiteral("デバイスで、通常のファイルではありません。");
}

void TestOpenFailures::openRefusesWhatIsNotAFile()
{
    QFETCH(FileKind, kind);
    QFETCH(QString, reason);
    Session s;
    const QString page = s.write(QStringLiteral("page.htm"), "<P>kept</P>\r\n");
    QCOMPARE(s.files().OpenDocument(page), 0);
    QString odd = s.docs() + QStringLiteral("/odd.htm");
    std::optional<test::NamedPipe> pipe;
    if (kind == FileKind::Pipe)
        QVERIFY(pipe.emplace(odd).made());
    else if (kind == FileKind::Directory)
        QVERIFY(QDir().mkdir(odd));
    else
        odd = QStringLiteral("/dev/null");

    s.prompts.planFileName(odd);
    s.files().OpenDocumentByDialog(kDocumentFilter, ProgramFolder());
    if (pipe)
        QVERIFY2(!pipe->fired(), "the open waited on the pipe");
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].text, odd + QStringLiteral(" ﾌｧｲﾙを開けません。\r\n") + reason);
    QCOMPARE(s.window.Caption(), page);
    QCOMPARE(s.box().Text(), QStringLiteral("<P>kept</P>\r\n"));
    QCOMPARE(UsedSlotCount(s.state.Docs), 1);
    QVERIFY(ReadRecentFiles().isEmpty());
}

QTEST_MAIN(TestOpenFailures)
#include "tst_openfailures.moc"
