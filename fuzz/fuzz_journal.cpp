// The recovery journal: random bytes must be refused or read, never crash; an entry written
// reads back equal.
#include "fuzzinput.h"
#include "recovery/journal.h"

#include <QTimeZone>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tl::DecodeJournal(QByteArrayView(data, qsizetype(size)));
    tl::DecodeJournalLock(QByteArrayView(data, qsizetype(size)));

    tl::fuzz::Input in(data, size);
    tl::JournalEntry entry;
    const uint8_t flags = in.byte();
    entry.undecodable = flags & 1;
    entry.encoding.kind = tl::TextEncoding::Kind((flags >> 1) % 5);
    entry.encoding.bom = flags & 0x10;
    if (entry.encoding.kind == tl::TextEncoding::Kind::Named)
        entry.encoding.name = in.bytes(12);
    for (int n = in.byte() % 4; n > 0; --n) {
        const char32_t c = char32_t(in.number(3) % 0x110000);
        // Always the two bytes of a CP932 character, as the codec records them.
        const char pair[2] = {char(in.byte()), char(in.byte())};
        entry.encoding.preferredBytes.insert(c, QByteArray(pair, 2));
    }
    // A time the clock can give: 1970 to 9999.
    entry.time =
        QDateTime::fromMSecsSinceEpoch(qint64(in.number(6) % 253402300800000), QTimeZone::utc());
    entry.path = in.text(40);
    if (flags & 0x20) {
        tl::FileIdentity file;
        file.path = entry.path;
        file.exists = flags & 0x40;
        file.size = qint64(in.number(4));
        file.mtimeNs = qint64(in.number(8) & 0x7fffffffffffffff);
        file.inode = in.number(8);
        file.device = in.number(4);
        entry.file = file;
    }
    entry.inexactPlace = in.text(12);
    entry.text = in.rest();
    // Kept forms name characters of the text, in order.
    for (qsizetype pos = 0; pos < entry.text.size() && entry.forms.size() < 8; pos += 1 + pos % 5)
        if (entry.text[pos].unicode() >= 0x80)
            entry.forms.push_back({pos, entry.text[pos].unicode(), quint16(0xED40 + pos)});
    const QByteArray bytes = tl::EncodeJournal(entry);
    const std::optional<tl::JournalEntry> back = tl::DecodeJournal(bytes);
    if (!back || back->path != entry.path || back->text != entry.text ||
        back->undecodable != entry.undecodable || back->encoding.kind != entry.encoding.kind ||
        back->encoding.name != entry.encoding.name || back->encoding.bom != entry.encoding.bom ||
        back->encoding.preferredBytes != entry.encoding.preferredBytes ||
        back->file != entry.file || back->forms != entry.forms ||
        back->inexactPlace != entry.inexactPlace)
        std::abort();
    return 0;
}
