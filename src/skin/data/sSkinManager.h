// The skin manager component: owns the active skin (through the portable skin
// core), keeps the settings the painters, providers and adapters read, and tells
// every form and control of the application about a new, changed or removed skin
// with the skin command message. A load error never escapes a skin change: the
// previous skin and name stay and the error is shown in a box captioned "Error".
// Windows only.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "forms/Classes.h"
#include "forms/Messages.h"
#include "skin/data/acSkinPack.h"
#include "skin/data/sSkinImages.h"

namespace sj {

class TControl;
class TWinControl;
class TCustomForm;
class TMenu;
class TsSkinCore;

// The skin command message: command code in the high word of wParam.
inline constexpr UINT SkinCommandMessage = 0xA100;
inline constexpr WORD scNewSkin = 1;
inline constexpr WORD scRemoveSkin = 2;
inline constexpr WORD scRefresh = 3;
inline constexpr WORD scIsSkinned = 7;
inline constexpr WORD scBeforeRefresh = 16; // sent ahead of scRefresh at run time
inline constexpr WORD scRepaintForm = 18;   // the main-window hook's nudge to every form
inline constexpr WORD scHotEnter = 29;
inline constexpr WORD scHotLeave = 30;
inline constexpr WORD scQuerySkinData = 37;
constexpr WPARAM SkinCommand(WORD code, WORD low = 0) {
    return MAKEWPARAM(low, code);
}
constexpr WORD SkinCommandCode(WPARAM wParam) {
    return HIWORD(wParam);
}

// Private messages of the skin layer on the application window.
inline constexpr UINT WM_AC_REPAINTFORMS = 0xB000;
inline constexpr UINT WM_AC_SHAPEMENUITEM = 0xBCB3;
inline constexpr UINT WM_AC_SHAPEMENUWINDOW = 0xBCB4;
inline constexpr WPARAM LiveSkinCopyDataKind = 7;

struct TacSkinEffects {
    bool StoredAllowGlowing = true;
    bool AllowAeroBluring = true;
    // Glow needs layered windows, and a 32-bit process on 64-bit Windows only glows
    // with desktop composition on.
    bool AllowGlowing() const;
};

enum class TacAnimType { atFading, atAero, atDropDown };

struct TacFormAnimation {
    bool Active = true;
    WORD Time = 0;
    TacAnimType Mode = TacAnimType::atAero;
};

struct TacBlendOnMoving {
    bool Active = false;
    BYTE BlendValue = 170;
    WORD Time = 1000;
};

enum TacBtnEvent : unsigned { beMouseEnter = 1, beMouseLeave = 2, beMouseDown = 4, beMouseUp = 8 };

struct TacAnimEffects {
    TacBlendOnMoving BlendOnMoving;
    unsigned ButtonEvents = beMouseEnter | beMouseLeave | beMouseDown | beMouseUp;
    TacFormAnimation DialogShow;
    TacFormAnimation FormShow;
    TacFormAnimation FormHide;
    TacFormAnimation DialogHide;
    TacFormAnimation Minimizing{true, 200, TacAnimType::atAero};
    TacFormAnimation PageChange;
    TacFormAnimation SkinChanging{true, 100, TacAnimType::atFading};
};

struct TacMenuSupport {
    BYTE AlphaBlend = 255;
    std::string IcoLineSkin;
    bool UseExtraLine = false;
    int ExtraLineWidth = 32;
    std::string ExtraLineFont;
};

class TsSkinManager;

// What the manager asks of its skinned-menu painter. The painter lives in a library
// above this one, so the program's start-up installs a factory (SetSkinMenusFactory)
// and every manager made afterwards owns one painter.
class TacSkinMenusLink {
public:
    virtual ~TacSkinMenusLink() = default;
    // Hooks (true) or unhooks every menu of the application.
    virtual void HookMenus(bool active) = 0;
    // A new skin is being announced: values cached from the old one are stale.
    virtual void ForgetSkinValues() = 0;
    // The deferred popup-shaping messages WM_AC_SHAPEMENUITEM and WM_AC_SHAPEMENUWINDOW.
    virtual void ShapeDeferredPopup(UINT message, LPARAM lParam) = 0;
    // Hooks (true) or unhooks one pop-up menu, as a control is about to open it.
    virtual void HookPopupMenu(TMenu* menu, bool active) = 0;
};
using TacSkinMenusFactory = std::function<std::unique_ptr<TacSkinMenusLink>(TsSkinManager& manager)>;
void SetSkinMenusFactory(TacSkinMenusFactory factory);

// The skin-change animation lives in a library above this one: the frame layer hands
// its steps in at start-up. Capture keeps a picture of each visible skinned form before
// a new skin loads, Freeze keeps the forms showing their old look while the controls
// take the new skin, Unfreeze lets them draw again (with the change animation when
// animate is set). Without them the forms only stop redrawing meanwhile.
struct TacSkinChangeSteps {
    std::function<void(TsSkinManager& manager)> Capture;
    std::function<void(TsSkinManager& manager)> Freeze;
    std::function<void(TsSkinManager& manager, bool animate)> Unfreeze;
};
void SetSkinChangeSteps(TacSkinChangeSteps steps);

// The main form's minimise and restore animation lives in the frame layer too; the
// application-window hook of the primary manager calls it. Minimize starts the main
// form's flight to the taskbar (the application window's own minimise follows at once);
// Restore answers true when an animation takes the restore over, which then restores
// the application itself at its end.
struct TacMinimizeSteps {
    std::function<void(TsSkinManager& manager)> Minimize;
    std::function<bool(TsSkinManager& manager)> Restore;
};
void SetMinimizeSteps(TacMinimizeSteps steps);

// The window-creation hook (system dialogs, popup-menu windows, forms without a
// provider) lives in a library above this one; that layer installs its handlers and the
// primary manager calls them.
struct TacWindowHookHandlers {
    std::function<void(TsSkinManager& manager)> Install;
    std::function<void()> Remove;
    // A skin command for every window the hook skinned (new skin, refresh, removal).
    std::function<void(WORD command, LPARAM lParam)> Broadcast;
};
void SetWindowHookHandlers(TacWindowHookHandlers handlers);

enum TacSkinningRule : unsigned { srStdForms = 1, srStdDialogs = 2, srThirdParty = 4 };
using TacSkinningRules = unsigned;

inline constexpr int ThirdPartyListCount = 22;
// Property names of the class lists, in index order.
extern const std::array<const char*, ThirdPartyListCount> ThirdPartyPropertyNames;
// The adapter kinds the lists stand for.
extern const std::array<const char*, ThirdPartyListCount> ThirdPartyKindNames;
// The default text of a list: a single blank, "TButton" for the button list.
std::string ThirdPartyDefault(int index);

using TacSkinEvent = TNotifyEvent;

class TsSkinManager : public TComponent {
    SJ_CLASS(TsSkinManager, TComponent)

public:
    explicit TsSkinManager(TComponent* owner);
    ~TsSkinManager() override;

    // Settings read by the other parts of the skin layer.
    TacSkinEffects Effects;
    TacAnimEffects AnimEffects;
    TacMenuSupport MenuSupport;
    TacSkinningRules SkinningRules = srStdForms | srStdDialogs | srThirdParty;
    // The stored class lists (one class name a line); AdapterClassLists holds them split.
    std::array<std::string, ThirdPartyListCount> ThirdParty;
    std::array<std::vector<std::string>, ThirdPartyListCount> AdapterClassLists;

    TacSkinEvent OnActivate;
    TacSkinEvent OnAfterChange;
    TacSkinEvent OnBeforeChange;
    TacSkinEvent OnDeactivate;
    TacSkinEvent OnSkinListChanged;

    bool ExtendedBorders() const { return ExtBordersUsable(); }
    void SetExtendedBorders(bool value);
    bool ExtBordersUsable() const;
    bool SkinnedPopups() const { return FSkinnedPopups; }
    void SetSkinnedPopups(bool value);
    // The skinned-menu painter; null when no factory was installed.
    TacSkinMenusLink* SkinableMenus() const { return FSkinableMenus.get(); }
    bool IsDefault() const;
    void SetIsDefault(bool value);
    bool Active() const;
    void SetActive(bool value);
    const std::vector<std::string>& CommonSections() const;
    void SetCommonSections(const std::vector<std::string>& lines);
    int Saturation() const;
    void SetSaturation(int value);
    int HueOffset() const;
    void SetHueOffset(int value);
    TsStoredSkins& InternalSkins();
    const std::string& SkinDirectory() const;
    void SetSkinDirectory(const std::string& value);
    const std::string& SkinName() const;
    void SetSkinName(const std::string& value);
    // The active skin's version ("8" for 8.00), or "N/A"; stored values are ignored.
    std::string SkinInfo() const;
    static std::string Version();

    // The skin model and its lookups, for the painters.
    TsSkinCore& Core() { return *FCore; }
    const TsSkinModel& Model() const;
    TsSkinData& SkinGlobals();
    bool FromPackage() const;

    std::int32_t SkinBackColor() const;
    std::int32_t SkinTextColor() const;
    std::int32_t FocusedEditColor() const;
    std::int32_t EditTextColor() const;
    std::int32_t SelectionColor(bool focused) const;
    std::int32_t SelectionTextColor(bool focused) const;

    // Internal skins, then skin folders (kinds 0, 2) and packages (1, 2) of the
    // resolved skin folder, sorted; answers the first internal skin's name.
    std::string ListSkins(std::vector<std::string>& list, int kinds = 2) const;
    // SkinDirectory made absolute against the executable's folder.
    std::string ResolvedSkinFolder() const;

    // Announcements to every form of the application and its controls.
    void BroadcastNewSkin(bool lockForms);
    void BroadcastRefresh(bool lockForms);
    void UnloadSkin();
    void BroadcastToForms(WORD command, LPARAM lParam);

    // Hot-control tracking for skinned controls and adapters.
    void TrackHotWindow(HWND window);
    void TrackHotButton(TControl* button);
    HWND HotWindow() const { return FHotWindow; }
    TControl* HotButton() const { return FHotButton; }

    // The class lists from ThirdParty; with reset every list takes its default first.
    void InitThirdParty(bool reset);
    void StoreThirdParty();

    // A copy-data message from a skin editor; answers the message result.
    LRESULT ApplyLiveSkin(WPARAM wParam, const COPYDATASTRUCT* data);
    // The window-creation hook of the primary manager (run time only).
    void InstallWindowHook();
    void RemoveWindowHook();
    bool WindowHookSet() const { return FWindowHookSet; }

    bool DeferBroadcast() const { return FDeferBroadcast; }
    bool Unloading() const { return FUnloading; }
    // 0 none, 1 a window restoring, 2 a window minimising (the main form's through the
    // application window's hook, other forms' through their providers).
    int MinimizeState() const { return FMinimizeState; }
    void NoteMinimizeState(int state) { FMinimizeState = state; }

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void ChangeSkin(const std::string& name);
    void FreezeForms();
    void UnfreezeForms();
    void ReloadForNewSettings();
    void PrepareCore();
    void ShowLoadError(const std::string& message) const;
    void Fire(const TacSkinEvent& event);
    bool Reading() const { return HasState(csLoading) || HasState(csReading); }
    bool Designing() const { return HasState(csDesigning); }
    bool MainWindowHook(TMessage& message);

    std::unique_ptr<TsSkinCore> FCore;
    std::unique_ptr<TacSkinMenusLink> FSkinableMenus;
    bool FSkinnedPopups = true;
    bool FStoredExtendedBorders = false;
    bool FStoredIsDefault = true;
    bool FDeferBroadcast = false;
    bool FWindowHookSet = false;
    bool FUnloading = false;
    int FMinimizeState = 0;
    HWND FHotWindow = nullptr;
    std::vector<HWND> FFrozenForms;
    TControl* FHotButton = nullptr;
    int FMainHookId = 0;
};

// The primary manager: the one controls use when they name none.
TsSkinManager* PrimaryManager();
// Set while a skin is being loaded or re-coloured; painters then hold back.
extern bool SkinChangeInProgress;

// Asks a hot button's skin data (the answer to scQuerySkinData) whether the mouse
// is still over it. The per-control skin data plugs its own answer in.
using THoverQuery = std::function<bool(LRESULT skinData)>;
THoverQuery& SkinDataHoveredQuery();

// Hands a skin command on to the children of parent, as the manager does from a form:
// windowless children get it directly, skinned windowed children by message (they pass
// it on to their own children), and the children of unskinned windows are reached past
// them. A control that answers the skin commands for a container calls it for the
// commands that concern the whole tree (new skin, refresh, remove skin).
void PassSkinCommandToChildren(TWinControl& parent, WORD command, LPARAM lParam);

// Forms whose skin provider answers the skin command themselves register here to
// be told of skin changes.
void RegisterHookedForm(TCustomForm* form);
void UnregisterHookedForm(TCustomForm* form);
// The registered forms, oldest first.
std::vector<TCustomForm*> HookedForms();

// Start-up of the skin layer: decodes the built-in border images from the
// resources "acSHDA" and "acSHDI" and answers the "/acver" switch. Idempotent; the
// first manager runs it when nobody did.
void InitSkinLayer();
const TsBuiltinBorders& BuiltinBorderImages();
// The parameters "/acver", "/actest", "/acpreview" (first parameter only) as given.
bool HasCommandLineSwitch(const std::string& lowerSwitch);
bool PreviewModeRequested();

// Registers TsSkinManager and its stored properties with the form reader; idempotent.
void RegisterSkinManagerClasses();

} // namespace sj
