#include "platform/fonts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QSet>
#include <QTextLayout>
#include <QtTest>

using namespace tl;

namespace
{

// The face the edit box is expected to draw with. The run without that face installed (see
// tests/CMakeLists.txt) names its fallback instead.
QString ExpectedFace()
{
    return qEnvironmentVariable("TAGLOOM_EXPECTED_EDITOR_FACE",
                                QStringLiteral("Noto Sans Mono CJK JP"));
}

QPainterPath Outline(const QFont& font, const QString& text)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path;
}

// How far a glyph is from its own mirror image, left to right: the share of its ink that the
// mirror does not cover. A straight quote is nearly 0; a curly one, leaning one way, is not.
double MirrorDifference(const QFont& font, const QString& text)
{
    QFont large = font;
    large.setPixelSize(200);
    const QPainterPath path = Outline(large, text);
    const QRect box = path.boundingRect().toAlignedRect().adjusted(-2, -2, 2, 2);
    QImage image(box.size(), QImage::Format_Grayscale8);
    image.fill(0);
    QPainter painter(&image);
    painter.translate(-box.topLeft());
    painter.fillPath(path, Qt::white);
    painter.end();
    const QImage mirrored = image.mirrored(true, false);
    qint64 ink = 0;
    qint64 differing = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* a = image.constScanLine(y);
        const uchar* b = mirrored.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            ink += a[x] > 127;
            differing += (a[x] > 127) != (b[x] > 127);
        }
    }
    return ink == 0 ? 1.0 : double(differing) / double(ink);
}

QFont Face(const QString& family)
{
    QFont font(family);
    font.setPointSize(12);
    return font;
}

} // namespace

class TestFonts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void editorFace();
    void quotesAreStraight_data();
    void quotesAreStraight();
    void asciiHasOneAdvance();
    void columns_data();
    void columns();
    void oneFaceDrawsALine_data();
    void oneFaceDrawsALine();
};

void TestFonts::editorFace()
{
    // The checks below must not pass on a fallback by chance.
    QCOMPARE(QFontInfo(EditorFont()).family(), ExpectedFace());
}

void TestFonts::quotesAreStraight_data()
{
    QTest::addColumn<QString>("straight");
    QTest::addColumn<QString>("opening");
    QTest::addColumn<QString>("closing");
    QTest::newRow("double") << "\""
                            << "“"
                            << "”";
    QTest::newRow("single") << "'"
                            << "‘"
                            << "’";
}

void TestFonts::quotesAreStraight()
{
    QFETCH(QString, straight);
    QFETCH(QString, opening);
    QFETCH(QString, closing);
    // The measure tells the fault: IPA Mincho draws the ASCII quotes as its curly ones.
    const QFont ipa = Face(QStringLiteral("IPAMincho"));
    QCOMPARE(QFontInfo(ipa).family(), QStringLiteral("IPAMincho"));
    QCOMPARE(Outline(ipa, straight), Outline(ipa, closing));
    QVERIFY(MirrorDifference(ipa, straight) > 0.5);

    const QFont font = EditorFont();
    QVERIFY(Outline(font, straight) != Outline(font, opening));
    QVERIFY(Outline(font, straight) != Outline(font, closing));
    QVERIFY2(MirrorDifference(font, straight) < 0.1,
             qPrintable(QString::number(MirrorDifference(font, straight))));
}

void TestFonts::asciiHasOneAdvance()
{
    const QFontMetricsF metrics(EditorFont());
    const qreal column = metrics.horizontalAdvance(u'0');
    QVERIFY(column > 0);
    QString different;
    for (char16_t c = 0x20; c < 0x7F; ++c)
        if (metrics.horizontalAdvance(QChar(c)) != column)
            different += QChar(c);
    QCOMPARE(different, QString());
}

void TestFonts::columns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("columns");
    QTest::newRow("ascii") << "<A HREF=\"0O1lI\">" << 16;
    QTest::newRow("kanji") << "日本語" << 6;
    QTest::newRow("hiragana_and_full_width_space") << "あ　い" << 6;
    QTest::newRow("full_width_punctuation") << "「商品」：￥" << 12;
    QTest::newRow("half_width_katakana") << "ﾃｷｽﾄ" << 4;
    QTest::newRow("mixed") << "<P>日本</P>" << 11;
}

void TestFonts::columns()
{
    QFETCH(QString, text);
    QFETCH(int, columns);
    // The ruler and the long-line chunks count a Japanese character as two ASCII columns.
    const QFontMetricsF metrics(EditorFont());
    QCOMPARE(metrics.horizontalAdvance(text), columns * metrics.horizontalAdvance(u'0'));
}

void TestFonts::oneFaceDrawsALine_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("letter_and_combining_mark") << "e\u0301";
    QTest::newRow("marks_beside_japanese") << "日本cafe\u0301 re\u0301sume\u0301";
    QTest::newRow("tag_with_japanese") << "<A HREF=\"0O1lI\">詳細を見る</A>";
    QTest::newRow("kana_of_both_widths") << "ｶﾀｶﾅ と ひらがな、全角「　」";
}

void TestFonts::oneFaceDrawsALine()
{
    QFETCH(QString, text);
    // A mark drawn by another face than its letter is placed apart from it.
    QTextLayout layout(text, EditorFont());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QSet<QString> faces;
    for (const QGlyphRun& run : layout.glyphRuns())
        faces.insert(run.rawFont().familyName());
    QCOMPARE(faces, QSet<QString>{ExpectedFace()});
}

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
