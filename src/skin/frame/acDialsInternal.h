// Helpers shared by the files of the window-creation hook unit; not an interface of its own.
#pragma once

#include "skin/frame/acDials.h"

#include <memory>
#include <string>

namespace sj::dials_detail {

inline constexpr const char* DialogClass = "#32770";
inline constexpr const char* PopupMenuClass = "#32768";

std::string WindowClassName(HWND window);
std::string LowerCase(std::string text);
// The window is adapted already or answers the skin's "are you skinned" command.
bool AnswersSkinCommand(HWND window);

// Posted to a skinned dialog when a control appears in it after it was skinned (the
// file dialog makes its list when it has browsed): the dialog's record adapts it.
UINT AdaptLateChildrenMessage();
void AdaptLateChildren(HWND dialog);

// The popup-menu adapters: one per live "#32768" window.
void AttachMenuAdapter(HWND window, TsSkinManager* manager);
void FreeMenuAdapters();
void BroadcastToMenuAdapters(WORD command, LPARAM lParam);

// The controls of system dialogs by what the skin does with them.
enum class TacChildClass {
    None,
    Static,
    NestedDialog,
    Edit,
    Button,
    ListBox,
    ComboList,
    ListView,
    TreeView,
    UpDown,
    FolderPane,
    ComboBox,
    ToolBar,
    TabControl,
    TrackBar,
    Link,
    SizeGrip,
};
TacChildClass ChildClassOf(HWND child);
// The adapter for a control of a skinned dialog (not hooked yet), or none for a control
// left in the system's look.
std::unique_ptr<TacMainWnd> MakeChildAdapter(HWND child, TsSkinManager& manager);

} // namespace sj::dials_detail
