// COM: GUID creation, and an object-creation call that knows no classes.
#pragma once

#include "win32/types.h"

#define CLSCTX_INPROC_SERVER 0x1u
#define CLSCTX_INPROC_HANDLER 0x2u
#define CLSCTX_LOCAL_SERVER 0x4u
#define CLSCTX_ALL 0x17u

#define E_POINTER static_cast<HRESULT>(0x80004003)
#define REGDB_E_CLASSNOTREG static_cast<HRESULT>(0x80040154)

// The identity of IUnknown, which every COM object answers to.
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The base interface of COM objects: reference counting and interface lookup.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

extern "C" {

// A new random GUID (version 4, RFC 4122 variant) from the system's random
// source. E_FAIL when no random bytes can be had; E_POINTER for NULL.
HRESULT CoCreateGuid(GUID* guid);

// Nothing to set up: S_OK.
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize(void);

// No COM classes are registered: *object = NULL and REGDB_E_CLASSNOTREG
// (E_POINTER when object is NULL).
HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                         LPVOID* object);

}
