// The tag recognizer on a random text at a random caret: the line around the caret, the
// decision table and the range of every matched row must stay inside the text.
#include "fuzzinput.h"
#include "reedit/tagrecognizer.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tl::fuzz::Input in(data, size);
    const qint64 caretSeed = qint64(in.number(2));
    const QString marker = in.text(8);
    const QString text = in.rest();
    // Callers pass carets inside the text; one past either end is tried as well.
    const qint64 caret = caretSeed % (text.size() + 3) - 1;
    const tl::StringTagText page(text);

    const tl::TagAtCaret found = tl::FindTagAtCaret(page, caret);
    if (found.outcome == tl::TagAtCaret::Outcome::Tag && !found.rest.startsWith(found.tag))
        std::abort();
    const tl::TagDecision decision = tl::RecognizeTag(page, caret);
    for (const tl::TagMatch& m : decision.matches) {
        if (m.target.start < 1 || m.target.length < 0 ||
            m.target.start - 1 + m.target.length > text.size())
            std::abort();
    }
    if (!marker.contains(u'\r') && !marker.contains(u'\n')) {
        if (const auto t = tl::EditTargetForTag(page, caret, marker)) {
            if (t->start < 1 || t->length < 0 || t->start - 1 + t->length > text.size())
                std::abort();
        }
        page.Find(marker, caret);
    }
    qint64 lineStart = -1;
    const QString line = page.Line(caret, &lineStart);
    if (lineStart < 0 || lineStart + line.size() > text.size())
        std::abort();
    return 0;
}
