// Face painting speed: every section of every internal skin in every state at a button's
// and at the main window's size, then the faces of one main window of "Zest (internal)".
// Usage: paint_bench [SKINS_DIR]. Meant for a Release build without sanitizers
// (bench/paint_bench.sh makes one).
#include "skin/data/sSkinCore.h"
#include "skin/paint/sBackdrop.h"
#include "skin/paint/sSectionPaint.h"
#include "tools/skininfo/SkinInfoReport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

struct TFace {
    const char* Section;
    int Width;
    int Height;
    int State;
};

// The main window: the form, its page control with two tabs, three group boxes, the
// edits, buttons, radio buttons and check boxes of the split and join pages.
const std::vector<TFace> MainWindowFaces = {
    {"FORM", 644, 467, 0},       {"PAGECONTROL", 625, 449, 0}, {"TABTOP", 80, 24, 2},     {"TABTOP", 80, 24, 0},
    {"GROUPBOX", 537, 129, 0},   {"GROUPBOX", 537, 137, 0},    {"GROUPBOX", 537, 129, 0}, {"EDIT", 393, 21, 0},
    {"EDIT", 393, 21, 0},        {"EDIT", 393, 21, 1},         {"EDIT", 393, 21, 0},      {"EDIT", 120, 21, 0},
    {"EDIT", 120, 21, 0},        {"BUTTON", 110, 26, 0},       {"BUTTON", 110, 26, 0},    {"BUTTON", 110, 26, 1},
    {"BUTTON", 110, 26, 0},      {"BUTTON", 110, 26, 0},       {"BUTTON", 110, 26, 0},    {"BUTTON", 110, 26, 2},
    {"BUTTON", 110, 26, 0},      {"RADIOBUTTON", 150, 17, 0},  {"RADIOBUTTON", 150, 17, 1}, {"RADIOBUTTON", 150, 17, 0},
    {"RADIOBUTTON", 150, 17, 0}, {"RADIOBUTTON", 150, 17, 0},  {"CHECKBOX", 200, 17, 0},  {"CHECKBOX", 200, 17, 0},
    {"SPEEDBUTTON", 24, 24, 0},  {"SPEEDBUTTON", 24, 24, 0},   {"UPDOWNBTN", 17, 10, 0},  {"UPDOWNBTN", 17, 10, 0},
    {"FORMTITLE", 644, 31, 1},   {"CAPTION", 300, 31, 1},      {"PANEL", 537, 60, 0},     {"PANEL", 537, 60, 0},
    {"SCROLLBAR1V", 17, 120, 0}, {"SCROLLSLIDERV", 17, 40, 0}, {"SCROLLBTNTOP", 17, 17, 0}, {"SCROLLBTNBOTTOM", 17, 17, 0},
};

void PaintOne(sj::TacPixmap& target, const sj::TsSkinModel& model, std::int32_t section, const std::string& name,
              int width, int height, int state) {
    target.SetSize(width, height, 0xFFE0E0E0u);
    sj::PaintSectionFace(target.View(), {0, 0, width, height}, &model, section, name, state, true,
                         sj::ColorBackdrop(0x00E0E0E0), 0, 0);
}

double Seconds(TClock::time_point from) {
    return std::chrono::duration<double>(TClock::now() - from).count();
}

void BenchAllSkins(const std::vector<std::unique_ptr<sj::TsSkinCore>>& skins, int width, int height) {
    sj::TacPixmap target;
    long faces = 0;
    const TClock::time_point start = TClock::now();
    for (const auto& core : skins) {
        const sj::TsSkinModel& model = core->Model();
        for (std::size_t i = 0; i < model.GeneralData.size(); ++i) {
            const sj::TsGeneralData& s = model.GeneralData[i];
            for (int state = 0; state < std::max(1, s.States); ++state, ++faces) {
                PaintOne(target, model, static_cast<std::int32_t>(i), s.SectionName, width, height, state);
            }
        }
    }
    const double seconds = Seconds(start);
    std::printf("all skins at %4dx%-4d %6ld faces in %7.3f s: %9.0f faces/s\n", width, height, faces, seconds,
                faces / seconds);
}

void BenchMainWindow(const sj::TsSkinModel& model) {
    sj::TacPixmap target;
    constexpr int Rounds = 200;
    std::vector<double> times;
    for (int round = 0; round < Rounds; ++round) {
        const TClock::time_point start = TClock::now();
        for (const TFace& face : MainWindowFaces) {
            const std::int32_t index = model.SectionIndexOf(face.Section);
            PaintOne(target, model, index, face.Section, face.Width, face.Height, face.State);
        }
        times.push_back(Seconds(start) * 1000);
    }
    std::sort(times.begin(), times.end());
    std::printf("Zest main window, %zu faces: median %.3f ms, best %.3f ms, worst %.3f ms (target < 5 ms)\n",
                MainWindowFaces.size(), times[Rounds / 2], times.front(), times.back());
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : SJ_SKINS_DIR;
    try {
        std::vector<std::unique_ptr<sj::TsSkinCore>> skins;
        const sj::TsSkinModel* zest = nullptr;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.path().extension() != ".asz") {
                continue;
            }
            skins.push_back(std::make_unique<sj::TsSkinCore>());
            sj::tools::LoadSkinForReport(entry.path().string(), *skins.back());
            if (skins.back()->SkinName() == "Zest (internal)") {
                zest = &skins.back()->Model();
            }
        }
        std::printf("%zu skins from %s\n", skins.size(), dir.c_str());
        BenchAllSkins(skins, 110, 26);
        BenchAllSkins(skins, 644, 467);
        if (zest != nullptr) {
            BenchMainWindow(*zest);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "paint_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
