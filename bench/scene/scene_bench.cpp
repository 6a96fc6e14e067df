// The engine against a plain OpenGL 3.3 program drawing the same thing, in
// one run: (a) the "scene" demo loaded from its group file, its channels
// evaluated every frame; (b) 2,000 boxes, each its own 3D object with its
// own matrix. Measurements alternate between the two programs (this
// machine's speed drifts); the medians give the ratios and the engine's and
// layer's own cost per box above the OpenGL driver's.
//   scene_bench [repetitions] [seconds per measurement] [scene | boxes]
// (the last picks one workload, for profiling).
#include "engine_scene.h"
#include "gl_scene.h"
#include "workloads.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The calling thread's processor time: the engine's and the driver's own
// work on this thread, without the rasteriser's threads and without the
// time other programs take the processor away (stabler than wall time on a
// busy machine).
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct FrameTime {
  double wall = 0, thread = 0;  // seconds per frame
};

// Seconds per frame of `frame` run for about `seconds`.
FrameTime Measure(const std::function<void()>& frame, double seconds) {
  frame();  // warm: programs compiled, buffers made
  int frames = 0;
  const auto start = Clock::now();
  const double threadStart = ThreadSeconds();
  double elapsed = 0;
  while (elapsed < seconds) {
    frame();
    ++frames;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  }
  return {elapsed / frames, (ThreadSeconds() - threadStart) / frames};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const double seconds = argc > 2 ? std::max(0.1, std::atof(argv[2])) : 1.5;
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  // The software rasteriser allocates and frees large blocks every frame;
  // with the allocator's defaults each goes back to the system and comes
  // back as fresh zeroed pages, a kernel cost that swings both programs'
  // times by a factor of three from one run to the next. Kept memory makes
  // the comparison about the programs.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);

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

  std::printf("triangles the engine draws a frame: scene demo %.0f, boxes %.0f\n", engine.TrianglesPerFrame(true),
              engine.TrianglesPerFrame(false));
  const auto t0 = Clock::now();
  auto now = [&] { return static_cast<float>(std::chrono::duration<double>(Clock::now() - t0).count()); };
  struct Pair {
    const char* name;
    std::function<void()> engineFrame, glFrame;
    std::vector<double> engineTimes, glTimes, engineThread, glThread;
  };
  Pair work[2] = {
      {"scene demo", [&] { engine.DemoFrame(); }, [&] { gl.DemoFrame(now()); }, {}, {}, {}, {}},
      {"2,000 boxes", [&] { engine.BoxesFrame(); }, [&] { gl.BoxesFrame(); }, {}, {}, {}, {}},
  };
  const std::string only = argc > 3 ? argv[3] : "";
  for (int r = 0; r < repetitions; ++r) {
    for (Pair& p : work) {
      if ((only == "scene" && &p != &work[0]) || (only == "boxes" && &p != &work[1])) continue;
      // Which program goes first alternates from one repetition to the next.
      FrameTime e, g;
      if (r % 2 == 0) {
        e = Measure(p.engineFrame, seconds);
        g = Measure(p.glFrame, seconds);
      } else {
        g = Measure(p.glFrame, seconds);
        e = Measure(p.engineFrame, seconds);
      }
      p.engineTimes.push_back(e.wall);
      p.glTimes.push_back(g.wall);
      p.engineThread.push_back(e.thread);
      p.glThread.push_back(g.thread);
      std::printf("repetition %d, %-11s engine %8.3f ms  plain OpenGL %8.3f ms\n", r + 1, p.name,
                  p.engineTimes.back() * 1e3, p.glTimes.back() * 1e3);
      std::fflush(stdout);
    }
  }
  if (!work[0].engineTimes.empty()) {
    // What the last frame of each drew beside the meshes counted above.
    const scenebench::GlScene::DemoWork& w = gl.LastDemoWork();
    std::printf("scene demo, engine: %d live particles, %d caption characters\n", engine.LiveParticles(),
                engine.CaptionCharacters());
    std::printf("scene demo, plain OpenGL: meshes %d triangles in %d draws; fountain %d particles, %d triangles, "
                "%zu bytes streamed, 1 draw; caption %d characters, %d triangles, %zu bytes streamed, %d draw(s)\n",
                w.meshTriangles, w.meshDraws, w.particles, 2 * w.particles, w.particleBytes, w.characters,
                2 * w.characters, w.captionBytes, w.captionDraws);
  }
  std::printf("\nmedians of %d repetitions at %dx%d:\n", repetitions, scenebench::kSize, scenebench::kSize);
  for (Pair& p : work) {
    if (p.engineTimes.empty()) continue;
    const double e = Median(p.engineTimes), g = Median(p.glTimes);
    std::printf("%-11s engine %8.3f ms (%6.1f fps)  plain OpenGL %8.3f ms (%6.1f fps)  frame rate ratio %.3f  "
                "frame time ratio %.3f\n",
                p.name, e * 1e3, 1 / e, g * 1e3, 1 / g, g / e, e / g);
  }
  if (!work[1].engineTimes.empty()) {
    const double perBox = (Median(work[1].engineTimes) - Median(work[1].glTimes)) / scenebench::kBoxCount;
    std::printf("engine and layer work per box above plain OpenGL: %.3f us\n", perBox * 1e6);
    const double perBoxThread =
        (Median(work[1].engineThread) - Median(work[1].glThread)) / scenebench::kBoxCount;
    std::printf("drawing thread's processor time per box above plain OpenGL: %.3f us (%.3f ms against %.3f ms a "
                "frame)\n",
                perBoxThread * 1e6, Median(work[1].engineThread) * 1e3, Median(work[1].glThread) * 1e3);
  }
  gl.Shutdown();
  engine.Shutdown();
  return 0;
}
