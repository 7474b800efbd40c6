#pragma once

#include "dialogkit/fielddialog.h"

#include <QString>

#include <array>

class QCheckBox;
class QLineEdit;

namespace tl
{

// The title dialog's fields. lines[i] is the check box Check1(i); each switches one line of the
// page skeleton on or off.
struct TitleFields {
    // The line each check box switches.
    enum Line {
        Html = 0,        // "<HTML>"
        Head = 1,        // "<HEAD>"
        HeadEnd = 2,     // "</HEAD>"
        Body = 3,        // "<BODY>" CR LF "</BODY>"
        HtmlEnd = 4,     // "</HTML>"
        Doctype = 5,     // the HTML 3.2 DOCTYPE
        ContentType = 6, // META Content-Type
        Title = 7,       // TITLE with title
        Author = 8,      // META Author with meta[0]
        Description = 9, // META Description with meta[1]
        Keywords = 10,   // META Keywords with meta[2]
        ReplyTo = 11,    // META Reply-To with meta[3]
        Comments = 12,   // META Comments with meta[4]
        LineCount = 13
    };

    std::array<bool, LineCount> lines{};
    QString title;
    std::array<QString, 5> meta; // Author, Description, Keywords, Reply-To, Comments
    QuoteStyle quote = QuoteStyle::Double;
    // Re-editing a TITLE element: the TITLE line ends without CR LF, as the element did.
    bool reediting = false;
    // Re-editing a "<TITLE>" whose "</TITLE>" is missing: the old text is the opening tag
    // alone, and so is the TITLE line; there is no title to show or write.
    bool openingTagOnly = false;

    bool operator==(const TitleFields&) const = default;
};

// The fields as the dialog opens. A non-empty old holding "<TITLE" is a TITLE element being
// re-edited: only the TITLE line is switched on, the title is the text between the opening tag
// and "</TITLE>" (without the quotes when it is written between the same two quote characters),
// the single quote when old holds an apostrophe. Otherwise insert mode: every line of the
// skeleton but the META name lines, the selection without its trailing CR LF as the title.
TitleFields OpenTitle(const QString& old, const QString& selection);

// The switched-on lines in skeleton order, each ending with CR LF (the TITLE line not when
// re-editing); a blank title is written as five spaces. Empty when no line is switched on.
QString ComposeTitle(const TitleFields& fields);

// The title dialog, caption "TITLE".
class frmTitle : public tl::FieldDialog<tl::TitleFields>
{
    Q_OBJECT
public:
    explicit frmTitle(const DialogRequest& request);

    // The fields as the controls show them.
    TitleFields Fields() const { return Values(); }

protected:
    void Showing(const TitleFields& fields) override;

private:
    QLineEdit* titleField_;
};

} // namespace tl
