#include "matrixvalue/vel_matrix_channel.h"

#include "file_loader.h"
#include "file_saver.h"
#include "vel_chunk_records.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Matrix", vel::kMatrixType, vel::kMatrixType);
  return type;
}
}  // namespace

Vel_MatrixChannel::Vel_MatrixChannel() {
  D3DXMatrixIdentity(&matrix);
  SetChannelName("Matrix");
}
Vel_MatrixChannel::~Vel_MatrixChannel() = default;

void Vel_MatrixChannel::CallChannel() {}

bool Vel_MatrixChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  saver.SaveChunk("MAVA", &matrix, sizeof matrix);
  return true;
}

bool Vel_MatrixChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  vel::ReadRecordChunk(loader, "MAVA", &matrix, sizeof matrix, this, "Vel_MatrixChannel::LoadChannel: Corrupt chunk");
  return true;
}

D3DXMATRIX Vel_MatrixChannel::GetMatrix() { return matrix; }
void Vel_MatrixChannel::SetMatrix(D3DXMATRIX m) { matrix = m; }

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_MatrixChannel; }
