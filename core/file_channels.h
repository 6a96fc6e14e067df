// The operations of the loader and saver channels behind OrnFileLoader and
// OrnFileSaver. The channels live in plug-ins of their own (one type each);
// the core calls them through these virtual operations, which follow those of
// Orn_Channel in this fixed order.
#pragma once

#include "orn_channel.h"

// Type GUIDs of the two channels.
extern const GUID kFileLoaderChannelType;  // C2A94E17-5B83-4D60-A7F1-0E9D36B8C254
extern const GUID kFileSaverChannelType;   // 6F02C8B1-E4D7-4A39-B5E0-27C9136DA4F5

class Vel_FileLoaderChannel : public Orn_Channel {
 public:
  virtual bool LoadFile(const char* path) = 0;
  virtual void SetBlockSize(unsigned long size) = 0;
  virtual void SetBuffer(char* data, int size, bool copy) = 0;
  virtual const char* GetTagData() = 0;
  virtual void CopyTagDataToPointer(void* dst) = 0;
  virtual bool CheckHeader(const char tag[4], bool consume) = 0;
  virtual bool GotoTag(const char tag[4], int mode) = 0;
  virtual bool GetInfoIfTag(const char tag[4]) = 0;
  virtual unsigned long GetSizeDataBlock(bool consume) = 0;
  virtual void ResetPosition() = 0;
  virtual const char* GetBuffer() = 0;
  virtual int GetBufferSize() = 0;
  virtual void AddBufferPos(int n) = 0;
  virtual bool GetIfEndOfFile() = 0;
  virtual bool SkipCurrentTag() = 0;
  virtual void SetURL(const char* url) = 0;
  virtual bool CheckULRCache(const char* url) = 0;
  virtual const char* GetChacheFileNameFromURL(const char* url) = 0;
  virtual void SaveURLToCache(const char* url) = 0;
  virtual void SetBufferChar(int pos, char value) = 0;
  virtual void StopLoading() = 0;
  virtual int GetCRC() = 0;
  // Bounded copy: copies the next block only when it is exactly dstSize bytes
  // long and lies within the data; false (nothing moves) otherwise.
  virtual bool CopyTagDataChecked(void* dst, unsigned long dstSize) = 0;
};

class FileSaverChannel : public Orn_Channel {
 public:
  virtual bool OpenSaveFile(const char* path, bool append) = 0;
  virtual int SaveTag(const char* tag) = 0;
  virtual int SaveBlockSize(unsigned long size) = 0;
  virtual int SaveDataToFile(const void* data, unsigned long size) = 0;
  virtual void CloseSaveFile() = 0;
  virtual const char* GetSaveingFileName() = 0;
  virtual void OpenMemory() = 0;
  virtual void CloseMemory() = 0;
  virtual char* GetBuffer() = 0;
  virtual unsigned long GetBufferSize() = 0;
};
