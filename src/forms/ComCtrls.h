// The page control: a superclassed SysTabControl32 whose tabs stand for its
// TTabSheet children. Only the active sheet is shown; a sheet covers the tab
// control's display area. Tabs can show images of an image list.
#pragma once

#include <windows.h>

#include <vector>

#include "forms/Controls.h"

namespace sj {

class TPageControl;

class TTabSheet : public TWinControl {
    SJ_CLASS(TTabSheet, TWinControl)

public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* value);
    int PageIndex() const;
    void SetPageIndex(int value);
    // Index among the visible tabs, or -1 for a hidden tab.
    int TabIndex() const;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    void SetParent(TWinControl* parent) override;

protected:
    void WndProc(TMessage& message) override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
    int imageIndex_ = -1;
};

class TPageControl : public TWinControl {
    SJ_CLASS(TPageControl, TWinControl)

public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    void SelectNextPage(bool goForward);
    TComponent* Images() const { return images_; }
    void SetImages(TComponent* value);
    // The area the sheets cover, in client coordinates.
    RECT DisplayRect();

    TNotifyEvent OnChange;
    std::function<void(TObject* sender, bool& allowChange)> OnChanging;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void MovePage(TTabSheet* page, int index);
    void UpdateTabs();
    void UpdateTab(TTabSheet* page);
    void AlignSheets();
    void ShowActiveSheet();
    void SelectionChanged();

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    TComponent* images_ = nullptr;
    bool updatingTabs_ = false;
};

} // namespace sj
