// The harness program: shows the harness form in a skin for a look or a screenshot.
//   scroll_harness.exe [SKIN_NAME [SECONDS [dialogs]]]
// Without SECONDS it runs until the window is closed; with "dialogs" the dialogs open
// a second after start, as if the button had been pressed (for a screenshot). The "Dialogs" button opens a
// message box, the file-open dialog and the folder browser one after the other, and a
// form made at run time without a provider.
#include "tests/skin/harness/ScrollHarness.h"

#include <shlobj.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "forms/Dialogs.h"

namespace {

std::function<void()> gOpenDialogs;

void CALLBACK OpenDialogsSoon(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (gOpenDialogs)
        gOpenDialogs();
}

void ShowSystemDialogs(HWND owner) {
    ::MessageBoxA(owner, "A message box of the harness.", "Harness", MB_OK | MB_ICONINFORMATION);
    char file[MAX_PATH] = {};
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = owner;
    open.lpstrFilter = "All files\0*.*\0";
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    ::GetOpenFileNameA(&open);
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = "Pick a folder";
    if (LPITEMIDLIST chosen = ::SHBrowseForFolderA(&browse))
        ::CoTaskMemFree(chosen);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace sj;
    using namespace sj::harness;
    const std::string skin = __argc > 1 ? __argv[1] : "Zest (internal)";
    const int seconds = __argc > 2 ? std::atoi(__argv[2]) : 0;
    try {
        auto* form = new TScrollHarnessForm(Application, skin, srStdForms | srStdDialogs | srThirdParty);
        form->DialogButton->OnClick = [form](TObject*) {
            ShowSystemDialogs(form->Handle());
            auto* plain = new TForm(Application);
            plain->SetCaption("Made at run time");
            plain->SetBounds(120, 120, 300, 160);
            plain->Show();
        };
        form->Show();
        form->Fill();
        if (__argc > 3 && std::string(__argv[3]) == "dialogs") {
            gOpenDialogs = [form] { form->DialogButton->OnClick(form->DialogButton); };
            ::SetTimer(nullptr, 0, 1000, &OpenDialogsSoon);
        }
        if (seconds > 0) {
            Pump(static_cast<DWORD>(seconds) * 1000);
            delete form;
        } else {
            Application->Run();
        }
        DoneApplication();
        return 0;
    } catch (...) {
        Application->HandleException(std::current_exception());
        return 1;
    }
}
