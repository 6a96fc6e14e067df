// The default state every new or reset device is brought to, state by state,
// and the device channel's copies of it.
#include "device_state_fixture.h"

#include <vector>

namespace vel_test {
namespace {

struct RenderRow {
  DWORD state;
  DWORD value;
};

// clang-format off
const RenderRow kRenderStates[] = {
  {26,  1},  // D3DRS_DITHERENABLE            TRUE
  {145, 0},  // D3DRS_DIFFUSEMATERIALSOURCE   D3DMCS_MATERIAL
  {146, 0},  // D3DRS_SPECULARMATERIALSOURCE  D3DMCS_MATERIAL
  {147, 0},  // D3DRS_AMBIENTMATERIALSOURCE   D3DMCS_MATERIAL
  {148, 0},  // D3DRS_EMISSIVEMATERIALSOURCE  D3DMCS_MATERIAL
  {143, 1},  // D3DRS_NORMALIZENORMALS        TRUE
  {141, 0},  // D3DRS_COLORVERTEX             FALSE
  {142, 1},  // D3DRS_LOCALVIEWER             TRUE
  {22,  3},  // D3DRS_CULLMODE                D3DCULL_CCW
  {27,  0},  // D3DRS_ALPHABLENDENABLE        FALSE
  {19,  2},  // D3DRS_SRCBLEND                D3DBLEND_ONE
  {20,  2},  // D3DRS_DESTBLEND               D3DBLEND_ONE
  {29,  0},  // D3DRS_SPECULARENABLE          FALSE
  {7,   1},  // D3DRS_ZENABLE                 D3DZB_TRUE
  {24,  8},  // D3DRS_ALPHAREF                8
  {25,  7},  // D3DRS_ALPHAFUNC               D3DCMP_GREATEREQUAL
};
// clang-format on

struct StageRow {
  DWORD stage;
  DWORD type;
  DWORD value;
};

std::vector<StageRow> StageStates() {
  std::vector<StageRow> rows;
  // Linear minification, magnification and mip filtering on every stage.
  for (DWORD stage = 0; stage < 8; ++stage)
    for (DWORD type : {17u, 16u, 18u}) rows.push_back({stage, type, 2});
  // Blending of stages 0 to 2: diffuse times texture, then the result so far
  // times texture; alpha from the texture; two texture coordinates.
  for (DWORD stage = 0; stage < 3; ++stage) {
    rows.push_back({stage, 11, 0});               // D3DTSS_TEXCOORDINDEX           0
    rows.push_back({stage, 2, stage ? 1u : 0u});  // D3DTSS_COLORARG1               D3DTA_DIFFUSE, then D3DTA_CURRENT
    rows.push_back({stage, 1, 4});                // D3DTSS_COLOROP                 D3DTOP_MODULATE
    rows.push_back({stage, 3, 2});                // D3DTSS_COLORARG2               D3DTA_TEXTURE
    rows.push_back({stage, 4, 2});                // D3DTSS_ALPHAOP                 D3DTOP_SELECTARG1
    rows.push_back({stage, 5, 2});                // D3DTSS_ALPHAARG1               D3DTA_TEXTURE
    rows.push_back({stage, 24, 2});               // D3DTSS_TEXTURETRANSFORMFLAGS   D3DTTFF_COUNT2
    // An identity bump-environment matrix, luminance scale 0.5 and offset 0.
    rows.push_back({stage, 7, Bits(1.0f)});       // D3DTSS_BUMPENVMAT00
    rows.push_back({stage, 8, Bits(0.0f)});       // D3DTSS_BUMPENVMAT01
    rows.push_back({stage, 9, Bits(0.0f)});       // D3DTSS_BUMPENVMAT10
    rows.push_back({stage, 10, Bits(1.0f)});      // D3DTSS_BUMPENVMAT11
    rows.push_back({stage, 22, Bits(0.5f)});      // D3DTSS_BUMPENVLSCALE
    rows.push_back({stage, 23, Bits(0.0f)});      // D3DTSS_BUMPENVLOFFSET
  }
  return rows;
}

class DeviceDefaultStatesTest : public DeviceStateFixture {
 protected:
  // The device holds every state of the default tables, no texture on the
  // blended stages, the default projection, and the stages above them keep
  // the device's own blending (disabled, each its own coordinate set).
  void ExpectDefaults() {
    ASSERT_NE(D3DDevice(), nullptr);
    for (const RenderRow& row : kRenderStates) EXPECT_EQ(RenderState(row.state), row.value) << "state " << row.state;
    for (const StageRow& row : StageStates())
      EXPECT_EQ(StageState(row.stage, row.type), row.value) << "stage " << row.stage << " type " << row.type;
    for (DWORD stage = 0; stage < 3; ++stage) {
      IDirect3DBaseTexture8* texture = reinterpret_cast<IDirect3DBaseTexture8*>(1);
      D3DDevice()->GetTexture(stage, &texture);
      EXPECT_EQ(texture, nullptr) << "stage " << stage;
      if (texture) texture->Release();
    }
    for (DWORD stage = 3; stage < 8; ++stage) {
      EXPECT_EQ(StageState(stage, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE)) << "stage " << stage;
      EXPECT_EQ(StageState(stage, D3DTSS_TEXCOORDINDEX), stage);
    }
    const ProjectionInfo projection = Device()->GetProjectionInformation();
    EXPECT_FLOAT_EQ(projection.nearPlane, 0.4f);
    EXPECT_FLOAT_EQ(projection.farPlane, 4000.0f);
    EXPECT_FLOAT_EQ(projection.scale, 2.0f);
    EXPECT_FLOAT_EQ(projection.zoom, 1.0f);
    EXPECT_FLOAT_EQ(Device()->GetCurrentZoomFactor(), 1.0f);
  }

  // The channel's copies hold the default values: setting a state to its
  // default through the channel reaches the device only when the copy
  // differs, so a value changed behind the channel's back stays. Every state
  // is left changed.
  void ExpectCopiesHoldDefaults() {
    Vel_DX8_DirectGraphicsChannel* device = Device();
    for (const RenderRow& row : kRenderStates) {
      D3DDevice()->SetRenderState(static_cast<D3DRENDERSTATETYPE>(row.state), row.value ^ 1);
      device->SetRenderState(row.state, row.value);
      EXPECT_EQ(RenderState(row.state), row.value ^ 1) << "state " << row.state;
    }
    for (const StageRow& row : StageStates()) {
      const auto type = static_cast<D3DTEXTURESTAGESTATETYPE>(row.type);
      D3DDevice()->SetTextureStageState(row.stage, type, row.value ^ 1);
      device->SetTextureStageState(row.stage, type, row.value);
      EXPECT_EQ(StageState(row.stage, row.type), row.value ^ 1) << "stage " << row.stage << " type " << row.type;
    }
  }
};

TEST_F(DeviceDefaultStatesTest, ANewDeviceHoldsTheDefaultStates) {
  ASSERT_NE(Device(), nullptr);
  ExpectDefaults();
  ExpectCopiesHoldDefaults();
}

TEST_F(DeviceDefaultStatesTest, AResetBringsTheDefaultStatesBack) {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  ASSERT_NE(D3DDevice(), nullptr);
  ExpectCopiesHoldDefaults();
  device->SetProjectionMatrix(1.0f, 100.0f, 2.0f, 4.0f);
  ASSERT_TRUE(device->ResetDevice());
  ExpectDefaults();
  ExpectCopiesHoldDefaults();
  // The public slot does the same on the device as it stands.
  ASSERT_TRUE(device->SetDeviceStates());
  ExpectDefaults();
}

}  // namespace
}  // namespace vel_test
