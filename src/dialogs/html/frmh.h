#pragma once

#include "dialogkit/dialogtext.h"
#include "dialogkit/fielddialog.h"

#include <QString>

namespace tl
{

// The heading dialog's fields.
struct HeadingFields {
    using Align = tl::Align;

    QString text;
    int level = 3; // 1 to 6
    Align align = Align::None;
    QuoteStyle quote = QuoteStyle::Double;
    // Edit mode on a heading without its closing tag: the old text is the opening tag alone, and
    // so is the output; there is no text.
    bool openingTagOnly = false;

    bool operator==(const HeadingFields&) const = default;
};

// The fields as the dialog opens. The closing tag is the last of "</H1>" to "</H7>" that old
// holds (letter case aside); edit mode when old holds it and the opening tag ends: the content
// between the opening tag and the first closing tag without a trailing CR LF, the level read
// after "<H" (3 unless it is 1, 2, 4, 5 or 6), the ALIGN word, the single quote when old holds
// an apostrophe anywhere. A non-empty old whose opening tag ends but no closing tag is an
// opening tag alone: its level, ALIGN and quote, no text. Insert mode otherwise: the selection
// without a trailing CR LF as the text.
HeadingFields OpenHeading(const QString& old, const QString& selection);

// "<Hn" + ALIGN + ">" + text + "</Hn>", no line break; "<Hn" + ALIGN + ">" for an opening tag
// alone.
QString ComposeHeading(const HeadingFields& fields);

// The heading dialog, caption "文字サイズ".
class frmH : public tl::FieldDialog<tl::HeadingFields>
{
    Q_OBJECT
public:
    explicit frmH(const DialogRequest& request);

    // The fields as the controls show them.
    HeadingFields Fields() const { return Values(); }

protected:
    void Showing(const HeadingFields& fields) override;

private:
    QLineEdit* textField_;
};

} // namespace tl
