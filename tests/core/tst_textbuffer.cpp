#include "core/textbuffer.h"

#include <QRandomGenerator>
#include <QtTest>

#include <optional>

using namespace tl;

namespace
{

// Line starts of a CR LF text, computed the slow way.
std::vector<qsizetype> NaiveStarts(const QString& text)
{
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text.at(i) == u'\r' && text.at(i + 1) == u'\n')
            starts.push_back(i + 2);
    return starts;
}

// Every position's line is checked with stride 1; a larger stride keeps long runs quick.
QString CheckAgainst(const TextBuffer& buffer, const QString& text, int stride = 1)
{
    if (buffer.text() != text)
        return QStringLiteral("text differs");
    const auto starts = NaiveStarts(text);
    if (buffer.lineCount() != int(starts.size()))
        return QStringLiteral("line count %1, expected %2")
            .arg(buffer.lineCount())
            .arg(starts.size());
    for (int line = 0; line < int(starts.size()); ++line)
        if (buffer.lineStart(line) != starts[size_t(line)])
            return QStringLiteral("start of line %1").arg(line);
    for (qsizetype pos = 0; pos <= text.size(); pos += stride) {
        const auto it = std::upper_bound(starts.begin(), starts.end(), pos);
        if (buffer.lineOf(pos) != int(it - starts.begin()) - 1)
            return QStringLiteral("line of position %1").arg(pos);
    }
    return {};
}

// A text with the form each character was kept in (0: the usual one), edited the slow way.
struct FormModel {
    QString text;
    std::vector<quint16> forms;

    void replace(qsizetype pos, qsizetype count, const QString& crlf)
    {
        text.replace(pos, count, crlf);
        forms.erase(forms.begin() + pos, forms.begin() + pos + count);
        forms.insert(forms.begin() + pos, size_t(crlf.size()), quint16(0));
    }
    ByteVariants kept() const
    {
        ByteVariants kept;
        for (qsizetype i = 0; i < text.size(); ++i)
            if (forms[size_t(i)])
                kept.push_back({i, text[i].unicode(), forms[size_t(i)]});
        return kept;
    }
};

constexpr char16_t kKanji = 0x7E8A; // 纊, a character CP932 holds in two forms

} // namespace

class TestTextBuffer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lineBreaksBecomeCrLf_data();
    void lineBreaksBecomeCrLf();
    void replaceKeepsPairsWhole_data();
    void replaceKeepsPairsWhole();
    void positionsNeverSplitSurrogatePairs();
    void randomEditsMatchPlainString();
    void typingMergesIntoOneUndoStep();
    void groupIsOneStepAndRedoReapplies();
    void modifiedFollowsTheSavePoint();
    void replaceEachIsOneStep_data();
    void replaceEachIsOneStep();
    void keptFormsFollowEditsUndoAndRedo();
    void keptFormsComeBackWithMergedTyping();
    void keptFormsMustNameTheirCharacter();
    void snapshotKeepsTheTextAsTaken_data();
    void snapshotKeepsTheTextAsTaken();
};

void TestTextBuffer::lineBreaksBecomeCrLf_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lines");

    QTest::newRow("empty") << ""
                           << "" << 1;
    QTest::newRow("crlf_kept") << "a\r\nb"
                               << "a\r\nb" << 2;
    QTest::newRow("lf_only") << "a\nb\n"
                             << "a\r\nb\r\n"
                             << 3;
    QTest::newRow("cr_only") << "a\rb"
                             << "a\r\nb" << 2;
    QTest::newRow("lf_cr_is_two_breaks") << "a\n\rb"
                                         << "a\r\n\r\nb" << 3;
    QTest::newRow("japanese_and_surrogates")
        << QStringLiteral("日本\n😀") << QStringLiteral("日本\r\n😀") << 2;
}

void TestTextBuffer::lineBreaksBecomeCrLf()
{
    QFETCH(QString, input);
    QFETCH(QString, text);
    QFETCH(int, lines);

    TextBuffer buffer;
    buffer.setText(input);
    QCOMPARE(buffer.text(), text);
    QCOMPARE(buffer.lineCount(), lines);
    QCOMPARE(ToCrLf(input), text);
    QVERIFY(!buffer.isModified());
    QVERIFY(!buffer.canUndo());
}

void TestTextBuffer::replaceKeepsPairsWhole_data()
{
    QTest::addColumn<qsizetype>("pos");
    QTest::addColumn<qsizetype>("count");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("result");

    // On "ab\r\ncd": a position between CR and LF means the CR's.
    QTest::newRow("insert_between_cr_and_lf_goes_before_cr") << qsizetype(3) << qsizetype(0) << "X"
                                                             << "abX\r\ncd";
    QTest::newRow("remove_ending_between_cr_and_lf_keeps_pair")
        << qsizetype(1) << qsizetype(2) << ""
        << "a\r\ncd";
    QTest::newRow("remove_starting_between_cr_and_lf_takes_pair")
        << qsizetype(3) << qsizetype(2) << ""
        << "abd";
    QTest::newRow("inserted_lone_breaks_become_crlf") << qsizetype(2) << qsizetype(0) << "\n\r"
                                                      << "ab\r\n\r\n\r\ncd";
    QTest::newRow("past_the_end_clamps") << qsizetype(99) << qsizetype(5) << "!"
                                         << "ab\r\ncd!";
    // Half of a surrogate pair can be saved in no encoding: it arrives as U+FFFD.
    QTest::newRow("inserted_lone_high_surrogate_becomes_fffd")
        << qsizetype(0) << qsizetype(0) << QString(QChar(0xD842)) + u'x'
        << QStringLiteral("\uFFFDxab\r\ncd");
    QTest::newRow("inserted_lone_low_surrogate_becomes_fffd")
        << qsizetype(6) << qsizetype(0) << QString(QChar(0xDFB7))
        << QStringLiteral("ab\r\ncd\uFFFD");
    QTest::newRow("inserted_pair_is_kept")
        << qsizetype(0) << qsizetype(0) << QStringLiteral("\U00020BB7")
        << QStringLiteral("\U00020BB7ab\r\ncd");
}

void TestTextBuffer::positionsNeverSplitSurrogatePairs()
{
    // "a𠮷b": the pair is units 1 and 2.
    TextBuffer buffer;
    const QString text = QStringLiteral("a\U00020BB7b\r\n") + QChar(0xD842) + QChar(0xDFB7);
    buffer.setText(text);
    QCOMPARE(buffer.text(), QStringLiteral("a\U00020BB7b\r\n\U00020BB7"));
    QCOMPARE(buffer.snap(2), qsizetype(1));
    QCOMPARE(buffer.snap(1), qsizetype(1));
    QCOMPARE(buffer.snap(3), qsizetype(3));
    // A removal ending inside the pair keeps it; one starting inside it takes it whole, as
    // with CR LF. Either way no half is left.
    buffer.replace(1, 1, {});
    QCOMPARE(buffer.text(), QStringLiteral("a\U00020BB7b\r\n\U00020BB7"));
    buffer.replace(2, 0, u"X");
    QCOMPARE(buffer.text(), QStringLiteral("aX\U00020BB7b\r\n\U00020BB7"));
    buffer.replace(3, 1, {});
    QCOMPARE(buffer.text(), QStringLiteral("aXb\r\n\U00020BB7"));
    // A lone half handed to setText becomes U+FFFD as well.
    buffer.setText(QString(QChar(0xDFB7)) + u'a' + QChar(0xD842));
    QCOMPARE(buffer.text(), QStringLiteral("\uFFFDa\uFFFD"));
}

void TestTextBuffer::replaceKeepsPairsWhole()
{
    QFETCH(qsizetype, pos);
    QFETCH(qsizetype, count);
    QFETCH(QString, inserted);
    QFETCH(QString, result);

    TextBuffer buffer;
    buffer.setText(u"ab\r\ncd");
    buffer.replace(pos, count, inserted);
    QCOMPARE(CheckAgainst(buffer, result), QString());
    SelectionRange selection;
    buffer.undo(&selection);
    QCOMPARE(CheckAgainst(buffer, QStringLiteral("ab\r\ncd")), QString());
}

void TestTextBuffer::randomEditsMatchPlainString()
{
    // Edits clustered and scattered over a few hundred lines, checked against a plain string
    // after every step; then everything undone and redone. A fixed seed keeps failures
    // repeatable.
    QRandomGenerator rng(20261210);
    const QString pieces[] = {QStringLiteral("x"),        QStringLiteral("\r\n"),
                              QStringLiteral("ab\r\ncd"), QStringLiteral("\r\n\r\n"),
                              QStringLiteral("日本語"),   QString()};
    QString start;
    for (int i = 0; i < 300; ++i)
        start += QStringLiteral("line %1\r\n").arg(i).repeated(1 + i % 3);
    TextBuffer buffer;
    buffer.setText(start);
    QString model = start;
    std::vector<QString> history{model};
    qsizetype hot = model.size() / 2;
    for (int step = 0; step < 600; ++step) {
        if (rng.bounded(10) == 0)
            hot = rng.bounded(model.size() + 1);
        qsizetype pos = std::clamp<qsizetype>(hot + rng.bounded(41) - 20, 0, model.size());
        qsizetype count = rng.bounded(4) == 0 ? rng.bounded(30) : 0;
        const QString& text = pieces[rng.bounded(6)];
        pos = buffer.snap(pos);
        qsizetype end = buffer.snap(std::min(model.size(), pos + count));
        if (text.isEmpty() && end == pos)
            continue;
        buffer.replace(pos, end - pos, text,
                       step % 2 ? TextBuffer::Merge::Typing : TextBuffer::Merge::No);
        model.replace(pos, end - pos, text);
        history.push_back(model);
        const QString problem = CheckAgainst(buffer, model, 17);
        if (!problem.isEmpty())
            QFAIL(qPrintable(QStringLiteral("step %1: %2").arg(step).arg(problem)));
    }
    SelectionRange selection;
    while (buffer.canUndo())
        buffer.undo(&selection);
    qsizetype caret = 0;
    QCOMPARE(CheckAgainst(buffer, start), QString());
    QVERIFY(!buffer.isModified());
    while (buffer.canRedo())
        buffer.redo(&caret);
    QCOMPARE(CheckAgainst(buffer, model), QString());
}

void TestTextBuffer::typingMergesIntoOneUndoStep()
{
    TextBuffer buffer;
    buffer.setText(u"<P>");
    // Each edit passes the selection before it; undo gives back the first of the step's.
    for (const char16_t c : u"abc")
        if (c)
            buffer.replace(buffer.length(), 0, QStringView(&c, 1), TextBuffer::Merge::Typing,
                           {buffer.length(), buffer.length()});
    // Backspace twice merges into one step of its own.
    buffer.replace(5, 1, {}, TextBuffer::Merge::Typing, {6, 6});
    buffer.replace(4, 1, {}, TextBuffer::Merge::Typing, {5, 5});
    QCOMPARE(buffer.text(), QStringLiteral("<P>a"));
    SelectionRange selection;
    buffer.undo(&selection);
    QCOMPARE(buffer.text(), QStringLiteral("<P>abc"));
    QCOMPARE(selection, (SelectionRange{6, 6}));
    buffer.undo(&selection);
    QCOMPARE(buffer.text(), QStringLiteral("<P>"));
    QCOMPARE(selection, (SelectionRange{3, 3}));
    QVERIFY(!buffer.canUndo());

    // A caret move ends the run.
    buffer.replace(3, 0, u"a", TextBuffer::Merge::Typing);
    buffer.breakMerge();
    buffer.replace(4, 0, u"b", TextBuffer::Merge::Typing);
    buffer.undo(&selection);
    QCOMPARE(buffer.text(), QStringLiteral("<P>a"));
}

void TestTextBuffer::groupIsOneStepAndRedoReapplies()
{
    TextBuffer buffer;
    buffer.setText(u"text");
    buffer.beginUndoGroup();
    buffer.replace(0, 0, u"<B>");
    buffer.beginUndoGroup(); // nested groups join the outer one
    buffer.replace(7, 0, u"</B>");
    buffer.endUndoGroup();
    buffer.endUndoGroup();
    buffer.replace(0, 0, u"\r\n");
    SelectionRange selection;
    buffer.undo(&selection);
    buffer.undo(&selection);
    QCOMPARE(buffer.text(), QStringLiteral("text"));
    qsizetype caret = 0;
    buffer.redo(&caret);
    QCOMPARE(buffer.text(), QStringLiteral("<B>text</B>"));
    QCOMPARE(caret, qsizetype(11));
    // A new edit after undo drops what could have been redone.
    buffer.replace(0, 0, u"x");
    QVERIFY(!buffer.canRedo());
}

void TestTextBuffer::modifiedFollowsTheSavePoint()
{
    TextBuffer buffer;
    buffer.setText(u"a");
    buffer.replace(1, 0, u"b", TextBuffer::Merge::Typing);
    buffer.setUnmodified();
    // Typing after the save point is a step of its own, so undo returns to the saved text.
    buffer.replace(2, 0, u"c", TextBuffer::Merge::Typing);
    QVERIFY(buffer.isModified());
    SelectionRange selection;
    buffer.undo(&selection);
    QCOMPARE(buffer.text(), QStringLiteral("ab"));
    QVERIFY(!buffer.isModified());
    buffer.undo(&selection);
    QVERIFY(buffer.isModified());
    // The saved text can no longer be reached once another edit replaces the redo steps.
    buffer.replace(0, 0, u"z");
    QVERIFY(buffer.isModified());
    // Emptying the history keeps a modified text modified.
    buffer.clearUndo();
    QVERIFY(buffer.isModified());
}

void TestTextBuffer::replaceEachIsOneStep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qsizetype>>("places");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");

    using P = QList<qsizetype>;
    QTest::newRow("letter_doubled_on_every_line") << "a\r\nab\r\nba" << P{0, 3, 8} << "a"
                                                  << "aa"
                                                  << "aa\r\naab\r\nbaa";
    QTest::newRow("line_breaks_removed") << "x\r\ny\r\nz" << P{1, 4} << "\r\n"
                                         << " "
                                         << "x y z";
    QTest::newRow("lone_breaks_inserted_as_crlf") << "a,b,c" << P{1, 3} << ","
                                                  << "\n"
                                                  << "a\r\nb\r\nc";
    QTest::newRow("shorter_replacement") << "<BR><BR>x" << P{0, 4} << "<BR>"
                                         << "-"
                                         << "--x";
    QTest::newRow("place_splitting_a_pair_is_skipped") << "a\r\nb" << P{2} << "\n"
                                                       << "x"
                                                       << "a\r\nb";
    QTest::newRow("place_not_holding_found_is_skipped") << "abc" << P{0, 1} << "b"
                                                        << "X"
                                                        << "aXc";
    QTest::newRow("overlapping_place_is_skipped") << "aaa" << P{0, 1} << "aa"
                                                  << "b"
                                                  << "ba";
}

void TestTextBuffer::replaceEachIsOneStep()
{
    QFETCH(QString, text);
    QFETCH(QList<qsizetype>, places);
    QFETCH(QString, found);
    QFETCH(QString, replacement);
    QFETCH(QString, result);

    TextBuffer buffer;
    buffer.setText(text);
    // An ordinary edit first, undone, so that the gap stands inside the text.
    buffer.replace(1, 0, u"#");
    SelectionRange selection;
    buffer.undo(&selection);
    qsizetype caret = 0;
    buffer.replaceEach(std::vector<qsizetype>(places.begin(), places.end()), found, replacement);
    QCOMPARE(CheckAgainst(buffer, result), QString());
    QCOMPARE(buffer.isModified(), result != text);
    if (result == text)
        return;
    buffer.undo(&selection);
    QCOMPARE(CheckAgainst(buffer, text), QString());
    buffer.redo(&caret);
    QCOMPARE(CheckAgainst(buffer, result), QString());
    // Ordinary editing goes on from the new text.
    buffer.replace(buffer.length(), 0, u"\r\nend");
    QCOMPARE(CheckAgainst(buffer, result + QStringLiteral("\r\nend")), QString());
}

// Random edits, replacements at many places, undo and redo of a text whose kanji were read in
// other forms than the usual one: after every step the kept forms are those of a plain model,
// and undoing a step gives back the forms it took away.
void TestTextBuffer::keptFormsFollowEditsUndoAndRedo()
{
    QRandomGenerator rng(20261211);
    const QString kanji(QChar{kKanji});
    const QString pieces[] = {QStringLiteral("x"), QStringLiteral("\r\n"), kanji,
                              QStringLiteral("a") + kanji, QString()};
    FormModel model;
    for (int i = 0; i < 200; ++i) {
        model.text += (i % 7 == 0) ? QStringLiteral("\r\n") : (i % 3 ? kanji : QStringLiteral("a"));
        model.forms.resize(size_t(model.text.size()));
    }
    for (qsizetype i = 0; i < model.text.size(); ++i)
        if (model.text[i] == QChar{kKanji} && i % 2)
            model.forms[size_t(i)] = quint16(0xED00 + i % 200);
    TextBuffer buffer;
    buffer.setText(model.text);
    buffer.setByteVariants(model.kept());
    QCOMPARE(buffer.byteVariants(), model.kept());

    std::vector<FormModel> history{model};
    size_t current = 0;
    for (int step = 0; step < 400; ++step) {
        const int what = int(rng.bounded(20));
        if (what == 0 && current > 0) {
            SelectionRange selection;
            buffer.undo(&selection);
            model = history[--current];
        } else if (what == 1 && current + 1 < history.size()) {
            qsizetype caret = 0;
            buffer.redo(&caret);
            model = history[++current];
        } else if (what == 2) {
            // Every kanji, or every "a" and kanji, replaced at once.
            const QString found = rng.bounded(2) ? kanji : QStringLiteral("a") + kanji;
            const QString by = pieces[rng.bounded(5)];
            std::vector<qsizetype> places;
            for (qsizetype i = model.text.indexOf(found); i >= 0;
                 i = model.text.indexOf(found, i + found.size()))
                places.push_back(i);
            if (places.empty() || found == by)
                continue;
            buffer.replaceEach(places, found, by);
            for (auto it = places.rbegin(); it != places.rend(); ++it)
                model.replace(*it, found.size(), ToCrLf(by));
            history.resize(++current);
            history.push_back(model);
        } else {
            const qsizetype pos = buffer.snap(rng.bounded(model.text.size() + 1));
            const qsizetype end =
                std::max(pos, buffer.snap(pos + (rng.bounded(3) ? rng.bounded(4) : 0)));
            const QString& text = pieces[rng.bounded(5)];
            if (text.isEmpty() && end == pos)
                continue;
            buffer.replace(pos, end - pos, text);
            model.replace(pos, end - pos, ToCrLf(text));
            history.resize(++current);
            history.push_back(model);
        }
        QCOMPARE(buffer.text(), model.text);
        if (buffer.byteVariants() != model.kept())
            QFAIL(qPrintable(QStringLiteral("step %1: %2 kept forms, expected %3")
                                 .arg(step)
                                 .arg(buffer.byteVariants().size())
                                 .arg(model.kept().size())));
    }
    SelectionRange selection;
    while (buffer.canUndo())
        buffer.undo(&selection);
    QCOMPARE(buffer.text(), history.front().text);
    QCOMPARE(buffer.byteVariants(), history.front().kept());
    qsizetype caret = 0;
    while (buffer.canRedo())
        buffer.redo(&caret);
    QCOMPARE(buffer.text(), history[current].text);
    QCOMPARE(buffer.byteVariants(), history[current].kept());
}

// Backspace and Delete over kept kanji merge into one undo step; undoing it puts every form
// back where it was.
void TestTextBuffer::keptFormsComeBackWithMergedTyping()
{
    const QString text = QStringLiteral("a") + QChar{kKanji} + QChar{kKanji} + QStringLiteral("b") +
                         QChar{kKanji} + QChar{kKanji} + QStringLiteral("c");
    const ByteVariants kept = {
        {1, kKanji, 0xED40}, {2, kKanji, 0xFA5C}, {4, kKanji, 0xED40}, {5, kKanji, 0xFA5C}};
    TextBuffer buffer;
    buffer.setText(text);
    buffer.setByteVariants(kept);
    using Merge = TextBuffer::Merge;
    for (qsizetype pos = 3; pos > 1; --pos) // Backspace from after the first pair
        buffer.replace(pos - 1, 1, {}, Merge::Typing);
    QCOMPARE(buffer.text(), QStringLiteral("ab") + QChar{kKanji} + QChar{kKanji} + u'c');
    QCOMPARE(buffer.byteVariants(), (ByteVariants{{2, kKanji, 0xED40}, {3, kKanji, 0xFA5C}}));
    for (int k = 0; k < 2; ++k) // Delete at the second pair
        buffer.replace(2, 1, {}, Merge::Typing);
    QCOMPARE(buffer.byteVariants(), ByteVariants{});
    SelectionRange selection;
    buffer.undo(&selection);
    buffer.undo(&selection);
    QVERIFY(!buffer.canUndo());
    QCOMPARE(buffer.text(), text);
    QCOMPARE(buffer.byteVariants(), kept);
    // Typed again, the kanji takes the page's usual form: nothing is kept for it.
    buffer.replace(1, 1, QString(QChar{kKanji}));
    QCOMPARE(buffer.byteVariants(),
             (ByteVariants{{2, kKanji, 0xFA5C}, {4, kKanji, 0xED40}, {5, kKanji, 0xFA5C}}));
}

void TestTextBuffer::keptFormsMustNameTheirCharacter()
{
    TextBuffer buffer;
    buffer.setText(QStringLiteral("a") + QChar{kKanji} + QStringLiteral("\n") + QChar{kKanji});
    buffer.setByteVariants({{4, kKanji, 2},
                            {0, kKanji, 1},
                            {1, kKanji, 3},
                            {1, kKanji, 4},
                            {2, kKanji, 5},
                            {9, kKanji, 6}});
    QCOMPARE(buffer.byteVariants(), (ByteVariants{{1, kKanji, 3}, {4, kKanji, 2}}));
    buffer.setText(QStringLiteral("x"));
    QCOMPARE(buffer.byteVariants(), ByteVariants{});
}

// A snapshot read only after the edits that followed it (as a slow writer thread reads it)
// holds the text and kept forms as they were when it was taken, whatever the edits did to the
// storage: overwrote pieces of it, moved the gap across it, grew it, replaced or freed it.
void TestTextBuffer::snapshotKeepsTheTextAsTaken_data()
{
    QTest::addColumn<QString>("edit");
    for (const char* edit : {"typing", "far edits", "growth", "new text", "undo", "replace each",
                             "buffer gone", "second snapshot"})
        QTest::newRow(edit) << QString::fromLatin1(edit);
}

void TestTextBuffer::snapshotKeepsTheTextAsTaken()
{
    QFETCH(QString, edit);
    std::optional<TextBuffer> buffer(std::in_place);
    QString page;
    for (int i = 0; i < 6000; ++i) // 140,000 characters: many pieces of the storage
        page += QStringLiteral("<TD>%1 ").arg(i) + QChar{kKanji} + QStringLiteral("</TD>\r\n");
    buffer->setText(page);
    buffer->setByteVariants({{page.indexOf(QChar{kKanji}), kKanji, 0xFA5C},
                             {page.lastIndexOf(QChar{kKanji}), kKanji, 0xED40}});
    const qsizetype middle = buffer->length() / 2;
    buffer->replace(middle, 0, QStringLiteral("typed"), TextBuffer::Merge::Typing);
    const QString taken = buffer->text();
    const ByteVariants forms = buffer->byteVariants();
    QCOMPARE(forms.size(), size_t(2));

    const TextSnapshot snapshot = buffer->snapshot();
    std::optional<TextSnapshot> second;
    QString secondText;
    for (int i = 0; i < 20; ++i)
        buffer->replace(middle + 5 + i, 0, QStringLiteral("k"), TextBuffer::Merge::Typing);
    if (edit == u"far edits") {
        buffer->replace(0, 40, QStringLiteral("start"));
        buffer->replace(buffer->length() - 30, 30, QStringLiteral("end"));
        buffer->view(0, buffer->length());
        buffer->replace(page.indexOf(QChar{kKanji}), 1, QStringLiteral("x"));
    } else if (edit == u"growth") {
        buffer->replace(10, 0, QString(300'000, u'g'));
    } else if (edit == u"new text") {
        buffer->setText(QStringLiteral("another page"));
    } else if (edit == u"undo") {
        SelectionRange selection;
        while (buffer->canUndo())
            buffer->undo(&selection);
    } else if (edit == u"replace each") {
        const QString now = buffer->text();
        std::vector<qsizetype> places;
        for (qsizetype at = 0; (at = now.indexOf(u"<TD>", at)) >= 0; at += 4)
            places.push_back(at);
        buffer->replaceEach(places, QStringLiteral("<TD>"), QStringLiteral("<TH>"));
    } else if (edit == u"buffer gone") {
        buffer.reset();
    } else if (edit == u"second snapshot") {
        second = buffer->snapshot();
        secondText = buffer->text();
        buffer->replace(0, buffer->length() / 3, QStringLiteral("cut"));
        buffer->replace(buffer->length(), 0, QString(300'000, u'g'));
    }
    if (buffer)
        QVERIFY(buffer->text() != taken);
    QCOMPARE(snapshot.text(), taken);
    QCOMPARE(snapshot.forms, forms);
    if (second)
        QCOMPARE(second->text(), secondText);
}

QTEST_GUILESS_MAIN(TestTextBuffer)
#include "tst_textbuffer.moc"
