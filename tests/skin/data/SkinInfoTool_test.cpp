// Runs the skininfo executable on skins written by the test.
#include "SkinTestKit.h"
#include "tools/common/PngWriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace sj {
namespace {

using test::Bytes;
using ::testing::HasSubstr;
using ::testing::Not;

struct TRun {
    int ExitCode = -1;
    std::string Output;
};

TRun RunSkinInfo(const std::string& arguments) {
    const std::string command = std::string("\"") + SKININFO_EXE + "\" " + arguments + " 2>&1";
    TRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.Output.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Quoted(const std::filesystem::path& p) {
    return "\"" + p.string() + "\"";
}

const char* const Description = "[GLOBALINFO]\nVERSION=8.00\nAUTHOR=Tool \"test\"\nMASTERBITMAP=Master.bmp\n"
                                "BOXCHECKED=@0000@0000@0030@0010@3@0\n"
                                "[BUTTON]\nSTATES=4\nCOLOR=15266803\n"
                                "GRADIENTDATA=16777215;14477287;97;0;0\n"
                                "BORDERSMASK=^0000^0010^0012^0022^0002^0002^0002^0002^1^1^1^0\n";

class SkinInfoTool : public ::testing::Test {
protected:
    void SetUp() override {
        const TacBytes master = test::MakeBmp(TacPixmap(40, 30, 0xFF808080), 24);
        Temp.Write("Skins/Folder Skin/Options.dat", Bytes(Description));
        Temp.Write("Skins/Folder Skin/Master.bmp", master);
        Temp.Write("Skins/Packed.asz",
                   test::MakePackage({{"Options.dat", Bytes(Description)}, {"Master.bmp", master}}));
        TacBytes broken = test::MakePackage({{"Options.dat", Bytes(Description)}});
        broken[0] = 'X';
        Temp.Write("Skins/Broken.asz", broken);
    }
    test::TTempFolder Temp;
};

TEST_F(SkinInfoTool, PrintsThePackageModelAsJson) {
    const TRun run = RunSkinInfo(Quoted(Temp.Path() / "Skins" / "Packed.asz") + " --json");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    const std::string& out = run.Output;
    EXPECT_THAT(out, HasSubstr("\"globals\": {"));
    EXPECT_THAT(out, HasSubstr("\"Version\": 8,"));
    EXPECT_THAT(out, HasSubstr("\"Author\": \"Tool \\\"test\\\"\""));
    EXPECT_THAT(out, HasSubstr("\"TitleHeight\": 30"));
    EXPECT_THAT(out, HasSubstr("\"SectionName\": \"BUTTON\""));
    EXPECT_THAT(out, HasSubstr("\"StateProps\": ["));
    EXPECT_THAT(out, HasSubstr("\"Color1\": 16777215"));
    EXPECT_THAT(out, HasSubstr("\"SourceRect\": [0, 10, 12, 22]"));
    EXPECT_THAT(out, HasSubstr("\"ItemKind\": 2"));
    EXPECT_THAT(out, HasSubstr("\"OwnBitmap\": false"));
    EXPECT_THAT(out, HasSubstr("\"Width\": 40"));
    EXPECT_THAT(out, HasSubstr("\"patterns\": []"));
    EXPECT_THAT(out, HasSubstr("\"CheckBoxChecked\": 0"));
    EXPECT_THAT(out, HasSubstr("\"WebButtonSection\": -1"));
    EXPECT_THAT(out, HasSubstr("\"ExtBorderMargins\": [9, 9, 9, 9]"));
    EXPECT_EQ(out.front(), '{');
    EXPECT_EQ(out.substr(out.size() - 2), "}\n");
}

TEST_F(SkinInfoTool, ReadsSkinFoldersAndPrintsText) {
    const TRun json = RunSkinInfo(Quoted(Temp.Path() / "Skins" / "Folder Skin") + " --json");
    ASSERT_EQ(json.ExitCode, 0) << json.Output;
    EXPECT_THAT(json.Output, HasSubstr("Folder Skin"));
    EXPECT_THAT(json.Output, HasSubstr("\"BorderLeft\": 2"));

    const TRun text = RunSkinInfo(Quoted(Temp.Path() / "Skins" / "Folder Skin"));
    ASSERT_EQ(text.ExitCode, 0) << text.Output;
    EXPECT_THAT(text.Output, HasSubstr("Version:     8"));
    EXPECT_THAT(text.Output, Not(HasSubstr("\"globals\"")));
}

TEST_F(SkinInfoTool, LoadErrorsGoToStandardErrorWithExitCode1) {
    const TRun broken = RunSkinInfo(Quoted(Temp.Path() / "Skins" / "Broken.asz"));
    EXPECT_EQ(broken.ExitCode, 1);
    EXPECT_EQ(broken.Output, "Loaded data is not a packed skin file\n");

    const TRun missing = RunSkinInfo(Quoted(Temp.Path() / "Skins" / "Nothing.asz") + " --json");
    EXPECT_EQ(missing.ExitCode, 1);

    const TRun noDescription = RunSkinInfo(Quoted(Temp.Path() / "Skins"));
    EXPECT_EQ(noDescription.ExitCode, 1);
    EXPECT_THAT(noDescription.Output, HasSubstr("Options.dat"));

    EXPECT_EQ(RunSkinInfo("").ExitCode, 2);
}

} // namespace
} // namespace sj
