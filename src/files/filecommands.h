#pragma once

#include "encodings/documentcodec.h"
#include "platform/fileidentity.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QFileInfo;

namespace tl
{

struct AppState;
class DiskWatch;
class DocumentWindow;

inline const QString kDocumentFilter =
    QStringLiteral("ﾃｷｽﾄ HTML ASP ﾌｧｲﾙ |*.TXT;*.HTML;*.HTM;*.asp|すべてのﾌｧｲﾙ(*.*)|*.*");
inline const QString kSaveFilter =
    QStringLiteral("HTML ﾌｧｲﾙ|*.htm|Asp ﾌｧｲﾙ|*.asp|ﾃｷｽﾄ ﾌｧｲﾙ|*.txt|すべてのﾌｧｲﾙ(*.*)|*.*");

// The backup name of a file about to be overwritten, from its file name alone: index.htm ->
// index.bak, page.html -> page.html.bak, readme -> readme.bak, site.a/b -> site.a/b.bak.
QString BackupPathFor(const QString& path);

// A chosen save name with a doubled extension (page.htm.htm) loses its last four characters.
QString DropDoubledExtension(const QString& path);

// The folder the open dialog starts in. The program folder stands for the user's own folder:
// the current document's folder when a named document is open, else UsualFileFolder().
QString OpenDialogStartFolder(const QString& startFolder, const QString& caption,
                              const QString& programFolder);

// The file commands: open, save with backup, new, close, the recent files and the page moves.
// They act on the main window's edit box and caption and on the program state.
// A page's file as read from disk and decoded, ready to be shown. ReadPageFile touches no
// program state, so it may run off the user-interface thread; it never waits on anything but
// the disk, since only a regular file is opened.
struct LoadedPage {
    FileIdentity identity; // taken before the read: a change while reading is noticed later
    bool opened = false;   // the file could be opened and read to its end
    int error = 0;         // else why: an errno, or NotRegularFileError for a pipe, a folder...
    DecodedDocument decoded;
};
LoadedPage ReadPageFile(const QString& path);
// The largest file opened as a page, in bytes. The CP932 decoder converts at most this much in
// one piece: from 512 MiB on it gives no text at all (and says no error), so a larger file is
// refused before it is read.
inline constexpr qint64 kMaxPageBytes = (qint64(1) << 29) - 1;
// The message when path could not be opened: the path, and why on the second line.
QString CannotOpenText(const QString& path, const QString& reason);
// Why a file named on the command line by bytes that are not UTF-8 is not opened: its name as
// shown (with U+FFFD) is another name, which a save would create beside it.
inline const QString kUndecodableNameReason =
    QStringLiteral("ファイル名に UTF-8 として読めないバイトがあるため、この名前では開くことも"
                   "保存することもできません。");
// Why a page could not be opened, for the message's second line: its kind, a missing
// permission, its size against kMaxPageBytes, a broken symbolic link.
QString OpenFailureReason(const QString& path, const LoadedPage& page);
// The same, decoded as encoding (the user chose it) instead of guessing.
LoadedPage ReadPageFileAs(const QString& path, const TextEncoding& encoding);

class FileCommands
{
public:
    FileCommands(AppState& state, DocumentWindow& window);
    ~FileCommands();

    DocumentWindow& Window() const { return window_; }
    // Notices when another program changes the page's file.
    DiskWatch& Disk() const { return *disk_; }

    // Asks about unsaved changes of the current document (name = the caption) and saves on
    // Yes. True when the pending command must not go on: the user cancelled, or chose to save
    // and the save did not happen.
    bool ConfirmSaveChanges(const QString& name);
    // Runs before that question is asked, while the modified page is still shown (the recovery
    // journal takes its text then).
    void SetBeforeSaveQuestion(std::function<void()> hook)
    {
        beforeSaveQuestion_ = std::move(hook);
    }
    // 0 when the file was loaded; -1 when nothing was loaded. preloaded: the file already read
    // by ReadPageFile (start-up reads the command line's page while the window is built).
    int OpenDocument(const QString& path, std::optional<LoadedPage> preloaded = std::nullopt);
    // Opens the page's file again without the unsaved-changes question (the user chose to
    // read it again). Read with the encoding guessed, the new text replaces the page's as one
    // undo step, so that undo gives back the text as it was (modified again).
    // encoding: read as that encoding instead of guessing it, as a fresh page.
    int ReloadDocument(const QString& path,
                       const std::optional<TextEncoding>& encoding = std::nullopt);
    // Reads the current page's file again (as encoding, when given), after the question about
    // unsaved changes. 0 when the page was read again.
    int ReopenDocument(const std::optional<TextEncoding>& encoding = std::nullopt);
    int ReopenWithEncoding(const TextEncoding& encoding) { return ReopenDocument(encoding); }
    // The page is saved in encoding from now on. When its text declares another charset, asks
    // whether to declare the new one (changed in the page, one undo step). False when the user
    // cancelled: nothing changed.
    bool ChangeSaveEncoding(const TextEncoding& encoding);
    // Every line break of the page is written as lineEnd from the next save on (the ones kept
    // in another form too); marks a page with a file modified.
    bool ChangeLineEnds(LineEnd lineEnd);
    // Writes the text (CR LF breaks, each written as the page's line end), a new page's ending
    // with one line break (added when missing), after a backup of the old file.
    // True when the file was written.
    bool WriteDocumentFile(const QString& path, const QString& text);
    void SaveDocument();
    void SaveDocumentAs();
    void NewDocument();
    // An empty page under the name of a file that does not exist yet; the first save creates
    // it. Said in the status bar, since the page looks like any other.
    void OpenMissingDocument(const QString& path);
    void CloseDocument();
    void OpenDocumentByDialog(const QString& filter, const QString& startFolder);
    void OpenDroppedFiles(const QStringList& paths);
    void OpenRecentFile(const QString& path);

    QString AskOpenFileName(const QString& filter, const QString& startFolder);
    QString AskDocumentFileName();
    QString AskSaveFileName(const QString& proposedName);

    bool IsInRecentMenu(const QString& path) const;
    void RememberRecentFile(const QString& path);
    void LoadRecentFileMenu();

    void ShowPreviousDocument(const QString& name);
    void ShowNextDocument(const QString& name);
    void ClearAllPages();
    // At start: each page a killed copy was writing in place (savemark.h) is told about, with
    // its backup offered: written back over the page, opened, or left.
    void OfferTornPages();

private:
    bool isUntitled() const;
    // The overwrite question for an existing file; true to go on.
    bool confirmOverwrite(const QString& path);
    // The save name of an untitled document; empty when cancelled or overwriting was refused.
    QString askUntitledSaveName();
    void showAdjacent(const QString& name, int step);
    // Copies the existing file at path to its backup before it is overwritten. A name that
    // cannot hold a backup is reported and skipped; a copy that fails asks whether to save
    // without one (Cancelled: the save must not go on).
    enum class Backup { Made, Skipped, Cancelled };
    Backup makeBackup(const QString& path);
    // What the user agreed, in the save's questions, to change in the page.
    struct PageChanges {
        bool equivalents = false;    // characters Shift_JIS cannot hold became their equivalents
        bool references = false;     // characters the encoding cannot hold became "&#x...;"
        qsizetype charsetBegin = -1; // the declared charset's name became charsetName
        qsizetype charsetLength = 0;
        QString charsetName;
        bool any() const { return equivalents || references || charsetBegin >= 0; }
    };
    // The save's one question when encoding cannot hold every character of content: keep the
    // encoding with equivalents (Shift_JIS, when every such character has one) or with numeric
    // character references, convert the page to UTF-8, or save nothing, the default. Prepares
    // content, encoding and encoded for the answer; false when nothing is to be written.
    // The page's bytes for a save to path: false (after asking or telling the user) when the
    // save is not to go on. content and encoding may change on the user's choice.
    bool encodePage(const QString& path, QString& content, TextEncoding& encoding,
                    EncodedDocument& encoded, PageChanges& changes);
    // The checks before an existing file is replaced: its kind, the questions about bytes it
    // would not get back, its read-only marks, and a change on disk since it was read.
    bool mayReplace(const QString& path, const QFileInfo& info, const TextEncoding& encoding);
    bool resolveUnencodable(const QString& path, QString& content, TextEncoding& encoding,
                            const ByteVariants& forms, EncodedDocument& encoded,
                            PageChanges& changes);
    // Before a page is saved in target: when its text declares another charset, asks whether
    // to declare target instead, and does so in content. False when the user cancelled.
    bool askCharsetDeclaration(QString& content, PageChanges& changes, const TextEncoding& target);
    void applyToPage(const PageChanges& changes);
    // Puts the page in the page list, unless its path holds a line break (told once).
    void listPage(const QString& path);
    // Writes the backup's bytes back over page; false (told) when that failed.
    bool restoreBackup(const QString& page, const QString& backup);
    // The message after a failed save: the path and why.
    void reportSaveFailure(const QString& path, const QString& reason);

    AppState& state_;
    DocumentWindow& window_;
    QString unlistable_; // the last path refused by listPage
    bool confirmBusy_ = false;
    bool openBusy_ = false;
    bool reloading_ = false;
    bool reloadKeepsHistory_ = false; // the reload replaces the text as one undo step
    std::unique_ptr<DiskWatch> disk_;
    std::function<void()> beforeSaveQuestion_;
};

} // namespace tl
