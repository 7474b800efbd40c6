#pragma once

class QMenu;
class QMenuBar;
class QWidget;

namespace tl {

struct AppState;
class cTextBox;

// The Edit menu "編集(&E)" with undo, cut, copy and paste and their Ctrl shortcuts.
QMenu* BuildEditMenu(QMenuBar* bar, AppState& state, cTextBox& box);

// The two menu items that send insert commands: "改行" (a line break) and "タグ削除" (F6,
// deletes the tag at the caret). Unlike the toolbar buttons they keep the EditTarget.
void AddInsertCommandItems(QMenu* menu, AppState& state, cTextBox& box, QWidget* window);

} // namespace tl
