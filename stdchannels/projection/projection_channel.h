// ProjectionChannel ("Projection"): the near plane, far plane and zoom a
// camera projects with. It is a matrix channel (its base type is the matrix
// type), so it links into a camera's "Projection Matrix" slot; the camera
// recognises it by its own type and builds the perspective from the three
// values. Saved as chunk "PRJV" (near, far, zoom: 12 bytes) after the matrix
// record.
#pragma once

#include "matrixvalue/vel_matrix_channel.h"

class ProjectionChannel : public Vel_MatrixChannel {
 public:
  ProjectionChannel();
  ~ProjectionChannel() override;

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;

  virtual float GetNearPlane();
  virtual float GetFarPlane();
  virtual float GetZoomFactor();
  virtual void SetNearPlane(float value);
  virtual void SetFarPlane(float value);
  virtual void SetZoomFactor(float value);

 protected:
  // Defaults 0.4, 4000.0 and 1.0: the projection of a camera without one.
  struct Values {
    float nearPlane;
    float farPlane;
    float zoom;
  };
  static_assert(sizeof(Values) == 12);
  Values values_;
};
