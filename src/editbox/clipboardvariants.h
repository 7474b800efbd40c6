#pragma once

#include "core/textencoding.h"

#include <QString>
#include <QStringView>

class QMimeData;

namespace tl
{

// A span cut or copied from a page goes to the clipboard with the CP932 byte variants of its
// characters (see ByteVariant), so that pasting it back writes the bytes it was read from. They
// travel under a private type beside the text, with the text they belong to: a paste takes them
// only while the clipboard's text is still that text.
inline const QString kByteVariantsMimeType = QStringLiteral("application/x-tagloom-byte-variants");

// The clipboard's data for a span: text as other programs get it, and the span's variants,
// their positions relative to crlfText (the span as the page holds it, with CR LF breaks).
QMimeData* ClipboardDataWithVariants(const QString& text, QStringView crlfText,
                                     const ByteVariants& variants);

// The variants to paste with crlfText (the clipboard's text with CR LF breaks): those put
// beside that very text, else none.
ByteVariants PastedVariants(const QMimeData* data, QStringView crlfText);

} // namespace tl
