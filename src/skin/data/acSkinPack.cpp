#include "skin/data/acSkinPack.h"

#include "platform/Exception.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace sj {

namespace {

constexpr const char* sStreamReadError = "Stream read error";
constexpr const char* sMissingDescription = "The packed skin holds no skin description (Options.dat)";
constexpr const char* sMemberSizeMismatch = "A member of the packed skin is larger than its stored size";
constexpr const char* sBadMemberSize = "A member of the packed skin has an invalid size";

// zlib is fed in blocks of this size; whatever it has not consumed when the stream
// ends is given back to the source.
constexpr std::size_t InflateBlockSize = 64 * 1024;

std::string UpperAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return s;
}

std::string UpperExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : UpperAscii(name.substr(dot));
}

// Owns a z_stream set up for inflating; ends it on every path.
class TacInflater {
public:
    TacInflater() {
        const int rc = inflateInit(&FStream);
        if (rc != Z_OK) {
            throw Exception(zError(rc));
        }
    }
    ~TacInflater() { inflateEnd(&FStream); }
    TacInflater(const TacInflater&) = delete;
    TacInflater& operator=(const TacInflater&) = delete;

    z_stream& Stream() { return FStream; }

private:
    z_stream FStream{};
};

} // namespace

void TacByteSource::Seek(std::size_t pos) {
    FPos = std::min(pos, FBytes.size());
}

void TacByteSource::Unread(std::size_t count) {
    FPos -= std::min(count, FPos);
}

std::size_t TacByteSource::Read(void* target, std::size_t count) {
    const std::size_t n = std::min(count, Remaining());
    if (n > 0) {
        std::memcpy(target, FBytes.data() + FPos, n);
        FPos += n;
    }
    return n;
}

void TacByteSource::ReadExact(void* target, std::size_t count) {
    if (count > Remaining()) {
        throw EFileError(sStreamReadError);
    }
    Read(target, count);
}

std::int32_t TacByteSource::ReadInt32() {
    std::uint8_t b[4];
    ReadExact(b, 4);
    const std::uint32_t v =
        std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24);
    return static_cast<std::int32_t>(v);
}

TacBytes InflateMember(TacByteSource& source, std::int32_t unpackedSize) {
    if (unpackedSize < 0) {
        throw Exception(sBadMemberSize);
    }
    const auto wanted = static_cast<std::size_t>(unpackedSize);
    TacInflater inflater;
    z_stream& zs = inflater.Stream();

    TacBytes result;
    std::vector<std::uint8_t> input(InflateBlockSize);
    std::vector<std::uint8_t> output(InflateBlockSize);
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (zs.avail_in == 0) {
            const std::size_t got = source.Read(input.data(), input.size());
            if (got == 0) {
                throw EFileError(sStreamReadError);
            }
            zs.next_in = input.data();
            zs.avail_in = static_cast<uInt>(got);
        }
        zs.next_out = output.data();
        zs.avail_out = static_cast<uInt>(output.size());
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            throw Exception(zError(rc == Z_NEED_DICT ? Z_DATA_ERROR : rc));
        }
        const std::size_t produced = output.size() - zs.avail_out;
        if (result.size() + produced > wanted) {
            throw Exception(sMemberSizeMismatch);
        }
        result.insert(result.end(), output.begin(), output.begin() + static_cast<std::ptrdiff_t>(produced));
    }
    // The stream has ended: hand back what zlib did not consume, so the source sits
    // on the first byte of the next member.
    source.Unread(zs.avail_in);
    if (result.size() != wanted) {
        throw EFileError(sStreamReadError);
    }
    return result;
}

void TacSkinConvertor::ClearMembers() {
    while (!Members.empty()) {
        Members.pop_back();
    }
    DescriptionStream.reset();
    ImageMemberCount = 0;
}

void TacSkinConvertor::ReadPackage(std::span<const std::uint8_t> bytes) {
    ClearMembers();
    try {
        TacByteSource source(bytes);
        char magic[4] = {};
        if (source.Read(magic, 4) != 4 || std::memcmp(magic, "ASzf", 4) != 0) {
            throw Exception(sNotPackedSkin);
        }
        const std::int32_t count = source.ReadInt32();
        // Each member takes at least its two length fields: a negative count, or one the
        // remaining bytes cannot hold, is a damaged package.
        if (count < 0 || static_cast<std::size_t>(count) > source.Remaining() / 8) {
            throw EFileError(sStreamReadError);
        }
        ImageMemberCount = count - 1;
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t nameLength = source.ReadInt32();
            if (nameLength < 0 || static_cast<std::size_t>(nameLength) > source.Remaining()) {
                throw EFileError(sStreamReadError);
            }
            std::string name(static_cast<std::size_t>(nameLength), '\0');
            source.ReadExact(name.data(), name.size());
            const std::int32_t unpackedSize = source.ReadInt32();
            TacBytes content = InflateMember(source, unpackedSize);
            if (UpperAscii(name) == "OPTIONS.DAT") {
                DescriptionStream = std::make_unique<TacBytes>(std::move(content));
            } else {
                TacImageItem item;
                item.MemberName = std::move(name);
                item.IsBmp = UpperExtension(item.MemberName) == ".BMP";
                item.Content = std::move(content);
                Members.push_back(std::move(item));
            }
        }
        if (!DescriptionStream) {
            throw Exception(sMissingDescription);
        }
    } catch (...) {
        ClearMembers();
        throw;
    }
}

const TacImageItem* TacSkinConvertor::FindMember(const std::string& upperName) const {
    for (const TacImageItem& item : Members) {
        if (UpperAscii(item.MemberName) == upperName) {
            return &item;
        }
    }
    return nullptr;
}

void LoadPackageFile(const std::string& fileName, std::unique_ptr<TacSkinConvertor>& reader) {
    const std::filesystem::path path(fileName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw EFileError("Cannot open file \"" + fileName + "\"");
    }
    const TacBytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        throw EFileError(sStreamReadError);
    }
    if (reader) {
        reader->ClearMembers();
    } else {
        reader = std::make_unique<TacSkinConvertor>();
    }
    reader->ReadPackage(bytes);
}

TsStoredSkin& TsStoredSkins::Add(TsStoredSkin item) {
    FItems.push_back(std::move(item));
    Changed();
    return FItems.back();
}

void TsStoredSkins::Delete(int index) {
    if (index < 0 || index >= Count()) {
        return;
    }
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(index));
    Changed();
}

void TsStoredSkins::Clear() {
    FItems.clear();
    Changed();
}

void TsStoredSkins::Update(int index, const std::function<void(TsStoredSkin&)>& edit) {
    edit(FItems.at(static_cast<std::size_t>(index)));
    Changed();
}

int TsStoredSkins::IndexOfSkin(const std::string& name) const {
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (FItems[i].Name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TsStoredSkins::Changed() {
    if (OnSkinListChanged) {
        OnSkinListChanged();
    }
}

} // namespace sj
