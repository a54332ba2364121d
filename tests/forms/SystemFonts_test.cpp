// The fonts the program's forms name must be the real ones: the forms are laid out for
// Tahoma, and the caption buttons draw Marlett glyphs. On a machine without them GDI
// silently substitutes another font and every text measures differently.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct TResolvedFont {
    std::string Face;
    std::string Style;
};

TResolvedFont Resolve(const char* face, int weight, BYTE charset) {
    LOGFONTA request{};
    request.lfHeight = -11;
    request.lfWeight = weight;
    request.lfCharSet = charset;
    std::strncpy(request.lfFaceName, face, LF_FACESIZE - 1);
    HFONT font = ::CreateFontIndirectA(&request);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    TResolvedFont resolved;
    std::vector<char> metrics(::GetOutlineTextMetricsA(dc, 0, nullptr));
    if (!metrics.empty() && ::GetOutlineTextMetricsA(dc, static_cast<UINT>(metrics.size()),
                                                     reinterpret_cast<OUTLINETEXTMETRICA*>(metrics.data())) != 0) {
        const auto* otm = reinterpret_cast<const OUTLINETEXTMETRICA*>(metrics.data());
        resolved.Face = metrics.data() + reinterpret_cast<std::uintptr_t>(otm->otmpFamilyName);
        resolved.Style = metrics.data() + reinterpret_cast<std::uintptr_t>(otm->otmpStyleName);
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(font);
    return resolved;
}

const char* const kInstallHint =
    "\nThe forms need the real font. Under Wine install Debian's fonts-wine; scripts/wine-env.sh copies its "
    "tahoma.ttf, tahomabd.ttf and marlett.ttf into the prefix's windows\\Fonts folder.";

TEST(SystemFonts, TahomaAndItsBoldFaceAreTahoma) {
    const TResolvedFont regular = Resolve("Tahoma", FW_NORMAL, ANSI_CHARSET);
    EXPECT_EQ(regular.Face, "Tahoma") << "\"Tahoma\" resolves to \"" << regular.Face << "\"" << kInstallHint;
    const TResolvedFont bold = Resolve("Tahoma", FW_BOLD, ANSI_CHARSET);
    EXPECT_EQ(bold.Face, "Tahoma") << "bold \"Tahoma\" resolves to \"" << bold.Face << "\"" << kInstallHint;
    EXPECT_NE(bold.Style.find("Bold"), std::string::npos) << "bold Tahoma is drawn from \"" << bold.Style
                                                         << "\", not its own bold face" << kInstallHint;
}

TEST(SystemFonts, MarlettIsMarlett) {
    const TResolvedFont marlett = Resolve("Marlett", FW_NORMAL, SYMBOL_CHARSET);
    EXPECT_EQ(marlett.Face, "Marlett") << "\"Marlett\" resolves to \"" << marlett.Face << "\"" << kInstallHint;
}

} // namespace
