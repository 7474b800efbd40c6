#include "recovery/journal.h"

#include "platform/atomicwrite.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/programfolder.h"
#include "platform/runningcopy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tl
{

namespace
{

const QByteArray kMagicV1 = "TAGLOOM JOURNAL 1\n";
const QByteArray kMagicV2 = "TAGLOOM JOURNAL 2\n";
const QByteArray kMagicV3 = "TAGLOOM JOURNAL 3\n";
const QByteArray kMagic = "TAGLOOM JOURNAL 4\n";
const QByteArray kLockMagic = "TAGLOOM JOURNAL LOCK 1\n";
const QString kRecoveredPrefix = QStringLiteral("recovered-");
const QString kJournalSuffix = QStringLiteral(".tlj");

QByteArray EncodingName(TextEncoding::Kind kind)
{
    switch (kind) {
    case TextEncoding::Kind::Cp932:
        return "cp932";
    case TextEncoding::Kind::Utf8:
        return "utf-8";
    case TextEncoding::Kind::Utf16LE:
        return "utf-16le";
    case TextEncoding::Kind::Utf16BE:
        return "utf-16be";
    case TextEncoding::Kind::Named:
        return "named";
    }
    return {};
}

QByteArray LineEndName(LineEnd end)
{
    switch (end) {
    case LineEnd::Lf:
        return "lf";
    case LineEnd::Cr:
        return "cr";
    case LineEnd::CrLf:
        break;
    }
    return "crlf";
}

std::optional<LineEnd> LineEndNamed(QByteArrayView name)
{
    for (auto end : {LineEnd::CrLf, LineEnd::Lf, LineEnd::Cr})
        if (LineEndName(end) == name)
            return end;
    return std::nullopt;
}

std::optional<TextEncoding::Kind> EncodingKind(QByteArrayView name)
{
    for (auto kind :
         {TextEncoding::Kind::Cp932, TextEncoding::Kind::Utf8, TextEncoding::Kind::Utf16LE,
          TextEncoding::Kind::Utf16BE, TextEncoding::Kind::Named})
        if (EncodingName(kind) == name)
            return kind;
    return std::nullopt;
}

// CP932 duplicate forms as "codepoint:bytes" pairs in hex, sorted so equal tables give equal
// bytes.
QByteArray EncodePreferred(const QHash<char32_t, QByteArray>& preferred)
{
    QList<char32_t> keys = preferred.keys();
    std::sort(keys.begin(), keys.end());
    QByteArrayList items;
    for (char32_t key : keys)
        items << QByteArray::number(quint32(key), 16) + ':' + preferred.value(key).toHex();
    return items.join(',');
}

std::optional<QHash<char32_t, QByteArray>> DecodePreferred(QByteArrayView text)
{
    QHash<char32_t, QByteArray> preferred;
    if (text.isEmpty())
        return preferred;
    for (const QByteArray& item : text.toByteArray().split(',')) {
        const QList<QByteArray> parts = item.split(':');
        bool ok = false;
        const uint key = parts.value(0).toUInt(&ok, 16);
        if (parts.size() != 2 || !ok || parts[1].size() % 2 != 0)
            return std::nullopt;
        preferred.insert(char32_t(key), QByteArray::fromHex(parts[1]));
    }
    return preferred;
}

// Kept CP932 forms as "position:character:bytes" items in hex, in the order of the text.
QByteArray EncodeVariants(const ByteVariants& forms)
{
    QByteArrayList items;
    items.reserve(qsizetype(forms.size()));
    for (const ByteVariant& form : forms)
        items << QByteArray::number(form.pos, 16) + ':' +
                     QByteArray::number(quint32(form.character), 16) + ':' +
                     QByteArray::number(quint32(form.bytes), 16);
    return items.join(',');
}

// Each must name the character at its place in text, in ascending order.
std::optional<ByteVariants> DecodeVariants(QByteArrayView field, QStringView text)
{
    ByteVariants forms;
    if (field.isEmpty())
        return forms;
    for (const QByteArray& item : field.toByteArray().split(',')) {
        const QList<QByteArray> parts = item.split(':');
        if (parts.size() != 3)
            return std::nullopt;
        bool posOk = false, charOk = false, bytesOk = false;
        const qlonglong pos = parts[0].toLongLong(&posOk, 16);
        const uint character = parts[1].toUInt(&charOk, 16);
        const uint bytes = parts[2].toUInt(&bytesOk, 16);
        if (!posOk || !charOk || !bytesOk || pos < 0 || pos >= text.size() || character > 0xFFFF ||
            bytes > 0xFFFF || text[pos].unicode() != character ||
            (!forms.empty() && forms.back().pos >= pos))
            return std::nullopt;
        forms.push_back({qsizetype(pos), char16_t(character), quint16(bytes)});
    }
    return forms;
}

// Reads "key=value\n" at pos; the value, or nothing when the line is not that key's.
std::optional<QByteArray> ReadField(QByteArrayView bytes, qsizetype& pos, QByteArrayView key)
{
    const qsizetype end = bytes.indexOf('\n', pos);
    if (end < 0)
        return std::nullopt;
    const QByteArrayView line = bytes.sliced(pos, end - pos);
    if (!line.startsWith(key) || line.size() <= key.size() || line[key.size()] != '=')
        return std::nullopt;
    pos = end + 1;
    return line.sliced(key.size() + 1).toByteArray();
}

std::optional<bool> ReadFlag(QByteArrayView bytes, qsizetype& pos, QByteArrayView key)
{
    const auto value = ReadField(bytes, pos, key);
    if (!value || (*value != "0" && *value != "1"))
        return std::nullopt;
    return *value == "1";
}

// The page file's state: "-" when unknown, else "exists,size,mtime-ns,inode,device".
QByteArray EncodeFileState(const std::optional<FileIdentity>& file)
{
    if (!file)
        return "-";
    return QByteArray::number(file->exists ? 1 : 0) + ',' + QByteArray::number(file->size) + ',' +
           QByteArray::number(file->mtimeNs) + ',' + QByteArray::number(file->inode) + ',' +
           QByteArray::number(file->device);
}

// Outer nothing: not a file state; inner nothing: the state was not known.
std::optional<std::optional<FileIdentity>> DecodeFileState(QByteArrayView text, const QString& path)
{
    if (text == "-")
        return std::optional<FileIdentity>();
    const QList<QByteArray> parts = text.toByteArray().split(',');
    if (parts.size() != 5 || (parts[0] != "0" && parts[0] != "1"))
        return std::nullopt;
    FileIdentity file;
    file.path = path;
    file.exists = parts[0] == "1";
    bool ok[4] = {};
    file.size = parts[1].toLongLong(&ok[0]);
    file.mtimeNs = parts[2].toLongLong(&ok[1]);
    file.inode = parts[3].toULongLong(&ok[2]);
    file.device = parts[4].toULongLong(&ok[3]);
    if (!(ok[0] && ok[1] && ok[2] && ok[3]))
        return std::nullopt;
    return std::optional<FileIdentity>(file);
}

QByteArray Checksum(QByteArrayView header, QByteArrayView text)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(header);
    hash.addData(text);
    return hash.result().toHex();
}

} // namespace

QByteArray EncodeJournal(const JournalEntry& entry)
{
    const QByteArray text = entry.text.toUtf8();
    const TextEncoding& e = entry.encoding;
    QByteArray header = kMagic;
    header += "path=" + entry.path.toUtf8().toPercentEncoding() + '\n';
    header += "time=" + entry.time.toUTC().toString(Qt::ISODateWithMs).toLatin1() + '\n';
    header += "encoding=" + EncodingName(e.kind) + '\n';
    header += "name=" + e.name.toPercentEncoding() + '\n';
    header += QByteArray("bom=") + (e.bom ? '1' : '0') + '\n';
    header += "preferred=" + EncodePreferred(e.preferredBytes) + '\n';
    header += "lineend=" + LineEndName(e.lineEnd) + '\n';
    header += QByteArray("finalbreak=") + (e.addFinalBreak ? '1' : '0') + '\n';
    header += QByteArray("undecodable=") + (entry.undecodable ? '1' : '0') + '\n';
    header += "file=" + EncodeFileState(entry.file) + '\n';
    header += "forms=" + EncodeVariants(entry.forms) + '\n';
    header += "inexact=" + entry.inexactPlace.toUtf8().toPercentEncoding() + '\n';
    header += "length=" + QByteArray::number(text.size()) + '\n';
    return header + "sha256=" + Checksum(header, text) + "\n\n" + text;
}

std::optional<JournalEntry> DecodeJournal(QByteArrayView bytes)
{
    const bool v1 = bytes.startsWith(kMagicV1);
    const bool v2 = bytes.startsWith(kMagicV2);
    const bool v3 = bytes.startsWith(kMagicV3);
    if (!v1 && !v2 && !v3 && !bytes.startsWith(kMagic))
        return std::nullopt;
    qsizetype pos = kMagic.size(); // every version's first line is as long
    JournalEntry entry;
    const auto path = ReadField(bytes, pos, "path");
    const auto time = ReadField(bytes, pos, "time");
    const auto kindName = ReadField(bytes, pos, "encoding");
    const auto name = ReadField(bytes, pos, "name");
    const auto bom = ReadFlag(bytes, pos, "bom");
    const auto preferredText = ReadField(bytes, pos, "preferred");
    // Before version 4 every page was written with CR LF, a final one added when missing.
    const bool old = v1 || v2 || v3;
    const auto lineEndText =
        old ? std::optional<QByteArray>("crlf") : ReadField(bytes, pos, "lineend");
    const auto finalBreak = old ? std::optional<bool>(true) : ReadFlag(bytes, pos, "finalbreak");
    const auto undecodable = ReadFlag(bytes, pos, "undecodable");
    const auto fileState = v1 ? std::optional<QByteArray>("-") : ReadField(bytes, pos, "file");
    const auto formsText =
        v1 || v2 ? std::optional<QByteArray>(QByteArray()) : ReadField(bytes, pos, "forms");
    const auto inexact =
        v1 || v2 ? std::optional<QByteArray>(QByteArray()) : ReadField(bytes, pos, "inexact");
    const auto length = ReadField(bytes, pos, "length");
    const qsizetype headerEnd = pos;
    const auto checksum = ReadField(bytes, pos, "sha256");
    if (!path || !time || !kindName || !name || !bom || !preferredText || !lineEndText ||
        !finalBreak || !undecodable || !fileState || !formsText || !inexact || !length ||
        !checksum || pos >= bytes.size() || bytes[pos] != '\n')
        return std::nullopt;
    ++pos;

    bool ok = false;
    const qint64 size = length->toLongLong(&ok);
    const auto kind = EncodingKind(*kindName);
    const auto preferred = DecodePreferred(*preferredText);
    const auto lineEnd = LineEndNamed(*lineEndText);
    if (!ok || size < 0 || size != bytes.size() - pos || !kind || !preferred || !lineEnd)
        return std::nullopt;
    const QByteArrayView text = bytes.sliced(pos);
    if (Checksum(bytes.first(headerEnd), text) != *checksum)
        return std::nullopt;

    entry.time = QDateTime::fromString(QString::fromLatin1(*time), Qt::ISODateWithMs);
    if (!entry.time.isValid())
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    entry.text = utf8(text);
    QStringDecoder pathUtf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    entry.path = pathUtf8(QByteArray::fromPercentEncoding(*path));
    if (utf8.hasError() || pathUtf8.hasError())
        return std::nullopt;
    const auto file = DecodeFileState(*fileState, entry.path);
    if (!file)
        return std::nullopt;
    entry.file = *file;
    entry.encoding.kind = *kind;
    entry.encoding.name = QByteArray::fromPercentEncoding(*name);
    entry.encoding.bom = *bom;
    entry.encoding.preferredBytes = *preferred;
    entry.encoding.lineEnd = *lineEnd;
    entry.encoding.addFinalBreak = *finalBreak;
    entry.undecodable = *undecodable;
    auto forms = DecodeVariants(*formsText, entry.text);
    QStringDecoder inexactUtf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    entry.inexactPlace = inexactUtf8(QByteArray::fromPercentEncoding(*inexact));
    if (!forms || inexactUtf8.hasError())
        return std::nullopt;
    entry.forms = std::move(*forms);
    return entry;
}

bool JournalFileChanged(const JournalEntry& entry, const FileIdentity& now)
{
    if (entry.path.isEmpty() || !now.exists || now.error != 0)
        return false;
    if (!entry.file)
        return now.mtimeNs > entry.time.toMSecsSinceEpoch() * 1'000'000;
    const FileIdentity& then = *entry.file;
    return !then.exists || now.size != then.size || now.mtimeNs != then.mtimeNs ||
           now.inode != then.inode || now.device != then.device;
}

QString JournalTimeText(const QDateTime& time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QByteArray EncodeJournalLock(const JournalLock& lock)
{
    return kLockMagic + "pid=" + QByteArray::number(lock.pid) + "\nstart=" + lock.start + '\n';
}

std::optional<JournalLock> DecodeJournalLock(QByteArrayView bytes)
{
    if (!bytes.startsWith(kLockMagic))
        return std::nullopt;
    qsizetype pos = kLockMagic.size();
    const auto pid = ReadField(bytes, pos, "pid");
    const auto start = ReadField(bytes, pos, "start");
    bool ok = false;
    const qint64 n = pid ? pid->toLongLong(&ok) : 0;
    if (!ok || n <= 0 || !start || pos != bytes.size())
        return std::nullopt;
    return JournalLock{n, *start};
}

JournalLock CurrentJournalLock()
{
    return CurrentCopyLock();
}

bool JournalOwnerRunning(const JournalLock& lock)
{
    return CopyRunning(lock);
}

QString JournalRoot()
{
    return ProgramFile(QStringLiteral("journal"));
}

QString JournalFolderFor(const QString& root, const JournalLock& lock)
{
    return root + u'/' + QString::number(lock.pid) + u'-' +
           QString::fromLatin1(lock.start.isEmpty() ? QByteArray("0") : lock.start);
}

int MakeJournalFolder(const QString& folder)
{
    // The levels that are missing, outermost first; QDir::mkpath would not say why it failed.
    QStringList missing;
    QString at = QDir::cleanPath(folder);
    while (!QFileInfo::exists(at)) {
        missing.prepend(at);
        const qsizetype slash = at.lastIndexOf(u'/');
        if (slash <= 0)
            break;
        at = at.left(slash);
    }
    if (missing.isEmpty())
        return QFileInfo(folder).isDir() ? 0 : ENOTDIR;
    for (const QString& level : missing)
        // Unsaved pages are nobody else's business.
        if (::mkdir(QFile::encodeName(level).constData(), 0700) != 0 && errno != EEXIST)
            return errno;
    return 0;
}

bool CreateJournalFolder(const QString& folder, const JournalLock& lock, int* error)
{
    int code = MakeJournalFolder(folder);
    if (code == 0) {
        const FileWriteResult written =
            WriteFileAtomically(folder + u'/' + kJournalLockName, EncodeJournalLock(lock));
        code = written.ok ? 0 : (written.code != 0 ? written.code : EIO);
    }
    if (error)
        *error = code;
    return code == 0;
}

void RemoveJournalFolder(const QString& folder)
{
    QFile::remove(folder + u'/' + kPageJournalName);
    QFile::remove(folder + u'/' + kJournalLockName);
    QDir().rmdir(folder);
}

namespace
{

// The lock of another copy's folder, read without ever waiting: anything but a regular file in
// its place (a named pipe would block the open until a writer came) counts as no lock.
std::optional<JournalLock> ReadJournalLock(const QString& path)
{
    const ReadableFile file = OpenRegularFileForReading(path);
    if (file.fd < 0)
        return std::nullopt;
    QByteArray bytes(4096, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(file.fd);
    bytes.truncate(got);
    return DecodeJournalLock(bytes);
}

} // namespace

QStringList AdoptAbandonedJournals(const QString& root, const QString& ownFolder,
                                   QStringList* failures)
{
    auto fail = [&](const QString& path, int code) {
        if (failures)
            *failures << path + QStringLiteral(": ") + SystemErrorText(code);
    };
    const QDir ownDir(ownFolder);
    int next = 1;
    auto nextFreeName = [&] {
        QString name;
        do
            name = kRecoveredPrefix + QString::number(next++) + kJournalSuffix;
        while (ownDir.exists(name));
        return ownFolder + u'/' + name;
    };
    const QString ownName = QDir(ownFolder).dirName();
    const QStringList folders =
        QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString& name : folders) {
        if (name == ownName)
            continue;
        const QString folder = root + u'/' + name;
        std::optional<JournalLock> lock = ReadJournalLock(folder + u'/' + kJournalLockName);
        // Without a readable lock the folder's name still names the process.
        if (!lock) {
            bool ok = false;
            const qint64 pid = name.section(u'-', 0, 0).toLongLong(&ok);
            if (!ok)
                continue; // not a journal folder
            const QByteArray start = name.section(u'-', 1).toLatin1();
            lock = JournalLock{pid, start == "0" ? QByteArray() : start};
        }
        if (JournalOwnerRunning(*lock))
            continue;
        const QDir dir(folder);
        const QStringList journals =
            dir.entryList({u'*' + kJournalSuffix}, QDir::Files, QDir::Time | QDir::Reversed);
        if (!journals.isEmpty()) {
            if (const int code = MakeJournalFolder(ownFolder); code != 0) {
                // Nothing can be taken over; the journals stay where they are.
                fail(ownFolder, code);
                continue;
            }
        }
        bool allMoved = true;
        for (const QString& journal : journals) {
            const QByteArray from = QFile::encodeName(folder + u'/' + journal);
            const QByteArray to = QFile::encodeName(nextFreeName());
            // One rename: of two copies starting together, only one gets the file (the other
            // finds it gone, which is no failure).
            if (::rename(from.constData(), to.constData()) != 0 && errno != ENOENT) {
                fail(folder + u'/' + journal, errno);
                allMoved = false;
            }
        }
        if (!allMoved)
            continue; // the folder, lock and all, stays for a later start
        // What a kill left half-written beside a journal never became one.
        for (const QString& temp :
             dir.entryList({QStringLiteral(".*.tl-*")}, QDir::Files | QDir::Hidden))
            QFile::remove(folder + u'/' + temp);
        QFile::remove(folder + u'/' + kJournalLockName);
        QDir().rmdir(folder);
    }
    QStringList recovered;
    for (const QString& name :
         ownDir.entryList({kRecoveredPrefix + u'*' + kJournalSuffix}, QDir::Files, QDir::Name))
        recovered << ownFolder + u'/' + name;
    return recovered;
}

} // namespace tl
