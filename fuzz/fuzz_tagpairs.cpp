// Pair matching as the edit box does it (a long line read a piece at a time from the states kept
// in it, kept through edits) against the whole text lexed at once. A fragment is repeated into
// a page whose lines are long enough to keep states inside them (with states kept every 64
// characters, so that a page of a few hundred characters has them); some carets are asked
// about, the text is edited (a replacement, a replacement at many places, undo, redo), and
// carets are asked about again. The line start states and every pair must agree.
#include "core/document.h"
#include "fuzzinput.h"
#include "syntax/syntaxstates.h"
#include "syntax/tagpairs.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

using namespace tl;

namespace
{

// Line breaks as the page holds them: CR LF only.
QString CrLf(QString text)
{
    text.remove(u'\n');
    text.replace(u'\r', QStringLiteral("\r\n"));
    return text;
}

QString PairText(const std::optional<TagPair>& pair)
{
    if (!pair)
        return QStringLiteral("none");
    return QStringLiteral("%1-%2 %3-%4")
        .arg(pair->openFrom)
        .arg(pair->openTo)
        .arg(pair->closeFrom)
        .arg(pair->closeTo);
}

QString StateText(const LexState& state)
{
    static const char* const kModes[] = {"Text",        "Tag",         "TagEquals",
                                         "ValueDouble", "ValueSingle", "ValueBare",
                                         "Comment",     "Script",      "Style"};
    return QStringLiteral("%1%2 raw %3")
        .arg(QLatin1String(kModes[int(state.mode)]))
        .arg(state.asp ? QStringLiteral(" asp") : QString())
        .arg(QLatin1String(kModes[int(state.raw)]));
}

[[noreturn]] void Fail(const char* what, qsizetype caret, const QString& expected,
                       const QString& actual)
{
    std::fprintf(stderr, "%s at %lld\nexpected: %s\nactual:   %s\n", what,
                 static_cast<long long>(caret), expected.toLocal8Bit().constData(),
                 actual.toLocal8Bit().constData());
    std::abort();
}

void Compare(Document& doc, SyntaxStates& states, fuzz::Input& in, int count)
{
    const QString text = doc.text();
    StringLexedLines whole(text);
    DocumentLexedLines pieces(doc, states);
    for (int i = 0; i < count; ++i) {
        const qsizetype caret = qsizetype(in.number(3) % uint64_t(text.size() + 1));
        const int line = doc.lineOf(caret);
        const LexState kept = states.stateAt(line);
        const LexState lexed = whole.stateAt(line);
        if (!(kept == lexed))
            Fail("line start state", caret, StateText(lexed), StateText(kept));
        const QString expected = PairText(FindTagPair(whole, caret));
        const QString actual = PairText(FindTagPair(pieces, caret));
        if (actual != expected)
            Fail("pair", caret, expected, actual);
    }
}

// Replaces every occurrence of a piece of the page (1 to 3 characters at pos) by a short text
// in one step, as Replace All does.
void ReplaceEverywhere(Document& doc, qsizetype pos, qsizetype count, const QString& by)
{
    const QString found = doc.mid(pos, count);
    if (found.isEmpty())
        return;
    const QString text = doc.text();
    std::vector<qsizetype> places;
    for (qsizetype i = text.indexOf(found); i >= 0; i = text.indexOf(found, i + found.size()))
        places.push_back(i);
    doc.replaceEach(places, found, by);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_tagpairs";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    fuzz::Input in(data, size);
    const QString fragment = CrLf(in.text(200));
    if (fragment.isEmpty())
        return 0;
    // 128 to 1,148 characters: past the length from which a line keeps states inside it.
    constexpr qsizetype kStep = 64;
    const qsizetype length = 2 * kStep + qsizetype(in.byte()) * 4;
    QString text = fragment.repeated(length / fragment.size() + 1);
    text.truncate(length);

    Document doc;
    SyntaxStates states(doc, kStep);
    QObject::connect(&doc, &Document::changed, [&](const TextChange& c) { states.follow(c); });
    QObject::connect(&doc, &Document::textReset, [&] { states.reset(); });
    doc.setText(text);

    Compare(doc, states, in, 4);
    const int edits = in.byte() % 8;
    for (int e = 0; e < edits; ++e) {
        const int kind = in.byte() % 8;
        const qsizetype size = doc.length();
        const qsizetype pos = qsizetype(in.number(2) % uint64_t(size + 1));
        if (kind == 6) {
            doc.undo();
        } else if (kind == 7) {
            doc.redo();
        } else if (kind >= 4) {
            ReplaceEverywhere(doc, pos, 1 + in.byte() % 3, CrLf(in.text(8)));
        } else {
            qsizetype count = qsizetype(in.byte() % 64);
            count = std::min(count, size - pos);
            // Never half of a CR LF.
            const QString inserted = CrLf(in.text(16));
            if ((pos > 0 && doc.mid(pos - 1, 2) == QStringLiteral("\r\n")) ||
                (count > 0 && doc.mid(pos + count - 1, 2) == QStringLiteral("\r\n")))
                continue;
            doc.replace(pos, count, inserted);
        }
        Compare(doc, states, in, 3);
    }
    return 0;
}
