#include "SkinPackWriter.h"

#include "platform/Exception.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <fstream>

namespace sj::skingen {
namespace {

void PutInt32(std::vector<std::uint8_t>& out, std::size_t value) {
    if (value > static_cast<std::size_t>(INT32_MAX))
        throw Exception("Skin package member is too large");
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

} // namespace

void TacSkinPackWriter::AddMember(const std::string& name, std::vector<std::uint8_t> content) {
    if (name.empty() || name.find_first_of("\\/") != std::string::npos)
        throw Exception("Invalid skin package member name \"" + name + "\"");
    if (content.empty())
        throw Exception("Skin package member \"" + name + "\" is empty");
    // Readers find members by name without regard to case, so two such names would hide one.
    for (const TMember& m : FMembers)
        if (Upper(m.Name) == Upper(name))
            throw Exception("Duplicate skin package member \"" + name + "\"");
    FMembers.push_back({name, std::move(content)});
}

std::vector<std::uint8_t> TacSkinPackWriter::Encode() const {
    std::vector<std::uint8_t> out{'A', 'S', 'z', 'f'};
    PutInt32(out, FMembers.size());
    for (const TMember& m : FMembers) {
        PutInt32(out, m.Name.size());
        out.insert(out.end(), m.Name.begin(), m.Name.end());
        PutInt32(out, m.Content.size());
        uLongf packedSize = compressBound(static_cast<uLong>(m.Content.size()));
        std::vector<std::uint8_t> packed(packedSize);
        if (compress2(packed.data(), &packedSize, m.Content.data(), static_cast<uLong>(m.Content.size()),
                      Z_BEST_COMPRESSION) != Z_OK)
            throw Exception("Cannot compress skin package member \"" + m.Name + "\"");
        out.insert(out.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
    }
    return out;
}

void TacSkinPackWriter::WriteFile(const std::string& path) const {
    const std::vector<std::uint8_t> bytes = Encode();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        throw EFileError("Cannot create file " + path);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw EFileError("Cannot write file " + path);
}

} // namespace sj::skingen
