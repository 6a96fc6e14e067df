// Draws with a vertex shader, a pixel shader or both: the program for the
// combination (keyed by the shaders, the fixed-function state the other
// side still uses and the kind of texture each pixel-shader stage has
// bound) and the vertex inputs a declaration describes.
#include <cstring>

#include "base_texture.h"
#include "buffers.h"
#include "device.h"

namespace d3d8 {
namespace {

// The vertex format whose fixed-function key a vertex shader's draw starts
// from: every colour and eight four-component coordinate sets, so that any
// stage may read any set the shader writes.
constexpr DWORD kShaderFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX8 | 0xAAAA0000u;

// Drops what only the fixed-function vertex program reads, so that draws
// with one vertex shader share their programs.
void KeepFragmentSide(FfpKey* k, const DWORD* renderStates) {
  FfpKey out;
  std::memset(&out, 0, sizeof out);
  out.fogKind = k->fogKind;
  out.fogMode = k->fogKind == static_cast<uint8_t>(FogKind::Table) ? k->fogMode : 0;
  out.fogFromW = k->fogFromW;
  // Without table fog the fog factor is the shader's oFog.x.
  if (renderStates[D3DRS_FOGENABLE] && k->fogKind != static_cast<uint8_t>(FogKind::Table))
    out.fogKind = static_cast<uint8_t>(FogKind::Vertex);
  out.points = k->points;
  out.pointSprite = k->pointSprite;
  out.flatShade = k->flatShade;
  out.alphaFunc = k->alphaFunc;
  out.specularEnable = k->specularEnable;
  out.stageCount = k->stageCount;
  for (int s = 0; s < kStageCount; ++s) {
    out.stages[s] = k->stages[s];
    out.stages[s].coordGen = 0;
    out.stages[s].transformCount = 0;
    out.stages[s].wrap = 0;
    out.stages[s].identityTransform = 0;
    out.stages[s].twoCoords = 0;  // the vertex shader writes all four
  }
  *k = out;
}

}  // namespace

const VertexShaderObject* Device::CurrentVertexShader() const {
  if (!(state_.vertexShader & 1u)) return nullptr;
  auto it = vertexShaders_.find(state_.vertexShader);
  return it == vertexShaders_.end() ? nullptr : it->second.get();
}

const PixelShaderObject* Device::CurrentPixelShader() const {
  if (!state_.pixelShader) return nullptr;
  auto it = pixelShaders_.find(state_.pixelShader);
  return it == pixelShaders_.end() ? nullptr : it->second.get();
}

bool Device::StreamsHold(const VertexShaderObject& vs, uint64_t vertexEnd, bool streamZeroFromMemory) const {
  const VertexDeclaration& d = vs.declaration;
  for (int s = 0; s < kStreamCount; ++s) {
    if (!(d.usedStreams & (1u << s)) || (s == 0 && streamZeroFromMemory)) continue;
    VertexBuffer* vb = state_.streams[s];
    const UINT stride = state_.strides[s];
    if (!vb || stride < d.streamBytes[s] || vertexEnd == 0) return false;
    if ((vertexEnd - 1) * stride + d.streamBytes[s] > vb->storage().size()) return false;
  }
  return true;
}

void Device::SetDeclarationLayout(const VertexShaderObject& vs, GLuint memoryBuffer, UINT memoryStride) {
  bool used[kVertexInputCount] = {};
  for (const VertexElement& e : vs.declaration.elements) {
    const bool memory = e.stream == 0 && memoryBuffer;
    const GLuint buffer = memory ? memoryBuffer : state_.streams[e.stream]->storage().glBuffer();
    const GLsizei stride = static_cast<GLsizei>(memory ? memoryStride : state_.strides[e.stream]);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const void* at = reinterpret_cast<const void*>(static_cast<uintptr_t>(e.offset));
    const GLuint reg = e.reg;
    glEnableVertexAttribArray(reg);
    switch (e.type) {
      case D3DVSDT_FLOAT1:
      case D3DVSDT_FLOAT2:
      case D3DVSDT_FLOAT3:
      case D3DVSDT_FLOAT4: glVertexAttribPointer(reg, e.type + 1, GL_FLOAT, GL_FALSE, stride, at); break;
      // Colours are bytes B, G, R, A in memory and reach the shader as (r, g, b, a).
      case D3DVSDT_D3DCOLOR: glVertexAttribPointer(reg, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at); break;
      case D3DVSDT_UBYTE4: glVertexAttribPointer(reg, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride, at); break;
      case D3DVSDT_SHORT2: glVertexAttribPointer(reg, 2, GL_SHORT, GL_FALSE, stride, at); break;
      default: glVertexAttribPointer(reg, 4, GL_SHORT, GL_FALSE, stride, at); break;
    }
    used[reg] = true;
  }
  for (GLuint i = 0; i < kVertexInputCount; ++i)
    if (!used[i]) glDisableVertexAttribArray(i);
  layoutValid_ = false;  // the next fixed-function draw sets its layout again
}

bool Device::SelectShaderProgram(DWORD fvf, bool points) {
  const VertexShaderObject* vs = CurrentVertexShader();
  const PixelShaderObject* ps = CurrentPixelShader();
  if ((state_.vertexShader & 1u) && !vs) return false;
  if (state_.pixelShader && !ps) return false;
  if (shaderKeyValid_ && !(dirty_ & (kDirtyKey | kDirtyStageKey)) && shaderVertex_ == state_.vertexShader &&
      shaderPixel_ == state_.pixelShader && keyPoints_ == points && (vs || keyFvf_ == fvf))
    return program_ != nullptr;

  TextureKind bound[kStageCount];
  for (int s = 0; s < kStageCount; ++s) bound[s] = TextureKindOf(state_.textures[s]);
  ShaderDrawKey key;
  std::memset(&key.ffp, 0, sizeof key.ffp);
  BuildFfpKey(state_, vs ? kShaderFvf : fvf, points, bound, &key.ffp);
  if (vs) KeepFragmentSide(&key.ffp, state_.renderStates);
  if (ps) {
    // The stages the pixel shader reads take the place of the cascade; the
    // vertex side hands each its coordinate set.
    FfpKey& k = key.ffp;
    k.specularEnable = 0;
    k.stageCount = kPixelTextureCount;
    for (int s = 0; s < kStageCount; ++s) {
      StageKey sk;
      std::memset(&sk, 0, sizeof sk);
      if (s < kPixelTextureCount && (ps->stages & (1u << s))) {
        const DWORD* t = state_.stageStates[s];
        sk.sampled = 1;
        sk.cube = bound[s] == TextureKind::Cube;
        sk.coordSet = static_cast<uint8_t>(t[D3DTSS_TEXCOORDINDEX] & 7);
        if (!vs && !k.rhw) {
          sk.coordGen = static_cast<uint8_t>((t[D3DTSS_TEXCOORDINDEX] >> 16) & 3);
          const DWORD count = t[D3DTSS_TEXTURETRANSFORMFLAGS] & 7;
          sk.transformCount = static_cast<uint8_t>(count <= 4 ? count : 0);
        }
        key.kinds[s] = bound[s];
      }
      k.stages[s] = sk;
    }
  }
  key.vertexSerial = vs ? vs->serial : 0;
  key.pixelSerial = ps ? ps->serial : 0;
  program_ = shaderPrograms_.Get(key, vs, ps);
  key_ = key.ffp;
  samplerDirty_ = 0xFF;
  keyValid_ = false;  // the next fixed-function draw builds its key again
  shaderKeyValid_ = true;
  shaderVertex_ = state_.vertexShader;
  shaderPixel_ = state_.pixelShader;
  keyPoints_ = points;
  keyFvf_ = fvf;
  dirty_ &= ~(kDirtyKey | kDirtyStageKey);
  return program_ != nullptr;
}

}  // namespace d3d8
