#include "shell/UserSettings.h"

#include "platform/Exception.h"
#include "shell/MemIniFile.h"
#include "shell/ShellPaths.h"
#include "shell/UtilFuncs.h"
#include "shell/_globals.h"

#include <vector>

namespace sj {
namespace {

constexpr char KeyLastOpenFileDir[] = "LastOpenFileDir";
constexpr char KeyLastOpenFolderDir[] = "LastOpenFolderDir";
constexpr char KeyLeft[] = "x";
constexpr char KeyTop[] = "y";
constexpr char KeyWidth[] = "width";
constexpr char KeyHeight[] = "height";
constexpr char KeyMaximized[] = "maximized";
constexpr char KeySkin[] = "skin";

bool IsExistingFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsExistingFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The private-profile functions put a file named without a folder into the Windows
// folder; settings belong where the caller's path points, so such names are made
// absolute first.
std::string SettingsPath(const std::string& file) {
    const bool blank = file.find_first_not_of(" \t") == std::string::npos;
    const std::string trimmed = blank ? std::string() : file;
    const std::string path = trimmed.empty() ? SettingsFileName() : trimmed;
    if (path.find_first_of("\\:/") != std::string::npos)
        return path;
    char full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

std::string ReadIniString(const std::string& file, const char* section, const char* key, const std::string& def) {
    std::vector<char> buffer(1024);
    for (;;) {
        const DWORD length = ::GetPrivateProfileStringA(section, key, def.c_str(), buffer.data(),
                                                        static_cast<DWORD>(buffer.size()), file.c_str());
        // A value that filled the buffer may have been cut: try again with more room.
        if (length + 1 < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<int> ReadIniInteger(const std::string& file, const char* section, const char* key) {
    return ParseIniInteger(ReadIniString(file, section, key, ""));
}

void WriteIniString(const std::string& file, const char* section, const char* key, const std::string& value) {
    if (!::WritePrivateProfileStringA(section, key, value.c_str(), file.c_str()))
        throw EFileError("Unable to write to " + file);
}

void WriteIniInteger(const std::string& file, const char* section, const char* key, int value) {
    WriteIniString(file, section, key, std::to_string(value));
}

// Offset of the work-area coordinates that WINDOWPLACEMENT uses from screen coordinates.
POINT WorkAreaOffset(HWND window) {
    POINT offset{0, 0};
    if ((::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0)
        return offset;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        offset.x = monitor.rcWork.left - monitor.rcMonitor.left;
        offset.y = monitor.rcWork.top - monitor.rcMonitor.top;
    }
    return offset;
}

TFormPlacement PlacementFromRect(const RECT& rect, bool maximized) {
    return TFormPlacement{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, maximized};
}

} // namespace

std::string SettingsFileName() {
    return AddBackslash(GlobalVars.DataDir) + SettingsFileBaseName;
}

std::string ResolveDataDir(const std::string& appData, const std::string& title) {
    const std::string folder = DataFolderFor(appData, title);
    if (IsExistingFolder(folder) || ::CreateDirectoryA(folder.c_str(), nullptr))
        return folder;
    return AddBackslash(appData);
}

void InitUserFolders(const std::string& title) {
    GlobalVars.DataDir = ResolveDataDir(GetShellFolder("AppData"), title);
    GlobalVars.LastOpenFileDir = GetShellFolder("Personal");
    GlobalVars.LastOpenFolderDir = GetShellFolder("Personal");
}

bool LoadLastFolders() {
    const std::string file = SettingsPath({});
    if (!IsExistingFile(file)) {
        SaveLastFolders();
        return false;
    }
    GlobalVars.LastOpenFileDir =
        ReadIniString(file, SettingsFoldersSection, KeyLastOpenFileDir, GlobalVars.LastOpenFileDir);
    GlobalVars.LastOpenFolderDir =
        ReadIniString(file, SettingsFoldersSection, KeyLastOpenFolderDir, GlobalVars.LastOpenFolderDir);
    return true;
}

void SaveLastFolders() {
    const std::string file = SettingsPath({});
    WriteIniString(file, SettingsFoldersSection, KeyLastOpenFileDir, GlobalVars.LastOpenFileDir);
    WriteIniString(file, SettingsFoldersSection, KeyLastOpenFolderDir, GlobalVars.LastOpenFolderDir);
}

bool LoadWindowPlacement(const std::string& section, TFormPlacement& placement, const std::string& file) {
    const std::string path = SettingsPath(file);
    const char* name = section.c_str();
    TStoredPlacement stored;
    stored.Maximized = ReadIniInteger(path, name, KeyMaximized);
    stored.Left = ReadIniInteger(path, name, KeyLeft);
    stored.Top = ReadIniInteger(path, name, KeyTop);
    stored.Height = ReadIniInteger(path, name, KeyHeight);
    stored.Width = ReadIniInteger(path, name, KeyWidth);
    const SIZE screen = PrimaryScreenSize();
    placement = ClampToScreen(MergeStoredPlacement(stored, placement), screen.cx, screen.cy);
    return true;
}

void SaveWindowPlacement(const std::string& section, const TFormPlacement& placement, const std::string& file) {
    const std::string path = SettingsPath(file);
    const char* name = section.c_str();
    WriteIniInteger(path, name, KeyLeft, placement.Left);
    WriteIniInteger(path, name, KeyTop, placement.Top);
    WriteIniInteger(path, name, KeyHeight, placement.Height);
    WriteIniInteger(path, name, KeyWidth, placement.Width);
    WriteIniInteger(path, name, KeyMaximized, placement.Maximized ? 1 : 0);
}

bool LoadWindowPlacement(const std::string& section, HWND window, const std::string& file) {
    TFormPlacement placement = ReadWindowPlacement(window);
    LoadWindowPlacement(section, placement, file);
    ApplyWindowPlacement(window, placement);
    return true;
}

void SaveWindowPlacement(const std::string& section, HWND window, const std::string& file) {
    SaveWindowPlacement(section, ReadWindowPlacement(window), file);
}

TFormPlacement ReadWindowPlacement(HWND window) {
    const bool maximized = ::IsZoomed(window) != FALSE;
    if (!maximized && !::IsIconic(window)) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        return PlacementFromRect(rect, false);
    }
    // A minimized window sits far off the screen and a maximized one covers it: what
    // the user placed are the restored bounds.
    WINDOWPLACEMENT info{};
    info.length = sizeof info;
    ::GetWindowPlacement(window, &info);
    const POINT offset = WorkAreaOffset(window);
    ::OffsetRect(&info.rcNormalPosition, offset.x, offset.y);
    return PlacementFromRect(info.rcNormalPosition, maximized);
}

void ApplyWindowPlacement(HWND window, const TFormPlacement& placement) {
    if (::IsWindowVisible(window) && (::IsZoomed(window) || ::IsIconic(window)))
        ::ShowWindow(window, SW_RESTORE);
    ::SetWindowPos(window, nullptr, placement.Left, placement.Top, placement.Width, placement.Height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (::IsWindowVisible(window) && placement.Maximized)
        ::ShowWindow(window, SW_MAXIMIZE);
}

SIZE PrimaryScreenSize() {
    return SIZE{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

std::string LoadSkinName(const std::string& section, const std::string& file) {
    return ReadIniString(SettingsPath(file), section.c_str(), KeySkin, "");
}

void SaveSkinName(const std::string& section, const std::string& name, const std::string& file) {
    WriteIniString(SettingsPath(file), section.c_str(), KeySkin, name);
}

TFormPlacement RestoreUserSettings(const std::string& title, const TFormPlacement& current) {
    InitUserFolders(title);
    TFormPlacement placement = current;
    if (!LoadLastFolders()) {
        const SIZE screen = PrimaryScreenSize();
        placement = CenterOnScreen(placement, screen.cx, screen.cy);
    }
    LoadWindowPlacement(SettingsFormSection, placement);
    return placement;
}

void SaveUserSettings(const TFormPlacement& placement) {
    SaveLastFolders();
    SaveWindowPlacement(SettingsFormSection, placement);
}

} // namespace sj
