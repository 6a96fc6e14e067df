// The directory-listing channel lists the file names and subdirectories of a
// directory; the channel list scans the channels directory with it. It lives
// in the library "Directory.so" of the channels directory.
#pragma once

#include "orn_channel.h"

extern const GUID kDirectoryChannelType;

class DirectoryChannel : public Orn_Channel {
 public:
  // Only files whose extension equals the filter (ignoring case) are listed;
  // the filter "DLL" names the platform's library extension.
  virtual void SetFileFilter(const char* extension) = 0;
  // Reads the directory named by a pattern such as "dir/*.*"; false when it
  // cannot be read (the lists are then empty).
  virtual bool SetPath(const char* pattern) = 0;
  virtual int GetFileCount() = 0;
  virtual const char* GetFileName(int i) = 0;
  virtual int GetDirectoryCount() = 0;
  virtual const char* GetDirectoryName(int i) = 0;
};
