// The provider harness form and its stored description.
#include "tests/skin/frame/ProviderHarness.h"

#include "forms/FormResources.h"
#include "forms/NonVisualClasses.h"

#include <stdexcept>

namespace sj::provider_harness {

namespace {

std::string InternalSkinItems() {
    const std::vector<std::uint8_t> bytes = LoadDataResource("SJ_INTERNALSKINS");
    return std::string(bytes.begin(), bytes.end());
}

void RegisterHarnessClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterNonVisualClasses();
    RegisterSkinProviderClasses();
    RegisterSkinManagerClasses();
}

TPixel32 Pixel(TColor color, std::uint8_t alpha) {
    const auto rgb = static_cast<std::uint32_t>(color) & 0x00FFFFFFu;
    return (static_cast<TPixel32>(alpha) << 24) | ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

} // namespace

std::unique_ptr<TBitmap> KeyedGlyph(TColor ink, TColor key) {
    auto glyph = std::make_unique<TBitmap>(12, 12);
    TacPixelsView pixels = glyph->Pixels();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            pixels.At(x, y) = (x == 0 || y == 11 || (x > 8 && y < 3)) ? Pixel(key, 0) : Pixel(ink, 0);
    return glyph;
}

std::unique_ptr<TBitmap> AlphaGlyph(TColor ink) {
    auto glyph = std::make_unique<TBitmap>(10, 10);
    TacPixelsView pixels = glyph->Pixels();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool edge = x == 0 || y == 0 || x == 9 || y == 9;
            pixels.At(x, y) = Pixel(ink, edge ? 0x80 : 0xFF);
        }
    return glyph;
}

std::string ProviderHarnessFormText(const std::string& skinName, bool extendedBorders) {
    std::string text = "object ProviderHarness: TProviderHarnessForm\n"
                       "  Left = 80\n  Top = 60\n  BorderStyle = bsSizeable\n"
                       "  BorderIcons = [biSystemMenu, biMinimize, biMaximize]\n"
                       "  Caption = 'Provider harness'\n  ClientHeight = 260\n  ClientWidth = 480\n"
                       "  Color = clBtnFace\n  Font.Height = -11\n  Font.Name = 'Tahoma'\n";
    text += "  object sSkinManager1: TsSkinManager\n" + InternalSkinItems() +
            "    ExtendedBorders = " + (extendedBorders ? "True" : "False") +
            "\n    SkinDirectory = 'c:\\Skins'\n    SkinName = '" + skinName +
            "'\n    SkinningRules = [srStdForms, srThirdParty]\n"
            "    ThirdParty.ThirdEdits.Strings = (\n        'TEdit')\n  end\n";
    text += "  object sSkinProvider1: TsSkinProvider\n"
            "    AddedTitle.Text = '- added'\n"
            "    AddedTitle.Font.Color = clNone\n"
            "    SkinData.SkinSection = 'FORM'\n"
            "    TitleButtons = <>\n"
            "  end\n";
    text += "  object Edit1: TEdit\n    Left = 16\n    Top = 16\n    Width = 160\n    Height = 21\n"
            "    Text = 'An edit'\n  end\n";
    text += "end\n";
    return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos)
        throw std::logic_error("the harness description has no \"" + from + "\"");
    return text.replace(at, from.size(), to);
}

TProviderHarnessForm::TProviderHarnessForm(TComponent* owner, const std::string& skinName, bool extendedBorders)
    : TForm(owner) {
    RegisterHarnessClasses();
    BindField("sSkinManager1", Manager);
    BindField("sSkinProvider1", Provider);
    BindField("Edit1", Edit);
    CreateFromText(ProviderHarnessFormText(skinName, extendedBorders));
}

TProviderHarnessForm::TProviderHarnessForm(TComponent* owner, const std::string& description) : TForm(owner) {
    RegisterHarnessClasses();
    BindField("sSkinManager1", Manager);
    BindField("sSkinProvider1", Provider);
    BindField("Edit1", Edit);
    CreateFromText(description);
}

void TProviderHarnessForm::AddUserButtons() {
    TsTitleButton& pin = Provider->TitleButtons().Add();
    pin.Name = "Pin";
    pin.Hint = "Keep this window on top";
    pin.SetGlyph(*KeyedGlyph(static_cast<TColor>(0x000000C0), static_cast<TColor>(0x00FF00FF)));
    TsTitleButton& star = Provider->TitleButtons().Add();
    star.Name = "Star";
    star.SetGlyph(*AlphaGlyph(static_cast<TColor>(0x0000A000)));
}

TacPixmap AreaOf(TacPixelsView pixels, const RECT& r) {
    TacPixmap copy(r.right - r.left, r.bottom - r.top);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            copy.At(x - r.left, y - r.top) = pixels.At(x, y);
    return copy;
}

void Pump(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (milliseconds > 0)
            ::Sleep(5);
    } while (::GetTickCount() - start < milliseconds);
}

} // namespace sj::provider_harness
