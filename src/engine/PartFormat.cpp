#include "engine/PartFormat.h"

#include "platform/Exception.h"
#include "platform/PathUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sj {

namespace {

void PutInt32(std::byte* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
    }
}

uint32_t GetUInt32(const std::byte* at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(at[i]) << (8 * i);
    }
    return value;
}

void PutPrefix(std::byte* block, TPartKind kind, int32_t headerSize, int32_t payloadSize) {
    std::memcpy(block, PartMagic, PartMagicSize);
    block[8] = static_cast<std::byte>(kind);
    PutInt32(block + 9, static_cast<uint32_t>(headerSize));
    PutInt32(block + 13, static_cast<uint32_t>(payloadSize));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsForbiddenInName(char c) {
    return static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"/\\|?*", c) != nullptr;
}

std::string UpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

// Windows opens the device, not a file, for these names whatever the extension.
bool IsReservedDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.remove_suffix(1);
    }
    std::string upper = UpperAscii(stem);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") {
        return true;
    }
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
           upper[3] <= '9';
}

[[noreturn]] void RefuseName(std::string_view name, const char* reason) {
    throw Exception("The file name \"" + std::string(name) + "\" stored in the first part " + reason);
}

} // namespace

TFirstHeaderBlock EncodeFirstHeader(int32_t payloadSize, std::string_view sourceName, uint64_t sourceSize) {
    TFirstHeaderBlock block{};
    PutPrefix(block.data(), PartKindFirst, FirstHeaderSize, payloadSize);
    size_t length = std::min(sourceName.size(), MaxStoredNameLength);
    block[NameLengthOffset] = static_cast<std::byte>(length);
    std::memcpy(block.data() + NameLengthOffset + 1, sourceName.data(), length);
    PutInt32(block.data() + SourceSizeOffset, static_cast<uint32_t>(sourceSize));
    return block;
}

TPrefixBlock EncodeContinuationHeader(bool isLast, int32_t payloadSize) {
    TPrefixBlock block{};
    PutPrefix(block.data(), isLast ? PartKindLast : PartKindMiddle, PrefixHeaderSize, payloadSize);
    return block;
}

bool HasPartMagic(const std::byte* data, size_t size) {
    return size >= PartMagicSize && std::memcmp(data, PartMagic, PartMagicSize) == 0;
}

TPartHeader DecodePartHeader(const std::byte* data, size_t size) {
    TPartHeader header;
    header.Kind = static_cast<uint8_t>(data[8]);
    header.HeaderSize = static_cast<int32_t>(GetUInt32(data + 9));
    header.PayloadSize = static_cast<int32_t>(GetUInt32(data + 13));
    if (size >= static_cast<size_t>(FirstHeaderSize)) {
        size_t length = std::min(static_cast<size_t>(data[NameLengthOffset]), MaxStoredNameLength);
        header.SourceName.assign(reinterpret_cast<const char*>(data + NameLengthOffset + 1), length);
        header.SourceSize = GetUInt32(data + SourceSizeOffset);
    }
    return header;
}

TPartNameTemplate::TPartNameTemplate(std::string_view destFile) {
    std::string ext = ExtractFileExt(destFile);
    head_ = std::string(destFile.substr(0, destFile.size() - ext.size()));
    tail_ = ext;
}

std::string TPartNameTemplate::Format(int64_t number) const {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.3lld", static_cast<long long>(number));
    return head_ + digits + tail_;
}

std::string MakeSplitDestFile(std::string_view sourceFile, std::string_view destFolder) {
    std::string folder = destFolder.empty() ? ExtractFilePath(sourceFile) : IncludeTrailingPathDelimiter(destFolder);
    std::string name = ExtractFileName(sourceFile);
    std::string ext = ExtractFileExt(name);
    return folder + name.substr(0, name.size() - ext.size()) + "_split" + ext;
}

std::optional<std::string> TSiblingPattern::NumberOf(std::string_view name) const {
    if (name.size() <= Head.size() + Ext.size()) {
        return std::nullopt;
    }
    std::string_view digits = name.substr(Head.size(), name.size() - Head.size() - Ext.size());
    if (!std::all_of(digits.begin(), digits.end(), IsDigit)) {
        return std::nullopt;
    }
    // Listing already matched head and extension by the platform's rules.
    return std::string(digits);
}

TSiblingPattern DeriveSiblingPattern(std::string_view fileName) {
    std::string name = ExtractFileName(fileName);
    std::string ext = ExtractFileExt(name);
    std::string base = name.substr(0, name.size() - ext.size());
    for (size_t i = base.size(); i >= 2; --i) {
        if (!IsDigit(base[i - 1])) {
            return TSiblingPattern{base.substr(0, i), ext};
        }
    }
    throw Exception("Sorry, can not extract info from file names");
}

int CompareNumbers(std::string_view a, std::string_view b) {
    auto stripZeros = [](std::string_view s) {
        size_t first = s.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : s.substr(first);
    };
    a = stripZeros(a);
    b = stripZeros(b);
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    int result = a.compare(b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

std::string CheckJoinedFileName(std::string_view storedName) {
    std::string_view name = storedName;
    while (!name.empty() && IsBlankOrControl(name.front())) {
        name.remove_prefix(1);
    }
    while (!name.empty() && IsBlankOrControl(name.back())) {
        name.remove_suffix(1);
    }
    if (name.empty()) {
        throw Exception("The first part stores no file name for the joined file");
    }
    if (name == "." || name == "..") {
        RefuseName(name, "is not a file name");
    }
    if (std::any_of(name.begin(), name.end(), IsForbiddenInName)) {
        RefuseName(name, "contains a folder or a character that is not allowed in file names");
    }
    if (IsReservedDeviceName(name)) {
        RefuseName(name, "is a reserved device name");
    }
    return std::string(name);
}

} // namespace sj
