#pragma once

#include "dialogkit/tagdialog.h"

#include <QString>
#include <QStringList>

class QCheckBox;
class QLineEdit;

namespace tl
{

// The page dialog's fields: the attributes of the BODY start tag.
struct PageFields {
    QString background; // BACKGROUND
    QString bgcolor;    // BGCOLOR
    QString text;       // TEXT
    QString link;       // LINK
    QString vlink;      // VLINK
    QString alink;      // ALINK
    bool fixed = false; // BGPROPERTIES="FIXED"
    QuoteStyle quote = QuoteStyle::Double;
    // Re-editing a BODY tag: with nothing left to write the tag stays, bare, instead of being
    // deleted.
    bool reediting = false;

    bool operator==(const PageFields&) const = default;
};

// The fields as the dialog opens. Edit mode when old holds "<BODY" and ">" (letter case
// aside): each attribute's value as the attribute readers give it, "FIXED" when BGPROPERTIES
// says so, the single quote when old holds an apostrophe. Insert mode: all empty, fixed
// background on. The selection is not used.
PageFields OpenPage(const QString& old);

// "<BODY" + the attributes whose trimmed values are non-empty, in the order BACKGROUND,
// BGCOLOR, TEXT, LINK, VLINK, ALINK, BGPROPERTIES + ">"; no line break. Empty when there is no
// attribute to write in insert mode, "<BODY>" when re-editing.
QString ComposePage(const PageFields& fields);

// The attribute names the dialog decides on when it rewrites a BODY tag opened with opened
// and closed with now: those it read a value for and those it writes. An attribute the readers
// could not read (written as "bgcolor = white", say) and the user left empty is not among
// them, so the rewritten tag keeps it as it was written.
QStringList PageAttributesDecided(const PageFields& opened, const PageFields& now);

// The page dialog, caption "Page".
class frmPage : public TagDialog
{
    Q_OBJECT
public:
    explicit frmPage(const DialogRequest& request);

    // The fields as the controls show them.
    PageFields Fields() const;

protected:
    void Opening() override;
    std::optional<QString> Compose() override;
    std::optional<QStringList> KnownAttributes() const override;

private:
    void Show(const PageFields& fields);

    QLineEdit* backgroundField_;
    QCheckBox* fixedCheck_;
    QLineEdit* bgcolorField_;
    QLineEdit* textField_;
    QLineEdit* linkField_;
    QLineEdit* vlinkField_;
    QLineEdit* alinkField_;
    PageFields opened_;
};

} // namespace tl
