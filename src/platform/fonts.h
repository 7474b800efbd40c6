#pragma once

#include <QFont>

namespace tl
{

// "ＭＳ 明朝" at the given size, falling back to the Mincho faces installed here and finally
// to a monospace face. The gutter, marker and ruler use exactly this font.
QFont EditorFont(int pointSize = 12);

} // namespace tl
