#include "temphome.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace tl::test
{

TempHome::TempHome() : oldHome_(qgetenv("TAGLOOM_HOME")), oldXdg_(qgetenv("XDG_CONFIG_HOME"))
{
    QVERIFY2(dir_.isValid(), "no temporary folder");
    QDir(dir_.path()).mkpath(QStringLiteral("home"));
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    qputenv("TAGLOOM_HOME", home().toUtf8());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toUtf8());
}

TempHome::~TempHome()
{
    if (oldHome_.isNull())
        qunsetenv("TAGLOOM_HOME");
    else
        qputenv("TAGLOOM_HOME", oldHome_);
    if (oldXdg_.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldXdg_);
}

QString TempHome::home() const
{
    return dir_.path() + QStringLiteral("/home");
}

QString TempHome::file(const QString& name) const
{
    return home() + u'/' + name;
}

QByteArray TempHome::readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void TempHome::writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace tl::test
