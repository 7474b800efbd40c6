#include "files/diskwatch.h"

#include "core/appstate.h"
#include "files/documentwindow.h"
#include "files/filecommands.h"
#include "platform/files.h"
#include "platform/prompts.h"

#include <QFileInfo>

#include <utility>

namespace tl
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

DiskChange CompareDiskFile(const FileIdentity& known, const FileIdentity& seen,
                           const FileIdentity& now)
{
    if (now.error != 0 || now == known || now == seen)
        return DiskChange::None;
    return now.exists ? DiskChange::Changed : DiskChange::Deleted;
}

DiskWatch::DiskWatch(AppState& state, FileCommands& files) : state_(state), files_(files)
{
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &DiskWatch::changedOnDisk);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DiskWatch::changedOnDisk);
    // The notice takes no focus and asks nothing, so it is shown at once, also while the
    // program is in the background or a dialog is open.
    connect(&settle_, &QTimer::timeout, this, [this] {
        Check();
        Q_EMIT Settled();
    });
}

void DiskWatch::Record(const FileIdentity& identity)
{
    known_ = identity;
    seen_ = identity;
    watch();
    if (!noticed_.isEmpty()) {
        noticed_.clear();
        Q_EMIT NoticeWithdrawn();
    }
}

void DiskWatch::watch()
{
    const QStringList watched = watcher_.files() + watcher_.directories();
    if (known_.path.isEmpty()) {
        if (!watched.isEmpty())
            watcher_.removePaths(watched);
        return;
    }
    const QFileInfo info(NativePath(known_.path));
    const QString file = info.absoluteFilePath();
    const QString folder = info.absolutePath();
    QStringList stale;
    for (const QString& path : watched)
        if (path != file && path != folder)
            stale << path;
    if (!stale.isEmpty())
        watcher_.removePaths(stale);
    // A file replaced through a rename drops out of the watch: it is watched again here.
    if (!watcher_.files().contains(file) && info.exists())
        watcher_.addPath(file);
    if (!watcher_.directories().contains(folder) && QFileInfo::exists(folder))
        watcher_.addPath(folder);
}

void DiskWatch::changedOnDisk()
{
    settle_.start();
}

void DiskWatch::Check()
{
    const QString path = known_.path;
    // Only the open page's file counts (not after New or Close).
    if (path.isEmpty() || state_.Doc.path() != path || !files_.Window().EditorShown())
        return;
    const FileIdentity now = ReadFileIdentity(path);
    watch();
    const DiskChange change = CompareDiskFile(known_, seen_, now);
    if (change == DiskChange::None)
        return;
    // Told once: this state of the file is not told of again.
    seen_ = now;
    noticed_ = path;

    if (change == DiskChange::Deleted) {
        // The page is no longer on disk: closing it must ask to save it.
        state_.Doc.setModified(true);
        Q_EMIT Noticed(path + QStringLiteral(" は削除されたか、ほかの場所へ移動されました。") +
                           QStringLiteral("ページは開いたままです。保存すると、この名前でファイル"
                                          "を作り直します。"),
                       false);
        return;
    }
    Q_EMIT Noticed(
        path + QStringLiteral(" はほかのプログラムによって変更されました。") +
            (state_.Doc.isModified()
                 ? QStringLiteral("再読み込みすると、このページで行った変更は失われます。")
                 : QString()),
        true);
}

void DiskWatch::Reload()
{
    const QString path = std::exchange(noticed_, QString());
    // The page shown is no longer the one the notice was about.
    if (path.isEmpty() || state_.Doc.path() != path)
        return;
    // The bar has said that unsaved changes go: the button asks once more (Enter keeps them).
    // The reload is one undo step, so Ctrl+Z gives the text back all the same.
    if (state_.Doc.isModified()) {
        const MsgAnswer answer = state_.prompts->message(
            {u'[' + path + QStringLiteral("] 内のﾃｷｽﾄは変更されています。") +
                 QStringLiteral("\r\n") +
                 QStringLiteral("変更を破棄して、ファイルから再読み込みしますか ?"),
             kNoDocumentCaption, MsgButtons::YesNo, MsgIcon::Exclamation, MsgAnswer::No});
        if (answer != MsgAnswer::Yes) {
            state_.Doc.setModified(true); // kept: the page no longer matches the file
            return;
        }
    }
    if (files_.ReloadDocument(path, std::nullopt) != 0)
        state_.Doc.setModified(true); // not read: the page no longer matches the file
}

void DiskWatch::Keep()
{
    const QString path = std::exchange(noticed_, QString());
    if (!path.isEmpty() && state_.Doc.path() == path)
        state_.Doc.setModified(true);
}

bool DiskWatch::ConfirmOverwrite(const QString& path)
{
    if (path.isEmpty() || path != known_.path)
        return true; // another file: the save-as questions cover it
    const FileIdentity now = ReadFileIdentity(path);
    if (!now.exists || now.error != 0 || now == known_)
        return true;
    seen_ = now; // the user now knows of this change
    MessageRequest question;
    question.text =
        path + kCrLf +
        QStringLiteral("このファイルは開いた後でほかのプログラムによって変更されています。") +
        kCrLf + QStringLiteral("上書きしますか？");
    question.title = kNoDocumentCaption;
    question.buttons = MsgButtons::YesNo;
    question.icon = MsgIcon::Exclamation;
    question.defaultAnswer = MsgAnswer::No;
    return state_.prompts->message(question) == MsgAnswer::Yes;
}

} // namespace tl
