// Preview mode: a skin editor drives the program. The first form shown tells the editor
// its window; the editor then sends it live skins as copy-data messages.
#include "skin/frame/sSkinProvider.h"

#include "skin/frame/sSkinProviderInternal.h"

namespace sj {

using namespace provider_detail;

namespace {

constexpr const char* kSkinEditorTitle = "Skin Editor";
constexpr int kAnnounceAttempts = 101;

struct TPreviewState {
    bool Requested = false;
    bool Announced = false;            // once per process, whoever answered
    const TsSkinProvider* Form = nullptr; // the provider whose form was announced
    bool ApplyingLiveSkin = false;
};

TPreviewState& Preview() {
    static TPreviewState state;
    return state;
}

// Editors may still be starting up: the message goes again while an editor window is
// there and has not taken the form yet.
void AnnounceToEditor(HWND form) {
    for (int attempt = 0; attempt < kAnnounceAttempts; ++attempt) {
        HWND editor = ::FindWindowA(nullptr, kSkinEditorTitle);
        if (editor == nullptr)
            return;
        if (::SendMessageA(editor, SkinEditorMessage, SkinEditorRegisterForm, reinterpret_cast<LPARAM>(form)) == 1)
            return;
    }
}

} // namespace

bool PreviewMode() {
    return Preview().Requested;
}

void SetPreviewMode(bool on) {
    Preview() = TPreviewState{};
    Preview().Requested = on;
}

void TsSkinProvider::NotePreviewRequest() {
    if (PreviewModeRequested())
        Preview().Requested = true;
}

bool TsSkinProvider::IsPreviewForm() const {
    return Preview().Form == this;
}

void TsSkinProvider::ForgetPreviewForm() const {
    if (Preview().Form == this)
        Preview().Form = nullptr;
}

void TsSkinProvider::AnnounceIfPreview() {
    TPreviewState& preview = Preview();
    if (!preview.Requested || preview.Announced || form_.HasState(csDestroying))
        return;
    const TCustomForm* mainForm = Application != nullptr ? Application->MainForm() : nullptr;
    if (mainForm != nullptr && mainForm != &form_)
        return;
    preview.Announced = true;
    preview.Form = this;
    AnnounceToEditor(form_.Handle()); // made now when the form shows for the first time
}

// A live skin arriving while the last one is still being loaded (its announcement
// dispatches messages) is dropped: the editor sends the next edit anyway.
bool TsSkinProvider::HandleLiveSkin(TMessage& message) {
    if (message.Msg != WM_COPYDATA || !IsPreviewForm())
        return false;
    TPreviewState& preview = Preview();
    TsSkinManager* manager = SkinManager();
    message.Result = 0;
    if (preview.ApplyingLiveSkin || manager == nullptr)
        return true;
    const TFlagScope applying(preview.ApplyingLiveSkin);
    message.Result =
        manager->ApplyLiveSkin(message.WParam, reinterpret_cast<const COPYDATASTRUCT*>(message.LParam));
    return true;
}

} // namespace sj
