#pragma once

#include "core/appstate.h"
#include "core/doctable.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tl
{

inline const QString kPageListFile = QStringLiteral("TL_Files.TL");

// What reading a page list found beyond the pages it put in the table.
struct PageListRead {
    bool found = false; // the file exists
    int error = 0;      // the system's error number when it exists but could not be read
    // Lines (1-based) whose bytes could not be decoded: left out of the table.
    QList<int> unreadableLines;
    // The lines past the table's 50 pages, as read: left out of the table.
    QStringList leftOut;

    // The file holds more than the table can give back: a rewrite would lose part of it.
    bool mustKeepFile() const { return error != 0 || !unreadableLines.isEmpty(); }
};

// Fills the table from a page list: line k becomes slot k (number k, path = the text after the
// first comma), up to 50 pages; the lines after them are reported in leftOut. When the file's
// bytes are neither CP932 nor UTF-8 as a whole, each line is read on its own and a line that
// still cannot be read is left out (the slots after it move up). A missing or unreadable file
// leaves the table alone and returns false.
bool ReadPageList(DocTable& table, const QString& path, PageListRead* read = nullptr);
// The same on the file's bytes.
PageListRead ReadPageListBytes(DocTable& table, const QByteArray& bytes);
// What the user is told about a list read with trouble; empty when there is nothing to tell.
QString PageListReadMessage(const PageListRead& read, const QString& path);

// Puts path in the page list as a page opened at start: nothing when it is listed already, else
// the first free slot. With all fifty slots used it takes the last one, as any page opened in a
// full session does, and the saved page it displaces goes first among the lines kept past the
// fifty (written back after them at exit), so that no saved page is lost.
void JoinPageList(DocTable& table, QStringList& leftOut, const QString& path);

// Reads the saved page list into the session at start: the saved pages take the first slots and
// the pages already in the table (opened before the list was read: the command line's page,
// recovered pages) join after them. A list that could not be read leaves the table alone. state
// gets what the write at exit needs; the return is what the read found.
PageListRead LoadSessionPageList(DocTable& table, PageListState& state, const QString& path);

// One line per used slot: "k,path" and CR LF, then the lines of leftOut as they were read.
// Nothing is written (and the old file is kept) when no slot is used. The file is replaced
// atomically.
bool WritePageList(const DocTable& table, const QString& path, const QStringList& leftOut = {});

} // namespace tl
