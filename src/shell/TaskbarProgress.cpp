#include "shell/TaskbarProgress.h"

#include <shobjidl.h>

#include <algorithm>

namespace sj {

TTaskbarProgress::TTaskbarProgress(HWND window) : window_(window) {
    // S_FALSE (already started on this thread) must be balanced as well.
    comStarted_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    void* list = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &list)))
        return;
    list_ = static_cast<ITaskbarList3*>(list);
    if (FAILED(list_->HrInit())) {
        list_->Release();
        list_ = nullptr;
        return;
    }
    list_->SetProgressState(window_, TBPF_NORMAL);
}

TTaskbarProgress::~TTaskbarProgress() {
    if (list_ != nullptr) {
        list_->SetProgressState(window_, TBPF_NOPROGRESS);
        list_->Release();
    }
    if (comStarted_)
        ::CoUninitialize();
}

void TTaskbarProgress::SetValue(std::int64_t done, std::int64_t total) {
    if (list_ == nullptr || total <= 0)
        return;
    list_->SetProgressValue(window_, static_cast<ULONGLONG>(std::clamp<std::int64_t>(done, 0, total)),
                            static_cast<ULONGLONG>(total));
}

} // namespace sj
