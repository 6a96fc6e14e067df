// Starting other programs.
#pragma once

#include <string>

#include "win32/handle.h"
#include "win32/types.h"

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
typedef STARTUPINFOA* LPSTARTUPINFOA;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

extern "C" {

// Starts a program. The program is applicationName when given, else the first
// word of commandLine (double quotes group words); its name passes through
// Win32_ProgramFileName. A name with a '/' is a path; a bare name is looked for
// in the running program's own directory and then in each directory of PATH.
// The words of commandLine become the program's arguments (its first word
// its argv[0]). The new process inherits the environment (environment must be
// NULL) and runs in currentDirectory when that is given. No handles are
// inherited. On success *info gets a process handle and a second handle to the
// same process in place of its first thread (close both with CloseHandle;
// WaitForSingleObject on either waits for the process to end) and the process
// id. FALSE with ERROR_FILE_NOT_FOUND when the program is not found.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION info);

// The exit code of a process (128 + the signal number when a signal ended
// it), or STILL_ACTIVE while it runs.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);

}

// The file name of a program: a name ending in ".exe" (any case) loses that
// ending; any other name is unchanged.
std::string Win32_ProgramFileName(const char* name);
