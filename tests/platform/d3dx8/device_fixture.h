// A Direct3D 8 device rendering off screen (no window), for the tests that
// create textures and meshes. The fixture fails a test that leaves device
// objects alive.
#pragma once

#include <d3d8/d3d8.h>
#include <gtest/gtest.h>

class DeviceTest : public ::testing::Test {
 protected:
  static constexpr UINT kBackBufferSize = 64;

  void SetUp() override;
  void TearDown() override;

  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

// Releases a COM-style object and nulls the pointer.
template <typename T>
void SafeRelease(T*& object) {
  if (object) object->Release();
  object = nullptr;
}
