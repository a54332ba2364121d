#include "skin/data/sSkinManager.h"

#include "skin/data/sSkinCore.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "forms/Controls.h"
#include "forms/Dialogs.h"
#include "forms/FormReader.h"
#include "forms/FormResources.h"
#include "forms/Forms.h"
#include "skin/paint/acPNG.h"
#include "skin/paint/sSectionPaint.h"
#include "skin/paint/sSystemFunctions.h"

namespace sj {

const std::array<const char*, ThirdPartyListCount> ThirdPartyPropertyNames = {
    "ThirdEdits",      "ThirdButtons",    "ThirdBitBtns",      "ThirdCheckBoxes",    "ThirdComboBoxes",
    "ThirdGrids",      "ThirdGroupBoxes", "ThirdListViews",    "ThirdPanels",        "ThirdTreeViews",
    "ThirdWWEdits",    "ThirdGridEh",     "ThirdVirtualTrees", "ThirdPageControl",   "ThirdTabControl",
    "ThirdToolBar",    "ThirdStatusBar",  "ThirdSpeedButton",  "ThirdScrollControl", "ThirdUpDown",
    "ThirdWebBrowser", "ThirdScrollBar"};

const std::array<const char*, ThirdPartyListCount> ThirdPartyKindNames = {
    "Edit",      "Button",      "BitBtn",        "CheckBox",  "ComboBox",    "Grid",        "GroupBox",   "ListView",
    "Panel",     "TreeView",    "wwEdit",        "GridEh",    "VirtualTree", "PageControl", "TabControl", "ToolBar",
    "StatusBar", "SpeedButton", "ScrollControl", "UpDownBtn", "WebBrowser",  "ScrollBar"};

bool SkinChangeInProgress = false;

namespace {

TsSkinManager* GPrimaryManager = nullptr;
TsBuiltinBorders GBuiltinBorders;
bool GSkinLayerStarted = false;
bool GAnnouncing = false;

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsNtFamily() {
    // Every system the program runs on is; the check keeps the hook off elsewhere.
    return (::GetVersion() & 0x80000000u) == 0;
}

bool Wow64WithoutComposition() {
    using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
    using TDwmIsCompositionEnabled = HRESULT(WINAPI*)(BOOL*);
    BOOL wow64 = FALSE;
    if (HMODULE kernel = ::GetModuleHandleA("kernel32.dll")) {
        auto isWow64 =
            reinterpret_cast<TIsWow64Process>(reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")));
        if (isWow64 == nullptr || !isWow64(::GetCurrentProcess(), &wow64))
            wow64 = FALSE;
    }
    if (!wow64)
        return false;
    BOOL composition = FALSE;
    if (HMODULE dwm = ::LoadLibraryA("dwmapi.dll")) {
        auto enabled = reinterpret_cast<TDwmIsCompositionEnabled>(
            reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmIsCompositionEnabled")));
        if (enabled == nullptr || FAILED(enabled(&composition)))
            composition = FALSE;
        ::FreeLibrary(dwm);
    }
    return !composition;
}

TsSkinHost WindowsSkinHost(TsSkinManager& manager) {
    TsSkinHost host = TsSkinHost::Defaults();
    host.SysColor = [](int index) { return static_cast<std::uint32_t>(::GetSysColor(index)); };
    host.SystemMetric = [](int metric) { return ::GetSystemMetrics(metric); };
    host.ShowVersionWarning = [&manager](const std::string& text) {
        // The warning box itself must not be skinned as a system dialog.
        const bool hadStdDialogs = (manager.SkinningRules & srStdDialogs) != 0;
        manager.SkinningRules &= ~static_cast<unsigned>(srStdDialogs);
        ShowMessageBox(nullptr, text, "Warning", MB_OK | MB_ICONWARNING);
        if (hadStdDialogs)
            manager.SkinningRules |= srStdDialogs;
    };
    host.ShowOldSkinNotice = [](const std::string& text) {
        ShowMessageBox(nullptr, text, "Information", MB_OK | MB_ICONINFORMATION);
    };
    host.OldSkinNoticeWanted = [&manager] { return manager.HasState(csDesigning) || HasCommandLineSwitch("/actest"); };
    return host;
}

std::string ExecutableFolder() {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

LRESULT SendSkinCommand(HWND window, WORD command, LPARAM lParam) {
    return ::SendMessageA(window, SkinCommandMessage, SkinCommand(command), lParam);
}

bool AnswersSkinned(HWND window) {
    return SendSkinCommand(window, scIsSkinned, 0) == 1;
}

void SendToControl(TControl& control, WORD command, LPARAM lParam) {
    auto* windowed = dynamic_cast<TWinControl*>(&control);
    if (windowed != nullptr && windowed->HandleAllocated())
        SendSkinCommand(windowed->Handle(), command, lParam);
    else
        control.Perform(SkinCommandMessage, SkinCommand(command), lParam);
}

// A skinned windowed child passes the command on to its own children; the
// children of an unskinned one are reached past it.
void PassToControls(TWinControl& parent, WORD command, LPARAM lParam) {
    for (int i = 0; i < parent.ControlCount(); ++i) {
        TControl* child = parent.Controls(i);
        if (child->HasState(csDestroying))
            return;
        auto* windowed = dynamic_cast<TWinControl*>(child);
        if (windowed == nullptr || !windowed->HandleAllocated()) {
            child->Perform(SkinCommandMessage, SkinCommand(command), lParam);
        } else if (AnswersSkinned(windowed->Handle())) {
            SendSkinCommand(windowed->Handle(), command, lParam);
        } else {
            PassToControls(*windowed, command, lParam);
        }
    }
}

void SendToFormAndControls(TCustomForm& form, WORD command, LPARAM lParam) {
    SendToControl(form, command, lParam);
    PassToControls(form, command, lParam);
}

TacSkinMenusFactory& SkinMenusFactory() {
    // Never destroyed, like the other process-wide hooks of this unit.
    static auto& factory = *new TacSkinMenusFactory();
    return factory;
}

TacSkinChangeSteps& SkinChangeSteps() {
    static auto& steps = *new TacSkinChangeSteps();
    return steps;
}

TacMinimizeSteps& MinimizeSteps() {
    static auto& steps = *new TacMinimizeSteps();
    return steps;
}

std::vector<TCustomForm*>& HookedFormList() {
    // Never destroyed: windows and objects torn down at exit (after the C++ runtime has
    // begun destroying statics) still look it up.
    static auto& forms = *new std::vector<TCustomForm*>();
    return forms;
}

TacWindowHookHandlers& WindowHookHandlers() {
    // Never destroyed, like the other process-wide hooks of this unit.
    static auto& handlers = *new TacWindowHookHandlers();
    return handlers;
}

} // namespace

void SetWindowHookHandlers(TacWindowHookHandlers handlers) {
    WindowHookHandlers() = std::move(handlers);
}

void TsSkinManager::InstallWindowHook() {
    if (FWindowHookSet || GPrimaryManager != this || Designing() || !WindowHookHandlers().Install)
        return;
    FWindowHookSet = true;
    WindowHookHandlers().Install(*this);
}

void TsSkinManager::RemoveWindowHook() {
    if (!FWindowHookSet)
        return;
    FWindowHookSet = false;
    if (WindowHookHandlers().Remove)
        WindowHookHandlers().Remove();
}

void SetSkinMenusFactory(TacSkinMenusFactory factory) {
    SkinMenusFactory() = std::move(factory);
}

void PassSkinCommandToChildren(TWinControl& parent, WORD command, LPARAM lParam) {
    PassToControls(parent, command, lParam);
}

TsSkinManager* PrimaryManager() {
    return GPrimaryManager;
}

THoverQuery& SkinDataHoveredQuery() {
    // Never destroyed: windows and objects torn down at exit (after the C++ runtime has
    // begun destroying statics) still look it up.
    static auto& query = *new THoverQuery();
    return query;
}

void RegisterHookedForm(TCustomForm* form) {
    auto& forms = HookedFormList();
    if (std::find(forms.begin(), forms.end(), form) == forms.end())
        forms.push_back(form);
}

void UnregisterHookedForm(TCustomForm* form) {
    auto& forms = HookedFormList();
    forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
}

std::vector<TCustomForm*> HookedForms() {
    return HookedFormList();
}

void SetSkinChangeSteps(TacSkinChangeSteps steps) {
    SkinChangeSteps() = std::move(steps);
}

void SetMinimizeSteps(TacMinimizeSteps steps) {
    MinimizeSteps() = std::move(steps);
}

bool HasCommandLineSwitch(const std::string& lowerSwitch) {
    for (int i = 1; i < __argc; ++i) {
        if (__argv != nullptr && __argv[i] != nullptr && Lower(__argv[i]) == lowerSwitch)
            return true;
    }
    return false;
}

bool PreviewModeRequested() {
    return __argc > 1 && __argv != nullptr && Lower(__argv[1]) == "/acpreview";
}

void InitSkinLayer() {
    if (GSkinLayerStarted)
        return;
    GSkinLayerStarted = true;
    InitSystemFunctions();
    TsSkinHost colors = TsSkinHost::Defaults();
    colors.SysColor = [](int index) { return static_cast<std::uint32_t>(::GetSysColor(index)); };
    SetPaintSkinHost(colors);
    try {
        if (HasDataResource("ACSHDA"))
            GBuiltinBorders.Active = DecodePng(LoadDataResource("ACSHDA"));
        if (HasDataResource("ACSHDI"))
            GBuiltinBorders.Inactive = DecodePng(LoadDataResource("ACSHDI"));
    } catch (const std::exception&) {
        // A damaged built-in image only costs the shadow, never the program.
        GBuiltinBorders = TsBuiltinBorders();
    }
    if (HasCommandLineSwitch("/acver"))
        ShowMessageBox(nullptr, std::string("Skin components v") + sSkinComponentsVersion, DefaultMessageCaption(),
                       MB_OK | MB_ICONINFORMATION);
}

const TsBuiltinBorders& BuiltinBorderImages() {
    return GBuiltinBorders;
}

std::string ThirdPartyDefault(int index) {
    return index == 1 ? "TButton" : " ";
}

bool TacSkinEffects::AllowGlowing() const {
    return StoredAllowGlowing && LayeredWindowsAvailable() && !Wow64WithoutComposition();
}

// ---------------------------------------------------------------------------

TsSkinManager::TsSkinManager(TComponent* owner)
    : TComponent(owner), FCore(std::make_unique<TsSkinCore>(TsSkinHost::Defaults())) {
    InitSkinLayer();
    FCore->Host = WindowsSkinHost(*this);
    FCore->ExeFolder = ExecutableFolder();
    FCore->BuiltinBorders = GBuiltinBorders;
    FCore->InternalSkins.OnSkinListChanged = [this] { Fire(OnSkinListChanged); };
    if (GPrimaryManager == nullptr) {
        GPrimaryManager = this;
        if (IsNtFamily() && Application != nullptr)
            FMainHookId = Application->HookMainWindow([this](TMessage& message) { return MainWindowHook(message); });
    }
    if (SkinMenusFactory())
        FSkinableMenus = SkinMenusFactory()(*this);
    // After construction.
    InitThirdParty(false);
    if (FCore->SkinDirectory().empty())
        FCore->SetSkinDirectory("c:\\Skins");
}

TsSkinManager::~TsSkinManager() {
    Destroying();
    if (FCore->Active() && FCore->SkinLoaded())
        UnloadSkin();
    RemoveWindowHook();
    FSkinableMenus.reset();
    FCore->SetActive(false);
    FCore->InternalSkins.OnSkinListChanged = nullptr;
    if (FMainHookId != 0 && Application != nullptr)
        Application->UnhookMainWindow(FMainHookId);
    if (GPrimaryManager == this)
        GPrimaryManager = nullptr;
    StoreThirdParty();
}

bool TsSkinManager::Active() const {
    return FCore->Active();
}
const std::vector<std::string>& TsSkinManager::CommonSections() const {
    return FCore->CommonSections();
}
int TsSkinManager::Saturation() const {
    return FCore->Saturation;
}
int TsSkinManager::HueOffset() const {
    return FCore->HueOffset;
}
TsStoredSkins& TsSkinManager::InternalSkins() {
    return FCore->InternalSkins;
}
const std::string& TsSkinManager::SkinDirectory() const {
    return FCore->SkinDirectory();
}
const std::string& TsSkinManager::SkinName() const {
    return FCore->SkinName();
}
std::string TsSkinManager::SkinInfo() const {
    return FCore->SkinInfo();
}
std::string TsSkinManager::Version() {
    return sSkinComponentsVersion;
}
const TsSkinModel& TsSkinManager::Model() const {
    return FCore->Model();
}
TsSkinData& TsSkinManager::SkinGlobals() {
    return FCore->SkinGlobals();
}
bool TsSkinManager::FromPackage() const {
    return FCore->FromPackage();
}
std::int32_t TsSkinManager::SkinBackColor() const {
    return FCore->SkinBackColor();
}
std::int32_t TsSkinManager::SkinTextColor() const {
    return FCore->SkinTextColor();
}
std::int32_t TsSkinManager::FocusedEditColor() const {
    return FCore->FocusedEditColor();
}
std::int32_t TsSkinManager::EditTextColor() const {
    return FCore->EditTextColor();
}
std::int32_t TsSkinManager::SelectionColor(bool focused) const {
    return FCore->SelectionColor(focused);
}
std::int32_t TsSkinManager::SelectionTextColor(bool focused) const {
    return FCore->SelectionTextColor(focused);
}
std::string TsSkinManager::ListSkins(std::vector<std::string>& list, int kinds) const {
    return FCore->ListSkins(list, kinds);
}
std::string TsSkinManager::ResolvedSkinFolder() const {
    return FCore->ResolvedSkinFolder();
}

void TsSkinManager::Fire(const TacSkinEvent& event) {
    if (event)
        event(this);
}

void TsSkinManager::Loaded() {
    TComponent::Loaded();
    if (FCore->SkinDirectory().empty())
        FCore->SetSkinDirectory("c:\\Skins");
    if (MenuSupport.IcoLineSkin.empty())
        MenuSupport.IcoLineSkin = "ICOLINE";
    InitThirdParty(false);
    if (FCore->Active() && !FCore->SkinName().empty())
        BroadcastNewSkin(false);
    if (FCore->Active() && !Designing())
        Fire(OnActivate);
}

void TsSkinManager::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    // A hot button that goes away must not be told anything later.
    if (operation == TOperation::opRemove && component != nullptr && component == FHotButton)
        FHotButton = nullptr;
}

void TsSkinManager::PrepareCore() {
    FCore->ExtendedBordersUsable = ExtBordersUsable();
    FCore->BuiltinBorders = GBuiltinBorders;
}

void TsSkinManager::ShowLoadError(const std::string& message) const {
    ShowMessageBox(nullptr, message, "Error", MB_OK | MB_ICONERROR);
}

// ---- properties ------------------------------------------------------------

void TsSkinManager::SetSkinName(const std::string& value) {
    if (!FCore->Active()) {
        FCore->SetSkinNameOnly(value);
        return;
    }
    ChangeSkin(value);
}

void TsSkinManager::ChangeSkin(const std::string& name) {
    const std::string oldName = FCore->SkinName();
    FCore->SetSkinNameOnly(name);
    Fire(OnBeforeChange);
    const bool captured = ExtBordersUsable() && !FDeferBroadcast && AnimEffects.SkinChanging.Active && !Reading() &&
                          !Designing() && SkinChangeSteps().Capture;
    if (captured)
        SkinChangeSteps().Capture(*this);
    SkinChangeInProgress = true;
    SkinGlobals().Ready = false;
    PrepareCore();
    // The core restores what it had when the load fails; the name it had then is
    // the new one, so the old one comes back here.
    if (auto error = FCore->ChangeSkin(name)) {
        FCore->SetSkinNameOnly(oldName);
        SkinChangeInProgress = false;
        ShowLoadError(*error);
        if (FCore->SkinLoaded())
            SkinGlobals().Ready = true;
    }
    if (FCore->Active()) {
        if (!FDeferBroadcast)
            BroadcastNewSkin(true);
        if (!Designing() && !Reading())
            Fire(OnActivate);
    } else {
        UnloadSkin();
        if (!Designing() && !Reading())
            Fire(OnActivate);
    }
    SkinChangeInProgress = false;
    // A change that announced nothing (the skin went away) leaves no form captured.
    if (captured && SkinChangeSteps().Unfreeze)
        SkinChangeSteps().Unfreeze(*this, false);
    Fire(OnAfterChange);
}

void TsSkinManager::ReloadForNewSettings() {
    SkinChangeInProgress = true;
    PrepareCore();
    if (auto error = FCore->ReloadSkin())
        ShowLoadError(*error);
    // The reloaded model is as ready as the skin it holds.
    SkinGlobals().Ready = FCore->SkinLoaded();
    SkinChangeInProgress = false;
}

void TsSkinManager::SetActive(bool value) {
    if (value == FCore->Active())
        return;
    FCore->SetActive(value);
    if (value) {
        SetSkinName(FCore->SkinName());
        return;
    }
    if (!Reading())
        UnloadSkin();
    CacheStandardIndexes(FCore->Model(), false, GBuiltinBorders);
    if (!Designing())
        Fire(OnDeactivate);
}

void TsSkinManager::SetSkinDirectory(const std::string& value) {
    if (value == FCore->SkinDirectory())
        return;
    FCore->SetSkinDirectory(value);
    SkinGlobals().SkinFolder = FCore->ResolvedSkinFolder();
    Fire(OnSkinListChanged);
}

void TsSkinManager::SetHueOffset(int value) {
    if (value == FCore->HueOffset)
        return;
    FCore->HueOffset = value;
    if (!FCore->Active() || Reading())
        return;
    ReloadForNewSettings();
    if (!FDeferBroadcast)
        BroadcastRefresh(true);
}

void TsSkinManager::SetSaturation(int value) {
    if (value == FCore->Saturation)
        return;
    FCore->Saturation = value;
    if (!FCore->Active() || Reading())
        return;
    ReloadForNewSettings();
    if (!FDeferBroadcast)
        BroadcastRefresh(true);
}

bool TsSkinManager::ExtBordersUsable() const {
    return FStoredExtendedBorders && LayeredWindowsAvailable();
}

void TsSkinManager::SetExtendedBorders(bool value) {
    if (value == FStoredExtendedBorders)
        return;
    FStoredExtendedBorders = value;
    if (!SkinGlobals().Ready)
        return;
    SkinChangeInProgress = true;
    PrepareCore();
    FCore->PrepareExtBorderImages();
    if (auto error = FCore->ReloadSkin())
        ShowLoadError(*error);
    // The reloaded model is as ready as the skin it holds: without it the window hook
    // skins no dialog after the switch.
    SkinGlobals().Ready = FCore->SkinLoaded();
    SkinChangeInProgress = false;
    if (!Reading() && !Designing())
        BroadcastRefresh(true);
}

void TsSkinManager::SetSkinnedPopups(bool value) {
    if (value == FSkinnedPopups)
        return;
    FSkinnedPopups = value;
    // The menus follow at run time; stored state is followed by the announcement.
    if (FSkinableMenus && GPrimaryManager == this && !Reading() && !Designing())
        FSkinableMenus->HookMenus(FCore->Active() && SkinGlobals().Ready);
}

bool TsSkinManager::IsDefault() const {
    return GPrimaryManager == this;
}

void TsSkinManager::SetIsDefault(bool value) {
    if (value || GPrimaryManager == nullptr) {
        GPrimaryManager = this;
        FStoredIsDefault = true;
        if (FCore->Active())
            BroadcastNewSkin(true);
        else
            UnloadSkin();
        return;
    }
    FStoredIsDefault = GPrimaryManager == this;
}

void TsSkinManager::SetCommonSections(const std::vector<std::string>& lines) {
    std::vector<std::string> cleaned;
    cleaned.reserve(lines.size());
    for (std::string line : lines) {
        if (line.empty() || line.front() != ';')
            line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
        cleaned.push_back(std::move(line));
    }
    FCore->SetCommonSections(cleaned);
    SetSkinName(FCore->SkinName());
}

// ---- announcements -----------------------------------------------------------

void TsSkinManager::BroadcastNewSkin(bool lockForms) {
    if (Reading())
        return;
    // (Glow windows are removed here once those exist.)
    if (lockForms)
        FreezeForms();
    if (FSkinableMenus)
        FSkinableMenus->ForgetSkinValues();
    SkinGlobals().Ready = false;
    GAnnouncing = true;
    CacheStandardIndexes(FCore->Model(), ExtBordersUsable(), GBuiltinBorders);
    BroadcastToForms(scNewSkin, reinterpret_cast<LPARAM>(this));
    GAnnouncing = false;
    SkinGlobals().Ready = FCore->SkinLoaded();
    if (FSkinableMenus && GPrimaryManager == this)
        FSkinableMenus->HookMenus(FCore->Active() && SkinGlobals().Ready);
    if (GPrimaryManager == this && SkinGlobals().Ready)
        InstallWindowHook();
    if (lockForms)
        BroadcastRefresh(false);
}

void TsSkinManager::UnloadSkin() {
    FUnloading = true;
    if (FSkinableMenus && GPrimaryManager == this)
        FSkinableMenus->HookMenus(false);
    RemoveWindowHook();
    SkinGlobals().Ready = false;
    BroadcastToForms(scRemoveSkin, reinterpret_cast<LPARAM>(this));
    FCore->UnloadSkin();
    FUnloading = false;
}

void TsSkinManager::BroadcastRefresh(bool lockForms) {
    if (!Designing())
        BroadcastToForms(scBeforeRefresh, reinterpret_cast<LPARAM>(this));
    if (lockForms)
        FreezeForms();
    BroadcastToForms(scRefresh, reinterpret_cast<LPARAM>(this));
    UnfreezeForms();
}

// The visible top-level forms keep their old look on screen while the controls take the
// new skin: without it every control would paint at each announcement, and the form
// once more at the end.
void TsSkinManager::FreezeForms() {
    if (Designing())
        return;
    if (SkinChangeSteps().Freeze) {
        SkinChangeSteps().Freeze(*this);
        return;
    }
    auto freeze = [this](TCustomForm* form) {
        if (form == nullptr || form->HasState(csDestroying) || !form->HandleAllocated())
            return;
        HWND window = form->Handle();
        if (!::IsWindowVisible(window) || ::IsIconic(window) || ::GetParent(window) != nullptr ||
            std::find(FFrozenForms.begin(), FFrozenForms.end(), window) != FFrozenForms.end())
            return;
        FFrozenForms.push_back(window);
        ::SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    };
    if (Application != nullptr)
        for (int i = 0; i < Application->ComponentCount(); ++i)
            freeze(dynamic_cast<TCustomForm*>(Application->Components(i)));
    std::vector<TCustomForm*> hooked = HookedFormList();
    for (TCustomForm* form : hooked)
        freeze(form);
}

// Redraw on again, and each frozen form repaints once, frame and children included.
void TsSkinManager::UnfreezeForms() {
    if (SkinChangeSteps().Unfreeze) {
        SkinChangeSteps().Unfreeze(*this, !Designing());
        return;
    }
    std::vector<HWND> frozen;
    frozen.swap(FFrozenForms);
    for (HWND window : frozen) {
        if (!::IsWindow(window))
            continue;
        ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
        if (!::IsIconic(window))
            ::RedrawWindow(window, nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void TsSkinManager::BroadcastToForms(WORD command, LPARAM lParam) {
    if (Application != nullptr) {
        for (int i = Application->ComponentCount() - 1; i >= 0; --i) {
            auto* form = dynamic_cast<TCustomForm*>(Application->Components(i));
            if (form == nullptr || form->HasState(csDestroying) || form->HasState(csLoading))
                continue;
            if (form->HandleAllocated() && AnswersSkinned(form->Handle()))
                continue; // its skin provider registered it and hears below
            SendToFormAndControls(*form, command, lParam);
        }
    }
    std::vector<TCustomForm*> hooked = HookedFormList();
    for (TCustomForm* form : hooked) {
        if (!form->HasState(csDestroying))
            SendToFormAndControls(*form, command, lParam);
    }
    if (WindowHookHandlers().Broadcast)
        WindowHookHandlers().Broadcast(command, lParam);
}

// ---- hot controls ------------------------------------------------------------

void TsSkinManager::TrackHotWindow(HWND window) {
    if (window == FHotWindow)
        return;
    if (FHotWindow != nullptr && FHotButton != nullptr) {
        TrackHotButton(nullptr);
        if (FHotButton != nullptr)
            return;
    }
    HWND previous = FHotWindow;
    FHotWindow = window;
    if (previous != nullptr && ::IsWindow(previous))
        SendSkinCommand(previous, scHotLeave, reinterpret_cast<LPARAM>(this));
    if (window != nullptr)
        SendSkinCommand(window, scHotEnter, reinterpret_cast<LPARAM>(this));
}

void TsSkinManager::TrackHotButton(TControl* button) {
    if (button == FHotButton)
        return;
    if (button == nullptr && FHotButton != nullptr) {
        LRESULT data = FHotButton->Perform(SkinCommandMessage, SkinCommand(scQuerySkinData), 0);
        if (data != 0 && SkinDataHoveredQuery() && SkinDataHoveredQuery()(data))
            return; // the mouse is still over it
    }
    TControl* previous = FHotButton;
    FHotButton = button;
    if (button != nullptr) {
        button->FreeNotification(this);
        TrackHotWindow(nullptr);
    }
    if (previous != nullptr)
        previous->Perform(SkinCommandMessage, SkinCommand(scHotLeave), reinterpret_cast<LPARAM>(this));
}

// ---- class lists -------------------------------------------------------------

void TsSkinManager::InitThirdParty(bool reset) {
    for (int i = 0; i < ThirdPartyListCount; ++i) {
        auto index = static_cast<std::size_t>(i);
        if (reset || ThirdParty[index].empty())
            ThirdParty[index] = ThirdPartyDefault(i);
        AdapterClassLists[index] = SplitLines(ThirdParty[index]);
    }
}

void TsSkinManager::StoreThirdParty() {
    for (std::size_t i = 0; i < ThirdParty.size(); ++i)
        ThirdParty[i] = JoinLines(AdapterClassLists[i]);
}

// ---- live skin ---------------------------------------------------------------

LRESULT TsSkinManager::ApplyLiveSkin(WPARAM wParam, const COPYDATASTRUCT* data) {
    if (wParam != LiveSkinCopyDataKind || data == nullptr || data->lpData == nullptr)
        return 0;
    auto record = ParseLiveSkinRecord(
        std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data->lpData), data->cbData));
    if (!record)
        return 0;
    FCore->LiveSkinMode = true;
    FDeferBroadcast = true;
    FCore->SetLiveSkinText(record->Text);
    SetSkinDirectory(record->SkinDirectory);
    SetSkinName(record->SkinName);
    FDeferBroadcast = false;
    if (FCore->Active()) {
        const bool animate = AnimEffects.SkinChanging.Active;
        AnimEffects.SkinChanging.Active = false;
        BroadcastNewSkin(true);
        AnimEffects.SkinChanging.Active = animate;
    }
    FCore->SetLiveSkinText(std::nullopt);
    return 1;
}

// ---- application window --------------------------------------------------------

bool TsSkinManager::MainWindowHook(TMessage& message) {
    switch (message.Msg) {
    case WM_SYSCOMMAND:
        if (SkinGlobals().Ready) {
            const WPARAM command = message.WParam & 0xFFF0;
            FMinimizeState = command == SC_MINIMIZE ? 2 : command == SC_RESTORE ? 1 : 0;
            const bool animate = AnimEffects.Minimizing.Active;
            if (command == SC_MINIMIZE && animate && MinimizeSteps().Minimize)
                MinimizeSteps().Minimize(*this);
            else if (command == SC_RESTORE && animate && MinimizeSteps().Restore && MinimizeSteps().Restore(*this))
                return true;
        }
        return false;
    case WM_THEMECHANGED:
        return true;
    case WM_AC_REPAINTFORMS:
        if (Screen != nullptr) {
            for (int i = Screen->FormCount() - 1; i >= 0; --i)
                SendToControl(*Screen->Forms(i), scRepaintForm, 0);
        }
        return true;
    case WM_AC_SHAPEMENUITEM:
    case WM_AC_SHAPEMENUWINDOW:
        if (FSkinnedPopups && FSkinableMenus)
            FSkinableMenus->ShapeDeferredPopup(message.Msg, message.LParam);
        return true;
    default:
        return false;
    }
}

// ---- stored properties -----------------------------------------------------------

namespace {

using TManagerSetter = std::function<void(TsSkinManager&, const TPropValue&, TReadContext&)>;

void Property(const std::string& name, std::function<void(TsSkinManager&, const TPropValue&)> apply) {
    RegisterProperty<TsSkinManager>(
        name, TManagerSetter([apply = std::move(apply)](TsSkinManager& manager, const TPropValue& value,
                                                        TReadContext&) { apply(manager, value); }));
}

TacAnimType AnimTypeOf(const TPropValue& value) {
    return AsEnum<TacAnimType>(value, {{"atFading", TacAnimType::atFading},
                                       {"atAero", TacAnimType::atAero},
                                       {"atDropDown", TacAnimType::atDropDown}});
}

WORD WordOf(const TPropValue& value) {
    std::int64_t number = AsInteger(value);
    if (number < 0 || number > 0xFFFF)
        throw EReadError("Invalid property value");
    return static_cast<WORD>(number);
}

void RegisterAnimation(const std::string& name, TacFormAnimation TacAnimEffects::*member, bool withMode) {
    const std::string prefix = "AnimEffects." + name + ".";
    Property(prefix + "Active",
             [member](TsSkinManager& m, const TPropValue& v) { (m.AnimEffects.*member).Active = AsBoolean(v); });
    Property(prefix + "Time",
             [member](TsSkinManager& m, const TPropValue& v) { (m.AnimEffects.*member).Time = WordOf(v); });
    if (withMode) {
        Property(prefix + "Mode",
                 [member](TsSkinManager& m, const TPropValue& v) { (m.AnimEffects.*member).Mode = AnimTypeOf(v); });
    }
}

// A class list is stored as one string or as a list of lines.
std::string LinesText(const TPropValue& value) {
    if (value.kind == TValueKind::vaString)
        return value.text;
    return JoinLines(AsStrings(value));
}

TsStoredSkin ReadStoredSkin(const std::vector<TPropEntry>& entries) {
    TsStoredSkin item;
    for (const TPropEntry& entry : entries) {
        const std::string& n = entry.name;
        const TPropValue& v = entry.value;
        if (n == "Name")
            item.Name = AsString(v);
        else if (n == "Shadow1Color")
            item.Shadow1Color = AsColor(v);
        else if (n == "Shadow1Offset")
            item.Shadow1Offset = AsInt(v);
        else if (n == "Shadow1Blur")
            item.Shadow1Blur = AsInt(v);
        else if (n == "Shadow1Transparency")
            item.Shadow1Transparency = AsInt(v);
        else if (n == "BorderColor")
            item.BorderColor = AsColor(v);
        else if (n == "Version")
            item.Version = AsReal(v);
        else if (n == "Author")
            item.Author = AsString(v);
        else if (n == "Description")
            item.Description = AsString(v);
        else if (n == "Data")
            item.DataStream = AsBinary(v);
        else if (n == "MasterBitmap.Data" || n == "MasterBitmap")
            (void)AsBinary(v); // descriptive only; the skin's own master image is what paints
        else
            throw EReadError("Property " + n + " does not exist");
    }
    return item;
}

} // namespace

void RegisterSkinManagerClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterComponentClass<TsSkinManager>();

    Property("Effects.AllowGlowing",
             [](TsSkinManager& m, const TPropValue& v) { m.Effects.StoredAllowGlowing = AsBoolean(v); });
    Property("Effects.AllowAeroBluring",
             [](TsSkinManager& m, const TPropValue& v) { m.Effects.AllowAeroBluring = AsBoolean(v); });
    Property("ExtendedBorders", [](TsSkinManager& m, const TPropValue& v) { m.SetExtendedBorders(AsBoolean(v)); });
    Property("SkinnedPopups", [](TsSkinManager& m, const TPropValue& v) { m.SetSkinnedPopups(AsBoolean(v)); });

    Property("AnimEffects.BlendOnMoving.Active",
             [](TsSkinManager& m, const TPropValue& v) { m.AnimEffects.BlendOnMoving.Active = AsBoolean(v); });
    Property("AnimEffects.BlendOnMoving.BlendValue", [](TsSkinManager& m, const TPropValue& v) {
        std::int64_t number = AsInteger(v);
        if (number < 0 || number > 255)
            throw EReadError("Invalid property value");
        m.AnimEffects.BlendOnMoving.BlendValue = static_cast<BYTE>(number);
    });
    Property("AnimEffects.BlendOnMoving.Time",
             [](TsSkinManager& m, const TPropValue& v) { m.AnimEffects.BlendOnMoving.Time = WordOf(v); });
    Property("AnimEffects.Buttons.Events", [](TsSkinManager& m, const TPropValue& v) {
        m.AnimEffects.ButtonEvents = AsSetOf<TacBtnEvent>(v, {{"beMouseEnter", beMouseEnter},
                                                              {"beMouseLeave", beMouseLeave},
                                                              {"beMouseDown", beMouseDown},
                                                              {"beMouseUp", beMouseUp}});
    });
    RegisterAnimation("DialogShow", &TacAnimEffects::DialogShow, true);
    RegisterAnimation("FormShow", &TacAnimEffects::FormShow, true);
    RegisterAnimation("FormHide", &TacAnimEffects::FormHide, true);
    RegisterAnimation("DialogHide", &TacAnimEffects::DialogHide, true);
    RegisterAnimation("Minimizing", &TacAnimEffects::Minimizing, false);
    RegisterAnimation("PageChange", &TacAnimEffects::PageChange, false);
    RegisterAnimation("SkinChanging", &TacAnimEffects::SkinChanging, true);

    Property("IsDefault", [](TsSkinManager& m, const TPropValue& v) { m.SetIsDefault(AsBoolean(v)); });
    Property("Active", [](TsSkinManager& m, const TPropValue& v) { m.SetActive(AsBoolean(v)); });
    Property("CommonSections",
             [](TsSkinManager& m, const TPropValue& v) { m.SetCommonSections(SplitLines(LinesText(v))); });
    Property("CommonSections.Strings",
             [](TsSkinManager& m, const TPropValue& v) { m.SetCommonSections(SplitLines(LinesText(v))); });
    Property("Saturation", [](TsSkinManager& m, const TPropValue& v) { m.SetSaturation(AsInt(v)); });
    Property("HueOffset", [](TsSkinManager& m, const TPropValue& v) { m.SetHueOffset(AsInt(v)); });
    Property("InternalSkins", [](TsSkinManager& m, const TPropValue& v) {
        if (v.kind != TValueKind::vaCollection)
            throw EReadError("Invalid property value");
        for (const auto& entries : v.items)
            m.InternalSkins().Add(ReadStoredSkin(entries));
    });
    Property("MenuSupport.IcoLineSkin",
             [](TsSkinManager& m, const TPropValue& v) { m.MenuSupport.IcoLineSkin = AsString(v); });
    Property("MenuSupport.AlphaBlend", [](TsSkinManager& m, const TPropValue& v) {
        std::int64_t number = AsInteger(v);
        if (number < 0 || number > 255)
            throw EReadError("Invalid property value");
        m.MenuSupport.AlphaBlend = static_cast<BYTE>(number);
    });
    Property("MenuSupport.ExtraLineWidth",
             [](TsSkinManager& m, const TPropValue& v) { m.MenuSupport.ExtraLineWidth = AsInt(v); });
    Property("MenuSupport.UseExtraLine",
             [](TsSkinManager& m, const TPropValue& v) { m.MenuSupport.UseExtraLine = AsBoolean(v); });
    Property("MenuSupport.ExtraLineFont.Name",
             [](TsSkinManager& m, const TPropValue& v) { m.MenuSupport.ExtraLineFont = AsString(v); });
    Property("SkinDirectory", [](TsSkinManager& m, const TPropValue& v) { m.SetSkinDirectory(AsString(v)); });
    Property("SkinName", [](TsSkinManager& m, const TPropValue& v) { m.SetSkinName(AsString(v)); });
    // Read-only values: what is stored is the value seen when the form was saved.
    Property("SkinInfo", [](TsSkinManager&, const TPropValue& v) { (void)AsString(v); });
    Property("Version", [](TsSkinManager&, const TPropValue& v) { (void)AsString(v); });
    Property("SkinningRules", [](TsSkinManager& m, const TPropValue& v) {
        m.SkinningRules = AsSetOf<TacSkinningRule>(
            v, {{"srStdForms", srStdForms}, {"srStdDialogs", srStdDialogs}, {"srThirdParty", srThirdParty}});
    });
    for (std::size_t i = 0; i < ThirdPartyPropertyNames.size(); ++i) {
        const std::string name = std::string("ThirdParty.") + ThirdPartyPropertyNames[i];
        auto apply = [i](TsSkinManager& m, const TPropValue& v) { m.ThirdParty[i] = LinesText(v); };
        Property(name, apply);
        Property(name + ".Strings", apply);
    }

    const std::pair<const char*, TacSkinEvent TsSkinManager::*> events[] = {
        {"OnActivate", &TsSkinManager::OnActivate},
        {"OnAfterChange", &TsSkinManager::OnAfterChange},
        {"OnBeforeChange", &TsSkinManager::OnBeforeChange},
        {"OnDeactivate", &TsSkinManager::OnDeactivate},
        {"OnSkinListChanged", &TsSkinManager::OnSkinListChanged}};
    for (const auto& [name, field] : events) {
        RegisterProperty<TsSkinManager>(
            name, TManagerSetter([field](TsSkinManager& m, const TPropValue& v, TReadContext& context) {
                m.*field = context.Event<TacSkinEvent>(v);
            }));
    }
}

} // namespace sj
