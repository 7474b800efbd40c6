#include "core/doctable.h"

namespace tl
{

void RegisterDocPath(DocTable& table, const QString& path)
{
    const QString upper = path.toUpper();
    int i = 0;
    for (;; ++i) {
        if (table[size_t(i)].Path.toUpper() == upper)
            return;
        if (table[size_t(i)].isFree() || i == kLastUsableSlot)
            break;
    }
    table[size_t(i)].Number = i;
    table[size_t(i)].Path = path;
}

int UsedSlotCount(const DocTable& table)
{
    int n = 0;
    while (n <= kLastUsableSlot && !table[size_t(n)].Path.isEmpty())
        ++n;
    return n;
}

void ClearDocTable(DocTable& table)
{
    table.fill(DocSlot{});
}

std::optional<QString> AdjacentDocument(const DocTable& table, const QString& currentName, int step,
                                        const std::function<bool(const QString&)>& fileExists)
{
    if (currentName.isEmpty() || currentName == kNoDocumentCaption)
        return std::nullopt;

    if (currentName.startsWith(kUntitledCaption)) {
        // An untitled page leads to the last page of the table.
        int i = 0;
        while (i < kDocSlotCount && !table[size_t(i)].Path.isEmpty() &&
               table[size_t(i)].Number <= kLastUsableSlot)
            ++i;
        if (i > 0 && i - 1 < kDocSlotCount && !table[size_t(i - 1)].Path.isEmpty())
            return table[size_t(i - 1)].Path;
        if (i == 0 && !table[0].Path.isEmpty())
            return table[0].Path;
        return std::nullopt;
    }

    const QString upper = currentName.toUpper();
    int found = -1;
    for (int i = 0; i <= kLastUsableSlot && !table[size_t(i)].isFree(); ++i) {
        if (table[size_t(i)].Path.toUpper() == upper) {
            found = i;
            break;
        }
    }
    if (found < 0)
        return std::nullopt;

    for (int i = found + step; i >= 0 && i <= kLastUsableSlot && !table[size_t(i)].Path.isEmpty();
         i += step) {
        if (fileExists(table[size_t(i)].Path))
            return table[size_t(i)].Path;
    }
    return std::nullopt;
}

} // namespace tl
