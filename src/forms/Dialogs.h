// Message boxes and the open-file dialog.
//
// Every message box of the program goes through one replaceable function
// (`MessageBoxFunc`, MessageBoxA by default) and every open-file dialog through
// `OpenFileNameFunc` (GetOpenFileNameA by default), so tests answer them without a
// person. `TMessageBoxOverride` / `TOpenFileNameOverride` swap them for a scope.
#pragma once

#include "forms/Classes.h"

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <string>
#include <vector>

namespace sj {

using TMessageBoxFunc = std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)>;
using TOpenFileNameFunc = std::function<bool(OPENFILENAMEA& request)>;

// The replaceable doors; assigning an empty function restores the system's dialog.
TMessageBoxFunc& MessageBoxFunc();
TOpenFileNameFunc& OpenFileNameFunc();

// Shows a message box through MessageBoxFunc; returns IDOK, IDCANCEL, IDYES...
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// The caption of ShowMessage and MessageDlg boxes of type mtCustom: the
// application's title (the application sets it), else the program's file name.
const std::string& DefaultMessageCaption();
void SetDefaultMessageCaption(const std::string& caption);

// Information-less message with an OK button, captioned with the default caption.
void ShowMessage(const std::string& text);

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgButton : unsigned {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64,
};
using TMsgDlgButtons = unsigned;
inline constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
inline constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;
inline constexpr TMsgDlgButtons mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;
inline constexpr TMsgDlgButtons mbRetryCancel = mbRetry | mbCancel;

// A message box whose caption ("Warning", "Error", "Information", "Confirm") and
// icon follow the type. The buttons map onto the nearest system set. Returns the
// button pressed as IDOK, IDYES... (the same numbers as the modal results).
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

// The system flags and caption MessageDlg uses (for tests and the skin layer).
UINT MessageDlgFlags(TMsgDlgType type, TMsgDlgButtons buttons);
std::string MessageDlgCaption(TMsgDlgType type);

// Swaps MessageBoxFunc for the life of the object.
class TMessageBoxOverride {
public:
    explicit TMessageBoxOverride(TMessageBoxFunc func);
    ~TMessageBoxOverride();
    TMessageBoxOverride(const TMessageBoxOverride&) = delete;
    TMessageBoxOverride& operator=(const TMessageBoxOverride&) = delete;

private:
    TMessageBoxFunc FPrevious;
};

class TOpenFileNameOverride {
public:
    explicit TOpenFileNameOverride(TOpenFileNameFunc func);
    ~TOpenFileNameOverride();
    TOpenFileNameOverride(const TOpenFileNameOverride&) = delete;
    TOpenFileNameOverride& operator=(const TOpenFileNameOverride&) = delete;

private:
    TOpenFileNameFunc FPrevious;
};

enum TOpenOption : unsigned {
    ofReadOnly = 1u << 0,
    ofOverwritePrompt = 1u << 1,
    ofHideReadOnly = 1u << 2,
    ofNoChangeDir = 1u << 3,
    ofShowHelp = 1u << 4,
    ofNoValidate = 1u << 5,
    ofAllowMultiSelect = 1u << 6,
    ofExtensionDifferent = 1u << 7,
    ofPathMustExist = 1u << 8,
    ofFileMustExist = 1u << 9,
    ofCreatePrompt = 1u << 10,
    ofShareAware = 1u << 11,
    ofNoReadOnlyReturn = 1u << 12,
    ofNoTestFileCreate = 1u << 13,
    ofNoNetworkButton = 1u << 14,
    ofNoLongNames = 1u << 15,
    ofOldStyleDialog = 1u << 16,
    ofNoDereferenceLinks = 1u << 17,
    ofEnableIncludeNotify = 1u << 18,
    ofEnableSizing = 1u << 19,
    ofDontAddToRecent = 1u << 20,
    ofForceShowHidden = 1u << 21,
};
using TOpenOptions = unsigned;

class TOpenDialog : public TComponent {
    SJ_CLASS(TOpenDialog, TComponent)

public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;

    std::string InitialDir;
    std::string Title;
    // Pairs "description|mask", e.g. "All Files|*.*|Text|*.txt;*.log".
    std::string Filter;
    // 1-based, like the dialog's own numbering; updated by Execute.
    int FilterIndex = 1;
    // The chosen file's full path; also the name shown when the dialog opens.
    std::string FileName;
    std::string DefaultExt;
    TOpenOptions Options = ofHideReadOnly | ofEnableSizing;

    // Every chosen file (one entry unless ofAllowMultiSelect).
    const std::vector<std::string>& Files() const { return FFiles; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

    // Shows the dialog through OpenFileNameFunc; true when the user confirmed.
    // `owner` defaults to the active window.
    bool Execute(HWND owner = nullptr);

    // The system flags for Options.
    DWORD SystemFlags() const;
    // Filter in the system's layout: NUL-separated pairs ending in two NULs.
    std::string SystemFilter() const;

private:
    void TakeResult(const std::vector<char>& buffer);

    std::vector<std::string> FFiles;
};

} // namespace sj
