#include "modaldialogs.h"
#include "platform/prompts.h"
#include "platform/translations.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace tl;

class TestPrompts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messageTextIsPlain();
    void buttonsAreJapanese();
    void enterChoosesTheDefaultAnswer_data();
    void enterChoosesTheDefaultAnswer();
    void choiceButtonsSayWhatTheyDo_data();
    void choiceButtonsSayWhatTheyDo();
    void qtTextsAreJapaneseInAnyLocale();
    void saveDialogAddsTheChosenFiltersExtension_data();
    void saveDialogAddsTheChosenFiltersExtension();
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

void TestPrompts::enterChoosesTheDefaultAnswer_data()
{
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgAnswer>("defaultAnswer");
    QTest::newRow("yes_no_yes") << MsgButtons::YesNo << MsgAnswer::Yes;
    QTest::newRow("yes_no_no") << MsgButtons::YesNo << MsgAnswer::No;
    QTest::newRow("yes_no_cancel_no") << MsgButtons::YesNoCancel << MsgAnswer::No;
    QTest::newRow("ok_cancel_cancel") << MsgButtons::OkCancel << MsgAnswer::Cancel;
}

void TestPrompts::enterChoosesTheDefaultAnswer()
{
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgAnswer, defaultAnswer);
    WidgetPrompter prompter;
    MessageRequest request{QStringLiteral("読み込み直しますか？"), QStringLiteral("Tagloom"),
                           buttons, MsgIcon::Question};
    request.defaultAnswer = defaultAnswer;
    test::OnNextModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box && box->defaultButton());
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(prompter.message(request), defaultAnswer);
}

void TestPrompts::choiceButtonsSayWhatTheyDo_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("clicked"); // the button clicked instead of a key; -1 none
    QTest::addColumn<int>("expected");
    QTest::newRow("enter_gives_the_default") << int(Qt::Key_Return) << -1 << 2;
    QTest::newRow("escape_gives_the_escape_choice") << int(Qt::Key_Escape) << -1 << 2;
    QTest::newRow("a_click_gives_its_button") << 0 << 0 << 0;
}

void TestPrompts::choiceButtonsSayWhatTheyDo()
{
    QFETCH(int, key);
    QFETCH(int, clicked);
    QFETCH(int, expected);
    WidgetPrompter prompter;
    ChoiceRequest request;
    request.text = QStringLiteral("保存できません。");
    request.title = QStringLiteral("Tagloom");
    request.choices = QStringList{QStringLiteral("文字参照で保存(&R)"),
                                  QStringLiteral("UTF-8 で保存(&U)"), QStringLiteral("キャンセル")};
    request.defaultChoice = request.escapeChoice = 2;
    QStringList captions;
    test::OnNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        for (QAbstractButton* b : box->buttons())
            captions << b->text();
        QAbstractButton* target = nullptr;
        for (QAbstractButton* b : box->buttons())
            if (clicked >= 0 && b->text() == request.choices[clicked])
                target = b;
        if (target)
            target->click();
        else
            QTest::keyClick(box, Qt::Key(key));
    });
    QCOMPARE(prompter.choose(request), expected);
    captions.sort();
    QStringList wanted = request.choices;
    wanted.sort();
    QCOMPARE(captions, wanted);
}

void TestPrompts::qtTextsAreJapaneseInAnyLocale()
{
    // A user whose desktop speaks English still gets Qt's dialogs in the program's language.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(InstallQtTranslations(*qApp));
    QLocale::setDefault(before);
    auto japanese = [](const QString& text) {
        return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
            return c.script() == QChar::Script_Katakana || c.script() == QChar::Script_Han;
        });
    };
    // Qt's own file dialog, and the standard buttons of its message boxes.
    QVERIFY(japanese(QCoreApplication::translate("QFileDialog", "Look in:")));
    QVERIFY(japanese(QCoreApplication::translate("QPlatformTheme", "Cancel")));
}

// The real save dialog, worked as a user does: choose a file type, type a name without an
// extension, press Enter.
void TestPrompts::saveDialogAddsTheChosenFiltersExtension_data()
{
    QTest::addColumn<int>("downs"); // Down presses on the file type list
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("html_is_the_first_type") << 0 << "page"
                                            << "page.htm";
    QTest::newRow("asp") << 1 << "page"
                         << "page.asp";
    QTest::newRow("text") << 2 << "page"
                          << "page.txt";
    QTest::newRow("all_files_takes_the_default") << 3 << "page"
                                                 << "page.TXT";
    QTest::newRow("back_to_html") << 0 << "index"
                                  << "index.htm";
    QTest::newRow("a_typed_extension_stays") << 0 << "notes.asp"
                                             << "notes.asp";
}

void TestPrompts::saveDialogAddsTheChosenFiltersExtension()
{
    QFETCH(int, downs);
    QFETCH(QString, typed);
    QFETCH(QString, saved);

    QTemporaryDir dir;
    WidgetPrompter prompter;
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.startFolder = dir.path();
    request.filter =
        QStringLiteral("HTML ﾌｧｲﾙ|*.htm|Asp ﾌｧｲﾙ|*.asp|ﾃｷｽﾄ ﾌｧｲﾙ|*.txt|すべてのﾌｧｲﾙ(*.*)|*.*");
    request.defaultSuffix = QStringLiteral("TXT");
    test::OnNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        QVERIFY(dialog);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(types && name);
        types->setFocus();
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(types, Qt::Key_Down);
        QCOMPARE(types->currentIndex(), downs);
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, typed);
        QTest::keyClick(name, Qt::Key_Return);
    });
    const QString chosen = prompter.fileName(request);
    QCOMPARE(chosen, dir.path() + u'/' + saved);
}

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"
