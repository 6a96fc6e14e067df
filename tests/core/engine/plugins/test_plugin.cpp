// One source for the engine's test plug-ins; each library is built with its
// own type GUID, version and kind.
#include "engine_interface.h"
#include "guid_util.h"
#include "orn_channel.h"
#include "test_recorder.h"
#include "file_loader.h"
#include "translator_channel.h"

#include <vector>

#include <string>

#ifndef PLUGIN_VERSION
#define PLUGIN_VERSION 25
#endif

#ifdef PLUGIN_NEEDS_THIRD
extern "C" const char* ThirdPartyProbe();
#endif

namespace {
[[maybe_unused]] const char* kPlainType = "0A11CE00-0000-4000-8000-000000000001";
[[maybe_unused]] const char* kAltType = "0A11CE00-0000-4000-8000-000000000007";

ChannelType MakeType() {
  ChannelType type;
  type.SetName(PLUGIN_NAME);
  type.type = GuidLiteral(PLUGIN_GUID);
#ifdef PLUGIN_BASE_GUID
  type.baseType = GuidLiteral(PLUGIN_BASE_GUID);
#else
  type.baseType = type.type;
#endif
  type.version[1] = PLUGIN_VERSION;
  return type;
}

[[maybe_unused]] ChannelType& TypeRecord() {
  static ChannelType type = MakeType();
  return type;
}

#if defined(PLUGIN_KIND_TRANSLATOR)
using ChannelBase = TranslatorChannel;
#else
using ChannelBase = Orn_Channel;
#endif

class TestChannel : public ChannelBase {
 public:
  TestChannel() {
    test_recorder::Record(std::string("construct ") + PLUGIN_NAME);
#if defined(PLUGIN_KIND_PARENT)
    SetChildCreationCount(3);
    SetChildCreateType(ChildCreation(GuidLiteral(kPlainType), 0, "first", true), 0);
    SetChildCreateType(ChildCreation(kWildcardGuid, -1, "any"), 1);
    ChildCreation instead(GuidLiteral(kPlainType), 2, "instead", true);
    instead.createInstead = GuidLiteral(kAltType);
    SetChildCreateType(instead, 2);
#elif defined(PLUGIN_KIND_CREATOR)
    if (globalEngine) helper = globalEngine->InitChannelFromType(GuidLiteral(kPlainType), nullptr, false);
#endif
  }
  ~TestChannel() override {
    test_recorder::Record(std::string("destroy ") + PLUGIN_NAME + " " + (GetChannelName() ? GetChannelName() : ""));
    delete helper;
  }
  void OneTimeInitialize() override {
    test_recorder::Record(std::string("init ") + PLUGIN_NAME);
#ifdef PLUGIN_NEEDS_THIRD
    test_recorder::Record(ThirdPartyProbe());
#endif
  }
  void CallChannel() override {
    if (!CheckRenderCount()) return;
    ++calls;
    for (int i = 0; i < GetChildCount(); ++i)
      if (Orn_Channel* child = GetChild(i)) child->CallChannel();
  }
  void DoEvent(int event, unsigned long) override {
    test_recorder::Record(std::string("event ") + std::to_string(event) + " " +
                          (GetChannelName() ? GetChannelName() : PLUGIN_NAME));
  }

#if defined(PLUGIN_KIND_TRANSLATOR)
  // Records the call; the stripping kind hands back the bytes after the chunk
  // that named it, the stuck kind leaves the data as it was.
  bool TranslateFile(OrnFileLoader* loader) override {
    test_recorder::Record(std::string("translate ") + PLUGIN_NAME);
#if PLUGIN_TRANSLATOR_STRIPS
    std::vector<char> rest(loader->GetBuffer(), loader->GetBuffer() + loader->GetBufferSize());
    loader->SetBuffer(rest.data(), static_cast<int>(rest.size()), true);
#else
    (void)loader;
#endif
    return true;
  }
#endif

  Orn_Channel* helper = nullptr;
  int calls = 0;
};
}  // namespace

#ifndef PLUGIN_NO_GETTYPE
extern "C" ChannelType* GetType() { return &TypeRecord(); }
#endif

#ifndef PLUGIN_NO_INITDLL
extern "C" Orn_Channel* InitDLL() { return new TestChannel; }
#endif

// Records when the library is unloaded, so tests can check the order in which
// the engine frees its libraries.
__attribute__((destructor)) static void RecordUnload() { test_recorder::Record(std::string("unload ") + PLUGIN_NAME); }
