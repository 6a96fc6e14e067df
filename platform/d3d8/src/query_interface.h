// QueryInterface as every object of the device layer answers it.
#pragma once

#include <d3d8/d3d8.h>

#include <initializer_list>

namespace d3d8 {

// Hands out `self` with a reference added when `riid` is IUnknown or one of
// `iids` (the interfaces `Interface` derives from); otherwise E_NOINTERFACE
// and a NULL result.
template <typename Interface>
HRESULT QueryInterfaceOf(Interface* self, REFIID riid, void** ppvObj, std::initializer_list<IID> iids) {
  if (!ppvObj) return E_POINTER;
  bool known = riid == IID_IUnknown;
  for (const IID& iid : iids) known = known || riid == iid;
  if (!known) {
    *ppvObj = nullptr;
    return E_NOINTERFACE;
  }
  self->AddRef();
  *ppvObj = self;
  return S_OK;
}

}  // namespace d3d8
