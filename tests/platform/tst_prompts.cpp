#include "modaldialogs.h"
#include "platform/prompts.h"

#include <QLabel>
#include <QMessageBox>
#include <QtTest>

using namespace tl;

class TestPrompts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messageTextIsPlain();
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

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"
