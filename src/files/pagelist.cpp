#include "files/pagelist.h"

#include "platform/atomicwrite.h"
#include "platform/errors.h"
#include "platform/inifile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace tl
{

namespace
{

const QByteArray kUtf8Bom = "\xEF\xBB\xBF";
const QString kCrLf = QStringLiteral("\r\n");

// The lines of a page list: CR LF, CR and LF each end one, and a last line break ends the
// last line. CP932 and UTF-8 never use the bytes of CR and LF inside a character, so bytes may
// be split the same way before they are decoded.
template <typename Text, typename Char> QList<Text> SplitLines(Text text, Char cr, Char lf)
{
    text.replace(Text(1, cr) + Text(1, lf), Text(1, lf));
    text.replace(cr, lf);
    if (text.endsWith(lf))
        text.chop(1);
    if (text.isEmpty())
        return {};
    return text.split(lf);
}

} // namespace

namespace
{

// The whole file, or the system's error number. Only a regular file is read: opening a pipe
// without O_NONBLOCK would wait for a writer.
std::variant<QByteArray, int> ReadWholeFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    QByteArray bytes;
    int code = 0;
    struct stat info {
    };
    if (::fstat(fd, &info) != 0)
        code = errno;
    else if (S_ISDIR(info.st_mode))
        code = EISDIR;
    else if (!S_ISREG(info.st_mode))
        code = EINVAL;
    while (code == 0) {
        char chunk[65536];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            code = errno;
        if (n <= 0)
            break;
        bytes.append(chunk, qsizetype(n));
    }
    ::close(fd);
    if (code != 0)
        return code;
    return bytes;
}

} // namespace

bool ReadPageList(DocTable& table, const QString& path, PageListRead* read)
{
    auto file = ReadWholeFile(path);
    if (const int* code = std::get_if<int>(&file)) {
        if (read) {
            *read = PageListRead{};
            read->found = *code != ENOENT;
            if (read->found)
                read->error = *code;
        }
        return false;
    }
    const PageListRead result = ReadPageListBytes(table, std::get<QByteArray>(file));
    if (read)
        *read = result;
    return true;
}

PageListRead ReadPageListBytes(DocTable& table, const QByteArray& bytes)
{
    PageListRead read;
    read.found = true;
    bool intact = false;
    QStringList lines = SplitLines(DecodeSettingsText(bytes, &intact), u'\r', u'\n');
    if (!intact) {
        // Each line on its own: one line of foreign bytes spoils no other.
        lines.clear();
        const bool utf8 = bytes.startsWith(kUtf8Bom);
        const QList<QByteArray> raw =
            SplitLines(utf8 ? bytes.sliced(kUtf8Bom.size()) : bytes, '\r', '\n');
        for (qsizetype k = 0; k < raw.size(); ++k) {
            bool ok = false;
            QString line = DecodeSettingsText(utf8 ? kUtf8Bom + raw[k] : raw[k], &ok);
            if (ok)
                lines << std::move(line);
            else
                read.unreadableLines << int(k + 1);
        }
    }
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QString& line = lines[k];
        if (k > kLastUsableSlot) {
            read.leftOut << line;
            continue;
        }
        table[size_t(k)].Number = int(k);
        table[size_t(k)].Path = line.mid(line.indexOf(u',') + 1);
    }
    return read;
}

QString PageListReadMessage(const PageListRead& read, const QString& path)
{
    QStringList parts;
    if (read.error != 0)
        parts << QStringLiteral("ページ一覧 ") + path + QStringLiteral(" を読めません: ") +
                     ReadErrorText(read.error) + kCrLf +
                     QStringLiteral("前回のページは一覧に出せません。このファイルは終了時にも"
                                    "書き換えません。");
    if (!read.unreadableLines.isEmpty()) {
        QStringList numbers;
        for (int line : read.unreadableLines)
            numbers << QString::number(line);
        parts << QStringLiteral("ページ一覧 ") + path + QStringLiteral(" の ") +
                     numbers.join(QStringLiteral(", ")) +
                     QStringLiteral(" 行目は文字を読めないため、一覧に入れていません。") + kCrLf +
                     QStringLiteral("読めない行はそのまま残し、このファイルは終了時にも書き換え"
                                    "ません。");
    }
    if (!read.leftOut.isEmpty()) {
        const QString& first = read.leftOut.constFirst();
        parts << QStringLiteral("ページ一覧 ") + path + QStringLiteral(" には ") +
                     QString::number(kLastUsableSlot + 1 + read.leftOut.size()) +
                     QStringLiteral(" 行あり、一覧に出せるページは ") +
                     QString::number(kLastUsableSlot + 1) + QStringLiteral(" までです。残りの ") +
                     QString::number(read.leftOut.size()) +
                     QStringLiteral(" 行は一覧に入れていません。最初のページ: ") +
                     first.mid(first.indexOf(u',') + 1) + kCrLf +
                     QStringLiteral("これらの行は終了時に一覧の後ろへそのまま書き戻します。");
    }
    return parts.join(kCrLf + kCrLf);
}

void JoinPageList(DocTable& table, QStringList& leftOut, const QString& path)
{
    DocTable joined = table;
    RegisterDocPath(joined, path);
    const QString& last = table[size_t(kLastUsableSlot)].Path;
    if (!last.isEmpty() && joined[size_t(kLastUsableSlot)].Path != last)
        leftOut.prepend(QString::number(kLastUsableSlot + 1) + u',' + last);
    table = joined;
}

PageListRead LoadSessionPageList(DocTable& table, PageListState& state, const QString& path)
{
    DocTable saved{};
    PageListRead read;
    const bool listed = ReadPageList(saved, path, &read);
    state = PageListState{read.mustKeepFile(), read.leftOut};
    if (!listed)
        return read;
    for (int k = 0; k < UsedSlotCount(table); ++k)
        JoinPageList(saved, state.leftOut, table[size_t(k)].Path);
    table = saved;
    return read;
}

bool WritePageList(const DocTable& table, const QString& path, const QStringList& leftOut)
{
    const int n = UsedSlotCount(table);
    if (n == 0)
        return true;
    QString text;
    for (int k = 0; k < n; ++k) {
        // A path with a line break would come back as two pages; such a path is never listed
        // (the file commands refuse it), and is skipped here should one get in.
        const QString& path = table[size_t(k)].Path;
        if (path.contains(u'\r') || path.contains(u'\n'))
            continue;
        text += QString::number(k) + u',' + path + kCrLf;
    }
    // The lines the table had no room for go back as they came, so that none is lost.
    for (const QString& line : leftOut)
        if (!line.contains(u'\r') && !line.contains(u'\n'))
            text += line + kCrLf;
    return WriteFileAtomically(path, EncodeSettingsText(text)).ok;
}

} // namespace tl
