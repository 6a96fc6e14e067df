// The test harness of the drawing plug-ins: an engine started on the build's
// installation tree (plug-ins are loaded by their type GUID, as a project
// loads them), an off-screen window as the engine window, one group to create
// channels into, and helpers to link channels, run frames, save and reload a
// channel's record and read back the pixels of the presented frame.
//
//   class MyTest : public vel_test::ChannelHarness {};
//   TEST_F(MyTest, Draws) {
//     auto* surface = Create<Vel_DX8_SurfaceChannel>(vel::kSurfaceType);
//     Link(surface, mesh, 0);
//     Frame(scene);
//     EXPECT_RGB_NEAR(Capture().At(32, 32), 255, 0, 0, 2);
//   }
#pragma once

#include "captured_messages.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "vel_child_access.h"
#include "vel_type_guids.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vel_test {

struct Rgba {
  int r, g, b, a;
};

// An image read back from the device, top row first.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // 0xAARRGGBB

  bool Empty() const { return argb.empty(); }
  Rgba At(int x, int y) const;
};

// Expected 8-bit channel of a value in 0..1.
int Byte(float value);

class ChannelHarness : public ::testing::Test {
 protected:
  // The engine window's client size; the device's back buffer takes it.
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 64;

  void SetUp() override;
  void TearDown() override;

  // A channel of `type` in the harness group, made by its plug-in; children
  // declared to be created with it are created when `withChildren` is set.
  Orn_Channel* Create(const GUID& type, bool withChildren = false);
  // The same, seen as a T through the checked accessor (null when the
  // plug-in's channel is not of that type).
  template <class T>
  T* Create(const GUID& type, bool withChildren = false) {
    return vel::As<T>(Create(type, withChildren), type);
  }
  // Links `child` into `slot` of `parent` (at `position` of a multi-link slot,
  // -1 for the next free one); false when the parent refuses.
  bool Link(Orn_Channel* parent, Orn_Channel* child, int slot, int position = -1);
  // A channel of a class of the test program, made for the harness engine as
  // the creation handshake makes a plug-in's. MakeInProcess leaves it outside
  // every group (the test deletes it); Adopt puts it into the harness group.
  template <class T, class... Args>
  T* MakeInProcess(Args&&... args) {
    globalEngine = engine;
    T* channel = new T(std::forward<Args>(args)...);
    globalEngine = nullptr;
    return channel;
  }
  template <class T, class... Args>
  T* Adopt(Args&&... args) {
    T* channel = MakeInProcess<T>(std::forward<Args>(args)...);
    group->AddChannel(channel);
    return channel;
  }
  // Deletes a channel of the harness group; the group unlinks it.
  void Destroy(Orn_Channel* channel);

  // The engine's one device channel (created on first use) and its device.
  Vel_DX8_DirectGraphicsChannel* Device();
  IDirect3DDevice8* D3DDevice();
  // Identity world, view and projection (x and y in -1..1 span the viewport
  // and the frustum), no lighting, no face culling.
  void FlatView();

  // One engine frame (tree count advanced) with `start` as the group's start
  // channel; RunFrames runs n of them.
  void Frame(Orn_Channel* start);
  void RunFrames(Orn_Channel* start, int n);

  // The channel's saved record.
  std::vector<char> SaveRecord(Orn_Channel* channel);
  // A new channel of `type` that reads `record`; `loaded` receives what its
  // LoadChannel answered. The channel stays in the harness group.
  Orn_Channel* LoadRecord(const GUID& type, std::vector<char> record, bool* loaded = nullptr);

  // Loads every shorter cut of `record` into a new channel of `type`: a cut
  // that leaves a damaged chunk (its tag whole, its size or block not) must
  // be reported, and a refused cut too; a cut between chunks or inside a tag
  // may load without a word (the chunks from there on count as absent).
  // Under the sanitizer build this also shows that nothing reads past the
  // data.
  void ExpectCutRecordsHandled(const GUID& type, const std::vector<char>& record);

  // Presents the device's back buffer to the engine window and reads it
  // back; Capture reads what was presented last.
  Image PresentAndCapture();
  Image Capture();
  // The pixel at the centre of NDC position (x, y).
  static Rgba At(const Image& image, float x, float y);

  // Another window, made active: the engine window is then inactive.
  HWND MakeOtherWindowActive();
  void ActivateEngineWindow();

  std::filesystem::path root;
  std::filesystem::path install;
  CapturedMessages messages;
  EngineInterface* engine = nullptr;
  HWND window = nullptr;
  HWND otherWindow = nullptr;
  Orn_ChannelGroup* group = nullptr;
};

// Compares a pixel's colour with expected 8-bit values.
#define EXPECT_RGB_NEAR(pixel, R, G, B, tolerance)         \
  do {                                                     \
    const ::vel_test::Rgba px_ = (pixel);                  \
    EXPECT_NEAR(px_.r, (R), (tolerance)) << "red";         \
    EXPECT_NEAR(px_.g, (G), (tolerance)) << "green";       \
    EXPECT_NEAR(px_.b, (B), (tolerance)) << "blue";        \
  } while (0)

}  // namespace vel_test
