// Turns what a skinned window paints into gallery pictures: the frame cache with the
// client area laid over it, in straight alpha as PNG files want it, the window
// region's cut corners made transparent, and box-filtered thumbnails.
#pragma once

#include "platform/Pixmap.h"

#include <string>
#include <vector>

namespace sj::tools {

// The picture's file name without extension: the internal-skin suffix " (internal)"
// dropped, spaces as underscores, and any character that a Windows file name or a
// Markdown link cannot carry as it is replaced by '_'. Never empty.
std::string GalleryFileStem(const std::string& skinName);

// What the window shows, in frame-cache coordinates.
struct TWindowPaint {
    // A copy of the frame cache: the frame, and around it the shadow ring when the
    // form has extended borders.
    TacPixmap Cache;
    // True when the cache is shown by a layered window (extended borders): its alpha
    // is real and its colours are premultiplied. False when the window itself shows
    // the cache: GDI leaves the alpha bytes undefined and the window is opaque.
    bool CacheHasAlpha = false;
    // The window region, as rectangles; empty means the whole cache is visible.
    // Only used for an opaque cache (a layered window's alpha already shapes it).
    std::vector<TacRect> VisibleRects;
    // The client area with its children, laid over the cache at (ClientX, ClientY).
    TacPixmap Client;
    int ClientX = 0;
    int ClientY = 0;
};

// The window as one straight-alpha picture of the cache's size: the client area is
// opaque, the frame opaque or with its own alpha, everything outside the window
// region fully transparent (colour 0).
TacPixmap ComposeWindowPicture(const TWindowPaint& paint);

// True when every pixel has the same colour (alpha ignored), or there are none: a
// picture that shows nothing was painted.
bool IsUniform(const TacPixmap& image);

// Colours of premultiplied pixels divided by their alpha (rounded, at most 255);
// fully transparent pixels become 0.
void UnpremultiplyAlpha(TacPixelsView pixels);

// Shrinks the image by an integer factor (at least 1): each target pixel is the mean
// of its factor x factor block (a smaller block at the right and bottom edges when the
// size is not a multiple), averaged in premultiplied colour so that transparent pixels
// lend no colour to their neighbours. The result is straight alpha again.
TacPixmap ShrinkImage(const TacPixmap& image, int factor);

} // namespace sj::tools
