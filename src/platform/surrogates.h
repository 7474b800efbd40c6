#pragma once

#include <QString>

namespace tl
{

// Replaces every lone half of a surrogate pair in text by U+FFFD (no encoding can write one,
// not even UTF-8); returns how many there were. Text without
// surrogates is neither scanned twice nor copied.
qsizetype ReplaceLoneSurrogates(QString& text);

} // namespace tl
