// Libraries are loaded with dlopen. Each distinct library (one dlopen handle)
// has one module record holding exactly one loader reference of its own; the
// record counts the LoadLibraryA calls made for it and gives its loader
// reference back when FreeLibrary brings the count to zero.
#include "win32/library.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "module_internal.h"
#include "path_list.h"
#include "win32/errors.h"

struct Win32Module {
  void* dl = nullptr;
  int refs = 0;
  // Never unloaded by FreeLibrary: the program itself and libraries that were
  // found by address rather than loaded through LoadLibraryA.
  bool resident = false;
  std::string path;
  // Identity of the file the library was loaded from, to notice a file that
  // was replaced on disk while its old version is still loaded.
  dev_t device = 0;
  ino_t inode = 0;
};

namespace {

struct ModuleTable {
  std::mutex mutex;
  std::unordered_map<void*, Win32Module*> byHandle;
  std::unordered_set<Win32Module*> live;
  Win32Module* program = nullptr;
};

ModuleTable& Modules() {
  static ModuleTable* table = new ModuleTable;  // lives until the process ends
  return *table;
}

thread_local std::string loaderError;

void SetLoaderError(const char* text) { loaderError = text ? text : ""; }

std::string TakeDlError() {
  const char* text = dlerror();
  return text ? std::string(text) : std::string();
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  size_t n = std::strlen(suffix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char a = text[text.size() - n + i];
    char b = suffix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  if (!getcwd(buffer.data(), buffer.size())) return std::string();
  return std::string(buffer.data());
}

std::string ProgramPath() {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), PATH_MAX);
  if (n <= 0) return std::string();
  return std::string(buffer.data(), static_cast<size_t>(n));
}

// The path of the file a loader handle came from, absolute.
std::string PathOfHandle(void* dl) {
  struct link_map* map = nullptr;
  if (dlinfo(dl, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name || !map->l_name[0])
    return std::string();
  std::string path = map->l_name;
  if (path[0] != '/') {
    std::string cwd = CurrentDirectory();
    if (!cwd.empty()) path = cwd + "/" + path;
  }
  return path;
}

Win32Module* ProgramModule(ModuleTable& table) {
  // Called with the table locked.
  if (!table.program) {
    Win32Module* module = new Win32Module;
    module->dl = dlopen(nullptr, RTLD_NOW);
    module->resident = true;
    module->path = ProgramPath();
    table.program = module;
    table.live.insert(module);
  }
  return table.program;
}

// Files a module record for a loader handle that carries one loader
// reference; an existing record for the same library keeps its own reference
// and the extra one is given back. `addRef` raises the load count.
Win32Module* AdoptHandle(void* dl, bool addRef, bool residentIfNew) {
  ModuleTable& table = Modules();
  Win32Module* module = nullptr;
  bool duplicate = false;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.byHandle.find(dl);
    if (it != table.byHandle.end()) {
      module = it->second;
      duplicate = true;
    } else {
      module = new Win32Module;
      module->dl = dl;
      module->resident = residentIfNew;
      module->path = PathOfHandle(dl);
      struct stat info;
      if (!module->path.empty() && stat(module->path.c_str(), &info) == 0) {
        module->device = info.st_dev;
        module->inode = info.st_ino;
      }
      table.byHandle[dl] = module;
      table.live.insert(module);
    }
    if (addRef) ++module->refs;
  }
  if (duplicate) dlclose(dl);
  return module;
}

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The directories of PATH in order, empty entries left out.
std::vector<std::string> SearchDirectories() { return SplitPathList(getenv("PATH")); }

// The module LoadLibraryA loaded for a name: the whole path when the name has a
// '/', else the file name. Called with the table locked.
Win32Module* FindLoadedLocked(ModuleTable& table, const char* name) {
  std::string file = Win32_LibraryFileName(name);
  bool byPath = file.find('/') != std::string::npos;
  for (Win32Module* module : table.live) {
    if (module == table.program) continue;
    const std::string& path = module->path;
    if (byPath) {
      if (path == file) return module;
    } else {
      size_t slash = path.rfind('/');
      if (path.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos, file) == 0)
        return module;
    }
  }
  return nullptr;
}

// When path names a file that replaced a library still loaded from the same
// path, the system loader would hand back the old library. The new file is
// then opened through a hard link (or copy) of its own, so it loads as a
// library of its own. Answers the path to open.
std::string PathForReplacedFile(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return path;
  ModuleTable& table = Modules();
  bool stale = false;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    for (Win32Module* module : table.live) {
      if (module->path == path && (module->device != info.st_dev || module->inode != info.st_ino)) stale = true;
    }
  }
  if (!stale) return path;
  const char* tmp = getenv("TMPDIR");
  std::string dir = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/kelvane-replaced-" + std::to_string(getpid()) + "-" +
                    std::to_string(static_cast<unsigned long long>(info.st_ino));
  mkdir(dir.c_str(), 0700);
  size_t slash = path.rfind('/');
  std::string link = dir + "/" + path.substr(slash == std::string::npos ? 0 : slash + 1);
  unlink(link.c_str());
  if (::link(path.c_str(), link.c_str()) != 0) {
    FILE* in = fopen(path.c_str(), "rb");
    FILE* out = in ? fopen(link.c_str(), "wb") : nullptr;
    char buffer[65536];
    size_t n;
    while (in && out && (n = fread(buffer, 1, sizeof buffer, in)) > 0) fwrite(buffer, 1, n, out);
    if (in) fclose(in);
    if (out) fclose(out);
  }
  return link;
}

// Removes the private link of a replaced file once it is loaded: the mapping
// stays, the name goes.
void DropReplacementLink(const std::string& opened, const std::string& requested) {
  if (opened == requested) return;
  unlink(opened.c_str());
  size_t slash = opened.rfind('/');
  if (slash != std::string::npos) rmdir(opened.substr(0, slash).c_str());
}

}  // namespace

std::string Win32_LibraryFileName(const char* name) {
  if (!name) return std::string();
  std::string file(name);
  size_t slash = file.rfind('/');
  size_t base = slash == std::string::npos ? 0 : slash + 1;
  if (base >= file.size()) return file;
  if (EndsWithNoCase(file, ".dll")) {
    file.replace(file.size() - 4, 4, ".so");
  } else if (file.back() == '.') {
    file.pop_back();
  } else if (file.find('.', base) == std::string::npos) {
    file += ".so";
  }
  return file;
}

const char* Win32_GetLoaderErrorText() { return loaderError.c_str(); }

void* win32plat::ModuleLinkMap(HMODULE module) {
  void* dl = nullptr;
  {
    ModuleTable& table = Modules();
    std::lock_guard<std::mutex> lock(table.mutex);
    Win32Module* record = module ? module : ProgramModule(table);
    if (!table.live.count(record)) return nullptr;
    dl = record->dl;
  }
  struct link_map* map = nullptr;
  return dlinfo(dl, RTLD_DI_LINKMAP, &map) == 0 ? map : nullptr;
}

extern "C" {

HMODULE LoadLibraryA(LPCSTR fileName) {
  if (!fileName || !fileName[0]) {
    SetLoaderError("LoadLibraryA: no file name");
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string file = Win32_LibraryFileName(fileName);

  std::vector<std::string> candidates;
  if (file.find('/') != std::string::npos) {
    candidates.push_back(file);
  } else {
    for (const std::string& dir : SearchDirectories()) {
      std::string path = dir.back() == '/' ? dir + file : dir + "/" + file;
      if (IsRegularFile(path)) candidates.push_back(path);
    }
    candidates.push_back(file);  // the loader's own search
  }

  // A file that exists but fails to load explains more than the final
  // "not found", so the first such failure is the one reported.
  std::string firstFailure;
  for (const std::string& candidate : candidates) {
    std::string opened = candidate.find('/') != std::string::npos ? PathForReplacedFile(candidate) : candidate;
    void* dl = dlopen(opened.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (dl) {
      SetLoaderError(nullptr);
      Win32Module* module = AdoptHandle(dl, true, false);
      if (opened != candidate) {
        // The module answers for the path it was asked by, with the new file's identity.
        std::lock_guard<std::mutex> lock(Modules().mutex);
        module->path = candidate;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0) {
          module->device = info.st_dev;
          module->inode = info.st_ino;
        }
      }
      DropReplacementLink(opened, candidate);
      return module;
    }
    std::string text = TakeDlError();
    if (firstFailure.empty() && IsRegularFile(candidate)) firstFailure = text;
    if (candidate == candidates.back()) {
      if (!firstFailure.empty()) {
        SetLoaderError(firstFailure.c_str());
        SetLastError(ERROR_BAD_EXE_FORMAT);
      } else {
        SetLoaderError(text.c_str());
        SetLastError(ERROR_MOD_NOT_FOUND);
      }
    }
  }
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  ModuleTable& table = Modules();
  void* unload = nullptr;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    if (!module || !table.live.count(module)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (module->refs > 0) --module->refs;
    if (module->refs == 0 && !module->resident) {
      unload = module->dl;
      table.byHandle.erase(module->dl);
      table.live.erase(module);
      delete module;
    }
  }
  if (unload) dlclose(unload);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  void* dl = nullptr;
  {
    ModuleTable& table = Modules();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (!module || !table.live.count(module)) {
      SetLoaderError("GetProcAddress: not a loaded module");
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    dl = module->dl;
  }
  // Small values are export ordinals, which shared objects do not have.
  if (reinterpret_cast<uintptr_t>(procName) < 0x10000) {
    SetLoaderError("GetProcAddress: exports have no ordinals");
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  dlerror();
  void* symbol = dlsym(dl, procName);
  if (!symbol) {
    std::string text = TakeDlError();
    if (text.empty()) text = std::string(procName) + ": symbol has no address";
    SetLoaderError(text.c_str());
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  // dlsym also searches the libraries the module depends on; only the
  // module's own exports count.
  struct link_map* own = nullptr;
  struct link_map* owner = nullptr;
  Dl_info info;
  if (dlinfo(dl, RTLD_DI_LINKMAP, &own) != 0 ||
      dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
      owner != own) {
    std::string text = std::string(procName) + ": not exported by this module";
    SetLoaderError(text.c_str());
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  SetLoaderError(nullptr);
  return reinterpret_cast<FARPROC>(symbol);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  std::string path;
  if (!module) {
    path = ProgramPath();
  } else {
    ModuleTable& table = Modules();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (!table.live.count(module)) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = module->path;
  }
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (!fileName || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() < size) {
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  std::memcpy(fileName, path.data(), size - 1);
  fileName[size - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  ModuleTable& table = Modules();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (!moduleName) return ProgramModule(table);
  Win32Module* module = FindLoadedLocked(table, moduleName);
  if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}

BOOL GetModuleHandleExA(DWORD flags, LPCSTR moduleName, HMODULE* module) {
  if (!module) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *module = nullptr;
  bool addRef = (flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) == 0;
  bool pin = (flags & GET_MODULE_HANDLE_EX_FLAG_PIN) != 0;
  Win32Module* found = nullptr;
  if (flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) {
    Dl_info info;
    struct link_map* map = nullptr;
    if (dladdr1(moduleName, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || !map) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
    if (!map->l_name || !map->l_name[0]) {
      // The program itself.
      ModuleTable& table = Modules();
      std::lock_guard<std::mutex> lock(table.mutex);
      *module = ProgramModule(table);
      return TRUE;
    }
    void* dl = dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD);
    if (!dl) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
    found = AdoptHandle(dl, addRef, true);
  } else {
    ModuleTable& table = Modules();
    std::lock_guard<std::mutex> lock(table.mutex);
    found = moduleName ? FindLoadedLocked(table, moduleName) : ProgramModule(table);
    if (!found) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
    if (addRef && !found->resident) ++found->refs;
  }
  if (pin) {
    ModuleTable& table = Modules();
    std::lock_guard<std::mutex> lock(table.mutex);
    found->resident = true;
  }
  *module = found;
  return TRUE;
}

}
