#include "shell/_globals.h"

namespace sj {

TGlobalVars GlobalVars;

} // namespace sj
