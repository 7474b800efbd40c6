#include "app/frmmain.h"
#include "app/startup.h"
#include "documents/journal.h"
#include "documents/settingsfiles.h"
#include "killedcopy.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

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
    void realExecutableWritesSettingsAndEndsOnRequest();
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

// True once a window titled "Tagloom" at least as wide as the main window is on the X display;
// the splash, titled the same, is 420 pixels wide.
static bool MainWindowOnDisplay()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    if (!xwininfo.waitForFinished(5000))
        return false;
    static const QRegularExpression window(QStringLiteral("\"Tagloom\":.*\\s(\\d+)x(\\d+)\\+"));
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

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
