// The recognizer reading the edit box's own buffer against the same text held as a string:
// the line, the search for a closing marker, the ranges and the decision must agree.
#include "core/document.h"
#include "editbox/maintextedit.h"
#include "editing/documenttagtext.h"
#include "fuzzinput.h"
#include "reedit/tagrecognizer.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace
{

tl::Document* document = nullptr;
tl::MainTextEdit* edit = nullptr;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "DocumentTagText and StringTagText differ: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    document = new tl::Document;
    edit = new tl::MainTextEdit(*document);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tl::fuzz::Input in(data, size);
    const qint64 caretSeed = qint64(in.number(2));
    const qint64 fromSeed = qint64(in.number(2));
    QString marker = in.text(8);
    marker.remove(u'\r');
    marker.remove(u'\n');
    edit->setText(in.rest());
    const QString text = edit->text();
    // The box's caret never stands between CR and LF.
    const qint64 caret = edit->snap(caretSeed % (text.size() + 1));
    const qint64 from = fromSeed % (text.size() + 2);
    const tl::StringTagText plain(text);
    const tl::DocumentTagText box(*edit);

    qint64 plainStart = -1;
    qint64 boxStart = -1;
    if (plain.Line(caret, &plainStart) != box.Line(caret, &boxStart) || plainStart != boxStart)
        Fail("Line");
    if (plain.Find(marker, from) != box.Find(marker, from))
        Fail("Find");
    if (plain.Mid(from, caret) != box.Mid(from, caret))
        Fail("Mid");
    const tl::TagDecision a = tl::RecognizeTag(plain, caret);
    const tl::TagDecision b = tl::RecognizeTag(box, caret);
    if (a.beep != b.beep || a.matches.size() != b.matches.size())
        Fail("RecognizeTag");
    for (qsizetype i = 0; i < a.matches.size(); ++i) {
        const tl::TagMatch& x = a.matches[i];
        const tl::TagMatch& y = b.matches[i];
        if (x.row != y.row || x.dialog != y.dialog || x.target.start != y.target.start ||
            x.target.length != y.target.length ||
            x.target.openingTagOnly != y.target.openingTagOnly)
            Fail("match");
    }
    return 0;
}
