// The lexer behind the edit box's colours, the states it keeps per line through edits, and the
// matching of tag pairs: pure functions over text, in tables.
#include "core/document.h"
#include "syntax/syntaxlexer.h"
#include "syntax/syntaxstates.h"
#include "syntax/tagpairs.h"

#include <QtTest>

using namespace tl;

namespace
{

char KindLetter(SyntaxKind kind)
{
    switch (kind) {
    case SyntaxKind::Plain:
        return '?';
    case SyntaxKind::Tag:
        return 'T';
    case SyntaxKind::AttrName:
        return 'N';
    case SyntaxKind::AttrValue:
        return 'V';
    case SyntaxKind::Entity:
        return 'E';
    case SyntaxKind::Comment:
        return 'C';
    case SyntaxKind::AspDelimiter:
        return 'D';
    case SyntaxKind::AspCode:
        return 'A';
    case SyntaxKind::VbKeyword:
        return 'K';
    case SyntaxKind::VbString:
        return 'S';
    case SyntaxKind::VbComment:
        return 'R';
    }
    return '?';
}

// One line with its runs written in: plain text as it is, a run as its class letter and its
// text in braces.
QString Render(QStringView line, const std::vector<SyntaxRun>& runs)
{
    QString out;
    qsizetype at = 0;
    for (const SyntaxRun& run : runs) {
        out += line.mid(at, run.from - at);
        out += QLatin1Char(KindLetter(run.kind));
        out += QLatin1Char('{');
        out += line.mid(run.from, run.to - run.from);
        out += QLatin1Char('}');
        at = run.to;
    }
    out += line.mid(at);
    return out;
}

// The text's lines (CR LF breaks) lexed one after the other, rendered and joined with "\n".
QString RenderText(const QString& text)
{
    QStringList out;
    LexState state;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        std::vector<SyntaxRun> runs;
        state = LexLine(line, state, &runs);
        out << Render(line, runs);
    }
    return out.join(u'\n');
}

// Every line's start state, lexed from scratch.
std::vector<LexState> FreshStates(const QString& text)
{
    std::vector<LexState> states{LexState{}};
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        states.push_back(LexLine(lines[i], states.back(), nullptr));
    return states;
}

QString PairText(const QString& text, const std::optional<TagPair>& pair)
{
    if (!pair)
        return QStringLiteral("none");
    return u"%1@%2 | %3@%4"_qs.arg(text.mid(pair->openFrom, pair->openTo - pair->openFrom))
        .arg(pair->openFrom)
        .arg(text.mid(pair->closeFrom, pair->closeTo - pair->closeFrom))
        .arg(pair->closeFrom);
}

} // namespace

class TestSyntax : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lexLines_data();
    void lexLines();
    void lexInPieces_data() { lexLines_data(); }
    void lexInPieces();
    void statesFollowEdits_data();
    void statesFollowEdits();
    void statesAreLexedLazilyAndMeetAgain();
    void editBeforeTheLexedLinesKeepsLaterStatesUntrusted_data();
    void editBeforeTheLexedLinesKeepsLaterStatesUntrusted();
    void longLineRunsFromCheckpoints();
    void tagPairs_data();
    void tagPairs();
    void jumpTargets();
};

// Classes: T tag, N attribute name, V attribute value, E entity, C comment, D ASP delimiter,
// A ASP code, K VBScript keyword, S VBScript string, R VBScript comment.
void TestSyntax::lexLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("tag_with_attributes")
        << u"<A HREF=\"x.htm\" TARGET=_top>link</A>"_qs
        << u"T{<A} N{HREF}=V{\"x.htm\"} N{TARGET}=V{_top}T{>}linkT{</A>}"_qs;
    QTest::newRow("entities_in_text_and_values")
        << u"a&nbsp;b &#169; &#xA9; &x &amp <A HREF=\"?a=1&amp;b=2\">"_qs
        << u"aE{&nbsp;}b E{&#169;} E{&#xA9;} &x &amp T{<A} N{HREF}=V{\"?a=1}E{&amp;}V{b=2\"}T{>}"_qs;
    QTest::newRow("comment_on_one_line")
        << u"a<!-- <B>x</B> -->b"_qs << u"aC{<!-- <B>x</B> -->}b"_qs;
    QTest::newRow("unclosed_comment_colours_the_rest")
        << u"x<!-- a\r\n<P>b\r\n"_qs << u"xC{<!-- a}\nC{<P>b}\n"_qs;
    QTest::newRow("comment_closed_on_a_later_line")
        << u"<!--\r\na -->b<BR>"_qs << u"C{<!--}\nC{a -->}bT{<BR>}"_qs;
    QTest::newRow("asp_statement_keywords_string_comment")
        << u"<% If x Then Response.Write \"a\" ' note %>"_qs
        << u"D{<%}A{ }K{If}A{ x }K{Then}A{ Response.Write }S{\"a\"}A{ }R{' note }D{%>}"_qs;
    QTest::newRow("asp_expression_in_quoted_value")
        << u"<BODY BGCOLOR=\"<%=bg%>\">"_qs
        << u"T{<BODY} N{BGCOLOR}=V{\"}D{<%=}A{bg}D{%>}V{\"}T{>}"_qs;
    QTest::newRow("asp_string_quotes_inside_quoted_value")
        << u"<INPUT VALUE=\"<%=Request(\"q\")%>\">"_qs
        << u"T{<INPUT} N{VALUE}=V{\"}D{<%=}A{Request(}S{\"q\"}A{)}D{%>}V{\"}T{>}"_qs;
    QTest::newRow("asp_expression_in_bare_value")
        << u"<A HREF=a.asp?id=<%=id%>&x=1>t</A>"_qs
        << u"T{<A} N{HREF}=V{a.asp?id=}D{<%=}A{id}D{%>}V{&x=1}T{>}tT{</A>}"_qs;
    QTest::newRow("asp_block_over_lines")
        << u"<%\r\nDim a ' c\r\n%>x"_qs << u"D{<%}\nK{Dim}A{ a }R{' c}\nD{%>}x"_qs;
    QTest::newRow("asp_block_in_comment")
        << u"<!-- <%=a%> -->"_qs << u"C{<!-- }D{<%=}A{a}D{%>}C{ -->}"_qs;
    QTest::newRow("rem_comment_and_keywords_in_any_case")
        << u"<% rem x %><% dim Y %>"_qs << u"D{<%}A{ }R{rem x }D{%><%}A{ }K{dim}A{ Y }D{%>}"_qs;
    QTest::newRow("doubled_quote_inside_vb_string")
        << u"<% s = \"a\"\"b\" %>"_qs << u"D{<%}A{ s = }S{\"a\"\"b\"}A{ }D{%>}"_qs;
    QTest::newRow("block_end_inside_vb_string_ends_the_block")
        << u"<% x = \"a%>b\" %>"_qs << u"D{<%}A{ x = }S{\"a}D{%>}b\" %>"_qs;
    QTest::newRow("script_text_is_no_markup")
        << u"<SCRIPT>if (a<b) x=\"<%=v%>\";</SCRIPT>"_qs
        << u"T{<SCRIPT>}if (a<b) x=\"D{<%=}A{v}D{%>}\";T{</SCRIPT>}"_qs;
    QTest::newRow("style_text_over_lines")
        << u"<STYLE TYPE=\"text/css\">\r\nP <B> {}\r\n</style>"_qs
        << u"T{<STYLE} N{TYPE}=V{\"text/css\"}T{>}\nP <B> {}\nT{</style>}"_qs;
    QTest::newRow("tag_over_lines")
        << u"<TD\r\n ALIGN=\"right\"\r\n>x"_qs << u"T{<TD}\n N{ALIGN}=V{\"right\"}\nT{>}x"_qs;
    QTest::newRow("quoted_value_over_lines")
        << u"<A TITLE=\"a\r\nb\">"_qs << u"T{<A} N{TITLE}=V{\"a}\nV{b\"}T{>}"_qs;
    QTest::newRow("less_than_in_text_is_text") << u"a < b <= c </ d"_qs << u"a < b <= c </ d"_qs;
    QTest::newRow("unclosed_tag_ends_at_the_next_tag")
        << u"<A HREF=\"x\"<B>b"_qs << u"T{<A} N{HREF}=V{\"x\"}T{<B>}b"_qs;
    QTest::newRow("doctype")
        << u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">"_qs
        << u"T{<!DOCTYPE} N{HTML} N{PUBLIC} V{\"-//W3C//DTD HTML 3.2 Final//EN\"}T{>}"_qs;
    QTest::newRow("self_closing_and_spaced_end_tag")
        << u"<BR/><HR /></TD >"_qs << u"T{<BR/><HR} T{/></TD} T{>}"_qs;
    QTest::newRow("japanese_text_between_tags")
        << u"<P>日本語&amp;テキスト</P>"_qs << u"T{<P>}日本語E{&amp;}テキストT{</P>}"_qs;
}

void TestSyntax::lexLines()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(RenderText(text), expected);
}

// A line lexed a piece at a time, each piece going on from where and in the state the last one
// stopped, gives the runs of the whole line: long lines are coloured that way.
void TestSyntax::lexInPieces()
{
    QFETCH(QString, text);
    for (qsizetype step = 1; step <= 4; ++step) {
        LexState state;
        for (const QString& line : text.split(QStringLiteral("\r\n"))) {
            std::vector<SyntaxRun> whole;
            const LexState end = LexLine(line, state, &whole);
            std::vector<SyntaxRun> pieces;
            qsizetype pos = 0;
            LexState inside = state;
            while (pos < line.size()) {
                qsizetype stopped = -1;
                inside = LexSpan(line, pos, inside, pos + step, &pieces, &stopped);
                QVERIFY(stopped > pos);
                pos = stopped;
            }
            // Runs split at a stop are joined back to compare.
            std::vector<SyntaxRun> joined;
            for (const SyntaxRun& r : pieces) {
                if (!joined.empty() && joined.back().kind == r.kind && joined.back().to == r.from)
                    joined.back().to = r.to;
                else
                    joined.push_back(r);
            }
            QCOMPARE(Render(line, joined), Render(line, whole));
            QVERIFY(inside == end);
            state = end;
        }
    }
}

// Edits of a document: after each, every line's kept state is the one a fresh lex of the whole
// text gives.
void TestSyntax::statesFollowEdits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QString>("inserted");
    const QString page =
        u"<P>a</P>\r\n<A HREF=\"x\">b</A>\r\n<% x %>\r\nplain\r\n<B>c</B>\r\nend"_qs;
    QTest::newRow("comment_opened_at_the_top") << page << 0 << 0 << u"<!--"_qs;
    QTest::newRow("comment_opened_and_closed") << page << 3 << 0 << u"<!--\r\n-->"_qs;
    QTest::newRow("line_breaks_removed") << page << 5 << 20 << QString();
    QTest::newRow("quote_left_open") << page << 19 << 1 << QString();
    QTest::newRow("asp_block_opened") << page << 10 << 0 << u"<%\r\n\r\n"_qs;
    QTest::newRow("last_line_edited") << page << int(page.size()) << 0 << u"\r\n<!--"_qs;
}

void TestSyntax::statesFollowEdits()
{
    QFETCH(QString, text);
    QFETCH(int, pos);
    QFETCH(int, removed);
    QFETCH(QString, inserted);
    Document doc;
    doc.setText(text);
    SyntaxStates states(doc);
    QObject::connect(&doc, &Document::changed, [&](const TextChange& c) { states.follow(c); });
    states.stateAt(doc.lineCount() - 1);
    doc.replace(pos, removed, inserted);
    const std::vector<LexState> fresh = FreshStates(doc.text());
    QCOMPARE(int(fresh.size()), doc.lineCount());
    for (int line = 0; line < doc.lineCount(); ++line)
        QVERIFY2(states.stateAt(line) == fresh[size_t(line)], qPrintable(QString::number(line)));
    // And back by undo.
    doc.undo();
    const std::vector<LexState> back = FreshStates(doc.text());
    for (int line = doc.lineCount() - 1; line >= 0; --line)
        QVERIFY2(states.stateAt(line) == back[size_t(line)], qPrintable(QString::number(line)));
}

// States are lexed as far as asked. "<!--" typed at the top changes every later line; once it
// is deleted, re-lexing stops where the states kept from before are met again.
void TestSyntax::statesAreLexedLazilyAndMeetAgain()
{
    QString text;
    for (int i = 0; i < 1000; ++i)
        text += u"<TR><TD>%1</TD></TR>\r\n"_qs.arg(i);
    Document doc;
    doc.setText(text);
    SyntaxStates states(doc);
    QObject::connect(&doc, &Document::changed, [&](const TextChange& c) { states.follow(c); });
    QVERIFY(states.stateAt(999) == LexState{});
    QCOMPARE(states.exactLines(), 1000);

    doc.replace(0, 0, u"<!--"_qs);
    QCOMPARE(states.exactLines(), 1);
    QCOMPARE(states.stateAt(40).mode, LexMode::Comment);
    QCOMPARE(states.exactLines(), 41); // the lines drawn, not the page

    doc.replace(0, 4, QString());
    QVERIFY(states.stateAt(40) == LexState{});
    QVERIFY(states.stateAt(42) == LexState{});
    // Line 41 kept its state from before "<!--": everything after it holds again.
    QCOMPARE(states.exactLines(), 1000);
    QVERIFY(states.stateAt(999) == LexState{});
}

// "<%" opens a block that runs to the end; only the lines drawn are lexed, so the states kept
// after them are still those of before. A second edit further up, re-lexed until the states
// meet again, must not take those later states as right.
void TestSyntax::editBeforeTheLexedLinesKeepsLaterStatesUntrusted_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QString>("inserted");
    QTest::newRow("text_typed") << 5 << 0 << u"x"_qs;
    QTest::newRow("lines_removed") << 5 << 20 << QString();
    QTest::newRow("lines_inserted") << 5 << 0 << u"a\r\nb\r\n"_qs;
}

void TestSyntax::editBeforeTheLexedLinesKeepsLaterStatesUntrusted()
{
    QFETCH(int, line);
    QFETCH(int, removed);
    QFETCH(QString, inserted);
    Document doc;
    doc.setText(u"<P>x</P>\r\n"_qs.repeated(20));
    SyntaxStates states(doc);
    QObject::connect(&doc, &Document::changed, [&](const TextChange& c) { states.follow(c); });
    states.stateAt(19);
    doc.replace(doc.lineStart(2), 0, u"<%"_qs);
    QVERIFY(states.stateAt(10).asp);
    doc.replace(doc.lineStart(line), removed, inserted);
    const std::vector<LexState> fresh = FreshStates(doc.text());
    for (int i = 0; i < doc.lineCount(); ++i)
        QVERIFY2(states.stateAt(i) == fresh[size_t(i)], qPrintable(QString::number(i)));
}

// A line of 50,000 characters is coloured a piece at a time from states kept inside it; an edit
// in its middle keeps the states before it.
void TestSyntax::longLineRunsFromCheckpoints()
{
    QString line;
    for (int i = 0; line.size() < 50'000; ++i)
        line += u"<li><a href=\"p%1.htm\">item&amp;%1</a><!-- c --></li>"_qs.arg(i);
    Document doc;
    doc.setText(u"<p>\r\n"_qs + line + u"\r\n<b>"_qs);
    SyntaxStates states(doc);
    QObject::connect(&doc, &Document::changed, [&](const TextChange& c) { states.follow(c); });

    auto check = [&] {
        const QString current = doc.lineText(1);
        std::vector<SyntaxRun> whole;
        LexLine(current, LexState{}, &whole);
        for (const qsizetype from :
             {qsizetype(0), qsizetype(12'345), qsizetype(30'000), current.size() - 10}) {
            std::vector<SyntaxRun> piece;
            states.runsIn(1, from, from + 600, &piece);
            QVERIFY(!piece.empty());
            for (const SyntaxRun& run : piece) {
                if (run.to <= from || run.from >= from + 600)
                    continue;
                // Every run reaching into the piece is one of the whole line's (or a part of
                // one cut where a piece began).
                const auto it = std::find_if(whole.begin(), whole.end(), [&](const SyntaxRun& w) {
                    return w.kind == run.kind && w.from <= run.from && run.to <= w.to;
                });
                QVERIFY2(it != whole.end(), qPrintable(QString::number(run.from)));
            }
        }
        QVERIFY(states.stateAt(2) == LexState{});
    };
    check();
    doc.replace(doc.lineStart(1) + 20'000, 0, u"<!--"_qs);
    QCOMPARE(states.stateAt(2).mode, LexMode::Text); // a later "-->" closes it on the line
    check();
    doc.replace(doc.lineStart(1) + 20'000, 4, u"\""_qs);
    check();
}

void TestSyntax::tagPairs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marker"); // the caret stands after the marker's first occurrence
    QTest::addColumn<QString>("expected");
    QTest::newRow("start_tag_finds_end_tag")
        << u"<TD ALIGN=\"right\">a</TD>"_qs << u"AL"_qs << u"<TD ALIGN=\"right\">@0 | </TD>@19"_qs;
    QTest::newRow("end_tag_finds_start_tag_ignoring_case")
        << u"<td>a</TD>"_qs << u"</T"_qs << u"<td>@0 | </TD>@5"_qs;
    QTest::newRow("caret_right_after_the_start_tag")
        << u"<B>x</B>"_qs << u"<B>"_qs << u"<B>@0 | </B>@4"_qs;
    QTest::newRow("nesting_is_counted")
        << u"<TABLE><TR><TD><TABLE><TR><TD>a</TD></TR></TABLE></TD></TR></TABLE>"_qs << u"<TA"_qs
        << u"<TABLE>@0 | </TABLE>@59"_qs;
    QTest::newRow("inner_end_finds_inner_start")
        << u"<DIV>a<DIV>b</DIV>c</DIV>"_qs << u"b</D"_qs << u"<DIV>@6 | </DIV>@12"_qs;
    QTest::newRow("outer_end_finds_outer_start_over_lines")
        << u"<DIV>\r\n<DIV>\r\nb\r\n</DIV>\r\n</DIV>"_qs << u"</DIV>\r\n</D"_qs
        << u"<DIV>@0 | </DIV>@25"_qs;
    QTest::newRow("unclosed_element_has_no_partner")
        << u"<P>a<P>b</DIV>"_qs << u"<P"_qs << u"none"_qs;
    QTest::newRow("element_without_end_tag") << u"<BR><BR></BR>"_qs << u"<B"_qs << u"none"_qs;
    QTest::newRow("tags_in_comments_do_not_count")
        << u"<B>a<!-- </B> -->b</B>"_qs << u"<B"_qs << u"<B>@0 | </B>@18"_qs;
    QTest::newRow("tags_in_asp_strings_do_not_count")
        << u"<B><% s = \"</B>\" %></B>"_qs << u"<B"_qs << u"<B>@0 | </B>@19"_qs;
    QTest::newRow("caret_in_asp_block") << u"<% If a Then %>x"_qs << u"If"_qs << u"<%@0 | %>@13"_qs;
    QTest::newRow("asp_block_inside_a_value_comes_first")
        << u"<A HREF=\"<%=id%>\">x</A>"_qs << u"<%=i"_qs << u"<%=@9 | %>@14"_qs;
    QTest::newRow("asp_block_over_lines")
        << u"<%\r\nDim a\r\n%>"_qs << u"Di"_qs << u"<%@0 | %>@11"_qs;
    QTest::newRow("unclosed_asp_block") << u"<% x\r\ny"_qs << u"<% "_qs << u"none"_qs;
    QTest::newRow("caret_in_text_between_tags") << u"<B>abc</B>"_qs << u"ab"_qs << u"none"_qs;
    QTest::newRow("tag_over_lines")
        << u"<TD\r\nALIGN=1>a</TD>"_qs << u"ALI"_qs << u"<TD\r\nALIGN=1>@0 | </TD>@14"_qs;
}

void TestSyntax::tagPairs()
{
    QFETCH(QString, text);
    QFETCH(QString, marker);
    QFETCH(QString, expected);
    const qsizetype caret = text.indexOf(marker) + marker.size();
    QCOMPARE(PairText(text, FindTagPair(text, caret)), expected);
}

// Ctrl+] goes from the start tag to after the end tag and back; in an ASP block from anywhere
// to after "%>", and from there to after "<%".
void TestSyntax::jumpTargets()
{
    const QString text = u"<B>x</B>"_qs;
    const std::optional<TagPair> pair = FindTagPair(text, 1);
    QVERIFY(pair);
    QCOMPARE(PartnerJumpTarget(*pair, 1), qsizetype(8));
    QCOMPARE(PartnerJumpTarget(*pair, 8), qsizetype(3));
    QCOMPARE(PartnerJumpTarget(*pair, 3), qsizetype(8));
    const QString asp = u"<% a %>"_qs;
    const std::optional<TagPair> block = FindTagPair(asp, 3);
    QVERIFY(block);
    QCOMPARE(PartnerJumpTarget(*block, 3), qsizetype(7));
    QCOMPARE(PartnerJumpTarget(*block, 7), qsizetype(2));
}

QTEST_GUILESS_MAIN(TestSyntax)
#include "tst_syntax.moc"
