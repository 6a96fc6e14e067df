// The engine against a plain OpenGL 3.3 program on a frame bound by the
// work per pixel: 50 textured, lit and fogged spheres of 1,000 triangles at
// 640 by 480, each its own 3D object. Measurements alternate between the
// two programs; the per-frame medians and 10th percentiles give the ratio.
//   spheres_bench [rounds] [seconds per measurement]
// or
//   spheres_bench frames N
// which draws N frames with each program, untimed, for counting
// instructions (valgrind --tool=callgrind with --toggle-collect= on
// CountEngineSphereFrames and CountPlainSphereFrames, after a warm frame
// each).
#include "engine_scene.h"
#include "gl_scene.h"
#include "paired_workloads.h"
#include "process_memory.h"
#include "workloads.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// The untimed frames counted by instruction-counting tools.
__attribute__((noinline)) void CountEngineSphereFrames(scenebench::EngineScene* engine, int frames) {
  for (int i = 0; i < frames; ++i) engine->SpheresFrame();
}
__attribute__((noinline)) void CountPlainSphereFrames(scenebench::GlScene* gl, int frames) {
  for (int i = 0; i < frames; ++i) gl->SpheresFrame();
}

int main(int argc, char** argv) {
  const bool counting = argc > 2 && std::string(argv[1]) == "frames";
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const double seconds = argc > 2 ? std::max(0.1, std::atof(argv[2])) : 1.5;
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  scenebench::KeepFreedMemory();

  scenebench::EngineScene engine;
  if (!engine.Init(true)) {
    std::fprintf(stderr, "spheres_bench: the engine could not make the spheres\n");
    return 1;
  }
  engine.SpheresFrame();
  scenebench::GlScene gl;
  if (!gl.Init(engine.Projection(), engine.Device(), scenebench::kSphereWidth, scenebench::kSphereHeight)) {
    std::fprintf(stderr, "spheres_bench: no OpenGL 3.3 context\n");
    return 1;
  }
  gl.SpheresFrame();
  if (counting) {
    const int frames = std::max(1, std::atoi(argv[2]));
    CountEngineSphereFrames(&engine, frames);
    CountPlainSphereFrames(&gl, frames);
    std::printf("%d frames of the spheres drawn by each program\n", frames);
    gl.Shutdown();
    engine.Shutdown();
    return 0;
  }
  std::printf("triangles a frame: engine %.0f, plain OpenGL %d\n", engine.TrianglesPerFrame(scenebench::Work::kSpheres),
              gl.FieldTriangles());
  std::vector<scenebench::PairedWorkload> work;
  work.push_back({"50 spheres", [&] { engine.SpheresFrame(); }, [&] { gl.SpheresFrame(); }, 0, {}});
  scenebench::RunPaired(&work, rounds, seconds);
  char size[32];
  std::snprintf(size, sizeof size, "%dx%d", scenebench::kSphereWidth, scenebench::kSphereHeight);
  scenebench::PrintPaired(work, size);
  gl.Shutdown();
  engine.Shutdown();
  return 0;
}
