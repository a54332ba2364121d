#include "SkinBuilderInternal.h"
#include "SkinPackWriter.h"

namespace sj::skingen {

namespace builder_detail {

std::string TSkinBuilder::MasterItem(const std::string& label, const std::vector<TLayerF>& frames, TForm form,
                                     const std::function<std::string(const TRectI&)>& value, const TColorF& matte) {
    const int w = frames[0].Width(), h = frames[0].Height();
    const int rows = form == TForm::Masked ? 2 : 1;
    const TRectI r = FAtlas.Allocate(w * static_cast<int>(frames.size()), h * rows);
    StoreFrames(FAtlas.Pixels(), r.Left, r.Top, frames, form, matte);
    Preview(label, DecodeStored(FAtlas.Pixels(), r, static_cast<int>(frames.size()), form),
            static_cast<int>(frames.size()));
    return value(r);
}

std::string TSkinBuilder::Glyph(const std::string& label, const std::vector<TLayerF>& frames, bool masked) {
    const int n = static_cast<int>(frames.size());
    return MasterItem(
        label, frames, masked ? TForm::Masked : TForm::Keyed,
        [&](const TRectI& r) { return GlyphValue(r, n, masked ? 1 : 0); }, P.Window);
}

std::string TSkinBuilder::Borders(const std::string& label, const std::vector<TLayerF>& frames, int l, int t, int r,
                                  int b, int paintFlags, int common) {
    const int n = static_cast<int>(frames.size());
    const std::string value = MasterItem(label, frames, TForm::Masked, [&](const TRectI& rc) {
        return BordersValue(rc, l, t, r, b, n, 1, paintFlags, common);
    });
    NinePart(l, t, r, b, (paintFlags & 4) != 0);
    return value;
}

void TSkinBuilder::NinePart(int l, int t, int r, int b, bool centre) {
    TPreviewEntry& e = FPreviews.back();
    e.Left = l;
    e.Top = t;
    e.Right = r;
    e.Bottom = b;
    e.Centre = centre;
}

void TSkinBuilder::AddFile(const std::string& name, std::vector<std::uint8_t> bytes) {
    FFiles.push_back({name, std::move(bytes)});
}

void TSkinBuilder::Preview(const std::string& label, TacPixmap image, int frames) {
    FPreviews.push_back({label, std::move(image), frames});
}

void TSkinBuilder::Section(const std::string& s, int states, const TColorF& color, const TColorF& font) {
    Set(s, "STATES", states);
    SetColor(s, "COLOR", color);
    SetColor(s, "FONTCOLOR", font);
    if (states > 1) {
        SetColor(s, "HOTCOLOR", color);
        SetColor(s, "HOTFONTCOLOR", font);
    }
}

void TSkinBuilder::Hot(const std::string& s, const TColorF& color, const TColorF& font) {
    SetColor(s, "HOTCOLOR", color);
    SetColor(s, "HOTFONTCOLOR", font);
}

std::string TSkinBuilder::Gradient(const TColorF& a, const TColorF& b, int mode) const {
    return std::to_string(RefOf(a)) + ";" + std::to_string(RefOf(b)) + ";100;" + std::to_string(mode) + ";0";
}

TLayerF TSkinBuilder::FaceFrame(int w, int h, float radius, const TFaceLook& look) const {
    TLayerF l(w, h);
    PaintFace(l, 0, 0, static_cast<float>(w), static_cast<float>(h), radius, look);
    return l;
}

TFaceLook TSkinBuilder::ButtonLook(int state) const {
    const float d = T.Depth;
    switch (state) {
    case 1:
        return {Mix(P.Border, P.Accent, 0.7f), Lighten(P.FaceHot, 0.1f + 0.35f * d), Darken(P.FaceHot, 0.1f * d),
                T.Gloss, 0.35f};
    case 2:
        return {Darken(Mix(P.Border, P.Accent, 0.6f), 0.15f), Darken(P.FacePressed, 0.1f * d),
                Lighten(P.FacePressed, 0.1f * d), T.Gloss * 0.4f, 0};
    case 3:
        return {P.Accent, P.FaceTop, P.FaceBottom, T.Gloss, 0.35f};
    default:
        return {P.Border, P.FaceTop, P.FaceBottom, T.Gloss, 0.35f};
    }
}

TBuiltSkin TSkinBuilder::Build() {
    // The classic look keeps two items at fixed places of the master image; they are
    // taken before anything else is placed.
    if (T.Classic) {
        FAtlas.Reserve({163, 15, 208, 30});
        FAtlas.Reserve(kClassicEditBorder);
    }
    GlobalInfo();
    Frame();
    Buttons();
    Edits();
    Groups();
    Tabs();
    Menus();
    ScrollBars();
    Tools();
    Misc();
    Textures();
    ExtendedBorder();

    TBuiltSkin skin;
    skin.Name = T.FullName();
    skin.Description = D;
    const std::string text = D.Text();
    skin.Members.push_back({"Options.dat", std::vector<std::uint8_t>(text.begin(), text.end())});
    const TacPixmap master = FAtlas.Cropped();
    skin.Members.push_back({kMasterFile, EncodeBmp24(master)});
    for (TSkinMember& m : FFiles)
        skin.Members.push_back(std::move(m));
    skin.Preview = MakePreviewSheet(master, FPreviews, StoredPixel(P.Window));
    return skin;
}

} // namespace builder_detail


std::vector<std::uint8_t> TBuiltSkin::Package() const {
    TacSkinPackWriter writer;
    for (const TSkinMember& m : Members)
        writer.AddMember(m.Name, m.Content);
    return writer.Encode();
}

TBuiltSkin BuildSkin(const TSkinTheme& theme) {
    return builder_detail::TSkinBuilder(theme).Build();
}

} // namespace sj::skingen
