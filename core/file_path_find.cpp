#include "file_path_find.h"

#include "engine_interface.h"

#include <cctype>
#include <cstring>
#include <dirent.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Length of the root ("drive prefix") of a path: "/" 1, a network "//" 2, a
// Windows drive "C:\" 3, a relative path 0.
size_t RootLength(const char* p) {
  if (!p || !p[0]) return 0;
  if (IsSeparator(p[0])) return IsSeparator(p[1]) ? 2 : 1;
  if (std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' && IsSeparator(p[2])) return 3;
  return 0;
}

std::string Bounded(const char* text, size_t max) { return text ? std::string(text, strnlen(text, max)) : std::string(); }

void CopyOut(char* dst, const std::string& text, size_t size) {
  if (!dst || size == 0) return;
  size_t length = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(dst, text.data(), length);
  dst[length] = '\0';
}

std::string CurrentDirectory() {
  char buffer[4096];
  if (getcwd(buffer, sizeof buffer)) return buffer;
  return "/";
}

// '/' for every separator; a run of separators becomes one, except a leading pair.
std::string NormaliseSeparators(const std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    char c = IsSeparator(path[i]) ? '/' : path[i];
    if (c == '/' && !out.empty() && out.back() == '/' && !(i == 1 && out.size() == 1)) continue;
    out += c;
  }
  return out;
}

// Removes "." components and folds "name/.." pairs after the root.
std::string CleanComponents(const std::string& path) {
  size_t root = RootLength(path.c_str());
  std::vector<std::string> parts;
  size_t start = root;
  bool trailing = !path.empty() && path.size() > root && path.back() == '/';
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") parts.pop_back();
      else if (root == 0) parts.push_back(part);
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out = path.substr(0, root);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += '/';
    out += parts[i];
  }
  if (trailing && !parts.empty()) out += '/';
  if (out.empty()) out = root ? path.substr(0, root) : ".";
  return out;
}

// A path's directory: everything before its last separator ("/" for a file in
// the root).
std::string DirectoryOf(const std::string& path) {
  size_t last = path.find_last_of("/\\");
  if (last == std::string::npos) return std::string();
  if (last < RootLength(path.c_str())) return path.substr(0, last + 1);
  return path.substr(0, last);
}

std::string FileNameOf(const std::string& path) {
  size_t last = path.find_last_of("/\\");
  return last == std::string::npos ? path : path.substr(last + 1);
}

// Joins a directory and a relative rest with one separator.
std::string Join(const std::string& dir, const std::string& rest) {
  if (dir.empty()) return rest;
  if (rest.empty()) return dir;
  if (dir.back() == '/') return dir + rest;
  return dir + "/" + rest;
}

// Leading "../" groups (either separator) of a path, and where the rest starts.
int CountBackDirs(const char* path, size_t* rest) {
  int count = 0;
  size_t i = 0;
  while (path[i] == '.' && path[i + 1] == '.' && IsSeparator(path[i + 2])) {
    ++count;
    i += 3;
  }
  if (rest) *rest = i;
  return count;
}

EngineInterface* Reporter(EngineInterface* own) { return own ? own : globalEngine; }

}  // namespace

FilePathFind::FilePathFind() : sourcePath{}, resultPath{} {}
FilePathFind::~FilePathFind() = default;

FilePathFind::FilePathFind(const FilePathFind& other) : DllInterface(other) {
  std::memcpy(sourcePath, other.sourcePath, sizeof sourcePath);
  std::memcpy(resultPath, other.resultPath, sizeof resultPath);
}

FilePathFind& FilePathFind::operator=(const FilePathFind& other) {
  if (this != &other) {
    DllInterface::operator=(other);
    std::memcpy(sourcePath, other.sourcePath, sizeof sourcePath);
    std::memcpy(resultPath, other.resultPath, sizeof resultPath);
  }
  return *this;
}

void FilePathFind::SetSourcePath(const char* path) {
  if (!path) return;
  CopyOut(sourcePath, Bounded(path, kSourceSize - 1), sizeof sourcePath);
  if (std::strstr(sourcePath, "http://")) return;
  std::string cwd = CurrentDirectory();
  char work[kSourceSize + 1];
  CopyOut(work, sourcePath, sizeof work);
  CreateValidFilePath(work, cwd.c_str());
  std::string normal = work;
  // A source without root is relative to the current directory as well.
  if (RootLength(normal.c_str()) == 0) normal = CleanComponents(Join(cwd, normal));
  CopyOut(sourcePath, normal, sizeof sourcePath);
}

void FilePathFind::CreateValidFilePath(char* path, const char* baseDir) {
  if (!path) return;
  std::string p = NormaliseSeparators(Bounded(path, kPathMax));
  if (!p.empty() && p[0] == '.' && baseDir) {
    std::string base = NormaliseSeparators(Bounded(baseDir, kPathMax));
    // "." and "./x" take the base's place for the dot; "../x" and ".x" are
    // names below the base, with ".." folded into it.
    p = CleanComponents(Join(base, p));
  }
  CopyOut(path, p, static_cast<size_t>(kPathMax) + 1);
}

bool FilePathFind::CheckValidDrive(const char* a, const char* b) {
  if (!a || !b || a[0] == '.') return false;
  if (IsSeparator(a[0]) && IsSeparator(b[0])) return true;
  return a[0] == b[0];
}

int FilePathFind::GetDirCount(const char* path) {
  if (!path) return 0;
  size_t length = strnlen(path, kPathMax);
  size_t root = RootLength(path);
  int count = 0;
  for (size_t i = root; i + 1 < length; ++i)
    if (IsSeparator(path[i])) ++count;
  return count;
}

const char* FilePathFind::GetDirName(char* out, const char* path, int n) {
  if (!out || !path || n < 0 || n >= GetDirCount(path)) return nullptr;
  size_t length = strnlen(path, kPathMax);
  size_t start = RootLength(path);
  int index = 0;
  for (size_t i = start; i + 1 < length; ++i) {
    if (!IsSeparator(path[i])) continue;
    if (index == n) {
      CopyOut(out, std::string(path + start, i - start), static_cast<size_t>(kPathMax) + 1);
      return out;
    }
    ++index;
    start = i + 1;
  }
  return nullptr;
}

int FilePathFind::GetDirShareCount(const char* a, const char* b) {
  if (!a || !b) return 0;
  int limit = GetDirCount(a) < GetDirCount(b) ? GetDirCount(a) : GetDirCount(b);
  char da[kPathMax + 1];
  char db[kPathMax + 1];
  int shared = 0;
  for (int i = 0; i < limit; ++i) {
    if (!GetDirName(da, a, i) || !GetDirName(db, b, i) || strcasecmp(da, db) != 0) break;
    ++shared;
  }
  return shared;
}

int FilePathFind::GetRelativeDirCount(const char* a, const char* b) {
  int shared = GetDirShareCount(a, b);
  int countB = GetDirCount(b);
  return (shared < countB ? shared : GetDirCount(a)) - countB;
}

const char* FilePathFind::GetFileName(char* path) {
  if (!path) return nullptr;
  size_t length = strnlen(path, kPathMax);
  size_t last = 0;
  bool found = false;
  for (size_t i = 0; i < length; ++i)
    if (IsSeparator(path[i])) {
      last = i;
      found = true;
    }
  if (!found || last == 0) return path;
  std::memmove(path, path + last + 1, length - last - 1);
  path[length - last - 1] = '\0';
  return path;
}

const char* FilePathFind::GetFilePath(char* path) {
  if (!path) return nullptr;
  size_t length = strnlen(path, kPathMax);
  size_t last = length;
  for (size_t i = 0; i < length; ++i)
    if (IsSeparator(path[i])) last = i;
  if (last == length) return path;
  // A file in the root keeps the root as its directory.
  if (last < RootLength(path)) path[last + 1] = '\0';
  else path[last] = '\0';
  return path;
}

int FilePathFind::GetBackDirCount(const char* path) { return path ? -CountBackDirs(path, nullptr) : 0; }

int FilePathFind::GetDirCountFromBackDir(const char* path) {
  if (!path) return 0;
  size_t rest = 0;
  CountBackDirs(path, &rest);
  return GetDirCount(path + rest);
}

const char* FilePathFind::GetDirNameFromBackDir(char* out, const char* path, int n) {
  if (!path) return nullptr;
  size_t rest = 0;
  CountBackDirs(path, &rest);
  return GetDirName(out, path + rest, n);
}

const char* FilePathFind::GetValidRelativeDir(const char* path) {
  if (!path) return nullptr;
  std::string cwd = CurrentDirectory();
  char d[kPathMax + 1];
  CopyOut(d, Bounded(path, kPathMax), sizeof d);
  CreateValidFilePath(d, cwd.c_str());
  if (RootLength(d) == 0) CopyOut(d, CleanComponents(Join(cwd, d)), sizeof d);

  if (!CheckValidDrive(d, sourcePath)) {
    if (EngineInterface* engine = Reporter(this->engine)) engine->errorFunctor("Autoload group is on different drive");
    return path;
  }

  int shared = GetDirShareCount(d, sourcePath);
  int relative = GetRelativeDirCount(d, sourcePath);
  int dirs = GetDirCount(d);
  std::string result;
  char name[kPathMax + 1];
  if (relative < 0) {
    for (int i = 0; i < -relative; ++i) result += "../";
    for (int i = shared; i < dirs; ++i)
      if (GetDirName(name, d, i)) result += std::string(name) + "/";
  } else {
    result = "./";
    for (int i = shared; i < shared + relative && i < dirs; ++i)
      if (GetDirName(name, d, i)) result += std::string(name) + "/";
  }
  result += FileNameOf(d);
  CopyOut(resultPath, result, sizeof resultPath);
  return resultPath;
}

const char* FilePathFind::GetCompleteFilePath(const char* path) {
  if (!path) return nullptr;
  std::string original = Bounded(path, kPathMax);
  // A single leading '\' is the root of the current drive on Windows, which
  // the stored form reads relative to the source; '/' is a POSIX root.
  bool windowsRoot = original.size() > 1 && original[0] == '\\' && !IsSeparator(original[1]);
  std::string p = NormaliseSeparators(original);
  if (windowsRoot) p = "./" + p.substr(1);

  std::string result;
  if (RootLength(p.c_str()) > 0) {
    // Absolute (also on another drive): used as it stands.
    result = p;
  } else {
    bool dotted = p == "." || p == ".." || p.rfind("./", 0) == 0 || p.rfind("../", 0) == 0;
    if (!dotted) p = "./" + p;

    // The source's directory; without a source, the current directory.
    std::string source = sourcePath;
    std::string sourceDir;
    if (!source.empty() && RootLength(source.c_str()) > 0) sourceDir = DirectoryOf(source);
    else sourceDir = CurrentDirectory();
    std::string root = sourceDir.substr(0, RootLength(sourceDir.c_str()));

    size_t rest = 0;
    int back = CountBackDirs(p.c_str(), &rest);
    if (back > 0) {
      // Climb from the source's directory, never above its root.
      std::string sourceFile = Join(sourceDir, "x");
      int keep = GetDirCount(sourceFile.c_str()) - back;
      result = root;
      char name[kPathMax + 1];
      for (int i = 0; i < keep; ++i)
        if (GetDirName(name, sourceFile.c_str(), i)) result += std::string(name) + "/";
      result += p.substr(rest);
    } else {
      char work[kPathMax + 1];
      CopyOut(work, p, sizeof work);
      CreateValidFilePath(work, sourceDir.c_str());
      result = work;
    }
    result = CleanComponents(result);
  }

  char found[kResultSize];
  if (FindPathIgnoringCase(result.c_str(), found, sizeof found)) result = found;
  CopyOut(resultPath, result, sizeof resultPath);
  return resultPath;
}

bool FilePathFind::FindPathIgnoringCase(const char* path, char* out, int size) {
  if (!path || !out || size <= 0 || !path[0]) return false;
  struct stat info;
  std::string wanted = path;
  if (stat(wanted.c_str(), &info) == 0) {
    if (wanted.size() >= static_cast<size_t>(size)) return false;
    CopyOut(out, wanted, static_cast<size_t>(size));
    return true;
  }
  std::string normal = NormaliseSeparators(wanted);
  size_t root = RootLength(normal.c_str());
  // Only POSIX roots and relative paths can be walked.
  if (root == 3) return false;
  std::string current = root ? normal.substr(0, root) : std::string();
  size_t start = root;
  while (start < normal.size()) {
    size_t end = normal.find('/', start);
    if (end == std::string::npos) end = normal.size();
    std::string part = normal.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    std::string exact = current.empty() ? part : Join(current, part);
    if (part == "." || part == ".." || stat(exact.c_str(), &info) == 0) {
      current = exact;
      continue;
    }
    DIR* dir = opendir(current.empty() ? "." : current.c_str());
    if (!dir) return false;
    std::string match;
    while (dirent* entry = readdir(dir)) {
      if (strcasecmp(entry->d_name, part.c_str()) == 0) {
        match = entry->d_name;
        break;
      }
    }
    closedir(dir);
    if (match.empty()) return false;
    current = current.empty() ? match : Join(current, match);
  }
  if (stat(current.c_str(), &info) != 0 || current.size() >= static_cast<size_t>(size)) return false;
  CopyOut(out, current, static_cast<size_t>(size));
  return true;
}
