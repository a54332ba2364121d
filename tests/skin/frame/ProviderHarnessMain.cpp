// The provider harness program: shows the harness form for a look or a screenshot.
//   provider_harness.exe [SKIN_NAME [SECONDS [plain]]]
// "plain" shows it without extended borders. Without SECONDS it runs until closed.
#include "tests/skin/frame/ProviderHarness.h"

#include <cstdlib>
#include <cstring>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace sj;
    using namespace sj::provider_harness;
    const std::string skin = __argc > 1 ? __argv[1] : kZest;
    const int seconds = __argc > 2 ? std::atoi(__argv[2]) : 0;
    const bool extended = !(__argc > 3 && std::strcmp(__argv[3], "plain") == 0);
    try {
        auto* form = new TProviderHarnessForm(Application, skin, extended);
        form->AddUserButtons();
        form->Provider->SetGripMode(TsGripMode::gmRightBottom);
        form->Provider->TitleButtons().Items(0).OnMouseUp = [form](TObject*, TMouseButton, TShiftState, int, int) {
            form->SetCaption(form->Caption() + " *");
        };
        // A menu bar over the client area, with a pop-up behind each item.
        auto* bar = new TMainMenu(form);
        for (const char* caption : {"&File", "&Edit", "&View", "&Help"}) {
            auto* item = new TMenuItem(bar);
            item->SetCaption(caption);
            bar->Items().Add(item);
            for (const char* entry : {"&First", "&Second", "-", "&Third"}) {
                auto* sub = new TMenuItem(bar);
                sub->SetCaption(entry);
                item->Add(sub);
            }
        }
        form->SetMenu(bar);
        form->Show();
        if (seconds > 0)
            ::SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000u,
                       [](HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(0); });
        Application->Run();
    } catch (const std::exception& error) {
        ::MessageBoxA(nullptr, error.what(), "Provider harness", MB_OK | MB_ICONERROR);
        return 1;
    }
    return 0;
}
