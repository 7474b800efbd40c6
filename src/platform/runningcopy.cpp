#include "platform/runningcopy.h"

#include <QFile>
#include <QList>

#include <cerrno>
#include <csignal>
#include <limits>
#include <unistd.h>

namespace tl
{

namespace
{

// The fields of /proc/<pid>/stat after the process's name, from its state on; empty when the
// file cannot be read. "pid (name) state ppid …": the name may hold blanks and parentheses, so
// the fields are counted from the last ")".
QList<QByteArray> ProcessStatFields(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return {};
    return line.mid(close + 2).trimmed().split(' ');
}

} // namespace

QByteArray ProcessStartTime(qint64 pid)
{
    // The start time is field 22, the 20th after the name.
    const QList<QByteArray> fields = ProcessStatFields(pid);
    return fields.size() > 19 ? fields[19] : QByteArray();
}

CopyLock CurrentCopyLock()
{
    const qint64 pid = ::getpid();
    return {pid, ProcessStartTime(pid)};
}

bool CopyRunning(const CopyLock& lock)
{
    // kill(0, …) and kill(-1, …) would ask about whole groups of processes.
    if (lock.pid <= 0 || lock.pid > std::numeric_limits<pid_t>::max())
        return false;
    if (::kill(pid_t(lock.pid), 0) < 0 && errno == ESRCH)
        return false;
    const QList<QByteArray> fields = ProcessStatFields(lock.pid);
    // A killed copy stays a zombie until its parent reaps it (a shell or a test harness may
    // take its time): it holds its id but runs no more, so what it left is free to take.
    const QByteArray state = fields.value(0);
    if (state == "Z" || state == "X" || state == "x")
        return false;
    if (lock.start.isEmpty())
        return true;
    const QByteArray start = fields.value(19);
    return start.isEmpty() || start == lock.start;
}

} // namespace tl
