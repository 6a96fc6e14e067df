// Result buffers.
#include <d3dx8/d3dx8core.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Buffer, HoldsZeroedBytesUntilTheLastRelease) {
  LPD3DXBUFFER buffer = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateBuffer(16, &buffer));
  ASSERT_NE(nullptr, buffer);
  EXPECT_EQ(16u, buffer->GetBufferSize());
  const BYTE* bytes = static_cast<const BYTE*>(buffer->GetBufferPointer());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(0, bytes[i]);
  std::memset(buffer->GetBufferPointer(), 0xAB, 16);
  EXPECT_EQ(2u, buffer->AddRef());
  EXPECT_EQ(1u, buffer->Release());
  EXPECT_EQ(0xAB, static_cast<const BYTE*>(buffer->GetBufferPointer())[15]);

  void* unknown = nullptr;
  const IID unknownId = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  ASSERT_EQ(S_OK, buffer->QueryInterface(unknownId, &unknown));
  EXPECT_EQ(static_cast<IUnknown*>(buffer), unknown);
  EXPECT_EQ(1u, buffer->Release());
  const IID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(E_NOINTERFACE, buffer->QueryInterface(other, &unknown));
  EXPECT_EQ(nullptr, unknown);
  EXPECT_EQ(0u, buffer->Release());

  ASSERT_EQ(D3D_OK, D3DXCreateBuffer(0, &buffer));
  EXPECT_EQ(0u, buffer->GetBufferSize());
  buffer->Release();
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateBuffer(4, nullptr));
}

}  // namespace
