// Vertex and index buffers: locking, descriptions, drawing from them with
// base vertex and start index, validation of draws, and the program cache.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class BufferTest : public DeviceTest {};

TEST_F(BufferTest, LocksReturnTheBufferMemoryAndCheckTheirRange) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, D3DFVF_XYZ, D3DPOOL_MANAGED, &vb), D3D_OK);
  D3DVERTEXBUFFER_DESC desc;
  ASSERT_EQ(vb->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Size, 64u);
  EXPECT_EQ(desc.FVF, static_cast<DWORD>(D3DFVF_XYZ));
  EXPECT_EQ(desc.Format, D3DFMT_VERTEXDATA);
  EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY));
  BYTE* p = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
  for (int i = 0; i < 64; ++i) p[i] = static_cast<BYTE>(i);
  ASSERT_EQ(vb->Unlock(), D3D_OK);
  BYTE* q = nullptr;
  ASSERT_EQ(vb->Lock(16, 8, &q, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(q[0], 16);
  EXPECT_EQ(q[7], 23);
  vb->Unlock();
  EXPECT_EQ(vb->Lock(60, 8, &q, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(65, 0, &q, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
  vb->Release();

  IDirect3DIndexBuffer8* ib = nullptr;
  EXPECT_EQ(device_->CreateIndexBuffer(64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &ib), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->CreateIndexBuffer(64, 0, D3DFMT_INDEX32, D3DPOOL_SYSTEMMEM, &ib), D3D_OK);
  D3DINDEXBUFFER_DESC idesc;
  ib->GetDesc(&idesc);
  EXPECT_EQ(idesc.Format, D3DFMT_INDEX32);
  EXPECT_EQ(idesc.Pool, D3DPOOL_SYSTEMMEM);
  ib->Release();
}

TEST_F(BufferTest, IndexedDrawUsesBaseVertexAndStartIndex) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  IDirect3DVertexBuffer8* vb = nullptr;
  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(8 * sizeof(PosColor), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
  ASSERT_EQ(device_->CreateIndexBuffer(12 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
  PosColor* v = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<BYTE**>(&v), 0), D3D_OK);
  // Vertices 0-3: a red quad; 4-7: a green one.
  const PosColor quad[4] = {{-1, 1, 0.5f, 0}, {1, 1, 0.5f, 0}, {-1, -1, 0.5f, 0}, {1, -1, 0.5f, 0}};
  for (int i = 0; i < 8; ++i) {
    v[i] = quad[i % 4];
    v[i].color = i < 4 ? 0xFFFF0000 : 0xFF00FF00;
  }
  vb->Unlock();
  WORD* idx = nullptr;
  ASSERT_EQ(ib->Lock(0, 0, reinterpret_cast<BYTE**>(&idx), 0), D3D_OK);
  const WORD list[12] = {9, 9, 9, 9, 9, 9, 0, 1, 2, 2, 1, 3};
  std::memcpy(idx, list, sizeof list);
  ib->Unlock();
  device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device_->SetStreamSource(0, vb, sizeof(PosColor));
  device_->SetIndices(ib, 4);
  Clear(0xFF000000);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 6, 2), D3D_OK);
  EXPECT_NEAR_RGB(Pixel(10, 10), 0, 255, 0, 0);
  EXPECT_NEAR_RGB(Pixel(50, 50), 0, 255, 0, 0);
  device_->SetIndices(ib, 0);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 6, 2), D3D_OK);
  EXPECT_NEAR_RGB(Pixel(10, 10), 255, 0, 0, 0);
  // Past the end of the index buffer, or of the vertices.
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 6, 3), D3DERR_INVALIDCALL);
  device_->SetIndices(ib, 6);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 6, 2), D3DERR_INVALIDCALL);
  device_->SetIndices(nullptr, 0);
  device_->SetStreamSource(0, nullptr, 0);
  ib->Release();
  vb->Release();
}

TEST_F(BufferTest, DiscardAndNoOverwriteLocksFeedLaterDraws) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(8 * sizeof(PosColor), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0,
                                        D3DPOOL_DEFAULT, &vb),
            D3D_OK);
  device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device_->SetStreamSource(0, vb, sizeof(PosColor));
  const PosColor quad[4] = {{-1, 1, 0.5f, 0}, {1, 1, 0.5f, 0}, {-1, -1, 0.5f, 0}, {1, -1, 0.5f, 0}};
  Clear(0xFF000000);
  for (D3DCOLOR c : {0xFFFF0000u, 0xFF0000FFu}) {
    PosColor* v = nullptr;
    ASSERT_EQ(vb->Lock(0, 4 * sizeof(PosColor), reinterpret_cast<BYTE**>(&v), D3DLOCK_DISCARD), D3D_OK);
    for (int i = 0; i < 4; ++i) v[i] = {quad[i].x, quad[i].y, quad[i].z, c};
    vb->Unlock();
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_NEAR_RGB(Pixel(20, 20), (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, 0);
  }
  // Appending behind data already drawn.
  PosColor* v = nullptr;
  ASSERT_EQ(vb->Lock(4 * sizeof(PosColor), 4 * sizeof(PosColor), reinterpret_cast<BYTE**>(&v), D3DLOCK_NOOVERWRITE),
            D3D_OK);
  for (int i = 0; i < 4; ++i) v[i] = {quad[i].x, quad[i].y, quad[i].z, 0xFF00FF00};
  vb->Unlock();
  ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);
  EXPECT_NEAR_RGB(Pixel(20, 20), 0, 255, 0, 0);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 5, 2), D3DERR_INVALIDCALL);
  device_->SetStreamSource(0, nullptr, 0);
  vb->Release();
}

TEST_F(BufferTest, DrawsWithoutAStreamOrFormatAreRefused) {
  ASSERT_TRUE(CreateDevice());
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
  PosColor v[3] = {};
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof v[0]), D3DERR_INVALIDCALL);  // no format yet
  device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  EXPECT_EQ(device_->DrawPrimitiveUP(static_cast<D3DPRIMITIVETYPE>(9), 1, v, sizeof v[0]), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, 8), D3DERR_INVALIDCALL);  // stride below the format
  // Drawing from memory leaves stream 0 unset.
  IDirect3DVertexBuffer8* vb = nullptr;
  device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb);
  device_->SetStreamSource(0, vb, 16);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof v[0]), D3D_OK);
  IDirect3DVertexBuffer8* got = vb;
  UINT stride = 1;
  device_->GetStreamSource(0, &got, &stride);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(stride, 0u);
  vb->Release();
}

TEST_F(BufferTest, IndexedDrawFromMemoryAndLineAndPointPrimitives) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  const PosColor v[4] = {{-1, 1, 0.5f, 0xFF00FFFF}, {1, 1, 0.5f, 0xFF00FFFF}, {-1, -1, 0.5f, 0xFF00FFFF},
                         {1, -1, 0.5f, 0xFF00FFFF}};
  const WORD idx[6] = {0, 1, 2, 2, 1, 3};
  Clear(0xFF000000);
  ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, idx, D3DFMT_INDEX16, v, sizeof v[0]), D3D_OK);
  EXPECT_NEAR_RGB(Pixel(60, 60), 0, 255, 255, 0);
  // A horizontal line through the middle row and a point.
  // y = 0.03125 is the centre of row 31.
  const PosColor line[2] = {{-1, 0.03125f, 0.5f, 0xFFFF0000}, {1, 0.03125f, 0.5f, 0xFFFF0000}};
  Clear(0xFF000000);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof line[0]), D3D_OK);
  EXPECT_NEAR_RGB(Pixel(20, 31), 255, 0, 0, 0);
  const PosColor point[1] = {{0.0f, 0.0f, 0.5f, 0xFF0000FF}};
  device_->SetRenderState(D3DRS_POINTSIZE, F2D(3.0f));
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, point, sizeof point[0]), D3D_OK);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 255, 0);
  EXPECT_NEAR_RGB(Pixel(33, 33), 0, 0, 255, 0);
}

TEST_F(BufferTest, DrawingWithStatesSeenBeforeCompilesNothing) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  DrawScreenQuad(0xFFFFFFFF);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
  DrawScreenQuad(0xFFFFFFFF);
  const UINT compiled = D3D8Debug_ProgramCount(device_);
  for (int frame = 0; frame < 3; ++frame) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF000000u + frame);  // a constant, not part of the program
    DrawScreenQuad(0xFFFFFFFF);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    DrawScreenQuad(0xFFFFFFFF);
  }
  EXPECT_EQ(D3D8Debug_ProgramCount(device_), compiled);
}

}  // namespace
}  // namespace d3d8test
