#include "PackageContents.h"

#include <zlib.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace sj::skintest {
namespace {

std::int32_t Int32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    if (at + 4 > b.size())
        throw std::runtime_error("package ends inside an integer");
    return static_cast<std::int32_t>(std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) |
                                     (std::uint32_t{b[at + 2]} << 16) | (std::uint32_t{b[at + 3]} << 24));
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

} // namespace

const TMember* TPackage::Find(const std::string& upperName) const {
    for (const TMember& m : Members)
        if (Upper(m.Name) == upperName)
            return &m;
    return nullptr;
}

TPackage ReadPackageBytes(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 8 || std::string(bytes.begin(), bytes.begin() + 4) != "ASzf")
        throw std::runtime_error("not a packed skin");
    TPackage p;
    const std::int32_t count = Int32At(bytes, 4);
    std::size_t at = 8;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t nameLength = Int32At(bytes, at);
        at += 4;
        if (nameLength <= 0 || at + static_cast<std::size_t>(nameLength) > bytes.size())
            throw std::runtime_error("bad member name");
        TMember m;
        m.Name.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at) + nameLength);
        at += static_cast<std::size_t>(nameLength);
        const std::int32_t size = Int32At(bytes, at);
        at += 4;
        if (size <= 0)
            throw std::runtime_error("bad unpacked size");
        m.Content.resize(static_cast<std::size_t>(size));
        z_stream z{};
        if (inflateInit(&z) != Z_OK)
            throw std::runtime_error("inflateInit");
        z.next_in = const_cast<Bytef*>(bytes.data() + at);
        z.avail_in = static_cast<uInt>(bytes.size() - at);
        z.next_out = m.Content.data();
        z.avail_out = static_cast<uInt>(m.Content.size());
        const int rc = inflate(&z, Z_FINISH);
        const std::size_t used = bytes.size() - at - z.avail_in;
        const bool exact = rc == Z_STREAM_END && z.avail_out == 0;
        inflateEnd(&z);
        if (!exact)
            throw std::runtime_error("member " + m.Name + " does not inflate to its size");
        at += used;
        p.Members.push_back(std::move(m));
    }
    p.EndOffset = at;
    return p;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

const std::string* TIni::Get(const std::string& section, const std::string& key) const {
    const auto s = Sections.find(section);
    if (s == Sections.end())
        return nullptr;
    for (const auto& [k, v] : s->second)
        if (k == key)
            return &v;
    return nullptr;
}

const std::string* TIni::GetInherited(const std::string& section, const std::string& key) const {
    std::vector<std::string> seen;
    std::string current = section;
    while (Sections.count(current)) {
        const std::string* v = Get(current, key);
        if (v && *v != "-1" && *v != "?")
            return v;
        seen.push_back(current);
        const std::string* parent = Get(current, "PARENTCLASS");
        if (!parent || parent->empty() || *parent == "?")
            return nullptr;
        for (const std::string& s : seen)
            if (s == *parent)
                return nullptr;
        current = *parent;
    }
    return nullptr;
}

TIni ParseIni(const std::vector<std::uint8_t>& text) {
    TIni ini;
    std::string current;
    std::string line;
    auto flush = [&] {
        const std::string t = Trim(line);
        line.clear();
        if (t.empty() || t[0] == ';')
            return;
        if (t.front() == '[' && t.back() == ']') {
            current = t.substr(1, t.size() - 2);
            if (!ini.Sections.count(current))
                ini.Order.push_back(current);
            ini.Sections[current];
            return;
        }
        const auto eq = t.find('=');
        if (eq != std::string::npos && !current.empty())
            ini.Sections[current].emplace_back(Trim(t.substr(0, eq)), Trim(t.substr(eq + 1)));
    };
    for (std::uint8_t c : text) {
        if (c == '\n')
            flush();
        else
            line += static_cast<char>(c);
    }
    flush();
    return ini;
}

std::vector<int> FixedFields(const std::string& value) {
    std::vector<int> fields;
    const char mark = value.empty() ? '\0' : value[0];
    std::size_t at = 1;
    while (at <= value.size()) {
        const std::size_t next = value.find(mark, at);
        fields.push_back(std::stoi(value.substr(at, next - at)));
        if (next == std::string::npos)
            break;
        at = next + 1;
    }
    return fields;
}

std::string SkinsDir() {
    return SJ_SKINS_DIR;
}

std::vector<std::string> SkinNames() {
    std::vector<std::string> names;
    std::ifstream f(SkinsDir() + "/skins.lst");
    for (std::string line; std::getline(f, line);)
        if (!line.empty())
            names.push_back(line);
    return names;
}

} // namespace sj::skintest
