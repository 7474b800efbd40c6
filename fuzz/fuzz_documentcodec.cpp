// Opening a page's bytes and saving the text unchanged: the bytes come back as they were
// whenever the opening reported nothing lost (no undecodable bytes, no lone line breaks).
#include "documents/documentcodec.h"
#include "platform/codepage.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const tl::DecodedDocument doc = tl::DecodeDocument(bytes);
    QString crlf = doc.text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    const tl::EncodedDocument saved = tl::EncodeDocument(crlf, doc.encoding);
    tl::FindDeclaredCharset(crlf);
    tl::LineNumberOfIndex(crlf, qsizetype(size) - 2);
    if (doc.undecodableBytes || doc.lineBreaksNormalized)
        return 0;
    if (doc.encoding.kind == tl::TextEncoding::Kind::Named) {
        // Other charsets may spell a character more than one way; the text must survive.
        if (saved.firstUnencodable < 0 && tl::DecodeDocument(saved.bytes).text != doc.text) {
            std::fprintf(stderr, "named charset round trip changed the text\n");
            std::abort();
        }
        return 0;
    }
    // A CP932 file that spells one character in two of its duplicate forms comes back in one
    // of them: the same text, not the same bytes.
    const bool same =
        saved.bytes == bytes || (doc.encoding.kind == tl::TextEncoding::Kind::Cp932 &&
                                 tl::DecodeCp932(saved.bytes) == tl::DecodeCp932(bytes));
    if (saved.firstUnencodable >= 0 || !same) {
        std::fprintf(stderr, "round trip in %s: unencodable at %lld, %lld bytes -> %lld\n",
                     qPrintable(doc.encoding.displayName()), qlonglong(saved.firstUnencodable),
                     qlonglong(size), qlonglong(saved.bytes.size()));
        std::fprintf(stderr, "read:    %s\nwritten: %s\n",
                     bytes.toByteArray().toHex(' ').constData(),
                     saved.bytes.toHex(' ').constData());
        std::abort();
    }
    return 0;
}
