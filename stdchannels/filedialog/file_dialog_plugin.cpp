// The plug-in library of the file-dialog channel.
#include "project_file_dialog.h"

#include <new>

extern "C" ChannelType* GetType() {
  static ChannelType record = Vel_ProjectFileDialog::TypeRecord();
  return &record;
}

extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_ProjectFileDialog; }
