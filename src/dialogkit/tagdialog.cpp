#include "dialogkit/tagdialog.h"

#include "core/appstate.h"
#include "core/doctable.h"
#include "dialogkit/dialogtext.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "files/filecommands.h"
#include "files/paths.h"
#include "platform/errors.h"
#include "platform/programfolder.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <limits>

namespace tl
{

QChar QuoteChar(QuoteStyle style)
{
    return style == QuoteStyle::Single ? QChar(u'\'') : QChar(u'"');
}

QuoteStyle QuoteStyleOf(QStringView examined)
{
    return examined.contains(u'\'') ? QuoteStyle::Single : QuoteStyle::Double;
}

QString QuotedValue(QStringView value, QuoteStyle style)
{
    QChar q = QuoteChar(style);
    const QChar other =
        QuoteChar(style == QuoteStyle::Single ? QuoteStyle::Double : QuoteStyle::Single);
    // Quotes inside ASP blocks are the script's, gone before the page is read.
    QString outside = value.toString();
    for (qsizetype at = outside.indexOf(u"<%"); at >= 0; at = outside.indexOf(u"<%", at)) {
        const qsizetype close = outside.indexOf(u"%>", at + 2);
        if (close < 0)
            break;
        outside.remove(at, close + 2 - at);
    }
    if (outside.contains(q) && !outside.contains(other))
        q = other;
    QString out;
    out.reserve(value.size() + 2);
    out += q;
    out += value;
    out += q;
    return out;
}

QString AttributeText(QStringView name, QStringView value, QuoteStyle style)
{
    if (value.isEmpty())
        return {};
    return u' ' + name.toString().toUpper() + u'=' + QuotedValue(value, style);
}

TagDialog::TagDialog(const DialogRequest& request, const QString& name, const QString& caption)
    : QDialog(request.parent), state_(request.state), box_(request.box), heading_(new QLabel(this)),
      body_(new QVBoxLayout), okButton_(new QPushButton(QStringLiteral("Ｏ　Ｋ"), this)),
      cancelButton_(new QPushButton(QStringLiteral("キャンセル(ESC)"), this))
{
    setObjectName(name);
    setWindowTitle(request.caption.isEmpty() ? caption : request.caption);
    setModal(true);
    heading_->setObjectName(QStringLiteral("Label13"));
    okButton_->setObjectName(QStringLiteral("CmdOK"));
    cancelButton_->setObjectName(QStringLiteral("CmdCansel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addLayout(body_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton_, &QPushButton::clicked, this, &TagDialog::OkClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &TagDialog::reject);
}

TagDialog::~TagDialog() = default;

QString TagDialog::SelectionText() const
{
    return box_.SelText();
}

QString TagDialog::PlainCaption(const QString& caption)
{
    QString plain = caption;
    plain.remove(QRegularExpression(QStringLiteral("&(?=[^&])")));
    while (plain.endsWith(u':') || plain.endsWith(QChar(0xFF1A)))
        plain.chop(1);
    return plain;
}

void TagDialog::Load()
{
    if (loaded_)
        return;
    loaded_ = true;
    // No field may cut what it is given: a line edit holds 32,767 characters unless told, and a
    // rewrite would write the cut value back (a comment, or a paragraph running into a table).
    for (QLineEdit* line : findChildren<QLineEdit*>())
        line->setMaxLength(std::numeric_limits<int>::max());
    TrapErrors(*state_.prompts, [&] {
        old_ = EditTargetText(state_, box_);
        Opening();
    });
    ArrangeTabOrder();
    shown_ = FieldValues();
}

QStringList TagDialog::FieldValues() const
{
    QStringList values;
    for (const QWidget* w : findChildren<QWidget*>()) {
        if (auto* line = qobject_cast<const QLineEdit*>(w))
            values << w->objectName() + u'=' + line->text();
        else if (auto* text = qobject_cast<const QPlainTextEdit*>(w))
            values << w->objectName() + u'=' + text->toPlainText();
        else if (auto* combo = qobject_cast<const QComboBox*>(w))
            values << w->objectName() + u'=' + combo->currentText();
        else if (auto* spin = qobject_cast<const QAbstractSpinBox*>(w))
            values << w->objectName() + u'=' + spin->text();
        else if (auto* button = qobject_cast<const QAbstractButton*>(w);
                 button && button->isCheckable())
            values << w->objectName() +
                          (button->isChecked() ? QStringLiteral("=1") : QStringLiteral("=0"));
    }
    return values;
}

void TagDialog::ArrangeTabOrder()
{
    // OK and Cancel follow the last field, whatever the order in which the base and the dialog
    // created their controls.
    QWidget* last = nullptr;
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
        if (w != okButton_ && w != cancelButton_ && (w->focusPolicy() & Qt::TabFocus) &&
            isAncestorOf(w))
            last = w;
    }
    if (last)
        setTabOrder(last, okButton_);
    setTabOrder(okButton_, cancelButton_);
}

void TagDialog::reject()
{
    ClearEditTarget(state_);
    QDialog::reject();
}

QLineEdit* TagDialog::MakeTextField(const QString& fieldName, const QString& labelName,
                                    const QString& caption, QLabel** label)
{
    auto* field = new QLineEdit(this);
    field->setObjectName(fieldName);
    auto* l = new QLabel(caption, this);
    l->setObjectName(labelName);
    l->setBuddy(field);
    if (label)
        *label = l;
    return field;
}

QFrame* TagDialog::MakeQuotePair(const QString& frameName, const QString& doubleName,
                                 const QString& singleName)
{
    auto* frame = new QFrame(this);
    frame->setObjectName(frameName);
    frame->setFrameShape(QFrame::StyledPanel);
    quoteDouble_ = new QRadioButton(QStringLiteral("” ”を使用"), frame);
    quoteDouble_->setObjectName(doubleName);
    quoteSingle_ = new QRadioButton(QStringLiteral("’ ’を使用"), frame);
    quoteSingle_->setObjectName(singleName);
    quoteDouble_->setChecked(true);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(quoteDouble_);
    layout->addWidget(quoteSingle_);
    return frame;
}

QuoteStyle TagDialog::Quote() const
{
    return quoteSingle_ && quoteSingle_->isChecked() ? QuoteStyle::Single : QuoteStyle::Double;
}

void TagDialog::SetQuote(QuoteStyle style)
{
    if (!quoteDouble_)
        return;
    (style == QuoteStyle::Single ? quoteSingle_ : quoteDouble_)->setChecked(true);
}

void TagDialog::ShowValidationMessage(QWidget* field, const QString& text, const QString& title)
{
    state_.prompts->inform(text, title);
    if (field)
        field->setFocus(Qt::OtherFocusReason);
}

void TagDialog::PickColor(QLineEdit* field)
{
    TrapErrors(*state_.prompts, [&] {
        field->setFocus(Qt::OtherFocusReason);
        state_.Dialogs.Open(QStringLiteral("frmColor"),
                            DialogRequest{state_, box_, this, QString()});
    });
}

void TagDialog::PickFile(QLineEdit* field, const QString& filter)
{
    TrapErrors(*state_.prompts, [&] {
        field->setFocus(Qt::OtherFocusReason);
        if (state_.ImageSelectMode != 1) {
            state_.Dialogs.Open(QStringLiteral("frmImgBrow"),
                                DialogRequest{state_, box_, this, QString()});
            return;
        }
        // The file dialog starts in the page's folder; an untitled page has none.
        FileRequest request;
        request.kind = FileRequest::Kind::Open;
        request.title = QStringLiteral("開く");
        request.startFolder =
            OpenDialogStartFolder(ProgramFolder(), state_.Doc.path(), ProgramFolder());
        request.filter = filter;
        const QString path = state_.prompts->fileName(request);
        if (!path.isEmpty())
            field->setText(FileNameOf(path));
    });
}

void TagDialog::OkClicked()
{
    std::optional<QString> text;
    // Re-editing without a change: the page keeps the tag exactly as it was written.
    if (!old_.isEmpty() && FieldValues() == shown_) {
        ClearEditTarget(state_);
        accept();
        return;
    }
    if (!TrapErrors(*state_.prompts, [&] { text = Compose(); }) || !text)
        return;
    if (const std::optional<QStringList> known = KnownAttributes(); known && !old_.isEmpty())
        text = KeepOtherAttributes(old_, *text, *known, ComposeOpened().value_or(QString()));
    InsertDialogResult(state_, box_, this, *text);
}

void TagDialog::showEvent(QShowEvent* event)
{
    Load();
    // Buttons added by a dialog (colour, file) included: with none of them auto-default, the
    // dialog makes none the default button, and Enter presses nothing.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    for (QLineEdit* line : findChildren<QLineEdit*>())
        line->installEventFilter(this); // installing twice keeps one filter
    // The tab order is a cycle in which OK and Cancel close the row of fields; the focus
    // starts at the first control after them.
    if (!focusWidget()) {
        for (QWidget* w = cancelButton_->nextInFocusChain(); w != cancelButton_;
             w = w->nextInFocusChain()) {
            if (w != this && isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) &&
                w->isEnabled() && w->isVisibleTo(this)) {
                w->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    QDialog::showEvent(event);
}

bool TagDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The whole content, so that typing replaces it; not when a context menu hands the focus
    // back, which would lose the selection the menu acts on.
    if (event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        if (auto* line = qobject_cast<QLineEdit*>(watched); line && !line->text().isEmpty())
            line->selectAll();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tl
