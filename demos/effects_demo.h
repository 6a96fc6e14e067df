// The bundled project "effects": every shader effect side by side.
#pragma once

#include "engine_interface.h"

#include <filesystem>

namespace demos {

// Makes `dir`/start.grp and `dir`/effects.klv.
bool MakeEffectsDemo(EngineInterface* engine, const std::filesystem::path& dir);

}  // namespace demos
