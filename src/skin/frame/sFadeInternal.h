// Helpers shared by the form animations (show, hide, skin change, minimise, move); not
// an interface of its own.
#pragma once

#include <windows.h>

#include <vector>

#include "forms/Bitmap.h"
#include "platform/Pixmap.h"

namespace sj {

class TCustomForm;
class TsSkinManager;
class TsSkinProvider;

namespace fade_detail {

// A hidden, layered, never activated tool window that takes no clicks: what an
// animation draws in when the form has no border window to lend. Topmost with a
// topmost form.
HWND CreateAnimationWindow(HWND form, POINT position, SIZE size);
// Frees an animation window (nothing when it is gone already).
void ForgetAnimationWindow(HWND window);
// Shows bitmap in a layered window at `position` with a constant alpha.
void PushFrame(HWND window, TBitmap& bitmap, POINT position, BYTE alpha);
// The frame of one step: the picture stretched into `rect` of a clear work bitmap.
void DrawStep(TBitmap& work, TBitmap& picture, const TacRect& rect);
bool IsTopmost(HWND window);
void RedrawCompletely(HWND window);
// The provider of a form, asked the way a second provider would ask (skin command 4).
TsSkinProvider* ProviderOf(TCustomForm& form);
// The forms a change of this manager's skin shows: visible, not minimised, top-level
// skinned forms whose provider belongs to the manager.
std::vector<TCustomForm*> VisibleSkinnedForms(TsSkinManager& manager);

// Keeps the frames of a synchronous animation on their schedule (one every `interval`
// ms from the first): the wait after a frame is what is left of its interval, so that
// the time a frame takes to draw and upload does not push every later frame back.
class TFramePacer {
public:
    explicit TFramePacer(int interval);
    // Waits until the next frame is due (not at all when it is due already).
    void WaitForNext();

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
    int interval_;
    int frame_ = 0;
};

} // namespace fade_detail
} // namespace sj
