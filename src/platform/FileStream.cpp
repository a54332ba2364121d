#include "platform/FileStream.h"

#include "platform/Exception.h"
#include "platform/FileStreamSystem.h"
#include "platform/FileSystem.h"

#include <utility>

namespace sj {

using filesys::NoFileHandle;
using filesys::TOpenMode;

namespace {

intptr_t OpenOrThrow(const std::string& path, TOpenMode mode, const char* verb) {
    unsigned long error = 0;
    intptr_t handle = filesys::OpenFileHandle(path, mode, error);
    if (handle == NoFileHandle) {
        throw EFileError(std::string("Cannot ") + verb + " file \"" + path + "\". " + SystemErrorText(error));
    }
    return handle;
}

} // namespace

TFileStream::TFileStream(std::string path, intptr_t handle, bool writable)
    : path_(std::move(path)), handle_(handle), writable_(writable) {}

TFileStream TFileStream::OpenRead(const std::string& path) {
    return TFileStream(path, OpenOrThrow(path, TOpenMode::ReadShared, "open"), false);
}

TFileStream TFileStream::Create(const std::string& path) {
    return TFileStream(path, OpenOrThrow(path, TOpenMode::CreateAlways, "create"), true);
}

TFileStream TFileStream::CreateNew(const std::string& path) {
    return TFileStream(path, OpenOrThrow(path, TOpenMode::CreateExclusive, "create"), true);
}

TFileStream::TFileStream(TFileStream&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, NoFileHandle)), writable_(other.writable_) {}

TFileStream& TFileStream::operator=(TFileStream&& other) noexcept {
    if (this != &other) {
        CloseQuietly();
        path_ = std::move(other.path_);
        handle_ = std::exchange(other.handle_, NoFileHandle);
        writable_ = other.writable_;
    }
    return *this;
}

TFileStream::~TFileStream() { CloseQuietly(); }

bool TFileStream::IsOpen() const { return handle_ != NoFileHandle; }

size_t TFileStream::Read(void* buffer, size_t count) {
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    // A regular file may still return less than asked (signals, large requests);
    // only a zero return means the end.
    while (done < count) {
        std::optional<size_t> got = filesys::ReadSome(handle_, out + done, count - done);
        if (!got) {
            throw EFileError("Stream read error");
        }
        if (*got == 0) {
            break;
        }
        done += *got;
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
        std::optional<size_t> put = filesys::WriteSome(handle_, in + done, count - done);
        // Writing nothing at all would loop for ever (a full disk on some systems).
        if (!put || *put == 0) {
            throw EFileError("Stream write error");
        }
        done += *put;
    }
}

int64_t TFileStream::Position() const {
    std::optional<int64_t> position = filesys::FilePosition(handle_);
    if (!position) {
        throw EFileError("Stream read error");
    }
    return *position;
}

void TFileStream::Seek(int64_t position) {
    if (position < 0 || !filesys::SeekFile(handle_, position)) {
        throw EFileError("Stream read error");
    }
}

int64_t TFileStream::Size() const {
    std::optional<int64_t> length = filesys::FileLength(handle_);
    if (!length) {
        throw EFileError("Stream read error");
    }
    return *length;
}

std::optional<size_t> TFileStream::TryCopyDirect(TFileStream& source, size_t count) {
    return filesys::CopyFileRange(source.handle_, handle_, count);
}

void TFileStream::Close() {
    if (handle_ == NoFileHandle) {
        return;
    }
    // Closing is where some file systems report delayed write failures.
    if (!filesys::CloseFileHandle(std::exchange(handle_, NoFileHandle)) && writable_) {
        throw EFileError("Stream write error");
    }
}

void TFileStream::CloseQuietly() noexcept {
    if (handle_ != NoFileHandle) {
        filesys::CloseFileHandle(std::exchange(handle_, NoFileHandle));
    }
}

} // namespace sj
