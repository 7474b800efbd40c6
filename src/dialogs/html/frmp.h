#pragma once

#include "dialogkit/dialogtext.h"
#include "dialogkit/fielddialog.h"

#include <QString>

class QLineEdit;
class QRadioButton;

namespace tl
{

// The paragraph dialog's fields.
struct ParagraphFields {
    using Align = tl::Align;

    QString text;
    Align align = Align::None;
    QuoteStyle quote = QuoteStyle::Double;
    // Edit mode: the old paragraph's content ended with CR LF (kept inside "</P>").
    bool textEndsWithCrLf = false;
    // Insert mode: the selection ended with CR LF (put back after "</P>").
    bool selEndsWithCrLf = false;
    // Edit mode on a paragraph without "</P>" (common in old pages): the old text is the
    // opening tag alone, and so is the output; there is no text.
    bool openingTagOnly = false;

    bool operator==(const ParagraphFields&) const = default;
};

// The fields as the dialog opens. Edit mode when old holds "</P>" and ">" (letter case aside):
// the content between the first ">" and the first "</P>", the ALIGN word, the single quote when
// old holds an apostrophe anywhere. A non-empty old without "</P>" is an opening tag alone:
// its ALIGN and quote, no text. Insert mode otherwise: the selection as the text.
ParagraphFields OpenParagraph(const QString& old, const QString& selection);

// "<P>" for an empty text; otherwise "<P" + ALIGN + ">" + text + "</P>", with the line breaks
// the two flags keep. An opening tag alone gives "<P" + ALIGN + ">".
QString ComposeParagraph(const ParagraphFields& fields);

// The paragraph dialog, caption "段落".
class frmP : public tl::FieldDialog<tl::ParagraphFields>
{
    Q_OBJECT
public:
    explicit frmP(const DialogRequest& request);

    // The fields as the controls show them.
    ParagraphFields Fields() const { return Values(); }

protected:
    void Showing(const ParagraphFields& fields) override;

private:
    QLineEdit* textField_;
};

} // namespace tl
