// The skin gallery: the program's main window painted in each internal skin, saved as
// a PNG picture per skin and a thumbnail of it, plus an index of the pictures.
//
// Screenshots of a skinned window are unreliable under Wine on a virtual display, so
// the pictures are made from what the window paints: the skin provider's frame cache
// with the client area and its children laid over it at the client offset.
//
// Usage (from the program's folder, where its supplied files lie):
//   skin_gallery.exe OUTPUT_FOLDER [SKIN_NAME...]
// Writes OUTPUT_FOLDER/<stem>.png, OUTPUT_FOLDER/thumbs/<stem>.png and
// OUTPUT_FOLDER/index.txt (one "skin name<TAB>stem" line per skin, in listed order;
// rewritten only when every skin is painted).
#include "forms/Dialogs.h"
#include "forms/Forms.h"
#include "forms/MessageRecorder.h"
#include "shell/About.h"
#include "shell/ConfigFile.h"
#include "shell/MainUnit.h"
#include "shell/UtilFuncs.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/sSkinMenus.h"
#include "tools/common/PngWriter.h"
#include "tools/gallery/GalleryPicture.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kThumbnailFactor = 4;
// Long enough for the skin change and the repaints it posts (and any fade) to finish.
constexpr DWORD kSettleMilliseconds = 400;

void Settle(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        sj::Application->ProcessMessages();
        ::Sleep(10);
    } while (::GetTickCount() - start < milliseconds);
}

void RepaintCompletely(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle(kSettleMilliseconds);
}

// The pictures show the window as it looks at rest: active, and with no control
// under the cursor in its hot state.
void PrepareForPictures(HWND window) {
    ::SetForegroundWindow(window);
    RECT rect{};
    POINT cursor{};
    if (::GetWindowRect(window, &rect) && ::GetCursorPos(&cursor) && ::PtInRect(&rect, cursor))
        ::SetCursorPos(rect.left > 40 ? rect.left - 40 : rect.right + 40, cursor.y);
    RepaintCompletely(window);
}

// The window region in window coordinates; empty when the window has none.
std::vector<sj::TacRect> WindowRegionRects(HWND window) {
    std::vector<sj::TacRect> rects;
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    const int kind = ::GetWindowRgn(window, region);
    if (kind == SIMPLEREGION || kind == COMPLEXREGION) {
        const DWORD size = ::GetRegionData(region, 0, nullptr);
        std::vector<char> buffer(size);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        if (size != 0 && ::GetRegionData(region, size, data) == size) {
            const auto* parts = reinterpret_cast<const RECT*>(data->Buffer);
            for (DWORD i = 0; i < data->rdh.nCount; ++i)
                rects.push_back({parts[i].left, parts[i].top, parts[i].right, parts[i].bottom});
        }
    }
    ::DeleteObject(region);
    return rects;
}

// The client area as the window painted it. Wine keeps each window's painting in a
// surface of its own, so reading the window's DC back gives what the window painted
// even where the X server shows something else; it also holds what printing misses
// (the edits' skinned borders are painted outside their client areas). Printing the
// window tree is the fallback when the read-back holds nothing.
sj::TacPixmap ClientAreaAsPainted(sj::TCustomForm& form) {
    RECT client{};
    ::GetClientRect(form.Handle(), &client);
    sj::TBitmap painted(std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
    HDC windowDC = ::GetDC(form.Handle());
    const bool copied = windowDC != nullptr && ::BitBlt(painted.Canvas().Handle(), 0, 0, client.right, client.bottom,
                                                        windowDC, 0, 0, SRCCOPY) != FALSE;
    if (windowDC != nullptr)
        ::ReleaseDC(form.Handle(), windowDC);
    sj::TacPixmap pixels = painted.ToPixmap();
    if (copied && !sj::tools::IsUniform(pixels))
        return pixels;
    std::fprintf(stderr, "skin_gallery: the window's painting cannot be read back; printing it instead\n");
    return sj::CaptureControl(form)->ToPixmap();
}

// What a skinned window shows now; empty Cache when its provider has no frame cache.
sj::tools::TWindowPaint TakeWindowPaint(sj::TCustomForm& form, sj::TsSkinProvider& provider) {
    sj::tools::TWindowPaint paint;
    provider.PaintFrame();
    sj::TBitmap* cache = provider.FrameCache();
    if (cache == nullptr || cache->Width() == 0 || cache->Height() == 0)
        return paint;
    paint.Cache = cache->ToPixmap();
    RECT window{};
    ::GetWindowRect(form.Handle(), &window);
    // A cache larger than the window is shown by a layered border window with
    // per-pixel alpha; one of the window's size is copied into the window itself.
    paint.CacheHasAlpha =
        paint.Cache.Width() != window.right - window.left || paint.Cache.Height() != window.bottom - window.top;
    if (!paint.CacheHasAlpha)
        paint.VisibleRects = WindowRegionRects(form.Handle());
    paint.Client = ClientAreaAsPainted(form);
    paint.ClientX = provider.ClientOffsetX();
    paint.ClientY = provider.ClientOffsetY();
    return paint;
}

bool SaveSkinPictures(sj::TFormMain& form, const fs::path& folder, const std::string& stem) {
    const sj::tools::TWindowPaint paint = TakeWindowPaint(form, *form.sSkinProvider1);
    if (paint.Cache.Empty())
        return false;
    const sj::TacPixmap picture = sj::tools::ComposeWindowPicture(paint);
    sj::tools::WritePngFile((folder / (stem + ".png")).string(), picture);
    sj::tools::WritePngFile((folder / "thumbs" / (stem + ".png")).string(),
                            sj::tools::ShrinkImage(picture, kThumbnailFactor));
    return true;
}

// The About box in the first skin, beside the main window's pictures.
bool SaveAboutPicture(sj::TFormMain& form, sj::TsSkinManager& manager, const std::string& skin, const fs::path& file) {
    manager.SetSkinName(skin);
    RepaintCompletely(form.Handle());
    sj::TFormAbout about(&form);
    about.Show();
    PrepareForPictures(about.Handle());
    const sj::tools::TWindowPaint paint = TakeWindowPaint(about, *about.sSkinProvider1);
    about.Close();
    if (paint.Cache.Empty())
        return false;
    sj::tools::WritePngFile(file.string(), sj::tools::ComposeWindowPicture(paint));
    return true;
}

// The main window reads and may create the user's settings folder: give it a
// throw-away one, so that the gallery neither follows nor changes the user's state.
fs::path UseScratchUserFolders() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const fs::path scratch = fs::path(temp) / ("skin_gallery_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(scratch);
    sj::MainEnvironment().ShellFolder = [scratch](const std::string&) { return scratch.string() + "\\"; };
    return scratch;
}

std::vector<std::string> SkinsToPaint(const sj::TsSkinManager& manager, int argc, char** argv) {
    std::vector<std::string> skins;
    manager.ListSkins(skins, 0);
    if (argc <= 2)
        return skins;
    std::vector<std::string> chosen;
    for (int i = 2; i < argc; ++i) {
        if (std::find(skins.begin(), skins.end(), argv[i]) != skins.end())
            chosen.push_back(argv[i]);
        else
            std::fprintf(stderr, "skin_gallery: no internal skin \"%s\"\n", argv[i]);
    }
    return chosen;
}

int PaintGallery(int argc, char** argv) {
    using namespace sj;
    const fs::path folder = argv[1];
    fs::create_directories(folder / "thumbs");

    // Nothing may wait for a person: a skin that fails to load is reported here.
    TMessageBoxOverride quietBoxes([](HWND, const std::string& text, const std::string& caption, UINT) {
        std::fprintf(stderr, "skin_gallery: message box \"%s\": %s\n", caption.c_str(), text.c_str());
        return IDOK;
    });
    const fs::path scratch = UseScratchUserFolders();
    Application->SetTitle(ReadApplicationTitle(ConfigFileName()));
    InstallSkinableMenus();

    auto form = std::make_unique<TFormMain>(Application);
    form->Show();
    PrepareForPictures(form->Handle());
    auto* manager = form->FindComponentOf<TsSkinManager>("sSkinManager1");
    if (manager == nullptr || form->sSkinProvider1 == nullptr) {
        std::fprintf(stderr, "skin_gallery: the main window has no skin manager or no skin provider\n");
        return 1;
    }

    int failures = 0;
    const bool allSkins = argc == 2;
    std::ofstream index;
    if (allSkins)
        index.open(folder / "index.txt", std::ios::binary);
    for (const std::string& skin : SkinsToPaint(*manager, argc, argv)) {
        manager->SetSkinName(skin);
        RepaintCompletely(form->Handle());
        const std::string stem = tools::GalleryFileStem(skin);
        if (manager->SkinName() != skin || !SaveSkinPictures(*form, folder, stem)) {
            std::fprintf(stderr, "skin_gallery: %s: nothing painted\n", skin.c_str());
            ++failures;
            continue;
        }
        if (allSkins)
            index << skin << '\t' << stem << '\n';
        std::printf("%s -> %s.png\n", skin.c_str(), stem.c_str());
    }
    if (allSkins && !SaveAboutPicture(*form, *manager, "Zest (internal)", folder / "About_box.png")) {
        std::fprintf(stderr, "skin_gallery: the About box painted nothing\n");
        ++failures;
    }
    form.reset();
    DoneApplication();
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: skin_gallery OUTPUT_FOLDER [SKIN_NAME...]\n");
        return 2;
    }
    try {
        return PaintGallery(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "skin_gallery: %s\n", error.what());
        return 1;
    }
}
