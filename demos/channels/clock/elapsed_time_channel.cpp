#include "elapsed_time_channel.h"

#include "file_loader.h"
#include "file_saver.h"
#include "guid_util.h"
#include "timesource/vel_time_source_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <cmath>
#include <new>

namespace {
const GUID kElapsedTimeType = GuidLiteral("4D7B2E90-A1C3-4F58-9E26-B803C5D14A7F");

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Elapsed Time", kElapsedTimeType, vel::kFloatType);
  return type;
}
}  // namespace

ElapsedTimeChannel::ElapsedTimeChannel() : rate_(1.0f), clock_(nullptr) { SetChannelName("Elapsed Time"); }

ElapsedTimeChannel::~ElapsedTimeChannel() { delete clock_; }

float ElapsedTimeChannel::GetFloat() {
  if (!clock_ && engine)
    clock_ = vel::As<Vel_TimeSourceChannel>(engine->InitChannelFromType(vel::kTimeSourceType, nullptr, false),
                                            vel::kTimeSourceType);
  if (clock_ && CheckRenderCount()) {
    // The time source hands out the same frame time for every call within a
    // frame; it is added once.
    const float added = clock_->GetFrameTime() / Vel_TimeSourceChannel::kTicksPerSecond * rate_;
    if (std::isfinite(added)) value += added;
  }
  return value;
}

void ElapsedTimeChannel::SetRate(float rate) { rate_ = std::isfinite(rate) ? rate : 0.0f; }
float ElapsedTimeChannel::GetRate() { return rate_; }

bool ElapsedTimeChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Vel_FloatChannel::SaveChannel(saver)) return false;
  saver.SaveChunk("ELTM", &rate_, sizeof rate_);
  return true;
}

bool ElapsedTimeChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Vel_FloatChannel::LoadChannel(loader, group)) return false;
  vel::ReadRecordChunk(loader, "ELTM", &rate_, sizeof rate_, this, "ElapsedTimeChannel::LoadChannel: Corrupt chunk");
  return true;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) ElapsedTimeChannel; }
