// Particles making waves: each particle of the particle systems linked to
// the surface's Shader Info that crossed the water mesh from the front since
// the previous frame stamps a drop at the hit's texture coordinate and is
// bounced off the surface.
#include "water_simulation.h"

#include "objectdata/vel_dx8_object_data_channel.h"
#include "particle/vel_dx8_particle_object.h"
#include "vel_child_access.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

namespace {

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  D3DXVECTOR3 c;
  D3DXVec3Cross(&c, &a, &b);
  return c;
}
float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return D3DXVec3Dot(&a, &b); }
D3DXVECTOR3 Vec(const VertPos& p) { return D3DXVECTOR3(p.x, p.y, p.z); }

}  // namespace

void WaterSimulation::CollideLinkedParticles() {
  Orn_Channel* info = surface ? surface->GetChildFromLinkGuid(vel::kShaderInfoType, 0) : nullptr;
  if (!vel::IsOfType(info, vel::kShaderInfoType)) return;
  // Only when the first mesh-typed child is a particle system are they read.
  Orn_Channel* first = info->GetChildFromLinkGuid(vel::kObjectDataType, 0);
  if (!first || !(first->GetChannelType().type == vel::kParticleType)) return;
  for (int n = 0; n < info->GetChildTypeCount(vel::kObjectDataType); ++n) {
    Orn_Channel* child = info->GetChildFromLinkGuid(vel::kObjectDataType, n);
    if (child && child->GetChannelType().type == vel::kParticleType)
      CollideParticles(0, static_cast<Vel_DX8_ParticleObject*>(child));
  }
}

void WaterSimulation::CollideParticles(int, Vel_DX8_ParticleObject* particles) {
  IDirect3DDevice8* d = D3DDevice();
  if (!d || !particles) return;
  D3DXMATRIX world, inverse;
  if (FAILED(d->GetTransform(D3DTS_WORLD, &world)) || !vel::InvertFinite(world, &inverse)) return;
  auto* mesh = vel::ChildAs<Vel_DX8_ObjectDataChannel>(surface, 0, vel::kObjectDataType);
  if (!mesh) return;
  const bool triangles = mesh->GetPolygonType() == 4 && mesh->GetIndexCount() > 0;

  for (int i = 0; i < particles->GetParticleCount(); ++i) {
    const ParticlesExplodeInfo* p = particles->GetParticle(i);
    if (!p || !p->born || !triangles) continue;
    D3DXVECTOR3 from, to;
    const D3DXVECTOR3 previous(p->previousPosition), now(p->position);
    D3DXVec3TransformCoord(&from, &previous, &inverse);
    D3DXVec3TransformCoord(&to, &now, &inverse);
    const D3DXVECTOR3 step = to - from;
    const int indices = mesh->GetIndexCount();
    for (int k = 0; k + 2 < indices; k += 3) {
      const int i0 = mesh->GetIndexes(k), i1 = mesh->GetIndexes(k + 1), i2 = mesh->GetIndexes(k + 2);
      const D3DXVECTOR3 p0 = Vec(mesh->GetVertexPosition(i0)), p1 = Vec(mesh->GetVertexPosition(i1)),
                        p2 = Vec(mesh->GetVertexPosition(i2));
      const D3DXVECTOR3 e1 = p1 - p0, e2 = p2 - p0, normal = Cross(e1, e2);
      const D3DXPLANE plane(normal.x, normal.y, normal.z, -Dot(normal, p0));
      D3DXVECTOR3 hit;
      if (!D3DXPlaneIntersectLine(&hit, &plane, &from, &to)) continue;
      const D3DXVECTOR3 a = p0 - hit, b = p1 - hit, c = p2 - hit;
      const D3DXVECTOR3 back = from - hit;
      if (Dot(normal, Cross(a, b)) < 0 || Dot(normal, Cross(b, c)) < 0 || Dot(normal, Cross(c, a)) < 0) continue;
      // The hit lies on the path from the old position to the new one: not
      // farther than the step (with a little slack) and not behind the old
      // position, so a particle leaving the water's back makes no drop.
      if (Dot(step, step) < Dot(back, back) - 0.0009f) continue;
      if (Dot(back, step) > 0) continue;
      if (Dot(normal, step) > 0) continue;
      // Barycentric weights of the hit along the particle's path.
      const D3DXVECTOR3 pvec = Cross(step, e2);
      float det = Dot(pvec, e1);
      D3DXVECTOR3 tvec = from - p0;
      if (det <= 0) {
        tvec = p0 - from;
        det = -det;
      }
      if (det < 0.0001f) continue;
      const float u = Dot(tvec, pvec) / det;
      const D3DXVECTOR3 qvec = Cross(tvec, e1);
      const float v = Dot(step, qvec) / det;
      const VertTUV t0 = mesh->GetVertexTUV(i0), t1 = mesh->GetVertexTUV(i1), t2 = mesh->GetVertexTUV(i2);
      AddDrop(1 - (t0.u + v * (t2.u - t0.u) + u * (t1.u - t0.u)), t0.v + v * (t2.v - t0.v) + u * (t1.v - t0.v),
              splashFactor * 10);
      D3DXVECTOR3 worldNormal, worldHit;
      D3DXVec3TransformNormal(&worldNormal, &normal, &world);
      D3DXVec3TransformCoord(&worldHit, &hit, &world);
      D3DXVec3Normalize(&worldNormal, &worldNormal);
      particles->CollideInNormal(i, worldNormal, worldHit, bounceFactor);
      break;
    }
  }
}
