#include "vectorvalue/vel_vector_channel.h"

#include "file_loader.h"
#include "file_saver.h"
#include "vel_chunk_records.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Value Vector", vel::kVectorType, vel::kVectorType);
  return type;
}
}  // namespace

Vel_VectorChannel::Vel_VectorChannel() : vector(0.0f, 0.0f, 0.0f) { SetChannelName("Value Vector"); }
Vel_VectorChannel::~Vel_VectorChannel() = default;

bool Vel_VectorChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  saver.SaveChunk("VEVA", &vector, sizeof vector);
  return true;
}

bool Vel_VectorChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  vel::ReadRecordChunk(loader, "VEVA", &vector, sizeof vector, this, "Vel_VectorChannel::LoadChannel: Corrupt chunk");
  return true;
}

D3DXVECTOR3 Vel_VectorChannel::GetVector() { return vector; }
void Vel_VectorChannel::SetVector(D3DXVECTOR3 v) { vector = v; }

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_VectorChannel; }
