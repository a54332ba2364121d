// What the skin data layer needs from its surroundings: system colours and metrics,
// and the notices of the version check. The Windows side plugs in GetSysColor,
// GetSystemMetrics and message boxes; natively the defaults below answer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace sj {

inline constexpr int SM_CXFRAME_INDEX = 32;

struct TsSkinHost {
    // Colour (0x00BBGGRR) of a system colour index (COLOR_BTNFACE = 15, ...).
    std::function<std::uint32_t(int index)> SysColor;
    // A system metric; the skin layer asks only for the sizing frame width (32).
    std::function<int(int metric)> SystemMetric;
    // Shown for skins newer than the components ("VERSION" above 8.99).
    std::function<void(const std::string& text)> ShowVersionWarning;
    // Shown for skins older than 7 when OldSkinNoticeWanted answers true (design time
    // or the "/actest" switch).
    std::function<void(const std::string& text)> ShowOldSkinNotice;
    std::function<bool()> OldSkinNoticeWanted;

    // Defaults: the standard Windows colour scheme, a frame of 4 pixels, no notices.
    static TsSkinHost Defaults();
};

// A colour of the skin model with system-colour codes (bit 31 set) replaced by the
// current system colour.
std::int32_t ColorToRGB(std::int32_t color, const TsSkinHost& host);

} // namespace sj
