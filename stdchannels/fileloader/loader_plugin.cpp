// The plug-in library of the chunk loader channel: its type record and the
// creation of an instance.
#include "chunk_file_loader.h"

#include <new>

extern "C" ChannelType* GetType() {
  static ChannelType record = Vel_ChunkFileLoader::TypeRecord();
  return &record;
}

extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_ChunkFileLoader; }
