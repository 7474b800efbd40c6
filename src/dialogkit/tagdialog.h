#pragma once

#include "core/dialogregistry.h"

#include <QDialog>
#include <QString>
#include <QStringView>

#include <optional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace tl
{

struct AppState;
class cTextBox;

// The quote a tag dialog writes around every attribute value.
enum class QuoteStyle { Double, Single };

// '"' or '\''.
QChar QuoteChar(QuoteStyle style);

// The quote style a dialog opens with: single when the examined old text holds an apostrophe
// anywhere, double otherwise (always double in insert mode, where the old text is empty).
QuoteStyle QuoteStyleOf(QStringView examined);

// A value between the quotes of style; between the other quotes when it holds that quote and
// not the other, so that the tag stays whole ("Tom's Font" with single quotes).
QString QuotedValue(QStringView value, QuoteStyle style);

// One attribute as every tag dialog writes it: a space, the name in upper case, "=", the
// quote, the value exactly as typed, the quote. Empty when the value is empty; a dialog whose
// test is another one (trimmed text, a number other than 0) makes it before the call.
QString AttributeText(QStringView name, QStringView value, QuoteStyle style);

// The base of every tag dialog. It carries what they all share:
// - modal over the main window; Esc, CmdCansel and the title bar's close button cancel, which
//   clears the EditTarget and leaves the document alone;
// - no default button: Enter presses nothing;
// - a text field selects its whole content when it gets the focus, and the focus starts in
//   the first control of the tab order (each dialog makes that a text field); CmdOK and
//   CmdCansel come last in the tab order;
// - the old text of the tag being re-edited (OldText, empty in insert mode);
// - the quote pair and the QuoteStyle;
// - CmdOK: Compose, then InsertDialogResult, which closes the dialog and writes the text;
// - re-editing leaves what the user did not change alone: OK with every field as the dialog
//   showed it on opening closes without touching the page (no rewrite, no undo step), and a
//   rewritten start tag keeps the old tag's attributes the dialog does not know
//   (KnownAttributes), in their original text and order, after the ones it writes;
// - the colour and file buttons (PickColor, PickFile);
// - failures inside the handlers are shown and end the handler; the dialog stays open.
//
// A dialog derives from it, builds its controls in its constructor (into Body(); text fields
// through MakeTextField, the quote pair through MakeQuotePair), fills them in Opening() and
// returns its output from Compose(). The rules live in two plain functions beside it: one
// reads the fields from the old text, or in insert mode from the editor's selection passed
// through DropTrailingCrLf (its flag is the dialog's SelEndsWithCrLf); the other composes the
// output. It is registered with OpenModal<frmX> in its folder's registration function.
class TagDialog : public QDialog
{
    Q_OBJECT
public:
    ~TagDialog() override;

    // The opening: reads the old text, lets the dialog fill its fields, puts CmdOK and
    // CmdCansel last in the tab order. Runs once, when the dialog is first shown; a test may run
    // it earlier to look at the fields without showing the dialog.
    void Load();

    // Cancel: clears the EditTarget and closes.
    void reject() override;

    // The attributes the dialog writes (KnownAttributes), for checks of the re-edit promises.
    std::optional<QStringList> WrittenAttributeNames() const { return KnownAttributes(); }

protected:
    // caption is the window caption; the request's caption, when it has one, replaces it (the
    // dialogs that serve two tags read it back with windowTitle()).
    TagDialog(const DialogRequest& request, const QString& name, const QString& caption);

    AppState& State() const { return state_; }
    cTextBox& Box() const { return box_; }

    // Fills the fields. OldText() tells edit mode from insert mode.
    virtual void Opening() = 0;
    // The text CmdOK delivers; nullopt after a validation message (ShowValidationMessage),
    // which keeps the dialog open.
    virtual std::optional<QString> Compose() = 0;
    // The attribute names (upper case) of the start tag the dialog writes, whether or not it
    // writes them this time. A re-edited tag keeps its other attributes. nullopt: the dialog
    // writes no start tag that could hold others, and its output stands as composed.
    virtual std::optional<QStringList> KnownAttributes() const { return std::nullopt; }
    // What the fields as they opened compose to, if the dialog can tell: a known attribute that
    // this does not write as the old tag has it was not read, and stays as written while the
    // user leaves it alone.
    virtual std::optional<QString> ComposeOpened() const { return std::nullopt; }

    // A caption as a name for assistive technology: without access-key marks and a final colon.
    static QString PlainCaption(const QString& caption);

    // Every field's value as the user sees it (texts, check marks, chosen options), in the
    // order the controls were made; what tells whether the user changed anything.
    QStringList FieldValues() const;

    // The editor's selected text.
    QString SelectionText() const;

    // EditTargetText as the dialog opened: the old tag, or empty in insert mode.
    const QString& OldText() const { return old_; }

    // Between the heading Label13 and the buttons.
    QVBoxLayout* Body() const { return body_; }
    QLabel* Heading() const { return heading_; }

    // A single-line text field named fieldName with its label (labelName, caption) as buddy,
    // so that the label's access key reaches it and assistive technology reads the caption.
    // The label is returned through label when asked.
    QLineEdit* MakeTextField(const QString& fieldName, const QString& labelName,
                             const QString& caption, QLabel** label = nullptr);

    // The quote pair: two option buttons in an uncaptioned frame, double selected.
    QFrame* MakeQuotePair(const QString& frameName, const QString& doubleName,
                          const QString& singleName);
    QuoteStyle Quote() const;
    void SetQuote(QuoteStyle style);

    // A validation failure: the message (OK button), then the focus in field; the dialog stays.
    void ShowValidationMessage(QWidget* field, const QString& text, const QString& title);

    // The colour button: field gets the focus, then the colour picker ("frmColor") opens
    // modally over this dialog and writes its colour into the control with the focus, which it
    // finds as request.parent->focusWidget(). Nothing happens while no picker is registered.
    void PickColor(QLineEdit* field);
    // The file button: field gets the focus; with ImageSelectMode 1 the open-file dialog
    // (filter in the "description|patterns" form) starts in the program folder, or in the
    // document's folder when the document has a file, and the chosen file's bare name goes into
    // the field (cancel leaves it); otherwise the image browser ("frmImgBrow") opens modally
    // over this dialog and writes into the control with the focus.
    void PickFile(QLineEdit* field, const QString& filter);

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OkClicked();
    void ArrangeTabOrder();

    AppState& state_;
    cTextBox& box_;
    QString old_;
    QStringList shown_; // FieldValues() once the dialog had filled its fields
    bool loaded_ = false;
    QLabel* heading_;
    QVBoxLayout* body_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    QRadioButton* quoteDouble_ = nullptr;
    QRadioButton* quoteSingle_ = nullptr;
};

// The registry's opener of a tag dialog: shows it modally and returns when it has closed.
template <class Dialog> void OpenModal(const DialogRequest& request)
{
    Dialog dialog(request);
    dialog.exec();
}

} // namespace tl
