// The colour picker's colour text conversions: a slot's text, its value, and the colour value
// the page's attributes take.
#include "dialogs/tools/colorslots.h"

#include <QtTest>

using namespace tl;

class TestColorSlots : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void slotText_data();
    void slotText();
    void slotValue_data();
    void slotValue();
    void colorValue_data();
    void colorValue();
};

void TestColorSlots::slotText_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<QString>("text");

    QTest::newRow("leading_zeros") << 10 << 200 << 5 << QStringLiteral("#0AC805");
    QTest::newRow("black") << 0 << 0 << 0 << QStringLiteral("#000000");
    QTest::newRow("white") << 255 << 255 << 255 << QStringLiteral("#FFFFFF");
    QTest::newRow("order_is_red_green_blue") << 1 << 171 << 240 << QStringLiteral("#01ABF0");
}

void TestColorSlots::slotText()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(QString, text);
    QCOMPARE(RgbToSlotText(Rgb{red, green, blue}), text);
    QCOMPARE(SlotTextToRgb(text), std::optional(Rgb{red, green, blue}));
}

void TestColorSlots::slotValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("rgb"); // "r,g,b", empty when refused

    QTest::newRow("upper_case") << QStringLiteral("#FF8000") << QStringLiteral("255,128,0");
    QTest::newRow("lower_case") << QStringLiteral("#ff80a0") << QStringLiteral("255,128,160");
    QTest::newRow("six_characters") << QStringLiteral("#12345") << QString();
    QTest::newRow("eight_characters") << QStringLiteral("#1234567") << QString();
    QTest::newRow("no_hash") << QStringLiteral("12345678") << QString();
    QTest::newRow("hash_elsewhere") << QStringLiteral("123456#") << QString();
    QTest::newRow("not_hex") << QStringLiteral("#GGGGGG") << QString();
    QTest::newRow("sign") << QStringLiteral("#+12345") << QString();
    QTest::newRow("space") << QStringLiteral("#12 456") << QString();
    QTest::newRow("leading_space") << QStringLiteral(" #12345") << QString();
    QTest::newRow("full_width_digit") << QStringLiteral("#12345１") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestColorSlots::slotValue()
{
    QFETCH(QString, text);
    QFETCH(QString, rgb);
    QCOMPARE(IsSlotValue(text), !rgb.isEmpty());
    const auto converted = SlotTextToRgb(text);
    QCOMPARE(converted ? QStringLiteral("%1,%2,%3")
                             .arg(converted->red)
                             .arg(converted->green)
                             .arg(converted->blue)
                       : QString(),
             rgb);
}

void TestColorSlots::colorValue_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");

    QTest::newRow("zero") << qint64(0) << 0 << 0 << 0;
    QTest::newRow("red_is_the_low_byte") << qint64(0x0000FF) << 255 << 0 << 0;
    QTest::newRow("orange") << qint64(0x0080FF) << 255 << 128 << 0;
    QTest::newRow("blue_is_the_high_byte") << qint64(0xC00000) << 0 << 0 << 192;
    QTest::newRow("system_colour") << qint64(-2147483633) << 192 << 192 << 192;
    QTest::newRow("minus_one") << qint64(-1) << 192 << 192 << 192;
}

void TestColorSlots::colorValue()
{
    QFETCH(qint64, value);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QCOMPARE(ColorValueToRgb(value), (Rgb{red, green, blue}));
    if (value >= 0)
        QCOMPARE(RgbToColorValue(Rgb{red, green, blue}), value);
}

QTEST_MAIN(TestColorSlots)
#include "tst_colorslots.moc"
