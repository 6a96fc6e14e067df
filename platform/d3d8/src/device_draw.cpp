// Drawing: validation of the draw calls, the OpenGL state a draw needs
// (framebuffer, viewport, raster state, program, uniforms, textures,
// samplers, vertex layout) and the draw itself. Only what changed since the
// previous draw is sent to OpenGL.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "buffers.h"
#include "device.h"
#include "gl_mapping.h"
#include "matrix_math.h"
#include "surface.h"
#include "base_texture.h"

namespace d3d8 {
namespace {

// The most vertices a draw may use and still be merged with others.
constexpr UINT kMergedDrawVertexLimit = 64;

bool ValidPrimitive(D3DPRIMITIVETYPE type) { return type >= D3DPT_POINTLIST && type <= D3DPT_TRIANGLEFAN; }

// Vertices in memory suit the vertex format or, with a vertex shader, its
// declaration: stream 0 only, no wider than the stride.
bool MemoryVerticesFit(const VertexShaderObject* vs, DWORD fvf, UINT stride) {
  if (vs) return vs->declaration.usedStreams == 1 && vs->declaration.streamBytes[0] <= stride;
  return !(fvf & 1u) && FvfStride(fvf) != 0 && FvfStride(fvf) <= stride;
}

// The matrix that takes Direct3D clip coordinates to OpenGL's for a viewport:
// y flips (row 0 of every buffer is the top row), pixel centres move by half
// a pixel to Direct3D's integer positions, and z in [0, w] becomes [-w, w].
D3DMATRIX ClipConversion(const D3DVIEWPORT8& vp) {
  D3DMATRIX c{};
  c._11 = 1.0f;
  c._22 = -1.0f;
  c._33 = 2.0f;
  c._41 = 1.0f / static_cast<float>(vp.Width);
  c._42 = 1.0f / static_cast<float>(vp.Height);
  c._43 = -1.0f;
  c._44 = 1.0f;
  return c;
}

}  // namespace

// ---------------------------------------------------------------------------
// OpenGL state
// ---------------------------------------------------------------------------

void Device::ApplyViewport() {
  const D3DVIEWPORT8& v = state_.viewport;
  glViewport(static_cast<GLint>(v.X), static_cast<GLint>(v.Y), static_cast<GLsizei>(v.Width),
             static_cast<GLsizei>(v.Height));
  glDepthRange(v.MinZ, v.MaxZ);
  dirty_ &= ~kDirtyViewport;
}

void Device::ApplyRasterState() {
  const DWORD* rs = state_.renderStates;
  const bool hasDepth = depthStencil_ != nullptr;
  if (hasDepth && rs[D3DRS_ZENABLE] != D3DZB_FALSE) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GlCompare(rs[D3DRS_ZFUNC]));
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);

  // Direct3D's counter-clockwise faces on screen are OpenGL's clockwise ones
  // once y runs down the rows.
  glFrontFace(GL_CCW);
  switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_CW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_FRONT);
      break;
    case D3DCULL_CCW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
      break;
    default:
      glDisable(GL_CULL_FACE);
      break;
  }

  switch (rs[D3DRS_FILLMODE]) {
    case D3DFILL_POINT: glPolygonMode(GL_FRONT_AND_BACK, GL_POINT); break;
    case D3DFILL_WIREFRAME: glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); break;
    default: glPolygonMode(GL_FRONT_AND_BACK, GL_FILL); break;
  }

  if (rs[D3DRS_ALPHABLENDENABLE]) {
    glEnable(GL_BLEND);
    DWORD src = rs[D3DRS_SRCBLEND], dst = rs[D3DRS_DESTBLEND];
    if (src == D3DBLEND_BOTHSRCALPHA) {
      src = D3DBLEND_SRCALPHA;
      dst = D3DBLEND_INVSRCALPHA;
    } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
      src = D3DBLEND_INVSRCALPHA;
      dst = D3DBLEND_SRCALPHA;
    }
    glBlendFunc(GlBlendFactor(src), GlBlendFactor(dst));
    glBlendEquation(GlBlendEquation(rs[D3DRS_BLENDOP]));
  } else {
    glDisable(GL_BLEND);
  }

  const DWORD mask = rs[D3DRS_COLORWRITEENABLE];
  glColorMask((mask & D3DCOLORWRITEENABLE_RED) != 0, (mask & D3DCOLORWRITEENABLE_GREEN) != 0,
              (mask & D3DCOLORWRITEENABLE_BLUE) != 0, (mask & D3DCOLORWRITEENABLE_ALPHA) != 0);

  if (hasDepth && depthStencil_->info().stencil && rs[D3DRS_STENCILENABLE]) {
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GlCompare(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF] & 0xFF),
                  rs[D3DRS_STENCILMASK]);
    glStencilOp(GlStencilOp(rs[D3DRS_STENCILFAIL]), GlStencilOp(rs[D3DRS_STENCILZFAIL]),
                GlStencilOp(rs[D3DRS_STENCILPASS]));
    glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
  } else {
    glDisable(GL_STENCIL_TEST);
  }

  // A z bias of n (0..16) pulls a polygon n depth steps towards the viewer.
  const DWORD zbias = std::min<DWORD>(rs[D3DRS_ZBIAS], 16);
  if (zbias) {
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glEnable(GL_POLYGON_OFFSET_POINT);
    glPolygonOffset(0.0f, -static_cast<float>(zbias));
  } else {
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glDisable(GL_POLYGON_OFFSET_POINT);
  }

  if (rs[D3DRS_DITHERENABLE])
    glEnable(GL_DITHER);
  else
    glDisable(GL_DITHER);
  dirty_ &= ~kDirtyRaster;
}

GLuint Device::SamplerFor(DWORD stage) {
  const DWORD* t = state_.stageStates[stage];
  const uint64_t lo = static_cast<uint64_t>(t[D3DTSS_ADDRESSU] & 0xF) | (static_cast<uint64_t>(t[D3DTSS_ADDRESSV] & 0xF) << 4) |
                      (static_cast<uint64_t>(t[D3DTSS_ADDRESSW] & 0xF) << 8) |
                      (static_cast<uint64_t>(t[D3DTSS_MAGFILTER] & 0xF) << 12) |
                      (static_cast<uint64_t>(t[D3DTSS_MINFILTER] & 0xF) << 16) |
                      (static_cast<uint64_t>(t[D3DTSS_MIPFILTER] & 0xF) << 20) |
                      (static_cast<uint64_t>(t[D3DTSS_MAXMIPLEVEL] & 0xFF) << 24) |
                      (static_cast<uint64_t>(t[D3DTSS_MAXANISOTROPY] & 0xFF) << 32);
  const uint64_t hi = static_cast<uint64_t>(t[D3DTSS_BORDERCOLOR]) | (static_cast<uint64_t>(t[D3DTSS_MIPMAPLODBIAS]) << 32);
  auto key = std::make_pair(lo, hi);
  auto it = samplerCache_.find(key);
  if (it != samplerCache_.end()) return it->second;
  GLuint s = 0;
  glGenSamplers(1, &s);
  glSamplerParameteri(s, GL_TEXTURE_WRAP_S, static_cast<GLint>(GlAddressMode(t[D3DTSS_ADDRESSU], mirrorOnce_)));
  glSamplerParameteri(s, GL_TEXTURE_WRAP_T, static_cast<GLint>(GlAddressMode(t[D3DTSS_ADDRESSV], mirrorOnce_)));
  glSamplerParameteri(s, GL_TEXTURE_WRAP_R, static_cast<GLint>(GlAddressMode(t[D3DTSS_ADDRESSW], mirrorOnce_)));
  glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GlMagFilter(t[D3DTSS_MAGFILTER])));
  glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER,
                      static_cast<GLint>(GlMinFilter(t[D3DTSS_MINFILTER], t[D3DTSS_MIPFILTER])));
  float border[4];
  ColorToFloats(t[D3DTSS_BORDERCOLOR], border);
  glSamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, border);
  glSamplerParameterf(s, GL_TEXTURE_LOD_BIAS, FloatBits(t[D3DTSS_MIPMAPLODBIAS]));
  // D3DTSS_MAXMIPLEVEL names the largest level that may be used.
  glSamplerParameterf(s, GL_TEXTURE_MIN_LOD, static_cast<float>(t[D3DTSS_MAXMIPLEVEL]));
  samplerCache_.emplace(key, s);
  return s;
}

void Device::BindTextures() {
  for (int s = 0; s < key_.stageCount; ++s) {
    if (!key_.stages[s].sampled) continue;
    BaseTexture* tex = state_.textures[s];
    if (!tex) continue;
    if (tex->HasChangedImages()) FlushDraws();
    GLuint name = tex->BindableTexture();
    if (boundTexture_[s] != name) {
      FlushDraws();
      glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(s));
      glBindTexture(tex->glTarget(), name);
      boundTexture_[s] = name;
    }
    if (samplerDirty_ & (1u << s)) {
      GLuint sampler = SamplerFor(static_cast<DWORD>(s));
      if (boundSampler_[s] != sampler) {
        FlushDraws();
        glBindSampler(static_cast<GLuint>(s), sampler);
        boundSampler_[s] = sampler;
      }
      samplerDirty_ &= static_cast<uint8_t>(~(1u << s));
    }
  }
  dirty_ &= ~kDirtyTextures;
}

void Device::UpdateDerivedTransforms() {
  if (derivedVersion_ == groupVersion_[kGroupTransform]) return;
  derivedVersion_ = groupVersion_[kGroupTransform];
  // Every viewport change, and a reset, moves the viewport group on.
  if (viewProjSeen_ != viewProjVersion_ || viewProjViewportSeen_ != groupVersion_[kGroupViewport]) {
    viewProjSeen_ = viewProjVersion_;
    viewProjViewportSeen_ = groupVersion_[kGroupViewport];
    viewProjClip_ = Multiply(Multiply(state_.transforms[kViewSlot], state_.transforms[kProjectionSlot]),
                             ClipConversion(state_.viewport));
  }
  const D3DMATRIX& world = state_.transforms[kWorldSlot];
  wv_ = Multiply(world, state_.transforms[kViewSlot]);
  wvp_ = Multiply(world, viewProjClip_);
  // Normals transform by the inverse transpose of the world-view matrix.
  const float a = wv_._11, b = wv_._12, c = wv_._13;
  const float d = wv_._21, e = wv_._22, f = wv_._23;
  const float g = wv_._31, h = wv_._32, i = wv_._33;
  const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  const float det = a * A + b * B + c * C;
  if (det == 0.0f) {
    std::memset(normalMatrix_, 0, sizeof normalMatrix_);
    return;
  }
  const float inv = 1.0f / det;
  // (M^-1)^T is the cofactor matrix divided by the determinant.
  const float cof[9] = {A, B, C, -(b * i - c * h), a * i - c * g, -(a * h - b * g), b * f - c * e, -(a * f - c * d), a * e - b * d};
  for (int k = 0; k < 9; ++k) normalMatrix_[k] = cof[k] * inv;
}

void Device::UploadTransforms(FfpProgram* p) {
  p->seen[kGroupTransform] = groupVersion_[kGroupTransform];
  UpdateDerivedTransforms();
  float xf[11][4];
  DerivedTransformRows(xf);
  glUniform4fv(p->location[kUTransforms], p->transformRows, &xf[0][0]);
}

void Device::DerivedTransformRows(float (*xf)[4]) const {
  std::memcpy(xf[0], &wvp_.m[0][0], sizeof wvp_.m);
  std::memcpy(xf[4], &wv_.m[0][0], sizeof wv_.m);
  for (int column = 0; column < 3; ++column) {
    std::memcpy(xf[8 + column], normalMatrix_ + 3 * column, 3 * sizeof(float));
    xf[8 + column][3] = 0.0f;
  }
}

void Device::UploadUniforms(FfpProgram* p, bool forWaitingDraws) {
  const GLint* loc = p->location;
  auto due = [&](UniformGroup g) {
    if (!(p->groups & (1u << g)) || p->seen[g] == groupVersion_[g]) return false;
    p->seen[g] = groupVersion_[g];
    if (!forWaitingDraws) FlushDraws();
    return true;
  };
  const DWORD* rs = state_.renderStates;

  // The transforms of a draw that may join the waiting ones are held; they
  // go to the batch or, once it is sent, to the uniforms.
  if ((p->groups & (1u << kGroupTransform)) && p->seen[kGroupTransform] != groupVersion_[kGroupTransform]) {
    if (batch_.count)
      transformsHeld_ = true;
    else
      UploadTransforms(p);
  }
  if (due(kGroupViewport)) {
    const D3DVIEWPORT8& v = state_.viewport;
    glUniform4f(loc[kUViewportRHW], static_cast<float>(v.X), static_cast<float>(v.Y), static_cast<float>(v.Width),
                static_cast<float>(v.Height));
    glUniform2f(loc[kUDepthRHW], v.MinZ, v.MaxZ);
    if (loc[kUClipFix] >= 0)
      glUniform4f(loc[kUClipFix], 1.0f / static_cast<float>(v.Width), 1.0f / static_cast<float>(v.Height), 0.0f, 0.0f);
  }
  if (due(kGroupLights)) {
    float ambient[4];
    ColorToFloats(rs[D3DRS_AMBIENT], ambient);
    glUniform4fv(loc[kUGlobalAmbient], 1, ambient);
    float diffuse[kMaxActiveLights][4] = {}, specular[kMaxActiveLights][4] = {}, amb[kMaxActiveLights][4] = {};
    float pos[kMaxActiveLights][3] = {}, dir[kMaxActiveLights][3] = {};
    float att[kMaxActiveLights][4] = {}, spot[kMaxActiveLights][4] = {};
    const D3DMATRIX& view = state_.transforms[kViewSlot];
    int n = 0;
    for (const auto& [index, slot] : state_.lights) {
      if (!slot.enabled) continue;
      if (n == kMaxActiveLights) break;
      const D3DLIGHT8& l = slot.light;
      std::memcpy(diffuse[n], &l.Diffuse, 16);
      std::memcpy(specular[n], &l.Specular, 16);
      std::memcpy(amb[n], &l.Ambient, 16);
      D3DVECTOR p = TransformPoint(l.Position, view);
      D3DVECTOR d = TransformDirection(l.Direction, view);
      float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
      if (len > 0.0f) d = {d.x / len, d.y / len, d.z / len};
      pos[n][0] = p.x, pos[n][1] = p.y, pos[n][2] = p.z;
      dir[n][0] = d.x, dir[n][1] = d.y, dir[n][2] = d.z;
      att[n][0] = l.Attenuation0, att[n][1] = l.Attenuation1, att[n][2] = l.Attenuation2, att[n][3] = l.Range;
      spot[n][0] = std::cos(l.Theta * 0.5f), spot[n][1] = std::cos(l.Phi * 0.5f), spot[n][2] = l.Falloff;
      ++n;
    }
    if (loc[kULightDiffuse] >= 0) glUniform4fv(loc[kULightDiffuse], kMaxActiveLights, &diffuse[0][0]);
    if (loc[kULightSpecular] >= 0) glUniform4fv(loc[kULightSpecular], kMaxActiveLights, &specular[0][0]);
    if (loc[kULightAmbient] >= 0) glUniform4fv(loc[kULightAmbient], kMaxActiveLights, &amb[0][0]);
    if (loc[kULightPos] >= 0) glUniform3fv(loc[kULightPos], kMaxActiveLights, &pos[0][0]);
    if (loc[kULightDir] >= 0) glUniform3fv(loc[kULightDir], kMaxActiveLights, &dir[0][0]);
    if (loc[kULightAtt] >= 0) glUniform4fv(loc[kULightAtt], kMaxActiveLights, &att[0][0]);
    if (loc[kULightSpot] >= 0) glUniform4fv(loc[kULightSpot], kMaxActiveLights, &spot[0][0]);
  }
  if (due(kGroupMaterial)) {
    const D3DMATERIAL8& m = state_.material;
    glUniform4fv(loc[kUMatDiffuse], 1, &m.Diffuse.r);
    glUniform4fv(loc[kUMatAmbient], 1, &m.Ambient.r);
    glUniform4fv(loc[kUMatSpecular], 1, &m.Specular.r);
    glUniform4fv(loc[kUMatEmissive], 1, &m.Emissive.r);
    glUniform1f(loc[kUMatPower], m.Power);
  }
  if (due(kGroupFog)) {
    glUniform4f(loc[kUFogParams], FloatBits(rs[D3DRS_FOGSTART]), FloatBits(rs[D3DRS_FOGEND]),
                FloatBits(rs[D3DRS_FOGDENSITY]), 0.0f);
    float color[4];
    ColorToFloats(rs[D3DRS_FOGCOLOR], color);
    glUniform3fv(loc[kUFogColor], 1, color);
  }
  if (due(kGroupTexMatrix))
    glUniformMatrix4fv(loc[kUTexMat], kStageCount, GL_FALSE, &state_.transforms[kTextureSlot0].m[0][0]);
  if (due(kGroupPixel)) {
    float tf[4];
    ColorToFloats(rs[D3DRS_TEXTUREFACTOR], tf);
    glUniform4fv(loc[kUTFactor], 1, tf);
    float bump[kStageCount][4], lum[kStageCount][2];
    for (int s = 0; s < kStageCount; ++s) {
      const DWORD* t = state_.stageStates[s];
      bump[s][0] = FloatBits(t[D3DTSS_BUMPENVMAT00]);
      bump[s][1] = FloatBits(t[D3DTSS_BUMPENVMAT01]);
      bump[s][2] = FloatBits(t[D3DTSS_BUMPENVMAT10]);
      bump[s][3] = FloatBits(t[D3DTSS_BUMPENVMAT11]);
      lum[s][0] = FloatBits(t[D3DTSS_BUMPENVLSCALE]);
      lum[s][1] = FloatBits(t[D3DTSS_BUMPENVLOFFSET]);
    }
    if (loc[kUBumpMat] >= 0) glUniform4fv(loc[kUBumpMat], kStageCount, &bump[0][0]);
    if (loc[kUBumpLum] >= 0) glUniform2fv(loc[kUBumpLum], kStageCount, &lum[0][0]);
    glUniform1f(loc[kUAlphaRef], static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF));
  }
  if (due(kGroupVsConst)) glUniform4fv(loc[kUVsConst], 96, &state_.vsConstants[0][0]);
  if (due(kGroupPsConst)) glUniform4fv(loc[kUPsConst], 8, &state_.psConstants[0][0]);
  if (due(kGroupPoint)) {
    glUniform4f(loc[kUPointParams], FloatBits(rs[D3DRS_POINTSIZE]), FloatBits(rs[D3DRS_POINTSIZE_MIN]),
                FloatBits(rs[D3DRS_POINTSIZE_MAX]), 0.0f);
    glUniform4f(loc[kUPointScale], FloatBits(rs[D3DRS_POINTSCALE_A]), FloatBits(rs[D3DRS_POINTSCALE_B]),
                FloatBits(rs[D3DRS_POINTSCALE_C]), static_cast<float>(state_.viewport.Height));
  }
}

void Device::SetVertexLayout(GLuint buffer, UINT stride, DWORD fvf, size_t offset) {
  if (layoutValid_ && layout_.buffer == buffer && layout_.stride == stride && layout_.fvf == fvf &&
      layout_.offset == offset)
    return;
  FlushDraws();
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  const GLsizei s = static_cast<GLsizei>(stride);
  size_t at = offset;
  auto pointer = [&](GLuint index, GLint size, GLenum type, GLboolean normalized) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, type, normalized, s, reinterpret_cast<const void*>(at));
  };
  bool used[16] = {};
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  if (position == D3DFVF_XYZRHW) {
    pointer(0, 4, GL_FLOAT, GL_FALSE);
    at += 16;
  } else {
    pointer(0, 3, GL_FLOAT, GL_FALSE);
    at += 12;
    if (position >= D3DFVF_XYZB1) at += 4 * ((position - D3DFVF_XYZRHW) / 2);  // blend weights are skipped
  }
  used[0] = true;
  if (fvf & D3DFVF_NORMAL) {
    pointer(2, 3, GL_FLOAT, GL_FALSE);
    used[2] = true;
    at += 12;
  }
  if (fvf & D3DFVF_PSIZE) {
    pointer(3, 1, GL_FLOAT, GL_FALSE);
    used[3] = true;
    at += 4;
  }
  // Colours are bytes B, G, R, A in memory.
  if (fvf & D3DFVF_DIFFUSE) {
    pointer(4, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    used[4] = true;
    at += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    pointer(5, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    used[5] = true;
    at += 4;
  }
  const int sets = std::min(8, static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT));
  for (int i = 0; i < sets; ++i) {
    const int n = FvfTexCoordSize(fvf, i);
    pointer(static_cast<GLuint>(6 + i), n, GL_FLOAT, GL_FALSE);
    used[6 + i] = true;
    at += 4 * static_cast<size_t>(n);
  }
  for (GLuint i = 0; i < 16; ++i)
    if (!used[i]) glDisableVertexAttribArray(i);
  layout_ = {buffer, stride, fvf, offset};
  layoutValid_ = true;
}

bool Device::PrepareDraw(DWORD fvf, D3DPRIMITIVETYPE type, bool mergeable) {
  // Inside a scene the context BeginScene made current is trusted to stay;
  // a draw outside one may follow anything (a window destroyed, another
  // library's context) and looks again.
  if (inScene_)
    MakeCurrentForDraw();
  else
    MakeCurrent();
  if (!mergeable) FlushDraws();
  if (dirty_ & (kDirtyFramebuffer | kDirtyViewport | kDirtyRaster)) FlushDraws();
  if (dirty_ & kDirtyFramebuffer) BindFramebuffer();
  if (dirty_ & kDirtyViewport) ApplyViewport();
  if (dirty_ & kDirtyRaster) ApplyRasterState();
  const bool points = type == D3DPT_POINTLIST;
  if ((state_.vertexShader & 1u) || state_.pixelShader) {
    if (!SelectShaderProgram(fvf, points)) return false;
  } else if (!keyValid_ || (dirty_ & kDirtyKey) || stageKeyDifferences_ != 0 || fvf != keyFvf_ ||
             points != keyPoints_) {
    TextureKind bound[kStageCount];
    for (int s = 0; s < kStageCount; ++s) bound[s] = TextureKindOf(state_.textures[s]);
    FfpKey k;
    BuildFfpKey(state_, fvf, points, bound, &k);
    std::memcpy(keyStageStates_, state_.stageStates, sizeof keyStageStates_);
    std::memcpy(keyTextureKinds_, bound, sizeof keyTextureKinds_);
    stageKeyDifferences_ = 0;
    if (!keyValid_ || !(k == key_)) {
      FlushDraws();
      key_ = k;
      program_ = programs_.Get(k);
      // A stage that starts sampling needs its sampler.
      samplerDirty_ = 0xFF;
    }
    keyValid_ = true;
    keyFvf_ = fvf;
    keyPoints_ = points;
    shaderKeyValid_ = false;
    dirty_ &= ~(kDirtyKey | kDirtyStageKey);
  } else {
    // The stages went back to what the key was built from.
    dirty_ &= ~kDirtyStageKey;
  }
  if (!program_) return false;
  if (currentProgram_ != program_->program) {
    FlushDraws();
    glUseProgram(program_->program);
    currentProgram_ = program_->program;
  }
  UploadUniforms(program_);
  BindTextures();
  return true;
}

// ---------------------------------------------------------------------------
// Draw calls
// ---------------------------------------------------------------------------

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  if (!ValidPrimitive(type)) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  if (const VertexShaderObject* vs = CurrentVertexShader()) {
    const UINT count = VertexCountOf(type, primitiveCount);
    if (!StreamsHold(*vs, static_cast<uint64_t>(startVertex) + count, false)) return D3DERR_INVALIDCALL;
    if (!PrepareDraw(0, type)) return D3DERR_DRIVERINTERNALERROR;
    SetDeclarationLayout(*vs, 0, 0);
    glDrawArrays(GlPrimitive(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(count));
    ++glDraws_;
    return D3D_OK;
  }
  VertexBuffer* vb = state_.streams[0];
  const UINT stride = state_.strides[0];
  const DWORD fvf = state_.vertexShader;
  const UINT fvfStride = StrideOf(fvf);
  if (!vb || stride == 0 || fvfStride == 0 || fvfStride > stride) return D3DERR_INVALIDCALL;
  const UINT count = VertexCountOf(type, primitiveCount);
  if ((static_cast<uint64_t>(startVertex) + count) * stride > vb->storage().size() + (stride - fvfStride))
    return D3DERR_INVALIDCALL;
  if (!PrepareDraw(fvf, type)) return D3DERR_DRIVERINTERNALERROR;
  SetVertexLayout(vb->storage().glBuffer(), stride, fvf, 0);
  glDrawArrays(GlPrimitive(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(count));
  ++glDraws_;
  return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                     UINT primitiveCount) {
  if (!ValidPrimitive(type)) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  IndexBuffer* ib = state_.indices;
  const VertexShaderObject* vs = CurrentVertexShader();
  VertexBuffer* vb = state_.streams[0];
  const UINT stride = state_.strides[0];
  const DWORD fvf = state_.vertexShader;
  const UINT fvfStride = vs ? 0 : StrideOf(fvf);
  if (!ib || (!vs && (!vb || stride == 0 || fvfStride == 0 || fvfStride > stride))) return D3DERR_INVALIDCALL;
  const UINT count = VertexCountOf(type, primitiveCount);
  const UINT indexSize = ib->indexSize();
  if ((static_cast<uint64_t>(startIndex) + count) * indexSize > ib->storage().size()) return D3DERR_INVALIDCALL;
  const uint64_t lastVertex = static_cast<uint64_t>(state_.baseVertexIndex) + minIndex + numVertices;
  if (numVertices == 0) return D3DERR_INVALIDCALL;
  if (vs ? !StreamsHold(*vs, lastVertex, false) : lastVertex * stride > vb->storage().size() + (stride - fvfStride))
    return D3DERR_INVALIDCALL;
  // Fixed-function draws of transformed vertices inside a scene may be
  // merged with the ones before them, when their meshes are small: an
  // instance reads its transforms from the block at every vertex, which
  // costs more than the draw call it saves once a mesh has more than a few
  // dozen vertices.
  const bool mergeable = mergeDraws_ && inScene_ && numVertices <= kMergedDrawVertexLimit && !vs &&
                         !state_.pixelShader && type != D3DPT_POINTLIST &&
                         (fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZRHW;
  if (!PrepareDraw(fvf, type, mergeable)) return D3DERR_DRIVERINTERNALERROR;
  if (vs)
    SetDeclarationLayout(*vs, 0, 0);
  else
    SetVertexLayout(vb->storage().glBuffer(), stride, fvf, 0);
  if (boundElementBuffer_ != ib->storage().glBuffer()) {
    FlushDraws();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib->storage().glBuffer());
    boundElementBuffer_ = ib->storage().glBuffer();
  }
  IndexedDraw draw;
  draw.mode = GlPrimitive(type);
  draw.first = minIndex;
  draw.last = minIndex + numVertices - 1;
  draw.indices = static_cast<GLsizei>(count);
  draw.indexType = indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  draw.offset = static_cast<uintptr_t>(startIndex) * indexSize;
  draw.baseVertex = static_cast<GLint>(state_.baseVertexIndex);
  if (mergeable) {
    HoldDraw(draw);
    return D3D_OK;
  }
  DrawRange(draw);
  return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* pVertexStreamZeroData,
                                UINT vertexStreamZeroStride) {
  if (!ValidPrimitive(type) || !pVertexStreamZeroData || vertexStreamZeroStride == 0) return D3DERR_INVALIDCALL;
  const DWORD fvf = state_.vertexShader;
  const VertexShaderObject* vs = CurrentVertexShader();
  if (!MemoryVerticesFit(vs, fvf, vertexStreamZeroStride)) return D3DERR_INVALIDCALL;
  // Drawing from user memory leaves stream 0 unset.
  BindRef<VertexBuffer>(state_.streams[0], nullptr);
  state_.strides[0] = 0;
  if (primitiveCount == 0) return D3D_OK;
  const UINT count = VertexCountOf(type, primitiveCount);
  if (!PrepareDraw(fvf, type)) return D3DERR_DRIVERINTERNALERROR;
  glBindBuffer(GL_ARRAY_BUFFER, upVertexBuffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count) * vertexStreamZeroStride, pVertexStreamZeroData,
               GL_STREAM_DRAW);
  if (vs)
    SetDeclarationLayout(*vs, upVertexBuffer_, vertexStreamZeroStride);
  else
    SetVertexLayout(upVertexBuffer_, vertexStreamZeroStride, fvf, 0);
  glDrawArrays(GlPrimitive(type), 0, static_cast<GLsizei>(count));
  ++glDraws_;
  return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertexIndices,
                                       UINT primitiveCount, const void* pIndexData, D3DFORMAT indexDataFormat,
                                       const void* pVertexStreamZeroData, UINT vertexStreamZeroStride) {
  if (!ValidPrimitive(type) || !pIndexData || !pVertexStreamZeroData || vertexStreamZeroStride == 0)
    return D3DERR_INVALIDCALL;
  if (indexDataFormat != D3DFMT_INDEX16 && indexDataFormat != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  const DWORD fvf = state_.vertexShader;
  const VertexShaderObject* vs = CurrentVertexShader();
  if (!MemoryVerticesFit(vs, fvf, vertexStreamZeroStride)) return D3DERR_INVALIDCALL;
  // Drawing from user memory leaves stream 0 and the indices unset.
  BindRef<VertexBuffer>(state_.streams[0], nullptr);
  state_.strides[0] = 0;
  BindRef<IndexBuffer>(state_.indices, nullptr);
  state_.baseVertexIndex = 0;
  if (primitiveCount == 0) return D3D_OK;
  if (numVertexIndices == 0) return D3DERR_INVALIDCALL;
  const UINT count = VertexCountOf(type, primitiveCount);
  const UINT indexSize = indexDataFormat == D3DFMT_INDEX32 ? 4 : 2;
  if (!PrepareDraw(fvf, type)) return D3DERR_DRIVERINTERNALERROR;
  const size_t vertexBytes = (static_cast<size_t>(minVertexIndex) + numVertexIndices) * vertexStreamZeroStride;
  glBindBuffer(GL_ARRAY_BUFFER, upVertexBuffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBytes), pVertexStreamZeroData, GL_STREAM_DRAW);
  if (vs)
    SetDeclarationLayout(*vs, upVertexBuffer_, vertexStreamZeroStride);
  else
    SetVertexLayout(upVertexBuffer_, vertexStreamZeroStride, fvf, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, upIndexBuffer_);
  boundElementBuffer_ = upIndexBuffer_;
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count) * indexSize, pIndexData, GL_STREAM_DRAW);
  glDrawRangeElements(GlPrimitive(type), minVertexIndex, minVertexIndex + numVertexIndices - 1,
                      static_cast<GLsizei>(count), indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
  ++glDraws_;
  return D3D_OK;
}

}  // namespace d3d8
