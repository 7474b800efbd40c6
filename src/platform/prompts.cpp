#include "platform/prompts.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tl
{

Prompter::~Prompter() = default;

QString Prompter::fontName(const QString&)
{
    return {};
}

QString QtFileFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.trimmed() + u')';
    }
    return filters.join(u";;");
}

QString SuffixForFilter(const QString& pipeFilter, int index, const QString& fallback)
{
    const QStringList parts = pipeFilter.split(u'|');
    const qsizetype at = 2 * qsizetype(index) + 1;
    if (index < 0 || at >= parts.size())
        return fallback;
    const QString pattern = parts[at].trimmed();
    if (!pattern.startsWith(QStringLiteral("*.")) || pattern.size() == 2)
        return fallback;
    const QString suffix = pattern.mid(2);
    for (const QChar c : suffix) {
        if (!c.isLetterOrNumber())
            return fallback; // "*.*", "*.htm;*.html"
    }
    return suffix;
}

namespace
{

QMessageBox::Icon BoxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None:
        break;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

int Prompter::choose(const ChoiceRequest& request)
{
    return request.escapeChoice;
}

namespace
{

// A record of what the user was told, for a test of the real program: a message box's text
// cannot be read back from another process.
void LogMessage(const QString& title, const QString& text)
{
    if (const QString log = qEnvironmentVariable("TAGLOOM_MESSAGE_LOG"); !log.isEmpty()) {
        QFile file(log);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write((title + u'\n' + text + QStringLiteral("\n\n")).toUtf8());
    }
}

} // namespace

MsgAnswer WidgetPrompter::message(const MessageRequest& request)
{
    LogMessage(request.title, request.text);
    QMessageBox box(parent_);
    box.setWindowTitle(request.title);
    // Messages quote page text ("<HTML>" not found): never read it as rich text.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    box.setIcon(BoxIcon(request.icon));
    switch (request.buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    // The program speaks Japanese whatever the system's language: its questions come with
    // Japanese buttons.
    const std::pair<QMessageBox::StandardButton, const char16_t*> kButtonTexts[] = {
        {QMessageBox::Yes, u"はい(&Y)"},
        {QMessageBox::No, u"いいえ(&N)"},
        {QMessageBox::Cancel, u"キャンセル"},
        {QMessageBox::Ok, u"OK"}};
    for (const auto& [button, text] : kButtonTexts)
        if (QAbstractButton* b = box.button(button))
            b->setText(QString::fromUtf16(text));
    if (request.defaultAnswer) {
        const QMessageBox::StandardButton button = [&] {
            switch (*request.defaultAnswer) {
            case MsgAnswer::Ok:
                return QMessageBox::Ok;
            case MsgAnswer::Cancel:
                return QMessageBox::Cancel;
            case MsgAnswer::Yes:
                return QMessageBox::Yes;
            case MsgAnswer::No:
                return QMessageBox::No;
            }
            return QMessageBox::NoButton;
        }();
        if (box.button(button))
            box.setDefaultButton(button);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    default:
        return MsgAnswer::Cancel;
    }
}

QString WidgetPrompter::fileName(const FileRequest& request)
{
    QFileDialog dialog(parent_, request.title, request.startFolder, QtFileFilter(request.filter));
    dialog.setAcceptMode(request.kind == FileRequest::Kind::Save ? QFileDialog::AcceptSave
                                                                 : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.kind == FileRequest::Kind::Save ? QFileDialog::AnyFile
                                                               : QFileDialog::ExistingFile);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (request.kind == FileRequest::Kind::Save) {
        // A name typed without an extension gets the chosen filter's (page -> page.htm).
        const QStringList filters = QtFileFilter(request.filter).split(QStringLiteral(";;"));
        auto useSuffixOf = [&dialog, &request, filters](const QString& chosen) {
            dialog.setDefaultSuffix(SuffixForFilter(request.filter, int(filters.indexOf(chosen)),
                                                    request.defaultSuffix));
        };
        useSuffixOf(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, useSuffixOf);
    } else if (!request.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString WidgetPrompter::fontName(const QString& proposed)
{
    QFont font;
    font.setFamily(proposed);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent_);
    return ok ? chosen.family() : QString();
}

int WidgetPrompter::choose(const ChoiceRequest& request)
{
    LogMessage(request.title, request.text);
    QMessageBox box(parent_);
    box.setWindowTitle(request.title);
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    box.setIcon(BoxIcon(request.icon));
    QList<QAbstractButton*> buttons;
    for (const QString& caption : request.choices)
        buttons << box.addButton(caption, QMessageBox::ActionRole);
    if (request.defaultChoice >= 0 && request.defaultChoice < buttons.size())
        box.setDefaultButton(static_cast<QPushButton*>(buttons[request.defaultChoice]));
    if (request.escapeChoice >= 0 && request.escapeChoice < buttons.size())
        box.setEscapeButton(buttons[request.escapeChoice]);
    box.exec();
    const qsizetype chosen = buttons.indexOf(box.clickedButton());
    return chosen >= 0 ? int(chosen) : request.escapeChoice;
}

} // namespace tl
