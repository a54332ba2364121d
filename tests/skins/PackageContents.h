// Test-side view of a generated skin package: its members inflated, its description
// split into sections, and the image values' rectangles. Only a sanity view for the
// tests of the generator; the program reads skins with its own loaders.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sj::skintest {

struct TMember {
    std::string Name;
    std::vector<std::uint8_t> Content;
};

struct TPackage {
    std::vector<TMember> Members;
    std::size_t EndOffset = 0; // where reading stopped

    const TMember* Find(const std::string& upperName) const; // compares upper-cased names
};

// Throws std::runtime_error on anything malformed.
TPackage ReadPackageBytes(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

struct TIni {
    std::vector<std::string> Order;
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> Sections;

    const std::string* Get(const std::string& section, const std::string& key) const;
    // With the PARENTCLASS chain; "-1" and "?" count as absent.
    const std::string* GetInherited(const std::string& section, const std::string& key) const;
};

TIni ParseIni(const std::vector<std::uint8_t>& text);

// Fields of a fixed-width "@" or "^" value (x1 y1 x2 y2 and the rest in order).
std::vector<int> FixedFields(const std::string& value);

// Folder of the generated packages and their names in stored order.
std::string SkinsDir();
std::vector<std::string> SkinNames();

} // namespace sj::skintest
