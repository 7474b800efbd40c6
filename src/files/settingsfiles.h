#pragma once

#include "core/appstate.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tl
{

inline const QString kUserTextFile = QStringLiteral("Weftpad.ini");
inline const QString kPathFile = QStringLiteral("TL_Path.ini");
inline const QString kRecentSection = QStringLiteral("Load Files");
constexpr int kRecentFileCount = 9;

// One INI access: set the four fields, then read or write.
struct cINI {
    QString cstrSection;
    QString cstrkey;
    QString cstrData;
    QString cstrPath;

    // The value, cut at 1023 characters; empty when the file, section or key is missing.
    QString GetLineINI() const;
    // Writes cstrData; a failed write is silent.
    void WriteIni() const;
};

// Over the file of that name in the program folder.
QString ReadIniValue(const QString& section, const QString& key, const QString& fileName);
void WriteIniValue(const QString& section, const QString& key, const QString& value,
                   const QString& fileName);

// Creates the file in the program folder, or empties it.
void CreateEmptyFile(const QString& fileName);
// Sections "DATA1" to "DATA8", each with the keys "A" to "Z" and empty values.
void CreateUserTextFile(const QString& fileName);
void LoadUserTexts(AppState& state);
// "ImgFlg"=2 in "ImgFlgSection", then "A=B" in "Img", "AspFilePath", "MDBFilePath", "Print"
// and "Files"; "Files" stays last because path-list lines are appended at the file's end.
void CreatePathIniFile(const QString& fileName);
// "ImgFlg" of "ImgFlgSection" as a number; an empty value gives 1.
int ReadImageSelectMode();
// "Color" of "ImgFlgSection": "0" turns the edit box's syntax colours off; any other value, or
// none, leaves them on. The key sits in the first section, read at start-up, so that a line
// added there by hand never moves the path list ("Files") from the end of the file.
bool ReadSyntaxColoring();

// The path list: lines "document path+link text=linked file" at the end of TL_Path.ini.
// caption is the current document's name (the main window's caption).
QString LookUpLinkPath(const QString& caption, const QString& section, const QString& linkText);
void ResolveLinkPath(const QString& caption, const QString& linkName, QString& fullPath,
                     const QString& section);
// Rewrites TL_Path.ini without empty values, "A=B" placeholders and the lines of
// documentPath+previousLinkText, and appends documentPath+linkText=fullPath at its end. Does
// nothing when fullPath is no existing file, linkText is empty, the line could not be read back
// (a line break, or "=" in the key), or the file holds bytes it could not decode.
void RecordLinkPath(const QString& section, const QString& linkText, const QString& fullPath,
                    const QString& documentPath, const QString& previousLinkText);
// openDocument loads a path as the current document: 0 on success, -1 when nothing was loaded.
// Returns true when the target was opened.
bool OpenLinkTarget(const std::function<void()>& closeDialog,
                    const std::function<int(const QString&)>& openDocument, const QString& section,
                    const QString& linkText, const QString& fullPath, const QString& documentPath,
                    const QString& previousLinkText);

// The folder a file dialog starts in when no page's folder applies: the folder of the last file
// chosen in a file dialog, while it exists, or else the home folder. Never the program folder,
// which holds the settings.
QString UsualFileFolder();
void RememberFileFolder(const QString& chosenFile);

// The recent-file list in the per-user settings store, most recent first.
void AddRecentFile(const QString& path);
QStringList ReadRecentFiles();

} // namespace tl
