// The page-list reader on random bytes; a list written from the table reads back the same.
#include "files/pagelist.h"
#include "platform/inifile.h"

#include <QString>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    tl::DocTable table{};
    const tl::PageListRead read = tl::ReadPageListBytes(table, bytes);
    // Slot 50 never holds a page.
    if (!table[tl::kLastUsableSlot + 1].isFree())
        std::abort();
    // What WritePageList writes for the table and the lines left out, read again.
    const int n = tl::UsedSlotCount(table);
    QString text;
    for (int k = 0; k < n; ++k)
        text += QString::number(k) + u',' + table[size_t(k)].Path + QStringLiteral("\r\n");
    const bool full = n == tl::kLastUsableSlot + 1;
    if (full)
        for (const QString& line : read.leftOut)
            text += line + QStringLiteral("\r\n");
    tl::DocTable again{};
    const tl::PageListRead back = tl::ReadPageListBytes(again, tl::EncodeSettingsText(text));
    for (int k = 0; k < n; ++k) {
        if (again[size_t(k)].Path != table[size_t(k)].Path)
            std::abort();
    }
    if (!back.unreadableLines.isEmpty() || (full && back.leftOut != read.leftOut))
        std::abort();
    return 0;
}
