// OrnFileSaver: the chunked writer every channel uses in SaveChannel. Writing
// a chunk is SaveTag, SaveBlockSize and SaveDataToFile, appended in call order;
// a bare tag is written by SaveTag alone. A facade over the saver channel.
#pragma once

class EngineInterface;
class FileSaverChannel;

class OrnFileSaver {
 public:
  OrnFileSaver();
  explicit OrnFileSaver(EngineInterface* engine);
  virtual ~OrnFileSaver();
  OrnFileSaver(const OrnFileSaver&) = delete;
  OrnFileSaver& operator=(const OrnFileSaver&) = delete;

  virtual void OpenMemory();
  virtual void CloseMemory();
  virtual char* GetBuffer();
  virtual unsigned long GetBufferSize();

  bool OpenSaveFile(const char* path, bool append);
  int SaveTag(const char* tag);
  int SaveBlockSize(unsigned long size);
  int SaveDataToFile(const void* data, unsigned long size);
  void CloseSaveFile();
  const char* GetSaveingFileName();

  // One chunk: tag, size and data.
  void SaveChunk(const char* tag, const void* data, unsigned long size);

 protected:
  FileSaverChannel* impl;
  EngineInterface* engine;
};
