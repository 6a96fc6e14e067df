// EngineControl: the one object through which a host program drives the
// engine core. The core library hands it out through GetEngineControlInstance.
#pragma once

#include "win32/types.h"

class EngineInterface;
class ErrorLogOutput;
class Orn_ChannelGroup;

enum LoadProjectResult {
  kLoadProjectReady = 0,
  kLoadProjectFailure = 1,
  kLoadProjectNeedsUpdate = 2,
  kLoadProjectNoFile = 3,
  kLoadProjectNoStartGroup = 4,
};

class EngineControl {
 public:
  EngineControl();
  virtual ~EngineControl();
  EngineControl(const EngineControl&) = delete;
  EngineControl& operator=(const EngineControl&) = delete;

  virtual int LoadProject();
  virtual bool InitEngine(HINSTANCE instance, char* className, HWND window);
  virtual void EngineLoop();
  virtual void SetCommandLine(char* path);
  virtual EngineInterface* GetEngineInterface();
  virtual void ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void SetInstallDir(const char* dir);
  virtual void SetKelvaneRegKey(const char* key);

 protected:
  EngineInterface* engine;
  Orn_ChannelGroup* startGroup;
  char commandLine[1000];
  bool initialised;
  ErrorLogOutput* log;
  bool inFrame;
  char installDir[400];
  char regKey[600];
};

// The core library's export: a new engine control on every call.
extern "C" EngineControl* GetEngineControlInstance();
