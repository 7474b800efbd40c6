// The page-list reader on random bytes; a list written from the table reads back the same.
#include "documents/pagelist.h"
#include "platform/errors.h"
#include "platform/inifile.h"

#include <QString>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    tl::DocTable table{};
    try {
        tl::ReadPageListBytes(table, bytes);
    } catch (const tl::RunTimeError&) {
        // More lines than slots: the reader's documented refusal.
    }
    // What WritePageList writes for the table, read again.
    const int n = tl::UsedSlotCount(table);
    QString text;
    for (int k = 0; k < n; ++k)
        text += QString::number(k) + u',' + table[size_t(k)].Path + QStringLiteral("\r\n");
    tl::DocTable again{};
    tl::ReadPageListBytes(again, tl::EncodeSettingsText(text));
    for (int k = 0; k < n; ++k) {
        if (again[size_t(k)].Path != table[size_t(k)].Path)
            std::abort();
    }
    return 0;
}
