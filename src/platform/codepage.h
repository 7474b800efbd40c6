#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tl
{

// CP932 (Shift-JIS as Windows writes it, NEC and IBM extensions included).
// ok is set to false when some bytes could not be decoded, a lead byte cut off at the end
// included.
QString DecodeCp932(QByteArrayView bytes, bool* ok = nullptr);

// No value when some character has no CP932 form or would not read back as itself: nothing is
// ever substituted or dropped.
std::optional<QByteArray> EncodeCp932(QStringView text);

// Index of the first character of text that CP932 cannot represent, or -1.
qsizetype FirstNonCp932Char(QStringView text);

// ICU's Shift_JIS table follows IBM in rotating three control codes: byte 1A reads as U+001C,
// 1C as U+007F and 7F as U+001A. Windows maps each to itself, and DOS-made files end in 1A.
// None of the three can be part of a double-byte character, so the bytes are rotated before ICU
// reads them (towardsIcu) and after it writes them.
bool HasRotatedControlByte(QByteArrayView bytes);
void RotateControlBytes(QByteArray& bytes, bool towardsIcu);

} // namespace tl
