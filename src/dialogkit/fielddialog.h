#pragma once

#include "dialogkit/tagdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <functional>
#include <initializer_list>
#include <vector>

namespace tl
{

// What a dialog opens on: the old text (empty in insert mode), the editor's selection and the
// window caption (which the dialogs serving two tags read).
struct OpeningText {
    QString old;
    QString selection;
    QString caption;
};

// What composing gives: the text, or a refusal naming the field (its object name), the message
// and its title.
struct Composed {
    QString text;
    QString refusedField;
    QString message;
    QString title;

    static Composed Text(QString text)
    {
        Composed c;
        c.text = std::move(text);
        return c;
    }
    static Composed Refused(const QString& field, const QString& message, const QString& title)
    {
        Composed c;
        c.refusedField = field;
        c.message = message;
        c.title = title;
        return c;
    }
    bool refused() const { return !refusedField.isEmpty(); }
};

// A dialog's rules, all of them plain functions: how it opens, how it composes, and the
// attributes of the start tag it writes (nullopt: it writes none that could hold others, and
// its output stands as composed).
template <class Fields> struct DialogRules {
    Fields (*open)(const OpeningText&);
    Composed (*compose)(const Fields&);
    std::optional<QStringList> known;
};

// An option of a choice row: the button's object name and caption, and the value it stands for.
template <class Value> struct Option {
    QString name;
    QString caption;
    Value value;
};

// A tag dialog whose controls are rows bound to the members of its fields struct. The struct the
// rules opened is kept; what the controls show is read back into a copy of it, so that members
// no control shows (flags such as selEndsWithCrLf) go through untouched. A dialog builds its
// rows in its constructor, in tab order; text, colour and file rows line up in one grid per run
// of such rows, the others stack below in the order made.
template <class Fields> class FieldDialog : public TagDialog
{
public:
    // The fields as the controls show them.
    Fields Values() const
    {
        Fields f = opened_;
        for (const auto& read : reads_)
            read(f);
        return f;
    }
    // The fields as the dialog opened.
    const Fields& Opened() const { return opened_; }

protected:
    FieldDialog(const DialogRequest& request, const QString& name, const QString& caption,
                const DialogRules<Fields>& rules)
        : TagDialog(request, name, caption), rules_(rules)
    {
    }

    // After the controls show the opened fields: enabling, focus and the like.
    virtual void Showing(const Fields&) {}

    // A text field and its label (the buddy, which names it for assistive technology), in the
    // grid.
    QLineEdit* TextRow(QString Fields::*member, const QString& fieldName, const QString& labelName,
                       const QString& caption)
    {
        QLabel* label = nullptr;
        QLineEdit* field = MakeTextField(fieldName, labelName, caption, &label);
        field->setAccessibleName(PlainCaption(caption));
        PlaceInGrid(label, field, nullptr);
        Bind([field, member](const Fields& f) { field->setText(f.*member); },
             [field, member](Fields& f) { f.*member = field->text(); });
        return field;
    }

    // A text field with its "参照...." button, named buttonName and for assistive technology
    // buttonAccessibleName. The button opens the colour picker on the field.
    QLineEdit* ColorRow(QString Fields::*member, const QString& fieldName, const QString& labelName,
                        const QString& caption, const QString& buttonName,
                        const QString& buttonAccessibleName)
    {
        QLineEdit* field = TextRow(member, fieldName, labelName, caption);
        QPushButton* button = MakeButton(buttonName, buttonAccessibleName);
        Beside(field, button);
        QObject::connect(button, &QPushButton::clicked, this, [this, field] { PickColor(field); });
        return field;
    }

    // The same with a button that picks a file through filter ("description|patterns").
    QLineEdit* FileRow(QString Fields::*member, const QString& fieldName, const QString& labelName,
                       const QString& caption, const QString& buttonName,
                       const QString& buttonAccessibleName, const QString& filter)
    {
        QLineEdit* field = TextRow(member, fieldName, labelName, caption);
        QPushButton* button = MakeButton(buttonName, buttonAccessibleName);
        Beside(field, button);
        QObject::connect(button, &QPushButton::clicked, this,
                         [this, field, filter] { PickFile(field, filter); });
        return field;
    }

    // A check box; placed below the rows made so far unless place is false (the caller then
    // puts it, as a row's beside widget for one).
    QCheckBox* CheckRow(bool Fields::*member, const QString& name, const QString& caption,
                        bool place = true)
    {
        auto* check = new QCheckBox(caption, this);
        check->setObjectName(name);
        if (place)
            Stack(check);
        Bind([check, member](const Fields& f) { check->setChecked(f.*member); },
             [check, member](Fields& f) { f.*member = check->isChecked(); });
        return check;
    }

    // A row of option buttons in a captioned frame; the value shown selects its button (none
    // matching leaves the first selected).
    template <class Value>
    QGroupBox* ChoiceRow(Value Fields::*member, const QString& frameName,
                         const QString& frameCaption, const std::vector<Option<Value>>& options)
    {
        auto* frame = new QGroupBox(frameCaption, this);
        frame->setObjectName(frameName);
        auto* row = new QHBoxLayout(frame);
        std::vector<std::pair<QRadioButton*, Value>> buttons;
        for (const Option<Value>& o : options) {
            auto* b = new QRadioButton(o.caption, frame);
            b->setObjectName(o.name);
            row->addWidget(b);
            buttons.emplace_back(b, o.value);
        }
        row->addStretch(1);
        if (!buttons.empty())
            buttons.front().first->setChecked(true);
        Stack(frame);
        Bind(
            [buttons, member](const Fields& f) {
                for (const auto& [b, v] : buttons) {
                    if (v == f.*member)
                        b->setChecked(true);
                }
            },
            [buttons, member](Fields& f) {
                for (const auto& [b, v] : buttons) {
                    if (b->isChecked())
                        f.*member = v;
                }
            });
        return frame;
    }

    // Options "1" to count named Option<first> on, standing for 1 to count.
    QGroupBox* NumberedChoiceRow(int Fields::*member, const QString& frameName,
                                 const QString& frameCaption, int count, int firstName = 1)
    {
        std::vector<Option<int>> options;
        for (int i = 1; i <= count; ++i)
            options.push_back(
                {QStringLiteral("Option%1").arg(firstName + i - 1), QString::number(i), i});
        return ChoiceRow(member, frameName, frameCaption, options);
    }

    // A drop-down list of texts with its label; the text shown is the member.
    QComboBox* ListRow(QString Fields::*member, const QString& fieldName, const QString& labelName,
                       const QString& caption, const QStringList& items, bool editable)
    {
        auto* combo = new QComboBox(this);
        combo->setObjectName(fieldName);
        combo->setEditable(editable);
        combo->addItems(items);
        auto* label = new QLabel(caption, this);
        label->setObjectName(labelName);
        label->setBuddy(combo);
        combo->setAccessibleName(PlainCaption(caption));
        PlaceInGrid(label, combo, nullptr);
        Bind([combo, member](const Fields& f) { combo->setCurrentText(f.*member); },
             [combo, member](Fields& f) { f.*member = combo->currentText(); });
        return combo;
    }

    // The quote pair, bound to the member.
    QFrame* QuoteRow(QuoteStyle Fields::*member, const QString& frameName,
                     const QString& doubleName, const QString& singleName)
    {
        QFrame* frame = MakeQuotePair(frameName, doubleName, singleName);
        Stack(frame);
        Bind([this, member](const Fields& f) { SetQuote(f.*member); },
             [this, member](Fields& f) { f.*member = Quote(); });
        return frame;
    }

    // w in the third column of field's grid row; made after field, so that it follows it in
    // the tab order.
    void Beside(QWidget* field, QWidget* w)
    {
        for (QGridLayout* grid = grid_; grid;) {
            const int index = grid->indexOf(field);
            if (index < 0)
                break;
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(index, &row, &column, &rows, &columns);
            grid->addWidget(w, row, 2);
            return;
        }
        Body()->addWidget(w);
    }

    // w on a grid row of its own, under the fields.
    void UnderFields(QWidget* w)
    {
        if (!grid_) {
            Stack(w);
            return;
        }
        grid_->addWidget(w, grid_->rowCount(), 1, 1, 2);
    }

    // A binding of a control the rows do not cover.
    void Bind(std::function<void(const Fields&)> show, std::function<void(Fields&)> read)
    {
        shows_.push_back(std::move(show));
        reads_.push_back(std::move(read));
    }

    void Opening() override
    {
        opened_ = rules_.open(OpeningText{OldText(), SelectionText(), windowTitle()});
        for (const auto& show : shows_)
            show(opened_);
        Showing(opened_);
    }

    std::optional<QString> Compose() override { return Deliver(rules_.compose(Values())); }

    std::optional<QString> ComposeOpened() const override
    {
        const Composed out = rules_.compose(opened_);
        if (out.refused())
            return std::nullopt;
        return out.text;
    }

    std::optional<QStringList> KnownAttributes() const override { return rules_.known; }

private:
    std::optional<QString> Deliver(const Composed& out)
    {
        if (!out.refused())
            return out.text;
        ShowValidationMessage(findChild<QWidget*>(out.refusedField), out.message, out.title);
        return std::nullopt;
    }

    QPushButton* MakeButton(const QString& name, const QString& accessibleName)
    {
        auto* button = new QPushButton(QStringLiteral("参照...."), this);
        button->setObjectName(name);
        button->setAccessibleName(accessibleName);
        return button;
    }

    void PlaceInGrid(QWidget* label, QWidget* field, QWidget* beside)
    {
        if (!grid_) {
            grid_ = new QGridLayout;
            grid_->setColumnStretch(1, 1);
            Body()->addLayout(grid_);
        }
        const int row =
            grid_->rowCount() == 1 && !grid_->itemAtPosition(0, 0) ? 0 : grid_->rowCount();
        grid_->addWidget(label, row, 0);
        grid_->addWidget(field, row, 1);
        if (beside)
            grid_->addWidget(beside, row, 2);
        field->setMinimumWidth(200);
    }

    void Stack(QWidget* w)
    {
        grid_ = nullptr; // the next text row starts a grid below this
        Body()->addWidget(w);
    }

    const DialogRules<Fields> rules_;
    Fields opened_{};
    std::vector<std::function<void(const Fields&)>> shows_;
    std::vector<std::function<void(Fields&)>> reads_;
    QGridLayout* grid_ = nullptr;
};

} // namespace tl
