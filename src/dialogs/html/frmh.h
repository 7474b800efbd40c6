#pragma once

#include "dialogkit/tagdialog.h"

#include <QString>

#include <array>

class QLineEdit;
class QRadioButton;

namespace tl
{

// The heading dialog's fields.
struct HeadingFields {
    enum class Align { None, Left, Center, Right };

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
// holds (letter case aside); edit mode when old holds it and ">": the content between the first
// ">" and the first closing tag without a trailing CR LF, the level read after "<H" (3 unless it
// is 1, 2, 4, 5 or 6), the ALIGN word, the single quote when old holds an apostrophe anywhere.
// A non-empty old with a ">" but no closing tag is an opening tag alone: its level, ALIGN and
// quote, no text. Insert mode otherwise: the selection without a trailing CR LF as the text.
HeadingFields OpenHeading(const QString& old, const QString& selection);

// "<Hn" + ALIGN + ">" + text + "</Hn>", no line break; "<Hn" + ALIGN + ">" for an opening tag
// alone.
QString ComposeHeading(const HeadingFields& fields);

// The heading dialog, caption "文字サイズ".
class frmH : public TagDialog
{
    Q_OBJECT
public:
    explicit frmH(const DialogRequest& request);

    // The fields as the controls show them.
    HeadingFields Fields() const;

protected:
    void Opening() override;
    std::optional<QString> Compose() override;
    std::optional<QStringList> KnownAttributes() const override;

private:
    void Show(const HeadingFields& fields);

    QLineEdit* textField_;
    std::array<QRadioButton*, 6> levelOptions_{};
    // None, left, center, right.
    std::array<QRadioButton*, 4> alignOptions_{};
    bool openingTagOnly_ = false;
};

} // namespace tl
