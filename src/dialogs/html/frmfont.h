#pragma once

#include "dialogkit/fielddialog.h"

#include <QString>
#include <QStringView>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tl
{

// The FONT dialog's fields.
struct FontFields {
    QString text;  // the text marked up
    int size = 3;  // 1 to 7
    QString color; // written as typed
    QString face;  // written as typed; may be a list ("Arial, Helvetica")
    bool center = false;
    QuoteStyle quote = QuoteStyle::Double;
    // Insert mode: the selection ended with CR LF (put back after "</FONT>").
    bool selEndsWithCrLf = false;
    // Edit mode on a FONT without "</FONT>" (common in old pages): the old text is the opening
    // tag alone, and so is the output; there is no text and no centring.
    bool openingTagOnly = false;

    bool operator==(const FontFields&) const = default;
};

// The fields as the dialog opens. Edit mode when old holds "</FONT>" and ">" (letter case
// aside): the content between the first ">" and the first "</FONT>" as it is; SIZE, COLOR,
// FACE and the quote read from the opening tag alone (size 3 unless it is 1, 2, 4, 5, 6 or 7;
// the single quote when the opening tag holds an apostrophe). A non-empty old with a ">" but
// no "</FONT>" is an opening tag alone. Insert mode otherwise: the selection as the text.
FontFields OpenFont(const QString& old, const QString& selection);

// "<FONT" + FACE + COLOR + SIZE + ">" + text + "</FONT>" (+ CR LF when the selection ended with
// one); centred: "<CENTER>" CR LF, that, CR LF "</CENTER>". An opening tag alone gives the start
// tag only.
QString ComposeFont(const FontFields& fields);

// The font the font dialog opens on: face, or "ＭＳ 明朝" when face is empty.
QString FontProposal(const QString& face);

// The FONT dialog, caption "フォント・サイズ".
class frmFont : public tl::FieldDialog<tl::FontFields>
{
    Q_OBJECT
public:
    explicit frmFont(const DialogRequest& request);

    // The fields as the controls show them.
    FontFields Fields() const { return Values(); }

protected:
    void Showing(const FontFields& fields) override;

private:
    void ChooseFont();

    QLineEdit* textField_;
    QLineEdit* faceField_;
    QCheckBox* centerCheck_;
};

} // namespace tl
