#include "commands/toolbarmap.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstdlib>

using namespace tl;
using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(tl::ToolbarCommand)

class TestToolbarMap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void buttonCounts_data();
    void buttonCounts();
    void keysAreUniqueObjectNames();
    void commandsMatchInsertCodes();
    void pinnedButtons_data();
    void pinnedButtons();
    void unknownToolbarAndKey();
    void picturesAreExactlyTheTables();
    void everyPictureRenders_data();
    void everyPictureRenders();
    void themeIconPreferred_data();
    void themeIconPreferred();
};

void TestToolbarMap::init()
{
    // QtSvg reports what it cannot draw only as a warning; a picture that half renders must fail.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestToolbarMap::buttonCounts_data()
{
    QTest::addColumn<QString>("toolbar");
    QTest::addColumn<int>("count");
    QTest::newRow("file_edit_and_navigation") << "Toolbar" << 25;
    QTest::newRow("html_text_and_media") << "Toolbar1" << 30;
    QTest::newRow("forms_tables_frames_links_asp_statements") << "Toolbar2" << 31;
    QTest::newRow("asp_objects") << "Toolbar3" << 32;
}

void TestToolbarMap::buttonCounts()
{
    QFETCH(QString, toolbar);
    QFETCH(int, count);
    const auto buttons = ToolbarButtons(toolbar);
    QCOMPARE(int(buttons.size()), count);
    // A separator in front of the first button would stand alone at the toolbar's edge.
    QVERIFY(!buttons.front().separatorBefore);
}

void TestToolbarMap::keysAreUniqueObjectNames()
{
    // The toolbars follow each other in the table, so their buttons add up to all of it.
    qsizetype total = 0;
    for (QStringView toolbar : ToolbarNames())
        total += qsizetype(ToolbarButtons(toolbar).size());
    QCOMPARE(total, qsizetype(ToolbarButtons().size()));
    QCOMPARE(total, 118);

    // Unique over all four toolbars, not just within each: the picture files are named by key.
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    QSet<QString> keys;
    for (const ToolbarButton& b : ToolbarButtons()) {
        const QString key = b.key.toString();
        QVERIFY2(identifier.match(key).hasMatch(), qPrintable(key));
        QVERIFY2(!keys.contains(key), qPrintable(key));
        keys.insert(key);
        QVERIFY2(!b.toolTip.isEmpty(), qPrintable(key));
    }
}

void TestToolbarMap::commandsMatchInsertCodes()
{
    // Insert buttons carry a code the dispatcher knows; every other command runs from exactly
    // one button, so a copied row that kept its neighbour's command shows up here.
    QSet<int> commandsSeen;
    for (const ToolbarButton& b : ToolbarButtons()) {
        const QString key = b.key.toString();
        if (b.command == ToolbarCommand::RunInsertCommand) {
            QVERIFY2(b.insertCode >= 1 && b.insertCode <= 96, qPrintable(key));
            QVERIFY2(b.insertCode != 4 && b.insertCode != 45 && b.insertCode != 50,
                     qPrintable(key));
        } else {
            QVERIFY2(b.insertCode == 0, qPrintable(key));
            QVERIFY2(!commandsSeen.contains(int(b.command)), qPrintable(key));
            commandsSeen.insert(int(b.command));
        }
    }
    // Every command of the enumeration but RunInsertCommand has its button.
    QCOMPARE(commandsSeen.size(), 25);
}

void TestToolbarMap::pinnedButtons_data()
{
    QTest::addColumn<QString>("toolbar");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<ToolbarCommand>("command");
    QTest::addColumn<int>("insertCode");

    using C = ToolbarCommand;
    QTest::newRow("toolbar_starts_with_new")
        << "Toolbar" << 0 << "FileNewButton" << u"新規文書"_s << C::NewDocument << 0;
    QTest::newRow("toolbar_save_stands_third")
        << "Toolbar" << 2 << "FileSaveButton" << u"文書の保存"_s << C::SaveDocument << 0;
    QTest::newRow("toolbar_data_after_find")
        << "Toolbar" << 8 << "DataButton" << u"キーボードデーター"_s << C::ShowUserTexts << 0;
    QTest::newRow("toolbar_line_break_is_insert_code_44")
        << "Toolbar" << 12 << "CllFButton" << u"文書の改行"_s << C::RunInsertCommand << 44;
    QTest::newRow("toolbar_half_width_kana_tip")
        << "Toolbar" << 17 << "ImgBrowButton" << u"ｲﾒｰｼﾞ ﾌﾞﾗｳｻﾞｰ"_s << C::InsertImageReference << 0;
    QTest::newRow("toolbar_ends_with_browser")
        << "Toolbar" << 24 << "ExplorerButton" << u"ブラウザー表示"_s << C::ViewInBrowser << 0;
    QTest::newRow("toolbar1_starts_with_title")
        << "Toolbar1" << 0 << "TitleButton" << u"タイトル"_s << C::RunInsertCommand << 17;
    QTest::newRow("toolbar1_font_tip_has_ideographic_spaces")
        << "Toolbar1" << 5 << "FontButton" << u"ｶﾗｰ\u3000フォント\u3000ｻｲｽﾞ指定"_s
        << C::RunInsertCommand << 29;
    QTest::newRow("toolbar1_ends_with_tag_delete")
        << "Toolbar1" << 29 << "CatButton" << u"タグ削除"_s << C::RunInsertCommand << 57;
    QTest::newRow("toolbar2_starts_with_form")
        << "Toolbar2" << 0 << "FormButton" << u"フォーム"_s << C::RunInsertCommand << 42;
    QTest::newRow("toolbar2_submit_tip_mixes_widths")
        << "Toolbar2" << 4 << "SubmiButton" << u"Input\u3000送信ﾎﾞﾀﾝ"_s << C::RunInsertCommand
        << 10;
    QTest::newRow("toolbar2_frame_opens_frameset_dialog")
        << "Toolbar2" << 13 << "FrameButton" << u"フレーム"_s << C::RunInsertCommand << 38;
    QTest::newRow("toolbar2_frame_set_opens_frame_dialog")
        << "Toolbar2" << 15 << "FrameSetButton" << u"フレーム設定"_s << C::RunInsertCommand << 39;
    QTest::newRow("toolbar2_script_key_spelt_buton")
        << "Toolbar2" << 25 << "ScriptButon" << u"Script"_s << C::RunInsertCommand << 60;
    QTest::newRow("toolbar2_asp_expression_tip")
        << "Toolbar2" << 27 << "AspStartEndButton" << u"＜％ ＝\u3000\u3000％＞"_s
        << C::RunInsertCommand << 92;
    QTest::newRow("toolbar2_ends_with_database_browser")
        << "Toolbar2" << 30 << "MdbTableButton" << u"ＭＤＢファイル"_s << C::ShowMdbTable << 0;
    QTest::newRow("toolbar3_starts_with_scope")
        << "Toolbar3" << 0 << "ScopeButton" << u"Scope"_s << C::RunInsertCommand << 59;
    QTest::newRow("toolbar3_tip_quotes_inside_parentheses")
        << "Toolbar3" << 2 << "ApplicationButton" << u"Application(\" \")"_s << C::RunInsertCommand
        << 90;
    QTest::newRow("toolbar3_session_end_key_without_button")
        << "Toolbar3" << 18 << "Session_OnEnd" << u"Session_OnEnd"_s << C::RunInsertCommand << 88;
    QTest::newRow("toolbar3_quote_join_left")
        << "Toolbar3" << 23 << "TenLeftButton" << u"\" ・"_s << C::RunInsertCommand << 69;
    QTest::newRow("toolbar3_quote_join_both_seven_spaces")
        << "Toolbar3" << 24 << "TenBothButton" << u"\" ・       ・ \""_s << C::RunInsertCommand
        << 70;
    QTest::newRow("toolbar3_quote_join_right")
        << "Toolbar3" << 25 << "TenRightButton" << u"・ \""_s << C::RunInsertCommand << 71;
    QTest::newRow("toolbar3_ends_with_recordset_method")
        << "Toolbar3" << 31 << "MethodButton" << u"Recordsetメソッド"_s << C::RunInsertCommand
        << 77;
}

void TestToolbarMap::pinnedButtons()
{
    QFETCH(QString, toolbar);
    QFETCH(int, index);
    QFETCH(QString, key);
    QFETCH(QString, toolTip);
    QFETCH(ToolbarCommand, command);
    QFETCH(int, insertCode);

    const ToolbarButton& b = ToolbarButtons(toolbar)[size_t(index)];
    QCOMPARE(b.toolbar.toString(), toolbar);
    QCOMPARE(b.key.toString(), key);
    QCOMPARE(b.toolTip.toString(), toolTip);
    QCOMPARE(b.command, command);
    QCOMPARE(int(b.insertCode), insertCode);
    QCOMPARE(FindToolbarButton(toolbar, key), &b);
}

void TestToolbarMap::unknownToolbarAndKey()
{
    QVERIFY(ToolbarButtons(u"Toolbar4").empty());
    // Keys are looked up on their own toolbar only.
    QCOMPARE(FindToolbarButton(u"Toolbar1", u"FileNewButton"), nullptr);
    QCOMPARE(FindToolbarButton(u"Toolbar", u"filenewbutton"), nullptr);
}

void TestToolbarMap::picturesAreExactlyTheTables()
{
    QStringList inTable;
    for (const ToolbarButton& b : ToolbarButtons())
        inTable << b.iconPath.toString();
    QStringList inResources;
    QDirIterator it(QStringLiteral(":/icons"), {QStringLiteral("*.svg")}, QDir::Files);
    while (it.hasNext())
        inResources << it.next();
    inTable.sort();
    inResources.sort();
    QCOMPARE(inResources, inTable);
}

void TestToolbarMap::everyPictureRenders_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("small_toolbar_16px") << 16;
    QTest::newRow("large_toolbar_24px") << 24;
}

void TestToolbarMap::everyPictureRenders()
{
    QFETCH(int, size);
    for (const ToolbarButton& b : ToolbarButtons()) {
        const QString key = b.key.toString();
        // Our own picture, whatever icon theme the machine has.
        const QImage image = QIcon(b.iconPath.toString())
                                 .pixmap(size, size)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(size, size));
        // The tile is the most common colour; the glyph is whatever stands out from it.
        QHash<QRgb, int> colours;
        int opaque = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() > 100) {
                    ++opaque;
                    ++colours[c.rgb()];
                }
            }
        }
        const QColor tile = QColor::fromRgb(
            std::max_element(colours.keyValueBegin(), colours.keyValueEnd(), [](auto a, auto b) {
                return a.second < b.second;
            })->first);
        int ink = 0;
        for (auto [rgb, count] : colours.asKeyValueRange()) {
            const QColor c = QColor::fromRgb(rgb);
            const int distance = std::abs(c.red() - tile.red()) +
                                 std::abs(c.green() - tile.green()) +
                                 std::abs(c.blue() - tile.blue());
            ink += distance > 150 ? count : 0;
        }
        // The tile fills the square but for its rounded corners; the glyph covers at least a
        // few percent even for a thin label like "../", and nothing when it was lost.
        const int area = size * size;
        QVERIFY2(opaque > area * 8 / 10, qPrintable(key));
        QVERIFY2(ink > area / 50, qPrintable(key));
    }
}

void TestToolbarMap::themeIconPreferred_data()
{
    QTest::addColumn<QString>("toolbar");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("themeName");
    QTest::newRow("theme_has_it") << "Toolbar"
                                  << "FileNewButton"
                                  << "document-new";
    QTest::newRow("theme_lacks_it_so_ours") << "Toolbar"
                                            << "FileOpenButton"
                                            << "";
    QTest::newRow("no_theme_name_so_ours") << "Toolbar1"
                                           << "TitleButton"
                                           << "";
}

void TestToolbarMap::themeIconPreferred()
{
    QFETCH(QString, toolbar);
    QFETCH(QString, key);
    QFETCH(QString, themeName);
    const ToolbarButton* button = FindToolbarButton(toolbar, key);
    QVERIFY(button);

    // A theme of one icon, the only place the lookup may search.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("tltest/scalable/actions")));
    QFile index(dir.filePath(QStringLiteral("tltest/index.theme")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=tltest\nDirectories=scalable/actions\n\n"
                "[scalable/actions]\nSize=24\nMinSize=8\nMaxSize=512\nType=Scalable\n");
    index.close();
    QVERIFY(QFile::copy(QStringLiteral(":/icons/CutButton.svg"),
                        dir.filePath(QStringLiteral("tltest/scalable/actions/document-new.svg"))));

    const QStringList oldPaths = QIcon::themeSearchPaths();
    const QStringList oldFallbackPaths = QIcon::fallbackSearchPaths();
    const QString oldTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({dir.path()});
    QIcon::setFallbackSearchPaths({});
    QIcon::setThemeName(QStringLiteral("tltest"));

    const QIcon icon = ToolbarIcon(*button);
    const QString name = icon.name();
    const bool renders = !icon.pixmap(24, 24).isNull();

    QIcon::setThemeName(oldTheme);
    QIcon::setThemeSearchPaths(oldPaths);
    QIcon::setFallbackSearchPaths(oldFallbackPaths);

    QCOMPARE(name, themeName);
    QVERIFY(renders);
}

QTEST_MAIN(TestToolbarMap)
#include "tst_toolbarmap.moc"
