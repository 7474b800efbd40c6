#pragma once

#include "platform/fileidentity.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace tl
{

struct AppState;
class FileCommands;

// What a look at the page's file on disk finds.
enum class DiskChange { None, Changed, Deleted };

// Compares the file now with known (as the program last read or wrote it) and with seen (the
// state the user was last told about). A state the user was already told about, or one that
// cannot be read, is no change.
DiskChange CompareDiskFile(const FileIdentity& known, const FileIdentity& seen,
                           const FileIdentity& now);

// Notices when another program changes or deletes the open page's file: at window activation
// and through a file system watcher on the file and its folder (a save through a rename
// replaces the file, which ends a watch on the file alone). A change is told through Noticed,
// which the window shows as a bar that takes no focus; the user then reloads or keeps the page.
// Each state of the file is told once. The program's own saves are recorded, so they never
// count as changes.
class DiskWatch : public QObject
{
    Q_OBJECT
public:
    DiskWatch(AppState& state, FileCommands& files);

    // The page's file as the program has just read or written it; watched from now on. A notice
    // still shown is withdrawn: the page and the file agree again.
    void Record(const FileIdentity& identity);
    // The state last recorded: what the page's text is based on.
    const FileIdentity& Recorded() const { return known_; }
    // Looks at the page's file now and tells of a change.
    void Check();
    // The user's answers to a notice. Reload reads the file again, keeping the caret's place;
    // Keep leaves the page as it is, marked modified since it no longer matches the file.
    void Reload();
    void Keep();
    // Before the page's file at path is overwritten: when another program changed it since it
    // was read or saved, asks whether to overwrite it (default No). True to go on.
    bool ConfirmOverwrite(const QString& path);

    // How long the watcher waits for a burst of changes in the folder to end.
    static constexpr int kSettleMs = 200;
    // True while it waits so: changes it was told of are not yet looked at.
    bool Settling() const { return settle_.isActive(); }

Q_SIGNALS:
    // A burst of changes in the folder ended and was looked at (told of, if it was one).
    void Settled();

    // The page's file changed (canReload) or is gone; text says so, naming the file.
    void Noticed(const QString& text, bool canReload);
    void NoticeWithdrawn();

private:
    void watch();
    void changedOnDisk();

    AppState& state_;
    FileCommands& files_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    FileIdentity known_;
    FileIdentity seen_;
    // The file a shown notice is about; empty when none is shown.
    QString noticed_;
};

} // namespace tl
