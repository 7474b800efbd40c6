#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace tl::test
{

// A fresh program folder and settings store for one test: TAGLOOM_HOME and XDG_CONFIG_HOME
// point into a temporary folder until the object goes away.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return dir_.path(); }
    QString home() const;
    QString file(const QString& name) const;

    static QByteArray readBytes(const QString& path);
    static void writeBytes(const QString& path, const QByteArray& bytes);

private:
    QTemporaryDir dir_;
    QByteArray oldHome_, oldXdg_;
};

} // namespace tl::test
