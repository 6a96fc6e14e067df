// The viewer program: finds the installation, loads the engine core, loads the
// project and runs one engine frame per idle turn of its message loop.
#include "engine_control.h"
#include "viewer_paths.h"
#include "win32/env.h"
#include "win32/file.h"
#include "win32/messagebox.h"
#include "win32/messages.h"
#include "win32/process.h"
#include "win32/window.h"

#include <cstdio>
#include <string>

namespace {
EngineControl* engineControl = nullptr;
bool active = true;
char windowTitle[101] = "KelvViewer";
char windowClass[101] = "START";

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (engineControl) engineControl->ProcessWindowMessage(message, wParam, lParam);
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE: {
      WORD state = LOWORD(wParam);
      if (state == WA_INACTIVE) active = false;
      else if (state == WA_ACTIVE || state == WA_CLICKACTIVE) active = true;
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterViewerClass(HINSTANCE instance) {
  WNDCLASSEXA windowClassInfo = {};
  windowClassInfo.cbSize = sizeof windowClassInfo;
  windowClassInfo.style = CS_HREDRAW | CS_VREDRAW;
  windowClassInfo.lpfnWndProc = WndProc;
  windowClassInfo.hInstance = instance;
  windowClassInfo.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(107));
  windowClassInfo.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(107));
  windowClassInfo.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClassInfo.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
  windowClassInfo.lpszClassName = windowClass;
  RegisterClassExA(&windowClassInfo);
}

void DeleteEngineControl() {
  delete engineControl;
  engineControl = nullptr;
}

bool InitInstance(HINSTANCE instance, int showCommand, const std::string& projectPath) {
  RECT desktop = {};
  GetClientRect(GetDesktopWindow(), &desktop);
  int width = desktop.right - desktop.left;
  int height = desktop.bottom - desktop.top;
  HWND window = CreateWindowExA(WS_EX_LEFT, windowClass, windowTitle, WS_OVERLAPPEDWINDOW,
                                static_cast<int>(width * 0.25), static_cast<int>(height * 0.25),
                                static_cast<int>(width * 0.5), static_cast<int>(height * 0.5), nullptr, nullptr,
                                instance, nullptr);
  if (!window) return false;

  // The core library: the current directory, then the program's own directory,
  // then the installation the registry names.
  char directory[260] = {};
  GetCurrentDirectoryA(259, directory);
  engineControl = LoadCoreLibrary(directory);
  if (!engineControl && GetProgramDirectory(directory, sizeof directory)) engineControl = LoadCoreLibrary(directory);
  if (!engineControl) {
    if (!ReadInstallPath(directory, sizeof directory)) {
      MessageBoxA(nullptr,
                  "It seems that Kelvane is not correctly installed, or this viewer is run from the wrong directory.",
                  "Kelvane Viewers registry key not found", MB_OK | MB_ICONERROR);
      return false;
    }
    engineControl = LoadCoreLibrary(directory);
    if (!engineControl) {
      ShowWindow(window, showCommand);
      UpdateWindow(window);
      return true;
    }
  }

  engineControl->SetInstallDir(directory);
  engineControl->SetKelvaneRegKey(kViewerRegKey);
  if (!projectPath.empty()) engineControl->SetCommandLine(MakeAbsolutePath(projectPath.c_str()));
  engineControl->InitEngine(instance, windowClass, window);

  const int loaded = engineControl->LoadProject();
  // A load given up because the program was asked to end (an end signal or
  // the window closed) is no error to show: the viewer ends in order.
  if (loaded != kLoadProjectReady && loaded != kLoadProjectNeedsUpdate && Win32_EndRequested()) {
    DeleteEngineControl();
    return false;
  }
  switch (loaded) {
    case kLoadProjectReady:
      ShowWindow(window, showCommand);
      UpdateWindow(window);
      return true;
    case kLoadProjectNeedsUpdate: {
      STARTUPINFOA startup = {};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process = {};
      char command[] = "KelvUpdate.exe";
      DeleteEngineControl();
      // The updater reads which project asked for it from its environment.
      if (!projectPath.empty()) SetEnvironmentVariableA("KELVANE_PROJECT", MakeAbsolutePath(projectPath.c_str()));
      SetEnvironmentVariableA("KELVANE_INSTALL_DIR", directory);
      if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
      } else {
        MessageBoxA(nullptr, "Kelvane Update & Install utility failed to load", "Kelvane Update & Install",
                    MB_OK | MB_ICONERROR);
      }
      return false;
    }
    case kLoadProjectNoFile:
      DeleteEngineControl();
      return false;
    case kLoadProjectNoStartGroup:
      MessageBoxA(nullptr, "There was an error while loading the project some files may have error or where not found",
                  "Kelvane Viewer", MB_OK | MB_ICONERROR);
      DeleteEngineControl();
      return false;
    default:
      MessageBoxA(nullptr,
                  "There was an error while starting the project, please try to re-install the Kelvane Viewers "
                  "package.",
                  "Kelvane Viewer", MB_OK | MB_ICONERROR);
      DeleteEngineControl();
      return false;
  }
}
}  // namespace

int main(int argc, char** argv) {
  // The command-line text after the program name is the project path.
  std::string projectPath;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) projectPath += ' ';
    projectPath += argv[i];
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  LoadStringA(instance, 103, windowTitle, sizeof windowTitle);
  LoadStringA(instance, 109, windowClass, sizeof windowClass);
  if (!windowTitle[0]) std::snprintf(windowTitle, sizeof windowTitle, "KelvViewer");
  if (!windowClass[0]) std::snprintf(windowClass, sizeof windowClass, "START");

  RegisterViewerClass(instance);
  if (!InitInstance(instance, SW_SHOWNORMAL, projectPath)) return 0;

  MSG message = {};
  for (;;) {
    bool taken;
    if (active) {
      taken = PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
    } else {
      GetMessageA(&message, nullptr, 0, 0);
      taken = true;
    }
    if (taken) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (active && engineControl) {
      engineControl->EngineLoop();
    }
  }
  DeleteEngineControl();
  return static_cast<int>(message.wParam);
}
