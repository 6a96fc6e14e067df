// The 3D-object plug-in: type record, construction, the saved record
// (OBUC culling flag, OBMI and OBMA object box) and the object matrix with
// the movement it tracks.
#include "object/vel_dx8_object_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "file_loader.h"
#include "file_saver.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 3D Object", vel::kObjectType, vel::kObjectType);
  return type;
}
}  // namespace

Vel_DX8_ObjectChannel::Vel_DX8_ObjectChannel()
    : directGraphics_(nullptr),
      positionKnown_(false),
      lastPosition_(0, 0, 0),
      deltaMovement_(0, 0, 0),
      useFullObjectCulling_(false),
      objectBoxMin_(0, 0, 0),
      objectBoxMax_(0, 0, 0),
      worldBoxMin_(0, 0, 0),
      worldBoxMax_(0, 0, 0),
      boxComputed_(false) {
  directGraphics_ = vel::DeviceChannel(engine);
  if (!directGraphics_ && engine) engine->errorFunctor("Couldn't initialize Direct Graphics !");
  SetChildCreationCount(4);
  vel::DeclareSlot(this, 0, vel::kMatrixType, "Matrix", "Object Matrix");
  vel::DeclareSlot(this, 1, vel::kMatrixType, "Matrix", "OffSetMatrix");
  // Any number of surfaces.
  ChildCreation surfaces(vel::kSurfaceType, -1, "Surfaces");
  surfaces.acceptedType.SetName("DX8 Surface");
  surfaces.acceptedType.baseType = kWildcardGuid;
  SetChildCreateType(surfaces, 2);
  SetChannelName("DX8 3D Object");
  D3DXMatrixIdentity(&objectMatrix_);
}

Vel_DX8_ObjectChannel::~Vel_DX8_ObjectChannel() = default;

void Vel_DX8_ObjectChannel::OneTimeInitialize() {}

bool Vel_DX8_ObjectChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  const uint8_t culling = useFullObjectCulling_ ? 1 : 0;
  saver.SaveChunk("OBUC", &culling, sizeof culling);
  saver.SaveChunk("OBMI", &objectBoxMin_, sizeof objectBoxMin_);
  saver.SaveChunk("OBMA", &objectBoxMax_, sizeof objectBoxMax_);
  return true;
}

bool Vel_DX8_ObjectChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  // Each chunk, when it is next, is copied over its member; a damaged one is
  // reported and passed over.
  constexpr const char* kCorrupt = "Vel_DX8_ObjectChannel::LoadChannel: Corrupt chunk";
  uint8_t culling = 0;
  if (vel::ReadRecordChunk(loader, "OBUC", &culling, sizeof culling, this, kCorrupt))
    useFullObjectCulling_ = culling != 0;
  vel::ReadRecordChunk(loader, "OBMI", &objectBoxMin_, sizeof objectBoxMin_, this, kCorrupt);
  vel::ReadRecordChunk(loader, "OBMA", &objectBoxMax_, sizeof objectBoxMax_, this, kCorrupt);
  return true;
}

void Vel_DX8_ObjectChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kDeviceType, dependencies);
}

D3DXMATRIX Vel_DX8_ObjectChannel::GetObjectMatrix() {
  if (CheckRenderCount()) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    if (Vel_MatrixChannel* object = GetOrientation()) {
      m = object->GetMatrix();
      // The offset applies in the object's own space first.
      if (Vel_MatrixChannel* offset = GetOffset()) {
        const D3DXMATRIX o = offset->GetMatrix();
        D3DXMatrixMultiply(&m, &o, &m);
      }
    }
    objectMatrix_ = m;
    const D3DXVECTOR3 position(m._41, m._42, m._43);
    if (!positionKnown_) {
      positionKnown_ = true;
      lastPosition_ = position;
    }
    deltaMovement_ = position - lastPosition_;
    lastPosition_ = position;
    if (useFullObjectCulling_) DoTransFormMinMax(objectMatrix_);
  }
  return objectMatrix_;
}

Vel_MatrixChannel* Vel_DX8_ObjectChannel::GetOrientation() {
  if (const Links* links = CurrentLinks()) return links->orientation;
  return vel::ChildAs<Vel_MatrixChannel>(this, 0, vel::kMatrixType);
}

Vel_MatrixChannel* Vel_DX8_ObjectChannel::GetOffset() {
  if (const Links* links = CurrentLinks()) return links->offset;
  return vel::ChildAs<Vel_MatrixChannel>(this, 1, vel::kMatrixType);
}

D3DXVECTOR3 Vel_DX8_ObjectChannel::GetDeltaMovement() {
  GetObjectMatrix();
  return deltaMovement_;
}

void Vel_DX8_ObjectChannel::SetDeltaMovement(D3DXVECTOR3 delta) { deltaMovement_ = delta; }

D3DXVECTOR3 Vel_DX8_ObjectChannel::GetPosition() {
  GetObjectMatrix();
  return lastPosition_ - deltaMovement_;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_ObjectChannel; }
