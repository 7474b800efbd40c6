#include "platform/settingsstore.h"

#include <QSettings>
#include <QStandardPaths>

namespace tl
{

namespace
{

// QSettings works out the per-user folder once per process and keeps it, so a later change of
// XDG_CONFIG_HOME (every test sets its own) would still read and write the first folder. Point
// it at the current location each time; in a normal run that is always the same folder.
struct Store {
    Store()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QSettings s{QStringLiteral("Tagloom"), QStringLiteral("Tagloom")};
};

} // namespace

QString SettingsStore::GetSetting(const QString& section, const QString& key)
{
    Store store;
    store.s.beginGroup(section);
    return store.s.value(key).toString();
}

void SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value)
{
    Store store;
    store.s.beginGroup(section);
    store.s.setValue(key, value);
    store.s.endGroup();
    store.s.sync();
}

bool SettingsStore::HasSetting(const QString& section, const QString& key)
{
    Store store;
    store.s.beginGroup(section);
    return store.s.contains(key);
}

} // namespace tl
