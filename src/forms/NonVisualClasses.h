// Registers the non-visual components (pop-up menus and menu items, the open
// dialog, timers, image lists) and their stored properties with the form reader.
// Idempotent.
#pragma once

namespace sj {

void RegisterNonVisualClasses();

} // namespace sj
