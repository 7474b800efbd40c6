#include "platform/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainterPath>
#include <QtTest>

using namespace tl;

namespace
{

// The outline a font draws for text, placed at the origin.
QPainterPath Outline(const QFont& font, const QString& text)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path;
}

QFont Face(const QStringList& families)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSize(12);
    return font;
}

} // namespace

class TestFonts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void editorFontFamilies_data();
    void editorFontFamilies();
    void editorFontDrawsAsciiAsAscii();
    void japaneseTakesTwoColumns_data();
    void japaneseTakesTwoColumns();
};

void TestFonts::editorFontFamilies_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("families");

    QTest::newRow("ms_mincho_itself_first")
        << QStringList{QStringLiteral("MS Mincho"), QStringLiteral("IPAMincho"),
                       QStringLiteral("Inconsolata")}
        << "ＭＳ 明朝,MS Mincho,IPAMincho,IPA明朝,Noto Serif CJK JP,IPAGothic,Monospace";
    QTest::newRow("full_width_name_too")
        << QStringList{QStringLiteral("ＭＳ 明朝")}
        << "ＭＳ 明朝,MS Mincho,IPAMincho,IPA明朝,Noto Serif CJK JP,IPAGothic,Monospace";
    QTest::newRow("elsewhere_half_em_latin_then_mincho")
        << QStringList{QStringLiteral("IPAMincho"), QStringLiteral("Inconsolata"),
                       QStringLiteral("DejaVu Sans Mono")}
        << "Inconsolata,IPAMincho,IPA明朝,Noto Serif CJK JP,IPAGothic,Monospace";
    QTest::newRow("nothing_known_installed")
        << QStringList{} << "Inconsolata,IPAMincho,IPA明朝,Noto Serif CJK JP,IPAGothic,Monospace";
}

void TestFonts::editorFontFamilies()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, families);
    QCOMPARE(EditorFontFamilies(installed).join(u','), families);
}

void TestFonts::editorFontDrawsAsciiAsAscii()
{
    const QFont font = EditorFont();
    // The faces the setup installs: the check below must not pass on a fallback by chance.
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("Inconsolata"));
    // The check itself tells a curly quote: IPA Mincho draws '"' as '”'.
    const QFont ipa = Face({QStringLiteral("IPAMincho")});
    QCOMPARE(Outline(ipa, QStringLiteral("\"")), Outline(ipa, QStringLiteral("”")));

    QVERIFY(Outline(font, QStringLiteral("\"")) != Outline(font, QStringLiteral("”")));
    QVERIFY(Outline(font, QStringLiteral("'")) != Outline(font, QStringLiteral("’")));
    // A straight quote is the same upside down: its outline is symmetric about its middle,
    // where a curly one is not.
    const QRectF box = Outline(font, QStringLiteral("'")).boundingRect();
    QTransform flip;
    flip.translate(0, box.top() + box.bottom());
    flip.scale(1, -1);
    const QRectF flipped = flip.map(Outline(font, QStringLiteral("'"))).boundingRect();
    QCOMPARE(flipped, box);
}

void TestFonts::japaneseTakesTwoColumns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("columns");
    QTest::newRow("ascii") << "<A HREF=\"0O1lI\">" << 16;
    QTest::newRow("kanji") << "日本語" << 6;
    QTest::newRow("hiragana_and_full_width_space") << "あ　い" << 6;
    QTest::newRow("half_width_katakana") << "ﾃｷｽﾄ" << 4;
    QTest::newRow("mixed") << "<P>日本</P>" << 11;
}

void TestFonts::japaneseTakesTwoColumns()
{
    QFETCH(QString, text);
    QFETCH(int, columns);
    const QFontMetrics metrics(EditorFont());
    QCOMPARE(metrics.horizontalAdvance(text), columns * metrics.horizontalAdvance(u'0'));
}

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
