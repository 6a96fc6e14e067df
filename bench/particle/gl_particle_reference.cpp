#include "gl_particle_reference.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glcorearb.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace bench {
namespace {

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aUv;
out vec4 vColor;
void main() {
  gl_Position = vec4(aPos, 1.0);
  vColor = aColor;
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec4 vColor;
out vec4 oColor;
void main() { oColor = vec4(vColor.rgb, 1.0); }
)";

unsigned Compile(GLenum type, const char* src) {
  GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &src, nullptr);
  glCompileShader(s);
  return s;
}

constexpr float kCorners[4][2] = {{1, -1}, {-1, -1}, {-1, 1}, {1, 1}};
constexpr float kCornerUV[4][2] = {{1, 1}, {0, 1}, {0, 0}, {1, 0}};

}  // namespace

bool GlParticleRenderer::Init(const std::vector<float>& emitter, int targetSize) {
  target_ = targetSize;
  const size_t n = emitter.size() / 3;
  particles_.assign(n, ReferenceParticle{});
  for (size_t i = 0; i < n; ++i) {
    ReferenceParticle& p = particles_[i];
    const float* e = &emitter[3 * i];
    const float length = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
    for (int k = 0; k < 3; ++k) {
      p.origin[k] = p.position[k] = e[k];
      p.velocity[k] = length > 0 ? e[k] / length * kVelocity : 0.0f;
    }
    // Ages spread over the life, as the channel's steady state has them.
    p.age = static_cast<float>(i % static_cast<size_t>(kLifeTime));
  }
  vertices_.assign(n * 4 * 8, 0.0f);

  auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  EGLDisplay dpy = EGL_NO_DISPLAY;
  if (getPlatformDisplay) dpy = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, nullptr, nullptr)) {
    dpy = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, nullptr, nullptr)) return false;
  }
  eglBindAPI(EGL_OPENGL_API);
  const EGLint cfgAttribs[] = {EGL_SURFACE_TYPE, EGL_DONT_CARE, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
  EGLConfig cfg;
  EGLint count = 0;
  if (!eglChooseConfig(dpy, cfgAttribs, &cfg, 1, &count) || count == 0) return false;
  const EGLint ctxAttribs[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                               EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  EGLContext ctx = eglCreateContext(dpy, cfg, EGL_NO_CONTEXT, ctxAttribs);
  if (ctx == EGL_NO_CONTEXT || !eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx)) return false;
  display_ = dpy;
  context_ = ctx;

  program_ = glCreateProgram();
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader), fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
  glAttachShader(program_, vs);
  glAttachShader(program_, fs);
  glLinkProgram(program_);
  glDeleteShader(vs);
  glDeleteShader(fs);
  glUseProgram(program_);

  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices_.size() * 4), nullptr, GL_STREAM_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 32, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 32, reinterpret_cast<void*>(12));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(16));

  std::vector<uint16_t> indices(n * 6);
  for (size_t k = 0; k < n; ++k) {
    const auto b = static_cast<uint16_t>(4 * k);
    const uint16_t quad[6] = {b, static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 2),
                              b, static_cast<uint16_t>(b + 2), static_cast<uint16_t>(b + 3)};
    std::copy(quad, quad + 6, &indices[6 * k]);
  }
  glGenBuffers(1, &ibo_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 2), indices.data(), GL_STATIC_DRAW);

  glGenTextures(1, &color_);
  glBindTexture(GL_TEXTURE_2D, color_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, target_, target_, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_, 0);
  glViewport(0, 0, target_, target_);
  readback_.resize(static_cast<size_t>(target_) * target_ * 4);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void GlParticleRenderer::Shutdown() {
  if (!context_) return;
  EGLDisplay dpy = static_cast<EGLDisplay>(display_);
  eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, static_cast<EGLContext>(context_));
  glDeleteTextures(1, &color_);
  glDeleteFramebuffers(1, &fbo_);
  glDeleteBuffers(1, &vbo_);
  glDeleteBuffers(1, &ibo_);
  glDeleteVertexArrays(1, &vao_);
  glDeleteProgram(program_);
  eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(dpy, static_cast<EGLContext>(context_));
  context_ = nullptr;
}

void GlParticleRenderer::Frame(float dt) {
  const float acceleration = kGravity * -0.02f;
  size_t live = 0;
  for (ReferenceParticle& p : particles_) {
    p.age += dt;
    if (p.age >= kLifeTime) {
      p.age = 0;
      std::memcpy(p.position, p.origin, sizeof p.position);
    }
    const float t = p.age;
    for (int k = 0; k < 3; ++k) p.position[k] = p.origin[k] + p.velocity[k] * t;
    p.position[1] += acceleration * t * t;
    const float f = std::min(t / kLifeTime, 1.0f);
    const auto channel = [f](float start, float end) {
      return static_cast<uint32_t>(std::clamp((f * end + (1 - f) * start) * 255.0f, 0.0f, 255.0f));
    };
    const uint32_t colour = channel(0, 0) << 16 | channel(0.4f, 0) << 8 | channel(1, 0);
    float* v = &vertices_[live * 32];
    for (int c = 0; c < 4; ++c, v += 8) {
      v[0] = kCorners[c][0] * kSize + p.position[0];
      v[1] = kCorners[c][1] * kSize + p.position[1];
      v[2] = p.position[2];
      std::memcpy(&v[3], &colour, 4);
      v[4] = v[6] = kCornerUV[c][0];
      v[5] = v[7] = kCornerUV[c][1];
    }
    ++live;
  }
  EGLDisplay dpy = static_cast<EGLDisplay>(display_);
  if (eglGetCurrentContext() != static_cast<EGLContext>(context_))
    eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, static_cast<EGLContext>(context_));
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  // A fresh store each frame, as a discarding lock gives.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices_.size() * 4), nullptr, GL_STREAM_DRAW);
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(live * 32 * 4), vertices_.data());
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(live * 6), GL_UNSIGNED_SHORT, nullptr);
  glReadPixels(0, 0, target_, target_, GL_BGRA, GL_UNSIGNED_BYTE, readback_.data());
}

}  // namespace bench
