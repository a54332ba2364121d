// Draws one internal skin from its theme: the master image, the separate image
// files, the description, and a preview sheet for review.
#pragma once

#include "SkinDescription.h"
#include "Theme.h"
#include "platform/Pixmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sj::skingen {

struct TSkinMember {
    std::string Name;
    std::vector<std::uint8_t> Content;
};

struct TBuiltSkin {
    std::string Name; // full name, " (internal)" included
    TSkinDescription Description;
    std::vector<TSkinMember> Members; // "Options.dat" first
    TacPixmap Preview;

    std::vector<std::uint8_t> Package() const; // the ASzf bytes
};

TBuiltSkin BuildSkin(const TSkinTheme& theme);

} // namespace sj::skingen
