#include "file_loader.h"

#include "dll_interface.h"
#include "engine_interface.h"
#include "file_channels.h"

namespace {
// Creates the loader channel, or reports why there is none. A created channel
// of another class is not a loader: it is deleted.
Vel_FileLoaderChannel* CreateLoader(EngineInterface* engine, const char* failure) {
  Vel_FileLoaderChannel* loader = nullptr;
  if (engine) {
    Orn_Channel* channel = engine->InitChannelFromType(kFileLoaderChannelType, nullptr, false);
    loader = dynamic_cast<Vel_FileLoaderChannel*>(channel);
    if (channel && !loader) delete channel;
  }
  if (!loader) {
    if (engine) {
      engine->errorFunctor(failure);
    } else {
      ShowErrorMessage report;
      report(failure);
    }
  }
  return loader;
}
}  // namespace

OrnFileLoader::OrnFileLoader() : impl(nullptr), engine(globalEngine) {
  impl = CreateLoader(engine, "File loader class not found");
}

OrnFileLoader::OrnFileLoader(EngineInterface* engineInterface) : impl(nullptr), engine(engineInterface) {
  impl = CreateLoader(engine, "OrnFileLoader::OrnFileLoader: File loader class not found");
}

OrnFileLoader::~OrnFileLoader() { delete impl; }

bool OrnFileLoader::LoadFile(const char* path) { return impl ? impl->LoadFile(path) : false; }

void OrnFileLoader::SetBlockSize(unsigned long size) {
  if (impl) impl->SetBlockSize(size);
}

void OrnFileLoader::SetBuffer(char* data, int size, bool copy) {
  if (impl) impl->SetBuffer(data, size, copy);
}

const char* OrnFileLoader::GetTagData() { return impl ? impl->GetTagData() : nullptr; }

void OrnFileLoader::CopyTagDataToPointer(void* dst) {
  if (impl) impl->CopyTagDataToPointer(dst);
}

bool OrnFileLoader::CheckHeader(const char tag[4], bool consume) {
  return impl ? impl->CheckHeader(tag, consume) : false;
}

bool OrnFileLoader::GotoTag(const char tag[4], int mode) { return impl ? impl->GotoTag(tag, mode) : false; }

bool OrnFileLoader::GetInfoIfTag(const char tag[4]) { return impl ? impl->GetInfoIfTag(tag) : false; }

unsigned long OrnFileLoader::GetSizeDataBlock(bool consume) { return impl ? impl->GetSizeDataBlock(consume) : 0; }

void OrnFileLoader::ResetPosition() {
  if (impl) impl->ResetPosition();
}

const char* OrnFileLoader::GetBuffer() { return impl ? impl->GetBuffer() : nullptr; }

int OrnFileLoader::GetBufferSize() { return impl ? impl->GetBufferSize() : 0; }

void OrnFileLoader::AddBufferPos(int n) {
  if (impl) impl->AddBufferPos(n);
}

bool OrnFileLoader::GetIfEndOfFile() { return impl ? impl->GetIfEndOfFile() : false; }

bool OrnFileLoader::SkipCurrentTag() { return impl ? impl->SkipCurrentTag() : false; }

void OrnFileLoader::SetURL(const char* url) {
  if (impl) impl->SetURL(url);
}

bool OrnFileLoader::CheckULRCache(const char* url) { return impl ? impl->CheckULRCache(url) : false; }

const char* OrnFileLoader::GetChacheFileNameFromURL(const char* url) {
  return impl ? impl->GetChacheFileNameFromURL(url) : nullptr;
}

void OrnFileLoader::SaveURLToCache(const char* url) {
  if (impl) impl->SaveURLToCache(url);
}

void OrnFileLoader::SetBufferChar(int pos, char value) {
  if (impl) impl->SetBufferChar(pos, value);
}

void OrnFileLoader::StopLoading() {
  if (impl) impl->StopLoading();
}

int OrnFileLoader::GetCRC() { return impl ? impl->GetCRC() : 0; }

bool OrnFileLoader::CopyTagData(void* dst, unsigned long dstSize) {
  return impl ? impl->CopyTagDataChecked(dst, dstSize) : false;
}

bool OrnFileLoader::ReadChunk(const char tag[4], void* dst, unsigned long dstSize) {
  if (!impl || !impl->GetInfoIfTag(tag)) return false;
  if (impl->CopyTagDataChecked(dst, dstSize)) return true;
  // The tag is there but its block is not the expected record: the chunk
  // counts as missing, and its block is passed over so that the next chunk
  // can still be read.
  unsigned long size = impl->GetSizeDataBlock(true);
  if (size > 0x7FFFFFFFul) return false;
  impl->AddBufferPos(static_cast<int>(size));
  return false;
}
