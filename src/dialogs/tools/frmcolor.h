#pragma once

#include "core/dialogregistry.h"
#include "dialogs/tools/colorslots.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <array>

class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;
class QToolButton;

namespace tl
{

class cTextBox;
class Prompter;

// The colour picker, window title "Color". It edits seven colour slots shown on a small mock
// page; the sliders (or a swatch) set the colour that the timer copies into the selected slot.
// "Write" hands the selected slot's value to the dialog that opened it (the nearest of
// request.parent and its ancestors named in ColorCallers()): into its focused field, or for the
// page dialog the five page colours into their fields. Opened from anywhere else it inserts the
// value at the caret and leaves it selected. Every close saves the slots to the palette file.
class frmColor : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTickMilliseconds = 25;

    explicit frmColor(const DialogRequest& request);

    // One timer tick: marks the selected slot's label and, when the sliders show another colour
    // than the selected slot's text, keeps the old text for "OldColor..." and writes the slider
    // colour into the slot.
    void Tick();

    int SelectedSlot() const { return selected_; }

    // Every close, whatever its cause, saves the palette first.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMockPage(QFrame* page);
    QGridLayout* BuildSlots();
    QGridLayout* BuildSliders();
    QGridLayout* BuildSwatches();
    void SetKeyboardOrder();
    void EnsurePaletteFile();
    void LoadPalette();
    void SavePalette() const;
    void PresetFromCaller();
    void Activate();
    void PaintSamples();
    void PaintSample(int slot, const Rgb& rgb);
    void SelectSlot(int slot);
    void ShowSlotOnSliders(int slot);
    void RestoreOldColor(int slot);
    void ReloadSlotFromFile();
    void MarkSelectedLabel();
    Rgb SliderColor() const;
    void SetSliderColor(const Rgb& rgb);
    void StartTimer();
    void WriteClicked();
    void ClearClicked();

    cTextBox& box_;
    Prompter& prompts_;
    QPointer<QWidget> caller_;
    const ColorCaller* callerEntry_ = nullptr;
    QString palettePath_;
    QTimer* timer_;
    bool activated_ = false;
    int selected_ = 0;
    int markedSlot_ = -1;
    // A slot's text before the sliders last changed it.
    std::array<QString, kSlotCount> oldColors_;

    std::array<QRadioButton*, kSlotCount> options_{};
    std::array<QLabel*, kSlotCount> slotLabels_{};
    std::array<QLineEdit*, kSlotCount> slotTexts_{};
    std::array<QPushButton*, kSlotCount> oldColorButtons_{};
    // What shows each slot: Picture1, Sample_1 ... Sample_4, Line1, Picture3.
    std::array<QWidget*, kSlotCount> samples_{};
    std::array<QSlider*, 3> sliders_{};
    std::array<QToolButton*, kSwatchCount> swatches_{};
    QPushButton* writeButton_;
    QPushButton* clearButton_;
    QPushButton* closeButton_;
};

} // namespace tl
