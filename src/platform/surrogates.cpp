#include "platform/surrogates.h"

namespace tl
{

qsizetype ReplaceLoneSurrogates(QString& text)
{
    const qsizetype n = text.size();
    const QChar* s = text.constData();
    qsizetype i = 0;
    while (i < n && !s[i].isSurrogate())
        ++i;
    qsizetype count = 0;
    for (; i < n; ++i) {
        if (!s[i].isSurrogate())
            continue;
        if (s[i].isHighSurrogate() && i + 1 < n && s[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (count == 0)
            s = text.data(); // detach only when there is something to mend
        text[i] = QChar::ReplacementCharacter;
        ++count;
    }
    return count;
}

} // namespace tl
