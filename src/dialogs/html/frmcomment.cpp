#include "dialogs/html/frmcomment.h"

#include "editing/insertion.h"

#include <QEvent>

namespace tl
{

namespace
{

// A comment is no start tag: its output stands as composed.
const DialogRules<CommentFields> kRules{
    [](const OpeningText& in) { return OpenComment(in.old, in.selection); },
    [](const CommentFields& f) { return Composed::Text(ComposeComment(f)); },
    std::nullopt,
};

} // namespace

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
    : FieldDialog(request, QStringLiteral("frmComment"), QStringLiteral("コメント"), kRules)
{
    Heading()->setText(QStringLiteral("コメント"));
    textField_ = TextRow(&CommentFields::text, QStringLiteral("Text1"), QStringLiteral("Label1"),
                         QStringLiteral("コメント"));
    textField_->setMinimumWidth(320);
}

void frmComment::Showing(const CommentFields&)
{
    if (!SelectDefaultWord())
        textField_->selectAll();
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

} // namespace tl
