#include "app/frmabout.h"
#include "app/frmmain.h"
#include "app/gutterruler.h"
#include "app/mainlayout.h"
#include "app/startup.h"
#include "app/toolbarcommands.h"
#include "captionfit.h"
#include "commands/catalogue.h"
#include "commands/dispatcher.h"
#include "commands/toolbarmap.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editing/insertion.h"
#include "files/filecommands.h"
#include "modaldialogs.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <algorithm>

using namespace tl;

namespace
{

struct Session {
    test::TempHome home;
    test::ScriptedPrompter prompts;
    AppState state{prompts};
    frmMain window{state};

    Session() { BuildMarkerColumn(state.MarkerColumnText); }
    cTextBox& box() { return window.TextBox(); }
    QString page() const { return home.path() + QStringLiteral("/page.htm"); }
    void openText(const QString& text)
    {
        test::TempHome::writeBytes(page(), text.toUtf8());
        window.Files().OpenDocument(page());
    }
};

// Rows of a CR LF separated text.
QStringList Rows(const QString& text)
{
    QStringList rows = text.split(QStringLiteral("\r\n"));
    if (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutArithmetic_data();
    void layoutArithmetic();
    void companionTexts();
    void inputModeIndicator_data();
    void inputModeIndicator();
    void statusWithoutDocument();
    void companionsFollowWithoutATimer();
    void gutterAndRulerLineUpWithTheBox();
    void gutterWidensPastTenThousandLines();
    void standardKeys_data();
    void standardKeys();
    void aboutBoxShowsItsWholeTitle();
    void toolbarChecksFollowHiddenToolbars();
    void menuTree();
    void toolbarButtonDoesItsCommand_data();
    void toolbarButtonDoesItsCommand();
    void waitingCommandsEnableWhenTheirDialogIsRegistered();
};

void TestMainWindow::layoutArithmetic_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("hidden");
    QTest::addColumn<int>("gutterExtra");
    QTest::addColumn<QRect>("mainText");
    QTest::addColumn<QRect>("gutter");
    QTest::addColumn<QRect>("ruler");

    QTest::newRow("all_toolbars_9000x6000")
        << 9000 << 6000 << 0 << 0 << QRect(765, 2030, 8222, 3680) << QRect(0, 2030, 495, 3480)
        << QRect(720, 1720, 8222, 240);
    // A fifth digit of 120 twips: the gutter widens, everything right of it moves over.
    QTest::newRow("five_digit_gutter_moves_the_box_over")
        << 9000 << 6000 << 0 << 120 << QRect(885, 2030, 8102, 3680) << QRect(0, 2030, 615, 3480)
        << QRect(840, 1720, 8102, 240);
    QTest::newRow("one_hidden_moves_up_420")
        << 9000 << 6000 << 1 << 0 << QRect(765, 1610, 8222, 4100) << QRect(0, 1610, 495, 3900)
        << QRect(720, 1300, 8222, 240);
    QTest::newRow("all_hidden") << 9000 << 6000 << 4 << 0 << QRect(765, 350, 8222, 5360)
                                << QRect(0, 350, 495, 5160) << QRect(720, 40, 8222, 240);
    QTest::newRow("zero_client_keeps_sizes_zero")
        << 0 << 0 << 0 << 0 << QRect(765, 2030, 0, 0) << QRect(0, 2030, 495, -200)
        << QRect(720, 1720, 0, 240);
}

void TestMainWindow::layoutArithmetic()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, hidden);
    QFETCH(int, gutterExtra);
    QFETCH(QRect, mainText);
    QFETCH(QRect, gutter);
    QFETCH(QRect, ruler);

    const MainLayout l = ComputeMainLayout(width, height, hidden, gutterExtra);
    QCOMPARE(l.mainText, mainText);
    QCOMPARE(l.subText1, gutter);
    QCOMPARE(l.subText3, QRect(495 + gutterExtra, gutter.y(), 150, gutter.height()));
    QCOMPARE(l.subText2, ruler);
    QCOMPARE(l.labLinNo, QRect(-75, ruler.y(), 795 + gutterExtra, 300));
    // The whole box, scroll bar included, stays inside the client area.
    if (width != 0)
        QVERIFY(l.mainText.x() + l.mainText.width() <= width);
}

void TestMainWindow::companionTexts()
{
    QString column;
    BuildMarkerColumn(column);
    const QStringList third = Rows(CaretMarkerText(column, 2));
    QCOMPARE(third.size(), 50);
    for (int row = 0; row < third.size(); ++row)
        QCOMPARE(third.at(row), row == 2 ? QStringLiteral(">") : QStringLiteral(" "));
    // Scrolled past the caret: the marker sits in the top row.
    QCOMPARE(Rows(CaretMarkerText(column, -3)).first(), QStringLiteral(">"));
    QCOMPARE(CaretMarkerText(column, 0), CaretMarkerText(column, -3));

    // A 10-line page scrolled to line 5: TotalLine is 11, which is not listed.
    QCOMPARE(LineGutterText(5, 11), QStringLiteral("5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n"));
    QCOMPARE(Rows(LineGutterText(100, 1000)).size(), 60);
    QCOMPARE(ColumnRulerText().size(), 120);
    QCOMPARE(ColumnRulerText().left(21), QStringLiteral("|----+----|----+----|"));
}

void TestMainWindow::inputModeIndicator_data()
{
    QTest::addColumn<int>("ime");
    QTest::addColumn<bool>("inputMode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("color");

    QTest::newRow("ime_first_even_in_input_mode")
        << 4 << true << "ＩＭＥﾓｰﾄﾞＯＮ" << QColor(Qt::black);
    QTest::newRow("ime_below_4_is_off") << 3 << true << "入力モ-ドＯＮ" << QColor(0, 0, 255);
    QTest::newRow("nothing_on") << 0 << false << "入力モ-ドＯＦＦ" << QColor(128, 0, 0);
}

void TestMainWindow::inputModeIndicator()
{
    QFETCH(int, ime);
    QFETCH(bool, inputMode);
    QFETCH(QString, text);
    QFETCH(QColor, color);

    Session s;
    s.state.ImeStatus = [ime] { return ime; };
    s.state.InputMode = inputMode;
    s.window.UpdateCompanions();
    QCOMPARE(s.window.StatusPanel(1)->text(), text);
    QCOMPARE(s.window.LineGutter()->textColor(), color);
    QCOMPARE(s.window.ColumnRuler()->textColor(), color);
}

void TestMainWindow::statusWithoutDocument()
{
    Session s;
    s.window.UpdateCompanions();
    QCOMPARE(s.window.StatusPanel(2)->text(), QStringLiteral("全行数：0"));
    QCOMPARE(s.window.StatusPanel(3)->text(), QStringLiteral("現在行：0"));
    QCOMPARE(s.window.LineLabel()->text(), QStringLiteral("0"));

    s.openText(QStringLiteral("a\r\nb\r\nc"));
    s.box().SetSelStart(3);
    s.window.UpdateCompanions();
    QCOMPARE(s.window.StatusPanel(2)->text(), QStringLiteral("全行数：4"));
    QCOMPARE(s.window.StatusPanel(3)->text(), QStringLiteral("現在行：2"));
    QCOMPARE(s.window.LineLabel()->text(), QStringLiteral("2"));

    // Assistive technology reads what the panels show, values included.
    auto spoken = [](QWidget* w) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Name) : QString();
    };
    QCOMPARE(spoken(s.window.StatusPanel(1)), s.window.StatusPanel(1)->text());
    QCOMPARE(spoken(s.window.StatusPanel(2)), QStringLiteral("全行数：4"));
    QCOMPARE(spoken(s.window.StatusPanel(3)), QStringLiteral("現在行：2"));
    QCOMPARE(spoken(s.window.LineLabel()), QStringLiteral("現在行：2"));

    // A button's tip in the status bar leaves the panels in place.
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    s.window.statusBar()->showMessage(QStringLiteral("ﾃｰﾌﾞﾙ"));
    for (int i = 1; i <= 3; ++i)
        QVERIFY(s.window.StatusPanel(i)->isVisible());
}

void TestMainWindow::companionsFollowWithoutATimer()
{
    Session s;
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    // Nothing polls: no timer of the window repeats while the program waits for the user.
    for (const QTimer* timer : s.window.findChildren<QTimer*>())
        QVERIFY2(!timer->isActive() || timer->isSingleShot(), qPrintable(timer->objectName()));

    // Posted events only, never a timer's: what follows shows without any timer firing.
    auto settle = [] { QCoreApplication::sendPostedEvents(); };
    QString text;
    for (int i = 1; i <= 30; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    s.openText(text);
    settle();
    QCOMPARE(s.window.StatusPanel(2)->text(), QStringLiteral("全行数：32"));
    QCOMPARE(s.window.StatusPanel(3)->text(), QStringLiteral("現在行：1"));
    QCOMPARE(Rows(s.window.LineGutter()->text()).first(), QStringLiteral("1"));
    QCOMPARE(Rows(s.window.CaretMarker()->text()).first(), QStringLiteral(">"));

    // A caret move by key: the line panel, the line label and the marker follow.
    MainTextEdit* edit = s.window.MainText();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    settle();
    QCOMPARE(s.window.StatusPanel(3)->text(), QStringLiteral("現在行：3"));
    QCOMPARE(s.window.LineLabel()->text(), QStringLiteral("3"));
    QCOMPARE(Rows(s.window.CaretMarker()->text()).indexOf(QStringLiteral(">")), 2);

    // An edit that adds lines: the count and the gutter follow, and the title's mark.
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Return);
    settle();
    QCOMPARE(s.window.StatusPanel(2)->text(), QStringLiteral("全行数：34"));
    QCOMPARE(s.window.StatusPanel(3)->text(), QStringLiteral("現在行：5"));
    QVERIFY(Rows(s.window.LineGutter()->text()).contains(QStringLiteral("33")));
    QVERIFY(s.window.isWindowModified());

    // A caret move by the program (a command, a jump) counts as well as a key.
    s.box().SetSelStart(LineStartPos(s.box(), 20));
    settle();
    QCOMPARE(s.window.StatusPanel(3)->text(), QStringLiteral("現在行：20"));

    // The input-mode step shows at once.
    const QString modeBefore = s.window.StatusPanel(1)->text();
    QTest::keyClick(edit, Qt::Key_F1);
    QVERIFY(s.window.StatusPanel(1)->text() != modeBefore);

    // Closing the page shows 0 and 0.
    s.window.Files().SaveDocument();
    s.window.Files().CloseDocument();
    settle();
    QCOMPARE(s.window.StatusPanel(2)->text(), QStringLiteral("全行数：0"));
    QCOMPARE(s.window.StatusPanel(3)->text(), QStringLiteral("現在行：0"));
    QVERIFY(!s.window.isWindowModified());
}

void TestMainWindow::gutterAndRulerLineUpWithTheBox()
{
    Session s;
    QString text;
    for (int i = 1; i <= 300; ++i)
        text += QStringLiteral("%1 日本語 line\r\n").arg(i);
    s.openText(text);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    MainTextEdit* edit = s.window.MainText();
    edit->setFirstVisibleLine(120);
    s.box().SetSelStart(LineStartPos(s.box(), 124) + 2);
    s.window.UpdateCompanions();

    // The gutter lists the visible lines, and row k stands level with line TopLine + k.
    QCOMPARE(s.box().TopLine(), 121);
    QCOMPARE(Rows(s.window.LineGutter()->text()).first(), QStringLiteral("121"));
    const QStringList marker = Rows(s.window.CaretMarker()->text());
    QCOMPARE(marker.at(3), QStringLiteral(">"));
    for (int row : {0, 3, 10}) {
        const int lineTop =
            edit->viewport()->mapTo(&s.window, QPoint(0, edit->lineTop(120 + row))).y();
        const int gutterTop = s.window.LineGutter()
                                  ->mapTo(&s.window, QPoint(0, s.window.LineGutter()->rowTop(row)))
                                  .y();
        const int markerTop = s.window.CaretMarker()
                                  ->mapTo(&s.window, QPoint(0, s.window.CaretMarker()->rowTop(row)))
                                  .y();
        QCOMPARE(gutterTop, lineTop);
        QCOMPARE(markerTop, lineTop);
    }

    // Ruler column 3 stands over the box's column 3, also when scrolled sideways.
    for (int shift : {0, 3}) {
        s.box().ScrollColumns(shift);
        const qint64 pos = LineStartPos(s.box(), 121) + 3; // "121| 日本語"
        const int textX = edit->viewport()->mapTo(&s.window, edit->positionRect(pos).topLeft()).x();
        const int rulerX = s.window.ColumnRuler()
                               ->mapTo(&s.window, QPoint(s.window.ColumnRuler()->columnLeft(3), 0))
                               .x();
        QCOMPARE(rulerX, textX);
    }

    // The ruler's marks are drawn in its 240 twips, however tall the face's line is: placed by
    // a tall ascent, the bars were cut to their upper half.
    RulerLabel* ruler = s.window.ColumnRuler();
    const QImage drawn = ruler->grab().toImage();
    QHash<QRgb, int> uses;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            ++uses[drawn.pixel(x, y)];
    const QRgb background =
        std::max_element(uses.keyValueBegin(), uses.keyValueEnd(),
                         [](const auto& a, const auto& b) { return a.second < b.second; })
            ->first;
    int inkTop = drawn.height();
    int inkBottom = -1;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixel(x, y) != background) {
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
    const int markHeight =
        QFontMetrics(edit->font()).tightBoundingRect(QStringLiteral("|")).height();
    // "|" may be a little taller than the label: then it takes the label's whole height.
    QVERIFY2(inkBottom - inkTop + 1 >= std::min(markHeight, ruler->height()) - 1,
             qPrintable(QStringLiteral("ink rows %1-%2 of %3; a mark is %4 high")
                            .arg(inkTop)
                            .arg(inkBottom)
                            .arg(ruler->height())
                            .arg(markHeight)));
}

void TestMainWindow::gutterWidensPastTenThousandLines()
{
    Session s;
    QString text;
    for (int i = 1; i <= 10005; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    s.openText(text);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    MainTextEdit* edit = s.window.MainText();
    s.box().ShowBottom();
    s.window.UpdateCompanions();

    // Line numbers keep all five digits, and the box has moved over to make room for them.
    const QStringList rows = Rows(s.window.LineGutter()->text());
    QVERIFY(rows.contains(QStringLiteral("10005")));
    QVERIFY(rows.contains(QStringLiteral("10000")));
    const int digits = QFontMetrics(edit->font()).horizontalAdvance(QStringLiteral("10005"));
    QVERIFY(s.window.LineGutter()->width() >= digits);
    QVERIFY(s.window.CaretMarker()->x() >= s.window.LineGutter()->x() + digits);
    QVERIFY(edit->x() >= s.window.CaretMarker()->geometry().right());
    QVERIFY(s.window.ColumnRuler()->x() >= s.window.LineLabel()->geometry().right() - 1);
}

void TestMainWindow::standardKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("ctrl_s_saves") << int(Qt::Key_S);
    QTest::newRow("ctrl_o_opens") << int(Qt::Key_O);
    QTest::newRow("ctrl_n_makes_a_new_page") << int(Qt::Key_N);
    QTest::newRow("ctrl_f_finds") << int(Qt::Key_F);
}

void TestMainWindow::standardKeys()
{
    QFETCH(int, key);
    Session s;
    s.openText(QStringLiteral("<P>text</P>"));
    s.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&s.window));
    s.window.MainText()->setFocus();
    s.box().SetSelStart(0);
    s.box().SetSelText(QStringLiteral("x"));
    QString modal;
    test::OnNextModal([&](QWidget* w) {
        if (w)
            modal = w->objectName();
    });
    s.prompts.planFileName(QString());
    s.prompts.planAnswer(MsgAnswer::No);
    QTest::keyClick(s.window.MainText(), Qt::Key(key), Qt::ControlModifier);
    QCoreApplication::processEvents();
    // The key reached its command, not the text.
    switch (key) {
    case Qt::Key_S:
        QCOMPARE(test::TempHome::readBytes(s.page()), QByteArray("x<P>text</P>"));
        break;
    case Qt::Key_O:
        QCOMPARE(s.prompts.fileRequests.size(), 1);
        QCOMPARE(s.prompts.fileRequests[0].kind, FileRequest::Kind::Open);
        break;
    case Qt::Key_N:
        QCOMPARE(s.prompts.messages.size(), 1); // the question about the unsaved change
        QCOMPARE(s.window.Caption(), QStringLiteral("無題"));
        break;
    case Qt::Key_F:
        QCOMPARE(modal, QStringLiteral("frmFind"));
        QCOMPARE(s.box().Text(), QStringLiteral("x<P>text</P>"));
        break;
    }
}

void TestMainWindow::aboutBoxShowsItsWholeTitle()
{
    test::ScriptedPrompter prompts;
    frmAbout about(prompts);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.windowTitle(), QStringLiteral("Tagloomのﾊﾞｰｼﾞｮﾝ情報"));
    // The title bar's own buttons and icon take room beside the title.
    QVERIFY(about.width() >=
            QFontMetrics(about.font()).horizontalAdvance(about.windowTitle()) + 100);
    QCOMPARE(test::UnnamedControls(&about), QStringList());
}

void TestMainWindow::toolbarChecksFollowHiddenToolbars()
{
    Session s;
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    const int topBefore = s.window.MainText()->mapTo(&s.window, QPoint(0, 0)).y();
    auto* item = s.window.findChild<QAction*>(QStringLiteral("mnuOptionsToolbar2"));
    QVERIFY(item && item->isChecked());

    item->trigger(); // as the user's click
    QVERIFY(s.window.ToolbarAt(2)->isHidden());
    QVERIFY(!item->isChecked());
    // The edit box moves up by the hidden toolbar's height.
    QVERIFY(s.window.MainText()->mapTo(&s.window, QPoint(0, 0)).y() < topBefore);

    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(&s.window, &activation);
    QVERIFY(!item->isChecked());
    QVERIFY(s.window.findChild<QAction*>(QStringLiteral("mnuOptionsToolbar1"))->isChecked());

    s.window.ToggleToolbar(2);
    QVERIFY(!s.window.ToolbarAt(2)->isHidden());
    QVERIFY(item->isChecked());
    QCOMPARE(s.window.MainText()->mapTo(&s.window, QPoint(0, 0)).y(), topBefore);
}

void TestMainWindow::menuTree()
{
    Session s;
    struct Item {
        const char* name;
        const char* caption;
        QKeySequence shortcut;
    };
    const Item items[] = {
        {"mnuFileOpen", "開く(&O)...", QKeySequence(QKeySequence::Open)},
        {"mnuEditCancel", "取り消し(&Z)", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"mnuEditDelete", "削除(&L)", QKeySequence(Qt::Key_Delete)},
        {"mnuEditTime", "時刻と日付の挿入(&D)", QKeySequence(Qt::Key_F2)},
        {"mnuSearchFindNext", "次を検索(&N)", QKeySequence(Qt::Key_F3)},
        {"mnuOptionsToolbar3", "ﾂｰﾙﾊﾞｰ表示3", {}},
        {"mnuRegist", "データ登録（&R）", QKeySequence(Qt::Key_F7)},
        {"mnuJamp", "ジャンプ", QKeySequence(Qt::Key_F9)},
        {"mnuBrow", "ブラウザー", QKeySequence(Qt::Key_F5)},
        {"mnuTagudelete", "タグ削除", QKeySequence(Qt::Key_F6)},
        {"mnuBajyon", "ﾊﾞｰｼﾞｮﾝ情報", {}},
    };
    for (const Item& i : items) {
        auto* action = s.window.findChild<QAction*>(QString::fromLatin1(i.name));
        QVERIFY2(action, i.name);
        QCOMPARE(action->text(), QString::fromUtf8(i.caption));
        QCOMPARE(action->shortcut(), i.shortcut);
    }
    QStringList menus;
    for (QAction* a : s.window.menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "検索(&S)", "ｵﾌﾟｼｮﾝ(&O)", "移動(&R)",
                                 "ｳｨﾝﾄﾞｳ(&W)"}));
}

namespace
{

// A window with three pages open, the middle one current, "one" selected on its first line.
struct ThreePages : Session {
    QString first, last;
    ThreePages()
    {
        first = home.path() + QStringLiteral("/first.htm");
        last = home.path() + QStringLiteral("/last.htm");
        test::TempHome::writeBytes(first, "first page\r\n");
        test::TempHome::writeBytes(last, "last page\r\n");
        // The page list holds first, page, last; page is shown.
        window.Files().OpenDocument(first);
        openText(QStringLiteral("<P>one two</P>\r\nsecond line\r\nthird line"));
        window.Files().OpenDocument(last);
        window.Files().OpenDocument(page());
        box().SetSelStart(3);
        box().SetSelLength(3);
    }
};

// What a user sees after a command: text, selection, caption, the dialog that opened, the
// questions and file dialogs asked, the clipboard, the page file, the stamps.
struct Outcome {
    QString text, caption, modal, clipboard;
    qint64 selStart = 0, selLength = 0;
    QStringList messages;
    QList<int> fileRequests;
    QByteArray file;
    QList<qint64> stamps;
    bool operator==(const Outcome&) const = default;
};

Outcome Observe(Session& s, const QString& modal)
{
    // The caption by file name: two sessions have two temporary folders.
    Outcome o{s.box().Text(),
              QFileInfo(s.window.Caption()).fileName(),
              modal,
              QApplication::clipboard()->text(),
              s.box().SelStart(),
              s.box().SelLength(),
              {},
              {},
              test::TempHome::readBytes(s.page()),
              {}};
    for (const MessageRequest& m : s.prompts.messages)
        o.messages << m.text;
    for (const FileRequest& f : s.prompts.fileRequests)
        o.fileRequests << int(f.kind);
    for (const StampEntry& e : s.state.StampTable)
        o.stamps << e.line;
    return o;
}

} // namespace

namespace QTest
{
template <> char* toString(const Outcome& o)
{
    return qstrdup(qPrintable(
        QStringLiteral("text=%1 sel=%2+%3 caption=%4 modal=%5 clipboard=%6 messages=%7 files=%8")
            .arg(o.text, QString::number(o.selStart), QString::number(o.selLength), o.caption,
                 o.modal, o.clipboard, o.messages.join(u'|'),
                 QString::number(o.fileRequests.size()))));
}
} // namespace QTest

namespace
{

// Runs f with a note of the modal dialog it opens (cancelled at once), and observes.
template <class F> Outcome Run(Session& s, F f)
{
    QApplication::clipboard()->setText(QStringLiteral("clipboard before"));
    s.prompts.planAnswer(MsgAnswer::No); // a question, if one comes, is answered No
    QString modal;
    test::OnNextModal([&](QWidget* w) {
        if (w)
            modal = w->objectName();
    });
    f();
    QCoreApplication::processEvents(); // the note runs now, also when no dialog opened
    return Observe(s, modal);
}

} // namespace

void TestMainWindow::toolbarButtonDoesItsCommand_data()
{
    QTest::addColumn<int>("index");
    int i = 0;
    for (const ToolbarButton& button : ToolbarButtons())
        QTest::newRow(qPrintable(button.key.toString())) << i++;
}

void TestMainWindow::toolbarButtonDoesItsCommand()
{
    QFETCH(int, index);
    const ToolbarButton& button = ToolbarButtons()[size_t(index)];
    const QString key = button.key.toString();

    // Without a document only the file, page and user-text buttons may act.
    {
        Session s;
        auto* action = s.window.findChild<QAction*>(key);
        QVERIFY(action);
        QCOMPARE(action->toolTip(), button.toolTip.toString());
        // Those that need a page are disabled while none is open.
        const QString needed = RegistryNameOf(button);
        const bool registered = needed.isEmpty() || s.state.Dialogs.Find(needed);
        QCOMPARE(action->isEnabled(), WorksWithoutDocument(button) && registered);
        const Outcome idle = Run(s, [] {});
        const Outcome after = Run(s, [&] { action->trigger(); });
        if (!WorksWithoutDocument(button))
            QCOMPARE(after, idle);
    }

    ThreePages s;
    auto* action = s.window.findChild<QAction*>(key);
    const QString needed = RegistryNameOf(button);
    if (!needed.isEmpty() && !s.state.Dialogs.Find(needed)) {
        // Its dialog does not exist yet: the button says so by being disabled, and does nothing.
        QVERIFY(!action->isEnabled());
        const Outcome idle = Run(s, [] {});
        QCOMPARE(Run(s, [&] { action->trigger(); }), idle);
        return;
    }
    QVERIFY(action->isEnabled());

    if (button.command == ToolbarCommand::RunInsertCommand) {
        // The button runs its own insert command: the same result as the command run directly
        // (each command's text is pinned in the dispatcher's tests).
        const Outcome idle = Run(s, [] {});
        const Outcome clicked = Run(s, [&] { action->trigger(); });
        ThreePages twin;
        (void)Run(twin, [] {});
        const Outcome direct = Run(twin, [&] {
            RunInsertCommand(twin.state, twin.box(), &twin.window, button.insertCode);
        });
        QCOMPARE(clicked, direct);
        QVERIFY2(!(clicked == idle), "the command changed nothing");
        return;
    }

    const QString page = QStringLiteral("<P>one two</P>\r\nsecond line\r\nthird line");
    const Outcome o = Run(s, [&] { action->trigger(); });
    switch (button.command) {
    case ToolbarCommand::NewDocument:
        // The page was just opened, so no question comes first.
        QCOMPARE(o.caption, QStringLiteral("無題"));
        QCOMPARE(o.text, QString());
        break;
    case ToolbarCommand::OpenDocumentByDialog:
    case ToolbarCommand::InsertChosenFilePath:
    case ToolbarCommand::InsertImageReference:
        QCOMPARE(o.fileRequests, QList<int>{int(FileRequest::Kind::Open)});
        break;
    case ToolbarCommand::SaveDocument:
        // Saved as read: the page had no final line break, and gets none.
        QCOMPARE(o.file, page.toUtf8());
        break;
    case ToolbarCommand::EditCut:
        QCOMPARE(o.clipboard, QStringLiteral("one"));
        QCOMPARE(o.text, QStringLiteral("<P> two</P>\r\nsecond line\r\nthird line"));
        break;
    case ToolbarCommand::EditCopy:
        QCOMPARE(o.clipboard, QStringLiteral("one"));
        QCOMPARE(o.text, page);
        break;
    case ToolbarCommand::EditPaste:
        QCOMPARE(o.text,
                 QStringLiteral("<P>clipboard before two</P>\r\nsecond line\r\nthird line"));
        break;
    case ToolbarCommand::EditUndo:
        // Nothing was typed since the page was opened: nothing to undo, and nothing breaks.
        QCOMPARE(o.text, page);
        break;
    case ToolbarCommand::ShowFindDialog:
        QCOMPARE(o.modal, QStringLiteral("frmFind"));
        break;
    case ToolbarCommand::GoToTop:
        QCOMPARE(o.selStart, qint64(0));
        break;
    case ToolbarCommand::GoToMiddle:
        QCOMPARE(o.selStart, qint64(page.size() / 2));
        break;
    case ToolbarCommand::GoToEnd:
        QCOMPARE(o.selStart, qint64(page.size()));
        break;
    case ToolbarCommand::StampCurrentLine:
        QCOMPARE(o.stamps.first(), qint64(1));
        break;
    case ToolbarCommand::ShowStampList:
        QCOMPARE(o.modal, QStringLiteral("frmJump"));
        break;
    case ToolbarCommand::ShowColorPicker:
        // Cancelled at once: the page stays as it was.
        QCOMPARE(o.modal, QStringLiteral("frmColor"));
        QCOMPARE(o.text, page);
        break;
    case ToolbarCommand::ShowPreviousDocument:
        QCOMPARE(o.caption, QStringLiteral("first.htm"));
        break;
    case ToolbarCommand::ShowNextDocument:
        QCOMPARE(o.caption, QStringLiteral("last.htm"));
        break;
    case ToolbarCommand::ClearAllPages:
        QCOMPARE(o.messages,
                 QStringList{QStringLiteral("すべてのページをクリアします宜しいですか？")});
        break;
    case ToolbarCommand::ShowFileList:
        QCOMPARE(o.modal, QStringLiteral("frmFileNames"));
        break;
    default:
        QFAIL(qPrintable(key + QStringLiteral(": no expectation for this command")));
    }
}

void TestMainWindow::waitingCommandsEnableWhenTheirDialogIsRegistered()
{
    Session s;
    auto* table = s.window.findChild<QAction*>(QStringLiteral("TableButton"));
    auto* item = s.window.findChild<QAction*>(QStringLiteral("mnuBrow"));
    QVERIFY(table && item);
    QVERIFY(!table->isEnabled());
    QVERIFY(!item->isEnabled());
    QVERIFY(!table->toolTip().isEmpty());

    int opened = 0;
    s.state.Dialogs.Register(QStringLiteral("frmTable"), [&](const DialogRequest&) { ++opened; });
    s.state.Dialogs.Register(QStringLiteral("ViewInBrowser"),
                             [&](const DialogRequest&) { ++opened; });
    // The menu item needs no page; the toolbar button waits for one.
    QVERIFY(item->isEnabled());
    QVERIFY(!table->isEnabled());
    s.openText(QStringLiteral("<P>"));
    QVERIFY(table->isEnabled());
    s.window.Files().CloseDocument();
    QVERIFY(!table->isEnabled());
    s.openText(QStringLiteral("<P>"));
    table->trigger();
    item->trigger();
    QCOMPARE(opened, 2);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
