// Resources: named blocks of read-only bytes that a library or the program
// carries inside itself, found by type and name.
//
// A target gets them with one line of its CMakeLists.txt,
//
//   kelvane_resources(<target> <TYPE> <folder>)
//
// which makes every file directly inside the folder a resource of that type
// named by its file name, its bytes exactly those of the file. Type and name
// are compared without regard to ASCII case.
#pragma once

#include <cstddef>

#include "win32/types.h"

#define IS_INTRESOURCE(r) ((reinterpret_cast<ULONG_PTR>(r) >> 16) == 0)

#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

// One resource as the build embeds it; an HRSRC points to one of these.
struct Win32Resource {
  const char* type;
  const char* name;
  const BYTE* data;  // followed by a zero byte that `size` does not count
  DWORD size;
};

extern "C" {

// The resource of that name and type in the module (NULL: the program).
// Names and types given as numbers (MAKEINTRESOURCE) are never found. NULL
// when there is none, with ERROR_RESOURCE_DATA_NOT_FOUND (the module has no
// resources), ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
// A handle to the resource's bytes, valid while its module stays loaded;
// NULL with ERROR_INVALID_HANDLE for anything but a found resource.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The address of the bytes (read-only).
LPVOID LockResource(HGLOBAL data);
// The number of bytes; 0 with ERROR_INVALID_HANDLE for anything but a found
// resource.
DWORD SizeofResource(HMODULE module, HRSRC resource);

}

// A module's table of resources, entered for as long as the module is
// loaded. The build makes one for each kelvane_resources line; it is not
// meant to be written by hand.
class Win32ResourceTable {
 public:
  Win32ResourceTable(const Win32Resource* entries, size_t count);
  ~Win32ResourceTable();
  Win32ResourceTable(const Win32ResourceTable&) = delete;
  Win32ResourceTable& operator=(const Win32ResourceTable&) = delete;

 private:
  const Win32Resource* entries_;
  size_t count_;
};
