#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

namespace tl
{

// The colour picker's palette file in the program folder and its one section.
inline const QString kPaletteFile = QStringLiteral("TL_Color.ini");
inline const QString kPaletteSection = QStringLiteral("ColorData");

constexpr int kSlotCount = 7;
constexpr int kSwatchCount = 45;
// Swatches are laid out top to bottom in columns of this many.
constexpr int kSwatchesPerColumn = 15;

// The slots whose samples show a text colour; the others show a background.
constexpr bool IsTextColorSlot(int slot)
{
    return slot >= 1 && slot <= 4;
}

// A colour as the three sliders hold it, each 0 to 255.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    bool operator==(const Rgb&) const = default;
};

// One of the seven named colours the picker edits.
struct ColorSlot {
    QString caption;      // of its label, "背景色"
    QString key;          // in the palette file, "BackColor"
    QString defaultValue; // "#000000"
};

const std::array<ColorSlot, kSlotCount>& ColorSlots();

// A slot value: exactly seven characters, "#" and six hexadecimal digits in either case.
bool IsSlotValue(QStringView text);

// The colour of a slot value; nullopt for anything IsSlotValue refuses.
std::optional<Rgb> SlotTextToRgb(QStringView text);

// "#" and two upper-case hexadecimal digits each for red, green and blue.
QString RgbToSlotText(const Rgb& rgb);

// A colour value with red in the low byte, then green, then blue. A negative value names a
// system colour, which has no fixed red, green and blue: it is taken as grey 192, 192, 192.
Rgb ColorValueToRgb(qint64 value);
qint64 RgbToColorValue(const Rgb& rgb);

// The swatch colours in order ("#FFFFFF", "#E0E0E0", ...).
const std::array<QString, kSwatchCount>& SwatchColors();

// A caller's field that fills a slot as the picker opens.
struct SlotPreset {
    int slot;
    QString field; // objectName of the caller's QLineEdit
};

// A dialog that opens the picker for one of its colour fields.
struct ColorCaller {
    QString name; // the dialog's objectName
    std::vector<SlotPreset> presets;
    // "Write" fills these fields from the slots 0, 1, ... in order; when empty, "Write" puts the
    // selected slot's value into the caller's focused field instead.
    QStringList writtenFields;
};

const std::vector<ColorCaller>& ColorCallers();

// The slot selected as the picker opens: the caller's own colour for a dialog with one colour
// field, so that "Write" at once gives back that field's colour; slot 0 otherwise.
int InitialSlot(const ColorCaller* caller);
// Nullptr when name is no caller's.
const ColorCaller* FindColorCaller(QStringView name);

} // namespace tl
