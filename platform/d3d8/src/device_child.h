// Reference counting of the objects a device creates.
//
// Each object keeps two counts: public references (AddRef/Release by the
// application) and internal references (bindings: a texture set on a stage, a
// stream source, a render target, a state block's copy). While an object has
// public references it holds one reference on its device, so a device released
// with objects still alive reports them; bindings never hold the device, so no
// cycle keeps a device alive. An object dies when both counts are zero.
#pragma once

#include <d3d8/d3d8.h>

namespace d3d8 {

class Device;

class DeviceChild {
 public:
  // `publicStart`: whether the object starts with one public reference (every
  // created object) or none (surfaces the device or a texture owns).
  DeviceChild(Device* device, bool publicStart);
  virtual ~DeviceChild();
  DeviceChild(const DeviceChild&) = delete;
  DeviceChild& operator=(const DeviceChild&) = delete;

  virtual ULONG AddRefPublic();
  virtual ULONG ReleasePublic();
  virtual void AddRefInternal();
  virtual void ReleaseInternal();

  ULONG publicRefs() const { return publicRefs_; }
  Device* device() const { return device_; }

  // GetDevice for every kind of object: the device with a reference added.
  HRESULT HandOutDevice(IDirect3DDevice8** ppDevice) const;

  // For the reset rule: a live default-pool object makes Reset fail.
  virtual bool BlocksReset() const { return false; }

 protected:
  // Called instead of `delete this` for objects whose lifetime another object
  // owns (surfaces of the device); the default deletes.
  virtual void Destroy();

  Device* device_;
  ULONG publicRefs_;
  ULONG internalRefs_ = 0;
};

// Live-object accounting for D3D8Debug_LiveObjectCount.
void NoteObjectCreated();
void NoteObjectDestroyed();

// Takes and drops an internal reference on a possibly NULL object.
template <typename T>
void BindRef(T*& slot, T* value) {
  if (slot == value) return;
  if (value) value->AddRefInternal();
  T* old = slot;
  slot = value;
  if (old) old->ReleaseInternal();
}

}  // namespace d3d8
