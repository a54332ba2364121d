// Per-control skin data under Wine: section names, the backdrop and colour answers
// through a small window tree, nested painting suspension and the cache going stale
// and being rebuilt on skin commands.
#include "skin/paint/sCommonData.h"

#include <gtest/gtest.h>

#include "forms/Forms.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinModel.h"

namespace sj {
namespace {

TsGeneralData PlainSection(const std::string& name, std::int32_t color, std::int32_t transparency = 0) {
    TsGeneralData s;
    s.SectionName = name;
    s.States = 1;
    for (TsGenState& st : s.StateProps) {
        st.Color = color;
        st.Transparency = transparency;
    }
    return s;
}

// A windowed control that owns skin data and paints its face into the cache.
class TSkinnedBox : public TCustomControl {
public:
    explicit TSkinnedBox(TComponent* owner, int kind = ckPanel) : TCustomControl(owner), SkinData(this, false) {
        SkinData.ControlKind = kind;
    }
    TsCtrlSkinData SkinData;
    int BeginUpdates = 0;
    int EndUpdates = 0;

    void RebuildCacheWhenStale() {
        if (!SkinData.CacheStale)
            return;
        SkinData.PrepareCacheBitmap();
        TBackdropRef backdrop;
        SkinData.GetBackdrop(backdrop);
        PaintControlFace(SkinData.CacheBitmap->Pixels(), TacRect{0, 0, Width(), Height()}, SkinData.Model(),
                         SkinData.FaceParams(), 0, true, backdrop, Left(), Top());
        SkinData.CacheStale = false;
    }

protected:
    void WndProc(TMessage& m) override {
        if (m.Msg == SkinCommandMessage && SkinCommandCode(m.WParam) == scBeginUpdate)
            ++BeginUpdates;
        if (m.Msg == SkinCommandMessage && SkinCommandCode(m.WParam) == scEndUpdate)
            ++EndUpdates;
        if (SkinData.HandleCommonMessage(m))
            return;
        TCustomControl::WndProc(m);
    }
};

class CommonDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager = new TsSkinManager(nullptr);
        TsSkinModel& model = manager->Core().Model();
        model.GeneralData.push_back(PlainSection("GLOBALINFO", 0x00FFFFFF));
        model.GeneralData.push_back(PlainSection("PANEL", 0x00336699));
        model.GeneralData.push_back(PlainSection("HALF", 0x00102030, 50));
        model.GeneralData.push_back(PlainSection("CLEAR", 0x00000000, 100));
        model.GeneralData.push_back(PlainSection("WHITE", 0x00FFFFFF));
        model.GeneralData.push_back(PlainSection("MIST", 0x00102030, 40));
        model.GeneralData.push_back(PlainSection("EDIT", 0x00EEEEEE));
        manager->Core().SetActive(true);
        form = new TForm(nullptr);
        form->SetBounds(-3000, -3000, 300, 200);
    }
    void TearDown() override {
        delete form;
        delete manager;
    }

    TSkinnedBox* Box(TWinControl* parent, const std::string& section, int left, int top, int w, int h) {
        auto* box = new TSkinnedBox(form);
        box->SetBounds(left, top, w, h);
        box->SetParent(parent);
        box->SkinData.SetSkinSection(section);
        box->HandleNeeded();
        return box;
    }

    TsSkinManager* manager = nullptr;
    TForm* form = nullptr;
};

TEST_F(CommonDataTest, SectionNamesAreUpperCasedAndEmptyMeansUnknownWhileUnsetTakesTheKindDefault) {
    TSkinnedBox* box = Box(form, "panel", 0, 0, 10, 10);
    EXPECT_EQ(box->SkinData.SkinSection(), "PANEL");
    EXPECT_EQ(box->SkinData.SectionIndex, 1);
    box->SkinData.SetSkinSection("");
    EXPECT_EQ(box->SkinData.SkinSection(), "UNKNOWN");
    EXPECT_EQ(box->SkinData.SectionIndex, -1);
    box->SkinData.AfterLoad(); // an explicit empty name is not replaced by the default
    EXPECT_EQ(box->SkinData.SkinSection(), "UNKNOWN");
    EXPECT_FALSE(box->SkinData.IsSkinned());

    TsCtrlSkinData edit(form, false);
    edit.ControlKind = ckEdit;
    edit.AfterLoad();
    EXPECT_EQ(edit.SkinSection(), "EDIT");
    EXPECT_EQ(edit.SectionIndex, 6);

    EXPECT_EQ(DefaultSectionOfKind(ckButton), "BUTTON");
    EXPECT_EQ(DefaultSectionOfKind(ckFrameAdapter), "GROUPBOX");
    EXPECT_EQ(DefaultSectionOfKind(ckStdAdapter), "EDIT");
    EXPECT_EQ(DefaultSectionOfKind(200), "");
}

TEST_F(CommonDataTest, DefaultManagerIsStoredAsNone) {
    TsCtrlSkinData data(form, false);
    data.SetSkinManager(manager);
    EXPECT_FALSE(data.SkinManagerStored());
    EXPECT_EQ(data.SkinManager(), manager);
}

TEST_F(CommonDataTest, PlainParentAnswersItsColourAndATransparentChildPassesTheQuestionUp) {
    TSkinnedBox* parent = Box(form, "PANEL", 10, 20, 200, 150);
    TSkinnedBox* child = Box(parent, "CLEAR", 5, 7, 100, 80);
    TBackdropQuery query;
    ASSERT_TRUE(QueryBackdrop(query, parent, false));
    EXPECT_EQ(query.Kind, bqColor);
    EXPECT_EQ(query.Color, 0x00336699u);

    TBackdropQuery viaChild;
    ASSERT_TRUE(QueryBackdrop(viaChild, child, false));
    EXPECT_EQ(viaChild.Kind, bqColor);
    EXPECT_EQ(viaChild.Color, 0x00336699u);
    TBackdropRef ref = MakeBackdropRef(viaChild);
    EXPECT_FALSE(ref.IsBitmap);
    EXPECT_EQ(ref.Color, 0x00336699u);
}

TEST_F(CommonDataTest, BitmapAnswerGetsEachTransparentLevelsPositionAddedOnce) {
    TSkinnedBox* parent = Box(form, "HALF", 10, 20, 200, 150);
    parent->RebuildCacheWhenStale();
    TSkinnedBox* child = Box(parent, "CLEAR", 5, 7, 100, 80);
    TSkinnedBox* inner = Box(child, "CLEAR", 3, 4, 50, 40);
    ASSERT_TRUE(child->SkinData.CacheStale);

    TBackdropQuery query;
    ASSERT_TRUE(QueryBackdrop(query, inner, false));
    ASSERT_EQ(query.Kind, bqBitmap);
    EXPECT_EQ(query.Bitmap, parent->SkinData.CacheBitmap.get());
    EXPECT_EQ(query.OffsetX, 3 + 5);
    EXPECT_EQ(query.OffsetY, 4 + 7);

    // Asked by inner itself: only the levels above it add their positions.
    TBackdropRef ref;
    inner->SkinData.GetBackdrop(ref);
    EXPECT_TRUE(ref.IsBitmap);
    EXPECT_EQ(ref.OffsetX, 5);
    EXPECT_EQ(ref.OffsetY, 7);
    EXPECT_EQ(ref.Bitmap.Width, 200);
}

TEST_F(CommonDataTest, EmptyCacheIsNeverOfferedAsBackdrop) {
    TSkinnedBox* parent = Box(form, "HALF", 0, 0, 200, 150);
    parent->SkinData.CacheBitmap = std::make_unique<TBitmap>();
    TBackdropQuery query;
    ASSERT_TRUE(QueryBackdrop(query, parent, false));
    EXPECT_EQ(query.Kind, bqColor);
    EXPECT_EQ(query.Bitmap, nullptr);
}

TEST_F(CommonDataTest, PartlyTransparentSectionMixesItsColourWithTheParents) {
    TSkinnedBox* parent = Box(form, "WHITE", 0, 0, 200, 150);
    TSkinnedBox* child = Box(parent, "MIST", 5, 5, 50, 50);
    // Per channel round(0.4 * 255 + 0.6 * c): 0x30 -> 131, 0x20 -> 121, 0x10 -> 112.
    EXPECT_EQ(SendSkinCommand(child, scQueryColor), 0x00707983);
    EXPECT_EQ(child->SkinData.FaceColor(0), 0x00707983u);
    TSkinnedBox* clear = Box(child, "CLEAR", 1, 1, 10, 10);
    EXPECT_EQ(SendSkinCommand(clear, scQueryColor), 0x00707983);
}

TEST_F(CommonDataTest, NestedSuspendEndsTheUpdateOnlyAtTheOutermostResume) {
    TSkinnedBox* box = Box(form, "PANEL", 0, 0, 20, 20);
    box->SkinData.SuspendPainting();
    box->SkinData.SuspendPainting();
    EXPECT_EQ(box->BeginUpdates, 2);
    EXPECT_TRUE(box->SkinData.InUpdate);
    box->SkinData.ResumePainting(false);
    EXPECT_FALSE(box->SkinData.InUpdate);
    EXPECT_EQ(box->EndUpdates, 0);
    box->SkinData.ResumePainting(false);
    EXPECT_EQ(box->EndUpdates, 1);
    // An unbalanced resume keeps the depth at zero and ends nothing.
    box->SkinData.ResumePainting(false);
    EXPECT_EQ(box->SkinData.UpdateDepth, 0);
    EXPECT_EQ(box->EndUpdates, 1);
    box->SkinData.SuspendPainting();
    box->SkinData.ResumePainting(false);
    EXPECT_EQ(box->EndUpdates, 2);
}

TEST_F(CommonDataTest, SkinCommandsMakeTheCacheStaleAndItIsRebuiltInTheNewColour) {
    TSkinnedBox* box = Box(form, "PANEL", 0, 0, 20, 10);
    box->RebuildCacheWhenStale();
    EXPECT_EQ(box->SkinData.CacheBitmap->Pixels().At(3, 3) & 0xFFFFFF, 0x996633u);
    EXPECT_EQ(SendSkinCommand(box, scQueryBusy), 0);

    manager->Core().Model().GeneralData[1].StateProps[0].Color = 0x00112233;
    SendSkinCommand(box, scRefresh, 0, reinterpret_cast<LPARAM>(manager));
    EXPECT_TRUE(box->SkinData.CacheStale);
    EXPECT_EQ(SendSkinCommand(box, scQueryBusy), 1);
    box->RebuildCacheWhenStale();
    EXPECT_EQ(box->SkinData.CacheBitmap->Pixels().At(19, 9) & 0xFFFFFF, 0x332211u);

    // Another manager's announcement is not ours.
    TsSkinManager other(nullptr);
    SendSkinCommand(box, scRefresh, 0, reinterpret_cast<LPARAM>(&other));
    EXPECT_FALSE(box->SkinData.CacheStale);

    SendSkinCommand(box, scRemoveSkin, 0, reinterpret_cast<LPARAM>(manager));
    EXPECT_EQ(box->SkinData.SectionIndex, -1);
    EXPECT_TRUE(box->SkinData.InUpdate);
    EXPECT_EQ(box->SkinData.CacheBitmap->Width(), 0);

    SendSkinCommand(box, scNewSkin, 0, reinterpret_cast<LPARAM>(manager));
    EXPECT_EQ(box->SkinData.SectionIndex, 1);
    EXPECT_EQ(SendSkinCommand(box, scIsSkinned), 1);
    TacSectionInfo info;
    SendSkinCommand(box, scQuerySectionIndex, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.SectionIndex, 1);
    EXPECT_EQ(SendSkinCommand(box, scQueryPlainFace) & sfPlainFace, sfPlainFace);
}

TEST_F(CommonDataTest, UnskinnedParentAnswersItsOwnColour) {
    form->SetColor(0x00123456);
    form->HandleNeeded();
    TBackdropQuery query;
    EXPECT_FALSE(QueryBackdrop(query, form, false));
    EXPECT_EQ(query.Kind, bqColor);
    EXPECT_EQ(MakeBackdropRef(query).Color, 0x00123456u);
}

TEST(BoundLabelTest, PlacesTheLabelBesideTheControlByLayout) {
    const RECT c{100, 50, 180, 71}; // 80 x 21
    POINT p = BoundLabelPosition(TsCaptionLayout::sclLeft, c, 30, 13, 2);
    EXPECT_EQ(p.x, 100 - 30 - 2 - 4);
    EXPECT_EQ(p.y, 50 + (21 - 13) / 2 - 1);
    p = BoundLabelPosition(TsCaptionLayout::sclTopCenter, c, 31, 13, 2);
    EXPECT_EQ(p.x, 100 + (80 - 31) / 2);
    EXPECT_EQ(p.y, 50 - 13 - 2);
    p = BoundLabelPosition(TsCaptionLayout::sclBottomRight, c, 30, 13, 2);
    EXPECT_EQ(p.x, 150);
    EXPECT_EQ(p.y, 73);
}

} // namespace
} // namespace sj
