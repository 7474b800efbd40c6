// The real program killed (SIGKILL) after typing on a page: the next start offers the typed
// text back, and a save writes it to the page. Runs under xvfb-run and drives the windows with
// xdotool.
#include "recovery/journal.h"
#include "temphome.h"
#include "xwindows.h"

#include <QDirIterator>
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

// The text of the page journal under root, when there is one whole journal.
QString JournalText(const QString& root)
{
    QDirIterator it(root, {QStringLiteral("page.tlj")}, QDir::Files, QDirIterator::Subdirectories);
    if (!it.hasNext())
        return {};
    const auto entry = tl::DecodeJournal(TempHome::readBytes(it.next()));
    return entry ? entry->text : QString();
}

} // namespace

class TestJournalKill : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedProgramGivesTypedTextBack();
};

void TestJournalKill::killedProgramGivesTypedTextBack()
{
    const QString exe = qEnvironmentVariable("TAGLOOM_EXE");
    if (exe.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs the built executable and an X display (run through xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs xdotool");

    QElapsedTimer clock;
    clock.start();
    TempHome home;
    const QString page = home.file(QStringLiteral("kill.htm"));
    TempHome::writeBytes(page, "<P>old</P>\r\n");
    const QString typed = QStringLiteral("hello journal ");
    const QString expected = typed + QStringLiteral("<P>old</P>\r\n");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("TAGLOOM_HOME"), home.home());
    env.insert(QStringLiteral("TAGLOOM_JOURNAL_IDLE_MS"), QStringLiteral("300"));

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(exe, {page});
    QVERIFY(first.waitForStarted(10000));
    QVERIFY2(FocusWindow(QStringLiteral("kill\\.htm")), "the page's window did not show");
    XdoTool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), typed});
    const QString root = home.file(QStringLiteral("journal"));
    QTRY_COMPARE_WITH_TIMEOUT(JournalText(root), expected, 15000);
    ::kill(pid_t(first.processId()), SIGKILL);
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);
    QCOMPARE(TempHome::readBytes(page), QByteArray("<P>old</P>\r\n"));

    // The next start asks first: Yes opens the text as the modified page.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(exe, {});
    QVERIFY(second.waitForStarted(10000));
    QVERIFY2(FocusWindow(QStringLiteral("ページの復元")), "no restore question");
    XdoTool({QStringLiteral("key"), QStringLiteral("y")});
    QVERIFY2(FocusWindow(QStringLiteral("kill\\.htm")), "the restored page did not show");
    XdoTool({QStringLiteral("key"), QStringLiteral("ctrl+s")});
    QTRY_COMPARE_WITH_TIMEOUT(TempHome::readBytes(page), expected.toUtf8(), 10000);

    // Saved and ended cleanly: no journal is left to offer.
    second.terminate();
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(JournalText(root), QString());
    QVERIFY2(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty(),
             qPrintable(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(u' ')));
    QVERIFY2(clock.elapsed() < 60000, "took longer than a minute");
}

QTEST_MAIN(TestJournalKill)
#include "tst_journalkill.moc"
