// The plug-in library of the chunk saver channel: its type record and the
// creation of an instance.
#include "chunk_file_saver.h"

#include <new>

extern "C" ChannelType* GetType() {
  static ChannelType record = Vel_ChunkFileSaver::TypeRecord();
  return &record;
}

extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_ChunkFileSaver; }
