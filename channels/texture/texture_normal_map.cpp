// The texture channel: the normal map bound in place of a texture flagged as
// a normal map. Building it from the image is still to come; until then such
// a texture binds nothing.
#include "texture/vel_dx8_texture.h"

void Vel_DX8_Texture::CreateNormalMap() {}
