#include "recovery/journalkeeper.h"

#include "core/appstate.h"
#include "files/diskwatch.h"
#include "files/documentwindow.h"
#include "files/filecommands.h"
#include "platform/atomicwrite.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace tl
{

namespace
{

// A pause of two seconds writes; steady typing writes at least every ten seconds, so a crash
// loses no more than that.
constexpr int kDefaultIdleDelay = 2000;
// However long the typing goes on, a change waits at most this many idle delays.
constexpr int kMaxWaitInDelays = 5;

const QString kCrLf = QStringLiteral("\r\n");
const QString kTitle = QStringLiteral("ページの復元");

// Only a regular file is read: nothing put in a journal's place can make the start wait.
std::optional<JournalEntry> ReadJournal(const QString& path)
{
    const ReadableFile file = OpenRegularFileForReading(path);
    if (file.fd < 0)
        return std::nullopt;
    QByteArray bytes;
    const int error = ReadRest(file.fd, bytes);
    ::close(file.fd);
    if (error != 0)
        return std::nullopt;
    return DecodeJournal(bytes);
}

} // namespace

int JournalIdleDelayFromEnvironment()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("TAGLOOM_JOURNAL_IDLE_MS", &ok);
    return ok && ms >= 0 ? ms : kDefaultIdleDelay;
}

int JournalWriteDelay(int idleDelay, qint64 sinceFirstUnwritten)
{
    const qint64 left = qint64(idleDelay) * kMaxWaitInDelays - sinceFirstUnwritten;
    return int(std::clamp<qint64>(left, 0, idleDelay));
}

JournalKeeper::JournalKeeper(AppState& state, FileCommands& files, QObject* parent)
    : QObject(parent), state_(state), files_(files), lock_(CurrentJournalLock()),
      idleDelay_(JournalIdleDelayFromEnvironment())
{
    folder_ = JournalFolderFor(JournalRoot(), lock_);
    pool_.setMaxThreadCount(1);
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, &JournalKeeper::WriteNow);
    connect(&state_.Doc, &Document::edited, this, &JournalKeeper::onEdited);
    connect(&state_.Doc, &Document::textReset, this, &JournalKeeper::discard);
    connect(&state_.Doc, &Document::modifiedSet, this, [this](bool modified) {
        if (!modified)
            discard();
    });
    files_.SetBeforeSaveQuestion([this] { WriteNow(); });
}

JournalKeeper::~JournalKeeper()
{
    files_.SetBeforeSaveQuestion({});
    if (!finished_ && state_.Doc.isModified())
        WriteNow();
    WaitForWrites();
    if (!finished_ && !state_.Doc.isModified())
        RemoveJournalFolder(folder_);
}

QString JournalKeeper::PagePath() const
{
    return folder_ + u'/' + kPageJournalName;
}

void JournalKeeper::onEdited()
{
    if (finished_ || idleDelay_ <= 0)
        return;
    if (!state_.Doc.isModified()) {
        discard();
        return;
    }
    if (!unwrittenSince_.isValid())
        unwrittenSince_.start();
    idle_.start(JournalWriteDelay(idleDelay_, unwrittenSince_.elapsed()));
}

void JournalKeeper::discard()
{
    idle_.stop();
    unwrittenSince_.invalidate();
    if (!written_)
        return;
    written_ = false;
    schedule(Job{});
}

JournalKeeper::Job JournalKeeper::snapshot() const
{
    Document& doc = state_.Doc;
    JournalEntry entry;
    entry.path = doc.path();
    entry.time = QDateTime::currentDateTimeUtc();
    entry.encoding = doc.encoding();
    entry.undecodable = !doc.undecodableFile().isEmpty();
    if (!doc.inexactFile().isEmpty() && doc.inexactFile() == doc.path())
        entry.inexactPlace = doc.inexactPlace();
    if (!entry.path.isEmpty()) {
        // The state the text is based on: as last read or saved. A change the user chose not
        // to read in is not part of it, so the journal reads as based on an older file.
        const FileIdentity& recorded = files_.Disk().Recorded();
        entry.file = recorded.path == entry.path ? recorded : ReadFileIdentity(entry.path);
    }
    return Job{std::move(entry), doc.snapshot()};
}

JournalEntry JournalKeeper::Completed(Job&& job)
{
    JournalEntry entry = std::move(*job.entry);
    entry.text = job.text.text();
    entry.forms = std::move(job.text.forms);
    job.text = {};
    return entry;
}

void JournalKeeper::WriteNow()
{
    idle_.stop();
    unwrittenSince_.invalidate();
    if (finished_ || idleDelay_ <= 0 || !state_.Doc.isModified())
        return;
    written_ = true;
    schedule(snapshot());
}

void JournalKeeper::schedule(Job job)
{
    std::lock_guard guard(mutex_);
    pending_ = std::move(job);
    if (running_)
        return;
    running_ = true;
    pool_.start([this] { runJobs(); });
}

void JournalKeeper::runJobs()
{
    for (;;) {
        Job job;
        {
            std::lock_guard guard(mutex_);
            if (!pending_) {
                running_ = false;
                return;
            }
            job = std::move(*pending_);
            pending_.reset();
        }
        const QString path = PagePath();
        if (!job.entry) {
            QFile::remove(path);
            continue;
        }
        if (!folderReady_) {
            int code = 0;
            folderReady_ = CreateJournalFolder(folder_, lock_, &code);
            if (!folderReady_) {
                job.entry.reset();
                reportFailure(QStringLiteral("復元用の控えのフォルダーを作れません: ") +
                              SystemErrorText(code) + u' ' + folder_);
                continue;
            }
        }
        const FileWriteResult written =
            WriteFileAtomically(path, EncodeJournal(Completed(std::move(job))));
        if (written.ok) {
            failure_.clear();
            continue;
        }
        // The folder may have been removed under us; it is made again next time.
        folderReady_ = false;
        reportFailure(QStringLiteral("復元用の控えを書けません: ") + SystemErrorText(written.code) +
                      u' ' + path);
    }
}

void JournalKeeper::reportFailure(const QString& text)
{
    // A write is due at every pause in the typing: the same failure is told once.
    if (text == failure_)
        return;
    failure_ = text;
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (state_.ShowStatus)
                state_.ShowStatus(text);
        },
        Qt::QueuedConnection);
}

void JournalKeeper::WaitForWrites()
{
    pool_.waitForDone();
}

void JournalKeeper::Finish()
{
    if (finished_)
        return;
    finished_ = true;
    idle_.stop();
    WaitForWrites();
    RemoveJournalFolder(folder_);
}

QString JournalKeeper::question(const JournalEntry& entry, const FileIdentity& file,
                                bool changed) const
{
    const QString page = entry.path.isEmpty() ? kUntitledCaption : entry.path;
    QString text = QStringLiteral("保存されないまま終わったページの内容が残っています。") + kCrLf +
                   kCrLf + QStringLiteral("ページ: ") + page + kCrLf + QStringLiteral("時刻: ") +
                   JournalTimeText(entry.time) + kCrLf + kCrLf;
    if (changed)
        text +=
            QStringLiteral("このページのファイルは、この内容が控えられた後で変更されています。") +
            kCrLf + QStringLiteral("ファイルの更新時刻: ") +
            JournalTimeText(
                QDateTime::fromMSecsSinceEpoch(file.mtimeNs / 1'000'000, QTimeZone::utc())) +
            kCrLf + kCrLf +
            QStringLiteral("はい: 開く (新しい無題のページとして開きます。ファイルは変わりま"
                           "せん)");
    else
        text += QStringLiteral("はい: 開く (変更されたページとして開きます。保存するまでファイル"
                               "は変わりません)");
    return text + kCrLf + QStringLiteral("いいえ: 破棄 (残っていた内容を削除します)") + kCrLf +
           QStringLiteral("キャンセル: 今は開かず、次の起動時にもう一度尋ねます");
}

void JournalKeeper::restore(const JournalEntry& entry, bool untitled)
{
    const QString path = untitled ? QString() : entry.path;
    DocumentWindow& window = files_.Window();
    window.SetCaption(path.isEmpty() ? kUntitledCaption : path);
    window.ResetEditor(entry.text);
    state_.Doc.setByteVariants(entry.forms);
    window.ShowEditor(true);
    window.FocusEditor();
    state_.StampTable.fill(StampEntry{});
    state_.Doc.setPath(path);
    state_.Doc.setEncoding(entry.encoding);
    // Saved over the page's file, even under another name, the replaced bytes are asked about.
    state_.Doc.setUndecodableFile(entry.undecodable ? entry.path : QString());
    state_.Doc.setInexactFile(entry.inexactPlace.isEmpty() ? QString() : entry.path,
                              entry.inexactPlace);
    state_.Doc.setModified(true);
    // The file as the text knew it: a save over a file that differs from it asks first.
    if (!path.isEmpty())
        files_.Disk().Record(entry.file ? *entry.file : ReadFileIdentity(path));
}

void JournalKeeper::OfferRecoveredPages()
{
    if (finished_)
        return;
    struct Found {
        QString file;
        JournalEntry entry;
    };
    std::vector<Found> found;
    QStringList damaged;
    QStringList failures;
    for (const QString& file : AdoptAbandonedJournals(JournalRoot(), folder_, &failures)) {
        if (auto entry = ReadJournal(file))
            found.push_back({file, std::move(*entry)});
        else
            damaged << file;
    }
    if (!failures.isEmpty())
        state_.prompts->inform(
            QStringLiteral("終了しなかったプログラムの復元用の控えを引き継げませんでした。控えは"
                           "そのまま残してあり、次の起動時にもう一度試します:") +
                kCrLf + failures.join(kCrLf),
            kTitle, MsgIcon::Exclamation);
    if (!damaged.isEmpty()) {
        // Never offered as a page, never deleted: it may still hold something of value.
        const QString aside = JournalRoot() + QStringLiteral("/damaged");
        QStringList notMoved;
        const int folderError = MakeJournalFolder(aside);
        for (const QString& file : damaged) {
            const QString name = QFileInfo(file).fileName();
            QString target = aside + u'/' + name;
            for (int n = 2; QFileInfo::exists(target); ++n)
                target = aside + u'/' + QString::number(n) + u'-' + name;
            const QByteArray from = QFile::encodeName(file);
            const QByteArray to = QFile::encodeName(target);
            if (folderError != 0)
                notMoved << file + QStringLiteral(": ") + SystemErrorText(folderError);
            else if (::rename(from.constData(), to.constData()) != 0)
                notMoved << file + QStringLiteral(": ") + SystemErrorText(errno);
        }
        QString text = QStringLiteral("読めない復元用の控えが ") + QString::number(damaged.size()) +
                       QStringLiteral(" 件ありました。ページとしては開かず、次のフォルダーに"
                                      "移しました:") +
                       kCrLf + aside;
        if (!notMoved.isEmpty())
            text += kCrLf + kCrLf +
                    QStringLiteral("次の控えは移せなかったため、元の場所に残してあります:") +
                    kCrLf + notMoved.join(kCrLf);
        state_.prompts->inform(text, kTitle, MsgIcon::Exclamation);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.entry.time > b.entry.time; });

    for (size_t i = 0; i < found.size(); ++i) {
        const Found& f = found[i];
        const FileIdentity now =
            f.entry.path.isEmpty() ? FileIdentity{} : ReadFileIdentity(f.entry.path);
        // The file was saved (or changed by another program) after the text was taken: the
        // text comes back as a new page, so that nothing is written over the newer file.
        const bool changed = JournalFileChanged(f.entry, now);
        const MsgAnswer answer = state_.prompts->ask(question(f.entry, now, changed), kTitle,
                                                     MsgButtons::YesNoCancel, MsgIcon::Question);
        if (answer == MsgAnswer::No) {
            QFile::remove(f.file);
            continue;
        }
        if (answer != MsgAnswer::Yes)
            continue;
        if (files_.ConfirmSaveChanges(files_.Window().Caption()))
            return; // the page shown stays; every journal is kept
        restore(f.entry, changed);
        // The page's own journal is in place before the one it came from goes.
        WaitForWrites();
        written_ = true;
        if (CreateJournalFolder(folder_, lock_) &&
            WriteFileAtomically(PagePath(), EncodeJournal(Completed(snapshot()))).ok)
            QFile::remove(f.file);
        const size_t left = found.size() - i - 1;
        if (left > 0)
            state_.prompts->inform(QStringLiteral("ほかにも復元できるページが ") +
                                       QString::number(left) +
                                       QStringLiteral(" 件あります。次の起動時に尋ねます。"),
                                   kTitle, MsgIcon::Information);
        return;
    }
}

} // namespace tl
