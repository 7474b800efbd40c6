#pragma once

#include "dialogkit/fielddialog.h"

#include <QString>

#include <array>

class QRadioButton;

namespace tl
{

// The base font dialog's fields.
struct BaseFontFields {
    int size = 3; // 1 to 7
    QuoteStyle quote = QuoteStyle::Double;

    bool operator==(const BaseFontFields&) const = default;
};

// The fields as the dialog opens. Edit mode when old holds "<BASEFONT" and ">" (letter case
// aside): the SIZE when it is exactly one of "1" to "7" (3 for anything else, "+1" too), the
// single quote when old holds an apostrophe. Insert mode: size 3, double quotes.
BaseFontFields OpenBaseFont(const QString& old);

// "<BASEFONT SIZE=" + quoted size + ">"; no line break.
QString ComposeBaseFont(const BaseFontFields& fields);

// The base font dialog, caption "文字サイズ".
class frmBaseFont : public tl::FieldDialog<tl::BaseFontFields>
{
    Q_OBJECT
public:
    explicit frmBaseFont(const DialogRequest& request);

    // The fields as the controls show them.
    BaseFontFields Fields() const { return Values(); }

protected:
    void Showing(const BaseFontFields& fields) override;

private:
    QGroupBox* sizes_;
};

} // namespace tl
