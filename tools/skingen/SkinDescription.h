// The text of a skin's "Options.dat" as it is being written: sections and keys in
// the order they were first set, and the formatters of the image value forms.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sj::skingen {

struct TRectI {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

class TSkinDescription {
public:
    // Setting a key again replaces its value in place.
    void Set(const std::string& section, const std::string& key, const std::string& value);
    void Set(const std::string& section, const std::string& key, long long value);
    void Remove(const std::string& section, const std::string& key);

    bool HasSection(const std::string& section) const;
    // The value written in the section itself (no inheritance), or nullptr.
    const std::string* Find(const std::string& section, const std::string& key) const;
    // The value with the section's PARENTCLASS chain followed; "-1" and "?" count as absent.
    const std::string* FindInherited(const std::string& section, const std::string& key) const;

    std::vector<std::string> SectionNames() const;
    const std::vector<std::pair<std::string, std::string>>& Keys(const std::string& section) const;

    // CR LF lines, a blank line between sections.
    std::string Text() const;

private:
    struct TSection {
        std::string Name;
        std::vector<std::pair<std::string, std::string>> Keys;
    };
    TSection& SectionFor(const std::string& name);
    const TSection* SectionOf(const std::string& name) const;

    std::vector<TSection> FSections;
};

// "@x1@y1@x2@y2@f@m": state frames of a glyph cut from the master image.
std::string GlyphValue(const TRectI& r, int frames, int maskKind);
// "^x1^y1^x2^y2^l^t^r^b^f^m^p^c": a nine-part borders image cut from the master image.
std::string BordersValue(const TRectI& r, int left, int top, int right, int bottom, int frames, int maskKind,
                         int paintFlags, int commonBorder);
// "~x1~y1~x2~y2~pp~m": a texture cut from the master image.
std::string TextureValue(const TRectI& r, int mode, int maskKind);
// "# (x1,y1,x2,y2) (f,m,c,p)": the free form of a borders image in the master image.
std::string FreeBordersValue(const TRectI& r, int frames, int maskKind, int commonBorder, int paintFlags);
// "!FILE!f!m!kind[!l!t!r!b!p]": an image in its own file; borders are written when any is given.
std::string FileValue(const std::string& fileName, int frames, int maskKind, int itemKind);
std::string FileValue(const std::string& fileName, int frames, int maskKind, int itemKind, int left, int top, int right,
                      int bottom, int paintFlags);

// Windows colour reference in decimal, the way descriptions write colours.
std::string ColorText(unsigned colorRef);

} // namespace sj::skingen
