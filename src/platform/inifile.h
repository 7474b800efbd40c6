#pragma once

#include "platform/atomicwrite.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tl
{

// An INI file with the private-profile rules: sections and keys are matched without regard to
// case, the first occurrence wins, values are read as written (up to 1023 characters), and a
// write creates the file, the section or the key when missing. Lines end with CR LF.
//
// The text is stored in CP932. A file whose text CP932 cannot represent (a path with an emoji,
// say) is written as UTF-8 with a byte order mark instead, so that no character is ever lost,
// and read back the same way.
class IniDocument
{
public:
    static constexpr qsizetype kMaxValueLength = 1023;

    static IniDocument fromText(const QString& text);
    static IniDocument fromBytes(const QByteArray& bytes);
    // A missing or unreadable file gives an empty document.
    static IniDocument load(const QString& path);

    // False when the document lost something of the file it came from: the file exists but
    // could not be read, or its bytes are neither CP932 nor UTF-8. Saving such a document
    // would destroy what was not understood, so writers check this first.
    bool intact() const { return intact_; }

    QString value(const QString& section, const QString& key) const;
    // Returns false, changing nothing, when a name or the value would break the line structure
    // (a line break, "=" in the key, "]" in the section) or is not valid UTF-16.
    bool setValue(const QString& section, const QString& key, const QString& value);

    QString text() const;
    QByteArray toBytes() const;
    // Atomic: on failure the old file stays as it was.
    bool save(const QString& path) const;
    // The same, with the reason of a failure.
    FileWriteResult write(const QString& path) const;

    const QStringList& lines() const { return lines_; }
    QStringList& lines() { return lines_; }

private:
    // Index of the first line of the section's body, or -1.
    qsizetype findSection(const QString& section) const;
    qsizetype findKey(qsizetype bodyStart, const QString& key) const;

    QStringList lines_;
    bool intact_ = true;
};

// Decodes a settings file: UTF-8 when it starts with a UTF-8 byte order mark, else CP932, else
// UTF-8 without a mark (a file saved by another editor). ok is false when none of them fits
// and some bytes became U+FFFD.
QString DecodeSettingsText(const QByteArray& bytes, bool* ok = nullptr);
// Encodes a settings file: CP932 when it can hold every character, else UTF-8 with a mark.
QByteArray EncodeSettingsText(const QString& text);

// The two private-profile calls over a file path. A write returns false, leaving the file as it
// was, when the value is refused, the existing file is not intact, or the file cannot be saved.
QString GetPrivateProfileString(const QString& section, const QString& key, const QString& path);
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& path);

} // namespace tl
