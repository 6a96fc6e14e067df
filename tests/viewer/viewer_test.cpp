// The viewer program end to end: started as a separate process on a copy of
// the installation, headless on SDL's offscreen driver (or under a real X
// server when one can be started), and stopped by SIGTERM.
#include <gtest/gtest.h>
#include <png.h>

#include "effects_layout.h"
#include "viewer_run.h"
#include "xvfb_server.h"

#include <cmath>
#include <map>

namespace fs = std::filesystem;

namespace {

// What a 56 x 56 box of a frame about a pane's centre holds.
struct PaneLook {
  double clearShare = 0;   // pixels of the clear colour
  double commonShare = 0;  // pixels of the most common colour
  int colours = 0;         // distinct colours
  double lumaSpread = 0;   // standard deviation of the luminance
};

constexpr int kHalfBox = 28;

PaneLook LookAt(const std::vector<uint8_t>& rgb, unsigned width, int cx, int cy, uint32_t clear) {
  std::map<uint32_t, int> counts;
  double sum = 0, squares = 0;
  for (int y = cy - kHalfBox; y < cy + kHalfBox; ++y)
    for (int x = cx - kHalfBox; x < cx + kHalfBox; ++x) {
      const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + static_cast<size_t>(x)) * 3];
      ++counts[static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2])];
      const double luma = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
      sum += luma;
      squares += luma * luma;
    }
  const double n = 4.0 * kHalfBox * kHalfBox;
  PaneLook look;
  look.colours = static_cast<int>(counts.size());
  for (const auto& [colour, count] : counts) {
    if (colour == (clear & 0xFFFFFF)) look.clearShare = count / n;
    look.commonShare = std::max(look.commonShare, count / n);
  }
  look.lumaSpread = std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
  return look;
}

int DifferingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, unsigned width, int cx, int cy) {
  int differing = 0;
  for (int y = cy - kHalfBox; y < cy + kHalfBox; ++y)
    for (int x = cx - kHalfBox; x < cx + kHalfBox; ++x) {
      const size_t i = (static_cast<size_t>(y) * width + static_cast<size_t>(x)) * 3;
      differing += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    }
  return differing;
}

}  // namespace

TEST_F(ViewerRun, PlaysTheEffectsProjectWithEveryEffectShowingAndTheWaterMoving) {
  // Each pane shows its effect: not the clear colour, not one flat colour
  // (the toon shading has only its ramp's few colours, all the others
  // shade); a frame played a second longer shows other water and another sea.
  namespace layout = demos::effects_layout;
  const auto panesShow = [](const std::vector<uint8_t>& rgb, unsigned width) {
    for (const layout::Pane& pane : layout::kPanes) {
      const PaneLook look = LookAt(rgb, width, static_cast<int>(layout::PixelX(pane.x)),
                                   static_cast<int>(layout::PixelY(pane.y)), layout::kClearColour);
      if (look.clearShare >= 0.1 || look.commonShare >= 0.9 || look.colours < 4 || look.lumaSpread <= 5.0) return false;
    }
    return true;
  };
  // An effect whose first restore fails on a starved machine tries again a
  // second later: a frame taken before that is played again for longer.
  int seconds = 4;
  unsigned width = 0, secondWidth = 0;
  std::vector<uint8_t> first;
  for (int round = 0; round < 3; ++round, seconds *= 2) {
    first = PlayFrame("demos/effects/effects.klv", root / "first.png", &seconds, &width);
    ASSERT_EQ(width, 512u) << "no frame of the window's size";
    if (panesShow(first, width)) break;
  }
  int later = seconds + 1;
  const std::vector<uint8_t> second = PlayFrame("demos/effects/effects.klv", root / "second.png", &later, &secondWidth);
  ASSERT_EQ(second.size(), first.size());
  for (int number = 0; number < 14; ++number) {
    const layout::Pane& pane = layout::kPanes[number];
    const int cx = static_cast<int>(layout::PixelX(pane.x)), cy = static_cast<int>(layout::PixelY(pane.y));
    const PaneLook look = LookAt(first, width, cx, cy, layout::kClearColour);
    SCOPED_TRACE(pane.name);
    EXPECT_LT(look.clearShare, 0.1);
    EXPECT_LT(look.commonShare, 0.9);
    EXPECT_GE(look.colours, 4);
    EXPECT_GT(look.lumaSpread, 5.0);
    if (number == 5 || number == 13) {
      // More than the few particles flying over the water could change.
      EXPECT_GT(DifferingPixels(first, second, width, cx, cy), kHalfBox * kHalfBox) << "the pane stands still";
    }
  }
}

TEST_F(ViewerRun, PlaysTheDemoProjectAndShutsDownInOrderOnSigterm) {
  pid_t pid = Start({"demos/hello/hello.klv"});
  EXPECT_TRUE(WaitForText(install / "error.log", "Main: frame", 60));
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid, 30), 0) << Output();
  std::string log = ReadText(install / "error.log");
  EXPECT_NE(log.find("Main: frame"), std::string::npos) << log;
  EXPECT_NE(log.find("Libraries loaded : "), std::string::npos) << log;
  EXPECT_TRUE(fs::exists(install / "channel.lst"));
}

TEST_F(ViewerRun, PlaysTheSceneDemoAndWritesItsLastFrame) {
  // The scene draws through the graphics device; on SIGTERM the viewer ends
  // in order and the device, released, writes the last frame it presented.
  // Nothing outside the viewer shows when its first frame (textures and
  // shaders made for the first time) is presented, and a device stopped
  // before that leaves no frame file: such a run is made again with twice the
  // time, until a frame file appears or the deadline has passed.
  const fs::path frame = root / "scene.png";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
  for (int seconds = 3; !fs::exists(frame) && std::chrono::steady_clock::now() < deadline; seconds *= 2) {
    fs::remove(install / "error.log");
    pid_t pid = Start({"demos/scene/scene.klv"}, {"KELVANE_FRAME_PNG=" + frame.string()});
    EXPECT_TRUE(WaitForText(install / "error.log", "DirectX 8.1 or better installed", 60));
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    kill(pid, SIGTERM);
    ASSERT_EQ(WaitExit(pid, 30), 0) << Output();
    const std::string log = ReadText(install / "error.log");
    EXPECT_NE(log.find("Libraries loaded : "), std::string::npos) << log;
  }

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, frame.c_str())) << "no frame file";
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  auto at = [&](unsigned x, unsigned y) {
    const uint8_t* p = &rgb[(y * image.width + x) * 3];
    return (p[0] << 16) | (p[1] << 8) | p[2];
  };
  // The sky (the clear colour, which is also the fog colour) at the top; the
  // lit floor below the middle.
  EXPECT_EQ(at(image.width / 2, 2), 0x8CA6BF);
  EXPECT_NE(at(image.width / 2, image.height - 3), 0x8CA6BF);
}

TEST_F(ViewerRun, MissingProjectFileReportsAndEnds) {
  pid_t pid = Start({"no-such-project.klv"});
  EXPECT_EQ(WaitExit(pid, 30), 0);
  EXPECT_NE(Output().find("There was an error while starting the project, please try to re-install the Kelvane "
                          "Viewers package."),
            std::string::npos)
      << Output();
}

TEST_F(ViewerRun, ProjectNeedingAnUpdateStartsTheUpdater) {
  // A project that asks for a newer core than this one.
  std::vector<char> project;
  auto chunk = [&](const char* tag, const void* data, uint32_t size) {
    project.insert(project.end(), tag, tag + 4);
    const char* s = reinterpret_cast<const char*>(&size);
    project.insert(project.end(), s, s + 4);
    const char* d = static_cast<const char*>(data);
    project.insert(project.end(), d, d + size);
  };
  int32_t header = 1, version = 100006;
  chunk("KSPT", &header, 4);
  chunk("KVNV", &version, 4);
  std::ofstream(install / "newer.klv", std::ios::binary).write(project.data(), static_cast<std::streamsize>(project.size()));
  pid_t pid = Start({"newer.klv"});
  EXPECT_EQ(WaitExit(pid, 30), 0);
  WaitForText(root / "viewer.out", "Kelvane Update & Install", 30);
  std::string out = Output();
  EXPECT_NE(out.find("Failed loading this project, please update to the latest version."), std::string::npos) << out;
  EXPECT_NE(out.find("Kelvane Update & Install"), std::string::npos) << out;
}

TEST_F(ViewerRun, NoCoreLibraryAnywhereShowsTheInstallationMessage) {
  fs::path lonely = root / "lonely";
  fs::create_directories(lonely);
  fs::copy_file(install / "viewer", lonely / "viewer");
  fs::copy_file(install / "libwin32plat.so", lonely / "libwin32plat.so");
  install = lonely;
  pid_t pid = Start({"x.klv"});
  EXPECT_EQ(WaitExit(pid, 30), 0);
  EXPECT_NE(Output().find("It seems that Kelvane is not correctly installed"), std::string::npos) << Output();
}

TEST_F(ViewerRun, WindowUnderARealXServerIsHalfTheDesktopAQuarterIn) {
  if (std::system("command -v Xvfb >/dev/null 2>&1 && command -v xwininfo >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "Xvfb or xwininfo is not installed";
  XvfbServer xvfb;
  ASSERT_TRUE(xvfb.Start(1280, 1024)) << "Xvfb did not start";
  pid_t pid = Start({"demos/hello/hello.klv"}, {"DISPLAY=" + xvfb.display(), "SDL_VIDEODRIVER=x11"});
  // The window may be mapped before it has its final size and place: ask the
  // server again until it reports them (a loaded machine takes its time).
  const std::string info = root / "xwininfo.txt";
  const std::string command = "DISPLAY=" + xvfb.display() + " xwininfo -name KelvViewer > " + info + " 2>&1";
  const std::vector<std::string> geometry = {"Width: 640", "Height: 512", "Absolute upper-left X:  320",
                                             "Absolute upper-left Y:  256"};
  auto atFinalGeometry = [&] {
    if (std::system(command.c_str()) != 0) return false;
    std::string text = ReadText(info);
    for (const std::string& part : geometry)
      if (text.find(part) == std::string::npos) return false;
    return true;
  };
  bool placed = false;
  for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
       !placed && std::chrono::steady_clock::now() < deadline;)
    if (!(placed = atFinalGeometry())) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid, 30), 0) << Output();
  EXPECT_TRUE(placed) << ReadText(info);
}
