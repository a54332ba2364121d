// Message boxes and the open dialog answered through their replaceable functions.
#include "forms/Dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sj {
namespace {

struct TRecordedBox {
    std::string Text;
    std::string Caption;
    UINT Flags = 0;
};

TEST(MessageBoxes, GoThroughTheReplaceableFunction) {
    std::vector<TRecordedBox> boxes;
    {
        TMessageBoxOverride answer([&](HWND, const std::string& text, const std::string& caption, UINT flags) {
            boxes.push_back({text, caption, flags});
            return IDNO;
        });
        SetDefaultMessageCaption("Demo");
        ShowMessage("Split job is completed!");
        EXPECT_EQ(MessageDlg("Overwrite?", TMsgDlgType::mtConfirmation, mbYesNoCancel), IDNO);
        EXPECT_EQ(ShowMessageBox(nullptr, "x", "Error", MB_OK | MB_ICONERROR), IDNO);
    }
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].Text, "Split job is completed!");
    EXPECT_EQ(boxes[0].Caption, "Demo");
    EXPECT_EQ(boxes[0].Flags, static_cast<UINT>(MB_OK));
    EXPECT_EQ(boxes[1].Caption, "Confirm");
    EXPECT_EQ(boxes[1].Flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(boxes[2].Flags, static_cast<UINT>(MB_OK | MB_ICONERROR));

    // The override is gone: a nested override restores its predecessor, not the system.
    int outer = 0;
    TMessageBoxOverride first([&](HWND, const std::string&, const std::string&, UINT) { return ++outer, IDOK; });
    {
        TMessageBoxOverride second([](HWND, const std::string&, const std::string&, UINT) { return IDCANCEL; });
        EXPECT_EQ(ShowMessageBox(nullptr, "", "", MB_OK), IDCANCEL);
    }
    EXPECT_EQ(ShowMessageBox(nullptr, "", "", MB_OK), IDOK);
    EXPECT_EQ(outer, 1);
    SetDefaultMessageCaption("");
    EXPECT_FALSE(DefaultMessageCaption().empty()) << "falls back to the program's name";
}

TEST(MessageBoxes, DialogTypesAndButtonSets) {
    EXPECT_EQ(MessageDlgCaption(TMsgDlgType::mtWarning), "Warning");
    EXPECT_EQ(MessageDlgCaption(TMsgDlgType::mtError), "Error");
    EXPECT_EQ(MessageDlgCaption(TMsgDlgType::mtInformation), "Information");
    EXPECT_EQ(MessageDlgFlags(TMsgDlgType::mtError, mbOK), static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_EQ(MessageDlgFlags(TMsgDlgType::mtWarning, mbOKCancel), static_cast<UINT>(MB_ICONWARNING | MB_OKCANCEL));
    EXPECT_EQ(MessageDlgFlags(TMsgDlgType::mtCustom, mbYesNo), static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(MessageDlgFlags(TMsgDlgType::mtInformation, mbAbortRetryIgnore),
              static_cast<UINT>(MB_ICONINFORMATION | MB_ABORTRETRYIGNORE));
    EXPECT_EQ(MessageDlgFlags(TMsgDlgType::mtCustom, mbRetryCancel), static_cast<UINT>(MB_RETRYCANCEL));
}

TEST(OpenDialog, PassesItsSettingsAndTakesTheAnswer) {
    TOpenDialog dialog(nullptr);
    dialog.InitialDir = "C:\\Data\\";
    dialog.Title = "Please select the file that you wish to split up into several files:";
    dialog.Filter = "All Files|*.*";
    dialog.FileName = "old.txt";
    dialog.Options |= ofFileMustExist;

    OPENFILENAMEA seen{};
    std::string seenFilter;
    std::string seenName;
    TOpenFileNameOverride answer([&](OPENFILENAMEA& request) {
        seen = request;
        seenFilter.assign(request.lpstrFilter, 16);
        seenName = request.lpstrFile;
        strcpy(request.lpstrFile, "C:\\Data\\report.doc");
        return true;
    });
    int shown = 0;
    dialog.OnShow = [&](TObject*) { ++shown; };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(shown, 1);
    ASSERT_NE(seen.lpstrInitialDir, nullptr);
    EXPECT_STREQ(seen.lpstrInitialDir, "C:\\Data\\");
    EXPECT_STREQ(seen.lpstrTitle, "Please select the file that you wish to split up into several files:");
    EXPECT_EQ(seenFilter, std::string("All Files\0*.*\0\0", 15) + '\0');
    EXPECT_EQ(seen.nFilterIndex, 1u);
    EXPECT_EQ(seenName, "old.txt");
    EXPECT_NE(seen.Flags & OFN_FILEMUSTEXIST, 0u);
    EXPECT_NE(seen.Flags & OFN_EXPLORER, 0u);
    EXPECT_GE(seen.nMaxFile, static_cast<DWORD>(MAX_PATH));

    EXPECT_EQ(dialog.FileName, "C:\\Data\\report.doc");
    ASSERT_EQ(dialog.Files().size(), 1u);
    EXPECT_EQ(dialog.Files()[0], "C:\\Data\\report.doc");
}

TEST(OpenDialog, CancelKeepsTheOldNameAndMultiSelectSplitsTheAnswer) {
    TOpenDialog dialog(nullptr);
    dialog.FileName = "keep.me";
    {
        TOpenFileNameOverride cancel([](OPENFILENAMEA&) { return false; });
        EXPECT_FALSE(dialog.Execute());
    }
    EXPECT_EQ(dialog.FileName, "keep.me");

    dialog.Options |= ofAllowMultiSelect;
    TOpenFileNameOverride several([](OPENFILENAMEA& request) {
        static const char answer[] = "C:\\Parts\0a_split001.doc\0a_split002.doc\0";
        memcpy(request.lpstrFile, answer, sizeof answer);
        request.nFilterIndex = 2;
        return true;
    });
    ASSERT_TRUE(dialog.Execute());
    ASSERT_EQ(dialog.Files().size(), 2u);
    EXPECT_EQ(dialog.Files()[0], "C:\\Parts\\a_split001.doc");
    EXPECT_EQ(dialog.Files()[1], "C:\\Parts\\a_split002.doc");
    EXPECT_EQ(dialog.FileName, dialog.Files()[0]);
    EXPECT_EQ(dialog.FilterIndex, 2);
}

TEST(OpenDialog, OverlongPresetNamesAndOddFiltersStaySafe) {
    TOpenDialog dialog(nullptr);
    dialog.FileName = std::string(100000, 'x');
    dialog.Filter = "Text|*.txt|Broken";
    std::size_t seenLength = 0;
    std::string filter;
    TOpenFileNameOverride answer([&](OPENFILENAMEA& request) {
        seenLength = strnlen(request.lpstrFile, request.nMaxFile + 1);
        const char* p = request.lpstrFilter;
        while (*p != '\0') {
            filter += p;
            filter += '|';
            p += strlen(p) + 1;
        }
        return false;
    });
    dialog.Execute();
    EXPECT_LE(seenLength, 32768u);
    EXPECT_EQ(filter, "Text|*.txt|Broken|*.*|") << "a description without a mask gets one";
}

} // namespace
} // namespace sj
