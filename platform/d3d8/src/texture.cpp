#include "texture.h"

#include "query_interface.h"

namespace d3d8 {

Texture* Texture::Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool, HRESULT* hr) {
  const FormatInfo* info = nullptr;
  *hr = CheckParameters(width, height, &levels, usage, format, pool, &info);
  if (FAILED(*hr)) return nullptr;
  return new Texture(device, TextureKind::Planar, width, height, levels, usage, format, pool, info);
}

HRESULT Texture::QueryInterface(REFIID riid, void** ppvObj) {
  return QueryInterfaceOf<IDirect3DTexture8>(this, riid, ppvObj,
                                             {IID_IDirect3DResource8, IID_IDirect3DBaseTexture8, IID_IDirect3DTexture8});
}

}  // namespace d3d8
