#include "groupbuffer/group_buffer_channel.h"

#include "file_saver.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("GroupBuffer", vel::kGroupBufferType, vel::kGroupBufferType);
  return type;
}
}  // namespace

GroupBufferChannel::GroupBufferChannel() { SetChannelName("GroupBuffer"); }
GroupBufferChannel::~GroupBufferChannel() = default;

const char* GroupBufferChannel::GetData() { return bytes_.empty() ? nullptr : bytes_.data(); }
int GroupBufferChannel::GetDataSize() { return static_cast<int>(bytes_.size()); }

bool GroupBufferChannel::SetData(const char* data, int size) {
  if (size < 0 || size > kMaxSize || (size > 0 && !data)) return false;
  try {
    std::vector<char> copy(data, data + size);
    bytes_.swap(copy);
  } catch (const std::bad_alloc&) {
    return false;
  }
  SetTimeStamp();
  return true;
}

bool GroupBufferChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  if (!bytes_.empty()) saver.SaveChunk("GBDA", bytes_.data(), static_cast<unsigned long>(bytes_.size()));
  return true;
}

bool GroupBufferChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  if (!loader.GetInfoIfTag("GBDA")) return true;
  unsigned long size = 0;
  const char* data = vel::TakeBlock(loader, &size);
  if (!data || size > static_cast<unsigned long>(kMaxSize) || !SetData(data, static_cast<int>(size)))
    vel::ReportCorruptChunk(this, "GroupBufferChannel::LoadChannel: Corrupt chunk", "GBDA");
  return true;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) GroupBufferChannel; }
