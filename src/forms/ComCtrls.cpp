#include "forms/ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

#include "forms/StdCtrls.h"

namespace sj {

namespace {

void InitTabControls() {
    static bool done = false;
    if (done)
        return;
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&init);
    done = true;
}

} // namespace

// --- TTabSheet ---------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    SetControlStyle(ControlStyle() | csAcceptsControls);
    SetVisibleFlag(false);
    SetParentColor(true);
}

TTabSheet::~TTabSheet() {
    Destroying();
    if (pageControl_ != nullptr)
        pageControl_->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* parent) {
    TWinControl::SetParent(parent);
    auto* pageControl = dynamic_cast<TPageControl*>(parent);
    if (pageControl != pageControl_) {
        if (pageControl_ != nullptr)
            pageControl_->RemovePage(this);
        if (pageControl != nullptr)
            pageControl->InsertPage(this);
    }
}

void TTabSheet::SetPageControl(TPageControl* value) {
    SetParent(value);
}

int TTabSheet::PageIndex() const {
    if (pageControl_ == nullptr)
        return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int value) {
    if (pageControl_ != nullptr)
        pageControl_->MovePage(this, value);
}

int TTabSheet::TabIndex() const {
    if (pageControl_ == nullptr || !tabVisible_)
        return -1;
    int index = 0;
    for (TTabSheet* page : pageControl_->pages_) {
        if (page == this)
            return index;
        if (page->tabVisible_)
            ++index;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool value) {
    if (value == tabVisible_)
        return;
    tabVisible_ = value;
    if (pageControl_ != nullptr) {
        pageControl_->UpdateTabs();
        if (!value && pageControl_->ActivePage() == this)
            pageControl_->SetActivePage(pageControl_->FindNextPage(this, true, true));
    }
}

void TTabSheet::SetImageIndex(int value) {
    imageIndex_ = value;
    if (pageControl_ != nullptr)
        pageControl_->UpdateTab(this);
}

void TTabSheet::WndProc(TMessage& message) {
    if (message.Msg == CM_TEXTCHANGED && pageControl_ != nullptr)
        pageControl_->UpdateTab(this);
    TWinControl::WndProc(message);
}

// --- TPageControl ------------------------------------------------------------

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
    SetColor(clBtnFace);
    SetControlStyle(ControlStyle() | csAcceptsControls);
}

TPageControl::~TPageControl() {
    Destroying();
    for (TTabSheet* page : pages_)
        page->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

void TPageControl::CreateParams(TCreateParams& params) {
    InitTabControls();
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_TABCONTROLA);
    params.Style |= WS_CLIPCHILDREN;
}

void TPageControl::CreateHandleDone() {
    TWinControl::CreateHandleDone();
    ::SendMessageA(HandleIfAllocated(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageListHandleOf(images_)));
    UpdateTabs();
    ShowActiveSheet();
}

void TPageControl::InsertPage(TTabSheet* page) {
    pages_.push_back(page);
    page->pageControl_ = this;
    UpdateTabs();
    if (activePage_ == nullptr && !HasState(csLoading))
        SetActivePage(page);
    else
        AlignSheets();
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto found = std::find(pages_.begin(), pages_.end(), page);
    if (found == pages_.end())
        return;
    TTabSheet* next = activePage_ == page ? FindNextPage(page, true, true) : activePage_;
    pages_.erase(found);
    page->pageControl_ = nullptr;
    if (next == page)
        next = nullptr;
    if (activePage_ == page)
        activePage_ = nullptr;
    UpdateTabs();
    if (!HasState(csDestroying))
        SetActivePage(next);
}

void TPageControl::MovePage(TTabSheet* page, int index) {
    auto found = std::find(pages_.begin(), pages_.end(), page);
    if (found == pages_.end())
        return;
    pages_.erase(found);
    size_t position = std::clamp<size_t>(static_cast<size_t>(std::max(index, 0)), 0, pages_.size());
    pages_.insert(pages_.begin() + static_cast<std::ptrdiff_t>(position), page);
    UpdateTabs();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
    if (pages_.empty())
        return nullptr;
    auto found = std::find(pages_.begin(), pages_.end(), current);
    const auto count = static_cast<ptrdiff_t>(pages_.size());
    ptrdiff_t start = found == pages_.end() ? (goForward ? count - 1 : 0) : found - pages_.begin();
    for (ptrdiff_t step = 1; step <= count; ++step) {
        ptrdiff_t index = goForward ? (start + step) % count : ((start - step) % count + count) % count;
        TTabSheet* page = pages_[static_cast<size_t>(index)];
        if (!checkTabVisible || page->tabVisible_)
            return page;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward) {
    if (TTabSheet* page = FindNextPage(activePage_, goForward, true); page != nullptr && page != activePage_) {
        bool allow = true;
        if (OnChanging)
            OnChanging(this, allow);
        if (!allow)
            return;
        SetActivePage(page);
        if (OnChange)
            OnChange(this);
    }
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page != nullptr && page->pageControl_ != this)
        return;
    activePage_ = page;
    if (HandleAllocated() && page != nullptr)
        ::SendMessageA(HandleIfAllocated(), TCM_SETCURSEL, static_cast<WPARAM>(page->TabIndex()), 0);
    ShowActiveSheet();
}

int TPageControl::ActivePageIndex() const {
    return activePage_ != nullptr ? activePage_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr);
}

void TPageControl::SetImages(TComponent* value) {
    if (images_ != nullptr)
        images_->RemoveFreeNotification(this);
    images_ = value;
    if (images_ != nullptr)
        images_->FreeNotification(this);
    if (HandleAllocated()) {
        ::SendMessageA(HandleIfAllocated(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageListHandleOf(images_)));
        AlignSheets();
    }
}

void TPageControl::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_)
        SetImages(nullptr);
}

void TPageControl::Loaded() {
    TWinControl::Loaded();
    if (activePage_ == nullptr && !pages_.empty())
        SetActivePage(FindNextPage(nullptr, true, true));
    else
        ShowActiveSheet();
}

void TPageControl::UpdateTab(TTabSheet* page) {
    int index = page->TabIndex();
    if (!HandleAllocated() || index < 0)
        return;
    std::string text = page->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text.data();
    item.iImage = page->ImageIndex();
    ::SendMessageA(HandleIfAllocated(), TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void TPageControl::UpdateTabs() {
    if (!HandleAllocated() || updatingTabs_)
        return;
    updatingTabs_ = true;
    HWND window = HandleIfAllocated();
    ::SendMessageA(window, TCM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (TTabSheet* page : pages_) {
        if (!page->tabVisible_)
            continue;
        std::string text = page->Caption();
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text.data();
        item.iImage = page->ImageIndex();
        ::SendMessageA(window, TCM_INSERTITEMA, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
    }
    if (activePage_ != nullptr && activePage_->TabIndex() >= 0)
        ::SendMessageA(window, TCM_SETCURSEL, static_cast<WPARAM>(activePage_->TabIndex()), 0);
    updatingTabs_ = false;
    AlignSheets();
}

RECT TPageControl::DisplayRect() {
    RECT rect = ClientRect();
    if (HandleAllocated())
        ::SendMessageA(HandleIfAllocated(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TPageControl::AlignSheets() {
    RECT display = DisplayRect();
    for (TTabSheet* page : pages_)
        page->SetBounds(display.left, display.top, display.right - display.left, display.bottom - display.top);
}

void TPageControl::ShowActiveSheet() {
    AlignSheets();
    // Show the new sheet before hiding the old, so the area is never empty.
    if (activePage_ != nullptr) {
        activePage_->SetVisible(true);
        activePage_->BringToFront();
    }
    for (TTabSheet* page : pages_) {
        if (page != activePage_)
            page->SetVisible(false);
    }
}

void TPageControl::SelectionChanged() {
    int tab = static_cast<int>(::SendMessageA(HandleIfAllocated(), TCM_GETCURSEL, 0, 0));
    for (TTabSheet* page : pages_) {
        if (page->TabIndex() == tab && tab >= 0) {
            activePage_ = page;
            break;
        }
    }
    ShowActiveSheet();
    if (OnChange)
        OnChange(this);
}

void TPageControl::WndProc(TMessage& message) {
    switch (message.Msg) {
    case CN_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(message.LParam);
        if (header->code == TCN_SELCHANGING) {
            bool allow = true;
            if (OnChanging)
                OnChanging(this, allow);
            message.Result = allow ? FALSE : TRUE;
            return;
        }
        if (header->code == TCN_SELCHANGE) {
            SelectionChanged();
            message.Result = 0;
            return;
        }
        break;
    }
    case WM_SIZE:
        TWinControl::WndProc(message);
        AlignSheets();
        return;
    case WM_ERASEBKGND:
        TWinControl::WndProc(message);
        return;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

} // namespace sj
