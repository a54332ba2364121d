// The handful of system calls under TFileStream, implemented once per platform
// (FileStream_posix.cpp, FileStream_win.cpp). They retry what the system asks to be
// retried and report failure by their results only; the loops, the checks and the
// messages users see live in the portable FileStream.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace sj::filesys {

// The handle of no open file: -1, which is also Windows' INVALID_HANDLE_VALUE.
constexpr intptr_t NoFileHandle = -1;

enum class TOpenMode {
    ReadShared,     // an existing file, read-only, others may read and write it
    CreateAlways,   // read and write, replacing a file that exists
    CreateExclusive // read and write, only when no entry of that name exists
};

// The open handle, or NoFileHandle with the system's error code in `error`.
// Folders are refused: reading one would only fail later.
intptr_t OpenFileHandle(const std::string& path, TOpenMode mode, unsigned long& error);

// One read of up to count bytes: how many came (0 at the end), empty on failure.
std::optional<size_t> ReadSome(intptr_t handle, void* buffer, size_t count);
// One write of up to count bytes: how many went, empty on failure.
std::optional<size_t> WriteSome(intptr_t handle, const void* buffer, size_t count);

std::optional<int64_t> FilePosition(intptr_t handle);
bool SeekFile(intptr_t handle, int64_t position);
std::optional<int64_t> FileLength(intptr_t handle);

// Copies up to count bytes between the handles' positions inside the system; empty
// when the system cannot (nothing was copied then). 0 means the source's end.
std::optional<size_t> CopyFileRange(intptr_t source, intptr_t target, size_t count);

// Closes the handle; false when the system reported a failure, which for a file that
// was written may mean data that never reached it.
bool CloseFileHandle(intptr_t handle) noexcept;

} // namespace sj::filesys
