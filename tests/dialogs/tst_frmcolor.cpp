// The colour picker: the palette file, preloading from and writing
// into the dialog that opened it (or the page), and the timer that moves the sliders' colour
// into the selected slot, through the real widgets.
#include "core/appstate.h"
#include "core/dialogregistry.h"
#include "dialogs/tools/colorslots.h"
#include "dialogs/tools/frmcolor.h"
#include "dialogs/tools/registertools.h"
#include "editbox/textbox.h"
#include "fixtures.h"
#include "modaldialogs.h"
#include "platform/atomicwrite.h"
#include "temphome.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>

using namespace tl;

namespace
{

const QByteArray kFreshPalette("[ColorData]\r\n"
                               "BackColor=#000000\r\n"
                               "Text1=#FFFF00\r\n"
                               "Text2=#0000FF\r\n"
                               "Text3=#FFFFFF\r\n"
                               "Text4=#0000FF\r\n"
                               "Text5=#FFFFFF\r\n"
                               "Text6=#FFFFFF\r\n");

// A fresh program folder and an edit box with the picker registered.
struct Fixture {
    test::TempHome home;
    test::BoxFixture editor;

    Fixture() { RegisterToolDialogs(editor.state.Dialogs); }
    QString paletteFile() const { return home.file(kPaletteFile); }
    DialogRequest request(QWidget* parent) { return {editor.state, editor.box, parent, {}}; }

    // Opens the picker through the registry over parent and runs act inside it.
    void pick(QWidget* parent, const std::function<void(frmColor&)>& act)
    {
        bool ran = false;
        test::OnNextModal([&](QWidget* modal) {
            auto* picker = qobject_cast<frmColor*>(modal);
            QVERIFY(picker);
            ran = true;
            act(*picker);
        });
        QVERIFY(editor.state.Dialogs.Open(QStringLiteral("frmColor"), request(parent)));
        QVERIFY(ran);
    }
};

template <class T = QWidget> T* Child(QWidget* parent, const QString& name)
{
    T* child = parent->findChild<T*>(name);
    if (!child)
        qWarning("no child %s", qPrintable(name));
    return child;
}

void Click(QWidget* parent, const QString& name)
{
    if (auto* w = Child(parent, name))
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

QString SlotText(QWidget* picker, int slot)
{
    auto* text = Child<QLineEdit>(picker, QStringLiteral("Text1_%1").arg(slot));
    return text ? text->text() : QStringLiteral("<none>");
}

// "#000000 #FFFF00 ..." for the seven slots.
QString SlotTexts(QWidget* picker)
{
    QStringList texts;
    for (int i = 0; i < kSlotCount; ++i)
        texts << SlotText(picker, i);
    return texts.join(u' ');
}

void SetSliders(QWidget* picker, int red, int green, int blue)
{
    const int values[] = {red, green, blue};
    for (int i = 0; i < 3; ++i)
        if (auto* slider = Child<QSlider>(picker, QStringLiteral("Slider_%1").arg(i)))
            slider->setValue(values[i]);
}

// A stand-in for a calling dialog: objectName name, one QLineEdit per field, the given texts.
struct StandIn {
    QDialog dialog;
    StandIn(const QString& name, const QStringList& fields, const QStringList& texts = {})
    {
        dialog.setObjectName(name);
        auto* layout = new QVBoxLayout(&dialog);
        for (qsizetype i = 0; i < fields.size(); ++i) {
            auto* field = new QLineEdit(i < texts.size() ? texts[i] : QString(), &dialog);
            field->setObjectName(fields[i]);
            layout->addWidget(field);
        }
        dialog.show();
    }
    QLineEdit* field(const QString& name) { return Child<QLineEdit>(&dialog, name); }
    // "Text1=[..] Text3=[..]" in field order.
    QString dump()
    {
        QStringList out;
        for (QLineEdit* f : dialog.findChildren<QLineEdit*>())
            out << f->objectName() + QStringLiteral("=[") + f->text() + u']';
        return out.join(u' ');
    }
};

} // namespace

class TestFrmColor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshPaletteFileHoldsTheDefaults();
    void failedPaletteWriteIsTold();
    void preloadTakesOnlyValidValues_data();
    void preloadTakesOnlyValidValues();
    void writeFillsTheFivePageColours();
    void writeGoesIntoTheCallersFocusedField_data();
    void writeGoesIntoTheCallersFocusedField();
    void untouchedWriteGivesBackTheCallersOwnColour_data();
    void untouchedWriteGivesBackTheCallersOwnColour();
    void writeWithoutCallerInsertsAtCaretSelected_data();
    void writeWithoutCallerInsertsAtCaretSelected();
    void everyCloseSavesThePalette_data();
    void everyCloseSavesThePalette();
    void slidersReachSlotThroughTimerAndOldColorBringsItBack();
    void clearReloadsAndKeepsTheSelectedSlot();
    void oldColorWithoutOldValueReloadsFromFile();
    void typingInASlotStopsTheTimer();
    void controlsCarryTheirCaptionsAndNames();
    void swatchFromMainWindowMenuIsInsertedIntoPage();
    void pageDialogsColourButtonFillsItsFiveFields();
};

void TestFrmColor::freshPaletteFileHoldsTheDefaults()
{
    Fixture f;
    QVERIFY(!QFile::exists(f.paletteFile()));
    frmColor picker(f.request(nullptr));
    QCOMPARE(test::TempHome::readBytes(f.paletteFile()), kFreshPalette);
    QCOMPARE(SlotTexts(&picker),
             QStringLiteral("#000000 #FFFF00 #0000FF #FFFFFF #0000FF #FFFFFF #FFFFFF"));
    // Closing unchanged writes the same bytes back.
    picker.show();
    picker.reject();
    QCOMPARE(test::TempHome::readBytes(f.paletteFile()), kFreshPalette);
}

// A palette that cannot be written (a full disk here) is told each time, with the file and the
// reason, as the program's own files are: made fresh at the opening, saved at the close.
void TestFrmColor::failedPaletteWriteIsTold()
{
    Fixture f;
    const QString told =
        f.paletteFile() + QStringLiteral(" ﾌｧｲﾙに書き込めません。\r\n") +
        QStringLiteral("ディスクの空き領域が足りません。(No space left on device)");
    {
        const ScopedDiskSpaceLimit full(0);
        frmColor picker(f.request(nullptr));
        QCOMPARE(f.editor.prompts.messages.size(), 1);
        picker.show();
        picker.reject();
    }
    QCOMPARE(f.editor.prompts.messages.size(), 2);
    for (const MessageRequest& message : f.editor.prompts.messages) {
        QCOMPARE(message.text, told);
        QCOMPARE(message.title, QStringLiteral("Tagloom"));
        QCOMPARE(message.buttons, MsgButtons::Ok);
    }
    QVERIFY(!QFile::exists(f.paletteFile()));

    // An existing palette that cannot be saved stays as it was.
    test::TempHome::writeBytes(f.paletteFile(), kFreshPalette);
    frmColor picker(f.request(nullptr));
    picker.show();
    Click(&picker, QStringLiteral("Sample_3"));
    Click(&picker, QStringLiteral("Picture2_13"));
    picker.Tick();
    {
        const ScopedDiskSpaceLimit full(0);
        picker.reject();
    }
    QCOMPARE(f.editor.prompts.messages.size(), 3);
    QCOMPARE(f.editor.prompts.messages[2].text, told);
    QCOMPARE(test::TempHome::readBytes(f.paletteFile()), kFreshPalette);
}

void TestFrmColor::preloadTakesOnlyValidValues_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("slots");

    const QString defaults =
        QStringLiteral("#000000 #FFFF00 #0000FF #FFFFFF #0000FF #FFFFFF #FFFFFF");
    QTest::newRow("table_six_characters") << QStringLiteral("frmTable") << QStringLiteral("Text9")
                                          << QStringLiteral("#12345") << defaults;
    QTest::newRow("table_no_hash") << QStringLiteral("frmTable") << QStringLiteral("Text9")
                                   << QStringLiteral("12345678") << defaults;
    QTest::newRow("table_not_hex") << QStringLiteral("frmTable") << QStringLiteral("Text9")
                                   << QStringLiteral("#GGGGGG") << defaults;
    QTest::newRow("table_lower_case")
        << QStringLiteral("frmTable") << QStringLiteral("Text9") << QStringLiteral("#ab12cd")
        << QStringLiteral("#000000 #FFFF00 #0000FF #FFFFFF #0000FF #FFFFFF #ab12cd");
    QTest::newRow("font") << QStringLiteral("frmFont") << QStringLiteral("Text1")
                          << QStringLiteral("#ABCDEF")
                          << QStringLiteral(
                                 "#000000 #ABCDEF #0000FF #FFFFFF #0000FF #FFFFFF #FFFFFF");
    QTest::newRow("lines") << QStringLiteral("frmLines") << QStringLiteral("Text3")
                           << QStringLiteral("#ABCDEF")
                           << QStringLiteral(
                                  "#000000 #FFFF00 #0000FF #FFFFFF #0000FF #ABCDEF #FFFFFF");
    QTest::newRow("scroll") << QStringLiteral("frmScroll") << QStringLiteral("Text2")
                            << QStringLiteral("#ABCDEF")
                            << QStringLiteral(
                                   "#000000 #FFFF00 #0000FF #FFFFFF #0000FF #FFFFFF #ABCDEF");
    QTest::newRow("row") << QStringLiteral("frmTR") << QStringLiteral("Text1")
                         << QStringLiteral("#ABCDEF")
                         << QStringLiteral(
                                "#000000 #FFFF00 #0000FF #FFFFFF #0000FF #FFFFFF #ABCDEF");
    QTest::newRow("cell") << QStringLiteral("frmTHD") << QStringLiteral("Text1")
                          << QStringLiteral("#ABCDEF")
                          << QStringLiteral(
                                 "#000000 #FFFF00 #0000FF #FFFFFF #0000FF #FFFFFF #ABCDEF");
    QTest::newRow("other_field_of_a_caller_is_not_read")
        << QStringLiteral("frmTable") << QStringLiteral("Text1") << QStringLiteral("#ABCDEF")
        << defaults;
    QTest::newRow("unknown_dialog") << QStringLiteral("frmP") << QStringLiteral("Text9")
                                    << QStringLiteral("#ABCDEF") << defaults;
}

void TestFrmColor::preloadTakesOnlyValidValues()
{
    QFETCH(QString, caller);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, slots);

    Fixture f;
    StandIn standIn(caller, {field}, {value});
    // The picker is opened by the caller's colour button, a child of the caller.
    auto* button = new QWidget(&standIn.dialog);
    frmColor picker(f.request(button));
    QCOMPARE(SlotTexts(&picker), slots);
}

void TestFrmColor::writeFillsTheFivePageColours()
{
    Fixture f;
    const QStringList fields{QStringLiteral("Text1"), QStringLiteral("Text2"),
                             QStringLiteral("Text3"), QStringLiteral("Text4"),
                             QStringLiteral("Text5"), QStringLiteral("Text6")};
    StandIn page(QStringLiteral("frmPage"), fields,
                 {QStringLiteral("bg.gif"), QStringLiteral("#ff0000"), QStringLiteral("#00FF00"),
                  QStringLiteral("#12345"), QString(), QStringLiteral("#abcdef")});
    page.field(QStringLiteral("Text4"))->setFocus();
    f.pick(&page.dialog, [](frmColor& picker) {
        QCOMPARE(picker.SelectedSlot(), 0);
        picker.Tick();
        Click(&picker, QStringLiteral("CmdWrite"));
        QVERIFY(!picker.isVisible());
    });
    // Slot 0, selected, came back in upper case through the timer; the others as loaded.
    QCOMPARE(page.dump(), QStringLiteral("Text1=[bg.gif] Text2=[#FF0000] Text3=[#00FF00] "
                                         "Text4=[#0000FF] Text5=[#FFFFFF] Text6=[#abcdef]"));
}

void TestFrmColor::writeGoesIntoTheCallersFocusedField_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("option"); // the slot chosen in the picker
    QTest::addColumn<QString>("result");

    // The caller's own colour reaches its field once the timer has run.
    QTest::newRow("lines_colour_field")
        << QStringLiteral("frmLines")
        << QStringList{QStringLiteral("Text1"), QStringLiteral("Text3")}
        << QStringList{QStringLiteral("80"), QStringLiteral("#ab12cd")} << QStringLiteral("Text3")
        << QStringLiteral("Option6") << QStringLiteral("Text1=[80] Text3=[#AB12CD]");
    QTest::newRow("lines_other_focused_field")
        << QStringLiteral("frmLines")
        << QStringList{QStringLiteral("Text1"), QStringLiteral("Text3")}
        << QStringList{QStringLiteral("80"), QStringLiteral("#ab12cd")} << QStringLiteral("Text1")
        << QStringLiteral("Option6") << QStringLiteral("Text1=[#AB12CD] Text3=[#ab12cd]");
    QTest::newRow("font_any_slot")
        << QStringLiteral("frmFont") << QStringList{QStringLiteral("Text1")}
        << QStringList{QStringLiteral("#00ff00")} << QStringLiteral("Text1")
        << QStringLiteral("Option3") << QStringLiteral("Text1=[#0000FF]");
    QTest::newRow("font") << QStringLiteral("frmFont") << QStringList{QStringLiteral("Text1")}
                          << QStringList{QStringLiteral("#00ff00")} << QStringLiteral("Text1")
                          << QStringLiteral("Option2") << QStringLiteral("Text1=[#00FF00]");
    QTest::newRow("scroll") << QStringLiteral("frmScroll") << QStringList{QStringLiteral("Text2")}
                            << QStringList{QStringLiteral("#00ff00")} << QStringLiteral("Text2")
                            << QStringLiteral("Option7") << QStringLiteral("Text2=[#00FF00]");
    QTest::newRow("table") << QStringLiteral("frmTable") << QStringList{QStringLiteral("Text9")}
                           << QStringList{QStringLiteral("#00ff00")} << QStringLiteral("Text9")
                           << QStringLiteral("Option7") << QStringLiteral("Text9=[#00FF00]");
    QTest::newRow("row") << QStringLiteral("frmTR") << QStringList{QStringLiteral("Text1")}
                         << QStringList{QStringLiteral("#00ff00")} << QStringLiteral("Text1")
                         << QStringLiteral("Option7") << QStringLiteral("Text1=[#00FF00]");
    QTest::newRow("cell") << QStringLiteral("frmTHD") << QStringList{QStringLiteral("Text1")}
                          << QStringList{QStringLiteral("#00ff00")} << QStringLiteral("Text1")
                          << QStringLiteral("Option7") << QStringLiteral("Text1=[#00FF00]");
}

void TestFrmColor::writeGoesIntoTheCallersFocusedField()
{
    QFETCH(QString, caller);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, texts);
    QFETCH(QString, focused);
    QFETCH(QString, option);
    QFETCH(QString, result);

    Fixture f;
    f.editor.set(QStringLiteral("<P>"), 3);
    StandIn standIn(caller, fields, texts);
    standIn.field(focused)->setFocus();
    f.pick(&standIn.dialog, [&](frmColor& picker) {
        Click(&picker, option);
        picker.Tick();
        Click(&picker, QStringLiteral("CmdWrite"));
    });
    QCOMPARE(standIn.dump(), result);
    QCOMPARE(f.editor.box.Text(), QStringLiteral("<P>"));
}

void TestFrmColor::untouchedWriteGivesBackTheCallersOwnColour_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QString>("field"); // the caller's colour field, focused
    QTest::addColumn<int>("slot");      // the caller's own slot

    QTest::newRow("font_text_colour") << QStringLiteral("frmFont") << QStringLiteral("Text1") << 1;
    QTest::newRow("rule_line_colour") << QStringLiteral("frmLines") << QStringLiteral("Text3") << 5;
    QTest::newRow("marquee_box_colour")
        << QStringLiteral("frmScroll") << QStringLiteral("Text2") << 6;
    QTest::newRow("table_box_colour") << QStringLiteral("frmTable") << QStringLiteral("Text9") << 6;
    QTest::newRow("row_box_colour") << QStringLiteral("frmTR") << QStringLiteral("Text1") << 6;
    QTest::newRow("cell_box_colour") << QStringLiteral("frmTHD") << QStringLiteral("Text1") << 6;
}

void TestFrmColor::untouchedWriteGivesBackTheCallersOwnColour()
{
    QFETCH(QString, caller);
    QFETCH(QString, field);
    QFETCH(int, slot);

    Fixture f;
    StandIn standIn(caller, {QStringLiteral("Other"), field},
                    {QString(), QStringLiteral("#12ab34")});
    standIn.field(field)->setFocus();
    f.pick(&standIn.dialog, [&](frmColor& picker) {
        // The caller's slot is the one chosen, its option button checked and on the sliders.
        QCOMPARE(picker.SelectedSlot(), slot);
        auto* option = Child<QAbstractButton>(&picker, QStringLiteral("Option%1").arg(slot + 1));
        QVERIFY(option && option->isChecked());
        picker.Tick();
        Click(&picker, QStringLiteral("CmdWrite"));
    });
    // Not the background colour (#000000): the field's own colour, as the picker writes it.
    QCOMPARE(standIn.dump(), QStringLiteral("Other=[] ") + field + QStringLiteral("=[#12AB34]"));
}

void TestFrmColor::writeWithoutCallerInsertsAtCaretSelected_data()
{
    QTest::addColumn<QString>("parent"); // objectName of the opener, empty for none
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<qint64>("selLength");
    QTest::addColumn<bool>("pageShown");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("newStart");
    QTest::addColumn<qint64>("newLength");

    QTest::newRow("at_caret") << QString() << qint64(8) << qint64(0) << true
                              << QStringLiteral("<P>\r\n<B>#FFFF00</B>") << qint64(8) << qint64(7);
    QTest::newRow("replaces_selection")
        << QString() << qint64(8) << qint64(4) << true << QStringLiteral("<P>\r\n<B>#FFFF00")
        << qint64(8) << qint64(7);
    QTest::newRow("unknown_dialog_counts_as_none")
        << QStringLiteral("frmP") << qint64(0) << qint64(0) << true
        << QStringLiteral("#FFFF00<P>\r\n<B></B>") << qint64(0) << qint64(7);
    QTest::newRow("no_page_shown_writes_nothing")
        << QString() << qint64(8) << qint64(0) << false << QStringLiteral("<P>\r\n<B></B>")
        << qint64(8) << qint64(0);
}

void TestFrmColor::writeWithoutCallerInsertsAtCaretSelected()
{
    QFETCH(QString, parent);
    QFETCH(qint64, selStart);
    QFETCH(qint64, selLength);
    QFETCH(bool, pageShown);
    QFETCH(QString, text);
    QFETCH(qint64, newStart);
    QFETCH(qint64, newLength);

    Fixture f;
    f.editor.set(QStringLiteral("<P>\r\n<B></B>"), selStart, selLength);
    f.editor.box.SetVisible(pageShown);
    StandIn opener(parent.isEmpty() ? QStringLiteral("unused") : parent, {});
    f.pick(parent.isEmpty() ? nullptr : &opener.dialog, [&](frmColor& picker) {
        Click(&picker, QStringLiteral("Option2"));
        auto* write = Child<QAbstractButton>(&picker, QStringLiteral("CmdWrite"));
        QCOMPARE(write->isEnabled(), pageShown);
        write->click();
    });
    QCOMPARE(f.editor.box.Text(), text);
    QCOMPARE(f.editor.box.SelStart(), newStart);
    QCOMPARE(f.editor.box.SelLength(), newLength);
}

void TestFrmColor::everyCloseSavesThePalette_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel_button") << QStringLiteral("CmdClose");
    QTest::newRow("escape") << QStringLiteral("Esc");
    QTest::newRow("title_bar") << QStringLiteral("close");
    QTest::newRow("write") << QStringLiteral("CmdWrite");
}

void TestFrmColor::everyCloseSavesThePalette()
{
    QFETCH(QString, how);

    Fixture f;
    StandIn caller(QStringLiteral("frmTable"), {QStringLiteral("Text9")},
                   {QStringLiteral("#123456")});
    caller.field(QStringLiteral("Text9"))->setFocus();
    f.pick(&caller.dialog, [&](frmColor& picker) {
        Click(&picker, QStringLiteral("Sample_3"));
        QCOMPARE(picker.SelectedSlot(), 3);
        Click(&picker, QStringLiteral("Picture2_13"));
        picker.Tick();
        if (how == u"Esc")
            QTest::keyClick(&picker, Qt::Key_Escape);
        else if (how == u"close")
            picker.close();
        else
            Click(&picker, how);
        QVERIFY(!picker.isVisible());
    });
    QCOMPARE(caller.dump(), how == u"CmdWrite" ? QStringLiteral("Text9=[#FF8000]")
                                               : QStringLiteral("Text9=[#123456]"));
    // All seven slots are saved, the caller's preload with them.
    QCOMPARE(test::TempHome::readBytes(f.paletteFile()),
             QByteArray(kFreshPalette)
                 .replace("Text3=#FFFFFF", "Text3=#FF8000")
                 .replace("Text6=#FFFFFF", "Text6=#123456"));
    // The next opening offers them.
    f.pick(nullptr, [](frmColor& picker) {
        QCOMPARE(SlotTexts(&picker),
                 QStringLiteral("#000000 #FFFF00 #0000FF #FF8000 #0000FF #FFFFFF #123456"));
    });
}

void TestFrmColor::slidersReachSlotThroughTimerAndOldColorBringsItBack()
{
    Fixture f;
    frmColor picker(f.request(nullptr));
    picker.show();
    SetSliders(&picker, 10, 200, 5);
    QCOMPARE(SlotText(&picker, 0), QStringLiteral("#000000")); // not before the tick
    picker.Tick();
    QCOMPARE(SlotText(&picker, 0), QStringLiteral("#0AC805"));
    QCOMPARE(Child(&picker, QStringLiteral("Picture1"))->palette().color(QPalette::Window),
             QColor(10, 200, 5));
    QCOMPARE(Child(&picker, QStringLiteral("Label2_0"))->palette().color(QPalette::WindowText),
             QColor(0, 0, 255));
    QCOMPARE(Child(&picker, QStringLiteral("Label2_1"))->palette().color(QPalette::WindowText),
             QColor(0, 0, 0));

    Click(&picker, QStringLiteral("Command1_0"));
    picker.Tick();
    QCOMPARE(SlotText(&picker, 0), QStringLiteral("#000000"));
    Click(&picker, QStringLiteral("Command1_0"));
    picker.Tick();
    QCOMPARE(SlotText(&picker, 0), QStringLiteral("#0AC805"));

    // A text colour slot paints its sample's text.
    Click(&picker, QStringLiteral("Option3"));
    Click(&picker, QStringLiteral("Picture2_7"));
    picker.Tick();
    QCOMPARE(SlotTexts(&picker),
             QStringLiteral("#0AC805 #FFFF00 #FF0000 #FFFFFF #0000FF #FFFFFF #FFFFFF"));
    QCOMPARE(Child(&picker, QStringLiteral("Sample_2"))->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));
    QCOMPARE(Child(&picker, QStringLiteral("Label2_2"))->palette().color(QPalette::WindowText),
             QColor(0, 0, 255));
    QCOMPARE(Child(&picker, QStringLiteral("Label2_0"))->palette().color(QPalette::WindowText),
             QColor(0, 0, 0));
    picker.reject();
}

void TestFrmColor::clearReloadsAndKeepsTheSelectedSlot()
{
    Fixture f;
    frmColor picker(f.request(nullptr));
    picker.show();
    Click(&picker, QStringLiteral("Line1"));
    QCOMPARE(picker.SelectedSlot(), 5);
    Click(&picker, QStringLiteral("Picture2_13"));
    picker.Tick();
    Click(&picker, QStringLiteral("Picture3"));
    Click(&picker, QStringLiteral("Picture2_7"));
    picker.Tick();
    Child<QLineEdit>(&picker, QStringLiteral("Text1_2"))->setText(QStringLiteral("#808080"));
    QCOMPARE(SlotTexts(&picker),
             QStringLiteral("#000000 #FFFF00 #808080 #FFFFFF #0000FF #FF8000 #FF0000"));
    Click(&picker, QStringLiteral("CmdClear"));
    // The sliders follow the reloaded slot, so the tick keeps it.
    picker.Tick();
    QCOMPARE(picker.SelectedSlot(), 6);
    QCOMPARE(SlotTexts(&picker),
             QStringLiteral("#000000 #FFFF00 #0000FF #FFFFFF #0000FF #FFFFFF #FFFFFF"));
    QCOMPARE(Child(&picker, QStringLiteral("Line1"))->palette().color(QPalette::Window),
             QColor(255, 255, 255));
    picker.reject();
}

void TestFrmColor::oldColorWithoutOldValueReloadsFromFile()
{
    Fixture f;
    test::TempHome::writeBytes(
        f.paletteFile(), QByteArray(kFreshPalette).replace("BackColor=#000000", "BackColor=black"));
    frmColor picker(f.request(nullptr));
    picker.show();
    // A stored value that is no colour: the slot takes the sliders' colour at the next tick.
    picker.Tick();
    QCOMPARE(SlotText(&picker, 0), QStringLiteral("#000000"));
    // A value typed into a slot that is not selected stays until "OldColor..." finds no old
    // value for it and reads the slot back from the file.
    Child<QLineEdit>(&picker, QStringLiteral("Text1_2"))->setText(QStringLiteral("#123456"));
    picker.Tick();
    QCOMPARE(SlotText(&picker, 2), QStringLiteral("#123456"));
    Click(&picker, QStringLiteral("Command1_2"));
    picker.Tick();
    QCOMPARE(picker.SelectedSlot(), 2);
    QCOMPARE(SlotTexts(&picker),
             QStringLiteral("#000000 #FFFF00 #0000FF #FFFFFF #0000FF #FFFFFF #FFFFFF"));
    picker.reject();
}

void TestFrmColor::typingInASlotStopsTheTimer()
{
    Fixture f;
    frmColor picker(f.request(nullptr));
    picker.show();
    QVERIFY(QTest::qWaitForWindowActive(&picker));
    auto* timer = Child<QTimer>(&picker, QStringLiteral("Timer1"));
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 25);
    auto* text = Child<QLineEdit>(&picker, QStringLiteral("Text1_0"));
    text->setFocus(Qt::TabFocusReason);
    QVERIFY(!timer->isActive());
    QCOMPARE(text->selectedText(), QStringLiteral("#000000"));
    Child(&picker, QStringLiteral("Slider_0"))->setFocus(Qt::TabFocusReason);
    QVERIFY(timer->isActive());
    picker.reject();
    QVERIFY(!timer->isActive());
}

void TestFrmColor::controlsCarryTheirCaptionsAndNames()
{
    Fixture f;
    frmColor picker(f.request(nullptr));
    picker.show();
    QCOMPARE(picker.windowTitle(), QStringLiteral("Color"));

    const QStringList captions{
        QStringLiteral("背景色"),           QStringLiteral("テキスト"),
        QStringLiteral("リンクテキスト"),   QStringLiteral("アクセス済リンク"),
        QStringLiteral("アクセス中リンク"), QStringLiteral("ラインの色"),
        QStringLiteral("BOXの色")};
    for (int i = 0; i < kSlotCount; ++i) {
        auto* label = Child<QLabel>(&picker, QStringLiteral("Label2_%1").arg(i));
        QCOMPARE(label->text(), captions[i]);
        QCOMPARE(label->buddy(), Child(&picker, QStringLiteral("Text1_%1").arg(i)));
        QCOMPARE(Child(&picker, QStringLiteral("Option%1").arg(i + 1))->accessibleName(),
                 captions[i]);
        QCOMPARE(Child<QAbstractButton>(&picker, QStringLiteral("Command1_%1").arg(i))->text(),
                 QStringLiteral("OldColor..."));
    }
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(Child<QLabel>(&picker, QStringLiteral("Sample_%1").arg(i))->text(), captions[i]);

    const QStringList sliders{QStringLiteral("RED"), QStringLiteral("GREEN"),
                              QStringLiteral("BLUE")};
    for (int i = 0; i < 3; ++i) {
        auto* label = Child<QLabel>(&picker, QStringLiteral("Label1_%1").arg(i));
        auto* slider = Child<QSlider>(&picker, QStringLiteral("Slider_%1").arg(i));
        QCOMPARE(label->text(), sliders[i]);
        QCOMPARE(label->buddy(), slider);
        QCOMPARE(slider->accessibleName(), sliders[i]);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 255);
    }

    // Swatches: columns of 15, top to bottom, named by their colour, reachable by Tab.
    QStringList columns[3];
    for (int i = 0; i < kSwatchCount; ++i) {
        auto* swatch = Child<QToolButton>(&picker, QStringLiteral("Picture2_%1").arg(i));
        QVERIFY(swatch->focusPolicy() & Qt::TabFocus);
        const int column = i / kSwatchesPerColumn;
        if (i % kSwatchesPerColumn > 0) {
            auto* above = Child(&picker, QStringLiteral("Picture2_%1").arg(i - 1));
            QCOMPARE(swatch->x(), above->x());
            QVERIFY(swatch->y() > above->y());
        }
        columns[column] << swatch->accessibleName();
    }
    QCOMPARE(columns[0].join(u' '),
             QStringLiteral("#FFFFFF #E0E0E0 #C0C0C0 #808080 #404040 #FFC0C0 #FF8080 #FF0000 "
                            "#C00000 #800000 #400000 #FFE0C0 #FFC080 #FF8000 #C04000"));
    QCOMPARE(columns[1].join(u' '),
             QStringLiteral("#804000 #804040 #FFFFC0 #FFFF80 #C0C000 #808000 #404000 #C0FFC0 "
                            "#80FF80 #00FF00 #00C000 #008000 #004000 #C0FFFF #80FFFF"));
    QCOMPARE(columns[2].join(u' '),
             QStringLiteral("#00C0C0 #008080 #004040 #C0C0FF #8080FF #0000FF #0000C0 #000080 "
                            "#000040 #FFC0FF #FF80FF #FF00FF #C000C0 #800080 #400040"));
    QVERIFY(Child(&picker, QStringLiteral("Picture2_15"))->x() >
            Child(&picker, QStringLiteral("Picture2_14"))->x());

    QCOMPARE(Child<QAbstractButton>(&picker, QStringLiteral("CmdWrite"))->text(),
             QStringLiteral("Write"));
    QCOMPARE(Child<QAbstractButton>(&picker, QStringLiteral("CmdClear"))->text(),
             QStringLiteral("Clear"));
    QCOMPARE(Child<QAbstractButton>(&picker, QStringLiteral("CmdClose"))->text(),
             QStringLiteral("キャンセル(ESC)"));

    // Nothing is narrower than its text needs, even at the smallest size: a caption is whole
    // and a slot's box shows its whole value without scrolling it.
    picker.resize(picker.minimumSizeHint());
    QCoreApplication::processEvents();
    for (int i = 0; i < kSlotCount; ++i) {
        auto* text = Child<QLineEdit>(&picker, QStringLiteral("Text1_%1").arg(i));
        text->setText(QStringLiteral("#DDDDDD"));
        text->end(false);
        QVERIFY2(text->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() >=
                     text->fontMetrics().horizontalAdvance(text->text()),
                 qPrintable(text->objectName()));
    }
    for (QWidget* w : picker.findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
            QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName()));
        }
    }
    picker.reject();
}

void TestFrmColor::swatchFromMainWindowMenuIsInsertedIntoPage()
{
    test::WindowFixture w(QStringLiteral("<HTML>\r\n</HTML>"));
    w.window.show();
    w.box().SetSelStart(6);
    QAction* item = w.item("mnuColor");
    QVERIFY(item && item->isEnabled());
    bool ran = false;
    test::OnNextModal([&](QWidget* modal) {
        auto* picker = qobject_cast<frmColor*>(modal);
        QVERIFY(picker);
        ran = true;
        QCOMPARE(picker->parentWidget(), &w.window);
        Click(picker, QStringLiteral("Picture2_13"));
        picker->Tick();
        Click(picker, QStringLiteral("CmdWrite"));
    });
    item->trigger();
    QVERIFY(ran);
    QCOMPARE(w.box().Text(), QStringLiteral("<HTML>#FF8000\r\n</HTML>"));
    QCOMPARE(w.box().SelText(), QStringLiteral("#FF8000"));
    QCOMPARE(w.box().SelStart(), qint64(6));
    QCOMPARE(test::TempHome::readBytes(w.home.file(kPaletteFile)),
             QByteArray(kFreshPalette).replace("BackColor=#000000", "BackColor=#FF8000"));
}

// The real page dialog and the real picker together: the page command, a colour button, Write
// at once, OK. The five colour fields take the five page slots, whichever button was used.
void TestFrmColor::pageDialogsColourButtonFillsItsFiveFields()
{
    test::WindowFixture w(QStringLiteral("<HTML>\r\n</HTML>"));
    w.window.show();
    w.box().SetSelStart(6);
    QAction* pageButton = w.item("PageButton");
    QVERIFY(pageButton && pageButton->isEnabled());
    QString fields;
    test::OnNextModal([&](QWidget* page) {
        QVERIFY(page && page->objectName() == u"frmPage");
        test::OnNextModal([&](QWidget* picker) {
            QVERIFY(qobject_cast<frmColor*>(picker));
            Click(picker, QStringLiteral("CmdWrite"));
        });
        Click(page, QStringLiteral("Cmd4"));
        for (const char* name : {"Text2", "Text3", "Text4", "Text5", "Text6"})
            fields += page->findChild<QLineEdit*>(QLatin1StringView(name))->text() + u' ';
        Click(page, QStringLiteral("CmdOK"));
    });
    pageButton->trigger();
    QCOMPARE(fields, QStringLiteral("#000000 #FFFF00 #0000FF #FFFFFF #0000FF "));
    QCOMPARE(
        w.box().Text(),
        QStringLiteral("<HTML><BODY BGCOLOR=\"#000000\" TEXT=\"#FFFF00\" LINK=\"#0000FF\" "
                       "VLINK=\"#FFFFFF\" ALINK=\"#0000FF\" BGPROPERTIES=\"FIXED\">\r\n</HTML>"));
}

QTEST_MAIN(TestFrmColor)
#include "tst_frmcolor.moc"
