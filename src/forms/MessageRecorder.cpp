#include "forms/MessageRecorder.h"

namespace sj {

namespace {
const char* const kRecorderProperty = "SjMessageRecorder";
}

TMessageRecorder::TMessageRecorder(TControl& control) {
    hook_ = control.HookWindowProc([this](TMessage& message, const TWndNext& next) {
        messages_.push_back(TRecordedMessage{message.Msg, message.WParam, message.LParam});
        next(message);
    });
}

TMessageRecorder::TMessageRecorder(HWND window) : window_(window) {
    ::SetPropA(window, kRecorderProperty, this);
    previous_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TMessageRecorder::SubclassProc)));
}

TMessageRecorder::~TMessageRecorder() {
    hook_.Unhook();
    if (window_ != nullptr && ::IsWindow(window_)) {
        if (::GetWindowLongPtrA(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TMessageRecorder::SubclassProc))
            ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        ::RemovePropA(window_, kRecorderProperty);
    }
}

LRESULT CALLBACK TMessageRecorder::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* recorder = static_cast<TMessageRecorder*>(::GetPropA(window, kRecorderProperty));
    if (recorder == nullptr)
        return ::DefWindowProcA(window, msg, wParam, lParam);
    recorder->messages_.push_back(TRecordedMessage{msg, wParam, lParam});
    WNDPROC previous = recorder->previous_;
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropA(window, kRecorderProperty);
        recorder->window_ = nullptr;
    }
    return ::CallWindowProcA(previous, window, msg, wParam, lParam);
}

int TMessageRecorder::Count(UINT msg) const {
    return static_cast<int>(
        std::count_if(messages_.begin(), messages_.end(), [msg](const TRecordedMessage& m) { return m.Msg == msg; }));
}

int TMessageRecorder::IndexOf(UINT msg) const {
    for (size_t i = 0; i < messages_.size(); ++i) {
        if (messages_[i].Msg == msg)
            return static_cast<int>(i);
    }
    return -1;
}

namespace {

void PrintWindowTree(TWinControl& control, HDC dc) {
    control.Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    for (int i = 0; i < control.ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(control.Controls(i));
        if (child == nullptr || !child->Visible() || !child->HandleAllocated())
            continue;
        int saved = ::SaveDC(dc);
        POINT origin{};
        ::GetViewportOrgEx(dc, &origin);
        ::SetViewportOrgEx(dc, origin.x + child->Left(), origin.y + child->Top(), nullptr);
        ::IntersectClipRect(dc, 0, 0, child->Width(), child->Height());
        PrintWindowTree(*child, dc);
        ::RestoreDC(dc, saved);
    }
}

} // namespace

std::unique_ptr<TBitmap> CaptureControl(TControl& control) {
    auto* windowed = dynamic_cast<TWinControl*>(&control);
    RECT client = control.ClientRect();
    auto bitmap = std::make_unique<TBitmap>(std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
    HDC dc = bitmap->Canvas().Handle();
    int saved = ::SaveDC(dc);
    if (windowed != nullptr) {
        windowed->HandleNeeded();
        PrintWindowTree(*windowed, dc);
    } else {
        ::IntersectClipRect(dc, 0, 0, client.right, client.bottom);
        control.Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
    ::RestoreDC(dc, saved);
    ::GdiFlush();
    return bitmap;
}

} // namespace sj
