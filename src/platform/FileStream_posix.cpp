#include "platform/FileStream.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace sj {

namespace {

constexpr intptr_t NoHandle = -1;

int Fd(intptr_t handle) { return static_cast<int>(handle); }

[[noreturn]] void ThrowOpenError(const char* verb, const std::string& path, int code) {
    throw EFileError(std::string("Cannot ") + verb + " file \"" + path + "\". " +
                     SystemErrorText(static_cast<unsigned long>(code)));
}

intptr_t OpenOrThrow(const std::string& path, int flags, const char* verb) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        ThrowOpenError(verb, path, errno);
    }
    // open() succeeds on folders; reading one would only fail later, so refuse now.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        ThrowOpenError(verb, path, EISDIR);
    }
    return fd;
}

} // namespace

TFileStream::TFileStream(std::string path, intptr_t handle, bool writable)
    : path_(std::move(path)), handle_(handle), writable_(writable) {}

TFileStream TFileStream::OpenRead(const std::string& path) {
    intptr_t fd = OpenOrThrow(path, O_RDONLY, "open");
    // Files are read front to back; a larger read-ahead keeps the copy loop fed.
    ::posix_fadvise(Fd(fd), 0, 0, POSIX_FADV_SEQUENTIAL);
    return TFileStream(path, fd, false);
}

TFileStream TFileStream::Create(const std::string& path) {
    return TFileStream(path, OpenOrThrow(path, O_RDWR | O_CREAT | O_TRUNC, "create"), true);
}

TFileStream TFileStream::CreateNew(const std::string& path) {
    return TFileStream(path, OpenOrThrow(path, O_RDWR | O_CREAT | O_EXCL, "create"), true);
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
    // A regular file may still return less than asked (signals, large requests);
    // only a zero return means the end.
    while (done < count) {
        ssize_t got = ::read(Fd(handle_), out + done, count - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EFileError("Stream read error");
        }
        if (got == 0) {
            break;
        }
        done += static_cast<size_t>(got);
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
        ssize_t put = ::write(Fd(handle_), in + done, count - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            throw EFileError("Stream write error");
        }
        done += static_cast<size_t>(put);
    }
}

int64_t TFileStream::Position() const {
    off_t pos = ::lseek(Fd(handle_), 0, SEEK_CUR);
    if (pos < 0) {
        throw EFileError("Stream read error");
    }
    return static_cast<int64_t>(pos);
}

void TFileStream::Seek(int64_t position) {
    if (position < 0 || ::lseek(Fd(handle_), static_cast<off_t>(position), SEEK_SET) < 0) {
        throw EFileError("Stream read error");
    }
}

int64_t TFileStream::Size() const {
    struct stat info {};
    if (::fstat(Fd(handle_), &info) != 0) {
        throw EFileError("Stream read error");
    }
    return static_cast<int64_t>(info.st_size);
}

std::optional<size_t> TFileStream::TryCopyDirect(TFileStream& source, size_t count) {
#ifdef __linux__
    for (;;) {
        ssize_t moved = ::copy_file_range(Fd(source.handle_), nullptr, Fd(handle_), nullptr, count, 0);
        if (moved >= 0) {
            return static_cast<size_t>(moved);
        }
        if (errno != EINTR) {
            // Unsupported here (other file system, old kernel) or failing: the plain
            // read/write path then reports the precise error.
            return std::nullopt;
        }
    }
#else
    (void)source;
    (void)count;
    return std::nullopt;
#endif
}

void TFileStream::Close() {
    if (handle_ == NoHandle) {
        return;
    }
    int fd = Fd(std::exchange(handle_, NoHandle));
    // close() is where some file systems report delayed write failures.
    if (::close(fd) != 0 && writable_ && errno != EINTR) {
        throw EFileError("Stream write error");
    }
}

void TFileStream::CloseQuietly() noexcept {
    if (handle_ != NoHandle) {
        ::close(Fd(std::exchange(handle_, NoHandle)));
    }
}

} // namespace sj
