#include "app/frmmain.h"
#include "app/startup.h"
#include "platform/files.h"
#include "platform/termination.h"
#include "platform/translations.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tl::MarkStartup("qt");
    QApplication::setApplicationName(QStringLiteral("Tagloom"));
    QApplication::setOrganizationName(QStringLiteral("Tagloom"));
    QApplication::setApplicationVersion(QStringLiteral(TAGLOOM_VERSION));
    // Desktops match the windows to the installed menu entry (tagloom.desktop) and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tagloom"));
    tl::InstallQtTranslations(app);
    // The program ends only through the main window's unload.
    QApplication::setQuitOnLastWindowClosed(false);

    // The arguments as the system gave them: a name that is not UTF-8 has no exact text.
    QByteArray argumentBytes;
    for (int i = 1; i < argc; ++i)
        argumentBytes += (i > 1 ? " " : "") + QByteArray(argv[i]);
    tl::Application tagloom(tl::ArgumentText(QApplication::arguments()),
                            tl::NameDecodesExactly(argumentBytes));
    tl::InstallTerminationHandler([&tagloom] {
        if (tl::frmMain* w = tagloom.mainWindow())
            w->close();
        else
            QCoreApplication::quit();
    });
    tagloom.Main();
    return app.exec();
}
