// What every tag dialog shares: the attribute form, the buttons and their tab order, the
// colour and file buttons, and failures inside a dialog's handlers.
#include "core/appstate.h"
#include "dialogkit/tagdialog.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "fixtures.h"
#include "platform/errors.h"
#include "platform/programfolder.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace tl;

namespace
{

// A tag dialog with an image field and a colour field, each with its button. Its output is
// the two fields as attributes; OK with an empty Text1 fails, OK with Text1 "ng" is refused.
class ProbeDialog : public TagDialog
{
public:
    explicit ProbeDialog(const DialogRequest& request)
        : TagDialog(request, QStringLiteral("frmProbe"), QStringLiteral("Probe"))
    {
        QLabel* label = nullptr;
        text1 = MakeTextField(QStringLiteral("Text1"), QStringLiteral("Label1"),
                              QStringLiteral("画像(&G)"), &label);
        Body()->addWidget(label);
        Body()->addWidget(text1);
        cmdImg = new QPushButton(QStringLiteral("参照...."), this);
        Body()->addWidget(cmdImg);
        text2 = MakeTextField(QStringLiteral("Text2"), QStringLiteral("Label2"),
                              QStringLiteral("色"), &label);
        Body()->addWidget(label);
        Body()->addWidget(text2);
        cmdColor = new QPushButton(QStringLiteral("参照...."), this);
        Body()->addWidget(cmdColor);
        Body()->addWidget(MakeQuotePair(QStringLiteral("Frame1"), QStringLiteral("Option1"),
                                        QStringLiteral("Option2")));
        connect(cmdImg, &QPushButton::clicked, this,
                [this] { PickFile(text1, QStringLiteral("GIF|*.gif")); });
        connect(cmdColor, &QPushButton::clicked, this, [this] { PickColor(text2); });
    }

    QLineEdit* text1;
    QLineEdit* text2;
    QPushButton* cmdImg;
    QPushButton* cmdColor;

protected:
    void Opening() override
    {
        text1->setText(OldText());
        SetQuote(QuoteStyleOf(OldText()));
    }
    std::optional<QString> Compose() override
    {
        if (text1->text().isEmpty())
            throw RunTimeError(QStringLiteral("no image"));
        if (text1->text() == u"ng") {
            ShowValidationMessage(text1, QStringLiteral("画像を指定してください"),
                                  QStringLiteral("Probe"));
            return std::nullopt;
        }
        return QStringLiteral("<IMG") + AttributeText(u"SRC", text1->text(), Quote()) +
               AttributeText(u"BORDER", text2->text(), Quote()) + u'>';
    }
};

struct Editor : test::BoxFixture {
    test::TempHome home;

    explicit Editor(const QString& text) { box.SetText(text); }
    DialogRequest request(QWidget* parent = nullptr) { return {state, box, parent, QString()}; }
};

// The names of the focusable controls in tab order, from the one that has the focus on.
QString TabOrder(QWidget* dialog)
{
    QWidget* first = dialog->focusWidget();
    if (!first)
        return QStringLiteral("no focus");
    QStringList names;
    QWidget* w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && dialog->isAncestorOf(w))
            names << (w->objectName().isEmpty() ? QStringLiteral("?") : w->objectName());
        w = w->nextInFocusChain();
    } while (w != first);
    return names.join(u' ');
}

} // namespace

class TestTagDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void attributeText_data();
    void attributeText();
    void controlsAndTabOrder();
    void okDeliversOverTheEditTarget();
    void okFailureOrRefusalKeepsDialogOpen();
    void closeButtonCancels();
    void fileButton_data();
    void fileButton();
    void pickersWriteIntoTheFocusedField_data();
    void pickersWriteIntoTheFocusedField();
};

void TestTagDialog::attributeText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("single");
    QTest::addColumn<QString>("text");

    QTest::newRow("double_quotes") << "ALIGN"
                                   << "center" << false << " ALIGN=\"center\"";
    QTest::newRow("single_quotes") << "ALIGN"
                                   << "center" << true << " ALIGN='center'";
    QTest::newRow("name_upper_cased_value_kept") << "bgColor"
                                                 << "#FFffFF" << false << " BGCOLOR=\"#FFffFF\"";
    QTest::newRow("spaces_and_quotes_in_value_kept_unescaped")
        << "ALT"
        << " a \"b\" 'c' " << true << " ALT=' a \"b\" 'c' '";
    QTest::newRow("empty_value_writes_nothing") << "ALIGN"
                                                << "" << false << "";
}

void TestTagDialog::attributeText()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(bool, single);
    QFETCH(QString, text);
    QCOMPARE(AttributeText(name, value, single ? QuoteStyle::Single : QuoteStyle::Double), text);
}

void TestTagDialog::controlsAndTabOrder()
{
    Editor e{QString()};
    ProbeDialog dialog(e.request());
    dialog.show();
    QCOMPARE(TabOrder(&dialog), QStringLiteral("Text1 ? Text2 ? Option1 Option2 CmdOK CmdCansel"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label2"))->buddy(), dialog.text2);
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("CmdOK"))->text(),
             QStringLiteral("Ｏ　Ｋ"));
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("CmdCansel"))->text(),
             QStringLiteral("キャンセル(ESC)"));
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        QVERIFY2(!b->isDefault() && !b->autoDefault(), qPrintable(b->text()));
    dialog.reject();
}

void TestTagDialog::okDeliversOverTheEditTarget()
{
    Editor e(QStringLiteral("ab<IMG SRC='a.gif'>cd"));
    e.state.EditTarget = TagRange{3, 17};
    ProbeDialog dialog(e.request());
    dialog.show();
    QCOMPARE(dialog.text1->text(), QStringLiteral("<IMG SRC='a.gif'>"));
    dialog.text1->setText(QStringLiteral("b.gif"));
    dialog.text2->setText(QStringLiteral("0"));
    dialog.findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(e.box.Text(), QStringLiteral("ab<IMG SRC='b.gif' BORDER='0'>cd"));
    QCOMPARE(e.state.EditTarget, TagRange{});
}

void TestTagDialog::okFailureOrRefusalKeepsDialogOpen()
{
    Editor e(QStringLiteral("text"));
    ProbeDialog dialog(e.request());
    dialog.show();
    dialog.findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(e.prompts.messages.size(), 1);
    QCOMPARE(e.prompts.messages[0].text, QStringLiteral("no image"));
    QCOMPARE(e.prompts.messages[0].title, QStringLiteral("Tagloom"));

    dialog.text1->setText(QStringLiteral("ng"));
    dialog.text2->setFocus();
    dialog.findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(e.prompts.messages.size(), 2);
    QCOMPARE(e.prompts.messages[1].text, QStringLiteral("画像を指定してください"));
    QCOMPARE(dialog.focusWidget(), dialog.text1);
    QCOMPARE(e.box.Text(), QStringLiteral("text"));
    QVERIFY(!e.prompts.unplanned);
    dialog.reject();
}

void TestTagDialog::closeButtonCancels()
{
    Editor e(QStringLiteral("<IMG>"));
    e.state.EditTarget = TagRange{1, 5};
    ProbeDialog dialog(e.request());
    dialog.show();
    QVERIFY(dialog.close());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(e.state.EditTarget, TagRange{});
    QCOMPARE(e.box.Text(), QStringLiteral("<IMG>"));
}

void TestTagDialog::fileButton_data()
{
    QTest::addColumn<QString>("document");    // the page's path; empty while untitled
    QTest::addColumn<QString>("chosen");      // empty: cancelled
    QTest::addColumn<QString>("startFolder"); // "{home}" is the user's home folder
    QTest::addColumn<QString>("field");

    QTest::newRow("chosen_file_gives_bare_name_start_in_document_folder")
        << QStringLiteral("/www/site/page.htm") << QStringLiteral("/www/site/img/pic one.gif")
        << QStringLiteral("/www/site") << QStringLiteral("pic one.gif");
    QTest::newRow("untitled_document_starts_in_home_folder")
        << QString() << QStringLiteral("C:\\img\\a.GIF") << QStringLiteral("{home}")
        << QStringLiteral("a.GIF");
    QTest::newRow("cancel_keeps_the_field")
        << QStringLiteral("/www/site/page.htm") << QString() << QStringLiteral("/www/site")
        << QStringLiteral("old.gif");
}

void TestTagDialog::fileButton()
{
    QFETCH(QString, document);
    QFETCH(QString, chosen);
    QFETCH(QString, startFolder);
    QFETCH(QString, field);

    Editor e{QString()};
    e.state.ImageSelectMode = 1;
    bool browserOpened = false;
    e.state.Dialogs.Register(QStringLiteral("frmImgBrow"),
                             [&](const DialogRequest&) { browserOpened = true; });
    e.state.Doc.setPath(document);
    // The window's caption says nothing: the dialog asks the document.
    QWidget mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("無題"));
    ProbeDialog dialog(e.request(&mainWindow));
    dialog.show();
    dialog.text1->setText(QStringLiteral("old.gif"));
    e.prompts.planFileName(chosen);
    dialog.cmdImg->click();

    QCOMPARE(dialog.text1->text(), field);
    QCOMPARE(dialog.focusWidget(), dialog.text1);
    QVERIFY(!browserOpened);
    QCOMPARE(e.prompts.fileRequests.size(), 1);
    const FileRequest& r = e.prompts.fileRequests[0];
    QCOMPARE(r.kind, FileRequest::Kind::Open);
    QCOMPARE(r.filter, QStringLiteral("GIF|*.gif"));
    QCOMPARE(QDir::cleanPath(r.startFolder),
             QDir::cleanPath(startFolder == u"{home}" ? QDir::homePath() : startFolder));
}

void TestTagDialog::pickersWriteIntoTheFocusedField_data()
{
    QTest::addColumn<QString>("picker");
    QTest::addColumn<QString>("field");
    QTest::newRow("image_browser_when_image_mode_is_not_1")
        << QStringLiteral("frmImgBrow") << QStringLiteral("Text1");
    QTest::newRow("colour_picker") << QStringLiteral("frmColor") << QStringLiteral("Text2");
}

void TestTagDialog::pickersWriteIntoTheFocusedField()
{
    QFETCH(QString, picker);
    QFETCH(QString, field);

    Editor e{QString()};
    e.state.ImageSelectMode = 0;
    ProbeDialog dialog(e.request());
    dialog.show();
    QPushButton* button = picker == u"frmColor" ? dialog.cmdColor : dialog.cmdImg;

    // Nothing registered yet: the button does nothing.
    button->click();
    QVERIFY(dialog.text1->text().isEmpty() && dialog.text2->text().isEmpty());

    // A picker writes into the control that has the focus on the dialog it was opened over.
    QWidget* parent = nullptr;
    e.state.Dialogs.Register(picker, [&](const DialogRequest& r) {
        parent = r.parent;
        if (auto* line = qobject_cast<QLineEdit*>(r.parent->focusWidget()))
            line->setText(QStringLiteral("chosen"));
    });
    button->click();
    QCOMPARE(parent, &dialog);
    QCOMPARE(dialog.findChild<QLineEdit*>(field)->text(), QStringLiteral("chosen"));
    QVERIFY(e.prompts.fileRequests.isEmpty());
}

QTEST_MAIN(TestTagDialog)
#include "tst_tagdialog.moc"
