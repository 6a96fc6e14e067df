// Vel_ChunkFileSaver: the saver channel behind OrnFileSaver. It appends tags,
// block sizes and data, in call order, to a file or to a memory buffer.
//
// Files are never written in place: OpenSaveFile creates a temporary file in
// the target's directory, the writes go there, and CloseSaveFile makes it the
// target with one rename. A failed or abandoned save (the saver deleted or
// another file opened before CloseSaveFile, a failed write, a crash) leaves an
// existing target untouched.
//
// Failures are observable: the first failure of a save is reported as an
// error message naming the file and the cause; OpenSaveFile answers false when the temporary file
// cannot be created; each write answers the number of bytes it wrote (0 on
// failure or when nothing is open); GetSaveingFileName answers the target path
// while a file is open and after a CloseSaveFile that completed it, and NULL
// when nothing is open, no save has been completed, or the last save failed.
//
// OpenSaveFile(path, append): with append true the existing file's bytes are
// taken over first and the new chunks follow them.
#pragma once

#include "file_channels.h"

#include <cstdio>
#include <string>
#include <vector>

class Vel_ChunkFileSaver : public FileSaverChannel {
 public:
  static ChannelType TypeRecord();

  Vel_ChunkFileSaver();
  ~Vel_ChunkFileSaver() override;

  ChannelType GetChannelType() override;

  bool OpenSaveFile(const char* path, bool append) override;
  int SaveTag(const char* tag) override;
  int SaveBlockSize(unsigned long size) override;
  int SaveDataToFile(const void* data, unsigned long size) override;
  void CloseSaveFile() override;
  const char* GetSaveingFileName() override;
  // Starts an empty memory buffer; the writes go there until CloseMemory.
  void OpenMemory() override;
  // Ends writing; the buffer stays readable until the next OpenMemory.
  void CloseMemory() override;
  char* GetBuffer() override;
  unsigned long GetBufferSize() override;

 private:
  enum class Target { kNone, kFile, kMemory };

  int Write(const void* bytes, size_t n);
  // Removes the temporary file of an unfinished save.
  void AbandonFile();
  bool CopyExisting(const std::string& path);
  // Spoils the open save; its first failure is reported.
  void Fail(const std::string& path, const std::string& cause);
  void Fail(const std::string& path, int error);

  Target target;
  std::FILE* file;
  std::string filePath;  // the target of the open or last completed save
  std::string tempPath;
  bool fileOk;           // no write to the open file has failed
  bool haveFileName;     // filePath may be answered by GetSaveingFileName
  bool reported;         // the failure of the open save has been reported
  std::vector<char> memory;
};
