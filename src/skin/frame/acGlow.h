// Glow windows: a skin image laid as a nine-slice around a hot title button or control
// and shown through a layered tool window just above the window it belongs to. The
// windows never take the focus or the mouse. Every glow lives in one process-wide list;
// a glow id is its index there, -1 none. User-interface thread only; nothing here throws.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Controls.h"
#include "platform/Pixmap.h"

namespace sj {

class TCustomForm;
class TsCommonData;
class TsSkinModel;
class TacGlowForm;

// The tag of the skin layer's own auxiliary windows: code that walks forms skips them.
inline constexpr std::intptr_t acAuxWindowTag = -98;

// The extended styles of a glow window.
inline constexpr DWORD acGlowExStyle = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;

// Where a glow goes: the whole glow bitmap is Width x Height; the window shows its
// Visible part with that part's top-left at (X, Y) on the screen.
struct TacGlowPlacement {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    TacRect Visible;
};

// The borders of the glow image reach out of rect, less the margin on each side; where
// clip cuts rect, the glow is cut by as much. False when nothing would be visible.
bool GlowPlacementOf(const RECT& rect, const RECT& clip, int borderLeft, int borderTop, int borderRight,
                     int borderBottom, int margin, TacGlowPlacement& placement);

class TacGlowEffect {
public:
    // Makes the (hidden) window; topmost when parent is.
    TacGlowEffect(const TsSkinModel* manager, int maskIndex, int margin, HWND parent);
    // Unhooks and frees the window unless it was let go.
    ~TacGlowEffect();
    TacGlowEffect(const TacGlowEffect&) = delete;
    TacGlowEffect& operator=(const TacGlowEffect&) = delete;

    // Paints the glow image for placement and shows it just above parent without
    // activating it. False when the system refused the layered content.
    bool Show(const TacGlowPlacement& placement, HWND parent, BYTE alpha);

    HWND Handle() const;
    TCustomForm* Form() const;
    const TsSkinModel* Manager() const { return FManager; }
    int MaskIndex() const { return FMaskIndex; }
    int Margin() const { return FMargin; }

    // Forgets the window without freeing it (the framework may be gone already).
    void LetGoOfWindow();

private:
    void PlaceAboveParent(const TacGlowPlacement& placement, HWND parent);

    std::unique_ptr<TacGlowForm> FForm;
    TWindowProcHook FHitTestHook;
    const TsSkinModel* FManager = nullptr;
    int FMaskIndex = -1;
    int FMargin = 0;
};

// The process-wide list; freed glows leave empty slots until ClearGlows.
const std::vector<std::unique_ptr<TacGlowEffect>>& TacGlowEffects();
// The glow of an id, or none.
TacGlowEffect* GlowEffectOf(int id);

// Shows the image `name` + "0" of `section` around rect (screen coordinates; clip says
// what of rect is visible) over parent's window, with the borders overlapping rect by
// margin, at constant alpha. Returns the glow id, or -1 without layered windows, without
// the image, or when nothing would be visible.
int ShowGlow(const RECT& rect, const RECT& clip, const std::string& section, const TsSkinModel* manager, HWND parent,
             BYTE alpha, int margin, const std::string& name);
// Frees the glow and its window; id becomes -1 (also for ids that are stale or unknown).
void HideGlow(int& id);
// Frees every glow, and their windows when freeWindows is set, and empties the list.
void ClearGlows(bool freeWindows = true);

// The hover glow of a control's skin data: shown while the control is hovered, the
// manager allows glowing and the section's "GLOW" is at least 1, around the control's
// window (or `window` when given) on its top-level form; removed when the control is
// no longer hovered, is being designed, or force is set while one is shown.
void ShowControlGlow(TsCommonData& data, bool force, HWND window = nullptr);
// Removes the control's glow.
void HideControlGlow(TsCommonData& data);

} // namespace sj
