// The scene's generated shapes and its fountain: a sphere, a torus, a
// cylinder and a cone from the primitive channel beside the meshes, and a
// particle fountain whose nozzle is a fan of upward directions.
#include "floatvalue/vel_float_channel.h"
#include "object/vel_dx8_object_channel.h"
#include "particle/vel_dx8_particle_object.h"
#include "primitive/vel_dx8_primitive.h"
#include "scene_demo.h"
#include "vel_type_guids.h"

#include <algorithm>

namespace demos {

namespace {

D3DXMATRIX Transform(float scale, float turnX, float x, float y, float z) {
  D3DXMATRIX size, turn, move;
  D3DXMatrixScaling(&size, scale, scale, scale);
  D3DXMatrixRotationX(&turn, turnX);
  D3DXMatrixTranslation(&move, x, y, z);
  return size * turn * move;
}

}  // namespace

void AddPrimitives(SceneDemo& demo) {
  MaterialChannel* paint = demo.AddMaterial("Primitive Paint", {0.9f, 0.55f, 0.2f, 1}, {0.05f, 0.03f, 0, 1});
  auto* complexity = demo.Make<Vel_FloatChannel>(vel::kFloatType, "Primitive Complexity");
  if (complexity) complexity->SetFloat(16);
  constexpr float kUp = -1.5707964f;  // turns the shapes' z axis upwards
  struct Shape {
    const char* name;
    int type;
    D3DXMATRIX placement;
  };
  const Shape shapes[] = {
      {"Sphere", Vel_DX8_Primitive::kSphere, Transform(0.6f, 0, -3.4f, 0.6f, 2.0f)},
      {"Torus", Vel_DX8_Primitive::kTorus, Transform(0.45f, 0, -1.8f, 0.7f, 2.8f)},
      {"Cylinder", Vel_DX8_Primitive::kCylinder, Transform(0.8f, kUp, 3.2f, 0.4f, 1.6f)},
      {"Cone", Vel_DX8_Primitive::kCone, Transform(0.8f, kUp, 3.8f, 0.4f, -0.4f)},
  };
  for (const Shape& s : shapes) {
    auto* shape = demo.Make<Vel_DX8_Primitive>(vel::kPrimitiveType, s.name);
    if (!shape) return;
    shape->SetPrimitiveType(s.type);
    demo.Link(shape, complexity, 2);
    demo.AddSurface(demo.AddObject(s.name, s.placement), shape, paint, nullptr);
  }
}

void AddFountain(SceneDemo& demo) {
  // 128 nozzle directions, a narrow cone around straight up.
  auto* nozzle = demo.AddNozzle("Fountain Nozzle", 128, 0.12f, D3DXVECTOR3(0, 0.2f, 0), D3DXVECTOR3(1, 0, 0),
                                D3DXVECTOR3(0, 0, 1));
  auto* fountain = demo.Make<Vel_DX8_ParticleObject>(vel::kParticleType, "Fountain");
  if (!nozzle || !fountain) return;
  demo.Link(fountain, nozzle, 0);
  // In ticks of 1/16 s: up at 0.25 units a tick to about a metre, back on
  // the ground after 13 ticks under gravity 1, fading from pale to deep blue.
  fountain->SetBirthRate(8);
  fountain->SetVelocity(0.25f);
  fountain->SetVelocityRandomize(0.04f);
  fountain->SetGravity(1);
  fountain->SetParticleLifeTime(13);
  fountain->SetParticleStartSize(0.05f);
  fountain->SetParticleEndSize(0.02f);
  fountain->SetStartColor(D3DXVECTOR3(0.75f, 0.9f, 1.0f));
  fountain->SetEndColor(D3DXVECTOR3(0.05f, 0.25f, 0.7f));
  Vel_DX8_ObjectChannel* basin = demo.AddObject("Fountain", Transform(1, 0, 0.9f, 0.0f, 2.6f));
  demo.AddSurface(basin, fountain, nullptr, nullptr);
  // The fountain's clock is made at run time from the time-source library.
  if (std::find(demo.types.begin(), demo.types.end(), vel::kTimeSourceType) == demo.types.end())
    demo.types.push_back(vel::kTimeSourceType);
}

}  // namespace demos
