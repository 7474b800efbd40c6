#include "platform/errors.h"

#include "platform/files.h"

#include <cerrno>

namespace tl
{

QString ErrorDescription(const std::exception& e)
{
    if (auto* rt = dynamic_cast<const RunTimeError*>(&e))
        return rt->description();
    return QString::fromLocal8Bit(e.what());
}

QString SystemErrorText(int code)
{
    // Not an errno: the system has no code for a file that is not a regular one.
    if (const FileKind kind = NotRegularKind(code); kind != FileKind::Missing)
        return NotRegularFileText(kind);
    const char16_t* reason = nullptr;
    switch (code) {
    case ENOSPC:
        reason = u"ディスクの空き領域が足りません。";
        break;
    case EDQUOT:
        reason = u"ディスクの使用量の上限 (クォータ) を超えています。";
        break;
    case EACCES:
    case EPERM:
        reason = u"書き込む権限がありません。";
        break;
    case EROFS:
        reason = u"読み取り専用のドライブです。";
        break;
    case ENOENT:
        reason = u"ファイルまたはフォルダーが見つかりません。";
        break;
    case ENOTDIR:
        reason = u"パスの途中にフォルダーでないものがあります。";
        break;
    case EISDIR:
        reason = u"同じ名前のフォルダーがあります。";
        break;
    case ENAMETOOLONG:
        reason = u"ファイル名が長すぎます。";
        break;
    case EIO:
        reason = u"ディスクの読み書きでエラーが起きました。";
        break;
    case EFBIG:
        reason = u"ファイルが大きすぎます。";
        break;
    case EMFILE:
    case ENFILE:
        reason = u"開いているファイルが多すぎます。";
        break;
    case EBUSY:
    case ETXTBSY:
        reason = u"ファイルが使用中です。";
        break;
    case ELOOP:
        reason = u"シンボリック リンクが循環しています。";
        break;
    default:
        break;
    }
    const QString system = qt_error_string(code);
    if (!reason)
        return QStringLiteral("システム エラー %1 が起きました。(%2)").arg(code).arg(system);
    return QString::fromUtf16(reason) + u'(' + system + u')';
}

QString ReadErrorText(int code)
{
    if (code == EACCES || code == EPERM)
        return QStringLiteral("読む権限がありません。(") + qt_error_string(code) + u')';
    return SystemErrorText(code);
}

QString CannotWriteFileText(const QString& path, int code)
{
    QString text = path + QStringLiteral(" ﾌｧｲﾙに書き込めません。");
    if (code != 0)
        text += QStringLiteral("\r\n") + SystemErrorText(code);
    return text;
}

void ShowRunTimeError(Prompter& prompter, const QString& description)
{
    prompter.message({description, QStringLiteral("Tagloom"), MsgButtons::Ok, MsgIcon::None});
}

} // namespace tl
