#include "PreviewSheet.h"

#include <algorithm>

namespace sj::skingen {
namespace {

constexpr int kSheetWidth = 1400;
constexpr int kGap = 10;

TPixel32 Checker(int x, int y) {
    return ((x / 8 + y / 8) % 2) ? 0xFFCCCCCCu : 0xFFF4F4F4u;
}

TPixel32 OverChecker(TPixel32 p, int x, int y) {
    const TPixel32 bg = Checker(x, y);
    const unsigned a = PixelA(p);
    auto mix = [&](unsigned s, unsigned d) { return static_cast<std::uint8_t>((s * a + d * (255 - a) + 127) / 255); };
    return MakePixel(mix(PixelR(p), PixelR(bg)), mix(PixelG(p), PixelG(bg)), mix(PixelB(p), PixelB(bg)));
}

// Draws image scaled by `scale` at (x, y); frame borders are marked by a thin red line.
void Blit(TacPixmap& sheet, const TacPixmap& image, int frames, int x, int y, int scale) {
    const int frameWidth = frames > 0 ? image.Width() / frames : image.Width();
    for (int sy = 0; sy < image.Height() * scale; ++sy)
        for (int sx = 0; sx < image.Width() * scale; ++sx) {
            const int tx = x + sx + (sx / scale / std::max(frameWidth, 1)) * 2, ty = y + sy;
            if (tx < 0 || ty < 0 || tx >= sheet.Width() || ty >= sheet.Height())
                continue;
            sheet.At(tx, ty) = OverChecker(image.At(sx / scale, sy / scale), tx, ty);
        }
}

TPixel32 Over(TPixel32 s, TPixel32 d) {
    const unsigned a = PixelA(s);
    if (a == 255)
        return s;
    auto mix = [&](unsigned sc, unsigned dc) {
        return static_cast<std::uint8_t>((sc * a + dc * (255 - a) + 127) / 255);
    };
    return MakePixel(mix(PixelR(s), PixelR(d)), mix(PixelG(s), PixelG(d)), mix(PixelB(s), PixelB(d)),
                     static_cast<std::uint8_t>(std::max(a, unsigned{PixelA(d)})));
}

const TPreviewEntry* Find(const std::vector<TPreviewEntry>& items, const std::string& label) {
    for (const TPreviewEntry& e : items)
        if (e.Label == label)
            return &e;
    return nullptr;
}

// One state frame of an item stretched over a rectangle the way the skin layer does it:
// corners as they are, sides and centre stretched.
void DrawNinePart(TacPixmap& dst, const TPreviewEntry* e, int frame, int x, int y, int w, int h) {
    if (!e || e->Left < 0 || w <= 0 || h <= 0)
        return;
    const int fw = e->Image.Width() / std::max(e->Frames, 1), fh = e->Image.Height();
    frame = std::min(frame, e->Frames - 1);
    const int l = std::min(e->Left, w / 2), r = std::min(e->Right, w - l), t = std::min(e->Top, h / 2),
              b = std::min(e->Bottom, h - t);
    auto map = [](int p, int size, int lo, int hi, int src) {
        if (p < lo)
            return p;
        if (p >= size - hi)
            return src - (size - p);
        const int inner = std::max(1, size - lo - hi), srcInner = std::max(1, src - lo - hi);
        return lo + (p - lo) * srcInner / inner;
    };
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            const bool centre = px >= l && px < w - r && py >= t && py < h - b;
            if (centre && !e->Centre)
                continue;
            const int sx = std::clamp(map(px, w, l, r, fw), 0, fw - 1),
                      sy = std::clamp(map(py, h, t, b, fh), 0, fh - 1);
            const int tx = x + px, ty = y + py;
            if (tx >= 0 && ty >= 0 && tx < dst.Width() && ty < dst.Height())
                dst.At(tx, ty) = Over(e->Image.At(frame * fw + sx, sy), dst.At(tx, ty));
        }
}

void DrawFrame(TacPixmap& dst, const TPreviewEntry* e, int frame, int x, int y) {
    if (!e)
        return;
    const int fw = e->Image.Width() / std::max(e->Frames, 1);
    frame = std::min(frame, e->Frames - 1);
    for (int py = 0; py < e->Image.Height(); ++py)
        for (int px = 0; px < fw; ++px) {
            const int tx = x + px, ty = y + py;
            if (tx >= 0 && ty >= 0 && tx < dst.Width() && ty < dst.Height())
                dst.At(tx, ty) = Over(e->Image.At(frame * fw + px, py), dst.At(tx, ty));
        }
}

void FillRect(TacPixmap& dst, int x, int y, int w, int h, TPixel32 c) {
    for (int py = y; py < y + h && py < dst.Height(); ++py)
        for (int px = x; px < x + w && px < dst.Width(); ++px)
            dst.At(px, py) = c;
}

// A small window put together from the skin's pieces, to judge them together.
TacPixmap MockWindow(const std::vector<TPreviewEntry>& items, TPixel32 window) {
    const int W = 340, H = 210;
    TacPixmap m(W + 20, H + 20);
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x)
            m.At(x, y) = Checker(x, y);
    const int x0 = 10, y0 = 10;
    FillRect(m, x0, y0, W, H, window | 0xFF000000u);
    const TPreviewEntry* title = Find(items, "FORMTITLE");
    const int th = title ? title->Image.Height() : 28;
    const TPreviewEntry* form = Find(items, "FORM");
    DrawNinePart(m, form, 1, x0, y0, W, H);
    DrawNinePart(m, title, 1, x0, y0, W, th);
    int bx = x0 + W - 4;
    for (const char* key : {"BICONCLOSE", "BICONMAX", "BICONMIN"}) {
        const TPreviewEntry* e = Find(items, key);
        if (!e)
            continue;
        const int fw = e->Image.Width() / e->Frames;
        bx -= fw;
        DrawFrame(m, e, key[5] == 'A' ? 1 : 0, bx, y0 + (th - e->Image.Height()) / 2);
        bx -= 2;
    }
    const int cy = y0 + th + 8;
    DrawNinePart(m, Find(items, "TABTOP"), 2, x0 + 12, cy, 60, 22);
    DrawNinePart(m, Find(items, "TABTOP"), 0, x0 + 72, cy + 2, 60, 20);
    DrawNinePart(m, Find(items, "TABTOP"), 1, x0 + 132, cy + 2, 60, 20);
    const TPreviewEntry* page = Find(items, "PAGECONTROL");
    if (page)
        FillRect(m, x0 + 12, cy + 22, W - 24, H - th - 40,
                 page->Image.At(page->Image.Width() / 2, page->Image.Height() / 2));
    DrawNinePart(m, page, 0, x0 + 12, cy + 21, W - 24, H - th - 39);
    const int py = cy + 34;
    for (int i = 0; i < 4; ++i)
        DrawNinePart(m, Find(items, "BUTTON"), i, x0 + 24 + i * 74, py, 68, 24);
    DrawNinePart(m, Find(items, "EDIT"), 0, x0 + 24, py + 36, 140, 22);
    DrawNinePart(m, Find(items, "EDIT"), 1, x0 + 172, py + 36, 130, 22);
    DrawFrame(m, Find(items, "BOXCHECKED"), 0, x0 + 24, py + 68);
    DrawFrame(m, Find(items, "BOXUNCHECKED"), 1, x0 + 48, py + 68);
    DrawFrame(m, Find(items, "RADIOCHECKED"), 0, x0 + 72, py + 68);
    DrawFrame(m, Find(items, "RADIOUNCHECKED"), 0, x0 + 96, py + 68);
    DrawNinePart(m, Find(items, "PROGRESSH"), 0, x0 + 130, py + 68, 120, 14);
    DrawNinePart(m, Find(items, "SCROLLSLIDERH"), 0, x0 + 24, py + 94, 60, 16);
    DrawNinePart(m, Find(items, "SCROLLBTNBOTTOM"), 1, x0 + 90, py + 94, 16, 16);
    DrawFrame(m, Find(items, "SCROLLBTNBOTTOM GLYPHMASK"), 1, x0 + 93, py + 97);
    DrawNinePart(m, Find(items, "MENUITEM"), 1, x0 + 130, py + 94, 120, 20);
    return m;
}

} // namespace

TacPixmap MakePreviewSheet(const TacPixmap& master, const std::vector<TPreviewEntry>& items, TPixel32 window) {
    // The master shows its key colour as clear, like the skin layer does.
    TacPixmap shown(master.Width(), master.Height());
    for (int y = 0; y < master.Height(); ++y)
        for (int x = 0; x < master.Width(); ++x) {
            const TPixel32 p = master.At(x, y) & 0x00FFFFFF;
            shown.At(x, y) = p == (clKeyPixel & 0x00FFFFFF) ? 0 : (p | 0xFF000000u);
        }
    const int masterScale = 2;
    // Lay the items out in rows first, to know the sheet's height.
    struct TSpot {
        int X, Y, Scale;
    };
    std::vector<TSpot> spots;
    const TacPixmap mock = MockWindow(items, window);
    const int mockTop = kGap + master.Height() * masterScale + kGap;
    int x = kGap, y = mockTop + mock.Height() * 2 + kGap, rowHeight = 0;
    for (const TPreviewEntry& item : items) {
        const int scale = item.Image.Width() * 3 > kSheetWidth / 2 ? 1 : 3;
        const int w = item.Image.Width() * scale + item.Frames * 2, h = item.Image.Height() * scale;
        if (x + w > kSheetWidth - kGap && x > kGap) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        spots.push_back({x, y, scale});
        x += w + kGap;
        rowHeight = std::max(rowHeight, h);
    }
    TacPixmap sheet(kSheetWidth, y + rowHeight + kGap, 0xFFFFFFFFu);
    Blit(sheet, shown, 1, kGap, kGap, masterScale);
    Blit(sheet, mock, 1, kGap, mockTop, 2);
    for (std::size_t i = 0; i < items.size(); ++i)
        Blit(sheet, items[i].Image, items[i].Frames, spots[i].X, spots[i].Y, spots[i].Scale);
    return sheet;
}

} // namespace sj::skingen
