#include "skin/controls/sButtonLayout.h"

#include <algorithm>

namespace sj {

int ButtonCurrentState(const TsButtonStateInput& in) {
    if ((in.Pushed || in.ShowPressed) && (in.PointerOver || !in.LeftButtonHeld))
        return bstPressed;
    if (in.Down || in.MenuDropped)
        return bstPressed;
    if (!in.Designing && in.Hot)
        return bstHot;
    if (in.ActiveDefault)
        return bstActiveDefault;
    return bstNormal;
}

int ButtonFaceState(int currentState, int sectionStates) {
    if (currentState == bstActiveDefault && sectionStates < 4)
        return bstHot;
    return std::max(0, std::min(currentState, sectionStates - 1));
}

int ButtonGlyphState(bool enabled, int currentState, bool focused) {
    if (!enabled)
        return gstDisabled;
    if (currentState == bstPressed)
        return bstPressed;
    if (focused)
        return bstActiveDefault;
    return currentState;
}

int ButtonGlyphIndex(int glyphState, const TsButtonImageIndexes& indexes, int imageCount) {
    int wanted = indexes.Normal;
    switch (glyphState) {
    case 1:
        wanted = indexes.Hot;
        break;
    case 2:
        wanted = indexes.Pressed;
        break;
    case 3:
        wanted = indexes.Selected;
        break;
    case 4:
        wanted = indexes.Disabled;
        break;
    default:
        break;
    }
    return wanted >= 0 && wanted < imageCount ? wanted : indexes.Normal;
}

namespace {

int CaptionAreaWidth(const TsButtonLayoutInput& in) {
    return in.Style == TsButtonStyle::bsSplitButton ? in.Width - SplitStripWidth : in.Width;
}

TacRect Moved(TacRect r, bool pressed) {
    if (pressed) {
        ++r.Left;
        ++r.Right;
        ++r.Top;
        ++r.Bottom;
    }
    return r;
}

// Left and right sides of a horizontally laid out caption beside the glyph.
int GlyphBlockWidth(const TsButtonLayoutInput& in) {
    return in.Margins.Right + in.ContentMargin + in.ImageWidth + in.Margins.Left;
}

} // namespace

int ButtonGlyphWidthWithMargins(const TsButtonLayoutInput& in) {
    return (in.HasGlyph ? in.ImageWidth : PlaceholderGlyphSize) + in.Margins.Left + in.Margins.Right;
}

int ButtonGlyphHeightWithMargins(const TsButtonLayoutInput& in) {
    return (in.HasGlyph ? in.ImageHeight : PlaceholderGlyphSize) + in.Margins.Top + in.Margins.Bottom;
}

int ButtonHintMeasureWidth(const TsButtonLayoutInput& in) {
    return in.Width - 2 * in.ContentMargin - ButtonGlyphWidthWithMargins(in);
}

// The caption is measured in the width it is drawn in, so that a caption that wraps
// there gets the height of all its lines instead of losing the last ones to the clip.
int ButtonTextMeasureWidth(const TsButtonLayoutInput& in) {
    if (in.Style == TsButtonStyle::bsCommandLink)
        return ButtonHintMeasureWidth(in) - 6;
    const int cw = CaptionAreaWidth(in);
    if (!in.HasGlyph || in.Alignment == TImageAlignment::iaCenter)
        return cw;
    if (in.Alignment == TImageAlignment::iaLeft || in.Alignment == TImageAlignment::iaRight)
        return cw - GlyphBlockWidth(in) - in.ContentMargin;
    return cw - 2 * in.ContentMargin;
}

TacRect ButtonCaptionRect(const TsButtonLayoutInput& in) {
    const int cw = CaptionAreaWidth(in);
    const int h = in.Height;
    const int cm = in.ContentMargin;
    const int centredTop = (h - in.TextHeight) / 2;
    TacRect r;
    if (in.Style == TsButtonStyle::bsCommandLink) {
        r = {ButtonGlyphWidthWithMargins(in) + cm + 6, cm, cw - cm, cm + in.TextHeight};
    } else if (!in.HasGlyph || in.Alignment == TImageAlignment::iaCenter) {
        r.Left = (cw - in.TextWidth) / 2 - 1;
        r.Right = r.Left + in.TextWidth + 2;
        r.Top = centredTop;
        r.Bottom = h - centredTop;
    } else {
        switch (in.Alignment) {
        case TImageAlignment::iaLeft:
            r = {GlyphBlockWidth(in), centredTop, cw - cm, h - centredTop};
            break;
        case TImageAlignment::iaRight:
            r = {cm, centredTop, cw - GlyphBlockWidth(in), h - centredTop};
            break;
        case TImageAlignment::iaTop: {
            const int a = in.Margins.Top + 2 * cm + in.ImageHeight;
            r.Top = a + (h - cm - a - in.TextHeight) / 2;
            r.Bottom = r.Top + in.TextHeight;
            r.Left = cm;
            r.Right = cw - cm;
            break;
        }
        default: { // iaBottom
            const int b = h - (in.Margins.Bottom + cm + in.ImageHeight + in.Margins.Top);
            r.Top = (b - in.Margins.Top - in.TextHeight) / 2 + in.Margins.Top;
            r.Bottom = r.Top + in.TextHeight;
            r.Left = cm;
            r.Right = cw - cm;
            break;
        }
        }
    }
    return Moved(r, in.Pressed);
}

TacRect ButtonGlyphRect(const TsButtonLayoutInput& in) {
    if (!in.HasGlyph)
        return {};
    const int cw = CaptionAreaWidth(in);
    const int h = in.Height;
    const int iw = in.ImageWidth;
    const int ih = in.ImageHeight;
    const int cm = in.ContentMargin;
    int left = (cw - iw) / 2;
    int top = (h - ih) / 2;
    if (in.Style == TsButtonStyle::bsCommandLink) {
        left = in.Margins.Left + cm;
        top = cm;
    } else {
        switch (in.Alignment) {
        case TImageAlignment::iaLeft:
            left = in.Margins.Left + cm;
            break;
        case TImageAlignment::iaRight:
            left = cw - in.Margins.Right - cm - iw;
            break;
        case TImageAlignment::iaTop:
            top = in.Margins.Top + cm;
            break;
        case TImageAlignment::iaBottom:
            top = h - in.Margins.Bottom - cm - ih;
            break;
        case TImageAlignment::iaCenter:
            break;
        }
    }
    return Moved(TacRect{left, top, left + iw, top + ih}, in.Pressed);
}

// --- Speed buttons -----------------------------------------------------------------

int SpeedButtonState(bool downOrExclusive, bool hot) {
    if (downOrExclusive)
        return 2;
    return hot ? 1 : 0;
}

int SpeedButtonEffectiveMargin(int margin) {
    return margin < 0 ? 0 : margin + 3;
}

namespace {

bool Horizontal(TsSpeedLayout layout) {
    return layout == TsSpeedLayout::blGlyphLeft || layout == TsSpeedLayout::blGlyphRight;
}

} // namespace

int SpeedButtonCaptionWidth(const TsSpeedLayoutInput& in) {
    int width = in.Width - 2 * in.Margin - in.ArrowWidth;
    if (in.GlyphWidth > 0 && Horizontal(in.Layout))
        width -= in.GlyphWidth + in.Spacing;
    return width;
}

TsSpeedLayoutResult SpeedButtonLayout(const TsSpeedLayoutInput& in) {
    const bool hasGlyph = in.GlyphWidth > 0 && in.GlyphHeight > 0;
    const bool hasText = in.TextWidth > 0 && in.TextHeight > 0;
    const int gap = hasGlyph && hasText ? in.Spacing : 0;
    const int gw = hasGlyph ? in.GlyphWidth : 0;
    const int gh = hasGlyph ? in.GlyphHeight : 0;
    const int tw = hasText ? in.TextWidth : 0;
    const int th = hasText ? in.TextHeight : 0;
    const bool horizontal = Horizontal(in.Layout);
    const int groupWidth = horizontal ? gw + gap + tw : std::max(gw, tw);
    const int groupHeight = horizontal ? std::max(gh, th) : gh + gap + th;

    const int area = in.Width - in.ArrowWidth;
    const int margin = SpeedButtonEffectiveMargin(in.Margin);
    int x = (area - groupWidth) / 2;
    if (in.Alignment == TsGroupAlignment::taLeftJustify)
        x = margin;
    else if (in.Alignment == TsGroupAlignment::taRightJustify)
        x = area - margin - groupWidth;
    const int y = (in.Height - groupHeight) / 2;

    int gx = x;
    int gy = y;
    int tx = x;
    int ty = y;
    switch (in.Layout) {
    case TsSpeedLayout::blGlyphLeft:
        tx = x + gw + gap;
        gy = (in.Height - gh) / 2;
        ty = (in.Height - th) / 2;
        break;
    case TsSpeedLayout::blGlyphRight:
        gx = x + tw + gap;
        gy = (in.Height - gh) / 2;
        ty = (in.Height - th) / 2;
        break;
    case TsSpeedLayout::blGlyphTop:
        gx = x + (groupWidth - gw) / 2;
        tx = x + (groupWidth - tw) / 2;
        ty = y + gh + gap;
        break;
    case TsSpeedLayout::blGlyphBottom:
        gx = x + (groupWidth - gw) / 2;
        tx = x + (groupWidth - tw) / 2;
        gy = y + th + gap;
        break;
    }
    const int shift = in.Pressed ? 1 : 0;
    TsSpeedLayoutResult result;
    if (hasGlyph) {
        if (in.Reflected)
            gy -= gh / 6;
        result.Glyph = {gx + shift, gy + shift, gx + gw + shift, gy + gh + shift};
    }
    if (hasText) {
        tx += in.TextOffset;
        result.Caption = {tx - 1 + shift, ty + shift, tx + tw + 2 + shift, ty + th + shift};
    }
    return result;
}

TsArrowTriangle SpinArrowTriangle(int width, int height, bool up) {
    const int x0 = (width - 9) / 2;
    const int y0 = (height - 5) / 2;
    const int baseY = up ? y0 + 4 : y0 + 1;
    const int apexY = up ? y0 + 1 : y0 + 4;
    return TsArrowTriangle{{x0 + 1, x0 + 7, x0 + 4}, {baseY, baseY, apexY}};
}

} // namespace sj
