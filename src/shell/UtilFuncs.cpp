#include "shell/UtilFuncs.h"

#include "shell/SuppliedFiles.h"

#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <vector>

namespace sj {
namespace {

constexpr char ShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char ShellFolderFallback[] = "C:\\";

struct TRegKeyCloser {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using TRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TRegKeyCloser>;

std::string ReadRegistryString(HKEY key, const std::string& valueName) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        return {};
    std::vector<char> buffer(size + 1, '\0');
    if (::RegQueryValueExA(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    return std::string(buffer.data()); // the stored value may or may not carry its terminator
}

void ShellExecuteOpen(const std::string& target) {
    ::ShellExecuteA(nullptr, "Open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

TShellOpenHandler& ShellOpenHandler() {
    static TShellOpenHandler handler;
    return handler;
}

TFolderBrowser& FolderBrowser() {
    static TFolderBrowser browser;
    return browser;
}

// Keeps COM initialised on this thread while the new-style browser is shown.
class TComScope {
public:
    TComScope() : FInitialised(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~TComScope() {
        if (FInitialised)
            ::CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

private:
    bool FInitialised;
};

template <typename T> struct TComReleaser {
    void operator()(T* object) const { object->Release(); }
};
template <typename T> using TComPtr = std::unique_ptr<T, TComReleaser<T>>;

// An item identifier list or a buffer that belongs to the shell's allocator.
class TShellMemory {
public:
    TShellMemory(IMalloc& allocator, void* memory) : FAllocator(allocator), FMemory(memory) {}
    ~TShellMemory() {
        if (FMemory != nullptr)
            FAllocator.Free(FMemory);
    }
    TShellMemory(const TShellMemory&) = delete;
    TShellMemory& operator=(const TShellMemory&) = delete;

    void* Get() const { return FMemory; }

private:
    IMalloc& FAllocator;
    void* FMemory;
};

PIDLIST_ABSOLUTE ParseRootFolder(HWND owner, const std::string& root) {
    IShellFolder* rawDesktop = nullptr;
    if (FAILED(::SHGetDesktopFolder(&rawDesktop)) || rawDesktop == nullptr)
        return nullptr;
    TComPtr<IShellFolder> desktop(rawDesktop);
    const int length = ::MultiByteToWideChar(CP_ACP, 0, root.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return nullptr;
    std::vector<wchar_t> wideRoot(static_cast<std::size_t>(length));
    ::MultiByteToWideChar(CP_ACP, 0, root.c_str(), -1, wideRoot.data(), length);
    PIDLIST_RELATIVE list = nullptr;
    if (FAILED(desktop->ParseDisplayName(owner, nullptr, wideRoot.data(), nullptr, &list, nullptr)))
        return nullptr;
    return reinterpret_cast<PIDLIST_ABSOLUTE>(list);
}

} // namespace

std::string ExecutableFolder() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size())
            return WindowsFolderOf(std::string(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ConfigFileName() {
    return ExecutableFolder() + ConfigFileBaseName;
}

std::string GetShellFolder(const std::string& valueName) {
    HKEY rawKey = nullptr;
    std::string folder;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, ShellFoldersKey, 0, KEY_READ, &rawKey) == ERROR_SUCCESS) {
        const TRegKey key(rawKey);
        folder = ReadRegistryString(key.get(), valueName);
    }
    return folder.empty() ? ShellFolderFallback : folder;
}

void OpenWithShell(const std::string& target) {
    const TShellOpenHandler& handler = ShellOpenHandler();
    if (handler)
        handler(target);
    else
        ShellExecuteOpen(target);
}

TShellOpenHandler SetShellOpenHandler(TShellOpenHandler handler) {
    TShellOpenHandler previous = std::move(ShellOpenHandler());
    ShellOpenHandler() = std::move(handler);
    return previous;
}

bool BrowseForFolder(HWND owner, std::string& folder, const std::string& title, UINT flags, const std::string& root) {
    const TFolderBrowser& browser = FolderBrowser();
    return browser ? browser(owner, folder, title, flags, root)
                   : ShellBrowseForFolder(owner, folder, title, flags, root);
}

TFolderBrowser SetFolderBrowser(TFolderBrowser browser) {
    TFolderBrowser previous = std::move(FolderBrowser());
    FolderBrowser() = std::move(browser);
    return previous;
}

bool ShellBrowseForFolder(HWND owner, std::string& folder, const std::string& title, UINT flags,
                          const std::string& root) {
    const TComScope com;
    IMalloc* rawAllocator = nullptr;
    if (FAILED(::SHGetMalloc(&rawAllocator)) || rawAllocator == nullptr)
        return false;
    TComPtr<IMalloc> allocator(rawAllocator);

    const TShellMemory buffer(*allocator, allocator->Alloc(MAX_PATH));
    if (buffer.Get() == nullptr)
        return false;
    char* const path = static_cast<char*>(buffer.Get());
    path[0] = '\0';
    const TShellMemory rootList(*allocator, root.empty() ? nullptr : ParseRootFolder(owner, root));

    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = static_cast<PCIDLIST_ABSOLUTE>(rootList.Get());
    info.pszDisplayName = path;
    info.lpszTitle = title.c_str();
    info.ulFlags = flags;
    info.lpfn = &BrowseCallback;
    const std::string initialFolder = folder; // the callback reads it while the browser runs
    info.lParam = reinterpret_cast<LPARAM>(initialFolder.c_str());

    const TShellMemory chosen(*allocator, ::SHBrowseForFolderA(&info));
    if (chosen.Get() == nullptr)
        return false;
    // An item that is no file-system folder has no path: that is no folder chosen.
    path[0] = '\0';
    if (!::SHGetPathFromIDListA(static_cast<PCIDLIST_ABSOLUTE>(chosen.Get()), path) || path[0] == '\0')
        return false;
    folder = path;
    return true;
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM param, LPARAM data) {
    switch (message) {
    case BFFM_INITIALIZED:
        ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
        break;
    case BFFM_SELCHANGED: {
        char path[MAX_PATH + 1] = {};
        if (!::SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path))
            path[0] = '\0';
        ::SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
        if (path[0] == '\0')
            ::SendMessageA(dialog, BFFM_ENABLEOK, 0, 0);
        break;
    }
    default:
        break;
    }
    return 0;
}

} // namespace sj
