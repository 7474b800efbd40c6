#pragma once

#include <QStringList>

class QWidget;

namespace tl::test
{

// The labels, check boxes, option buttons, push buttons and group box titles of a shown window
// that show less than their text needs ("Label1 「背景色」: 40x17 < 52x17"), so that a Japanese
// caption is never cut off.
QStringList CutCaptions(QWidget* window);

} // namespace tl::test
