// The frame-log channel of the demo projects: it calls the channels linked
// into its "Children" slot once per frame and reports the frame count through
// the engine's info messages once a second, so a running project can be seen
// in the error log.
#include "engine_interface.h"
#include "guid_util.h"
#include "orn_channel.h"
#include "win32/thread.h"

#include <string>

namespace {
const char* kFrameLogType = "5D3A8C10-7E2B-4F19-A6C4-1B9E0D27F835";
constexpr DWORD kReportEveryMs = 1000;

ChannelType& TypeRecord() {
  static ChannelType type = [] {
    ChannelType record;
    record.SetName("Frame Log");
    record.type = GuidLiteral(kFrameLogType);
    record.baseType = record.type;
    return record;
  }();
  return type;
}

class FrameLogChannel : public Orn_Channel {
 public:
  FrameLogChannel() {
    SetChildCreationCount(1);
    SetChildCreateType(ChildCreation(kWildcardGuid, -1, "Children"), 0);
  }

  void CallChannel() override {
    if (!CheckRenderCount()) return;
    ++frames;
    // The clock is read every 256 frames only: the channel stays cheap when a
    // project holds thousands of them.
    if ((frames & 0xFF) == 0) CheckReport();
    for (int i = 0; i < GetChildCount(); ++i)
      if (Orn_Channel* child = GetChild(i)) child->CallChannel();
  }

 private:
  void CheckReport() {
    DWORD now = GetTickCount();
    if (lastReport == 0) lastReport = now;
    if (now - lastReport >= kReportEveryMs && engine) {
      lastReport = now;
      std::string text = std::string(GetChannelName() ? GetChannelName() : "Frame Log") + ": frame " +
                         std::to_string(frames);
      engine->infoFunctor(text.c_str());
    }
  }

  unsigned long long frames = 0;
  DWORD lastReport = 0;
};
}  // namespace

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new FrameLogChannel; }
