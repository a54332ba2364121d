// Writes skin packages: "ASzf", the member count, then per member its name length,
// name, unpacked size and one zlib stream, all integers 32-bit little-endian.
// The description member "Options.dat" goes first, as the stored skins expect.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sj::skingen {

class TacSkinPackWriter {
public:
    // Members keep the order in which they are added. Empty members are refused,
    // since a reader takes an unpacked size of 0 for a damaged package.
    void AddMember(const std::string& name, std::vector<std::uint8_t> content);
    std::size_t MemberCount() const { return FMembers.size(); }

    std::vector<std::uint8_t> Encode() const;
    void WriteFile(const std::string& path) const;

private:
    struct TMember {
        std::string Name;
        std::vector<std::uint8_t> Content;
    };
    std::vector<TMember> FMembers;
};

} // namespace sj::skingen
