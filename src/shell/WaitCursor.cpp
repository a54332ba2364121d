#include "shell/WaitCursor.h"

namespace sj {
namespace {

int Count = 0;
TWaitCursorSetter Setter = nullptr;

void ShowCursor(bool wait) {
    (Setter != nullptr ? Setter : &PlatformWaitCursor)(wait);
}

} // namespace

TWaitCursorSetter SetWaitCursorSetter(TWaitCursorSetter setter) {
    const TWaitCursorSetter previous = Setter != nullptr ? Setter : &PlatformWaitCursor;
    Setter = setter;
    return previous;
}

void BeginWaitCursor() {
    ++Count;
    ShowCursor(true);
}

void EndWaitCursor() {
    if (Count <= 0)
        return;
    if (--Count == 0)
        ShowCursor(false);
}

int WaitCursorCount() {
    return Count;
}

} // namespace sj
