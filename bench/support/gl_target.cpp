#include "gl_target.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "gl_objects.h"

namespace bench {

bool GlTarget::Create(int width, int height, bool depthStencil) {
  width_ = width;
  height_ = height;
  color_ = SingleLevelTexture(width, height, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, nullptr, GL_NEAREST);
  if (depthStencil) {
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  }
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_, 0);
  if (depth_) glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
  glViewport(0, 0, width, height);
  pixels_.resize(static_cast<size_t>(width) * height * 4);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void GlTarget::Bind() const { glBindFramebuffer(GL_FRAMEBUFFER, fbo_); }

void GlTarget::ReadBack() { glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, pixels_.data()); }

void GlTarget::Destroy() {
  if (color_) glDeleteTextures(1, &color_);
  if (depth_) glDeleteRenderbuffers(1, &depth_);
  if (fbo_) glDeleteFramebuffers(1, &fbo_);
  fbo_ = color_ = depth_ = 0;
}

}  // namespace bench
