// Vel_DirectoryLister: lists the files and subdirectories of one directory.
// SetPath takes a pattern "dir/*.*": the directory, then a name pattern for
// the files ("*.*" and "*" take every name; other patterns match with '*' and
// '?'). SetFileFilter keeps only the files whose extension equals the filter,
// ignoring case; the filter "DLL" stands for the platform's library extension
// and an empty filter keeps every file. "." and ".." are not listed. Names are
// listed in byte order so that a scan is repeatable.
#pragma once

#include "directory_channel.h"

#include <string>
#include <vector>

class Vel_DirectoryLister : public DirectoryChannel {
 public:
  static ChannelType TypeRecord();

  Vel_DirectoryLister();
  ~Vel_DirectoryLister() override;

  ChannelType GetChannelType() override;

  void SetFileFilter(const char* extension) override;
  bool SetPath(const char* pattern) override;
  int GetFileCount() override;
  const char* GetFileName(int i) override;
  int GetDirectoryCount() override;
  const char* GetDirectoryName(int i) override;

 private:
  void ApplyFilter();

  std::string filter;               // extension without the dot
  std::vector<std::string> allFiles;  // files matching the name pattern
  std::vector<std::string> files;     // those that pass the filter
  std::vector<std::string> directories;
};
