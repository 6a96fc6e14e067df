// SteeredPlacementChannel ("Steered Placement"): a matrix that a user steers
// with float children, placed under a parent matrix. Once a frame it adds
// the children's steps: "Forward" minus "Back" moves along the view, "Right"
// minus "Left" sideways (1.5 units a second of the time source at 1.0, a
// frame moving at most a tenth of a second's way); while "Look" is 0.5 or
// more, "Turn" and "Tilt" (mouse pixels) turn the view by 0.005 radians a
// pixel (the tilt kept within 1.2 radians). Its matrix is the turn, then the
// accumulated move, then the parent: unsteered, it is the parent itself.
// The steering is not saved; the record is the matrix channel's.
#pragma once

#include "matrixvalue/vel_matrix_channel.h"

class Vel_TimeSourceChannel;

class SteeredPlacementChannel : public Vel_MatrixChannel {
 public:
  enum Slot { kForwardSlot = 0, kBackSlot, kLeftSlot, kRightSlot, kLookSlot, kTurnSlot, kTiltSlot, kParentSlot,
              kSlotCount };

  SteeredPlacementChannel();
  ~SteeredPlacementChannel() override;
  D3DXMATRIX GetMatrix() override;

 protected:
  // The float child of `slot`, 0.0 when there is none.
  float Input(int slot);
  // The seconds of this frame, from a private time source.
  float FrameSeconds();

  float yaw_;
  float pitch_;
  D3DXVECTOR3 offset_;
  Vel_TimeSourceChannel* clock_;
};
