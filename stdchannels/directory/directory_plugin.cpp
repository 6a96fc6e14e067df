// The plug-in library of the directory-listing channel.
#include "directory_lister.h"

#include <new>

extern "C" ChannelType* GetType() {
  static ChannelType record = Vel_DirectoryLister::TypeRecord();
  return &record;
}

extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DirectoryLister; }
