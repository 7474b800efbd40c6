#include "files/savemark.h"

#include "core/appstate.h"
#include "files/documentwindow.h"
#include "files/filecommands.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/programfolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace tl
{

namespace
{

const QByteArray kMagic = "TAGLOOM SAVE MARK 1\n";
const QString kSuffix = QStringLiteral(".mark");
const QString kCrLf = QStringLiteral("\r\n");

// Reads "key=value\n" at pos; the value, or nothing when the line is not that key's.
std::optional<QString> ReadField(QByteArrayView bytes, qsizetype& pos, QByteArrayView key)
{
    const qsizetype end = bytes.indexOf('\n', pos);
    if (end < 0 || !bytes.sliced(pos, end - pos).startsWith(key) || end - pos <= key.size() ||
        bytes[pos + key.size()] != '=')
        return std::nullopt;
    const QByteArrayView value = bytes.sliced(pos + key.size() + 1, end - pos - key.size() - 1);
    pos = end + 1;
    return QString::fromUtf8(QByteArray::fromPercentEncoding(value.toByteArray()));
}

QString OwnerName(const CopyLock& owner)
{
    return QString::number(owner.pid) + u'-' +
           QString::fromLatin1(owner.start.isEmpty() ? QByteArray("0") : owner.start);
}

} // namespace

QByteArray EncodeSaveMark(const SaveMark& mark)
{
    return kMagic + "page=" + mark.page.toUtf8().toPercentEncoding("/") +
           "\nbackup=" + mark.backup.toUtf8().toPercentEncoding("/") + '\n';
}

std::optional<SaveMark> DecodeSaveMark(QByteArrayView bytes)
{
    if (!bytes.startsWith(kMagic))
        return std::nullopt;
    qsizetype pos = kMagic.size();
    const auto page = ReadField(bytes, pos, "page");
    const auto backup = ReadField(bytes, pos, "backup"); // empty: saved without one
    if (!page || page->isEmpty() || !backup || pos != bytes.size())
        return std::nullopt;
    return SaveMark{*page, *backup};
}

QString SaveMarkFolder()
{
    return ProgramFile(QStringLiteral("saving"));
}

QString SaveMarkPathFor(const QString& folder, const CopyLock& owner)
{
    return folder + u'/' + OwnerName(owner) + kSuffix;
}

std::optional<CopyLock> SaveMarkOwner(const QString& fileName)
{
    if (!fileName.endsWith(kSuffix))
        return std::nullopt;
    const QStringList parts = fileName.chopped(kSuffix.size()).split(u'-');
    bool pidOk = false, startOk = false, numberOk = parts.size() == 2;
    const qint64 pid = parts.value(0).toLongLong(&pidOk);
    (void)parts.value(1).toULongLong(&startOk);
    if (parts.size() == 3)
        (void)parts[2].toUInt(&numberOk);
    if (!pidOk || pid <= 0 || !startOk || !numberOk)
        return std::nullopt;
    return CopyLock{pid, parts[1] == u'0' ? QByteArray() : parts[1].toLatin1()};
}

FileWriteResult WritePageBytes(const QString& page, const QString& backup, QByteArrayView bytes,
                               ReplaceMethod method)
{
    if (method == ReplaceMethod::Rename)
        return WriteFileAtomically(page, bytes);
    const QString folder = SaveMarkFolder();
    const QString mark = SaveMarkPathFor(folder, CurrentCopyLock());
    // A mark that cannot be written does not stop the save: the backup has been made and
    // compared, and the user chose to save.
    QDir().mkpath(folder);
    (void)WriteFileAtomically(mark, EncodeSaveMark({page, backup}));
    const FileWriteResult written = WriteFileInPlace(page, bytes);
    // A failed write may have changed part of the page: its mark stays for the next start
    // unless the page is still what the backup holds.
    if (written.ok || backup.isEmpty() || SameFileContent(page, backup))
        QFile::remove(mark);
    return written;
}

QStringList TakeLeftSaveMarks(const QString& folder)
{
    const CopyLock self = CurrentCopyLock();
    const QDir dir(folder);
    QStringList taken;
    int next = 1;
    for (const QString& name :
         dir.entryList({u'*' + kSuffix}, QDir::Files, QDir::Time | QDir::Reversed)) {
        const std::optional<CopyLock> owner = SaveMarkOwner(name);
        if (!owner || *owner == self || CopyRunning(*owner))
            continue;
        QString target;
        do
            target = folder + u'/' + OwnerName(self) + u'-' + QString::number(next++) + kSuffix;
        while (QFile::exists(target));
        // One rename: of two copies starting together, only one gets the mark.
        if (::rename(QFile::encodeName(folder + u'/' + name).constData(),
                     QFile::encodeName(target).constData()) == 0)
            taken << target;
    }
    return taken;
}

ChoiceRequest TornPageQuestion(const SaveMark& mark)
{
    ChoiceRequest question;
    question.title = kTornPageTitle;
    question.icon = MsgIcon::Exclamation;
    question.text =
        QStringLiteral("前回、次のページをファイルに直接書き込んでいる途中でプログラムが終了しま"
                       "した。ページは途中まで新しい内容で、残りが古い内容のままになっているおそ"
                       "れがあります。") +
        kCrLf + kCrLf + QStringLiteral("ページ: ") + mark.page + kCrLf +
        QStringLiteral("バックアップ: ") + mark.backup + kCrLf + kCrLf +
        QStringLiteral("バックアップで戻す: バックアップ (保存する前の内容) をページに書き戻し"
                       "ます") +
        kCrLf +
        QStringLiteral("バックアップを開く: バックアップを開いて見せます。ファイルは変わりません") +
        kCrLf + QStringLiteral("そのままにする: 何もしません");
    question.choices << QStringLiteral("バックアップで戻す(&R)")
                     << QStringLiteral("バックアップを開く(&O)")
                     << QStringLiteral("そのままにする(&L)");
    // Enter writes nothing and shows what the page held; Esc leaves both files alone.
    question.defaultChoice = 1;
    question.escapeChoice = 2;
    return question;
}

TornPageAnswer TornPageAnswerAt(int chosen)
{
    switch (chosen) {
    case 0:
        return TornPageAnswer::Restore;
    case 1:
        return TornPageAnswer::OpenBackup;
    default:
        return TornPageAnswer::Leave;
    }
}

QString TornPageWithoutBackupText(const SaveMark& mark)
{
    return QStringLiteral("前回、次のページをファイルに直接書き込んでいる途中でプログラムが終了しま"
                          "した。ページは途中まで新しい内容で、残りが古い内容のままになっているお"
                          "それがあります。") +
           kCrLf + kCrLf + QStringLiteral("ページ: ") + mark.page + kCrLf + kCrLf +
           (mark.backup.isEmpty()
                ? QStringLiteral("バックアップなしで保存したため、戻せるバックアップはありません。")
                : QStringLiteral("バックアップ ") + mark.backup +
                      QStringLiteral(" が見つからないため、戻せません。"));
}

void FileCommands::OfferTornPages()
{
    for (const QString& file : TakeLeftSaveMarks(SaveMarkFolder())) {
        QFile in(file);
        const std::optional<SaveMark> mark =
            in.open(QIODevice::ReadOnly) ? DecodeSaveMark(in.read(1 << 16)) : std::nullopt;
        in.close();
        if (!mark) {
            QFile::remove(file); // names no page
            continue;
        }
        const QString page = NativePath(mark->page);
        const QString backup = NativePath(mark->backup);
        const bool backupThere = !backup.isEmpty() && FileKindOf(backup) == FileKind::Regular;
        // Killed before a byte of the page changed: nothing to tell.
        if (backupThere && SameFileContent(page, backup)) {
            QFile::remove(file);
            continue;
        }
        if (!backupThere) {
            state_.prompts->inform(TornPageWithoutBackupText(*mark), kTornPageTitle,
                                   MsgIcon::Exclamation);
            QFile::remove(file);
            continue;
        }
        switch (TornPageAnswerAt(state_.prompts->choose(TornPageQuestion(*mark)))) {
        case TornPageAnswer::Restore:
            if (!restoreBackup(page, backup))
                continue; // the mark stays: the next start asks again
            break;
        case TornPageAnswer::OpenBackup:
            OpenDocument(backup);
            break;
        case TornPageAnswer::Leave:
            break;
        }
        QFile::remove(file);
    }
}

bool FileCommands::restoreBackup(const QString& page, const QString& backup)
{
    const ReadableFile in = OpenRegularFileForReading(backup);
    QByteArray bytes;
    int error = in.error;
    if (in.fd >= 0) {
        error = ReadRest(in.fd, bytes);
        ::close(in.fd);
    }
    FileWriteResult written;
    if (error == 0) {
        // Written back the way a save writes the page: in place where a rename would change
        // what the file is, and marked meanwhile.
        const ReplaceMethod method = ChooseReplaceMethod(ReplaceFactsFor(page));
        written = WritePageBytes(page, backup, bytes, method);
        error = written.code;
    }
    if (written.ok)
        return true;
    reportSaveFailure(page, SystemErrorText(error) + kCrLf +
                                QStringLiteral("次の起動時にもう一度尋ねます。"));
    return false;
}

} // namespace tl
