#include "device_child.h"

#include <atomic>

#include "debug_hooks.h"
#include "device.h"

namespace d3d8 {
namespace {
std::atomic<unsigned> g_liveObjects{0};
}

void NoteObjectCreated() { ++g_liveObjects; }
void NoteObjectDestroyed() { --g_liveObjects; }
unsigned LiveObjectCount() { return g_liveObjects.load(); }

DeviceChild::DeviceChild(Device* device, bool publicStart) : device_(device), publicRefs_(publicStart ? 1 : 0) {
  if (publicStart) device_->AcquireChildReference();
  device_->RegisterChild(this);
}

DeviceChild::~DeviceChild() { device_->UnregisterChild(this); }

ULONG DeviceChild::AddRefPublic() {
  if (publicRefs_++ == 0) device_->AcquireChildReference();
  return publicRefs_;
}

ULONG DeviceChild::ReleasePublic() {
  if (publicRefs_ == 0) return 0;  // an over-release is ignored rather than corrupting the count
  ULONG left = --publicRefs_;
  if (left == 0) {
    Device* device = device_;
    if (internalRefs_ == 0) Destroy();
    device->ReleaseChildReference();
  }
  return left;
}

HRESULT DeviceChild::HandOutDevice(IDirect3DDevice8** ppDevice) const {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *ppDevice = device_;
  return D3D_OK;
}

void DeviceChild::AddRefInternal() { ++internalRefs_; }

void DeviceChild::ReleaseInternal() {
  if (internalRefs_ == 0) return;
  if (--internalRefs_ == 0 && publicRefs_ == 0) Destroy();
}

void DeviceChild::Destroy() { delete this; }

}  // namespace d3d8
