#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tl {

// CP932 (Shift-JIS as Windows writes it, NEC and IBM extensions included).
// ok is set to false when some bytes could not be decoded, a lead byte cut off at the end
// included.
QString DecodeCp932(QByteArrayView bytes, bool* ok = nullptr);

// No value when some character has no CP932 form or would not read back as itself: nothing is
// ever substituted or dropped.
std::optional<QByteArray> EncodeCp932(QStringView text);

// Index of the first character of text that CP932 cannot represent, or -1.
qsizetype FirstNonCp932Char(QStringView text);

} // namespace tl
