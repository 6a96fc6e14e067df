// Vel_SceneChannel ("Scene"): the start channel of a project that draws. Once
// a frame it clears the back buffer (colour, depth and stencil), begins the
// scene, calls its children in link order (a 3D object among them draws its
// opaque surfaces there), draws the transparent surfaces of its 3D objects in
// the same order after all opaque ones, ends the scene and presents the image
// to the device channel's present window at its destination offset. When
// presenting finds the device lost it has the device channel reset it; the
// device users then make their device objects again on next use.
#pragma once

#include "orn_channel.h"
#include "vel_child_access.h"

#include <vector>

#include <d3d8/d3d8.h>

class Vel_DX8_DirectGraphicsChannel;
class Vel_DX8_ObjectChannel;

class Vel_SceneChannel : public Orn_Channel {
 public:
  enum Slot { kChildrenSlot = 0 };

  Vel_SceneChannel();
  ~Vel_SceneChannel() override;

  void CallChannel() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;

  // The colour the back buffer is cleared to, 0xAARRGGBB.
  virtual void SetClearColor(D3DCOLOR color);
  virtual D3DCOLOR GetClearColor();

 protected:
  // The children in link order, 3D objects with their opaque surfaces; then
  // the transparent surfaces of the 3D objects.
  void DrawChildren();
  // After a transparent pass that passed over objects with nothing to draw:
  // the world transform and the depth states as every object's pass would
  // have left them.
  void LeaveTransparentPass();
  // One child of the opaque pass, `object` when it is a 3D object.
  void DrawChild(int i, Orn_Channel* child, Vel_DX8_ObjectChannel* object);
  // The children, typed, brought up to date; false when they cannot be kept
  // (links that do not resolve directly).
  bool CurrentChildren();
  void Present(IDirect3DDevice8* device);
  // Reports a failing device call once, until it succeeds again.
  void ReportOnce(const char* what, HRESULT result, HRESULT* last);

  // Saved as chunk "SCCC" (4 bytes); opaque black when new.
  D3DCOLOR clearColor_;
  // The children the transparent pass draws, found by the opaque pass.
  std::vector<int> transparentChildren_;
  // The children with the 3D objects among them, kept between link changes
  // so that a frame walks one array instead of the link records.
  struct Child {
    Orn_Channel* channel;
    Vel_DX8_ObjectChannel* object;
  };
  std::vector<Child> children_;
  vel::LinkStamp childrenStamp_;
  Vel_DX8_DirectGraphicsChannel* directGraphics_;
  HRESULT beginFailure_;
  HRESULT presentFailure_;
};
