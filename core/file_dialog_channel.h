// The file-dialog channel asks the user for a project file.
#pragma once

#include "orn_channel.h"

extern const GUID kFileDialogChannelType;  // 6A1F3C58-92D7-4B0E-8C35-F24A71D09B63

class FileDialogChannel : public Orn_Channel {
 public:
  // Fills path (pathSize bytes) with the chosen file, or an empty text when the
  // user cancels. filter and defaultExtension describe the files offered.
  virtual bool OpenFileDialog(const char* filter, const char* defaultExtension, char* path, int pathSize) = 0;
};
