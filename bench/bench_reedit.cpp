// Re-editing a tag by double click on a page of 400,000 lines (about 20 million characters):
// the recognizer reads the caret's line and the text from the tag's "<" on, so a tag on the
// last line must cost no more than one on the first.
#include "benchapp.h"
#include "benchpage.h"
#include "commands/tagreedit.h"
#include "core/appstate.h"
#include "dialogs/html/frmp.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/documenttagtext.h"
#include "editing/insertion.h"
#include "platform/prompts.h"
#include "reedit/tagrecognizer.h"

#include <QApplication>
#include <QStringList>
#include <benchmark/benchmark.h>

#include <memory>

using namespace tl;

namespace
{

constexpr int kLines = bench::kPageLines;

const QString kLastLine = QStringLiteral("<P ALIGN='center'>Hello</P>");
// A first line whose TITLE tag is closed nowhere on the page.
const QString kUnclosedTitle = QStringLiteral("<TITLE>Home\r\n");

const QString& Document()
{
    static const QString text = bench::MakeBenchPage(kLastLine);
    return text;
}

// Caret in "center" of the last line's paragraph.
qint64 LastLineCaret()
{
    return Document().size() - kLastLine.size() + 12;
}

void Check(benchmark::State& state, const QString& text, const TagDecision& d, QStringView tag)
{
    if (d.matches.size() != 1 ||
        text.mid(d.matches[0].target.start - 1, d.matches[0].target.length) != tag)
        state.SkipWithError("the re-edit did not find the tag");
}

// The recognizer and the old tag's text, on the text as a string.
void BM_RecognizeLastLine(benchmark::State& state)
{
    const QString& text = Document();
    const qint64 caret = LastLineCaret();
    TagDecision d;
    for (auto _ : state) {
        d = RecognizeTag(text, caret);
        QString old =
            text.mid(d.matches.value(0).target.start - 1, d.matches.value(0).target.length);
        benchmark::DoNotOptimize(old);
    }
    Check(state, text, d, kLastLine);
    state.counters["chars"] = double(text.size());
}
BENCHMARK(BM_RecognizeLastLine)->Unit(benchmark::kMicrosecond);

// Worst case: a TITLE tag on the first line without a closing tag anywhere, so the search for
// "</TITLE>" runs through the whole page before the range falls back to the opening tag.
void BM_RecognizeMissingClosingTag(benchmark::State& state)
{
    const QString text = kUnclosedTitle + Document();
    TagDecision d;
    for (auto _ : state) {
        d = RecognizeTag(text, 3);
        benchmark::DoNotOptimize(d);
    }
    Check(state, text, d, u"<TITLE>");
}
BENCHMARK(BM_RecognizeMissingClosingTag)->Unit(benchmark::kMillisecond);

// The edit box with a page loaded and the caret placed; each page is loaded once.
struct Editor {
    tl::Document doc;
    MainTextEdit edit{doc};
    cTextBox box{&edit};

    Editor(const QString& text, qint64 caret)
    {
        box.SetText(text);
        box.SetSelStart(caret);
    }
};

// Widgets must go before the application object: main() destroys these.
std::unique_ptr<Editor> lastLineEditor;
std::unique_ptr<Editor> unclosedTitleEditor;

// Caret on the last line's paragraph.
Editor& TheEditor()
{
    if (!lastLineEditor)
        lastLineEditor = std::make_unique<Editor>(Document(), LastLineCaret());
    return *lastLineEditor;
}

Editor& UnclosedTitleEditor()
{
    if (!unclosedTitleEditor)
        unclosedTitleEditor = std::make_unique<Editor>(kUnclosedTitle + Document(), 3);
    return *unclosedTitleEditor;
}

// The whole re-edit through the edit box: caret, recognizer on the box's document, old tag's
// text (EditTargetText).
void BM_ReeditThroughEditBox(benchmark::State& state)
{
    Editor& e = TheEditor();
    TagDecision d;
    for (auto _ : state) {
        d = RecognizeTag(DocumentTagText(e.edit), e.box.SelStart());
        QString old =
            e.box.Mid(d.matches.value(0).target.start - 1, d.matches.value(0).target.length);
        benchmark::DoNotOptimize(old);
    }
    Check(state, Document(), d, kLastLine);
}
BENCHMARK(BM_ReeditThroughEditBox)->Unit(benchmark::kMicrosecond);

// Worst case through the edit box: the search for "</TITLE>" reads the whole page.
void BM_ReeditMissingClosingTagThroughEditBox(benchmark::State& state)
{
    Editor& e = UnclosedTitleEditor();
    TagDecision d;
    for (auto _ : state) {
        d = RecognizeTag(DocumentTagText(e.edit), e.box.SelStart());
        QString old =
            e.box.Mid(d.matches.value(0).target.start - 1, d.matches.value(0).target.length);
        benchmark::DoNotOptimize(old);
    }
    Check(state, kUnclosedTitle, d, u"<TITLE>");
}
BENCHMARK(BM_ReeditMissingClosingTagThroughEditBox)->Unit(benchmark::kMillisecond);

// The re-edit entry point as a double click runs it: caret to the clicked position, the
// recognizer's loop with the EditTarget set for the paragraph row, and the paragraph dialog's
// opening read of the old tag (EditTargetText and its fields). The dialog's widgets are left
// out: they cost the same on any page.
void BM_ReeditTagAtLastLine(benchmark::State& state)
{
    struct NoPrompts final : Prompter {
        MsgAnswer message(const MessageRequest&) override { return MsgAnswer::Ok; }
        QString fileName(const FileRequest&) override { return {}; }
    } prompts;
    AppState app(prompts);
    ParagraphFields fields;
    int opened = 0;
    app.Dialogs.Register(QStringLiteral("frmP"), [&](const DialogRequest& r) {
        fields = OpenParagraph(EditTargetText(r.state, r.box), r.box.SelText());
        ++opened;
        ClearEditTarget(r.state);
    });
    Editor& e = TheEditor();
    const qint64 caret = LastLineCaret();
    for (auto _ : state) {
        ReeditTagAt(app, e.box, nullptr, caret);
        benchmark::DoNotOptimize(fields);
    }
    if (opened != int(state.iterations()) || fields.text != u"Hello")
        state.SkipWithError("the re-edit did not open the paragraph");
}
BENCHMARK(BM_ReeditTagAtLastLine)->Unit(benchmark::kMicrosecond);

// For comparison: the same with the box's whole text copied out first, which is what a caller
// handing the recognizer one string would pay on every double click.
void BM_ReeditCopyingWholeText(benchmark::State& state)
{
    Editor& e = TheEditor();
    TagDecision d;
    QString text;
    for (auto _ : state) {
        text = e.box.Text();
        d = RecognizeTag(text, e.box.SelStart());
        QString old =
            e.box.Mid(d.matches.value(0).target.start - 1, d.matches.value(0).target.length);
        benchmark::DoNotOptimize(old);
    }
    Check(state, text, d, kLastLine);
}
BENCHMARK(BM_ReeditCopyingWholeText)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return tl::bench::RunHeadless(argc, argv, {}, [] {
        lastLineEditor.reset();
        unclosedTitleEditor.reset();
    });
}
