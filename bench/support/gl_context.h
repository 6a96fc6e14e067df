// A headless OpenGL 3.3 core context (Mesa's surfaceless platform, or the
// default display) and shader programs for the plain-OpenGL sides of the
// benchmarks.
#pragma once

namespace bench {

struct GlContext {
  void* display = nullptr;
  void* context = nullptr;

  // Creates the context and makes it current; false when there is none.
  bool Create();
  // Makes it current again when another context took over.
  void MakeCurrent();
  void Destroy();
};

// A linked program of a vertex and a fragment shader, in use; compile
// errors are printed.
unsigned BuildProgram(const char* vertexSource, const char* fragmentSource);

}  // namespace bench
