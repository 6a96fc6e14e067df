// GroupBufferChannel ("GroupBuffer"): a block of bytes stored with the group,
// such as the whole of an image file a texture is made from. Its time stamp
// changes whenever its bytes change, so readers can tell when to take them
// again. Saved as chunk "GBDA" holding the bytes (absent while empty).
#pragma once

#include "orn_channel.h"

#include <vector>

class GroupBufferChannel : public Orn_Channel {
 public:
  // The most bytes a buffer holds.
  static constexpr int kMaxSize = 256 << 20;

  GroupBufferChannel();
  ~GroupBufferChannel() override;
  GroupBufferChannel(const GroupBufferChannel&) = delete;
  GroupBufferChannel& operator=(const GroupBufferChannel&) = delete;

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;

  // The bytes, readable for GetDataSize() bytes until they next change; NULL
  // while empty.
  virtual const char* GetData();
  virtual int GetDataSize();
  // Replaces the bytes with a copy of `size` bytes at `data` (none for NULL or
  // a size of 0) and marks the change; false, with the old bytes kept, when
  // the size is out of range or the memory is short.
  virtual bool SetData(const char* data, int size);

 protected:
  std::vector<char> bytes_;
};
