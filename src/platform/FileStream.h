// TFileStream: one open file with 64-bit positions, owned (closed on destruction).
// Opening for reading shares the file with other readers and writers; creating
// replaces an existing file. Every short read or write that the caller asked to be
// complete is reported as an EFileError, never ignored.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace sj {

class TFileStream {
public:
    // Opens an existing file read-only; others may keep reading and writing it.
    // Fails with "Cannot open file "PATH". <reason>".
    static TFileStream OpenRead(const std::string& path);
    // Creates the file for writing, replacing one that exists.
    // Fails with "Cannot create file "PATH". <reason>".
    static TFileStream Create(const std::string& path);
    // Creates the file for writing only when no entry of that name exists yet.
    static TFileStream CreateNew(const std::string& path);

    TFileStream(TFileStream&& other) noexcept;
    TFileStream& operator=(TFileStream&& other) noexcept;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    ~TFileStream();

    // Reads until count bytes or the end of the file; returns the number read.
    // An I/O error raises "Stream read error".
    size_t Read(void* buffer, size_t count);
    // Reads exactly count bytes or raises "Stream read error".
    void ReadBuffer(void* buffer, size_t count);
    // Writes all count bytes or raises "Stream write error".
    void WriteBuffer(const void* buffer, size_t count);

    int64_t Position() const;
    void Seek(int64_t position);
    // The current length, read from the system on every call.
    int64_t Size() const;

    // Copies up to count bytes from source's position to this stream's position
    // through the caller's buffer, so memory use does not depend on count. Stops early
    // only at the end of the source; returns the number of bytes copied. onChunk, when
    // given, is called with each chunk's length after it was written.
    template <typename OnChunk>
    int64_t CopyFrom(TFileStream& source, int64_t count, std::span<std::byte> buffer, OnChunk&& onChunk);
    int64_t CopyFrom(TFileStream& source, int64_t count, std::span<std::byte> buffer) {
        return CopyFrom(source, count, buffer, [](size_t) {});
    }

    // Closes now and reports a failure to commit written data as "Stream write
    // error". The destructor closes silently.
    void Close();
    bool IsOpen() const;
    const std::string& Path() const { return path_; }

    // Copies up to count bytes inside the system when it can (no trip through user
    // memory); empty when it cannot, and nothing was copied then. 0 means the end.
    std::optional<size_t> TryCopyDirect(TFileStream& source, size_t count);

private:
    TFileStream(std::string path, intptr_t handle, bool writable);
    void CloseQuietly() noexcept;

    std::string path_;
    intptr_t handle_;
    bool writable_;
};

template <typename OnChunk>
int64_t TFileStream::CopyFrom(TFileStream& source, int64_t count, std::span<std::byte> buffer, OnChunk&& onChunk) {
    int64_t copied = 0;
    bool direct = true;
    while (copied < count) {
        auto want = static_cast<size_t>(std::min<int64_t>(count - copied, static_cast<int64_t>(buffer.size())));
        std::optional<size_t> moved = direct ? TryCopyDirect(source, want) : std::nullopt;
        size_t got;
        if (moved) {
            got = *moved;
        } else {
            direct = false;
            got = source.Read(buffer.data(), want);
            if (got > 0) {
                WriteBuffer(buffer.data(), got);
            }
        }
        if (got == 0) {
            break;
        }
        copied += static_cast<int64_t>(got);
        onChunk(got);
    }
    return copied;
}

} // namespace sj
