// Canvas drawing read back through the bitmap's rows, fonts and their handles,
// colour names, and the GDI owners and guards.
#include "forms/Bitmap.h"
#include "forms/GdiHandles.h"
#include "forms/Graphics.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

TEST(GdiHandles, OwnersReleaseAndMove) {
    TGdiBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    HBRUSH raw = brush.Get();
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(::GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));

    TGdiBrush moved(std::move(brush));
    EXPECT_EQ(brush.Get(), nullptr);
    EXPECT_EQ(moved.Get(), raw);

    moved.Reset();
    EXPECT_EQ(::GetObjectType(raw), 0u) << "the brush should be deleted";

    TGdiPen pen(::CreatePen(PS_SOLID, 1, 0));
    HPEN detached = pen.Detach();
    EXPECT_FALSE(pen);
    EXPECT_EQ(::GetObjectType(detached), static_cast<DWORD>(OBJ_PEN));
    ::DeleteObject(detached);
}

TEST(GdiHandles, GuardsRestoreTheDC) {
    TMemoryDC dc;
    ASSERT_TRUE(dc);
    TGdiBitmap surface(CreateBitmap32(10, 10, nullptr));
    TSelectObjectGuard selectSurface(dc.Get(), surface.Get());
    HGDIOBJ original = ::GetCurrentObject(dc.Get(), OBJ_BRUSH);
    TGdiBrush red(::CreateSolidBrush(RGB(255, 0, 0)));
    {
        TSelectObjectGuard select(dc.Get(), red.Get());
        EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BRUSH), red.Get());
        {
            TClipRectGuard clip(dc.Get(), RECT{2, 3, 5, 7});
            RECT box{};
            ::GetClipBox(dc.Get(), &box);
            EXPECT_EQ(box.left, 2);
            EXPECT_EQ(box.bottom, 7);
        }
        RECT box{};
        ::GetClipBox(dc.Get(), &box);
        EXPECT_EQ(box.right, 10) << "clip restored";
    }
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BRUSH), original);
}

TEST(Colors, SystemColorsAndNames) {
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
    EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<TColor>(::GetSysColor(COLOR_BTNFACE)) & 0xFFFFFF);
    EXPECT_EQ(ColorToRGB(0x12345678), 0x345678u);

    TColor color = 0;
    ASSERT_TRUE(IdentToColor("clBtnFace", color));
    EXPECT_EQ(color, clBtnFace);
    ASSERT_TRUE(IdentToColor("clwhite", color)) << "names compare without case";
    EXPECT_EQ(color, clWhite);
    EXPECT_FALSE(IdentToColor("clNoSuchColour", color));
    std::string name;
    ASSERT_TRUE(ColorToIdent(clWindowText, name));
    EXPECT_EQ(name, "clWindowText");
}

TEST(Font, PropertiesHandleAndChangeNotification) {
    TFont font;
    EXPECT_EQ(font.Name(), "Tahoma");
    EXPECT_EQ(font.Height(), -11);
    int changes = 0;
    font.OnChange = [&] { ++changes; };

    font.SetSize(10);
    EXPECT_EQ(font.Height(), -::MulDiv(10, TFont::ScreenPixelsPerInch(), 72));
    EXPECT_EQ(font.Size(), 10);

    HFONT first = font.Handle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(font.Handle(), first) << "handle made once";

    font.SetStyle(fsBold | fsUnderline);
    EXPECT_EQ(changes, 2);
    HFONT bold = font.Handle();
    ASSERT_NE(bold, nullptr);
    LOGFONTA log{};
    ASSERT_NE(::GetObjectA(bold, sizeof log, &log), 0);
    EXPECT_EQ(log.lfWeight, FW_BOLD);
    EXPECT_EQ(log.lfUnderline, 1);
    EXPECT_STREQ(log.lfFaceName, "Tahoma");

    font.SetStyle(fsBold | fsUnderline);
    EXPECT_EQ(changes, 2) << "no change, no notification";

    TFont copy;
    copy.Assign(font);
    EXPECT_TRUE(copy.SameAs(font));
    copy.SetName("");
    EXPECT_EQ(copy.Name(), "Tahoma") << "an empty name is ignored";
}

TEST(Canvas, FillRectAndLinesLandInTheBitmapRows) {
    TBitmap bitmap(8, 6);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(clBlue);
    canvas.FillRect(RECT{0, 0, 8, 6});
    canvas.Brush().SetColor(RGB(10, 20, 30));
    canvas.FillRect(RECT{2, 1, 4, 3});

    // Bytes blue, green, red: RGB(10, 20, 30) is 0x..0A141E as 0xRRGGBB.
    EXPECT_EQ(bitmap.ScanLine(1)[2] & 0xFFFFFF, 0x0A141Eu);
    EXPECT_EQ(bitmap.ScanLine(2)[3] & 0xFFFFFF, 0x0A141Eu);
    EXPECT_EQ(bitmap.ScanLine(3)[3] & 0xFFFFFF, 0x0000FFu) << "right/bottom edges are exclusive";
    EXPECT_EQ(bitmap.ScanLine(0)[0] & 0xFFFFFF, 0x0000FFu) << "row 0 is the top row";

    canvas.Pen().SetColor(clRed);
    canvas.MoveTo(0, 5);
    canvas.LineTo(8, 5);
    EXPECT_EQ(bitmap.ScanLine(5)[6] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(canvas.PenPos().x, 8);

    EXPECT_EQ(canvas.Pixel(2, 1), static_cast<TColor>(RGB(10, 20, 30)));
    canvas.SetPixel(7, 0, clLime);
    EXPECT_EQ(bitmap.Pixels().At(7, 0) & 0xFFFFFF, 0x00FF00u);
}

TEST(Canvas, ChangingObjectsWhileSelectedKeepsDrawing) {
    TBitmap bitmap(4, 4);
    TCanvas& canvas = bitmap.Canvas();
    for (TColor color : {clRed, clLime, clBlue}) {
        canvas.Brush().SetColor(color);
        canvas.FillRect(RECT{0, 0, 4, 4});
        EXPECT_EQ(canvas.Pixel(1, 1), color);
        canvas.Font().SetHeight(canvas.Font().Height() - 1);
        canvas.TextExtent("x");
    }
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.FillRect(RECT{0, 0, 4, 4});
    EXPECT_EQ(canvas.Pixel(1, 1), clBlue) << "a clear brush paints nothing";
}

TEST(Canvas, TextMetricsAndOutput) {
    TBitmap bitmap(120, 30);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(clWhite);
    canvas.FillRect(RECT{0, 0, 120, 30});
    canvas.Font().SetHeight(-13);
    canvas.Font().SetColor(clBlack);

    const SIZE extent = canvas.TextExtent("Split");
    EXPECT_GT(extent.cx, 10);
    EXPECT_GE(extent.cy, 13);
    EXPECT_LT(extent.cy, 30);
    EXPECT_GT(canvas.TextWidth("Split Split"), canvas.TextWidth("Split"));
    EXPECT_EQ(canvas.TextWidth(""), 0);

    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.TextOut(2, 2, "WWW");
    int dark = 0;
    const TacPixelsView pixels = bitmap.Pixels();
    for (int y = 0; y < pixels.Height; ++y) {
        for (int x = 0; x < pixels.Width; ++x) {
            dark += (pixels.At(x, y) & 0xFF) < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 10) << "text should leave dark pixels";

    RECT calc{0, 0, 1000, 0};
    const int height = canvas.DrawText("One&Two", calc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_GT(height, 0);
    EXPECT_GT(calc.right, 0);
    EXPECT_LT(calc.right, 1000);
}

TEST(Canvas, TextRectClipsToItsRectangle) {
    TBitmap bitmap(60, 20);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(clWhite);
    canvas.FillRect(RECT{0, 0, 60, 20});
    canvas.Font().SetColor(clBlack);
    canvas.TextRect(RECT{0, 0, 10, 20}, 0, 0, "WWWWWWWWWW");
    const TacPixelsView pixels = bitmap.Pixels();
    for (int y = 0; y < 20; ++y) {
        for (int x = 10; x < 60; ++x) {
            ASSERT_EQ(pixels.At(x, y) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
        }
    }
}

TEST(Canvas, CopyRectBetweenBitmaps) {
    TBitmap source(4, 4);
    source.Canvas().Brush().SetColor(clRed);
    source.Canvas().FillRect(RECT{0, 0, 4, 4});
    TBitmap target(8, 8);
    target.Canvas().CopyRect(RECT{4, 4, 8, 8}, source.Canvas(), RECT{0, 0, 4, 4});
    EXPECT_EQ(target.ScanLine(5)[5] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target.ScanLine(0)[0] & 0xFFFFFF, 0u);
}

TEST(Canvas, BorrowedHandleIsLeftAsFound) {
    TMemoryDC dc;
    HGDIOBJ font = ::GetCurrentObject(dc.Get(), OBJ_FONT);
    HGDIOBJ brush = ::GetCurrentObject(dc.Get(), OBJ_BRUSH);
    {
        TCanvas canvas;
        EXPECT_EQ(canvas.Handle(), nullptr) << "a plain canvas cannot make a DC";
        canvas.FillRect(RECT{0, 0, 1, 1}); // no DC: nothing happens
        canvas.SetHandle(dc.Get());
        canvas.TextExtent("abc");
        canvas.FillRect(RECT{0, 0, 1, 1});
        EXPECT_NE(::GetCurrentObject(dc.Get(), OBJ_FONT), font);
    }
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), font);
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BRUSH), brush);
}

} // namespace
} // namespace sj
