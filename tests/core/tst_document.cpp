// The document model without any widget: edits, the selection and colours following them,
// undo of the selection, modified state, and the file's identity.
#include "core/document.h"

#include <QSignalSpy>
#include <QtTest>

using namespace tl;

Q_DECLARE_METATYPE(tl::SelectionRange)

namespace
{

using Merge = Document::Merge;
const QColor kBlue(0, 0, 255);

// The new text an edit reported, as assistive technology and the view are told it.
QStringList ReportedSpans(const Document& doc, const QSignalSpy& spy)
{
    QStringList spans;
    for (const QList<QVariant>& args : spy) {
        const auto change = args[0].value<TextChange>();
        spans << doc.mid(change.pos, change.inserted);
    }
    return spans;
}

} // namespace

class TestDocument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void selectionFollowsEdits_data();
    void selectionFollowsEdits();
    void replaceAllReportsItsWholeSpan();
    void undoRestoresTheSelection();
    void overtypingIsOneUndoStep();
    void modifiedFollowsTheSavedText();
    void coloursFollowTheirText_data();
    void coloursFollowTheirText();
    void untitledIsAFlagNotACaption();
};

void TestDocument::selectionFollowsEdits_data()
{
    QTest::addColumn<qsizetype>("pos");
    QTest::addColumn<qsizetype>("count");
    QTest::addColumn<QString>("text");
    QTest::addColumn<SelectionRange>("before");
    QTest::addColumn<SelectionRange>("after");

    // On "abcdef".
    QTest::newRow("before_the_edit_stays")
        << qsizetype(3) << qsizetype(1) << "XY" << SelectionRange{1, 2} << SelectionRange{1, 2};
    QTest::newRow("after_the_edit_moves")
        << qsizetype(1) << qsizetype(1) << "XYZ" << SelectionRange{4, 5} << SelectionRange{6, 7};
    QTest::newRow("start_of_a_replaced_run_stays")
        << qsizetype(2) << qsizetype(2) << "X" << SelectionRange{2, 4} << SelectionRange{2, 3};
    QTest::newRow("inside_a_replaced_run_goes_after_it")
        << qsizetype(1) << qsizetype(3) << "X" << SelectionRange{2, 3} << SelectionRange{2, 2};
    QTest::newRow("insertion_point_goes_after_the_insertion")
        << qsizetype(2) << qsizetype(0) << "XY" << SelectionRange{2, 2} << SelectionRange{4, 4};
    QTest::newRow("end_of_a_removal_comes_back")
        << qsizetype(1) << qsizetype(2) << "" << SelectionRange{3, 5} << SelectionRange{1, 3};
}

void TestDocument::selectionFollowsEdits()
{
    QFETCH(qsizetype, pos);
    QFETCH(qsizetype, count);
    QFETCH(QString, text);
    QFETCH(SelectionRange, before);
    QFETCH(SelectionRange, after);

    Document doc;
    doc.setText(u"abcdef");
    doc.setSelection(before.anchor, before.caret);
    doc.replace(pos, count, text);
    QCOMPARE(doc.selection(), after);

    // Replace-all follows the same rule: one place, the same edit, the same selection.
    if (count > 0 && !text.isEmpty()) {
        Document each;
        each.setText(u"abcdef");
        each.setSelection(before.anchor, before.caret);
        each.replaceEach({pos}, QStringView(u"abcdef").mid(pos, count), text);
        QCOMPARE(each.text(), doc.text());
        QCOMPARE(each.selection(), after);
    }
}

void TestDocument::replaceAllReportsItsWholeSpan()
{
    Document doc;
    doc.setText(u"a-b-c");
    QSignalSpy changes(&doc, &Document::changed);
    doc.replaceEach({1, 3}, u"-", u"==");
    QCOMPARE(doc.text(), QStringLiteral("a==b==c"));
    // From the first place to the end of the last replacement.
    QCOMPARE(ReportedSpans(doc, changes), QStringList{"==b=="});

    // Its lines too: those between the places are in the span, and a place that adds a line
    // break adds a line to it.
    doc.setText(u"a-\r\nb\r\nc-\r\n-");
    changes.clear();
    doc.replaceEach({1, 8, 11}, u"-", u"\r\n");
    QCOMPARE(doc.text(), QStringLiteral("a\r\n\r\nb\r\nc\r\n\r\n\r\n"));
    const auto change = changes.at(0).at(0).value<TextChange>();
    QCOMPARE((QList<int>{change.line, change.linesRemoved, change.linesInserted}),
             (QList<int>{0, 3, 6}));
}

void TestDocument::undoRestoresTheSelection()
{
    Document doc;
    doc.setText(u"<P>old</P>");
    doc.setSelection(6, 3);
    doc.replaceSelection(u"new text");
    QCOMPARE(doc.text(), QStringLiteral("<P>new text</P>"));
    QCOMPARE(doc.selection(), (SelectionRange{11, 11}));
    doc.undo();
    QCOMPARE(doc.text(), QStringLiteral("<P>old</P>"));
    QCOMPARE(doc.selection(), (SelectionRange{6, 3}));
    doc.redo();
    QCOMPARE(doc.selection(), (SelectionRange{11, 11}));

    // A typed run undoes to where the caret stood before it.
    doc.setText(u"ab");
    doc.setSelection(1, 1);
    for (const char16_t* c : {u"x", u"y", u"z"})
        doc.replaceAndPlaceCaret(doc.caret(), 0, c, Merge::Typing);
    QCOMPARE(doc.text(), QStringLiteral("axyzb"));
    doc.undo();
    QCOMPARE(doc.text(), QStringLiteral("ab"));
    QCOMPARE(doc.selection(), (SelectionRange{1, 1}));
}

void TestDocument::overtypingIsOneUndoStep()
{
    Document doc;
    doc.setText(u"abcdef");
    doc.setSelection(1, 1);
    for (const char16_t* c : {u"X", u"Y", u"Z"})
        doc.replaceAndPlaceCaret(doc.caret(), 1, c, Merge::Typing);
    QCOMPARE(doc.text(), QStringLiteral("aXYZef"));
    doc.undo();
    QCOMPARE(doc.text(), QStringLiteral("abcdef"));
    QCOMPARE(doc.selection(), (SelectionRange{1, 1}));
    QVERIFY(!doc.canUndo());

    // A caret move ends the run, as for typing.
    doc.replaceAndPlaceCaret(1, 1, u"X", Merge::Typing);
    doc.setSelection(4, 4);
    doc.replaceAndPlaceCaret(4, 1, u"Y", Merge::Typing);
    doc.undo();
    QCOMPARE(doc.text(), QStringLiteral("aXcdef"));
}

void TestDocument::modifiedFollowsTheSavedText()
{
    Document doc;
    doc.setText(u"saved");
    QVERIFY(!doc.isModified());
    doc.replaceAndPlaceCaret(5, 0, u"!", Merge::Typing);
    QVERIFY(doc.isModified());
    doc.undo();
    QVERIFY(!doc.isModified());
    doc.redo();
    doc.setModified(false); // saved
    doc.undo();
    QVERIFY(doc.isModified());
    // Colours are no edit.
    doc.setModified(false);
    doc.setTextColor(0, 3, kBlue);
    QVERIFY(!doc.isModified());
    doc.setModified(true);
    QVERIFY(doc.isModified());
}

void TestDocument::coloursFollowTheirText_data()
{
    QTest::addColumn<qsizetype>("pos");
    QTest::addColumn<qsizetype>("count");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("from");
    QTest::addColumn<qsizetype>("to");

    // "ab" + "cdef" (blue, 2 to 6) + "gh".
    QTest::newRow("typing_inside_the_run_joins_it")
        << qsizetype(4) << qsizetype(0) << "XX" << qsizetype(2) << qsizetype(8);
    QTest::newRow("typing_at_its_end_joins_it")
        << qsizetype(6) << qsizetype(0) << "X" << qsizetype(2) << qsizetype(7);
    QTest::newRow("typing_at_its_start_stays_outside")
        << qsizetype(2) << qsizetype(0) << "X" << qsizetype(3) << qsizetype(7);
    QTest::newRow("replacement_starting_after_it_stays_outside")
        << qsizetype(6) << qsizetype(2) << "XYZ" << qsizetype(2) << qsizetype(6);
    QTest::newRow("replacement_starting_in_it_takes_its_colour")
        << qsizetype(5) << qsizetype(2) << "XYZ" << qsizetype(2) << qsizetype(8);
}

void TestDocument::coloursFollowTheirText()
{
    QFETCH(qsizetype, pos);
    QFETCH(qsizetype, count);
    QFETCH(QString, text);
    QFETCH(qsizetype, from);
    QFETCH(qsizetype, to);

    Document doc;
    doc.setText(u"abcdefgh");
    doc.setTextColor(2, 6, kBlue);
    doc.replace(pos, count, text);
    QCOMPARE(doc.colorRuns(), (std::vector<ColorRun>{{from, to, kBlue}}));
    doc.undo();
    QCOMPARE(doc.text(), QStringLiteral("abcdefgh"));
}

void TestDocument::untitledIsAFlagNotACaption()
{
    Document doc;
    QVERIFY(doc.isUntitled());
    doc.setPath(QStringLiteral("/www/無題メモ.htm"));
    QVERIFY(!doc.isUntitled());
    QCOMPARE(doc.path(), QStringLiteral("/www/無題メモ.htm"));
}

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
