#pragma once

#include "core/doctable.h"

#include <QByteArray>
#include <QString>

namespace tl
{

inline const QString kPageListFile = QStringLiteral("TL_Files.TL");

// Fills the table from a page list: line k becomes slot k (number k, path = the text after the
// first comma). More lines than slots raise an index error at the first that does not fit,
// with the slots filled so far kept. A missing file leaves the table alone and returns false.
bool ReadPageList(DocTable& table, const QString& path);
// The same on the file's bytes.
void ReadPageListBytes(DocTable& table, const QByteArray& bytes);

// One line per used slot: "k,path" and CR LF. Nothing is written (and the old file is kept)
// when no slot is used. The file is replaced atomically.
bool WritePageList(const DocTable& table, const QString& path);

} // namespace tl
