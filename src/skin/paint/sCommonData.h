// The skin state every skinned control and form skin provider owns: its section and
// the indexes looked up for it in the active skin, hot and focus state, the cached
// face with its stale and in-update flags, and the shared half of the skin command
// protocol (answers to a child's backdrop and colour questions, skin changes, focus,
// hover, moves and resizes). Also the backdrop question itself, as asked by a child,
// the border ring of windowed controls and the caption label of skinned edits.
// Windows only; user-interface thread only. Painting never throws.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "forms/Bitmap.h"
#include "forms/Controls.h"
#include "forms/FormReader.h"
#include "skin/data/sSkinManager.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {

class TLabel;
class TMenu;

// Skin commands (high word of wParam of SkinCommandMessage) beyond those the manager
// declares.
inline constexpr WORD scSetInUpdate = 8;
inline constexpr WORD scSetPaintImmediately = 9;
inline constexpr WORD scQueryBusy = 10;
inline constexpr WORD scQueryPartlyVisible = 11;
inline constexpr WORD scSectionEdited = 13;
inline constexpr WORD scSetSection = 15;
inline constexpr WORD scInvalidateCache = 17;
inline constexpr WORD scQueryParentDependent = 19;
inline constexpr WORD scParentChanged = 20;
inline constexpr WORD scQueryColor = 21;
inline constexpr WORD scSetPartlyVisible = 22;
inline constexpr WORD scAdaptControl = 25;
inline constexpr WORD scQuerySectionIndex = 26;
inline constexpr WORD scQueryCaptionHeight = 27;
inline constexpr WORD scBeginUpdate = 31;
inline constexpr WORD scEndUpdate = 32;
inline constexpr WORD scResetCache = 33;
inline constexpr WORD scQueryBackdrop = 34;
inline constexpr WORD scQueryPlainFace = 36;
inline constexpr WORD scSetPrintTarget = 38;
inline constexpr WORD scQueryApplication = 60;

// Control kinds set by the owning classes.
inline constexpr int ckEdit = 3;
inline constexpr int ckListView = 10;
inline constexpr int ckPanel = 51;
inline constexpr int ckSpeedButton = 92;
inline constexpr int ckButton = 93;
inline constexpr int ckScrollBar = 142;
inline constexpr int ckFormSkinProvider = 224;
inline constexpr int ckFrameAdapter = 226;
inline constexpr int ckStdAdapter = 227;

bool IsEditLikeKind(int kind);
bool IsContainerKind(int kind);
bool IsNoGlowKind(int kind);
// The section a kind takes when none is named; empty for kinds without one.
std::string DefaultSectionOfKind(int kind);

// StateFlags bits.
inline constexpr std::uint16_t sfPlainFace = 0x0001;
inline constexpr std::uint16_t sfUncomputed = 0x0002;
inline constexpr std::uint16_t sfPrinting = 0x0200;
inline constexpr std::uint16_t sfSuspended = 0x0800;

// FillKind bits.
inline constexpr std::int16_t fkHorzGradient = 1;
inline constexpr std::int16_t fkVertGradient = 2;
inline constexpr std::int16_t fkTriangleGradient = 3;
inline constexpr std::int16_t fkImage = 4;

// A child's question for what lies behind it; the parent fills in the answer.
struct TBackdropQuery {
    TBitmap* Bitmap = nullptr; // Kind 2: the parent's cache
    TColor Color = 0;          // Kind 1: the backdrop colour (system codes allowed)
    std::int32_t OffsetX = 0;  // origin of the parent's client area inside Bitmap
    std::int32_t OffsetY = 0;
    RECT Area{};           // asker's coordinates, painted when PaintNow
    std::uint8_t Kind = 0; // 0 no answer yet, 1 colour, 2 bitmap
    std::uint8_t PaintNow = 0;
    HDC TargetDC = nullptr;
};
inline constexpr std::uint8_t bqNone = 0;
inline constexpr std::uint8_t bqColor = 1;
inline constexpr std::uint8_t bqBitmap = 2;

// scQuerySectionIndex fills SectionIndex; scSetSection reads SectionName.
struct TacSectionInfo {
    std::int32_t SectionIndex = -1;
    const char* SectionName = nullptr;
};

// Sends a skin command: a window message to a windowed control with a handle, direct
// dispatch otherwise. Nothing is sent to a null control.
LRESULT SendSkinCommand(TControl* control, WORD code, WORD low = 0, LPARAM lParam = 0);

class TsCommonData;

// The hover glow of a control is drawn by the frame layer, which sits above this unit:
// it hands its painters in at start-up. Without them no glow is shown.
using TControlGlowShow = void (*)(TsCommonData& data, bool force, HWND window);
using TControlGlowHide = void (*)(TsCommonData& data);
void SetControlGlowHooks(TControlGlowShow show, TControlGlowHide hide);

// Asks a parent for the backdrop. True when it answered; otherwise the query is filled
// from the parent's colour (or painted by the parent itself when paintNow is set).
bool QueryBackdrop(TBackdropQuery& query, TControl* parent, bool paintNow);
bool QueryBackdrop(TBackdropQuery& query, HWND parent, bool paintNow);
TBackdropRef MakeBackdropRef(const TBackdropQuery& query);

class TsCommonData {
public:
    TsCommonData(TComponent* owner, bool createCache);
    virtual ~TsCommonData();
    TsCommonData(const TsCommonData&) = delete;
    TsCommonData& operator=(const TsCommonData&) = delete;

    // --- Published ------------------------------------------------------------
    const std::string& SkinSection() const { return FSkinSection; }
    void SetSkinSection(const std::string& value);
    // The explicit manager or the primary one.
    TsSkinManager* SkinManager() const;
    void SetSkinManager(TsSkinManager* value);
    bool SkinManagerStored() const { return FSkinManager != nullptr; }
    bool CustomColor() const { return FCustomColor; }
    void SetCustomColor(bool value);
    bool CustomFont() const { return FCustomFont; }
    void SetCustomFont(bool value);
    virtual int HUEOffset() const { return 0; }
    virtual int Saturation() const { return 0; }

    // --- Internal fields ------------------------------------------------------
    std::int32_t UpdateDepth = 0;
    std::int32_t GlowHandle = -1;
    bool InUpdate = false;
    std::int32_t BordersIndex = -1;
    std::int32_t SectionIndex = -1;
    std::int32_t TextureIndex = -1;
    std::int32_t HotTextureIndex = -1;
    std::uint32_t IsGraphicOwner = 0;
    bool PaintImmediately = false;
    bool CacheStale = true;
    bool PartlyVisible = true;
    TControl* Control = nullptr;
    TComponent* Owner = nullptr;
    std::unique_ptr<TBitmap> CacheBitmap;
    HRGN Region = nullptr;
    std::int32_t ControlKind = 0;
    bool HasFocus = false;
    bool Hovered = false;
    std::uint16_t StateFlags = sfUncomputed;
    std::int16_t FillKind = 0;
    HDC PrintTarget = nullptr;
    RECT PendingRectH{};
    RECT PendingRectV{};
    // Set by a form skin provider: the form it paints. None for controls.
    TWinControl* ProviderForm = nullptr;

    // --- Queries --------------------------------------------------------------
    const TsSkinModel* Model() const;
    const TsGeneralData* Section() const;
    bool IsSkinned(bool checkActive = false) const;
    bool IsHot() const;
    bool FaceIsComplex() const;
    bool RepaintBlocked() const;
    bool RepaintsWithParent() const;
    int BordersWidth() const;
    TColor FaceColor(int state, HWND window = nullptr) const;
    // What the face painters need from this object.
    TsFaceParams FaceParams() const;

    // --- Operations -----------------------------------------------------------
    void ResolveSection();
    void AssignDefaultSection();
    void AfterLoad();
    void ApplySkinColors(bool repaint);
    void ComputeFillKind();
    void UpdatePlainFace(bool children);
    void PrepareCacheBitmap();
    void GetBackdrop(TBackdropRef& ref);
    void AnswerBackdropQuery(TBackdropQuery& query, int state, HWND window);
    void RequestRepaint(bool updateNow = false);
    void SuspendPainting();
    void ResumePainting(bool repaint);
    TsCommonData& SetInUpdate(bool value);
    // A named manager that goes is forgotten; true when `component` was it.
    bool ManagerRemoved(const TComponent* component);
    // Hooks a pop-up menu into the skinned menus as its control is about to open it.
    void PreparePopupMenu(TMenu* menu) const;
    bool HandleCommonMessage(TMessage& message);
    // Shows the hover glow (see SetControlGlowHooks) around the control, or around
    // window when given; force removes one that is shown instead.
    void ShowGlow(bool force = false, HWND window = nullptr);
    void HideGlow();
    // Empties the cache (0 x 0) when there is one.
    void EmptyCache();

private:
    bool OwnerIs(TComponentStateFlag flag) const;
    bool IsProvider() const { return ProviderForm != nullptr; }
    TWinControl* WinControl() const;
    HWND ControlHandle() const;
    bool CanPaintNow() const;
    TColor OwnColor() const;
    // 0 or 1: the plain face answer, 2: not known yet.
    int PlainFaceAnswer() const;
    bool IsMyManager(LPARAM lParam) const;
    void AnnounceSectionChange();
    bool HandleSkinCommand(TMessage& message);
    void HandleRemoveSkin(LPARAM lParam);
    LRESULT AnswerQueryColor() const;
    LRESULT AnswerParentDependent() const;
    void HandleParentChanged(WORD low);
    void HandleResetCache();
    void HandleMove();
    void HandleSize();
    void HandleFocus(bool gained);
    void HandleMouseEnter(const TMessage& message);
    void HandleMouseLeave();
    void HandleVisibilityChanged(bool visible);
    void PassBackdropQueryUp(TBackdropQuery& query, HWND window);
    void AnswerWithCache(TBackdropQuery& query, TColor fallbackColor);

    std::string FSkinSection;
    TsSkinManager* FSkinManager = nullptr;
    bool FCustomColor = false;
    bool FCustomFont = false;
};

class TsCtrlSkinData : public TsCommonData {
public:
    using TsCommonData::TsCommonData;

    int HUEOffset() const override { return FHUEOffset; }
    void SetHUEOffset(int value);
    int Saturation() const override { return FSaturation; }
    void SetSaturation(int value);

private:
    int FHUEOffset = 0;
    int FSaturation = 0;
};

// Copies the cache to a device context around the opaque children of parent (a
// control's children, shifted by dx, dy); with fillCorners the clear corners take the
// backdrop first. cacheRect's origin is the cache pixel that lands at clipRect's origin.
void CopyCacheToDC(TWinControl* parent, TsCommonData& skinData, const RECT& cacheRect, int dy, int dx, bool fillCorners,
                   HDC dc, const RECT& clipRect);
// The same around the visible child windows of a window; a group box excludes only its
// frame.
void CopyCacheToWindowDC(HWND window, TsCommonData& skinData, const RECT& cacheRect, int dy, int dx, bool fillCorners,
                         HDC dc, const RECT& clipRect);

// Clear corner pixels of the control's cache take the backdrop its parent answers.
void FillBackdropCorners(TsCommonData& skinData, int state, unsigned corners);

// The border ring of a windowed control painted into its cache (and copied to dc when
// that is not the cache's own DC). clientRect receives what lies inside the ring.
void PaintControlBorder(HDC dc, const RECT& rect, int borderWidth, RECT& clientRect, int state, TsCommonData& skinData);

// Registers the published skin-data properties ("SkinData.SkinSection" ...) for class C,
// whose skin data `data` returns.
template <class C> void RegisterSkinDataProperties(TsCommonData& (*data)(C&)) {
    RegisterProperty<C>("SkinData.SkinSection",
                        [data](C& c, const TPropValue& v, TReadContext&) { data(c).SetSkinSection(AsString(v)); });
    RegisterProperty<C>("SkinData.CustomColor",
                        [data](C& c, const TPropValue& v, TReadContext&) { data(c).SetCustomColor(AsBoolean(v)); });
    RegisterProperty<C>("SkinData.CustomFont",
                        [data](C& c, const TPropValue& v, TReadContext&) { data(c).SetCustomFont(AsBoolean(v)); });
    RegisterProperty<C>("SkinData.SkinManager", [data](C& c, const TPropValue& v, TReadContext& context) {
        std::string name = AsIdent(v);
        context.Defer([&c, data, name, &context] {
            TPropValue reference;
            reference.kind = TValueKind::vaIdent;
            reference.text = name;
            TComponent* component = context.Reference(reference);
            auto* manager = dynamic_cast<TsSkinManager*>(component);
            if (component != nullptr && manager == nullptr)
                throw EReadError("Error reading " + c.Name() + ": " + name + " has the wrong class");
            data(c).SetSkinManager(manager);
        });
    });
    RegisterProperty<C>("SkinData.HUEOffset", [data](C& c, const TPropValue& v, TReadContext&) {
        if (auto* ctrl = dynamic_cast<TsCtrlSkinData*>(&data(c)))
            ctrl->SetHUEOffset(AsInt(v));
    });
    RegisterProperty<C>("SkinData.Saturation", [data](C& c, const TPropValue& v, TReadContext&) {
        if (auto* ctrl = dynamic_cast<TsCtrlSkinData*>(&data(c)))
            ctrl->SetSaturation(AsInt(v));
    });
}

enum class TsCaptionLayout {
    sclLeft,
    sclTopLeft,
    sclTopCenter,
    sclTopRight,
    sclLeftTop,
    sclBottomLeft,
    sclBottomCenter,
    sclBottomRight
};

// Where a label of lw x lh goes beside a control's bounds.
POINT BoundLabelPosition(TsCaptionLayout layout, const RECT& control, int labelWidth, int labelHeight, int indent);

// The caption label a skinned edit can carry, placed beside it by Layout.
class TsBoundLabel {
public:
    TsBoundLabel(TsCommonData& skinData, TControl& control);
    ~TsBoundLabel();
    TsBoundLabel(const TsBoundLabel&) = delete;
    TsBoundLabel& operator=(const TsBoundLabel&) = delete;

    bool Active() const { return FLabel != nullptr; }
    void SetActive(bool value);
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    int Indent() const { return FIndent; }
    void SetIndent(int value);
    TsCaptionLayout Layout() const { return FLayout; }
    void SetLayout(TsCaptionLayout value);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int value);
    TFont& Font();
    void FontChanged() { Place(); }
    bool UseSkinColor() const { return FUseSkinColor; }
    void SetUseSkinColor(bool value) { FUseSkinColor = value; }
    TLabel* Label() const { return FLabel; }
    TsCommonData& SkinData() const { return FSkinData; }

    // Moves the label beside the control.
    void Place();

private:
    class TLabelWatch;

    TsCommonData& FSkinData;
    TControl& FControl;
    TLabel* FLabel = nullptr;
    // The label belongs to the form (and goes with its parent): when they free it first,
    // the watch forgets it so that it is not freed twice.
    std::unique_ptr<TLabelWatch> FWatch;
    std::string FCaption;
    int FIndent = 0;
    int FMaxWidth = 0;
    TsCaptionLayout FLayout = TsCaptionLayout::sclLeft;
    bool FUseSkinColor = true;
    TFont FPrivateFont;
};

} // namespace sj
