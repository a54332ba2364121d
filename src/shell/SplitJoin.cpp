// The program's entry: the title from the product configuration, the icon from
// icon.ico, then the main window and the message loop. A failure before the loop
// runs is shown in a message box and ends the program.
#include "forms/Dialogs.h"
#include "forms/Forms.h"
#include "shell/MainUnit.h"
#include "shell/SuppliedFiles.h"
#include "shell/UtilFuncs.h"

#include <windows.h>

namespace {

void ScreenWaitCursor(bool wait) {
    if (sj::Screen != nullptr)
        sj::Screen->SetCursor(wait ? sj::crHourGlass : sj::crDefault);
}

int RunProgram() {
    using namespace sj;
    try {
        Application->SetTitle(ReadApplicationTitle(ConfigFileName()));
        Application->Icon().LoadFromFile(ExecutableFolder() + IconFileName);
        SetWaitCursorSetter(ScreenWaitCursor);
        TFormMain* mainForm = nullptr;
        Application->CreateForm(mainForm);
        Application->Run();
        DoneApplication();
        return 0;
    } catch (...) {
        Application->HandleException(std::current_exception());
        return 1;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunProgram();
}
