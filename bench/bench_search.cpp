// Find, replace-all and the change handler on a page of 400,000 lines (about 20 million
// characters), each beside a plain baseline over the same text in the same run:
// - find-next from the start to the one match on the last line, against a case-insensitive
//   std::search over a std::u16string (ratio at most 3);
// - replace-all of a one-character text by two characters, against one pass that copies the
//   text into a new std::u16string with the replacements (ratio at most 3);
// - one typed key with fifteen stamps set, change handler included (under 1 ms), against the
//   same key in an edit box without the program's handlers.
#include "benchapp.h"
#include "benchpage.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "editing/keyhandler.h"
#include "platform/prompts.h"
#include "search/search.h"

#include <QApplication>
#include <QChar>
#include <QKeyEvent>
#include <QStringList>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

using namespace tl;

namespace
{

constexpr int kLines = bench::kPageLines;

const QString kLastLine = QStringLiteral("<DIV CLASS=\"footer\">Last updated</DIV>");
const QString kFindKey = QStringLiteral("div class=\"FOOTER\"");

const QString& Document()
{
    static const QString text = bench::MakeBenchPage(kLastLine);
    return text;
}

std::u16string ToU16(const QString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}

class SilentPrompter : public Prompter
{
public:
    MsgAnswer message(const MessageRequest&) override { return MsgAnswer::Ok; }
    QString fileName(const FileRequest&) override { return {}; }
};

struct Editor {
    SilentPrompter prompts;
    AppState state{prompts};
    tl::Document doc;
    MainTextEdit edit{doc};
    cTextBox box{&edit};

    Editor() { box.SetText(Document()); }
};

// Widgets must go before the application object: main() destroys this.
std::unique_ptr<Editor> theEditor;

Editor& TheEditor()
{
    if (!theEditor)
        theEditor = std::make_unique<Editor>();
    return *theEditor;
}

// ---- Find-next ----

void BM_FindNextToLastLine(benchmark::State& state)
{
    Editor& e = TheEditor();
    e.box.SetText(Document());
    e.state.Search.FindText = kFindKey;
    e.state.Search.MatchCase = false;
    for (auto _ : state) {
        e.box.SetSelStart(0);
        e.state.Search.NewSearch = true;
        FindNext(e.state, e.box);
    }
    if (e.box.SelText().compare(kFindKey, Qt::CaseInsensitive) != 0 ||
        e.box.SelStart() != Document().size() - kLastLine.size() + 1)
        state.SkipWithError("find-next did not select the footer");
    state.counters["chars"] = double(Document().size());
}
BENCHMARK(BM_FindNextToLastLine)->Unit(benchmark::kMillisecond);

// The plain search: std::search with a predicate comparing upper cases (the same one-to-one
// Unicode mapping the editor uses), from position 2 as find-next starts.
void BM_BaselineCaselessSearchUnicode(benchmark::State& state)
{
    const std::u16string text = ToU16(Document());
    const std::u16string key = ToU16(kFindKey);
    auto same = [](char16_t a, char16_t b) { return QChar::toUpper(a) == QChar::toUpper(b); };
    size_t found = 0;
    for (auto _ : state) {
        auto it = std::search(text.begin() + 2, text.end(), key.begin(), key.end(), same);
        found = size_t(it - text.begin());
        benchmark::DoNotOptimize(found);
    }
    if (qsizetype(found) != Document().size() - kLastLine.size() + 1)
        state.SkipWithError("baseline missed the footer");
}
BENCHMARK(BM_BaselineCaselessSearchUnicode)->Unit(benchmark::kMillisecond);

// The cheapest caseless search: ASCII letters only.
void BM_BaselineCaselessSearchAscii(benchmark::State& state)
{
    const std::u16string text = ToU16(Document());
    const std::u16string key = ToU16(kFindKey);
    auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
    auto same = [upper](char16_t a, char16_t b) { return upper(a) == upper(b); };
    size_t found = 0;
    for (auto _ : state) {
        auto it = std::search(text.begin() + 2, text.end(), key.begin(), key.end(), same);
        found = size_t(it - text.begin());
        benchmark::DoNotOptimize(found);
    }
    if (qsizetype(found) != Document().size() - kLastLine.size() + 1)
        state.SkipWithError("baseline missed the footer");
}
BENCHMARK(BM_BaselineCaselessSearchAscii)->Unit(benchmark::kMillisecond);

// ---- Replace-all ----

const QString kFound = QStringLiteral("<");
const QString kReplacement = QStringLiteral("<<");

void BM_ReplaceAllOneByTwo(benchmark::State& state)
{
    Editor& e = TheEditor();
    e.state.Search.FindText = kFound;
    e.state.Search.ReplaceText = kReplacement;
    const qsizetype count = Document().count(kFound);
    for (auto _ : state) {
        state.PauseTiming();
        e.box.SetText(Document());
        e.box.SetSelStart(100);
        state.ResumeTiming();
        ReplaceAll(e.state, e.box);
    }
    if (e.box.TextLength() != Document().size() + count || e.box.SelStart() != 100)
        state.SkipWithError("replace-all went wrong");
    state.counters["replacements"] = double(count);
}
BENCHMARK(BM_ReplaceAllOneByTwo)->Unit(benchmark::kMillisecond);

// The plain replace: one pass copying into a new string, the runs between matches at once.
void BM_BaselineReplaceIntoNewString(benchmark::State& state)
{
    const std::u16string text = ToU16(Document());
    const char16_t found = kFound.at(0).unicode();
    const std::u16string replacement = ToU16(kReplacement);
    size_t length = 0;
    for (auto _ : state) {
        std::u16string out;
        out.reserve(text.size() + text.size() / 4);
        size_t from = 0;
        for (size_t at = text.find(found); at != std::u16string::npos;
             at = text.find(found, from)) {
            out.append(text, from, at - from);
            out.append(replacement);
            from = at + 1;
        }
        out.append(text, from);
        length = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    if (qsizetype(length) != Document().size() + Document().count(kFound))
        state.SkipWithError("baseline replace went wrong");
}
BENCHMARK(BM_BaselineReplaceIntoNewString)->Unit(benchmark::kMillisecond);

// ---- One typed key ----

void SendKey(QWidget* w, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &press);
}

// One key typed in the middle of the page, then taken back untimed so that every key meets the
// same line. Arg 1: Enter, which adds a line.
void TypeKeys(benchmark::State& state, Editor& e, qint64 caret)
{
    const bool enter = state.range(0) == 1;
    for (auto _ : state) {
        SendKey(&e.edit, enter ? Qt::Key_Return : Qt::Key_X,
                enter ? QStringLiteral("\r") : QStringLiteral("x"));
        state.PauseTiming();
        e.edit.undo();
        e.box.SetSelStart(caret);
        state.ResumeTiming();
    }
}

// With the program's handlers and fifteen stamps below the caret: the key handler, the edit and
// the change handler, which on Enter moves every stamp.
void BM_TypedKeyWithStamps(benchmark::State& state)
{
    Editor& e = TheEditor();
    e.box.SetText(Document());
    const std::unique_ptr<MainTextHandlers> handlers(InstallMainTextHandlers(e.state, e.box, {}));
    const int line = kLines / 2;
    for (int i = 0; i < 15; ++i)
        e.state.StampTable[size_t(i)] = StampEntry{line + 1000 + i * 7, QStringLiteral("stamped")};
    const qint64 caret = LineStartPos(e.box, line) + 10;
    e.box.SetSelStart(caret);
    qint64 moved = 0;
    bool modified = false;
    const auto watch = QObject::connect(&e.edit, &MainTextEdit::Change, [&] {
        moved = std::max(moved, e.state.StampTable[0].line - (line + 1000));
        modified = modified || e.edit.isModified(); // the key's change; its undo is not
    });
    TypeKeys(state, e, caret);
    QObject::disconnect(watch);
    const bool enter = state.range(0) == 1;
    if (moved != (enter ? 1 : 0) || e.state.StampTable[0].line != line + 1000 || !modified)
        state.SkipWithError("the stamps did not follow");
    e.state.StampTable.fill(StampEntry{});
}
BENCHMARK(BM_TypedKeyWithStamps)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same keys in an edit box without the program's handlers.
void BM_BaselineTypedKeyPlainBox(benchmark::State& state)
{
    Editor& e = TheEditor();
    e.box.SetText(Document());
    const qint64 caret = LineStartPos(e.box, kLines / 2) + 10;
    e.box.SetSelStart(caret);
    TypeKeys(state, e, caret);
}
BENCHMARK(BM_BaselineTypedKeyPlainBox)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return tl::bench::RunHeadless(argc, argv, {}, [] { theEditor.reset(); });
}
