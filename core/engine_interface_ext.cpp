#include "channel_list.h"
#include "engine.h"
#include "engine_interface.h"
#include "file_channels.h"
#include "file_loader.h"
#include "guid_util.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "project_loader.h"
#include "text_util.h"
#include "translator_channel.h"

#include <cstring>
#include <memory>
#include <vector>

EngineInterfaceExt::EngineInterfaceExt()
    : trackChannelCalling(false), graphRunning(true), projectLoader(nullptr), engineInterface(nullptr), debugText{} {}

EngineInterfaceExt::~EngineInterfaceExt() { delete projectLoader; }

void EngineInterfaceExt::SetEngineInterface(EngineInterface* engine) {
  engineInterface = engine;
  delete projectLoader;
  projectLoader = new ProjectFileLoader(engine);
}

Engine* EngineInterfaceExt::EngineObject() const { return engineInterface ? engineInterface->engineObject : nullptr; }

void EngineInterfaceExt::SetInstallDir(const char* dir) {
  if (Engine* engine = EngineObject()) engine->SetInstallDir(dir);
}

void EngineInterfaceExt::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (Engine* engine = EngineObject()) engine->ProcessWindowMessage(message, wParam, lParam);
}

int EngineInterfaceExt::GetInterfaceID() { return kEngineInterfaceID; }

bool EngineInterfaceExt::InitEngine(HINSTANCE instance, const char* className) {
  Engine* engine = EngineObject();
  if (!engine || !engine->InitEngine(instance, className)) return false;
  std::memset(debugText, 0, sizeof debugText);
  return true;
}

void EngineInterfaceExt::UpdateChannelTree() {
  if (Engine* engine = EngineObject()) engine->UpdateChannelTree();
}

void EngineInterfaceExt::ReleaseGroups() {
  if (Engine* engine = EngineObject()) engine->ReleaseGroups();
}

void EngineInterfaceExt::CheckPublicChannelRemoval(Orn_Channel* channel, int poolNr) {
  if (Engine* engine = EngineObject()) engine->CheckPublicChannelRemoval(channel, poolNr);
}

void EngineInterfaceExt::CheckPublicCallChannelRemoval(Orn_Channel* channel) {
  if (Engine* engine = EngineObject()) engine->CheckPublicCallChannelRemoval(channel);
}

void EngineInterfaceExt::CheckInterfaceChange(const char* poolName) {
  if (Engine* engine = EngineObject()) engine->CheckInterfaceChange(poolName);
}

void EngineInterfaceExt::IncreaseTreeCount() {
  if (Engine* engine = EngineObject()) engine->IncreaseTreeCount();
}

Orn_Channel* EngineInterfaceExt::GetPublicChannel(PublicCallInfo* info) {
  Engine* engine = EngineObject();
  return engine ? engine->GetPublicChannel(info) : nullptr;
}

bool EngineInterfaceExt::AddChannelRequest(int value, Orn_Channel* channel) {
  Engine* engine = EngineObject();
  return engine ? engine->AddChannelRequest(value, channel) : false;
}

void EngineInterfaceExt::CheckChannelRequest(Orn_ChannelGroup* group, int poolNr, Orn_Channel* channel) {
  if (Engine* engine = EngineObject()) engine->CheckChannelRequest(group, poolNr, channel);
}

DllInterface* EngineInterfaceExt::GetDLLInstance(const char* file) {
  Engine* engine = EngineObject();
  if (!engine) return nullptr;
  Orn_Channel* object = engine->GetDLLInstance(file);
  if (object) object->engine = engineInterface;
  return object;
}

Orn_Channel* EngineInterfaceExt::CreateChannelFromDLL(const char* file, Orn_ChannelGroup* group, bool createChildren) {
  Engine* engine = EngineObject();
  return engine ? engine->CreateChannelFromFile(file, group, createChildren, false) : nullptr;
}

void EngineInterfaceExt::SetWindowHandle(HWND window) {
  if (Engine* engine = EngineObject()) engine->SetWindowHandle(window);
}

ChannelList* EngineInterfaceExt::GetChannelList() {
  Engine* engine = EngineObject();
  return engine ? engine->GetChannelList() : nullptr;
}

void EngineInterfaceExt::DebugOut(const char* text, int slot) {
  if (!text || slot < 0 || slot >= kDebugSlots || std::strlen(text) >= 290) return;
  CopyText(debugText[slot], kDebugTextSize, text);
}

const char* EngineInterfaceExt::GetDebug(int slot) {
  if (slot < 0 || slot >= kDebugSlots) return nullptr;
  return debugText[slot];
}

void EngineInterfaceExt::KillTread(Orn_Tread* thread) {
  if (Engine* engine = EngineObject()) engine->KillTread(thread);
}

void EngineInterfaceExt::SetIfTrackChannelCalling(bool track) { trackChannelCalling = track; }
void EngineInterfaceExt::SetGraphRunning(bool running) { graphRunning = running; }
bool EngineInterfaceExt::GetGraphRunning() { return graphRunning; }

int EngineInterfaceExt::InitializeKLVFile(const char* path) { return projectLoader ? projectLoader->Load(path) : 1; }

Orn_ChannelGroup* EngineInterfaceExt::GetKLVStartGroup() {
  if (!projectLoader || !engineInterface) return nullptr;
  return engineInterface->LoadChannelGroup(projectLoader->GetStartGroupPath(), nullptr);
}

void EngineInterfaceExt::SetStartGroup(int index) {
  if (Engine* engine = EngineObject()) engine->SetStartGroup(index);
}

int EngineInterfaceExt::GetStartGroup() {
  Engine* engine = EngineObject();
  return engine ? engine->GetStartGroup() : 0;
}

void EngineInterfaceExt::Release() {
  if (Engine* engine = EngineObject()) engine->Release();
}

int EngineInterfaceExt::GetUniqueChannelCount() {
  Engine* engine = EngineObject();
  return engine ? engine->GetUniqueChannelCount() : 0;
}

void EngineInterfaceExt::SetKelvaneRegKey(const char* key) {
  if (Engine* engine = EngineObject()) engine->SetKelvaneRegKey(key);
}

namespace {
// Runs the translators named by the leading ONDF chunks of the loader's data.
// A translator must consume the chunk that named it; one that leaves the data
// as it was would make the loop run forever, so the loop stops when a pass
// changes nothing, and the number of passes is bounded as well. Answers
// true when translators ran and no ONDF chunk is left at the head.
bool RunTranslators(EngineInterface* engine, OrnFileLoader& loader) {
  const int kMaxPasses = 64;
  bool translated = false;
  for (int pass = 0; pass < kMaxPasses && loader.CheckHeader("ONDF", false); ++pass) {
    int sizeBefore = loader.GetBufferSize();
    int crcBefore = loader.GetCRC();
    loader.CheckHeader("ONDF", true);
    GUID type;
    if (!loader.CopyTagData(&type, sizeof type)) return false;
    std::unique_ptr<Orn_Channel> object(engine->InitChannelFromType(type, nullptr, false));
    TranslatorChannel* translator = dynamic_cast<TranslatorChannel*>(object.get());
    if (!translator) return false;
    translator->TranslateFile(&loader);
    translated = true;
    if (loader.GetBufferSize() == sizeBefore && loader.GetCRC() == crcBefore) {
      engine->errorFunctor("EngineInterfaceExt::TranslateFile: translator left the file unchanged");
      return false;
    }
  }
  return translated && !loader.CheckHeader("ONDF", false);
}
}  // namespace

void EngineInterfaceExt::TranslateFile(OrnFileLoader* loader) {
  if (!loader || !engineInterface) return;
  RunTranslators(engineInterface, *loader);
}

void EngineInterfaceExt::TranslateFile(Vel_FileLoaderChannel* loaderChannel) {
  if (!loaderChannel || !engineInterface) return;
  const char* buffer = loaderChannel->GetBuffer();
  int size = loaderChannel->GetBufferSize();
  if (!buffer || size <= 0) return;
  OrnFileLoader loader(engineInterface);
  std::vector<char> copy(buffer, buffer + size);
  loader.SetBuffer(copy.data(), size, true);
  // Only a completely converted file is handed back.
  if (RunTranslators(engineInterface, loader)) {
    loader.ResetPosition();
    loaderChannel->SetBuffer(const_cast<char*>(loader.GetBuffer()), loader.GetBufferSize(), true);
  }
}

bool EngineInterfaceExt::SetRegData(const char* name, const char* value) {
  Engine* engine = EngineObject();
  return engine ? engine->SetRegData(name, value) : false;
}

bool EngineInterfaceExt::GetRegData(const char* name, char* dst, int len) {
  Engine* engine = EngineObject();
  return engine ? engine->GetRegData(name, dst, len) : false;
}

Orn_Tread* EngineInterfaceExt::GetNewTread() {
  Engine* engine = EngineObject();
  return engine ? engine->GetNewTread() : nullptr;
}

Orn_Tread* EngineInterfaceExt::GetTreadFromID(int id) {
  Engine* engine = EngineObject();
  return engine ? engine->GetTreadFromID(id) : nullptr;
}

int EngineInterfaceExt::GetCurrentEvent() {
  Engine* engine = EngineObject();
  return engine ? engine->GetCurrentEvent() : -1;
}

ChannelType EngineInterfaceExt::GetDLLType(const char* file) {
  Engine* engine = EngineObject();
  return engine ? engine->GetDLLType(file) : ChannelType();
}

ChannelType EngineInterfaceExt::GetDLLType(HINSTANCE module) {
  Engine* engine = EngineObject();
  return engine ? engine->GetDLLType(module) : ChannelType();
}

void EngineInterfaceExt::ChannelDestroyed(Orn_Channel* channel) {
  if (Engine* engine = EngineObject()) engine->ForgetChannel(channel);
}
