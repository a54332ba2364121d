// The application shell's helpers: paths, the product configuration, the per-user shell
// folders, opening targets with the shell, the wait cursor, the folder browser, and
// (through UserSettings.h) the per-user settings. The rest of the program includes
// this unit; the portable pieces live in the units it brings in.
#pragma once

#include "shell/ConfigFile.h"
#include "shell/ShellPaths.h"
#include "shell/UserSettings.h"
#include "shell/WaitCursor.h"
#include "shell/_globals.h"

#include <windows.h>
// shlobj.h needs windows.h first.
#include <shlobj.h>

#include <functional>
#include <string>

namespace sj {

// The executable's folder, ending in a backslash.
std::string ExecutableFolder();

// The product configuration file next to the executable.
std::string ConfigFileName();

// The current user's shell folder of that value name ("AppData", "Personal"...),
// or "C:\" when the registry has none.
std::string GetShellFolder(const std::string& valueName);

// Hands target to the shell with the verb "Open". Whatever the shell answers is ignored:
// a target that cannot be opened gives no message.
void OpenWithShell(const std::string& target);

// Replaces what OpenWithShell does (an empty function restores the shell) and returns
// the previous handler.
using TShellOpenHandler = std::function<void(const std::string& target)>;
TShellOpenHandler SetShellOpenHandler(TShellOpenHandler handler);

// The folder browser's flags the program uses: file-system folders only, new dialog style.
inline constexpr UINT BrowseFolderFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;

// Shows the shell's folder browser opened at folder; on confirmation stores the chosen
// path in folder and returns true. Cancelled, without a shell allocator, or when the
// chosen item has no file-system path, it returns false and leaves folder alone. A non-empty root limits the browser to
// that folder.
bool BrowseForFolder(HWND owner, std::string& folder, const std::string& title, UINT flags,
                     const std::string& root = {});

// Replaces the browser BrowseForFolder shows (an empty function restores the shell's)
// and returns the previous one.
using TFolderBrowser =
    std::function<bool(HWND owner, std::string& folder, const std::string& title, UINT flags, const std::string& root)>;
TFolderBrowser SetFolderBrowser(TFolderBrowser browser);

// The shell's own folder browser, without the replaceable indirection.
bool ShellBrowseForFolder(HWND owner, std::string& folder, const std::string& title, UINT flags,
                          const std::string& root);

// The browser's callback: preselects the initial folder (data, a zero-terminated path)
// and shows the selected path as status text, disabling OK for items that are not
// file-system folders. Always returns 0.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM param, LPARAM data);

} // namespace sj
