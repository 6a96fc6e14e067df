#include "cube_texture.h"

#include "query_interface.h"

namespace d3d8 {

CubeTexture* CubeTexture::Create(Device* device, UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                 D3DPOOL pool, HRESULT* hr) {
  const FormatInfo* info = nullptr;
  *hr = CheckParameters(edgeLength, edgeLength, &levels, usage, format, pool, &info);
  if (FAILED(*hr)) return nullptr;
  return new CubeTexture(device, TextureKind::Cube, edgeLength, edgeLength, levels, usage, format, pool, info);
}

HRESULT CubeTexture::QueryInterface(REFIID riid, void** ppvObj) {
  return QueryInterfaceOf<IDirect3DCubeTexture8>(
      this, riid, ppvObj, {IID_IDirect3DResource8, IID_IDirect3DBaseTexture8, IID_IDirect3DCubeTexture8});
}

}  // namespace d3d8
