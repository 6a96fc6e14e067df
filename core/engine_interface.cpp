#include "engine_interface.h"

#include "engine.h"
#include "orn_channel_group.h"

EngineInterface::EngineInterface() : self(nullptr), ext(nullptr), engineObject(nullptr), debugText(this) {
  engineObject = new Engine;
  engineObject->SetEngineInterface(this);
  self = this;
  ext = new EngineInterfaceExt;
  ext->SetEngineInterface(this);
}

EngineInterface::EngineInterface(WithoutEngine) : self(this), ext(nullptr), engineObject(nullptr), debugText(this) {
  ext = new EngineInterfaceExt;
  ext->SetEngineInterface(this);
}

EngineInterface::~EngineInterface() {
  delete ext;
  ext = nullptr;
  delete engineObject;
  engineObject = nullptr;
}

const char* EngineInterface::GetInstallDir() { return engineObject ? engineObject->GetInstallDir() : ""; }
const char* EngineInterface::GetEngineClassName() {
  return engineObject ? engineObject->GetEngineClassName() : "";
}
HINSTANCE EngineInterface::GetEngineInstance() { return engineObject ? engineObject->GetEngineInstance() : nullptr; }
HWND EngineInterface::GetWindowHandle() { return engineObject ? engineObject->GetWindowHandle() : nullptr; }
int EngineInterface::GetTreeCalculateCount() { return engineObject ? engineObject->GetTreeCalculateCount() : 0; }
void EngineInterface::SetTreeCalculateCount(int count) {
  if (engineObject) engineObject->SetTreeCalculateCount(count);
}

Orn_ChannelGroup* EngineInterface::CreateNewGroup(const char* poolName, bool isArray, int poolNr) {
  return engineObject ? engineObject->CreateNewGroup(poolName, isArray, poolNr) : nullptr;
}
Orn_ChannelGroup* EngineInterface::GetChannelGroup(const char* fileName, int poolNr) {
  return engineObject ? engineObject->GetChannelGroup(fileName, poolNr) : nullptr;
}
Orn_ChannelGroup* EngineInterface::GetChannelGroup(int index) {
  return engineObject ? engineObject->GetChannelGroup(index) : nullptr;
}
Orn_ChannelGroup* EngineInterface::GetPoolGroup(const char* poolName, int poolNr) {
  return engineObject ? engineObject->GetPoolGroup(poolName, poolNr) : nullptr;
}
Orn_ChannelGroup* EngineInterface::LoadChannelGroup(const char* file, const char* poolName) {
  return engineObject ? engineObject->LoadChannelGroup(file, poolName) : nullptr;
}
int EngineInterface::GetHighInstance(const char* poolName) {
  return engineObject ? engineObject->GetHighInstance(poolName) : -1;
}
void EngineInterface::DeleteChannelGroup(int index) {
  if (engineObject) engineObject->DeleteChannelGroup(index);
}
int EngineInterface::GetChannelGroupCount() { return engineObject ? engineObject->GetChannelGroupCount() : 0; }

Orn_Channel* EngineInterface::InitChannelFromType(GUID type, Orn_ChannelGroup* group, bool createChildren) {
  return engineObject ? engineObject->InitChannelFromType(type, group, createChildren, false) : nullptr;
}
Orn_Channel* EngineInterface::InitChannelFromType(ChannelType type, Orn_ChannelGroup* group, bool createChildren) {
  return InitChannelFromType(type.type, group, createChildren);
}
Orn_Channel* EngineInterface::GetUniqueChannel(GUID type, const char* name) {
  return GetUniqueChannel(ChannelType(type), name);
}
Orn_Channel* EngineInterface::GetUniqueChannel(ChannelType type, const char* name) {
  return engineObject ? engineObject->GetUniqueChannel(type, name) : nullptr;
}
void EngineInterface::AddChannelToEvent(Orn_Channel* channel, int event) {
  if (engineObject) engineObject->AddChannelToEvent(channel, event);
}
void EngineInterface::RemoveChannelFromEvent(Orn_Channel* channel, int event) {
  if (engineObject) engineObject->RemoveChannelFromEvent(channel, event);
}
