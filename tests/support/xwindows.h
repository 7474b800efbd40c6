#pragma once

#include <QString>
#include <QStringList>

namespace tl::test
{

// Runs xdotool with args; its output, or a null string when it failed or took too long.
QString XdoTool(const QStringList& args, int timeoutMs = 15000);

// The first visible window whose title matches pattern (a regular expression), looked for
// again and again until deadlineMs have passed: one search may fail on its own, as xdotool
// does when a window it is looking at goes away (a killed copy's). Null when none showed.
QString FindWindow(const QString& pattern, int deadlineMs = 20000);

// Finds the window as FindWindow does, then activates and focuses it; false when none showed.
bool FocusWindow(const QString& pattern, int deadlineMs = 20000);

} // namespace tl::test
