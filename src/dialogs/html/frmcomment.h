#pragma once

#include "dialogkit/fielddialog.h"

#include <QString>

class QLineEdit;

namespace tl
{

// The comment dialog's fields.
struct CommentFields {
    QString text;
    // Insert mode: the selection ended with CR LF (put back after the comment).
    bool selEndsWithCrLf = false;

    bool operator==(const CommentFields&) const = default;
};

// What the field shows when there is nothing else, and the word in it that typing replaces.
inline constexpr char16_t kDefaultComment[] = u"<!-----コメント----->";
inline constexpr qsizetype kDefaultCommentWordStart = 7;
inline constexpr qsizetype kDefaultCommentWordLength = 4;

// The fields as the dialog opens. Edit mode when old holds "<", ">" and "!": the whole old
// text. Insert mode otherwise: the selection without a trailing CR LF. An empty text becomes
// kDefaultComment.
CommentFields OpenComment(const QString& old, const QString& selection);

// The text when it holds "<!", else the text between "<!-----" and "----->"; CR LF after it
// when the selection ended with one.
QString ComposeComment(const CommentFields& fields);

// The comment dialog, caption "コメント".
class frmComment : public tl::FieldDialog<tl::CommentFields>
{
    Q_OBJECT
public:
    explicit frmComment(const DialogRequest& request);

    // The fields as the controls show them.
    CommentFields Fields() const { return Values(); }

protected:
    void Showing(const CommentFields& fields) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The default comment with its word selected, so that typing replaces the word.
    bool SelectDefaultWord();

    QLineEdit* textField_;
};

} // namespace tl
