// The program's windows as the user drives them: texts typed into the edits, buttons
// clicked through their windows, message boxes, the open dialog, the folder browser
// and the shell answered by the tests.
#include "engine/FileSplitter.h"
#include "shell/About.h"
#include "shell/MainUnit.h"
#include "shell/UtilFuncs.h"
#include "skin/data/sSkinCore.h"
#include "skin/data/sSkinManager.h"
#include "skin/data/sSkinModel.h"
#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sSectionPaint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/TempDir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace sj {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

struct TShownMessage {
    std::string Text;
    std::string Caption;
    UINT Flags = 0;
};

std::string Pattern(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 31 + i / 251) & 0xFF);
    return data;
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// Runs the message loop for a while: input sent to the system arrives through it.
void PumpFor(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
        Application->ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// The caption's extent in the label's own font and flags, as the label measures it.
SIZE CaptionExtent(TLabel& label) {
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, label.Font().Handle());
    const std::string text = label.Caption();
    RECT rect{0, 0, label.WordWrap() ? label.Width() : 0, 0};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, label.DrawTextFlags() | DT_CALCRECT);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return SIZE{rect.right, rect.bottom};
}

// The right and bottom edges (exclusive) of the ink the label's caption leaves when
// drawn in the label's font and flags into a white area of the label's width, as the
// label paints it. Under Wine this can be narrower than the measured extent: Wine draws
// Tahoma at 11 pixels from the font's embedded bitmap strike but measures the outline,
// one pixel wider per glyph.
SIZE CaptionInk(TLabel& label) {
    const int width = std::max(label.Width(), 1) + 64, height = std::max(label.Height(), 1) + 16;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    HGDIOBJ oldFont = ::SelectObject(dc, label.Font().Handle());
    std::memset(bits, 0xFF, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    const std::string text = label.Caption();
    RECT rect{0, 0, label.WordWrap() ? label.Width() : width, height};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, label.DrawTextFlags());
    ::GdiFlush();
    SIZE ink{0, 0};
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF) {
                ink.cx = std::max<LONG>(ink.cx, x + 1);
                ink.cy = std::max<LONG>(ink.cy, y + 1);
            }
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return ink;
}

// Every label of the form shows its whole caption: it is as large as its measured text,
// and what it draws lies inside its parent's client area.
void ExpectLabelsShowTheirWholeText(TComponent& form) {
    for (int i = 0; i < form.ComponentCount(); ++i) {
        auto* label = dynamic_cast<TLabel*>(form.Components(i));
        if (label == nullptr || label->Caption().empty())
            continue;
        const SIZE text = CaptionExtent(*label);
        EXPECT_GE(label->Width(), text.cx) << label->Name() << ": " << label->Caption();
        EXPECT_GE(label->Height(), text.cy) << label->Name() << ": " << label->Caption();
        const SIZE ink = CaptionInk(*label);
        EXPECT_GT(ink.cx, 0) << label->Name() << " draws nothing";
        EXPECT_LE(ink.cx, label->Width()) << label->Name() << " cuts its text";
        if (label->Parent() != nullptr) {
            const RECT client = label->Parent()->ClientRect();
            EXPECT_LE(label->Left() + ink.cx, client.right) << label->Name() << "'s text leaves its parent";
            EXPECT_LE(label->Top() + ink.cy, client.bottom) << label->Name() << "'s text leaves its parent";
        }
    }
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(temp_ / "AppData");
        std::filesystem::create_directory(temp_ / "Docs");
        std::filesystem::create_directory(temp_ / "Data");
        WriteConfig("[SYSTEM]\r\nName=Demo\r\nVersion=1.2\r\nCopyright=Demo Works\r\n"
                    "HelpContectLink=help.chm\r\nHelpHowTosTutorialVideosLink=http://demo.test/howto\r\n"
                    "HelpHomePageLink=http://demo.test/\r\nHelpMoreFreeToolsLink=http://demo.test/tools\r\n"
                    "HelpCheckForUpdatesLink=http://demo.test/update\r\nHelpSupportLink=mailto:help@demo.test\r\n");
        savedEnvironment_ = MainEnvironment();
        MainEnvironment().ConfigFile = [this] { return temp_ / "lamecore.dll"; };
        MainEnvironment().ShellFolder = [this](const std::string& name) {
            return name == "AppData" ? temp_ / "AppData" : temp_ / "Docs";
        };
        savedTitle_ = Application->Title();
        Application->SetTitle("Demo");
        previousShell_ = SetShellOpenHandler([this](const std::string& target) { opened_.push_back(target); });
        GlobalVars = TGlobalVars();
    }

    void TearDown() override {
        form_.reset();
        Application->ProcessMessages();
        SetShellOpenHandler(previousShell_);
        Application->SetTitle(savedTitle_);
        MainEnvironment() = savedEnvironment_;
    }

    void WriteConfig(const std::string& text) { WriteFile(temp_ / "lamecore.dll", EncodeConfigText(text)); }

    TFormMain& Form() {
        if (!form_) {
            form_ = std::make_unique<TFormMain>(nullptr);
            form_->Show();
            Application->ProcessMessages();
        }
        return *form_;
    }

    // A click as the user makes it: through the button's window, so that errors take
    // the way to the application's handler. A job it starts is waited for.
    void Press(TButton* button) {
        Click(button);
        if (form_) {
            EXPECT_TRUE(PumpUntil([this] { return !form_->JobRunning(); }, std::chrono::seconds(60)));
        }
    }
    void Click(TButton* button) {
        ::SendMessageA(button->Handle(), BM_CLICK, 0, 0);
        Application->ProcessMessages();
    }
    // Runs the message loop (messages sent from other threads included) until the
    // condition holds; false when it did not within the time.
    static bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            Application->ProcessMessages();
            if (condition())
                return true;
            if (std::chrono::steady_clock::now() > end)
                return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }

    std::string SettingsFile() const { return temp_ / "AppData" + "\\Demo\\system.dat"; }

    std::string ReadSetting(const std::string& section, const std::string& key) const {
        char buffer[512] = {};
        ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, SettingsFile().c_str());
        return buffer;
    }

    TTempDir temp_;
    std::vector<TShownMessage> messages_;
    int answer_ = IDOK;
    TMessageBoxOverride boxes_{[this](HWND, const std::string& text, const std::string& caption, UINT flags) {
        messages_.push_back({text, caption, flags});
        return answer_;
    }};
    std::vector<std::string> opened_;
    std::unique_ptr<TFormMain> form_;

private:
    TMainEnvironment savedEnvironment_;
    std::string savedTitle_;
    TShellOpenHandler previousShell_;
};

TEST(AppSizes, UserSizesAreTruncatedAndImpossibleOnesRefused) {
    EXPECT_EQ(UserPartSize(1.44), FloppyPartSize);
    EXPECT_EQ(UserPartSize(1.555), 1630535);
    EXPECT_EQ(UserPartSize(0), 0) << "too small a size is the splitter's to refuse";
    EXPECT_EQ(UserPartSize(2047.999), 2147482599);
    EXPECT_THROW(UserPartSize(2048), Exception);
    EXPECT_THROW(UserPartSize(1e300), Exception);
    EXPECT_THROW(UserPartSize(-0.5), Exception);
}

TEST(AppTemplates, ValuesFillTheirPlacesInOrder) {
    EXPECT_EQ(FillTemplate("About %s", {"Demo"}), "About Demo");
    EXPECT_EQ(FillTemplate("(c) 2024-%d %s.", {"2031", "Demo Works"}), "(c) 2024-2031 Demo Works.");
    EXPECT_EQ(FillTemplate("%s", {"100%s sure"}), "100%s sure") << "a value is never read as a template";
    EXPECT_EQ(FillTemplate("50%% %s %x", {"off"}), "50% off %x");
    EXPECT_EQ(FillTemplate("%s and %s", {"one"}), "one and ");
}

TEST_F(AppTest, WindowIsBuiltFromItsDescription) {
    TFormMain& form = Form();
    EXPECT_EQ(form.Caption(), "Demo");
    EXPECT_EQ(form.ClientWidth(), 644);
    EXPECT_EQ(form.ClientHeight(), 467);
    EXPECT_EQ(form.BorderStyle(), TFormBorderStyle::bsSingle);
    EXPECT_EQ(form.Font().Height(), -11);
    EXPECT_EQ(form.PageControl1->ActivePage(), form.TabSheet1);
    EXPECT_TRUE(form.RadioButton144->Checked());
    EXPECT_EQ(form.sDecimalSpinEditMB->Text(), "1.00");
    EXPECT_EQ(form.OpenDialog->Title, "Please select the file that you wish to split up into several files:");
    EXPECT_EQ(form.sAlphaImageList16->Count(), 4);
    EXPECT_EQ(form.sAlphaImageList32->Count(), 2);
    EXPECT_FALSE(form.ImageTop->Picture().Empty()) << "the pictures come from the program's resources";
    EXPECT_EQ(form.ImageTop->Picture().Width(), 32);

    std::vector<TWinControl*> order;
    form.GroupBoxFile->GetTabOrderList(order);
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order[0], form.EditFile);
    EXPECT_EQ(order[1], form.EditOutputFolder);
    EXPECT_EQ(order[2], form.btnOutputFolder);
    EXPECT_EQ(order[3], form.btnSelectfile);
    ExpectLabelsShowTheirWholeText(form);
    EXPECT_TRUE(messages_.empty()) << (messages_.empty() ? "" : messages_[0].Text);
}

TEST_F(AppTest, WindowStartsWithTheInternalSkinLoaded) {
    TFormMain& form = Form();
    auto* manager = form.FindComponentOf<TsSkinManager>("sSkinManager1");
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->SkinName(), "Zest (internal)");
    EXPECT_EQ(manager->SkinInfo(), "8");
    EXPECT_EQ(manager->InternalSkins().Count(), 43);
    std::vector<std::string> names;
    manager->ListSkins(names, 2);
    EXPECT_EQ(names.size(), 43u);
    EXPECT_TRUE(messages_.empty()) << (messages_.empty() ? "" : messages_[0].Text);
}

TEST_F(AppTest, SplitWithThePresetWritesThePartsNextToTheSource) {
    const std::string source = temp_ / "Data" + "\\report.doc";
    WriteFile(source, Pattern(3'200'000));
    TFormMain& form = Form();
    form.EditFile->SetText(source);
    form.EditOutputFolder->SetText("");

    Press(form.btnStart);

    ASSERT_EQ(messages_.size(), 1u) << messages_[0].Text;
    EXPECT_EQ(messages_[0].Text, "Split job is completed!");
    EXPECT_EQ(messages_[0].Caption, "Demo");
    EXPECT_EQ(messages_[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    const std::string folder = temp_ / "Data";
    EXPECT_EQ(std::filesystem::file_size(folder + "\\report_split001.doc"), static_cast<uintmax_t>(FloppyPartSize));
    EXPECT_TRUE(Exists(folder + "\\report_split002.doc"));
    EXPECT_TRUE(Exists(folder + "\\report_split003.doc"));
    EXPECT_FALSE(Exists(folder + "\\report_split004.doc"));
}

TEST_F(AppTest, DestinationWithoutBackslashAndTypedDecimalSize) {
    const std::string source = temp_ / "Data" + "\\movie.avi";
    std::filesystem::create_directory(temp_ / "Out");
    WriteFile(source, Pattern(2'000'000));
    TFormMain& form = Form();
    form.EditFile->SetText(source);
    form.EditOutputFolder->SetText(temp_ / "Out");
    form.RadioButtonUser->SetChecked(true);
    form.sDecimalSpinEditMB->SetText("1.555");
    form.sDecimalSpinEditMB->Perform(WM_KILLFOCUS); // the user leaves the field
    EXPECT_EQ(form.sDecimalSpinEditMB->Text(), "1.56") << "the field shows two decimals once left";
    EXPECT_EQ(form.SelectedPartSize(), 1630535) << "the value keeps every decimal typed";

    Press(form.btnStart);

    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Text, "Split job is completed!");
    EXPECT_EQ(std::filesystem::file_size(temp_ / "Out" + "\\movie_split001.avi"), 1630535u);
    EXPECT_TRUE(Exists(temp_ / "Out" + "\\movie_split002.avi"));
}

TEST_F(AppTest, RefusedSplitsShowTheReasonAndKeepTheFields) {
    const std::string source = temp_ / "Data" + "\\small.bin";
    WriteFile(source, Pattern(10'000));
    TFormMain& form = Form();
    form.EditFile->SetText(source);
    form.RadioButtonUser->SetChecked(true);

    struct TCase {
        std::string sizeText;
        std::string message;
    };
    const std::vector<TCase> cases = {
        {"0", "minimum size"},
        {"-1", "The part size must not be negative."},
        {"2048", "The part size must be less than 2048 MB."},
        {"1e9", "The part size must be less than 2048 MB."},
        {"lots", "minimum size"}, // no number counts as 0
    };
    for (const TCase& c : cases) {
        messages_.clear();
        form.sDecimalSpinEditMB->SetText(c.sizeText);
        Press(form.btnStart);
        ASSERT_EQ(messages_.size(), 1u) << c.sizeText;
        EXPECT_THAT(messages_[0].Text, HasSubstr(c.message));
        EXPECT_EQ(messages_[0].Text.back(), '.');
        EXPECT_EQ(messages_[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
        EXPECT_EQ(messages_[0].Caption, "Demo");
        EXPECT_EQ(form.sDecimalSpinEditMB->Text(), c.sizeText);
        EXPECT_EQ(form.EditFile->Text(), source);
    }
    EXPECT_FALSE(Exists(temp_ / "Data" + "\\small_split001.bin"));

    messages_.clear();
    form.RadioButton144->SetChecked(true);
    const std::string missing = temp_ / "Data" + "\\missing.doc";
    form.EditFile->SetText(missing);
    Press(form.btnStart);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Text, "File \"" + missing + "\" does not exist.");
}

TEST_F(AppTest, JoinRebuildsTheFileFromAnyPart) {
    const std::string source = temp_ / "Data" + "\\report.doc";
    const std::string content = Pattern(3'500'000);
    WriteFile(source, content);
    TFormMain& form = Form();
    form.EditFile->SetText(source);
    Press(form.btnStart);
    ASSERT_EQ(messages_.size(), 1u);
    std::filesystem::remove(source);

    messages_.clear();
    form.PageControl1->SetActivePage(form.TabSheet2);
    form.EditFileJoin->SetText(temp_ / "Data" + "\\report_split002.doc");
    form.EditFileJoinFolder->SetText("");
    Press(form.btnStartJoin);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Text, "Join job is completed!");
    EXPECT_EQ(messages_[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_TRUE(ReadFile(source) == content) << "empty destination: the part's own folder";

    for (const std::string& folder : {temp_ / "Out1", temp_ / "Out2\\"}) {
        std::filesystem::create_directory(folder);
        messages_.clear();
        form.EditFileJoinFolder->SetText(folder);
        Press(form.btnStartJoin);
        ASSERT_EQ(messages_.size(), 1u) << messages_[0].Text;
        EXPECT_TRUE(ReadFile(AddBackslash(folder) + "report.doc") == content) << folder;
    }
}

TEST_F(AppTest, JoiningAFileThatIsNoPartCreatesNothing) {
    const std::string other = temp_ / "Data" + "\\notes_split001.txt";
    WriteFile(other, "just some notes, long enough to hold a header of a part file and then some more text");
    TFormMain& form = Form();
    form.EditFileJoin->SetText(other);
    Press(form.btnStartJoin);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Text, "This file is not our split file.");
    EXPECT_EQ(form.EditFileJoin->Text(), other);
    EXPECT_FALSE(Exists(temp_ / "Data" + "\\notes.txt"));
}

TEST_F(AppTest, PickedFilesAndFoldersFillTheFieldsAndAreRemembered) {
    TFormMain& form = Form();
    const std::string firstDir = GlobalVars.LastOpenFileDir;
    std::vector<std::string> initialDirs;
    std::vector<std::string> titles;
    std::string answer = "C:\\Data\\report.doc";
    TOpenFileNameOverride dialog([&](OPENFILENAMEA& request) {
        initialDirs.push_back(request.lpstrInitialDir != nullptr ? request.lpstrInitialDir : "");
        titles.push_back(request.lpstrTitle != nullptr ? request.lpstrTitle : "");
        std::strncpy(request.lpstrFile, answer.c_str(), request.nMaxFile - 1);
        return true;
    });
    Press(form.btnSelectfile);
    EXPECT_EQ(form.EditFile->Text(), "C:\\Data\\report.doc");
    EXPECT_EQ(form.EditOutputFolder->Text(), "C:\\Data\\");
    EXPECT_EQ(GlobalVars.LastOpenFileDir, "C:\\Data\\");

    answer = "D:\\Parts\\report_split002.doc";
    Press(form.btnFileJoin);
    EXPECT_EQ(form.EditFileJoin->Text(), answer);
    EXPECT_EQ(form.EditFileJoinFolder->Text(), "D:\\Parts\\");
    EXPECT_THAT(initialDirs, ElementsAre(firstDir, "C:\\Data\\"));
    EXPECT_THAT(titles, ElementsAre(form.OpenDialog->Title, form.OpenDialog->Title));

    std::vector<std::string> browsed;
    const TFolderBrowser previous = SetFolderBrowser(
        [&](HWND, std::string& folder, const std::string& title, UINT flags, const std::string&) {
            browsed.push_back(folder + "|" + title + "|" + std::to_string(flags));
            folder = "C:\\Out";
            return true;
        });
    Press(form.btnOutputFolder);
    EXPECT_EQ(form.EditOutputFolder->Text(), "C:\\Out\\");
    EXPECT_EQ(GlobalVars.LastOpenFolderDir, "C:\\Out\\");
    SetFolderBrowser([&](HWND, std::string&, const std::string&, UINT, const std::string&) { return false; });
    Press(form.btnFileJoinFolder);
    EXPECT_EQ(form.EditFileJoinFolder->Text(), "D:\\Parts\\") << "a cancelled browser changes nothing";
    SetFolderBrowser(previous);
    ASSERT_EQ(browsed.size(), 1u);
    EXPECT_EQ(browsed[0], temp_ / "Docs" + "|Please select a folder|65");
}

TEST_F(AppTest, FirstRunCentresAndClosingSavesTheSettings) {
    TFormMain& form = Form();
    ASSERT_TRUE(messages_.empty()) << messages_[0].Text;
    EXPECT_EQ(GlobalVars.DataDir, temp_ / "AppData" + "\\Demo\\");
    EXPECT_EQ(GlobalVars.Version, "1.2");
    EXPECT_EQ(GlobalVars.HelpContentLink, "help.chm");
    const SIZE screen = PrimaryScreenSize();
    EXPECT_EQ(form.Left(), (screen.cx - form.Width()) / 2);
    EXPECT_EQ(form.Top(), (screen.cy - form.Height()) / 2);
    EXPECT_EQ(ReadSetting("System", "LastOpenFileDir"), temp_ / "Docs") << "the file is made on the first run";

    form.SetBounds(40, 30, form.Width(), form.Height());
    GlobalVars.LastOpenFileDir = "C:\\Picked\\";
    GlobalVars.LastOpenFolderDir = "C:\\Target\\";
    const int width = form.Width();
    form.Close();
    Application->ProcessMessages();
    EXPECT_EQ(ReadSetting("System", "LastOpenFileDir"), "C:\\Picked\\");
    EXPECT_EQ(ReadSetting("System", "LastOpenFolderDir"), "C:\\Target\\");
    EXPECT_EQ(ReadSetting("Form", "x"), "40");
    EXPECT_EQ(ReadSetting("Form", "y"), "30");
    EXPECT_EQ(ReadSetting("Form", "width"), std::to_string(width));
    EXPECT_EQ(ReadSetting("Form", "maximized"), "0");
    form_.reset();

    // The next run takes everything back, kept on the screen.
    GlobalVars = TGlobalVars();
    ::WritePrivateProfileStringA("Form", "x", "-50", SettingsFile().c_str());
    ::WritePrivateProfileStringA("Form", "width", "5000", SettingsFile().c_str());
    TFormMain& again = Form();
    EXPECT_EQ(GlobalVars.LastOpenFileDir, "C:\\Picked\\");
    EXPECT_EQ(GlobalVars.LastOpenFolderDir, "C:\\Target\\");
    EXPECT_EQ(again.Left(), 0);
    EXPECT_EQ(again.Width(), screen.cx);
    EXPECT_EQ(again.Top(), 30);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(AppTest, ChosenSkinSurvivesARestart) {
    auto managerOf = [](TFormMain& form) { return form.FindComponentOf<TsSkinManager>("sSkinManager1"); };
    TFormMain& form = Form();
    ASSERT_NE(managerOf(form), nullptr);
    EXPECT_EQ(managerOf(form)->SkinName(), "Zest (internal)") << "no key: Zest";
    managerOf(form)->SetSkinName("Marina Deck (internal)");
    form.Close();
    Application->ProcessMessages();
    EXPECT_EQ(ReadSetting("Form", "skin"), "Marina Deck (internal)");
    EXPECT_EQ(ReadSetting("Form", "x"), std::to_string(form.Left())) << "the placement stays beside it";
    form_.reset();

    TFormMain& again = Form();
    EXPECT_EQ(managerOf(again)->SkinName(), "Marina Deck (internal)");
    form_.reset();

    // A skin that no longer exists falls back to Zest without a word.
    ::WritePrivateProfileStringA("Form", "skin", "Gone Away", SettingsFile().c_str());
    TFormMain& third = Form();
    EXPECT_EQ(managerOf(third)->SkinName(), "Zest (internal)");
    EXPECT_TRUE(messages_.empty()) << (messages_.empty() ? "" : messages_[0].Text);
}

TEST_F(AppTest, HelpMenuOpensTheConfiguredLinks) {
    TFormMain& form = Form();
    for (TMenuItem* item : {form.menuHelpContent, form.menuHowTo, form.menuHomePage, form.menuMoreFreeTools,
                            form.menuCheckUpdates, form.menuContact})
        item->Click();
    EXPECT_THAT(opened_, ElementsAre("help.chm", "http://demo.test/howto", "http://demo.test/",
                                     "http://demo.test/tools", "http://demo.test/update", "mailto:help@demo.test"));
    EXPECT_EQ(form.menuHowTo->Caption(), "How Tos && Tutorial Videos...");
    EXPECT_EQ(form.PopupMenuHelp->Items().Count(), 10);
    EXPECT_TRUE(form.PopupMenuHelp->Items().Items(2)->IsLine());
}

// Closes the modal About box from inside its message loop, noting what it showed.
std::string aboutSeen;
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    for (int i = 0; i < Screen->FormCount(); ++i) {
        if (auto* about = dynamic_cast<TFormAbout*>(Screen->Forms(i))) {
            aboutSeen = about->Caption() + "|" + about->LabelVersion->Caption();
            ::SendMessageA(about->ButtonOK->Handle(), BM_CLICK, 0, 0);
        }
    }
}

TEST_F(AppTest, AboutBoxShowsTheProductAndTheYear) {
    TFormMain& form = Form();
    aboutSeen.clear();
    ::SetTimer(nullptr, 0, 200, CloseAboutBox);
    form.menuAbout->Click();
    EXPECT_EQ(aboutSeen, "About Demo|Version 1.2") << "the menu shows a modal box and OK closes it";

    const auto savedYear = CurrentYearFunc();
    CurrentYearFunc() = [] { return 2031; };
    TFormAbout about(&form);
    CurrentYearFunc() = savedYear;
    EXPECT_EQ(about.Caption(), "About Demo");
    EXPECT_EQ(about.LabelAppName->Caption(), "Demo");
    EXPECT_EQ(about.LabelVersion->Caption(), "Version 1.2");
    EXPECT_EQ(about.LabelCopyRight->Caption(), "Copyright (c) 2024-2031 Demo Works. All rights reserved.");
    EXPECT_EQ(about.LabelWeb->Caption(), "http://demo.test/");
    EXPECT_FALSE(about.LabelWarning->Caption().empty());
    EXPECT_EQ(about.ClientWidth(), 365);
    EXPECT_EQ(about.ClientHeight(), 221);
    ExpectLabelsShowTheirWholeText(about);
    GlobalVars.RightsHolder = "The SplitJoin developers and their many friends";
    TFormAbout longerNotice(nullptr);
    ExpectLabelsShowTheirWholeText(longerNotice);

    opened_.clear();
    about.LabelWebClick(about.LabelWeb);
    form.menuHomePage->Click();
    EXPECT_THAT(opened_, ElementsAre("http://demo.test/", "http://demo.test/"));
}

// Closes the About box with Enter, as a user would, noting the window that had the
// keyboard while it showed.
HWND activeWhileAbout = nullptr;
void CALLBACK CloseAboutBoxByKey(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    activeWhileAbout = ::GetActiveWindow();
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (auto* about = dynamic_cast<TFormAbout*>(Screen->Forms(i)))
            ::SendMessageA(about->ButtonOK->Handle(), BM_CLICK, 0, 0);
}

// Keys typed after the box closed reach the main window: it is active again and one of
// its controls has the focus, which Tab moves on within the window.
TEST_F(AppTest, ClosingTheAboutBoxGivesTheKeyboardBackToTheMainWindow) {
    TFormMain& form = Form();
    HWND main = form.Handle();
    ::SetActiveWindow(main);
    Application->ProcessMessages();
    ASSERT_EQ(::GetActiveWindow(), main);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        activeWhileAbout = nullptr;
        // Late enough for the box's show animation to have ended and activated it.
        ::SetTimer(nullptr, 0, 500, CloseAboutBoxByKey);
        form.menuAbout->Click();
        Application->ProcessMessages();
        ASSERT_NE(activeWhileAbout, nullptr);
        EXPECT_NE(activeWhileAbout, main) << "the box had the keyboard while it showed";
        EXPECT_EQ(::GetActiveWindow(), main);
        HWND focus = ::GetFocus();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(focus == main || ::IsChild(main, focus)) << "the focus is in the main window";
        INPUT keys[2]{};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_TAB;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ::SendInput(2, keys, sizeof(INPUT));
        PumpFor(100);
        HWND moved = ::GetFocus();
        EXPECT_NE(moved, focus) << "Tab reached the main window";
        EXPECT_TRUE(moved != nullptr && ::IsChild(main, moved));
    }
}

TEST_F(AppTest, EmptyConfigurationGivesEmptyTexts) {
    WriteConfig("[SYSTEM]\r\nName=Demo\r\n");
    TFormMain& form = Form();
    EXPECT_TRUE(messages_.empty());
    TFormAbout about(&form);
    EXPECT_EQ(about.LabelVersion->Caption(), "Version ");
    EXPECT_EQ(about.LabelWeb->Caption(), "");
    form.menuContact->Click();
    EXPECT_THAT(opened_, ElementsAre(""));
}

// What a control shows for a print request, in a 32-bit bitmap of its size.
std::unique_ptr<TBitmap> Printed(TWinControl& control) {
    auto shot = CreateBitmap32(control.Width(), control.Height());
    ::SendMessageA(control.Handle(), WM_PRINT, reinterpret_cast<WPARAM>(shot->Canvas().Handle()),
                   PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
    return shot;
}

// What the screen shows of a window, frame included, read back from its window DC after
// it has painted: the edit adapter paints its border only there.
std::unique_ptr<TBitmap> OnScreen(HWND window, bool clientOnly) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Application->ProcessMessages();
    RECT rect{};
    if (clientOnly)
        ::GetClientRect(window, &rect);
    else
        ::GetWindowRect(window, &rect);
    auto shot = CreateBitmap32(rect.right - rect.left, rect.bottom - rect.top);
    HDC dc = clientOnly ? ::GetDC(window) : ::GetWindowDC(window);
    ::BitBlt(shot->Canvas().Handle(), 0, 0, shot->Width(), shot->Height(), dc, 0, 0, SRCCOPY);
    ::ReleaseDC(window, dc);
    ::GdiFlush();
    return shot;
}

// The button's pixels inside the borders of the active skin's BUTTON section, away from
// the caption and the glyph (where only the section face shows), as (x, y, colour).
struct TFacePixel {
    int X = 0;
    int Y = 0;
    TPixel32 Color = 0;
};
std::vector<TFacePixel> PlainFacePixels(TsButton& button, TsSkinModel& model, TacPixelsView pixels) {
    const std::int32_t section = model.SectionIndexOf("BUTTON");
    const std::int32_t borders = model.HasSection(section) ? model.GeneralData[section].BordersMaskIndex : -1;
    const int left = model.BorderLeftOf(borders), top = model.BorderTopOf(borders);
    const int right = button.Width() - model.BorderRightOf(borders);
    const int bottom = button.Height() - model.BorderBottomOf(borders);
    auto inside = [](const TacRect& r, int x, int y, int margin) {
        return x >= r.Left - margin && x < r.Right + margin && y >= r.Top - margin && y < r.Bottom + margin;
    };
    const TacRect caption = button.CaptionRect(), glyph = button.GlyphRect();
    std::vector<TFacePixel> plain;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (!inside(caption, x, y, 0) && !inside(glyph, x, y, 0))
                plain.push_back({x, y, pixels.At(x, y) & 0x00FFFFFF});
    return plain;
}

// The core's face of the BUTTON section in state 0 over the button's own backdrop, at
// the plain pixels of the button.
std::vector<TFacePixel> CoreButtonFace(TsButton& button, TsSkinModel& model) {
    auto face = CreateBitmap32(button.Width(), button.Height());
    TBackdropRef backdrop;
    button.SkinData().GetBackdrop(backdrop);
    PaintSectionFace(face->Pixels(), TacRect{0, 0, button.Width(), button.Height()}, &model,
                     model.SectionIndexOf("BUTTON"), "BUTTON", 0, true, backdrop, button.Left(), button.Top());
    return PlainFacePixels(button, model, face->Pixels());
}

// The core's border of the EDIT section in state 0, at the middle of the left edge.
TPixel32 CoreEditBorder(TEdit& edit, TsSkinManager& manager) {
    TsCommonData reference(&edit, true);
    reference.SetSkinManager(&manager);
    reference.SetSkinSection("EDIT");
    RECT client{};
    PaintControlBorder(reference.CacheBitmap->Canvas().Handle(), RECT{0, 0, edit.Width(), edit.Height()}, 2, client, 0,
                       reference);
    return reference.CacheBitmap->Pixels().At(0, edit.Height() / 2) & 0x00FFFFFF;
}

std::string DescribeMismatch(const std::vector<TFacePixel>& shown, const std::vector<TFacePixel>& expected) {
    if (shown.size() != expected.size())
        return "different pixel sets";
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i].Color != expected[i].Color)
            return "first difference at (" + std::to_string(shown[i].X) + ", " + std::to_string(shown[i].Y) +
                   "): " + std::to_string(shown[i].Color) + " instead of " + std::to_string(expected[i].Color);
    return "none";
}

bool SameColors(const std::vector<TFacePixel>& a, const std::vector<TFacePixel>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const TFacePixel& p, const TFacePixel& q) {
               return p.X == q.X && p.Y == q.Y && p.Color == q.Color;
           });
}

// With SJ_SKIN_DUMP_DIR set, the form's client area as the screen shows it is kept there
// as a BMP for a person to look at.
void DumpClientArea(TFormMain& form, const std::string& skinName) {
    const char* folder = std::getenv("SJ_SKIN_DUMP_DIR");
    if (folder == nullptr || *folder == '\0')
        return;
    auto shot = OnScreen(form.Handle(), true);
    // GDI text leaves alpha 0 behind; viewers would show it as see-through.
    auto pixels = shot->Pixels();
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x)
            pixels.At(x, y) |= 0xFF000000u;
    std::string file = skinName.substr(0, skinName.find(" ("));
    std::replace(file.begin(), file.end(), ' ', '_');
    shot->SaveToFile(std::string(folder) + "\\" + file + ".bmp");
}

TEST_F(AppTest, ControlsFollowTheSkinChosenByName) {
    ::SetCursorPos(0, 0); // no control is hot
    // Owned by the application as the program creates it: the manager announces skin
    // changes to the application's forms.
    form_ = std::make_unique<TFormMain>(Application);
    form_->Show();
    TFormMain& form = Form();
    Application->ProcessMessages();
    auto* manager = form.FindComponentOf<TsSkinManager>("sSkinManager1");
    ASSERT_NE(manager, nullptr);
    TsSkinModel& model = manager->Core().Model();
    TsButton& button = *form.btnOutputFolder;
    TEdit& edit = *form.EditOutputFolder;
    form.EditFile->SetText("C:\\Data\\report.doc"); // typed text shows in the dumps
    ASSERT_NE(::GetFocus(), button.Handle());
    ASSERT_NE(::GetFocus(), edit.Handle());

    struct TLook {
        std::vector<TFacePixel> Button;
        TPixel32 EditBorder = 0;
    };
    auto check = [&](const std::string& skin) {
        SCOPED_TRACE(skin);
        TLook look;
        EXPECT_EQ(manager->SkinName(), skin);
        EXPECT_EQ(button.FaceState(), 0);
        auto shot = Printed(button);
        look.Button = PlainFacePixels(button, model, shot->Pixels());
        const std::vector<TFacePixel> expected = CoreButtonFace(button, model);
        EXPECT_GT(look.Button.size(), 50u) << "the caption and glyph leave face to compare";
        EXPECT_TRUE(SameColors(look.Button, expected)) << DescribeMismatch(look.Button, expected);
        look.EditBorder = OnScreen(edit.Handle(), false)->Pixels().At(0, edit.Height() / 2) & 0x00FFFFFF;
        EXPECT_EQ(look.EditBorder, CoreEditBorder(edit, *manager));
        DumpClientArea(form, skin);
        return look;
    };
    auto switchTo = [&](const std::string& skin) {
        manager->SetSkinName(skin);
        Application->ProcessMessages();
        return check(skin);
    };

    const TLook zest = check("Zest (internal)");
    for (const char* skin : {"Marina Deck (internal)", "Aurora Veil (internal)", "Sandstone Court (internal)"}) {
        const TLook other = switchTo(skin);
        EXPECT_FALSE(SameColors(other.Button, zest.Button)) << skin << ": the button keeps the old face";
        EXPECT_NE(other.EditBorder, zest.EditBorder) << skin << ": the edit keeps the old border";
    }
    const TLook back = switchTo("Zest (internal)");
    EXPECT_TRUE(SameColors(back.Button, zest.Button)) << DescribeMismatch(back.Button, zest.Button);
    EXPECT_EQ(back.EditBorder, zest.EditBorder);
    EXPECT_TRUE(messages_.empty()) << (messages_.empty() ? "" : messages_[0].Text);
}

// Paint messages that reached a system window procedure although the skin draws that
// part of the control: an edit's client is the system's (in the skin's colours), an
// owner-drawn button's WM_PAINT only asks its owner to draw, and a window without a
// non-client area has no frame to show; everything else is ours.
bool HasNonClientArea(HWND window) {
    RECT bounds{}, client{};
    ::GetWindowRect(window, &bounds);
    ::GetClientRect(window, &client);
    return bounds.right - bounds.left != client.right || bounds.bottom - bounds.top != client.bottom;
}

std::vector<std::string> UnskinnedPaints(const std::vector<std::pair<TWinControl*, UINT>>& seen) {
    std::vector<std::string> found;
    for (const auto& [control, msg] : seen) {
        if (dynamic_cast<TCustomForm*>(control) != nullptr)
            continue; // the frame stays the system's until forms have skinned frames
        const bool edit = dynamic_cast<TEdit*>(control) != nullptr;
        const bool ownerDrawn =
            (::GetWindowLongA(control->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW &&
            dynamic_cast<TsButton*>(control) != nullptr;
        if ((msg == WM_PAINT || msg == WM_ERASEBKGND) && edit)
            continue;
        if (msg == WM_PAINT && ownerDrawn)
            continue;
        if (msg == WM_NCPAINT && !HasNonClientArea(control->Handle()))
            continue;
        const char* name = msg == WM_PAINT ? "WM_PAINT" : msg == WM_ERASEBKGND ? "WM_ERASEBKGND" : "WM_NCPAINT";
        found.push_back(control->Name() + " (" + std::string(control->ClassName()) + "): " + name);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

TEST_F(AppTest, NoControlShowsTheSystemLookAfterStartUp) {
    std::vector<std::pair<TWinControl*, UINT>> seen;
    SetSystemPaintObserver([&](TWinControl& control, UINT msg) { seen.emplace_back(&control, msg); });
    form_ = std::make_unique<TFormMain>(Application);
    form_->Show();
    TFormMain& form = Form();
    Application->ProcessMessages();
    form.PageControl1->SetActivePage(form.TabSheet2); // the Join page's first showing
    Application->ProcessMessages();
    ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    auto* manager = form.FindComponentOf<TsSkinManager>("sSkinManager1");
    ASSERT_NE(manager, nullptr);
    manager->SetSkinName("Aurora Veil (internal)");
    Application->ProcessMessages();
    form.PageControl1->SetActivePage(form.TabSheet1);
    Application->ProcessMessages();
    SetSystemPaintObserver(nullptr);
    EXPECT_THAT(UnskinnedPaints(seen), ::testing::IsEmpty());
    EXPECT_GT(seen.size(), 0u) << "the edits' client areas are painted by the system";
}


// --- Long jobs ------------------------------------------------------------------

// A file of the given length with no data on the disk: reading it costs little, yet a
// split of it runs for a long time.
void MakeSparseFile(const std::string& path, std::int64_t size) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = size;
    EXPECT_TRUE(::SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(::SetEndOfFile(file));
    ::CloseHandle(file);
}

// Names and sizes of a folder's files.
std::map<std::string, std::uintmax_t> Listing(const std::string& folder) {
    std::map<std::string, std::uintmax_t> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = entry.is_directory() ? 0 : entry.file_size();
    return files;
}

// Sends the window a message every few milliseconds from another thread, as Windows
// does before it calls a window "Not Responding", and keeps the longest wait.
class TAnswerProbe {
public:
    explicit TAnswerProbe(HWND window)
        : FThread([this, window] {
              while (!FStop) {
                  FIdle = FPaused.load();
                  if (FIdle) {
                      ::Sleep(1);
                      continue;
                  }
                  const auto start = std::chrono::steady_clock::now();
                  DWORD_PTR result = 0;
                  ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result);
                  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - start)
                                          .count();
                  FWorst = std::max<std::int64_t>(FWorst, waited);
                  if (waited > 100)
                      ++FLate;
                  ++FSent;
                  ::Sleep(5);
              }
              FDone = true;
          }) {}
    ~TAnswerProbe() { Stop(); }
    // For work of the test itself on the window's thread (a picture of the window).
    void Pause() {
        FPaused = true;
        while (!FIdle) {
            Application->ProcessMessages();
            ::Sleep(1);
        }
    }
    void Resume() { FPaused = false; }
    // Keeps answering while the thread ends, so its last message is not left waiting.
    void Stop() {
        FStop = true;
        while (!FDone) {
            Application->ProcessMessages();
            ::Sleep(1);
        }
        if (FThread.joinable())
            FThread.join();
    }
    std::int64_t WorstMs() const { return FWorst; }
    // Messages answered after more than 100 ms.
    int Late() const { return FLate; }
    int Sent() const { return FSent; }

private:
    std::atomic<bool> FStop{false};
    std::atomic<bool> FDone{false};
    std::atomic<bool> FPaused{false};
    std::atomic<bool> FIdle{false};
    std::atomic<std::int64_t> FWorst{0};
    std::atomic<int> FLate{0};
    std::atomic<int> FSent{0};
    std::thread FThread;
};

// Jobs are slowed down between copies, so each test knows it catches them running.
class AppJobTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        SetPace(std::chrono::milliseconds(2));
    }
    void TearDown() override {
        AppTest::TearDown();
        TPageJob::Pace() = nullptr;
    }
    static void SetPace(std::chrono::milliseconds pause) {
        TPageJob::Pace() = [pause] { std::this_thread::sleep_for(pause); };
    }
    bool WaitForProgress(TJobProgressBar& bar) {
        return PumpUntil([&] { return bar.Visible(); }, std::chrono::seconds(20));
    }
    bool WaitForEnd() {
        return PumpUntil([this] { return !form_->JobRunning(); }, std::chrono::seconds(20));
    }
};

TEST_F(AppJobTest, LongSplitKeepsTheWindowAnsweringShowsProgressAndCancelsCleanly) {
    const std::string folder = temp_ / "Data";
    const std::string source = folder + "\\disc.iso";
    MakeSparseFile(source, std::int64_t{3} << 30);
    WriteFile(folder + "\\notes.txt", "not part of the job");
    const auto before = Listing(folder);
    TFormMain& form = Form();
    form.EditFile->SetText(source);
    form.EditOutputFolder->SetText("");
    form.RadioButton100->SetChecked(true);
    TAnswerProbe probe(form.Handle());

    Click(form.btnStart);
    EXPECT_TRUE(form.JobRunning());
    EXPECT_FALSE(form.SplitProgress->Visible()) << "nothing shows in the first half second";
    EXPECT_EQ(form.btnStart->Caption(), "Start");
    ASSERT_TRUE(WaitForProgress(*form.SplitProgress));
    EXPECT_EQ(form.btnStart->Caption(), "Cancel");
    for (TControl* input : std::initializer_list<TControl*>{form.EditFile, form.EditOutputFolder, form.btnSelectfile,
                                                            form.btnOutputFolder, form.RadioButton100,
                                                            form.sDecimalSpinEditMB, form.btnStartJoin})
        EXPECT_FALSE(input->Enabled()) << input->Name();
    EXPECT_TRUE(form.btnStart->Enabled());
    const std::int64_t first = form.SplitProgress->Done();
    ASSERT_TRUE(PumpUntil([&] { return form.SplitProgress->Done() > first + (std::int64_t{20} << 20); },
                          std::chrono::seconds(20)))
        << "the bar moves";
    EXPECT_GT(form.SplitProgress->FillWidth(), 0);
    EXPECT_THAT(form.SplitProgress->StatusText(), HasSubstr(" left"));
    probe.Pause();
    DumpClientArea(form, "Split progress");
    probe.Resume();
    EXPECT_TRUE(messages_.empty());

    Click(form.btnStart);
    ASSERT_TRUE(WaitForEnd());
    probe.Stop();
    // Within 100 ms; a machine shared with other work may hold the thread now and then,
    // but never for long (Windows speaks of "Not Responding" after five seconds).
    EXPECT_GT(probe.Sent(), 20);
    EXPECT_LE(probe.Late() * 20, probe.Sent()) << "more than one message in twenty answered late";
    EXPECT_LT(probe.WorstMs(), 1000);
    std::printf("window answers: %d messages, %d later than 100 ms, worst %lld ms\n", probe.Sent(), probe.Late(),
                static_cast<long long>(probe.WorstMs()));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Text, "Split job was cancelled.");
    EXPECT_EQ(messages_[0].Caption, "Demo");
    EXPECT_EQ(messages_[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(Listing(folder), before) << "the parts written so far are gone";
    EXPECT_FALSE(form.SplitProgress->Visible());
    EXPECT_EQ(form.btnStart->Caption(), "Start");
    EXPECT_TRUE(form.EditFile->Enabled());
    EXPECT_TRUE(form.btnStartJoin->Enabled());
}

TEST_F(AppJobTest, LongSplitEndsWithTodaysFilesAndMessage) {
    const std::string source = temp_ / "Data" + "\\report.doc";
    const std::string content = Pattern(5'000'000);
    WriteFile(source, content);
    std::filesystem::create_directory(temp_ / "Engine");
    TFileSplitter reference;
    reference.SetSourceFile(source);
    reference.DestFile = MakeSplitDestFile(source, temp_ / "Engine");
    reference.PartSize = FloppyPartSize;
    reference.Split();

    SetPace(std::chrono::milliseconds(120));
    TFormMain& form = Form();
    form.EditFile->SetText(source);
    Click(form.btnStart);
    ASSERT_TRUE(WaitForProgress(*form.SplitProgress));
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Text, "Split job is completed!");
    EXPECT_EQ(messages_[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_FALSE(form.SplitProgress->Visible());
    EXPECT_TRUE(form.EditFile->Enabled());
    const auto parts = Listing(temp_ / "Engine");
    ASSERT_EQ(parts.size(), 4u);
    for (const auto& [name, size] : parts)
        EXPECT_TRUE(ReadFile(temp_ / "Data" + "\\" + name) == ReadFile(temp_ / "Engine" + "\\" + name)) << name;
    EXPECT_EQ(Listing(temp_ / "Data").size(), 5u) << "the parts and the source, nothing else";
}

TEST_F(AppJobTest, EscapeAndClosingTheWindowCancelAJoin) {
    const std::string folder = temp_ / "Data";
    const std::string source = folder + "\\movie.avi";
    WriteFile(source, Pattern(12'000'000));
    TFileSplitter splitter;
    splitter.SetSourceFile(source);
    splitter.DestFile = MakeSplitDestFile(source, "");
    splitter.PartSize = FloppyPartSize;
    splitter.Split();
    WriteFile(source, "the older movie");
    const auto before = Listing(folder);
    SetPace(std::chrono::milliseconds(60));
    TFormMain& form = Form();
    form.PageControl1->SetActivePage(form.TabSheet2);
    form.EditFileJoin->SetText(folder + "\\movie_split003.avi");
    form.EditFileJoinFolder->SetText(folder);

    Click(form.btnStartJoin);
    ASSERT_TRUE(WaitForProgress(*form.JoinProgress));
    EXPECT_EQ(form.btnStartJoin->Caption(), "Cancel");
    EXPECT_FALSE(form.btnStart->Enabled()) << "one job at a time";
    HWND focus = ::GetFocus();
    ::PostMessageA(focus != nullptr ? focus : form.btnStartJoin->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Text, "Join job was cancelled.");
    EXPECT_EQ(Listing(folder), before);
    EXPECT_TRUE(ReadFile(source) == "the older movie");

    // Closing asks first; "No" lets the job go on.
    messages_.clear();
    Click(form.btnStartJoin);
    ASSERT_TRUE(WaitForProgress(*form.JoinProgress));
    answer_ = IDNO;
    form.Close();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].Text, "A join job is running. Do you want to cancel it and close the window?");
    EXPECT_EQ(messages_[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_TRUE(form.JobRunning());
    EXPECT_TRUE(form.Visible());
    answer_ = IDYES;
    form.Close();
    EXPECT_FALSE(form.JobRunning()) << "the job ended before the window closed";
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(messages_.size(), 2u) << "a plain cancellation the user asked for is not told again";
    EXPECT_EQ(Listing(folder), before);
}

} // namespace
} // namespace sj
