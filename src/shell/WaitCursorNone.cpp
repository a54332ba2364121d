#include "shell/WaitCursor.h"

namespace sj {

// Without a screen there is no cursor to change.
void PlatformWaitCursor(bool) {}

} // namespace sj
