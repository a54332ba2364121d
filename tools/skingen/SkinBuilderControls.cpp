#include "SkinBuilderInternal.h"

#include <cmath>

namespace sj::skingen::builder_detail {

// ---- controls ----

void TSkinBuilder::Buttons() {
    const int r = std::max(T.Radius, 2);
    const int bord = std::max(r, 3);
    const int w = 2 * bord + 8, h = 22;
    std::vector<TLayerF> frames;
    for (int state = 0; state < 4; ++state)
        frames.push_back(FaceFrame(w, h, static_cast<float>(r), ButtonLook(state)));

    // Pushed buttons paint their whole face from the image; the fill shows the backdrop.
    Set("BUTTON", "STATES", 4);
    SetColor("BUTTON", "COLOR", P.Face);
    SetColor("BUTTON", "FONTCOLOR", P.FaceText);
    Set("BUTTON", "TRANSPARENCY", 100);
    Set("BUTTON", "HOTTRANSPARENCY", 100);
    Set("BUTTON", "GRADIENTDATA", "N/A");
    // The hot colour defaults to white; write it only where white would misstate the face.
    if (RelativeLuminance(P.FaceHot) < 0.7 || ContrastRatio(kWhite, P.FaceHotText) < 4.8)
        SetColor("BUTTON", "HOTCOLOR", P.FaceHot);
    SetColor("BUTTON", "HOTFONTCOLOR", P.FaceHotText);
    Set("BUTTON", "FADINGENABLED", 1);
    Set("BUTTON", "FADINGITERATIONS", T.Classic ? 10 : 6 + static_cast<int>(FSeed % 5));
    Set("BUTTON", "SHOWFOCUS", 1);
    if (T.Has(tfBmpButton)) {
        TacPixmap file(w * 4, h * 2);
        StoreFrames(file, 0, 0, frames, TForm::Masked, kWhite);
        AddFile("Button.bmp", EncodeBmp24(file));
        Set("BUTTON", "BORDERSMASK", FileValue("BUTTON.BMP", 4, 1, 0, bord, bord, bord, bord, 5));
        Preview("BUTTON", DecodeStored(file, {0, 0, w * 4, h * 2}, 4, TForm::Masked), 4);
        NinePart(bord, bord, bord, bord, true);
    } else {
        Set("BUTTON", "BORDERSMASK", Borders("BUTTON", frames, bord, bord, bord, bord, 5));
    }
    if (T.Has(tfControlGlow)) {
        const TLayerF glow = GlowImage(24, 24, 7, Lighten(P.Accent, 0.25f));
        AddFile("GlowButton.png", tools::EncodePng(glow.ToPixmap()));
        Set("BUTTON", "GLOW", 1);
        Set("BUTTON", "GLOWMARGIN", 4);
        Set("BUTTON", "GLOW0", FileValue("GLOWBUTTON.PNG", 1, 0, 3, 7, 7, 7, 7, 1));
        Preview("BUTTON GLOW0", glow.ToPixmap(), 1);
    }
    Set("BUTTON_BIG", "PARENTCLASS", "BUTTON");
    Set("BUTTON_HUGE", "PARENTCLASS", "BUTTON");

    // Speed buttons: flat until hovered in the skins that want it.
    const bool flat = T.Has(tfFlatTools);
    std::vector<TLayerF> speed;
    for (int state = 0; state < 4; ++state) {
        TFaceLook look = ButtonLook(state == 3 ? 2 : state);
        if (state == 0 && flat) {
            speed.push_back(TLayerF(w, h)); // never painted: PaintFlags bit 2 skips state 0
            continue;
        }
        speed.push_back(FaceFrame(w, h, static_cast<float>(r), look));
    }
    Section("SPEEDBUTTON", 4, flat ? P.Window : P.Face, flat ? P.Text : P.FaceText);
    Set("SPEEDBUTTON", "TRANSPARENCY", flat ? 100 : 0);
    Hot("SPEEDBUTTON", P.FaceHot, P.FaceHotText);
    Set("SPEEDBUTTON", "BORDERSMASK", Borders("SPEEDBUTTON", speed, bord, bord, bord, bord, flat ? 7 : 5));
    std::vector<TLayerF> smallSpeed;
    for (int state = 0; state < 3; ++state)
        smallSpeed.push_back(FaceFrame(10, 10, 2, ButtonLook(state)));
    Section("SPEEDBUTTON_SMALL", 3, P.Face, P.FaceText);
    Hot("SPEEDBUTTON_SMALL", P.FaceHot, P.FaceHotText);
    Set("SPEEDBUTTON_SMALL", "BORDERSMASK", Borders("SPEEDBUTTON_SMALL", smallSpeed, 3, 3, 3, 3, 5));
    Set("TOOLBUTTON", "PARENTCLASS", "SPEEDBUTTON");
    Set("TB_BTN", "PARENTCLASS", "SPEEDBUTTON");
    Set("MENUBTN", "PARENTCLASS", "SPEEDBUTTON");

    // Up-down buttons: three states, small corners.
    std::vector<TLayerF> updown;
    for (int state = 0; state < 3; ++state)
        updown.push_back(FaceFrame(12, 12, static_cast<float>(std::min(r, 3)), ButtonLook(state)));
    Section("UPDOWNBTN", 3, P.Face, P.FaceText);
    Hot("UPDOWNBTN", P.FaceHot, P.FaceHotText);
    Set("UPDOWNBTN", "BORDERSMASK", Borders("UPDOWNBTN", updown, 3, 3, 3, 3, 5));
}

void TSkinBuilder::Edits() {
    const TColorF focusBorder = P.Accent;
    if (T.Classic) {
        // 5 x 5 at (0, 3), two-pixel borders, no mask, clear corner pixels (reserved by Build).
        const TRectI r = kClassicEditBorder;
        TacPixmap& m = FAtlas.Pixels();
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                const bool outer = x == 0 || y == 0 || x == 4 || y == 4;
                const bool corner = (x == 0 || x == 4) && (y == 0 || y == 4);
                const TColorF c = outer ? P.EditBorder : (x == 2 && y == 2 ? P.Edit : Mix(P.Edit, P.EditBorder, 0.15f));
                m.At(r.Left + x, r.Top + y) = corner ? clKeyPixel : StoredPixel(c);
            }
        Preview("EDIT", DecodeStored(m, r, 1, TForm::Keyed), 1);
        NinePart(2, 2, 2, 2, true);
        Set("EDIT", "BORDERSMASK", BordersValue(r, 2, 2, 2, 2, 1, 0, 1, 1));
    } else {
        const int b = std::max(2, std::min(T.Radius, 4));
        const int size = 2 * b + 4;
        std::vector<TLayerF> frames;
        for (int state = 0; state < 2; ++state) {
            TLayerF l(size, size);
            const float s = static_cast<float>(size);
            l.Fill(RoundRect(0, 0, s, s, static_cast<float>(std::min(T.Radius, 4))),
                   state ? focusBorder : P.EditBorder);
            l.Fill(RoundRect(1, 1, s - 1, s - 1, static_cast<float>(std::max(0, std::min(T.Radius, 4) - 1))),
                   state ? P.EditFocus : P.Edit);
            if (!P.Dark && state == 0)
                l.Fill(Rect(2, 1, s - 2, 2), WithAlpha(P.Shadow, 0.12f));
            frames.push_back(std::move(l));
        }
        Set("EDIT", "BORDERSMASK", Borders("EDIT", frames, b, b, b, b, 1));
    }
    Section("EDIT", 2, P.Edit, P.EditText);
    Hot("EDIT", P.EditFocus, ReadableOn({P.EditFocus}, P.EditText, 7.0));
    Set("ALPHAEDIT", "PARENTCLASS", "EDIT");

    // Combo boxes are edits with a drop-down glyph and button.
    Set("COMBOBOX", "PARENTCLASS", "EDIT");
    Section("COMBOBOX", 2, P.Edit, P.EditText);
    Hot("COMBOBOX", P.EditFocus, ReadableOn({P.EditFocus}, P.EditText, 7.0));
    std::vector<TLayerF> arrows;
    for (int state = 0; state < 3; ++state) {
        TLayerF l(11, 11);
        DrawGlyph(l, TGlyph::Down, 5.5f, 5.5f, 7, 1.6f, state ? P.Accent : P.EditText, T.Radius >= 4);
        arrows.push_back(std::move(l));
    }
    Set("COMBOBOX", "GLYPHMASK", Glyph("COMBOBOX GLYPHMASK", arrows));
    Set("ALPHACOMBOBOX", "PARENTCLASS", "COMBOBOX");
    std::vector<TLayerF> btn;
    for (int state = 0; state < 3; ++state)
        btn.push_back(state == 0 ? TLayerF(12, 16)
                                 : FaceFrame(12, 16, static_cast<float>(std::min(T.Radius, 3)), ButtonLook(state)));
    Section("COMBOBTN", 3, P.Edit, P.EditText);
    Hot("COMBOBTN", P.FaceHot, P.FaceHotText);
    Set("COMBOBTN", "TRANSPARENCY", 100);
    Set("COMBOBTN", "BORDERSMASK", Borders("COMBOBTN", btn, 3, 3, 3, 3, 7));
}

void TSkinBuilder::Groups() {
    const int r = std::max(T.Radius, 2);
    const int b = r + 1;
    const int size = 2 * b + 4;
    auto outline = [&](const TColorF& c, bool sunken) {
        TLayerF l(size, size);
        const float s = static_cast<float>(size);
        l.Fill(Difference(RoundRect(0, 0, s, s, static_cast<float>(r)),
                          RoundRect(1, 1, s - 1, s - 1, static_cast<float>(r - 1))),
               c);
        if (!P.Dark)
            l.Fill(Difference(
                       RoundRect(1, 1, s - 1, s - 1, static_cast<float>(r - 1)),
                       RoundRect(sunken ? 1.0f : 2.0f, sunken ? 2.0f : 1.0f, s - 2, s - 2, static_cast<float>(r - 1))),
                   WithAlpha(sunken ? P.Shadow : kWhite, sunken ? 0.2f : 0.6f));
        return l;
    };
    // GROUPBOX: its caption sits on the window colour.
    Section("GROUPBOX", 1, P.Window, P.Text);
    Set("GROUPBOX", "TRANSPARENCY", 100);
    if (T.Has(tfFreeForm)) {
        const TLayerF l = outline(P.Border, false);
        Set("GROUPBOX", "BORDERSMASK", MasterItem("GROUPBOX", {l}, TForm::Masked, [&](const TRectI& rc) {
                return FreeBordersValue(rc, 1, 1, b, 1);
            }));
    } else {
        Set("GROUPBOX", "BORDERSMASK", Borders("GROUPBOX", {outline(P.Border, false)}, b, b, b, b, 1));
    }

    // PANEL and its sunken variant.
    Section("PANEL", 1, P.Window, P.Text);
    if (T.Has(tfPlainBmp)) {
        // Whole-bitmap form: three frames and a mask row, borders of a ninth and a sixth.
        const int fw = 9, fh = 9;
        std::vector<TLayerF> frames;
        for (int state = 0; state < 3; ++state) {
            TLayerF l(fw, fh);
            l.Fill(Rect(0, 0, fw, fh), state ? P.Accent : P.Border);
            l.Fill(Rect(1, 1, fw - 1, fh - 1), Lighten(P.Window, 0.3f));
            l.Fill(Rect(2, 2, fw - 2, fh - 2), P.Window);
            frames.push_back(std::move(l));
        }
        TacPixmap file(fw * 3, fh * 2);
        StoreFrames(file, 0, 0, frames, TForm::Masked, kWhite);
        AddFile("Panel.bmp", EncodeBmp24(file));
        Set("PANEL", "BORDERSMASK", "PANEL.BMP");
        Preview("PANEL", DecodeStored(file, {0, 0, fw * 3, fh * 2}, 3, TForm::Masked), 3);
    } else if (T.Has(tfFreeForm)) {
        Set("PANEL", "BORDERSMASK",
            MasterItem("PANEL", {outline(P.Border, false)}, TForm::Masked,
                       [&](const TRectI& rc) { return FreeBordersValue(rc, 1, 1, b, 1); }));
    } else {
        Set("PANEL", "BORDERSMASK", Borders("PANEL", {outline(Mix(P.Border, P.Window, 0.3f), false)}, b, b, b, b, 1));
    }
    const TColorF low = P.Dark ? Darken(P.Window, 0.15f) : Darken(P.Window, 0.04f);
    Set("PANEL_LOW", "PARENTCLASS", "PANEL");
    SetColor("PANEL_LOW", "COLOR", low);
    SetColor("PANEL_LOW", "FONTCOLOR", ReadableOn({low}, P.Text));
    Set("PANEL_LOW", "BORDERSMASK", Borders("PANEL_LOW", {outline(P.Border, true)}, b, b, b, b, 1));
    Set("BARPANEL", "PARENTCLASS", "PANEL");
    Set("BAR", "PARENTCLASS", "PANEL");

    // Check boxes and radio buttons draw their text on the window.
    Section("CHECKBOX", 2, P.Window, P.Text);
    Set("CHECKBOX", "TRANSPARENCY", 100);
    Set("CHECKBOX", "HOTTRANSPARENCY", 100);
    Set("RADIOBUTTON", "PARENTCLASS", "CHECKBOX");

    // Hint window.
    {
        const int hb = std::max(3, std::min(T.Radius, 5));
        const int s = 2 * hb + 4;
        TLayerF l(s, s);
        l.Fill(RoundRect(0, 0, static_cast<float>(s), static_cast<float>(s), static_cast<float>(hb)), P.Border);
        l.Fill(RoundRect(1, 1, static_cast<float>(s) - 1, static_cast<float>(s) - 1, static_cast<float>(hb - 1)),
               P.Hint);
        Section("HINT", 1, P.Hint, P.HintText);
        Set("HINT", "BORDERSMASK", Borders("HINT", {l}, hb, hb, hb, hb, 1));
    }
}

void TSkinBuilder::Tabs() {
    const int r = std::max(2, std::min(T.Radius + 1, 6));
    const int side = r + 1;
    const int w = 2 * side + 8, h = 22;
    // Top tabs: 0 normal, 1 hot, 2 selected (merges into the page below it).
    std::vector<TLayerF> top;
    for (int state = 0; state < 3; ++state) {
        TLayerF l(w, h);
        const float fw = static_cast<float>(w), fh = static_cast<float>(h);
        const float inset = state == 2 ? 0.0f : 1.0f;
        const TColorF face = state == 2 ? P.Page : (state == 1 ? P.TabHot : P.TabFace);
        l.Fill(RoundRect(inset, inset + (state == 2 ? 0 : 1), fw - inset, fh + 10, static_cast<float>(r)), P.Border);
        l.Fill(RoundRect(inset + 1, inset + (state == 2 ? 1 : 2), fw - inset - 1, fh + 10, static_cast<float>(r - 1)),
               VerticalGradient(0, Lighten(face, 0.1f + 0.3f * T.Depth), fh, face));
        if (state == 1)
            l.Fill(RoundRect(inset + 1, inset + 2, fw - inset - 1, inset + 4, static_cast<float>(r - 1)), P.Accent);
        if (state != 2)
            l.Fill(Rect(0, fh - 1, fw, fh), P.Border);
        top.push_back(std::move(l));
    }
    std::vector<TLayerF> bottom, left, right;
    for (const TLayerF& l : top) {
        bottom.push_back(FlippedV(l));
        left.push_back(Transposed(l));
        right.push_back(FlippedH(Transposed(l)));
    }
    auto tabSection = [&](const std::string& s) {
        Section(s, 3, P.TabFace, P.TabText);
        Hot(s, P.TabHot, P.TabHotText);
    };
    for (const char* s : {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"})
        tabSection(s);
    if (T.Has(tfPngTabs)) {
        TacPixmap file(w * 3, h * 2);
        StoreFrames(file, 0, 0, top, TForm::Masked, kWhite, true);
        AddFile("TabTop.png", tools::EncodePng(file));
        Set("TABTOP", "BORDERSMASK", FileValue("TABTOP.PNG", 3, 1, 0, side, side, side, 2, 5));
        Preview("TABTOP", DecodeStored(file, {0, 0, w * 3, h * 2}, 3, TForm::Masked), 3);
        NinePart(side, side, side, 2, true);
    } else {
        Set("TABTOP", "BORDERSMASK", Borders("TABTOP", top, side, side, side, 2, 5));
    }
    Set("TABBOTTOM", "BORDERSMASK", Borders("TABBOTTOM", bottom, side, 2, side, side, 5));
    Set("TABLEFT", "BORDERSMASK", Borders("TABLEFT", left, side, side, 2, side, 5));
    Set("TABRIGHT", "BORDERSMASK", Borders("TABRIGHT", right, 2, side, side, side, 5));
    Set("RIBBONTAB", "PARENTCLASS", "TABTOP");
    Set("TB_TAB", "PARENTCLASS", "TABTOP");

    // The page under the tabs.
    TLayerF page(10, 10);
    page.Fill(Rect(0, 0, 10, 10), P.Border);
    page.Fill(Rect(1, 1, 9, 9), P.Page);
    Section("PAGECONTROL", 1, P.Page, P.PageText);
    Set("PAGECONTROL", "BORDERSMASK", Borders("PAGECONTROL", {page}, 2, 2, 2, 2, 1));
    for (const char* s : {"PAGECONTROLBOTTOM", "PAGECONTROLLEFT", "PAGECONTROLRIGHT"})
        Set(s, "PARENTCLASS", "PAGECONTROL");

    // Ribbon pages: white fading into the window colour near the bottom.
    const TColorF from = P.Dark ? Lighten(P.Window, 0.12f) : kWhite;
    Section("RIBBONPAGE", 1, P.Window, P.Text);
    Set("RIBBONPAGE", "GRADIENTPERCENT", 100);
    Set("RIBBONPAGE", "GRADIENTDATA",
        std::to_string(RefOf(from)) + ";" + std::to_string(RefOf(P.Window)) + ";97;0;0;" +
            std::to_string(RefOf(P.Window)) + ";" + std::to_string(RefOf(P.Window)) + ";0;0;0");
}

void TSkinBuilder::Menus() {
    // Popup background and border; menus take their border width from CommonBorder.
    const int b = 3;
    {
        const int s = 2 * b + 4;
        TLayerF l(s, s);
        const float fs = static_cast<float>(s), rr = static_cast<float>(std::min(T.Radius, 3));
        l.Fill(RoundRect(0, 0, fs, fs, rr), P.Border);
        l.Fill(RoundRect(1, 1, fs - 1, fs - 1, std::max(0.0f, rr - 1)), P.Menu);
        Section("MAINMENU", 1, P.Menu, P.MenuText);
        Set("MAINMENU", "BORDERSMASK", Borders("MAINMENU", {l}, b, b, b, b, 1, b));
    }
    // Items: only the selected state has a frame.
    {
        const int r = std::max(2, std::min(T.Radius, 4));
        const int s = 2 * r + 6;
        std::vector<TLayerF> frames{TLayerF(s, s)};
        TLayerF sel(s, s);
        const float fs = static_cast<float>(s);
        PaintFace(
            sel, 0, 0, fs, fs, static_cast<float>(r),
            {Darken(P.MenuHot, 0.15f), Lighten(P.MenuHot, 0.15f * T.Depth + 0.05f), P.MenuHot, T.Gloss * 0.6f, 0});
        frames.push_back(std::move(sel));
        Section("MENUITEM", 2, P.Menu, P.MenuText);
        Set("MENUITEM", "TRANSPARENCY", 100);
        Hot("MENUITEM", P.MenuHot, P.MenuHotText);
        Set("MENUITEM", "BORDERSMASK", Borders("MENUITEM", frames, r, r, r, r, 7));
    }
    Section("MENULINE", 2, P.Tool, P.ToolText);
    Hot("MENULINE", P.MenuHot, P.MenuHotText);
    Section("MENUCAPTION", 1, Mix(P.Menu, P.Accent, 0.25f), ReadableOn({Mix(P.Menu, P.Accent, 0.25f)}, P.MenuText));
    Section("ICOLINE", 1, P.IcoLine, P.MenuText);
    const TColorF extra = Mix(P.TitleTop, P.TitleBottom, 0.5f);
    Section("EXTRALINE", 1, extra, P.TitleText);
    Set("EXTRALINE", "GRADIENTDATA", Gradient(P.TitleBottom, P.TitleTop, 1));
    Set("EXTRALINE", "GRADIENTPERCENT", 100);

    // Separators.
    {
        TLayerF l(8, 2);
        l.Fill(Rect(0, 0, 8, 1), Mix(P.Border, P.Menu, 0.3f));
        l.Fill(Rect(0, 1, 8, 2), P.Dark ? Darken(P.Menu, 0.3f) : Lighten(P.Menu, 0.7f));
        Section("DIVIDERV", 1, P.Menu, P.MenuText);
        Set("DIVIDERV", "BORDERSMASK", Borders("DIVIDERV", {l}, 1, 0, 1, 0, 5));
        TLayerF d(6, 6);
        d.Fill(Rect(0, 0, 6, 6), P.Border);
        d.Fill(Rect(1, 1, 6, 6), P.Dark ? Darken(P.Window, 0.3f) : Lighten(P.Window, 0.6f));
        d.Fill(Rect(1, 1, 5, 5), P.Status);
        Section("DIVIDER", 1, P.Status, P.StatusText);
        Set("DIVIDER", "BORDERSMASK", Borders("DIVIDER", {d}, 2, 2, 2, 2, 1));
    }
    // Selection in lists and trees.
    Section("SELECTION", 2, Mix(P.Sel, P.Window, 0.45f), ReadableOn({Mix(P.Sel, P.Window, 0.45f)}, P.Text));
    Hot("SELECTION", P.Sel, P.SelText);
}

void TSkinBuilder::ScrollBars() {
    const int r = std::max(1, std::min(T.Radius, 4));
    const bool chevron = T.Radius >= 4;
    // Buttons: shared frames, one glyph per direction.
    std::vector<TLayerF> frames;
    for (int state = 0; state < 3; ++state) {
        if (state == 0 && T.Depth < 0.15f) {
            TLayerF l(16, 16);
            l.Fill(Rect(0, 0, 16, 16), P.Track);
            frames.push_back(std::move(l));
        } else {
            frames.push_back(FaceFrame(16, 16, static_cast<float>(r), ButtonLook(state)));
        }
    }
    Section("SCROLLBTNBOTTOM", 3, P.Face, P.FaceText);
    Hot("SCROLLBTNBOTTOM", P.FaceHot, P.FaceHotText);
    Set("SCROLLBTNBOTTOM", "BORDERSMASK", Borders("SCROLLBTNBOTTOM", frames, 4, 4, 4, 4, 5));
    struct TDir {
        const char* Section;
        TGlyph Glyph;
    };
    for (const TDir& d : {TDir{"SCROLLBTNTOP", TGlyph::Up}, TDir{"SCROLLBTNBOTTOM", TGlyph::Down},
                          TDir{"SCROLLBTNLEFT", TGlyph::Left}, TDir{"SCROLLBTNRIGHT", TGlyph::Right}}) {
        if (std::string(d.Section) != "SCROLLBTNBOTTOM")
            Set(d.Section, "PARENTCLASS", "SCROLLBTNBOTTOM");
        std::vector<TLayerF> glyphs;
        for (const TColorF& c : {P.FaceText, P.FaceHotText, P.FacePressedText}) {
            TLayerF l(9, 9);
            DrawGlyph(l, d.Glyph, 4.5f, 4.5f, 7, 1.5f, c, chevron);
            glyphs.push_back(std::move(l));
        }
        Set(d.Section, "GLYPHMASK", Glyph(std::string(d.Section) + " GLYPHMASK", glyphs));
    }
    // Sliders (thumbs) with a grip in the middle.
    for (bool horz : {true, false}) {
        const std::string s = horz ? "SCROLLSLIDERH" : "SCROLLSLIDERV";
        std::vector<TLayerF> thumbs, grips;
        for (int state = 0; state < 3; ++state) {
            TFaceLook look = ButtonLook(state);
            if (horz) {
                TLayerF l(16, 16);
                PaintFace(l, 0, 1, 16, 15, static_cast<float>(r), look);
                thumbs.push_back(std::move(l));
            } else {
                TLayerF l(16, 16);
                PaintFace(l, 1, 0, 15, 16, static_cast<float>(r), look);
                thumbs.push_back(std::move(l));
            }
            TLayerF g(7, 7);
            const TColorF gc = WithAlpha(state == 1 ? P.FaceHotText : P.FaceText, 0.55f);
            for (int i = 0; i < 3; ++i) {
                const float at = 1.5f + 2.0f * static_cast<float>(i);
                if (horz)
                    g.Fill(Rect(at - 0.5f, 1, at + 0.5f, 6), gc);
                else
                    g.Fill(Rect(1, at - 0.5f, 6, at + 0.5f), gc);
            }
            grips.push_back(std::move(g));
        }
        Section(s, 3, P.Face, P.FaceText);
        Hot(s, P.FaceHot, P.FaceHotText);
        Set(s, "BORDERSMASK", Borders(s, thumbs, 5, 5, 5, 5, 5));
        Set(s, "GLYPHMASK", Glyph(s + " GLYPHMASK", grips));
    }
    // Tracks: the plain bar and the part being pressed.
    for (bool horz : {true, false}) {
        const std::string one = horz ? "SCROLLBAR1H" : "SCROLLBAR1V";
        const std::string two = horz ? "SCROLLBAR2H" : "SCROLLBAR2V";
        TLayerF l(8, 8);
        l.Fill(Rect(0, 0, 8, 8), P.Track);
        if (horz)
            l.Fill(Rect(0, 0, 8, 1), Mix(P.Track, P.Border, 0.5f));
        else
            l.Fill(Rect(0, 0, 1, 8), Mix(P.Track, P.Border, 0.5f));
        Section(one, 2, P.Track, P.Text);
        Hot(one, Mix(P.Track, P.Accent, 0.2f), P.Text);
        Set(one, "BORDERSMASK", Borders(one, {l}, 2, 2, 2, 2, 1));
        Set(two, "PARENTCLASS", one);
        SetColor(two, "HOTCOLOR", Mix(P.Track, P.Accent, 0.35f));
    }
}

void TSkinBuilder::Tools() {
    Section("TOOLBAR", 1, P.Tool, P.ToolText);
    Set("TOOLBAR", "GRADIENTDATA", Gradient(Lighten(P.Tool, 0.2f * T.Depth), Darken(P.Tool, 0.08f * T.Depth)));
    Set("TOOLBAR", "GRADIENTPERCENT", T.Depth > 0.1f ? 100 : 0);
    Section("STATUSBAR", 1, P.Status, P.StatusText);
    {
        TLayerF l(6, 6);
        l.Fill(Rect(0, 0, 6, 6), P.Status);
        l.Fill(Rect(0, 0, 6, 1), P.Border);
        Set("STATUSBAR", "BORDERSMASK", Borders("STATUSBAR", {l}, 2, 2, 2, 2, 5));
    }
    // Column headers.
    std::vector<TLayerF> headers;
    for (int state = 0; state < 3; ++state) {
        TLayerF l(12, 20);
        const TColorF face =
            state == 0 ? P.Header : (state == 1 ? Mix(P.Header, P.Accent, 0.15f) : Darken(P.Header, 0.1f));
        l.Fill(Rect(0, 0, 12, 20),
               VerticalGradient(0, Lighten(face, 0.3f * T.Depth), 20, Darken(face, 0.12f * T.Depth)));
        l.Fill(Rect(11, 3, 12, 17), P.Border);
        l.Fill(Rect(0, 19, 12, 20), P.Border);
        headers.push_back(std::move(l));
    }
    Section("COLHEADER", 3, P.Header, P.HeaderText);
    Hot("COLHEADER", Mix(P.Header, P.Accent, 0.15f),
        ReadableOn({Mix(P.Header, P.Accent, 0.15f), P.Header}, P.HeaderText));
    Set("COLHEADER", "BORDERSMASK", Borders("COLHEADER", headers, 3, 3, 3, 3, 5));

    // Track bars.
    Section("TRACKBAR", 2, P.Window, P.Text);
    Set("TRACKBAR", "TRANSPARENCY", 100);
    Set("TRACKBAR", "HOTTRANSPARENCY", 100);
    {
        TLayerF ch(8, 5);
        ch.Fill(RoundRect(0, 0, 8, 5, 2), P.Border);
        ch.Fill(RoundRect(1, 1, 7, 4, 1), P.Track);
        Set("TRACKBAR", "SLIDERCHANNEL", Borders("SLIDERCHANNEL", {ch}, 2, 2, 2, 2, 5));
        std::vector<TLayerF> h, v;
        for (int state = 0; state < 3; ++state) {
            h.push_back(FaceFrame(11, 19, static_cast<float>(std::min(T.Radius, 4)), ButtonLook(state)));
            v.push_back(FaceFrame(19, 11, static_cast<float>(std::min(T.Radius, 4)), ButtonLook(state)));
        }
        Set("TRACKBAR", "SLIDERMASK", Glyph("SLIDERMASK", h));
        Set("TRACKBAR", "SLIDERVMASK", Glyph("SLIDERVMASK", v));
        TLayerF th(1, 4), tv(4, 1);
        th.Fill(Rect(0, 0, 1, 4), P.Border);
        tv.Fill(Rect(0, 0, 4, 1), P.Border);
        Set("TRACKBAR", "TICKHORZ", Glyph("TICKHORZ", {th}));
        Set("TRACKBAR", "TICKVERT", Glyph("TICKVERT", {tv}));
    }
    // Progress bars: the accent with a gloss.
    for (bool horz : {true, false}) {
        const std::string s = horz ? "PROGRESSH" : "PROGRESSV";
        TLayerF l(12, 12);
        const TFaceLook look{Darken(P.Accent, 0.25f), Lighten(P.Accent, 0.25f * T.Depth + 0.05f),
                             Darken(P.Accent, 0.1f * T.Depth), std::max(T.Gloss, 0.3f), 0.3f};
        PaintFace(l, 0, 0, 12, 12, static_cast<float>(std::min(T.Radius, 3)), look);
        Section(s, 1, P.Accent, P.AccentText);
        Set(s, "BORDERSMASK", Borders(s, {l}, 4, 4, 4, 4, 5));
    }
    Set("GAUGE", "PARENTCLASS", "PROGRESSH");

    Section("SPLITTER", 2, P.Window, P.Text);
    Hot("SPLITTER", Mix(P.Window, P.Accent, 0.3f), P.Text);
    Set("GRIPH", "PARENTCLASS", "SPLITTER");
    Set("GRIPV", "PARENTCLASS", "SPLITTER");
    Set("DRAGBAR", "PARENTCLASS", "SPLITTER");
}

void TSkinBuilder::Misc() {
    Section("WEBBUTTON", 2, P.Window, P.Link);
    Set("WEBBUTTON", "TRANSPARENCY", 100);
    Set("WEBBUTTON", "HOTTRANSPARENCY", 100);
    Hot("WEBBUTTON", P.Window, P.LinkHot);
    Section("MDIAREA", 1, P.Dark ? Darken(P.Window, 0.3f) : Darken(P.Window, 0.25f), P.Text);
    SetColor("MDIAREA", "FONTCOLOR", ReadableOn({P.Dark ? Darken(P.Window, 0.3f) : Darken(P.Window, 0.25f)}, P.Text));
    Set("BARTITLE", "PARENTCLASS", "FORMTITLE");
    Set("TB_MENUBTN", "PARENTCLASS", "TB_BTN");
    if (T.Has(tfControlGlow)) {
        const TLayerF glow = GlowImage(20, 20, 6, P.Accent);
        AddFile("GlowEdit.png", tools::EncodePng(glow.ToPixmap()));
        Set("EDIT", "GLOW", 1);
        Set("EDIT", "GLOWMARGIN", 3);
        Set("EDIT", "GLOW0", FileValue("GLOWEDIT.PNG", 1, 0, 3, 6, 6, 6, 6, 1));
    }
}

void TSkinBuilder::Textures() {
    const TColorF base = P.Window;
    auto tile = [&](int size, const std::function<float(int, int)>& shade) {
        TLayerF l(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const float v = shade(x, y);
                l.Set(x, y, v >= 0 ? Lighten(base, v) : Darken(base, -v));
            }
        return l;
    };
    switch (T.Texture) {
    case TTexture::None:
        return;
    case TTexture::Noise: {
        const TLayerF l = tile(64, [&](int x, int y) { return (Noise(x, y, FSeed) - 0.5f) * 0.12f; });
        Set("FORM", "PATTERN",
            MasterItem("FORM PATTERN", {l}, TForm::Opaque, [](const TRectI& r) { return TextureValue(r, 0, 0); }));
        Set("FORM", "IMAGEPERCENT", 100);
        break;
    }
    case TTexture::Lines: {
        const TLayerF l = tile(48, [&](int x, int y) {
            return (Noise(x / 16, y, FSeed) - 0.5f) * 0.1f + ((y % 3) == 0 ? 0.04f : 0.0f) +
                   0.0f * static_cast<float>(x);
        });
        Set("FORM", "PATTERN",
            MasterItem("FORM PATTERN", {l}, TForm::Opaque, [](const TRectI& r) { return TextureValue(r, 0, 0); }));
        Set("FORM", "IMAGEPERCENT", 70);
        Set("FORM", "GRADIENTPERCENT", 30);
        Set("FORM", "GRADIENTDATA", Gradient(Lighten(base, 0.05f), Darken(base, 0.05f)));
        break;
    }
    case TTexture::Weave: {
        const TLayerF l = tile(32, [&](int x, int y) {
            const bool over = ((x / 4) + (y / 4)) % 2 == 0;
            const int along = over ? x % 4 : y % 4;
            return (over ? 0.05f : -0.05f) + (along == 0 ? -0.04f : 0.0f) + (Noise(x, y, FSeed) - 0.5f) * 0.04f;
        });
        Set("FORM", "PATTERN",
            MasterItem("FORM PATTERN", {l}, TForm::Opaque, [](const TRectI& r) { return TextureValue(r, 0, 0); }));
        Set("FORM", "IMAGEPERCENT", 100);
        break;
    }
    case TTexture::Jpeg: {
        // The one JPEG texture: sandy grain with soft waves.
        const TLayerF l = tile(256, [&](int x, int y) {
            const float wave = std::sin((static_cast<float>(x) * 0.05f + static_cast<float>(y) * 0.11f)) * 0.03f;
            return wave + (Noise(x, y, FSeed) - 0.5f) * 0.10f + (Noise(x / 8, y / 8, FSeed + 1) - 0.5f) * 0.05f;
        });
        const TacPixmap pix = l.ToPixmap();
        AddFile("body_bg.jpg", EncodeJpeg(pix, 88));
        Set("FORM", "PATTERN", "BODY_BG.JPG");
        Set("FORM", "IMAGEPERCENT", 100);
        Preview("FORM PATTERN", pix, 1);
        break;
    }
    case TTexture::Paper: {
        const TLayerF l = tile(96, [&](int x, int y) {
            return (Noise(x, y, FSeed) - 0.5f) * 0.06f + (Noise(x / 3, y / 5, FSeed + 7) - 0.5f) * 0.05f;
        });
        AddFile("Paper.png", tools::EncodePng(l.ToPixmap()));
        Set("FORM", "PATTERN", FileValue("PAPER.PNG", 1, 0, 1, 0, 0, 0, 0, 0));
        Set("FORM", "IMAGEPERCENT", 80);
        Preview("FORM PATTERN", l.ToPixmap(), 1);
        break;
    }
    }
}

} // namespace sj::skingen::builder_detail
