#include "floatvalue/vel_float_channel.h"

#include "file_loader.h"
#include "file_saver.h"
#include "vel_chunk_records.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Value", vel::kFloatType, vel::kFloatType);
  return type;
}
}  // namespace

Vel_FloatChannel::Vel_FloatChannel() : value(0.0f), oldValue(0.0f) { SetChannelName("Value"); }
Vel_FloatChannel::~Vel_FloatChannel() = default;

void Vel_FloatChannel::CallChannel() {}

bool Vel_FloatChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  saver.SaveChunk("FLVA", &value, sizeof value);
  return true;
}

bool Vel_FloatChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  float loaded;
  if (vel::ReadRecordChunk(loader, "FLVA", &loaded, sizeof loaded, this, "Vel_FloatChannel::LoadChannel: Corrupt chunk"))
    value = oldValue = loaded;
  return true;
}

float Vel_FloatChannel::GetFloat() { return value; }
float Vel_FloatChannel::GetOldFloat() { return oldValue; }
void Vel_FloatChannel::SetFloat(float v) {
  oldValue = value;
  value = v;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_FloatChannel; }
