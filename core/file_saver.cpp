#include "file_saver.h"

#include "dll_interface.h"
#include "engine_interface.h"
#include "file_channels.h"

namespace {
// Creates the saver channel, or reports why there is none. A created channel
// of another class is not a saver: it is deleted.
FileSaverChannel* CreateSaver(EngineInterface* engine, const char* failure) {
  FileSaverChannel* saver = nullptr;
  if (engine) {
    Orn_Channel* channel = engine->InitChannelFromType(kFileSaverChannelType, nullptr, false);
    saver = dynamic_cast<FileSaverChannel*>(channel);
    if (channel && !saver) delete channel;
  }
  if (!saver) {
    if (engine) {
      engine->errorFunctor(failure);
    } else {
      ShowErrorMessage report;
      report(failure);
    }
  }
  return saver;
}
}  // namespace

OrnFileSaver::OrnFileSaver() : impl(nullptr), engine(globalEngine) {
  impl = CreateSaver(engine, "File loader class not found");
}

OrnFileSaver::OrnFileSaver(EngineInterface* engineInterface) : impl(nullptr), engine(engineInterface) {
  impl = CreateSaver(engine, "OrnFileSaver::OrnFileSaver: File loader class not found");
}

OrnFileSaver::~OrnFileSaver() { delete impl; }

void OrnFileSaver::OpenMemory() {
  if (impl) impl->OpenMemory();
}

void OrnFileSaver::CloseMemory() {
  if (impl) impl->CloseMemory();
}

char* OrnFileSaver::GetBuffer() { return impl ? impl->GetBuffer() : nullptr; }

unsigned long OrnFileSaver::GetBufferSize() { return impl ? impl->GetBufferSize() : 0; }

bool OrnFileSaver::OpenSaveFile(const char* path, bool append) { return impl ? impl->OpenSaveFile(path, append) : false; }

int OrnFileSaver::SaveTag(const char* tag) { return impl ? impl->SaveTag(tag) : 0; }

int OrnFileSaver::SaveBlockSize(unsigned long size) { return impl ? impl->SaveBlockSize(size) : 0; }

int OrnFileSaver::SaveDataToFile(const void* data, unsigned long size) {
  return impl ? impl->SaveDataToFile(data, size) : 0;
}

void OrnFileSaver::CloseSaveFile() {
  if (impl) impl->CloseSaveFile();
}

const char* OrnFileSaver::GetSaveingFileName() { return impl ? impl->GetSaveingFileName() : nullptr; }

void OrnFileSaver::SaveChunk(const char* tag, const void* data, unsigned long size) {
  if (!impl) return;
  impl->SaveTag(tag);
  impl->SaveBlockSize(size);
  impl->SaveDataToFile(data, size);
}
