#include "xwindows.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

#include <algorithm>

namespace tl::test
{

QString XdoTool(const QStringList& args, int timeoutMs)
{
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"), args);
    if (!xdo.waitForFinished(timeoutMs) || xdo.exitStatus() != QProcess::NormalExit ||
        xdo.exitCode() != 0) {
        xdo.kill();
        xdo.waitForFinished();
        return {};
    }
    return QString::fromLocal8Bit(xdo.readAllStandardOutput()).trimmed();
}

QString FindWindow(const QString& pattern, int deadlineMs)
{
    const QDeadlineTimer deadline(deadlineMs);
    for (;;) {
        // Without --sync: one quick look per round, so a failed look is followed by another
        // until the deadline, and a search never outlives it.
        const int left = int(std::max<qint64>(deadline.remainingTime(), 1000));
        const QString found = XdoTool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), pattern},
                                      left)
                                  .section(u'\n', 0, 0);
        if (!found.isEmpty() || deadline.hasExpired())
            return found;
        QTest::qWait(100);
    }
}

bool FocusWindow(const QString& pattern, int deadlineMs)
{
    const QString window = FindWindow(pattern, deadlineMs);
    if (window.isEmpty())
        return false;
    XdoTool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
    XdoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    QTest::qWait(300);
    return true;
}

} // namespace tl::test
