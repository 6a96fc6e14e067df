#include "mousepick/vel_dx8_detect_mouse_collision.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "input/input_channel.h"
#include "object/vel_dx8_object_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "surface/vel_dx8_surface_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <win32/window.h>

#include <cmath>
#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type =
      vel::MakeTypeRecord("DX8 DetectMouseCollision", vel::kMousePickType, vel::kFloatType);
  return type;
}

bool Finite(const D3DXVECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  D3DXVECTOR3 out;
  D3DXVec3Cross(&out, &a, &b);
  return out;
}

D3DXVECTOR3 Position(Vel_DX8_ObjectDataChannel* mesh, int k) {
  VertPos p = mesh->GetVertexPosition(mesh->GetIndexes(static_cast<unsigned long>(k)));
  return D3DXVECTOR3(p.x, p.y, p.z);
}
}  // namespace

Vel_DX8_DetectMouseCollision::Vel_DX8_DetectMouseCollision()
    : input(nullptr), directGraphics_(nullptr), result{}, found(false) {
  SetChannelName("DX8 DetectMouseCollision");
  SetChildCreationCount(1);
  vel::DeclareSlot(this, kObjectSlot, vel::kObjectType, "DX8_Object", "3D Object");
  if (!engine) return;
  input = vel::As<InputChannel>(engine->GetUniqueChannel(vel::kInputType, nullptr), vel::kInputType);
  if (!input) engine->errorFunctor("ERROR USER INPUT NO DX8 INPUT");
  directGraphics_ = vel::DeviceChannel(engine);
  if (!directGraphics_) engine->errorFunctor("Couldn't initialize Direct Graphics !");
}

Vel_DX8_DetectMouseCollision::~Vel_DX8_DetectMouseCollision() = default;

void Vel_DX8_DetectMouseCollision::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kDeviceType, dependencies);
  AddChannelGuidDepend(vel::kInputType, dependencies);
  AddChannelGuidDepend(vel::kFloatType, dependencies);
}

float Vel_DX8_DetectMouseCollision::GetFloat() {
  found = false;
  if (CheckRenderCount()) CalculateCollision(false);
  return value;
}

Vel_DX8_ObjectChannel* Vel_DX8_DetectMouseCollision::Object() {
  return vel::ChildAs<Vel_DX8_ObjectChannel>(this, kObjectSlot, vel::kObjectType);
}

void Vel_DX8_DetectMouseCollision::CalculateCollision(bool nearest) {
  value = 0.0f;
  Vel_DX8_ObjectChannel* object = Object();
  if (!object) return;
  const int surfaces = object->GetChildTypeCount(vel::kSurfaceType);
  found = false;
  for (int i = 0; i < surfaces; ++i) {
    CalculateCollisionSurface(i, nearest);
    if (!nearest && found) break;
  }
  if (found) value = 1.0f;
}

int Vel_DX8_DetectMouseCollision::GetSelectedSurface() {
  result = CollisionResult{};
  found = false;
  CalculateCollision(true);
  return found ? result.surface : -1;
}

CollisionResult* Vel_DX8_DetectMouseCollision::Result() { return &result; }

bool Vel_DX8_DetectMouseCollision::CursorRay(D3DXVECTOR3* origin, D3DXVECTOR3* farPoint) {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device || !input) {
    value = 0.0f;
    return false;
  }
  input->CallChannel();
  const InputStateRecord* state = input->GetInputState();
  if (!state) {
    value = 0.0f;
    return false;
  }
  D3DXMATRIX projection, view, placement;
  D3DVIEWPORT8 viewport{};
  device->GetTransform(D3DTS_PROJECTION, &projection);
  device->GetViewport(&viewport);
  POINT cursor{state->cursorX, state->cursorY};
  ScreenToClient(directGraphics_->GetPresentWindow(), &cursor);
  // The right and bottom borders still count; the viewport's own offset is
  // not taken off.
  if (cursor.x < 0 || cursor.y < 0 || cursor.x > static_cast<LONG>(viewport.Width) ||
      cursor.y > static_cast<LONG>(viewport.Height))
    return false;
  if (viewport.Width == 0 || viewport.Height == 0 || projection._11 == 0.0f || projection._22 == 0.0f)
    return false;
  const float width = static_cast<float>(viewport.Width), height = static_cast<float>(viewport.Height);
  const D3DXVECTOR3 v((2.0f * static_cast<float>(cursor.x) / width - 1.0f) / projection._11,
                      -(2.0f * static_cast<float>(cursor.y) / height - 1.0f) / projection._22, 1.0f);
  device->GetTransform(D3DTS_VIEW, &view);
  if (!D3DXMatrixInverse(&placement, nullptr, &view)) return false;
  *origin = D3DXVECTOR3(placement._41, placement._42, placement._43);
  // v placed by the inverse view as a point, without a division by w.
  *farPoint = D3DXVECTOR3(v.x * placement._11 + v.y * placement._21 + v.z * placement._31 + placement._41,
                          v.x * placement._12 + v.y * placement._22 + v.z * placement._32 + placement._42,
                          v.x * placement._13 + v.y * placement._23 + v.z * placement._33 + placement._43);
  return Finite(*origin) && Finite(*farPoint);
}

void Vel_DX8_DetectMouseCollision::CalculateCollisionSurface(int surface, bool nearest) {
  D3DXVECTOR3 worldOrigin, worldFar;
  if (!CursorRay(&worldOrigin, &worldFar)) return;
  Vel_DX8_ObjectChannel* object = Object();
  if (!object) return;
  D3DXMATRIX world = object->GetObjectMatrix(), toObject;
  if (!D3DXMatrixInverse(&toObject, nullptr, &world)) return;
  D3DXVECTOR3 o, f;
  D3DXVec3TransformCoord(&o, &worldOrigin, &toObject);
  D3DXVec3TransformCoord(&f, &worldFar, &toObject);
  auto* s = vel::As<Vel_DX8_SurfaceChannel>(object->GetChildFromLinkGuid(vel::kSurfaceType, surface),
                                            vel::kSurfaceType);
  // Only a mesh-data channel (or one derived from it) is read as a mesh.
  Vel_DX8_ObjectDataChannel* mesh =
      vel::ChildAs<Vel_DX8_ObjectDataChannel>(s, Vel_DX8_SurfaceChannel::kObjectDataSlot, vel::kObjectDataType);
  if (!mesh) return;
  const D3DXVECTOR3 d = f - o;
  const D3DXVECTOR3 boxMin = mesh->GetBoundingBoxMin(), boxMax = mesh->GetBoundingBoxMax();
  if (!D3DXBoxBoundProbe(&boxMin, &boxMax, &o, &d)) return;
  if (mesh->GetPolygonType() != D3DPT_TRIANGLELIST) return;
  const int count = mesh->GetIndexCount();
  for (int k = 0; k < count; k += 3) {
    const D3DXVECTOR3 v0 = Position(mesh, k), v1 = Position(mesh, k + 1), v2 = Position(mesh, k + 2);
    const D3DXVECTOR3 n = Cross(v1 - v0, v2 - v0);
    const D3DXPLANE plane(n.x, n.y, n.z, -D3DXVec3Dot(&n, &v0));
    D3DXVECTOR3 h;
    if (!D3DXPlaneIntersectLine(&h, &plane, &o, &f)) continue;
    const D3DXVECTOR3 a = v0 - h, b = v1 - h, c = v2 - h;
    D3DXVECTOR3 ab = Cross(a, b), bc = Cross(b, c), ca = Cross(c, a);
    if (D3DXVec3Dot(&ab, &n) < 0 || D3DXVec3Dot(&bc, &n) < 0 || D3DXVec3Dot(&ca, &n) < 0) continue;
    if (!(D3DXVec3Dot(&d, &n) < 0)) continue;
    // The line runs through the camera: a point behind it is not under the
    // cursor.
    const D3DXVECTOR3 toHit = h - o;
    if (D3DXVec3Dot(&toHit, &d) < 0) continue;
    if (!nearest) {
      found = true;
      return;
    }
    const float q = D3DXVec3LengthSq(&toHit);
    if (found && !(q < result.distance)) continue;
    found = true;
    result = CollisionResult{h.x, h.y, h.z, n.x, n.y, n.z, surface, q};
  }
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_DetectMouseCollision; }
