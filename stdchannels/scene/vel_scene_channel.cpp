#include "scene/vel_scene_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "file_loader.h"
#include "file_saver.h"
#include "object/vel_dx8_object_channel.h"
#include "surface/vel_dx8_surface_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <new>

namespace {

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Scene", vel::kSceneType, vel::kSceneType);
  return type;
}

}  // namespace

Vel_SceneChannel::Vel_SceneChannel()
    : clearColor_(0xFF000000u), directGraphics_(nullptr), beginFailure_(D3D_OK), presentFailure_(D3D_OK) {
  SetChannelName("Scene");
  SetChildCreationCount(1);
  SetChildCreateType(ChildCreation(kWildcardGuid, -1, "Children"), kChildrenSlot);
  directGraphics_ = vel::DeviceChannel(engine);
  if (!directGraphics_ && engine) engine->errorFunctor("Vel_SceneChannel: Couldn't initialize Direct Graphics !");
}

Vel_SceneChannel::~Vel_SceneChannel() = default;

void Vel_SceneChannel::CallChannel() {
  if (!CheckRenderCount()) return;
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device) {
    // Without a device the children still run; what draws finds no device.
    DrawChildren();
    return;
  }
  const DWORD stencil = directGraphics_->GetUseStencilBuffer() ? D3DCLEAR_STENCIL : 0;
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | stencil, clearColor_, 1.0f, 0);
  HRESULT begun = device->BeginScene();
  ReportOnce("Vel_SceneChannel::CallChannel: Couldn't begin the scene", begun, &beginFailure_);
  if (FAILED(begun)) return;
  DrawChildren();
  device->EndScene();
  Present(device);
}

void Vel_SceneChannel::DrawChildren() {
  const uint64_t links = Orn_Channel::LinkChangeCount();
  const uint64_t transparency = Vel_DX8_SurfaceChannel::TransparencyChangeCount();
  transparentChildren_.clear();
  int i = 0;
  if (CurrentChildren()) {
    // A scene of many objects waits mostly for memory: while one object
    // draws, the next ones are loaded, one step of their links further each.
    const int n = static_cast<int>(children_.size());
    for (; i < n && Orn_Channel::LinkChangeCount() == links; ++i) {
      if (i + 3 < n) vel::Prefetch(children_[i + 3].object);
      DrawChild(i, children_[i].channel, children_[i].object);
      // Apart from the loads above: the processor follows only so many at once.
      if (i + 2 < n && children_[i + 2].object) children_[i + 2].object->PrefetchForDraw();
    }
  }
  // Children whose links resolve otherwise, or after a child changed links.
  for (; i < GetChildCount(); ++i) {
    Orn_Channel* child = GetChild(i);
    DrawChild(i, child, vel::As<Vel_DX8_ObjectChannel>(child, vel::kObjectType));
  }
  // The transparent pass visits only the objects the opaque pass found
  // with something transparent, unless a link changed or a surface turned
  // transparent or opaque in between; the objects passed over then leave
  // on the device what their pass would have left.
  if (links == Orn_Channel::LinkChangeCount() &&
      transparency == Vel_DX8_SurfaceChannel::TransparencyChangeCount()) {
    for (int t : transparentChildren_)
      if (auto* object = vel::ChildAs<Vel_DX8_ObjectChannel>(this, t, vel::kObjectType))
        object->DrawTransparentSurfaces();
    LeaveTransparentPass();
    return;
  }
  for (int t = 0; t < GetChildCount(); ++t)
    if (auto* object = vel::ChildAs<Vel_DX8_ObjectChannel>(this, t, vel::kObjectType))
      object->DrawTransparentSurfaces();
}

void Vel_SceneChannel::LeaveTransparentPass() {
  // Each state is left by the last object whose pass sets it: from the end
  // back to that object, an object that was drawn set it already, one that
  // was passed over sets it now. The walk ends once both are found, mostly
  // at the last object.
  int wanted = Vel_DX8_ObjectChannel::kWorldTransform | Vel_DX8_ObjectChannel::kDepthStates;
  for (int i = GetChildCount() - 1; i >= 0 && wanted; --i) {
    auto* object = vel::ChildAs<Vel_DX8_ObjectChannel>(this, i, vel::kObjectType);
    if (object) wanted &= ~object->LeaveTransparentPass(wanted, !object->NeedsTransparentPass());
  }
}

void Vel_SceneChannel::DrawChild(int i, Orn_Channel* child, Vel_DX8_ObjectChannel* object) {
  if (object) {
    object->DrawSurfaces();
    if (object->NeedsTransparentPass()) transparentChildren_.push_back(i);
  } else if (child) {
    child->CallChannel();
  }
}

bool Vel_SceneChannel::CurrentChildren() {
  if (childrenStamp_.Fresh(this)) return true;
  children_.clear();
  for (int i = 0; i < GetChildCount(); ++i) {
    Orn_Channel* child = GetChild(i);
    children_.push_back({child, vel::As<Vel_DX8_ObjectChannel>(child, vel::kObjectType)});
  }
  childrenStamp_.Take(this);
  return childrenStamp_.Fresh(this);
}

void Vel_SceneChannel::Present(IDirect3DDevice8* device) {
  // The whole back buffer goes to the destination offset, pixel for pixel.
  D3DSURFACE_DESC desc{};
  IDirect3DSurface8* back = nullptr;
  if (SUCCEEDED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) && back) {
    back->GetDesc(&desc);
    back->Release();
  }
  const POINT at = directGraphics_->GetDestinationCoords();
  const RECT destination{at.x, at.y, at.x + static_cast<LONG>(desc.Width), at.y + static_cast<LONG>(desc.Height)};
  HRESULT presented = device->Present(nullptr, &destination, directGraphics_->GetPresentWindow(), nullptr);
  if (presented == D3DERR_DEVICELOST) {
    // A lost device is reset as soon as it can be; its users drop their
    // device objects first and make them again when next drawn.
    if (device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) directGraphics_->ResetDevice();
    return;
  }
  ReportOnce("Vel_SceneChannel::CallChannel: Couldn't present the frame", presented, &presentFailure_);
}

void Vel_SceneChannel::ReportOnce(const char* what, HRESULT result, HRESULT* last) {
  if (SUCCEEDED(result)) {
    *last = D3D_OK;
    return;
  }
  if (result != *last && engine) engine->errorFunctor(what, static_cast<int>(result));
  *last = result;
}

bool Vel_SceneChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  saver.SaveChunk("SCCC", &clearColor_, sizeof clearColor_);
  return true;
}

bool Vel_SceneChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  vel::ReadRecordChunk(loader, "SCCC", &clearColor_, sizeof clearColor_, this,
                       "Vel_SceneChannel::LoadChannel: Corrupt chunk");
  return true;
}

void Vel_SceneChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kDeviceType, dependencies);
}

void Vel_SceneChannel::SetClearColor(D3DCOLOR color) { clearColor_ = color; }
D3DCOLOR Vel_SceneChannel::GetClearColor() { return clearColor_; }

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_SceneChannel; }
