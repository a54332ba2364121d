#include "skin/data/sSkinHost.h"

#include <array>

namespace sj {

namespace {

// The system colours of the standard Windows 7 scheme, by index, as 0x00BBGGRR.
constexpr std::array<std::uint32_t, 31> StandardSysColors = {
    0xC8D0D4, 0xA56E3A, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4,
    0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x544E43, 0xFFFFFF, 0x696969,
    0xE3E3E3, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};

} // namespace

TsSkinHost TsSkinHost::Defaults() {
    TsSkinHost host;
    host.SysColor = [](int index) {
        return index >= 0 && index < static_cast<int>(StandardSysColors.size())
                   ? StandardSysColors[static_cast<std::size_t>(index)]
                   : 0u;
    };
    host.SystemMetric = [](int metric) { return metric == SM_CXFRAME_INDEX ? 4 : 0; };
    host.ShowVersionWarning = [](const std::string&) {};
    host.ShowOldSkinNotice = [](const std::string&) {};
    host.OldSkinNoticeWanted = [] { return false; };
    return host;
}

std::int32_t ColorToRGB(std::int32_t color, const TsSkinHost& host) {
    if (color >= 0) {
        return color;
    }
    const std::uint32_t c = host.SysColor ? host.SysColor(color & 0xFF) : 0u;
    return static_cast<std::int32_t>(c & 0x00FFFFFF);
}

} // namespace sj
