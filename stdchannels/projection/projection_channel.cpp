#include "projection/projection_channel.h"

#include "file_loader.h"
#include "file_saver.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Projection", vel::kProjectionType, vel::kMatrixType);
  return type;
}
}  // namespace

ProjectionChannel::ProjectionChannel() : values_{0.4f, 4000.0f, 1.0f} { SetChannelName("Projection"); }
ProjectionChannel::~ProjectionChannel() = default;

bool ProjectionChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Vel_MatrixChannel::SaveChannel(saver)) return false;
  saver.SaveChunk("PRJV", &values_, sizeof values_);
  return true;
}

bool ProjectionChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Vel_MatrixChannel::LoadChannel(loader, group)) return false;
  vel::ReadRecordChunk(loader, "PRJV", &values_, sizeof values_, this,
                       "ProjectionChannel::LoadChannel: Corrupt chunk");
  return true;
}

float ProjectionChannel::GetNearPlane() { return values_.nearPlane; }
float ProjectionChannel::GetFarPlane() { return values_.farPlane; }
float ProjectionChannel::GetZoomFactor() { return values_.zoom; }
void ProjectionChannel::SetNearPlane(float value) { values_.nearPlane = value; }
void ProjectionChannel::SetFarPlane(float value) { values_.farPlane = value; }
void ProjectionChannel::SetZoomFactor(float value) { values_.zoom = value; }

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) ProjectionChannel; }
