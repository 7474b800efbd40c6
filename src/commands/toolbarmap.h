#pragma once

#include <QIcon>
#include <QStringView>
#include <QtGlobal>
#include <array>
#include <span>

namespace tl
{

// What a toolbar button runs when it is not an insert command. Each value is named after the
// routine it calls; the form opened is noted where there is no routine of that name yet.
enum class ToolbarCommand {
    RunInsertCommand, // the button's insertCode goes to the insert-command dispatcher
    NewDocument,
    OpenDocumentByDialog, // as the File menu's Open item
    SaveDocument,
    EditCut,
    EditCopy,
    EditPaste,
    EditUndo,
    ShowFindDialog,
    ShowUserTexts, // frmData, modal
    GoToTop,
    GoToMiddle,
    GoToEnd,
    StampCurrentLine,
    ShowStampList,
    ShowColorPicker, // frmColor
    InsertChosenFilePath,
    InsertImageReference,
    ShowPreviousDocument, // with the main window's caption
    ShowNextDocument,     // with the main window's caption
    ClearAllPages,
    ShowFileList,    // frmFileNames
    ShowLinkList,    // frmLinkEdit
    ShowScratchText, // frmEditTextBox
    ViewInBrowser,
    ShowMdbTable, // frmMdbTable
};

// One button of the four toolbars. key is the objectName of the button's QAction and toolTip
// its tool tip, word for word.
struct ToolbarButton {
    QStringView toolbar; // objectName of the toolbar that holds the button
    QStringView key;
    QStringView toolTip;
    ToolbarCommand command;
    qint16 insertCode;     // the CommandCode when command is RunInsertCommand, else 0
    bool separatorBefore;  // a separator stands between this button and the one before it
    QStringView iconPath;  // our picture, in the resources
    QStringView themeIcon; // freedesktop icon name preferred over ours; empty when none
};

// The toolbars from top to bottom.
std::array<QStringView, 4> ToolbarNames();

// Every button of every toolbar: the toolbars in ToolbarNames() order, each toolbar's buttons
// from left to right.
std::span<const ToolbarButton> ToolbarButtons();

// The buttons of one toolbar from left to right; empty for an unknown name.
std::span<const ToolbarButton> ToolbarButtons(QStringView toolbar);

// The button with that key on that toolbar, or nullptr.
const ToolbarButton* FindToolbarButton(QStringView toolbar, QStringView key);

// The button's picture: the icon theme's when the button names one and the theme has it, else
// ours.
QIcon ToolbarIcon(const ToolbarButton& button);

} // namespace tl
