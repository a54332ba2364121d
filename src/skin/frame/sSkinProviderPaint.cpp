// Frame painting of a skinned form: title, icon, caption, the cache and the window region.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sSkinProviderInternal.h"
#include "skin/frame/sFade.h"

namespace sj {

using namespace provider_detail;

// ---- frame painting -------------------------------------------------------------------

void TsSkinProvider::LayoutTitle() {
    const int caption = CaptionHeight(true);
    const TsMargins margins = Margins();
    const TsSkinModel* model = Model();
    if (borderForm_ && model != nullptr) {
        const int maxTitle = MaximizedTitleHeight();
        const TsSkinData& globals = model->SkinGlobals;
        centerLine_ = margins[1] + maxTitle / 2 + caption - maxTitle;
        if (!IsMaximized() || globals.TitleHeight == globals.MaxHeight)
            centerLine_ += globals.CenterOffset;
    } else {
        centerLine_ = caption / 2 + FrameBorderWidth(true) / 2;
    }
    if (IsMaximized())
        centerLine_ += 2;
    titleBottom_ = FrameTopBorder(true) + caption + margins[1];
    iconRect_ = RECT{};
    const int left = FrameBorderWidth(true) + (model != nullptr ? model->SkinGlobals.BILeft : 0) + margins[0];
    const bool showIcon = showAppIcon_ && titleIcon_.Visible && form_.HandleAllocated() && BigButtonSet() && hasSysButtons_;
    if (!showIcon) {
        iconRect_ = RECT{left, centerLine_, left, centerLine_};
        return;
    }
    const int size = TitleIconSize(caption);
    const int width = titleIcon_.Width > 0 ? titleIcon_.Width : size;
    const int height = titleIcon_.Height > 0 ? titleIcon_.Height : size;
    iconRect_ = RECT{left, centerLine_ - height / 2, left + width, centerLine_ - height / 2 + height};
}

void TsSkinProvider::PaintTitle(TBitmap& cache) {
    const TsSkinModel* model = Model();
    const std::int32_t title = TitleSectionIndex();
    const TsMargins margins = Margins();
    const TacRect strip{margins[0], margins[1], cache.Width() - margins[2], std::min(cache.Height(), titleBottom_)};
    if (model->HasSection(title)) {
        const std::string name = model->GeneralData[static_cast<std::size_t>(title)].SectionName;
        // Clear corners show what lay there before: a copy, since the fill goes first.
        TacPixmap behind = CopyOfArea(cache.Pixels(), strip);
        PaintSectionFace(cache.Pixels(), strip, model, title, name, SectionState(title), true,
                         BitmapBackdrop(behind.View(), -strip.Left, -strip.Top), strip.Left, strip.Top);
    }
    PaintTitleIcon(cache);
    if (!hasSysButtons_ || !skinData_->Section())
        return;
    const std::int32_t bar = model->ImageIndexOf(skinData_->SectionIndex, skinData_->SkinSection(), "TITLEBAR");
    if (!model->HasImage(bar))
        return;
    const TsMaskData& item = model->Masks[static_cast<std::size_t>(bar)];
    const TacRect area = TitleBarStripRect(cache.Width(), strip.Top, strip.Bottom, buttonBlockWidth_, FrameWidth(item));
    // What reaches into the shadow ring is painted over by the ring later.
    DrawBordersMask(cache.Pixels(), area, true, SectionState(title), item, BitmapBackdrop(cache.Pixels(), 0, 0));
}

// The title icon's glyph stretched over the icon rectangle: blended by its alpha when
// it has any, else with magenta left out and the rest made opaque.
void DrawTitleIconGlyph(TacPixelsView target, const RECT& place, TacPixelsView glyph) {
    const int width = place.right - place.left, height = place.bottom - place.top;
    if (width <= 0 || height <= 0 || glyph.Width <= 0 || glyph.Height <= 0)
        return;
    TacPixmap sized(width, height);
    StretchPixels(sized.View(), TacRect{0, 0, width, height}, glyph, TacRect{0, 0, glyph.Width, glyph.Height});
    bool hasAlpha = false;
    for (int y = 0; y < glyph.Height && !hasAlpha; ++y)
        for (int x = 0; x < glyph.Width; ++x)
            if ((glyph.At(x, y) >> 24) != 0) {
                hasAlpha = true;
                break;
            }
    if (hasAlpha) {
        BlendAlphaImage(target, TacRect{place.left, place.top, place.right, place.bottom}, sized.View(),
                        TacRect{0, 0, width, height});
        return;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int tx = place.left + x, ty = place.top + y;
            const TPixel32 pixel = sized.At(x, y) & 0x00FFFFFFu;
            if (tx >= 0 && ty >= 0 && tx < target.Width && ty < target.Height && pixel != 0x00FF00FFu)
                target.At(tx, ty) = pixel | 0xFF000000u;
        }
}

void TsSkinProvider::PaintTitleIcon(TBitmap& cache) {
    const int size = iconRect_.right - iconRect_.left;
    if (size <= 0 || iconRect_.bottom <= iconRect_.top)
        return;
    if (titleIcon_.Glyph && titleIcon_.Glyph->Width() > 0 && titleIcon_.Glyph->Height() > 0) {
        DrawTitleIconGlyph(cache.Pixels(), iconRect_, titleIcon_.Glyph->Pixels());
        return;
    }
    HICON icon = form_.Icon().Handle();
    if (icon == nullptr)
        icon = Application->Icon().Handle();
    if (icon == nullptr)
        icon = ::LoadIconA(nullptr, IDI_APPLICATION);
    // DrawIconEx leaves alpha 0 behind; the pixels it changed are made opaque.
    const int height = iconRect_.bottom - iconRect_.top;
    auto before = CreateBitmap32(size, height);
    CopyPixels(before->Pixels(), 0, 0, cache.Pixels(),
               TacRect{iconRect_.left, iconRect_.top, iconRect_.left + size, iconRect_.top + height});
    ::DrawIconEx(cache.Canvas().Handle(), iconRect_.left, iconRect_.top, icon, size, height, 0, nullptr, DI_NORMAL);
    TacPixelsView pixels = cache.Pixels();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < size; ++x) {
            const int cx = iconRect_.left + x, cy = iconRect_.top + y;
            if (cx < 0 || cy < 0 || cx >= pixels.Width || cy >= pixels.Height)
                continue;
            if (pixels.At(cx, cy) != before->Pixels().At(x, y))
                pixels.At(cx, cy) |= 0xFF000000u;
        }
}

void TsSkinProvider::PaintCaptionText(TBitmap& cache) {
    const TsSkinModel* model = Model();
    const std::string caption = addedTitleShowMainCaption_ ? form_.Caption() : std::string();
    RECT r{};
    const int iconWidth = iconRect_.right - iconRect_.left;
    const TsMargins margins = Margins();
    r.left = FrameBorderWidth(true) + iconWidth + model->SkinGlobals.BILeft + margins[0] +
             (model->HasSection(captionSectionIndex_) ? 2 : 0) + 4;
    r.right = cache.Width() - buttonBlockWidth_ - margins[2] - 12;
    HDC dc = cache.Canvas().Handle();
    const TCaptionFontScope captionFont(dc);
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    r.top = centerLine_ - metrics.tmHeight / 2;
    r.bottom = r.top + metrics.tmHeight;
    int addedWidth = 0;
    const std::string& addedText = addedTitleText_;
    // Without the form's caption the added text starts where the caption would.
    const int addedGap = caption.empty() ? 0 : 4;
    if (!addedText.empty()) {
        HGDIOBJ previous = ::SelectObject(dc, AddedTitleFont.Handle());
        SIZE added{};
        ::GetTextExtentPoint32A(dc, addedText.c_str(), static_cast<int>(addedText.size()), &added);
        addedWidth = added.cx + addedGap;
        ::SelectObject(dc, previous);
    }
    const int needed = extent.cx + addedWidth + 4;
    const bool rtl = RightToLeft();
    TAlignment alignment = captionAlignment_;
    if (rtl && alignment != TAlignment::taCenter)
        alignment = alignment == TAlignment::taLeftJustify ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
    if (alignment == TAlignment::taRightJustify) {
        if (r.right - needed > r.left)
            r.left = r.right - needed;
    } else if (alignment == TAlignment::taCenter) {
        r.left = std::max<LONG>(r.left, r.left + (r.right - r.left - needed) / 2);
        r.right = std::min<LONG>(r.left + extent.cx, r.right);
    }
    captionTextRect_ = r;
    if (r.right > r.left)
        PaintCaptionBacking(cache, model, captionSectionIndex_, SectionState(captionSectionIndex_), r);
    const std::int32_t title = TitleSectionIndex();
    TColor color = clCaptionText;
    if (model->HasSection(title))
        color = static_cast<TColor>(
            model->GeneralData[static_cast<std::size_t>(title)].PropsOfState(SectionState(title)).FontColor);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, PaintColorToRGB(color));
    RECT textRect = r;
    const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | (rtl ? DT_RTLREADING : 0u);
    if (!caption.empty())
        PaintCaptionGlow(cache, caption, textRect, flags);
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect, flags);
    if (!addedText.empty() && r.right + addedGap < cache.Width()) {
        ::SelectObject(dc, AddedTitleFont.Handle());
        TColor addedColor = AddedTitleFont.Color();
        if (addedColor == clNone || addedColor == clWindowText)
            addedColor = color;
        if (formActive_ == 0)
            addedColor = static_cast<TColor>(MixColors(PaintColorToRGB(addedColor), PaintColorToRGB(color), 0.5));
        ::SetTextColor(dc, PaintColorToRGB(addedColor));
        RECT addedRect{r.left + extent.cx + addedGap, r.top, cache.Width() - buttonBlockWidth_ - margins[2] - 12,
                       r.bottom};
        ::DrawTextA(dc, addedText.c_str(), static_cast<int>(addedText.size()), &addedRect, flags);
        MakeTextOpaque(cache, addedRect, cache.Width() - margins[2]);
    }
    // The frame is opaque, the shadow ring beyond its edge is not.
    MakeTextOpaque(cache, r, cache.Width() - margins[2]);
}

// The title section's text glow for the form's state behind the caption. The blurred
// image is kept per state and made again only when the text, its place or the glow
// changes.
void TsSkinProvider::PaintCaptionGlow(TBitmap& cache, const std::string& caption, const RECT& text, UINT flags) {
    const TsSkinModel* model = Model();
    const std::int32_t title = TitleSectionIndex();
    if (model == nullptr || !model->HasSection(title))
        return;
    const int state = SectionState(title);
    const TsGenState& props = model->GeneralData[static_cast<std::size_t>(title)].PropsOfState(state);
    if (props.GSize <= 0)
        return;
    TCaptionGlow& glow = captionGlows_[formActive_ != 0 ? 1 : 0];
    const RECT at = text;
    if (glow.Text != caption || !::EqualRect(&glow.Place, &at) || glow.Size != props.GSize ||
        glow.Flags != flags) {
        glow.Image = TacGrayImage();
        glow.Text = caption;
        glow.Place = at;
        glow.Size = props.GSize;
        glow.Flags = flags;
    }
    auto render = [&caption, flags](TacGrayImage& image, const std::vector<TacRect>& places) {
        if (image.Empty())
            return;
        TBitmap scratch(image.Width(), image.Height());
        FillPixels(scratch.Pixels(), TacRect{0, 0, image.Width(), image.Height()}, 0x00FFFFFF, 0);
        HDC dc = scratch.Canvas().Handle();
        const TCaptionFontScope font(dc);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, 0);
        for (const TacRect& p : places) {
            RECT r{p.Left, p.Top, p.Right, p.Bottom};
            ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r, flags);
        }
        TacPixelsView pixels = scratch.Pixels();
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                image.At(x, y) = static_cast<std::uint8_t>((pixels.At(x, y) >> 8) & 0xFF);
    };
    DrawBlurredText(cache.Pixels(), TacRect{at.left, at.top, at.right, at.bottom}, glow.Image,
                    ColorToRGB(static_cast<TColor>(props.GCol)) & 0x00FFFFFF, static_cast<std::uint8_t>(props.GSize),
                    tcAll, render);
}

namespace provider_detail {

void PaintCaptionBacking(TBitmap& cache, const TsSkinModel* model, std::int32_t captionIndex, int state,
                         const RECT& text) {
    if (model == nullptr || !model->HasSection(captionIndex))
        return;
    const TacRect area{std::max<int>(0, text.left - 4), std::max<int>(0, text.top - 2),
                       std::min<int>(cache.Width(), text.right + 4), std::min<int>(cache.Height(), text.bottom + 2)};
    if (area.Right <= area.Left || area.Bottom <= area.Top)
        return;
    TacPixmap behind = CopyOfArea(cache.Pixels(), area);
    PaintSectionFace(cache.Pixels(), area, model, captionIndex, "CAPTION", state, true,
                     BitmapBackdrop(behind.View(), -area.Left, -area.Top), area.Left, area.Top);
}

void MakeTextOpaque(TBitmap& cache, const RECT& text, int right) {
    TacPixelsView pixels = cache.Pixels();
    const int last = std::min<int>(pixels.Width, right);
    for (int y = std::max<int>(0, text.top); y < std::min<int>(pixels.Height, text.bottom); ++y)
        for (int x = std::max<int>(0, text.left); x < last; ++x)
            pixels.At(x, y) |= 0xFF000000u;
}

} // namespace provider_detail

TacRect TitleBarStripRect(int cacheWidth, int top, int bottom, int buttonBlockWidth, int itemFrameWidth) {
    const int width = std::clamp(buttonBlockWidth + 2 * itemFrameWidth, 0, std::max(0, cacheWidth));
    return TacRect{cacheWidth - width, top, cacheWidth, bottom};
}

bool TsSkinProvider::PaintFrame() {
    if (!Skinned() || !form_.HandleAllocated() || form_.HasState(csLoading))
        return false;
    if (!skinData_->CacheStale && FrameCache() != nullptr && FrameCache()->Width() > 0)
        return true;
    SIZE size = WindowSize();
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    const TsMargins margins = Margins();
    if (borderForm_) {
        // The skin's frame and title take the place of the system's, and the shadow
        // ring lies around them.
        const int b = FrameBorderWidth(true) - FrameBorderWidth(false);
        const int t = CaptionHeight(true) - CaptionHeight(false) - FrameBorderWidth(false);
        size.cx += 2 * b + margins[0] + margins[2];
        size.cy += b + t + margins[1] + margins[3];
    }
    if (!skinData_->CacheBitmap)
        skinData_->CacheBitmap = CreateBitmap32(0, 0);
    TBitmap& cache = *skinData_->CacheBitmap;
    if (cache.Width() != size.cx || cache.Height() != size.cy)
        cache.SetSize(size.cx, size.cy);
    LayoutTitle();
    LayoutTitleButtons();
    regionStale_ = true;
    const TacRect frame{margins[0], margins[1], size.cx - margins[2], size.cy - margins[3]};
    if (borderForm_)
        FillPixels(cache.Pixels(), TacRect{0, 0, size.cx, size.cy}, 0, 0);
    PaintFrameFace(cache, frame);
    PaintGrip(cache);
    // A border image that is the frame itself goes under the title; any other ring
    // lies outside the frame and shows through the title's clear corners.
    const bool ringFrames = RingFramesTheForm();
    if (IsBordered() && !ringFrames)
        PaintTitle(cache);
    PaintMenuLine(cache);
    if (borderForm_)
        PaintExtendedRing(cache);
    if (IsBordered()) {
        if (ringFrames)
            PaintTitle(cache);
        SaveButtonStrip(cache);
        PaintCaptionText(cache);
        PaintTitleButtons(cache);
    }
    skinData_->CacheStale = false;
    // Whoever asked for the frame (a child's backdrop, the client background), the
    // border window shows the new picture at its next update.
    if (borderForm_)
        borderForm_->MarkContentStale();
    return true;
}

// The FORM face over the window's part of the cache. When the border image draws the
// frame, the face goes without its border image: that lies under the ring and would
// only show through where the ring image is translucent.
void TsSkinProvider::PaintFrameFace(TBitmap& cache, const TacRect& frame) {
    const TColor face = FaceColor();
    FillPixels(cache.Pixels(), frame, ColorToPixelOrder(PaintColorToRGB(face)), 0xFF);
    if (skinData_->Section() == nullptr)
        return;
    const TsSkinModel* model = Model();
    const std::int32_t section = skinData_->SectionIndex;
    const int state = SectionState(section);
    const TBackdropRef backdrop = ColorBackdrop(PaintColorToRGB(face));
    if (RingFramesTheForm())
        PaintSectionFaceWithItems(cache.Pixels(), frame, model, section, skinData_->SkinSection(), -1, state, true,
                                  backdrop, 0, 0);
    else
        PaintSectionFace(cache.Pixels(), frame, model, section, skinData_->SkinSection(), state, true, backdrop, 0, 0);
}

// The window's frame strips around its client area, from the cache. With a border
// window the real window's thin remaining frame shows the same pixels as the border
// window around it, should its region not hide it.
void TsSkinProvider::CopyFrameToWindow(HDC dc) {
    TBitmap* cache = FrameCache();
    if (cache == nullptr || dc == nullptr)
        return;
    HDC source = cache->Canvas().Handle();
    const POINT offset = borderForm_ ? borderForm_->Offset() : POINT{0, 0}; // cache = window - offset
    const SIZE size = WindowSize();
    const int left = ClientOffsetX() + offset.x, top = ClientOffsetY() + offset.y;
    const int right = left + form_.ClientWidth(), bottom = top + form_.ClientHeight();
    auto copy = [&](int x, int y, int w, int h) {
        if (w > 0 && h > 0)
            ::BitBlt(dc, x, y, w, h, source, x - offset.x, y - offset.y, SRCCOPY);
    };
    copy(0, 0, size.cx, top);
    copy(0, top, left, bottom - top);
    copy(right, top, size.cx - right, bottom - top);
    copy(0, bottom, size.cx, size.cy - bottom);
}

void TsSkinProvider::PaintNonClient(HDC dc) {
    if (!form_.HandleAllocated())
        return;
    // Under desktop composition the outline would be drawn under the composed windows.
    if (ResizeMode == TsResizeMode::rmBorder && CompositionEnabled())
        ResizeMode = TsResizeMode::rmStandard;
    skinData_->InUpdate = false;
    const bool repainted = skinData_->CacheStale;
    const bool painted = PaintFrame();
    // After the frame, so that the corners are cut at the frame's present width.
    if (regionStale_ && !IsMinimized()) {
        CollectClearCorners();
        regionStale_ = false;
        UpdateWindowRegion(false);
    }
    if (!painted)
        return;
    if (borderForm_) {
        // Everything but the client area is the border window's to show.
        borderForm_->UpdateBorderWindow(repainted);
    }
    HDC windowDC = dc != nullptr ? dc : ::GetWindowDC(form_.Handle());
    CopyFrameToWindow(windowDC);
    if (dc == nullptr)
        ::ReleaseDC(form_.Handle(), windowDC);
}

void TsSkinProvider::RepaintFrameNow() {
    if (form_.HandleAllocated())
        PaintNonClient(nullptr);
}

void CollectFrameCornerRuns(TsSkinModel& model, std::int32_t bordersIndex, int width, int height, bool bottom,
                            std::vector<RECT>& runs) {
    if (!model.HasImage(bordersIndex))
        return;
    const TsMaskData& item = model.Masks[static_cast<std::size_t>(bordersIndex)];
    const TacPixmap* image = item.SourceImage();
    if (image == nullptr)
        return;
    const TacPixmap& view = *image;
    const int frameWidth = FrameWidth(item);
    const int frameHeight = FrameHeight(item);
    const int x0 = item.SourceRect.Left, y0 = item.SourceRect.Top;
    const int l = model.BorderLeftOf(bordersIndex), t = model.BorderTopOf(bordersIndex);
    const int r = model.BorderRightOf(bordersIndex), b = model.BorderBottomOf(bordersIndex);
    const int shift = width - frameWidth;
    if (t <= frameHeight) {
        CollectKeyRuns(view, x0, l, y0, t, 0, 0, runs);
        CollectKeyRuns(view, x0 + frameWidth - r, r, y0, t, shift + frameWidth - r, 0, runs);
    }
    if (bottom && b <= frameHeight) {
        const int rowsTop = y0 + frameHeight - b;
        CollectKeyRuns(view, x0, l, rowsTop, b, 0, height - b, runs);
        CollectKeyRuns(view, x0 + frameWidth - r, r, rowsTop, b, shift + frameWidth - r, height - b, runs);
    }
}

void TsSkinProvider::CollectClearCorners() {
    clearCorners_.clear();
    const TsSkinModel* model = Model();
    TBitmap* cache = FrameCache();
    if (model == nullptr || !form_.HandleAllocated())
        return;
    const int width = cache != nullptr && cache->Width() > 0 ? cache->Width() : WindowSize().cx;
    const int height = WindowSize().cy;
    TsSkinModel& skin = SkinManager()->Core().Model();
    const std::int32_t form = skinData_->Section() != nullptr ? skinData_->BordersIndex : -1;
    CollectFrameCornerRuns(skin, form, width, height, true, clearCorners_);
    const std::int32_t title = TitleSectionIndex();
    if (model->HasSection(title))
        CollectFrameCornerRuns(skin, model->GeneralData[static_cast<std::size_t>(title)].BordersMaskIndex, width,
                               height, false, clearCorners_);
}

// Asked once, before the frame is first painted: a form may answer that another owner
// manages its window region, which the provider then leaves alone.
bool TsSkinProvider::RegionManagedElsewhere() {
    constexpr UINT probe = 0xBC4D;
    constexpr WPARAM answer = 0x41A2;
    if (!regionProbed_ && form_.HandleAllocated()) {
        regionProbed_ = true;
        regionElsewhere_ = ::SendMessageA(form_.Handle(), probe, answer, 0) == static_cast<LRESULT>(answer);
    }
    return regionElsewhere_;
}

void TsSkinProvider::UpdateWindowRegion(bool redraw) {
    if (!drawNonClientArea_ || inert_ || !form_.HandleAllocated())
        return;
    if (!IsBordered() && !IsMinimized() && !IsSizeable())
        return;
    if (RegionManagedElsewhere())
        return;
    const SIZE size = WindowSize();
    HRGN region = nullptr;
    if (borderForm_) {
        // Only the client area of the real window shows; the border window shows the rest.
        const int w = FrameBorderWidth(false), c = CaptionHeight(false);
        region = ::CreateRectRgn(w, w + c, size.cx - w, size.cy - w);
    } else if (IsMaximized()) {
        const int w = FrameBorderWidth(false);
        region = ::CreateRectRgn(w, w, size.cx - w, size.cy - w);
    } else {
        region = ::CreateRectRgn(0, 0, size.cx, size.cy);
        for (const RECT& r : clearCorners_) {
            HRGN cut = ::CreateRectRgn(r.left, r.top, r.right, r.bottom);
            ::CombineRgn(region, region, cut, RGN_DIFF);
            ::DeleteObject(cut);
        }
    }
    // A region the window has already is not set again: every setting repaints the frame.
    HRGN current = ::CreateRectRgn(0, 0, 0, 0);
    const bool same = ::GetWindowRgn(form_.Handle(), current) != ERROR && ::EqualRgn(current, region);
    ::DeleteObject(current);
    if (same) {
        ::DeleteObject(region);
        return;
    }
    // The window owns the region from here on.
    if (::SetWindowRgn(form_.Handle(), region, redraw ? TRUE : FALSE) == 0)
        ::DeleteObject(region);
}

void TsSkinProvider::PaintClientBackground(HDC dc, bool notifyChildren) {
    if (dc == nullptr)
        return;
    const RECT client = form_.ClientRect();
    const bool plain = (skinData_->StateFlags & 1) != 0 && skinData_->StateFlags != sfUncomputed;
    if (plain || !PaintFrame()) {
        FillRectDC(dc, client, FaceColor());
    } else {
        TBitmap* cache = FrameCache();
        ::BitBlt(dc, 0, 0, client.right, client.bottom, cache->Canvas().Handle(), ClientOffsetX(), ClientOffsetY(),
                 SRCCOPY);
    }
    if (!notifyChildren)
        return;
    for (int i = 0; i < form_.ControlCount(); ++i) {
        auto* windowed = dynamic_cast<TWinControl*>(form_.Controls(i));
        if (windowed != nullptr && windowed->HandleAllocated()) {
            if (::SendMessageA(windowed->Handle(), SkinCommandMessage, SkinCommand(scIsSkinned), 0) == 1)
                ::SendMessageA(windowed->Handle(), SkinCommandMessage, SkinCommand(scParentUpdated), 0);
        }
    }
}

} // namespace sj
