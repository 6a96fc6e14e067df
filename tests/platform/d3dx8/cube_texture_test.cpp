// Cube textures of the extension library: DDS cube maps face by face, plain
// images on every face, their sizes, levels and colour key.
#include <d3dx8/d3dx8.h>

#include <cstring>

#include "device_fixture.h"
#include "image_writers.h"

namespace {

using namespace testimages;

class CubeTextureTest : public DeviceTest {
 protected:
  void TearDown() override {
    SafeRelease(cube_);
    DeviceTest::TearDown();
  }

  HRESULT Load(const Bytes& file, UINT size = D3DX_DEFAULT, D3DCOLOR colorKey = 0) {
    SafeRelease(cube_);
    return D3DXCreateCubeTextureFromFileInMemoryEx(device_, file.data(), UINT(file.size()), size, D3DX_DEFAULT, 0,
                                                   D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                                   D3DX_FILTER_BOX, colorKey, &info_, nullptr, &cube_);
  }

  // The texels of one face's level, row by row.
  Texels Read(UINT face, UINT level) {
    D3DSURFACE_DESC desc = {};
    EXPECT_EQ(D3D_OK, cube_->GetLevelDesc(level, &desc));
    D3DLOCKED_RECT locked;
    Texels out;
    if (cube_->LockRect(static_cast<D3DCUBEMAP_FACES>(face), level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
      ADD_FAILURE() << "face " << face << " level " << level << " does not lock";
      return out;
    }
    for (UINT y = 0; y < desc.Height; ++y) {
      const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                             size_t(y) * locked.Pitch);
      out.insert(out.end(), row, row + desc.Width);
    }
    cube_->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), level);
    return out;
  }

  IDirect3DCubeTexture8* cube_ = nullptr;
  D3DXIMAGE_INFO info_ = {};
};

TEST_F(CubeTextureTest, CubeMapFileGivesEachFaceItsOwnImage) {
  // Faces of 2 x 2 texels with two stored levels each; -Y is left out.
  std::vector<Texels> faces(6);
  for (uint32_t f = 0; f < 6; ++f)
    if (f != D3DCUBEMAP_FACE_NEGATIVE_Y) faces[f] = {0xFF000000 | f << 16, 0xFF000000 | f << 16 | 1, 0xFF0000FF, 0xFFFFFFFF};
  ASSERT_EQ(D3D_OK, Load(WriteDdsCubeArgb(2, faces, 2)));
  EXPECT_EQ(D3DRTYPE_CUBETEXTURE, info_.ResourceType);
  EXPECT_EQ(2u, info_.MipLevels);
  EXPECT_EQ(2u, cube_->GetLevelCount());
  for (uint32_t f = 0; f < 6; ++f) {
    SCOPED_TRACE(f);
    if (f == D3DCUBEMAP_FACE_NEGATIVE_Y) {
      EXPECT_EQ(Texels(4, 0), Read(f, 0));
      continue;
    }
    EXPECT_EQ(faces[f], Read(f, 0));
    // The lower level is made from the face's top level, not read from the
    // file: the box average of its four texels.
    const Texels small = Read(f, 1);
    ASSERT_EQ(1u, small.size());
    EXPECT_EQ(0xFFu, small[0] >> 24);
    EXPECT_NE(0xFF123456u, small[0]);
  }
  // A file whose last face is cut short makes no texture.
  Bytes cut = WriteDdsCubeArgb(2, faces, 1);
  cut.resize(cut.size() - 4);
  EXPECT_EQ(D3DXERR_INVALIDDATA, Load(cut));
  EXPECT_EQ(nullptr, cube_);
}

TEST_F(CubeTextureTest, PlainImageGoesOnEveryFaceWithItsColourKey) {
  const Texels texels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF00FF00,
                         0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000, 0xFF0000FF,
                         0xFF000000, 0xFF00FF00, 0xFF0000FF, 0xFFFF0000,
                         0xFFFFFFFF, 0xFF0000FF, 0xFF00FF00, 0xFF000000};
  ASSERT_EQ(D3D_OK, Load(WritePng(4, 4, texels, PngKind::kRgb), D3DX_DEFAULT, 0xFF00FF00));
  EXPECT_EQ(D3DRTYPE_TEXTURE, info_.ResourceType);
  EXPECT_EQ(3u, cube_->GetLevelCount());
  // An opaque image gives X8R8G8B8 faces: the colour bytes are compared.
  Texels keyed = texels;
  for (uint32_t& t : keyed) t = t == 0xFF00FF00 ? 0 : t & 0xFFFFFF;
  for (uint32_t f = 0; f < 6; ++f) {
    Texels face = Read(f, 0);
    for (uint32_t& t : face) t &= 0xFFFFFF;
    EXPECT_EQ(keyed, face) << "face " << f;
  }
  // A requested size scales every face.
  ASSERT_EQ(D3D_OK, Load(WritePng(4, 4, texels, PngKind::kRgb), 2));
  D3DSURFACE_DESC desc;
  ASSERT_EQ(D3D_OK, cube_->GetLevelDesc(0, &desc));
  EXPECT_EQ(2u, desc.Width);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
}

}  // namespace
