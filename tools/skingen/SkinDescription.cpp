#include "SkinDescription.h"

#include "platform/Exception.h"

#include <cstdio>

namespace sj::skingen {
namespace {

// Fixed-width fields are read at fixed character positions, so a number that does not
// fit its digits would shift every later field.
std::string Digits(int value, int width) {
    int limit = 1;
    for (int i = 0; i < width; ++i)
        limit *= 10;
    if (value < 0 || value >= limit)
        throw Exception("Image value field " + std::to_string(value) + " does not fit " + std::to_string(width) +
                        " digits");
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    return buf;
}

void CheckRect(const TRectI& r) {
    if (r.Width() <= 0 || r.Height() <= 0)
        throw Exception("Empty image rectangle");
}

} // namespace

TSkinDescription::TSection& TSkinDescription::SectionFor(const std::string& name) {
    for (TSection& s : FSections)
        if (s.Name == name)
            return s;
    FSections.push_back({name, {}});
    return FSections.back();
}

const TSkinDescription::TSection* TSkinDescription::SectionOf(const std::string& name) const {
    for (const TSection& s : FSections)
        if (s.Name == name)
            return &s;
    return nullptr;
}

void TSkinDescription::Set(const std::string& section, const std::string& key, const std::string& value) {
    if (key.empty() || key.find('=') != std::string::npos || value.find_first_of("\r\n") != std::string::npos)
        throw Exception("Invalid description entry " + section + "." + key);
    for (auto& [k, v] : SectionFor(section).Keys)
        if (k == key) {
            v = value;
            return;
        }
    SectionFor(section).Keys.emplace_back(key, value);
}

void TSkinDescription::Set(const std::string& section, const std::string& key, long long value) {
    Set(section, key, std::to_string(value));
}

void TSkinDescription::Remove(const std::string& section, const std::string& key) {
    for (TSection& s : FSections)
        if (s.Name == section)
            std::erase_if(s.Keys, [&](const auto& kv) { return kv.first == key; });
}

bool TSkinDescription::HasSection(const std::string& section) const {
    return SectionOf(section) != nullptr;
}

const std::string* TSkinDescription::Find(const std::string& section, const std::string& key) const {
    if (const TSection* s = SectionOf(section))
        for (const auto& [k, v] : s->Keys)
            if (k == key)
                return &v;
    return nullptr;
}

const std::string* TSkinDescription::FindInherited(const std::string& section, const std::string& key) const {
    std::vector<std::string> visited;
    std::string current = section;
    while (SectionOf(current)) {
        const std::string* v = Find(current, key);
        if (v && *v != "-1" && *v != "?")
            return v;
        visited.push_back(current);
        const std::string* parent = Find(current, "PARENTCLASS");
        if (!parent || parent->empty() || *parent == "?")
            return nullptr;
        for (const std::string& seen : visited)
            if (seen == *parent)
                return nullptr;
        current = *parent;
    }
    return nullptr;
}

std::vector<std::string> TSkinDescription::SectionNames() const {
    std::vector<std::string> names;
    for (const TSection& s : FSections)
        names.push_back(s.Name);
    return names;
}

const std::vector<std::pair<std::string, std::string>>& TSkinDescription::Keys(const std::string& section) const {
    static const std::vector<std::pair<std::string, std::string>> kNone;
    const TSection* s = SectionOf(section);
    return s ? s->Keys : kNone;
}

std::string TSkinDescription::Text() const {
    std::string out;
    for (const TSection& s : FSections) {
        if (!out.empty())
            out += "\r\n";
        out += "[" + s.Name + "]\r\n";
        for (const auto& [k, v] : s.Keys)
            out += k + "=" + v + "\r\n";
    }
    return out;
}

std::string GlyphValue(const TRectI& r, int frames, int maskKind) {
    CheckRect(r);
    return "@" + Digits(r.Left, 4) + "@" + Digits(r.Top, 4) + "@" + Digits(r.Right, 4) + "@" + Digits(r.Bottom, 4) +
           "@" + Digits(frames, 1) + "@" + Digits(maskKind, 1);
}

std::string BordersValue(const TRectI& r, int left, int top, int right, int bottom, int frames, int maskKind,
                         int paintFlags, int commonBorder) {
    CheckRect(r);
    if (frames < 1)
        throw Exception("A borders image needs at least one frame");
    return "^" + Digits(r.Left, 4) + "^" + Digits(r.Top, 4) + "^" + Digits(r.Right, 4) + "^" + Digits(r.Bottom, 4) +
           "^" + Digits(left, 4) + "^" + Digits(top, 4) + "^" + Digits(right, 4) + "^" + Digits(bottom, 4) + "^" +
           Digits(frames, 1) + "^" + Digits(maskKind, 1) + "^" + Digits(paintFlags, 1) + "^" + Digits(commonBorder, 1);
}

std::string TextureValue(const TRectI& r, int mode, int maskKind) {
    CheckRect(r);
    return "~" + Digits(r.Left, 4) + "~" + Digits(r.Top, 4) + "~" + Digits(r.Right, 4) + "~" + Digits(r.Bottom, 4) +
           "~" + Digits(mode, 2) + "~" + Digits(maskKind, 1);
}

std::string FreeBordersValue(const TRectI& r, int frames, int maskKind, int commonBorder, int paintFlags) {
    CheckRect(r);
    if (frames < 1)
        throw Exception("A borders image needs at least one frame");
    return "#MASK (" + std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom) + ") (" + std::to_string(frames) + "," + std::to_string(maskKind) + "," +
           std::to_string(commonBorder) + "," + std::to_string(paintFlags) + ")";
}

std::string FileValue(const std::string& fileName, int frames, int maskKind, int itemKind) {
    return "!" + fileName + "!" + std::to_string(frames) + "!" + std::to_string(maskKind) + "!" +
           std::to_string(itemKind);
}

std::string FileValue(const std::string& fileName, int frames, int maskKind, int itemKind, int left, int top, int right,
                      int bottom, int paintFlags) {
    return FileValue(fileName, frames, maskKind, itemKind) + "!" + Digits(left, 4) + "!" + Digits(top, 4) + "!" +
           Digits(right, 4) + "!" + Digits(bottom, 4) + "!" + std::to_string(paintFlags);
}

std::string ColorText(unsigned colorRef) {
    return std::to_string(colorRef & 0xFFFFFFu);
}

} // namespace sj::skingen
