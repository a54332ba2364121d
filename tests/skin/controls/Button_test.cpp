// The skinned push button on real windows under Wine: its painted face in each state
// against the core painters (section face, blended glyph, caption, focus frame,
// disabled look), clicks by mouse and Space, the system's own paint requests, the
// default-button role and reading from a stored form.
#include "skin/controls/sButton.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "forms/FormReader.h"
#include "forms/Forms.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/acAlphaImageList.h"
#include "skin/paint/sControlText.h"
#include "skin/paint/sGlyphPaint.h"
#include "skin/paint/sSectionPaint.h"
#include "tools/common/PngWriter.h"

namespace sj {
namespace {

constexpr std::int32_t NormalColor = 0x00C08040;
constexpr std::int32_t HotColor = 0x0040C0F0;

TsGeneralData ButtonSection(const std::string& name, int states) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = states;
    s.ShowFocus = true;
    s.StateProps[0].Color = NormalColor;
    s.StateProps[0].FontColor = 0x00000080;
    s.StateProps[1].Color = HotColor;
    s.StateProps[1].FontColor = 0x00800000;
    return s;
}

TsGeneralData PlainSection(const std::string& name, std::int32_t color) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = 1;
    s.StateProps[0].Color = s.StateProps[1].Color = color;
    return s;
}

// A 16 x 16 glyph with soft edges: opaque centre, half-transparent ring.
TacPixmap GlyphImage(TPixel32 centre) {
    TacPixmap image(16, 16, 0);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool inner = x >= 3 && x < 13 && y >= 3 && y < 13;
            const bool ring = x >= 1 && x < 15 && y >= 1 && y < 15;
            if (inner)
                image.At(x, y) = centre;
            else if (ring)
                image.At(x, y) = (centre & 0x00FFFFFF) | 0x80000000;
        }
    }
    return image;
}

int DifferingPixels(TBitmap& a, TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return -1;
    int count = 0;
    TacPixelsView pa = a.Pixels();
    TacPixelsView pb = b.Pixels();
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if ((pa.Bits[y * pa.Stride + x] & 0x00FFFFFF) != (pb.Bits[y * pb.Stride + x] & 0x00FFFFFF))
                ++count;
        }
    }
    return count;
}

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSkinButtonClasses();
        RegisterAlphaImageListClass();
        manager = new TsSkinManager(nullptr);
        TsSkinModel& model = manager->Core().Model();
        model.GeneralData.push_back(PlainSection("GLOBALINFO", 0x00FFFFFF));
        model.GeneralData.push_back(ButtonSection("BUTTON", 4));
        model.GeneralData.push_back(ButtonSection("BUTTON3", 3));
        manager->Core().SetActive(true);
        form = new TForm(nullptr);
        form->SetBounds(-3000, -3000, 300, 200);
        form->SetColor(0x00D0D0D0);
        images = new TsAlphaImageList(form);
        images->SetSize(16, 16);
        images->AddImageData(tools::EncodePng(GlyphImage(0xFF20A020)));
        images->AddImageData(tools::EncodePng(GlyphImage(0xFFA02020)));
        images->AddImageData(tools::EncodePng(GlyphImage(0xFF2020A0)));
    }
    void TearDown() override {
        delete form;
        delete manager;
    }

    TsButton* NewButton(const std::string& section, int left = 20, int top = 30) {
        auto* button = new TsButton(form);
        button->SetBounds(left, top, 110, 26);
        button->SetParent(form);
        button->SetCaption("Select folder");
        button->SetImages(images);
        button->SetImageIndex(0);
        button->SkinData().SetSkinSection(section);
        button->HandleNeeded();
        return button;
    }

    // What the button paints for a print request.
    static std::unique_ptr<TBitmap> Printed(TsButton* button) {
        auto shot = std::make_unique<TBitmap>(button->Width(), button->Height());
        SendMessageA(button->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot->Canvas().Handle()), PRF_CLIENT);
        return shot;
    }

    // What the button paints when its parent passes on the system's owner-draw request.
    static std::unique_ptr<TBitmap> DrawnBySystemRequest(TsButton* button) {
        auto shot = std::make_unique<TBitmap>(button->Width(), button->Height());
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.itemAction = ODA_DRAWENTIRE;
        item.hwndItem = button->Handle();
        item.hDC = shot->Canvas().Handle();
        item.rcItem = RECT{0, 0, button->Width(), button->Height()};
        SendMessageA(button->Parent()->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
        return shot;
    }

    struct TLook {
        int FaceState = 0;
        bool Pressed = false;
        bool Focused = false;
        bool Enabled = true;
        int Glyph = 0;
    };

    // The face built from the core painters: section face, glyph blended at (6, 5),
    // caption centred in 22..104, the focus frame one pixel outside the caption and the
    // disabled look over all.
    std::unique_ptr<TBitmap> Expected(TsButton* button, const TLook& look) {
        auto face = std::make_unique<TBitmap>(button->Width(), button->Height());
        TsCtrlSkinData& data = button->SkinData();
        TBackdropRef backdrop;
        data.GetBackdrop(backdrop);
        PaintControlFace(face->Pixels(), TacRect{0, 0, face->Width(), face->Height()}, data.Model(), data.FaceParams(),
                         look.FaceState, true, backdrop, button->Left(), button->Top());
        const int shift = look.Pressed ? 1 : 0;
        DrawItemInto(face->Pixels(), 6 + shift, 5 + shift, *images, look.Glyph);
        face->Canvas().Font().Assign(button->Font());
        RECT measure{0, 0, button->Width(), 0};
        face->Canvas().DrawText(button->Caption(), measure, DT_CALCRECT | DT_EXPANDTABS | DT_CENTER | DT_WORDBREAK);
        const int textHeight = measure.bottom - measure.top;
        const int top = (button->Height() - textHeight) / 2;
        RECT caption{22 + shift, top + shift, 104 + shift, button->Height() - top + shift};
        face->Canvas().Brush().SetStyle(TBrushStyle::bsClear);
        DrawControlText(face->Canvas(), button->Caption(), true, look.FaceState != 0, data,
                        DT_CENTER | DT_VCENTER | DT_EXPANDTABS | DT_WORDBREAK, caption);
        if (look.Focused)
            DrawFocusRectangle(face->Pixels(),
                               TacRect{caption.left - 1, caption.top - 1, caption.right + 1, caption.bottom + 1},
                               ColorToRGB(clBtnFace), 0);
        if (!look.Enabled)
            PaintDisabledLook(face->Pixels(), dkBlended, ColorToRGB(data.FaceColor(0)), button->Left(), button->Top(),
                              backdrop);
        return face;
    }

    TsSkinManager* manager = nullptr;
    TForm* form = nullptr;
    TsAlphaImageList* images = nullptr;
};

TEST_F(ButtonTest, LayoutOfTheMainWindowButtons) {
    TsButton* button = NewButton("BUTTON");
    EXPECT_EQ(button->GlyphRect(), (TacRect{6, 5, 22, 21}));
    EXPECT_EQ(button->CaptionRect().Left, 22);
    EXPECT_EQ(button->CaptionRect().Right, 104);
    EXPECT_EQ(GetWindowLongA(button->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST_F(ButtonTest, ACaptionWrappedInTheCaptionAreaKeepsAllItsLines) {
    TsButton* button = NewButton("BUTTON");
    const int oneLine = button->CaptionRect().Height();
    button->SetCaption("Select the input file to split");
    EXPECT_GE(button->CaptionRect().Height(), 2 * oneLine - 2);
    EXPECT_EQ(button->CaptionRect().Left, 22);
}

TEST_F(ButtonTest, NormalAndHotFacesAreTheCoreFacesWithGlyphAndCaption) {
    TsButton* button = NewButton("BUTTON");
    EXPECT_EQ(button->CurrentState(), bstNormal);
    EXPECT_EQ(DifferingPixels(*Printed(button), *Expected(button, TLook{})), 0);

    button->Perform(CM_MOUSEENTER);
    EXPECT_EQ(button->CurrentState(), bstHot);
    TLook hot;
    hot.FaceState = 1;
    EXPECT_EQ(DifferingPixels(*Printed(button), *Expected(button, hot)), 0);

    button->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(DifferingPixels(*Printed(button), *Expected(button, TLook{})), 0);
}

TEST_F(ButtonTest, PressShiftsGlyphAndCaptionAndReleaseOverTheButtonClicks) {
    TsButton* button = NewButton("BUTTON");
    button->SetPressedImageIndex(2);
    int clicks = 0;
    button->OnClick = [&clicks](TObject*) { ++clicks; };
    SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(button->CurrentState(), bstPressed);
    TLook pressed;
    pressed.FaceState = 2;
    pressed.Pressed = true;
    pressed.Glyph = 2;
    // The press also focused the button, which the pressed state outranks (no frame:
    // the window had no focus to give while hidden, so check both looks).
    pressed.Focused = GetFocus() == button->Handle();
    EXPECT_EQ(DifferingPixels(*DrawnBySystemRequest(button), *Expected(button, pressed)), 0);
    SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_NE(button->CurrentState(), bstPressed);

    // The second click of a quick pair counts as a click of its own.
    SendMessageA(button->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(button->CurrentState(), bstPressed);
    SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 2);

    // Released away from the button: no click.
    SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(500, 10));
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonTest, SpaceClicksAndShowsThePressedFaceWhileHeld) {
    TsButton* button = NewButton("BUTTON");
    int clicks = 0;
    button->OnClick = [&clicks](TObject*) { ++clicks; };
    SendMessageA(button->Handle(), WM_KEYDOWN, VK_SPACE, 0x00390001);
    EXPECT_EQ(button->CurrentState(), bstPressed);
    auto shot = DrawnBySystemRequest(button);
    TLook pressed;
    pressed.FaceState = 2;
    pressed.Pressed = true;
    pressed.Focused = GetFocus() == button->Handle();
    EXPECT_EQ(DifferingPixels(*shot, *Expected(button, pressed)), 0);
    SendMessageA(button->Handle(), WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, FocusedButtonShowsHotFaceSelectedGlyphAndDottedFrame) {
    form->Show();
    TsButton* button = NewButton("BUTTON");
    button->SetSelectedImageIndex(1);
    button->SetFocus();
    ASSERT_EQ(GetFocus(), button->Handle());
    TLook focused;
    focused.FaceState = 1;
    focused.Focused = true;
    focused.Glyph = 1;
    EXPECT_EQ(DifferingPixels(*DrawnBySystemRequest(button), *Expected(button, focused)), 0);

    // An empty caption draws no frame.
    button->SetCaption("");
    auto shot = Printed(button);
    auto plain = std::make_unique<TBitmap>(110, 26);
    TBackdropRef backdrop;
    button->SkinData().GetBackdrop(backdrop);
    PaintControlFace(plain->Pixels(), TacRect{0, 0, 110, 26}, button->SkinData().Model(),
                     button->SkinData().FaceParams(), 1, true, backdrop, button->Left(), button->Top());
    DrawItemInto(plain->Pixels(), 6, 5, *images, 1);
    EXPECT_EQ(DifferingPixels(*shot, *plain), 0);
    form->Hide();
}

TEST_F(ButtonTest, DisabledButtonGetsTheDisabledLookOverTheEnabledFace) {
    TsButton* button = NewButton("BUTTON");
    button->SetDisabledImageIndex(7); // not in the list: the normal glyph
    button->SetEnabled(false);
    TLook disabled;
    disabled.Enabled = false;
    EXPECT_EQ(DifferingPixels(*Printed(button), *Expected(button, disabled)), 0);
    EXPECT_EQ(button->GlyphIndexForState(), 0);
}

TEST_F(ButtonTest, DefaultButtonBorrowsTheHotFaceFromAThreeStateSection) {
    TsButton* three = NewButton("BUTTON3");
    three->SetDefault(true);
    three->Perform(CM_FOCUSCHANGED, 0, 0);
    EXPECT_TRUE(three->ActiveDefault());
    EXPECT_EQ(three->CurrentState(), bstActiveDefault);
    EXPECT_EQ(three->FaceState(), bstHot);
    TLook hot;
    hot.FaceState = 1;
    EXPECT_EQ(DifferingPixels(*Printed(three), *Expected(three, hot)), 0);
    // The role change kept the owner drawing.
    EXPECT_EQ(GetWindowLongA(three->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

    TsButton* four = NewButton("BUTTON", 20, 80);
    four->SetDefault(true);
    four->Perform(CM_FOCUSCHANGED, 0, 0);
    EXPECT_EQ(four->FaceState(), bstActiveDefault);
}

TEST_F(ButtonTest, WithoutSkinTheSystemLookIsDrawn) {
    TsButton* skinned = NewButton("BUTTON");
    TsButton* plain = NewButton("NOSUCHSECTION", 20, 80);
    EXPECT_FALSE(plain->SkinData().IsSkinned());
    auto shot = DrawnBySystemRequest(plain);
    // Nothing of the skin colours; the glyph's opaque centre at (6, 5) + (3, 3).
    TacPixelsView p = shot->Pixels();
    int skinColoured = 0;
    for (int y = 0; y < p.Height; ++y) {
        for (int x = 0; x < p.Width; ++x) {
            const TPixel32 c = p.Bits[y * p.Stride + x] & 0x00FFFFFF;
            if (c == ColorToPixelOrder(NormalColor) || c == ColorToPixelOrder(HotColor))
                ++skinColoured;
        }
    }
    EXPECT_EQ(skinColoured, 0);
    EXPECT_EQ(p.Bits[13 * p.Stride + 14] & 0x00FFFFFF, 0x0020A020u);
    EXPECT_NE(DifferingPixels(*shot, *Printed(skinned)), 0);
}

TEST_F(ButtonTest, StoredFormCreatesSkinnedButtons) {
    TsButton* button = nullptr;
    TFormReader reader(*form);
    reader.ReadText("object Form: TForm\n"
                    "  object btnStart: TsButton\n"
                    "    Left = 10\n"
                    "    Top = 12\n"
                    "    Width = 110\n"
                    "    Height = 26\n"
                    "    Caption = 'Start'\n"
                    "    ContentMargin = 4\n"
                    "    ImageMargins.Left = 2\n"
                    "    ImageAlignment = iaRight\n"
                    "    SkinData.SkinSection = 'BUTTON'\n"
                    "  end\n"
                    "end\n");
    button = dynamic_cast<TsButton*>(form->FindComponent("btnStart"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->SkinData().SkinSection(), "BUTTON");
    EXPECT_TRUE(button->SkinData().IsSkinned());
    EXPECT_EQ(button->ContentMargin(), 4);
    EXPECT_EQ(button->ImageMargins().Left, 2);
    EXPECT_EQ(button->ImageAlignment(), TImageAlignment::iaRight);
}

TEST_F(ButtonTest, RunTimeButtonTakesTheButtonSectionAndItsFaceFollowsTheImageList) {
    // Made at run time without a section: the button's kind names "BUTTON".
    auto* button = new TsButton(form);
    button->SetBounds(20, 30, 110, 26);
    button->SetParent(form);
    button->SetCaption("Select folder");
    button->SetImages(images);
    button->SetImageIndex(0);
    button->HandleNeeded();
    EXPECT_EQ(button->SkinData().SkinSection(), "BUTTON");
    EXPECT_EQ(DifferingPixels(*Printed(button), *Expected(button, TLook{})), 0);

    // Each change below would otherwise leave the cached face with the old glyph.
    TLook second;
    second.Glyph = 1;
    button->SetImageIndex(1);
    EXPECT_EQ(DifferingPixels(*Printed(button), *Expected(button, second)), 0);
    images->Items()[1].ImgData = tools::EncodePng(GlyphImage(0xFF303030));
    images->GenerateStdList();
    EXPECT_EQ(DifferingPixels(*Printed(button), *Expected(button, second)), 0);

    // The list going away leaves a button without a glyph, its caption centred.
    std::unique_ptr<TBitmap> withGlyph = Printed(button);
    delete images;
    images = nullptr;
    EXPECT_EQ(button->Images(), nullptr);
    EXPECT_LT(button->CaptionRect().Left, 22);
    EXPECT_GT(DifferingPixels(*Printed(button), *withGlyph), 0);
}

} // namespace
} // namespace sj
