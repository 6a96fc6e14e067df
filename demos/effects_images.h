// The pictures of the "effects" project: each written as a PNG file into the
// project's folder and loaded into a texture (or, for the sky, a cube
// texture) of the group.
#pragma once

class Vel_DX8_CubeTexture;
class Vel_DX8_Texture;

namespace demos {

struct SceneDemo;

struct EffectImages {
  Vel_DX8_Texture* ramp;       // four shades, dark to light: toon shading
  Vel_DX8_Texture* edge;       // dark, then light: the toon outline
  Vel_DX8_Texture* gradient;   // the membrane's colours, rim to centre
  Vel_DX8_Texture* strands;    // brown to gold and clear to opaque, rim to centre
  Vel_DX8_Texture* checker;    // a colour map, a picture to filter
  Vel_DX8_Texture* normals;    // a normal map of round bumps (0.5-biased)
  Vel_DX8_Texture* lighting;   // diffuse N.L along u, specular N.H in alpha along v
  Vel_DX8_Texture* fur;        // spots of opaque hair on clear ground
  Vel_DX8_Texture* pool;       // grey still water, clear inside an opaque rim
  Vel_DX8_Texture* drop;       // the round shape a drop stamps into the water
  Vel_DX8_Texture* burst;      // bright marks about a ringed centre
  Vel_DX8_CubeTexture* sky;    // bands of sky and stripes, on all six faces
};

// Writes the pictures into the demo's folder and makes their textures;
// false (with a message) when a file cannot be written.
bool MakeEffectImages(SceneDemo& demo, EffectImages* out);

}  // namespace demos
