// Dynamic libraries: loading by file name or path, exported functions,
// reference-counted unloading.
#pragma once

#include <string>

#include "win32/errors.h"
#include "win32/types.h"

// The address GetProcAddress returns; cast it to the export's real type.
// (A function type without parameters or result, so that the cast to any
// other function type draws no warning.)
typedef void (*FARPROC)(void);

#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001u
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002u
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004u

extern "C" {

// Loads a library and returns its module handle. A name with a '/' is used as
// a path as it stands; a bare name is looked for in each directory of the
// environment variable PATH (':'-separated, read at the time of the call), in
// order, and then in the loader's usual places. The name is first passed
// through Win32_LibraryFileName (".dll" becomes ".so"). Every distinct library
// has one module handle: loading it again returns the same handle and raises
// its reference count. NULL on failure, with GetLastError set
// (ERROR_MOD_NOT_FOUND when no file was found, ERROR_BAD_EXE_FORMAT when a file
// was found but could not be loaded) and the loader's text available from
// Win32_GetLoaderErrorText.
HMODULE LoadLibraryA(LPCSTR fileName);

// Lowers the reference count of a module; the library is unloaded when it
// reaches zero. FALSE with ERROR_INVALID_HANDLE for NULL or a handle that is
// not loaded.
BOOL FreeLibrary(HMODULE module);

// The address of a function or variable that the module itself exports
// (symbols of the libraries it depends on are not returned). NULL with
// ERROR_PROC_NOT_FOUND when it has no such export.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

// The full path of a module's file (NULL: the running program). Returns the
// number of characters copied without the terminating zero; when the buffer
// is too small the path is truncated, still zero-terminated, the result is
// size and the error ERROR_INSUFFICIENT_BUFFER. 0 on failure.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// NULL: the handle of the running program. A name: the handle of that library
// when LoadLibraryA has loaded it (the reference count is not raised), else
// NULL with ERROR_MOD_NOT_FOUND.
HMODULE GetModuleHandleA(LPCSTR moduleName);

// With GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, moduleName is an address inside
// a loaded library or the program and the handle of that module is returned.
// The reference count is raised (balance it with FreeLibrary) unless
// GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT is given.
BOOL GetModuleHandleExA(DWORD flags, LPCSTR moduleName, HMODULE* module);

}

// The file name the loader uses for a library name: a name ending in ".dll"
// (any case) ends in ".so" instead; a name whose last component has no
// extension gets ".so" appended (a trailing '.' means "no extension" and is
// dropped); any other name is returned unchanged.
std::string Win32_LibraryFileName(const char* name);

// The loader's text for the last failure of LoadLibraryA or GetProcAddress on
// the calling thread; empty when there was none.
const char* Win32_GetLoaderErrorText();
