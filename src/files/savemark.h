#pragma once

#include "platform/atomicwrite.h"
#include "platform/prompts.h"
#include "platform/runningcopy.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace tl
{

// A page written in place (a hard link, another owner's file) is part new and part old until
// the write ends: a kill in between tears it. Before such a write starts, a mark naming the
// page and its backup is written (atomically) to ProgramFolder()/saving/, and it is removed
// once the page is on disk; a start that finds a mark of a copy no longer running tells the
// user and offers the backup. A mark's name, "<pid>-<start>[-<n>].mark", names the copy it
// belongs to, as the journal's folders do: a running copy's marks are nobody else's.
struct SaveMark {
    QString page;
    QString backup; // empty: the page was written without a backup
    bool operator==(const SaveMark&) const = default;
};

QByteArray EncodeSaveMark(const SaveMark& mark);
std::optional<SaveMark> DecodeSaveMark(QByteArrayView bytes);

// ProgramFolder()/saving.
QString SaveMarkFolder();
// The mark of the copy with this lock while it writes a page in place.
QString SaveMarkPathFor(const QString& folder, const CopyLock& owner);
// The copy a mark's file name names; nothing when it is no mark's name.
std::optional<CopyLock> SaveMarkOwner(const QString& fileName);

// Writes bytes over page (native) by method. An in-place write is marked while it lasts; the
// mark stays after a failure that changed the page (it no longer equals backup).
FileWriteResult WritePageBytes(const QString& page, const QString& backup, QByteArrayView bytes,
                               ReplaceMethod method);

// The marks under folder whose copies no longer run, each moved to a name of the running copy
// first (so that two copies starting together never both offer one): the moved files, oldest
// first.
QStringList TakeLeftSaveMarks(const QString& folder);

// The question about a page a kill may have torn, and what each of its buttons does. Enter
// opens the backup, which writes nothing; Esc leaves both files as they are.
enum class TornPageAnswer { Restore, OpenBackup, Leave };
ChoiceRequest TornPageQuestion(const SaveMark& mark);
TornPageAnswer TornPageAnswerAt(int chosen);
// Told instead when no backup is left to offer.
QString TornPageWithoutBackupText(const SaveMark& mark);

inline const QString kTornPageTitle = QStringLiteral("中断された保存");

} // namespace tl
