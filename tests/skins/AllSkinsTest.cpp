// Checks over all generated skins: the package format, the image values against the
// images they cut from, readable text on every face, and the variety of image forms
// that the skin loaders must be exercised with.
#include "PackageContents.h"

#include "skin/paint/acBmpImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace sj::skintest {
namespace {

struct TLoaded {
    std::string Name;
    std::vector<std::uint8_t> Bytes;
    TPackage Package;
    TIni Ini;
};

const std::vector<TLoaded>& AllSkins() {
    static const std::vector<TLoaded> skins = [] {
        std::vector<TLoaded> out;
        for (const std::string& name : SkinNames()) {
            TLoaded s;
            s.Name = name;
            s.Bytes = ReadFileBytes(SkinsDir() + "/" + name + ".asz");
            s.Package = ReadPackageBytes(s.Bytes);
            s.Ini = ParseIni(s.Package.Members.at(0).Content);
            out.push_back(std::move(s));
        }
        return out;
    }();
    return skins;
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (true) {
        const std::size_t next = s.find(sep, at);
        parts.push_back(s.substr(at, next - at));
        if (next == std::string::npos)
            return parts;
        at = next + 1;
    }
}

// WCAG 2 relative luminance of a 0x00BBGGRR colour.
double Luminance(unsigned ref) {
    auto channel = [](unsigned v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(ref & 0xFF) + 0.7152 * channel((ref >> 8) & 0xFF) + 0.0722 * channel((ref >> 16) & 0xFF);
}

double Contrast(unsigned a, unsigned b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

unsigned ColorOr(const TIni& ini, const std::string& section, const std::string& key, unsigned fallback) {
    const std::string* v = ini.GetInherited(section, key);
    return v ? static_cast<unsigned>(std::stoul(*v)) : fallback;
}

TEST(AllSkins, FortyThreeInternalSkinsWithDistinctNames) {
    const std::vector<std::string> names = SkinNames();
    ASSERT_EQ(names.size(), 43u);
    std::set<std::string> seen;
    for (const std::string& n : names) {
        EXPECT_TRUE(n.size() > 11 && n.ends_with(" (internal)")) << n;
        EXPECT_TRUE(seen.insert(n).second) << "duplicate " << n;
    }
    EXPECT_EQ(seen.count("Zest (internal)"), 1u);
}

TEST(AllSkins, PackagesAreCompleteAndEndAfterTheLastMember) {
    for (const TLoaded& s : AllSkins()) {
        SCOPED_TRACE(s.Name);
        EXPECT_EQ(s.Package.EndOffset, s.Bytes.size());
        EXPECT_EQ(s.Package.Members[0].Name, "Options.dat");
        std::set<std::string> names;
        for (const TMember& m : s.Package.Members)
            EXPECT_TRUE(names.insert(Upper(m.Name)).second) << m.Name;
        // No version warnings at load time: 7.0 up to 8.99.
        const double version = std::stod(*s.Ini.Get("GLOBALINFO", "VERSION"));
        EXPECT_GE(version, 7.6);
        EXPECT_LE(version, 8.99);
        for (const char* key : {"SHADOW1OFFSET", "SHADOW1BLUR", "SHADOW1TRANSPARENCY"}) {
            const std::string* v = s.Ini.Get("GLOBALINFO", key);
            ASSERT_NE(v, nullptr) << key;
            EXPECT_NO_THROW((void)std::stoi(*v)) << key;
        }
    }
}

// Every image value names a member that exists, and every rectangle lies inside the
// image it is cut from, with whole frames and whole mask rows.
TEST(AllSkins, ImageValuesFitTheirImages) {
    for (const TLoaded& s : AllSkins()) {
        SCOPED_TRACE(s.Name);
        const std::string* masterName = s.Ini.Get("GLOBALINFO", "MASTERBITMAP");
        ASSERT_NE(masterName, nullptr);
        const TMember* masterMember = s.Package.Find(*masterName); // compared as written
        ASSERT_NE(masterMember, nullptr);
        const TacBmpImage master = ReadBmp(masterMember->Content);
        EXPECT_EQ(master.BitsPerPixel, 24);
        const int mw = master.Pixels.Width(), mh = master.Pixels.Height();
        for (const std::string& section : s.Ini.Order)
            for (const auto& [key, v] : s.Ini.Sections.at(section)) {
                SCOPED_TRACE(section + "." + key + "=" + v);
                if (v.empty())
                    continue;
                if (v[0] == '@' || v[0] == '^' || v[0] == '~') {
                    EXPECT_EQ(v.size(), v[0] == '@' ? 24u : (v[0] == '^' ? 48u : 25u));
                    const std::vector<int> f = FixedFields(v);
                    EXPECT_LT(f[0], f[2]);
                    EXPECT_LT(f[1], f[3]);
                    EXPECT_LE(f[2], mw);
                    EXPECT_LE(f[3], mh);
                    const int frames = v[0] == '@' ? f[4] : (v[0] == '^' ? f[8] : 1);
                    const int maskKind = v[0] == '@' ? f[5] : (v[0] == '^' ? f[9] : f[5]);
                    ASSERT_GE(frames, 1);
                    EXPECT_EQ((f[2] - f[0]) % frames, 0);
                    EXPECT_EQ((f[3] - f[1]) % (maskKind + 1), 0);
                } else if (v[0] == '!') {
                    const std::vector<std::string> fields = Split(v.substr(1), '!');
                    ASSERT_GE(fields.size(), 4u);
                    const std::string& file = fields[0];
                    EXPECT_TRUE(file.find(".BMP") != std::string::npos || file.find(".PNG") != std::string::npos);
                    const TMember* m = s.Package.Find(file);
                    ASSERT_NE(m, nullptr) << "no member " << file;
                    const int frames = std::stoi(fields[1]), maskKind = std::stoi(fields[2]);
                    ASSERT_GE(frames, 1);
                    if (file.ends_with(".BMP")) {
                        const TacPixmap pix = DecodeBmp(m->Content);
                        EXPECT_EQ(pix.Width() % frames, 0);
                        EXPECT_EQ(pix.Height() % (maskKind + 1), 0);
                    } else {
                        EXPECT_EQ(std::string(m->Content.begin() + 1, m->Content.begin() + 4), "PNG");
                    }
                } else if (v.find('#') != std::string::npos && v != "#") {
                    const auto open = v.find('(');
                    ASSERT_NE(open, std::string::npos);
                    const std::vector<std::string> rect = Split(v.substr(open + 1, v.find(')') - open - 1), ',');
                    ASSERT_EQ(rect.size(), 4u);
                    EXPECT_LE(std::stoi(rect[2]), mw);
                    EXPECT_LE(std::stoi(rect[3]), mh);
                } else if (Upper(v).find(".BMP") != std::string::npos || Upper(v).find(".JPG") != std::string::npos) {
                    EXPECT_NE(s.Package.Find(Upper(v)), nullptr) << "no member " << v;
                }
            }
    }
}

// Font colour against face colour, in the normal and (where there is one) the hot state.
TEST(AllSkins, TextIsReadableOnEveryFace) {
    const char* textSections[] = {"GLOBALINFO",  "FORM",          "FORMTITLE",   "CAPTION",     "DIALOG",
                                  "DIALOGTITLE", "BUTTON",        "BUTTON_BIG",  "EDIT",        "ALPHAEDIT",
                                  "GROUPBOX",    "CHECKBOX",      "RADIOBUTTON", "PAGECONTROL", "TABTOP",
                                  "TABBOTTOM",   "TABLEFT",       "TABRIGHT",    "SPEEDBUTTON", "SPEEDBUTTON_SMALL",
                                  "TOOLBUTTON",  "MAINMENU",      "MENUITEM",    "MENULINE",    "MENUCAPTION",
                                  "EXTRALINE",   "SELECTION",     "HINT",        "PANEL",       "PANEL_LOW",
                                  "COMBOBOX",    "ALPHACOMBOBOX", "COLHEADER",   "STATUSBAR",   "TOOLBAR",
                                  "WEBBUTTON",   "PROGRESSH",     "PROGRESSV",   "RIBBONPAGE",  "RIBBONTAB",
                                  "MDIAREA"};
    for (const TLoaded& s : AllSkins())
        for (const char* section : textSections) {
            if (!s.Ini.Sections.count(section))
                continue;
            SCOPED_TRACE(s.Name + " [" + section + "]");
            const unsigned color = ColorOr(s.Ini, section, "COLOR", 0xFFFFFF);
            const unsigned font = ColorOr(s.Ini, section, "FONTCOLOR", 0);
            EXPECT_GE(Contrast(color, font), 4.5) << "normal";
            const std::string* states = s.Ini.GetInherited(section, "STATES");
            if (!states || std::stoi(*states) >= 2) {
                const unsigned hot = ColorOr(s.Ini, section, "HOTCOLOR", 0xFFFFFF);
                const unsigned hotFont = ColorOr(s.Ini, section, "HOTFONTCOLOR", 0);
                EXPECT_GE(Contrast(hot, hotFont), 4.5) << "hot";
            }
        }
}

// The loaders read many value forms; between them the skins must use each one.
TEST(AllSkins, TogetherUseEveryImageFormAndFeature) {
    std::set<std::string> forms;
    std::set<int> stateCounts;
    int jpegTextures = 0;
    bool parentClass = false, exBorderWithMode = false;
    for (const TLoaded& s : AllSkins()) {
        for (const std::string& section : s.Ini.Order)
            for (const auto& [key, v] : s.Ini.Sections.at(section)) {
                const std::string u = Upper(v);
                if (key == "STATES")
                    stateCounts.insert(std::stoi(v));
                if (key == "PARENTCLASS")
                    parentClass = true;
                if (v.empty() || key == "MASTERBITMAP")
                    continue;
                if (v[0] == '@' || v[0] == '^' || v[0] == '~')
                    forms.insert(v.substr(0, 1));
                else if (v[0] == '!')
                    forms.insert(u.find(".PNG") != std::string::npos ? "!png" : "!bmp");
                else if (v.find('#') != std::string::npos && v != "#")
                    forms.insert("#");
                else if (u.find(".BMP") != std::string::npos)
                    forms.insert("bmp");
                else if (u.find(".JPG") != std::string::npos || u.find(".JPEG") != std::string::npos)
                    ++jpegTextures;
            }
        const std::string* mode = s.Ini.Get("GLOBALINFO", "BORDERMODE");
        if (s.Ini.Get("GLOBALINFO", "EXBORDER") && mode && *mode != "0")
            exBorderWithMode = true;
    }
    for (const char* form : {"@", "^", "~", "!png", "!bmp", "#", "bmp"})
        EXPECT_EQ(forms.count(form), 1u) << form;
    EXPECT_EQ(jpegTextures, 1);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(stateCounts.count(n), 1u) << n;
    EXPECT_TRUE(parentClass);
    EXPECT_TRUE(exBorderWithMode);
}

TEST(AllSkins, EverySkinHasTheSectionsTheProgramPaintsWith) {
    const char* required[] = {"GLOBALINFO",
                              "FORM",
                              "FORMTITLE",
                              "CAPTION",
                              "DIALOG",
                              "DIALOGTITLE",
                              "BUTTON",
                              "EDIT",
                              "GROUPBOX",
                              "CHECKBOX",
                              "PAGECONTROL",
                              "TABTOP",
                              "TABBOTTOM",
                              "TABLEFT",
                              "TABRIGHT",
                              "SPEEDBUTTON",
                              "SPEEDBUTTON_SMALL",
                              "MAINMENU",
                              "MENUITEM",
                              "MENULINE",
                              "MENUCAPTION",
                              "ICOLINE",
                              "EXTRALINE",
                              "DIVIDER",
                              "DIVIDERV",
                              "SELECTION",
                              "HINT",
                              "PANEL",
                              "PANEL_LOW",
                              "SCROLLBTNTOP",
                              "SCROLLBTNBOTTOM",
                              "SCROLLBTNLEFT",
                              "SCROLLBTNRIGHT",
                              "SCROLLSLIDERH",
                              "SCROLLSLIDERV",
                              "SCROLLBAR1H",
                              "SCROLLBAR1V",
                              "SCROLLBAR2H",
                              "SCROLLBAR2V",
                              "COMBOBOX",
                              "COMBOBTN",
                              "COLHEADER",
                              "STATUSBAR",
                              "TOOLBAR",
                              "TOOLBUTTON",
                              "UPDOWNBTN",
                              "TRACKBAR",
                              "WEBBUTTON",
                              "PROGRESSH",
                              "PROGRESSV",
                              "SPLITTER"};
    const char* globalImages[] = {"BOXCHECKED",  "BOXUNCHECKED", "BOXGRAYED",      "RADIOCHECKED", "RADIOUNCHECKED",
                                  "RADIOGRAYED", "SMALLCHECKED", "SMALLUNCHECKED", "SMALLGRAYED",  "CHECK",
                                  "BICONCLOSE",  "BICLOSEALONE", "BICONMAX",       "BICONNORM",    "BICONMIN",
                                  "BICONHELP",   "SICONCLOSE",   "SICONMAX",       "SICONNORM",    "SICONMIN",
                                  "SICONHELP",   "GRIPIMAGE",    "GRIPHORZ",       "GRIPVERT"};
    for (const TLoaded& s : AllSkins()) {
        SCOPED_TRACE(s.Name);
        for (const char* section : required)
            EXPECT_EQ(s.Ini.Sections.count(section), 1u) << section;
        for (const char* key : globalImages)
            EXPECT_NE(s.Ini.Get("GLOBALINFO", key), nullptr) << key;
        for (const char* key : {"VERSION", "BORDERWIDTH", "TITLEHEIGHT", "MAXHEIGHT", "BISPACE", "BIRIGHT",
                                "BORDERCOLOR", "SHADOW1COLOR"})
            EXPECT_NE(s.Ini.Get("GLOBALINFO", key), nullptr) << key;
        // Title buttons: three state frames each.
        for (const char* key : {"BICONCLOSE", "BICONMIN", "BICONMAX", "SICONCLOSE"}) {
            const std::string v = *s.Ini.Get("GLOBALINFO", key);
            const int frames = v[0] == '@' ? FixedFields(v)[4] : std::stoi(Split(v.substr(1), '!')[1]);
            EXPECT_EQ(frames, 3) << key;
        }
    }
}

} // namespace
} // namespace sj::skintest
