#include "dialogs/html/frmcomment.h"

#include "editor/insertion.h"
#include "editor/textbox.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tl
{

CommentFields OpenComment(const QString& old, const QString& selection)
{
    CommentFields f;
    if (old.contains(u'<') && old.contains(u'>') && old.contains(u'!'))
        f.text = old;
    else
        f.text = DropTrailingCrLf(selection, f.selEndsWithCrLf);
    if (f.text.isEmpty())
        f.text = QString::fromUtf16(kDefaultComment);
    return f;
}

QString ComposeComment(const CommentFields& f)
{
    QString out = f.text.contains(u"<!")
                      ? f.text
                      : QStringLiteral("<!-----") + f.text + QStringLiteral("----->");
    if (f.selEndsWithCrLf)
        out += QStringLiteral("\r\n");
    return out;
}

frmComment::frmComment(const DialogRequest& request)
    : TagDialog(request, QStringLiteral("frmComment"), QStringLiteral("コメント"))
{
    Heading()->setText(QStringLiteral("コメント"));

    QLabel* label1 = nullptr;
    textField_ = MakeTextField(QStringLiteral("Text1"), QStringLiteral("Label1"),
                               QStringLiteral("コメント"), &label1);
    textField_->setMinimumWidth(320);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(label1);
    textRow->addWidget(textField_, 1);
    Body()->addLayout(textRow);
}

void frmComment::Opening()
{
    const CommentFields f = OpenComment(OldText(), Box().SelText());
    textField_->setText(f.text);
    if (!SelectDefaultWord())
        textField_->selectAll();
    selEndsWithCrLf_ = f.selEndsWithCrLf;
}

bool frmComment::SelectDefaultWord()
{
    if (textField_->text() != QStringView(kDefaultComment))
        return false;
    textField_->setSelection(int(kDefaultCommentWordStart), int(kDefaultCommentWordLength));
    return true;
}

bool frmComment::eventFilter(QObject* watched, QEvent* event)
{
    // The default comment keeps its word selected when the field gets the focus; any other
    // content is selected whole, as in every dialog.
    if (watched == textField_ && event->type() == QEvent::FocusIn && SelectDefaultWord())
        return QDialog::eventFilter(watched, event);
    return TagDialog::eventFilter(watched, event);
}

CommentFields frmComment::Fields() const
{
    return CommentFields{textField_->text(), selEndsWithCrLf_};
}

std::optional<QString> frmComment::Compose()
{
    return ComposeComment(Fields());
}

} // namespace tl
