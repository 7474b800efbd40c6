// Saving a page: encoding it (and asking about characters its charset cannot hold), the
// checks before a file is replaced, the backup and the write.
#include "files/filecommands.h"

#include "core/appstate.h"
#include "encodings/charrefs.h"
#include "encodings/documentcodec.h"
#include "files/diskwatch.h"
#include "files/documentwindow.h"
#include "files/pagelist.h"
#include "files/paths.h"
#include "files/savemark.h"
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

} // namespace

bool FileCommands::WriteDocumentFile(const QString& path, const QString& text)
{
    if (path.isEmpty())
        return false;
    const QString native = NativePath(path);
    // A new page's text ends with one line break: added when missing, never a second one (a
    // page would otherwise grow an empty line with every save). A page read from a file ends as
    // it does in the editor, so an unedited page keeps the end its file had.
    TextEncoding encoding = state_.Doc.encoding();
    QString content = encoding.addFinalBreak && !text.endsWith(kCrLf) ? text + kCrLf : text;

    EncodedDocument encoded;
    PageChanges changes;
    if (!encodePage(path, content, encoding, encoded, changes))
        return false;

    const QFileInfo info(native);
    const bool exists = info.exists();
    if (exists && !mayReplace(path, info, encoding))
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
    // In place, the write is marked in the program folder until the page is on disk, so that a
    // kill in the middle is told at the next start with the backup to put back.
    const FileWriteResult written =
        WritePageBytes(native, backup == Backup::Made ? NativePath(BackupPathFor(path)) : QString(),
                       encoded.bytes, method);
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

bool FileCommands::encodePage(const QString& path, QString& content, TextEncoding& encoding,
                              EncodedDocument& encoded, PageChanges& changes)
{
    // The kept CP932 variants stand at their places in the editor's text, which content begins
    // with; the encoder passes over any that do not name the character at their place.
    const ByteVariants& forms = state_.Doc.byteVariants();
    encoded = EncodeDocument(content, encoding, forms);
    if (encoded.firstUnencodable >= 0 &&
        !resolveUnencodable(path, content, encoding, forms, encoded, changes))
        return false;
    // Only an empty page read from an empty file gives no bytes; otherwise the conversion failed.
    if (encoded.bytes.isEmpty() && !content.isEmpty()) {
        reportSaveFailure(path, QStringLiteral("文字コードの変換に失敗しました。"));
        return false;
    }
    return true;
}

bool FileCommands::mayReplace(const QString& path, const QFileInfo& info,
                              const TextEncoding& encoding)
{
    const QString native = NativePath(path);
    if (info.isDir()) {
        reportSaveFailure(path, SystemErrorText(EISDIR));
        return false;
    }
    // A pipe, socket or device in the page's place is neither backed up (reading it could wait
    // for ever) nor replaced (another program may be using it).
    if (const FileKind kind = FileKindOf(native);
        kind != FileKind::Regular && kind != FileKind::Missing) {
        reportSaveFailure(path, NotRegularFileText(kind));
        return false;
    }
    if (!state_.Doc.undecodableFile().isEmpty() &&
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
    if (!state_.Doc.inexactFile().isEmpty() && encoding.kind == state_.Doc.encoding().kind &&
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

    if (!info.isWritable()) {
        // Replacing the file through a new one would get round its read-only mark.
        reportSaveFailure(path, SystemErrorText(EACCES));
        return false;
    }
    if (!(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther))) {
        // Marked read-only for everyone: the system lets the administrator write it anyway,
        // but the mark is the owner's word.
        reportSaveFailure(path, QStringLiteral("読み取り専用のファイルです。"));
        return false;
    }
    return disk_->ConfirmOverwrite(path);
}

bool FileCommands::resolveUnencodable(const QString& path, QString& content, TextEncoding& encoding,
                                      const ByteVariants& forms, EncodedDocument& encoded,
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
    ByteVariants movedVariants;
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
        movedVariants = VariantsAfterReferences(content, encoding, forms);
        content = WithCharacterReferences(content, encoding);
        changes.references = true;
        break;
    case Save::Utf8:
        encoding = TextEncoding{};
        encoding.kind = TextEncoding::Kind::Utf8;
        encoding.bom = true;
        encoding.lineEnd = state_.Doc.encoding().lineEnd;
        encoding.addFinalBreak = state_.Doc.encoding().addFinalBreak;
        if (!askCharsetDeclaration(content, changes, encoding))
            return false;
        break;
    }
    encoded = EncodeDocument(content, encoding, movedVariants);
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

} // namespace tl
