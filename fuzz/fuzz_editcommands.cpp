// The insert commands (lists, line and inline wraps, block pairs, line breaks, tag deletion)
// and WrapSelectionLines on a random text and selection in a real edit box, offscreen. Each
// command is one undo step: undoing it gives back the text it started from.
#include "commands/dispatcher.h"
#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "fuzzinput.h"
#include "fuzzsession.h"
#include "platform/prompts.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{

using Session = tl::fuzz::EditSession;

Session* session = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    session = new Session;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tl::fuzz::Input in(data, size);
    Session& s = *session;
    const uint8_t first = in.byte();
    const qint64 anchorSeed = qint64(in.number(2));
    const qint64 caretSeed = qint64(in.number(2));
    const QString prefix = in.text(4);
    const QString open = in.text(8);
    const QString close = in.text(8);
    QByteArray commands = in.bytes(4);
    s.box.SetText(in.rest());
    const qint64 length = s.box.TextLength();
    s.edit.setSelection(anchorSeed % (length + 1), caretSeed % (length + 1));

    if (first & 1)
        commands.prepend(char(0)); // WrapSelectionLines with the texts above
    for (const char c : commands) {
        const QString before = s.box.Text();
        const qint64 selStart = s.box.SelStart();
        const qint64 selLength = s.box.SelLength();
        const qint16 code = qint16(quint8(c) % 97);
        if (code == 0)
            tl::WrapSelectionLines(s.state, s.box, prefix, open, close);
        else
            tl::RunInsertCommand(s.state, s.box, nullptr, code);
        const QString after = s.box.Text();
        if (after != before && (first & 2)) {
            s.box.Undo();
            if (s.box.Text() != before) {
                std::fprintf(stderr, "undo of command %d did not restore the text\n", code);
                std::abort();
            }
            s.edit.setSelection(selStart, selStart + selLength);
        }
    }
    return 0;
}
