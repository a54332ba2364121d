// The skin manager inside a form read from its stored description, under Wine:
// loading while the form is read, the announcement to the form and its controls,
// skin switches, load errors, the internal skins carried as resources and the
// stored settings of the program's main window.
#include "skin/data/sSkinManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "forms/Dialogs.h"
#include "forms/FormReader.h"
#include "forms/FormResources.h"
#include "forms/Forms.h"
#include "forms/MessageRecorder.h"
#include "forms/StdCtrls.h"
#include "skin/data/SkinTestKit.h"

namespace sj {
namespace {

using test::Bytes;
using test::MakePackage;

// Skin commands a control received, in order.
std::vector<WORD> SkinCommandsOf(const std::vector<TRecordedMessage>& messages) {
    std::vector<WORD> commands;
    for (const TRecordedMessage& m : messages) {
        if (m.Msg == SkinCommandMessage && SkinCommandCode(m.WParam) != scIsSkinned)
            commands.push_back(SkinCommandCode(m.WParam));
    }
    return commands;
}

// Records the skin commands `control` receives. A skinned control answers the
// question whether it is skinned itself, and that question is then not recorded.
TWindowProcHook RecordSkinCommands(TControl& control, std::vector<WORD>& commands, bool skinned) {
    return control.HookWindowProc([&commands, skinned](TMessage& message, const TWndNext& next) {
        if (message.Msg == SkinCommandMessage) {
            if (skinned && SkinCommandCode(message.WParam) == scIsSkinned) {
                message.Result = 1;
                return;
            }
            commands.push_back(SkinCommandCode(message.WParam));
        }
        next(message);
    });
}

// An edit that takes skin commands itself, as a skinned control does.
class TSkinAwareEdit : public TEdit {
    SJ_CLASS(TSkinAwareEdit, TEdit)

public:
    explicit TSkinAwareEdit(TComponent* owner) : TEdit(owner) { hook_ = RecordSkinCommands(*this, Commands, true); }
    std::vector<WORD> Commands;

private:
    TWindowProcHook hook_;
};

class TSkinAwareLabel : public TLabel {
    SJ_CLASS(TSkinAwareLabel, TLabel)

public:
    explicit TSkinAwareLabel(TComponent* owner) : TLabel(owner) { hook_ = RecordSkinCommands(*this, Commands, false); }
    std::vector<WORD> Commands;

private:
    TWindowProcHook hook_;
};

class TSkinTestForm : public TForm {
    SJ_CLASS(TSkinTestForm, TForm)

public:
    explicit TSkinTestForm(TComponent* owner) : TForm(owner) {
        BindField("sSkinManager1", Manager);
        BindField("Edit1", Edit);
        BindField("Label1", Label);
        Recorder = std::make_unique<TMessageRecorder>(static_cast<TControl&>(*this));
    }
    void Read(const std::string& text) { CreateFromText(text); }

    TsSkinManager* Manager = nullptr;
    TSkinAwareEdit* Edit = nullptr;
    TSkinAwareLabel* Label = nullptr;
    std::unique_ptr<TMessageRecorder> Recorder;
};

std::string Hex(const TacBytes& bytes) {
    std::string text;
    char pair[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

TacBytes TestSkinPackage(const std::string& version) {
    return MakePackage({{"Options.dat", Bytes("[GLOBALINFO]\r\nVERSION=" + version +
                                              "\r\nCOLOR=$00102030\r\nFONTCOLOR=$00040506\r\n"
                                              "[EDIT]\r\nFONTCOLOR=$00123456\r\n")}});
}

TacBytes WrongMagic(TacBytes package) {
    package[3] = 'F'; // "ASzF"
    return package;
}

std::string Item(const std::string& name, const std::string& data) {
    return "      item\n        Name = '" + name + "'\n        Data = {" + data + "}\n      end";
}

std::string FormText(const std::string& managerProps) {
    return "object SkinForm: TSkinTestForm\n"
           "  Left = 20\n  Top = 20\n  Width = 320\n  Height = 200\n"
           "  object sSkinManager1: TsSkinManager\n" +
           managerProps +
           "  end\n"
           "  object Label1: TSkinAwareLabel\n    Left = 8\n    Top = 8\n    Caption = 'Name'\n  end\n"
           "  object Edit1: TSkinAwareEdit\n    Left = 8\n    Top = 32\n    Width = 120\n    Height = 21\n  end\n"
           "end\n";
}

std::string TestSkinsProps(const std::string& skinName) {
    return "    SkinDirectory = 'c:\\NoSkinsHere'\n"
           "    InternalSkins = <\n" +
           Item("Test Skin", Hex(TestSkinPackage("8.00"))) + "\n" +
           Item("Broken", Hex(WrongMagic(TestSkinPackage("8.00")))) + "\n" + Item("Zest (internal)", "@SKIN_ZEST") +
           ">\n    SkinName = '" + skinName + "'\n";
}

struct TShownBox {
    std::string Text;
    std::string Caption;
    UINT Flags = 0;
};

class SkinManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterFormClasses();
        RegisterSkinManagerClasses();
        RegisterComponentClass<TSkinAwareEdit>();
        RegisterComponentClass<TSkinAwareLabel>();
    }
    void TearDown() override {
        delete form;
        Application->ProcessMessages();
    }
    TSkinTestForm& ReadForm(const std::string& managerProps) {
        form = new TSkinTestForm(Application);
        form->Read(FormText(managerProps));
        return *form;
    }

    TMessageBoxOverride boxes{[this](HWND, const std::string& text, const std::string& caption, UINT flags) {
        shown.push_back({text, caption, flags});
        return IDOK;
    }};
    std::vector<TShownBox> shown;
    TSkinTestForm* form = nullptr;
};

TEST_F(SkinManagerTest, SkinLoadsWhileReadingAndIsAnnouncedOnceTheFormIsComplete) {
    TSkinTestForm& f = ReadForm(TestSkinsProps("Test Skin"));
    ASSERT_NE(f.Manager, nullptr);
    EXPECT_EQ(f.Manager->SkinName(), "Test Skin");
    EXPECT_EQ(f.Manager->SkinInfo(), "8");
    EXPECT_TRUE(f.Manager->SkinGlobals().Ready);
    EXPECT_EQ(f.Manager->SkinBackColor(), 0x00102030);
    EXPECT_EQ(f.Manager->EditTextColor(), 0x00123456);
    EXPECT_TRUE(shown.empty());

    // One announcement, once the whole form is read; the controls paint the new skin
    // as they are shown, so no refresh follows.
    const std::vector<WORD> expected = {scNewSkin};
    EXPECT_EQ(SkinCommandsOf(f.Recorder->Messages()), expected);
    EXPECT_EQ(f.Label->Commands, expected);
    EXPECT_EQ(f.Edit->Commands, expected);
    for (const TRecordedMessage& m : f.Recorder->Messages()) {
        if (m.Msg == SkinCommandMessage && SkinCommandCode(m.WParam) == scNewSkin) {
            EXPECT_EQ(m.LParam, reinterpret_cast<LPARAM>(f.Manager));
        }
    }
}

TEST_F(SkinManagerTest, SwitchingSkinsAnnouncesToFormAndControlsWithEventsAroundTheChange) {
    TSkinTestForm& f = ReadForm(TestSkinsProps("Test Skin"));
    f.Recorder->Clear();
    f.Edit->Commands.clear();
    f.Label->Commands.clear();
    std::vector<std::string> events;
    f.Manager->OnBeforeChange = [&](TObject*) { events.push_back("before " + f.Manager->SkinName()); };
    f.Manager->OnActivate = [&](TObject*) { events.push_back("activate"); };
    f.Manager->OnAfterChange = [&](TObject*) {
        events.push_back("after " + f.Manager->SkinName() + (SkinChangeInProgress ? " busy" : ""));
    };

    f.Manager->SetSkinName("Zest (internal).ASZ");

    EXPECT_EQ(f.Manager->SkinName(), "Zest (internal)");
    EXPECT_EQ(f.Manager->SkinInfo(), "8");
    EXPECT_FALSE(SkinChangeInProgress);
    const std::vector<std::string> expectedEvents = {"before Zest (internal).ASZ", "activate", "after Zest (internal)"};
    EXPECT_EQ(events, expectedEvents);
    // Run time: the preparing command comes ahead of the refresh.
    const std::vector<WORD> expected = {scNewSkin, scBeforeRefresh, scRefresh};
    EXPECT_EQ(SkinCommandsOf(f.Recorder->Messages()), expected);
    EXPECT_EQ(f.Edit->Commands, expected);
    EXPECT_EQ(f.Label->Commands, expected);
    EXPECT_TRUE(shown.empty());
}

TEST_F(SkinManagerTest, BadPackageShowsTheErrorAndKeepsThePreviousSkin) {
    TSkinTestForm& f = ReadForm(TestSkinsProps("Test Skin"));
    const TacBytes brokenBefore = f.Manager->InternalSkins()[1].DataStream;
    int afterChanges = 0;
    f.Manager->OnAfterChange = [&](TObject*) { ++afterChanges; };

    f.Manager->SetSkinName("Broken");

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "Loaded data is not a packed skin file");
    EXPECT_EQ(shown[0].Caption, "Error");
    EXPECT_EQ(shown[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(f.Manager->SkinName(), "Test Skin");
    EXPECT_EQ(f.Manager->SkinInfo(), "8");
    EXPECT_EQ(f.Manager->SkinBackColor(), 0x00102030);
    EXPECT_TRUE(f.Manager->SkinGlobals().Ready);
    EXPECT_FALSE(SkinChangeInProgress);
    EXPECT_EQ(afterChanges, 1);
    EXPECT_EQ(f.Manager->InternalSkins()[1].DataStream, brokenBefore);
}

TEST_F(SkinManagerTest, ErrorWhileReadingTheFormIsShownOnceAndLeavesNoSkin) {
    TSkinTestForm& f = ReadForm(TestSkinsProps("Broken"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Caption, "Error");
    EXPECT_EQ(f.Manager->SkinInfo(), "N/A");
    EXPECT_EQ(f.Manager->SkinName(), "");
}

TEST_F(SkinManagerTest, UnknownNameFallsBackToTheFirstInternalSkin) {
    TSkinTestForm& f = ReadForm(TestSkinsProps("Test Skin"));
    f.Manager->SetSkinName("zest (internal)"); // names compare with case
    EXPECT_EQ(f.Manager->SkinName(), "Test Skin");
    EXPECT_TRUE(shown.empty());
}

TEST_F(SkinManagerTest, DeactivatingRemovesTheSkinAndReactivatingLoadsItAgain) {
    TSkinTestForm& f = ReadForm(TestSkinsProps("Test Skin"));
    f.Edit->Commands.clear();
    int deactivations = 0;
    f.Manager->OnDeactivate = [&](TObject*) { ++deactivations; };

    f.Manager->SetActive(false);
    EXPECT_EQ(deactivations, 1);
    EXPECT_EQ(f.Manager->SkinInfo(), "N/A");
    EXPECT_EQ(f.Edit->Commands, std::vector<WORD>{scRemoveSkin});

    f.Manager->SetSkinName("Zest (internal)"); // inactive: only remembered
    EXPECT_EQ(f.Manager->SkinInfo(), "N/A");
    f.Manager->SetActive(true);
    EXPECT_EQ(f.Manager->SkinName(), "Zest (internal)");
    EXPECT_EQ(f.Manager->SkinInfo(), "8");
    EXPECT_EQ(f.Edit->Commands.back(), scRefresh);
}

TEST_F(SkinManagerTest, ThirdPartyListsTakeTheirDefaultsWhenStoredEmpty) {
    TSkinTestForm& f =
        ReadForm(TestSkinsProps("Test Skin") + "    ThirdParty.ThirdEdits = 'TEdit'#13#10'TMemo'\n"
                                               "    ThirdParty.ThirdButtons = ''\n"
                                               "    ThirdParty.ThirdScrollBar = ''\n"
                                               "    ThirdParty.ThirdPageControl.Strings = (\n      'TPageControl')\n");
    TsSkinManager& m = *f.Manager;
    EXPECT_EQ(m.ThirdParty[1], "TButton");
    EXPECT_EQ(m.ThirdParty[21], " ");
    EXPECT_EQ(m.AdapterClassLists[0], (std::vector<std::string>{"TEdit", "TMemo"}));
    EXPECT_EQ(m.AdapterClassLists[1], std::vector<std::string>{"TButton"});
    EXPECT_EQ(m.AdapterClassLists[13], std::vector<std::string>{"TPageControl"});
    EXPECT_EQ(m.AdapterClassLists[5], std::vector<std::string>{" "});

    m.InitThirdParty(true);
    EXPECT_EQ(m.AdapterClassLists[0], std::vector<std::string>{" "});
}

TEST_F(SkinManagerTest, SettingsHaveTheirDefaultsWhenNothingIsStored) {
    TsSkinManager m(nullptr);
    EXPECT_EQ(m.SkinDirectory(), "c:\\Skins");
    EXPECT_EQ(m.SkinInfo(), "N/A");
    EXPECT_EQ(m.Version(), "8.03");
    EXPECT_TRUE(m.Active());
    EXPECT_TRUE(m.SkinnedPopups());
    EXPECT_FALSE(m.ExtendedBorders());
    EXPECT_EQ(m.SkinningRules, static_cast<unsigned>(srStdForms | srStdDialogs | srThirdParty));
    EXPECT_EQ(m.AnimEffects.SkinChanging.Time, 100);
    EXPECT_EQ(m.AnimEffects.Minimizing.Time, 200);
    EXPECT_EQ(m.AnimEffects.BlendOnMoving.BlendValue, 170);
    EXPECT_FALSE(m.AnimEffects.BlendOnMoving.Active);
    EXPECT_EQ(m.AnimEffects.FormShow.Mode, TacAnimType::atAero);
}

TEST_F(SkinManagerTest, ResolvedFolderIsBesideTheExecutable) {
    TsSkinManager m(nullptr);
    char path[MAX_PATH] = {};
    std::string exe(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
    m.SetSkinDirectory("Skins");
    EXPECT_EQ(m.ResolvedSkinFolder(), folder + "Skins");
    m.SetSkinDirectory("d:\\Other");
    EXPECT_EQ(m.ResolvedSkinFolder(), "d:\\Other");
}

TEST_F(SkinManagerTest, LiveSkinRecordReplacesTheDescription) {
    TSkinTestForm& f = ReadForm(TestSkinsProps("Test Skin"));
    std::vector<std::uint8_t> block(30646, 0);
    const std::int32_t magic = 0xA400;
    std::memcpy(block.data(), &magic, 4);
    const std::string name = "Edited";
    const std::string dir = "c:\\NoSkinsHere";
    const std::string text = "[GLOBALINFO]\r\nVERSION=8.5\r\n";
    std::memcpy(block.data() + 4, name.data(), name.size());
    std::memcpy(block.data() + 132, dir.data(), dir.size());
    std::memcpy(block.data() + 645, text.data(), text.size());
    COPYDATASTRUCT data{};
    data.cbData = static_cast<DWORD>(block.size());
    data.lpData = block.data();

    EXPECT_EQ(f.Manager->ApplyLiveSkin(6, &data), 0);
    EXPECT_EQ(f.Manager->SkinInfo(), "8");
    f.Edit->Commands.clear();
    EXPECT_EQ(f.Manager->ApplyLiveSkin(LiveSkinCopyDataKind, &data), 1);
    EXPECT_EQ(f.Manager->SkinName(), "Edited");
    EXPECT_EQ(f.Manager->SkinInfo(), "8.5");
    // One announcement although both the folder and the name changed.
    EXPECT_EQ(std::count(f.Edit->Commands.begin(), f.Edit->Commands.end(), scNewSkin), 1);

    block[1] = 0; // magic 0x0000 instead of 0xA400
    EXPECT_EQ(f.Manager->ApplyLiveSkin(LiveSkinCopyDataKind, &data), 0);
}

TEST_F(SkinManagerTest, HotButtonIsToldWhenItLosesTheHoverAndForgottenWhenDestroyed) {
    TSkinTestForm& f = ReadForm(TestSkinsProps("Test Skin"));
    f.Label->Commands.clear();
    f.Manager->TrackHotButton(f.Label);
    EXPECT_EQ(f.Manager->HotButton(), f.Label);
    f.Manager->TrackHotButton(nullptr);
    EXPECT_EQ(f.Manager->HotButton(), nullptr);
    EXPECT_EQ(f.Label->Commands, (std::vector<WORD>{scQuerySkinData, scHotLeave}));

    f.Manager->TrackHotButton(f.Label);
    delete f.Label;
    f.Label = nullptr;
    EXPECT_EQ(f.Manager->HotButton(), nullptr);
}

// The program's own resources: all internal skins and the built-in shadows.
class InternalSkinsTest : public SkinManagerTest {
protected:
    static std::string ItemsFragment() {
        std::vector<std::uint8_t> bytes = LoadDataResource("SJ_INTERNALSKINS");
        return std::string(bytes.begin(), bytes.end());
    }
    // The manager as the main window stores it.
    static std::string MainWindowProps() {
        return "    Effects.AllowGlowing = False\n"
               "    ExtendedBorders = True\n"
               "    AnimEffects.FormShow.Time = 70\n" +
               ItemsFragment() +
               "    MenuSupport.IcoLineSkin = 'ICOLINE'\n"
               "    SkinDirectory = 'c:\\Skins'\n"
               "    SkinName = 'Zest (internal)'\n"
               "    SkinInfo = '8'\n"
               "    SkinningRules = [srThirdParty]\n"
               "    ThirdParty.ThirdButtons.Strings = (\n      'TButton')\n";
    }
};

TEST_F(InternalSkinsTest, AllInternalSkinsAreListedAndZestLoads) {
    TSkinTestForm& f = ReadForm(MainWindowProps());
    TsSkinManager& m = *f.Manager;
    EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0].Text);
    EXPECT_EQ(m.SkinName(), "Zest (internal)");
    EXPECT_EQ(m.SkinInfo(), "8");
    EXPECT_EQ(m.InternalSkins().Count(), 43);

    std::vector<std::string> names;
    EXPECT_EQ(m.ListSkins(names, 2), m.InternalSkins()[0].Name);
    ASSERT_EQ(names.size(), 43u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    for (const std::string& name : names)
        EXPECT_NE(name.find(" (internal)"), std::string::npos) << name;
    EXPECT_NE(std::find(names.begin(), names.end(), "Zest (internal)"), names.end());

    EXPECT_FALSE(m.Effects.AllowGlowing());
    EXPECT_EQ(m.AnimEffects.FormShow.Time, 70);
    EXPECT_EQ(m.SkinningRules, static_cast<unsigned>(srThirdParty));
    EXPECT_EQ(m.MenuSupport.IcoLineSkin, "ICOLINE");
}

TEST_F(InternalSkinsTest, EveryInternalSkinLoadsWithoutError) {
    TSkinTestForm& f = ReadForm(MainWindowProps());
    TsSkinManager& m = *f.Manager;
    for (int i = 0; i < m.InternalSkins().Count(); ++i) {
        const std::string name = m.InternalSkins()[i].Name;
        m.SetSkinName(name);
        EXPECT_EQ(m.SkinName(), name);
        EXPECT_NE(m.SkinInfo(), "N/A") << name;
    }
    EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0].Text);
}

TEST_F(InternalSkinsTest, BuiltinShadowsFrameTheFormWhenTheSkinHasNoBorderImage) {
    const TsBuiltinBorders& builtins = BuiltinBorderImages();
    ASSERT_EQ(builtins.Active.Width(), 33);
    ASSERT_EQ(builtins.Active.Height(), 33);
    ASSERT_EQ(builtins.Inactive.Width(), 33);
    // Shadow around the form, darkest under it (rounded frame corners show it), the
    // active look darker.
    EXPECT_GT(PixelA(builtins.Active.At(16, 25)), 0);
    EXPECT_GE(PixelA(builtins.Active.At(16, 16)), PixelA(builtins.Active.At(16, 25)));
    EXPECT_GT(PixelA(builtins.Active.At(16, 25)), PixelA(builtins.Inactive.At(16, 25)));
    EXPECT_EQ(PixelA(builtins.Active.At(0, 0)), 0);

    TSkinTestForm& f = ReadForm(MainWindowProps());
    TsSkinManager& m = *f.Manager;
    ASSERT_TRUE(m.ExtendedBorders()); // layered windows exist under Wine
    const TsSkinModel& model = m.Model();
    EXPECT_EQ(model.ExtBorderMargins[0], 9);
    EXPECT_EQ(model.ExtBorderMargins[3], 9);
    EXPECT_EQ(model.ExtBorderActive.Width(), 33);
}

} // namespace
} // namespace sj
