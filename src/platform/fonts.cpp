#include "platform/fonts.h"

#include <QFontDatabase>

namespace tl
{

QStringList EditorFontFamilies(const QStringList& installed)
{
    const QStringList msMincho{QStringLiteral("ＭＳ 明朝"), QStringLiteral("MS Mincho")};
    // Japanese faces one em wide; the Gothic only where no Mincho is installed.
    const QStringList japanese{QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                               QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAGothic")};
    // Latin faces whose advance is exactly half an em, so that a Japanese character takes two
    // of their columns.
    const QStringList halfEmLatin{QStringLiteral("Inconsolata")};
    for (const QString& name : msMincho)
        if (installed.contains(name, Qt::CaseInsensitive))
            return msMincho + japanese + QStringList{QStringLiteral("Monospace")};
    return halfEmLatin + japanese + QStringList{QStringLiteral("Monospace")};
}

QFont EditorFont(int pointSize)
{
    // The families are looked up once: the list does not change while the program runs.
    static const QStringList families = EditorFontFamilies(QFontDatabase::families());
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(pointSize);
    return font;
}

} // namespace tl
