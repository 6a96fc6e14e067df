// SkinnedObjectDataChannel: a mesh moved by bones. Its child 0 is the
// ordinary mesh-data channel that holds positions, normals, texture
// coordinates and indices; this channel adds, per vertex, up to four bone
// weights with the bones they belong to, and the bones' matrices. Shader
// effects that can skin read it as the shader surface's child 0 and upload
// the bone matrices as a palette of vertex-shader constants.
//
// Two channel types share this class: type A (this library) and type B (the
// library beside it); the shader surface treats both alike.
//
// Record, after the mesh-data record: "SKWP" weights per vertex (int32),
// "SKVW" the weight records (16 bytes a vertex), "SKBM" the bone matrices
// (64 bytes a bone).
#pragma once

#include "objectdata/vel_dx8_object_data_channel.h"

#include <cstdint>
#include <vector>

// Three weights, then the indices of the vertex's four bones, lowest byte
// first; the fourth weight is 1 minus the other three.
struct SkinWeights {
  float weight[3];
  uint32_t bones;
};
static_assert(sizeof(SkinWeights) == 16, "a weight record is 16 bytes");

class SkinnedObjectDataChannel : public Vel_DX8_ObjectDataChannel {
 public:
  static constexpr int kMaxWeightsPerVertex = 4;
  // Bones a record may hold: a palette larger than this is not stored.
  static constexpr int kMaxStoredBones = 256;

  SkinnedObjectDataChannel();
  ~SkinnedObjectDataChannel() override;

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  // Lets the mesh child bring its own data up to date.
  void UpdateData() override;

  // The record of vertex i; all zero outside the stored records.
  virtual SkinWeights GetVertexWeights(int i);
  // 1 to 4.
  virtual int GetWeightsPerVertex();
  virtual int GetBoneCount();
  // Bone i's matrix; the identity outside 0..GetBoneCount()-1.
  virtual D3DXMATRIX GetBoneMatrix(int i);

  virtual void SetVertexWeights(int i, SkinWeights weights);
  virtual void SetWeightsPerVertex(int n);
  virtual void SetBoneCount(int n);
  virtual void SetBoneMatrix(int i, D3DXMATRIX m);
  // The mesh child, when it is a mesh-data channel.
  virtual Vel_DX8_ObjectDataChannel* GetMesh();

  // `channel` as a skinned mesh when its type is one of the two skinned
  // types, else null.
  static SkinnedObjectDataChannel* Of(Orn_Channel* channel);

 protected:
  int32_t weightsPerVertex_;
  std::vector<SkinWeights> weights_;
  std::vector<D3DXMATRIX> bones_;
};
