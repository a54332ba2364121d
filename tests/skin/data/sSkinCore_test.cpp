#include "skin/data/sSkinCore.h"

#include "SkinTestKit.h"
#include "tests/skin/paint/JpegBuilder.h"
#include "tools/common/PngWriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sj {
namespace {

using test::Bytes;
using test::MakeBmp;
using test::MakePackage;
using ::testing::ElementsAre;

constexpr TPixel32 Grey = 0xFF808080;
constexpr TPixel32 Red = 0xFFFF0000;

// 40 x 30 master: grey, with a key-colour pixel in the corner of the EDIT borders.
TacPixmap MasterImage() {
    TacPixmap master(40, 30, Grey);
    master.At(0, 10) = clKeyPixel;
    for (int x = 30; x < 40; ++x) {
        master.At(x, 0) = Red; // the BICONCLOSE glyph
    }
    return master;
}

// A plain light grey picture.
TacBytes Jpeg(int width, int height) {
    return test::EncodeJpeg(width, height, 3, JCS_RGB,
                            std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, 200));
}

const char* const Description = "[GLOBALINFO]\r\n"
                                "VERSION=8.00\r\n"
                                "AUTHOR=Tests\r\n"
                                "MASTERBITMAP=Master.bmp\r\n"
                                "COLOR=14477287\r\n"
                                "FONTCOLOR=4210752\r\n"
                                "HOTCOLOR=16777215\r\n"
                                "BOXCHECKED=@0000@0000@0030@0010@3@0\r\n"
                                "BICONCLOSE=@0030@0000@0040@0001@1@0\r\n"
                                "[EDIT]\r\n"
                                "FONTCOLOR=255\r\n"
                                "BORDERSMASK=^0000^0010^0012^0022^0000^0000^0000^0000^1^1^1^0\r\n"
                                "[BUTTON]\r\n"
                                "STATES=4\r\n"
                                "COLOR=15266803\r\n"
                                "BORDERSMASK=btn.bmp\r\n"
                                "GLOW0=!GLOWBTN.PNG!1!0!3!0007!0007!0007!0007!1\r\n"
                                "[SCROLLBTNBOTTOM]\r\n"
                                "BORDERSMASK=^0000^0000^0009^0006^0001^0001^0001^0001^1^0^0^0\r\n"
                                "GLYPHMASK=@0010@0010@0020@0020@2@1\r\n"
                                "[SCROLLBTNTOP]\r\n"
                                "PARENTCLASS=SCROLLBTNBOTTOM\r\n"
                                "[FORM]\r\n"
                                "PATTERN=body_bg.jpg\r\n"
                                "[SELECTION]\r\n"
                                "STATES=2\r\n"
                                "COLOR=16711935\r\n"
                                "FONTCOLOR=65280\r\n"
                                "[MENUITEM]\r\n"
                                "HOTCOLOR=1234\r\n";

TacPixmap GlowImage() {
    TacPixmap glow(21, 21, 0x80FF0000); // half-transparent red
    glow.At(0, 0) = 0x00FFFFFF;         // "clear white"
    return glow;
}

std::vector<test::TMember> SkinMembers(const std::string& description = Description) {
    return {{"Options.dat", Bytes(description)},
            {"Master.bmp", MakeBmp(MasterImage(), 24)},
            {"BTN.BMP", MakeBmp(TacPixmap(27, 12, 0xFF336699), 24)},
            {"GlowBtn.png", tools::EncodePng(GlowImage())},
            {"BODY_BG.JPG", Jpeg(16, 8)}};
}

TsStoredSkin StoredSkin(const std::string& name, TacBytes data) {
    TsStoredSkin skin;
    skin.Name = name;
    skin.DataStream = std::move(data);
    return skin;
}

class SkinCore : public ::testing::Test {
protected:
    SkinCore() {
        Core.ExeFolder = Temp.Folder();
        Core.SetSkinDirectory(Temp.Folder() + "Skins");
        Core.InternalSkins.Add(StoredSkin("Zest (internal)", MakePackage(SkinMembers())));
    }
    const TsGeneralData& Section(const std::string& name) const {
        const std::int32_t i = Core.Model().SectionIndexOf(name);
        EXPECT_GE(i, 0) << name;
        return Core.Model().GeneralData.at(static_cast<std::size_t>(i));
    }
    const TsMaskData& Image(const std::string& section, const std::string& key) const {
        const std::int32_t i = Core.Model().ExactImageIndexOf(section, key);
        EXPECT_GE(i, 0) << section << "." << key;
        return Core.Model().Masks.at(static_cast<std::size_t>(i));
    }

    test::TTempFolder Temp;
    TsSkinCore Core;
};

TEST_F(SkinCore, LoadsAnInternalSkinIntoTheModel) {
    EXPECT_EQ(Core.SkinInfo(), "N/A");
    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    const TsSkinModel& m = Core.Model();
    EXPECT_EQ(Core.LastSource(), TsSkinSource::Internal);
    EXPECT_EQ(Core.SkinInfo(), "8");
    EXPECT_EQ(m.SkinGlobals.Author, "Tests");
    EXPECT_EQ(m.SkinGlobals.SkinFolder, "");

    // The 24-bit master gets alpha: opaque except the key colour.
    ASSERT_EQ(m.MasterBitmap.Width(), 40);
    EXPECT_EQ(m.MasterBitmap.At(0, 10), clKeyPixel);
    EXPECT_EQ(m.MasterBitmap.At(5, 5), Grey);

    const TsMaskData& box = Image("GLOBALINFO", "BOXCHECKED");
    EXPECT_EQ(box.ItemKind, ikGlyph);
    EXPECT_EQ(box.SourceImage(), &m.MasterBitmap);

    const TsMaskData& edit = Image("EDIT", "BORDERSMASK");
    EXPECT_EQ(edit.BorderLeft, 4); // no widths, no common border: a third of the frame
    EXPECT_EQ(edit.BorderTop, 2);
    EXPECT_EQ(edit.CornerKind, 1);

    const TsMaskData& button = Image("BUTTON", "BORDERSMASK");
    ASSERT_TRUE(button.OwnBitmap);
    EXPECT_EQ(button.FrameCount, 3);
    EXPECT_EQ(button.MaskKind, 1);
    EXPECT_EQ(button.BorderLeft, 3);
    EXPECT_EQ(button.BorderTop, 2);
    EXPECT_EQ(button.SourceRect, (TsMaskRect{0, 0, 27, 12}));

    const TsMaskData& glow = Image("BUTTON", "GLOW0");
    EXPECT_EQ(glow.ItemKind, ikBorderedFile);
    EXPECT_EQ(glow.BorderRight, 7);
    EXPECT_EQ(glow.PaintFlags, 1);
    EXPECT_EQ(glow.OwnBitmap->At(0, 0), 0u);          // clear white dropped
    EXPECT_EQ(glow.OwnBitmap->At(1, 1), 0x807F0000u); // premultiplied: 255 * 128 >> 8

    const std::int32_t texture = m.TextureIndexOf(m.SectionIndexOf("FORM"), "FORM", "PATTERN");
    ASSERT_GE(texture, 0);
    EXPECT_EQ(m.Masks[static_cast<std::size_t>(texture)].ItemKind, ikTexture);
    EXPECT_EQ(Section("FORM").PatternIndex, texture);
    EXPECT_EQ(Section("FORM").StateProps[0].PatternIndex, texture);
    EXPECT_TRUE(m.Patterns.empty());

    EXPECT_EQ(Section("SCROLLBTNTOP").BordersMaskIndex, m.ExactImageIndexOf("SCROLLBTNBOTTOM", "BORDERSMASK"));
    EXPECT_EQ(Section("EDIT").BordersMaskIndex, m.ExactImageIndexOf("EDIT", "BORDERSMASK"));
}

TEST_F(SkinCore, CachesStandardIndexes) {
    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    const TsSkinModel& m = Core.Model();
    const TsStdIndexes& x = m.StdIndexes;
    EXPECT_EQ(x.GlobalInfoSection, 0);
    EXPECT_EQ(x.CheckBoxChecked, m.ExactImageIndexOf("GLOBALINFO", "BOXCHECKED"));
    EXPECT_EQ(x.TitleCloseImage, m.ExactImageIndexOf("GLOBALINFO", "BICONCLOSE"));
    EXPECT_EQ(x.ScrollBtnTopBorders, m.ExactImageIndexOf("SCROLLBTNBOTTOM", "BORDERSMASK"));
    EXPECT_EQ(x.ScrollBtnTopGlyph, m.ExactImageIndexOf("SCROLLBTNBOTTOM", "GLYPHMASK"));
    EXPECT_EQ(x.SliderVertGlyph, -1);
    EXPECT_EQ(x.ComboBtnSection, -1);
    EXPECT_EQ(x.ExBorderImage, -1);
    int fields = 0;
    x.ForEachField([&](const char*, std::int32_t) { ++fields; });
    EXPECT_EQ(fields, 85);

    // A skin without the scroll sections does not keep the previous skin's indexes.
    Core.InternalSkins.Add(StoredSkin("Bare", MakePackage({{"Options.dat", Bytes("[GLOBALINFO]\nVERSION=8\n")}})));
    ASSERT_EQ(Core.ChangeSkin("Bare"), std::nullopt);
    EXPECT_EQ(Core.Model().StdIndexes.ScrollBtnTopGlyph, -1);
    EXPECT_EQ(Core.Model().StdIndexes.CheckBoxChecked, -1);
}

TEST_F(SkinCore, SourcesInOrderOfPrecedence) {
    // Unknown names fall back to the first internal skin.
    ASSERT_EQ(Core.ChangeSkin("Nowhere"), std::nullopt);
    EXPECT_EQ(Core.SkinName(), "Zest (internal)");

    // A skin folder beats the internal skin of the same name...
    Temp.Write("Skins/Zest (internal)/Options.dat", Bytes("[GLOBALINFO]\nVERSION=7.5\nMASTERBITMAP=Master.bmp\n"));
    Temp.Write("Skins/Zest (internal)/master.BMP", MakeBmp(TacPixmap(4, 4, Grey), 24));
    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    EXPECT_EQ(Core.LastSource(), TsSkinSource::Folder);
    EXPECT_EQ(Core.Model().SkinGlobals.Version, 7.5);
    EXPECT_EQ(Core.Model().MasterBitmap.Width(), 4); // found whatever the case of its name
    EXPECT_EQ(Core.Model().SkinGlobals.SkinFolder, Core.ResolvedSkinFolder() + "\\Zest (internal)\\");

    // ...and a package file beats both; ".asz" in the name is dropped.
    Temp.Write("Skins/Zest (internal).asz", MakePackage({{"Options.dat", Bytes("[GLOBALINFO]\nVERSION=6.0\n")}}));
    ASSERT_EQ(Core.ChangeSkin("Zest (internal).ASZ"), std::nullopt);
    EXPECT_EQ(Core.SkinName(), "Zest (internal)");
    EXPECT_TRUE(Core.FromPackage());
    EXPECT_EQ(Core.LastSource(), TsSkinSource::PackageFile);
    EXPECT_EQ(Core.Model().SkinGlobals.Version, 6.0);

    // Live text comes before the folder but after the package file.
    Core.SetLiveSkinText("[GLOBALINFO]\nVERSION=8.5\n");
    ASSERT_EQ(Core.ChangeSkin("Other"), std::nullopt);
    EXPECT_EQ(Core.LastSource(), TsSkinSource::LiveText);
    EXPECT_EQ(Core.Model().SkinGlobals.Version, 8.5);
}

TEST_F(SkinCore, WithoutAnySourceTheCoreBecomesInactive) {
    TsSkinCore bare;
    bare.ExeFolder = Temp.Folder();
    bare.SetSkinDirectory(Temp.Folder() + "Skins");
    EXPECT_EQ(bare.ChangeSkin("Missing"), std::nullopt);
    EXPECT_FALSE(bare.Active());
    EXPECT_EQ(bare.SkinInfo(), "N/A");
    EXPECT_TRUE(bare.Model().GeneralData.empty());
}

TEST_F(SkinCore, AFailedLoadKeepsThePreviousSkin) {
    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    const std::size_t sections = Core.Model().GeneralData.size();

    TacBytes wrongMagic = MakePackage(SkinMembers());
    wrongMagic[3] = 'F';
    Core.InternalSkins.Add(StoredSkin("Broken", wrongMagic));
    EXPECT_EQ(Core.ChangeSkin("Broken"), "Loaded data is not a packed skin file");
    EXPECT_EQ(Core.SkinName(), "Zest (internal)");
    EXPECT_EQ(Core.Model().GeneralData.size(), sections);
    EXPECT_EQ(Core.Model().Masks[0].Owner, &Core.Model());
    EXPECT_EQ(Core.InternalSkins[1].DataStream, wrongMagic);

    const auto failWith = [&](const std::string& name, std::vector<test::TMember> members) {
        Core.InternalSkins.Add(StoredSkin(name, MakePackage(members)));
        const auto error = Core.ChangeSkin(name);
        EXPECT_EQ(Core.SkinName(), "Zest (internal)");
        EXPECT_EQ(Core.Model().GeneralData.size(), sections);
        return error.value_or("no error");
    };
    auto members = SkinMembers();
    members[1].Content.resize(20); // master cut short
    EXPECT_NE(failWith("Short master", members), "no error");

    members = SkinMembers();
    members[3].Content[20] ^= 0x55; // PNG chunk damaged
    EXPECT_NE(failWith("Bad PNG", members), "no error");

    members = SkinMembers("[EDIT]\nBORDERSMASK=^0000^0010^0012^0022^0000\n");
    EXPECT_EQ(failWith("Short value", members), "'' is not a valid integer value");

    members = SkinMembers("[GLOBALINFO]\nSHADOW1BLUR=soft\n");
    EXPECT_EQ(failWith("Strict key", members), "'soft' is not a valid integer value");

    members = SkinMembers("[X]\nGLOW0=!GLOWBTN.PNG!0\n"); // no frames and computed borders
    EXPECT_EQ(failWith("No frames", members), "Division by zero");

    Core.InternalSkins.Add(StoredSkin("Empty", {}));
    EXPECT_EQ(Core.ChangeSkin("Empty"), "Loaded data is not a packed skin file");
}

// Many values may name one member, and each decodes to a bitmap of its own: the skin's
// images together are what a budget must bound.
TEST_F(SkinCore, ImagesPastTheSkinBudgetMakeTheSkinFailToLoad) {
    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    const std::size_t sections = Core.Model().GeneralData.size();
    Core.ImagePixelBudget = 256 * 1024; // 1 MB
    const auto skinNaming = [](int times) {
        std::string description = Description;
        for (int i = 0; i < times; ++i) {
            description += "[BIG" + std::to_string(i) + "]\nBORDERSMASK=big.bmp\n";
        }
        auto members = SkinMembers(description);
        members.push_back({"BIG.BMP", MakeBmp(TacPixmap(300, 250, Grey), 24)}); // 75000 pixels
        return MakePackage(members);
    };
    Core.InternalSkins.Add(StoredSkin("Three", skinNaming(3)));
    ASSERT_EQ(Core.ChangeSkin("Three"), std::nullopt);
    EXPECT_EQ(Core.Model()
                  .Masks[static_cast<std::size_t>(Core.Model().ExactImageIndexOf("BIG2", "BORDERSMASK"))]
                  .OwnBitmap->Width(),
              300);

    Core.InternalSkins.Add(StoredSkin("Four", skinNaming(4)));
    EXPECT_EQ(Core.ChangeSkin("Four"), "The skin's images need more than 1 MB of memory");
    EXPECT_EQ(Core.SkinName(), "Three");
    EXPECT_EQ(Core.Model().GeneralData.size(), sections + 3);
}

TEST_F(SkinCore, MissingImageFilesOnlyDropTheirItems) {
    Core.InternalSkins.Add(StoredSkin(
        "Sparse", MakePackage({{"Options.dat", Bytes("[GLOBALINFO]\nMASTERBITMAP=none.bmp\n[B]\nBORDERSMASK=x.bmp\n"
                                                     "GLOW0=!G.PNG!1!0!3\nOTHER=!G.GIF!1!0!3\nPATTERN=p.jpg\n")}})));
    ASSERT_EQ(Core.ChangeSkin("Sparse"), std::nullopt);
    EXPECT_TRUE(Core.Model().Masks.empty());
    EXPECT_TRUE(Core.Model().MasterBitmap.Empty());
}

TEST_F(SkinCore, VersionNoticesRunTwicePerLoad) {
    std::vector<std::string> warnings;
    Core.Host.ShowVersionWarning = [&](const std::string& text) { warnings.push_back(text); };
    Core.Host.ShowOldSkinNotice = [&](const std::string& text) { warnings.push_back(text); };
    bool wanted = false;
    Core.Host.OldSkinNoticeWanted = [&] { return wanted; };
    Core.InternalSkins.Add(StoredSkin("New", MakePackage({{"Options.dat", Bytes("[GLOBALINFO]\nVERSION=9\n")}})));
    Core.InternalSkins.Add(StoredSkin("Old", MakePackage({{"Options.dat", Bytes("[GLOBALINFO]\nVERSION=6.9\n")}})));

    ASSERT_EQ(Core.ChangeSkin("New"), std::nullopt);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].rfind("This version of the skin have not complete support", 0), 0u);

    warnings.clear();
    ASSERT_EQ(Core.ChangeSkin("Old"), std::nullopt);
    EXPECT_TRUE(warnings.empty());
    wanted = true;
    ASSERT_EQ(Core.ChangeSkin("Old"), std::nullopt);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].rfind("You are using an old version of the \"Old\" skin.", 0), 0u);
    EXPECT_NE(warnings[0].find("skin.\r\n\r\nThis notification occurs in design-time only"), std::string::npos);
}

TEST(SkinFolders, ResolvedAgainstTheExecutableFolder) {
    EXPECT_EQ(ResolveSkinFolder("..\\Skins", "C:\\App\\Bin\\"), "C:\\App\\Skins");
    EXPECT_EQ(ResolveSkinFolder("Skins", "C:\\App\\Bin\\"), "C:\\App\\Bin\\Skins");
    EXPECT_EQ(ResolveSkinFolder(".\\Skins", "C:\\App\\Bin\\"), "C:\\App\\Bin\\Skins");
    EXPECT_EQ(ResolveSkinFolder("./Skins", "C:\\App\\Bin\\"), "C:\\App\\Bin\\Skins");
    EXPECT_EQ(ResolveSkinFolder("c:\\Skins", "C:\\App\\Bin\\"), "c:\\Skins");
    EXPECT_EQ(ResolveSkinFolder("\\\\server\\Skins", "C:\\App\\Bin\\"), "\\\\server\\Skins");

    EXPECT_EQ(SkinDirectoryWithBackslash("c:\\Skins"), "c:\\Skins\\");
    EXPECT_EQ(SkinDirectoryWithBackslash("c:\\Skins/"), "c:\\Skins\\");
    EXPECT_EQ(SkinDirectoryWithBackslash("d"), "d:\\");
    EXPECT_EQ(SkinDirectoryWithBackslash(""), "");
}

TEST_F(SkinCore, ListsInternalSkinsFoldersAndPackages) {
    Temp.Write("Skins/Folder Skin/Options.dat", Bytes("[A]\n"));
    Temp.Write("Skins/.hidden/Options.dat", Bytes("[A]\n"));
    Temp.Write("Skins/NoDescription/readme.txt", Bytes("x"));
    Temp.Write("Skins/My.Skin.asz", Bytes("ASzf"));
    Temp.Write("Skins/Upper.ASZ", Bytes("ASzf"));
    std::vector<std::string> list;
    EXPECT_EQ(Core.ListSkins(list, 2), "Zest (internal)");
    EXPECT_THAT(list, ElementsAre("Folder Skin", "My", "Zest (internal)"));
    Core.ListSkins(list, 0);
    EXPECT_THAT(list, ElementsAre("Folder Skin", "Zest (internal)"));
    Core.ListSkins(list, 1);
    EXPECT_THAT(list, ElementsAre("My", "Zest (internal)"));

    TsSkinCore noInternal;
    noInternal.ExeFolder = Temp.Folder();
    noInternal.SetSkinDirectory("Skins");
    EXPECT_EQ(noInternal.ListSkins(list, 0), "Folder Skin");
}

TEST_F(SkinCore, ColourQueries) {
    Core.Host.SysColor = [](int index) { return 0x00AA0000u + static_cast<std::uint32_t>(index); };
    EXPECT_EQ(Core.SkinBackColor(), 0x00AA000F); // no skin: button face
    EXPECT_EQ(Core.SkinTextColor(), static_cast<std::int32_t>(clKeyPixel));
    EXPECT_EQ(Core.EditTextColor(), SkinSysColors::clWindowText);
    EXPECT_EQ(Core.SelectionTextColor(false), SkinSysColors::clHighlightText);

    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    EXPECT_EQ(Core.SkinBackColor(), 14477287);
    EXPECT_EQ(Core.SkinTextColor(), 4210752);
    EXPECT_EQ(Core.FocusedEditColor(), 16777215);
    EXPECT_EQ(Core.EditTextColor(), 255);
    EXPECT_EQ(Core.SelectionColor(false), 1234);    // SELECTION's colour is "unknown": MENUITEM's hot colour
    EXPECT_EQ(Core.SelectionColor(true), 0xFFFFFF); // its hot colour (the default)
    EXPECT_EQ(Core.SelectionTextColor(true), 0);    // hot font colour of SELECTION (default 0)
    EXPECT_EQ(Core.SelectionTextColor(false), 65280);
}

TEST_F(SkinCore, HueOffsetRecoloursButKeepsTitleButtons) {
    Core.InternalSkins.Update(0, [](TsStoredSkin& s) {
        s.DataStream = MakePackage(SkinMembers(std::string(Description) + "[GLOBALINFO2]\n"));
    });
    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    const std::int32_t plainButton = Section("BUTTON").Color;

    Core.HueOffset = 120;
    ASSERT_EQ(Core.ReloadSkin(), std::nullopt);
    EXPECT_NE(Section("BUTTON").Color, plainButton);
    EXPECT_EQ(Section("BUTTON").StateProps[0].Color, Section("BUTTON").Color);
    EXPECT_NE(Core.Model().MasterBitmap.At(35, 0), Red); // BIKEEPHUE is 0: shifted too
    EXPECT_EQ(Core.Model().MasterBitmap.At(5, 5), Grey); // grey stays

    auto keepHue = SkinMembers(std::string(Description) + "[GLOBALINFO]\nBIKEEPHUE=2\n");
    Core.InternalSkins.Add(StoredSkin("Keep", MakePackage(keepHue)));
    ASSERT_EQ(Core.ChangeSkin("Keep"), std::nullopt);
    EXPECT_EQ(Core.Model().MasterBitmap.At(35, 0), Red);

    Core.HueOffset = 0;
    Core.Saturation = -100;
    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    const TPixel32 p = Core.Model().MasterBitmap.At(35, 0);
    EXPECT_EQ(PixelR(p), PixelG(p)); // fully desaturated
}

TEST_F(SkinCore, ExtendedBorderImages) {
    Core.BuiltinBorders.Active = TacPixmap(30, 30, 0x40000000);
    Core.BuiltinBorders.Inactive = TacPixmap(30, 30, 0x00FFFFFF);
    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    EXPECT_EQ(Core.Model().ExtBorderMargins, (TsMargins{0, 0, 0, 0})); // not usable

    Core.ExtendedBordersUsable = true;
    Core.PrepareExtBorderImages();
    EXPECT_EQ(Core.Model().ExtBorderMargins, (TsMargins{9, 9, 9, 9}));
    EXPECT_EQ(Core.Model().ExtBorderActive.At(3, 3), 0x40000000u);
    EXPECT_EQ(Core.Model().ExtBorderInactive.At(3, 3), 0x00FFFFFFu); // version 8: white kept

    TacPixmap exBorder(40, 20, 0xFF0000C8);
    for (int y = 0; y < 20; ++y) {
        for (int x = 20; x < 40; ++x) {
            exBorder.At(x, y) = 0xFF00C800;
        }
    }
    auto members = SkinMembers(std::string(Description) +
                               "[GLOBALINFO]\nFORMOFFSET=3\nEXBORDER=!EXB.PNG!2!0!3!0012!0013!0014!0015!0\n");
    members.push_back({"Exb.png", tools::EncodePng(exBorder)});
    Core.InternalSkins.Add(StoredSkin("Ext", MakePackage(members)));
    ASSERT_EQ(Core.ChangeSkin("Ext"), std::nullopt);
    const TsSkinModel& m = Core.Model();
    EXPECT_GE(m.StdIndexes.ExBorderImage, 0);
    EXPECT_EQ(m.ExtBorderMargins, (TsMargins{9, 10, 11, 12}));
    EXPECT_EQ(m.ExtBorderInactive.Width(), 20);
    const TacPixmap& source = *m.Masks[static_cast<std::size_t>(m.StdIndexes.ExBorderImage)].OwnBitmap;
    EXPECT_EQ(m.ExtBorderInactive.At(0, 0), source.At(0, 0));
    EXPECT_EQ(m.ExtBorderActive.At(0, 0), source.At(20, 0));
    EXPECT_NE(source.At(0, 0), source.At(20, 0));
}

TEST(ExtendedBorderImages, FramesAreCopiedOnlyAsFarAsTheirImageReaches) {
    // An "EXBORDER" cut from the master image with a frame far larger than the image.
    TsSkinModel m;
    m.MasterBitmap = TacPixmap(8, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            m.MasterBitmap.At(x, y) = MakePixel(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0);
        }
    }
    TsMaskData item;
    item.SourceRect = {-3, 2, 1'000'000'000, 1'000'000'000};
    item.FrameCount = 2;
    item.Owner = &m;
    m.Masks.push_back(item);
    m.StdIndexes.ExBorderImage = 0;
    m.SkinGlobals.Version = 8;
    PrepareExtBorderImages(m, true, TsBuiltinBorders{});
    // Frame 0 from (-3, 2): the columns 0..7 and rows 2..5 the image has.
    ASSERT_EQ(m.ExtBorderInactive.Width(), 8);
    ASSERT_EQ(m.ExtBorderInactive.Height(), 4);
    EXPECT_EQ(m.ExtBorderInactive.At(0, 0), m.MasterBitmap.At(0, 2));
    EXPECT_EQ(m.ExtBorderInactive.At(7, 3), m.MasterBitmap.At(7, 5));
    // Frame 1 starts half a billion pixels to the right: nothing of it is in the image.
    EXPECT_TRUE(m.ExtBorderActive.Empty());
}

TEST_F(SkinCore, CommonSectionsAddSectionsAndImages) {
    Core.SetCommonSections(
        {"[MYPANEL]", "PARENTCLASS = edit", "BORDERSMASK = #(0, 0, 12, 12) (1, 1, 2)", "[EDIT]", "FONTCOLOR=1"});
    ASSERT_EQ(Core.ChangeSkin("Zest (internal)"), std::nullopt);
    EXPECT_EQ(Section("EDIT").FontColor, 255);
    EXPECT_EQ(Section("MYPANEL").FontColor, 255);
    const TsMaskData& item = Image("MYPANEL", "BORDERSMASK");
    EXPECT_EQ(item.CommonBorder, 2);
    EXPECT_EQ(item.BorderLeft, 2);
    EXPECT_EQ(Section("MYPANEL").BordersMaskIndex, Core.Model().ExactImageIndexOf("MYPANEL", "BORDERSMASK"));
}

TEST_F(SkinCore, LargeJpegImagesStayPatterns) {
    auto members = SkinMembers(std::string(Description) + "[PANEL]\nPATTERN=BIG.JPEG\n");
    members.push_back({"big.jpeg", Jpeg(1000, 900)});
    Core.InternalSkins.Add(StoredSkin("Big", MakePackage(members)));
    ASSERT_EQ(Core.ChangeSkin("Big"), std::nullopt);
    const TsSkinModel& m = Core.Model();
    ASSERT_EQ(m.Patterns.size(), 1u);
    EXPECT_EQ(m.Patterns[0].Section, "PANEL");
    EXPECT_EQ(m.Patterns[0].Jpeg->Width(), 1000);
    EXPECT_EQ(m.JpegPatternIndexOf(m.SectionIndexOf("PANEL"), "PANEL", "PATTERN"), 0);
    EXPECT_EQ(m.TextureIndexOf(m.SectionIndexOf("PANEL"), "PANEL", "PATTERN"), -1);
}

TEST(LiveSkin, RecordIsReadFieldByField) {
    TacBytes block(LiveSkinRecordSize, 0);
    block[0] = 0x00;
    block[1] = 0xA4;
    const std::string name = "Live";
    const std::string dir = "c:\\Skins";
    const std::string text = "[GLOBALINFO]\r\nVERSION=8\r\n";
    std::copy(name.begin(), name.end(), block.begin() + 4);
    std::copy(dir.begin(), dir.end(), block.begin() + 132);
    std::copy(text.begin(), text.end(), block.begin() + 645);
    const auto record = ParseLiveSkinRecord(block);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->SkinName, "Live");
    EXPECT_EQ(record->SkinDirectory, dir);
    EXPECT_EQ(record->Text, text);

    std::fill(block.begin() + 4, block.begin() + 132, 'x'); // no terminator within the field
    EXPECT_EQ(ParseLiveSkinRecord(block)->SkinName.size(), 128u);
    block[1] = 0xA5;
    EXPECT_FALSE(ParseLiveSkinRecord(block));
    EXPECT_FALSE(ParseLiveSkinRecord(std::span(block).first(100)));
}

} // namespace
} // namespace sj
