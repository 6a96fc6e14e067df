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
// Attributes. Array setters copy vertex-count records (none when the count is
// 0); element setters store inside the count, making a zero-filled array
// first only for positions, normals and colours; getters answer the zero
// record outside the count or the array.

template <class T>
void Vel_DX8_ObjectDataChannel::StoreArray(T*& array, int32_t& length, const T* source) {
  mesh::CopyFrom(array, length, source, vertexCount_);
  DataChanged();
}

template <class T>
void Vel_DX8_ObjectDataChannel::StoreRecord(T*& array, int32_t& length, const T& value, int index, bool allocate) {
  mesh::SetElement(array, length, vertexCount_, index, value, allocate);
  DataChanged();
}

template <class T>
T Vel_DX8_ObjectDataChannel::Record(const T* array, int32_t length, unsigned long index) const {
  return mesh::GetElement(array, length, vertexCount_, index);
}

static_assert(sizeof(D3DXVECTOR3) == sizeof(VertPos) && sizeof(D3DXVECTOR3) == sizeof(VertNormal));

void Vel_DX8_ObjectDataChannel::SetVertexPosition(D3DXVECTOR3 position, int index) {
  SetVertexPosition(ToPos(position), index);
}
void Vel_DX8_ObjectDataChannel::SetVertexPosition(D3DXVECTOR3* positions) {
  SetVertexPosition(reinterpret_cast<VertPos*>(positions));
}
void Vel_DX8_ObjectDataChannel::SetVertexPosition(VertPos position, int index) {
  StoreRecord(positions_, positionsLength_, position, index, true);
}
void Vel_DX8_ObjectDataChannel::SetVertexPosition(VertPos* positions) {
  StoreArray(positions_, positionsLength_, positions);
}
void Vel_DX8_ObjectDataChannel::SetVertexPositionUse(bool) {
  // Every mesh has positions: the flag is set whatever the argument.
  usePosition_ = true;
  DataChanged();
}
VertPos Vel_DX8_ObjectDataChannel::GetVertexPosition(unsigned long index) {
  return Record(positions_, positionsLength_, index);
}
D3DXVECTOR3 Vel_DX8_ObjectDataChannel::GetVertexPositionDx(unsigned long index) {
  const VertPos p = GetVertexPosition(index);
  return D3DXVECTOR3(p.x, p.y, p.z);
}

void Vel_DX8_ObjectDataChannel::SetVertexNormals(D3DXVECTOR3* normals) {
  SetVertexNormals(reinterpret_cast<VertNormal*>(normals));
}
void Vel_DX8_ObjectDataChannel::SetVertexNormals(VertNormal* normals) {
  StoreArray(normals_, normalsLength_, normals);
}
void Vel_DX8_ObjectDataChannel::SetVertexNormal(D3DXVECTOR3 normal, int index) {
  SetVertexNormal(ToNormal(normal), index);
}
void Vel_DX8_ObjectDataChannel::SetVertexNormal(VertNormal normal, int index) {
  StoreRecord(normals_, normalsLength_, normal, index, true);
}
void Vel_DX8_ObjectDataChannel::SetVertexNormalUse(bool use) {
  useNormal_ = use;
  DataChanged();
}
VertNormal Vel_DX8_ObjectDataChannel::GetVertexNormals(unsigned long index) {
  return Record(normals_, normalsLength_, index);
}
D3DXVECTOR3 Vel_DX8_ObjectDataChannel::GetVertexNormalsDx(unsigned long index) {
  const VertNormal n = GetVertexNormals(index);
  return D3DXVECTOR3(n.x, n.y, n.z);
}

void Vel_DX8_ObjectDataChannel::SetUVUse(VertTUV*& array, int32_t& length, bool& flag, bool use) {
  flag = use;
  if (!use) mesh::Free(array, length);
  else if (!array) mesh::AllocateZero(array, length, vertexCount_);
  DataChanged();
}

void Vel_DX8_ObjectDataChannel::SetVertexTUCoords(VertTUV* coords) { StoreArray(uvSet1_, uvSet1Length_, coords); }
void Vel_DX8_ObjectDataChannel::SetVertexTUCoord(VertTUV coord, int index) {
  StoreRecord(uvSet1_, uvSet1Length_, coord, index, false);
}
void Vel_DX8_ObjectDataChannel::SetVertexTUUse(bool use) { SetUVUse(uvSet1_, uvSet1Length_, useUVSet1_, use); }
VertTUV Vel_DX8_ObjectDataChannel::GetVertexTUV(unsigned long index) { return Record(uvSet1_, uvSet1Length_, index); }

void Vel_DX8_ObjectDataChannel::SetVertexTU2Coords(VertTUV* coords) { StoreArray(uvSet2_, uvSet2Length_, coords); }
void Vel_DX8_ObjectDataChannel::SetVertexTU2Coord(VertTUV coord, int index) {
  StoreRecord(uvSet2_, uvSet2Length_, coord, index, false);
}
void Vel_DX8_ObjectDataChannel::SetVertexTU2Use(bool use) { SetUVUse(uvSet2_, uvSet2Length_, useUVSet2_, use); }
VertTUV Vel_DX8_ObjectDataChannel::GetVertexTUV2(unsigned long index) { return Record(uvSet2_, uvSet2Length_, index); }

void Vel_DX8_ObjectDataChannel::SetVertexColor(VertColor color, int index) {
  StoreRecord(colors_, colorsLength_, color, index, true);
}
void Vel_DX8_ObjectDataChannel::SetVertexColor(VertColor* colors) { StoreArray(colors_, colorsLength_, colors); }
void Vel_DX8_ObjectDataChannel::SetVertexColorUse(bool use) {
  useColor_ = use;
  DataChanged();
}
VertColor Vel_DX8_ObjectDataChannel::GetVertexColor(unsigned long index) { return Record(colors_, colorsLength_, index); }

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
