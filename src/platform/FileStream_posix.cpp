#include "platform/FileStreamSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sj::filesys {

namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

int OpenFlags(TOpenMode mode) {
    switch (mode) {
    case TOpenMode::ReadShared:
        return O_RDONLY;
    case TOpenMode::CreateAlways:
        return O_RDWR | O_CREAT | O_TRUNC;
    case TOpenMode::CreateExclusive:
        return O_RDWR | O_CREAT | O_EXCL;
    }
    return O_RDONLY;
}

// The byte count of a transfer call, repeated while a signal interrupts it; empty
// when it fails otherwise.
template <typename TransferCall>
std::optional<size_t> RetriedWhileInterrupted(TransferCall call) {
    for (;;) {
        ssize_t done = call();
        if (done >= 0) {
            return static_cast<size_t>(done);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

} // namespace

intptr_t OpenFileHandle(const std::string& path, TOpenMode mode, unsigned long& error) {
    int fd;
    do {
        fd = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = static_cast<unsigned long>(errno);
        return NoFileHandle;
    }
    // open() succeeds on folders.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        error = EISDIR;
        return NoFileHandle;
    }
    if (mode == TOpenMode::ReadShared) {
        // Files are read front to back; a larger read-ahead keeps the copy loop fed.
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    return fd;
}

std::optional<size_t> ReadSome(intptr_t handle, void* buffer, size_t count) {
    return RetriedWhileInterrupted([&] { return ::read(Fd(handle), buffer, count); });
}

std::optional<size_t> WriteSome(intptr_t handle, const void* buffer, size_t count) {
    return RetriedWhileInterrupted([&] { return ::write(Fd(handle), buffer, count); });
}

std::optional<int64_t> FilePosition(intptr_t handle) {
    off_t position = ::lseek(Fd(handle), 0, SEEK_CUR);
    if (position < 0) {
        return std::nullopt;
    }
    return static_cast<int64_t>(position);
}

bool SeekFile(intptr_t handle, int64_t position) {
    return ::lseek(Fd(handle), static_cast<off_t>(position), SEEK_SET) >= 0;
}

std::optional<int64_t> FileLength(intptr_t handle) {
    struct stat info {};
    if (::fstat(Fd(handle), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<int64_t>(info.st_size);
}

std::optional<size_t> CopyFileRange(intptr_t source, intptr_t target, size_t count) {
#ifdef __linux__
    // Unsupported here (other file system, old kernel) or failing: empty, and the plain
    // read/write path then reports the precise error.
    return RetriedWhileInterrupted(
        [&] { return ::copy_file_range(Fd(source), nullptr, Fd(target), nullptr, count, 0); });
#else
    (void)source;
    (void)target;
    (void)count;
    return std::nullopt;
#endif
}

bool CloseFileHandle(intptr_t handle) noexcept {
    // After EINTR the descriptor is gone on Linux and the outcome unknown: not a failure
    // worth reporting.
    return ::close(Fd(handle)) == 0 || errno == EINTR;
}

} // namespace sj::filesys
