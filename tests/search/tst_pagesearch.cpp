#include "captionfit.h"
#include "core/appstate.h"
#include "dialogs/find/frmfind.h"
#include "dialogs/find/frmfindpages.h"
#include "editbox/maintextedit.h"
#include "editorsession.h"
#include "filesession.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace tl;
using test::FileSession;

Q_DECLARE_METATYPE(std::vector<tl::PageMatch>)

namespace
{

PageMatch Match(int page, int line, qsizetype column, int endLine, qsizetype endColumn,
                const QString& lineText)
{
    return PageMatch{page, line, column, endLine, endColumn, lineText};
}

// Shift-JIS bytes: "<P>日本語のページ</P>" and a line with "検索" in it.
const QByteArray kSjisPage = "<HTML>\r\n<P>\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b"
                             "\x83\x57</P>\r\n<P>\x8c\x9f\x8d\xf5 body</P>\r\n</HTML>\r\n";

} // namespace

class TestPageSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findInPages_data();
    void findInPages();
    void longLineIsCutRoundTheMatch();
    void searchesOpenPageAndFilesOnDiskWithoutChangingThem();
    void doubleClickOpensThePageAtTheMatchAfterAsking();
    void reachedByKeyAndFromTheFindDialog();
    void windowIsNamedForAssistiveTechnology();
};

void TestPageSearch::findInPages_data()
{
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<std::vector<PageMatch>>("expected");

    using V = std::vector<PageMatch>;
    QTest::newRow("each_match_with_its_page_line_and_text")
        << QStringList{QStringLiteral("<P>a</P>\r\n<BODY>\r\nx body"), QStringLiteral("none"),
                       QStringLiteral("\n\nbody")}
        << QStringLiteral("body") << false
        << V{Match(0, 2, 1, 2, 5, QStringLiteral("<BODY>")),
             Match(0, 3, 2, 3, 6, QStringLiteral("x body")),
             Match(2, 3, 0, 3, 4, QStringLiteral("body"))};
    QTest::newRow("match_case_keeps_to_the_case")
        << QStringList{QStringLiteral("<BODY>\r\nbody")} << QStringLiteral("body") << true
        << V{Match(0, 2, 0, 2, 4, QStringLiteral("body"))};
    QTest::newRow("two_on_one_line_overlapping_counted_once")
        << QStringList{QStringLiteral("aaaa aa")} << QStringLiteral("aa") << false
        << V{Match(0, 1, 0, 1, 2, QStringLiteral("aaaa aa")),
             Match(0, 1, 2, 1, 4, QStringLiteral("aaaa aa")),
             Match(0, 1, 5, 1, 7, QStringLiteral("aaaa aa"))};
    QTest::newRow("key_with_a_line_break_in_crlf_and_lf_pages")
        << QStringList{QStringLiteral("a</TD>\r\n<TD>"), QStringLiteral("a</TD>\n<TD>")}
        << QStringLiteral("</TD>\r\n<TD") << false
        << V{Match(0, 1, 1, 2, 3, QStringLiteral("a</TD>")),
             Match(1, 1, 1, 2, 3, QStringLiteral("a</TD>"))};
    QTest::newRow("full_width_and_japanese")
        << QStringList{QStringLiteral("日本語のＢＯＤＹ")} << QStringLiteral("ｂｏｄｙ") << false
        << V{Match(0, 1, 4, 1, 8, QStringLiteral("日本語のＢＯＤＹ"))};
    QTest::newRow("empty_key_finds_nothing")
        << QStringList{QStringLiteral("abc")} << QString() << false << V{};
    QTest::newRow("no_pages") << QStringList{} << QStringLiteral("a") << false << V{};
}

void TestPageSearch::findInPages()
{
    QFETCH(QStringList, pages);
    QFETCH(QString, key);
    QFETCH(bool, matchCase);
    QFETCH(std::vector<PageMatch>, expected);
    std::vector<QStringView> views;
    for (const QString& page : pages)
        views.push_back(page);
    const std::vector<PageMatch> found = FindInPages(views, key, matchCase);
    QCOMPARE(found.size(), expected.size());
    for (size_t i = 0; i < found.size(); ++i) {
        QCOMPARE(found[i].page, expected[i].page);
        QCOMPARE(found[i].line, expected[i].line);
        QCOMPARE(found[i].column, expected[i].column);
        QCOMPARE(found[i].endLine, expected[i].endLine);
        QCOMPARE(found[i].endColumn, expected[i].endColumn);
        QCOMPARE(found[i].lineText, expected[i].lineText);
    }
}

void TestPageSearch::longLineIsCutRoundTheMatch()
{
    // A 1,000,000-character line must not become a 1,000,000-character row.
    const QString line = QString(500000, u'x') + QStringLiteral("<BODY>") + QString(500000, u'y');
    const std::vector<PageMatch> found = FindInPages({line}, QStringLiteral("body"), false);
    QCOMPARE(found.size(), size_t(1));
    const QString& shown = found[0].lineText;
    QCOMPARE(shown.size(), kMatchLineLimit);
    QVERIFY(shown.startsWith(QStringLiteral("…x")));
    QVERIFY(shown.endsWith(QStringLiteral("y…")));
    QVERIFY(shown.contains(QStringLiteral("x<BODY>y")));
    QCOMPARE(found[0].column, qsizetype(500001));
}

void TestPageSearch::searchesOpenPageAndFilesOnDiskWithoutChangingThem()
{
    FileSession s;
    const QString sjis = s.write(QStringLiteral("sjis.htm"), kSjisPage);
    const QString lf = s.write(QStringLiteral("lf.htm"), "a\nb \x8c\x9f\x8d\xf5\n");
    const QString gone = s.write(QStringLiteral("gone.htm"), "x\r\n");
    const QString open = s.write(QStringLiteral("open.htm"), "old \x8c\x9f\x8d\xf5\r\n");
    for (const QString& path : {sjis, lf, gone, open})
        QCOMPARE(s.files().OpenDocument(path), 0);
    QVERIFY(QFile::remove(gone));
    // The open page is searched as it stands, unsaved change included.
    s.box().SetSelStart(0);
    s.box().SetSelText(QStringLiteral("検索\r\n"));
    const QFileInfo before(sjis);
    const QDateTime sjisTime = before.lastModified();

    const PageSearchResult r = SearchSessionPages(s.state, true, QStringLiteral("検索"), false);
    QCOMPARE(r.paths, (QStringList{sjis, lf, gone, open}));
    QCOMPARE(r.unreadable, QStringList{gone});
    QCOMPARE(r.matches.size(), size_t(4));
    QCOMPARE(r.matches[0].page, 0);
    QCOMPARE(r.matches[0].line, 3);
    QCOMPARE(r.matches[0].lineText, QStringLiteral("<P>検索 body</P>"));
    QCOMPARE(r.matches[1].page, 1);
    QCOMPARE(r.matches[1].line, 2);
    QCOMPARE(r.matches[1].lineText, QStringLiteral("b 検索"));
    QCOMPARE(r.matches[2].page, 3);
    QCOMPARE(r.matches[2].line, 1);
    QCOMPARE(r.matches[3].line, 2);
    QCOMPARE(PageSearchSummary(r),
             QStringLiteral("3 ページで 4 件見つかりました。 読めなかったページ: ") + gone);

    // Nothing was written: the pages not open are byte for byte as they were, and the open
    // page keeps its unsaved change.
    QCOMPARE(FileSession::read(sjis), kSjisPage);
    QCOMPARE(QFileInfo(sjis).lastModified(), sjisTime);
    QCOMPARE(FileSession::read(lf), QByteArray("a\nb \x8c\x9f\x8d\xf5\n"));
    QCOMPARE(FileSession::read(open), QByteArray("old \x8c\x9f\x8d\xf5\r\n"));
    QVERIFY(s.state.Doc.isModified());
    QCOMPARE(QDir(s.docs()).entryList(QDir::Files).size(), 3);
}

void TestPageSearch::doubleClickOpensThePageAtTheMatchAfterAsking()
{
    FileSession s;
    const QString sjis = s.write(QStringLiteral("sjis.htm"), kSjisPage);
    const QString other = s.write(QStringLiteral("other.htm"), "<P>x</P>\r\n");
    QCOMPARE(s.files().OpenDocument(sjis), 0);
    QCOMPARE(s.files().OpenDocument(other), 0);
    s.type(QStringLiteral("changed "));
    s.window.show();

    s.window.ShowPageSearch(QStringLiteral("BODY"), false);
    auto* w = qobject_cast<frmFindPages*>(s.window.PageSearch());
    QVERIFY(w && QTest::qWaitForWindowExposed(w));
    QTableView* list = w->ResultList();
    QCOMPARE(list->model()->rowCount(), 1);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("sjis.htm"));
    QCOMPARE(list->model()->index(0, 1).data().toInt(), 3);
    QCOMPARE(list->model()->index(0, 2).data().toString(), QStringLiteral("<P>検索 body</P>"));
    QCOMPARE(w->Summary()->text(), QStringLiteral("1 ページで 1 件見つかりました。"));

    // Cancel on the unsaved-changes question: nothing moves.
    s.prompts.planAnswer(MsgAnswer::Cancel);
    const QRect cell = list->visualRect(list->model()->index(0, 2));
    // A double click as the system delivers it: a click, then the second press as a double.
    auto doubleClick = [&] {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    };
    doubleClick();
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.state.Doc.path(), other);
    QVERIFY(s.state.Doc.isModified());

    // No (discard): the page opens with the match selected on its line.
    s.prompts.planAnswer(MsgAnswer::No);
    doubleClick();
    QVERIFY(!s.prompts.unplanned);
    QCOMPARE(s.state.Doc.path(), sjis);
    QCOMPARE(s.box().LineFromChar(), 3);
    QCOMPARE(s.box().SelText(), QStringLiteral("body"));
    QCOMPARE(FileSession::read(other), QByteArray("<P>x</P>\r\n"));
    QVERIFY(w->isVisible());
}

void TestPageSearch::reachedByKeyAndFromTheFindDialog()
{
    test::EditorSession s;
    s.load(QStringLiteral("abc body abc"), 4, 8);
    s.key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto* w = qobject_cast<frmFindPages*>(s.window.PageSearch());
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->FindField()->text(), QStringLiteral("body"));
    // The untitled page in the edit box is searched too.
    QCOMPARE(w->ResultList()->model()->rowCount(), 1);
    QCOMPARE(w->ResultList()->model()->index(0, 0).data().toString(), QStringLiteral("無題"));
    w->close();

    s.activate();
    s.edit()->setCaret(0);
    const auto modal = test::OnModal([&](QWidget* dialog) {
        auto* d = qobject_cast<frmFind*>(dialog);
        QVERIFY(d);
        // The new button fits its caption and is named like the others.
        QCOMPARE(test::CutCaptions(d), QStringList());
        QCOMPARE(test::UnnamedControls(d), QStringList());
        d->FindField()->setText(QStringLiteral("abc"));
        d->MatchCaseBox()->setChecked(true);
        QTest::mouseClick(d->FindPagesButton(), Qt::LeftButton);
    });
    s.action("mnuSearchFind")->trigger();
    QTRY_VERIFY(w->isVisible());
    QCOMPARE(w->FindField()->text(), QStringLiteral("abc"));
    QVERIFY(w->MatchCaseBox()->isChecked());
    QCOMPARE(w->ResultList()->model()->rowCount(), 2);
    QCOMPARE(s.state.Search.FindText, QStringLiteral("abc"));
}

void TestPageSearch::windowIsNamedForAssistiveTechnology()
{
    test::EditorSession s;
    s.load(QStringLiteral("abc"));
    s.window.ShowPageSearch(QString(), false);
    auto* w = qobject_cast<frmFindPages*>(s.window.PageSearch());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->windowTitle(), QStringLiteral("全ページから検索"));
    QCOMPARE(test::UnnamedControls(w), QStringList());
    QCOMPARE(test::CutCaptions(w), QStringList());
    QCOMPARE(w->ResultList()->accessibleName(), QStringLiteral("検索結果"));
    QVERIFY(!w->FindButton()->isEnabled());
}

QTEST_MAIN(TestPageSearch)
#include "tst_pagesearch.moc"
