#pragma once

#include "core/textencoding.h"

#include <QByteArrayView>
#include <QHash>
#include <QStringView>

#include <vector>

namespace tl
{

namespace codec
{
class ByteWriter;
}

// CP932 holds some characters twice or three times; a file written with another byte variant
// than the one Windows writes keeps it (see cp932variants.cpp).

// The variants a CP932 page uses: for every character the file wrote in another variant than
// Windows's, the one it used most often (the Windows one wins a tie); and which pairs the file
// holds that are not their character's usual variant, and so are kept where they stand.
struct Cp932Variants {
    QHash<char32_t, QByteArray> usual;
    // Index row * 256 + trail -> the character, for pairs kept where they stand; empty when none.
    std::vector<char16_t> kept;
};
Cp932Variants ReadCp932Variants(QByteArrayView bytes);

// Where each pair marked in kept stands in the page's text with CR LF line breaks.
ByteVariants FindKeptVariants(QByteArrayView bytes, const std::vector<char16_t>& kept);

// Appends CP932 text in the page's usual variants, but for the characters kept in another one
// where they stand.
void EncodeCp932(codec::ByteWriter& writer, QStringView text, const TextEncoding& encoding,
                 const ByteVariants& kept);

} // namespace tl
