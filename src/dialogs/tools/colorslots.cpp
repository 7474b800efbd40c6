#include "dialogs/tools/colorslots.h"

namespace tl
{

namespace
{

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

QString TwoHexDigits(int value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

const std::array<ColorSlot, kSlotCount>& ColorSlots()
{
    static const std::array<ColorSlot, kSlotCount> slots{{
        {QStringLiteral("背景色"), QStringLiteral("BackColor"), QStringLiteral("#000000")},
        {QStringLiteral("テキスト"), QStringLiteral("Text1"), QStringLiteral("#FFFF00")},
        {QStringLiteral("リンクテキスト"), QStringLiteral("Text2"), QStringLiteral("#0000FF")},
        {QStringLiteral("アクセス済リンク"), QStringLiteral("Text3"), QStringLiteral("#FFFFFF")},
        {QStringLiteral("アクセス中リンク"), QStringLiteral("Text4"), QStringLiteral("#0000FF")},
        {QStringLiteral("ラインの色"), QStringLiteral("Text5"), QStringLiteral("#FFFFFF")},
        {QStringLiteral("BOXの色"), QStringLiteral("Text6"), QStringLiteral("#FFFFFF")},
    }};
    return slots;
}

bool IsSlotValue(QStringView text)
{
    if (text.size() != 7 || text[0] != u'#')
        return false;
    for (qsizetype i = 1; i < 7; ++i)
        if (HexDigit(text[i]) < 0)
            return false;
    return true;
}

std::optional<Rgb> SlotTextToRgb(QStringView text)
{
    if (!IsSlotValue(text))
        return std::nullopt;
    auto pair = [&](qsizetype at) { return HexDigit(text[at]) * 16 + HexDigit(text[at + 1]); };
    return Rgb{pair(1), pair(3), pair(5)};
}

QString RgbToSlotText(const Rgb& rgb)
{
    return u'#' + TwoHexDigits(rgb.red) + TwoHexDigits(rgb.green) + TwoHexDigits(rgb.blue);
}

Rgb ColorValueToRgb(qint64 value)
{
    if (value < 0)
        return Rgb{192, 192, 192};
    return Rgb{int(value & 255), int((value / 256) & 255), int((value / 65536) & 255)};
}

qint64 RgbToColorValue(const Rgb& rgb)
{
    return qint64(rgb.red & 255) | qint64(rgb.green & 255) << 8 | qint64(rgb.blue & 255) << 16;
}

const std::array<QString, kSwatchCount>& SwatchColors()
{
    static const std::array<QString, kSwatchCount> colors{
        // First column: greys, reds, oranges.
        QStringLiteral("#FFFFFF"),
        QStringLiteral("#E0E0E0"),
        QStringLiteral("#C0C0C0"),
        QStringLiteral("#808080"),
        QStringLiteral("#404040"),
        QStringLiteral("#FFC0C0"),
        QStringLiteral("#FF8080"),
        QStringLiteral("#FF0000"),
        QStringLiteral("#C00000"),
        QStringLiteral("#800000"),
        QStringLiteral("#400000"),
        QStringLiteral("#FFE0C0"),
        QStringLiteral("#FFC080"),
        QStringLiteral("#FF8000"),
        QStringLiteral("#C04000"),
        // Second column: browns, yellows, greens, light cyans.
        QStringLiteral("#804000"),
        QStringLiteral("#804040"),
        QStringLiteral("#FFFFC0"),
        QStringLiteral("#FFFF80"),
        QStringLiteral("#C0C000"),
        QStringLiteral("#808000"),
        QStringLiteral("#404000"),
        QStringLiteral("#C0FFC0"),
        QStringLiteral("#80FF80"),
        QStringLiteral("#00FF00"),
        QStringLiteral("#00C000"),
        QStringLiteral("#008000"),
        QStringLiteral("#004000"),
        QStringLiteral("#C0FFFF"),
        QStringLiteral("#80FFFF"),
        // Third column: cyans, blues, magentas.
        QStringLiteral("#00C0C0"),
        QStringLiteral("#008080"),
        QStringLiteral("#004040"),
        QStringLiteral("#C0C0FF"),
        QStringLiteral("#8080FF"),
        QStringLiteral("#0000FF"),
        QStringLiteral("#0000C0"),
        QStringLiteral("#000080"),
        QStringLiteral("#000040"),
        QStringLiteral("#FFC0FF"),
        QStringLiteral("#FF80FF"),
        QStringLiteral("#FF00FF"),
        QStringLiteral("#C000C0"),
        QStringLiteral("#800080"),
        QStringLiteral("#400040"),
    };
    return colors;
}

const std::vector<ColorCaller>& ColorCallers()
{
    auto focused = [](const QString& name, int slot, const QString& field) {
        return ColorCaller{name, {SlotPreset{slot, field}}, {}};
    };
    static const std::vector<ColorCaller> callers{
        ColorCaller{QStringLiteral("frmPage"),
                    {{0, QStringLiteral("Text2")},
                     {1, QStringLiteral("Text3")},
                     {2, QStringLiteral("Text4")},
                     {3, QStringLiteral("Text5")},
                     {4, QStringLiteral("Text6")}},
                    {QStringLiteral("Text2"), QStringLiteral("Text3"), QStringLiteral("Text4"),
                     QStringLiteral("Text5"), QStringLiteral("Text6")}},
        focused(QStringLiteral("frmFont"), 1, QStringLiteral("Text1")),
        focused(QStringLiteral("frmLines"), 5, QStringLiteral("Text3")),
        focused(QStringLiteral("frmScroll"), 6, QStringLiteral("Text2")),
        focused(QStringLiteral("frmTable"), 6, QStringLiteral("Text9")),
        focused(QStringLiteral("frmTR"), 6, QStringLiteral("Text1")),
        focused(QStringLiteral("frmTHD"), 6, QStringLiteral("Text1")),
    };
    return callers;
}

int InitialSlot(const ColorCaller* caller)
{
    if (!caller || !caller->writtenFields.isEmpty() || caller->presets.size() != 1)
        return 0;
    return caller->presets.front().slot;
}

const ColorCaller* FindColorCaller(QStringView name)
{
    for (const ColorCaller& caller : ColorCallers())
        if (caller.name == name)
            return &caller;
    return nullptr;
}

} // namespace tl
