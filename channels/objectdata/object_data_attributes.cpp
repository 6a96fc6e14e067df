// The mesh's counts, indices and vertex attribute arrays. None of these
// operations touches the device buffers or the box: callers rebuild.
#include "objectdata/vel_dx8_object_data_channel.h"

#include "engine_interface.h"
#include "objectdata/mesh_arrays.h"

#include <cstring>

namespace {
VertPos ToPos(const D3DXVECTOR3& v) { return {v.x, v.y, v.z}; }
VertNormal ToNormal(const D3DXVECTOR3& v) { return {v.x, v.y, v.z}; }
}  // namespace

// ---------------------------------------------------------------------------
// Counts and indices

void Vel_DX8_ObjectDataChannel::SetVertexCount(int count) {
  // The positions within both the old and the new count are kept.
  if (count > 0) mesh::Resize(positions_, positionsLength_, count, vertexCount_);
  vertexCount_ = count;
  DataChanged();
}

int Vel_DX8_ObjectDataChannel::GetVertexCount() { return vertexCount_; }

void Vel_DX8_ObjectDataChannel::SetIndexCount(int count) {
  indexCount_ = count;
  DataChanged();
}

int Vel_DX8_ObjectDataChannel::GetIndexCount() { return indexCount_; }

bool Vel_DX8_ObjectDataChannel::SetIndexes(unsigned short* source) {
  DataChanged();
  return mesh::CopyFrom(indices_, indicesLength_, source, indexCount_);
}

bool Vel_DX8_ObjectDataChannel::SetIndex(unsigned short value, int pos) {
  DataChanged();
  if (!indices_) mesh::AllocateZero(indices_, indicesLength_, indexCount_);
  if (pos < 0 || pos >= indexCount_) {
    if (engine) engine->errorFunctor("SetIndex index our of range!! : ", pos);
    return false;
  }
  mesh::SetElement(indices_, indicesLength_, indexCount_, pos, value, true);
  return pos < indicesLength_;
}

unsigned short Vel_DX8_ObjectDataChannel::GetIndexes(unsigned long pos) {
  return mesh::GetElement(indices_, indicesLength_, indexCount_, pos);
}

// ---------------------------------------------------------------------------
// Positions

void Vel_DX8_ObjectDataChannel::SetVertexPosition(D3DXVECTOR3 position, int index) {
  SetVertexPosition(ToPos(position), index);
}

void Vel_DX8_ObjectDataChannel::SetVertexPosition(D3DXVECTOR3* positions) {
  static_assert(sizeof(D3DXVECTOR3) == sizeof(VertPos));
  SetVertexPosition(reinterpret_cast<VertPos*>(positions));
}

void Vel_DX8_ObjectDataChannel::SetVertexPosition(VertPos position, int index) {
  mesh::SetElement(positions_, positionsLength_, vertexCount_, index, position, true);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexPosition(VertPos* positions) {
  mesh::CopyFrom(positions_, positionsLength_, positions, vertexCount_);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexPositionUse(bool) {
  // Every mesh has positions: the flag is set whatever the argument.
  usePosition_ = true;
  DataChanged();
}

VertPos Vel_DX8_ObjectDataChannel::GetVertexPosition(unsigned long index) {
  return mesh::GetElement(positions_, positionsLength_, vertexCount_, index);
}

D3DXVECTOR3 Vel_DX8_ObjectDataChannel::GetVertexPositionDx(unsigned long index) {
  VertPos p = GetVertexPosition(index);
  return D3DXVECTOR3(p.x, p.y, p.z);
}

// ---------------------------------------------------------------------------
// Normals

void Vel_DX8_ObjectDataChannel::SetVertexNormals(D3DXVECTOR3* normals) {
  static_assert(sizeof(D3DXVECTOR3) == sizeof(VertNormal));
  SetVertexNormals(reinterpret_cast<VertNormal*>(normals));
}

void Vel_DX8_ObjectDataChannel::SetVertexNormals(VertNormal* normals) {
  mesh::CopyFrom(normals_, normalsLength_, normals, vertexCount_);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexNormal(D3DXVECTOR3 normal, int index) {
  SetVertexNormal(ToNormal(normal), index);
}

void Vel_DX8_ObjectDataChannel::SetVertexNormal(VertNormal normal, int index) {
  mesh::SetElement(normals_, normalsLength_, vertexCount_, index, normal, true);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexNormalUse(bool use) {
  useNormal_ = use;
  DataChanged();
}

VertNormal Vel_DX8_ObjectDataChannel::GetVertexNormals(unsigned long index) {
  return mesh::GetElement(normals_, normalsLength_, vertexCount_, index);
}

D3DXVECTOR3 Vel_DX8_ObjectDataChannel::GetVertexNormalsDx(unsigned long index) {
  VertNormal n = GetVertexNormals(index);
  return D3DXVECTOR3(n.x, n.y, n.z);
}

// ---------------------------------------------------------------------------
// Texture coordinates: element setters never make the array; the use setters
// make or free it.

void Vel_DX8_ObjectDataChannel::SetVertexTUCoords(VertTUV* coords) {
  mesh::CopyFrom(uvSet1_, uvSet1Length_, coords, vertexCount_);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexTUCoord(VertTUV coord, int index) {
  mesh::SetElement(uvSet1_, uvSet1Length_, vertexCount_, index, coord, false);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexTUUse(bool use) {
  useUVSet1_ = use;
  if (!use) mesh::Free(uvSet1_, uvSet1Length_);
  else if (!uvSet1_) mesh::AllocateZero(uvSet1_, uvSet1Length_, vertexCount_);
  DataChanged();
}

VertTUV Vel_DX8_ObjectDataChannel::GetVertexTUV(unsigned long index) {
  return mesh::GetElement(uvSet1_, uvSet1Length_, vertexCount_, index);
}

void Vel_DX8_ObjectDataChannel::SetVertexTU2Coords(VertTUV* coords) {
  mesh::CopyFrom(uvSet2_, uvSet2Length_, coords, vertexCount_);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexTU2Coord(VertTUV coord, int index) {
  mesh::SetElement(uvSet2_, uvSet2Length_, vertexCount_, index, coord, false);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexTU2Use(bool use) {
  useUVSet2_ = use;
  if (!use) mesh::Free(uvSet2_, uvSet2Length_);
  else if (!uvSet2_) mesh::AllocateZero(uvSet2_, uvSet2Length_, vertexCount_);
  DataChanged();
}

VertTUV Vel_DX8_ObjectDataChannel::GetVertexTUV2(unsigned long index) {
  return mesh::GetElement(uvSet2_, uvSet2Length_, vertexCount_, index);
}

// ---------------------------------------------------------------------------
// Colours

void Vel_DX8_ObjectDataChannel::SetVertexColor(VertColor color, int index) {
  mesh::SetElement(colors_, colorsLength_, vertexCount_, index, color, true);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexColor(VertColor* colors) {
  mesh::CopyFrom(colors_, colorsLength_, colors, vertexCount_);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexColorUse(bool use) {
  useColor_ = use;
  DataChanged();
}

VertColor Vel_DX8_ObjectDataChannel::GetVertexColor(unsigned long index) {
  return mesh::GetElement(colors_, colorsLength_, vertexCount_, index);
}

// ---------------------------------------------------------------------------
// Flags and settings

void Vel_DX8_ObjectDataChannel::SetPolygonType(int type) { polygonType_ = type; }
int Vel_DX8_ObjectDataChannel::GetPolygonType() { return polygonType_; }

void Vel_DX8_ObjectDataChannel::SetUseSoftwareSphereMap(int set, bool use) {
  if (set == 0 || set == 1) softwareSphereMap_[set] = use;
}

bool Vel_DX8_ObjectDataChannel::GetUseSoftwareSphereMap(int set) {
  return (set == 0 || set == 1) && softwareSphereMap_[set];
}

bool Vel_DX8_ObjectDataChannel::GetVertexPositionUse() { return usePosition_; }
bool Vel_DX8_ObjectDataChannel::GetVertexNormalUse() { return useNormal_; }
bool Vel_DX8_ObjectDataChannel::GetVertexTUUse() { return useUVSet1_; }
bool Vel_DX8_ObjectDataChannel::GetVertexTU2Use() { return useUVSet2_; }
bool Vel_DX8_ObjectDataChannel::GetVertexColorUse() { return useColor_; }
unsigned long Vel_DX8_ObjectDataChannel::GetFVFlags() { return vertexFormat_; }
unsigned long Vel_DX8_ObjectDataChannel::GetVertexSize() { return vertexSize_; }
