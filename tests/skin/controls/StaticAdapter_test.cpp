// Raw "Static" windows (the texts and icons of message boxes) taken over by subclassing
// under Wine: which adapter a style gets, the window given back exactly, the text in the
// message font and the section's colours, icons, bitmaps and the edge ring.
#include "skin/controls/acSBUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <typeinfo>

#include "forms/Forms.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sGraphUtils.h"
#include "tests/skin/controls/AdapterSkinKit.h"

namespace sj {
namespace {

constexpr std::int32_t FormColor = 0x00204060;
constexpr std::int32_t FaceColor = 0x00A0C0E0;
constexpr std::int32_t TextColor = 0x00102090;
constexpr std::int32_t EdgeColor = 0x0030A030;
constexpr std::int32_t Marker = 0x00123456;

using test::PlainSection;
using test::Rgb;

// The bounding box of the pixels of exactly `color`; empty when there are none.
RECT BoxOfColor(TacPixelsView pixels, TPixel32 color) {
    RECT box{pixels.Width, pixels.Height, 0, 0};
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x)
            if ((pixels.At(x, y) & 0x00FFFFFF) == color) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

int DifferingPixels(TacPixelsView a, TacPixelsView b) {
    int count = 0;
    for (int y = 0; y < std::min(a.Height, b.Height); ++y)
        for (int x = 0; x < std::min(a.Width, b.Width); ++x)
            count += (a.At(x, y) & 0x00FFFFFF) != (b.At(x, y) & 0x00FFFFFF) ? 1 : 0;
    return count;
}

// One channel blended by the rule T + floor(A * (S - T) / 256).
int BlendChannel(int target, int source, int alpha) {
    return (target * (256 - alpha) + alpha * source) >> 8;
}

TPixel32 BlendRgb(TPixel32 target, TPixel32 source, int alpha) {
    TPixel32 result = 0;
    for (int shift : {0, 8, 16})
        result |= static_cast<TPixel32>(BlendChannel(static_cast<int>((target >> shift) & 0xFF),
                                                     static_cast<int>((source >> shift) & 0xFF), alpha))
                  << shift;
    return result;
}

LOGFONTA MessageFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    EXPECT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    return metrics.lfMessageFont;
}

// A 32-bit top-down DIB section filled by pixel(x, y) (0xAARRGGBB, straight alpha).
template <class F> HBITMAP MakeDib(int width, int height, int bits, F pixel) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits32 = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits32, nullptr, 0);
    const int stride = ((width * bits + 31) / 32) * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto* row = static_cast<std::uint8_t*>(bits32) + y * stride;
            const TPixel32 p = pixel(x, y);
            if (bits == 32) {
                reinterpret_cast<TPixel32*>(row)[x] = p;
            } else {
                row[x * 3] = static_cast<std::uint8_t>(p);
                row[x * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
                row[x * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
            }
        }
    return bitmap;
}

// An opaque 16 x 16 icon of one colour.
HICON MakeIcon(TPixel32 color) {
    HBITMAP image = MakeDib(16, 16, 32, [color](int, int) { return 0xFF000000 | color; });
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, image};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(image);
    DeleteObject(mask);
    return icon;
}

WNDPROC gOuterPrevious = nullptr;
LRESULT CALLBACK OuterSubclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(gOuterPrevious, window, msg, wParam, lParam);
}

class StaticAdapterTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager = new TsSkinManager(nullptr);
        TsSkinModel& model = manager->Core().Model();
        model.GeneralData.push_back(PlainSection("GLOBALINFO", FormColor));
        model.GeneralData.push_back(PlainSection("FORM", FormColor));
        model.GeneralData.push_back(PlainSection("CHECKBOX", FaceColor, TextColor));
        model.GeneralData.push_back(PlainSection("EDIT", EdgeColor));
        manager->Core().SetActive(true);
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 420, 300);
        form->Show();
        owner = new TacFormSkinOwner(*form, manager);
    }
    void TearDown() override {
        adapters.clear();
        for (HWND window : windows)
            if (IsWindow(window))
                DestroyWindow(window);
        delete owner;
        delete form;
        delete manager;
    }

    HWND NewStatic(const char* text, DWORD style, DWORD exStyle = 0, int width = 300, int height = 40,
                   const char* className = "Static") {
        HWND window = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 10, 20, width, height,
                                      form->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
        windows.push_back(window);
        return window;
    }
    TacStaticWnd* Attach(HWND window) {
        adapters.push_back(AttachStaticAdapter(window, manager));
        return adapters.back().get();
    }
    static SIZE SizeOf(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }
    // What the window prints over a marker-filled bitmap of its size.
    static std::unique_ptr<TBitmap> Printed(HWND window) {
        const SIZE size = SizeOf(window);
        auto bitmap = CreateBitmap32(size.cx, size.cy);
        FillPixels(bitmap->Pixels(), TacRect{0, 0, size.cx, size.cy}, static_cast<TColor>(Marker), 0xFF);
        SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(bitmap->Canvas().Handle()),
                     PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
        return bitmap;
    }
    static bool Marked(HWND window) { return GetPropA(window, AdaptedWindowProperty) != nullptr; }
    void SetTransparency(const std::string& section, int percent) {
        TsSkinModel& model = manager->Core().Model();
        for (TsGenState& st : model.GeneralData[static_cast<std::size_t>(model.SectionIndexOf(section))].StateProps)
            st.Transparency = percent;
    }

    TsSkinManager* manager = nullptr;
    TForm* form = nullptr;
    TacFormSkinOwner* owner = nullptr;
    std::vector<HWND> windows;
    std::vector<std::unique_ptr<TacStaticWnd>> adapters;
};

TEST(StaticAdapterKindTest, IconAndBitmapStaticsAreFramedByTheEdgeAndRectanglesStayStandard) {
    EXPECT_EQ(StaticAdapterKind(SS_LEFT, 0), TacStaticKind::Text);
    EXPECT_EQ(StaticAdapterKind(SS_CENTER | SS_NOPREFIX, 0), TacStaticKind::Text);
    EXPECT_EQ(StaticAdapterKind(SS_LEFT, WS_EX_STATICEDGE), TacStaticKind::Text);
    EXPECT_EQ(StaticAdapterKind(SS_ICON, 0), TacStaticKind::Icon);
    EXPECT_EQ(StaticAdapterKind(SS_BITMAP | SS_REALSIZECONTROL, 0), TacStaticKind::Icon);
    EXPECT_EQ(StaticAdapterKind(SS_ICON, WS_EX_STATICEDGE), TacStaticKind::Edge);
    EXPECT_EQ(StaticAdapterKind(SS_BITMAP, WS_EX_STATICEDGE), TacStaticKind::Edge);
    for (LONG type : {SS_OWNERDRAW, SS_GRAYRECT, SS_WHITERECT, SS_SIMPLE})
        EXPECT_EQ(StaticAdapterKind(type, 0), TacStaticKind::None) << "type " << type;
}

TEST_F(StaticAdapterTest, AttachingMarksTheWindowAndDetachingOrRemovingTheSkinGivesItBackExactly) {
    HWND text = NewStatic("Split job is completed!", SS_LEFT);
    const LONG_PTR procedure = GetWindowLongPtrA(text, GWLP_WNDPROC);
    TacStaticWnd* adapter = Attach(text);
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(typeid(*adapter), typeid(TacStaticWnd));
    EXPECT_EQ(adapter->SkinData().SkinSection(), "CHECKBOX");
    EXPECT_TRUE(Marked(text));
    EXPECT_NE(GetWindowLongPtrA(text, GWLP_WNDPROC), procedure);
    EXPECT_EQ(SendMessageA(text, SkinCommandMessage, SkinCommand(scIsSkinned), 0), 1);
    EXPECT_EQ(AttachStaticAdapter(text, manager), nullptr) << "a window is adapted once";

    DetachStaticAdapter(text);
    EXPECT_TRUE(adapter->Destroyed());
    EXPECT_FALSE(Marked(text));
    EXPECT_EQ(GetWindowLongPtrA(text, GWLP_WNDPROC), procedure);
    EXPECT_EQ(SendMessageA(text, SkinCommandMessage, SkinCommand(scIsSkinned), 0), 0);

    // Removing the skin gives the window back the same way.
    TacStaticWnd* again = Attach(text);
    ASSERT_NE(again, nullptr);
    SendMessageA(text, SkinCommandMessage, SkinCommand(scRemoveSkin), reinterpret_cast<LPARAM>(manager));
    EXPECT_FALSE(Marked(text));
    EXPECT_EQ(GetWindowLongPtrA(text, GWLP_WNDPROC), procedure);

    // Destroying the window releases the hook on the way.
    TacStaticWnd* third = Attach(text);
    ASSERT_NE(third, nullptr);
    DestroyWindow(text);
    EXPECT_TRUE(third->Destroyed());
}

TEST_F(StaticAdapterTest, StylesChooseTheKindAndItsSection) {
    TacStaticWnd* icon = Attach(NewStatic(nullptr, SS_ICON));
    TacStaticWnd* bitmap = Attach(NewStatic(nullptr, SS_BITMAP));
    TacStaticWnd* edge = Attach(NewStatic(nullptr, SS_ICON, WS_EX_STATICEDGE));
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(typeid(*icon), typeid(TacIconWnd));
    EXPECT_EQ(typeid(*bitmap), typeid(TacIconWnd));
    EXPECT_EQ(typeid(*edge), typeid(TacEdgeWnd));
    EXPECT_EQ(icon->SkinData().SkinSection(), "CHECKBOX");
    EXPECT_EQ(edge->SkinData().SkinSection(), "EDIT");

    HWND simple = NewStatic("plain", SS_SIMPLE);
    EXPECT_EQ(Attach(simple), nullptr);
    EXPECT_FALSE(Marked(simple));
    HWND button = NewStatic("OK", BS_PUSHBUTTON, 0, 80, 24, "Button");
    EXPECT_EQ(Attach(button), nullptr);
    EXPECT_FALSE(Marked(button));
}

TEST_F(StaticAdapterTest, TextIsDrawnInTheMessageFontWithTheSectionColoursOverTheParentsBackground) {
    // A see-through section shows what the form paints behind the static.
    SetTransparency("CHECKBOX", 100);
    const std::string caption = "Split job is completed!";
    HWND text = NewStatic(caption.c_str(), SS_LEFT);
    // The static's own font is ignored: message box texts follow the system's settings.
    HFONT ownFont = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(ownFont), FALSE);
    const LOGFONTA messageFont = MessageFont();
    ASSERT_NE(Attach(text), nullptr);
    auto shown = Printed(text);
    const SIZE size = SizeOf(text);
    EXPECT_EQ(shown->Pixels().At(size.cx - 1, size.cy - 1) & 0x00FFFFFF, Rgb(FormColor));

    // The text covers what plain GDI text in the message font covers.
    auto plain = CreateBitmap32(size.cx, size.cy);
    FillPixels(plain->Pixels(), TacRect{0, 0, size.cx, size.cy}, static_cast<TColor>(Marker), 0xFF);
    HFONT font = CreateFontIndirectA(&messageFont);
    HDC dc = plain->Canvas().Handle();
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, static_cast<COLORREF>(TextColor));
    RECT all{0, 0, size.cx, size.cy};
    DrawTextA(dc, caption.c_str(), -1, &all, DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    const RECT box = BoxOfColor(shown->Pixels(), Rgb(TextColor));
    const RECT plainBox = BoxOfColor(plain->Pixels(), Rgb(TextColor));
    ASSERT_LT(box.left, box.right) << "no pixel in the section's text colour";
    EXPECT_EQ(box.left, plainBox.left);
    EXPECT_EQ(box.top, plainBox.top);
    EXPECT_EQ(box.right, plainBox.right);
    EXPECT_EQ(box.bottom, plainBox.bottom);
    DestroyWindow(text);
    DeleteObject(ownFont);
}

TEST_F(StaticAdapterTest, NewTextIsPaintedAtOnce) {
    HWND text = NewStatic("", SS_LEFT);
    TacStaticWnd* adapter = Attach(text);
    ASSERT_NE(adapter, nullptr);
    RedrawWindow(text, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ASSERT_TRUE(adapter->SkinData().CacheBitmap);
    RECT box = BoxOfColor(adapter->SkinData().CacheBitmap->Pixels(), Rgb(TextColor));
    EXPECT_GE(box.left, box.right) << "an empty text draws no text";

    SetWindowTextA(text, "Joined");
    EXPECT_FALSE(GetUpdateRect(text, nullptr, FALSE)) << "nothing left to paint later";
    box = BoxOfColor(adapter->SkinData().CacheBitmap->Pixels(), Rgb(TextColor));
    EXPECT_LT(box.left, box.right);
    char back[16] = {};
    GetWindowTextA(text, back, sizeof back);
    EXPECT_STREQ(back, "Joined");
}

TEST_F(StaticAdapterTest, TabStopAndEdgeTextStaticsKeepTheSystemsPainting) {
    for (auto [style, exStyle] : {std::pair<DWORD, DWORD>{SS_LEFT | WS_TABSTOP, 0}, {SS_LEFT, WS_EX_STATICEDGE}}) {
        HWND text = NewStatic("Left alone", style, exStyle);
        TacStaticWnd* adapter = Attach(text);
        ASSERT_NE(adapter, nullptr);
        EXPECT_TRUE(Marked(text));
        const SIZE size = SizeOf(text);
        auto shown = Printed(text);
        EXPECT_NE(shown->Pixels().At(size.cx - 3, size.cy - 3) & 0x00FFFFFF, Rgb(FaceColor));
    }
}

TEST_F(StaticAdapterTest, ProcedurePutOnTopOfTheAdapterKeepsTheWindowWorking) {
    HWND text = NewStatic("first", SS_LEFT);
    const LONG_PTR original = GetWindowLongPtrA(text, GWLP_WNDPROC);
    ASSERT_NE(Attach(text), nullptr);
    gOuterPrevious =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterSubclass)));
    DetachStaticAdapter(text);
    EXPECT_FALSE(Marked(text));
    EXPECT_EQ(GetWindowLongPtrA(text, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OuterSubclass));
    char back[16] = {};
    SetWindowTextA(text, "second");
    GetWindowTextA(text, back, sizeof back);
    EXPECT_STREQ(back, "second");

    // A new adapter takes the old place in the chain: painted once, no endless loop.
    TacStaticWnd* again = Attach(text);
    ASSERT_NE(again, nullptr);
    auto shown = Printed(text);
    EXPECT_LT(BoxOfColor(shown->Pixels(), Rgb(TextColor)).left, SizeOf(text).cx);
    DetachStaticAdapter(text);

    // Taking the outer procedure off leaves the window with the adapter's forwarding.
    SetWindowLongPtrA(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gOuterPrevious));
    SetWindowTextA(text, "third");
    GetWindowTextA(text, back, sizeof back);
    EXPECT_STREQ(back, "third");
    EXPECT_NE(GetWindowLongPtrA(text, GWLP_WNDPROC), original);
    DestroyWindow(text);
}

TEST_F(StaticAdapterTest, IconStaticWithoutIconCopiesNothing) {
    HWND icon = NewStatic(nullptr, SS_ICON | SS_REALSIZECONTROL, 0, 40, 40);
    ASSERT_NE(Attach(icon), nullptr);
    auto shown = Printed(icon);
    EXPECT_EQ(DifferingPixels(shown->Pixels(), TacPixmap(40, 40, Rgb(Marker)).View()), 0);
}

TEST_F(StaticAdapterTest, IconIsDrawnAtItsOwnSizeOverTheFace) {
    HWND icon = NewStatic(nullptr, SS_ICON | SS_REALSIZECONTROL, 0, 40, 40);
    const TPixel32 iconColor = 0x00C03010;
    HICON handle = MakeIcon(iconColor);
    SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(handle), 0);
    ASSERT_NE(Attach(icon), nullptr);
    auto shown = Printed(icon);
    const RECT box = BoxOfColor(shown->Pixels(), iconColor);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 16);
    EXPECT_EQ(box.bottom, 16);
    EXPECT_EQ(shown->Pixels().At(20, 20) & 0x00FFFFFF, Rgb(FaceColor));
    EXPECT_EQ(shown->Pixels().At(39, 39) & 0x00FFFFFF, Rgb(FaceColor));
    DestroyWindow(icon);
    DestroyIcon(handle);
}

TEST_F(StaticAdapterTest, ThirtyTwoBitBitmapIsBlendedByItsAlphaWithAReflection) {
    constexpr int W = 10, H = 8, Alpha = 128;
    // Every row its own colour, so that the reflection shows which row it mirrors.
    auto source = [](int x, int y) { return static_cast<TPixel32>(0x00000000 | (40 + 20 * y) << 16 | (x * 25)); };
    HBITMAP bitmap = MakeDib(W, H, 32, [&](int x, int y) { return static_cast<TPixel32>(Alpha) << 24 | source(x, y); });
    HWND picture = NewStatic(nullptr, SS_BITMAP | SS_REALSIZECONTROL, 0, 30, 30);
    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    ASSERT_NE(Attach(picture), nullptr);
    auto shown = Printed(picture);
    const TPixel32 face = Rgb(FaceColor);
    // Transparency 1 % leaves 99 % of the alpha.
    const int alpha = 99 * Alpha / 100;
    for (auto [x, y] : {std::pair{0, 0}, {9, 0}, {4, 7}, {9, 7}})
        EXPECT_EQ(shown->Pixels().At(x, y) & 0x00FFFFFF, BlendRgb(face, source(x, y), alpha)) << x << "," << y;
    // The first row below mirrors the last row at a third of the alpha; the next has faded out.
    for (int x : {0, 5, 9})
        EXPECT_EQ(shown->Pixels().At(x, H) & 0x00FFFFFF, BlendRgb(face, source(x, H - 1), alpha / 3)) << x;
    EXPECT_EQ(shown->Pixels().At(3, H + 1) & 0x00FFFFFF, face);
    EXPECT_EQ(shown->Pixels().At(W, 0) & 0x00FFFFFF, face);
    DestroyWindow(picture);
    DeleteObject(bitmap);
}

TEST_F(StaticAdapterTest, OtherBitmapsAreCopiedClippedToTheWindow) {
    auto source = [](int x, int y) { return static_cast<TPixel32>((x * 5) << 16 | (y * 20) << 8 | 0x40); };
    HBITMAP bitmap = MakeDib(50, 10, 24, source);
    HWND picture = NewStatic(nullptr, SS_BITMAP | SS_REALSIZECONTROL, 0, 20, 20);
    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    ASSERT_NE(Attach(picture), nullptr);
    auto shown = Printed(picture);
    for (auto [x, y] : {std::pair{0, 0}, {19, 0}, {7, 9}, {19, 9}})
        EXPECT_EQ(shown->Pixels().At(x, y) & 0x00FFFFFF, source(x, y)) << x << "," << y;
    EXPECT_EQ(shown->Pixels().At(5, 10) & 0x00FFFFFF, Rgb(FaceColor));
    EXPECT_EQ(shown->Pixels().At(19, 19) & 0x00FFFFFF, Rgb(FaceColor));
    DestroyWindow(picture);
    DeleteObject(bitmap);
}

TEST_F(StaticAdapterTest, EdgeStaticGetsATwoPixelRingOfTheEditFaceAroundTheSystemsPicture) {
    HWND edge = NewStatic(nullptr, SS_ICON | SS_REALSIZECONTROL, WS_EX_STATICEDGE, 40, 40);
    const TPixel32 iconColor = 0x00C03010;
    HICON handle = MakeIcon(iconColor);
    SendMessageA(edge, STM_SETICON, reinterpret_cast<WPARAM>(handle), 0);
    ASSERT_NE(Attach(edge), nullptr);
    auto shown = Printed(edge);
    const TPixel32 ring = Rgb(EdgeColor);
    for (auto [x, y] : {std::pair{0, 0}, {1, 1}, {1, 20}, {20, 1}, {38, 20}, {39, 39}, {20, 38}})
        EXPECT_EQ(shown->Pixels().At(x, y) & 0x00FFFFFF, ring) << x << "," << y;
    // Inside the ring the static has painted its icon the system's way.
    for (auto [x, y] : {std::pair{2, 2}, {20, 20}, {37, 37}})
        EXPECT_NE(shown->Pixels().At(x, y) & 0x00FFFFFF, ring) << x << "," << y;
    const RECT box = BoxOfColor(shown->Pixels(), iconColor);
    EXPECT_EQ(box.left, 2) << "the icon shows inside the ring";
    EXPECT_GE(box.right, 16);
    DestroyWindow(edge);
    DestroyIcon(handle);
}

} // namespace
} // namespace sj
