#include "directory_lister.h"

#include <dirent.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {
// The extension the filter "DLL" stands for.
constexpr const char* kLibraryExtension = "so";

bool MatchesPattern(const std::string& pattern, const char* name) {
  if (pattern.empty() || pattern == "*" || pattern == "*.*") return true;
  return fnmatch(pattern.c_str(), name, FNM_CASEFOLD) == 0;
}
}  // namespace

ChannelType Vel_DirectoryLister::TypeRecord() {
  ChannelType record(kDirectoryChannelType);
  record.baseType = kDirectoryChannelType;
  record.SetName("Directory");
  return record;
}

Vel_DirectoryLister::Vel_DirectoryLister() = default;
Vel_DirectoryLister::~Vel_DirectoryLister() = default;

ChannelType Vel_DirectoryLister::GetChannelType() { return TypeRecord(); }

void Vel_DirectoryLister::SetFileFilter(const char* extension) {
  filter.clear();
  if (extension) {
    if (*extension == '.') ++extension;
    filter = strcasecmp(extension, "DLL") == 0 ? kLibraryExtension : extension;
  }
  ApplyFilter();
}

void Vel_DirectoryLister::ApplyFilter() {
  files.clear();
  for (const std::string& name : allFiles) {
    if (!filter.empty()) {
      size_t dot = name.find_last_of('.');
      if (dot == std::string::npos || strcasecmp(name.c_str() + dot + 1, filter.c_str()) != 0) continue;
    }
    files.push_back(name);
  }
}

bool Vel_DirectoryLister::SetPath(const char* pattern) {
  allFiles.clear();
  files.clear();
  directories.clear();
  if (!pattern || !*pattern) return false;
  std::string text(pattern);
  std::string dir = text;
  std::string namePattern;
  size_t slash = text.find_last_of('/');
  std::string last = slash == std::string::npos ? text : text.substr(slash + 1);
  if (last.find_first_of("*?") != std::string::npos) {
    namePattern = last;
    dir = slash == std::string::npos ? std::string(".") : text.substr(0, slash);
    if (dir.empty()) dir = "/";
  }

  DIR* handle = opendir(dir.c_str());
  if (!handle) return false;
  try {
    while (dirent* entry = readdir(handle)) {
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      std::string full = dir + "/" + name;
      struct stat st;
      if (stat(full.c_str(), &st) != 0) continue;  // a dangling link
      if (S_ISDIR(st.st_mode)) {
        directories.push_back(name);
      } else if (S_ISREG(st.st_mode) && MatchesPattern(namePattern, name)) {
        allFiles.push_back(name);
      }
    }
  } catch (const std::bad_alloc&) {
    closedir(handle);
    allFiles.clear();
    directories.clear();
    return false;
  }
  closedir(handle);
  std::sort(allFiles.begin(), allFiles.end());
  std::sort(directories.begin(), directories.end());
  ApplyFilter();
  return true;
}

int Vel_DirectoryLister::GetFileCount() { return static_cast<int>(files.size()); }

const char* Vel_DirectoryLister::GetFileName(int i) {
  if (i < 0 || static_cast<size_t>(i) >= files.size()) return nullptr;
  return files[static_cast<size_t>(i)].c_str();
}

int Vel_DirectoryLister::GetDirectoryCount() { return static_cast<int>(directories.size()); }

const char* Vel_DirectoryLister::GetDirectoryName(int i) {
  if (i < 0 || static_cast<size_t>(i) >= directories.size()) return nullptr;
  return directories[static_cast<size_t>(i)].c_str();
}
