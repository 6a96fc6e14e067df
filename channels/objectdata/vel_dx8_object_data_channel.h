// Vel_DX8_ObjectDataChannel ("DX8 3D ObjectData"): one mesh in system memory
// (separate position, normal, two texture-coordinate and colour arrays and
// 16-bit indices), streamed into one interleaved vertex buffer and one index
// buffer and drawn with the device states in force. The primitive and
// particle channels derive from it and use its protected members; every
// other channel reads meshes through its virtual operations, whose order is
// fixed.
#pragma once

#include "deviceuse/vel_dx8_d3d_device_use.h"
#include "objectdata/mesh_records.h"

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

class Vel_FloatChannel;

class Vel_DX8_ObjectDataChannel : public Vel_DX8_D3DDeviceUse {
 public:
  Vel_DX8_ObjectDataChannel();
  ~Vel_DX8_ObjectDataChannel() override;
  // A mesh owns its arrays and device buffers: it is never copied.
  Vel_DX8_ObjectDataChannel(const Vel_DX8_ObjectDataChannel&) = delete;
  Vel_DX8_ObjectDataChannel& operator=(const Vel_DX8_ObjectDataChannel&) = delete;

  void CallChannel() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;
  void InvalidateDeviceObjects() override;

  virtual void Release();
  virtual void UpdateData();
  virtual void StreamVertexData();
  virtual void StreamTextureMatrices();
  virtual bool CreateVertexBuffer();
  virtual void SetVertexCount(int count);
  virtual int GetVertexCount();
  virtual void SetIndexCount(int count);
  virtual int GetIndexCount();
  virtual bool SetIndexes(unsigned short* source);
  virtual bool SetIndex(unsigned short value, int pos);
  virtual unsigned short GetIndexes(unsigned long pos);
  virtual void SetVertexPosition(D3DXVECTOR3 position, int index);
  virtual void SetVertexPosition(D3DXVECTOR3* positions);
  virtual void SetVertexPosition(VertPos position, int index);
  virtual void SetVertexPosition(VertPos* positions);
  virtual void SetVertexPositionUse(bool use);
  virtual VertPos GetVertexPosition(unsigned long index);
  virtual D3DXVECTOR3 GetVertexPositionDx(unsigned long index);
  virtual void SetVertexNormals(D3DXVECTOR3* normals);
  virtual void SetVertexNormals(VertNormal* normals);
  virtual void SetVertexNormal(D3DXVECTOR3 normal, int index);
  virtual void SetVertexNormal(VertNormal normal, int index);
  virtual void SetVertexNormalUse(bool use);
  virtual VertNormal GetVertexNormals(unsigned long index);
  virtual D3DXVECTOR3 GetVertexNormalsDx(unsigned long index);
  virtual void SetVertexTUCoords(VertTUV* coords);
  virtual void SetVertexTUCoord(VertTUV coord, int index);
  virtual void SetVertexTUUse(bool use);
  virtual VertTUV GetVertexTUV(unsigned long index);
  virtual void SetVertexTU2Coords(VertTUV* coords);
  virtual void SetVertexTU2Coord(VertTUV coord, int index);
  virtual void SetVertexTU2Use(bool use);
  virtual VertTUV GetVertexTUV2(unsigned long index);
  virtual void SetVertexColor(VertColor color, int index);
  virtual void SetVertexColor(VertColor* colors);
  virtual void SetVertexColorUse(bool use);
  virtual VertColor GetVertexColor(unsigned long index);
  virtual void SetPolygonType(int type);
  virtual int GetPolygonType();
  virtual void MapTexture(int set, int mode, bool reset);
  virtual int GetTextureMapping(int set);
  virtual void MakeSphereTexture(int set);
  virtual void MakeCylinderTexture(int set);
  virtual void CubicTexture(int set, bool wholeMesh);
  virtual void PlanarTexture(int set, int axis);
  virtual void MakeObjectSizeBoundrys(D3DXVECTOR3& min, D3DXVECTOR3& max);
  virtual void ScaleTexture(float u, float v, int set);
  virtual void ShiftTexture(float u, float v, int set);
  virtual void AddTextureOffset(float u, float v, int set);
  virtual void CalculateSphereMap(int set);
  virtual void SetUseSoftwareSphereMap(int set, bool use);
  virtual bool GetUseSoftwareSphereMap(int set);
  virtual bool GetVertexPositionUse();
  virtual bool GetVertexNormalUse();
  virtual bool GetVertexTUUse();
  virtual bool GetVertexTU2Use();
  virtual bool GetVertexColorUse();
  virtual unsigned long GetFVFlags();
  virtual unsigned long GetVertexSize();
  virtual void CopyVertexBufferInBuffer(unsigned char* dest);
  virtual void CopyIndexBufferInBuffer(unsigned char* dest);
  virtual void NormalizeTexture(int set);
  virtual void RemapTexture();
  virtual void CalculateTextureCoords(int set);
  virtual VertTUVOffset GetTUVOffSet(int set);
  virtual void SetTUVOffSet(int set, VertTUVOffset offset);
  virtual D3DXVECTOR3 GetBoundingBoxMin();
  virtual D3DXVECTOR3 GetBoundingBoxMax();
  virtual void CalculateBoundingBox();
  virtual bool GetIfObjectIsVisible();
  virtual BoundingBox GetObjectTransformedMinMaxBox(D3DXMATRIX matrix);
  virtual BoundingBox GetObjectTransformedMinMaxBox();
  virtual void InvalidateVertexDataInfo();
  virtual bool SetDataToStream(int stream);
  virtual void DoCustomPreRenderStates();
  virtual void SetWorldMatrix(D3DXMATRIX matrix);
  virtual D3DXMATRIX GetWorldMatrix();

 protected:
  IDirect3DVertexBuffer8* vertexBuffer_;
  IDirect3DIndexBuffer8* indexBuffer_;
  unsigned short* indices_;
  int32_t indexCount_;
  int32_t vertexCount_;
  VertPos* positions_;
  VertNormal* normals_;
  VertTUV* uvSet1_;
  VertTUV* uvSet2_;
  VertColor* colors_;
  bool usePosition_;
  bool useNormal_;
  bool useUVSet1_;
  bool useUVSet2_;
  bool useColor_;
  uint32_t vertexSize_;
  uint32_t vertexFormat_;
  bool buffersValid_;
  int32_t polygonType_;
  bool softwareSphereMap_[2];
  VertTUVOffset* uvAdjustment_[2];
  int32_t mappingMode_[2];
  D3DXVECTOR3 boxMin_;
  D3DXVECTOR3 boxMax_;
  bool boxValid_;
  Vel_FloatChannel* vertexCountValue_;
  Vel_FloatChannel* polygonCountValue_;
  uint32_t maxPrimitiveCount_;
  D3DXMATRIX cachedBoxMatrix_;
  D3DXMATRIX worldMatrix_;
  bool cachedBoxStale_;
  BoundingBox cachedBox_;
  uint32_t vertexBufferUsage_;

  // Records each attribute array and the index array really holds; every read
  // and write is bounded by them, whatever the counts say.
  int32_t positionsLength_;
  int32_t normalsLength_;
  int32_t uvSet1Length_;
  int32_t uvSet2Length_;
  int32_t colorsLength_;
  int32_t indicesLength_;
  // Set when a build of the buffers failed; the draw path does not try again
  // (and report again) until the mesh data changes or the device is reset.
  bool buildFailed_;
  // The vertex and index counts the current buffers were built for; drawing
  // never asks for more than they hold.
  int32_t builtVertexCount_;
  int32_t builtIndexCount_;

  // The mesh data changed: a build that failed may succeed now. A derived
  // class that writes the arrays itself calls it too.
  void DataChanged() { buildFailed_ = false; }

 private:
  // Frees the arrays and buffers and empties the mesh, as Release does.
  void EmptyMesh();
  // Frees the arrays, the adjustment records and the buffers.
  void FreeAll();
  // Frees the attribute arrays and the index array.
  void FreeArrays();
  // Releases both device buffers.
  void ReleaseBuffers();
  // Builds the buffers when they are not valid and no build has failed since
  // the data last changed; true when they are valid.
  bool EnsureBuffers();
  // Vertex format and size for the use flags; false when the flags give no
  // valid layout (UV set 2 without UV set 1).
  bool ComputeLayout(uint32_t* format, uint32_t* size) const;
  // Writes `vertexCount_` interleaved vertices in the layout of the flags.
  void WriteInterleaved(unsigned char* dest) const;
  // Sends the statistics and the draw call of the polygon type.
  void DrawPrimitives(IDirect3DDevice8* device);
  // The box carried through `matrix`, from or into the one-entry cache.
  BoundingBox TransformedBox(const D3DXMATRIX& matrix);
  // The coordinates and the length of UV set `set` (0 UV set 1, else UV set 2).
  VertTUV* UVArray(int set) const { return set == 0 ? uvSet1_ : uvSet2_; }
  int32_t UVLength(int set) const { return set == 0 ? uvSet1Length_ : uvSet2Length_; }
  // The use setter of a UV set: on makes a zero-filled array when there is
  // none, off frees it.
  void SetUVUse(VertTUV*& array, int32_t& length, bool& flag, bool use);
  // The array setter, element setter and getter of every attribute.
  template <class T>
  void StoreArray(T*& array, int32_t& length, const T* source);
  template <class T>
  void StoreRecord(T*& array, int32_t& length, const T& value, int index, bool allocate);
  template <class T>
  T Record(const T* array, int32_t length, unsigned long index) const;
  // Set 0 and 1 need the set's use flag; other set numbers address UV set 2
  // without that test.
  bool UVSetEnabled(int set) const;
  void Planar(int set, int axis);
  void CubicPerVertex(int set);
  // The largest vertex count a record may give without a data chunk that
  // holds it: the vertices 16-bit indices address.
  static constexpr int32_t kMaxUnbackedVertices = 65536;
  // Reads the attribute chunks of a record whose vertex format is `format`.
  bool LoadAttributes(OrnFileLoader& loader, uint32_t format);
};
