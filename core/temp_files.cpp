#include "temp_files.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {
std::atomic<unsigned> tempCounter{0};

constexpr const char kTempMark[] = ".tmp-";

// Digits only, at least one, and the value within limit.
bool ReadNumber(const std::string& text, size_t from, size_t to, unsigned long long limit,
                unsigned long long* value) {
  if (from >= to || to - from > 19) return false;
  unsigned long long n = 0;
  for (size_t i = from; i < to; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + static_cast<unsigned>(text[i] - '0');
  }
  if (n > limit) return false;
  *value = n;
  return true;
}

bool ProcessRuns(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }
}  // namespace

std::string TempFileNameBeside(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return dir + "." + base + kTempMark + std::to_string(getpid()) + "-" + std::to_string(tempCounter.fetch_add(1));
}

pid_t TempFileWriter(const std::string& fileName) {
  if (fileName.size() < 2 || fileName[0] != '.') return 0;
  size_t mark = fileName.rfind(kTempMark);
  if (mark == std::string::npos || mark < 2) return 0;
  size_t pidStart = mark + sizeof kTempMark - 1;
  size_t dash = fileName.find('-', pidStart);
  if (dash == std::string::npos) return 0;
  unsigned long long pid = 0;
  unsigned long long number = 0;
  if (!ReadNumber(fileName, pidStart, dash, INT_MAX, &pid) || pid == 0) return 0;
  if (!ReadNumber(fileName, dash + 1, fileName.size(), UINT_MAX, &number)) return 0;
  return static_cast<pid_t>(pid);
}

std::vector<std::string> RemoveStaleTempFiles(const std::string& dir) {
  std::vector<std::string> removed;
  DIR* listing = opendir(dir.c_str());
  if (!listing) return removed;
  while (struct dirent* entry = readdir(listing)) {
    std::string name = entry->d_name;
    pid_t writer = TempFileWriter(name);
    if (writer == 0 || writer == getpid() || ProcessRuns(writer)) continue;
    std::string path = dir + "/" + name;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (unlink(path.c_str()) == 0) removed.push_back(path);
  }
  closedir(listing);
  return removed;
}
