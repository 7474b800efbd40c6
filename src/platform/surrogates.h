#pragma once

#include <QString>
#include <QStringView>

namespace tl {

// A UTF-16 unit that is half of a surrogate pair standing without its other half. No encoding
// can write one (UTF-8 has no form for it), so text that holds one cannot be saved.
inline bool IsLoneSurrogateAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

// Replaces every lone surrogate of text by U+FFFD; returns how many there were. Text without
// surrogates is neither scanned twice nor copied.
qsizetype ReplaceLoneSurrogates(QString& text);

} // namespace tl
