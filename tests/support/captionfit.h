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

namespace tl::test
{

// The controls of a shown window that a screen reader would announce without a name: every
// control that takes the focus must be named through its own caption, its label (buddy) or an
// accessible name ("Text3 (EditableText)"). A window without a title is reported as well.
QStringList UnnamedControls(QWidget* window);

} // namespace tl::test
