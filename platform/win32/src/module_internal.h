// What other parts of the layer need to know about loaded modules.
#pragma once

#include "win32/types.h"

namespace win32plat {

// The loader's link map of a loaded module (NULL: the program), for telling
// which module an address belongs to; NULL when the handle is not loaded.
void* ModuleLinkMap(HMODULE module);

}  // namespace win32plat
