// The edit box as a screen reader meets it: the real program on an X display with an
// accessibility bus, its text read over AT-SPI by atspiruns.py (pyatspi). ctest runs this under
// xvfb-run and dbus-run-session; the bus launcher and registry are started on demand by D-Bus.
#include "temphome.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

using namespace tl;

namespace
{

// Debian's python3-pyatspi is installed for the system interpreter, whatever else is on PATH.
const QString kPython = QStringLiteral("/usr/bin/python3");

// Exit statuses of atspiruns.py.
constexpr int kDone = 0;
constexpr int kNoBus = 2;
constexpr int kNotYet = 3;

struct ScriptResult {
    int status = -1;
    QString out;
    QString err;
};

ScriptResult RunScript(const QStringList& args)
{
    QProcess script;
    script.start(kPython, QStringList{qEnvironmentVariable("TAGLOOM_ATSPI_SCRIPT")} + args);
    ScriptResult r;
    if (!script.waitForFinished(60000)) {
        script.kill();
        script.waitForFinished();
        r.err = QStringLiteral("atspiruns.py did not end within a minute");
        return r;
    }
    r.out = QString::fromUtf8(script.readAllStandardOutput());
    r.err = QString::fromUtf8(script.readAllStandardError()).trimmed();
    if (script.exitStatus() == QProcess::NormalExit)
        r.status = script.exitCode();
    return r;
}

// Runs the script until it is done, it fails otherwise than "not yet", or the deadline passes.
ScriptResult RunScriptUntilDone(const QStringList& args, int retryStatus, int ms)
{
    const QDeadlineTimer deadline(ms);
    ScriptResult r;
    for (;;) {
        r = RunScript(args);
        if (r.status != retryStatus || deadline.hasExpired())
            return r;
        QTest::qWait(200);
    }
}

} // namespace

class TestScreenReader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void colourRunsReachTheBus();
};

// Without an accessibility bus the test cannot say anything: that is a failure, not a skip.
void TestScreenReader::initTestCase()
{
    for (const char* name :
         {"TAGLOOM_EXE", "TAGLOOM_ATSPI_SCRIPT", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS"}) {
        if (qEnvironmentVariableIsEmpty(name))
            QFAIL(qPrintable(QStringLiteral("%1 is not set: run through ctest, which starts this "
                                            "test under xvfb-run and dbus-run-session")
                                 .arg(QLatin1String(name))));
    }
    QVERIFY2(QFile::exists(kPython), "no /usr/bin/python3 (bash scripts/deps.sh)");
    // The launcher can be slow to come up on a loaded machine: asked again until it answers.
    const ScriptResult bus = RunScriptUntilDone({QStringLiteral("bus")}, kNoBus, 60000);
    QVERIFY2(bus.status == kDone,
             qPrintable(QStringLiteral("the accessibility bus did not start: ") + bus.err));
}

// A small page's runs as pyatspi reads them: each run's range and text, and the colour it is
// shown in as fg-color, the name screen readers know.
void TestScreenReader::colourRunsReachTheBus()
{
    test::TempHome home;
    const QString page = home.file(QStringLiteral("page.htm"));
    test::TempHome::writeBytes(page, "<P ALIGN=\"center\">Hi &amp; bye</P>\r\n");

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_ACCESSIBILITY"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(qEnvironmentVariable("TAGLOOM_EXE"), {page});
    QVERIFY(program.waitForStarted(30000));
    const auto cleanup = qScopeGuard([&] {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(10000);
        }
    });

    // Asked again until the program, its edit box and the page are on the bus.
    const ScriptResult runs =
        RunScriptUntilDone({QStringLiteral("runs"), QString::number(program.processId()),
                            QStringLiteral("ページのソース")},
                           kNotYet, 120000);
    QVERIFY2(runs.status == kDone, qPrintable(runs.err));
    QCOMPARE(runs.out, QStringLiteral("0 2 '<P' fg-color:128,32,96\n"
                                      "2 3 ' ' fg-color:0,0,0\n"
                                      "3 8 'ALIGN' fg-color:138,75,8\n"
                                      "8 9 '=' fg-color:0,0,0\n"
                                      "9 17 '\"center\"' fg-color:30,107,48\n"
                                      "17 18 '>' fg-color:128,32,96\n"
                                      "18 21 'Hi ' fg-color:0,0,0\n"
                                      "21 26 '&amp;' fg-color:0,109,119\n"
                                      "26 30 ' bye' fg-color:0,0,0\n"
                                      "30 34 '</P>' fg-color:128,32,96\n"
                                      "34 36 '\\r\\n' fg-color:0,0,0\n"));

    program.terminate();
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestScreenReader)
#include "tst_screenreader.moc"
