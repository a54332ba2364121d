// The nesting wait cursor: every BeginWaitCursor shows the hourglass, and the
// EndWaitCursor that closes the outermost level brings the default cursor back.
// Unmatched EndWaitCursor calls are harmless.
//
// The cursor itself is shown through a replaceable setter, so the form framework's
// screen cursor can take it over and tests can watch it.
#pragma once

namespace sj {

// Shows the hourglass (wait == true) or the default cursor.
using TWaitCursorSetter = void (*)(bool wait);

// The platform's own setter: the Win32 cursor on Windows, nothing elsewhere.
void PlatformWaitCursor(bool wait);

// Installs a setter (nullptr: the platform's) and returns the one it replaces.
TWaitCursorSetter SetWaitCursorSetter(TWaitCursorSetter setter);

void BeginWaitCursor();
void EndWaitCursor();

// The current nesting depth.
int WaitCursorCount();

// Enters the wait state for the lifetime of the object, also when an error leaves the scope.
class TWaitCursorScope {
public:
    TWaitCursorScope() { BeginWaitCursor(); }
    ~TWaitCursorScope() { EndWaitCursor(); }
    TWaitCursorScope(const TWaitCursorScope&) = delete;
    TWaitCursorScope& operator=(const TWaitCursorScope&) = delete;
};

} // namespace sj
