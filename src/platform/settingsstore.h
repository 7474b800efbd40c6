#pragma once

#include <QString>
#include <QStringList>

namespace tl
{

// The per-user settings store: application "Tagloom", one group per section.
// Tests point XDG_CONFIG_HOME at a temporary folder.
class SettingsStore
{
public:
    static QString GetSetting(const QString& section, const QString& key);
    static void SaveSetting(const QString& section, const QString& key, const QString& value);
    static bool HasSetting(const QString& section, const QString& key);
};

} // namespace tl
