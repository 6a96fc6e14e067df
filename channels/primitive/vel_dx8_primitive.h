// Vel_DX8_Primitive ("DX8 Primitive"): a mesh-data channel that fills its
// mesh with a generated shape (box, quad, sphere, cylinder, cone, torus,
// regular polygon) or, as type 7, draws a chain of lines through its vector
// children in link order. The shape is rebuilt when its type, its flip or the
// value of its complexity child changes; only the shape's parameters are
// saved, never its vertices.
#pragma once

#include "objectdata/vel_dx8_object_data_channel.h"

struct ID3DXMesh;

class Vel_DX8_Primitive : public Vel_DX8_ObjectDataChannel {
 public:
  enum Type { kBox = 0, kQuad, kSphere, kCylinder, kCone, kTorus, kPolygon, kLines };

  Vel_DX8_Primitive();
  ~Vel_DX8_Primitive() override;

  void CallChannel() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void UpdateData() override;

  virtual void CreateShape();
  virtual bool CheckIfPrimitiveChange();
  virtual void SetPrimitiveType(int type);
  virtual int GetPrimitiveType();
  virtual bool GetPolygonFlip();
  virtual void SetPolygonFlip(bool flip);
  virtual void DrawLine(D3DXVECTOR3 a, D3DXVECTOR3 b);
  virtual void DrawLine();

  // The tessellation count the current shape was built with.
  int GetComplexity() const { return complexity_; }
  // True after a build that failed; it is tried again only when the type,
  // the flip or the complexity value changes.
  bool GetBuildFailed() const { return shapeFailed_; }

 protected:
  // Copies a generated mesh into the mesh data (normals negated and winding
  // reversed under the flip) and builds the buffers; false, with the mesh
  // data empty, when a buffer of `shape` cannot be read.
  bool CopyShape(ID3DXMesh* shape);

  bool built_;
  int32_t primitiveType_;
  int32_t complexity_;
  bool polygonFlip_;
  bool useUVSet1Shape_;
  bool useUVSet2Shape_;

 private:
  // Fills the mesh data with the quad.
  void MakeQuad();
  // Draws one segment with the device's transforms in force.
  void DrawSegment(IDirect3DDevice8* device, const D3DXVECTOR3& a, const D3DXVECTOR3& b);
  // The complexity child's value when it is linked.
  bool ReadComplexity(float* value);

  bool shapeFailed_;
  // The complexity child's value the current shape was built for; a rebuild
  // happens only when the child's value changes, so a fractional or
  // out-of-range value does not rebuild every frame.
  bool complexityRead_;
  float complexityValue_;
};
