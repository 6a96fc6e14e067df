// Meshes on the harness engine: building small meshes, a flat drawing setup
// whose pixels follow from the vertex positions alone, and the two shared
// statistics values.
#pragma once

#include "channel_harness.h"
#include "floatvalue/vel_float_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"

#include <d3d8/d3d8debug.h>

#include <vector>

namespace vel_test {

class MeshTest : public ChannelHarness {
 protected:
  Vel_DX8_ObjectDataChannel* NewMesh() { return Create<Vel_DX8_ObjectDataChannel>(vel::kObjectDataType); }

  // An axis-aligned quad from (x0, y0) to (x1, y1) at depth z in one colour:
  // four positions and colours, six indices (two triangles), no buffers yet.
  void MakeQuad(Vel_DX8_ObjectDataChannel* mesh, float x0, float y0, float x1, float y1, float z, D3DCOLOR color) {
    mesh->Release();
    mesh->SetVertexCount(4);
    mesh->SetVertexPositionUse(true);
    mesh->SetVertexColorUse(true);
    const VertPos corners[4] = {{x0, y1, z}, {x1, y1, z}, {x1, y0, z}, {x0, y0, z}};
    for (int i = 0; i < 4; ++i) {
      mesh->SetVertexPosition(corners[i], i);
      mesh->SetVertexColor(VertColor{color}, i);
    }
    mesh->SetIndexCount(6);
    unsigned short indices[6] = {0, 1, 2, 0, 2, 3};
    mesh->SetIndexes(indices);
  }

  // Identity view and projection (so x and y in -1..1 span the viewport and
  // the frustum), no lighting, no face culling, the vertex colour straight to
  // the target.
  void FlatSetup() {
    Vel_DX8_DirectGraphicsChannel* device = Device();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    D3DDevice()->SetTransform(D3DTS_VIEW, &identity);
    D3DDevice()->SetTransform(D3DTS_WORLD, &identity);
    device->SetProjectionMatrix(identity);
    device->CalcFrustumPlanes();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  }

  // One frame drawing `start` between a clear and the scene's end; the
  // presented image.
  Image DrawFrame(Orn_Channel* start, D3DCOLOR clear = 0xFF000000) {
    IDirect3DDevice8* d = D3DDevice();
    if (!d) return {};
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0);
    d->BeginScene();
    Frame(start);
    d->EndScene();
    return PresentAndCapture();
  }

  // The pixel at the centre of NDC position (x, y).
  static Rgba At(const Image& image, float x, float y) {
    return image.At(static_cast<int>((x + 1.0f) * 0.5f * kWidth), static_cast<int>((1.0f - y) * 0.5f * kHeight));
  }

  Vel_FloatChannel* Statistic(const char* name) {
    return vel::As<Vel_FloatChannel>(engine->GetUniqueChannel(vel::kFloatType, name), vel::kFloatType);
  }
};

}  // namespace vel_test
