#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

namespace tl
{

struct AppState;
class cTextBox;

// What an opener needs to show its dialog modally over the main window. Some dialogs build one
// of several variants and read which one from their caption ("Radio" or "CheckBox"); caption
// is empty for the others.
struct DialogRequest {
    AppState& state;
    cTextBox& box;
    QWidget* parent;
    QString caption;
};

// Shows one dialog modally; the dialog writes its result itself (InsertDialogResult).
using DialogOpener = std::function<void(const DialogRequest&)>;

// The dialogs (and the few routines) that insert commands open, by name ("frmTable"). Insert
// commands reach an opener through their command code, tag re-editing through the name.
class DialogRegistry
{
public:
    void Register(const QString& name, DialogOpener opener);
    // Nullptr when nothing is registered under the name.
    const DialogOpener* Find(const QString& name) const;
    // Every registered name, sorted.
    QStringList Names() const;
    // Opens the named dialog; false when none is registered.
    bool Open(const QString& name, const DialogRequest& request) const;
    // Runs onChange after every registration (the window enables the commands that waited).
    void Watch(std::function<void()> onChange) { watchers_.push_back(std::move(onChange)); }

private:
    QHash<QString, DialogOpener> openers_;
    std::vector<std::function<void()>> watchers_;
};

} // namespace tl
