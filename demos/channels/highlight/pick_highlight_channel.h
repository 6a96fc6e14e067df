// PickHighlightChannel ("Pick Highlight"): a colour vector that shows only
// while its "Picked" float child (a picking channel) reads 0.5 or more; it
// is (0, 0, 0) otherwise. Linked as a material's emissive colour it lights a
// surface up while the mouse cursor is over it. The colour is the vector
// channel's own stored value, saved with it.
#pragma once

#include "vectorvalue/vel_vector_channel.h"

class PickHighlightChannel : public Vel_VectorChannel {
 public:
  enum Slot { kPickedSlot = 0 };

  PickHighlightChannel();
  D3DXVECTOR3 GetVector() override;
};
