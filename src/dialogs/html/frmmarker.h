#pragma once

#include "dialogkit/fielddialog.h"

#include <QString>

class QLineEdit;

namespace tl
{

// The named anchor dialog's fields.
struct MarkerFields {
    QString name;
    QString text;
    QuoteStyle quote = QuoteStyle::Double;
    // Edit mode: an anchor read from the page keeps an empty text empty instead of taking the
    // placeholder text.
    bool reediting = false;
    // Edit mode on an anchor without "</A>": the old text is the opening tag alone, and so is
    // the output; there is no text.
    bool openingTagOnly = false;

    bool operator==(const MarkerFields&) const = default;
};

// The fields as the dialog opens. Edit mode when old holds "<A" and "</A>" (letter case
// aside): NAME as read, the content between the first ">" and the first "</A", the single
// quote when the opening tag holds an apostrophe. A non-empty old with "<A" and a ">" but no
// "</A>" is an opening tag alone. Insert mode otherwise: the selection without a trailing CR LF
// as the text.
MarkerFields OpenMarker(const QString& old, const QString& selection);

// "<A NAME=" + name + ">" + text + "</A>", no line break. The name is trimmed, "名前を付けて
// ください" when that leaves nothing; the text is trimmed, "テキスト" when it is empty in insert
// mode. An opening tag alone gives the start tag only.
QString ComposeMarker(const MarkerFields& fields);

// The marker dialog, caption "マーカー".
class frmMarker : public tl::FieldDialog<tl::MarkerFields>
{
    Q_OBJECT
public:
    explicit frmMarker(const DialogRequest& request);

    // The fields as the controls show them.
    MarkerFields Fields() const { return Values(); }

protected:
    void Showing(const MarkerFields& fields) override;

private:
    QLineEdit* textField_;
};

} // namespace tl
