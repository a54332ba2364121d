#include "shell/WaitCursor.h"

#include <windows.h>

namespace sj {

void PlatformWaitCursor(bool wait) {
    ::SetCursor(::LoadCursorA(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

} // namespace sj
