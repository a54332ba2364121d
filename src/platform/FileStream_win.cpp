#include "platform/FileStream.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"

#include <utility>
#include <windows.h>

namespace sj {

namespace {

const intptr_t NoHandle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);

HANDLE Win(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// ReadFile/WriteFile take 32-bit counts; larger requests go in slices.
constexpr size_t MaxSlice = 1u << 30;

intptr_t OpenOrThrow(const std::string& path, DWORD access, DWORD disposition, const char* verb) {
    HANDLE h = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw EFileError(std::string("Cannot ") + verb + " file \"" + path + "\". " +
                         SystemErrorText(LastSystemErrorCode()));
    }
    return reinterpret_cast<intptr_t>(h);
}

} // namespace

TFileStream::TFileStream(std::string path, intptr_t handle, bool writable)
    : path_(std::move(path)), handle_(handle), writable_(writable) {}

TFileStream TFileStream::OpenRead(const std::string& path) {
    return TFileStream(path, OpenOrThrow(path, GENERIC_READ, OPEN_EXISTING, "open"), false);
}

TFileStream TFileStream::Create(const std::string& path) {
    return TFileStream(path, OpenOrThrow(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, "create"), true);
}

TFileStream TFileStream::CreateNew(const std::string& path) {
    return TFileStream(path, OpenOrThrow(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW, "create"), true);
}

TFileStream::TFileStream(TFileStream&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, NoHandle)), writable_(other.writable_) {}

TFileStream& TFileStream::operator=(TFileStream&& other) noexcept {
    if (this != &other) {
        CloseQuietly();
        path_ = std::move(other.path_);
        handle_ = std::exchange(other.handle_, NoHandle);
        writable_ = other.writable_;
    }
    return *this;
}

TFileStream::~TFileStream() { CloseQuietly(); }

bool TFileStream::IsOpen() const { return handle_ != NoHandle; }

size_t TFileStream::Read(void* buffer, size_t count) {
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < count) {
        DWORD want = static_cast<DWORD>(std::min(count - done, MaxSlice));
        DWORD got = 0;
        if (!::ReadFile(Win(handle_), out + done, want, &got, nullptr)) {
            throw EFileError("Stream read error");
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

void TFileStream::ReadBuffer(void* buffer, size_t count) {
    if (Read(buffer, count) != count) {
        throw EFileError("Stream read error");
    }
}

void TFileStream::WriteBuffer(const void* buffer, size_t count) {
    const auto* in = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < count) {
        DWORD want = static_cast<DWORD>(std::min(count - done, MaxSlice));
        DWORD put = 0;
        if (!::WriteFile(Win(handle_), in + done, want, &put, nullptr) || put == 0) {
            throw EFileError("Stream write error");
        }
        done += put;
    }
}

int64_t TFileStream::Position() const {
    LARGE_INTEGER zero{};
    LARGE_INTEGER pos{};
    if (!::SetFilePointerEx(Win(handle_), zero, &pos, FILE_CURRENT)) {
        throw EFileError("Stream read error");
    }
    return pos.QuadPart;
}

void TFileStream::Seek(int64_t position) {
    LARGE_INTEGER target{};
    target.QuadPart = position;
    if (position < 0 || !::SetFilePointerEx(Win(handle_), target, nullptr, FILE_BEGIN)) {
        throw EFileError("Stream read error");
    }
}

int64_t TFileStream::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Win(handle_), &size)) {
        throw EFileError("Stream read error");
    }
    return size.QuadPart;
}

std::optional<size_t> TFileStream::TryCopyDirect(TFileStream&, size_t) {
    // CopyFileEx copies whole files only; ranges go through the caller's buffer.
    return std::nullopt;
}

void TFileStream::Close() {
    if (handle_ == NoHandle) {
        return;
    }
    HANDLE h = Win(std::exchange(handle_, NoHandle));
    if (!::CloseHandle(h) && writable_) {
        throw EFileError("Stream write error");
    }
}

void TFileStream::CloseQuietly() noexcept {
    if (handle_ != NoHandle) {
        ::CloseHandle(Win(std::exchange(handle_, NoHandle)));
    }
}

} // namespace sj
