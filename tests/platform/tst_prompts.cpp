#include "modaldialogs.h"
#include "platform/prompts.h"
#include "platform/translations.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QtTest>

using namespace tl;

class TestPrompts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messageTextIsPlain();
    void buttonsAreJapanese();
    void qtTextsAreJapaneseInAJapaneseLocale();
};

void TestPrompts::messageTextIsPlain()
{
    // A search for "<HTML>" reports it by quoting it; a rich-text box would swallow the tag.
    const QString text = QStringLiteral("文字列 \"<HTML>\" が見つかりません。<b>zzz</b>");
    WidgetPrompter prompter;
    QString shown;
    Qt::TextFormat format = Qt::RichText;
    test::OnNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        format = box->textFormat();
        shown = box->text();
        // What a sighted user reads: the label's own text, shown as plain text.
        for (QLabel* label : box->findChildren<QLabel*>())
            if (label->text() == text)
                QCOMPARE(label->textFormat(), Qt::PlainText);
    });
    prompter.inform(text, QStringLiteral("Tagloom"));
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(shown, text);
}

void TestPrompts::buttonsAreJapanese()
{
    WidgetPrompter prompter;
    QStringList texts;
    test::OnNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        for (QAbstractButton* b : box->buttons())
            texts << b->text();
    });
    prompter.ask(QStringLiteral("保存しますか？"), QStringLiteral("Tagloom"),
                 MsgButtons::YesNoCancel, MsgIcon::Exclamation);
    QStringList expected{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"),
                         QStringLiteral("キャンセル")};
    texts.sort();
    expected.sort();
    QCOMPARE(texts, expected);
}

void TestPrompts::qtTextsAreJapaneseInAJapaneseLocale()
{
    QVERIFY(!InstallQtTranslations(*qApp, QLocale(QLocale::English)));
    if (!InstallQtTranslations(*qApp, QLocale(QLocale::Japanese)))
        QSKIP("Qt's Japanese translations are not installed (qt6-translations-l10n)");
    // A text of Qt's own file dialog comes in Japanese.
    const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    QVERIFY(lookIn != QStringLiteral("Look in:"));
    QVERIFY(std::any_of(lookIn.cbegin(), lookIn.cend(), [](QChar c) {
        return c.script() == QChar::Script_Katakana || c.script() == QChar::Script_Han;
    }));
}

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"
