#include "effect_factory.h"

#include "dot_product_bump_effect.h"
#include "dynamic_hair_effect.h"
#include "environment_map_effect.h"
#include "filter_blit_effect.h"
#include "fur_effect.h"
#include "halo_effect.h"
#include "membrane_effect.h"
#include "ocean_effect.h"
#include "radial_blur_effect.h"
#include "reflective_bump_effect.h"
#include "toon_effect.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "water_effect.h"

#include <new>

ShaderEffect* MakeShaderEffect(int number) {
  using S = Vel_DX8_PixelShaderSurface;
  switch (number) {
    case S::kReflectiveBump: return new (std::nothrow) ReflectiveBumpEffect;
    case S::kMembrane: return new (std::nothrow) MembraneEffect;
    case S::kFur: return new (std::nothrow) FurEffect;
    case S::kHalo: return new (std::nothrow) HaloEffect;
    case S::kToon: return new (std::nothrow) ToonEffect;
    case S::kWater: return new (std::nothrow) WaterEffect;
    case S::kDotProductBump: return new (std::nothrow) DotProductBumpEffect;
    case S::kBlur: return new (std::nothrow) FilterBlitEffect(FilterBlitEffect::kBlur);
    case S::kEdgeDetection: return new (std::nothrow) FilterBlitEffect(FilterBlitEffect::kEdgeDetection);
    case S::kSharpen: return new (std::nothrow) FilterBlitEffect(FilterBlitEffect::kSharpen);
    case S::kDynamicHair: return new (std::nothrow) DynamicHairEffect;
    case S::kEnvironmentMap: return new (std::nothrow) EnvironmentMapEffect;
    case S::kRadialBlur: return new (std::nothrow) RadialBlurEffect;
    case S::kOcean: return new (std::nothrow) OceanEffect;
    default: return nullptr;
  }
}
