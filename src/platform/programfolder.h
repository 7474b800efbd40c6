#pragma once

#include <QString>

namespace tl
{

// The folder that holds the settings files: $TAGLOOM_HOME, else $XDG_CONFIG_HOME/tagloom.
// Created when missing.
QString ProgramFolder();

// The full native path of a file in the program folder.
QString ProgramFile(const QString& fileName);

} // namespace tl
