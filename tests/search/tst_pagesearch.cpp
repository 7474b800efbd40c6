#include "captionfit.h"
#include "core/appstate.h"
#include "dialogs/find/frmfind.h"
#include "dialogs/find/frmfindpages.h"
#include "editbox/maintextedit.h"
#include "editorsession.h"
#include "filesession.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QThreadPool>
#include <QtTest>

#include <condition_variable>
#include <mutex>

using namespace tl;
using test::FileSession;

Q_DECLARE_METATYPE(std::vector<tl::PageMatch>)
Q_DECLARE_METATYPE(tl::PageSearchResult)

namespace
{

PageMatch Match(int page, int line, qsizetype column, int endLine, qsizetype endColumn,
                const QString& lineText)
{
    return PageMatch{page, line, column, endLine, endColumn, lineText};
}

// Reads pages as the window does, but holds back the one named until Open() (or the end of the
// test): a search stays running on that page for as long as a test needs it to.
class PageGate
{
public:
    explicit PageGate(QString heldBack) : heldBack_(std::move(heldBack)) {}
    ~PageGate() { Open(); }
    void Open()
    {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }
    PageReader Reader()
    {
        return [this](const QString& path) {
            if (path.endsWith(heldBack_)) {
                std::unique_lock lock(mutex_);
                opened_.wait(lock, [this] { return open_; });
            }
            return ReadPageFile(path);
        };
    }

private:
    const QString heldBack_;
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

PageSearchResult Counts(qsizetype total, int pages, qsizetype shown, bool finished,
                        bool stopped = false)
{
    PageSearchResult r;
    r.total = total;
    r.pagesWithMatches = pages;
    r.matches.resize(size_t(shown));
    r.finished = finished;
    r.stopped = stopped;
    return r;
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
    void summary_data();
    void summary();
    void keepsTheFirstMatchesAndCountsThemAll();
    void pathsDifferingInCaseAreTwoPages();
    void rowsArriveWhileTheSearchRuns_data();
    void rowsArriveWhileTheSearchRuns();
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

void TestPageSearch::summary_data()
{
    QTest::addColumn<PageSearchResult>("result");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << Counts(0, 0, 0, true) << QStringLiteral("見つかりません。");
    QTest::newRow("all_shown") << Counts(4, 3, 4, true)
                               << QStringLiteral("3 ページで 4 件見つかりました。");
    QTest::newRow("more_than_shown")
        << Counts(123456, 50, kShownMatchLimit, true)
        << QStringLiteral(
               "50 ページで 123,456 件見つかりました。 最初の 10,000 件を表示しています。");
    QTest::newRow("running_nothing_yet")
        << Counts(0, 0, 0, false) << QStringLiteral("検索しています…");
    QTest::newRow("running") << Counts(12000, 2, kShownMatchLimit, false)
                             << QStringLiteral(
                                    "検索しています… 2 ページで 12,000 件見つかりました。 "
                                    "最初の 10,000 件を表示しています。");
    QTest::newRow("stopped") << Counts(2, 1, 2, true, true)
                             << QStringLiteral(
                                    "検索を中止しました。 1 ページで 2 件見つかりました。");
    QTest::newRow("stopped_before_any")
        << Counts(0, 0, 0, true, true) << QStringLiteral("検索を中止しました。");
}

void TestPageSearch::summary()
{
    QFETCH(PageSearchResult, result);
    QFETCH(QString, expected);
    QCOMPARE(PageSearchSummary(result), expected);
}

void TestPageSearch::keepsTheFirstMatchesAndCountsThemAll()
{
    // 12,001 matches on two pages: the first 10,000 are kept, every one is counted.
    FileSession s;
    QByteArray page; // 6,000 matches
    for (int i = 0; i < 2000; ++i)
        page += "<P><B>x</B>\r\n";
    const QString a = s.write(QStringLiteral("a.htm"), page);
    const QString b = s.write(QStringLiteral("b.htm"), page + "<HR>\r\n");
    RegisterDocPath(s.state.Docs, a);
    RegisterDocPath(s.state.Docs, b);

    const PageSearchResult r = SearchSessionPages(s.state, false, QStringLiteral("<"), false);
    QCOMPARE(r.paths, (QStringList{a, b}));
    QCOMPARE(r.total, qsizetype(12001));
    QCOMPARE(r.pagesWithMatches, 2);
    QCOMPARE(r.matches.size(), size_t(kShownMatchLimit));
    QCOMPARE(r.matches.back(), Match(1, 1334, 0, 1334, 1, QStringLiteral("<P><B>x</B>")));
    QCOMPARE(PageSearchSummary(r), QStringLiteral("2 ページで 12,001 件見つかりました。 "
                                                  "最初の 10,000 件を表示しています。"));

    // A page alone: the room given is what is kept, and a stop ends the scan at once.
    std::vector<PageMatch> kept;
    const QString text = QString::fromLatin1(page);
    QCOMPARE(FindInPage(text, QStringLiteral("<"), true, 3, kept, 2), qsizetype(6000));
    QCOMPARE(kept, (std::vector<PageMatch>{Match(3, 1, 0, 1, 1, QStringLiteral("<P><B>x</B>")),
                                           Match(3, 1, 3, 1, 4, QStringLiteral("<P><B>x</B>"))}));
    const std::atomic<bool> stop{true};
    QCOMPARE(FindInPage(text, QStringLiteral("<"), true, 3, kept, 2, &stop), qsizetype(0));
    QCOMPARE(kept.size(), size_t(2));
}

void TestPageSearch::pathsDifferingInCaseAreTwoPages()
{
    // index.htm is in the page list; Index.htm, another file, is open in the edit box.
    FileSession s;
    const QString lower = s.write(QStringLiteral("index.htm"), "<P>lower</P>\r\n");
    const QString upper = s.write(QStringLiteral("Index.htm"), "<P>upper</P>\r\n");
    QCOMPARE(s.files().OpenDocument(lower), 0);
    QCOMPARE(s.files().OpenDocument(upper), 0);
    QCOMPARE(s.state.Doc.path(), upper);

    const PageSearchResult r = SearchSessionPages(s.state, true, QStringLiteral("<P>"), false);
    QCOMPARE(r.paths, (QStringList{upper, lower}));
    QCOMPARE(r.matches.size(), size_t(2));
    QCOMPARE(r.matches[0], Match(0, 1, 0, 1, 3, QStringLiteral("<P>upper</P>")));
    QCOMPARE(r.matches[1], Match(1, 1, 0, 1, 3, QStringLiteral("<P>lower</P>")));

    // The row of index.htm opens index.htm, not the selection in Index.htm.
    s.window.show();
    s.window.ShowPageSearch(QStringLiteral("<P>"), false);
    auto* w = qobject_cast<frmFindPages*>(s.window.PageSearch());
    QVERIFY(w);
    QTRY_VERIFY(!w->Searching());
    QCOMPARE(w->ResultList()->model()->rowCount(), 2);
    QVERIFY(w->OpenMatch(1));
    QCOMPARE(s.state.Doc.path(), lower);
    QCOMPARE(s.box().Text(), QStringLiteral("<P>lower</P>\r\n"));
    QCOMPARE(s.box().SelText(), QStringLiteral("<P>"));
}

void TestPageSearch::rowsArriveWhileTheSearchRuns_data()
{
    QTest::addColumn<QString>("stopBy");
    QTest::newRow("esc") << QStringLiteral("esc");
    QTest::newRow("stop_button") << QStringLiteral("cmdStop");
    QTest::newRow("new_search") << QStringLiteral("new search");
    QTest::newRow("closing_the_window") << QStringLiteral("close");
}

void TestPageSearch::rowsArriveWhileTheSearchRuns()
{
    // a.htm is searched; b.htm is held back, so the worker is still running.
    QFETCH(QString, stopBy);
    FileSession s;
    const QStringList paths = {s.write(QStringLiteral("a.htm"), "<P>x</P>\r\n<P>xy</P>\r\n"),
                               s.write(QStringLiteral("b.htm"), "<P>x xy</P>\r\n"),
                               s.write(QStringLiteral("c.htm"), "<P>xy</P>\r\n")};
    for (const QString& path : paths)
        RegisterDocPath(s.state.Docs, path);
    s.window.show();
    s.window.ShowPageSearch(QString(), false);
    auto* w = qobject_cast<frmFindPages*>(s.window.PageSearch());
    QVERIFY(w && QTest::qWaitForWindowExposed(w));
    PageGate gate(QStringLiteral("/b.htm"));
    w->SetPageReader(gate.Reader());
    QAbstractItemModel* rows = w->ResultList()->model();

    w->Search(QStringLiteral("x"), false);
    QVERIFY(w->StopButton()->isEnabled());
    QTRY_COMPARE(w->Summary()->text(),
                 QStringLiteral("検索しています… 1 ページで 2 件見つかりました。"));
    QVERIFY(w->Searching());
    QCOMPARE(rows->rowCount(), 2);
    QCOMPARE(rows->index(1, 2).data().toString(), QStringLiteral("<P>xy</P>"));

    QString expected = QStringLiteral("検索を中止しました。 1 ページで 2 件見つかりました。");
    int expectedRows = 2;
    if (stopBy == u"esc") {
        w->FindField()->setFocus();
        QTest::keyClick(w->FindField(), Qt::Key_Escape);
    } else if (stopBy == u"cmdStop") {
        QTest::mouseClick(w->StopButton(), Qt::LeftButton);
    } else if (stopBy == u"new search") {
        w->Search(QStringLiteral("xy"), false);
        expected = QStringLiteral("検索しています… 1 ページで 1 件見つかりました。");
        expectedRows = 1;
        QTRY_COMPARE(w->Summary()->text(), expected);
    } else {
        w->close();
    }
    // The worker goes on to its end once the held page comes; nothing of the stopped search
    // shows after that, and the window stays usable.
    gate.Open();
    QVERIFY(PageSearchThreads().waitForDone(10000));
    if (stopBy == u"new search") {
        expected = QStringLiteral("3 ページで 3 件見つかりました。");
        expectedRows = 3;
        QTRY_VERIFY(!w->Searching());
    }
    QVERIFY(!w->Searching());
    QVERIFY(!w->StopButton()->isEnabled());
    QTest::qWait(120);
    QCOMPARE(w->Summary()->text(), expected);
    QCOMPARE(rows->rowCount(), expectedRows);
    QCOMPARE(w->isVisible(), stopBy != u"close");
    QCOMPARE(rows->index(0, 2).data().toString(),
             stopBy == u"new search" ? QStringLiteral("<P>xy</P>") : QStringLiteral("<P>x</P>"));

    w->show();
    w->Search(QStringLiteral("x"), false);
    QTRY_COMPARE(w->Summary()->text(), QStringLiteral("3 ページで 5 件見つかりました。"));
    QCOMPARE(rows->rowCount(), 5);
    // Esc with nothing running closes the window, as before.
    QTest::keyClick(w->FindField(), Qt::Key_Escape);
    QVERIFY(!w->isVisible());
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
    QTRY_VERIFY(!w->Searching());
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
    QTRY_VERIFY(!w->Searching());
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
    QTRY_VERIFY(!w->Searching());
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
    QCOMPARE(w->StopButton()->objectName(), QStringLiteral("cmdStop"));
    QVERIFY(!w->StopButton()->isEnabled());
    QAccessibleInterface* stop = QAccessible::queryAccessibleInterface(w->StopButton());
    QVERIFY(stop);
    QCOMPARE(stop->text(QAccessible::Name), QStringLiteral("中止"));
}

QTEST_MAIN(TestPageSearch)
#include "tst_pagesearch.moc"
