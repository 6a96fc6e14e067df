// The device channel: creation on the engine window, resets and the device
// users around them, restore after a failure, the window modes and the
// DirectX release check.
#include "channel_harness.h"
#include "device/directx_probe.h"
#include "recording_user.h"

#include <d3d8/d3d8debug.h>
#include <win32/thread.h>
#include <win32/window.h>

#include <string>
#include <vector>

namespace vel_test {
namespace {

class DeviceChannelTest : public ChannelHarness {
 protected:
  void TearDown() override {
    D3D8Debug_FailCreateDevice(D3D_OK, 0);
    D3D8Debug_FailReset(D3D_OK, 0);
    Vel_DX8_SetDirectXProbe(nullptr);
    ChannelHarness::TearDown();
  }

  D3DSURFACE_DESC BackBuffer() {
    D3DSURFACE_DESC desc{};
    IDirect3DSurface8* back = nullptr;
    if (D3DDevice() && D3DDevice()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back) == D3D_OK) {
      back->GetDesc(&desc);
      back->Release();
    }
    return desc;
  }

  int Count(const std::string& entry) const {
    int n = 0;
    for (const std::string& e : log) n += e == entry;
    return n;
  }

  std::vector<std::string> log;
};

TEST_F(DeviceChannelTest, CreatesItsDeviceOnTheEngineWindow) {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  ASSERT_NE(device, nullptr);
  ChannelType type = device->GetChannelType();
  EXPECT_STREQ(type.name, "DX8 DirectGraphicsChannel");
  EXPECT_EQ(type.flag, 1);
  EXPECT_STREQ(device->GetChannelName(), "DX8 DirectGraphicsChannel");
  ASSERT_NE(device->GetDirect3dDevice(), nullptr);
  EXPECT_TRUE(messages.Has(kMessageInfo, "DirectX 8.1 or better installed"));

  // Windowed with a back buffer of the window's size, 24-bit depth and stencil.
  EXPECT_TRUE(device->GetWindowMode());
  EXPECT_EQ(device->GetBackBufferWidth(), 0);
  EXPECT_EQ(BackBuffer().Width, static_cast<UINT>(kWidth));
  EXPECT_EQ(BackBuffer().Height, static_cast<UINT>(kHeight));
  EXPECT_TRUE(device->GetUseStencilBuffer());
  EXPECT_EQ(device->GetPresentWindow(), window);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  device->GetDirect3dDevice()->GetCreationParameters(&creation);
  EXPECT_EQ(creation.hFocusWindow, window);
  EXPECT_EQ(creation.BehaviorFlags, static_cast<DWORD>(D3DCREATE_MIXED_VERTEXPROCESSING));

  // One device channel for the whole engine.
  EXPECT_EQ(Device(), device);
}

TEST_F(DeviceChannelTest, UsersDropTheirObjectsBeforeEveryResetAndBeforeTheDeviceGoes) {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  // The first user lives outside every group: it outlasts the device channel.
  RecordingUser* first = MakeInProcess<RecordingUser>("first", &log);
  RecordingUser* second = Adopt<RecordingUser>("second", &log);
  // Anything else linked into "Textures" is never called as a device user.
  Orn_Channel* value = Create(vel::kFloatType);
  ASSERT_TRUE(Link(device, value, 0));
  ASSERT_EQ(first->DeviceChannel(), device);
  ASSERT_TRUE(first->Use());
  ASSERT_TRUE(second->Use());

  // A reset with a default-pool texture alive would fail: the users drop
  // theirs first, and the device still answers while they do.
  EXPECT_TRUE(device->ResetDevice());
  EXPECT_EQ(log, (std::vector<std::string>{"first objects", "second objects"}));
  EXPECT_TRUE(first->deviceAnswered);
  EXPECT_FALSE(messages.Has("Failed to reset device"));

  // A failing reset re-creates the device once; the users were told once.
  ASSERT_TRUE(first->Use());
  log.clear();
  D3D8Debug_FailReset(D3DERR_DEVICELOST, 1);
  IDirect3D8* oldDirect3d = device->GetDirect3d();
  EXPECT_TRUE(device->ResetDevice());
  EXPECT_EQ(Count("first objects"), 1);
  EXPECT_NE(device->GetDirect3dDevice(), nullptr);
  EXPECT_NE(device->GetDirect3d(), oldDirect3d);

  // Failing again after the re-creation gives up the device for good.
  D3D8Debug_FailReset(D3DERR_DEVICELOST, 2);
  EXPECT_FALSE(device->ResetDevice());
  EXPECT_TRUE(messages.Has(kMessageError, "Failed to reset device"));
  EXPECT_EQ(device->GetDirect3d(), nullptr);

  // A user destroyed before the device channel leaves its slot.
  D3D8Debug_FailReset(D3D_OK, 0);
  EXPECT_TRUE(device->ResetDevice());
  Destroy(second);
  ASSERT_TRUE(first->Use());
  log.clear();
  messages.Clear();
  // The engine's end: the device channel goes before the user; the user drops
  // its objects, then forgets the device channel, and no reference is left.
  engine->ext->Release();
  EXPECT_EQ(log, (std::vector<std::string>{"first objects", "first graphics"}));
  EXPECT_EQ(first->DeviceChannel(), nullptr);
  EXPECT_FALSE(messages.HasPart("still has references"));
  delete first;
  delete engine;
  engine = nullptr;
}

TEST_F(DeviceChannelTest, BackBufferOnlyGrowsAndEachGrowthResets) {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  Adopt<RecordingUser>("user", &log);
  device->SetBackBufferSize(100, 100);
  EXPECT_EQ(Count("user objects"), 1);
  EXPECT_EQ(BackBuffer().Width, 100u);
  device->SetBackBufferSize(50, 200);
  EXPECT_EQ(Count("user objects"), 2);
  EXPECT_EQ(device->GetBackBufferWidth(), 100);
  EXPECT_EQ(device->GetBackBufferHeight(), 200);
  EXPECT_EQ(BackBuffer().Height, 200u);
  device->SetBackBufferSize(80, 150);
  EXPECT_EQ(Count("user objects"), 2);

  // Setting the mode it already has still resets.
  device->SetWindowMode(true);
  EXPECT_EQ(Count("user objects"), 3);
  // A reset puts the default states back.
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetWindowHandle(window);
  DWORD cull = 0;
  device->GetDirect3dDevice()->GetRenderState(D3DRS_CULLMODE, &cull);
  EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
}

// A back buffer larger than the adapter can make: the one failed reset is
// reported, the size goes back to the last one a device was made with, and
// the engine keeps drawing without a retry or a message per frame.
TEST_F(DeviceChannelTest, AnOversizedBackBufferFallsBackToTheLastSizeThatWorked) {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  RecordingUser* user = Adopt<RecordingUser>("user", &log);
  const char* kTried = "Tried to create a 3d device and failed";
  const char* kKept =
      "Vel_DX8_DirectGraphicsChannel::SetBackBufferSize: No device at this size, the last size that worked is kept";
  device->SetBackBufferSize(96, 80);
  ASSERT_EQ(BackBuffer().Width, 96u);
  messages.Clear();

  device->SetBackBufferSize(65536, 65536);
  EXPECT_EQ(messages.Count(kTried), 1);
  EXPECT_TRUE(messages.HasPart("65536"));
  EXPECT_EQ(messages.Count(kKept), 1);
  ASSERT_NE(device->GetDirect3dDevice(), nullptr);
  EXPECT_EQ(device->GetBackBufferWidth(), 96);
  EXPECT_EQ(device->GetBackBufferHeight(), 80);
  EXPECT_EQ(BackBuffer().Width, 96u);
  EXPECT_EQ(BackBuffer().Height, 80u);
  EXPECT_TRUE(user->Use());

  // Later frames find the device; nothing more is tried or written.
  const size_t written = messages.messages.size();
  Sleep(1100);
  for (int i = 0; i < 5; ++i) EXPECT_NE(device->GetDirect3dDevice(), nullptr);
  EXPECT_EQ(messages.messages.size(), written);

  // The size still grows to what the adapter can make.
  device->SetBackBufferSize(128, 80);
  EXPECT_EQ(BackBuffer().Width, 128u);
  EXPECT_EQ(messages.Count(kKept), 1);
}

// Before any device was made there is no size that worked: a back buffer
// asked for then is kept for the device made later.
TEST_F(DeviceChannelTest, ABackBufferAskedForBeforeAnyDeviceIsKeptForTheFirstOne) {
  D3D8Debug_FailCreateDevice(D3DERR_NOTAVAILABLE, -1);
  Vel_DX8_DirectGraphicsChannel* device = Device();
  ASSERT_EQ(device->GetDirect3dDevice(), nullptr);
  device->SetBackBufferSize(96, 80);
  EXPECT_EQ(device->GetBackBufferWidth(), 96);
  EXPECT_EQ(device->GetBackBufferHeight(), 80);
  EXPECT_FALSE(messages.HasPart("the last size that worked is kept"));

  D3D8Debug_FailCreateDevice(D3D_OK, 0);
  Sleep(1100);
  ASSERT_NE(device->GetDirect3dDevice(), nullptr);
  EXPECT_EQ(BackBuffer().Width, 96u);
  EXPECT_EQ(BackBuffer().Height, 80u);
}

TEST_F(DeviceChannelTest, MissingDeviceIsRetriedAtMostOncePerSecondWhileTheWindowIsActive) {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  RecordingUser* user = Adopt<RecordingUser>("user", &log);
  const char* kTried = "Tried to create a 3d device and failed";
  D3D8Debug_FailReset(D3DERR_DEVICELOST, -1);
  D3D8Debug_FailCreateDevice(D3DERR_NOTAVAILABLE, -1);
  EXPECT_FALSE(device->ResetDevice());
  EXPECT_TRUE(messages.Has(kMessageError, "D3DERR_NOTAVAILABLE"));
  EXPECT_TRUE(messages.HasPart("hr : "));
  EXPECT_TRUE(messages.HasPart(std::to_string(static_cast<int>(D3DERR_NOTAVAILABLE))));
  EXPECT_EQ(messages.Count(kTried), 1);
  EXPECT_FALSE(user->Use());

  // The first ask may try at once (no attempt was timed yet); the next asks
  // within the second do not.
  device->GetDirect3dDevice();
  const int afterFirstAsk = messages.Count(kTried);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(device->GetDirect3dDevice(), nullptr);
  EXPECT_EQ(messages.Count(kTried), afterFirstAsk);

  // While another window is active nothing is tried, however long it takes.
  MakeOtherWindowActive();
  Sleep(1100);
  EXPECT_EQ(device->GetDirect3dDevice(), nullptr);
  EXPECT_EQ(messages.Count(kTried), afterFirstAsk);

  // Back in the engine window, with a working adapter, the device returns.
  ActivateEngineWindow();
  D3D8Debug_FailCreateDevice(D3D_OK, 0);
  D3D8Debug_FailReset(D3D_OK, 0);
  EXPECT_NE(device->GetDirect3dDevice(), nullptr);
  EXPECT_TRUE(user->Use());
  EXPECT_EQ(device->GetBackBufferWidth(), 0);
}

TEST_F(DeviceChannelTest, ModeSwitchDropsTheOldDeviceOnlyAfterItsUsers) {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  RecordingUser* user = Adopt<RecordingUser>("user", &log);
  ASSERT_TRUE(user->Use());
  D3DDISPLAYMODE mode{};
  device->GetDirect3d()->GetAdapterDisplayMode(0, &mode);
  mode.Width = 320;
  mode.Height = 200;
  device->SetFullScreenDeviceMode(mode, 0, true, false);
  EXPECT_EQ(log, (std::vector<std::string>{"user objects"}));
  EXPECT_TRUE(user->deviceAnswered);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), 0x90CE0000u);
  EXPECT_EQ(device->GetBackBufferWidth(), 0);
  EXPECT_EQ(device->GetBackBufferHeight(), 0);
  ASSERT_NE(device->GetDirect3dDevice(), nullptr);
  EXPECT_EQ(BackBuffer().Width, static_cast<UINT>(kWidth));
  EXPECT_TRUE(user->Use());

  // Both creations failing: two message boxes and no device until a restore.
  D3D8Debug_FailCreateDevice(D3DERR_OUTOFVIDEOMEMORY, 2);
  device->SetFullScreenDeviceMode(mode, 0, false, false);
  EXPECT_TRUE(messages.Has(kMessageBox,
                           "Vel_DX8_DirectGraphicsChannel::SetFullScreenDeviceMode: Failed to create new device"));
  EXPECT_TRUE(
      messages.Has(kMessageBox, "Vel_DX8_DirectGraphicsChannel::SetFullScreenDeviceMode: Out of video memory"));
  EXPECT_EQ(device->GetBackBufferWidth(), 640);
  EXPECT_EQ(device->GetBackBufferHeight(), 400);
  EXPECT_FALSE(device->SetDeviceStates());

  // Only the first creation failing: the device made at 640 by 400 is there,
  // and no box claims the memory ran out.
  messages.Clear();
  D3D8Debug_FailCreateDevice(D3DERR_OUTOFVIDEOMEMORY, 1);
  device->SetFullScreenDeviceMode(mode, 0, false, false);
  EXPECT_TRUE(messages.Has(kMessageBox,
                           "Vel_DX8_DirectGraphicsChannel::SetFullScreenDeviceMode: Failed to create new device"));
  EXPECT_FALSE(messages.HasPart("Out of video memory"));
  ASSERT_NE(device->GetDirect3dDevice(), nullptr);
  EXPECT_EQ(BackBuffer().Width, 640u);
  EXPECT_EQ(BackBuffer().Height, 400u);
  EXPECT_TRUE(device->SetDeviceStates());
}

// An installation answering `version`.
class FixedProbe : public DirectXProbe {
 public:
  explicit FixedProbe(int version) : version(version) {}
  int ProbeDirectXVersion() override { return version; }
  int version;
};

TEST_F(DeviceChannelTest, OlderDirectXReleasesAreNamedAndRefusedBelowEight) {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  const std::string please = " installed\n please install DirectX 8.1 for this application to work correctly";
  struct Answer {
    int version;
    int type;
    std::string text;
    bool created;
  };
  const Answer answers[] = {
      {0x000, kMessageError, "No DirectX installed or error getting direct x version", false},
      {0x100, kMessageError, "DirectX 1" + please, false},
      {0x200, kMessageError, "DirectX 2" + please, false},
      {0x300, kMessageError, "DirectX 3" + please, false},
      {0x500, kMessageError, "DirectX 5" + please, false},
      {0x600, kMessageError, "DirectX 6" + please, false},
      {0x601, kMessageError, "DirectX 6.1" + please, false},
      {0x700, kMessageError, "DirectX 7" + please, false},
      {0x800, kMessageError, "DirectX 8" + please, true},
      {0x801, kMessageInfo, "DirectX 8.1 or better installed", true},
      {0x900, kMessageInfo, "Unknown version of DirectX installed.", true},
  };
  for (const Answer& answer : answers) {
    SCOPED_TRACE(answer.version);
    FixedProbe probe(answer.version);
    Vel_DX8_SetDirectXProbe(&probe);
    messages.Clear();
    EXPECT_EQ(device->CreateD3D(), answer.created);
    EXPECT_TRUE(messages.Has(answer.type, answer.text));
    EXPECT_EQ(messages.messages.size(), 1u);
  }
  // The device of the last accepted answer is in place.
  EXPECT_NE(device->GetDirect3dDevice(), nullptr);
}

}  // namespace
}  // namespace vel_test
