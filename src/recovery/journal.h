#pragma once

#include "core/textencoding.h"
#include "platform/fileidentity.h"
#include "platform/runningcopy.h"

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
    // The CP932 characters kept in another form than the usual one, at their places in text.
    ByteVariants forms;
    // Where the page's file would first get other bytes back (Document::inexactPlace); empty
    // when it gets its own.
    QString inexactPlace;
    QString text;
    // The page's file in the state the text was based on (as last read or saved), so that a
    // later start can tell whether the file changed since; nothing when not known (an untitled
    // page, a version-1 journal).
    std::optional<FileIdentity> file;
};

// The journal's bytes (version 4): a versioned header of one "key=value" line each (the path and
// names percent-encoded), the text's length in bytes and a SHA-256 over the header lines above it
// and the text, an empty line, then the text in UTF-8.
QByteArray EncodeJournal(const JournalEntry& entry);
// The entry, or nothing when the bytes are not a whole journal of version 1 to 4 (version 1
// has no "file" line, versions 1 and 2 no "forms" and "inexact" lines, versions 1 to 3 no
// "lineend" and "finalbreak" lines: their pages were CR LF with a final one): a missing or unknown
// header line, a length that does not match, a checksum that does not match, text that is not
// UTF-8, a kept form that does not name the character at its place.
std::optional<JournalEntry> DecodeJournal(QByteArrayView bytes);

// Whether the page's file, as it is now, differs from the state the journal's text was based
// on, so that putting the text back under the file's name could overwrite newer work. A file
// that is missing or cannot be looked at holds nothing to overwrite. Without a recorded state
// (a version-1 journal) a file modified after the journal was written counts as changed.
bool JournalFileChanged(const JournalEntry& entry, const FileIdentity& now);
// A journal's or a file's time as the restore question shows it: local time,
// "2024/05/01 12:34:56".
QString JournalTimeText(const QDateTime& time);

// The lock file of a journal folder names the copy that owns it.
using JournalLock = CopyLock;
QByteArray EncodeJournalLock(const JournalLock& lock);
std::optional<JournalLock> DecodeJournalLock(QByteArrayView bytes);

// The running process's lock (CurrentCopyLock).
JournalLock CurrentJournalLock();
// Whether the copy named by lock still runs (CopyRunning).
bool JournalOwnerRunning(const JournalLock& lock);

inline const QString kJournalLockName = QStringLiteral("lock");
inline const QString kPageJournalName = QStringLiteral("page.tlj");

// ProgramFolder()/journal.
QString JournalRoot();
// The folder of the process with this lock under root: "<pid>-<start>".
QString JournalFolderFor(const QString& root, const JournalLock& lock);
// Makes folder and its missing parents (readable by the owner only); 0, or the system's error
// number.
int MakeJournalFolder(const QString& folder);
// Makes folder and writes its lock (atomically). False when either failed; error then holds
// the system's error number.
bool CreateJournalFolder(const QString& folder, const JournalLock& lock, int* error = nullptr);
// Removes the page journal and the lock of folder, then the folder when nothing else is left
// in it (journals kept for a later start stay, and the folder then reads as abandoned).
void RemoveJournalFolder(const QString& folder);

// Moves the journals of every folder under root whose owner no longer runs into ownFolder
// (created when needed) as "recovered-<n>.tlj", and removes the emptied folders. A file is
// moved by one rename, so two copies starting together never both take it. Returns the
// recovered journals now in ownFolder, those left there by an earlier call included. A journal
// that could not be moved stays where it was, its folder too, and failures gets "path: reason".
QStringList AdoptAbandonedJournals(const QString& root, const QString& ownFolder,
                                   QStringList* failures = nullptr);

} // namespace tl
