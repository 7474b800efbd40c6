// Opening and saving a large page: about 20 MB and 400,000 lines of CP932 HTML, Japanese and
// ASCII mixed, CR LF line breaks (and the same page with LF ones).

#include "encodings/documentcodec.h"

#include <QRegularExpression>

#include <benchmark/benchmark.h>

namespace
{

constexpr int kLines = 400000;

QByteArray Cp932(QStringView text)
{
    return tl::EncodeDocument(text, {}).bytes;
}

// withDuplicateForm: every 100th line also holds ∵ in its NEC row 13 form (87 9A), which makes
// decoding record it and saving write it piece by piece.
QByteArray MakePage(bool withDuplicateForm)
{
    const QByteArray japanese = Cp932(u"<p>日本語のテキストを表示します。ソフトの能力と機能</p>");
    const QByteArray cell = Cp932(u"<td>商品番号：価格 ￥1,000（税込）</td>");
    QByteArray page;
    page.reserve(21'000'000);
    page += "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" "
            "content=\"text/html; charset=Shift_JIS\">\r\n</head>\r\n<body>\r\n";
    for (int line = 0; page.size() < 20'000'000 || line < kLines; ++line) {
        const QByteArray number = QByteArray::number(line);
        switch (line % 4) {
        case 0:
            page += "<tr><td class=\"item\">" + number + "</td><td><a href=\"p" + number +
                    ".asp\">link</a></td></tr>";
            break;
        case 1:
            page += japanese;
            break;
        case 2:
            page += cell;
            break;
        default:
            page += "<% Response.Write \"" + number + "\" %>";
            break;
        }
        if (withDuplicateForm && line % 100 == 0)
            page += "\x87\x9A";
        page += "\r\n";
    }
    page += "</body>\r\n</html>\r\n";
    return page;
}

const QByteArray& Page(bool withDuplicateForm, bool lf = false)
{
    static const QByteArray plain = MakePage(false);
    static const QByteArray duplicates = MakePage(true);
    static const QByteArray lfPage = QByteArray(plain).replace("\r\n", "\n");
    return lf ? lfPage : withDuplicateForm ? duplicates : plain;
}

void Decode(benchmark::State& state, bool withDuplicateForm, bool lf = false)
{
    const QByteArray& page = Page(withDuplicateForm, lf);
    for (auto _ : state) {
        tl::DecodedDocument doc = tl::DecodeDocument(page);
        benchmark::DoNotOptimize(doc.text.constData());
    }
    state.SetBytesProcessed(state.iterations() * page.size());
    state.counters["MB"] = double(page.size()) / 1e6;
    state.counters["lines"] = double(page.count('\n'));
}

void Encode(benchmark::State& state, bool withDuplicateForm, bool lf = false)
{
    const QByteArray& page = Page(withDuplicateForm, lf);
    const tl::DecodedDocument doc = tl::DecodeDocument(page);
    const QString text = QString(doc.text).replace(u'\n', QStringLiteral("\r\n"));
    if (tl::EncodeDocument(text, doc.encoding).bytes != page) {
        state.SkipWithError("saving did not give back the page's bytes");
        return;
    }
    for (auto _ : state) {
        tl::EncodedDocument out = tl::EncodeDocument(text, doc.encoding);
        benchmark::DoNotOptimize(out.bytes.constData());
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}

void BM_DecodeCp932Page(benchmark::State& state)
{
    Decode(state, false);
}
void BM_EncodeCp932Page(benchmark::State& state)
{
    Encode(state, false);
}
void BM_DecodeCp932PageWithDuplicateForms(benchmark::State& state)
{
    Decode(state, true);
}
void BM_EncodeCp932PageWithDuplicateForms(benchmark::State& state)
{
    Encode(state, true);
}

// The page with LF line breaks: saving writes each CR LF of the editor's text as LF.
void BM_DecodeCp932LfPage(benchmark::State& state)
{
    Decode(state, false, true);
}
void BM_EncodeCp932LfPage(benchmark::State& state)
{
    Encode(state, false, true);
}

// The same page in UTF-8 without a declaration: read by its bytes alone, which also tries
// whether they could be CP932.
void BM_DecodeUndeclaredUtf8Page(benchmark::State& state)
{
    static const QByteArray page = [] {
        QString text = tl::DecodeDocument(Page(false)).text;
        text.remove(QRegularExpression(QStringLiteral("<meta[^>]*>")));
        return text.replace(u'\n', QStringLiteral("\r\n")).toUtf8();
    }();
    for (auto _ : state) {
        tl::DecodedDocument doc = tl::DecodeDocument(page);
        if (doc.encoding.kind != tl::TextEncoding::Kind::Utf8) {
            state.SkipWithError("not read as UTF-8");
            return;
        }
        benchmark::DoNotOptimize(doc.text.constData());
    }
    state.SetBytesProcessed(state.iterations() * page.size());
    state.counters["MB"] = double(page.size()) / 1e6;
}

} // namespace

BENCHMARK(BM_DecodeUndeclaredUtf8Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCp932Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeCp932Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCp932PageWithDuplicateForms)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeCp932PageWithDuplicateForms)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCp932LfPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeCp932LfPage)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
