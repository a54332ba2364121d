// The part file format and part naming: header layouts (little-endian int32 fields
// after the 8-byte "SPLITTED" magic), the name template of a series, the sibling
// pattern derived from one part's name, and the check of the file name stored in a
// first part before a join creates a file under it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sj {

inline constexpr char PartMagic[] = "SPLITTED";
inline constexpr size_t PartMagicSize = 8;
inline constexpr int32_t PrefixHeaderSize = 17;
inline constexpr int32_t FirstHeaderSize = 149;
inline constexpr size_t MaxStoredNameLength = 127;
inline constexpr size_t NameLengthOffset = 17;
inline constexpr size_t SourceSizeOffset = 145;

enum TPartKind : uint8_t { PartKindMiddle = 0, PartKindFirst = 1, PartKindLast = 2 };

// Smallest part size, and the first size the int32 fields cannot hold.
inline constexpr int64_t MinPartSize = 1024;
inline constexpr int64_t PartSizeLimit = int64_t{1} << 31;

// The part sizes offered by the window (and by name in the command-line tool).
inline constexpr int64_t PresetFloppy = 1509949; // 1.44 MiB, fraction dropped
inline constexpr int64_t Preset100MB = 104857600;
inline constexpr int64_t PresetCD650 = 681574400;
inline constexpr int64_t PresetCD700 = 734003200;

using TPrefixBlock = std::array<std::byte, PrefixHeaderSize>;
using TFirstHeaderBlock = std::array<std::byte, FirstHeaderSize>;

// The fields of a part header. SourceName and SourceSize are only present in a
// first part (header size 149).
struct TPartHeader {
    uint8_t Kind = 0;
    int32_t HeaderSize = 0;
    int32_t PayloadSize = 0;
    std::string SourceName;
    uint32_t SourceSize = 0;
};

// The 149-byte first header; the name is cut to 127 characters and only the low
// 32 bits of the source size are kept.
TFirstHeaderBlock EncodeFirstHeader(int32_t payloadSize, std::string_view sourceName, uint64_t sourceSize);
TPrefixBlock EncodeContinuationHeader(bool isLast, int32_t payloadSize);

bool HasPartMagic(const std::byte* data, size_t size);
// Decodes the prefix, and the first-part fields when size covers all 149 bytes.
// Expects at least PrefixHeaderSize bytes.
TPartHeader DecodePartHeader(const std::byte* data, size_t size);

// The name of part i of a series: the destination path with the number, zero-padded
// to three digits, in front of the extension.
class TPartNameTemplate {
public:
    explicit TPartNameTemplate(std::string_view destFile);
    std::string Format(int64_t number) const;

private:
    std::string head_;
    std::string tail_;
};

// The parts' path without number: folder (empty: the source's folder), the source
// base name, "_split" and the source extension.
std::string MakeSplitDestFile(std::string_view sourceFile, std::string_view destFolder);

// The sibling pattern of a part name: Head "*" Ext, where "*" stands for the
// trailing digits of the base name.
struct TSiblingPattern {
    std::string Head;
    std::string Ext;

    std::string Wildcard() const { return Head + "*" + Ext; }
    // The part number's digits when name is Head, a run of digits and Ext.
    std::optional<std::string> NumberOf(std::string_view name) const;
};

// Fails with "Sorry, can not extract info from file names" when the base name has
// fewer than two characters or nothing but digits after its first character.
TSiblingPattern DeriveSiblingPattern(std::string_view fileName);

// Compares two digit strings by value, any length, leading zeros ignored.
int CompareNumbers(std::string_view a, std::string_view b);

// Trims blanks and control characters from the stored name and refuses a name that
// could leave the destination folder or that Windows cannot create.
std::string CheckJoinedFileName(std::string_view storedName);

} // namespace sj
