// The bundled project "effects": one 3D object per shader effect, side by
// side in five columns and three rows before the default view (the eye at
// the origin looking along +z), each on a mesh that suits its effect with
// the textures and Shader Info inputs it reads, and three lines of text
// naming the effects of each row.
#include "cubetexture/vel_dx8_cube_texture.h"
#include "demo_images.h"
#include "demo_meshes.h"
#include "demo_project.h"
#include "effects_demo.h"
#include "floatvalue/vel_float_channel.h"
#include "object/vel_dx8_object_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "scene/vel_scene_channel.h"
#include "scene_demo.h"
#include "shadersurface/vel_dx8_pixel_shader_surface.h"
#include "text/text_channel.h"
#include "textout/vel_dx8_textout_channel.h"
#include "texture/vel_dx8_texture.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace demos {

namespace {

using Surface = Vel_DX8_PixelShaderSurface;

// The effects' names, in effect-number order, five to a row.
constexpr const char* kRows[3] = {
    "reflective bump, membrane, fur, halo, toon",
    "water, dot-product bump, blur, edge detection, sharpen",
    "dynamic hair, environment map, radial blur, ocean",
};

Picture Made(unsigned width, unsigned height, uint32_t (*texel)(unsigned, unsigned)) {
  Picture p{width, height, {}};
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x) p.texels.push_back(texel(x, y));
  return p;
}

struct Images {
  Vel_DX8_Texture* ramp;      // four shades for toon shading
  Vel_DX8_Texture* edge;      // dark, then light: the toon outline
  Vel_DX8_Texture* gradient;  // the membrane's colours
  Vel_DX8_Texture* checker;   // a picture to filter, a colour map
  Vel_DX8_Texture* bumps;     // a height pattern
  Vel_DX8_Texture* fur;       // spots of opaque hair on clear ground
  Vel_DX8_CubeTexture* sky;   // the environment, on all six faces
};

bool WriteImages(SceneDemo& demo, Images* out) {
  const struct {
    const char* file;
    Picture picture;
  } images[] = {
      {"ramp.png", Made(4, 1, [](unsigned x, unsigned) {
         const uint32_t steps[4] = {0xFF20305A, 0xFF3C6EB4, 0xFF78B4F0, 0xFFF0F8FF};
         return steps[x];
       })},
      {"edge.png", Made(4, 1, [](unsigned x, unsigned) { return x == 0 ? 0xFF000000u : 0xFFFFFFFFu; })},
      {"gradient.png", Made(32, 1, [](unsigned x, unsigned) { return 0xFF0000C0u | (x * 8) << 16 | (255 - x * 8) << 8; })},
      {"checker.png", Made(32, 32, [](unsigned x, unsigned y) { return (x / 4 + y / 4) % 2 ? 0xFFE0E0E0u : 0xFF304080u; })},
      {"bumps.png", Made(32, 32, [](unsigned x, unsigned y) {
         const float h = 0.5f + 0.25f * std::sin(static_cast<float>(x) * 0.8f) + 0.25f * std::cos(static_cast<float>(y) * 0.8f);
         const auto v = static_cast<uint32_t>(h * 255.0f);
         return 0xFF000000u | v << 16 | v << 8 | v;
       })},
      {"fur.png", Made(32, 32, [](unsigned x, unsigned y) { return (x * 7 + y * 13) % 5 == 0 ? 0xFFB08050u : 0x00B08050u; })},
      {"sky.png", Made(32, 32, [](unsigned, unsigned y) {
         const uint32_t v = 255 - y * 4;
         return 0xFF000000u | (v / 2) << 16 | (v * 3 / 4) << 8 | v;
       })},
  };
  for (const auto& image : images) {
    if (!WritePngFile(demo.dir / image.file, image.picture)) {
      std::fprintf(stderr, "make_demos: could not write %s\n", image.file);
      return false;
    }
  }
  out->ramp = demo.AddTexture("Ramp", demo.dir / "ramp.png");
  out->edge = demo.AddTexture("Edge", demo.dir / "edge.png");
  out->gradient = demo.AddTexture("Gradient", demo.dir / "gradient.png");
  out->checker = demo.AddTexture("Checker", demo.dir / "checker.png");
  out->bumps = demo.AddTexture("Bumps", demo.dir / "bumps.png");
  out->fur = demo.AddTexture("Fur", demo.dir / "fur.png");
  out->sky = demo.Make<Vel_DX8_CubeTexture>(vel::kCubeTextureType, "Sky");
  if (out->sky) {
    const std::vector<char> bytes = ReadFileBytes(demo.dir / "sky.png");
    out->sky->LoadTextureFromMemoryAndCopyBuffer(bytes.data(), static_cast<int>(bytes.size()));
  }
  return demo.ok;
}

void Input(SceneDemo& demo, Surface* surface, float value) {
  auto* channel = demo.Make<Vel_FloatChannel>(vel::kFloatType, "Value");
  if (!channel) return;
  channel->SetFloat(value);
  demo.Link(surface->GetChildFromLinkGuid(vel::kShaderInfoType, 0), channel, 0);
}

void Input(SceneDemo& demo, Surface* surface, D3DXVECTOR3 value) {
  auto* channel = demo.Make<Vel_VectorChannel>(vel::kVectorType, "Value Vector");
  if (!channel) return;
  channel->SetVector(value);
  demo.Link(surface->GetChildFromLinkGuid(vel::kShaderInfoType, 0), channel, 1);
}

// The textures and inputs each effect reads, as its description asks.
void Dress(SceneDemo& demo, Surface* s, int number, const Images& im) {
  auto textures = [&](std::initializer_list<Vel_DX8_Texture*> list) {
    for (Vel_DX8_Texture* t : list) demo.Link(s, t, Vel_DX8_SurfaceChannel::kTexturesSlot);
  };
  switch (number) {
    case Surface::kReflectiveBump:
      textures({im.bumps, im.sky});
      Input(demo, s, 0.25f);
      break;
    case Surface::kMembrane:
    case Surface::kDynamicHair:
      textures({im.gradient});
      break;
    case Surface::kFur:
      textures({im.fur});
      Input(demo, s, 12.0f);   // levels
      Input(demo, s, 0.02f);   // length
      Input(demo, s, 1.0f);    // the surface itself too
      Input(demo, s, D3DXVECTOR3(-0.3f, 0.5f, -1));  // towards the light
      Input(demo, s, D3DXVECTOR3(0, -0.05f, 0));    // hair direction
      break;
    case Surface::kHalo:
      Input(demo, s, 0.08f);
      Input(demo, s, D3DXVECTOR3(1, 0.8f, 0.3f));
      break;
    case Surface::kToon:
      textures({im.ramp, im.edge});
      Input(demo, s, D3DXVECTOR3(-1, 1, -1));        // towards the light
      Input(demo, s, D3DXVECTOR3(0.9f, 0.6f, 0.3f));  // surface colour
      break;
    case Surface::kWater:
      textures({im.checker, im.bumps, im.sky});
      break;
    case Surface::kDotProductBump:
      textures({im.checker, im.bumps, im.gradient});
      Input(demo, s, 0.25f);
      Input(demo, s, D3DXVECTOR3(0.5f, 0.5f, -1));
      break;
    case Surface::kEnvironmentMap:
      textures({im.checker, im.sky});
      break;
    case Surface::kOcean:
      textures({im.sky});
      break;
    default:  // the image-space effects filter a picture
      textures({im.checker});
      break;
  }
}

void AddLegend(SceneDemo& demo) {
  for (int row = 0; row < 3; ++row) {
    auto* out = demo.Make<Vel_DX8_TextOutChannel>(vel::kTextOutType, "Legend");
    auto* text = demo.Make<TextChannel>(vel::kTextType, "Legend Text");
    auto* at = demo.Make<Vel_VectorChannel>(vel::kVectorType, "Legend Position");
    auto* colour = demo.Make<Vel_VectorChannel>(vel::kVectorType, "Legend Colour");
    if (!out || !text || !at || !colour) return;
    text->SetString(kRows[row]);
    at->SetVector(D3DXVECTOR3(8, 8 + 18 * static_cast<float>(row), 0));
    colour->SetVector(D3DXVECTOR3(1, 1, 0.8f));
    demo.Link(out, at, Vel_DX8_TextOutChannel::kPosSlot);
    demo.Link(out, text, Vel_DX8_TextOutChannel::kTextSlot);
    demo.Link(out, colour, Vel_DX8_TextOutChannel::kColorSlot);
    demo.Link(demo.scene, out, Vel_SceneChannel::kChildrenSlot);
  }
}

}  // namespace

bool MakeEffectsDemo(EngineInterface* engine, const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  SceneDemo demo;
  demo.engine = engine;
  demo.dir = dir;
  demo.group = engine->CreateNewGroup("Effects", false, -1);
  if (!demo.group) return false;
  demo.scene = demo.Make<Vel_SceneChannel>(vel::kSceneType, "Scene");
  if (!demo.scene) return false;
  demo.scene->SetClearColor(0xFF182030);
  Images images{};
  if (!WriteImages(demo, &images)) return false;

  Vel_DX8_ObjectDataChannel* ball = demo.AddMesh("Ball", Ball(0.5f, 24, 12));
  Vel_DX8_ObjectDataChannel* pane = demo.AddMesh("Pane", Pane(1.0f, 1.0f));
  for (int number = Surface::kReflectiveBump; number <= Surface::kOcean; ++number) {
    // Five columns and three rows at depth 6.
    D3DXMATRIX at;
    D3DXMatrixTranslation(&at, -2.6f + 1.3f * static_cast<float>(number % 5), 1.5f - 1.5f * static_cast<float>(number / 5),
                          6.0f);
    Vel_DX8_ObjectChannel* object = demo.AddObject("Effect", at);
    auto* surface = demo.Make<Surface>(vel::kShaderSurfaceType, "Effect Surface", true);
    if (!object || !surface) return false;
    const bool picture = (number >= Surface::kBlur && number <= Surface::kSharpen) || number == Surface::kRadialBlur;
    demo.Link(surface, picture ? pane : ball, Vel_DX8_SurfaceChannel::kObjectDataSlot);
    surface->SetShaderEffect(number);
    Dress(demo, surface, number, images);
    demo.Link(object, surface, 2);
  }
  AddLegend(demo);
  if (!demo.ok) return false;
  demo.group->SetStartChannel(demo.scene->GetChannelIDIndexNr());
  if (!demo.group->SaveChannelGroup((dir / "start.grp").c_str())) return false;
  // The Shader Info children come with their surfaces; the device channel
  // and the device-use base are asked for by type.
  for (const GUID& type : {vel::kShaderInfoType, vel::kDeviceType, vel::kDeviceUseType, vel::kTextureManagerType})
    if (std::find(demo.types.begin(), demo.types.end(), type) == demo.types.end()) demo.types.push_back(type);
  return WriteProject(engine, dir / "effects.klv", "start.grp", demo.types);
}

}  // namespace demos
