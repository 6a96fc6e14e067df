// Vel_ChunkFileLoader: the loader channel behind OrnFileLoader. It holds the
// bytes of one file or memory buffer and one read position that only moves
// forward.
//
// The buffer as callers see it: GetBuffer points at the read position and
// GetBufferSize counts the bytes from there to the end, so the pair always
// describes readable memory; right after LoadFile or SetBuffer both describe
// the whole data. SetBufferChar indexes the same view.
//
// Every read is bounded by the bytes that remain: a size field or a block
// that runs past the end is never read. The copy, size and skip operations
// then do nothing and the read position stays where it was.
//
// SetBuffer(data, size, copy): with copy true the loader keeps a copy of its
// own; with copy false it works on the caller's memory, which must stay valid
// and unchanged (except through SetBufferChar, which writes into it) until the
// next LoadFile or SetBuffer or until the loader is deleted.
#pragma once

#include "file_channels.h"

#include <cstddef>
#include <string>
#include <vector>

class Vel_ChunkFileLoader : public Vel_FileLoaderChannel {
 public:
  // The type record this channel's plug-in reports.
  static ChannelType TypeRecord();

  Vel_ChunkFileLoader();
  ~Vel_ChunkFileLoader() override;

  ChannelType GetChannelType() override;

  // Reads the whole file into memory; false (and no data) when the path is not
  // a readable regular file or is larger than an int can count.
  bool LoadFile(const char* path) override;
  // The piece size in which LoadFile reads a file; 0 restores the default.
  void SetBlockSize(unsigned long size) override;
  void SetBuffer(char* data, int size, bool copy) override;
  // The data of the chunk whose size field is at the read position, when that
  // block lies within the data; NULL otherwise. Nothing moves.
  const char* GetTagData() override;
  // Copies the block whose size field is at the read position and moves past
  // it, only when the whole block lies within the data. The destination's size
  // is unknown here: callers that read a fixed-size record use
  // CopyTagDataChecked.
  void CopyTagDataToPointer(void* dst) override;
  bool CheckHeader(const char tag[4], bool consume) override;
  // Moves past the next occurrence of the tag at or after the read position.
  // The mode is not interpreted.
  bool GotoTag(const char tag[4], int mode) override;
  bool GetInfoIfTag(const char tag[4]) override;
  // The size of the block at the read position, or 0 when fewer than four
  // bytes remain or the block runs past the end (then nothing moves).
  unsigned long GetSizeDataBlock(bool consume) override;
  void ResetPosition() override;
  const char* GetBuffer() override;
  int GetBufferSize() override;
  // Advances the read position by n bytes, at most to the end; a negative n
  // does nothing.
  void AddBufferPos(int n) override;
  bool GetIfEndOfFile() override;
  // Skips one whole chunk (tag, size and block) when it lies within the data;
  // false and nothing moves otherwise. A bare tag is skipped with
  // GetInfoIfTag.
  bool SkipCurrentTag() override;
  // Remote files are not fetched: the URL is kept, nothing is ever cached.
  void SetURL(const char* url) override;
  bool CheckULRCache(const char* url) override;
  const char* GetChacheFileNameFromURL(const char* url) override;
  void SaveURLToCache(const char* url) override;
  void SetBufferChar(int pos, char value) override;
  // Loading is synchronous; there is never a load to stop.
  void StopLoading() override;
  // CRC-32 (zlib) of all the data, whatever the read position.
  int GetCRC() override;
  bool CopyTagDataChecked(void* dst, unsigned long dstSize) override;

 private:
  size_t Remaining() const { return size - position; }
  bool TagAt(const char tag[4]) const;
  // Size of the block whose size field is at the read position when the whole
  // block lies within the data.
  bool BlockAt(size_t* blockSize) const;
  void Clear();

  std::vector<char> owned;
  char* data;  // owned.data() or the caller's memory; NULL when empty
  size_t size;
  size_t position;
  size_t blockSize;
  std::string url;
};
