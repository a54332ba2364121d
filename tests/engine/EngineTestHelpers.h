// Helpers of the engine tests: splitting a generated file and reading back what the
// part files hold.
#pragma once

#include "engine/FileSplitter.h"
#include "platform/Exception.h"
#include "platform/TempDir.h"

#include <functional>
#include <string>

namespace sj::test {

inline std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.what();
    }
    return "(no error)";
}

inline TFileSplitter MakeSplitter(const std::string& source, const std::string& destFolder, int64_t partSize) {
    TFileSplitter splitter;
    splitter.SetSourceFile(source);
    splitter.DestFile = MakeSplitDestFile(source, destFolder);
    splitter.PartSize = partSize;
    return splitter;
}

// Writes a generated file of the given size into dir and splits it beside itself.
inline std::string SplitNew(const TTempDir& dir, const std::string& name, size_t size, int64_t partSize,
                            unsigned seed = 1) {
    std::string content = RandomBytes(size, seed);
    WriteFile(dir / name, content);
    MakeSplitter(dir / name, "", partSize).Split();
    return content;
}

inline TPartHeader HeaderOf(const std::string& path) {
    std::string bytes = ReadFile(path);
    return DecodePartHeader(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size());
}

inline std::string PayloadOf(const std::string& path) {
    std::string bytes = ReadFile(path);
    TPartHeader header = HeaderOf(path);
    return bytes.substr(static_cast<size_t>(header.HeaderSize));
}

// A hand-made part file, for series our splitter would never write.
inline void WriteRawPart(const std::string& path, uint8_t kind, int32_t headerSize, int32_t payloadField,
                         const std::string& payload, const std::string& storedName = "", uint32_t sourceSize = 0) {
    std::string bytes;
    if (headerSize == FirstHeaderSize) {
        TFirstHeaderBlock block = EncodeFirstHeader(payloadField, storedName, sourceSize);
        block[8] = static_cast<std::byte>(kind);
        bytes.assign(reinterpret_cast<const char*>(block.data()), block.size());
    } else {
        TPrefixBlock block = EncodeContinuationHeader(false, payloadField);
        block[8] = static_cast<std::byte>(kind);
        block[9] = static_cast<std::byte>(headerSize);
        bytes.assign(reinterpret_cast<const char*>(block.data()), block.size());
        bytes.resize(static_cast<size_t>(std::max(headerSize, PrefixHeaderSize)), '\0');
    }
    WriteFile(path, bytes + payload);
}

} // namespace sj::test
