// Opening a page's bytes and saving the text unchanged: the bytes come back as they were
// whenever the opening reported nothing lost (no undecodable bytes) and no place where they
// would differ; line ends included.
#include "encodings/documentcodec.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const tl::DecodedDocument doc = tl::DecodeDocument(bytes);
    QString crlf = doc.text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    const tl::EncodedDocument saved = tl::EncodeDocument(crlf, doc.encoding, doc.forms);
    tl::FindDeclaredCharset(crlf);
    tl::LineNumberOfIndex(crlf, qsizetype(size) - 2);
    if (doc.undecodableBytes)
        return 0;
    if (doc.encoding.kind == tl::TextEncoding::Kind::Named) {
        // Other charsets may spell a character more than one way; the text must survive, and
        // bytes that do not come back must have been told at opening.
        if (saved.firstUnencodable < 0 && tl::DecodeDocument(saved.bytes).text != doc.text) {
            std::fprintf(stderr, "named charset round trip changed the text\n");
            std::abort();
        }
        if (!doc.inexact && (saved.firstUnencodable >= 0 || saved.bytes != bytes)) {
            std::fprintf(stderr, "named charset changed bytes without a word\n");
            std::abort();
        }
        return 0;
    }
    // Every form of a CP932 character comes back where it stood.
    if (saved.firstUnencodable >= 0 || saved.bytes != bytes) {
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
