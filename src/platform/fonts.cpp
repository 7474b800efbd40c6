#include "platform/fonts.h"

#include <QStringList>

namespace tl
{

QFont EditorFont(int pointSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ 明朝"), QStringLiteral("MS Mincho"),
                      QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                      QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAGothic"),
                      QStringLiteral("Monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(pointSize);
    return font;
}

} // namespace tl
