#include "SkinPaintCli.h"

#include "TinyFont.h"

#include "platform/Exception.h"
#include "skin/data/sSkinCore.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sGraphUtils.h"
#include "skin/paint/sSectionPaint.h"
#include "tools/common/PngWriter.h"
#include "tools/skininfo/SkinInfoReport.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <exception>
#include <initializer_list>
#include <ostream>

namespace sj::tools::skinpaint {

namespace {

constexpr TFaceSize ButtonFace{110, 26};
constexpr TFaceSize FormFace{220, 120};
constexpr TFaceSize VerticalBarFace{26, 110};
constexpr TFaceSize LargestSheetFace{440, 300};

constexpr int SheetMargin = 8;
constexpr int SheetGap = 8;
constexpr int LabelHeight = TinyGlyphHeight + 2;
// A hostile skin may declare millions of states or sections; the sheet shows the first
// ones and says how many it left out, instead of asking for gigabytes.
constexpr int MaxSheetStates = 16;
constexpr std::int64_t MaxSheetArea = 24'000'000; // pixels of faces and labels
constexpr int SheetColumnHeight = 1200;

constexpr std::uint32_t DefaultBackdrop = 0x00FFFFFF;

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

TPixel32 OpaquePixel(std::uint32_t color) {
    return ColorToPixelOrder(color) | 0xFF000000u;
}

void MakeOpaque(TacPixmap& image) {
    for (int y = 0; y < image.Height(); ++y) {
        for (TPixel32* p = image.Row(y); p != image.Row(y) + image.Width(); ++p) {
            *p |= 0xFF000000u;
        }
    }
}

bool NameHasAny(const std::string& name, std::initializer_list<const char*> parts) {
    return std::any_of(parts.begin(), parts.end(),
                       [&](const char* part) { return name.find(part) != std::string::npos; });
}

TFaceSize BaseSheetFace(const std::string& name) {
    if (NameHasAny(name, {"FORM", "DIALOG", "PANEL", "GROUPBOX", "PAGECONTROL", "PAGE", "AREA"})) {
        return FormFace;
    }
    if (name.size() > 1 && name.back() == 'V') {
        return VerticalBarFace;
    }
    return ButtonFace;
}

// The colour the faces of the sheet stand on: the skin's form colour, as controls do.
std::uint32_t SheetBackdropColor(const TsSkinModel& model) {
    const std::int32_t form = model.SectionIndexOf("FORM");
    if (!model.HasSection(form)) {
        return DefaultBackdrop;
    }
    const TsGeneralData& section = model.GeneralData[static_cast<std::size_t>(form)];
    return PaintColorToRGB(static_cast<std::uint32_t>(section.PropsOfState(0).Color)) & 0x00FFFFFFu;
}

TPixel32 LabelColorOn(std::uint32_t background) {
    const unsigned r = background & 0xFF, g = (background >> 8) & 0xFF, b = (background >> 16) & 0xFF;
    return (r * 299 + g * 587 + b * 114) / 1000 >= 128 ? 0xFF000000u : 0xFFFFFFFFu;
}

int SheetStatesOf(const TsGeneralData& section) {
    return std::clamp(section.States, 1, MaxSheetStates);
}

std::string FaceLabel(const TsGeneralData& section, int state) {
    return section.SectionName + " " + std::to_string(state);
}

// One row of the sheet: a section's faces side by side.
struct TSheetRow {
    std::int32_t Section = -1;
    TFaceSize Face;
    int Width = 0;
    int Height = 0;
    int CellWidth = 0;
    int Top = 0;
};

struct TSheetColumn {
    std::vector<TSheetRow> Rows;
    int Left = 0;
    int Width = 0;
    int Bottom = 0;
};

TSheetRow MeasureRow(const TsSkinModel& model, std::int32_t index) {
    const TsGeneralData& section = model.GeneralData[static_cast<std::size_t>(index)];
    TSheetRow row;
    row.Section = index;
    row.Face = SheetFaceSize(model, section);
    row.CellWidth = std::max(row.Face.Width, TinyTextWidth(FaceLabel(section, SheetStatesOf(section) - 1)));
    row.Width = SheetStatesOf(section) * (row.CellWidth + SheetGap) - SheetGap;
    row.Height = LabelHeight + row.Face.Height;
    return row;
}

void PaintSheetRow(TacPixmap& sheet, const TsSkinModel& model, const TSheetRow& row, int columnLeft,
                   std::uint32_t backdrop, TPixel32 labelColor) {
    const int top = row.Top;
    const TsGeneralData& section = model.GeneralData[static_cast<std::size_t>(row.Section)];
    TacPixmap face(row.Face.Width, row.Face.Height);
    for (int state = 0; state < SheetStatesOf(section); ++state) {
        const int left = columnLeft + state * (row.CellWidth + SheetGap);
        DrawTinyText(sheet, left, top, FaceLabel(section, state), labelColor);
        face.SetSize(row.Face.Width, row.Face.Height, OpaquePixel(backdrop));
        PaintSectionFace(face.View(), {0, 0, face.Width(), face.Height()}, &model, row.Section, section.SectionName,
                         state, true, ColorBackdrop(backdrop), 0, 0);
        MakeOpaque(face);
        CopyPixels(sheet.View(), left, top + LabelHeight, face.View(), {0, 0, face.Width(), face.Height()});
    }
}

// ---- Command line -------------------------------------------------------------------

constexpr const char* UsageText =
    "usage: skinpaint PACKAGE SECTION --size WxH [--state N] [--backdrop RRGGBB] --out FILE.png\n"
    "       skinpaint PACKAGE --sheet --out FILE.png\n"
    "  PACKAGE     a skin package (.asz) or a skin folder holding Options.dat\n"
    "  SECTION     the skin section to paint (names are case-sensitive)\n"
    "  --size      face size in pixels, 1..4096 each way\n"
    "  --state     state index (0 normal, 1 hot, 2 pressed...; default 0)\n"
    "  --backdrop  colour behind the face, hex red first (default FFFFFF)\n"
    "  --sheet     every section in every state on one labelled sheet\n"
    "  --out       the PNG file to write\n";

struct TOptions {
    std::string Package;
    std::string Section;
    bool Sheet = false;
    bool Help = false;
    std::optional<TFaceSize> Size;
    int State = 0;
    std::uint32_t Backdrop = DefaultBackdrop;
    std::string Out;
};

// Thrown for command lines that make no sense; Run answers it with the usage.
struct TUsageError {
    std::string Message;
};

std::string OptionValue(const std::vector<std::string>& args, std::size_t& i) {
    if (i + 1 >= args.size()) {
        throw TUsageError{args[i] + " needs a value"};
    }
    return args[++i];
}

TFaceSize CheckedSize(const std::string& text) {
    const std::optional<TFaceSize> size = ParseFaceSize(text);
    if (!size) {
        throw TUsageError{"--size takes WxH, e.g. 110x26: \"" + text + "\""};
    }
    if (size->Width < 1 || size->Height < 1 || size->Width > MaxFaceSide || size->Height > MaxFaceSide) {
        throw TUsageError{"--size must lie within 1x1 .. " + std::to_string(MaxFaceSide) + "x" +
                          std::to_string(MaxFaceSide) + ": \"" + text + "\""};
    }
    return *size;
}

int CheckedState(const std::string& text) {
    const std::optional<int> state = IsDigits(text) ? ParseInt(text) : std::nullopt;
    if (!state) {
        throw TUsageError{"--state takes a number 0 or above: \"" + text + "\""};
    }
    return *state;
}

void TakePositional(TOptions& options, const std::string& arg) {
    if (options.Package.empty()) {
        options.Package = arg;
    } else if (options.Section.empty()) {
        options.Section = arg;
    } else {
        throw TUsageError{"unexpected argument \"" + arg + "\""};
    }
}

void CheckComplete(const TOptions& o) {
    if (o.Package.empty()) {
        throw TUsageError{"no skin package given"};
    }
    if (o.Out.empty()) {
        throw TUsageError{"--out is required"};
    }
    if (o.Sheet && (!o.Section.empty() || o.Size)) {
        throw TUsageError{"--sheet paints every section; give no SECTION or --size with it"};
    }
    if (!o.Sheet && o.Section.empty()) {
        throw TUsageError{"no SECTION given (or --sheet)"};
    }
    if (!o.Sheet && !o.Size) {
        throw TUsageError{"--size is required"};
    }
}

TOptions ParseOptions(const std::vector<std::string>& args) {
    TOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.Help = true;
            return o;
        } else if (arg == "--sheet") {
            o.Sheet = true;
        } else if (arg == "--size") {
            o.Size = CheckedSize(OptionValue(args, i));
        } else if (arg == "--state") {
            o.State = CheckedState(OptionValue(args, i));
        } else if (arg == "--backdrop") {
            const std::string text = OptionValue(args, i);
            const std::optional<std::uint32_t> color = ParseBackdropColor(text);
            if (!color) {
                throw TUsageError{"--backdrop takes a hex colour RRGGBB: \"" + text + "\""};
            }
            o.Backdrop = *color;
        } else if (arg == "--out") {
            o.Out = OptionValue(args, i);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw TUsageError{"unknown option \"" + arg + "\""};
        } else {
            TakePositional(o, arg);
        }
    }
    CheckComplete(o);
    return o;
}

std::string SkinTitle(const TsSkinCore& core) {
    return core.SkinName().empty() ? core.Model().SkinGlobals.Description : core.SkinName();
}

void Execute(const TOptions& o, std::ostream& out) {
    TsSkinCore core;
    LoadSkinForReport(o.Package, core);
    const TacPixmap image = o.Sheet ? PaintSheet(core.Model(), SkinTitle(core))
                                    : PaintFace(core.Model(), o.Section, *o.Size, o.State, o.Backdrop);
    WritePngFile(o.Out, image);
    out << o.Out << ": " << image.Width() << "x" << image.Height() << "\n";
}

} // namespace

std::optional<TFaceSize> ParseFaceSize(std::string_view text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view w = text.substr(0, x);
    const std::string_view h = text.substr(x + 1);
    if (!IsDigits(w) || !IsDigits(h)) {
        return std::nullopt;
    }
    const std::optional<int> width = ParseInt(w);
    const std::optional<int> height = ParseInt(h);
    if (!width || !height) {
        return std::nullopt;
    }
    return TFaceSize{*width, *height};
}

std::optional<std::uint32_t> ParseBackdropColor(std::string_view text) {
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    if (text.size() != 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })) {
        return std::nullopt;
    }
    std::uint32_t rgb = 0;
    std::from_chars(text.data(), text.data() + text.size(), rgb, 16);
    return ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
}

TacPixmap PaintFace(const TsSkinModel& model, const std::string& section, TFaceSize size, int state,
                    std::uint32_t backdropColor) {
    if (!model.HasSection(model.SectionIndexOf(section))) {
        throw Exception("Section \"" + section + "\" not found in the skin");
    }
    TacPixmap face(std::max(size.Width, 0), std::max(size.Height, 0), OpaquePixel(backdropColor));
    PaintSectionFaceByName(face.View(), &model, section, section, backdropColor, state);
    MakeOpaque(face);
    return face;
}

TFaceSize SheetFaceSize(const TsSkinModel& model, const TsGeneralData& section) {
    TFaceSize size = BaseSheetFace(section.SectionName);
    if (model.HasImage(section.BordersMaskIndex)) {
        const TsMaskData& item = model.Masks[static_cast<std::size_t>(section.BordersMaskIndex)];
        size.Width = std::max(size.Width, std::min(2 * FrameWidth(item), LargestSheetFace.Width));
        size.Height = std::max(size.Height, std::min(2 * FrameHeight(item), LargestSheetFace.Height));
    }
    return size;
}

TacPixmap PaintSheet(const TsSkinModel& model, const std::string& title) {
    const std::uint32_t backdrop = SheetBackdropColor(model);
    const TPixel32 labelColor = LabelColorOn(backdrop);
    const int firstTop = SheetMargin + LabelHeight + SheetGap;

    // Rows flow down a column until it is SheetColumnHeight tall, then a new column
    // starts, so the sheet stays a shape a screen can show.
    std::vector<TSheetColumn> columns(1);
    int height = firstTop;
    std::int64_t area = 0;
    const int sections = static_cast<int>(model.GeneralData.size());
    for (std::int32_t i = 0; i < sections; ++i) {
        TSheetRow row = MeasureRow(model, i);
        area += std::int64_t{row.Width + 3 * SheetGap} * (row.Height + SheetGap);
        if (area > MaxSheetArea) {
            break;
        }
        if (!columns.back().Rows.empty() && columns.back().Bottom + row.Height > SheetColumnHeight) {
            columns.emplace_back();
        }
        TSheetColumn& column = columns.back();
        row.Top = column.Rows.empty() ? firstTop : column.Bottom + SheetGap;
        column.Bottom = row.Top + row.Height;
        column.Width = std::max(column.Width, row.Width);
        height = std::max(height, column.Bottom);
        column.Rows.push_back(row);
    }
    int width = SheetMargin;
    for (TSheetColumn& column : columns) {
        column.Left = width;
        width += column.Width + 3 * SheetGap;
    }
    width = std::max(width - 3 * SheetGap + SheetMargin, 2 * SheetMargin + TinyTextWidth(title));
    int shown = 0;
    for (const TSheetColumn& column : columns) {
        shown += static_cast<int>(column.Rows.size());
    }
    const int omitted = sections - shown;
    height += (omitted > 0 ? SheetGap + LabelHeight : 0) + SheetMargin;

    TacPixmap sheet(width, height, OpaquePixel(backdrop));
    DrawTinyText(sheet, SheetMargin, SheetMargin, title, labelColor);
    for (const TSheetColumn& column : columns) {
        for (const TSheetRow& row : column.Rows) {
            PaintSheetRow(sheet, model, row, column.Left, backdrop, labelColor);
        }
    }
    if (omitted > 0) {
        DrawTinyText(sheet, SheetMargin, height - SheetMargin - TinyGlyphHeight,
                     "... " + std::to_string(omitted) + " more sections", labelColor);
    }
    return sheet;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TOptions options;
    try {
        options = ParseOptions(args);
    } catch (const TUsageError& e) {
        err << "skinpaint: " << e.Message << "\n" << UsageText;
        return ExitUsage;
    }
    if (options.Help) {
        out << UsageText;
        return ExitOk;
    }
    try {
        Execute(options, out);
    } catch (const std::exception& e) {
        err << "skinpaint: " << e.what() << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace sj::tools::skinpaint
