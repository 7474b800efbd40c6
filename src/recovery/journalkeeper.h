#pragma once

#include "core/textbuffer.h"
#include "recovery/journal.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <QElapsedTimer>
#include <mutex>
#include <optional>

namespace tl
{

struct AppState;
class FileCommands;

// The idle delay before a journal write: $TAGLOOM_JOURNAL_IDLE_MS when it is a whole number
// (0 turns the journal off), else 2 seconds.
int JournalIdleDelayFromEnvironment();
// How long after a key the journal is written: the idle delay, cut so that no change waits
// more than five idle delays (sinceFirstUnwritten: ms since the oldest change not yet written).
int JournalWriteDelay(int idleDelay, qint64 sinceFirstUnwritten);

// Keeps the current page's recovery journal while it has unsaved changes. The text is taken
// on this thread only when a write is due: after the idle delay following a change (and at
// the latest five idle delays after the first unwritten change, however long the typing
// goes on: 2 and 10 seconds by default), and before the unsaved-changes question of every page
// switch and of the exit. A worker thread encodes and writes it atomically; a newer snapshot
// replaces one still waiting, and one worker does every write and removal of this journal in order,
// so two never race. The journal goes when the page becomes unmodified (saved, undone to the saved
// text) or is replaced (Open, New, Close, also after the user answered No to the save question).
class JournalKeeper : public QObject
{
    Q_OBJECT
public:
    JournalKeeper(AppState& state, FileCommands& files, QObject* parent = nullptr);
    // Waits for the worker. Without Finish() a modified page's text is written once more and
    // kept, so nothing typed is lost when the window goes without the user's word.
    ~JournalKeeper() override;
    JournalKeeper(const JournalKeeper&) = delete;
    JournalKeeper& operator=(const JournalKeeper&) = delete;

    int IdleDelay() const { return idleDelay_; }
    // 0: no journal is written.
    void SetIdleDelay(int ms) { idleDelay_ = ms; }
    // This process's journal folder and the current page's journal in it.
    const QString& Folder() const { return folder_; }
    QString PagePath() const;

    // Takes the page's text now and hands it to the worker, when it has unsaved changes.
    void WriteNow();
    // Blocks until the worker has done everything handed to it.
    void WaitForWrites();

    // At start: takes over the journals of copies that no longer run and offers each, newest
    // first: Yes opens it as a modified page (its path kept, so a save writes the page's
    // file; a new untitled page instead when the file changed after the journal's text was
    // taken, which the question then says), No deletes it, Cancel keeps it for the next
    // start. Once one is opened the others are kept for the next start, and the user is told
    // how many.
    void OfferRecoveredPages();

    // The program ends cleanly, after the user's answer to the save question: the journal,
    // the lock and the folder go, and nothing more is written.
    void Finish();

private:
    struct Job {
        std::optional<JournalEntry> entry; // nothing: remove the journal
        // The entry's text and kept forms, copied out on the worker.
        TextSnapshot text;
    };
    void schedule(Job job);
    void runJobs();
    void onEdited();
    void discard();
    // What a journal write records, the text taken as it is now but not yet copied: the page
    // goes on being edited while the worker copies it (TextSnapshot).
    Job snapshot() const;
    // The job's entry with its text and kept forms filled in.
    static JournalEntry Completed(Job&& job);
    // Puts entry in the window as a modified page; untitled: without its path.
    void restore(const JournalEntry& entry, bool untitled);
    QString question(const JournalEntry& entry, const FileIdentity& file, bool changed) const;
    // On the worker: shows a write failure in the status bar, once until a write succeeds.
    void reportFailure(const QString& text);

    AppState& state_;
    FileCommands& files_;
    QString folder_;
    JournalLock lock_;
    int idleDelay_;
    QTimer idle_;
    QElapsedTimer unwrittenSince_;
    // A journal may be on disk or on its way there.
    bool written_ = false;
    bool finished_ = false;

    QThreadPool pool_;
    std::mutex mutex_;
    std::optional<Job> pending_;
    bool running_ = false;
    // Owned by the worker: whether the folder and its lock are in place.
    bool folderReady_ = false;
    QString failure_; // owned by the worker: the failure last shown
};

} // namespace tl
