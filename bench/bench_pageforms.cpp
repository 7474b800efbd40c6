// The text side of opening, typing on and saving the 20 MB page, without the widgets: decoding
// and loading the text engine (open), one key typed in the middle and taken back (a key), and
// encoding (save). Run on the plain page and on one that writes ∵ in two CP932 forms (NEC row
// 13 on every 100th line, the Windows form on every 1,000th), whose other-form occurrences are
// kept by position through the edits.

#include "core/textbuffer.h"
#include "encodings/documentcodec.h"

#include <benchmark/benchmark.h>

namespace
{

QByteArray MakePage(bool mixedForms)
{
    const QByteArray japanese =
        tl::EncodeDocument(u"<p>日本語のテキストを表示します。ソフトの能力と機能</p>", {}).bytes;
    const QByteArray cell =
        tl::EncodeDocument(u"<td>商品番号：価格 ￥1,000（税込）</td>", {}).bytes;
    QByteArray page;
    page.reserve(21'000'000);
    for (int line = 0; page.size() < 20'000'000 || line < 400'000; ++line) {
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
        if (mixedForms && line % 1000 == 0)
            page += "\x81\xE6";
        else if (mixedForms && line % 100 == 0)
            page += "\x87\x9A";
        page += "\r\n";
    }
    return page;
}

const QByteArray& Page(bool mixedForms)
{
    static const QByteArray plain = MakePage(false);
    static const QByteArray mixed = MakePage(true);
    return mixedForms ? mixed : plain;
}

struct Loaded {
    tl::TextBuffer buffer;
    tl::TextEncoding encoding;
};

void Load(Loaded& page, const QByteArray& bytes)
{
    tl::DecodedDocument doc = tl::DecodeDocument(bytes);
    page.buffer.setText(doc.text);
    page.buffer.setByteVariants(std::move(doc.forms));
    page.encoding = doc.encoding;
}

void Open(benchmark::State& state, bool mixedForms)
{
    const QByteArray& bytes = Page(mixedForms);
    for (auto _ : state) {
        Loaded page;
        Load(page, bytes);
        benchmark::DoNotOptimize(page.buffer.length());
    }
    state.counters["kept_forms"] = double(tl::DecodeDocument(bytes).forms.size());
}

void TypeKey(benchmark::State& state, bool mixedForms)
{
    Loaded page;
    Load(page, Page(mixedForms));
    const qsizetype middle = page.buffer.snap(page.buffer.length() / 2);
    using Merge = tl::TextBuffer::Merge;
    for (auto _ : state) {
        page.buffer.replace(middle, 0, u"a", Merge::Typing);
        page.buffer.replace(middle, 1, {}, Merge::Typing);
    }
}

void Save(benchmark::State& state, bool mixedForms)
{
    Loaded page;
    Load(page, Page(mixedForms));
    const QString text = page.buffer.text();
    if (tl::EncodeDocument(text, page.encoding, page.buffer.byteVariants()).bytes !=
        Page(mixedForms)) {
        state.SkipWithError("saving did not give back the page's bytes");
        return;
    }
    for (auto _ : state) {
        tl::EncodedDocument out =
            tl::EncodeDocument(text, page.encoding, page.buffer.byteVariants());
        benchmark::DoNotOptimize(out.bytes.constData());
    }
}

void BM_OpenPage(benchmark::State& state)
{
    Open(state, false);
}
void BM_OpenPageMixedForms(benchmark::State& state)
{
    Open(state, true);
}
void BM_TypeKeyOnPage(benchmark::State& state)
{
    TypeKey(state, false);
}
void BM_TypeKeyOnPageMixedForms(benchmark::State& state)
{
    TypeKey(state, true);
}
void BM_SavePage(benchmark::State& state)
{
    Save(state, false);
}
void BM_SavePageMixedForms(benchmark::State& state)
{
    Save(state, true);
}

} // namespace

BENCHMARK(BM_OpenPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPageMixedForms)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeKeyOnPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeKeyOnPageMixedForms)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SavePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePageMixedForms)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
