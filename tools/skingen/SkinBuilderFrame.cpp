#include "SkinBuilderInternal.h"

#include <cmath>

namespace sj::skingen::builder_detail {

// ---- [GLOBALINFO] and its shared images ----

void TSkinBuilder::GlobalInfo() {
    const std::string g = "GLOBALINFO";
    Set(g, "VERSION", T.Version);
    Set(g, "AUTHOR", "SplitJoin");
    Set(g, "DESCRIPTION", T.Description.empty() ? T.Name : T.Description);
    Set(g, "MASTERBITMAP", Upper(kMasterFile));
    Set(g, "STATES", 2);
    SetColor(g, "COLOR", P.Window);
    SetColor(g, "FONTCOLOR", P.Text);
    SetColor(g, "HOTCOLOR", P.EditFocus);
    SetColor(g, "HOTFONTCOLOR", ReadableOn({P.EditFocus}, P.EditText));
    Set(g, "BORDERWIDTH", T.BorderWidth);
    Set(g, "TITLEHEIGHT", T.TitleHeight);
    Set(g, "MAXHEIGHT", T.MaxHeight ? T.MaxHeight : T.TitleHeight - 3);
    Set(g, "ALIGNOFFSET", 0);
    Set(g, "CENTEROFFSET", T.Has(tfBorderMode) ? 0 : (T.TitleHeight > 28 ? 1 : 0));
    Set(g, "BORDERMODE", T.Has(tfBorderMode) ? 1 : 0);
    SetColor(g, "SHADOW1COLOR", kBlack);
    Set(g, "SHADOW1OFFSET", 0);
    Set(g, "SHADOW1BLUR", T.Has(tfExBorder) ? 8 : -1);
    Set(g, "SHADOW1TRANSPARENCY", 60);
    Set(g, "BISPACE", T.Buttons == TTitleButtons::Orb ? 4 : (T.Classic ? 2 : 1));
    Set(g, "BIVALIGN", T.Buttons == TTitleButtons::Flat ? 1 : 0);
    Set(g, "BIRIGHT", T.Buttons == TTitleButtons::Orb ? 6 : (T.Classic ? 1 : 2));
    Set(g, "BILEFT", 4);
    Set(g, "BITOP", 1);
    SetColor(g, "BORDERCOLOR", P.Border);
    Set(g, "BIKEEPHUE", T.Buttons == TTitleButtons::Orb ? 1 : 0);
    Set(g, "AEROBLUR", 0);
    Set(g, "EXTSHADOW", 0);
    if (T.Has(tfExBorder))
        Set(g, "FORMOFFSET", T.Has(tfBorderMode) ? 10 : 2);

    TitleButtons();
    CheckBoxes();

    // Size grips: dots in a triangle, and rows of dots for grip bars.
    auto dots = [&](int w, int h, const std::function<bool(int, int)>& keep) {
        TLayerF l(w, h);
        for (int y = 1; y + 2 <= h; y += 4)
            for (int x = 1; x + 2 <= w; x += 4)
                if (keep(x, y)) {
                    l.Fill(Rect(static_cast<float>(x) + 1, static_cast<float>(y) + 1, static_cast<float>(x) + 3,
                                static_cast<float>(y) + 3),
                           WithAlpha(kWhite, P.Dark ? 0.25f : 0.9f));
                    l.Fill(Rect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x) + 2,
                                static_cast<float>(y) + 2),
                           P.Border);
                }
        return l;
    };
    Set(g, "GRIPIMAGE", Glyph("grip", {dots(13, 13, [](int x, int y) { return x + y >= 12; })}));
    Set(g, "GRIPHORZ", Glyph("grip h", {dots(17, 5, [](int, int) { return true; })}));
    Set(g, "GRIPVERT", Glyph("grip v", {dots(5, 17, [](int, int) { return true; })}));
}

TLayerF TSkinBuilder::TitleButtonFrame(TGlyph g, int w, int h, int state, bool small) const {
    TLayerF l(w, h);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const float s = std::min(fw, fh) * (small ? 0.40f : 0.38f);
    const float stroke = small ? 1.3f : (T.Radius >= 4 ? 1.6f : 1.4f);
    const bool close = g == TGlyph::Close;
    const TColorF red = Rgb(0xD9443B);
    TColorF glyph = P.TitleGlyph;
    switch (T.Buttons) {
    case TTitleButtons::Tile: {
        const float r = static_cast<float>(std::min(T.Radius, 4));
        if (state > 0) {
            const TColorF base =
                close ? red : (IsDark(P.TitleBottom) ? Lighten(P.TitleBottom, 0.25f) : Darken(P.TitleBottom, 0.15f));
            const TColorF fill = state == 2 ? Darken(base, 0.2f) : base;
            PaintFace(l, 0.5f, 0.5f, fw - 0.5f, fh - 0.5f, r,
                      {Darken(fill, 0.2f), Lighten(fill, 0.15f), fill, T.Gloss * 0.6f, 0});
            glyph = close ? kWhite : ReadableOn({fill}, P.TitleGlyph, 3.0);
        } else if (T.Classic) {
            l.Fill(RoundRect(0.5f, 0.5f, fw - 0.5f, fh - 0.5f, r), WithAlpha(kWhite, 0.18f));
            l.Fill(Difference(RoundRect(0.5f, 0.5f, fw - 0.5f, fh - 0.5f, r),
                              RoundRect(1.5f, 1.5f, fw - 1.5f, fh - 1.5f, r - 1)),
                   WithAlpha(P.TitleGlyph, 0.35f));
        }
        DrawGlyph(l, g, fw / 2, fh / 2, s, stroke, glyph, false);
        break;
    }
    case TTitleButtons::Orb: {
        TColorF c =
            close ? red : (g == TGlyph::Min ? Rgb(0xE0A832) : (g == TGlyph::Help ? Rgb(0x4F86D6) : Rgb(0x4FAE4A)));
        if (state == 1)
            c = Lighten(c, 0.15f);
        if (state == 2)
            c = Darken(c, 0.2f);
        const float rad = std::min(fw, fh) / 2 - 2;
        l.Fill(Circle(fw / 2, fh / 2, rad + 0.7f), Darken(c, 0.35f));
        l.Fill(Circle(fw / 2, fh / 2, rad - 0.3f), VerticalGradient(fh / 2 - rad, Lighten(c, 0.25f), fh / 2 + rad, c));
        l.Fill(Intersection(Circle(fw / 2, fh / 2, rad - 1.2f), Rect(0, 0, fw, fh / 2)),
               WithAlpha(kWhite, 0.35f * std::max(T.Gloss, 0.4f)));
        if (state > 0)
            DrawGlyph(l, g, fw / 2, fh / 2, rad * 0.95f, 1.3f, WithAlpha(Darken(c, 0.6f), 0.85f), false);
        break;
    }
    case TTitleButtons::Flat: {
        if (state > 0) {
            const TColorF fill = close ? red : (IsDark(P.TitleBottom) ? kWhite : kBlack);
            l.Fill(Rect(0, 0, fw, fh),
                   WithAlpha(fill, close ? (state == 2 ? 1.0f : 0.85f) : (state == 2 ? 0.3f : 0.16f)));
            glyph = close ? kWhite : P.TitleGlyph;
        }
        DrawGlyph(l, g, fw / 2, fh / 2, s, stroke * 0.85f, glyph, false);
        break;
    }
    case TTitleButtons::Square: {
        TFaceLook look = ButtonLook(state == 0 ? 0 : (state == 1 ? 1 : 2));
        if (close && state > 0) {
            look.Top = Lighten(red, 0.2f);
            look.Bottom = red;
            look.Border = Darken(red, 0.3f);
        }
        PaintFace(l, 0.5f, 0.5f, fw - 0.5f, fh - 0.5f, static_cast<float>(std::min(T.Radius, 3)), look);
        glyph = close && state > 0 ? kWhite : (state == 1 ? P.FaceHotText : P.FaceText);
        DrawGlyph(l, g, fw / 2, fh / 2, s, stroke, glyph, false);
        break;
    }
    }
    return l;
}

TLayerF TSkinBuilder::GlowImage(int w, int h, int margin, const TColorF& c) const {
    // A soft halo around a w x h hole, margin pixels wide.
    TLayerF l(w + 2 * margin, h + 2 * margin);
    const float m = static_cast<float>(margin);
    for (int y = 0; y < l.Height(); ++y)
        for (int x = 0; x < l.Width(); ++x) {
            const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            const float dx = std::max({m - px, 0.0f, px - (m + static_cast<float>(w))});
            const float dy = std::max({m - py, 0.0f, py - (m + static_cast<float>(h))});
            const float d = std::sqrt(dx * dx + dy * dy);
            const float a = d >= m ? 0 : 0.6f * (1 - d / m) * (1 - d / m);
            if (a > 0)
                l.Set(x, y, WithAlpha(c, a));
        }
    return l;
}

void TSkinBuilder::TitleButtons() {
    const std::string g = "GLOBALINFO";
    const bool png = T.Has(tfPngTitleButtons);
    struct TKind {
        const char* Key;
        TGlyph Glyph;
        bool Small;
    };
    const TKind kinds[] = {{"BICONCLOSE", TGlyph::Close, false}, {"BICLOSEALONE", TGlyph::Close, false},
                           {"BICONMAX", TGlyph::Max, false},     {"BICONNORM", TGlyph::Norm, false},
                           {"BICONMIN", TGlyph::Min, false},     {"BICONHELP", TGlyph::Help, false},
                           {"SICONCLOSE", TGlyph::Close, true},  {"SICONMAX", TGlyph::Max, true},
                           {"SICONNORM", TGlyph::Norm, true},    {"SICONMIN", TGlyph::Min, true},
                           {"SICONHELP", TGlyph::Help, true}};
    const int bw = T.Buttons == TTitleButtons::Orb ? T.TitleButtonHeight : T.TitleButtonWidth;
    const int bh = T.TitleButtonHeight;
    for (const TKind& k : kinds) {
        int w = k.Small ? std::max(15, bw * 3 / 4) : bw, h = k.Small ? std::max(13, bh * 3 / 4) : bh;
        if (std::string(k.Key) == "BICLOSEALONE" && T.Buttons != TTitleButtons::Orb)
            w = bw + 8; // a lone close button gets a wider plate
        std::vector<TLayerF> frames;
        for (int state = 0; state < 3; ++state)
            frames.push_back(TitleButtonFrame(k.Glyph, w, h, state, k.Small));
        if (png && !k.Small) {
            // Opaque PNG with mask rows: PNG pixels are premultiplied on loading, so the
            // key colour could not survive in them.
            TacPixmap file(w * 3, h * 2);
            StoreFrames(file, 0, 0, frames, TForm::Masked, kWhite, true);
            const std::string name = "Title_" + std::string(k.Key) + ".png";
            AddFile(name, tools::EncodePng(file));
            Set(g, k.Key, FileValue(Upper(name), 3, 1, 2));
            Preview(k.Key, DecodeStored(file, {0, 0, w * 3, h * 2}, 3, TForm::Masked), 3);
        } else {
            Set(g, k.Key, Glyph(k.Key, frames));
        }
    }
    // User title buttons: an empty plate.
    {
        std::vector<TLayerF> frames;
        for (int state = 0; state < 3; ++state) {
            TLayerF l(bw, bh);
            PaintFace(l, 0.5f, 0.5f, static_cast<float>(bw) - 0.5f, static_cast<float>(bh) - 0.5f,
                      static_cast<float>(std::min(T.Radius, 4)), ButtonLook(state));
            frames.push_back(std::move(l));
        }
        Set(g, "TITLEBUTTON", Glyph("TITLEBUTTON", frames));
    }
    if (T.Has(tfControlGlow)) {
        const char* keys[] = {"BICONCLOSE", "BICONMAX", "BICONMIN"};
        const char* files[] = {"GlowClose.png", "GlowMax.png", "GlowMin.png"};
        for (int i = 0; i < 3; ++i) {
            const TColorF c = i == 0 ? Rgb(0xFF5A4A) : Lighten(P.Accent, 0.3f);
            const TLayerF glow = GlowImage(bw, bh, 8, c);
            AddFile(files[i], tools::EncodePng(glow.ToPixmap()));
            Set(g, std::string(keys[i]) + "GLOW0", FileValue(Upper(files[i]), 1, 0, 4));
            Set(g, std::string(keys[i]) + "GLOW", 1);
            Set(g, std::string(keys[i]) + "GLOWMARGIN", 8);
            Preview(std::string(keys[i]) + "GLOW0", glow.ToPixmap(), 1);
        }
    }
}

TLayerF TSkinBuilder::CheckFrame(bool radio, int mark, int state, int size) const {
    TLayerF l(size, size);
    const float s = static_cast<float>(size);
    const TColorF border = state == 0 ? P.EditBorder : Mix(P.EditBorder, P.Accent, 0.75f);
    const TColorF fill =
        state == 2 ? Mix(P.Edit, P.Accent, 0.25f) : (state == 1 ? Mix(P.Edit, P.Accent, 0.08f) : P.Edit);
    const TFaceLook look{border, Lighten(fill, 0.1f * T.Depth), Darken(fill, 0.08f * T.Depth), T.Gloss * 0.5f, 0};
    if (radio)
        PaintFace(l, 0.5f, 0.5f, s - 0.5f, s - 0.5f, s / 2, look);
    else
        PaintFace(l, 0.5f, 0.5f, s - 0.5f, s - 0.5f, static_cast<float>(std::min(T.Radius, 3)), look);
    const TColorF markColor = ReadableOn({fill}, P.Dark ? Lighten(P.Accent, 0.2f) : Darken(P.Accent, 0.2f), 3.0);
    if (mark == 1) {
        if (radio)
            DrawGlyph(l, TGlyph::Dot, s / 2, s / 2, s * 0.42f, 0, markColor, false);
        else if (T.Check == TCheckMark::Tick)
            DrawGlyph(l, TGlyph::Tick, s / 2, s / 2, s * 0.56f, s > 13 ? 2.0f : 1.7f, markColor, false);
        else if (T.Check == TCheckMark::Cross)
            DrawGlyph(l, TGlyph::Cross, s / 2, s / 2, s * 0.55f, 1.8f, markColor, false);
        else
            DrawGlyph(l, TGlyph::Square, s / 2, s / 2, s * 0.5f, 0, markColor, false);
    } else if (mark == 2) {
        const TColorF grey = Mix(markColor, fill, 0.55f);
        if (radio)
            DrawGlyph(l, TGlyph::Dot, s / 2, s / 2, s * 0.42f, 0, grey, false);
        else
            DrawGlyph(l, TGlyph::Square, s / 2, s / 2, s * 0.5f, 0, grey, false);
    }
    return l;
}

void TSkinBuilder::CheckBoxes() {
    const std::string g = "GLOBALINFO";
    const int size = T.Classic ? 15 : (T.Radius >= 5 ? 15 : 14);
    struct TBox {
        const char* Key;
        bool Radio;
        int Mark;
        int Size;
    };
    const TBox boxes[] = {{"BOXCHECKED", false, 1, size},         {"BOXUNCHECKED", false, 0, size},
                          {"BOXGRAYED", false, 2, size},          {"RADIOCHECKED", true, 1, size},
                          {"RADIOUNCHECKED", true, 0, size},      {"RADIOGRAYED", true, 2, size},
                          {"SMALLCHECKED", false, 1, FSmall - 2}, {"SMALLUNCHECKED", false, 0, FSmall - 2},
                          {"SMALLGRAYED", false, 2, FSmall - 2}};
    for (const TBox& b : boxes) {
        std::vector<TLayerF> frames;
        for (int state = 0; state < 3; ++state)
            frames.push_back(CheckFrame(b.Radio, b.Mark, state, b.Size));
        if (T.Classic && std::string(b.Key) == "BOXCHECKED") {
            // Kept where older descriptions of this skin put it: three 15 x 15 frames at (163, 15).
            const TRectI r{163, 15, 163 + 45, 30};
            StoreFrames(FAtlas.Pixels(), r.Left, r.Top, frames, TForm::Keyed, P.Window);
            Preview(b.Key, DecodeStored(FAtlas.Pixels(), r, 3, TForm::Keyed), 3);
            Set(g, b.Key, GlyphValue(r, 3, 0));
            continue;
        }
        Set(g, b.Key, Glyph(b.Key, frames, !T.Classic));
    }
    // Menu check mark: normal and selected item.
    std::vector<TLayerF> frames;
    for (const TColorF& c : {P.MenuText, P.MenuHotText}) {
        TLayerF l(16, 16);
        DrawGlyph(l, T.Check == TCheckMark::Cross ? TGlyph::Cross : TGlyph::Tick, 8, 8, 9, 1.8f, c, false);
        frames.push_back(std::move(l));
    }
    Set(g, "CHECK", Glyph("CHECK", frames));
}

// ---- window frame and caption ----

void TSkinBuilder::Frame() {
    const int bw = T.BorderWidth, th = T.TitleHeight;
    const float tr = static_cast<float>(T.TitleRadius);
    const float br = static_cast<float>(std::min(T.TitleRadius, std::max(bw - 1, 2)));

    // FORM: the side and bottom frame; frame 0 inactive, frame 1 active.
    {
        const int size = 2 * bw + 6;
        std::vector<TLayerF> frames;
        for (int active = 0; active < 2; ++active) {
            TLayerF l(size, size);
            const TColorF body = active ? P.TitleBottom : P.TitleInBottom;
            const float s = static_cast<float>(size), b = static_cast<float>(bw);
            l.Fill(RoundRect(0, -20, s, s, br), active ? Darken(P.TitleBottom, 0.35f) : P.Border);
            l.Fill(RoundRect(1, -20, s - 1, s - 1, std::max(0.0f, br - 1)), body);
            l.Fill(Rect(b - 1, -1, s - b + 1, s - b + 1), Mix(body, P.Border, 0.6f));
            l.Fill(Rect(b, -1, s - b, s - b), P.Window);
            frames.push_back(std::move(l));
        }
        Section("FORM", 2, P.Window, P.Text);
        if (T.Texture == TTexture::None)
            Set("FORM", "GRADIENTDATA", " ");
        Set("FORM", "BORDERSMASK", Borders("FORM", frames, bw, bw, bw, bw, 1));
    }
    // FORMTITLE: the caption strip with rounded top corners; state = form active.
    {
        const int side = std::max(bw, T.TitleRadius + 1);
        const int w = 2 * side + 10;
        std::vector<TLayerF> frames;
        for (int active = 0; active < 2; ++active) {
            TLayerF l(w, th);
            const TColorF top = active ? P.TitleTop : P.TitleInTop, bottom = active ? P.TitleBottom : P.TitleInBottom;
            const float fw = static_cast<float>(w), fh = static_cast<float>(th);
            l.Fill(RoundRect(0, 0, fw, fh + tr + 2, tr), active ? Darken(P.TitleBottom, 0.35f) : P.Border);
            l.Fill(RoundRect(1, 1, fw - 1, fh + tr + 2, std::max(0.0f, tr - 1)), VerticalGradient(1, top, fh, bottom));
            if (P.TitleGloss > 0)
                l.Fill(
                    Intersection(RoundRect(1, 1, fw - 1, fh + tr, std::max(0.0f, tr - 1)), Rect(0, 0, fw, fh * 0.5f)),
                    VerticalGradient(1, WithAlpha(kWhite, 0.4f * P.TitleGloss), fh * 0.5f,
                                     WithAlpha(kWhite, 0.1f * P.TitleGloss)));
            l.Fill(Difference(RoundRect(1, 1, fw - 1, fh, std::max(0.0f, tr - 1)), RoundRect(1, 2, fw - 1, fh + 4, tr)),
                   WithAlpha(kWhite, 0.3f));
            l.Fill(Rect(static_cast<float>(bw) - 1, fh - 1, fw - static_cast<float>(bw) + 1, fh),
                   Mix(bottom, P.Border, 0.6f));
            frames.push_back(std::move(l));
        }
        const TColorF mid = Mix(P.TitleTop, P.TitleBottom, 0.5f), midIn = Mix(P.TitleInTop, P.TitleInBottom, 0.5f);
        Section("FORMTITLE", 2, midIn, P.TitleInText);
        Hot("FORMTITLE", mid, P.TitleText);
        Set("FORMTITLE", "GRADIENTDATA", Gradient(P.TitleInTop, P.TitleInBottom));
        Set("FORMTITLE", "HOTGRADIENTDATA", Gradient(P.TitleTop, P.TitleBottom));
        Set("FORMTITLE", "GRADIENTPERCENT", 100);
        Set("FORMTITLE", "HOTGRADIENTPERCENT", 100);
        Set("FORMTITLE", "BORDERSMASK", Borders("FORMTITLE", frames, side, std::max(2, T.TitleRadius), side, 2, 5));
        if (T.Has(tfTextShadow)) {
            const TColorF shade = IsDark(P.TitleText) ? Lighten(mid, 0.4f) : Darken(mid, 0.45f);
            SetColor("FORMTITLE", "TCBOTTOM", Mix(shade, midIn, 0.3f));
            SetColor("FORMTITLE", "HOTTCBOTTOM", shade);
        }
        if (T.Has(tfTitleGlow)) {
            SetColor("FORMTITLE", "GCOL", midIn);
            SetColor("FORMTITLE", "HGCOL", IsDark(P.TitleText) ? kWhite : Lighten(P.Accent, 0.2f));
            Set("FORMTITLE", "GSIZE", 0);
            Set("FORMTITLE", "HGSIZE", 6);
        }
    }
    // CAPTION: the plate behind the caption text.
    {
        const TColorF mid = Mix(P.TitleTop, P.TitleBottom, 0.5f), midIn = Mix(P.TitleInTop, P.TitleInBottom, 0.5f);
        Section("CAPTION", 2, midIn, P.TitleInText);
        Hot("CAPTION", mid, P.TitleText);
        if (T.Has(tfCaptionPill)) {
            std::vector<TLayerF> frames;
            for (int active = 0; active < 2; ++active) {
                TLayerF l(16, 16);
                const TColorF base = active ? mid : midIn;
                const TColorF plate = IsDark(base) ? Lighten(base, 0.12f) : Darken(base, 0.08f);
                l.Fill(RoundRect(0.5f, 0.5f, 15.5f, 15.5f, 6), WithAlpha(Darken(plate, 0.2f), 0.8f));
                l.Fill(RoundRect(1.5f, 1.5f, 14.5f, 14.5f, 5), plate);
                frames.push_back(std::move(l));
            }
            Set("CAPTION", "TRANSPARENCY", 100);
            Set("CAPTION", "HOTTRANSPARENCY", 100);
            Set("CAPTION", "BORDERSMASK", Borders("CAPTION", frames, 6, 6, 6, 6, 5));
        } else {
            Set("CAPTION", "TRANSPARENCY", 100);
            Set("CAPTION", "HOTTRANSPARENCY", 100);
        }
    }
    // Dialog windows look like the main window.
    Set("DIALOG", "PARENTCLASS", "FORM");
    Set("DIALOGTITLE", "PARENTCLASS", "FORMTITLE");
}

void TSkinBuilder::ExtendedBorder() {
    if (!T.Has(tfExBorder))
        return;
    const bool wholeFrame = T.Has(tfBorderMode);
    const int f = wholeFrame ? 10 : 2;      // FORMOFFSET
    const int shadow = wholeFrame ? f : 12; // visible ring outside the window
    const int bw = T.BorderWidth, th = T.TitleHeight;
    const int left = wholeFrame ? f + bw : shadow + f;
    const int top = wholeFrame ? f + th : shadow + f;
    const int w = 2 * left + 12, h = top + left + 12;
    const float tr = static_cast<float>(T.TitleRadius);
    std::vector<TLayerF> frames;
    for (int active = 0; active < 2; ++active) {
        TLayerF l(w, h);
        // The window's outline inside the image.
        const float wx0 = static_cast<float>(wholeFrame ? f : left), wy0 = static_cast<float>(wholeFrame ? f : top);
        const float wx1 = static_cast<float>(w) - wx0, wy1 = static_cast<float>(h) - wx0;
        const float reach = static_cast<float>(wholeFrame ? f : shadow);
        const TColorF shade = active ? Darken(P.Accent, 0.5f) : kBlack;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
                const float dx = std::max({wx0 + tr - px, 0.0f, px - (wx1 - tr)});
                const float dy = std::max({wy0 + tr - py, 0.0f, py - (wy1 - tr)});
                const float d = std::sqrt(dx * dx + dy * dy) - tr;
                if (d <= 0)
                    continue;
                const float a = d >= reach ? 0 : (active ? 0.45f : 0.3f) * (1 - d / reach) * (1 - d / reach);
                if (a > 0)
                    l.Set(x, y, WithAlpha(shade, a));
            }
        if (wholeFrame) {
            const TColorF topC = active ? P.TitleTop : P.TitleInTop, bottomC = active ? P.TitleBottom : P.TitleInBottom;
            const float fbw = static_cast<float>(bw);
            l.Fill(Difference(RoundRect(wx0, wy0, wx1, wy1, tr),
                              Rect(wx0 + fbw, wy0 + static_cast<float>(th), wx1 - fbw, wy1 - fbw)),
                   active ? Darken(P.TitleBottom, 0.35f) : P.Border);
            l.Fill(Difference(RoundRect(wx0 + 1, wy0 + 1, wx1 - 1, wy1 - 1, tr - 1),
                              Rect(wx0 + fbw - 1, wy0 + static_cast<float>(th) - 1, wx1 - fbw + 1, wy1 - fbw + 1)),
                   VerticalGradient(wy0, topC, wy0 + static_cast<float>(th), bottomC));
        }
        frames.push_back(std::move(l));
    }
    TLayerF sheet(w * 2, h);
    sheet.Draw(frames[0], 0, 0);
    sheet.Draw(frames[1], w, 0);
    AddFile("ExtB.PNG", tools::EncodePng(sheet.ToPixmap()));
    Set("GLOBALINFO", "EXBORDER", FileValue("EXTB.PNG", 2, 0, 3, left, top, left, left, wholeFrame ? 1 : 1));
    Preview("EXBORDER", sheet.ToPixmap(), 2);
}

} // namespace sj::skingen::builder_detail
