#include "forms/Dialogs.h"

#include <algorithm>
#include <cstring>

namespace sj {

namespace {

int SystemMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

bool SystemOpenFileName(OPENFILENAMEA& request) {
    return ::GetOpenFileNameA(&request) != FALSE;
}

std::string ProgramName() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, std::min<DWORD>(length, MAX_PATH));
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

std::string& CaptionStore() {
    static std::string caption;
    return caption;
}

// Room for many names with ofAllowMultiSelect; a long path otherwise.
constexpr std::size_t SingleNameBuffer = 32768;
constexpr std::size_t MultiNameBuffer = 1 << 20;

} // namespace

TMessageBoxFunc& MessageBoxFunc() {
    static TMessageBoxFunc func = SystemMessageBox;
    return func;
}

TOpenFileNameFunc& OpenFileNameFunc() {
    static TOpenFileNameFunc func = SystemOpenFileName;
    return func;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    const TMessageBoxFunc& func = MessageBoxFunc();
    return func ? func(owner, text, caption, flags) : SystemMessageBox(owner, text, caption, flags);
}

const std::string& DefaultMessageCaption() {
    std::string& caption = CaptionStore();
    if (caption.empty()) {
        caption = ProgramName();
    }
    return caption;
}

void SetDefaultMessageCaption(const std::string& caption) {
    CaptionStore() = caption;
}

void ShowMessage(const std::string& text) {
    ShowMessageBox(::GetActiveWindow(), text, DefaultMessageCaption(), MB_OK);
}

std::string MessageDlgCaption(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning:
        return "Warning";
    case TMsgDlgType::mtError:
        return "Error";
    case TMsgDlgType::mtInformation:
        return "Information";
    case TMsgDlgType::mtConfirmation:
        return "Confirm";
    case TMsgDlgType::mtCustom:
        break;
    }
    return DefaultMessageCaption();
}

UINT MessageDlgFlags(TMsgDlgType type, TMsgDlgButtons buttons) {
    UINT flags = 0;
    switch (type) {
    case TMsgDlgType::mtWarning:
        flags = MB_ICONWARNING;
        break;
    case TMsgDlgType::mtError:
        flags = MB_ICONERROR;
        break;
    case TMsgDlgType::mtInformation:
        flags = MB_ICONINFORMATION;
        break;
    case TMsgDlgType::mtConfirmation:
        flags = MB_ICONQUESTION;
        break;
    case TMsgDlgType::mtCustom:
        break;
    }
    if ((buttons & mbAbortRetryIgnore) == mbAbortRetryIgnore) {
        flags |= MB_ABORTRETRYIGNORE;
    } else if ((buttons & mbYesNoCancel) == mbYesNoCancel) {
        flags |= MB_YESNOCANCEL;
    } else if ((buttons & mbYesNo) == mbYesNo) {
        flags |= MB_YESNO;
    } else if ((buttons & mbRetryCancel) == mbRetryCancel) {
        flags |= MB_RETRYCANCEL;
    } else if ((buttons & mbOKCancel) == mbOKCancel) {
        flags |= MB_OKCANCEL;
    } else {
        flags |= MB_OK;
    }
    return flags;
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    return ShowMessageBox(::GetActiveWindow(), text, MessageDlgCaption(type), MessageDlgFlags(type, buttons));
}

TMessageBoxOverride::TMessageBoxOverride(TMessageBoxFunc func) : FPrevious(std::move(MessageBoxFunc())) {
    MessageBoxFunc() = std::move(func);
}
TMessageBoxOverride::~TMessageBoxOverride() {
    MessageBoxFunc() = std::move(FPrevious);
}

TOpenFileNameOverride::TOpenFileNameOverride(TOpenFileNameFunc func) : FPrevious(std::move(OpenFileNameFunc())) {
    OpenFileNameFunc() = std::move(func);
}
TOpenFileNameOverride::~TOpenFileNameOverride() {
    OpenFileNameFunc() = std::move(FPrevious);
}

// ---- TOpenDialog ---------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

TOpenDialog::~TOpenDialog() {
    Destroying();
}

DWORD TOpenDialog::SystemFlags() const {
    static constexpr std::pair<TOpenOption, DWORD> Map[] = {
        {ofReadOnly, OFN_READONLY},
        {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
        {ofHideReadOnly, OFN_HIDEREADONLY},
        {ofNoChangeDir, OFN_NOCHANGEDIR},
        {ofShowHelp, OFN_SHOWHELP},
        {ofNoValidate, OFN_NOVALIDATE},
        {ofAllowMultiSelect, OFN_ALLOWMULTISELECT},
        {ofExtensionDifferent, OFN_EXTENSIONDIFFERENT},
        {ofPathMustExist, OFN_PATHMUSTEXIST},
        {ofFileMustExist, OFN_FILEMUSTEXIST},
        {ofCreatePrompt, OFN_CREATEPROMPT},
        {ofShareAware, OFN_SHAREAWARE},
        {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
        {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
        {ofNoNetworkButton, OFN_NONETWORKBUTTON},
        {ofNoLongNames, OFN_NOLONGNAMES},
        {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS},
        {ofEnableIncludeNotify, OFN_ENABLEINCLUDENOTIFY},
        {ofEnableSizing, OFN_ENABLESIZING},
        {ofDontAddToRecent, OFN_DONTADDTORECENT},
        {ofForceShowHidden, OFN_FORCESHOWHIDDEN},
    };
    DWORD flags = (Options & ofOldStyleDialog) != 0 ? 0 : OFN_EXPLORER;
    for (const auto& [option, flag] : Map) {
        if ((Options & option) != 0) {
            flags |= flag;
        }
    }
    return flags;
}

std::string TOpenDialog::SystemFilter() const {
    if (Filter.empty()) {
        return std::string();
    }
    std::string result = Filter;
    std::replace(result.begin(), result.end(), '|', '\0');
    // A description without a mask would shift every pair after it.
    if (std::count(Filter.begin(), Filter.end(), '|') % 2 == 0) {
        result.push_back('\0');
        result += "*.*";
    }
    result.push_back('\0');
    result.push_back('\0');
    return result;
}

bool TOpenDialog::Execute(HWND owner) {
    const bool multi = (Options & ofAllowMultiSelect) != 0;
    std::vector<char> buffer(multi ? MultiNameBuffer : SingleNameBuffer, '\0');
    // A preset name longer than the buffer is cut, never overrun.
    std::memcpy(buffer.data(), FileName.data(), std::min(FileName.size(), buffer.size() - 2));

    const std::string filter = SystemFilter();
    const std::string extension = DefaultExt.size() > 0 && DefaultExt[0] == '.' ? DefaultExt.substr(1) : DefaultExt;
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner != nullptr ? owner : ::GetActiveWindow();
    request.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    request.nFilterIndex = static_cast<DWORD>(std::max(FilterIndex, 0));
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size() - 1);
    request.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    request.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    request.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    request.Flags = SystemFlags();

    if (OnShow) {
        OnShow(this);
    }
    const TOpenFileNameFunc& func = OpenFileNameFunc();
    const bool confirmed = func ? func(request) : SystemOpenFileName(request);
    if (OnClose) {
        OnClose(this);
    }
    if (!confirmed) {
        return false;
    }
    buffer.back() = '\0';
    FilterIndex = static_cast<int>(request.nFilterIndex);
    if ((request.Flags & OFN_READONLY) != 0) {
        Options |= ofReadOnly;
    } else {
        Options &= ~static_cast<TOpenOptions>(ofReadOnly);
    }
    TakeResult(buffer);
    return true;
}

void TOpenDialog::TakeResult(const std::vector<char>& buffer) {
    FFiles.clear();
    const char* p = buffer.data();
    const char* end = buffer.data() + buffer.size();
    std::vector<std::string> parts;
    while (p < end && *p != '\0') {
        const std::size_t length = strnlen(p, static_cast<std::size_t>(end - p));
        parts.emplace_back(p, length);
        p += length + 1;
        if ((Options & ofAllowMultiSelect) == 0) {
            break;
        }
    }
    if (parts.size() <= 1) {
        // One name: the full path.
        FileName = parts.empty() ? std::string() : parts.front();
        if (!FileName.empty()) {
            FFiles.push_back(FileName);
        }
        return;
    }
    // Several names: the folder first, then the names in it.
    std::string folder = parts.front();
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
        FFiles.push_back(folder + parts[i]);
    }
    FileName = FFiles.front();
}

} // namespace sj
