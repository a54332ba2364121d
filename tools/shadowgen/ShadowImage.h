// The two soft-shadow images around a skinned form when the skin brings no border
// image of its own: 33x33 pixels, the form's place being the 15x15 centre inside
// 9-pixel margins. The active look casts a darker, slightly deeper shadow.
#pragma once

#include "platform/Pixmap.h"

namespace sj::tools {

inline constexpr int ShadowImageSize = 33;
inline constexpr int ShadowMargin = 9;

TacPixmap DrawShadowImage(bool active);

} // namespace sj::tools
