#pragma once

#include "recovery/journal.h"

#include <QFile>
#include <QTest>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace tl::test
{

// A copy of the program that was killed and that its parent has not reaped yet: a zombie, as a
// shell or a test harness that started the copy leaves it until it waits for it. Started
// without QProcess, which would reap it at once. The destructor reaps it.
class KilledCopy
{
public:
    KilledCopy()
    {
        char sleep[] = "sleep";
        char seconds[] = "60";
        char* argv[] = {sleep, seconds, nullptr};
        if (::posix_spawnp(&pid_, "sleep", nullptr, nullptr, argv, environ) != 0)
            pid_ = 0;
        else
            lock_ = JournalLock{pid_, ProcessStartTime(pid_)};
    }
    ~KilledCopy()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    KilledCopy(const KilledCopy&) = delete;
    KilledCopy& operator=(const KilledCopy&) = delete;

    // The lock the copy wrote while it ran.
    const JournalLock& lock() const { return lock_; }
    // Kills the copy; true once it is a zombie (or gone).
    bool kill()
    {
        if (pid_ <= 0 || ::kill(pid_, SIGKILL) != 0)
            return false;
        return QTest::qWaitFor([this] { return state() == "Z" || state().isEmpty(); }, 10000);
    }
    // The process's state letter from /proc ("Z" for a zombie); empty when it is gone.
    QByteArray state() const
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid_));
        if (!stat.open(QIODevice::ReadOnly))
            return {};
        const QByteArray line = stat.readAll();
        return line.mid(line.lastIndexOf(')') + 2, 1);
    }

private:
    pid_t pid_ = 0;
    JournalLock lock_;
};

} // namespace tl::test
