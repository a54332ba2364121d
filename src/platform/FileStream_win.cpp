#include "platform/FileStreamSystem.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <windows.h>

namespace sj::filesys {

namespace {

HANDLE Win(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// ReadFile/WriteFile take 32-bit counts; larger requests go in slices.
constexpr size_t MaxSlice = 1u << 30;

DWORD Slice(size_t count) { return static_cast<DWORD>(std::min(count, MaxSlice)); }

} // namespace

intptr_t OpenFileHandle(const std::string& path, TOpenMode mode, unsigned long& error) {
    const bool reading = mode == TOpenMode::ReadShared;
    const DWORD access = reading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = reading                                 ? OPEN_EXISTING
                              : mode == TOpenMode::CreateExclusive ? CREATE_NEW
                                                                    : CREATE_ALWAYS;
    // Without FILE_FLAG_BACKUP_SEMANTICS CreateFile refuses folders by itself.
    HANDLE h = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = LastSystemErrorCode();
        return NoFileHandle;
    }
    return reinterpret_cast<intptr_t>(h);
}

std::optional<size_t> ReadSome(intptr_t handle, void* buffer, size_t count) {
    DWORD got = 0;
    if (!::ReadFile(Win(handle), buffer, Slice(count), &got, nullptr)) {
        return std::nullopt;
    }
    return got;
}

std::optional<size_t> WriteSome(intptr_t handle, const void* buffer, size_t count) {
    DWORD put = 0;
    if (!::WriteFile(Win(handle), buffer, Slice(count), &put, nullptr)) {
        return std::nullopt;
    }
    return put;
}

std::optional<int64_t> FilePosition(intptr_t handle) {
    LARGE_INTEGER zero{};
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(Win(handle), zero, &position, FILE_CURRENT)) {
        return std::nullopt;
    }
    return position.QuadPart;
}

bool SeekFile(intptr_t handle, int64_t position) {
    LARGE_INTEGER target{};
    target.QuadPart = position;
    return ::SetFilePointerEx(Win(handle), target, nullptr, FILE_BEGIN) != FALSE;
}

std::optional<int64_t> FileLength(intptr_t handle) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Win(handle), &size)) {
        return std::nullopt;
    }
    return size.QuadPart;
}

std::optional<size_t> CopyFileRange(intptr_t, intptr_t, size_t) {
    // CopyFileEx copies whole files only; ranges go through the caller's buffer.
    return std::nullopt;
}

bool CloseFileHandle(intptr_t handle) noexcept { return ::CloseHandle(Win(handle)) != FALSE; }

} // namespace sj::filesys
