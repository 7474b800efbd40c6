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
// (the window calls CheckWhenIdle) and through a file system watcher on the file and its folder
// (a save through a rename replaces the file, which ends a watch on the file alone). A change
// asks whether to read the file again; a deletion is told once. The program's own saves are
// recorded, so they never count as changes.
class DiskWatch : public QObject
{
    Q_OBJECT
public:
    DiskWatch(AppState& state, FileCommands& files);

    // The page's file as the program has just read or written it; watched from now on.
    void Record(const FileIdentity& identity);
    // The state last recorded: what the page's text is based on.
    const FileIdentity& Recorded() const { return known_; }
    // Looks at the page's file now and asks or tells about a change.
    void Check();
    // Check, unless a modal dialog is open (the window's activation after it closes checks).
    void CheckWhenIdle();
    // Before the page's file at path is overwritten: when another program changed it since it
    // was read or saved, asks whether to overwrite it (default No). True to go on.
    bool ConfirmOverwrite(const QString& path);

    // How long the watcher waits for a burst of changes in the folder to end.
    static constexpr int kSettleMs = 200;
    // True while it waits so: changes it was told of are not yet looked at.
    bool Settling() const { return settle_.isActive(); }

Q_SIGNALS:
    // A burst of changes in the folder ended and was looked at (asked about, if it was one).
    void Settled();

private:
    void watch();
    void changedOnDisk();

    AppState& state_;
    FileCommands& files_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    FileIdentity known_;
    FileIdentity seen_;
    bool checking_ = false;
};

} // namespace tl
