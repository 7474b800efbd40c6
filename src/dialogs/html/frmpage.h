#pragma once

#include "dialogkit/fielddialog.h"

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

// The page dialog, caption "Page".
class frmPage : public tl::FieldDialog<tl::PageFields>
{
    Q_OBJECT
public:
    explicit frmPage(const DialogRequest& request);

    // The fields as the controls show them.
    PageFields Fields() const { return Values(); }
};

} // namespace tl
