// Skinning of ordinary framework controls without changing their classes. The control
// adapter recognises a control by its exact class name in the skin manager's class lists
// and attaches a window adapter that takes over the control's messages ahead of its own
// handling (the framework's WindowProc hook chain), marks the window with "ACSBSC",
// switches the system theme off and paints the control from a skin section. Removing the
// skin or destroying the window gives the control back exactly as it was (procedure,
// colours, control style, theme). Controls whose windows appear later are adapted when
// their window is created. Windows only; user-interface thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Controls.h"
#include "forms/StdCtrls.h"
#include "skin/paint/sCommonData.h"

namespace sj {

class TBitmap;

// The window property that marks an adapted window.
inline constexpr const char* AdaptedWindowProperty = "ACSBSC";

// Class-list indexes of the manager's ThirdParty lists that this unit adapts.
inline constexpr int tpEdits = 0;
inline constexpr int tpButtons = 1;
inline constexpr int tpCheckBoxes = 3;
inline constexpr int tpGroupBoxes = 6;
inline constexpr int tpPageControls = 13;

// The list index holding className, or -1 (exact, case-sensitive comparison).
int FindAdapterList(const TsSkinManager& manager, const std::string& className);

// Caption rectangle of a group box: measured caption of textWidth x textHeight.
RECT GroupBoxCaptionRect(int width, int textWidth, int textHeight, bool rightToLeft);

// The common window adapter: owns the hook on the control's messages while the window
// is adapted and answers the skin command protocol.
class TacMainWnd {
public:
    TacMainWnd(TWinControl& control, TsSkinManager* manager, TsCommonData& skinData);
    virtual ~TacMainWnd();
    TacMainWnd(const TacMainWnd&) = delete;
    TacMainWnd& operator=(const TacMainWnd&) = delete;

    // Subclasses the window (theme off, property set, control style saved).
    void Hook();
    // Gives the window back; safe to call twice and from inside the adapter's own hook.
    void Unhook();
    bool Destroyed() const { return destroyed_; }
    HWND Handle() const { return window_; }
    TWinControl& Control() const { return control_; }
    TsCommonData& SkinData() const { return skinData_; }

protected:
    virtual void InitHook() {}
    virtual void RestoreHook() {}
    virtual void ApplySkinHook() { skinApplied_ = true; }
    virtual void WindowProc(TMessage& message, const TWndNext& next);
    // Renders the face into the skin data's cache; false when nothing was painted.
    virtual bool PaintFace() { return false; }

    bool Skinned() const;
    // The whole cache copied to dc (the window's own DC when dc is null).
    void CopyFace(HDC dc);
    // Paint cycle of WM_PAINT: face rebuilt, copied, graphic children painted on top.
    void PaintWindowFromFace(TMessage& message);
    // Section face over the parent's backdrop into the whole (freshly sized) cache.
    bool RenderSectionFace(int state);
    // Redraw suspended around the standard handling of a state change, then repainted.
    void PassWithoutRedraw(TMessage& message, const TWndNext& next);
    TBackdropRef ParentBackdrop();
    void DrawCaption(TBitmap& cache, const std::string& text, const RECT& rect, UINT flags, bool hot);
    std::string WindowText() const;

    bool skinApplied_ = false;

private:
    void AnswerSkinCommand(TMessage& message, const TWndNext& next);

    TWinControl& control_;
    TsSkinManager* manager_;
    TsCommonData& skinData_;
    HWND window_ = nullptr;
    TWindowProcHook hook_;
    TControlStyle savedStyle_ = 0;
    bool hooked_ = false;
    bool destroyed_ = false;
};

class TacEditWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;
    // The colours come back while this object's restore hook still exists.
    ~TacEditWnd() override { Unhook(); }

protected:
    void InitHook() override;
    void RestoreHook() override;
    void ApplySkinHook() override;
    void WindowProc(TMessage& message, const TWndNext& next) override;

private:
    void PaintBorder();
    int State() const;

    TColor savedColor_ = clWindow;
    TColor savedFontColor_ = clWindowText;
};

class TacGroupBoxWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;
    // Caption rectangle in the control's font (valid after a paint or on demand).
    RECT CaptionRect();

protected:
    void RestoreHook() override;
    void WindowProc(TMessage& message, const TWndNext& next) override;
    bool PaintFace() override;
};

class TacCheckBoxWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;

protected:
    void WindowProc(TMessage& message, const TWndNext& next) override;
    bool PaintFace() override;

private:
    bool IsRadio() const;
    bool Pushed() const;
    bool Hot() const;
    SIZE GlyphSize(int itemIndex) const;
    void PaintGlyph(TBitmap& cache, int itemIndex, const RECT& rect);
};

class TacBtnWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;

protected:
    void WindowProc(TMessage& message, const TWndNext& next) override;
    bool PaintFace() override;

private:
    int State() const;
    bool Pushed() const;
};

// A page of an adapted page control: shows the page control's face behind its children.
class TacPageWnd : public TacMainWnd {
public:
    TacPageWnd(TWinControl& page, TsSkinManager* manager, std::unique_ptr<TsCommonData> skinData,
               class TacPageControlWnd& owner);

protected:
    void WindowProc(TMessage& message, const TWndNext& next) override;

private:
    void PaintBackground(HDC dc);
    void AnswerBackdrop(TBackdropQuery& query);

    std::unique_ptr<TsCommonData> ownData_;
    TacPageControlWnd& owner_;
};

class TacPageControlWnd : public TacMainWnd {
public:
    using TacMainWnd::TacMainWnd;
    ~TacPageControlWnd() override;

    // The face with the tabs, rendered when stale; null when there is none.
    TBitmap* Face();
    // Sections the body and the tabs use for the control's tab position.
    std::string BodySection() const;
    std::string TabSection() const;
    int PageCount() const { return static_cast<int>(pages_.size()); }

protected:
    void RestoreHook() override;
    void WindowProc(TMessage& message, const TWndNext& next) override;
    bool PaintFace() override;

private:
    void AttachPages();
    void PaintTab(TBitmap& cache, int index, const RECT& rect, bool selected);
    void PaintToDC(HDC dc);

    std::vector<std::unique_ptr<TacPageWnd>> pages_;
};

class TacCtrlAdapter;

// One adapted control: its own skin data and its window adapter while the window lives.
class TacAdapterItem {
public:
    TacAdapterItem(TacCtrlAdapter& adapter, TWinControl& control);
    ~TacAdapterItem();
    TacAdapterItem(const TacAdapterItem&) = delete;
    TacAdapterItem& operator=(const TacAdapterItem&) = delete;

    // Attaches the window adapter the manager's lists choose; nothing when the control
    // has no window or parent, carries tag -98, or is skinned already.
    void DoHook();
    TWinControl* Control() const { return control_; }
    TacMainWnd* WindowAdapter() const { return windowAdapter_.get(); }
    TsCommonData& SkinData() { return skinData_; }

private:
    void Watch(TMessage& message, const TWndNext& next);
    bool AdapterLive() const { return windowAdapter_ && !windowAdapter_->Destroyed(); }

    TacCtrlAdapter& adapter_;
    TWinControl* control_;
    TsCommonData skinData_;
    std::unique_ptr<TacMainWnd> windowAdapter_;
    // Follows window creation and new skins, also while no window adapter is attached.
    TWindowProcHook watcher_;
};

class TacCtrlAdapter : public TComponent {
    SJ_CLASS(TacCtrlAdapter, TComponent)

public:
    explicit TacCtrlAdapter(TsSkinManager* manager);
    ~TacCtrlAdapter() override;

    TsSkinManager* Manager() const;
    // Adapts container and everything in it; runs only with srThirdParty.
    void AddAllItems(TWinControl& container);
    bool IsControlSupported(TComponent& component) const;
    // The item for control (existing or new), or none when the control is not adapted.
    TacAdapterItem* AddNewItem(TWinControl& control, const std::string& section = {});
    TacAdapterItem* ItemOf(const TControl* control) const;
    int ItemCount() const { return static_cast<int>(items_.size()); }
    void CleanItems();
    void RemoveAllItems();
    // Labels made transparent in the skin's text colour; given back on skin removal.
    void RestoreLabels();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void AdaptLabel(TLabel& label);
    void AddChildren(TWinControl& container);

    struct TSavedLabel {
        TLabel* Label;
        bool Transparent;
        TColor FontColor;
    };
    TsSkinManager* manager_;
    std::vector<std::unique_ptr<TacAdapterItem>> items_;
    std::vector<TSavedLabel> labels_;
    bool walking_ = false;
};

// Until forms get a full skin provider: paints the form's client area from the "FORM"
// section, answers its controls' backdrop and colour questions from that face and owns
// the form's control adapter.
class TacFormSkinOwner {
public:
    TacFormSkinOwner(TWinControl& form, TsSkinManager* manager);
    ~TacFormSkinOwner();
    TacFormSkinOwner(const TacFormSkinOwner&) = delete;
    TacFormSkinOwner& operator=(const TacFormSkinOwner&) = delete;

    TacCtrlAdapter& Adapter() { return *adapter_; }
    // The client face as last painted (may be empty before the first paint).
    TBitmap* Face() { return face_.get(); }

private:
    void Watch(TMessage& message, const TWndNext& next);
    bool Active() const;
    bool IsAdaptable(TWinControl& control) const;
    void RenderFace();
    TColor FormColor() const;

    TWinControl& form_;
    TsSkinManager* manager_;
    std::unique_ptr<TacCtrlAdapter> adapter_;
    std::unique_ptr<TBitmap> face_;
    TWindowProcHook hook_;
};

} // namespace sj
