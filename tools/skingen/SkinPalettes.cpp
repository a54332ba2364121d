#include "SkinBuilderInternal.h"

#include <cmath>

namespace sj::skingen::builder_detail {

namespace {

double WorstContrastOf(std::initializer_list<TColorF> faces, const TColorF& text) {
    double worst = 21;
    for (const TColorF& face : faces)
        worst = std::min(worst, ContrastRatio(face, text));
    return worst;
}

// The ends of a title's gradient, its caption colour and the gloss it may take.
struct TTitleColours {
    TColorF Top, Bottom, Text;
    float Gloss = 0;
};

// What the caption is drawn on: the gradient's ends, the glossed top (white over the
// upper half, 0.4 x gloss at the top) and, with a caption plate, the plate.
TTitleColours SettleTitle(TColorF top, TColorF bottom, TColorF preferred, bool lightText, float gloss, bool pill) {
    constexpr double kRatio = 4.8;
    const TColorF extreme = lightText ? TColorF{1, 1, 1, 1} : TColorF{0, 0, 0, 1};
    auto plateOf = [pill](const TColorF& base) {
        if (!pill)
            return base;
        return IsDark(base) ? Lighten(base, 0.12f) : Darken(base, 0.08f);
    };
    auto worst = [&](const TColorF& text, float g) {
        const TColorF plate = plateOf(Mix(top, bottom, 0.5f));
        return WorstContrastOf({top, bottom, Lighten(top, 0.4f * g), plate}, text);
    };
    auto textFor = [&](float g) {
        preferred.A = 1;
        for (int step = 0; step <= 20; ++step) {
            const TColorF c = Mix(preferred, extreme, static_cast<float>(step) / 20.0f);
            if (worst(c, g) >= kRatio)
                return c;
        }
        return extreme;
    };
    TTitleColours out;
    for (;; gloss = std::max(0.0f, gloss - 0.05f)) {
        out.Text = textFor(gloss);
        if (worst(out.Text, gloss) >= kRatio || gloss <= 0)
            break;
    }
    out.Gloss = gloss;
    // No text colour serves the whole gradient: its ends give way to the text.
    if (worst(out.Text, gloss) < kRatio) {
        top = FaceFor(top, out.Text, kRatio);
        bottom = FaceFor(bottom, out.Text, kRatio);
        for (int step = 0; step < 20 && worst(out.Text, gloss) < kRatio; ++step) {
            top = lightText ? Darken(top, 0.05f) : Lighten(top, 0.05f);
            bottom = lightText ? Darken(bottom, 0.05f) : Lighten(bottom, 0.05f);
        }
    }
    out.Top = top;
    out.Bottom = bottom;
    return out;
}

} // namespace

TPalette MakePalette(const TSkinTheme& t) {
    TPalette p;
    p.Window = Rgb(t.Window);
    p.Dark = IsDark(p.Window);
    p.Accent = Rgb(t.Accent);
    const TColorF title = Rgb(t.Title);
    p.Text = ReadableOn({p.Window}, p.Dark ? Lighten(p.Window, 0.88f) : Darken(p.Window, 0.86f), 7.0);
    p.Border = p.Dark ? Lighten(p.Window, 0.22f) : Darken(p.Window, 0.32f);
    p.Shadow = Darken(p.Window, 0.5f);

    p.TitleTop = Lighten(title, 0.08f + 0.25f * t.Depth);
    p.TitleBottom = Darken(title, 0.05f + 0.15f * t.Depth);
    const TColorF inactive = Mix(title, p.Window, 0.65f);
    p.TitleInTop = Lighten(inactive, 0.05f + 0.15f * t.Depth);
    p.TitleInBottom = Darken(inactive, 0.04f + 0.08f * t.Depth);
    const bool darkTitle = IsDark(title);
    // The caption reads on all the title paints under it: both ends of the gradient, the
    // gloss over the upper half and the plate behind the text. The text keeps the title's
    // look (light on a dark title); where it cannot reach, the gloss gives way first and
    // then the gradient's ends move away from the text.
    auto active = SettleTitle(p.TitleTop, p.TitleBottom, darkTitle ? Lighten(title, 0.92f) : Darken(title, 0.85f),
                              darkTitle, t.Gloss, t.Has(tfCaptionPill));
    auto passive = SettleTitle(p.TitleInTop, p.TitleInBottom, Mix(active.Text, inactive, 0.3f), IsDark(inactive),
                               active.Gloss, t.Has(tfCaptionPill));
    if (passive.Gloss < active.Gloss)
        active = SettleTitle(p.TitleTop, p.TitleBottom, darkTitle ? Lighten(title, 0.92f) : Darken(title, 0.85f),
                             darkTitle, passive.Gloss, t.Has(tfCaptionPill));
    p.TitleTop = active.Top;
    p.TitleBottom = active.Bottom;
    p.TitleText = active.Text;
    p.TitleInTop = passive.Top;
    p.TitleInBottom = passive.Bottom;
    p.TitleInText = passive.Text;
    p.TitleGloss = passive.Gloss;
    p.TitleGlyph = p.TitleText;
    p.TitleInGlyph = Mix(p.TitleInText, inactive, 0.25f);

    p.Face = t.ButtonFace ? Rgb(t.ButtonFace) : (p.Dark ? Lighten(p.Window, 0.12f) : Lighten(p.Window, 0.45f));
    p.FaceTop = Lighten(p.Face, 0.10f + 0.35f * t.Depth);
    p.FaceBottom = Darken(p.Face, 0.02f + 0.12f * t.Depth);
    p.FaceText = ReadableOn({p.Face, p.FaceTop, p.FaceBottom}, p.Text);
    p.FaceHot = Mix(p.Face, p.Accent, p.Dark ? 0.30f : 0.18f);
    if (!p.Dark)
        p.FaceHot = Lighten(p.FaceHot, 0.35f);
    // Every state above normal (hot, pressed, the default button's look) is written with
    // the hot text colour, so that one colour has to read on all of their faces.
    p.FacePressed = Darken(Mix(p.Face, p.Accent, 0.3f), 0.12f);
    p.FaceHotText = ReadableOn(
        {p.FaceHot, Lighten(p.FaceHot, 0.35f * t.Depth + 0.1f), Darken(p.FaceHot, 0.1f), p.FaceTop, p.FaceBottom},
        p.FaceText);
    p.FaceHot = FaceFor(p.FaceHot, p.FaceHotText);
    p.FacePressed = FaceFor(p.FacePressed, p.FaceHotText, 5.2);
    p.FacePressedText = p.FaceHotText;

    p.Edit = p.Dark ? Darken(p.Window, 0.35f) : Lighten(p.Window, 0.85f);
    p.EditText = ReadableOn({p.Edit}, p.Text, 7.0);
    p.EditFocus = p.Dark ? Darken(p.Window, 0.5f) : kWhite;
    p.EditBorder = p.Dark ? Lighten(p.Window, 0.28f) : Darken(p.Window, 0.38f);

    p.Sel = p.Accent;
    p.SelText = ReadableOn({p.Sel}, IsDark(p.Accent) ? kWhite : kBlack);
    p.Sel = FaceFor(p.Sel, p.SelText);
    p.AccentText = p.SelText;

    p.Menu = p.Dark ? Lighten(p.Window, 0.06f) : Lighten(p.Window, 0.6f);
    p.MenuText = ReadableOn({p.Menu}, p.Text);
    p.MenuHot = p.Dark ? Mix(p.Menu, p.Accent, 0.55f) : Mix(p.Menu, p.Accent, 0.35f);
    p.MenuHotText = ReadableOn({p.MenuHot, Lighten(p.MenuHot, 0.15f), Darken(p.MenuHot, 0.1f)}, p.MenuText);
    p.MenuHot = FaceFor(p.MenuHot, p.MenuHotText);
    p.IcoLine = p.Dark ? Lighten(p.Menu, 0.05f) : Mix(p.Menu, p.Window, 0.6f);

    p.Page = p.Dark ? Lighten(p.Window, 0.05f) : Lighten(p.Window, 0.35f);
    p.PageText = ReadableOn({p.Page}, p.Text);
    p.TabFace = p.Dark ? Darken(p.Window, 0.15f) : Darken(p.Window, 0.05f);
    p.TabText = ReadableOn({p.TabFace, Lighten(p.TabFace, 0.2f)}, p.Text);
    p.TabHot = Mix(p.TabFace, p.Accent, 0.2f);
    p.TabHotText = ReadableOn({p.TabHot, p.Page, Lighten(p.TabHot, 0.2f)}, p.Text);
    p.TabHot = FaceFor(p.TabHot, p.TabHotText);

    p.Hint = p.Dark ? Lighten(p.Window, 0.15f) : Mix(kWhite, p.Accent, 0.08f);
    p.HintText = ReadableOn({p.Hint}, p.Text);
    p.Track = p.Dark ? Darken(p.Window, 0.2f) : Darken(p.Window, 0.06f);
    p.Tool = p.Dark ? Lighten(p.Window, 0.04f) : Lighten(p.Window, 0.2f);
    p.ToolText = ReadableOn({p.Tool, Darken(p.Tool, 0.08f), Lighten(p.Tool, 0.2f)}, p.Text);
    p.Status = p.Dark ? Darken(p.Window, 0.2f) : Darken(p.Window, 0.06f);
    p.StatusText = ReadableOn({p.Status}, p.Text);
    p.Header = p.Dark ? Lighten(p.Window, 0.1f) : Lighten(p.Window, 0.3f);
    p.HeaderText = ReadableOn({p.Header, Darken(p.Header, 0.12f), Lighten(p.Header, 0.3f)}, p.Text);
    p.Link = ReadableOn({p.Window}, p.Dark ? Lighten(p.Accent, 0.3f) : Darken(p.Accent, 0.25f));
    p.LinkHot = ReadableOn({p.Window}, p.Dark ? Lighten(p.Accent, 0.55f) : Darken(p.Accent, 0.45f));
    return p;
}

} // namespace sj::skingen::builder_detail
