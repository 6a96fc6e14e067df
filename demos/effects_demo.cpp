// The bundled project "effects": one pane per shader effect, in five columns
// and three rows before the default view (the eye at the origin looking
// along +z), none in front of another, each labelled with its number and
// name and dressed with the material, textures and Shader Info inputs that
// its description asks for. The water ripples where particles shot at it
// strike; the ocean, in the last row, moves with an elapsed-time input.
#include "effects_demo.h"

#include "clock/elapsed_time_channel.h"
#include "cubetexture/vel_dx8_cube_texture.h"
#include "demo_meshes.h"
#include "demo_project.h"
#include "effects_images.h"
#include "effects_layout.h"
#include "floatvalue/vel_float_channel.h"
#include "guid_util.h"
#include "material/material_channel.h"
#include "object/vel_dx8_object_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "particle/vel_dx8_particle_object.h"
#include "scene/vel_scene_channel.h"
#include "scene_demo.h"
#include "shaderinfo/shader_info_channel.h"
#include "shadersurface/vel_dx8_pixel_shader_surface.h"
#include "text/text_channel.h"
#include "textout/vel_dx8_textout_channel.h"
#include "texture/vel_dx8_texture.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cstdio>

namespace demos {

namespace {

using Surface = Vel_DX8_PixelShaderSurface;

const GUID kElapsedTimeType = GuidLiteral("4D7B2E90-A1C3-4F58-9E26-B803C5D14A7F");

struct Effects {
  SceneDemo& demo;
  EffectImages im;
  MaterialChannel* plain;  // white, lit or not: shows a texture as it is
  Vel_DX8_ObjectDataChannel* ball;
  Vel_DX8_ObjectDataChannel* pane;

  Orn_Channel* Info(Surface* s) { return s->GetChildFromLinkGuid(vel::kShaderInfoType, 0); }
  void Float(Surface* s, float value) {
    auto* channel = demo.Make<Vel_FloatChannel>(vel::kFloatType, "Value");
    if (!channel) return;
    channel->SetFloat(value);
    demo.Link(Info(s), channel, ShaderInfoChannel::kValues);
  }
  void Vector(Surface* s, D3DXVECTOR3 value) {
    auto* channel = demo.Make<Vel_VectorChannel>(vel::kVectorType, "Value Vector");
    if (!channel) return;
    channel->SetVector(value);
    demo.Link(Info(s), channel, ShaderInfoChannel::kVectors);
  }
  void Textures(Surface* s, std::initializer_list<Vel_DX8_Texture*> list) {
    for (Vel_DX8_Texture* t : list) demo.Link(s, t, Vel_DX8_SurfaceChannel::kTexturesSlot);
  }
  void Material(Surface* s) { demo.Link(s, plain, Vel_DX8_SurfaceChannel::kMaterialSlot); }

  void Dress(Surface* s, int number);
  void DressWater(Surface* s, const D3DXMATRIX& at);
  void DressOcean(Surface* s);
};

void Effects::Dress(Surface* s, int number) {
  switch (number) {
    case Surface::kReflectiveBump:
      Material(s);
      Textures(s, {im.normals, im.sky});
      Float(s, 0.6f);  // bump scale
      break;
    case Surface::kMembrane:
      Textures(s, {im.gradient});
      break;
    case Surface::kDynamicHair:
      // It blends by the texture's alpha: clear at the rim.
      Textures(s, {im.strands});
      break;
    case Surface::kFur:
      Textures(s, {im.fur});
      Float(s, 12.0f);                             // levels
      Float(s, 0.012f);                            // length
      Float(s, 1.0f);                              // the surface itself too
      Vector(s, D3DXVECTOR3(-0.3f, 0.5f, -1));     // towards the light
      Vector(s, D3DXVECTOR3(0, -0.004f, 0));       // hair direction
      break;
    case Surface::kHalo:
      // A glow added over what lies behind, strongest where the ball faces
      // the eye.
      s->SetTransparentSurface(true);
      s->SetSourceBlend(D3DBLEND_SRCALPHA);
      s->SetDestBlend(D3DBLEND_ONE);
      s->SetWriteDepthBuffer(false);
      Float(s, 0.12f);                          // distance
      Vector(s, D3DXVECTOR3(1, 0.8f, 0.3f));    // colour
      break;
    case Surface::kToon:
      Textures(s, {im.ramp, im.edge});
      Vector(s, D3DXVECTOR3(-1, 1, -1));          // towards the light
      Vector(s, D3DXVECTOR3(0.9f, 0.6f, 0.3f));   // surface colour
      break;
    case Surface::kDotProductBump:
      Material(s);
      Textures(s, {im.checker, im.normals, im.lighting});
      Float(s, 1.0f);                               // bump scale
      Vector(s, D3DXVECTOR3(-0.6f, 0.6f, -1));      // light direction
      break;
    case Surface::kBlur:
      Material(s);
      Textures(s, {im.checker});
      Float(s, 4.0f);  // the widest kernel
      break;
    case Surface::kEdgeDetection:
    case Surface::kSharpen:
      Material(s);
      Textures(s, {im.checker});
      break;
    case Surface::kEnvironmentMap:
      // Stage 0 the colour map; stage 1 the sky reflected, blended in by the
      // Fresnel term the shader writes to the diffuse alpha.
      Material(s);
      Textures(s, {im.checker, im.sky});
      s->SetColorOp(D3DTOP_SELECTARG1, 0);
      s->SetColorArg1(D3DTA_TEXTURE, 0);
      s->SetColorOp(D3DTOP_BLENDDIFFUSEALPHA, 1);
      s->SetColorArg1(D3DTA_TEXTURE, 1);
      s->SetColorArg2(D3DTA_CURRENT, 1);
      s->SetCoordIndex(1, 1);
      break;
    case Surface::kRadialBlur:
      Material(s);
      Textures(s, {im.burst});
      Vector(s, D3DXVECTOR3(0.5f, 0.5f, 0));   // about the ring in the middle
      Vector(s, D3DXVECTOR3(0.045f, 0.045f, 0.045f));  // gain of the 64 passes
      Float(s, 64);       // passes
      Float(s, 0.125f);   // alpha
      Float(s, 0.006f);   // each pass 0.6 % larger
      break;
    default:
      break;
  }
}

void Effects::DressWater(Surface* s, const D3DXMATRIX& at) {
  Material(s);
  // Where the water moves (clear inside the rim), the stamp of a drop, the
  // sky it reflects.
  Textures(s, {im.pool, im.drop, im.sky});
  Float(s, 0.5f);    // water speed (and bump scale)
  Float(s, 0.4f);    // wave speed
  Float(s, 0.6f);    // wave fall off
  Float(s, 0.6f);    // bounce factor
  Float(s, 1.0f);    // splash factor
  // A spray shot from in front of the pane into it: 32 nozzles, a tick
  // (1/16 s) apart in pairs, each path about a metre long to the water.
  auto* nozzle = demo.AddNozzle("Spray Nozzle", 32, 0.09f, D3DXVECTOR3(0, 0, 0.25f), D3DXVECTOR3(1, 0, 0),
                                D3DXVECTOR3(0, 1, 0));
  auto* spray = demo.Make<Vel_DX8_ParticleObject>(vel::kParticleType, "Spray");
  if (!nozzle || !spray) return;
  demo.Link(spray, nozzle, 0);
  spray->SetBirthRate(2);
  spray->SetVelocity(0.5f);
  spray->SetVelocityRandomize(0.05f);
  spray->SetGravity(0);
  spray->SetParticleLifeTime(10);
  spray->SetParticleStartSize(0.03f);
  spray->SetParticleEndSize(0.02f);
  spray->SetStartColor(D3DXVECTOR3(0.9f, 0.95f, 1.0f));
  spray->SetEndColor(D3DXVECTOR3(0.5f, 0.7f, 1.0f));
  D3DXMATRIX back;
  D3DXMatrixTranslation(&back, 0, 0, -1.0f);
  Vel_DX8_ObjectChannel* gun = demo.AddObject("Spray", back * at);
  demo.AddSurface(gun, spray, nullptr, nullptr);
  demo.Link(Info(s), spray, ShaderInfoChannel::kParticles);
}

void Effects::DressOcean(Surface* s) {
  Material(s);
  Textures(s, {im.sky});
  auto* time = demo.Make<ElapsedTimeChannel>(kElapsedTimeType, "Ocean Time");
  if (time) {
    time->SetRate(0.5f);
    demo.Link(Info(s), time, ShaderInfoChannel::kValues);
  }
  Float(s, 1.5f);      // environment intensity
  Float(s, 6.0f);      // environment texture offset
  Float(s, 0.6f);      // wind direction
  Float(s, 14.0f);     // wind speed
  Float(s, 400.0f);    // wave height
  Float(s, 2.0f);      // wind influence
  Float(s, 0.02f);     // choppiness
  Vector(s, D3DXVECTOR3(0.2f, 0.45f, 0.6f));   // surface colour
  Vector(s, D3DXVECTOR3(0.05f, 0.2f, 0.35f));  // water colour
}

void AddLabel(SceneDemo& demo, const char* name, D3DXVECTOR2 at) {
  auto* out = demo.Make<Vel_DX8_TextOutChannel>(vel::kTextOutType, "Label");
  auto* text = demo.Make<TextChannel>(vel::kTextType, "Label Text");
  auto* position = demo.Make<Vel_VectorChannel>(vel::kVectorType, "Label Position");
  auto* colour = demo.Make<Vel_VectorChannel>(vel::kVectorType, "Label Colour");
  if (!out || !text || !position || !colour) return;
  text->SetString(name);
  position->SetVector(D3DXVECTOR3(at.x, at.y, 0));
  colour->SetVector(D3DXVECTOR3(1, 1, 0.8f));
  demo.Link(out, position, Vel_DX8_TextOutChannel::kPosSlot);
  demo.Link(out, text, Vel_DX8_TextOutChannel::kTextSlot);
  demo.Link(out, colour, Vel_DX8_TextOutChannel::kColorSlot);
  demo.Link(demo.scene, out, Vel_SceneChannel::kChildrenSlot);
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
  demo.scene->SetClearColor(effects_layout::kClearColour);
  Effects fx{demo, {}, nullptr, nullptr, nullptr};
  if (!MakeEffectImages(demo, &fx.im)) return false;
  fx.plain = demo.AddMaterial("Plain", {1, 1, 1, 1}, {1, 1, 1, 1});
  fx.ball = demo.AddMesh("Ball", Ball(0.5f, 32, 16));
  fx.pane = demo.AddMesh("Pane", Pane(1.0f, 1.0f));
  MaterialChannel* core = demo.AddMaterial("Halo Core", {0, 0, 0, 1}, {0.25f, 0.1f, 0.05f, 1});

  for (int number = Surface::kReflectiveBump; number <= Surface::kOcean; ++number) {
    const effects_layout::Pane& place = effects_layout::kPanes[number];
    D3DXMATRIX at;
    D3DXMatrixTranslation(&at, place.x, place.y, effects_layout::kDepth);
    if (number == Surface::kOcean) {
      // The sea is 1024 units square about its origin: made 1.8 units wide
      // and tipped towards the eye.
      D3DXMATRIX scale, tip;
      D3DXMatrixScaling(&scale, 1.8f / 1024, 1.8f / 1024, 1.8f / 1024);
      D3DXMatrixRotationX(&tip, -0.6f);
      at = scale * tip * at;
    }
    Vel_DX8_ObjectChannel* object = demo.AddObject(place.name, at);
    auto* surface = demo.Make<Surface>(vel::kShaderSurfaceType, place.name, true);
    if (!object || !surface) return false;
    const bool flat = (number >= Surface::kBlur && number <= Surface::kSharpen) || number == Surface::kRadialBlur ||
                      number == Surface::kWater;
    if (number != Surface::kOcean)
      demo.Link(surface, flat ? fx.pane : fx.ball, Vel_DX8_SurfaceChannel::kObjectDataSlot);
    surface->SetShaderEffect(number);
    if (number == Surface::kWater) fx.DressWater(surface, at);
    else if (number == Surface::kOcean) fx.DressOcean(surface);
    else fx.Dress(surface, number);
    // The halo glows about a dark ball of its own.
    if (number == Surface::kHalo) demo.AddSurface(object, fx.ball, core, nullptr);
    demo.Link(object, surface, 2);
    AddLabel(demo, place.name, D3DXVECTOR2(place.labelX, place.labelY));
  }
  if (!demo.ok) return false;
  demo.group->SetStartChannel(demo.scene->GetChannelIDIndexNr());
  if (!demo.group->SaveChannelGroup((dir / "start.grp").c_str())) return false;
  // The Shader Info children come with their surfaces; the device channel,
  // the device-use base and the clocks of the spray and the ocean's time are
  // asked for by type.
  for (const GUID& type :
       {vel::kShaderInfoType, vel::kDeviceType, vel::kDeviceUseType, vel::kTextureManagerType, vel::kTimeSourceType})
    if (std::find(demo.types.begin(), demo.types.end(), type) == demo.types.end()) demo.types.push_back(type);
  return WriteProject(engine, dir / "effects.klv", "start.grp", demo.types);
}

}  // namespace demos
