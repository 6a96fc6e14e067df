#include "engine_control.h"

#include "engine_interface.h"
#include "error_log.h"
#include "file_dialog_channel.h"
#include "messages.h"
#include "orn_channel_group.h"
#include "text_util.h"
#include "win32/messagebox.h"

#include <memory>
#include <new>

extern "C" EngineControl* GetEngineControlInstance() { return new (std::nothrow) EngineControl; }

EngineControl::EngineControl()
    : engine(nullptr), startGroup(nullptr), commandLine{}, initialised(false), log(nullptr), inFrame(false),
      installDir{}, regKey{} {}

EngineControl::~EngineControl() {
  initialised = false;
  if (engine) {
    engine->ext->Release();
    delete engine;
    engine = nullptr;
  }
  // The receiver is uninstalled before it is deleted, so no message can reach
  // a deleted log.
  if (debugOutPut == log) debugOutPut = nullptr;
  delete log;
  log = nullptr;
}

bool EngineControl::InitEngine(HINSTANCE instance, char* className, HWND window) {
  initialised = false;
  engine = new (std::nothrow) EngineInterface;
  if (engine) {
    engine->ext->SetInstallDir(installDir);
    engine->ext->SetKelvaneRegKey(regKey);
  }
  log = new (std::nothrow) ErrorLogOutput(engine);
  debugOutPut = log;
  if (!engine) {
    MessageBoxA(nullptr, "EngineControl::InitEngine: Out of memory", "Kelvane Error", MB_OK);
    return false;
  }
  if (engine->ext->InitEngine(instance, className)) {
    engine->ext->SetWindowHandle(window);
    initialised = true;
    return true;
  }
  MessageBoxA(engine->GetWindowHandle(), "An error occured during the initalization of Kelvane", "Kelvane Error",
              MB_OK | MB_ICONERROR);
  debugOutPut = nullptr;
  delete log;
  log = nullptr;
  engine->ext->Release();
  delete engine;
  engine = nullptr;
  return false;
}

int EngineControl::LoadProject() {
  if (!engine) return kLoadProjectFailure;
  // The whole command-line path fits: a longer one than the usual 260 characters
  // would otherwise be cut into the name of another file.
  char path[sizeof commandLine] = {};
  if (commandLine[0]) {
    CopyText(path, sizeof path, commandLine);
  } else {
    std::unique_ptr<Orn_Channel> object(engine->InitChannelFromType(kFileDialogChannelType, nullptr, false));
    FileDialogChannel* dialog = dynamic_cast<FileDialogChannel*>(object.get());
    if (!dialog) {
      engine->errorFunctor("EngineControl::LoadProject(): Error loading the File Dialog channel");
      return kLoadProjectFailure;
    }
    dialog->OpenFileDialog("Kelvane file (*.klv)", "klv", path, sizeof path);
    path[sizeof path - 1] = '\0';
  }
  engine->ext->ReleaseGroups();
  startGroup = nullptr;
  if (!path[0]) return kLoadProjectNoFile;
  int result = engine->ext->InitializeKLVFile(path);
  if (result == kLoadProjectNeedsUpdate) {
    MessageBoxA(engine->GetWindowHandle(),
                "Failed loading this project, please update to the latest version. \n\rYou should use the Kelvane "
                "Update & Install utility to update your version.\n\rIf you click OK this utility will be started "
                "automatically.",
                "Kelvane Error", MB_OK | MB_ICONERROR);
  }
  if (result != kLoadProjectReady) return result;
  startGroup = engine->ext->GetKLVStartGroup();
  return startGroup ? kLoadProjectReady : kLoadProjectNoStartGroup;
}

void EngineControl::EngineLoop() {
  if (inFrame || !initialised) return;
  startGroup = engine->GetChannelGroup(engine->ext->GetStartGroup());
  if (!startGroup) return;
  inFrame = true;
  engine->ext->IncreaseTreeCount();
  startGroup->CallStartChannel();
  inFrame = false;
}

void EngineControl::SetCommandLine(char* path) {
  if (path) CopyText(commandLine, sizeof commandLine, path);
}

EngineInterface* EngineControl::GetEngineInterface() { return engine; }

void EngineControl::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (engine && initialised) engine->ext->ProcessWindowMessage(message, wParam, lParam);
}

void EngineControl::SetInstallDir(const char* dir) {
  if (dir) CopyText(installDir, sizeof installDir, dir);
}

void EngineControl::SetKelvaneRegKey(const char* key) {
  if (key) CopyText(regKey, sizeof regKey, key);
}
