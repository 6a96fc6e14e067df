// SavedDeviceStates: the device's whole state kept in a state block around
// an effect's drawing, for the effects that set states on the device
// directly (render targets, image-space passes): captured before they
// draw, applied after, so the device channel's view of the states stays
// true. The block belongs to one device: it is deleted on device loss and
// made again on the next capture.
#pragma once

#include <d3d8/d3d8.h>

class SavedDeviceStates {
 public:
  SavedDeviceStates() = default;
  ~SavedDeviceStates() { Release(); }
  SavedDeviceStates(const SavedDeviceStates&) = delete;
  SavedDeviceStates& operator=(const SavedDeviceStates&) = delete;

  // Keeps the states `device` holds now (the block is made on first use);
  // false when the device cannot make one.
  bool Capture(IDirect3DDevice8* device) {
    if (!device) return false;
    if (block_ && device_ != device) Forget();
    if (!block_) {
      if (FAILED(device->CreateStateBlock(D3DSBT_ALL, &block_))) {
        block_ = 0;
        return false;
      }
      device_ = device;
      return true;  // a new block holds the states already
    }
    return SUCCEEDED(device->CaptureStateBlock(block_));
  }
  // Puts the kept states back (nothing when none are kept).
  void Apply() {
    if (block_ && device_) device_->ApplyStateBlock(block_);
  }
  // Deletes the block on its device.
  void Release() {
    if (block_ && device_) device_->DeleteStateBlock(block_);
    Forget();
  }
  bool Held() const { return block_ != 0; }

 private:
  void Forget() {
    block_ = 0;
    device_ = nullptr;
  }

  DWORD block_ = 0;
  IDirect3DDevice8* device_ = nullptr;
};
