// The progress of a running job on the program's taskbar button, through the shell's
// ITaskbarList3 where the system has it; where it has not, nothing is shown and
// nothing fails. The progress goes when the object goes. User-interface thread only.
#pragma once

#include <windows.h>

#include <cstdint>

struct ITaskbarList3;

namespace sj {

class TTaskbarProgress {
public:
    // window: the window that owns the taskbar button.
    explicit TTaskbarProgress(HWND window);
    ~TTaskbarProgress();
    TTaskbarProgress(const TTaskbarProgress&) = delete;
    TTaskbarProgress& operator=(const TTaskbarProgress&) = delete;

    void SetValue(std::int64_t done, std::int64_t total);
    // Whether the system offers the taskbar progress.
    bool Available() const { return list_ != nullptr; }

private:
    HWND window_;
    ITaskbarList3* list_ = nullptr;
    bool comStarted_ = false;
};

} // namespace sj
