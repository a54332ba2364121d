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
    for (;;) {
        ssize_t got = ::read(Fd(handle), buffer, count);
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

std::optional<size_t> WriteSome(intptr_t handle, const void* buffer, size_t count) {
    for (;;) {
        ssize_t put = ::write(Fd(handle), buffer, count);
        if (put >= 0) {
            return static_cast<size_t>(put);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
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
    for (;;) {
        ssize_t moved = ::copy_file_range(Fd(source), nullptr, Fd(target), nullptr, count, 0);
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
