#include "SkinBuilderInternal.h"

#include <cmath>

namespace sj::skingen::builder_detail {

// A 24-bit colour equal to the key would turn clear when loaded.
TPixel32 StoredPixel(const TColorF& c) {
    const unsigned ref = ColorRefOf(c);
    TPixel32 p = MakePixel(static_cast<std::uint8_t>(ref), static_cast<std::uint8_t>(ref >> 8),
                           static_cast<std::uint8_t>(ref >> 16));
    if ((p & 0x00FFFFFF) == (clKeyPixel & 0x00FFFFFF))
        p -= 0x00010000; // one step less red
    return p;
}

TColorF Over(const TColorF& c, const TColorF& matte) {
    return {c.R * c.A + matte.R * (1 - c.A), c.G * c.A + matte.G * (1 - c.A), c.B * c.A + matte.B * (1 - c.A), 1};
}

// Writes frames side by side at (x, y); masked items get their mask rows below.
void StoreFrames(TacPixmap& dst, int x, int y, const std::vector<TLayerF>& frames, TForm form, const TColorF& matte,
                 bool pngMask) {
    const int w = frames[0].Width(), h = frames[0].Height();
    for (std::size_t f = 0; f < frames.size(); ++f)
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) {
                const TColorF c = frames[f].At(px, py);
                const int tx = x + static_cast<int>(f) * w + px, ty = y + py;
                TPixel32 colour = clKeyPixel;
                switch (form) {
                case TForm::Masked: {
                    const int m = 255 - static_cast<int>(std::lround(std::clamp(c.A, 0.0f, 1.0f) * 255.0f));
                    if (m < 255)
                        colour = StoredPixel(c);
                    else if (pngMask)
                        colour = MakePixel(0, 0, 0); // PNG members cannot carry the key colour
                    dst.At(tx, ty + h) = MakePixel(static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(m),
                                                   static_cast<std::uint8_t>(m));
                    break;
                }
                case TForm::Keyed:
                    if (c.A >= 0.4f)
                        colour = StoredPixel(Over(c, matte));
                    break;
                case TForm::Opaque:
                    colour = StoredPixel(Over(c, matte));
                    break;
                }
                dst.At(tx, ty) = colour;
            }
}

// Reads stored frames back the way the skin layer sees them, for the preview sheet.
TacPixmap DecodeStored(const TacPixmap& src, const TRectI& r, int frames, TForm form) {
    const int h = form == TForm::Masked ? r.Height() / 2 : r.Height();
    TacPixmap out(r.Width(), h);
    (void)frames;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < r.Width(); ++x) {
            const TPixel32 p = src.At(r.Left + x, r.Top + y);
            std::uint8_t a = 255;
            if ((p & 0x00FFFFFF) == (clKeyPixel & 0x00FFFFFF))
                a = 0;
            else if (form == TForm::Masked)
                a = static_cast<std::uint8_t>(255 - PixelR(src.At(r.Left + x, r.Top + y + h)));
            out.At(x, y) = (p & 0x00FFFFFF) | (TPixel32{a} << 24);
        }
    return out;
}

void PaintFace(TLayerF& l, float x0, float y0, float x1, float y1, float radius, const TFaceLook& f) {
    l.Fill(RoundRect(x0, y0, x1, y1, radius), f.Border);
    const float ri = std::max(0.0f, radius - 1);
    l.Fill(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, ri), VerticalGradient(y0 + 1, f.Top, y1 - 1, f.Bottom));
    if (f.Gloss > 0) {
        const float mid = (y0 + y1) / 2;
        l.Fill(Intersection(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, ri), Rect(x0, y0, x1, mid)),
               VerticalGradient(y0 + 1, WithAlpha(kWhite, 0.55f * f.Gloss), mid, WithAlpha(kWhite, 0.12f * f.Gloss)));
    }
    if (f.Highlight > 0)
        l.Fill(Difference(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, ri), RoundRect(x0 + 1, y0 + 2, x1 - 1, y1, ri)),
               WithAlpha(kWhite, f.Highlight));
}

void DrawGlyph(TLayerF& l, TGlyph g, float cx, float cy, float s, float stroke, const TColorF& c, bool chevron) {
    const float h = s / 2;
    switch (g) {
    case TGlyph::Close:
        l.Fill(Line({cx - h, cy - h}, {cx + h, cy + h}, stroke), c);
        l.Fill(Line({cx - h, cy + h}, {cx + h, cy - h}, stroke), c);
        break;
    case TGlyph::Max:
        l.Fill(Difference(Rect(cx - h - 0.5f, cy - h - 0.5f, cx + h + 0.5f, cy + h + 0.5f),
                          Rect(cx - h + stroke - 0.5f, cy - h + stroke + 0.5f, cx + h - stroke + 0.5f,
                               cy + h - stroke + 0.5f)),
               c);
        break;
    case TGlyph::Norm: {
        const float d = s * 0.25f, q = h - d / 2;
        auto box = [&](float ox, float oy) {
            return Difference(
                Rect(ox - q - 0.5f, oy - q - 0.5f, ox + q + 0.5f, oy + q + 0.5f),
                Rect(ox - q + stroke - 0.5f, oy - q + stroke + 0.5f, ox + q - stroke + 0.5f, oy + q - stroke + 0.5f));
        };
        l.Fill(Difference(box(cx + d / 2, cy - d / 2),
                          Rect(cx - q - d / 2 - 1, cy - q + d / 2 - 1, cx + q - d / 2 + 1, cy + q + d / 2 + 1)),
               c);
        l.Fill(box(cx - d / 2, cy + d / 2), c);
        break;
    }
    case TGlyph::Min:
        l.Fill(Line({cx - h, cy + h * 0.6f}, {cx + h, cy + h * 0.6f}, stroke), c);
        break;
    case TGlyph::Help: {
        const float r = h * 0.55f;
        const float ay = cy - h * 0.35f;
        TPointF prev{cx - r, ay};
        for (int i = 1; i <= 8; ++i) {
            const float t = 3.14159f + 3.14159f * 1.5f * static_cast<float>(i) / 8.0f;
            const TPointF p{cx + r * std::cos(t), ay + r * std::sin(t)};
            l.Fill(Line(prev, p, stroke), c);
            prev = p;
        }
        l.Fill(Line(prev, {cx, cy + h * 0.3f}, stroke), c);
        l.Fill(Circle(cx, cy + h * 0.85f, stroke * 0.7f), c);
        break;
    }
    case TGlyph::Up:
    case TGlyph::Down:
    case TGlyph::Left:
    case TGlyph::Right: {
        // Pointing up, then turned.
        std::vector<TPointF> tip{{-h, h * 0.45f}, {0, -h * 0.45f}, {h, h * 0.45f}};
        auto turn = [&](TPointF p) -> TPointF {
            switch (g) {
            case TGlyph::Down:
                return {cx + p.X, cy - p.Y};
            case TGlyph::Left:
                return {cx + p.Y, cy + p.X};
            case TGlyph::Right:
                return {cx - p.Y, cy + p.X};
            default:
                return {cx + p.X, cy + p.Y};
            }
        };
        if (chevron) {
            l.Fill(Line(turn(tip[0]), turn(tip[1]), stroke), c);
            l.Fill(Line(turn(tip[1]), turn(tip[2]), stroke), c);
        } else {
            l.Fill(Polygon({turn(tip[0]), turn(tip[1]), turn(tip[2])}), c);
        }
        break;
    }
    case TGlyph::Tick:
        l.Fill(Line({cx - h, cy}, {cx - h * 0.25f, cy + h * 0.7f}, stroke), c);
        l.Fill(Line({cx - h * 0.25f, cy + h * 0.7f}, {cx + h, cy - h * 0.7f}, stroke), c);
        break;
    case TGlyph::Cross:
        l.Fill(Line({cx - h * 0.8f, cy - h * 0.8f}, {cx + h * 0.8f, cy + h * 0.8f}, stroke), c);
        l.Fill(Line({cx - h * 0.8f, cy + h * 0.8f}, {cx + h * 0.8f, cy - h * 0.8f}, stroke), c);
        break;
    case TGlyph::Dot:
        l.Fill(Circle(cx, cy, h), c);
        break;
    case TGlyph::Square:
        l.Fill(RoundRect(cx - h, cy - h, cx + h, cy + h, 1), c);
        break;
    }
}

// Layer transforms for the tab sides.
TLayerF Transposed(const TLayerF& src) {
    TLayerF out(src.Height(), src.Width());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            out.Set(y, x, src.At(x, y));
    return out;
}

TLayerF FlippedV(const TLayerF& src) {
    TLayerF out(src.Width(), src.Height());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            out.Set(x, src.Height() - 1 - y, src.At(x, y));
    return out;
}

TLayerF FlippedH(const TLayerF& src) {
    TLayerF out(src.Width(), src.Height());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            out.Set(src.Width() - 1 - x, y, src.At(x, y));
    return out;
}

// Deterministic noise, so that every build makes the same bytes.
float Noise(int x, int y, unsigned seed) {
    unsigned n = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u + seed * 2246822519u;
    n = (n ^ (n >> 13)) * 1274126177u;
    return static_cast<float>((n ^ (n >> 16)) & 0xFFFF) / 65535.0f;
}

unsigned NameSeed(const std::string& name) {
    unsigned h = 2166136261u;
    for (unsigned char c : name)
        h = (h ^ c) * 16777619u;
    return h;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace sj::skingen::builder_detail
