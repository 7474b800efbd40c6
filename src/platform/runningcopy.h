#pragma once

#include <QByteArray>

namespace tl
{

// A running copy of the program, as its lock files name it: the process id and its start time
// (the kernel's clock ticks since boot; empty where unknown), so that a reused process id is
// not taken for the copy. The recovery journal's folders and the marks of in-place saves
// belong to the copy that made them.
struct CopyLock {
    qint64 pid = 0;
    QByteArray start;
    bool operator==(const CopyLock&) const = default;
};

// The running process's lock.
CopyLock CurrentCopyLock();
// The start time of process pid as the kernel keeps it; empty when it cannot be read.
QByteArray ProcessStartTime(qint64 pid);
// Whether the process named by lock still runs: the process id exists (kill(pid, 0) does not
// fail with ESRCH), it is not a killed process its parent has yet to reap (a zombie), and,
// when both start times are known, it started when the lock says.
bool CopyRunning(const CopyLock& lock);

} // namespace tl
