// Glow windows under Wine: when no glow is made, the window's place, styles, hit test
// and z-order, the bitmap handed to UpdateLayeredWindow against a nine-slice computed
// here from the image's borders (corners copied, sides stretched by nearest pixels,
// centre left clear), cutting by the clip rectangle, freeing, and the hover glow of a
// control's skin data. The layered-window call is recorded through the system table.
#include "skin/frame/acGlow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>

#include "forms/Forms.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinManager.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/LayeredWindowRecorder.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sSystemFunctions.h"
#include "tools/common/PngWriter.h"

namespace sj {
namespace {

// What the glow asked of UpdateLayeredWindow; Pixels is the part of the source bitmap
// the window was given.
// The recorder of the running test; its last call is what the tests look at.
TLayeredWindowRecorder* gRecorder = nullptr;

const TLayeredCall& Recorded() {
    static const TLayeredCall none;
    return gRecorder != nullptr ? gRecorder->Last() : none;
}

int RecordedCalls() {
    return gRecorder != nullptr ? static_cast<int>(gRecorder->Calls.size()) : 0;
}

// A glow image whose every pixel tells where it came from, with a clear key pixel in
// the top-left corner.
TacPixmap TellingImage(int width, int height) {
    TacPixmap image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.At(x, y) = MakePixel(static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 9), 0x40,
                                       static_cast<std::uint8_t>(0x80 + x + y));
    image.At(1, 1) = clKeyPixel;
    return image;
}

TsMaskData GlowItem(const std::string& section, const std::string& key, TacPixmap image, int left, int top, int right,
                    int bottom) {
    TsMaskData item;
    item.SourceRect = TacRect{0, 0, image.Width(), image.Height()};
    item.OwnBitmap = std::make_shared<TacPixmap>(std::move(image));
    item.Section = section;
    item.Key = key;
    item.FrameCount = 1;
    item.ItemKind = ikPlainFile;
    item.PaintFlags = 1; // stretched sides, no centre
    item.BorderLeft = static_cast<std::int16_t>(left);
    item.BorderTop = static_cast<std::int16_t>(top);
    item.BorderRight = static_cast<std::int16_t>(right);
    item.BorderBottom = static_cast<std::int16_t>(bottom);
    return item;
}

TsGeneralData Section(const std::string& name, int glow = 0, int glowMargin = 0) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = 1;
    s.Glow = glow;
    s.GlowMargin = glowMargin;
    return s;
}

// Borders of the synthetic title-button glow: all different, so that any mix-up shows.
constexpr int BL = 5, BT = 6, BR = 7, BB = 8;
constexpr int ImageW = 30, ImageH = 24;

void FillGlowModel(TsSkinModel& model) {
    model.GeneralData.push_back(Section("GLOBALINFO"));
    model.GeneralData.push_back(Section("BUTTON", 1, 2));
    model.GeneralData.push_back(Section("PANEL"));
    model.Masks.push_back(GlowItem("GLOBALINFO", "BICONCLOSEGLOW0", TellingImage(ImageW, ImageH), BL, BT, BR, BB));
    model.Masks.push_back(GlowItem("BUTTON", "GLOW0", TellingImage(20, 20), 4, 4, 4, 4));
    model.AdoptItems();
}

// Source column (row) of target column x of a nine-slice with stretched sides: the
// borders are copied, the inner part picks source pixels by nearest sampling.
int SliceSource(int x, int size, int nearBorder, int farBorder, int sourceSize) {
    if (x < nearBorder)
        return x;
    if (x >= size - farBorder)
        return sourceSize - (size - x);
    const int inner = size - nearBorder - farBorder;
    const int sourceInner = sourceSize - nearBorder - farBorder;
    return nearBorder + ((2 * (x - nearBorder) + 1) * sourceInner) / (2 * inner);
}

TPixel32 ExpectedGlowPixel(const TacPixmap& image, int x, int y, int w, int h, int bl, int bt, int br, int bb) {
    const bool innerColumn = x >= bl && x < w - br;
    const bool innerRow = y >= bt && y < h - bb;
    if (innerColumn && innerRow)
        return 0;
    const TPixel32 source =
        image.At(SliceSource(x, w, bl, br, image.Width()), SliceSource(y, h, bt, bb, image.Height()));
    // Clear skin pixels of a corner leave the cleared bitmap alone.
    return !innerColumn && !innerRow && source == clKeyPixel ? 0 : source;
}

// Number of pixels of `got` (the part of the glow bitmap at `visible`) that differ from
// the nine-slice of image over w x h.
int PixelsDifferingFromSlice(const TacPixmap& got, const TacRect& visible, const TacPixmap& image, int w, int h, int bl,
                             int bt, int br, int bb) {
    if (got.Width() != visible.Width() || got.Height() != visible.Height())
        return -1;
    int differing = 0;
    for (int y = 0; y < got.Height(); ++y)
        for (int x = 0; x < got.Width(); ++x)
            if (got.At(x, y) != ExpectedGlowPixel(image, visible.Left + x, visible.Top + y, w, h, bl, bt, br, bb))
                ++differing;
    return differing;
}

BOOL CALLBACK CountGlowWindow(HWND window, LPARAM count) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "TacGlowForm")
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int GlowWindowCount() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountGlowWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Left, top, right, bottom of a window on the screen, for comparisons.
std::array<LONG, 4> Sides(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}
std::array<LONG, 4> WindowSides(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return Sides(r);
}

// Saves what a glow shows when SJ_GLOW_DUMP names a folder (for looking at it).
void DumpRecorded(const std::string& name) {
    if (const char* folder = std::getenv("SJ_GLOW_DUMP"))
        tools::WritePngFile(std::string(folder) + "\\" + name + ".png", Recorded().Pixels);
}

class GlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitSystemFunctions();
        ASSERT_NE(LayeredWindowFunctions().UpdateLayeredWindow, nullptr);
        recorder = std::make_unique<TLayeredWindowRecorder>();
        gRecorder = recorder.get();
        FillGlowModel(model);
        parent = std::make_unique<TForm>(nullptr);
        parent->SetBounds(100, 100, 300, 200);
        parent->Show();
        Application->ProcessMessages();
    }
    void TearDown() override {
        ClearGlows();
        gRecorder = nullptr;
        recorder.reset();
        parent.reset();
    }

    int ShowCloseGlow(const RECT& rect, const RECT& clip, int margin, BYTE alpha = 255) {
        return ShowGlow(rect, clip, "GLOBALINFO", &model, parent->Handle(), alpha, margin, "BICONCLOSEGLOW");
    }
    const TacPixmap& CloseImage() const { return *model.Masks[0].OwnBitmap; }

    TsSkinModel model;
    std::unique_ptr<TForm> parent;
    std::unique_ptr<TLayeredWindowRecorder> recorder;
};

const RECT ButtonRect{150, 140, 171, 161}; // 21 x 21, as a title button

TEST_F(GlowTest, NoGlowWithoutLayeredWindowsImageOrVisibleArea) {
    LayeredWindowFunctions().UpdateLayeredWindow = nullptr;
    EXPECT_EQ(ShowCloseGlow(ButtonRect, ButtonRect, 3), -1);
    LayeredWindowFunctions().UpdateLayeredWindow = TLayeredWindowRecorder::Function();

    EXPECT_EQ(ShowGlow(ButtonRect, ButtonRect, "GLOBALINFO", &model, parent->Handle(), 255, 3, "BICONMAXGLOW"), -1);
    EXPECT_EQ(ShowGlow(ButtonRect, ButtonRect, "NOSECTION", &model, parent->Handle(), 255, 3, "BICONCLOSEGLOW"), -1);
    EXPECT_EQ(ShowGlow(ButtonRect, ButtonRect, "GLOBALINFO", nullptr, parent->Handle(), 255, 3, "BICONCLOSEGLOW"), -1);
    // The name is taken with 0 appended, never as given.
    EXPECT_EQ(ShowGlow(ButtonRect, ButtonRect, "GLOBALINFO", &model, parent->Handle(), 255, 3, "BICONCLOSEGLOW0"), -1);
    // Margins that eat the whole glow, and clips that leave nothing of the rectangle.
    EXPECT_EQ(ShowCloseGlow(ButtonRect, ButtonRect, 17), -1);
    EXPECT_EQ(ShowCloseGlow(ButtonRect, RECT{140, 140, 149, 161}, 3), -1) << "clip beside the button";
    EXPECT_EQ(ShowCloseGlow(ButtonRect, RECT{}, 3), -1);
    EXPECT_EQ(ShowCloseGlow(RECT{150, 140, 150 + 40000, 161}, RECT{150, 140, 150 + 40000, 161}, 0), -1);

    EXPECT_EQ(RecordedCalls(), 0);
    EXPECT_TRUE(TacGlowEffects().empty());
    EXPECT_EQ(GlowWindowCount(), 0);

    EXPECT_EQ(ShowCloseGlow(ButtonRect, ButtonRect, 3), 0);
    EXPECT_EQ(GlowWindowCount(), 1);
}

TEST_F(GlowTest, WindowSitsAroundTheRectangleJustAboveTheParentAndIgnoresTheMouse) {
    // Another window above the parent: the glow goes between them, not on top of all.
    TForm above(nullptr);
    above.SetBounds(700, 100, 100, 100);
    above.Show();
    Application->ProcessMessages();
    ASSERT_NE(::GetWindow(parent->Handle(), GW_HWNDPREV), nullptr);
    HWND active = ::GetActiveWindow();
    const int id = ShowCloseGlow(ButtonRect, ButtonRect, 3);
    ASSERT_EQ(id, 0);
    TacGlowEffect* glow = GlowEffectOf(id);
    ASSERT_NE(glow, nullptr);
    HWND window = glow->Handle();
    ASSERT_TRUE(::IsWindow(window));

    // 21 + 5 + 7 - 2 * 3 wide, 21 + 6 + 8 - 2 * 3 high, the borders reaching out past
    // the margin.
    const int w = 21 + BL + BR - 6, h = 21 + BT + BB - 6;
    const int x = 150 + 3 - BL, y = 140 + 3 - BT;
    EXPECT_EQ(WindowSides(window), Sides(RECT{x, y, x + w, y + h}));
    EXPECT_EQ(Recorded().Window, window);
    EXPECT_EQ(Recorded().Position.x, x);
    EXPECT_EQ(Recorded().Position.y, y);
    EXPECT_EQ(Recorded().Size.cx, w);
    EXPECT_EQ(Recorded().Size.cy, h);

    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & acGlowExStyle, acGlowExStyle);
    EXPECT_EQ(exStyle & WS_EX_TOPMOST, 0u);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0u);
    EXPECT_EQ(glow->Form()->Tag(), acAuxWindowTag);
    EXPECT_EQ(::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x + 2, y + 2)), HTTRANSPARENT);

    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(::GetActiveWindow(), active);
    EXPECT_NE(::GetForegroundWindow(), window);
    EXPECT_EQ(::GetWindow(parent->Handle(), GW_HWNDPREV), window) << "just above the parent";

    EXPECT_EQ(glow->MaskIndex(), 0);
    EXPECT_EQ(glow->Margin(), 3);
    EXPECT_EQ(glow->Manager(), &model);
}

TEST_F(GlowTest, LayeredContentIsTheNineSliceOfTheGlowImageAtTheCallersAlpha) {
    ASSERT_GE(ShowCloseGlow(ButtonRect, ButtonRect, 3), 0);
    const int w = 21 + BL + BR - 6, h = 21 + BT + BB - 6;
    EXPECT_EQ(RecordedCalls(), 1);
    EXPECT_EQ(Recorded().Blend.BlendOp, AC_SRC_OVER);
    EXPECT_EQ(Recorded().Blend.SourceConstantAlpha, 255);
    EXPECT_EQ(Recorded().Blend.AlphaFormat, AC_SRC_ALPHA);
    EXPECT_EQ(Recorded().Flags, static_cast<DWORD>(ULW_ALPHA));
    EXPECT_EQ(Recorded().SourceBitmapSize.cx, w);
    EXPECT_EQ(Recorded().SourceBitmapSize.cy, h);
    EXPECT_EQ(PixelsDifferingFromSlice(Recorded().Pixels, TacRect{0, 0, w, h}, CloseImage(), w, h, BL, BT, BR, BB), 0);
    // Spot checks of the rule: corners are copied, the key pixel stays clear, the centre
    // is not painted.
    EXPECT_EQ(Recorded().Pixels.At(w - 1, h - 1), CloseImage().At(ImageW - 1, ImageH - 1));
    EXPECT_EQ(Recorded().Pixels.At(0, h - 1), CloseImage().At(0, ImageH - 1));
    EXPECT_EQ(Recorded().Pixels.At(1, 1), 0u);
    EXPECT_EQ(Recorded().Pixels.At(w / 2, h / 2), 0u);
    DumpRecorded("synthetic");

    ASSERT_GE(ShowCloseGlow(ButtonRect, ButtonRect, 3, 90), 0);
    EXPECT_EQ(Recorded().Blend.SourceConstantAlpha, 90) << "the caller's alpha";
}

TEST_F(GlowTest, SmallerClipCutsTheGlowWhereTheRectangleIsHidden) {
    // Hidden: 4 pixels at the left, 5 at the bottom, 2 at the right.
    const RECT clip{154, 100, 169, 156};
    ASSERT_GE(ShowCloseGlow(ButtonRect, clip, 3), 0);
    const int w = 21 + BL + BR - 6, h = 21 + BT + BB - 6;
    const TacRect visible{4, 0, w - 2, h - 5};
    const int x = 150 + 3 + 4 - BL, y = 140 + 3 - BT;
    HWND window = GlowEffectOf(0)->Handle();
    EXPECT_EQ(WindowSides(window), Sides(RECT{x, y, x + visible.Width(), y + visible.Height()}));
    EXPECT_EQ(Recorded().SourceBitmapSize.cx, w) << "the whole glow is painted, then cut";
    EXPECT_EQ(Recorded().Source.x, 4);
    EXPECT_EQ(Recorded().Source.y, 0);
    EXPECT_EQ(PixelsDifferingFromSlice(Recorded().Pixels, visible, CloseImage(), w, h, BL, BT, BR, BB), 0);
}

TEST_F(GlowTest, TopmostParentGetsATopmostGlow) {
    parent->SetFormStyle(TFormStyle::fsStayOnTop);
    const int id = ShowCloseGlow(ButtonRect, ButtonRect, 3);
    ASSERT_GE(id, 0);
    HWND window = GlowEffectOf(id)->Handle();
    EXPECT_NE(::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    parent->SetFormStyle(TFormStyle::fsNormal);
}

TEST_F(GlowTest, HideGlowAndClearGlowsFreeTheWindows) {
    int first = ShowCloseGlow(ButtonRect, ButtonRect, 3);
    int second = ShowCloseGlow(ButtonRect, ButtonRect, 2);
    ASSERT_EQ(first, 0);
    ASSERT_EQ(second, 1);
    HWND firstWindow = GlowEffectOf(first)->Handle();
    HWND secondWindow = GlowEffectOf(second)->Handle();

    HideGlow(first);
    EXPECT_EQ(first, -1);
    EXPECT_FALSE(::IsWindow(firstWindow));
    EXPECT_EQ(GlowEffectOf(0), nullptr) << "the slot is emptied";
    EXPECT_TRUE(::IsWindow(secondWindow)) << "other ids stay valid";
    int stale = 57;
    HideGlow(stale);
    EXPECT_EQ(stale, -1);
    const int third = ShowCloseGlow(ButtonRect, ButtonRect, 1);
    EXPECT_EQ(third, 2) << "new glows are appended";
    HWND thirdWindow = GlowEffectOf(third)->Handle();
    EXPECT_EQ(GlowWindowCount(), 2);

    ClearGlows();
    EXPECT_TRUE(TacGlowEffects().empty());
    EXPECT_FALSE(::IsWindow(secondWindow));
    EXPECT_FALSE(::IsWindow(thirdWindow));
    EXPECT_EQ(GlowWindowCount(), 0);
    EXPECT_EQ(ShowCloseGlow(ButtonRect, ButtonRect, 3), 0);
}

// The glow of a stored skin's close button: the image of the skin, laid by the rule.
TEST_F(GlowTest, StoredSkinCloseButtonGlow) {
    const char* resource = "SKIN_NOCTURNEVELVET";
    HRSRC found = ::FindResourceA(nullptr, resource, MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (found == nullptr)
        GTEST_SKIP() << "the internal skins are not linked in";
    const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(nullptr, found)));
    TsStoredSkin stored;
    stored.Name = "Nocturne Velvet (internal)";
    stored.DataStream.assign(bytes, bytes + ::SizeofResource(nullptr, found));
    TsSkinCore core;
    core.InternalSkins.Add(std::move(stored));
    core.SetSkinDirectory("c:\\nonexistent-skin-folder");
    ASSERT_NO_THROW(core.LoadSkin("Nocturne Velvet (internal)"));
    const TsSkinModel& skin = core.Model();
    const std::int32_t index = skin.ExactImageIndexOf("GLOBALINFO", "BICONCLOSEGLOW0");
    ASSERT_GE(index, 0);
    const TsMaskData& item = skin.Masks[static_cast<std::size_t>(index)];
    ASSERT_TRUE(item.OwnBitmap);
    const int margin = skin.SkinGlobals.BIconCloseGlowMargin;

    ASSERT_GE(ShowGlow(ButtonRect, ButtonRect, "GLOBALINFO", &skin, parent->Handle(), 255, margin, "BICONCLOSEGLOW"),
              0);
    const int w = 21 + item.BorderLeft + item.BorderRight - 2 * margin;
    const int h = 21 + item.BorderTop + item.BorderBottom - 2 * margin;
    EXPECT_EQ(PixelsDifferingFromSlice(Recorded().Pixels, TacRect{0, 0, w, h}, *item.OwnBitmap, w, h, item.BorderLeft,
                                       item.BorderTop, item.BorderRight, item.BorderBottom),
              0);
    int seen = 0;
    for (TPixel32 p : Recorded().Pixels.Data())
        seen += PixelA(p) > 0 ? 1 : 0;
    EXPECT_GT(seen, 0) << "the glow shows something";
    DumpRecorded("nocturne-close");
}

// --- The hover glow of a control's skin data -------------------------------------------------

class TGlowBox : public TCustomControl {
public:
    explicit TGlowBox(TComponent* owner) : TCustomControl(owner), SkinData(this, false) {}
    TsCtrlSkinData SkinData;
};

class TGlowLabel : public TGraphicControl {
public:
    explicit TGlowLabel(TComponent* owner) : TGraphicControl(owner), SkinData(this, false) {}
    TsCtrlSkinData SkinData;
};

class ControlGlowTest : public GlowTest {
protected:
    void SetUp() override {
        GlowTest::SetUp();
        manager = std::make_unique<TsSkinManager>(nullptr);
        FillGlowModel(manager->Core().Model());
        manager->Core().SetActive(true);
        manager->Effects.StoredAllowGlowing = true;
        box = new TGlowBox(parent.get());
        box->SetBounds(30, 40, 60, 24);
        box->SetParent(parent.get());
        box->SkinData.SetSkinManager(manager.get());
        box->SkinData.SetSkinSection("BUTTON");
        box->HandleNeeded();
        Application->ProcessMessages();
    }
    void TearDown() override {
        HideControlGlow(box->SkinData);
        GlowTest::TearDown();
        manager.reset();
    }

    std::unique_ptr<TsSkinManager> manager;
    TGlowBox* box = nullptr;
};

TEST_F(ControlGlowTest, HoveredControlGlowsAroundItsWindowOnTheForm) {
    TsCommonData& data = box->SkinData;
    ASSERT_EQ(data.SectionIndex, 1);
    ShowControlGlow(data, false);
    EXPECT_EQ(data.GlowHandle, -1) << "not hovered";

    data.Hovered = true;
    manager->Effects.StoredAllowGlowing = false;
    ShowControlGlow(data, false);
    EXPECT_EQ(data.GlowHandle, -1) << "glowing not allowed";
    manager->Effects.StoredAllowGlowing = true;

    ShowControlGlow(data, false);
    ASSERT_GE(data.GlowHandle, 0);
    RECT control{};
    ::GetWindowRect(box->Handle(), &control);
    // "GLOW0" of BUTTON: borders 4, section margin 2.
    const int x = control.left + 2 - 4, y = control.top + 2 - 4;
    HWND window = GlowEffectOf(data.GlowHandle)->Handle();
    EXPECT_EQ(WindowSides(window), Sides(RECT{x, y, x + 60 + 8 - 4, y + 24 + 8 - 4}));
    EXPECT_EQ(::GetWindow(parent->Handle(), GW_HWNDPREV), window) << "on the control's form";
    EXPECT_EQ(Recorded().Blend.SourceConstantAlpha, 255);

    const int shown = data.GlowHandle;
    ShowControlGlow(data, false);
    EXPECT_EQ(data.GlowHandle, shown) << "one glow at a time";

    ShowControlGlow(data, true);
    EXPECT_EQ(data.GlowHandle, -1) << "force removes a shown glow";
    EXPECT_FALSE(::IsWindow(window));

    ShowControlGlow(data, false);
    ASSERT_GE(data.GlowHandle, 0);
    window = GlowEffectOf(data.GlowHandle)->Handle();
    data.Hovered = false;
    ShowControlGlow(data, false);
    EXPECT_EQ(data.GlowHandle, -1) << "left: removed";
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(ControlGlowTest, SectionsWithoutGlowAndWindowlessControls) {
    box->SkinData.SetSkinSection("PANEL");
    box->SkinData.Hovered = true;
    ShowControlGlow(box->SkinData, false);
    EXPECT_EQ(box->SkinData.GlowHandle, -1);
    EXPECT_EQ(GlowWindowCount(), 0);

    auto* label = new TGlowLabel(parent.get());
    label->SetBounds(120, 60, 40, 16);
    label->SetParent(parent.get());
    label->SkinData.SetSkinManager(manager.get());
    label->SkinData.SetSkinSection("BUTTON");
    label->SkinData.Hovered = true;
    ShowControlGlow(label->SkinData, false);
    ASSERT_GE(label->SkinData.GlowHandle, 0);
    const POINT origin = label->ClientOrigin();
    const int x = origin.x + 2 - 4, y = origin.y + 2 - 4;
    EXPECT_EQ(WindowSides(GlowEffectOf(label->SkinData.GlowHandle)->Handle()), Sides(RECT{x, y, x + 44, y + 20}));
    HideControlGlow(label->SkinData);
    EXPECT_EQ(label->SkinData.GlowHandle, -1);
    EXPECT_EQ(GlowWindowCount(), 0);
}

} // namespace
} // namespace sj
