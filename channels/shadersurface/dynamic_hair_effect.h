// DynamicHairEffect (effect 10): the membrane's shader over a vertex with
// both texture coordinates, drawn blended; it sets its surface up for that.
#pragma once

#include "membrane_effect.h"

class DynamicHairEffect : public MembraneEffect {
 public:
  DynamicHairEffect();
  bool RestoreDeviceObjects() override;
  const char* GetDescription() override;
};
