// The window-creation hook: which windows it skins, and the records of those it did.
#include "skin/frame/acDials.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "forms/Forms.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "skin/frame/acDialsInternal.h"
#include "skin/frame/sFade.h"
#include "skin/frame/sSkinProvider.h"

namespace sj {

using namespace dials_detail;

namespace {

// The hook handle, unhooked when it goes.
class THookHandle {
public:
    THookHandle() = default;
    explicit THookHandle(HHOOK hook) : hook_(hook) {}
    ~THookHandle() { Reset(); }
    THookHandle(const THookHandle&) = delete;
    THookHandle& operator=(const THookHandle&) = delete;
    THookHandle& operator=(THookHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            hook_ = std::exchange(other.hook_, nullptr);
        }
        return *this;
    }
    void Reset() {
        if (hook_ != nullptr)
            ::UnhookWindowsHookEx(std::exchange(hook_, nullptr));
    }
    bool Set() const { return hook_ != nullptr; }

private:
    HHOOK hook_ = nullptr;
};

struct THookState {
    THookHandle Hook;
    TsSkinManager* Manager = nullptr;
    std::vector<std::unique_ptr<TacProvider>> Providers;
    bool Freeing = false;
};

THookState& State() {
    // Never destroyed: windows may still go at process exit, after static destructors.
    static auto& state = *new THookState();
    return state;
}

bool ApplicationGoing() {
    return Application == nullptr || Application->HasState(csDestroying);
}

bool ClassIs(HWND window, const char* name) {
    return ::lstrcmpiA(WindowClassName(window).c_str(), name) == 0;
}

bool HoldsToolBar(HWND dialog) {
    bool found = false;
    ::EnumChildWindows(
        dialog,
        [](HWND child, LPARAM data) -> BOOL {
            if (!ClassIs(child, "ToolbarWindow32"))
                return TRUE;
            *reinterpret_cast<bool*>(data) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool Listed(HWND window) {
    const auto& list = State().Providers;
    return std::any_of(list.begin(), list.end(), [window](const auto& p) { return p->Window() == window; });
}

TacProvider& Record(HWND window) {
    State().Providers.push_back(std::make_unique<TacProvider>(window));
    return *State().Providers.back();
}

// Frees the records of window (and of every window already gone); their adapters give
// the windows back before the system destroys them.
void FreeRecordsOf(HWND window) {
    THookState& state = State();
    if (state.Freeing)
        return;
    state.Freeing = true;
    std::vector<std::unique_ptr<TacProvider>> going;
    auto& list = state.Providers;
    // A visible dialog destroyed without being hidden first still has its hide
    // animation, on a window of its own, before its frame lets go of it.
    if (TacProvider* provider = HookedProviderOf(window); provider != nullptr && provider->DialogFrame() != nullptr)
        provider->DialogFrame()->AnimateHide();
    for (auto it = list.begin(); it != list.end();) {
        if ((*it)->Window() == window || (*it)->WindowGone()) {
            going.push_back(std::move(*it));
            it = list.erase(it);
        } else {
            (*it)->DropAdapterOf(window);
            ++it;
        }
    }
    going.clear();
    state.Freeing = false;
}

bool ConsiderForm(TCustomForm& form, TsSkinManager& manager) {
    // The skinning layer's own windows carry tag -98 (bits 0x61 are free for other uses).
    if ((form.Tag() & ~static_cast<std::intptr_t>(0x61)) == -98)
        return false;
    if (form.HasState(csLoading))
        return false;
    const auto& excluded = FormClassesNotSkinned();
    if (std::find(excluded.begin(), excluded.end(), form.ClassName()) != excluded.end())
        return false;
    const unsigned rule = form.ClassName() == std::string_view("TMessageForm") ? srStdDialogs : srStdForms;
    if ((manager.SkinningRules & rule) == 0)
        return false;
    Record(form.Handle()).AttachForm(form);
    return true;
}

void ConsiderDialog(HWND window, TsSkinManager& manager) {
    TacDialogCandidate candidate;
    candidate.IsDialogClass = ClassIs(window, DialogClass);
    candidate.HasParent = (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
    if (!candidate.IsDialogClass || candidate.HasParent || (manager.SkinningRules & srStdDialogs) == 0)
        return;
    candidate.VisibleSkinned = VisibleSkinnedDialogs();
    candidate.HasToolBar = candidate.VisibleSkinned >= MaxVisibleSkinnedDialogs && HoldsToolBar(window);
    if (!ShouldSkinDialog(candidate, manager.SkinningRules))
        return;
    bool allow = true;
    if (SysDlgInitEvent())
        SysDlgInitEvent()(window, allow);
    if (!allow || !manager.Active() || !manager.SkinGlobals().Ready)
        return;
    Record(window).AttachDialog(manager);
}

void ConsiderWindow(HWND window) {
    TsSkinManager* manager = State().Manager;
    if (manager == nullptr || window == nullptr || !::IsWindow(window) || Listed(window) || AnswersSkinCommand(window))
        return;
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    if ((style & WS_POPUP) != 0 && (style & WS_BORDER) == 0)
        return;
    if (auto* form = dynamic_cast<TCustomForm*>(TWinControl::FindControl(window))) {
        ConsiderForm(*form, *manager);
        return;
    }
    ConsiderDialog(window, *manager);
}

void WindowCreated(HWND window, const CBT_CREATEWNDA& data) {
    const std::string cls = WindowClassName(window);
    TsSkinManager* manager = State().Manager;
    if (cls == PopupMenuClass) {
        if (manager->SkinnedPopups() && ::GetPropA(window, AdaptedWindowProperty) == nullptr)
            AttachMenuAdapter(window, manager);
        return;
    }
    const CREATESTRUCTA* create = data.lpcs;
    if (create != nullptr && (create->style & WS_CHILD) != 0) {
        // Adapted once it is made, when it belongs to a skinned dialog.
        HWND root = ::GetAncestor(window, GA_ROOT);
        if (root != nullptr && root != window)
            if (TacProvider* provider = HookedProviderOf(root); provider != nullptr && provider->DialogFrame() != nullptr)
                provider->DialogFrame()->RequestChildAdaption();
        return;
    }
    // A dialog's controls come after its window, and a file dialog is known by its tool
    // bar: dialogs are judged when they first become active, before their first paint.
    if (cls == DialogClass || cls.empty() || cls == "TPUtilWindow")
        return;
    if (create == nullptr || create->cx == 0 || create->cy == 0 || (create->style & WS_CHILD) != 0)
        return;
    if (Application->MainForm() != nullptr && Application->MainForm()->HandleIfAllocated() == window)
        return;
    ConsiderWindow(window);
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ::CallNextHookEx(nullptr, code, wParam, lParam);
    if (code < 0 || ApplicationGoing() || State().Manager == nullptr)
        return result;
    const auto window = reinterpret_cast<HWND>(wParam);
    try {
        switch (code) {
        case HCBT_CREATEWND:
            // Another hook refused the window: it will not live.
            if (result == 0)
                WindowCreated(window, *reinterpret_cast<const CBT_CREATEWNDA*>(lParam));
            break;
        case HCBT_ACTIVATE:
            ConsiderWindow(window);
            break;
        case HCBT_DESTROYWND:
            FreeRecordsOf(window);
            break;
        default:
            break;
        }
    } catch (...) {
        // A window the hook could not skin keeps the system's look; nothing is reported.
    }
    return result;
}

void InstallHook(TsSkinManager& manager) {
    THookState& state = State();
    state.Manager = &manager;
    if (state.Hook.Set())
        return;
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId());
    if (hook == nullptr)
        throw Exception(SystemErrorText(::GetLastError()));
    state.Hook = THookHandle(hook);
}

void RemoveHook() {
    THookState& state = State();
    state.Hook.Reset();
    std::vector<std::unique_ptr<TacProvider>> going;
    going.swap(state.Providers);
    state.Freeing = true;
    going.clear();
    state.Freeing = false;
    FreeMenuAdapters();
    state.Manager = nullptr;
}

void BroadcastToHooked(WORD command, LPARAM lParam) {
    // A command may destroy windows (and so free records) on the way: a copy of the list.
    std::vector<HWND> windows;
    for (const auto& provider : State().Providers)
        windows.push_back(provider->Window());
    for (HWND window : windows)
        if (TacProvider* provider = HookedProviderOf(window))
            provider->Broadcast(command, lParam);
    BroadcastToMenuAdapters(command, lParam);
}

} // namespace

namespace dials_detail {

UINT AdaptLateChildrenMessage() {
    static const UINT message = ::RegisterWindowMessageA("acAdaptLateChildren");
    return message;
}

void AdaptLateChildren(HWND dialog) {
    TacProvider* provider = HookedProviderOf(dialog);
    if (provider != nullptr && State().Manager != nullptr && State().Manager->Active())
        provider->AdaptChildren(dialog, *State().Manager);
}

std::string WindowClassName(HWND window) {
    char name[64] = {};
    if (window == nullptr || ::GetClassNameA(window, name, sizeof name) == 0)
        return {};
    return name;
}

std::string LowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool AnswersSkinCommand(HWND window) {
    return ::GetPropA(window, AdaptedWindowProperty) != nullptr ||
           ::SendMessageA(window, SkinCommandMessage, SkinCommand(scIsSkinned), 0) != 0;
}

} // namespace dials_detail

TacSysDlgInit& SysDlgInitEvent() {
    static auto& event = *new TacSysDlgInit();
    return event;
}

std::vector<std::string>& FormClassesNotSkinned() {
    static auto& list = *new std::vector<std::string>();
    return list;
}

bool ShouldSkinDialog(const TacDialogCandidate& candidate, TacSkinningRules rules) {
    if (!candidate.IsDialogClass || candidate.HasParent || (rules & srStdDialogs) == 0)
        return false;
    return candidate.VisibleSkinned < MaxVisibleSkinnedDialogs || candidate.HasToolBar;
}

void InstallDialogHook() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    SetWindowHookHandlers(TacWindowHookHandlers{&InstallHook, &RemoveHook, &BroadcastToHooked});
}

bool DialogHookSet() {
    return State().Hook.Set();
}

int HookedProviderCount() {
    return static_cast<int>(State().Providers.size());
}

TacProvider* HookedProviderOf(HWND window) {
    for (const auto& provider : State().Providers)
        if (provider->Window() == window)
            return provider.get();
    return nullptr;
}

int VisibleSkinnedDialogs() {
    int count = 0;
    for (const auto& provider : State().Providers)
        if (provider->DialogFrame() != nullptr && ::IsWindowVisible(provider->Window()))
            ++count;
    return count;
}

// ---- TacProvider ------------------------------------------------------------------------

TacProvider::TacProvider(HWND window)
    : window_(window), rightToLeft_((::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0) {}

TacProvider::~TacProvider() {
    // Children first: they ask the dialog frame for their backdrop while giving back.
    while (!adapters_.empty())
        adapters_.pop_back();
    dialog_.reset();
}

bool TacProvider::WindowGone() const {
    return !::IsWindow(window_) || (dialog_ && dialog_->Destroyed());
}

void TacProvider::DropAdapterOf(HWND window) {
    adapters_.erase(std::remove_if(adapters_.begin(), adapters_.end(),
                                   [window](const auto& a) { return a->Handle() == window; }),
                    adapters_.end());
}

void TacProvider::AttachForm(TCustomForm& form) {
    auto* provider = new TsSkinProvider(&form);
    provider->UseGlobalColor = false;
    provider->MakeSkinMenu = false;
    formProvider_ = provider;
    provider->PrepareForm();
    HWND window = form.Handle();
    if (CompositionEnabled()) {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::SendMessageA(window, WM_NCPAINT, 1, 0);
    } else {
        ::UpdateWindow(window);
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void TacProvider::AttachDialog(TsSkinManager& manager) {
    if (dialog_ && dialog_->Destroyed())
        dialog_.reset();
    if (!dialog_) {
        dialog_ = std::make_unique<TacDialogWnd>(window_, &manager);
        dialog_->Hook();
    }
    AdaptChildren(window_, manager);
    ::SendMessageA(window_, SkinCommandMessage, SkinCommand(scNewSkin), reinterpret_cast<LPARAM>(&manager));
    // Shown before it was skinned (a dialog is judged when it becomes active): its show
    // animation runs before its first paint. A dialog that has painted already (one
    // skinned only on a later activation) is not shown again.
    if (::IsWindowVisible(window_) && ::GetUpdateRect(window_, nullptr, FALSE))
        dialog_->PrepareShowAnimation();
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

void TacProvider::AdaptChildren(HWND parent, TsSkinManager& manager) {
    struct TWalk {
        TacProvider* Self;
        TsSkinManager* Manager;
        std::vector<HWND> Children;
    } walk{this, &manager, {}};
    // Collected first: adapting a child may create windows (a list view's header).
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            reinterpret_cast<TWalk*>(data)->Children.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    for (HWND child : walk.Children)
        if (::IsWindow(child))
            AdaptChild(child, manager);
}

void TacProvider::AdaptChild(HWND child, TsSkinManager& manager) {
    const LONG style = ::GetWindowLongA(child, GWL_STYLE);
    if ((style & WS_CHILD) == 0 || AnswersSkinCommand(child))
        return;
    std::unique_ptr<TacMainWnd> adapter = MakeChildAdapter(child, manager);
    if (!adapter)
        return;
    if (!adapter->IsHooked())
        adapter->Hook();
    if (!adapter->IsHooked())
        return;
    // The frame paints the client area of a dialog with a list box itself.
    if (dialog_ && ChildClassOf(child) == TacChildClass::ListBox)
        dialog_->SetPaintSuppressed(false);
    adapters_.push_back(std::move(adapter));
}

void TacProvider::Broadcast(WORD command, LPARAM lParam) {
    std::vector<HWND> windows{window_};
    for (const auto& adapter : adapters_)
        windows.push_back(adapter->Handle());
    for (HWND window : windows)
        if (::IsWindow(window))
            ::SendMessageA(window, SkinCommandMessage, SkinCommand(command), lParam);
}

} // namespace sj
