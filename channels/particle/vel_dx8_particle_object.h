// Vel_DX8_ParticleObject ("DX8 ParticleObject"): a mesh-data channel whose mesh
// is a set of camera-facing square billboards. Each vertex of the emitter mesh
// (child 0) is one particle slot: a particle starts at the vertex's world
// position, flies along the vertex's local direction under constant
// acceleration, grows or shrinks and fades from the start to the end colour
// over its life, and is then emitted again. Parameters come from float and
// vector children or, without them, from the saved parameter record. Time
// comes from a private time source (ticks of 1/16 s).
#pragma once

#include "objectdata/vel_dx8_object_data_channel.h"
#include "particle/particle_records.h"

class Vel_TimeSourceChannel;

class Vel_DX8_ParticleObject : public Vel_DX8_ObjectDataChannel {
 public:
  // 16-bit indices and four vertices a particle: at most 16384 particles; an
  // emitter with more vertices uses its first 16384.
  static constexpr int kMaxParticles = 16384;

  Vel_DX8_ParticleObject();
  ~Vel_DX8_ParticleObject() override;

  void CallChannel() override;
  void OneTimeInitialize() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;
  void Release() override;
  void StreamTextureMatrices() override;
  bool CreateVertexBuffer() override;
  bool GetIfObjectIsVisible() override;

  virtual void CreateParticleObject();
  virtual void AlignSquares();
  virtual void CalculateParticleDynamics();
  virtual bool EmmitNewParticles(int i);
  virtual bool CheckParticleNeedsReEmit(int i);
  virtual float GetCurrentTickCount();
  virtual void ResetSystem();
  virtual int GetParticleCount();
  virtual ParticlesExplodeInfo* GetParticle(int i);
  virtual void SetParticleBorn(int i, bool born);
  virtual void CollideInNormal(int i, D3DXVECTOR3 normal, D3DXVECTOR3 point, float bounce);
  virtual float GetParticleLifeTime();
  virtual void SetParticleLifeTime(float v);
  virtual float GetParticleEndSize();
  virtual void SetParticleEndSize(float v);
  virtual D3DXVECTOR3 GetStartColor();
  virtual void SetStartColor(D3DXVECTOR3 v);
  virtual D3DXVECTOR3 GetEndColor();
  virtual void SetEndColor(D3DXVECTOR3 v);
  virtual float GetBirthRate();
  virtual void SetBirthRate(float v);
  virtual void SetParticlesAlive(float v);
  virtual float GetVelocity();
  virtual void SetVelocity(float v);
  virtual float GetVelocityRandomize();
  virtual void SetVelocityRandomize(float v);
  virtual float GetGravity();
  virtual void SetGravity(float v);
  virtual float GetParticleStartSize();
  virtual void SetParticleStartSize(float v);
  virtual float GetParticleStartSizeRandomize();
  virtual void SetParticleStartSizeRandomize(float v);
  virtual float GetExplodeCount();
  virtual void SetExplodeCount(float v);
  virtual bool GetUsesNormalize();
  virtual void SetUsesNormalize(float v);
  virtual void UpdateParticleInfo();
  virtual bool GetChildVector(int slot, D3DXVECTOR3& out);
  virtual bool GetChildValue(int slot, float& out);

  // Restarts the private random numbers (the same seed gives the same
  // particles on every platform).
  void SetRandomSeed(uint32_t seed) { random_.Seed(seed); }
  // Particles drawn in the last frame.
  int GetLiveCount() const { return liveCount_; }

 protected:
  bool built_;
  ParticlesExplodeInfo* particles_;
  int32_t capacity_;
  uint16_t* quadIndices_;
  ParticleVertex* billboards_;
  uint16_t* liveIndices_;
  int32_t liveCount_;
  D3DXVECTOR3 corners_[4];
  float birthCarry_;
  int32_t cursor_;
  Vel_DX8_ObjectDataChannel* emitter_;
  ParticleInfo info_;
  Vel_TimeSourceChannel* timeSource_;
  int32_t burstCounter_;
  bool emissionEnabled_;
  int32_t lastEmitterVertexCount_;
  D3DXMATRIX identity_;

 private:
  // The emitter linked into slot 0 when it is a mesh, else null.
  Vel_DX8_ObjectDataChannel* LinkedEmitter();
  // Replaces values the record cannot use (NaN, infinities, negative rates,
  // sizes and times) so that no NaN reaches a vertex.
  void SanitizeInfo();
  // Reports a missing time source once per channel.
  void ReportOnce(bool& reported, const char* text);
  // Copies the live billboards into the vertex buffer and draws them.
  void DrawLiveParticles(IDirect3DDevice8* device);

  ParticleRandom random_;
  bool reportedNoTimeSource_;
};
