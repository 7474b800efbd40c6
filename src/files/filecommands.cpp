#include "files/filecommands.h"

#include "core/appstate.h"
#include "encodings/charrefs.h"
#include "encodings/documentcodec.h"
#include "files/diskwatch.h"
#include "files/documentwindow.h"
#include "files/pagelist.h"
#include "files/paths.h"
#include "files/settingsfiles.h"
#include "platform/atomicwrite.h"
#include "platform/busycursor.h"
#include "platform/errors.h"
#include "platform/fileidentity.h"
#include "platform/files.h"
#include "platform/programfolder.h"
#include "platform/prompts.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace tl
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

// "3 行目 5 文字目 (先頭から 41 バイト目)": where a file's bytes first differ.
QString PlaceText(const BytePlace& place)
{
    QString text = QString::number(place.line) + QStringLiteral(" 行目 ") +
                   QString::number(place.column) + QStringLiteral(" 文字目");
    if (place.offset >= 0)
        text += QStringLiteral(" (先頭から ") + QString::number(place.offset + 1) +
                QStringLiteral(" バイト目)");
    return text;
}

QString EscapeMenuText(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}

} // namespace

QString BackupPathFor(const QString& path)
{
    // Only the file name counts: the "." of a folder such as site.a/ is no extension.
    const qsizetype nameStart = LastSeparatorOf(path) + 1;
    const qsizetype n = path.size();
    if (n - nameStart >= 4 && path[n - 4] == u'.')
        return path.left(n - 3) + QStringLiteral("bak");
    return path + QStringLiteral(".bak");
}

QString DropDoubledExtension(const QString& path)
{
    const qsizetype n = path.size();
    if (n >= 8 && path[n - 4] == u'.' && path[n - 8] == u'.')
        return path.left(n - 4);
    return path;
}

QString OpenDialogStartFolder(const QString& startFolder, const QString& caption,
                              const QString& programFolder)
{
    const QString start = startFolder.isEmpty() ? programFolder : startFolder;
    if (start != programFolder)
        return start;
    // The program folder stands for "where the user works": the page's folder, or else the
    // last folder used or the home folder, never the hidden settings folder itself.
    const qsizetype sep = caption == kNoDocumentCaption ? -1 : LastSeparatorOf(caption);
    if (sep < 0)
        return UsualFileFolder(); // no page, or an untitled one: no folder
    return sep == 0 ? caption.left(1) : caption.left(sep);
}

FileCommands::FileCommands(AppState& state, DocumentWindow& window)
    : state_(state), window_(window), disk_(std::make_unique<DiskWatch>(state, *this))
{
}

FileCommands::~FileCommands() = default;

bool FileCommands::isUntitled() const
{
    // A flag of the document, not its caption: "無題メモ.htm" is a named page.
    return state_.Doc.isUntitled();
}

bool FileCommands::confirmOverwrite(const QString& path)
{
    return state_.prompts->ask(path + QStringLiteral("のファイルは存在します 上書きしますか？"),
                               QString(), MsgButtons::YesNo,
                               MsgIcon::Information) == MsgAnswer::Yes;
}

QString FileCommands::askUntitledSaveName()
{
    const QString name = AskSaveFileName(QStringLiteral("Default.htm"));
    if (!name.isEmpty() && FileExists(name) && !confirmOverwrite(name))
        return {};
    return name;
}

bool FileCommands::ConfirmSaveChanges(const QString& name)
{
    if (confirmBusy_)
        return false;
    ReentryGuard guard(confirmBusy_);
    if (!window_.EditorShown() || !state_.Doc.isModified())
        return false;
    if (beforeSaveQuestion_)
        beforeSaveQuestion_();

    const MsgAnswer answer =
        state_.prompts->ask(u'[' + name + QStringLiteral("] 内のﾃｷｽﾄは変更されています。") + kCrLf +
                                QStringLiteral("変更を保存しますか ?"),
                            window_.Caption(), MsgButtons::YesNoCancel, MsgIcon::Exclamation);
    if (answer == MsgAnswer::Cancel)
        return true;
    if (answer != MsgAnswer::Yes)
        return false;

    const QString fileName = isUntitled() ? askUntitledSaveName() : state_.Doc.path();
    // The user asked to save: a save that was cancelled on the way (the file name, the
    // overwrite or the encoding question) or that failed keeps the document, since going on
    // would throw the changes away.
    if (fileName.isEmpty())
        return true;
    return !WriteDocumentFile(fileName, window_.EditorText());
}

namespace
{

LoadedPage ReadAndDecode(const QString& path, const std::optional<TextEncoding>& encoding)
{
    LoadedPage page;
    const ReadableFile file = OpenRegularFileForReading(NativePath(path));
    if (file.fd < 0) {
        page.identity = ReadFileIdentity(path);
        page.error = file.error;
        return page;
    }
    page.identity = ReadFileIdentity(path, file.fd);
    if (page.identity.size > kMaxPageBytes) {
        ::close(file.fd);
        page.error = EFBIG;
        return page;
    }
    QByteArray bytes;
    page.error = ReadRest(file.fd, bytes);
    ::close(file.fd);
    // A read that failed halfway would show part of the page as if it were all of it.
    page.opened = page.error == 0;
    if (page.opened && !bytes.isEmpty())
        page.decoded = encoding ? DecodeDocumentAs(bytes, *encoding) : DecodeDocument(bytes);
    return page;
}

} // namespace

LoadedPage ReadPageFile(const QString& path)
{
    return ReadAndDecode(path, std::nullopt);
}

LoadedPage ReadPageFileAs(const QString& path, const TextEncoding& encoding)
{
    return ReadAndDecode(path, encoding);
}

QString CannotOpenText(const QString& path, const QString& reason)
{
    return path + QStringLiteral(" ﾌｧｲﾙを開けません。") + kCrLf + reason;
}

QString OpenFailureReason(const QString& path, const LoadedPage& page)
{
    if (page.error == EFBIG)
        return QStringLiteral("ファイルが大きすぎます (") + QString::number(page.identity.size) +
               QStringLiteral(" バイト)。開けるのは ") + QString::number(kMaxPageBytes) +
               QStringLiteral(" バイトまでです。");
    if (page.error == ENOENT || page.error == ELOOP)
        if (const QString link = BrokenLinkText(path); !link.isEmpty())
            return link;
    if (page.error != 0)
        return ReadErrorText(page.error);
    // Read whole, yet no text came of its bytes.
    return QStringLiteral("ファイルの内容を文字に変換できませんでした。");
}

int FileCommands::OpenDocument(const QString& path, std::optional<LoadedPage> preloaded)
{
    if (openBusy_)
        return 0;
    ReentryGuard guard(openBusy_);
    if (!reloading_ && ConfirmSaveChanges(window_.Caption()))
        return -1;

    LoadedPage page;
    if (preloaded) {
        page = std::move(*preloaded);
    } else {
        BusyCursor busy;
        page = ReadPageFile(path);
    }
    DecodedDocument& decoded = page.decoded;
    const FileIdentity& identity = page.identity;
    // An empty file opens as an empty page; a file that had bytes but gave none was not read,
    // and an empty page saved over it would lose them.
    if (!page.opened || (decoded.text.isEmpty() && identity.size != 0)) {
        state_.prompts->inform(CannotOpenText(path, OpenFailureReason(path, page)),
                               kNoDocumentCaption);
        return -1;
    }

    window_.SetCaption(path);
    if (reloadKeepsHistory_ && window_.EditorShown() && state_.Doc.path() == path) {
        // Read again over the page: one undo step gives back the text as it was.
        Document& doc = state_.Doc;
        doc.clearTextColors();
        doc.replace(0, doc.length(), decoded.text, Document::Merge::No, decoded.forms);
        window_.MarkEditorUnmodified();
    } else {
        window_.ResetEditor(decoded.text);
        state_.Doc.setByteVariants(std::move(decoded.forms));
    }
    decoded.text = QString();
    if (FileExists(path))
        listPage(path);
    window_.ShowEditor(true);
    state_.StampTable.fill(StampEntry{});
    state_.Doc.setPath(path);
    state_.Doc.setEncoding(decoded.encoding);
    state_.Doc.setUndecodableFile(decoded.undecodableBytes ? path : QString());
    state_.Doc.setInexactFile(decoded.inexact ? path : QString(),
                              decoded.inexact ? PlaceText(*decoded.inexact) : QString());
    disk_->Record(identity);

    if (decoded.undecodableBytes)
        state_.prompts->inform(
            path + kCrLf + QStringLiteral("このファイルには ") + decoded.encoding.displayName() +
                QStringLiteral(
                    " として読めないバイトがあります。読めない部分は置き換えて表示しています。"),
            kNoDocumentCaption, MsgIcon::Exclamation);
    if (decoded.inexact)
        state_.prompts->inform(
            path + kCrLf + QStringLiteral("このファイルは ") + decoded.encoding.displayName() +
                QStringLiteral(" として読みましたが、そのまま保存しても読んだ"
                               "ときと同じバイトには戻りません。最初に違うのは ") +
                state_.Doc.inexactPlace() + QStringLiteral(" です。") + kCrLf +
                QStringLiteral("上書き保存する前に確認します。"),
            kNoDocumentCaption, MsgIcon::Exclamation);
    return 0;
}

int FileCommands::ReloadDocument(const QString& path, const std::optional<TextEncoding>& encoding)
{
    ReentryGuard guard(reloading_);
    // The caret keeps its line and column as far as the new text has them: a page another
    // program changed is read on where the user was, not from its top.
    Document& doc = state_.Doc;
    const int line = doc.lineOf(doc.caret());
    const qsizetype column = doc.caret() - doc.lineStart(line);
    const QScopedValueRollback<bool> keepHistory(reloadKeepsHistory_, !encoding.has_value());
    const int result =
        encoding ? OpenDocument(path, ReadPageFileAs(path, *encoding)) : OpenDocument(path);
    if (result == 0) {
        const int newLine = std::min(line, doc.lineCount() - 1);
        const qsizetype place = std::min(doc.lineStart(newLine) + column, doc.lineEnd(newLine));
        doc.setSelection(place, place);
    }
    return result;
}

int FileCommands::ReopenDocument(const std::optional<TextEncoding>& encoding)
{
    if (!window_.EditorShown() || isUntitled())
        return -1;
    const QString path = state_.Doc.path();
    if (ConfirmSaveChanges(window_.Caption()))
        return -1;
    return ReloadDocument(path, encoding);
}

bool FileCommands::ChangeSaveEncoding(const TextEncoding& encoding)
{
    if (!window_.EditorShown())
        return false;
    Document& doc = state_.Doc;
    if (SameEncoding(doc.encoding(), encoding))
        return true;
    QString content = doc.text();
    PageChanges changes;
    if (!askCharsetDeclaration(content, changes, encoding))
        return false;
    if (changes.any())
        applyToPage(changes);
    // The charset changes; the line ends and the page's end stay as they were, and the page's
    // usual CP932 variants (those its file was read with) stay with it through another
    // encoding, for a switch back.
    TextEncoding changed = encoding;
    changed.lineEnd = doc.encoding().lineEnd;
    changed.addFinalBreak = doc.encoding().addFinalBreak;
    if (changed.preferredBytes.isEmpty())
        changed.preferredBytes = doc.encoding().preferredBytes;
    doc.setEncoding(changed);
    // The file no longer holds what a save would write: closing must ask.
    if (!isUntitled())
        doc.setModified(true);
    return true;
}

bool FileCommands::ChangeLineEnds(LineEnd lineEnd)
{
    if (!window_.EditorShown())
        return false;
    Document& doc = state_.Doc;
    ByteVariants forms = doc.byteVariants();
    const auto odd = std::remove_if(forms.begin(), forms.end(), IsLineBreakVariant);
    if (doc.encoding().lineEnd == lineEnd && odd == forms.end())
        return true;
    forms.erase(odd, forms.end());
    doc.setByteVariants(std::move(forms));
    TextEncoding encoding = doc.encoding();
    encoding.lineEnd = lineEnd;
    doc.setEncoding(encoding);
    // The file no longer holds what a save would write: closing must ask.
    if (!isUntitled())
        doc.setModified(true);
    return true;
}

void FileCommands::listPage(const QString& path)
{
    // The page list holds one path per line: a path with a line break would come back as two.
    if (path.contains(u'\r') || path.contains(u'\n')) {
        if (unlistable_ != path)
            state_.prompts->inform(path + kCrLf +
                                       QStringLiteral("このファイル名には改行が含まれているため、"
                                                      "ページ一覧には載せません。"),
                                   kNoDocumentCaption, MsgIcon::Information);
        unlistable_ = path;
        return;
    }
    RegisterDocPath(state_.Docs, path);
}

void FileCommands::NewDocument()
{
    if (ConfirmSaveChanges(window_.Caption()))
        return;
    window_.ResetEditor(QString());
    window_.ShowEditor(true);
    window_.FocusEditor();
    window_.SetCaption(kUntitledCaption);
    state_.StampTable.fill(StampEntry{});
    state_.Doc.setPath(QString());
    state_.Doc.setEncoding(TextEncoding{});
    state_.Doc.setUndecodableFile(QString());
    state_.Doc.setInexactFile(QString());
}

void FileCommands::OpenMissingDocument(const QString& path)
{
    if (ConfirmSaveChanges(window_.Caption()))
        return;
    window_.SetCaption(path);
    window_.ResetEditor(QString());
    window_.ShowEditor(true);
    window_.FocusEditor();
    state_.StampTable.fill(StampEntry{});
    state_.Doc.setPath(path);
    state_.Doc.setEncoding(TextEncoding{});
    state_.Doc.setUndecodableFile(QString());
    // Watched from now on: a file another program creates under the name is noticed.
    disk_->Record(ReadFileIdentity(path));
    if (state_.ShowStatus)
        state_.ShowStatus(path + QStringLiteral(" はありません。空のページを開きました。") +
                          QStringLiteral("保存するとこの名前でファイルを作ります。"));
}

void FileCommands::CloseDocument()
{
    if (ConfirmSaveChanges(window_.Caption()))
        return;
    window_.ResetEditor(QString());
    window_.ShowEditor(false);
}

void FileCommands::OpenDocumentByDialog(const QString& filter, const QString& startFolder)
{
    const QString path = AskOpenFileName(filter, startFolder);
    if (path.isEmpty() || path.toUpper().endsWith(QStringLiteral(".EXE")))
        return;
    if (OpenDocument(path) == 0)
        RememberRecentFile(path);
}

void FileCommands::OpenDroppedFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const QString first = paths.constFirst();
    if (FileExists(first) && OpenDocument(first) == 0)
        RememberRecentFile(first);
}

void FileCommands::OpenRecentFile(const QString& path)
{
    OpenDocument(path);
    LoadRecentFileMenu();
}

QString FileCommands::AskOpenFileName(const QString& filter, const QString& startFolder)
{
    FileRequest request;
    request.kind = FileRequest::Kind::Open;
    request.title = QStringLiteral("開く");
    request.startFolder = OpenDialogStartFolder(startFolder, window_.Caption(), ProgramFolder());
    request.filter = filter;
    const QString chosen = state_.prompts->fileName(request);
    if (!chosen.isEmpty())
        RememberFileFolder(chosen);
    return chosen;
}

QString FileCommands::AskDocumentFileName()
{
    return AskOpenFileName(kDocumentFilter, ProgramFolder());
}

QString FileCommands::AskSaveFileName(const QString& proposedName)
{
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.title = QStringLiteral("名前を付けて保存");
    const QString native = NativePath(proposedName);
    const QFileInfo proposed(native);
    request.startFolder = native.contains(u'/') ? proposed.absolutePath() : UsualFileFolder();
    request.fileName = native.contains(u'/') ? proposed.fileName() : proposedName;
    request.filter = kSaveFilter;
    request.defaultSuffix = QStringLiteral("TXT");
    const QString chosen = state_.prompts->fileName(request);
    if (chosen.isEmpty())
        return chosen;
    RememberFileFolder(chosen);
    return DropDoubledExtension(chosen);
}

bool FileCommands::IsInRecentMenu(const QString& path) const
{
    for (int i = 1; i <= 10; ++i)
        if (window_.RecentFileItem(i)->data().toString() == path)
            return true;
    return false;
}

void FileCommands::RememberRecentFile(const QString& path)
{
    if (!IsInRecentMenu(path))
        AddRecentFile(path);
    LoadRecentFileMenu();
}

void FileCommands::LoadRecentFileMenu()
{
    const QStringList files = ReadRecentFiles();
    if (files.isEmpty())
        return;
    window_.RecentFileItem(0)->setVisible(true);
    for (int k = 1; k <= files.size() && k <= 10; ++k) {
        QAction* item = window_.RecentFileItem(k);
        item->setText(EscapeMenuText(files[k - 1]));
        item->setData(files[k - 1]);
        item->setVisible(true);
    }
}

void FileCommands::showAdjacent(const QString& name, int step)
{
    if (const auto path = AdjacentDocument(state_.Docs, name, step, &FileExists))
        OpenDocument(*path);
}

void FileCommands::ShowPreviousDocument(const QString& name)
{
    showAdjacent(name, -1);
}

void FileCommands::ShowNextDocument(const QString& name)
{
    showAdjacent(name, +1);
}

void FileCommands::ClearAllPages()
{
    if (state_.prompts->ask(QStringLiteral("すべてのページをクリアします宜しいですか？"),
                            QStringLiteral("ｸﾘｱ確認"), MsgButtons::YesNo,
                            MsgIcon::Information) != MsgAnswer::Yes)
        return;
    CloseDocument();
    ClearDocTable(state_.Docs);
    window_.SetCaption(kNoDocumentCaption);
    QFile::remove(ProgramFile(kPageListFile));
    // Every page is cleared, those the list held beyond the table too.
    state_.PageList = PageListState{};
}

} // namespace tl
