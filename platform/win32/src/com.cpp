#include "win32/com.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

bool RandomBytes(unsigned char* out, size_t size) {
  size_t total = 0;
  while (total < size) {
    ssize_t n = getrandom(out + total, size - total, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    total += static_cast<size_t>(n);
  }
  if (total == size) return true;
  // Kernels without getrandom.
  int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  while (total < size) {
    ssize_t n = read(fd, out + total, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += static_cast<size_t>(n);
  }
  close(fd);
  return total == size;
}

}  // namespace

extern "C" {

HRESULT CoCreateGuid(GUID* guid) {
  if (!guid) return E_POINTER;
  unsigned char bytes[16];
  if (!RandomBytes(bytes, sizeof(bytes))) return E_FAIL;
  std::memcpy(guid, bytes, sizeof(bytes));
  guid->Data3 = static_cast<WORD>((guid->Data3 & 0x0FFF) | 0x4000);      // version 4
  guid->Data4[0] = static_cast<BYTE>((guid->Data4[0] & 0x3F) | 0x80);   // RFC 4122 variant
  return S_OK;
}

HRESULT CoInitialize(LPVOID) { return S_OK; }

void CoUninitialize(void) {}

HRESULT CoCreateInstance(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  return REGDB_E_CLASSNOTREG;
}

}
