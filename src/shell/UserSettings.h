// The per-user settings: the data folder named after the application title, and the
// settings file "system.dat" in it with the last used folders (section "System") and
// the main window's placement (section "Form"). Every value is written to disk at once.
// A write the system refuses throws sj::EFileError naming the file; missing or
// malformed values are no error and give the defaults.
#pragma once

#include "shell/Placement.h"

#include <windows.h>

#include <string>

namespace sj {

inline constexpr char SettingsFileBaseName[] = "system.dat";
inline constexpr char SettingsFoldersSection[] = "System";
inline constexpr char SettingsFormSection[] = "Form";

// AddBackslash(GlobalVars.DataDir) + "system.dat".
std::string SettingsFileName();

// The data folder for title inside appData (created, one level, when missing), or appData
// itself when it cannot be created. Always ends in a backslash.
std::string ResolveDataDir(const std::string& appData, const std::string& title);

// Sets GlobalVars.DataDir from the user's application data folder and the two last
// folders to the user's documents folder.
void InitUserFolders(const std::string& title);

// Reads the two last folders into GlobalVars (their current values are the defaults)
// and returns true; when the settings file does not exist yet, creates it with the
// current folders and returns false.
bool LoadLastFolders();
void SaveLastFolders();

// Reads a placement from section of the settings file (file empty or blank: the
// default settings file), with current as the defaults, and keeps it on the primary
// screen. Always returns true.
bool LoadWindowPlacement(const std::string& section, TFormPlacement& placement, const std::string& file = {});
void SaveWindowPlacement(const std::string& section, const TFormPlacement& placement, const std::string& file = {});

// The same for a window: its current bounds are the defaults, and the result is applied
// to it at once.
bool LoadWindowPlacement(const std::string& section, HWND window, const std::string& file = {});
void SaveWindowPlacement(const std::string& section, HWND window, const std::string& file = {});

// A window's placement: its outer bounds in screen pixels (the restored bounds while it
// is minimized or maximized) and whether it is maximized.
TFormPlacement ReadWindowPlacement(HWND window);

// Moves and sizes the window; maximizes or restores it when it is visible. A hidden
// window keeps its bounds for its first showing, which decides its state.
void ApplyWindowPlacement(HWND window, const TFormPlacement& placement);

// The size of the primary screen in pixels.
SIZE PrimaryScreenSize();

// The skin the user chose last, from beside the placement in section ("" when none is
// stored); the previous versions of the file simply lack the key.
std::string LoadSkinName(const std::string& section, const std::string& file = {});
void SaveSkinName(const std::string& section, const std::string& name, const std::string& file = {});

// The settings steps of the main window's creation: the data folder and last folders,
// centring on the first run, then the stored placement over current. Returns the
// placement to apply.
TFormPlacement RestoreUserSettings(const std::string& title, const TFormPlacement& current);

// The settings steps of the main window's closing: last folders, then the placement.
void SaveUserSettings(const TFormPlacement& placement);

} // namespace sj
