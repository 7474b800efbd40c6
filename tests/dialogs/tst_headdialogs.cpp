// The title, page and base font dialogs: their fields read from an old tag or a selection, their
// output, re-editing through the main window (F4) and the insert commands on the toolbar.
#include "core/appstate.h"
#include "core/dialogregistry.h"
#include "dialogs/html/frmbasefont.h"
#include "dialogs/html/frmpage.h"
#include "dialogs/html/frmtitle.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "fixtures.h"
#include "modaldialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace tl;

namespace
{

using Line = TitleFields::Line;

const QString kCrLf = QStringLiteral("\r\n");

// The page skeleton the title command writes for the title "Top", in double quotes.
const QString kSkeletonTop =
    QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n"
                   "<HTML>\r\n"
                   "<HEAD>\r\n"
                   "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html;charset=x-sjis\">\r\n"
                   "<TITLE>Top</TITLE>\r\n"
                   "</HEAD>\r\n"
                   "<BODY>\r\n"
                   "</BODY>\r\n"
                   "</HTML>\r\n");

TitleFields Title(std::initializer_list<Line> lines, const QString& title,
                  QuoteStyle quote = QuoteStyle::Double, bool reediting = false)
{
    TitleFields f;
    for (Line line : lines)
        f.lines[line] = true;
    f.title = title;
    f.quote = quote;
    f.reediting = reediting;
    return f;
}

TitleFields InsertDefaults(const QString& title, QuoteStyle quote = QuoteStyle::Double)
{
    return Title({Line::Html, Line::Head, Line::HeadEnd, Line::Body, Line::HtmlEnd, Line::Doctype,
                  Line::ContentType, Line::Title},
                 title, quote);
}

// "lines=0,1,7 title=[Top] meta=[||||] quote=\" reediting openingOnly", flags when set.
QString Describe(const TitleFields& f)
{
    QStringList on;
    for (int i = 0; i < Line::LineCount; ++i) {
        if (f.lines[size_t(i)])
            on << QString::number(i);
    }
    QStringList meta(f.meta.begin(), f.meta.end());
    QString out = QStringLiteral("lines=%1 title=[%2] meta=[%3] quote=%4")
                      .arg(on.join(u','), f.title, meta.join(u'|'), QuoteChar(f.quote));
    if (f.reediting)
        out += QStringLiteral(" reediting");
    if (f.openingTagOnly)
        out += QStringLiteral(" openingOnly");
    return out;
}

// "bg=[..] bgcolor=[..] text=[..] link=[..] vlink=[..] alink=[..] fixed quote=\" reediting".
QString Describe(const PageFields& f)
{
    QString out = QStringLiteral("bg=[%1] bgcolor=[%2] text=[%3] link=[%4] vlink=[%5] alink=[%6]")
                      .arg(f.background, f.bgcolor, f.text, f.link, f.vlink, f.alink);
    if (f.fixed)
        out += QStringLiteral(" fixed");
    out += QStringLiteral(" quote=") + QuoteChar(f.quote);
    if (f.reediting)
        out += QStringLiteral(" reediting");
    return out;
}

PageFields Page(std::initializer_list<QString> values, bool fixed,
                QuoteStyle quote = QuoteStyle::Double, bool reediting = false)
{
    PageFields f;
    QString* fields[] = {&f.background, &f.bgcolor, &f.text, &f.link, &f.vlink, &f.alink};
    int i = 0;
    for (const QString& v : values)
        *fields[i++] = v;
    f.fixed = fixed;
    f.quote = quote;
    f.reediting = reediting;
    return f;
}

template <class T> T* Child(QWidget* dialog, const QString& name)
{
    return dialog ? dialog->findChild<T*>(name) : nullptr;
}

// Carries out one step on a dialog: "Text3=navy" replaces the field's content by typing (an
// empty value deletes it), any other name clicks that button.
void Act(QWidget* dialog, const QString& step)
{
    const qsizetype eq = step.indexOf(u'=');
    if (eq < 0) {
        if (auto* button = Child<QAbstractButton>(dialog, step))
            button->click();
        return;
    }
    auto* field = Child<QLineEdit>(dialog, step.left(eq));
    if (!field)
        return;
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, step.mid(eq + 1));
}

// A shown main window whose page is "abc" CR LF + tag.
struct Window : test::WindowFixture {
    explicit Window(const QString& text) : WindowFixture(text) { window.show(); }
};

} // namespace

class TestHeadDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void titleCompose_data();
    void titleCompose();
    void titleOpen_data();
    void titleOpen();
    void pageCompose_data();
    void pageCompose();
    void pageOpen_data();
    void pageOpen();
    void baseFontOpen_data();
    void baseFontOpen();
    void reopeningWhatTheDialogWroteGivesItBack();
    void okWithoutChangeLeavesHandWrittenTag_data();
    void okWithoutChangeLeavesHandWrittenTag();
    void changedReeditKeepsWhatTheDialogDoesNotKnow_data();
    void changedReeditKeepsWhatTheDialogDoesNotKnow();
    void titleButtonWritesTheSkeleton();
    void pageButtonWithColourButton();
    void tabOrderAndLabels_data();
    void tabOrderAndLabels();
};

void TestHeadDialogs::titleCompose_data()
{
    QTest::addColumn<TitleFields>("fields");
    QTest::addColumn<QString>("output");

    QTest::newRow("insert_defaults_title_top")
        << InsertDefaults(QStringLiteral("Top")) << kSkeletonTop;
    QString single = kSkeletonTop;
    single.replace(u'"', u'\'');
    QTest::newRow("insert_defaults_single_quotes")
        << InsertDefaults(QStringLiteral("Top"), QuoteStyle::Single) << single;
    QTest::newRow("empty_title_is_five_spaces")
        << Title({Line::Title}, QString()) << QStringLiteral("<TITLE>     </TITLE>\r\n");
    QTest::newRow("blank_title_is_five_spaces")
        << Title({Line::Title}, QStringLiteral("  ")) << QStringLiteral("<TITLE>     </TITLE>\r\n");
    QTest::newRow("title_keeps_its_spaces") << Title({Line::Title}, QStringLiteral(" a b "))
                                            << QStringLiteral("<TITLE> a b </TITLE>\r\n");

    TitleFields metas = Title({Line::Comments, Line::Keywords, Line::Description, Line::ReplyTo,
                               Line::Author, Line::Title, Line::HeadEnd},
                              QStringLiteral("T"), QuoteStyle::Single);
    metas.meta = {QStringLiteral("Me"), QStringLiteral(" a page "), QStringLiteral("x, y"),
                  QString(), QStringLiteral("say \"hi\"")};
    QTest::newRow("meta_lines_in_order_untrimmed_empty_written")
        << metas
        << QStringLiteral("<META NAME='Author' CONTENT='Me'>\r\n"
                          "<META NAME='Description' CONTENT=' a page '>\r\n"
                          "<META NAME='Keywords' CONTENT='x, y'>\r\n"
                          "<META NAME='Reply-To' CONTENT=''>\r\n"
                          "<META NAME='Comments' CONTENT='say \"hi\"'>\r\n"
                          "<TITLE>T</TITLE>\r\n"
                          "</HEAD>\r\n");
    // A value holding the chosen quote takes the other one, so the tag stays whole.
    TitleFields quoted = Title({Line::Description, Line::Keywords}, QString());
    quoted.meta[1] = QStringLiteral("say \"hi\"");
    quoted.meta[2] = QStringLiteral("it's");
    QTest::newRow("meta_content_holding_the_quote_takes_the_other")
        << quoted
        << QStringLiteral("<META NAME=\"Description\" CONTENT='say \"hi\"'>\r\n"
                          "<META NAME=\"Keywords\" CONTENT=\"it's\">\r\n");
    QTest::newRow("reediting_title_has_no_line_break")
        << Title({Line::Title}, QStringLiteral("Old"), QuoteStyle::Double, true)
        << QStringLiteral("<TITLE>Old</TITLE>");
    QTest::newRow("reediting_with_doctype_added")
        << Title({Line::Title, Line::Doctype}, QStringLiteral("Old"), QuoteStyle::Single, true)
        << QStringLiteral("<!DOCTYPE HTML PUBLIC '-//W3C//DTD HTML 3.2//EN'>\r\n"
                          "<TITLE>Old</TITLE>");
    QTest::newRow("nothing_checked_is_empty") << Title({}, QStringLiteral("Top")) << QString();
    TitleFields openingOnly = Title({Line::Title}, QString(), QuoteStyle::Double, true);
    openingOnly.openingTagOnly = true;
    QTest::newRow("opening_tag_alone") << openingOnly << QStringLiteral("<TITLE>");
}

void TestHeadDialogs::titleCompose()
{
    QFETCH(TitleFields, fields);
    QFETCH(QString, output);
    QCOMPARE(ComposeTitle(fields), output);
}

void TestHeadDialogs::titleOpen_data()
{
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("output");

    const QString reedit = QStringLiteral("lines=7 title=[%1] meta=[||||] quote=%2 reediting");
    QTest::newRow("insert_selection_line_break_dropped")
        << QString() << QStringLiteral("Top\r\n")
        << QStringLiteral("lines=0,1,2,3,4,5,6,7 title=[Top] meta=[||||] quote=\"") << kSkeletonTop;
    QTest::newRow("insert_selection_of_a_line_break_alone")
        << QString() << kCrLf
        << QStringLiteral("lines=0,1,2,3,4,5,6,7 title=[] meta=[||||] quote=\"")
        << QString(kSkeletonTop).replace(QStringLiteral(">Top<"), QStringLiteral(">     <"));
    QTest::newRow("reedit") << QStringLiteral("<TITLE>Old</TITLE>") << QString()
                            << reedit.arg(QStringLiteral("Old"), QStringLiteral("\""))
                            << QStringLiteral("<TITLE>Old</TITLE>");
    QTest::newRow("reedit_ignores_selection")
        << QStringLiteral("<title>Old</title>") << QStringLiteral("zzz")
        << reedit.arg(QStringLiteral("Old"), QStringLiteral("\""))
        << QStringLiteral("<TITLE>Old</TITLE>");
    QTest::newRow("reedit_double_quoted_title")
        << QStringLiteral("<TITLE>\"Top\"</TITLE>") << QString()
        << reedit.arg(QStringLiteral("Top"), QStringLiteral("\""))
        << QStringLiteral("<TITLE>Top</TITLE>");
    QTest::newRow("reedit_single_quoted_title")
        << QStringLiteral("<TITLE>'Top'</TITLE>") << QString()
        << reedit.arg(QStringLiteral("Top"), QStringLiteral("'"))
        << QStringLiteral("<TITLE>Top</TITLE>");
    // Only a title between two equal quotes loses them; any other is read as written.
    QTest::newRow("reedit_quote_at_start_only")
        << QStringLiteral("<TITLE>\"Top</TITLE>") << QString()
        << reedit.arg(QStringLiteral("\"Top"), QStringLiteral("\""))
        << QStringLiteral("<TITLE>\"Top</TITLE>");
    QTest::newRow("reedit_mixed_quotes")
        << QStringLiteral("<TITLE>\"Top'</TITLE>") << QString()
        << reedit.arg(QStringLiteral("\"Top'"), QStringLiteral("'"))
        << QStringLiteral("<TITLE>\"Top'</TITLE>");
    QTest::newRow("reedit_lone_quote") << QStringLiteral("<TITLE>\"</TITLE>") << QString()
                                       << reedit.arg(QStringLiteral("\""), QStringLiteral("\""))
                                       << QStringLiteral("<TITLE>\"</TITLE>");
    QTest::newRow("reedit_apostrophe_in_title")
        << QStringLiteral("<TITLE>Bob's page</TITLE>") << QString()
        << reedit.arg(QStringLiteral("Bob's page"), QStringLiteral("'"))
        << QStringLiteral("<TITLE>Bob's page</TITLE>");
    QTest::newRow("reedit_title_over_lines")
        << QStringLiteral("<TITLE>\r\nTop\r\n</TITLE>") << QString()
        << reedit.arg(QStringLiteral("\r\nTop\r\n"), QStringLiteral("\""))
        << QStringLiteral("<TITLE>\r\nTop\r\n</TITLE>");
    QTest::newRow("reedit_empty_title")
        << QStringLiteral("<TITLE></TITLE>") << QString()
        << reedit.arg(QString(), QStringLiteral("\"")) << QStringLiteral("<TITLE>     </TITLE>");
    // The attributes stay with the tag (the dialog framework keeps them).
    QTest::newRow("reedit_opening_tag_with_attribute")
        << QStringLiteral("<TITLE LANG=\"ja\">Top</TITLE>") << QString()
        << reedit.arg(QStringLiteral("Top"), QStringLiteral("\""))
        << QStringLiteral("<TITLE>Top</TITLE>");
    QTest::newRow("reedit_opening_tag_without_close")
        << QStringLiteral("<title>") << QString()
        << QStringLiteral("lines=7 title=[] meta=[||||] quote=\" reediting openingOnly")
        << QStringLiteral("<TITLE>");
}

void TestHeadDialogs::titleOpen()
{
    QFETCH(QString, old);
    QFETCH(QString, selection);
    QFETCH(QString, fields);
    QFETCH(QString, output);

    const TitleFields f = OpenTitle(old, selection);
    QCOMPARE(Describe(f), fields);
    QCOMPARE(ComposeTitle(f), output);
}

void TestHeadDialogs::pageCompose_data()
{
    QTest::addColumn<PageFields>("fields");
    QTest::addColumn<QString>("output");

    QTest::newRow("all_empty_inserts_nothing") << Page({}, false) << QString();
    QTest::newRow("blank_fields_are_empty")
        << Page({QStringLiteral("  "), QStringLiteral(" ")}, false) << QString();
    QTest::newRow("fixed_alone") << Page({}, true)
                                 << QStringLiteral("<BODY BGPROPERTIES=\"FIXED\">");
    QTest::newRow("every_attribute_in_order_single_quotes")
        << Page({QStringLiteral("bg.gif"), QStringLiteral("#FFFFFF"), QStringLiteral("black"),
                 QStringLiteral("blue"), QStringLiteral("red"), QStringLiteral("lime")},
                true, QuoteStyle::Single)
        << QStringLiteral("<BODY BACKGROUND='bg.gif' BGCOLOR='#FFFFFF' TEXT='black' "
                          "LINK='blue' VLINK='red' ALINK='lime' BGPROPERTIES='FIXED'>");
    QTest::newRow("values_trimmed")
        << Page({QStringLiteral(" my bg.gif "), {}, {}, {}, QStringLiteral("  red  ")}, false)
        << QStringLiteral("<BODY BACKGROUND=\"my bg.gif\" VLINK=\"red\">");
    // Clearing every field of a re-edited BODY tag leaves the tag, not a page without one.
    QTest::newRow("reediting_all_empty_keeps_bare_tag")
        << Page({}, false, QuoteStyle::Double, true) << QStringLiteral("<BODY>");
}

void TestHeadDialogs::pageCompose()
{
    QFETCH(PageFields, fields);
    QFETCH(QString, output);
    QCOMPARE(ComposePage(fields), output);
}

void TestHeadDialogs::pageOpen_data()
{
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("output");

    QTest::newRow("insert")
        << QString()
        << QStringLiteral("bg=[] bgcolor=[] text=[] link=[] vlink=[] alink=[] fixed quote=\"")
        << QStringLiteral("<BODY BGPROPERTIES=\"FIXED\">");
    QTest::newRow("vlink_only")
        << QStringLiteral("<BODY VLINK=\"red\">")
        << QStringLiteral(
               "bg=[] bgcolor=[] text=[] link=[] vlink=[red] alink=[] quote=\" reediting")
        << QStringLiteral("<BODY VLINK=\"red\">");
    QTest::newRow("alink_before_link")
        << QStringLiteral("<BODY ALINK=lime LINK=blue>")
        << QStringLiteral(
               "bg=[] bgcolor=[] text=[] link=[blue] vlink=[] alink=[lime] quote=\" reediting")
        << QStringLiteral("<BODY LINK=\"blue\" ALINK=\"lime\">");
    QTest::newRow("lower_case_unquoted")
        << QStringLiteral("<body bgcolor=white text=black>")
        << QStringLiteral(
               "bg=[] bgcolor=[white] text=[black] link=[] vlink=[] alink=[] quote=\" reediting")
        << QStringLiteral("<BODY BGCOLOR=\"white\" TEXT=\"black\">");
    QTest::newRow("everything_single_quoted")
        << QStringLiteral("<BODY BACKGROUND='my bg.gif' BGCOLOR='#FFFFFF' TEXT='#000000' "
                          "LINK='blue' VLINK='purple' ALINK='red' BGPROPERTIES='fixed'>")
        << QStringLiteral("bg=[my bg.gif] bgcolor=[#FFFFFF] text=[#000000] link=[blue] "
                          "vlink=[purple] alink=[red] fixed quote=' reediting")
        << QStringLiteral("<BODY BACKGROUND='my bg.gif' BGCOLOR='#FFFFFF' TEXT='#000000' "
                          "LINK='blue' VLINK='purple' ALINK='red' BGPROPERTIES='FIXED'>");
    QTest::newRow("fixed_in_a_file_name_is_no_fixed_background")
        << QStringLiteral("<BODY BACKGROUND=\"fixed.gif\">")
        << QStringLiteral(
               "bg=[fixed.gif] bgcolor=[] text=[] link=[] vlink=[] alink=[] quote=\" reediting")
        << QStringLiteral("<BODY BACKGROUND=\"fixed.gif\">");
    QTest::newRow("bare_body")
        << QStringLiteral("<BODY>")
        << QStringLiteral("bg=[] bgcolor=[] text=[] link=[] vlink=[] alink=[] quote=\" reediting")
        << QStringLiteral("<BODY>");
}

void TestHeadDialogs::pageOpen()
{
    QFETCH(QString, old);
    QFETCH(QString, fields);
    QFETCH(QString, output);

    const PageFields f = OpenPage(old);
    QCOMPARE(Describe(f), fields);
    QCOMPARE(ComposePage(f), output);
}

void TestHeadDialogs::baseFontOpen_data()
{
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("output"); // shows the size and the quote read

    QTest::newRow("insert") << QString() << QStringLiteral("<BASEFONT SIZE=\"3\">");
    QTest::newRow("size_5") << QStringLiteral("<BASEFONT SIZE=\"5\">")
                            << QStringLiteral("<BASEFONT SIZE=\"5\">");
    QTest::newRow("lower_case_unquoted")
        << QStringLiteral("<basefont size=7>") << QStringLiteral("<BASEFONT SIZE=\"7\">");
    QTest::newRow("single_quotes")
        << QStringLiteral("<BASEFONT SIZE='1'>") << QStringLiteral("<BASEFONT SIZE='1'>");
    QTest::newRow("relative_size_selects_3")
        << QStringLiteral("<BASEFONT SIZE=\"+1\">") << QStringLiteral("<BASEFONT SIZE=\"3\">");
    QTest::newRow("size_out_of_range_selects_3")
        << QStringLiteral("<BASEFONT SIZE=\"10\">") << QStringLiteral("<BASEFONT SIZE=\"3\">");
    QTest::newRow("no_size") << QStringLiteral("<BASEFONT COLOR=red>")
                             << QStringLiteral("<BASEFONT SIZE=\"3\">");
}

void TestHeadDialogs::baseFontOpen()
{
    QFETCH(QString, old);
    QFETCH(QString, output);
    QCOMPARE(ComposeBaseFont(OpenBaseFont(old)), output);
}

// What a dialog wrote, opened again as the re-edit opens it, is written again the same.
void TestHeadDialogs::reopeningWhatTheDialogWroteGivesItBack()
{
    for (const QuoteStyle quote : {QuoteStyle::Double, QuoteStyle::Single}) {
        for (const QString& title :
             {QStringLiteral("Top"), QStringLiteral("     "), QStringLiteral("A \"quoted\" word"),
              QStringLiteral("トップ・ページ")}) {
            const QString once =
                ComposeTitle(Title({Line::Title}, title, quote, /*reediting=*/true));
            QCOMPARE(ComposeTitle(OpenTitle(once, QString())), once);
        }
        for (const PageFields& page :
             {Page({QStringLiteral("my bg.gif"), QStringLiteral("#FFFFFF"), QStringLiteral("black"),
                    QStringLiteral("blue"), QStringLiteral("red"), QStringLiteral("lime")},
                   true, quote),
              Page({{}, {}, {}, QStringLiteral("blue")}, false, quote),
              Page({{}, {}, {}, {}, {}, QStringLiteral("#FF0000")}, false, quote)}) {
            const QString once = ComposePage(page);
            QCOMPARE(ComposePage(OpenPage(once)), once);
        }
        for (int size = 1; size <= 7; ++size) {
            const QString once = ComposeBaseFont(BaseFontFields{size, quote});
            QCOMPARE(ComposeBaseFont(OpenBaseFont(once)), once);
        }
    }
}

void TestHeadDialogs::okWithoutChangeLeavesHandWrittenTag_data()
{
    QTest::addColumn<QString>("tag"); // after "abc" CR LF; F4 inside it
    QTest::addColumn<QString>("dialog");

    QTest::newRow("title_lower_case")
        << QStringLiteral("<title>Old</title>") << QStringLiteral("frmTitle");
    QTest::newRow("title_quoted") << QStringLiteral("<TITLE>\"Top\"</TITLE>")
                                  << QStringLiteral("frmTitle");
    QTest::newRow("title_over_lines")
        << QStringLiteral("<TITLE>\r\nTop\r\n</TITLE>") << QStringLiteral("frmTitle");
    QTest::newRow("title_unclosed") << QStringLiteral("<Title>Top") << QStringLiteral("frmTitle");
    QTest::newRow("basefont_relative")
        << QStringLiteral("<basefont size=\"+1\">") << QStringLiteral("frmBaseFont");
    QTest::newRow("basefont_odd_spacing")
        << QStringLiteral("<BASEFONT  size = 5 >") << QStringLiteral("frmBaseFont");
    QTest::newRow("body_lower_case_unquoted")
        << QStringLiteral("<body bgcolor=white text=black>") << QStringLiteral("frmPage");
    QTest::newRow("body_odd_spacing")
        << QStringLiteral("<BODY  BGCOLOR = \"#FFFFFF\"   onLoad='init()' >")
        << QStringLiteral("frmPage");
    QTest::newRow("body_fixed_lower_case")
        << QStringLiteral("<Body Background=bg.gif bgproperties=fixed>")
        << QStringLiteral("frmPage");
}

void TestHeadDialogs::okWithoutChangeLeavesHandWrittenTag()
{
    QFETCH(QString, tag);
    QFETCH(QString, dialog);

    const QString page = QStringLiteral("abc\r\n") + tag + QStringLiteral("\r\nxyz");
    Window w(page);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.box().SetSelStart(5 + 2);
    QStringList opened;
    test::OnNextModal([&](QWidget* d) {
        opened << (d ? d->objectName() : QStringLiteral("none"));
        if (auto* ok = Child<QPushButton>(d, QStringLiteral("CmdOK")))
            ok->click();
    });
    QTest::keyClick(&w.edit(), Qt::Key_F4);
    QCOMPARE(opened, QStringList{dialog});
    QCOMPARE(w.box().Text(), page);
    QVERIFY(!w.state.Doc.canUndo());
}

void TestHeadDialogs::changedReeditKeepsWhatTheDialogDoesNotKnow_data()
{
    QTest::addColumn<QString>("tag");   // after "abc" CR LF; F4 inside it
    QTest::addColumn<QString>("steps"); // ";"-separated, see Act
    QTest::addColumn<QString>("after"); // the tag's place afterwards

    QTest::newRow("body_text_added_onload_kept")
        << QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\" onLoad=\"init()\">")
        << QStringLiteral("Text3=black")
        << QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\" TEXT=\"black\" onLoad=\"init()\">");
    QTest::newRow("body_cleared_colour_goes_unknown_stays")
        << QStringLiteral("<body bgcolor=red onload=go() text=black>") << QStringLiteral("Text2=")
        << QStringLiteral("<BODY TEXT=\"black\" onload=go()>");
    // The reader takes no value after "bgcolor ": the attribute stays as it was written.
    QTest::newRow("body_unreadable_attribute_kept")
        << QStringLiteral("<body bgcolor = white text=black>") << QStringLiteral("Text3=navy")
        << QStringLiteral("<BODY TEXT=\"navy\" bgcolor = white>");
    // An ASP value the readers cut short ("<") is written back whole, not as what was read.
    QTest::newRow("body_asp_value_kept_whole")
        << QStringLiteral("<BODY BGCOLOR=\"<%=bg%>\" TEXT=\"red\">") << QStringLiteral("Text3=navy")
        << QStringLiteral("<BODY BGCOLOR=\"<%=bg%>\" TEXT=\"navy\">");
    // A background without a "." (an ASP expression) is read up to its closing quote only.
    QTest::newRow("body_background_without_dot_kept")
        << QStringLiteral("<BODY BACKGROUND=\"<%=Session(\"bg\")%>\" TEXT=\"red\">")
        << QStringLiteral("Text3=navy")
        << QStringLiteral("<BODY BACKGROUND=\"<%=Session(\"bg\")%>\" TEXT=\"navy\">");
    QTest::newRow("body_everything_cleared_keeps_tag")
        << QStringLiteral("<BODY BGCOLOR=red CLASS=main>") << QStringLiteral("Text2=")
        << QStringLiteral("<BODY CLASS=main>");
    QTest::newRow("basefont_size_changed_color_kept")
        << QStringLiteral("<basefont size=\"+1\" color=red>") << QStringLiteral("Option5")
        << QStringLiteral("<BASEFONT SIZE=\"5\" color=red>");
    QTest::newRow("title_changed_attribute_kept")
        << QStringLiteral("<TITLE LANG=\"ja\">Old</TITLE>") << QStringLiteral("Text1=New")
        << QStringLiteral("<TITLE LANG=\"ja\">New</TITLE>");
    QTest::newRow("title_doctype_added_in_front")
        << QStringLiteral("<TITLE>Old</TITLE>") << QStringLiteral("Check1_5;Option6")
        << QStringLiteral("<!DOCTYPE HTML PUBLIC '-//W3C//DTD HTML 3.2//EN'>\r\n"
                          "<TITLE>Old</TITLE>");
    // Only the opening tag is replaced; the title after it stays.
    QTest::newRow("title_unclosed_rewritten_alone")
        << QStringLiteral("<title>Top") << QStringLiteral("Option6")
        << QStringLiteral("<TITLE>Top");
}

void TestHeadDialogs::changedReeditKeepsWhatTheDialogDoesNotKnow()
{
    QFETCH(QString, tag);
    QFETCH(QString, steps);
    QFETCH(QString, after);

    const QString before = QStringLiteral("abc\r\n");
    const QString rest = QStringLiteral("\r\nxyz");
    Window w(before + tag + rest);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.box().SetSelStart(before.size() + 2);
    test::OnNextModal([&](QWidget* d) {
        for (const QString& step : steps.split(u';'))
            Act(d, step);
        if (auto* ok = Child<QPushButton>(d, QStringLiteral("CmdOK")))
            ok->click();
    });
    QTest::keyClick(&w.edit(), Qt::Key_F4);
    QCOMPARE(w.box().Text(), before + after + rest);
    QVERIFY(w.state.Doc.canUndo());
}

void TestHeadDialogs::titleButtonWritesTheSkeleton()
{
    Window w(QStringLiteral("abc\r\n"));
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.box().SetSelStart(5);
    QAction* button = w.item("TitleButton");
    QVERIFY(button);
    QString seen;
    test::OnNextModal([&](QWidget* d) {
        if (!d)
            return;
        QStringList on;
        for (int i = 0; i < Line::LineCount; ++i) {
            if (auto* box = Child<QCheckBox>(d, QStringLiteral("Check1_%1").arg(i));
                box && box->isChecked())
                on << QString::number(i);
        }
        QWidget* focus = d->focusWidget();
        seen = QStringLiteral("%1 %2 focus=%3 on=%4")
                   .arg(d->objectName(), d->windowTitle(), focus ? focus->objectName() : QString(),
                        on.join(u','));
        // The title field is the one the heading labels, the Author field the one after the
        // Author check box.
        auto* heading = Child<QLabel>(d, QStringLiteral("Label13"));
        auto* title = qobject_cast<QLineEdit*>(heading ? heading->buddy() : nullptr);
        if (!title)
            return;
        QTest::keyClicks(title, QStringLiteral("Top"));
        Child<QCheckBox>(d, QStringLiteral("Check1_8"))->click();
        auto* quote = Child<QLabel>(d, QStringLiteral("Label2"));
        auto* author = qobject_cast<QLineEdit*>(quote ? quote->buddy() : nullptr);
        if (!author)
            return;
        QTest::keyClicks(author, QStringLiteral("Me"));
        Child<QPushButton>(d, QStringLiteral("CmdOK"))->click();
    });
    button->trigger();
    QCOMPARE(seen, QStringLiteral("frmTitle TITLE focus=Text1 on=0,1,2,3,4,5,6,7"));
    QString expected = kSkeletonTop;
    expected.replace(QStringLiteral("<TITLE>"),
                     QStringLiteral("<META NAME=\"Author\" CONTENT=\"Me\">\r\n<TITLE>"));
    QCOMPARE(w.box().Text(), QStringLiteral("abc\r\n") + expected);
}

// The colour buttons give the focus to their field and open the picker, which writes into the
// control with the focus (a stand-in picker here).
void TestHeadDialogs::pageButtonWithColourButton()
{
    Window w(QStringLiteral("abc"));
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.box().SetSelStart(3);
    w.state.Dialogs.Register(QStringLiteral("frmColor"), [](const DialogRequest& r) {
        if (auto* field = qobject_cast<QLineEdit*>(r.parent ? r.parent->focusWidget() : nullptr))
            field->setText(QStringLiteral("#123456"));
    });
    QAction* button = w.item("PageButton");
    QVERIFY(button);
    test::OnNextModal([&](QWidget* d) {
        Act(d, QStringLiteral("Cmd4"));
        Act(d, QStringLiteral("Text2=white"));
        Act(d, QStringLiteral("Check3")); // off
        Act(d, QStringLiteral("Option6"));
        if (auto* ok = Child<QPushButton>(d, QStringLiteral("CmdOK")))
            ok->click();
    });
    button->trigger();
    QCOMPARE(w.box().Text(), QStringLiteral("abc<BODY BGCOLOR='white' LINK='#123456'>"));
}

void TestHeadDialogs::tabOrderAndLabels_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("order"); // where the focus starts, then the tab order
    QTest::addColumn<QString>("names"); // each text field: its accessible name

    QTest::newRow("frmTitle")
        << QStringLiteral("frmTitle")
        << QStringLiteral(
               "focus=Text1 Text1 Check1_7 Check1_5 Check1_0 Check1_1 Check1_6 Check1_8 Text2 "
               "Check1_9 Text3 Check1_10 Text4 Check1_11 Text5 Check1_12 Text6 "
               "Check1_2 Check1_3 Check1_4 Option5 Option6 CmdOK CmdCansel")
        << QStringLiteral("Text1:タイトル Text2:<META NAME=\"Author\" CONTENT=\" "
                          "Text3:<META NAME=\"Description\" CONTENT=\" "
                          "Text4:<META NAME=\"Keywords\" CONTENT=\" "
                          "Text5:<META NAME=\"Reply-To\" CONTENT=\" "
                          "Text6:<META NAME=\"Comments\" CONTENT=\"");
    QTest::newRow("frmPage")
        << QStringLiteral("frmPage")
        << QStringLiteral(
               "focus=Text1 Text1 CmdImg Check3 Text2 Cmd2 Text3 Cmd3 Text4 Cmd4 Text5 Cmd5 Text6 "
               "Cmd6 Option5 Option6 CmdOK CmdCansel")
        << QStringLiteral("Text1:背景ｲﾒｰｼﾞ Text2:背景色 Text3:テキスト Text4:リンク "
                          "Text5:アクセス済リンク Text6:アクセス中リンク");
    QTest::newRow("frmBaseFont")
        << QStringLiteral("frmBaseFont")
        << QStringLiteral(
               "focus=Option3 Option1 Option2 Option3 Option4 Option5 Option6 Option7 Option9 "
               "Option8 CmdOK CmdCansel")
        << QString();
}

void TestHeadDialogs::tabOrderAndLabels()
{
    QFETCH(QString, dialog);
    QFETCH(QString, order);
    QFETCH(QString, names);

    Window w{QString()};
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QString chain;
    QString fields;
    test::OnNextModal([&](QWidget* d) {
        if (!d)
            return;
        // The cycle from the control after CmdCansel, as Tab walks it; radio buttons are listed
        // all, though Tab enters a group only once.
        QWidget* cancel = Child<QPushButton>(d, QStringLiteral("CmdCansel"));
        if (!cancel || !d->focusWidget())
            return;
        QStringList seen{QStringLiteral("focus=") + d->focusWidget()->objectName()};
        for (QWidget* x = cancel->nextInFocusChain(); x != cancel; x = x->nextInFocusChain()) {
            if (x != d && d->isAncestorOf(x) && x->focusPolicy() != Qt::NoFocus)
                seen << x->objectName();
        }
        seen << cancel->objectName();
        chain = seen.join(u' ');
        QStringList named;
        for (QLineEdit* field : d->findChildren<QLineEdit*>()) {
            // The accessible name is the field's own one, or its label's caption.
            QString name = field->accessibleName();
            for (QLabel* label : d->findChildren<QLabel*>()) {
                if (name.isEmpty() && label->buddy() == field)
                    name = label->text();
            }
            named << field->objectName() + u':' + name;
        }
        fields = named.join(u' ');
    });
    w.state.Dialogs.Open(dialog, DialogRequest{w.state, w.box(), &w.window, QString()});
    QCOMPARE(chain, order);
    QCOMPARE(fields, names);
}

QTEST_MAIN(TestHeadDialogs)
#include "tst_headdialogs.moc"
