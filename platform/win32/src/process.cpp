#include "win32/process.h"

#include "path_list.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "handle_table.h"
#include "win32/errors.h"
#include "win32/thread.h"

extern char** environ;

namespace win32plat {
namespace {

// A started child. The handles to it share this record; the child is reaped
// by the first wait that sees it end, or in the background once the last
// handle is closed, so it never lingers as a zombie.
struct ChildProcess {
  explicit ChildProcess(pid_t pid) : pid(pid) {}
  ~ChildProcess() {
    std::lock_guard<std::mutex> lock(mutex);
    if (!reaped) {
      pid_t child = pid;
      std::thread([child] {
        int status;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
      }).detach();
    }
  }

  // Collects the exit status without waiting; true once the child has ended.
  bool Poll() {
    std::lock_guard<std::mutex> lock(mutex);
    if (reaped) return true;
    int status = 0;
    pid_t result = waitpid(pid, &status, WNOHANG);
    if (result == pid) {
      reaped = true;
      exitCode = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status))
                                   : static_cast<DWORD>(128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0));
    } else if (result < 0 && errno == ECHILD) {
      reaped = true;  // reaped elsewhere; the code is unknown
      exitCode = 0;
    }
    return reaped;
  }

  const pid_t pid;
  std::mutex mutex;
  bool reaped = false;
  DWORD exitCode = STILL_ACTIVE;
};

class ProcessHandle : public HandleObject {
 public:
  explicit ProcessHandle(std::shared_ptr<ChildProcess> child)
      : HandleObject(Kind::Process), child(std::move(child)) {}

  DWORD Wait(DWORD milliseconds) override {
    DWORD start = GetTickCount();
    DWORD pause = 1;
    for (;;) {
      if (child->Poll()) return WAIT_OBJECT_0;
      DWORD elapsed = GetTickCount() - start;
      if (milliseconds != INFINITE && elapsed >= milliseconds) return WAIT_TIMEOUT;
      DWORD step = pause;
      if (milliseconds != INFINITE && milliseconds - elapsed < step) step = milliseconds - elapsed;
      Sleep(step);
      if (pause < 20) pause *= 2;
    }
  }

  std::shared_ptr<ChildProcess> child;
};

// Splits a command line into words: blanks separate, double quotes group,
// a backslash before a quote escapes it.
std::vector<std::string> SplitCommandLine(const char* text) {
  std::vector<std::string> words;
  if (!text) return words;
  const char* p = text;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string word;
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '\\' && p[1] == '"') {
        word += '"';
        p += 2;
      } else if (*p == '"') {
        quoted = !quoted;
        ++p;
      } else {
        word += *p++;
      }
    }
    words.push_back(word);
  }
  return words;
}

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  std::vector<std::string> dirs;
  char self[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", self, PATH_MAX);
  if (n > 0) {
    std::string own(self, static_cast<size_t>(n));
    size_t slash = own.rfind('/');
    if (slash != std::string::npos) dirs.push_back(own.substr(0, slash == 0 ? 1 : slash));
  }
  for (std::string& dir : SplitPathList(getenv("PATH"))) dirs.push_back(std::move(dir));
  for (const std::string& dir : dirs) {
    std::string candidate = dir + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
  }
  return std::string();
}

}  // namespace
}  // namespace win32plat

using namespace win32plat;

std::string Win32_ProgramFileName(const char* name) {
  if (!name) return std::string();
  std::string file(name);
  if (file.size() >= 4) {
    std::string end = file.substr(file.size() - 4);
    for (char& c : end)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (end == ".exe") file.resize(file.size() - 4);
  }
  return file;
}

extern "C" {

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID environment, LPCSTR currentDirectory,
                    LPSTARTUPINFOA, LPPROCESS_INFORMATION info) {
  if (!info || environment || (!applicationName && !commandLine)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<std::string> words = SplitCommandLine(commandLine);
  std::string program = applicationName ? std::string(applicationName) : (words.empty() ? "" : words[0]);
  if (words.empty()) words.push_back(program);
  std::string path = FindProgram(Win32_ProgramFileName(program.c_str()));
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (currentDirectory) posix_spawn_file_actions_addchdir_np(&actions, currentDirectory);
  pid_t pid = 0;
  int result = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) {
    SetLastError(ErrorFromErrno(result));
    return FALSE;
  }
  auto child = std::make_shared<ChildProcess>(pid);
  info->hProcess = RegisterHandle(std::make_shared<ProcessHandle>(child));
  info->hThread = RegisterHandle(std::make_shared<ProcessHandle>(child));
  info->dwProcessId = static_cast<DWORD>(pid);
  info->dwThreadId = static_cast<DWORD>(pid);
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  auto handle = LookupHandleAs<ProcessHandle>(process, HandleObject::Kind::Process);
  if (!handle || !exitCode) {
    SetLastError(handle ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  handle->child->Poll();
  std::lock_guard<std::mutex> lock(handle->child->mutex);
  *exitCode = handle->child->exitCode;
  return TRUE;
}

}
