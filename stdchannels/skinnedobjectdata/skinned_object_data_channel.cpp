#include "skinnedobjectdata/skinned_object_data_channel.h"

#include "file_loader.h"
#include "file_saver.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type =
      vel::MakeTypeRecord("DX8 Skinned ObjectData", vel::kSkinnedObjectDataTypeA, vel::kObjectDataType);
  return type;
}
constexpr const char* kCorruptChunk = "SkinnedObjectDataChannel::LoadChannel: Corrupt chunk";

// Reads the block of chunk `tag` as whole records of T, at most `limit`.
template <class T>
bool ReadRecords(OrnFileLoader& loader, const char* tag, size_t limit, std::vector<T>* out, Orn_Channel* channel) {
  if (!loader.GetInfoIfTag(tag)) return false;
  unsigned long size = 0;
  const char* data = vel::TakeBlock(loader, &size);
  if (!data || size % sizeof(T) != 0 || size / sizeof(T) > limit) {
    vel::ReportCorruptChunk(channel, kCorruptChunk, tag);
    return false;
  }
  out->resize(size / sizeof(T));
  if (size) std::memcpy(out->data(), data, size);
  return true;
}
}  // namespace

SkinnedObjectDataChannel::SkinnedObjectDataChannel() : weightsPerVertex_(kMaxWeightsPerVertex) {
  SetChannelName("DX8 Skinned ObjectData");
  // The mesh child replaces the texture-matrix slots of the mesh-data part.
  SetChildCreationCount(1);
  vel::DeclareSlot(this, 0, vel::kObjectDataType, "Object Data Channel", "ObjectData");
}

SkinnedObjectDataChannel::~SkinnedObjectDataChannel() = default;

SkinnedObjectDataChannel* SkinnedObjectDataChannel::Of(Orn_Channel* channel) {
  if (!channel) return nullptr;
  const ChannelType type = channel->GetChannelType();
  if (type.type != vel::kSkinnedObjectDataTypeA && type.type != vel::kSkinnedObjectDataTypeB) return nullptr;
  return static_cast<SkinnedObjectDataChannel*>(channel);
}

Vel_DX8_ObjectDataChannel* SkinnedObjectDataChannel::GetMesh() {
  Vel_DX8_ObjectDataChannel* mesh = vel::ChildAs<Vel_DX8_ObjectDataChannel>(this, 0, vel::kObjectDataType);
  // A skinned mesh is never its own or another skinned mesh's source.
  return mesh && !Of(mesh) ? mesh : nullptr;
}

void SkinnedObjectDataChannel::UpdateData() {
  if (Vel_DX8_ObjectDataChannel* mesh = GetMesh()) mesh->UpdateData();
}

SkinWeights SkinnedObjectDataChannel::GetVertexWeights(int i) {
  if (i < 0 || static_cast<size_t>(i) >= weights_.size()) return SkinWeights{};
  return weights_[static_cast<size_t>(i)];
}

int SkinnedObjectDataChannel::GetWeightsPerVertex() { return weightsPerVertex_; }
int SkinnedObjectDataChannel::GetBoneCount() { return static_cast<int>(bones_.size()); }

D3DXMATRIX SkinnedObjectDataChannel::GetBoneMatrix(int i) {
  D3DXMATRIX m;
  if (i >= 0 && static_cast<size_t>(i) < bones_.size()) return bones_[static_cast<size_t>(i)];
  D3DXMatrixIdentity(&m);
  return m;
}

void SkinnedObjectDataChannel::SetVertexWeights(int i, SkinWeights weights) {
  if (i < 0 || i >= 65536) return;
  if (static_cast<size_t>(i) >= weights_.size()) weights_.resize(static_cast<size_t>(i) + 1, SkinWeights{});
  weights_[static_cast<size_t>(i)] = weights;
  SetTimeStamp();
}

void SkinnedObjectDataChannel::SetWeightsPerVertex(int n) {
  weightsPerVertex_ = std::clamp(n, 1, kMaxWeightsPerVertex);
  SetTimeStamp();
}

void SkinnedObjectDataChannel::SetBoneCount(int n) {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  bones_.resize(static_cast<size_t>(std::clamp(n, 0, kMaxStoredBones)), identity);
}

void SkinnedObjectDataChannel::SetBoneMatrix(int i, D3DXMATRIX m) {
  if (i >= 0 && static_cast<size_t>(i) < bones_.size()) bones_[static_cast<size_t>(i)] = m;
}

bool SkinnedObjectDataChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Vel_DX8_ObjectDataChannel::SaveChannel(saver)) return false;
  saver.SaveChunk("SKWP", &weightsPerVertex_, sizeof weightsPerVertex_);
  saver.SaveChunk("SKVW", weights_.data(), static_cast<unsigned long>(weights_.size() * sizeof(SkinWeights)));
  saver.SaveChunk("SKBM", bones_.data(), static_cast<unsigned long>(bones_.size() * sizeof(D3DXMATRIX)));
  return true;
}

bool SkinnedObjectDataChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Vel_DX8_ObjectDataChannel::LoadChannel(loader, group)) return false;
  int32_t perVertex = 0;
  if (vel::ReadRecordChunk(loader, "SKWP", &perVertex, sizeof perVertex, this, kCorruptChunk))
    weightsPerVertex_ = std::clamp(perVertex, 1, kMaxWeightsPerVertex);
  ReadRecords(loader, "SKVW", 65536, &weights_, this);
  ReadRecords(loader, "SKBM", kMaxStoredBones, &bones_, this);
  SetTimeStamp();
  return true;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) SkinnedObjectDataChannel; }
