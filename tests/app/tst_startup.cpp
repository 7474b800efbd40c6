#include "app/frmmain.h"
#include "app/startup.h"
#include "files/pagelist.h"
#include "files/settingsfiles.h"
#include "killedcopy.h"
#include "recovery/journal.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QtTest>

#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tl;

namespace
{

QByteArray FreshUserTextFile()
{
    QByteArray bytes;
    for (int n = 1; n <= 8; ++n) {
        bytes += "[DATA" + QByteArray::number(n) + "]\r\n";
        for (char c = 'A'; c <= 'Z'; ++c)
            bytes += QByteArray(1, c) + "=\r\n";
    }
    return bytes;
}

const QByteArray kFreshPathFile = "[ImgFlgSection]\r\nImgFlg=2\r\n"
                                  "[Img]\r\nA=B\r\n"
                                  "[AspFilePath]\r\nA=B\r\n"
                                  "[MDBFilePath]\r\nA=B\r\n"
                                  "[Print]\r\nA=B\r\n"
                                  "[Files]\r\nA=B\r\n";

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyHomeGetsFreshSettings();
    void existingSettingsAreKept();
    void splashIsReadable();
    void splashThenMainWindowThenEnd();
    void journalIsOfferedWithAFileOnTheCommandLine();
    void commandLineFile_data();
    void commandLineFile();
    void startKeepsPageList_data();
    void startKeepsPageList();
    void realExecutableWritesSettingsAndEndsOnRequest();
    void realExecutableWithAFileKeepsPageList();
    void realExecutableRefusesWhatIsNotAFile_data();
    void realExecutableRefusesWhatIsNotAFile();
};

void TestStartup::emptyHomeGetsFreshSettings()
{
    test::TempHome home;
    test::ScriptedPrompter prompts;
    AppState state(prompts);
    PrepareSettings(state);

    QCOMPARE(test::TempHome::readBytes(home.file(kUserTextFile)), FreshUserTextFile());
    QCOMPARE(test::TempHome::readBytes(home.file(kPathFile)), kFreshPathFile);
    QCOMPARE(state.ImageSelectMode, 2);
    QCOMPARE(state.MarkerColumnText, QStringLiteral(" \r\n").repeated(50));
    for (const UserTextEntry& entry : state.UserTextTable) {
        for (const QString& text : entry.texts)
            QVERIFY(text.isEmpty());
        QCOMPARE(entry.flag, 0);
    }
    QVERIFY(prompts.messages.isEmpty());
}

void TestStartup::existingSettingsAreKept()
{
    test::TempHome home;
    const QByteArray userTexts = "[DATA1]\r\nB=<BR>\r\n[DATA3]\r\nB=  indented \r\n";
    const QByteArray paths = "[ImgFlgSection]\r\nImgFlg=1\r\n[Files]\r\nA=B\r\n";
    test::TempHome::writeBytes(home.file(kUserTextFile), userTexts);
    test::TempHome::writeBytes(home.file(kPathFile), paths);

    test::ScriptedPrompter prompts;
    AppState state(prompts);
    PrepareSettings(state);

    QCOMPARE(test::TempHome::readBytes(home.file(kUserTextFile)), userTexts);
    QCOMPARE(test::TempHome::readBytes(home.file(kPathFile)), paths);
    QCOMPARE(state.ImageSelectMode, 1);
    QCOMPARE(state.UserTextTable[1].texts[0], QStringLiteral("<BR>"));
    QCOMPARE(state.UserTextTable[1].texts[2], QStringLiteral("  indented "));
    QCOMPARE(state.UserTextTable[0].texts[0], QString());
}

// Relative luminance and contrast ratio as the accessibility guidelines define them.
static double Luminance(QColor c)
{
    auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

void TestStartup::splashIsReadable()
{
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    const QImage shot = splash.grab().toImage();
    const QColor background = shot.pixelColor(5, 5);
    auto* name = splash.findChild<QLabel*>();
    QVERIFY(name);
    const QColor text = name->palette().color(QPalette::WindowText);
    const double a = Luminance(background) + 0.05;
    const double b = Luminance(text) + 0.05;
    QVERIFY2(std::max(a, b) / std::min(a, b) >= 4.5,
             qPrintable(background.name() + QStringLiteral(" behind ") + text.name()));
}

void TestStartup::splashThenMainWindowThenEnd()
{
    test::TempHome home;
    Application app(QString{});
    app.Main();
    QTRY_VERIFY_WITH_TIMEOUT(app.mainWindow() && app.mainWindow()->isVisible(), 10000);
    frmMain* w = app.mainWindow();
    QCOMPARE(w->Caption(), QStringLiteral("Tagloom"));
    QVERIFY(!w->isWindowModified());
    QVERIFY(w->MainText()->isHidden());
    QCOMPARE(w->TextBox().Target(), w->MainText());
    QVERIFY(!app.state().InputMode);
    QCOMPARE(app.state().ImageSelectMode, 2);
    QVERIFY(QFile::exists(home.file(kUserTextFile)));

    QSignalSpy unloaded(w, &frmMain::Unloaded);
    QVERIFY(w->close());
    QCOMPARE(unloaded.count(), 1);
    // The adapter is released with the window.
    QCOMPARE(w->TextBox().Target(), nullptr);
}

// A copy killed a moment ago (its parent has not reaped it yet) left a journal; the next start
// names a page on its command line and is offered the journal all the same.
void TestStartup::journalIsOfferedWithAFileOnTheCommandLine()
{
    test::TempHome home;
    const QString page = home.file(QStringLiteral("j.htm"));
    test::TempHome::writeBytes(page, "<P>saved</P>\r\n");
    test::KilledCopy killed;
    const QString folder = JournalFolderFor(JournalRoot(), killed.lock());
    QVERIFY(CreateJournalFolder(folder, killed.lock()));
    JournalEntry entry;
    entry.path = page;
    entry.text = QStringLiteral("<P>typed</P>\r\n");
    entry.time = QDateTime::currentDateTimeUtc();
    entry.file = ReadFileIdentity(page);
    test::TempHome::writeBytes(folder + QStringLiteral("/page.tlj"), EncodeJournal(entry));
    QVERIFY(killed.kill());

    // The question is a real message box: answered Cancel (ask again next time) from a timer.
    QString offered;
    QTimer answer;
    answer.setInterval(20);
    connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->windowTitle() == QStringLiteral("ページの復元")) {
            offered = box->text();
            box->button(QMessageBox::Cancel)->click();
        }
    });
    answer.start();
    Application app(page);
    app.Main();
    QTRY_VERIFY_WITH_TIMEOUT(!offered.isEmpty(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(app.mainWindow() && app.mainWindow()->isVisible(), 10000);
    answer.stop();
    QVERIFY2(offered.startsWith(
                 QStringLiteral("保存されないまま終わったページの内容が残っています。\r\n\r\n"
                                "ページ: ") +
                 page + QStringLiteral("\r\n")),
             qPrintable(offered));
    frmMain* w = app.mainWindow();
    QCOMPARE(w->Caption(), page);
    QCOMPARE(w->TextBox().Text(), QStringLiteral("<P>saved</P>\r\n"));
    QVERIFY(w->close());
}

void TestStartup::commandLineFile_data()
{
    QTest::addColumn<QString>("argument"); // relative to the folder the program starts in
    QTest::addColumn<QByteArray>("bytes"); // of the file there; null for none
    QTest::addColumn<bool>("told");        // the status bar says the file is new

    QTest::newRow("missing_file_opens_an_empty_page") << "new.htm" << QByteArray() << true;
    QTest::newRow("missing_file_in_a_folder_below") << "sub/new.htm" << QByteArray() << true;
    QTest::newRow("empty_file_opens_an_empty_page") << "empty.htm" << QByteArray("") << false;
    QTest::newRow("existing_file_by_a_relative_name")
        << "page.htm" << QByteArray("<P>a</P>\r\n") << false;
}

void TestStartup::commandLineFile()
{
    QFETCH(QString, argument);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, told);

    test::TempHome home;
    const QString folder = home.path() + QStringLiteral("/site");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
    const QString path = folder + u'/' + argument;
    if (!bytes.isNull())
        test::TempHome::writeBytes(path, bytes);
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder));
    Application app(argument);
    app.Main();
    QTRY_VERIFY_WITH_TIMEOUT(app.mainWindow() && app.mainWindow()->isVisible(), 10000);
    QDir::setCurrent(before);
    frmMain* w = app.mainWindow();

    // The page is open under the file's full name, as it is on disk (or empty).
    QVERIFY(!w->MainText()->isHidden());
    QCOMPARE(w->Caption(), path);
    QCOMPARE(w->TextBox().Text(), QString::fromLatin1(bytes));
    QVERIFY(!app.state().Doc.isModified());
    const QString status = w->statusBar()->currentMessage();
    QCOMPARE(status.contains(path), told);
    QVERIFY(!QFile::exists(path) || !bytes.isNull()); // nothing written before a save

    // The first save writes the file under that name.
    w->TextBox().SetSelText(QStringLiteral("x"));
    w->Files().SaveDocument();
    QCOMPARE(test::TempHome::readBytes(path), bytes.isEmpty() ? QByteArray("x\r\n") : "x" + bytes);
    w->close();
}

namespace
{

// A page list of count lines, "k,/s/pk.htm", with the bytes of line badLine (1-based; 0 for
// none) that no encoding reads.
QByteArray PageListBytes(int count, int badLine = 0)
{
    QByteArray bytes;
    for (int k = 0; k < count; ++k)
        bytes += QByteArray::number(k) + (k + 1 == badLine ? ",/s/\x81\xFF\xFE\x80.htm" : ",/s/p") +
                 (k + 1 == badLine ? QByteArray() : QByteArray::number(k) + ".htm") + "\r\n";
    return bytes;
}

} // namespace

// A start with a file keeps the previous run's page list: the file joins the saved pages and
// the list is written back whole at exit (never when it was not read whole), as on a start
// without a file, where the file list is offered.
void TestStartup::startKeepsPageList_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QByteArray>("expected"); // {x}: the file's path
    const QByteArray fifty = PageListBytes(50);
    const QByteArray unreadable = PageListBytes(50, 7);
    const QByteArray sixty = PageListBytes(60);
    // In a full list the file takes the last slot; the page it displaces is kept after it.
    const QByteArray joined = PageListBytes(49) + "49,{x}\r\n50,/s/p49.htm\r\n";
    QTest::newRow("50_lines") << fifty << false << fifty;
    QTest::newRow("50_lines_with_a_file") << fifty << true << joined;
    QTest::newRow("unreadable_line") << unreadable << false << unreadable;
    QTest::newRow("unreadable_line_with_a_file") << unreadable << true << unreadable;
    QTest::newRow("60_lines") << sixty << false << sixty;
    QTest::newRow("60_lines_with_a_file")
        << sixty << true << joined + sixty.mid(PageListBytes(50).size());
}

void TestStartup::startKeepsPageList()
{
    QFETCH(QByteArray, list);
    QFETCH(bool, withFile);
    QFETCH(QByteArray, expected);
    test::TempHome home;
    const QString page = home.file(QStringLiteral("x.htm"));
    test::TempHome::writeBytes(page, "<P>x</P>\r\n");
    const QString listPath = home.file(kPageListFile);
    test::TempHome::writeBytes(listPath, list);

    // The notes about a list not read whole are real message boxes: OK from a timer.
    QStringList told;
    QTimer answer;
    answer.setInterval(20);
    connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            told << box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start();
    Application app(withFile ? page : QString());
    app.Main();
    QTRY_VERIFY_WITH_TIMEOUT(app.mainWindow() && app.mainWindow()->isVisible(), 10000);
    frmMain* w = app.mainWindow();
    // The pages are in the session either way; the file list is offered only without a file.
    const int pages = list == PageListBytes(50, 7) && !withFile ? 49 : 50;
    QTRY_COMPARE_WITH_TIMEOUT(UsedSlotCount(app.state().Docs), pages, 10000);
    QCOMPARE(w->findChild<QDialog*>(QStringLiteral("frmFileNames")) != nullptr, !withFile);
    QCOMPARE(w->Caption(), withFile ? page : QStringLiteral("Tagloom"));
    QCOMPARE(told.size(), list == PageListBytes(50) ? 0 : 1);
    QVERIFY(w->close());
    answer.stop();
    QCOMPARE(test::TempHome::readBytes(listPath),
             QByteArray(expected).replace("{x}", page.toUtf8()));
}

// True once a window titled title ("Tagloom", or the open page's path) at least as wide as the
// main window is on the X display; the splash, titled "Tagloom" too, is 420 pixels wide.
static bool MainWindowOnDisplay(const QString& title = QStringLiteral("Tagloom"))
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    if (!xwininfo.waitForFinished(5000))
        return false;
    const QRegularExpression window(u'"' + QRegularExpression::escape(title) +
                                    QStringLiteral("\":.*\\s(\\d+)x(\\d+)\\+"));
    const QString tree = QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
    for (auto it = window.globalMatch(tree); it.hasNext();) {
        if (it.next().captured(1).toInt() >= 800)
            return true;
    }
    return false;
}

void TestStartup::realExecutableWritesSettingsAndEndsOnRequest()
{
    const QString exe = qEnvironmentVariable("TAGLOOM_EXE");
    if (exe.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs the built executable and an X display (run through xvfb-run)");

    test::TempHome home;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(exe, {});
    QVERIFY(process.waitForStarted(10000));

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.file(kPathFile)), 30000);
    // Past the splash second the main window comes up, and the process goes on running.
    QTRY_VERIFY_WITH_TIMEOUT(MainWindowOnDisplay(), 30000);
    QCOMPARE(process.state(), QProcess::Running);

    QCOMPARE(test::TempHome::readBytes(home.file(kUserTextFile)), FreshUserTextFile());
    QCOMPARE(test::TempHome::readBytes(home.file(kPathFile)), kFreshPathFile);

    // A request to end from the system closes the main window and ends the program cleanly.
    process.terminate();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

// Opening one file from a file manager keeps the session's fifty pages.
void TestStartup::realExecutableWithAFileKeepsPageList()
{
    const QString exe = qEnvironmentVariable("TAGLOOM_EXE");
    if (exe.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs the built executable and an X display (run through xvfb-run)");

    test::TempHome home;
    const QString page = home.file(QStringLiteral("x.htm"));
    test::TempHome::writeBytes(page, "<P>x</P>\r\n");
    // The file is one of the fifty: the list comes back byte for byte.
    const QByteArray list = PageListBytes(50).replace("/s/p7.htm", page.toUtf8());
    test::TempHome::writeBytes(home.file(kPageListFile), list);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(exe, {page});
    QVERIFY(process.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(MainWindowOnDisplay(page), 30000);
    process.terminate();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(test::TempHome::readBytes(home.file(kPageListFile)), list);
}

// Runs xdotool with args; false when it failed or took too long.
static bool XdoTool(const QStringList& args)
{
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"), args);
    if (!xdo.waitForFinished(15000) || xdo.exitStatus() != QProcess::NormalExit) {
        xdo.kill();
        xdo.waitForFinished();
        return false;
    }
    return xdo.exitCode() == 0;
}

// The windows titled "Tagloom" narrower than the main window, other than the splash (420 x
// 200): message boxes.
static QStringList MessageBoxesOnDisplay()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    if (!xwininfo.waitForFinished(5000))
        return {QStringLiteral("xwininfo failed")};
    static const QRegularExpression window(
        QStringLiteral("(0x[0-9a-f]+) \"Tagloom\":.*\\s(\\d+)x(\\d+)\\+"));
    const QString tree = QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
    QStringList boxes;
    for (auto it = window.globalMatch(tree); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int width = m.captured(2).toInt();
        const int height = m.captured(3).toInt();
        if (width > 100 && width < 800 && !(width == 420 && height == 200))
            boxes << m.captured(1);
    }
    return boxes;
}

// Named on the command line: a pipe (reading it would wait for a writer for ever), a folder, a
// symbolic link to a missing file, or a file whose name is not UTF-8 (its name as text would be
// another file's, which a save would create beside it). The window comes up all the same and
// says why the page was not opened; the program goes on, and nothing is written.
void TestStartup::realExecutableRefusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // {target}: the missing file a link names
    QTest::newRow("pipe") << "pipe"
                          << QStringLiteral(
                                 "名前付きパイプ (FIFO) で、通常のファイルではありません。");
    QTest::newRow("folder") << "folder" << QStringLiteral("フォルダーで、ファイルではありません。");
    QTest::newRow("dangling_link")
        << "link" << QStringLiteral("シンボリック リンクの先 {target} がありません。");
    QTest::newRow("name_not_utf8")
        << "bytes"
        << QStringLiteral("ファイル名に UTF-8 として読めないバイトがあるため、この名前では開くこと"
                          "も保存することもできません。");
}

void TestStartup::realExecutableRefusesWhatIsNotAFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString exe = qEnvironmentVariable("TAGLOOM_EXE");
    if (exe.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs the built executable and an X display (run through xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs xdotool");

    test::TempHome home;
    QString path = home.file(QStringLiteral("odd.htm"));
    const QString target = home.file(QStringLiteral("gone.htm"));
    const QByteArray rawName = QFile::encodeName(home.path()) + "/bad\xFFname.htm";
    const QByteArray pageBytes = "<P>a</P>\r\n";
    if (kind == u"pipe") {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
    } else if (kind == u"folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == u"link") {
        QVERIFY(::symlink("gone.htm", QFile::encodeName(path).constData()) == 0);
    } else {
        const int fd = ::open(rawName.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, pageBytes.constData(), size_t(pageBytes.size())),
                 ssize_t(pageBytes.size()));
        ::close(fd);
        path = QFile::decodeName(rawName);
    }
    const QString log = home.file(QStringLiteral("messages.txt"));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("TAGLOOM_MESSAGE_LOG"), log);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    if (kind == u"bytes") {
        // QProcess passes its arguments as text: the shell passes the name's bytes as they are.
        const QString nameFile = home.file(QStringLiteral("name.txt"));
        test::TempHome::writeBytes(nameFile, rawName);
        process.start(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$(cat \"$1\")\""), exe, nameFile});
    } else {
        process.start(exe, {path});
    }
    QVERIFY(process.waitForStarted(10000));
    const auto cleanup = qScopeGuard([&] {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    });

    // The main window, and over it a message box that names the path and why.
    QTRY_VERIFY_WITH_TIMEOUT(MainWindowOnDisplay(), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(MessageBoxesOnDisplay().size(), 1, 10000);
    QCOMPARE(QString::fromUtf8(test::TempHome::readBytes(log)),
             QStringLiteral("Tagloom\n") + path + QStringLiteral(" ﾌｧｲﾙを開けません。\r\n") +
                 QString(reason).replace(QStringLiteral("{target}"), target) +
                 QStringLiteral("\n\n"));
    // OK closes it, and the program goes on.
    const QString box = QString::number(MessageBoxesOnDisplay().value(0).toUInt(nullptr, 16));
    QVERIFY(XdoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), box}));
    QVERIFY(XdoTool({QStringLiteral("key"), QStringLiteral("Return")}));
    QTRY_VERIFY_WITH_TIMEOUT(MessageBoxesOnDisplay().isEmpty(), 10000);
    QCOMPARE(process.state(), QProcess::Running);

    process.terminate();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    // Nothing was replaced or written: the pipe is a pipe, the link's file was not made, and
    // the file with the odd name is the only page file there, as it was.
    struct stat st {
    };
    if (kind == u"pipe")
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    if (kind == u"folder")
        QVERIFY(QFileInfo(path).isDir());
    QVERIFY(!QFileInfo::exists(target));
    if (kind == u"bytes") {
        QVERIFY(!QFileInfo::exists(path));
        // Listed by their bytes: Qt's listing gives such a name as text.
        QByteArrayList names;
        if (DIR* dir = ::opendir(QFile::encodeName(home.path()).constData())) {
            while (const dirent* entry = ::readdir(dir))
                if (QByteArray(entry->d_name).endsWith("name.htm"))
                    names << entry->d_name;
            ::closedir(dir);
        }
        QCOMPARE(names, QByteArrayList{"bad\xFFname.htm"});
        const int fd = ::open(rawName.constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        char bytes[64];
        const ssize_t n = ::read(fd, bytes, sizeof bytes);
        ::close(fd);
        QCOMPARE(QByteArray(bytes, qsizetype(std::max<ssize_t>(n, 0))), pageBytes);
    }
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
