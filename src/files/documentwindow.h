#pragma once

#include <QString>

class QAction;

namespace tl
{

class FileCommands;

// What the file commands need of the window that shows the current page: its caption (the
// page's name), the edit box's text, and the recent-file menu items. The main window implements
// it; the file commands never see the widgets behind it.
class DocumentWindow
{
public:
    // The file commands working on this window's page: the windows that list and search the
    // session's pages open and read pages through them.
    virtual FileCommands& Files() = 0;
    // The current document's name, shown as the window caption.
    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString& caption) = 0;
    // Whether a document is open: the edit box and its companions are shown.
    virtual bool EditorShown() const = 0;
    virtual void ShowEditor(bool visible) = 0;
    virtual QString EditorText() const = 0;
    // Puts text in the edit box as a fresh page: on-screen colours, the gutter and the undo
    // history cleared, the text unmodified. New, Open and Close all go through here.
    virtual void ResetEditor(const QString& text) = 0;
    virtual void FocusEditor() = 0;
    // The edit box's text now matches the file (after a save).
    virtual void MarkEditorUnmodified() = 0;
    // Recent-file menu item 0 (the separator) to 10.
    virtual QAction* RecentFileItem(int index) const = 0;

protected:
    ~DocumentWindow() = default;
};

} // namespace tl
