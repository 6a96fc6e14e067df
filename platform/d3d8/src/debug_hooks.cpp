#include "debug_hooks.h"

#include <d3d8/d3d8debug.h>

#include <atomic>
#include <mutex>

#include "device.h"

#define D3D8_EXPORT __attribute__((visibility("default")))

namespace d3d8 {
namespace {

struct Injection {
  HRESULT result = D3D_OK;
  int count = 0;  // -1: until cleared

  void Set(HRESULT r, int n) {
    if (r == D3D_OK || n == 0) {
      result = D3D_OK;
      count = 0;
    } else {
      result = r;
      count = n < 0 ? -1 : n;
    }
  }
  HRESULT Take() {
    if (count == 0) return D3D_OK;
    if (count > 0) --count;
    return result;
  }
};

std::mutex g_mutex;
Injection g_createDevice;
Injection g_reset;
Injection g_createTexture;
int g_createTextureAfter = 0;  // texture creations that succeed first
std::atomic<bool> g_readBackPresent{false};

}  // namespace

HRESULT TakeCreateDeviceFailure() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_createDevice.Take();
}

HRESULT TakeResetFailure() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_reset.Take();
}

HRESULT TakeCreateTextureFailure() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_createTexture.count == 0) return D3D_OK;
  if (g_createTextureAfter > 0) {
    --g_createTextureAfter;
    return D3D_OK;
  }
  return g_createTexture.Take();
}

bool ReadBackPresentForced() { return g_readBackPresent.load(); }

}  // namespace d3d8

extern "C" {

D3D8_EXPORT void WINAPI D3D8Debug_FailCreateDevice(HRESULT result, int count) {
  std::lock_guard<std::mutex> lock(d3d8::g_mutex);
  d3d8::g_createDevice.Set(result, count);
}

D3D8_EXPORT void WINAPI D3D8Debug_FailReset(HRESULT result, int count) {
  std::lock_guard<std::mutex> lock(d3d8::g_mutex);
  d3d8::g_reset.Set(result, count);
}

D3D8_EXPORT void WINAPI D3D8Debug_FailCreateTexture(HRESULT result, int after, int count) {
  std::lock_guard<std::mutex> lock(d3d8::g_mutex);
  d3d8::g_createTexture.Set(result, count);
  d3d8::g_createTextureAfter = after > 0 ? after : 0;
}

D3D8_EXPORT void WINAPI D3D8Debug_LoseDevice(IDirect3DDevice8* device) {
  if (device) static_cast<d3d8::Device*>(device)->Lose();
}

D3D8_EXPORT void WINAPI D3D8Debug_ForceReadBackPresent(BOOL force) { d3d8::g_readBackPresent.store(force != 0); }

D3D8_EXPORT UINT WINAPI D3D8Debug_LiveObjectCount() { return d3d8::LiveObjectCount(); }

D3D8_EXPORT UINT WINAPI D3D8Debug_DeviceChildReferences(IDirect3DDevice8* device) {
  if (!device) return 0;
  return static_cast<d3d8::Device*>(device)->ChildReferences();
}

D3D8_EXPORT UINT WINAPI D3D8Debug_ProgramCount(IDirect3DDevice8* device) {
  if (!device) return 0;
  return static_cast<UINT>(static_cast<d3d8::Device*>(device)->ProgramCompileCount());
}

D3D8_EXPORT void WINAPI D3D8Debug_MergeDraws(IDirect3DDevice8* device, BOOL merge) {
  if (device) static_cast<d3d8::Device*>(device)->SetMergeDraws(merge != 0);
}

D3D8_EXPORT UINT WINAPI D3D8Debug_GlDrawCount(IDirect3DDevice8* device) {
  if (!device) return 0;
  return static_cast<UINT>(static_cast<d3d8::Device*>(device)->GlDrawCount());
}
}
