#include "platform/fonts.h"

#include <QStringList>

namespace tl
{

QFont EditorFont(int pointSize)
{
    QFont font;
    // One face draws both scripts where it can: a letter and its combining mark must come from
    // the same face, or the mark is placed apart from the letter. IPA Mincho is the fallback,
    // though it draws '"' and '\'' as curly quotes; the Gothic only where no Mincho is
    // installed.
    font.setFamilies({QStringLiteral("ＭＳ 明朝"), QStringLiteral("MS Mincho"),
                      QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAMincho"),
                      QStringLiteral("IPA明朝"), QStringLiteral("Noto Serif CJK JP"),
                      QStringLiteral("IPAGothic"), QStringLiteral("Monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(pointSize);
    return font;
}

} // namespace tl
