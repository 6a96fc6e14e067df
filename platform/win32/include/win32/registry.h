// The registry: keys named by '\'-separated paths (case ignored) below the
// predefined roots, each holding named values. The store is one file per
// user: $KELVANE_REGISTRY when that is set, else
// $XDG_CONFIG_HOME/kelvane/registry (default ~/.config/kelvane/registry); both
// roots live in it. Every operation reads the file afresh, so writes made
// through other handles or other processes are seen at once. Every write
// replaces the file as a whole (a new file in the same directory, flushed to
// disk, renamed over the old one), so an interrupted write leaves the old
// store intact. A missing, unreadable or damaged store reads as empty and is
// replaced by the next write.
#pragma once

#include "win32/errors.h"
#include "win32/types.h"

typedef DWORD REGSAM;
typedef HKEY* PHKEY;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(0x80000000u))))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(0x80000001u))))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(0x80000002u))))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(0x80000003u))))

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_EXECUTE 0x20019u
#define KEY_ALL_ACCESS 0xF003Fu

#define REG_OPTION_NON_VOLATILE 0x00000000u
#define REG_CREATED_NEW_KEY 0x00000001u
#define REG_OPENED_EXISTING_KEY 0x00000002u

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u

extern "C" {

// Opens an existing key (subKey NULL or empty: a new handle to key itself).
// ERROR_FILE_NOT_FOUND when it does not exist.
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);

// Opens a key, creating it and every missing key above it first.
// *disposition (when not NULL) tells REG_CREATED_NEW_KEY or
// REG_OPENED_EXISTING_KEY.
LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                        REGSAM access, LPSECURITY_ATTRIBUTES attributes, PHKEY result,
                        LPDWORD disposition);

// Reads a value (name NULL or empty: the key's default value). *type gets its
// type. With data NULL, *dataSize gets the size of the stored data. With a
// buffer smaller than the data: ERROR_MORE_DATA and *dataSize = the size
// needed. String data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) stored without a
// terminating zero gets one after it when the buffer has room for it;
// *dataSize is the stored size either way. ERROR_FILE_NOT_FOUND when the
// value does not exist.
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize);

// Creates or replaces a value with dataSize bytes of data (stored as given).
// Needs a key opened with KEY_SET_VALUE (else ERROR_ACCESS_DENIED).
LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD dataSize);

// Removes a value; ERROR_FILE_NOT_FOUND when it does not exist.
LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName);

// Releases a key handle; closing a predefined root does nothing.
LSTATUS RegCloseKey(HKEY key);

}
