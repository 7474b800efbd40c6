#include "files/settingsfiles.h"

#include "files/paths.h"
#include "platform/atomicwrite.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/programfolder.h"
#include "platform/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tl
{

namespace
{

const QString kFilesSection = QStringLiteral("Files");
const QStringList kPathSections = {QStringLiteral("Img"), QStringLiteral("AspFilePath"),
                                   QStringLiteral("MDBFilePath"), QStringLiteral("Print"),
                                   kFilesSection};

QString RecentKey(int i)
{
    return QStringLiteral("RecentFile") + QString::number(i);
}

// A line break would split an entry into lines that later rewrites drop or misread; a lone
// surrogate has no form in the file's encodings.
bool IsOneLineText(const QString& s)
{
    return !s.contains(u'\r') && !s.contains(u'\n') && s.isValidUtf16();
}

QString DataSection(int n)
{
    return QStringLiteral("DATA") + QString::number(n);
}

} // namespace

QString cINI::GetLineINI() const
{
    return GetPrivateProfileString(cstrSection, cstrkey, cstrPath);
}

void cINI::WriteIni() const
{
    (void)WritePrivateProfileString(cstrSection, cstrkey, cstrData, cstrPath);
}

QString ReadIniValue(const QString& section, const QString& key, const QString& fileName)
{
    cINI ini;
    ini.cstrSection = section;
    ini.cstrkey = key;
    ini.cstrPath = ProgramFile(fileName);
    return ini.GetLineINI();
}

void WriteIniValue(const QString& section, const QString& key, const QString& value,
                   const QString& fileName)
{
    cINI ini;
    ini.cstrSection = section;
    ini.cstrkey = key;
    ini.cstrData = value;
    ini.cstrPath = ProgramFile(fileName);
    ini.WriteIni();
}

void CreateEmptyFile(const QString& fileName)
{
    (void)WriteFileAtomically(ProgramFile(fileName), {});
}

void CreateUserTextFile(const QString& fileName)
{
    // Built in memory and written once: the same file as 208 single writes, in one go.
    IniDocument doc;
    for (int n = 1; n <= 8; ++n)
        for (char16_t letter = u'A'; letter <= u'Z'; ++letter)
            doc.setValue(DataSection(n), QString(QChar(letter)), {});
    (void)doc.save(ProgramFile(fileName));
}

void LoadUserTexts(AppState& state)
{
    const IniDocument doc = IniDocument::load(ProgramFile(kUserTextFile));
    for (int i = 0; i < 26; ++i) {
        UserTextEntry& entry = state.UserTextTable[size_t(i)];
        for (int n = 1; n <= 8; ++n)
            entry.texts[size_t(n - 1)] = doc.value(DataSection(n), QString(QChar(u'A' + i)));
        entry.flag = 0;
    }
}

void CreatePathIniFile(const QString& fileName)
{
    IniDocument doc;
    doc.setValue(QStringLiteral("ImgFlgSection"), QStringLiteral("ImgFlg"), QStringLiteral("2"));
    for (const QString& section : kPathSections)
        doc.setValue(section, QStringLiteral("A"), QStringLiteral("B"));
    (void)doc.save(ProgramFile(fileName));
}

int ReadImageSelectMode()
{
    const QString value =
        ReadIniValue(QStringLiteral("ImgFlgSection"), QStringLiteral("ImgFlg"), kPathFile);
    if (value.trimmed().isEmpty())
        return 1;
    bool ok = false;
    const int mode = value.trimmed().toInt(&ok);
    return ok ? mode : 1;
}

bool ReadSyntaxColoring()
{
    return ReadIniValue(QStringLiteral("ImgFlgSection"), QStringLiteral("Color"), kPathFile)
               .trimmed() != u"0";
}

QString LookUpLinkPath(const QString& caption, const QString& section, const QString& linkText)
{
    if (linkText.isEmpty())
        return {};
    const QString path = ReadIniValue(section, caption + u'+' + linkText, kPathFile);
    return FileExists(path) ? path : QString();
}

void ResolveLinkPath(const QString& caption, const QString& linkName, QString& fullPath,
                     const QString& section)
{
    if (fullPath == linkName)
        return;
    if (fullPath.isEmpty() || FileNameOf(fullPath) != linkName) {
        const QString v = ReadIniValue(section, caption + u'+' + linkName, kPathFile);
        fullPath = FileExists(v) ? v : QString();
    }
    if (!fullPath.isEmpty() && !FileExists(fullPath))
        fullPath.clear();
}

void RecordLinkPath(const QString& /*section*/, const QString& linkText, const QString& fullPath,
                    const QString& documentPath, const QString& previousLinkText)
{
    const QString previous =
        previousLinkText.isEmpty() ? QStringLiteral("*******") : previousLinkText;
    if (!FileExists(fullPath) || linkText.isEmpty())
        return;
    const QString key = documentPath + u'+' + linkText;
    // A key with "=" could never be found again: such a line is not written at all.
    if (key.contains(u'=') || !IsOneLineText(key) || !IsOneLineText(fullPath))
        return;
    const QString file = ProgramFile(kPathFile);
    const IniDocument old = IniDocument::load(file);
    // The whole file is written anew: one that was not fully understood is left alone.
    if (!old.intact())
        return;
    const QString stale = documentPath.toUpper() + u'+' + previous.toUpper();
    QString kept;
    for (const QString& line : old.lines()) {
        if (line.endsWith(u'=') || line == QStringLiteral("A=B") ||
            line.toUpper().startsWith(stale))
            continue;
        kept += line;
        kept += QStringLiteral("\r\n");
    }
    while (kept.endsWith(QStringLiteral("\r\n")))
        kept.chop(2);
    if (!kept.isEmpty())
        kept += QStringLiteral("\r\n");
    kept += key + u'=' + fullPath + QStringLiteral("\r\n");
    // A file that cannot be written is ignored, as a bad file name is.
    (void)WriteFileAtomically(file, EncodeSettingsText(kept));
}

bool OpenLinkTarget(const std::function<void()>& closeDialog,
                    const std::function<int(const QString&)>& openDocument, const QString& section,
                    const QString& linkText, const QString& fullPath, const QString& documentPath,
                    const QString& previousLinkText)
{
    if (fullPath.isEmpty() || !FileExists(fullPath) || linkText.isEmpty())
        return false;
    if (closeDialog)
        closeDialog();
    if (openDocument(fullPath) != 0)
        return false;
    RecordLinkPath(section, linkText, fullPath, documentPath, previousLinkText);
    return true;
}

namespace
{
const QString kFolderSection = QStringLiteral("Folders");
const QString kLastFolderKey = QStringLiteral("LastFolder");
} // namespace

QString UsualFileFolder()
{
    const QString last = SettingsStore::GetSetting(kFolderSection, kLastFolderKey);
    if (!last.isEmpty() && QFileInfo(last).isDir() && QFileInfo(last) != QFileInfo(ProgramFolder()))
        return last;
    return QDir::homePath();
}

void RememberFileFolder(const QString& chosenFile)
{
    const QString folder = QFileInfo(NativePath(chosenFile)).absolutePath();
    if (!folder.isEmpty() && QFileInfo(folder) != QFileInfo(ProgramFolder()))
        SettingsStore::SaveSetting(kFolderSection, kLastFolderKey, folder);
}

void AddRecentFile(const QString& path)
{
    for (int i = kRecentFileCount - 1; i >= 1; --i) {
        const QString v = SettingsStore::GetSetting(kRecentSection, RecentKey(i));
        if (!v.isEmpty())
            SettingsStore::SaveSetting(kRecentSection, RecentKey(i + 1), v);
    }
    SettingsStore::SaveSetting(kRecentSection, RecentKey(1), path);
}

QStringList ReadRecentFiles()
{
    QStringList files;
    if (SettingsStore::GetSetting(kRecentSection, RecentKey(1)).isEmpty())
        return files;
    for (int i = 1; i <= kRecentFileCount; ++i)
        if (SettingsStore::HasSetting(kRecentSection, RecentKey(i)))
            files << SettingsStore::GetSetting(kRecentSection, RecentKey(i));
    return files;
}

} // namespace tl
