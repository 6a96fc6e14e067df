#include "device/directx_probe.h"

#include "engine_interface.h"

#include <string>

namespace {

class PlatformProbe : public DirectXProbe {
 public:
  int ProbeDirectXVersion() override { return kDirectX81; }
};

DirectXProbe* replacement = nullptr;

constexpr const char* kPleaseInstall = " installed\n please install DirectX 8.1 for this application to work correctly";

struct TooOld {
  int version;
  const char* release;
};
constexpr TooOld kTooOld[] = {
    {kDirectX1, "DirectX 1"}, {kDirectX2, "DirectX 2"}, {kDirectX3, "DirectX 3"},   {kDirectX5, "DirectX 5"},
    {kDirectX6, "DirectX 6"}, {kDirectX61, "DirectX 6.1"}, {kDirectX7, "DirectX 7"}, {kDirectX8, "DirectX 8"},
};

}  // namespace

DirectXProbe& PlatformDirectXProbe() {
  static PlatformProbe probe;
  return probe;
}

DirectXProbe& CurrentDirectXProbe() { return replacement ? *replacement : PlatformDirectXProbe(); }

extern "C" void Vel_DX8_SetDirectXProbe(DirectXProbe* probe) { replacement = probe; }

bool ReportDirectXVersion(int version, EngineInterface* engine) {
  if (version == kDirectXNone) {
    if (engine) engine->errorFunctor("No DirectX installed or error getting direct x version");
    return false;
  }
  if (version == kDirectX81) {
    if (engine) engine->infoFunctor("DirectX 8.1 or better installed");
    return true;
  }
  for (const TooOld& old : kTooOld) {
    if (old.version != version) continue;
    if (engine) engine->errorFunctor((std::string(old.release) + kPleaseInstall).c_str());
    // 8.0 is reported but good enough to go on with.
    return version == kDirectX8;
  }
  if (engine) engine->infoFunctor("Unknown version of DirectX installed.");
  return true;
}
