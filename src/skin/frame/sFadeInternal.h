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

} // namespace fade_detail
} // namespace sj
