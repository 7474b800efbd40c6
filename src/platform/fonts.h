#pragma once

#include <QFont>
#include <QStringList>

namespace tl
{

// The faces the edit box asks for, first to last, given the families installed. "ＭＳ 明朝"
// itself comes first where it is installed. Elsewhere a monospaced Latin face half an em wide
// comes first, so that ASCII is drawn as ASCII (a straight '"', 0 unlike O, 1 unlike l), and
// the Mincho faces installed here draw the Japanese, one em wide: two ASCII columns, as the
// ruler counts them. IPA Mincho alone draws '"' as a curly quote, which misreads attribute
// values.
QStringList EditorFontFamilies(const QStringList& installed);

// The edit box's font at the given size, from the families installed. The gutter, marker and
// ruler use exactly this font.
QFont EditorFont(int pointSize = 12);

} // namespace tl
