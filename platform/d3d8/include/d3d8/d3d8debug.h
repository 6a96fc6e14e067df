// Diagnostics of the Direct3D 8 device layer: fault injection for device
// creation and reset, a lost device, and the count of objects still alive, so that tests can
// provoke the failures a driver reports and see leaked device objects.
#pragma once

#include <d3d8/d3d8.h>

extern "C" {

// The next `count` calls of IDirect3D8::CreateDevice fail with `result`
// (count -1: every call until cleared). A result of D3D_OK or a count of 0
// clears the injection.
void WINAPI D3D8Debug_FailCreateDevice(HRESULT result, int count);

// The same for IDirect3DDevice8::Reset.
void WINAPI D3D8Debug_FailReset(HRESULT result, int count);

// IDirect3DDevice8::CreateTexture: the next `after` calls succeed, then
// `count` calls fail with `result` (count -1: until cleared). A result of
// D3D_OK or a count of 0 clears the injection.
void WINAPI D3D8Debug_FailCreateTexture(HRESULT result, int after, int count);

// From now on `device` behaves as a lost device: Present answers
// D3DERR_DEVICELOST and TestCooperativeLevel D3DERR_DEVICENOTRESET, until a
// Reset succeeds.
void WINAPI D3D8Debug_LoseDevice(IDirect3DDevice8* device);

// Objects of the layer that are alive in the process right now: Direct3D
// objects, devices, textures, vertex and index buffers and the surfaces made
// by Create* (the levels of a texture and the device's own back buffer and
// depth buffer are counted with their owner).
UINT WINAPI D3D8Debug_LiveObjectCount();

// References that objects made by `device` still hold on it: the objects the
// application has not released. 0 for NULL.
UINT WINAPI D3D8Debug_DeviceChildReferences(IDirect3DDevice8* device);

// Devices created while `force` is TRUE present every frame by reading it
// back and copying it into the window's SDL surface, as headless devices do,
// instead of drawing it into the window's OpenGL framebuffer and swapping
// buffers (for measuring one way against the other).
void WINAPI D3D8Debug_ForceReadBackPresent(BOOL force);

// Fixed-function programs `device` has compiled so far; drawing again with
// states it has drawn with before compiles nothing.
UINT WINAPI D3D8Debug_ProgramCount(IDirect3DDevice8* device);

// Whether `device` merges consecutive draws that differ only in their
// object's transforms into one instanced draw (TRUE from creation), for
// comparing pictures drawn both ways.
void WINAPI D3D8Debug_MergeDraws(IDirect3DDevice8* device, BOOL merge);

// Draw calls `device` has made to OpenGL so far; merged draws count once.
UINT WINAPI D3D8Debug_GlDrawCount(IDirect3DDevice8* device);
}
