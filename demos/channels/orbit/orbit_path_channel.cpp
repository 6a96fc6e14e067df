#include "orbit_path_channel.h"

#include "file_loader.h"
#include "file_saver.h"
#include "guid_util.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"
#include "win32/thread.h"

#include <cmath>
#include <new>

namespace {
const GUID kOrbitPathType = GuidLiteral("5B2A43FC-4685-42A5-8BE0-8C71BA7C4170");

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Orbit Path", kOrbitPathType, vel::kVectorType);
  return type;
}
}  // namespace

OrbitPathChannel::OrbitPathChannel() : path_{5.0f, 2.0f, 20.0f, 0.0f}, startTick_(0), started_(false) {
  SetChannelName("Orbit Path");
}

D3DXVECTOR3 OrbitPathChannel::PositionAt(float seconds) {
  float turns = path_.secondsPerTurn > 0.0f ? seconds / path_.secondsPerTurn : 0.0f;
  turns -= std::floor(turns);
  const float angle = path_.startAngle + turns * 6.2831853f;
  return D3DXVECTOR3(path_.radius * std::cos(angle), path_.height, path_.radius * std::sin(angle));
}

D3DXVECTOR3 OrbitPathChannel::GetVector() {
  const uint32_t now = GetTickCount();
  if (!started_) {
    started_ = true;
    startTick_ = now;
  }
  vector = PositionAt(static_cast<float>(now - startTick_) * 0.001f);
  return vector;
}

void OrbitPathChannel::SetPath(Path path) { path_ = path; }
OrbitPathChannel::Path OrbitPathChannel::GetPath() { return path_; }

bool OrbitPathChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Vel_VectorChannel::SaveChannel(saver)) return false;
  saver.SaveChunk("ORBT", &path_, sizeof path_);
  return true;
}

bool OrbitPathChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Vel_VectorChannel::LoadChannel(loader, group)) return false;
  vel::ReadRecordChunk(loader, "ORBT", &path_, sizeof path_, this, "OrbitPathChannel::LoadChannel: Corrupt chunk");
  return true;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) OrbitPathChannel; }
