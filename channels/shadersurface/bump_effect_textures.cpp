#include "bump_effect_textures.h"

#include "image_pass.h"
#include "texture/vel_dx8_texture.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_type_guids.h"

void BindBumpTexture(Vel_DX8_PixelShaderSurface* surface, int child, int stage) {
  if (!surface) return;
  if (Vel_DX8_Texture* texture = image_pass::AsTexture(surface->GetChildFromLinkGuid(vel::kTextureType, child)))
    texture->SetTexture(stage);
}
