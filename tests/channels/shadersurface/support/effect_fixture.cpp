#include "effect_fixture.h"

#include "image_writers.h"
#include "quad_mesh.h"

#include <d3d8/d3d8debug.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace vel_test {

StderrCapture::StderrCapture() {
  char pattern[] = "/tmp/kelvane-stderr-XXXXXX";
  int fd = mkstemp(pattern);
  if (fd < 0) return;
  path_ = pattern;
  std::fflush(stderr);
  saved_ = dup(2);
  dup2(fd, 2);
  close(fd);
}

StderrCapture::~StderrCapture() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  dup2(saved_, 2);
  close(saved_);
  const std::string text = Text();
  if (!text.empty()) std::fputs(text.c_str(), stderr);
  std::remove(path_.c_str());
}

std::string StderrCapture::Text() const {
  std::fflush(stderr);
  std::ifstream in(path_);
  std::stringstream out;
  out << in.rdbuf();
  return out.str();
}

void EffectTest::SetUp() {
  layerOutput = new StderrCapture;
  ChannelHarness::SetUp();
  ASSERT_NE(D3DDevice(), nullptr);
  FlatView();
}

void EffectTest::TearDown() {
  ChannelHarness::TearDown();
  delete layerOutput;
  layerOutput = nullptr;
}

Vel_DX8_PixelShaderSurface* EffectTest::NewSurface(int number, Vel_DX8_ObjectDataChannel* mesh) {
  auto* surface = Create<Vel_DX8_PixelShaderSurface>(vel::kShaderSurfaceType, true);
  if (!surface) return nullptr;
  EXPECT_TRUE(Link(surface, mesh ? mesh : Quad(-1, -1, 1, 1), 0));
  surface->SetShaderEffect(number);
  return surface;
}

Orn_Channel* EffectTest::Info(Vel_DX8_PixelShaderSurface* surface) {
  return surface->GetChildFromLinkGuid(vel::kShaderInfoType, 0);
}

Vel_FloatChannel* EffectTest::AddFloat(Vel_DX8_PixelShaderSurface* surface, float value) {
  auto* channel = Create<Vel_FloatChannel>(vel::kFloatType);
  channel->SetFloat(value);
  EXPECT_TRUE(Link(Info(surface), channel, 0));
  return channel;
}

Vel_VectorChannel* EffectTest::AddVector(Vel_DX8_PixelShaderSurface* surface, D3DXVECTOR3 value) {
  auto* channel = Create<Vel_VectorChannel>(vel::kVectorType);
  channel->SetVector(value);
  EXPECT_TRUE(Link(Info(surface), channel, 1));
  return channel;
}

Vel_DX8_Texture* EffectTest::AddTexture(Vel_DX8_PixelShaderSurface* surface, const std::vector<uint32_t>& texels,
                                        int width, int height) {
  auto* texture = Create<Vel_DX8_Texture>(vel::kTextureType);
  texture->SetMipMapLevels(1);
  const testimages::Bytes png = testimages::WritePng(static_cast<unsigned>(width), static_cast<unsigned>(height),
                                                     texels, testimages::PngKind::kRgba);
  EXPECT_TRUE(texture->LoadTextureFromMemoryAndCopyBuffer(reinterpret_cast<const char*>(png.data()),
                                                          static_cast<int>(png.size())));
  EXPECT_TRUE(Link(surface, texture, Vel_DX8_SurfaceChannel::kTexturesSlot));
  return texture;
}

Vel_DX8_Texture* EffectTest::AddRamp(Vel_DX8_PixelShaderSurface* surface, const std::vector<uint32_t>& colours) {
  return AddTexture(surface, colours, static_cast<int>(colours.size()), 1);
}

Vel_DX8_ObjectDataChannel* EffectTest::Quad(float x0, float y0, float x1, float y1, float z) {
  auto* mesh = Create<Vel_DX8_ObjectDataChannel>(vel::kObjectDataType);
  SetQuad(mesh, x0, y0, x1, y1, z);
  return mesh;
}

Vel_DX8_ObjectDataChannel* EffectTest::Sphere(float radius, int rings, int segments) {
  auto* mesh = Create<Vel_DX8_ObjectDataChannel>(vel::kObjectDataType);
  const int count = (rings + 1) * (segments + 1);
  mesh->SetVertexCount(count);
  mesh->SetVertexPositionUse(true);
  mesh->SetVertexNormalUse(true);
  mesh->SetVertexTUUse(true);
  for (int r = 0; r <= rings; ++r) {
    const float theta = static_cast<float>(M_PI) * static_cast<float>(r) / static_cast<float>(rings);
    for (int s = 0; s <= segments; ++s) {
      const float phi = 2.0f * static_cast<float>(M_PI) * static_cast<float>(s) / static_cast<float>(segments);
      const VertNormal n{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
      const int i = r * (segments + 1) + s;
      mesh->SetVertexNormal(n, i);
      mesh->SetVertexPosition(VertPos{n.x * radius, n.y * radius, 0.5f + n.z * radius}, i);
      mesh->SetVertexTUCoord(VertTUV{static_cast<float>(s) / static_cast<float>(segments),
                                     static_cast<float>(r) / static_cast<float>(rings)},
                             i);
    }
  }
  std::vector<unsigned short> indices;
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const auto a = static_cast<unsigned short>(r * (segments + 1) + s);
      const auto b = static_cast<unsigned short>(a + segments + 1);
      for (unsigned short i : {a, b, static_cast<unsigned short>(a + 1), static_cast<unsigned short>(a + 1), b,
                               static_cast<unsigned short>(b + 1)})
        indices.push_back(i);
    }
  }
  mesh->SetIndexCount(static_cast<int>(indices.size()));
  mesh->SetIndexes(indices.data());
  return mesh;
}

Image EffectTest::Draw(Vel_DX8_PixelShaderSurface* surface, D3DCOLOR clear) {
  IDirect3DDevice8* d = D3DDevice();
  if (!d) return {};
  d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0);
  d->BeginScene();
  engine->ext->IncreaseTreeCount();
  surface->DrawSurface();
  surface->DrawTransparentSurface();
  d->EndScene();
  return PresentAndCapture();
}

void EffectTest::LoseDevice() {
  D3D8Debug_LoseDevice(D3DDevice());
  ASSERT_TRUE(Device()->ResetDevice());
  // A reset device starts from the default states: the fixture's again.
  FlatView();
}

void EffectTest::ExpectLossRecovers(Vel_DX8_PixelShaderSurface* surface) {
  const unsigned before = LiveReferences();
  Draw(surface);
  const Image first = Draw(surface);
  LoseDevice();
  const Image second = Draw(surface);
  ASSERT_EQ(first.argb.size(), second.argb.size());
  int differing = 0;
  for (size_t i = 0; i < first.argb.size(); ++i) differing += (first.argb[i] & 0xFFFFFF) != (second.argb[i] & 0xFFFFFF);
  EXPECT_EQ(differing, 0) << "pixels that differ after the device loss";
  // Whatever the effect made after the reset goes with its objects.
  surface->InvalidateDeviceObjects();
  EXPECT_LE(LiveReferences(), before);
}

void EffectTest::ExpectNoLayerError() {
  const std::string layer = layerOutput ? layerOutput->Text() : std::string();
  EXPECT_EQ(layer.find("d3d8:"), std::string::npos) << layer;
  for (const auto& [type, text] : messages.messages) EXPECT_NE(type, 1) << text;
}

unsigned EffectTest::LiveReferences() { return D3D8Debug_DeviceChildReferences(D3DDevice()); }

bool EffectTest::ShadersAvailable() {
  IDirect3DDevice8* d = D3DDevice();
  ID3DXBuffer* code = nullptr;
  const char* text = "vs.1.1\nmov oPos, v0\n";
  if (!d || FAILED(D3DXAssembleShader(text, static_cast<UINT>(std::strlen(text)), 0, nullptr, &code, nullptr)) ||
      !code)
    return false;
  const DWORD declaration[] = {0x20000000, 0x40020000, 0xFFFFFFFF};
  DWORD handle = 0;
  const bool made = SUCCEEDED(
      d->CreateVertexShader(declaration, static_cast<const DWORD*>(code->GetBufferPointer()), &handle, 0));
  if (made) d->DeleteVertexShader(handle);
  code->Release();
  return made;
}

}  // namespace vel_test
