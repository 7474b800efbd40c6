#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace tl
{

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// One message box: what the program asks or tells the user.
struct MessageRequest {
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    // The button Enter chooses; none: the message box's own choice.
    std::optional<MsgAnswer> defaultAnswer = std::nullopt;
};

// A question answered by one of several buttons that say what each answer does, for when Yes
// and No would be ambiguous ("いいえ" must not mean "convert the page").
struct ChoiceRequest {
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::Question;
    QStringList choices;    // the buttons' captions, in order
    int defaultChoice = -1; // the button Enter chooses; -1: none
    int escapeChoice = -1;  // Esc and the window's close button; also the answer with no dialog
};

// One file dialog. The filter uses the "description|patterns|description|patterns" form.
struct FileRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString startFolder;
    QString fileName;
    QString filter;
    // Added to a typed name without an extension when the chosen filter does not name a single
    // extension of its own (see SuffixForFilter).
    QString defaultSuffix;
};

// Everything that asks the user something modally goes through this interface, so that tests
// can answer from a script instead of blocking on a real dialog.
class Prompter
{
public:
    virtual ~Prompter();
    virtual MsgAnswer message(const MessageRequest& request) = 0;
    // The chosen path, or an empty string when the user cancelled.
    virtual QString fileName(const FileRequest& request) = 0;
    // The font family the user chose in the font dialog, which opens on proposed; an empty
    // string when the user cancelled. Without a font dialog: cancelled.
    virtual QString fontName(const QString& proposed);
    // The index of the chosen button. Without a dialog to show: escapeChoice.
    virtual int choose(const ChoiceRequest& request);

    MsgAnswer inform(const QString& text, const QString& title, MsgIcon icon = MsgIcon::None)
    {
        return message({text, title, MsgButtons::Ok, icon});
    }
    MsgAnswer ask(const QString& text, const QString& title, MsgButtons buttons,
                  MsgIcon icon = MsgIcon::Question)
    {
        return message({text, title, buttons, icon});
    }
};

// Turns "desc|*.a;*.b|desc2|*.*" into Qt's "desc (*.a *.b);;desc2 (*.*)".
QString QtFileFilter(const QString& pipeFilter);

// The extension a save dialog adds to a typed name while the filter at index is chosen: the
// filter's own when it names exactly one ("HTML ﾌｧｲﾙ|*.htm" gives "htm"), else fallback.
QString SuffixForFilter(const QString& pipeFilter, int index, const QString& fallback);

// The real prompts: QMessageBox, QFileDialog and QFontDialog, parented to the given window.
// With TAGLOOM_MESSAGE_LOG=<path> set, each message box's and choice's title and text go to path
// (UTF-8, one blank line after each) before it is shown.
class WidgetPrompter : public Prompter
{
public:
    explicit WidgetPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    MsgAnswer message(const MessageRequest& request) override;
    QString fileName(const FileRequest& request) override;
    QString fontName(const QString& proposed) override;
    int choose(const ChoiceRequest& request) override;

private:
    QWidget* parent_;
};

} // namespace tl
