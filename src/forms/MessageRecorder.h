// Test seams: a recorder of the messages that pass through a control's
// WindowProc (or a plain window's procedure), and the painted image of a control
// taken into a 32-bit bitmap.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

#include "forms/Bitmap.h"
#include "forms/Controls.h"

namespace sj {

struct TRecordedMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

class TMessageRecorder {
public:
    // Records at the front of the control's WindowProc chain (attached last,
    // it sees a message before every other hook).
    explicit TMessageRecorder(TControl& control);
    // Records a window's messages by subclassing it; restores the procedure when
    // destroyed if the window still uses the recorder's.
    explicit TMessageRecorder(HWND window);
    ~TMessageRecorder();
    TMessageRecorder(const TMessageRecorder&) = delete;
    TMessageRecorder& operator=(const TMessageRecorder&) = delete;

    const std::vector<TRecordedMessage>& Messages() const { return messages_; }
    int Count(UINT msg) const;
    bool Received(UINT msg) const { return Count(msg) > 0; }
    // Index of the first message with that number, or -1.
    int IndexOf(UINT msg) const;
    void Clear() { messages_.clear(); }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    std::vector<TRecordedMessage> messages_;
    TWindowProcHook hook_;
    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
};

// The control as it paints now, at its own size: a windowed control with its
// windowed children (WM_PRINTCLIENT), a graphic control through its WM_PAINT on
// a memory DC. Pixels outside what the control paints stay 0.
std::unique_ptr<TBitmap> CaptureControl(TControl& control);

} // namespace sj
