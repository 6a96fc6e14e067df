// Vel_DX8_MotionChannel ("DX8 Motion"): a matrix channel that composes its
// matrix from a position, a rotation and a size vector, optionally turned
// toward the position of a look-at matrix, placed under a parent matrix and
// preceded by a fixed begin matrix. Cameras and lights make one as their
// default placement.
#pragma once

#include "matrixvalue/vel_matrix_channel.h"

class Vel_VectorChannel;

class Vel_DX8_MotionChannel : public Vel_MatrixChannel {
 public:
  enum Slot { kPositionSlot = 0, kRotationSlot, kSizeSlot, kLookAtSlot, kParentSlot, kSlotCount };

  Vel_DX8_MotionChannel();
  ~Vel_DX8_MotionChannel() override;
  Vel_DX8_MotionChannel(const Vel_DX8_MotionChannel&) = delete;
  Vel_DX8_MotionChannel& operator=(const Vel_DX8_MotionChannel&) = delete;

  // Size child (1, 1, 1), position and rotation children (0, 0, 0).
  void OneTimeInitialize() override;
  void DoDependencyInit(Orn_List* dependencies) override;
  // Composes the matrix once per frame and stores it; later calls in the same
  // frame return the stored matrix.
  D3DXMATRIX GetMatrix() override;

  // The children of the slots, each when it is of the slot's type, else null.
  virtual Vel_VectorChannel* GetPosition();
  virtual Vel_VectorChannel* GetRotation();
  virtual Vel_VectorChannel* GetScale();
  virtual Vel_MatrixChannel* GetParent();
  virtual Vel_MatrixChannel* GetLookAt();
  // A matrix applied before everything else from now on.
  virtual void SetBeginMatrix(D3DXMATRIX m);

  // S x Rz(roll) x Rx(pitch) x Ry(yaw) x T: size, then roll about z, pitch
  // about x and yaw about y (radians; positive yaw turns +z toward -x,
  // positive pitch turns +z toward +y), then the translation.
  static D3DXMATRIX Compose(const D3DXVECTOR3& position, float yaw, float pitch, float roll,
                            const D3DXVECTOR3& size);
  // Yaw and pitch that turn +z along `direction` (normalised or zero).
  static void AnglesToward(const D3DXVECTOR3& direction, float* yaw, float* pitch);

 protected:
  bool hasBeginMatrix_;
  D3DXMATRIX beginMatrix_;
};
