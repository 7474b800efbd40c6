#pragma once

#include "core/textencoding.h"

#include <QString>
#include <QStringView>
#include <utility>
#include <vector>

namespace tl
{

// "&#x1F600;" for U+1F600: how an HTML page in any encoding writes a character by its number.
QString CharacterReference(char32_t code);

// The characters of text that encoding cannot hold: (index, length) of each, in text order; a
// surrogate pair is one character of length 2.
std::vector<std::pair<qsizetype, qsizetype>> UnencodableCharacters(QStringView text,
                                                                   const TextEncoding& encoding);

// text with each character encoding cannot hold written as its numeric character reference,
// so that the page keeps its encoding and loses nothing.
QString WithCharacterReferences(QStringView text, const TextEncoding& encoding);

// The kept CP932 forms of text moved to where their characters stand once
// WithCharacterReferences(text, encoding) has written the references before them.
ByteVariants VariantsAfterReferences(QStringView text, const TextEncoding& encoding,
                                     const ByteVariants& forms);

} // namespace tl
