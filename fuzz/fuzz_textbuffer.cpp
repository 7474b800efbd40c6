// The text engine against a plain string: random replaces (inserts and deletes among them),
// undo groups, undo, redo and whole-text loads, with the text and every line query compared
// after each step. The model keeps each undo step's text; edits here never merge as typing,
// so every recorded replace (or every group) is exactly one step.
#include "core/textbuffer.h"
#include "fuzzinput.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

[[noreturn]] void Fail(const char* what, const QString& expected, const QString& actual)
{
    std::fprintf(stderr, "%s\nexpected: %s\nactual:   %s\n", what,
                 QString::fromLatin1(expected.toUtf8().toPercentEncoding()).toLocal8Bit().data(),
                 QString::fromLatin1(actual.toUtf8().toPercentEncoding()).toLocal8Bit().data());
    std::abort();
}

// Every line break CR LF, every lone surrogate U+FFFD.
QString Normalize(const QString& in)
{
    QString out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const QChar c = in.at(i);
        if (c == u'\r') {
            out += QStringLiteral("\r\n");
            if (i + 1 < in.size() && in.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\r\n");
        } else if (c.isHighSurrogate() && i + 1 < in.size() && in.at(i + 1).isLowSurrogate()) {
            out += c;
            out += in.at(++i);
        } else if (c.isSurrogate()) {
            out += QChar(0xFFFD);
        } else {
            out += c;
        }
    }
    return out;
}

qsizetype Snap(const QString& text, qsizetype pos)
{
    pos = std::clamp<qsizetype>(pos, 0, text.size());
    if (pos > 0 && pos < text.size()) {
        const QChar c = text.at(pos);
        const QChar before = text.at(pos - 1);
        if ((c == u'\n' && before == u'\r') || (c.isLowSurrogate() && before.isHighSurrogate()))
            --pos;
    }
    return pos;
}

void Compare(const tl::TextBuffer& buffer, const QString& model)
{
    if (buffer.text() != model)
        Fail("text", model, buffer.text());
    if (buffer.length() != model.size())
        Fail("length", model, buffer.text());
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 0; i + 1 < model.size(); ++i) {
        if (model.at(i) == u'\r' && model.at(i + 1) == u'\n')
            starts.push_back(i + 2);
    }
    if (buffer.lineCount() != int(starts.size()))
        Fail("lineCount", model, buffer.text());
    for (size_t line = 0; line < starts.size(); ++line) {
        const qsizetype end = line + 1 < starts.size() ? starts[line + 1] - 2 : model.size();
        if (buffer.lineStart(int(line)) != starts[line] || buffer.lineEnd(int(line)) != end)
            Fail("lineStart/lineEnd", model, buffer.text());
        if (buffer.lineText(int(line)) != model.mid(starts[line], end - starts[line]))
            Fail("lineText", model, buffer.text());
    }
    size_t line = 0;
    for (qsizetype pos = 0; pos <= model.size(); ++pos) {
        while (line + 1 < starts.size() && starts[line + 1] <= pos)
            ++line;
        if (buffer.lineOf(pos) != int(line))
            Fail("lineOf", model, buffer.text());
        if (buffer.snap(pos) != Snap(model, pos))
            Fail("snap", model, buffer.text());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tl::fuzz::Input in(data, size);
    tl::TextBuffer buffer;
    QString model;
    // history[0, current] are the texts at the undo steps' boundaries; history[current] is now.
    std::vector<QString> history{model};
    size_t current = 0;
    int groupDepth = 0;
    bool groupChanged = false;

    for (int step = 0; step < 64 && !in.empty(); ++step) {
        const uint8_t op = in.byte();
        switch (op % 8) {
        case 0:
        case 1:
        case 2:
        case 3: { // replace, insert or delete
            const qsizetype pos = qsizetype(in.number(2) % (model.size() + 2)) - 1;
            const qsizetype count = qsizetype(in.byte() % 8) - 1;
            // Texts as UTF-16 units, so that lone surrogates and bare CR or LF get in.
            const QByteArray raw = in.bytes(16);
            QString text(reinterpret_cast<const QChar*>(raw.constData()), raw.size() / 2);
            if (op & 0x80)
                text = QString::fromUtf8(raw);
            if (op & 0x40)
                text.clear();
            const qsizetype from = Snap(model, pos);
            const qsizetype to = std::max(from, Snap(model, pos + std::max<qsizetype>(count, 0)));
            const QString crlf = Normalize(text);
            buffer.replace(pos, count, text);
            if (to == from && crlf.isEmpty())
                break;
            model.replace(from, to - from, crlf);
            if (groupDepth > 0 && groupChanged) {
                history[current] = model;
            } else {
                history.resize(current + 1);
                history.push_back(model);
                ++current;
                groupChanged = groupDepth > 0;
            }
            break;
        }
        case 4: // begin or end a group
            if (groupDepth > 0 && (op & 0x10)) {
                buffer.endUndoGroup();
                --groupDepth;
            } else if (groupDepth < 3) {
                buffer.beginUndoGroup();
                if (groupDepth == 0)
                    groupChanged = false;
                ++groupDepth;
            }
            break;
        case 5: { // undo
            if (groupDepth > 0)
                break;
            if (buffer.canUndo() != (current > 0))
                Fail("canUndo", model, buffer.text());
            tl::SelectionRange selection;
            buffer.undo(&selection);
            if (current > 0)
                model = history[--current];
            break;
        }
        case 6: { // redo
            if (groupDepth > 0)
                break;
            if (buffer.canRedo() != (current + 1 < history.size()))
                Fail("canRedo", model, buffer.text());
            qsizetype caret = -1;
            buffer.redo(&caret);
            if (current + 1 < history.size())
                model = history[++current];
            break;
        }
        case 7: // load a new text
            if (groupDepth > 0)
                break;
            {
                const QByteArray raw = in.bytes(48);
                const QString text = QString::fromUtf8(raw);
                buffer.setText(text);
                model = Normalize(text);
                history.assign(1, model);
                current = 0;
            }
            break;
        }
        Compare(buffer, model);
    }
    return 0;
}
