#include "library_check.h"

#include "channel_type.h"
#include "guid_util.h"
#include "win32/library.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>

namespace {
// The header of the library this code runs in: its class, byte order and
// machine are those every library loaded into this process must have.
const ElfW(Ehdr)* OwnHeader() {
  Dl_info info;
  if (dladdr(reinterpret_cast<const void*>(&OwnHeader), &info) == 0 || !info.dli_fbase) return nullptr;
  const ElfW(Ehdr)* header = static_cast<const ElfW(Ehdr)*>(info.dli_fbase);
  return std::memcmp(header->e_ident, ELFMAG, SELFMAG) == 0 ? header : nullptr;
}
}  // namespace

bool IsSharedObjectForThisSystem(const char* bytes, size_t size, std::string* reason) {
  ElfW(Ehdr) header;
  if (!bytes || size < sizeof header || std::memcmp(bytes, ELFMAG, SELFMAG) != 0) {
    *reason = "not a shared object";
    return false;
  }
  std::memcpy(&header, bytes, sizeof header);
  const ElfW(Ehdr)* own = OwnHeader();
  if (own && (header.e_ident[EI_CLASS] != own->e_ident[EI_CLASS] || header.e_ident[EI_DATA] != own->e_ident[EI_DATA] ||
              header.e_machine != own->e_machine)) {
    *reason = "a shared object for another machine";
    return false;
  }
  if (header.e_type != ET_DYN) {
    *reason = "not a shared object";
    return false;
  }
  return true;
}

LibraryCheck CheckLibraryFile(const std::string& path, bool plugin, const GUID& type, std::string* reason) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    *reason = std::string("it does not load: ") + Win32_GetLoaderErrorText();
    return LibraryCheck::kDoesNotLoad;
  }
  LibraryCheck result = LibraryCheck::kGood;
  if (plugin) {
    typedef ChannelType* (*GetTypeFunction)();
    auto getType = reinterpret_cast<GetTypeFunction>(reinterpret_cast<void*>(GetProcAddress(module, "GetType")));
    bool hasInit = GetProcAddress(module, "InitDLL") != nullptr;
    const ChannelType* record = getType ? getType() : nullptr;
    if (!getType || !hasInit) {
      *reason = "not a channel plug-in (GetType or InitDLL missing)";
      result = LibraryCheck::kWrongKind;
    } else if (!record || record->type != type) {
      *reason = "a plug-in of another channel type";
      result = LibraryCheck::kWrongKind;
    } else if (record->version[1] != kChannelInterfaceVersion) {
      *reason = "a plug-in for another interface version";
      result = LibraryCheck::kWrongKind;
    }
  }
  FreeLibrary(module);
  return result;
}
