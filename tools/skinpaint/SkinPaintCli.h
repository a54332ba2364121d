// The "skinpaint" command line: paints one section of a skin at a given size, or a
// review sheet of every section in every state, into a PNG. Kept apart from main() so
// tests can run it in-process.
//
//   skinpaint PACKAGE SECTION --size WxH [--state N] [--backdrop RRGGBB] --out FILE.png
//   skinpaint PACKAGE --sheet --out FILE.png
#pragma once

#include "platform/Pixmap.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sj {
class TsSkinModel;
struct TsGeneralData;
} // namespace sj

namespace sj::tools::skinpaint {

enum TExitCode { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// Larger faces are refused: they only cost memory and prove nothing a smaller one does not.
inline constexpr int MaxFaceSide = 4096;

struct TFaceSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TFaceSize&, const TFaceSize&) = default;
};

// "WxH" with decimal numbers (an upper-case X is accepted too). Empty when the text is
// no size or a number does not fit an int; the range is the caller's to check.
std::optional<TFaceSize> ParseFaceSize(std::string_view text);

// "RRGGBB" (hex, red first, an optional leading "#") as a colour 0x00BBGGRR.
std::optional<std::uint32_t> ParseBackdropColor(std::string_view text);

// What PaintSectionFaceByName paints for the section at that size over a plain colour,
// made opaque. Throws sj::Exception when the skin has no such section.
TacPixmap PaintFace(const TsSkinModel& model, const std::string& section, TFaceSize size, int state,
                    std::uint32_t backdropColor);

// The size a section's face gets on the review sheet. Form-like sections (names with
// FORM, DIALOG, PANEL, GROUPBOX, PAGECONTROL, PAGE or AREA) get 220 x 120, vertical bars
// (names ending in V) 26 x 110, everything else a button's 110 x 26; each is then grown to
// twice its borders item's frame so every slice of the border shows, up to 440 x 300.
TFaceSize SheetFaceSize(const TsSkinModel& model, const TsGeneralData& section);

// Every section in every state (0 .. STATES-1, at least one; at most 16), one row per
// section, rows flowing into columns about 1200 pixels tall, each face labelled with its
// name and state, over the skin's form colour. A skin too large for one sheet (some 24
// million pixels) shows its first sections and the number left out.
TacPixmap PaintSheet(const TsSkinModel& model, const std::string& title);

// Runs one command line (without the program name).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace sj::tools::skinpaint
