#include "effect_factory.h"

#include "dynamic_hair_effect.h"
#include "environment_map_effect.h"
#include "fur_effect.h"
#include "halo_effect.h"
#include "membrane_effect.h"
#include "toon_effect.h"
#include "vel_dx8_pixel_shader_surface.h"

#include <new>

ShaderEffect* MakeShaderEffect(int number) {
  using S = Vel_DX8_PixelShaderSurface;
  switch (number) {
    case S::kReflectiveBump: return nullptr;
    case S::kMembrane: return new (std::nothrow) MembraneEffect;
    case S::kFur: return new (std::nothrow) FurEffect;
    case S::kHalo: return new (std::nothrow) HaloEffect;
    case S::kToon: return new (std::nothrow) ToonEffect;
    case S::kWater: return nullptr;
    case S::kDotProductBump: return nullptr;
    case S::kBlur: return nullptr;           // filter blit, mode 0
    case S::kEdgeDetection: return nullptr;  // filter blit, mode 2
    case S::kSharpen: return nullptr;        // filter blit, mode 1
    case S::kDynamicHair: return new (std::nothrow) DynamicHairEffect;
    case S::kEnvironmentMap: return new (std::nothrow) EnvironmentMapEffect;
    case S::kRadialBlur: return nullptr;
    case S::kOcean: return nullptr;
    default: return nullptr;
  }
}
