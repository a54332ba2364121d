#include "SkinPaintCli.h"
#include "TinyFont.h"

#include "platform/TempDir.h"
#include "skin/data/sSkinCore.h"
#include "skin/paint/acPNG.h"
#include "tools/skininfo/SkinInfoReport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace sj::tools::skinpaint {
namespace {

using namespace test;
using ::testing::HasSubstr;

const std::string SkinsDir = SJ_SKINS_DIR;
const std::string ZestPackage = SkinsDir + "/Zest (internal).asz";

struct TResult {
    int Code;
    std::string Out;
    std::string Err;
};

TResult RunCli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = Run(args, out, err);
    return {code, out.str(), err.str()};
}

TacPixmap ReadPng(const std::string& path) {
    const std::string bytes = ReadFile(path);
    return DecodePng(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

TPixel32 Opaque(std::uint32_t colorRef) {
    return 0xFF000000u | ((colorRef & 0xFFu) << 16) | (colorRef & 0xFF00u) | ((colorRef >> 16) & 0xFFu);
}

// ---- Command line -----------------------------------------------------------------

TEST(SkinPaintCommandLine, HelpAndUsageErrors) {
    const TResult help = RunCli({"--help"});
    EXPECT_EQ(help.Code, ExitOk);
    EXPECT_THAT(help.Out, HasSubstr("usage: skinpaint"));

    const std::vector<std::vector<std::string>> usageErrors = {
        {},
        {ZestPackage, "BUTTON", "--size", "110x26"},                           // no --out
        {ZestPackage, "BUTTON", "--out", "a.png"},                             // no --size
        {ZestPackage, "--size", "10x10", "--out", "a.png"},                    // no section
        {ZestPackage, "BUTTON", "--size", "0x26", "--out", "a.png"},           // zero width
        {ZestPackage, "BUTTON", "--size", "110x0", "--out", "a.png"},          // zero height
        {ZestPackage, "BUTTON", "--size", "4097x10", "--out", "a.png"},        // above the cap
        {ZestPackage, "BUTTON", "--size", "99999999999x10", "--out", "a.png"}, // beyond an int
        {ZestPackage, "BUTTON", "--size", "-5x10", "--out", "a.png"},
        {ZestPackage, "BUTTON", "--size", "110", "--out", "a.png"},
        {ZestPackage, "BUTTON", "--size", "10x10", "--state", "-1", "--out", "a.png"},
        {ZestPackage, "BUTTON", "--size", "10x10", "--backdrop", "12345", "--out", "a.png"},
        {ZestPackage, "BUTTON", "--size", "10x10", "--backdrop", "GG0000", "--out", "a.png"},
        {ZestPackage, "BUTTON", "--size", "10x10", "--out"},
        {ZestPackage, "BUTTON", "--sheet", "--out", "a.png"},
        {ZestPackage, "BUTTON", "EXTRA", "--size", "10x10", "--out", "a.png"},
        {ZestPackage, "--bogus", "--sheet", "--out", "a.png"},
    };
    for (const auto& args : usageErrors) {
        const TResult r = RunCli(args);
        EXPECT_EQ(r.Code, ExitUsage) << ::testing::PrintToString(args);
        EXPECT_THAT(r.Err, HasSubstr("usage: skinpaint")) << ::testing::PrintToString(args);
    }
}

TEST(SkinPaintCommandLine, SizeAndColourArguments) {
    EXPECT_EQ(ParseFaceSize("110x26"), (TFaceSize{110, 26}));
    EXPECT_EQ(ParseFaceSize("7X3"), (TFaceSize{7, 3}));
    EXPECT_EQ(ParseFaceSize("0x0"), (TFaceSize{0, 0})) << "the range is checked by the caller";
    for (const char* bad : {"", "x", "10x", "x10", "10x10x1", "1 0x10", "+1x1", "0x1.5", "99999999999x1"}) {
        EXPECT_EQ(ParseFaceSize(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(ParseBackdropColor("FF8000"), 0x000080FFu) << "red first in, 0x00BBGGRR out";
    EXPECT_EQ(ParseBackdropColor("#0a0b0c"), 0x000C0B0Au);
    EXPECT_EQ(ParseBackdropColor("FF800"), std::nullopt);
    EXPECT_EQ(ParseBackdropColor("FF80000"), std::nullopt);
}

TEST(SkinPaintCommandLine, FailuresExitOneWithTheReason) {
    TTempDir dir;
    const TResult unknown = RunCli({ZestPackage, "NO_SUCH_SECTION", "--size", "20x10", "--out", dir / "a.png"});
    EXPECT_EQ(unknown.Code, ExitFailure);
    EXPECT_THAT(unknown.Err, HasSubstr("Section \"NO_SUCH_SECTION\" not found in the skin"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.png"));

    const TResult caseMatters = RunCli({ZestPackage, "button", "--size", "20x10", "--out", dir / "a.png"});
    EXPECT_EQ(caseMatters.Code, ExitFailure);

    const TResult missing = RunCli({dir / "absent.asz", "BUTTON", "--size", "20x10", "--out", dir / "a.png"});
    EXPECT_EQ(missing.Code, ExitFailure);
    EXPECT_THAT(missing.Err, HasSubstr("does not exist"));

    const TResult unwritable =
        RunCli({ZestPackage, "BUTTON", "--size", "20x10", "--out", dir / "no/such/folder/a.png"});
    EXPECT_EQ(unwritable.Code, ExitFailure);
}

TEST(SkinPaintCommandLine, HostilePackagesFailCleanly) {
    TTempDir dir;
    const std::string whole = ReadFile(ZestPackage);
    ASSERT_GT(whole.size(), 1000u);
    const std::vector<std::pair<std::string, std::string>> packages = {
        {"truncated.asz", whole.substr(0, whole.size() / 2)},
        {"header_only.asz", whole.substr(0, 12)},
        {"empty.asz", ""},
        {"garbage.asz", std::string(4096, '\x5A')},
    };
    for (const auto& [name, bytes] : packages) {
        WriteFile(dir / name, bytes);
        const TResult face = RunCli({dir / name, "BUTTON", "--size", "20x10", "--out", dir / "a.png"});
        EXPECT_EQ(face.Code, ExitFailure) << name;
        EXPECT_FALSE(face.Err.empty()) << name;
        const TResult sheet = RunCli({dir / name, "--sheet", "--out", dir / "b.png"});
        EXPECT_EQ(sheet.Code, ExitFailure) << name;
    }
}

// ---- Faces --------------------------------------------------------------------------

// Sections whose state-0 face is the plain fill: no borders, corners, gradient or texture.
std::vector<const TsGeneralData*> PlainSectionsOf(const TsSkinModel& model, int transparency) {
    std::vector<const TsGeneralData*> found;
    for (const TsGeneralData& s : model.GeneralData) {
        const TsGenState& p = s.PropsOfState(0);
        if (s.BordersMaskIndex < 0 && s.ImgTopLeftIndex < 0 && s.ImgTopRightIndex < 0 && s.ImgBtmLeftIndex < 0 &&
            s.ImgBtmRightIndex < 0 && p.GradientPercent == 0 && p.ImagePercent == 0 && p.Transparency == transparency &&
            p.Color >= 0 && model.SectionIndexOf(s.SectionName) >= 0 &&
            &model.GeneralData[static_cast<std::size_t>(model.SectionIndexOf(s.SectionName))] == &s) {
            found.push_back(&s);
        }
    }
    return found;
}

class SkinPaintFaces : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Core = new TsSkinCore;
        LoadSkinForReport(ZestPackage, *Core);
    }
    static void TearDownTestSuite() {
        delete Core;
        Core = nullptr;
    }
    static const TsSkinModel& Model() { return Core->Model(); }

    static std::vector<const TsGeneralData*> PlainSections(int transparency) {
        return PlainSectionsOf(Model(), transparency);
    }

    static TsSkinCore* Core;
};
TsSkinCore* SkinPaintFaces::Core = nullptr;

TEST_F(SkinPaintFaces, OpaquePlainSectionShowsItsColour) {
    const auto sections = PlainSections(0);
    ASSERT_FALSE(sections.empty());
    for (const TsGeneralData* s : sections) {
        const TacPixmap face = PaintFace(Model(), s->SectionName, {31, 17}, 0, 0x00123456);
        ASSERT_EQ(face.Width(), 31);
        ASSERT_EQ(face.Height(), 17);
        const TPixel32 expected = Opaque(static_cast<std::uint32_t>(s->PropsOfState(0).Color));
        EXPECT_EQ(face.At(15, 8), expected) << s->SectionName;
        EXPECT_EQ(face.At(0, 0), expected) << s->SectionName;
        EXPECT_EQ(face.At(30, 16), expected) << s->SectionName;
    }
}

TEST_F(SkinPaintFaces, FullTransparencyShowsTheBackdrop) {
    const auto sections = PlainSections(100);
    ASSERT_FALSE(sections.empty()) << "Zest's CAPTION is fully transparent";
    for (const TsGeneralData* s : sections) {
        const TacPixmap face = PaintFace(Model(), s->SectionName, {12, 9}, 0, 0x00C08040);
        for (int y = 0; y < face.Height(); ++y) {
            for (int x = 0; x < face.Width(); ++x) {
                ASSERT_EQ(face.At(x, y), 0xFF4080C0u) << s->SectionName << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(SkinPaintFaces, CommandLineWritesAnOpaquePngOfTheFace) {
    TTempDir dir;
    const TResult r = RunCli({ZestPackage, "BUTTON", "--size", "110x26", "--state", "1", "--backdrop", "FF0000",
                              "--out", dir / "button.png"});
    ASSERT_EQ(r.Code, ExitOk) << r.Err;
    const TacPixmap png = ReadPng(dir / "button.png");
    const TacPixmap direct = PaintFace(Model(), "BUTTON", {110, 26}, 1, 0x000000FF);
    ASSERT_EQ(png.Width(), 110);
    ASSERT_EQ(png.Height(), 26);
    EXPECT_EQ(png.Data(), direct.Data());
    for (const TPixel32 p : png.Data()) {
        ASSERT_EQ(p >> 24, 0xFFu);
    }
    // The face is not just the backdrop: the button paints its own fill in the middle.
    EXPECT_NE(png.At(55, 13), 0xFFFF0000u);
}

TEST_F(SkinPaintFaces, StatesBeyondTheSectionsCountPaintTheLastOne) {
    const TacPixmap last = PaintFace(Model(), "BUTTON", {60, 24}, 3, 0x00FFFFFF);
    const TacPixmap beyond = PaintFace(Model(), "BUTTON", {60, 24}, 50, 0x00FFFFFF);
    EXPECT_EQ(last.Data(), beyond.Data());
}

TEST_F(SkinPaintFaces, TinyAndLargestFacesPaint) {
    for (const TFaceSize size : {TFaceSize{1, 1}, TFaceSize{1, 40}, TFaceSize{40, 1}, TFaceSize{2, 2}}) {
        for (const TsGeneralData& s : Model().GeneralData) {
            const TacPixmap face = PaintFace(Model(), s.SectionName, size, 1, 0x00FFFFFF);
            EXPECT_EQ(face.Width(), size.Width);
        }
    }
    const TacPixmap big = PaintFace(Model(), "FORM", {MaxFaceSide, 64}, 0, 0x00FFFFFF);
    EXPECT_EQ(big.Width(), MaxFaceSide);
}

// ---- Sheets -------------------------------------------------------------------------

TEST(SkinPaintSheetSizes, ByKindThenGrownToTheBordersFrame) {
    TsSkinModel model;
    TsMaskData wide;
    wide.SourceRect = {0, 0, 300, 80};
    wide.FrameCount = 3; // frames 100 wide
    wide.MaskKind = 1;   // 40 high above their mask
    model.Masks.push_back(wide);
    TsMaskData huge = wide;
    huge.SourceRect = {0, 0, 3000, 2000};
    model.Masks.push_back(huge);
    model.AdoptItems();

    auto sizeOf = [&](const std::string& name, std::int32_t borders) {
        TsGeneralData s;
        s.SectionName = name;
        s.BordersMaskIndex = borders;
        return SheetFaceSize(model, s);
    };
    EXPECT_EQ(sizeOf("BUTTON", -1), (TFaceSize{110, 26}));
    EXPECT_EQ(sizeOf("FORM", -1), (TFaceSize{220, 120}));
    EXPECT_EQ(sizeOf("PAGECONTROLLEFT", -1), (TFaceSize{220, 120}));
    EXPECT_EQ(sizeOf("SCROLLBAR1V", -1), (TFaceSize{26, 110}));
    EXPECT_EQ(sizeOf("BUTTON", 0), (TFaceSize{200, 80}));
    EXPECT_EQ(sizeOf("FORM", 0), (TFaceSize{220, 120}));
    EXPECT_EQ(sizeOf("BUTTON", 1), (TFaceSize{440, 300})) << "capped";
    EXPECT_EQ(sizeOf("BUTTON", 7), (TFaceSize{110, 26})) << "an invalid item index is ignored";
}

TEST(SkinPaintSheets, EveryFaceFitsAndEveryInternalSkinPaints) {
    std::size_t skins = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SkinsDir)) {
        if (entry.path().extension() != ".asz") {
            continue;
        }
        ++skins;
        TsSkinCore core;
        LoadSkinForReport(entry.path().string(), core);
        const TsSkinModel& model = core.Model();
        const TacPixmap sheet = PaintSheet(model, core.SkinName());
        std::int64_t faceArea = 0;
        int widest = 0;
        for (const TsGeneralData& s : model.GeneralData) {
            const TFaceSize face = SheetFaceSize(model, s);
            faceArea += std::int64_t{face.Width} * face.Height * std::max(1, s.States);
            widest = std::max(widest, face.Width * std::max(1, s.States));
        }
        EXPECT_GE(sheet.Width(), widest) << entry.path();
        EXPECT_GE(std::int64_t{sheet.Width()} * sheet.Height(), faceArea) << entry.path();
        EXPECT_LE(sheet.Height(), 1400) << "rows flow into columns";
    }
    EXPECT_EQ(skins, 43u);
}

TEST(SkinPaintSheets, AHugeSkinGetsABoundedSheet) {
    TsSkinModel model;
    TsGeneralData s;
    s.States = 1000000;
    for (int i = 0; i < 20000; ++i) {
        s.SectionName = "S" + std::to_string(i);
        model.GeneralData.push_back(s);
    }
    const TacPixmap sheet = PaintSheet(model, "HUGE");
    EXPECT_LE(std::int64_t{sheet.Width()} * sheet.Height(), 40'000'000);
    EXPECT_GT(sheet.Width(), 16 * 110) << "sixteen states per row";
}

TEST(SkinPaintLabels, GlyphsAreDrawnClippedAndMeasured) {
    EXPECT_EQ(TinyTextWidth(""), 0);
    EXPECT_EQ(TinyTextWidth("AB"), 11);
    TacPixmap image(8, 8, 0);
    DrawTinyText(image, -2, 1, "1", 0xFFFFFFFFu);
    // "1": rows 04 0C 04 04 04 04 0E; column 2 of the glyph lands at x = 0.
    for (int y = 0; y < 7; ++y) {
        EXPECT_EQ(image.At(0, y + 1), 0xFFFFFFFFu) << y;
    }
    EXPECT_EQ(image.At(0, 0), 0u);
    EXPECT_TRUE(TinyGlyphPixel('a', 0, 4)) << "lower case draws as upper case";
    EXPECT_EQ(TinyGlyphPixel('a', 0, 4), TinyGlyphPixel('A', 0, 4));
    DrawTinyText(image, 5, 5, "WWW", 0xFF00FF00u); // runs off the edge without harm
    EXPECT_FALSE(TinyGlyphPixel('Z', 5, 0));
}

} // namespace
} // namespace sj::tools::skinpaint
