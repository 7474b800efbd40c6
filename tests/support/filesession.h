#pragma once

#include "app/frmmain.h"
#include "core/appstate.h"
#include "files/filecommands.h"
#include "scriptedprompter.h"
#include "temphome.h"

#include <QDir>

namespace tl::test
{

// A main window on a fresh program folder with scripted prompts, and a folder of pages.
struct FileSession {
    TempHome home;
    ScriptedPrompter prompts;
    AppState state{prompts};
    frmMain window{state};

    FileSession() { QDir().mkpath(docs()); }
    QString docs() const { return home.path() + QStringLiteral("/docs"); }
    // Writes a file under docs(), making its folders.
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = docs() + u'/' + name;
        QDir().mkpath(path.left(path.lastIndexOf(u'/')));
        TempHome::writeBytes(path, bytes);
        return path;
    }
    // Writes a one-line page per name and opens them in turn; returns their paths.
    QStringList openPages(const QStringList& names)
    {
        QStringList paths;
        for (const QString& name : names) {
            paths << write(name, name.toUtf8() + "\r\n");
            if (window.Files().OpenDocument(paths.last()) != 0)
                qWarning("could not open %s", qPrintable(paths.last()));
        }
        return paths;
    }
    static QByteArray read(const QString& path) { return TempHome::readBytes(path); }
    cTextBox& box() { return window.TextBox(); }
    FileCommands& files() { return window.Files(); }
    // Types at the start of the text, as the user would.
    void type(const QString& text)
    {
        box().SetSelStart(0);
        box().SetSelText(text);
    }
};

} // namespace tl::test
