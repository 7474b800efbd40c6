#include "platform/settingsstore.h"

#include <QSettings>

namespace tl {

QString SettingsStore::GetSetting(const QString& section, const QString& key)
{
    QSettings s(QStringLiteral("Tagloom"), QStringLiteral("Tagloom"));
    s.beginGroup(section);
    return s.value(key).toString();
}

void SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value)
{
    QSettings s(QStringLiteral("Tagloom"), QStringLiteral("Tagloom"));
    s.beginGroup(section);
    s.setValue(key, value);
    s.endGroup();
    s.sync();
}

bool SettingsStore::HasSetting(const QString& section, const QString& key)
{
    QSettings s(QStringLiteral("Tagloom"), QStringLiteral("Tagloom"));
    s.beginGroup(section);
    return s.contains(key);
}

} // namespace tl
