// The paragraph dialog: its fields read from an old paragraph or a selection, its output, and
// the dialog conventions as a user meets them (Enter, Esc, focus) when it opens from the
// paragraph command.
#include "app/registerdialogs.h"
#include "commands/dispatcher.h"
#include "core/appstate.h"
#include "core/dialogregistry.h"
#include "dialogs/html/frmp.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "fixtures.h"
#include "modaldialogs.h"
#include "scriptedprompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace tl;

namespace
{

using Align = ParagraphFields::Align;

const QString kCrLf = QStringLiteral("\r\n");

// "text=[...] align=center quote=' textCrLf selCrLf", the flags only when set.
QString Describe(const ParagraphFields& f)
{
    static const char* const aligns[] = {"none", "left", "center", "right"};
    QString out = QStringLiteral("text=[%1] align=%2 quote=%3")
                      .arg(f.text, QLatin1String(aligns[int(f.align)]), QuoteChar(f.quote));
    if (f.textEndsWithCrLf)
        out += QStringLiteral(" textCrLf");
    if (f.selEndsWithCrLf)
        out += QStringLiteral(" selCrLf");
    if (f.openingTagOnly)
        out += QStringLiteral(" openingOnly");
    return out;
}

ParagraphFields Fields(const QString& text, Align align = Align::None,
                       QuoteStyle quote = QuoteStyle::Double, bool textCrLf = false,
                       bool selCrLf = false)
{
    ParagraphFields f;
    f.text = text;
    f.align = align;
    f.quote = quote;
    f.textEndsWithCrLf = textCrLf;
    f.selEndsWithCrLf = selCrLf;
    return f;
}

// An edit box, its adapter and a program state with the dialogs registered.
struct Editor : test::BoxFixture {
    Editor(const QString& text, qint64 selStart, qint64 selLength)
    {
        RegisterDialogs(state.Dialogs);
        set(text, selStart, selLength);
    }
    // The paragraph command, code 34.
    void runParagraphCommand() { RunInsertCommand(state, box, nullptr, 34); }
};

template <class T> T* Child(QWidget* dialog, const char* name)
{
    return dialog ? dialog->findChild<T*>(QLatin1StringView(name)) : nullptr;
}

} // namespace

class TestFrmP : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void compose_data();
    void compose();
    void open_data();
    void open();
    void commandWrapsSelectionThenInsertsWithoutLineBreak();
    void enterDoesNothingAndEscCancels();
    void textFieldSelectsAllOnFocusAndCarriesItsLabel();
};

void TestFrmP::compose_data()
{
    QTest::addColumn<ParagraphFields>("fields");
    QTest::addColumn<QString>("output");

    QTest::newRow("empty_text_gives_bare_p") << Fields(QString()) << QStringLiteral("<P>");
    QTest::newRow("empty_text_ignores_alignment_and_line_breaks")
        << Fields(QString(), Align::Center, QuoteStyle::Single, true, true)
        << QStringLiteral("<P>");
    QTest::newRow("text_without_alignment")
        << Fields(QStringLiteral("Hello")) << QStringLiteral("<P>Hello</P>");
    QTest::newRow("center_double_quotes") << Fields(QStringLiteral("Hello"), Align::Center)
                                          << QStringLiteral("<P ALIGN=\"center\">Hello</P>");
    QTest::newRow("left_single_quotes")
        << Fields(QStringLiteral("Hi"), Align::Left, QuoteStyle::Single)
        << QStringLiteral("<P ALIGN='left'>Hi</P>");
    QTest::newRow("right") << Fields(QStringLiteral("Hi"), Align::Right)
                           << QStringLiteral("<P ALIGN=\"right\">Hi</P>");
    QTest::newRow("edit_mode_line_break_stays_inside_close")
        << Fields(QStringLiteral("Hello"), Align::None, QuoteStyle::Double, true)
        << QStringLiteral("<P>Hello\r\n</P>");
    QTest::newRow("insert_mode_line_break_goes_after_close")
        << Fields(QStringLiteral("Hello"), Align::None, QuoteStyle::Double, false, true)
        << QStringLiteral("<P>Hello</P>\r\n");
    QTest::newRow("double_quote_in_text_is_not_escaped")
        << Fields(QStringLiteral("say \"hi\" & <b>"), Align::Center)
        << QStringLiteral("<P ALIGN=\"center\">say \"hi\" & <b></P>");
}

void TestFrmP::compose()
{
    QFETCH(ParagraphFields, fields);
    QFETCH(QString, output);
    QCOMPARE(ComposeParagraph(fields), output);
}

void TestFrmP::open_data()
{
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("output"); // OK without a change

    QTest::newRow("reedit_center_single_quotes")
        << QStringLiteral("<P ALIGN='center'>Hello</P>") << QString()
        << QStringLiteral("text=[Hello] align=center quote='")
        << QStringLiteral("<P ALIGN='center'>Hello</P>");
    QTest::newRow("reedit_right_single_quotes")
        << QStringLiteral("<P ALIGN='right'>Hi</P>") << QString()
        << QStringLiteral("text=[Hi] align=right quote='")
        << QStringLiteral("<P ALIGN='right'>Hi</P>");
    QTest::newRow("reedit_lower_case_tag_and_upper_case_word")
        << QStringLiteral("<p align=\"LEFT\">Hi</p>") << QString()
        << QStringLiteral("text=[Hi] align=left quote=\"")
        << QStringLiteral("<P ALIGN=\"left\">Hi</P>");
    QTest::newRow("reedit_apostrophe_in_content_only_picks_single_quotes")
        << QStringLiteral("<P ALIGN=\"center\">it's</P>") << QString()
        << QStringLiteral("text=[it's] align=center quote='")
        << QStringLiteral("<P ALIGN='center'>it's</P>");
    QTest::newRow("reedit_content_ending_in_line_break_keeps_it_inside")
        << QStringLiteral("<P>Hello\r\n</P>") << QString()
        << QStringLiteral("text=[Hello] align=none quote=\" textCrLf")
        << QStringLiteral("<P>Hello\r\n</P>");
    QTest::newRow("reedit_content_over_lines")
        << QStringLiteral("<P>one\r\ntwo</P>") << QString()
        << QStringLiteral("text=[one\r\ntwo] align=none quote=\"")
        << QStringLiteral("<P>one\r\ntwo</P>");
    QTest::newRow("reedit_unknown_alignment_word_means_none")
        << QStringLiteral("<P ALIGN=\"justify\">a</P>") << QString()
        << QStringLiteral("text=[a] align=none quote=\"") << QStringLiteral("<P>a</P>");
    QTest::newRow("reedit_empty_paragraph_becomes_bare_p")
        << QStringLiteral("<P ALIGN=\"center\"></P>") << QString()
        << QStringLiteral("text=[] align=center quote=\"") << QStringLiteral("<P>");
    QTest::newRow("reedit_close_before_first_gt_reads_no_content")
        << QStringLiteral("<P</P>") << QString() << QStringLiteral("text=[] align=none quote=\"")
        << QStringLiteral("<P>");
    QTest::newRow("reedit_ignores_the_selection")
        << QStringLiteral("<P>a</P>") << QStringLiteral("zzz")
        << QStringLiteral("text=[a] align=none quote=\"") << QStringLiteral("<P>a</P>");
    QTest::newRow("insert_selection_ending_in_line_break")
        << QString() << QStringLiteral("Hello\r\n")
        << QStringLiteral("text=[Hello] align=none quote=\" selCrLf")
        << QStringLiteral("<P>Hello</P>\r\n");
    QTest::newRow("insert_selection_of_a_line_break_alone_is_not_taken")
        << QString() << kCrLf << QStringLiteral("text=[] align=none quote=\"")
        << QStringLiteral("<P>");
    QTest::newRow("insert_apostrophe_in_selection_keeps_double_quotes")
        << QString() << QStringLiteral("it's") << QStringLiteral("text=[it's] align=none quote=\"")
        << QStringLiteral("<P>it's</P>");
    // Old pages often leave paragraphs unclosed: the opening tag alone is re-edited.
    QTest::newRow("opening_tag_without_close_is_reedited_alone")
        << QStringLiteral("<P ALIGN='left'>") << QString()
        << QStringLiteral("text=[] align=left quote=' openingOnly")
        << QStringLiteral("<P ALIGN='left'>");
    QTest::newRow("opening_tag_alone_unaligned")
        << QStringLiteral("<p>") << QString()
        << QStringLiteral("text=[] align=none quote=\" openingOnly") << QStringLiteral("<P>");
}

void TestFrmP::open()
{
    QFETCH(QString, old);
    QFETCH(QString, selection);
    QFETCH(QString, fields);
    QFETCH(QString, output);

    const ParagraphFields f = OpenParagraph(old, selection);
    QCOMPARE(Describe(f), fields);
    QCOMPARE(ComposeParagraph(f), output);
}

void TestFrmP::commandWrapsSelectionThenInsertsWithoutLineBreak()
{
    Editor e(QStringLiteral("Hello\r\nrest"), 0, 7);
    QString seen;
    test::OnNextModal([&](QWidget* dialog) {
        auto* text1 = Child<QLineEdit>(dialog, "Text1");
        if (!text1)
            return;
        seen = dialog->objectName() + u' ' + dialog->windowTitle() + u' ' + text1->selectedText();
        Child<QPushButton>(dialog, "CmdOK")->click();
    });
    e.runParagraphCommand();
    QCOMPARE(seen, QStringLiteral("frmP 段落 Hello"));
    QCOMPARE(e.box.Text(), QStringLiteral("<P>Hello</P>\r\nrest"));
    QCOMPARE(e.box.SelStart(), qint64(14));

    // Opened again at the end without a selection: no line break left over from the first.
    e.box.SetSelStart(e.box.TextLength());
    test::OnNextModal([&](QWidget* dialog) {
        if (auto* text1 = Child<QLineEdit>(dialog, "Text1")) {
            text1->setText(QStringLiteral("X"));
            Child<QRadioButton>(dialog, "Option12")->setChecked(true);
            Child<QRadioButton>(dialog, "Option6")->setChecked(true);
            Child<QPushButton>(dialog, "CmdOK")->click();
        }
    });
    e.runParagraphCommand();
    QCOMPARE(e.box.Text(), QStringLiteral("<P>Hello</P>\r\nrest<P ALIGN='right'>X</P>"));
}

void TestFrmP::enterDoesNothingAndEscCancels()
{
    Editor e(QStringLiteral("abc"), 1, 1);
    e.state.EditTarget = TagRange{1, 3};
    QString seen;
    test::OnNextModal([&](QWidget* dialog) {
        auto* text1 = Child<QLineEdit>(dialog, "Text1");
        if (!text1)
            return;
        QTest::keyClick(text1, Qt::Key_Return);
        QTest::keyClick(text1, Qt::Key_Enter, Qt::KeypadModifier);
        seen = dialog->isVisible() ? QStringLiteral("open after Enter") : QStringLiteral("closed");
        QTest::keyClick(text1, Qt::Key_Escape);
        seen += dialog->isVisible() ? QStringLiteral(", open after Esc")
                                    : QStringLiteral(", closed by Esc");
    });
    e.runParagraphCommand();
    QCOMPARE(seen, QStringLiteral("open after Enter, closed by Esc"));
    QCOMPARE(e.box.Text(), QStringLiteral("abc"));
    QCOMPARE(e.state.EditTarget, TagRange{});
}

void TestFrmP::textFieldSelectsAllOnFocusAndCarriesItsLabel()
{
    Editor e(QStringLiteral("Hello"), 0, 5);
    frmP dialog(DialogRequest{e.state, e.box, nullptr, QString()});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* text1 = dialog.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QVERIFY(text1);
    QCOMPARE(QApplication::focusWidget(), text1);
    QCOMPARE(text1->selectedText(), QStringLiteral("Hello"));

    // Back into the field from elsewhere, by a route that does not select by itself.
    dialog.findChild<QRadioButton*>(QStringLiteral("Option11"))->setFocus(Qt::OtherFocusReason);
    text1->setCursorPosition(2);
    text1->setFocus(Qt::OtherFocusReason);
    QCOMPARE(text1->selectedText(), QStringLiteral("Hello"));

    auto* label1 = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(label1);
    QCOMPARE(label1->text(), QStringLiteral("文字"));
    QCOMPARE(label1->buddy(), text1);
    dialog.reject();
}

QTEST_MAIN(TestFrmP)
#include "tst_frmp.moc"
