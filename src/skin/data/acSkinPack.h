// Skin packages ("ASzf" files) and the skins stored inside the program.
//
// A package is the magic "ASzf", a member count N and N members back to back, each
// a name, its unpacked size and one zlib stream. The compressed length is not
// stored: a member ends where its zlib stream ends, so the reader must stop exactly
// there and give back whatever it read ahead.
#pragma once

#include "platform/Pixmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace sj {

using TacBytes = std::vector<std::uint8_t>;

// A read position over bytes held elsewhere (a package in memory).
class TacByteSource {
public:
    explicit TacByteSource(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}

    std::size_t Position() const { return FPos; }
    std::size_t Size() const { return FBytes.size(); }
    std::size_t Remaining() const { return FBytes.size() - FPos; }
    void Seek(std::size_t pos);
    // Moves the position back; used to give back input read beyond a stream's end.
    void Unread(std::size_t count);

    // Copies up to `count` bytes; answers how many were copied.
    std::size_t Read(void* target, std::size_t count);
    // Copies exactly `count` bytes or throws EFileError("Stream read error").
    void ReadExact(void* target, std::size_t count);
    std::int32_t ReadInt32();

private:
    std::span<const std::uint8_t> FBytes;
    std::size_t FPos = 0;
};

// Inflates one zlib stream starting at the source position into exactly `unpackedSize`
// bytes and leaves the source at the first byte after the stream's end. Throws on a
// truncated or corrupt stream and when the stream's length disagrees with the size.
TacBytes InflateMember(TacByteSource& source, std::int32_t unpackedSize);

// One unpacked image member of a package.
struct TacImageItem {
    std::string MemberName; // as stored
    bool IsBmp = false;     // upper-cased extension is ".BMP"
    TacBytes Content;
};

inline constexpr const char* sNotPackedSkin = "Loaded data is not a packed skin file";

// Unpacks a whole package into memory at once.
class TacSkinConvertor {
public:
    std::int32_t ImageMemberCount = 0;
    std::vector<TacImageItem> Members;
    std::unique_ptr<TacBytes> DescriptionStream; // absent until "Options.dat" was read

    // Parses a package. Throws sj::Exception(sNotPackedSkin) for a wrong magic and
    // the reading layer's errors for truncated or corrupt members; the reader is left
    // empty after any failure.
    void ReadPackage(std::span<const std::uint8_t> source);
    void ClearMembers();

    // The first member whose upper-cased name equals `upperName`, or nullptr.
    const TacImageItem* FindMember(const std::string& upperName) const;
};

// Reads the package file into `reader` (created when empty). A file that does not
// exist leaves `reader` as it was. The packed bytes are released once read.
void LoadPackageFile(const std::string& fileName, std::unique_ptr<TacSkinConvertor>& reader);

// One internal skin: a name and the exact bytes of one package. The other values
// describe the skin and are only stored and copied.
struct TsStoredSkin {
    std::string Name;
    TacPixmap MasterBitmap;
    std::uint32_t Shadow1Color = 0;
    std::int32_t Shadow1Offset = 0;
    std::int32_t Shadow1Blur = -1;
    std::int32_t Shadow1Transparency = 0;
    std::uint32_t BorderColor = 0x00FF00FF;
    double Version = 0;
    std::string Author;
    std::string Description;
    TacBytes DataStream; // the "Data" binary property

    void Assign(const TsStoredSkin& source) { *this = source; }
};

// The collection of internal skins; tells its owner when an item changes.
class TsStoredSkins {
public:
    std::function<void()> OnSkinListChanged;

    int Count() const { return static_cast<int>(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    const TsStoredSkin& operator[](int index) const { return FItems.at(static_cast<std::size_t>(index)); }

    TsStoredSkin& Add(TsStoredSkin item);
    void Delete(int index);
    void Clear();
    // Changes one item through `edit`, then notifies the owner.
    void Update(int index, const std::function<void(TsStoredSkin&)>& edit);

    // Index of the first item whose name equals `name` exactly (case-sensitive), or -1.
    int IndexOfSkin(const std::string& name) const;

private:
    void Changed();
    std::vector<TsStoredSkin> FItems;
};

} // namespace sj
