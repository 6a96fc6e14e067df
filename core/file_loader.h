// OrnFileLoader: the chunked reader every channel uses in LoadChannel. A chunk
// is a four-character tag, a 32-bit block size and the block. The reader moves
// one read position forward: a successful tag test consumes the tag, a data
// copy consumes one size and its block. A facade over the loader channel.
#pragma once

class EngineInterface;
class Vel_FileLoaderChannel;

class OrnFileLoader {
 public:
  OrnFileLoader();
  explicit OrnFileLoader(EngineInterface* engine);
  virtual ~OrnFileLoader();
  OrnFileLoader(const OrnFileLoader&) = delete;
  OrnFileLoader& operator=(const OrnFileLoader&) = delete;

  bool LoadFile(const char* path);
  void SetBlockSize(unsigned long size);
  void SetBuffer(char* data, int size, bool copy);
  const char* GetTagData();
  void CopyTagDataToPointer(void* dst);
  bool CheckHeader(const char tag[4], bool consume);
  bool GotoTag(const char tag[4], int mode);
  bool GetInfoIfTag(const char tag[4]);
  unsigned long GetSizeDataBlock(bool consume);
  void ResetPosition();
  const char* GetBuffer();
  int GetBufferSize();
  void AddBufferPos(int n);
  bool GetIfEndOfFile();
  bool SkipCurrentTag();
  void SetURL(const char* url);
  bool CheckULRCache(const char* url);
  const char* GetChacheFileNameFromURL(const char* url);
  void SaveURLToCache(const char* url);
  void SetBufferChar(int pos, char value);
  void StopLoading();
  int GetCRC();

  // The safe form of CopyTagDataToPointer for fixed-size records: copies the
  // next block only when its size is exactly dstSize and it lies within the
  // data; otherwise nothing is copied, nothing moves and the answer is false.
  bool CopyTagData(void* dst, unsigned long dstSize);
  // A tag test followed by a checked copy of its block (the common pattern for
  // a chunk holding one fixed-size record).
  bool ReadChunk(const char tag[4], void* dst, unsigned long dstSize);

  Vel_FileLoaderChannel* GetLoaderChannel() const { return impl; }

 protected:
  Vel_FileLoaderChannel* impl;
  EngineInterface* engine;
};
