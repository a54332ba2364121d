// The painting half of the per-control skin data under Wine: the border ring of a
// windowed control over a bitmap and a colour backdrop, clear corners of a cache taking
// the parent's backdrop, the cache copied around children, section faces on device
// contexts against the portable face painter, focus and hover marking the cache stale,
// and the skin-data properties read from a stored form description.
#include "skin/paint/sCommonData.h"

#include <gtest/gtest.h>

#include <array>

#include "BordersSkinKit.h"
#include "forms/FormResources.h"
#include "forms/Forms.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sMaskPaint.h"
#include "skin/paint/sSectionPaint.h"

namespace sj {
namespace {

using namespace testkit;

constexpr int kMask = 64;                   // uniform mask value of the borders item
constexpr TColor kFramedColor = 0x00C08040; // face colour of the framed section

// A windowed control that owns skin data, as the skinned controls do.
class TFramedBox : public TCustomControl {
    SJ_CLASS(TFramedBox, TCustomControl)

public:
    explicit TFramedBox(TComponent* owner) : TCustomControl(owner), SkinData(this, false) {
        SkinData.ControlKind = ckEdit;
    }
    TsCtrlSkinData SkinData;
    static TsCommonData& DataOf(TFramedBox& box) { return box.SkinData; }

protected:
    void WndProc(TMessage& m) override {
        if (!SkinData.HandleCommonMessage(m))
            TCustomControl::WndProc(m);
    }
};

// Pixels that name their place: red x, green y, blue 0x99.
TPixel32 Backdrop(int x, int y) {
    return MakePixel(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0x99, 0xFF);
}

std::array<LONG, 4> Edges(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

class CommonDataPaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager = new TsSkinManager(nullptr);
        TsSkinModel& model = manager->Core().Model();
        AddBordersItem(*manager, kMask);
        ClearFramePixel(*manager, 0, 0);
        ClearFramePixel(*manager, 5, 5);
        model.GeneralData.push_back(Section("GLOBALINFO", 0x00FFFFFF));
        model.GeneralData.push_back(Section("PANEL", 0x00336699));
        model.GeneralData.push_back(Section("HALF", 0x00102030, 50));
        model.GeneralData.push_back(Section("FRAMED", static_cast<std::int32_t>(kFramedColor), 0, 2));
        model.GeneralData.back().BordersMaskIndex = 0;
        manager->Core().SetActive(true);
        form = new TForm(nullptr);
        form->SetBounds(-3000, -3000, 300, 200);
    }
    void TearDown() override {
        delete form;
        delete manager;
    }

    TFramedBox* Box(TWinControl* parent, const std::string& section, int left, int top, int w, int h) {
        auto* box = new TFramedBox(form);
        box->SetBounds(left, top, w, h);
        box->SetParent(parent);
        box->SkinData.SetSkinSection(section);
        box->HandleNeeded();
        return box;
    }
    // A half-transparent parent whose cache holds named pixels: it answers with them.
    TFramedBox* BitmapParent() {
        TFramedBox* parent = Box(form, "HALF", 10, 10, 120, 100);
        parent->SkinData.PrepareCacheBitmap();
        TacPixelsView px = parent->SkinData.CacheBitmap->Pixels();
        for (int y = 0; y < px.Height; ++y)
            for (int x = 0; x < px.Width; ++x)
                px.At(x, y) = Backdrop(x, y);
        parent->SkinData.CacheStale = false;
        return parent;
    }

    TsSkinManager* manager = nullptr;
    TForm* form = nullptr;
};

TEST_F(CommonDataPaintTest, BorderRingOverABitmapBackdropBlendsTheSkinOverTheParentsPixels) {
    TFramedBox* parent = BitmapParent();
    const int w = 16, h = 12, px = 5, py = 7;
    TFramedBox* edit = Box(parent, "FRAMED", px, py, w, h);
    RECT client{};
    PaintControlBorder(nullptr, RECT{0, 0, w, h}, 0, client, 0, edit->SkinData);
    EXPECT_EQ(Edges(client), Edges(RECT{2, 2, w - 2, h - 2}));
    TacPixelsView cache = edit->SkinData.CacheBitmap->Pixels();
    // Clear corner pixels show the parent's pixel at the control's position.
    EXPECT_EQ(cache.At(0, 0) & 0x00FFFFFF, Backdrop(px, py) & 0x00FFFFFF);
    EXPECT_EQ(cache.At(w - 1, h - 1) & 0x00FFFFFF, Backdrop(px + w - 1, py + h - 1) & 0x00FFFFFF);
    // Ring pixels blend the skin over the parent's pixels by the mask.
    for (auto [x, y] : {std::pair{1, 1}, std::pair{7, 0}, std::pair{0, 6}, std::pair{w - 1, 3}, std::pair{9, h - 2}})
        EXPECT_EQ(cache.At(x, y), MaskBlend(RingSource(x, y, w, h), Backdrop(px + x, py + y), kMask, 0xFF))
            << x << "," << y;
    // Inside the ring the backdrop was laid first.
    EXPECT_EQ(cache.At(w / 2, h / 2) & 0x00FFFFFF, Backdrop(px + w / 2, py + h / 2) & 0x00FFFFFF);
}

TEST_F(CommonDataPaintTest, BorderRingOverAColourBlendsOverTheFaceColourAndWidensToTheControlsFrame) {
    TFramedBox* parent = Box(form, "PANEL", 10, 10, 120, 100);
    TFramedBox* edit = Box(parent, "FRAMED", 4, 4, 16, 12);
    const int w = 16, h = 12;
    RECT client{};
    PaintControlBorder(nullptr, RECT{0, 0, w, h}, 3, client, 0, edit->SkinData);
    EXPECT_EQ(Edges(client), Edges(RECT{3, 3, w - 3, h - 3}));
    TacPixelsView cache = edit->SkinData.CacheBitmap->Pixels();
    const TPixel32 face = ColorToPixelOrder(kFramedColor);
    EXPECT_EQ(cache.At(1, 4), MaskBlend(RingSource(1, 4, w, h), face, kMask, 0xFF));
    EXPECT_EQ(cache.At(0, 0), ColorToPixelOrder(0x00336699)); // the parent's colour, alpha from the colour
    EXPECT_EQ(cache.At(2, 6), face | 0xFF000000u);            // band between the item and the frame
    EXPECT_EQ(cache.At(w - 3, h - 3), face | 0xFF000000u);
    EXPECT_EQ(cache.At(w / 2, h / 2), 0u); // the client area is left alone

    // Painted for a DC that is not the cache's: the frame strips are copied to it.
    auto screen = CreateBitmap32(w, h);
    PaintControlBorder(screen->Canvas().Handle(), RECT{0, 0, w, h}, 3, client, 0, edit->SkinData);
    TacPixelsView out = screen->Pixels();
    EXPECT_EQ(out.At(1, 4), cache.At(1, 4));
    EXPECT_EQ(out.At(w - 2, h - 1), cache.At(w - 2, h - 1));
    EXPECT_EQ(out.At(w / 2, h / 2), 0u);
}

TEST_F(CommonDataPaintTest, ClearCornersOfTheCacheTakeTheParentsPixelsWithAlphaZero) {
    TFramedBox* parent = BitmapParent();
    const int w = 14, h = 10, px = 6, py = 3;
    TFramedBox* edit = Box(parent, "FRAMED", px, py, w, h);
    edit->SkinData.PrepareCacheBitmap();
    TacPixelsView cache = edit->SkinData.CacheBitmap->Pixels();
    FillPixels(cache, TacRect{0, 0, w, h}, 0x00010203, 255);
    const TPixel32 painted = cache.At(0, 0);
    FillBackdropCorners(edit->SkinData, 0, bcTopLeft);
    EXPECT_EQ(cache.At(0, 0), Backdrop(px, py) & 0x00FFFFFF);
    EXPECT_EQ(cache.At(w - 1, h - 1), painted); // corner not asked for
    FillBackdropCorners(edit->SkinData, 0, bcAllCorners);
    EXPECT_EQ(cache.At(w - 1, h - 1), Backdrop(px + w - 1, py + h - 1) & 0x00FFFFFF);
    int replaced = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            replaced += cache.At(x, y) != painted;
    EXPECT_EQ(replaced, 2);
}

TEST_F(CommonDataPaintTest, CacheIsCopiedAroundWindowedChildrenAndTheDCIsRestored) {
    TFramedBox* box = Box(form, "PANEL", 0, 0, 20, 20);
    Box(box, "PANEL", 3, 2, 4, 3); // a windowed child
    box->SkinData.PrepareCacheBitmap();
    TacPixelsView cache = box->SkinData.CacheBitmap->Pixels();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            cache.At(x, y) = Backdrop(x, y);
    auto screen = CreateBitmap32(12, 12);
    HDC dc = screen->Canvas().Handle();
    CopyCacheToDC(box, box->SkinData, RECT{1, 1, 11, 11}, 0, 0, false, dc, RECT{0, 0, 10, 10});
    TacPixelsView out = screen->Pixels();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool child = x >= 3 && x < 7 && y >= 2 && y < 5;
            const bool clipped = x >= 10 || y >= 10;
            EXPECT_EQ(out.At(x, y), child || clipped ? 0u : Backdrop(x + 1, y + 1)) << x << "," << y;
        }
    RECT clip{};
    GetClipBox(dc, &clip);
    EXPECT_EQ(clip.right, 12);
    EXPECT_EQ(clip.bottom, 12);

    // Children are shifted by (dx, dy) into the DC's coordinates.
    auto shifted = CreateBitmap32(12, 12);
    CopyCacheToDC(box, box->SkinData, RECT{0, 0, 12, 12}, 1, 2, false, shifted->Canvas().Handle(), RECT{0, 0, 12, 12});
    EXPECT_EQ(shifted->Pixels().At(3, 2), Backdrop(3, 2));
    EXPECT_EQ(shifted->Pixels().At(5, 3), 0u);
    EXPECT_EQ(shifted->Pixels().At(8, 5), 0u);
    EXPECT_EQ(shifted->Pixels().At(9, 6), Backdrop(9, 6));
}

TEST_F(CommonDataPaintTest, FaceOnADCEqualsThePortableFace) {
    const std::int32_t framed = manager->Model().SectionIndexOf("FRAMED");
    const TBackdropRef backdrop = ColorBackdrop(0x00445566);
    auto screen = CreateBitmap32(20, 18);
    PaintSectionFaceToDC(framed, "FRAMED", backdrop, manager, screen->Canvas().Handle(), POINT{3, 4},
                         RECT{2, 3, 16, 15}, 1, true);
    TacPixmap expected(14, 12);
    PaintSectionFace(expected.View(), TacRect{0, 0, 14, 12}, &manager->Model(), framed, "FRAMED", 1, true, backdrop, 3,
                     4);
    TacPixelsView out = screen->Pixels();
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 2 && x < 16 && y >= 3 && y < 15;
            EXPECT_EQ(out.At(x, y), inside ? expected.At(x - 2, y - 3) : 0u) << x << "," << y;
        }
}

TEST_F(CommonDataPaintTest, FaceByNameOverASourceDCEqualsThePortableFaceOverThoseSourcePixels) {
    auto source = CreateBitmap32(30, 30);
    TacPixelsView src = source->Pixels();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            src.At(x, y) = Backdrop(x, y);
    auto target = CreateBitmap32(12, 10);
    const RECT at{5, 6, 17, 16};
    EXPECT_EQ(PaintSectionFaceByName(*target, "NOSUCH", "FRAMED", source->Canvas().Handle(), 0, at, manager, 0),
              manager->Model().SectionIndexOf("FRAMED"));
    TacPixmap behind(12, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            behind.At(x, y) = Backdrop(at.left + x, at.top + y);
    TacPixmap expected = behind;
    PaintSectionFace(expected.View(), TacRect{0, 0, 12, 10}, &manager->Model(),
                     manager->Model().SectionIndexOf("FRAMED"), "FRAMED", 0, true, BitmapBackdrop(behind.View(), 0, 0),
                     0, 0);
    TacPixelsView out = target->Pixels();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(out.At(x, y), expected.At(x, y)) << x << "," << y;
    EXPECT_EQ(out.At(0, 0) & 0x00FFFFFF, Backdrop(at.left, at.top) & 0x00FFFFFF); // the clear corner
    EXPECT_EQ(PaintSectionFaceByName(*target, "NOSUCH", "NEITHER", source->Canvas().Handle(), 0, at, manager, 0), -1);
}

TEST_F(CommonDataPaintTest, FocusAndHoverChangeTheStateAndMakeTheCacheStale) {
    TFramedBox* edit = Box(form, "FRAMED", 4, 4, 40, 20);
    HWND handle = edit->Handle();
    auto settle = [&] { edit->SkinData.CacheStale = false; };
    settle();
    SendMessageA(handle, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(edit->SkinData.HasFocus);
    EXPECT_TRUE(edit->SkinData.CacheStale);
    EXPECT_TRUE(edit->SkinData.IsHot());
    settle();
    SendMessageA(handle, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(edit->SkinData.HasFocus);
    EXPECT_TRUE(edit->SkinData.CacheStale);
    settle();
    edit->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(edit->SkinData.Hovered);
    EXPECT_TRUE(edit->SkinData.CacheStale);
    EXPECT_TRUE(edit->SkinData.IsHot());
    settle();
    edit->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(edit->SkinData.Hovered);
    EXPECT_TRUE(edit->SkinData.CacheStale);
    EXPECT_FALSE(edit->SkinData.IsHot());

    // A disabled control cannot take the focus: nothing changes.
    settle();
    edit->SetEnabled(false);
    settle();
    SendMessageA(handle, WM_SETFOCUS, 0, 0);
    EXPECT_FALSE(edit->SkinData.HasFocus);
    EXPECT_FALSE(edit->SkinData.CacheStale);
}

class TFramedForm : public TForm {
    SJ_CLASS(TFramedForm, TForm)

public:
    explicit TFramedForm(TComponent* owner) : TForm(owner) {
        BindField("sSkinManager1", Manager);
        BindField("Box1", Box);
    }
    void Read(const std::string& text) { CreateFromText(text); }
    TsSkinManager* Manager = nullptr;
    TFramedBox* Box = nullptr;
};

TEST_F(CommonDataPaintTest, SkinDataPropertiesAreReadFromTheStoredForm) {
    RegisterFormClasses();
    RegisterSkinManagerClasses();
    RegisterComponentClass<TFramedBox>();
    RegisterSkinDataProperties<TFramedBox>(&TFramedBox::DataOf);
    auto* stored = new TFramedForm(nullptr);
    stored->Read("object FramedForm: TFramedForm\n"
                 "  Left = -3000\n  Top = -3000\n  Width = 200\n  Height = 100\n"
                 "  object sSkinManager1: TsSkinManager\n  end\n"
                 "  object Box1: TFramedBox\n"
                 "    Left = 8\n    Top = 8\n    Width = 60\n    Height = 20\n"
                 "    SkinData.SkinSection = 'framed'\n"
                 "    SkinData.CustomColor = True\n"
                 "    SkinData.CustomFont = True\n"
                 "    SkinData.HUEOffset = 30\n"
                 "    SkinData.Saturation = -10\n"
                 "    SkinData.SkinManager = sSkinManager1\n"
                 "  end\n"
                 "end\n");
    ASSERT_NE(stored->Box, nullptr);
    const TsCtrlSkinData& data = stored->Box->SkinData;
    EXPECT_EQ(data.SkinSection(), "FRAMED");
    EXPECT_TRUE(data.CustomColor());
    EXPECT_TRUE(data.CustomFont());
    EXPECT_EQ(data.HUEOffset(), 30);
    EXPECT_EQ(data.Saturation(), -10);
    EXPECT_EQ(data.SkinManager(), stored->Manager);
    EXPECT_TRUE(data.SkinManagerStored());
    delete stored;
}

} // namespace
} // namespace sj
