// Files and directories: create/open, read, write, size, seek, attributes,
// delete, rename, directories and directory listings. Paths use '/'.
#pragma once

#include "win32/handle.h"
#include "win32/types.h"

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u
// Specific rights: a handle with FILE_APPEND_DATA but without FILE_WRITE_DATA
// (or GENERIC_WRITE) writes only at the end of the file, each write whole,
// also while other handles append to the same file.
#define FILE_WRITE_DATA 0x00000002u
#define FILE_APPEND_DATA 0x00000004u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u

#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

extern "C" {

// Opens or creates a file. access: GENERIC_READ and/or GENERIC_WRITE, or
// FILE_APPEND_DATA for a handle that only appends.
// disposition: CREATE_NEW (fails with ERROR_FILE_EXISTS when it exists),
// CREATE_ALWAYS (truncates), OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING.
// CREATE_ALWAYS and OPEN_ALWAYS on an existing file succeed and set
// ERROR_ALREADY_EXISTS. A directory cannot be opened (ERROR_ACCESS_DENIED).
// Share modes, security attributes and the template are not used.
// INVALID_HANDLE_VALUE on failure.
HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES attributes, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);

// Reads up to toRead bytes at the file position; fewer only at the end of the
// file (0 bytes read with TRUE means the end was reached).
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);

// Writes all bytes at the file position; FALSE (with *written the bytes that
// did get written) when the device is full or the write fails.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped);

// The low 32 bits of the size; the high 32 bits go to *sizeHigh when it is not
// NULL. INVALID_FILE_SIZE on failure (check GetLastError, since that value can
// be a real low half).
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);

// Moves the file position by distance (with *distanceHigh as the high half
// when distanceHigh is not NULL, a signed 64-bit distance then) from
// FILE_BEGIN, FILE_CURRENT or FILE_END; returns the low half of the new
// position and stores its high half in *distanceHigh.
// INVALID_SET_FILE_POINTER on failure, ERROR_NEGATIVE_SEEK before the start.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);

// Forces written data of the file to the disk.
BOOL FlushFileBuffers(HANDLE file);

// FILE_ATTRIBUTE_DIRECTORY for a directory, FILE_ATTRIBUTE_NORMAL for any
// other file; INVALID_FILE_ATTRIBUTES when the path does not exist.
DWORD GetFileAttributesA(LPCSTR fileName);

BOOL DeleteFileA(LPCSTR fileName);

// Renames a file or directory. Without MOVEFILE_REPLACE_EXISTING an existing
// target makes it fail (ERROR_ALREADY_EXISTS); with it the target is replaced
// in one step, so readers see either the old or the new file.
// MOVEFILE_WRITE_THROUGH returns only after the rename is on the disk.
BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName);

// Creates one directory (its parent must exist); ERROR_ALREADY_EXISTS when it
// is there.
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES attributes);

// The current directory. Returns its length without the terminating zero when
// it fits in size characters, else the size needed including the zero (and
// the buffer is left alone); 0 on failure.
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR pathName);

// Directory listing. The pattern is a directory path, a '/', and a file name
// mask in which '*' stands for any run of characters and '?' for one ("*.*"
// matches every name, also names without a dot; matching ignores case). The
// entries, "." and ".." included when the mask matches them, come in name
// order. FindFirstFileA returns INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND
// when nothing matches; FindNextFileA returns FALSE with ERROR_NO_MORE_FILES
// after the last entry. Names longer than MAX_PATH - 1 are skipped.
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE search);

}
