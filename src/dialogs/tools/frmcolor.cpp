#include "dialogs/tools/frmcolor.h"

#include "core/appstate.h"
#include "editbox/textbox.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/programfolder.h"

#include <QButtonGroup>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tl
{

namespace
{

QString Indexed(const char* name, int index)
{
    return QLatin1StringView(name) + u'_' + QString::number(index);
}

QColor ToQColor(const Rgb& rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QIcon SwatchIcon(const QColor& color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

// Wide enough for a whole slot value: the widest "#" and six hexadecimal digits, plus the
// margins and frame the style gives the box (what its size hint adds to 17 'x').
int SlotTextWidth(const QLineEdit* text)
{
    const QFontMetrics metrics = text->fontMetrics();
    int digit = 0;
    for (const QChar c : QStringLiteral("0123456789ABCDEF"))
        digit = std::max(digit, metrics.horizontalAdvance(c));
    const int margins = text->sizeHint().width() - 17 * metrics.horizontalAdvance(u'x');
    return metrics.horizontalAdvance(u'#') + 6 * digit + std::max(margins, 0) + 2;
}

// The nearest of widget and its ancestors that is a known caller of the picker.
QWidget* FindCallerWidget(QWidget* widget)
{
    for (; widget; widget = widget->parentWidget())
        if (FindColorCaller(widget->objectName()))
            return widget;
    return nullptr;
}

void SetRole(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

} // namespace

frmColor::frmColor(const DialogRequest& request)
    : QDialog(request.parent), box_(request.box), prompts_(*request.state.prompts),
      caller_(FindCallerWidget(request.parent)), palettePath_(ProgramFile(kPaletteFile)),
      timer_(new QTimer(this)), writeButton_(new QPushButton(QStringLiteral("Write"), this)),
      clearButton_(new QPushButton(QStringLiteral("Clear"), this)),
      closeButton_(new QPushButton(QStringLiteral("キャンセル(ESC)"), this))
{
    setObjectName(QStringLiteral("frmColor"));
    setWindowTitle(QStringLiteral("Color"));
    setModal(true);
    if (caller_)
        callerEntry_ = FindColorCaller(caller_->objectName());

    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(kTickMilliseconds);
    connect(timer_, &QTimer::timeout, this, &frmColor::Tick);

    // The mock page.
    auto* page = new QFrame(this);
    BuildMockPage(page);

    QGridLayout* slotGrid = BuildSlots();
    QGridLayout* sliderGrid = BuildSliders();
    QGridLayout* swatchGrid = BuildSwatches();

    writeButton_->setObjectName(QStringLiteral("CmdWrite"));
    clearButton_->setObjectName(QStringLiteral("CmdClear"));
    closeButton_->setObjectName(QStringLiteral("CmdClose"));
    for (QPushButton* button : {writeButton_, clearButton_, closeButton_})
        button->setAutoDefault(false);
    connect(writeButton_, &QPushButton::clicked, this, &frmColor::WriteClicked);
    connect(clearButton_, &QPushButton::clicked, this, &frmColor::ClearClicked);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(page, 1);
    left->addLayout(sliderGrid);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(slotGrid);
    top->addLayout(swatchGrid);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(writeButton_);
    buttons->addWidget(clearButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    SetKeyboardOrder();

    EnsurePaletteFile();
    LoadPalette();
    PresetFromCaller();
    // With no calling dialog "Write" goes into the page; while no page is shown there is none
    // to write into (the picker still edits and saves the palette).
    writeButton_->setEnabled(caller_ || box_.Visible());
}

QGridLayout* frmColor::BuildSlots()
{
    // Per slot: option button, caption, value, "OldColor...".
    auto* slotGrid = new QGridLayout;
    auto* optionGroup = new QButtonGroup(this);
    for (int i = 0; i < kSlotCount; ++i) {
        const ColorSlot& slot = ColorSlots()[size_t(i)];
        auto* option = new QRadioButton(this);
        option->setObjectName(QStringLiteral("Option") + QString::number(i + 1));
        option->setAccessibleName(slot.caption);
        optionGroup->addButton(option, i);
        auto* label = new QLabel(slot.caption, this);
        label->setObjectName(Indexed("Label2", i));
        auto* text = new QLineEdit(this);
        text->setObjectName(Indexed("Text1", i));
        text->setMinimumWidth(SlotTextWidth(text));
        label->setBuddy(text);
        text->installEventFilter(this);
        auto* old = new QPushButton(QStringLiteral("OldColor..."), this);
        old->setObjectName(Indexed("Command1", i));
        old->setAutoDefault(false);
        old->setAccessibleDescription(slot.caption);
        slotGrid->addWidget(option, i, 0);
        slotGrid->addWidget(label, i, 1);
        slotGrid->addWidget(text, i, 2);
        slotGrid->addWidget(old, i, 3);
        options_[size_t(i)] = option;
        slotLabels_[size_t(i)] = label;
        slotTexts_[size_t(i)] = text;
        oldColorButtons_[size_t(i)] = old;
        connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                SelectSlot(i);
        });
        connect(old, &QPushButton::clicked, this, [this, i] { RestoreOldColor(i); });
    }
    return slotGrid;
}

QGridLayout* frmColor::BuildSliders()
{
    auto* sliderGrid = new QGridLayout;
    static const char* const kSliderCaptions[] = {"RED", "GREEN", "BLUE"};
    for (int i = 0; i < 3; ++i) {
        const QString caption = QLatin1StringView(kSliderCaptions[i]);
        auto* label = new QLabel(caption, this);
        label->setObjectName(Indexed("Label1", i));
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(Indexed("Slider", i));
        slider->setRange(0, 255);
        slider->setPageStep(16);
        slider->setAccessibleName(caption);
        slider->setMinimumWidth(160);
        label->setBuddy(slider);
        sliderGrid->addWidget(label, i, 0);
        sliderGrid->addWidget(slider, i, 1);
        sliders_[size_t(i)] = slider;
    }
    return sliderGrid;
}

QGridLayout* frmColor::BuildSwatches()
{
    // In columns top to bottom.
    auto* swatchGrid = new QGridLayout;
    swatchGrid->setSpacing(2);
    for (int i = 0; i < kSwatchCount; ++i) {
        const QString& text = SwatchColors()[size_t(i)];
        const qint64 value = RgbToColorValue(*SlotTextToRgb(text));
        auto* swatch = new QToolButton(this);
        swatch->setObjectName(Indexed("Picture2", i));
        swatch->setIcon(SwatchIcon(ToQColor(ColorValueToRgb(value))));
        swatch->setIconSize(QSize(16, 16));
        swatch->setAccessibleName(text);
        swatch->setToolTip(text);
        // A click takes the focus, so that it also ends typing in a slot's box.
        swatch->setFocusPolicy(Qt::StrongFocus);
        swatchGrid->addWidget(swatch, i % kSwatchesPerColumn, i / kSwatchesPerColumn);
        swatches_[size_t(i)] = swatch;
        connect(swatch, &QToolButton::clicked, this,
                [this, value] { SetSliderColor(ColorValueToRgb(value)); });
    }
    return swatchGrid;
}

// Keyboard order: slots, sliders, swatches, then the three buttons.
void frmColor::SetKeyboardOrder()
{
    QWidget* previous = nullptr;
    auto chain = [&](QWidget* next) {
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    };
    for (int i = 0; i < kSlotCount; ++i) {
        chain(options_[size_t(i)]);
        chain(slotTexts_[size_t(i)]);
        chain(oldColorButtons_[size_t(i)]);
    }
    for (QSlider* slider : sliders_)
        chain(slider);
    for (QToolButton* swatch : swatches_)
        chain(swatch);
    chain(writeButton_);
    chain(clearButton_);
    chain(closeButton_);
}

// A first start writes the palette with every slot's default.
void frmColor::EnsurePaletteFile()
{
    if (!FileExists(palettePath_)) {
        IniDocument fresh;
        for (const ColorSlot& slot : ColorSlots())
            fresh.setValue(kPaletteSection, slot.key, slot.defaultValue);
        if (const FileWriteResult written = fresh.write(palettePath_); !written)
            ShowRunTimeError(prompts_, CannotWriteFileText(palettePath_, written.code));
    }
}

void frmColor::BuildMockPage(QFrame* page)
{
    page->setObjectName(QStringLiteral("Picture1"));
    page->setAccessibleName(ColorSlots()[0].caption);
    page->setFrameShape(QFrame::Box);
    page->setAutoFillBackground(true);
    page->setMinimumSize(180, 150);
    samples_[0] = page;

    auto* layout = new QVBoxLayout(page);
    for (int slot = 1; slot <= 4; ++slot) {
        auto* sample = new QLabel(ColorSlots()[size_t(slot)].caption, page);
        sample->setObjectName(Indexed("Sample", slot));
        layout->addWidget(sample);
        samples_[size_t(slot)] = sample;
    }
    auto* line = new QFrame(page);
    line->setObjectName(QStringLiteral("Line1"));
    line->setAccessibleName(ColorSlots()[5].caption);
    line->setAutoFillBackground(true);
    line->setFixedHeight(4);
    layout->addWidget(line);
    samples_[5] = line;
    auto* box = new QFrame(page);
    box->setObjectName(QStringLiteral("Picture3"));
    box->setAccessibleName(ColorSlots()[6].caption);
    box->setFrameShape(QFrame::Box);
    box->setAutoFillBackground(true);
    box->setMinimumSize(60, 32);
    layout->addWidget(box, 1);
    samples_[6] = box;

    for (QWidget* sample : samples_) {
        sample->setCursor(Qt::PointingHandCursor);
        sample->installEventFilter(this);
    }
}

void frmColor::LoadPalette()
{
    const IniDocument palette = IniDocument::load(palettePath_);
    for (int i = 0; i < kSlotCount; ++i)
        slotTexts_[size_t(i)]->setText(palette.value(kPaletteSection, ColorSlots()[size_t(i)].key));
}

void frmColor::SavePalette() const
{
    // A file that could not be read whole is left alone rather than overwritten.
    IniDocument palette = IniDocument::load(palettePath_);
    if (!palette.intact())
        return;
    for (int i = 0; i < kSlotCount; ++i)
        palette.setValue(kPaletteSection, ColorSlots()[size_t(i)].key,
                         slotTexts_[size_t(i)]->text());
    // A palette that could not be written is told: the colours would be gone next time.
    if (const FileWriteResult written = palette.write(palettePath_); !written)
        ShowRunTimeError(prompts_, CannotWriteFileText(palettePath_, written.code));
}

void frmColor::PresetFromCaller()
{
    if (!caller_ || !callerEntry_)
        return;
    for (const SlotPreset& preset : callerEntry_->presets) {
        const auto* field = caller_->findChild<QLineEdit*>(preset.field);
        if (field && IsSlotValue(field->text()))
            slotTexts_[size_t(preset.slot)]->setText(field->text());
    }
}

void frmColor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_)
        Activate();
}

void frmColor::Activate()
{
    activated_ = true;
    PaintSamples();
    SelectSlot(InitialSlot(callerEntry_));
    StartTimer();
}

void frmColor::PaintSamples()
{
    for (int i = 0; i < kSlotCount; ++i)
        if (const auto rgb = SlotTextToRgb(slotTexts_[size_t(i)]->text()))
            PaintSample(i, *rgb);
}

void frmColor::PaintSample(int slot, const Rgb& rgb)
{
    QWidget* sample = samples_[size_t(slot)];
    SetRole(sample, IsTextColorSlot(slot) ? QPalette::WindowText : QPalette::Window, ToQColor(rgb));
}

void frmColor::SelectSlot(int slot)
{
    selected_ = slot;
    if (!options_[size_t(slot)]->isChecked()) {
        const QSignalBlocker blocker(options_[size_t(slot)]);
        options_[size_t(slot)]->setChecked(true);
    }
    ShowSlotOnSliders(slot);
    MarkSelectedLabel();
}

void frmColor::ShowSlotOnSliders(int slot)
{
    if (const auto rgb = SlotTextToRgb(slotTexts_[size_t(slot)]->text()))
        SetSliderColor(*rgb);
    else
        ReloadSlotFromFile();
}

void frmColor::RestoreOldColor(int slot)
{
    SelectSlot(slot);
    if (const auto rgb = SlotTextToRgb(oldColors_[size_t(slot)]))
        SetSliderColor(*rgb);
    else
        ReloadSlotFromFile();
}

void frmColor::ReloadSlotFromFile()
{
    const QString stored =
        IniDocument::load(palettePath_).value(kPaletteSection, ColorSlots()[size_t(selected_)].key);
    slotTexts_[size_t(selected_)]->setText(stored);
    // A stored value that is no colour either leaves the sliders; the next tick then gives the
    // slot their colour.
    if (const auto rgb = SlotTextToRgb(stored))
        SetSliderColor(*rgb);
}

void frmColor::MarkSelectedLabel()
{
    if (markedSlot_ == selected_)
        return;
    markedSlot_ = selected_;
    for (int i = 0; i < kSlotCount; ++i)
        SetRole(slotLabels_[size_t(i)], QPalette::WindowText,
                i == selected_ ? QColor(0, 0, 255) : QColor(0, 0, 0));
}

Rgb frmColor::SliderColor() const
{
    return Rgb{sliders_[0]->value(), sliders_[1]->value(), sliders_[2]->value()};
}

void frmColor::SetSliderColor(const Rgb& rgb)
{
    sliders_[0]->setValue(rgb.red);
    sliders_[1]->setValue(rgb.green);
    sliders_[2]->setValue(rgb.blue);
}

void frmColor::StartTimer()
{
    if (activated_ && isVisible())
        timer_->start();
}

void frmColor::Tick()
{
    MarkSelectedLabel();
    const Rgb rgb = SliderColor();
    const QString text = RgbToSlotText(rgb);
    QLineEdit* slotText = slotTexts_[size_t(selected_)];
    if (text == slotText->text())
        return;
    oldColors_[size_t(selected_)] = slotText->text();
    slotText->setText(text);
    PaintSample(selected_, rgb);
}

void frmColor::WriteClicked()
{
    const QString value = slotTexts_[size_t(selected_)]->text().trimmed();
    if (value.isEmpty())
        return;
    if (caller_ && callerEntry_) {
        const QPointer<QWidget> caller = caller_;
        const ColorCaller& entry = *callerEntry_;
        std::array<QString, kSlotCount> texts;
        for (int i = 0; i < kSlotCount; ++i)
            texts[size_t(i)] = slotTexts_[size_t(i)]->text();
        done(Accepted);
        if (!caller)
            return;
        if (!entry.writtenFields.isEmpty()) {
            for (qsizetype i = 0; i < entry.writtenFields.size() && i < kSlotCount; ++i)
                if (auto* field = caller->findChild<QLineEdit*>(entry.writtenFields[i]))
                    field->setText(texts[size_t(i)]);
        } else if (auto* field = qobject_cast<QLineEdit*>(caller->focusWidget())) {
            field->setText(value);
        }
        return;
    }
    // No calling dialog: into the page at the caret, the value left selected.
    if (!box_.Visible())
        return;
    const qint64 start = box_.SelStart();
    box_.SetSelText(value);
    const qint64 end = box_.SelStart();
    box_.SetSelStart(start);
    box_.SetSelLength(end - start);
    done(Accepted);
}

void frmColor::ClearClicked()
{
    timer_->stop();
    LoadPalette();
    PaintSamples();
    // The sliders follow the selected slot again, or the next tick would copy another slot's
    // colour over the value just reloaded.
    ShowSlotOnSliders(selected_);
    StartTimer();
}

void frmColor::done(int result)
{
    timer_->stop();
    SavePalette();
    QDialog::done(result);
}

bool frmColor::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* text = qobject_cast<QLineEdit*>(watched)) {
        // While a slot's value is typed the timer must not overwrite it.
        switch (event->type()) {
        case QEvent::FocusIn:
            timer_->stop();
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                text->selectAll();
            break;
        case QEvent::FocusOut: {
            // A menu over the box or another window in front does not end the typing.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                StartTimer();
            break;
        }
        case QEvent::DragEnter:
            text->selectAll();
            break;
        default:
            break;
        }
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < kSlotCount; ++i) {
            if (watched == samples_[size_t(i)]) {
                SelectSlot(i);
                // A sample lies on the page; the page must not take the click as its own.
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tl
