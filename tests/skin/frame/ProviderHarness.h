// A sizeable form that uses what the program's own forms leave out of the skin
// provider: user title buttons with glyphs and hints, a caption icon of its own, an
// added title, the size grip, and a manager with or without extended borders. The
// provider tests drive it through messages; the harness program shows it for a look.
// Windows only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "forms/Forms.h"
#include "forms/StdCtrls.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/sSkinProvider.h"

namespace sj::provider_harness {

inline constexpr const char* kZest = "Zest (internal)";

class TProviderHarnessForm : public TForm {
    SJ_CLASS(TProviderHarnessForm, TForm)

public:
    TProviderHarnessForm(TComponent* owner, const std::string& skinName, bool extendedBorders);
    // From a stored description of its own.
    TProviderHarnessForm(TComponent* owner, const std::string& description);

    TsSkinManager* Manager = nullptr;
    TsSkinProvider* Provider = nullptr;
    TEdit* Edit = nullptr;

    // Two user buttons: "Pin" (a keyed glyph, a hint) and "Star" (a glyph with alpha).
    void AddUserButtons();
};

// A 12 x 12 glyph: a filled square of `ink` on a key colour (the bottom-left pixel),
// with the key colour along its last row and first column.
std::unique_ptr<TBitmap> KeyedGlyph(TColor ink, TColor key);
// A 10 x 10 glyph with alpha: opaque `ink` in the middle, half transparent at the edge.
std::unique_ptr<TBitmap> AlphaGlyph(TColor ink);

std::string ProviderHarnessFormText(const std::string& skinName, bool extendedBorders);
// The description with the first `from` replaced by `to`: one setting changed for a test.
std::string Replaced(std::string text, const std::string& from, const std::string& to);

// A copy of the pixels of r.
TacPixmap AreaOf(TacPixelsView pixels, const RECT& r);
inline TacPixmap AreaOf(TBitmap& bitmap, const RECT& r) {
    return AreaOf(bitmap.Pixels(), r);
}

// Processes pending messages (and waits up to `milliseconds` for more).
void Pump(DWORD milliseconds = 0);

} // namespace sj::provider_harness
