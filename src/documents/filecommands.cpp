#include "documents/filecommands.h"

#include "core/appstate.h"
#include "documents/charrefs.h"
#include "documents/diskwatch.h"
#include "documents/documentcodec.h"
#include "documents/documentwindow.h"
#include "documents/pagelist.h"
#include "documents/paths.h"
#include "documents/settingsfiles.h"
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

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace tl
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

// The character at index, whole when it is a surrogate pair.
QString CharacterAt(QStringView text, qsizetype index)
{
    const qsizetype n = (text[index].isHighSurrogate() && index + 1 < text.size() &&
                         text[index + 1].isLowSurrogate())
                            ? 2
                            : 1;
    return text.mid(index, n).toString();
}

QString CodePointName(const QString& ch)
{
    // toUcs4() would name half of a surrogate pair U+FFFD.
    const char32_t code =
        ch.size() == 2 ? QChar::surrogateToUcs4(ch[0], ch[1]) : char32_t(ch[0].unicode());
    return QStringLiteral("U+") + QString::number(code, 16).toUpper().rightJustified(4, u'0');
}

// The first line of the question when a character cannot be written in the page's encoding:
// the character, its code point and line.
QString CannotHoldLine(const QString& content, qsizetype index, const TextEncoding& encoding)
{
    const QString ch = CharacterAt(content, index);
    return QStringLiteral("「") + ch + QStringLiteral("」(") + CodePointName(ch) +
           QStringLiteral("、") + QString::number(LineNumberOfIndex(content, index)) +
           QStringLiteral(" 行目) は ") + encoding.displayName() +
           QStringLiteral(" で保存できません。") + kCrLf;
}

// What each button of that question does, the equivalents first when they are offered. The
// buttons say what they do: no "いいえ" that would quietly convert the page.
const QString kSaveEquivalents = QStringLiteral("置き換えて保存(&E)");
const QString kSaveReferences = QStringLiteral("文字参照で保存(&R)");
const QString kSaveUtf8 = QStringLiteral("UTF-8 で保存(&U)");
const QString kSaveNothing = QStringLiteral("キャンセル");

QString ChoicesExplained(const QString& content, qsizetype index, const TextEncoding& encoding,
                         bool equivalents)
{
    const QString ch = CharacterAt(content, index);
    const char32_t code =
        ch.size() == 2 ? QChar::surrogateToUcs4(ch[0], ch[1]) : char32_t(ch[0].unicode());
    QString text;
    if (equivalents)
        text += QStringLiteral("置き換えて保存: 置き換えて ") + encoding.displayName() +
                QStringLiteral(" で保存します") + kCrLf;
    return text + QStringLiteral("文字参照で保存: ") + encoding.displayName() +
           QStringLiteral(" のまま、保存できない文字を ") + CharacterReference(code) +
           QStringLiteral(" のような文字参照で書きます") + kCrLf +
           QStringLiteral("UTF-8 で保存: ページを UTF-8 (BOM 付き) に変えて保存します") + kCrLf +
           QStringLiteral("キャンセル: 何も保存しません");
}

// The characters of text that have a Shift_JIS equivalent, each with how often it occurs, in
// the order they first occur.
QList<std::pair<char16_t, int>> CharactersWithEquivalents(QStringView text)
{
    QList<std::pair<char16_t, int>> found;
    for (const QChar ch : text) {
        if (Cp932Equivalent(ch.unicode()) == 0)
            continue;
        auto it = std::find_if(found.begin(), found.end(),
                               [&](const auto& entry) { return entry.first == ch.unicode(); });
        if (it == found.end())
            found.append({ch.unicode(), 1});
        else
            ++it->second;
    }
    return found;
}

QString WithEquivalents(QString text)
{
    for (QChar& ch : text) {
        if (const char16_t equivalent = Cp932Equivalent(ch.unicode()))
            ch = QChar(equivalent);
    }
    return text;
}

// The question when every character Shift_JIS cannot hold has an equivalent in it: the
// equivalents are listed, then what each button does.
QString EquivalentsQuestion(const QString& content, qsizetype index, const TextEncoding& encoding,
                            const QList<std::pair<char16_t, int>>& found)
{
    QString question = CannotHoldLine(content, index, encoding) + QStringLiteral("次の文字は ") +
                       encoding.displayName() +
                       QStringLiteral(" の同じ意味の文字に置き換えて保存できます:") + kCrLf;
    for (const auto& [from, count] : found) {
        const QString a(QChar{from});
        const QString b(QChar{Cp932Equivalent(from)});
        question += QStringLiteral("  ") + a + QStringLiteral(" (") + CodePointName(a) +
                    QStringLiteral(") → ") + b + QStringLiteral(" (") + CodePointName(b) +
                    QStringLiteral(")  ") + QString::number(count) + QStringLiteral(" か所") +
                    kCrLf;
    }
    return question + kCrLf + ChoicesExplained(content, index, encoding, true);
}

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
    const qsizetype nameStart = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
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
    const qsizetype sep = caption == kNoDocumentCaption
                              ? -1
                              : std::max(caption.lastIndexOf(u'\\'), caption.lastIndexOf(u'/'));
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
    if (!page.opened) {
        // A pipe, a folder or a device gets its reason; other failures keep the plain message.
        const QString reason = NotRegularKind(page.error) != FileKind::Missing
                                   ? kCrLf + SystemErrorText(page.error)
                                   : QString();
        state_.prompts->inform(path + QStringLiteral(" ﾌｧｲﾙを開けません。") + reason,
                               kNoDocumentCaption);
        return -1;
    }
    DecodedDocument& decoded = page.decoded;
    const FileIdentity& identity = page.identity;
    // An empty file opens as an empty page; a file that had bytes but gave none was not read,
    // and an empty page saved over it would lose them.
    if (decoded.text.isEmpty() && identity.size != 0) {
        state_.prompts->inform(path + QStringLiteral(" ﾌｧｲﾙを開けません。"), kNoDocumentCaption);
        return -1;
    }

    window_.SetCaption(path);
    window_.ResetEditor(decoded.text);
    state_.Doc.setCharacterForms(std::move(decoded.forms));
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
    const int result =
        encoding ? OpenDocument(path, ReadPageFileAs(path, *encoding)) : OpenDocument(path);
    if (result == 0) {
        const int newLine = std::min(line, doc.lineCount() - 1);
        const qsizetype place = std::min(doc.lineStart(newLine) + column, doc.lineEnd(newLine));
        doc.setSelection(place, place);
    }
    return result;
}

int FileCommands::ReopenWithEncoding(const TextEncoding& encoding)
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
    doc.setEncoding(encoding);
    // The file no longer holds what a save would write: closing must ask.
    if (!isUntitled())
        doc.setModified(true);
    return true;
}

bool FileCommands::WriteDocumentFile(const QString& path, const QString& text)
{
    if (path.isEmpty())
        return false;
    const QString native = NativePath(path);
    // The text ends with one line break: added when missing, never a second one (a page that
    // ends with a line break would otherwise grow an empty line with every save). So a page's
    // bytes are never empty: an empty result below can only be a failed conversion.
    QString content = text.endsWith(kCrLf) ? text : text + kCrLf;

    TextEncoding encoding = state_.Doc.encoding();
    // The kept CP932 forms stand at their places in the editor's text, which content begins
    // with; the encoder passes over any that do not name the character at their place.
    const CharacterForms& forms = state_.Doc.characterForms();
    EncodedDocument encoded = EncodeDocument(content, encoding, forms);
    PageChanges changes;
    if (encoded.firstUnencodable >= 0 &&
        !resolveUnencodable(path, content, encoding, forms, encoded, changes))
        return false;
    if (encoded.bytes.isEmpty()) {
        reportSaveFailure(path, QStringLiteral("文字コードの変換に失敗しました。"));
        return false;
    }

    const QFileInfo info(native);
    const bool exists = info.exists();
    if (exists && info.isDir()) {
        reportSaveFailure(path, SystemErrorText(EISDIR));
        return false;
    }
    // A pipe, socket or device in the page's place is neither backed up (reading it could wait
    // for ever) nor replaced (another program may be using it).
    if (const FileKind kind = FileKindOf(native);
        exists && kind != FileKind::Regular && kind != FileKind::Missing) {
        reportSaveFailure(path, NotRegularFileText(kind));
        return false;
    }
    if (exists && !state_.Doc.undecodableFile().isEmpty() &&
        QFileInfo(NativePath(state_.Doc.undecodableFile())) == info) {
        const QString question =
            path + kCrLf +
            QStringLiteral("このファイルには読めないバイトがありました。上書きすると、そのバイトは"
                           "置き換えた文字で保存されます。") +
            kCrLf + QStringLiteral("上書きしますか？");
        if (state_.prompts->ask(question, kNoDocumentCaption, MsgButtons::YesNo,
                                MsgIcon::Exclamation) != MsgAnswer::Yes)
            return false;
        state_.Doc.setUndecodableFile(QString());
    }
    // Saved in the charset it was read in, the file would not get its own bytes back: asked
    // once, and No (also Enter) writes nothing.
    if (exists && !state_.Doc.inexactFile().isEmpty() &&
        encoding.kind == state_.Doc.encoding().kind &&
        encoding.name == state_.Doc.encoding().name &&
        QFileInfo(NativePath(state_.Doc.inexactFile())) == info) {
        const QString question =
            path + kCrLf +
            QStringLiteral("このファイルは読んだときと同じバイトでは保存できません。") +
            QStringLiteral("最初に違うのは ") + state_.Doc.inexactPlace() +
            QStringLiteral(" です。") + kCrLf +
            QStringLiteral("上書きすると、ファイルのバイトは読んだときと変わります (") +
            encoding.displayName() +
            QStringLiteral(" の文字としては画面のとおりに保存されます)。上書きしますか？");
        if (state_.prompts->message({question, kNoDocumentCaption, MsgButtons::YesNo,
                                     MsgIcon::Exclamation, MsgAnswer::No}) != MsgAnswer::Yes)
            return false;
        state_.Doc.setInexactFile(QString());
    }

    if (exists && !info.isWritable()) {
        // Replacing the file through a new one would get round its read-only mark.
        reportSaveFailure(path, SystemErrorText(EACCES));
        return false;
    }
    if (exists &&
        !(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther))) {
        // Marked read-only for everyone: the system lets the administrator write it anyway,
        // but the mark is the owner's word.
        reportSaveFailure(path, QStringLiteral("読み取り専用のファイルです。"));
        return false;
    }
    if (exists && !disk_->ConfirmOverwrite(path))
        return false;
    // A rename would change what the file is (its owner, its other names) or cannot be done in
    // its folder: the file is written in place, once its backup is known to be whole.
    const ReplaceMethod method =
        exists ? ChooseReplaceMethod(ReplaceFactsFor(native)) : ReplaceMethod::Rename;
    const Backup backup = exists ? makeBackup(path) : Backup::Skipped;
    if (backup == Backup::Cancelled)
        return false;
    if (method == ReplaceMethod::InPlace && backup == Backup::Made &&
        !SameFileContent(native, NativePath(BackupPathFor(path)))) {
        reportSaveFailure(path,
                          BackupPathFor(path) +
                              QStringLiteral(" が元のファイルと一致しないため、上書きしません。"));
        return false;
    }

    // What the user agreed to change is changed in the page too, so that it shows what the file
    // holds (one undo step).
    if (changes.any() && text == state_.Doc.text())
        applyToPage(changes);

    BusyCursor busy;
    const FileWriteResult written = method == ReplaceMethod::InPlace
                                        ? WriteFileInPlace(native, encoded.bytes)
                                        : WriteFileAtomically(native, encoded.bytes);
    if (!written) {
        reportSaveFailure(path, SystemErrorText(written.code));
    } else {
        if (window_.Caption() != path)
            window_.SetCaption(path);
        state_.Doc.setPath(path);
        state_.Doc.setEncoding(encoding);
        window_.MarkEditorUnmodified();
        // The file as this save wrote it: a change another program made since is still one.
        FileIdentity identity = written.identity;
        identity.path = path;
        disk_->Record(identity);
    }
    listPage(path);
    return written.ok;
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

bool FileCommands::resolveUnencodable(const QString& path, QString& content, TextEncoding& encoding,
                                      const CharacterForms& forms, EncodedDocument& encoded,
                                      PageChanges& changes)
{
    const QList<std::pair<char16_t, int>> found = encoding.kind == TextEncoding::Kind::Cp932
                                                      ? CharactersWithEquivalents(content)
                                                      : QList<std::pair<char16_t, int>>{};
    QString replaced;
    EncodedDocument withEquivalents;
    if (!found.isEmpty()) {
        replaced = WithEquivalents(content);
        // Equivalents replace one character by one, so the kept forms stay at their places.
        withEquivalents = EncodeDocument(replaced, encoding, forms);
    }
    const bool equivalents = !found.isEmpty() && withEquivalents.firstUnencodable < 0;
    const qsizetype first = encoded.firstUnencodable;

    enum class Save { Equivalents, References, Utf8, Nothing };
    CharacterForms movedForms;
    std::vector<Save> answers;
    ChoiceRequest question;
    question.title = kNoDocumentCaption;
    question.icon = MsgIcon::Exclamation;
    if (equivalents) {
        question.text = EquivalentsQuestion(content, first, encoding, found);
        question.choices << kSaveEquivalents;
        answers.push_back(Save::Equivalents);
    } else {
        question.text = CannotHoldLine(content, first, encoding) + kCrLf +
                        ChoicesExplained(content, first, encoding, false);
    }
    question.choices << kSaveReferences << kSaveUtf8 << kSaveNothing;
    answers.insert(answers.end(), {Save::References, Save::Utf8, Save::Nothing});
    // Enter and Esc both choose the answer that changes nothing.
    question.defaultChoice = question.escapeChoice = int(answers.size()) - 1;
    const int chosen = state_.prompts->choose(question);
    const Save save =
        chosen >= 0 && size_t(chosen) < answers.size() ? answers[size_t(chosen)] : Save::Nothing;
    switch (save) {
    case Save::Nothing:
        return false;
    case Save::Equivalents:
        content = std::move(replaced);
        encoded = std::move(withEquivalents);
        changes.equivalents = true;
        return true;
    case Save::References:
        // The characters kept in their other form move with the references written before them.
        movedForms = FormsAfterReferences(content, encoding, forms);
        content = WithCharacterReferences(content, encoding);
        changes.references = true;
        break;
    case Save::Utf8:
        encoding = TextEncoding{};
        encoding.kind = TextEncoding::Kind::Utf8;
        encoding.bom = true;
        if (!askCharsetDeclaration(content, changes, encoding))
            return false;
        break;
    }
    encoded = EncodeDocument(content, encoding, movedForms);
    // UTF-8 holds every character but half of a surrogate pair, and references are ASCII.
    if (encoded.firstUnencodable >= 0) {
        const QString ch = CharacterAt(content, encoded.firstUnencodable);
        reportSaveFailure(path, QStringLiteral("「") + ch + QStringLiteral("」(") +
                                    CodePointName(ch) + QStringLiteral(") は ") +
                                    encoding.displayName() +
                                    QStringLiteral(" でも保存できません。"));
        return false;
    }
    return true;
}

bool FileCommands::askCharsetDeclaration(QString& content, PageChanges& changes,
                                         const TextEncoding& target)
{
    const std::optional<DeclaredCharset> declared = FindDeclaredCharset(content);
    if (!declared || declared->encoding.kind == target.kind)
        return true;
    const QString name = content.mid(declared->begin, declared->end - declared->begin);
    const QString targetName = target.displayName();
    const MsgAnswer answer =
        state_.prompts->ask(QStringLiteral("このページの META は charset=") + name +
                                QStringLiteral(" と宣言しています。") + kCrLf + targetName +
                                QStringLiteral(" で保存するので、この宣言を charset=") +
                                targetName + QStringLiteral(" に書き換えますか？") + kCrLf + kCrLf +
                                QStringLiteral("はい: 書き換えて保存します") + kCrLf +
                                QStringLiteral("いいえ: 宣言はそのままで保存します") + kCrLf +
                                QStringLiteral("キャンセル: 何も保存しません"),
                            kNoDocumentCaption, MsgButtons::YesNoCancel, MsgIcon::Question);
    if (answer == MsgAnswer::Cancel)
        return false;
    if (answer == MsgAnswer::Yes) {
        changes.charsetBegin = declared->begin;
        changes.charsetLength = declared->end - declared->begin;
        changes.charsetName = targetName;
        content.replace(changes.charsetBegin, changes.charsetLength, targetName);
    }
    return true;
}

void FileCommands::applyToPage(const PageChanges& changes)
{
    Document& doc = state_.Doc;
    doc.beginUndoGroup();
    if (changes.equivalents) {
        const QString text = doc.text();
        for (const auto& [from, count] : CharactersWithEquivalents(text)) {
            std::vector<qsizetype> places;
            places.reserve(count);
            for (qsizetype i = text.indexOf(QChar(from)); i >= 0;
                 i = text.indexOf(QChar(from), i + 1))
                places.push_back(i);
            doc.replaceEach(places, QString(QChar(from)), QString(QChar(Cp932Equivalent(from))));
        }
    }
    if (changes.references) {
        // From the end, so that the places still ahead keep their positions.
        const QString text = doc.text();
        const auto places = UnencodableCharacters(text, doc.encoding());
        for (auto it = places.rbegin(); it != places.rend(); ++it) {
            const auto [index, length] = *it;
            const char32_t code = length == 2 ? QChar::surrogateToUcs4(text[index], text[index + 1])
                                              : char32_t(text[index].unicode());
            doc.replace(index, length, CharacterReference(code));
        }
    }
    if (changes.charsetBegin >= 0)
        doc.replace(changes.charsetBegin, changes.charsetLength, changes.charsetName);
    doc.endUndoGroup();
}

FileCommands::Backup FileCommands::makeBackup(const QString& path)
{
    const QString backup = BackupPathFor(path);
    const QFileInfo backupInfo(NativePath(backup));
    const QFileInfo pageInfo(NativePath(path));
    if (backupInfo.absoluteFilePath() == pageInfo.absoluteFilePath() || backupInfo == pageInfo ||
        backupInfo.isDir()) {
        // notes.bak would be its own backup; a folder of that name cannot be replaced.
        state_.prompts->inform(
            backup + kCrLf +
                QStringLiteral(
                    "この名前ではバックアップを作れないため、バックアップなしで保存します。"),
            kNoDocumentCaption, MsgIcon::Information);
        return Backup::Skipped;
    }
    const FileWriteResult copied = CopyFileAtomically(NativePath(path), NativePath(backup));
    if (copied)
        return Backup::Made;
    const MsgAnswer answer =
        state_.prompts->ask(backup + kCrLf + QStringLiteral("バックアップを作れません: ") +
                                SystemErrorText(copied.code) + kCrLf +
                                QStringLiteral("バックアップなしで保存しますか？"),
                            kNoDocumentCaption, MsgButtons::YesNo, MsgIcon::Exclamation);
    return answer == MsgAnswer::Yes ? Backup::Skipped : Backup::Cancelled;
}

void FileCommands::reportSaveFailure(const QString& path, const QString& reason)
{
    state_.prompts->inform(path + kCrLf + QStringLiteral("このファイルに保存できませんでした。") +
                               kCrLf + reason,
                           kNoDocumentCaption, MsgIcon::Exclamation);
}

void FileCommands::SaveDocument()
{
    if (!window_.EditorShown())
        return;
    const QString name = isUntitled() ? askUntitledSaveName() : state_.Doc.path();
    if (!name.isEmpty())
        WriteDocumentFile(name, window_.EditorText());
}

void FileCommands::SaveDocumentAs()
{
    if (!window_.EditorShown())
        return;
    QString name;
    if (isUntitled()) {
        name = askUntitledSaveName();
    } else {
        name = AskSaveFileName(window_.Caption());
        if (!name.isEmpty() && FileExists(name) &&
            state_.prompts->ask(u'[' + FileNameOf(name) + QStringLiteral("] に上書きしますか？"),
                                window_.Caption(), MsgButtons::YesNo,
                                MsgIcon::Information) != MsgAnswer::Yes)
            return;
    }
    if (name.isEmpty())
        return;
    if (WriteDocumentFile(name, window_.EditorText()))
        RememberRecentFile(name);
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
