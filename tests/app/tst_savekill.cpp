// The real program killed (SIGKILL) at moments spread over the save of a 20 MB page: the page
// on disk is always its whole old content or its whole new one, and the backup, when there is
// one, is the whole old content. Runs under xvfb-run and drives the window with xdotool.
#include "temphome.h"
#include "xwindows.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

using tl::test::FocusWindow;
using tl::test::TempHome;
using tl::test::XdoTool;

namespace
{

QByteArray MakePage()
{
    const QByteArray line("<P>line of the page that is saved while the program is killed</P>\r\n");
    QByteArray page;
    page.reserve(21'000'000);
    while (page.size() < 20'000'000)
        page += line;
    return page;
}

} // namespace

class TestSaveKill : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killDuringSaveLeavesWholeFiles();
};

void TestSaveKill::killDuringSaveLeavesWholeFiles()
{
    const QString exe = qEnvironmentVariable("TAGLOOM_EXE");
    if (exe.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs the built executable and an X display (run through xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs xdotool");

    TempHome home;
    const QString page = home.file(QStringLiteral("big.htm"));
    const QString backup = home.file(QStringLiteral("big.bak"));
    const QByteArray old = MakePage();
    const QByteArray saved = "x" + old;

    constexpr int kMaxKills = 20;
    constexpr qint64 kBudgetMs = 55000;
    QElapsedTimer clock;
    clock.start();
    int kills = 0, oldKept = 0, newWhole = 0, backups = 0;
    qint64 bytesLost = 0;
    while (kills < kMaxKills && clock.elapsed() < kBudgetMs) {
        TempHome::writeBytes(page, old);
        QFile::remove(backup);
        TempHome run; // a fresh program folder: no page list, nothing to offer back

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("TAGLOOM_HOME"), run.home());
        program.setProcessEnvironment(env);
        program.start(exe, {page});
        QVERIFY(program.waitForStarted(10000));
        QVERIFY2(FocusWindow(QStringLiteral("big\\.htm")), "the page's window did not show");
        XdoTool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("0"),
                 QStringLiteral("x")});
        XdoTool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"),
                 QStringLiteral("ctrl+s")});
        // The moments are spread over the save: from at once to well after it.
        QTest::qWait(kills * 1000 / kMaxKills);
        ::kill(pid_t(program.processId()), SIGKILL);
        QVERIFY(program.waitForFinished(10000));
        ++kills;

        const QByteArray now = TempHome::readBytes(page);
        if (now == old) {
            ++oldKept;
        } else if (now == saved) {
            ++newWhole;
        } else {
            qsizetype same = 0;
            while (same < old.size() && same < now.size() && old[same] == now[same])
                ++same;
            bytesLost += old.size() - same;
            QFAIL(qPrintable(QStringLiteral("kill %1: the page holds %2 bytes, neither whole")
                                 .arg(kills)
                                 .arg(now.size())));
        }
        if (QFile::exists(backup)) {
            ++backups;
            QVERIFY2(TempHome::readBytes(backup) == old, "the backup is not whole");
        }
    }
    qInfo("kills during save: %d (old page kept %d, new page whole %d, backups whole %d), bytes "
          "lost: %lld",
          kills, oldKept, newWhole, backups, static_cast<long long>(bytesLost));
    QVERIFY(kills >= 5);
    QCOMPARE(bytesLost, qint64(0));
}

QTEST_MAIN(TestSaveKill)
#include "tst_savekill.moc"
