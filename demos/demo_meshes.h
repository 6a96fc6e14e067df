// Meshes of the demo projects, built in memory and handed to mesh-data
// channels: front faces wind clockwise as the viewer sees them (the device
// culls counter-clockwise faces), normals point outward, texture coordinates
// run 0..repeat across each face.
#pragma once

#include <d3dx8/d3dx8math.h>

#include <vector>

class Vel_DX8_ObjectDataChannel;

namespace demos {

struct MeshData {
  std::vector<D3DXVECTOR3> positions;
  std::vector<D3DXVECTOR3> normals;
  std::vector<D3DXVECTOR2> uvs;
  std::vector<unsigned short> indices;

  // One rectangle centred on `centre` facing along `normal`, `up` being the
  // direction that shows upward when the face is seen from outside; its half
  // sizes along the right and up directions.
  void AddFace(D3DXVECTOR3 centre, D3DXVECTOR3 normal, D3DXVECTOR3 up, float halfRight, float halfUp,
               float repeat = 1.0f);
};

// A box of the given size centred on the origin, each face textured once.
MeshData Box(float sx, float sy, float sz);
// A square floor in the y = 0 plane facing up, `cells` by `cells` squares,
// the texture repeated `repeat` times across it.
MeshData Floor(float size, float repeat, int cells);
// A ball of `radius` with `slices` around and `stacks` from pole to pole.
MeshData Ball(float radius, int slices, int stacks);
// A single upright pane in the z = 0 plane facing -z (towards a viewer at -z).
MeshData Pane(float width, float height);

// Replaces the mesh's arrays with `data` (positions, normals, one texture
// coordinate set, a triangle list).
void FillMesh(Vel_DX8_ObjectDataChannel* mesh, const MeshData& data);

}  // namespace demos
