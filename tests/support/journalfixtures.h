#pragma once

#include "recovery/journal.h"
#include "temphome.h"

#include <QDateTime>
#include <QFile>

#include <optional>

namespace tl::test
{

// A process id no process can have: the kernel hands out ids below pid_max.
inline qint64 DeadPid()
{
    QFile max(QStringLiteral("/proc/sys/kernel/pid_max"));
    return max.open(QIODevice::ReadOnly) ? max.readAll().trimmed().toLongLong() : 4194304;
}

inline JournalEntry Entry(const QString& path, const QString& text, const QString& time)
{
    JournalEntry e;
    e.path = path;
    e.text = text;
    e.time = QDateTime::fromString(time + u'Z', Qt::ISODateWithMs);
    return e;
}

inline std::optional<JournalEntry> ReadJournal(const QString& path)
{
    if (!QFile::exists(path))
        return std::nullopt;
    return DecodeJournal(TempHome::readBytes(path));
}

} // namespace tl::test
