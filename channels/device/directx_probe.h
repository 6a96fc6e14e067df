// The check of the installed DirectX release that the device channel runs
// before it creates the Direct3D object, and what it reports for each answer.
#pragma once

class EngineInterface;

// Release numbers as the probe answers them: the release times 0x100, plus 1
// for the point-one releases; 0 when nothing usable is installed.
enum DirectXVersion : int {
  kDirectXNone = 0x000,
  kDirectX1 = 0x100,
  kDirectX2 = 0x200,
  kDirectX3 = 0x300,
  kDirectX5 = 0x500,
  kDirectX6 = 0x600,
  kDirectX61 = 0x601,
  kDirectX7 = 0x700,
  kDirectX8 = 0x800,
  kDirectX81 = 0x801,
};

class DirectXProbe {
 public:
  virtual ~DirectXProbe() = default;
  virtual int ProbeDirectXVersion() = 0;
};

// The probe of this platform. The Direct3D 8 layer is part of the
// installation and offers everything the 8.1 release did, so it answers
// kDirectX81; it loads no library to find that out.
DirectXProbe& PlatformDirectXProbe();

// The probe the device channel asks: the platform's unless one was set.
DirectXProbe& CurrentDirectXProbe();

// Sends the message that belongs to `version` through the engine's functors
// and tells whether the device may be created with it.
bool ReportDirectXVersion(int version, EngineInterface* engine);

// Replaces the probe for every device channel of the process (NULL restores
// the platform's); tests use it to see the answers of older installations.
extern "C" void Vel_DX8_SetDirectXProbe(DirectXProbe* probe);
