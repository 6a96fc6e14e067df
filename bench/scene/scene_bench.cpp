// The engine against a plain OpenGL 3.3 program drawing the same thing, in
// one run: (a) the "scene" demo loaded from its group file, its channels
// evaluated every frame; (b) 2,000 boxes, each its own 3D object with its
// own matrix. Measurements alternate between the two programs (this
// machine's speed drifts); the per-frame medians and 10th percentiles give
// the ratios and the engine's and layer's own cost per box above the OpenGL
// driver's.
//   scene_bench [rounds] [seconds per measurement] [scene | boxes | boxes32k]
// (the last picks one workload, for profiling; boxes32k is the box field
// at 16 times the boxes, seen from four times as high), or
//   scene_bench frames N
// which draws N frames of the boxes with each program, untimed, for
// counting instructions (valgrind --tool=callgrind with --toggle-collect=
// on CountEngineFrames and CountPlainFrames, after a warm frame each).
#include "engine_scene.h"
#include "gl_scene.h"
#include "paired_workloads.h"
#include "process_memory.h"
#include "workloads.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// The untimed frames counted by instruction-counting tools.
__attribute__((noinline)) void CountEngineFrames(scenebench::EngineScene* engine, int frames) {
  for (int i = 0; i < frames; ++i) engine->BoxesFrame();
}
__attribute__((noinline)) void CountPlainFrames(scenebench::GlScene* gl, int frames) {
  for (int i = 0; i < frames; ++i) gl->BoxesFrame();
}

int main(int argc, char** argv) {
  const bool counting = argc > 2 && std::string(argv[1]) == "frames";
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const double seconds = argc > 2 ? std::max(0.1, std::atof(argv[2])) : 1.5;
  const std::string only = argc > 3 ? argv[3] : "";
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  // "boxes32k": the box field alone, 16 times as many boxes.
  const bool manyBoxes = only == "boxes32k";
  if (manyBoxes) scenebench::SetBoxFieldScale(4);
  const std::string boxesName = manyBoxes ? "32,000 boxes" : "2,000 boxes";
  scenebench::KeepFreedMemory();

  scenebench::EngineScene engine;
  if (!engine.Init()) {
    std::fprintf(stderr, "scene_bench: the engine could not load the scene demo or make the boxes\n");
    return 1;
  }
  engine.DemoFrame();
  scenebench::GlScene gl;
  if (!gl.Init(engine.Projection(), engine.Device())) {
    std::fprintf(stderr, "scene_bench: no OpenGL 3.3 context\n");
    return 1;
  }

  if (counting) {
    // Both warm first: programs compiled, buffers made.
    const int frames = std::max(1, std::atoi(argv[2]));
    engine.BoxesFrame();
    gl.BoxesFrame();
    CountEngineFrames(&engine, frames);
    CountPlainFrames(&gl, frames);
    std::printf("%d frames of the boxes drawn by each program\n", frames);
    gl.Shutdown();
    engine.Shutdown();
    return 0;
  }
  std::printf("triangles the engine draws a frame: scene demo %.0f, boxes %.0f\n",
              engine.TrianglesPerFrame(scenebench::Work::kDemo), engine.TrianglesPerFrame(scenebench::Work::kBoxes));
  const auto t0 = std::chrono::steady_clock::now();
  auto now = [&] {
    return static_cast<float>(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  };
  std::vector<scenebench::PairedWorkload> work;
  if (only.empty() || only == "scene")
    work.push_back({"scene demo", [&] { engine.DemoFrame(); }, [&] { gl.DemoFrame(now()); }, 0, {}});
  if (only.empty() || only == "boxes" || manyBoxes)
    work.push_back(
        {boxesName, [&] { engine.BoxesFrame(); }, [&] { gl.BoxesFrame(); }, scenebench::BoxCount(), {}});
  scenebench::RunPaired(&work, rounds, seconds);

  if (only.empty() || only == "scene") {
    // What the last frame of each drew beside the meshes counted above.
    const scenebench::GlScene::DemoWork& w = gl.LastDemoWork();
    std::printf("scene demo, engine: %d live particles, %d caption characters\n", engine.LiveParticles(),
                engine.CaptionCharacters());
    std::printf("scene demo, plain OpenGL: meshes %d triangles in %d draws; fountain %d particles, %d triangles, "
                "%zu bytes streamed, 1 draw; caption %d characters, %d triangles, %zu bytes streamed, %d draw(s)\n",
                w.meshTriangles, w.meshDraws, w.particles, 2 * w.particles, w.particleBytes, w.characters,
                2 * w.characters, w.captionBytes, w.captionDraws);
  }
  char size[32];
  std::snprintf(size, sizeof size, "%dx%d", scenebench::kSize, scenebench::kSize);
  scenebench::PrintPaired(work, size);
  gl.Shutdown();
  engine.Shutdown();
  return 0;
}
