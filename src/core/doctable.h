#pragma once

#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace tl
{

// One page of the session: its own index and the full path of its file.
struct DocSlot {
    int Number = 0;
    QString Path;
    bool isFree() const { return Path.isEmpty() && Number <= 0; }
};

// Slots 0 to 49 hold pages, contiguous from 0; slot 50 stays empty.
constexpr int kDocSlotCount = 51;
constexpr int kLastUsableSlot = 49;
using DocTable = std::array<DocSlot, kDocSlotCount>;

inline const QString kNoDocumentCaption = QStringLiteral("Tagloom");
inline const QString kUntitledCaption = QStringLiteral("無題");

// Enters a path: nothing when it is there already (case ignored), else the first free slot;
// with all fifty used, slot 49 is overwritten.
void RegisterDocPath(DocTable& table, const QString& path);

// The used slots counted from 0 up to the first one with an empty path (at most 50).
int UsedSlotCount(const DocTable& table);

void ClearDocTable(DocTable& table);

// The page to open for the previous (step -1) or next (step +1) page command, given the
// current document's name; pages whose files do not exist are skipped. No value: nothing to do.
std::optional<QString> AdjacentDocument(const DocTable& table, const QString& currentName, int step,
                                        const std::function<bool(const QString&)>& fileExists);

} // namespace tl
