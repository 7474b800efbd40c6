// An unedited page saves byte for byte: through the real file commands, every page among the
// test fixtures opens and saves unchanged, or the opening told the user what would change.
// CP932 characters kept in a second form survive edits, undo, reload and the recovery journal;
// a charset that cannot give its bytes back asks before the file is overwritten.
#include "encodings/documentcodec.h"
#include "filesession.h"
#include "recovery/journal.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QtTest>

using namespace tl;

namespace
{

const char16_t kKanji = 0x7E8A; // 纊: ED 40 (NEC-selected IBM) or FA 5C (IBM, Windows's form)

QByteArray Fixture(const QString& name)
{
    return test::TempHome::readBytes(QStringLiteral(TAGLOOM_TEST_FIXTURES "/encodings/") + name);
}

bool AskedWithDefaultNo(const MessageRequest& m)
{
    return m.buttons == MsgButtons::YesNo && m.defaultAnswer == MsgAnswer::No;
}

} // namespace

class TestPageBytes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void uneditedPagesSaveAsRead_data();
    void uneditedPagesSaveAsRead();
    void keptFormsSurviveEditsUndoAndReload();
    void typedCharacterTakesTheUsualForm();
    void cutAndPastedBackThroughTheEditMenuSavesAsRead();
    void inexactCharsetIsToldAndAskedOnce();
    void keptFormsGoThroughTheJournal();
    void oddLineBreaksFollowEditsUndoAndTheJournal();
    void journalOfVersionOneIsStillRead();
};

void TestPageBytes::uneditedPagesSaveAsRead_data()
{
    QTest::addColumn<QString>("file");
    // Every page among the fixtures, whatever folder it is in.
    QDirIterator it(QStringLiteral(TAGLOOM_TEST_FIXTURES), QDir::Files,
                    QDirIterator::Subdirectories);
    int pages = 0;
    while (it.hasNext()) {
        const QString file = it.next();
        const QString suffix = QFileInfo(file).suffix().toLower();
        if (suffix != u"htm" && suffix != u"html" && suffix != u"asp" && suffix != u"txt")
            continue;
        QTest::newRow(
            qPrintable(QDir(QStringLiteral(TAGLOOM_TEST_FIXTURES)).relativeFilePath(file)))
            << file;
        ++pages;
    }
    // A moved fixture folder would make this test pass on nothing.
    QVERIFY(pages >= 10);
}

// Open, save without an edit, compare. The bytes are those read, line ends and a missing final
// line break included, unless the opening told what would change; the save then asks, and the
// answer here is to save.
void TestPageBytes::uneditedPagesSaveAsRead()
{
    QFETCH(QString, file);
    test::FileSession s;
    const QByteArray bytes = test::TempHome::readBytes(file);
    const QString path = s.write(QFileInfo(file).fileName(), bytes);
    QCOMPARE(s.files().OpenDocument(path), 0);
    const qsizetype toldAtOpen = s.prompts.messages.size();
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.prompts.planAnswer(MsgAnswer::Yes);
    s.files().SaveDocument();

    const QByteArray saved = test::FileSession::read(path);
    if (saved != bytes) {
        QVERIFY2(toldAtOpen > 0, qPrintable(QStringLiteral("changed without a word: %1 -> %2")
                                                .arg(QString::fromLatin1(bytes.toHex(' ')),
                                                     QString::fromLatin1(saved.toHex(' ')))));
    }
}

// The page: 纊 as ED 40 twice and FA 5C once. Edits elsewhere, removing the FA 5C one
// and undoing that, redoing and undoing again, saving, reloading: the FA 5C stays FA 5C.
void TestPageBytes::keptFormsSurviveEditsUndoAndReload()
{
    test::FileSession s;
    const QByteArray bytes = "<p>\xED\x40\xED\x40\xFA\x5C</p>\r\n";
    const QString path = s.write(QStringLiteral("forms.htm"), bytes);
    QCOMPARE(s.files().OpenDocument(path), 0);
    Document& doc = s.state.Doc;
    QCOMPARE(doc.byteVariants(), (ByteVariants{{5, kKanji, 0xFA5C}}));

    s.type(QStringLiteral("<b>")); // before it: it moves
    doc.replace(8, 1, {});         // it goes
    QCOMPARE(doc.byteVariants(), ByteVariants{});
    doc.undo(); // and comes back
    QCOMPARE(doc.byteVariants(), (ByteVariants{{8, kKanji, 0xFA5C}}));
    doc.redo();
    doc.undo();
    doc.undo(); // the typed <b> too
    QVERIFY(!doc.isModified());
    s.files().SaveDocument();
    QCOMPARE(test::FileSession::read(path), bytes);

    // Read again from the file: the forms come from it.
    s.type(QStringLiteral("x"));
    QCOMPARE(s.files().ReloadDocument(path), 0);
    QCOMPARE(doc.byteVariants(), (ByteVariants{{5, kKanji, 0xFA5C}}));
    QVERIFY(!s.prompts.unplanned);
}

// The second line's seven characters are each in another form than the first line's (the
// page's usual ones): cut with the Edit menu and pasted back, then saved, they keep their bytes.
void TestPageBytes::cutAndPastedBackThroughTheEditMenuSavesAsRead()
{
    test::FileSession s;
    const QByteArray bytes = "<P>\xFA\x5C\x81\xCA\x81\xE0\x81\xDB\x81\xE6\x87\x54\x87\x8A</P>\r\n"
                             "<P>\xED\x40\xFA\x54\x87\x90\x87\x96\x87\x9A\xFA\x4A\xFA\x58</P>\r\n";
    const QString path = s.write(QStringLiteral("cut.htm"), bytes);
    QCOMPARE(s.files().OpenDocument(path), 0);
    QCOMPARE(s.state.Doc.byteVariants().size(), size_t(7));
    const qsizetype from = s.state.Doc.lineStart(1) + 3;
    s.state.Doc.setSelection(from, from + 7);
    s.window.findChild<QAction*>(QStringLiteral("mnuEditCut"))->trigger();
    QVERIFY(s.state.Doc.byteVariants().empty());
    s.window.findChild<QAction*>(QStringLiteral("mnuEditPaste"))->trigger();
    s.files().SaveDocument();
    QCOMPARE(test::FileSession::read(path), bytes);
    QVERIFY(s.prompts.messages.isEmpty());
}

// A character typed, pasted or put in by a dialog is written in the page's usual form: here ED 40,
// which the page uses twice against FA 5C once.
void TestPageBytes::typedCharacterTakesTheUsualForm()
{
    test::FileSession s;
    const QString path = s.write(QStringLiteral("typed.htm"), "\xED\x40\xED\x40\xFA\x5C\r\n");
    QCOMPARE(s.files().OpenDocument(path), 0);
    s.type(QString(QChar{kKanji}));
    s.files().SaveDocument();
    QCOMPARE(test::FileSession::read(path), QByteArray("\xED\x40\xED\x40\xED\x40\xFA\x5C\r\n"));
}

// ESC ( J abc ESC ( B comes back as abc: the opening says where the bytes first differ, the first
// save over the file asks with No as the default, No writes nothing, and once the user said Yes
// no later save asks again.
void TestPageBytes::inexactCharsetIsToldAndAskedOnce()
{
    test::FileSession s;
    const QByteArray bytes = Fixture(QStringLiteral("iso2022jp.htm"));
    QVERIFY(!bytes.isEmpty());
    const QString path = s.write(QStringLiteral("iso.htm"), bytes);
    QCOMPARE(s.files().OpenDocument(path), 0);
    QCOMPARE(s.prompts.messages.size(), 1);
    QCOMPARE(s.prompts.messages[0].text,
             path + QStringLiteral("\r\nこのファイルは ISO-2022-JP として読みましたが、そのまま"
                                   "保存しても読んだときと同じバイトには戻りません。最初に違うのは "
                                   "2 行目 4 文字目 (先頭から 79 バイト目) です。\r\n"
                                   "上書き保存する前に確認します。"));

    s.prompts.planAnswer(MsgAnswer::No);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 2);
    QVERIFY(AskedWithDefaultNo(s.prompts.messages[1]));
    QVERIFY(s.prompts.messages[1].text.contains(QStringLiteral("2 行目 4 文字目")));
    QCOMPARE(test::FileSession::read(path), bytes);
    QVERIFY(!QFileInfo::exists(s.docs() + QStringLiteral("/iso.bak")));

    s.prompts.planAnswer(MsgAnswer::Yes);
    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 3);
    QVERIFY(AskedWithDefaultNo(s.prompts.messages[2]));
    QByteArray written = bytes;
    written.replace("\x1B(Jabc\x1B(B", "abc");
    QCOMPARE(test::FileSession::read(path), written);

    s.files().SaveDocument();
    QCOMPARE(s.prompts.messages.size(), 3);
    QVERIFY(!s.prompts.unplanned);
}

void TestPageBytes::keptFormsGoThroughTheJournal()
{
    JournalEntry entry;
    entry.path = QStringLiteral("/p/forms.htm");
    entry.time = QDateTime::fromMSecsSinceEpoch(1, QTimeZone::utc());
    entry.text = QStringLiteral("a") + QChar{kKanji} + QStringLiteral("\r\n") + QChar{kKanji};
    entry.encoding.preferredBytes = {{kKanji, QByteArray("\xED\x40")}};
    entry.encoding.lineEnd = LineEnd::Lf;
    entry.encoding.addFinalBreak = false;
    entry.forms = {{1, kKanji, 0xFA5C}, LineBreakVariant(2, LineEnd::Cr), {4, kKanji, 0xFA5C}};
    entry.inexactPlace = QStringLiteral("2 行目 4 文字目");
    const QByteArray bytes = EncodeJournal(entry);
    QVERIFY(bytes.startsWith("TAGLOOM JOURNAL 4\n"));
    const std::optional<JournalEntry> back = DecodeJournal(bytes);
    QVERIFY(back);
    QCOMPARE(back->forms, entry.forms);
    QCOMPARE(back->encoding.lineEnd, LineEnd::Lf);
    QVERIFY(!back->encoding.addFinalBreak);
    QCOMPARE(back->inexactPlace, entry.inexactPlace);
    QCOMPARE(back->text, entry.text);

    // A form that does not name the character at its place is a damaged journal.
    entry.forms = {{0, kKanji, 0xFA5C}};
    QVERIFY(!DecodeJournal(EncodeJournal(entry)));
}

// Journals written before the forms were kept (versions 1 and 2), or before the line ends were
// (version 3), are offered as they were: CR LF pages that a save ends with a line break.
void TestPageBytes::journalOfVersionOneIsStillRead()
{
    const QByteArray text = "abc";
    const QByteArray fields = "path=%2Fp%2Fold.htm\ntime=2026-12-01T10:00:00.000Z\n"
                              "encoding=cp932\nname=\nbom=0\npreferred=7e8a:ed40\nundecodable=1\n";
    for (const QByteArray& header :
         {"TAGLOOM JOURNAL 1\n" + fields + "length=3\n",
          "TAGLOOM JOURNAL 2\n" + fields + "file=-\nlength=3\n",
          "TAGLOOM JOURNAL 3\n" + fields + "file=-\nforms=\ninexact=\nlength=3\n"}) {
        const QByteArray sum =
            QCryptographicHash::hash(header + text, QCryptographicHash::Sha256).toHex();
        const std::optional<JournalEntry> entry =
            DecodeJournal(header + "sha256=" + sum + "\n\n" + text);
        QVERIFY2(entry, header.constData());
        QCOMPARE(entry->path, QStringLiteral("/p/old.htm"));
        QCOMPARE(entry->text, QStringLiteral("abc"));
        QVERIFY(entry->undecodable);
        QCOMPARE(entry->encoding.preferredBytes.value(kKanji), QByteArray("\xED\x40"));
        QCOMPARE(entry->forms, ByteVariants{});
        QCOMPARE(entry->inexactPlace, QString());
        QCOMPARE(entry->encoding.lineEnd, LineEnd::CrLf);
        QVERIFY(entry->encoding.addFinalBreak);
    }
}

// A page that mixes line ends (LF usual; CR LF after b, CR after d, no final line break): the
// odd ones follow edits, undo and redo, and go through the journal; a new line takes LF.
void TestPageBytes::oddLineBreaksFollowEditsUndoAndTheJournal()
{
    test::FileSession s;
    const QString path = s.write(QStringLiteral("mixed.htm"), "a\nb\r\nc\nd\re");
    QCOMPARE(s.files().OpenDocument(path), 0);
    Document& doc = s.state.Doc;
    s.type(QStringLiteral("x"));                    // before them all: they move
    doc.replace(doc.lineEnd(2), 0, u"\r\nnew\r\n"); // new lines after c
    const QByteArray edited = "xa\nb\r\nc\nnew\n\nd\re";
    s.files().SaveDocument();
    QCOMPARE(test::FileSession::read(path), edited);

    doc.replace(doc.lineEnd(1), 2, {}); // b's CR LF goes
    s.files().SaveDocument();
    QCOMPARE(test::FileSession::read(path), QByteArray("xa\nbc\nnew\n\nd\re"));
    doc.undo(); // and comes back
    doc.redo();
    doc.undo();
    s.files().SaveDocument();
    QCOMPARE(test::FileSession::read(path), edited);

    JournalEntry entry;
    entry.path = path;
    entry.time = QDateTime::fromMSecsSinceEpoch(1, QTimeZone::utc());
    entry.text = doc.text();
    entry.encoding = doc.encoding();
    entry.forms = doc.byteVariants();
    const std::optional<JournalEntry> back = DecodeJournal(EncodeJournal(entry));
    QVERIFY(back);
    QCOMPARE(EncodeDocument(back->text, back->encoding, back->forms).bytes, edited);
    QVERIFY(!s.prompts.unplanned);
}

QTEST_MAIN(TestPageBytes)
#include "tst_pagebytes.moc"
