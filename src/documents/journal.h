#pragma once

#include "core/textencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace tl
{

// A recovery journal: the unsaved text of the current page, written now and then so that a
// crash or a kill loses no typed work. Each running copy keeps its journals in a folder of its
// own, ProgramFolder()/journal/<pid>-<start>/, beside a lock file that names the process; a
// copy that ends cleanly removes its folder, so a folder whose process no longer runs holds the
// journals of a copy that did not.

// What a journal holds: enough to put the page back as it was.
struct JournalEntry {
    QString path;             // the page's file; empty for an untitled page
    QDateTime time;           // when the text was taken, in UTC
    TextEncoding encoding;    // how the page's file is encoded, so a save writes it back alike
    bool undecodable = false; // the page's file held bytes that could not be decoded
    QString text;
};

// The journal's bytes: a versioned header of one "key=value" line each (the path and names
// percent-encoded), the text's length in bytes and a SHA-256 over the header lines above it and
// the text, an empty line, then the text in UTF-8.
QByteArray EncodeJournal(const JournalEntry& entry);
// The entry, or nothing when the bytes are not a whole journal of this version: a missing or
// unknown header line, a length that does not match, a checksum that does not match, text
// that is not UTF-8.
std::optional<JournalEntry> DecodeJournal(QByteArrayView bytes);

// The lock file of a journal folder: the owner's process id and its start time (the kernel's
// clock ticks since boot; empty where unknown), so that a reused process id is not taken for
// the owner.
struct JournalLock {
    qint64 pid = 0;
    QByteArray start;
    bool operator==(const JournalLock&) const = default;
};
QByteArray EncodeJournalLock(const JournalLock& lock);
std::optional<JournalLock> DecodeJournalLock(QByteArrayView bytes);

// The running process's lock.
JournalLock CurrentJournalLock();
// The start time of process pid as the kernel keeps it; empty when it cannot be read.
QByteArray ProcessStartTime(qint64 pid);
// Whether the process named by lock still runs: the process id exists (kill(pid, 0) does not
// fail with ESRCH) and, when both start times are known, it started when the lock says.
bool JournalOwnerRunning(const JournalLock& lock);

inline const QString kJournalLockName = QStringLiteral("lock");
inline const QString kPageJournalName = QStringLiteral("page.tlj");

// ProgramFolder()/journal.
QString JournalRoot();
// The folder of the process with this lock under root: "<pid>-<start>".
QString JournalFolderFor(const QString& root, const JournalLock& lock);
// Makes folder and writes its lock (atomically). False when either failed.
bool CreateJournalFolder(const QString& folder, const JournalLock& lock);
// Removes the page journal and the lock of folder, then the folder when nothing else is left
// in it (journals kept for a later start stay, and the folder then reads as abandoned).
void RemoveJournalFolder(const QString& folder);

// Moves the journals of every folder under root whose owner no longer runs into ownFolder
// (created when needed) as "recovered-<n>.tlj", and removes the emptied folders. A file is
// moved by one rename, so two copies starting together never both take it. Returns the
// recovered journals now in ownFolder, those left there by an earlier call included.
QStringList AdoptAbandonedJournals(const QString& root, const QString& ownFolder);

} // namespace tl
