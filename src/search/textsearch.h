#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace tl
{

// Searching the document's text without copying it. Case is ignored by comparing upper cases
// one UTF-16 unit at a time (the simple mapping), so that every position found is a position
// in the text itself: QString::toUpper would turn "ß" into "SS" and shift all that follows.

char16_t UpperUnit(char16_t c);
QString UpperText(QStringView text);

// The first position at or after from where key occurs in text, exactly or (matchCase false)
// with both in upper case; -1 when there is none. An empty key occurs nowhere.
qsizetype FindTextIn(QStringView text, QStringView key, qsizetype from, bool matchCase);
// The same with case ignored, for a key already in upper case (UpperText): a scan that calls it
// for every match turns the key to upper case once.
qsizetype FindUpperKeyIn(QStringView text, QStringView upperKey, qsizetype from);

// Where a replace-all from the start replaces found: every exact occurrence, the scan going on
// after each one, so occurrences overlapping a replaced one are left alone. Empty for an empty
// found.
std::vector<qsizetype> ReplacePlaces(QStringView text, QStringView found);

} // namespace tl
