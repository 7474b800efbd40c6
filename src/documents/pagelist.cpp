#include "documents/pagelist.h"

#include "platform/atomicwrite.h"
#include "platform/errors.h"
#include "platform/inifile.h"

#include <QFile>

namespace tl
{

bool ReadPageList(DocTable& table, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    ReadPageListBytes(table, bytes);
    return true;
}

void ReadPageListBytes(DocTable& table, const QByteArray& bytes)
{
    QString text = DecodeSettingsText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    if (text.isEmpty())
        return;
    const QStringList lines = text.split(u'\n');
    for (qsizetype k = 0; k < lines.size(); ++k) {
        if (k >= kDocSlotCount)
            throw RunTimeError(QStringLiteral("インデックスが有効範囲にありません。"));
        const QString& line = lines[k];
        table[size_t(k)].Number = int(k);
        table[size_t(k)].Path = line.mid(line.indexOf(u',') + 1);
    }
}

bool WritePageList(const DocTable& table, const QString& path)
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
        text += QString::number(k) + u',' + path + QStringLiteral("\r\n");
    }
    return WriteFileAtomically(path, EncodeSettingsText(text)).ok;
}

} // namespace tl
