#include "platform/inifile.h"

#include "platform/atomicwrite.h"
#include "platform/codepage.h"
#include "platform/files.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <unistd.h>

namespace tl
{

namespace
{

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool IsSectionLine(QStringView trimmed)
{
    return trimmed.startsWith(u'[');
}

QStringView SectionName(QStringView trimmed)
{
    QStringView name = trimmed.mid(1);
    const qsizetype close = name.indexOf(u']');
    if (close >= 0)
        name = name.left(close);
    return name.trimmed();
}

bool BreaksLine(const QString& s)
{
    return s.contains(u'\r') || s.contains(u'\n');
}

QString DecodeUtf8(QByteArrayView bytes, bool* ok)
{
    // ConvertInitialBom: the file's own mark is already gone, so a U+FEFF left at the start
    // belongs to the text.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    *ok = !decoder.hasError();
    return text;
}

} // namespace

QString DecodeSettingsText(const QByteArray& bytes, bool* ok)
{
    bool good = false;
    QString text;
    if (bytes.startsWith(kUtf8Bom)) {
        text = DecodeUtf8(QByteArrayView(bytes).sliced(kUtf8Bom.size()), &good);
    } else {
        text = DecodeCp932(bytes, &good);
        if (!good) {
            bool utf8 = false;
            QString asUtf8 = DecodeUtf8(bytes, &utf8);
            if (utf8) {
                text = std::move(asUtf8);
                good = true;
            }
        }
    }
    if (ok)
        *ok = good;
    return text;
}

QByteArray EncodeSettingsText(const QString& text)
{
    if (auto cp932 = EncodeCp932(text))
        return *cp932;
    return kUtf8Bom + text.toUtf8();
}

IniDocument IniDocument::fromText(const QString& text)
{
    IniDocument doc;
    if (text.isEmpty())
        return doc;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');
    doc.lines_ = normalized.split(u'\n');
    if (doc.lines_.constLast().isEmpty())
        doc.lines_.removeLast();
    return doc;
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    bool ok = false;
    IniDocument doc = fromText(DecodeSettingsText(bytes, &ok));
    doc.intact_ = ok;
    return doc;
}

IniDocument IniDocument::load(const QString& path)
{
    // Only a regular file is read: a pipe in its place would make the read wait for ever.
    const ReadableFile file = OpenRegularFileForReading(path);
    if (file.fd < 0) {
        IniDocument doc;
        doc.intact_ = file.error == ENOENT || file.error == ENOTDIR;
        return doc;
    }
    QByteArray bytes;
    const int error = ReadRest(file.fd, bytes);
    ::close(file.fd);
    if (error != 0) {
        IniDocument doc;
        doc.intact_ = false;
        return doc;
    }
    return fromBytes(bytes);
}

qsizetype IniDocument::findSection(const QString& section) const
{
    const QStringView wanted = QStringView(section).trimmed();
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QStringView t = QStringView(lines_[i]).trimmed();
        if (IsSectionLine(t) && SectionName(t).compare(wanted, Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return -1;
}

qsizetype IniDocument::findKey(qsizetype bodyStart, const QString& key) const
{
    const QStringView wanted = QStringView(key).trimmed();
    for (qsizetype i = bodyStart; i < lines_.size(); ++i) {
        const QStringView line(lines_[i]);
        if (IsSectionLine(line.trimmed()))
            break;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniDocument::value(const QString& section, const QString& key) const
{
    const qsizetype body = findSection(section);
    if (body < 0)
        return {};
    const qsizetype at = findKey(body, key);
    if (at < 0)
        return {};
    const QString& line = lines_[at];
    QString v = line.mid(line.indexOf(u'=') + 1);
    if (v.size() > kMaxValueLength) {
        // Never keep half of a surrogate pair at the cut.
        const bool splitsPair = v[kMaxValueLength - 1].isHighSurrogate();
        v.truncate(splitsPair ? kMaxValueLength - 1 : kMaxValueLength);
    }
    return v;
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    // A key that starts with "[" would be read back as a section line.
    if (BreaksLine(section) || BreaksLine(key) || BreaksLine(value) || key.contains(u'=') ||
        section.contains(u']') || QStringView(key).trimmed().startsWith(u'['))
        return false;
    // A lone surrogate has no form in either encoding and would be written as "?".
    if (!section.isValidUtf16() || !key.isValidUtf16() || !value.isValidUtf16())
        return false;
    const QString entry = key + u'=' + value;
    const qsizetype body = findSection(section);
    if (body < 0) {
        lines_ << u'[' + section + u']' << entry;
        return true;
    }
    const qsizetype at = findKey(body, key);
    if (at >= 0) {
        // Only the value changes: the key keeps the spelling the file already has.
        QString& line = lines_[at];
        line = line.left(line.indexOf(u'=') + 1) + value;
        return true;
    }
    // A new key goes after the last non-blank line of its section.
    qsizetype end = body;
    while (end < lines_.size() && !IsSectionLine(QStringView(lines_[end]).trimmed()))
        ++end;
    while (end > body && lines_[end - 1].trimmed().isEmpty())
        --end;
    lines_.insert(end, entry);
    return true;
}

QString IniDocument::text() const
{
    QString out;
    for (const QString& line : lines_) {
        out += line;
        out += QStringLiteral("\r\n");
    }
    return out;
}

QByteArray IniDocument::toBytes() const
{
    return EncodeSettingsText(text());
}

bool IniDocument::save(const QString& path) const
{
    return write(path).ok;
}

FileWriteResult IniDocument::write(const QString& path) const
{
    return WriteFileAtomically(path, toBytes());
}

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& path)
{
    return IniDocument::load(path).value(section, key);
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& path)
{
    IniDocument doc = IniDocument::load(path);
    if (!doc.intact() || !doc.setValue(section, key, value))
        return false;
    return doc.save(path);
}

} // namespace tl
