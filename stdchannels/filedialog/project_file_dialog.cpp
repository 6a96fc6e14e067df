#include "project_file_dialog.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace {
bool HasDesktop() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

// The full path of an executable found through PATH; empty when there is none.
std::string FindOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (!path) return std::string();
  std::string list(path);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string candidate = end > start ? list.substr(start, end - start) : std::string(".");
    candidate += '/';
    candidate += program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::string();
}

void TrimLineEnd(std::string* text) {
  while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
}

void TrimBlanks(std::string* text) {
  size_t first = text->find_first_not_of(" \t");
  if (first == std::string::npos) {
    text->clear();
    return;
  }
  size_t last = text->find_last_not_of(" \t");
  *text = text->substr(first, last - first + 1);
}
}  // namespace

ChannelType Vel_ProjectFileDialog::TypeRecord() {
  ChannelType record(kFileDialogChannelType);
  record.baseType = kFileDialogChannelType;
  record.SetName("File Dialog");
  return record;
}

Vel_ProjectFileDialog::Vel_ProjectFileDialog() = default;
Vel_ProjectFileDialog::~Vel_ProjectFileDialog() = default;

ChannelType Vel_ProjectFileDialog::GetChannelType() { return TypeRecord(); }

bool Vel_ProjectFileDialog::OpenFileDialog(const char* filter, const char* defaultExtension, char* path,
                                           int pathSize) {
  if (!path || pathSize <= 0) return false;
  path[0] = '\0';
  std::string description = filter ? filter : "";
  std::string extension = defaultExtension ? defaultExtension : "";
  if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);

  std::string chosen;
  Answer answer = AskDesktop(description, extension, &chosen);
  if (answer == Answer::kUnavailable) answer = AskTerminal(description, extension, &chosen);
  if (answer != Answer::kChosen || chosen.empty()) return false;
  if (chosen.size() + 1 > static_cast<size_t>(pathSize)) return false;  // a cut path names another file
  std::memcpy(path, chosen.c_str(), chosen.size() + 1);
  return true;
}

Vel_ProjectFileDialog::Answer Vel_ProjectFileDialog::AskDesktop(const std::string& filter,
                                                                const std::string& extension,
                                                                std::string* chosen) {
  if (!HasDesktop()) return Answer::kUnavailable;
  std::string zenity = FindOnPath("zenity");
  if (zenity.empty()) return Answer::kUnavailable;

  std::string pattern = extension.empty() ? std::string("*") : "*." + extension;
  std::string filterArg = "--file-filter=" + (filter.empty() ? pattern : filter) + " | " + pattern;
  std::vector<std::string> args = {zenity, "--file-selection", filterArg};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return Answer::kUnavailable;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = -1;
  int spawned = posix_spawn(&child, zenity.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    return Answer::kUnavailable;
  }

  std::string output;
  char piece[4096];
  for (;;) {
    ssize_t got = read(fds[0], piece, sizeof piece);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    output.append(piece, static_cast<size_t>(got));
  }
  close(fds[0]);

  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  TrimLineEnd(&output);
  if (waited < 0) {
    // The exit status is lost (children reaped elsewhere): trust the output.
    if (output.empty()) return Answer::kCancelled;
    *chosen = output;
    return Answer::kChosen;
  }
  if (!WIFEXITED(status)) return Answer::kUnavailable;
  int code = WEXITSTATUS(status);
  if (code == 0 && !output.empty()) {
    *chosen = output;
    return Answer::kChosen;
  }
  if (code == 0 || code == 1) return Answer::kCancelled;
  return Answer::kUnavailable;  // the dialog could not be shown
}

Vel_ProjectFileDialog::Answer Vel_ProjectFileDialog::AskTerminal(const std::string& filter,
                                                                 const std::string& extension,
                                                                 std::string* chosen) {
  if (!isatty(STDIN_FILENO)) return Answer::kCancelled;
  std::fprintf(stderr, "%s - path of the file to open (empty to cancel): ",
               filter.empty() ? "File" : filter.c_str());
  std::fflush(stderr);
  std::string line;
  char piece[1024];
  bool any = false;
  while (std::fgets(piece, sizeof piece, stdin)) {
    any = true;
    line += piece;
    if (!line.empty() && line.back() == '\n') break;
  }
  if (!any) return Answer::kCancelled;
  TrimLineEnd(&line);
  TrimBlanks(&line);
  if (line.empty()) return Answer::kCancelled;
  size_t slash = line.find_last_of('/');
  std::string name = slash == std::string::npos ? line : line.substr(slash + 1);
  if (!extension.empty() && !name.empty() && name.find('.') == std::string::npos) line += "." + extension;
  *chosen = line;
  return Answer::kChosen;
}
