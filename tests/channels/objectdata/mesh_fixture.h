// Meshes on the harness engine: building small meshes, a flat drawing setup
// whose pixels follow from the vertex positions alone, and the two shared
// statistics values.
#pragma once

#include "channel_harness.h"
#include "floatvalue/vel_float_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "quad_mesh.h"

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
    SetQuad(mesh, x0, y0, x1, y1, z, color);
  }

  // The harness's flat view, the vertex colour straight to the target.
  void FlatSetup() {
    FlatView();
    Device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Device()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
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

  Vel_FloatChannel* Statistic(const char* name) {
    return vel::As<Vel_FloatChannel>(engine->GetUniqueChannel(vel::kFloatType, name), vel::kFloatType);
  }
};

}  // namespace vel_test
