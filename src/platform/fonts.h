#pragma once

#include <QFont>

namespace tl
{

// "ＭＳ 明朝" at the given size, or the face installed here that stands in for it: Noto Sans
// Mono CJK JP, one face for ASCII and Japanese, which draws ASCII as ASCII (a straight '"', 0
// unlike O, 1 unlike l) half as wide as a Japanese character. Without it, IPA Mincho and
// finally a monospace face. The gutter, marker and ruler use exactly this font.
QFont EditorFont(int pointSize = 12);

} // namespace tl
