// The mesh-data plug-in: its type record, construction, release and
// destruction of the mesh.
#include "objectdata/vel_dx8_object_data_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "floatvalue/vel_float_channel.h"
#include "objectdata/mesh_arrays.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 3D ObjectData", vel::kObjectDataType, vel::kObjectDataType);
  return type;
}

constexpr VertTUVOffset kNeutralAdjustment = {0, 0, 0, 0, 1, 1};

Vel_FloatChannel* StatisticsValue(EngineInterface* engine, const char* name) {
  if (!engine) return nullptr;
  return vel::As<Vel_FloatChannel>(engine->GetUniqueChannel(vel::kFloatType, name), vel::kFloatType);
}
}  // namespace

Vel_DX8_ObjectDataChannel::Vel_DX8_ObjectDataChannel()
    : vertexBuffer_(nullptr),
      indexBuffer_(nullptr),
      indices_(nullptr),
      indexCount_(0),
      vertexCount_(0),
      positions_(nullptr),
      normals_(nullptr),
      uvSet1_(nullptr),
      uvSet2_(nullptr),
      colors_(nullptr),
      usePosition_(false),
      useNormal_(false),
      useUVSet1_(false),
      useUVSet2_(false),
      useColor_(false),
      vertexSize_(0),
      vertexFormat_(0),
      buffersValid_(false),
      polygonType_(4),
      softwareSphereMap_{false, false},
      uvAdjustment_{nullptr, nullptr},
      mappingMode_{0, 0},
      boxMin_(0, 0, 0),
      boxMax_(0, 0, 0),
      boxValid_(false),
      vertexCountValue_(nullptr),
      polygonCountValue_(nullptr),
      maxPrimitiveCount_(0),
      cachedBoxStale_(true),
      cachedBox_{},
      vertexBufferUsage_(D3DUSAGE_WRITEONLY),
      positionsLength_(0),
      normalsLength_(0),
      uvSet1Length_(0),
      uvSet2Length_(0),
      colorsLength_(0),
      indicesLength_(0),
      buildFailed_(false),
      builtVertexCount_(0),
      builtIndexCount_(0) {
  SetChannelName("DX8 3D ObjectData");
  SetChildCreationCount(2);
  vel::DeclareSlot(this, 0, vel::kMatrixType, "Matrix", "Texture Matrix Set 0");
  vel::DeclareSlot(this, 1, vel::kMatrixType, "Matrix", "Texture Matrix Set 1");
  for (VertTUVOffset*& adjustment : uvAdjustment_) adjustment = new (std::nothrow) VertTUVOffset(kNeutralAdjustment);
  vertexCountValue_ = StatisticsValue(engine, "Vel_ObjectData_VertexCount");
  polygonCountValue_ = StatisticsValue(engine, "Vel_ObjectData_PolyCount");
  if (directGraphics_) maxPrimitiveCount_ = directGraphics_->GetDeviceCaps().MaxPrimitiveCount;
  D3DXMatrixIdentity(&cachedBoxMatrix_);
  D3DXMatrixIdentity(&worldMatrix_);
}

Vel_DX8_ObjectDataChannel::~Vel_DX8_ObjectDataChannel() { FreeAll(); }

void Vel_DX8_ObjectDataChannel::FreeAll() {
  FreeArrays();
  for (VertTUVOffset*& adjustment : uvAdjustment_) {
    delete adjustment;
    adjustment = nullptr;
  }
  ReleaseBuffers();
}

void Vel_DX8_ObjectDataChannel::FreeArrays() {
  mesh::Free(positions_, positionsLength_);
  mesh::Free(normals_, normalsLength_);
  mesh::Free(uvSet1_, uvSet1Length_);
  mesh::Free(uvSet2_, uvSet2Length_);
  mesh::Free(colors_, colorsLength_);
  mesh::Free(indices_, indicesLength_);
}

void Vel_DX8_ObjectDataChannel::ReleaseBuffers() {
  if (vertexBuffer_) vertexBuffer_->Release();
  if (indexBuffer_) indexBuffer_->Release();
  vertexBuffer_ = nullptr;
  indexBuffer_ = nullptr;
  buffersValid_ = false;
  builtVertexCount_ = builtIndexCount_ = 0;
}

void Vel_DX8_ObjectDataChannel::EmptyMesh() {
  FreeArrays();
  ReleaseBuffers();
  vertexCount_ = indexCount_ = 0;
  usePosition_ = useNormal_ = useUVSet1_ = useUVSet2_ = useColor_ = false;
  softwareSphereMap_[0] = softwareSphereMap_[1] = false;
  vertexFormat_ = 0;
  polygonType_ = 4;
  InvalidateVertexDataInfo();
  cachedBoxStale_ = true;
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::Release() { EmptyMesh(); }

void Vel_DX8_ObjectDataChannel::UpdateData() {}

void Vel_DX8_ObjectDataChannel::CallChannel() { StreamVertexData(); }

void Vel_DX8_ObjectDataChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kFloatType, dependencies);
  AddChannelGuidDepend(vel::kDeviceUseType, dependencies);
}

void Vel_DX8_ObjectDataChannel::DoCustomPreRenderStates() {}

void Vel_DX8_ObjectDataChannel::SetWorldMatrix(D3DXMATRIX matrix) { worldMatrix_ = matrix; }
D3DXMATRIX Vel_DX8_ObjectDataChannel::GetWorldMatrix() { return worldMatrix_; }

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_ObjectDataChannel; }
