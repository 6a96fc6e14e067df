// A lit, textured box spinning in a window of the platform's windowing
// layer, drawn through the Direct3D 8 layer.
//
//   d3d8_spinning_box [--frames N] [--png FILE]
//
// --frames stops after N frames; --png writes the last frame to FILE (and
// stops after one frame unless --frames says otherwise). Without a display,
// run with SDL_VIDEODRIVER=offscreen.
#include <d3d8/d3d8.h>
#include <win32/messages.h>
#include <win32/window.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "box_mesh.h"

namespace {

bool g_running = true;

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    g_running = false;
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_KEYDOWN && wParam == 0x1B) {  // Escape
    DestroyWindow(window);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1;
  return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
  return r;
}

D3DMATRIX RotationY(float a) {
  D3DMATRIX m = Identity();
  m._11 = std::cos(a);
  m._13 = -std::sin(a);
  m._31 = std::sin(a);
  m._33 = std::cos(a);
  return m;
}

D3DMATRIX RotationX(float a) {
  D3DMATRIX m = Identity();
  m._22 = std::cos(a);
  m._23 = std::sin(a);
  m._32 = -std::sin(a);
  m._33 = std::cos(a);
  return m;
}

// Left-handed perspective projection.
D3DMATRIX Perspective(float fovY, float aspect, float zn, float zf) {
  D3DMATRIX m{};
  const float ys = 1.0f / std::tan(fovY / 2);
  m._11 = ys / aspect;
  m._22 = ys;
  m._33 = zf / (zf - zn);
  m._34 = 1;
  m._43 = -zn * zf / (zf - zn);
  return m;
}

// A 128x128 checkerboard with a warm-to-cool gradient and a frame.
IDirect3DTexture8* MakeTexture(IDirect3DDevice8* device) {
  IDirect3DTexture8* t = nullptr;
  if (FAILED(device->CreateTexture(128, 128, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t))) return nullptr;
  for (UINT level = 0; level < t->GetLevelCount(); ++level) {
    D3DSURFACE_DESC d;
    t->GetLevelDesc(level, &d);
    D3DLOCKED_RECT lr;
    t->LockRect(level, &lr, nullptr, 0);
    for (UINT y = 0; y < d.Height; ++y)
      for (UINT x = 0; x < d.Width; ++x) {
        const float fx = static_cast<float>(x) / d.Width, fy = static_cast<float>(y) / d.Height;
        const bool check = ((x * 8 / d.Width) + (y * 8 / d.Height)) % 2 == 0;
        const bool frame = x < d.Width / 16 || y < d.Height / 16 || x >= d.Width - d.Width / 16 ||
                           y >= d.Height - d.Height / 16;
        int r = static_cast<int>(255 * (1 - fy)), g = static_cast<int>(160 * fx + 60),
            b = static_cast<int>(255 * fy);
        if (!check) r /= 2, g /= 2, b /= 2;
        if (frame) r = g = b = 240;
        D3DCOLOR c = D3DCOLOR_XRGB(r, g, b);
        std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
      }
    t->UnlockRect(level);
  }
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  long maxFrames = -1;
  const char* pngPath = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      maxFrames = std::strtol(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
      pngPath = argv[++i];
    } else {
      std::fprintf(stderr, "usage: %s [--frames N] [--png FILE]\n", argv[0]);
      return 2;
    }
  }
  if (pngPath && maxFrames < 0) maxFrames = 1;
  // The device writes its last frame to this file when it is released.
  if (pngPath) setenv("KELVANE_FRAME_PNG", pngPath, 1);

  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.lpszClassName = "D3D8SpinningBox";
  if (!RegisterClassExA(&wc)) {
    std::fprintf(stderr, "cannot register the window class\n");
    return 1;
  }
  HWND window = CreateWindowExA(0, "D3D8SpinningBox", "Spinning box", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, 640, 480, nullptr, nullptr, nullptr, nullptr);
  if (!window) {
    std::fprintf(stderr, "cannot create the window\n");
    return 1;
  }

  IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
  if (!d3d) {
    std::fprintf(stderr, "no Direct3D 8 (an OpenGL 3.3 renderer is needed)\n");
    return 1;
  }
  D3DDISPLAYMODE mode;
  d3d->GetAdapterDisplayMode(0, &mode);
  D3DPRESENT_PARAMETERS pp = {};
  pp.BackBufferFormat = mode.Format;  // windowed: the size comes from the window
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.hDeviceWindow = window;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  IDirect3DDevice8* device = nullptr;
  HRESULT hr = d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &device);
  if (FAILED(hr)) {
    std::fprintf(stderr, "CreateDevice failed: 0x%08X\n", static_cast<unsigned>(hr));
    d3d->Release();
    return 1;
  }

  BoxVertex vertices[kBoxVertexCount];
  uint16_t indices[kBoxIndexCount];
  BuildBox(1.0f, vertices, indices);
  IDirect3DVertexBuffer8* vb = nullptr;
  IDirect3DIndexBuffer8* ib = nullptr;
  device->CreateVertexBuffer(sizeof vertices, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vb);
  device->CreateIndexBuffer(sizeof indices, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib);
  BYTE* p = nullptr;
  vb->Lock(0, 0, &p, 0);
  std::memcpy(p, vertices, sizeof vertices);
  vb->Unlock();
  ib->Lock(0, 0, &p, 0);
  std::memcpy(p, indices, sizeof indices);
  ib->Unlock();
  IDirect3DTexture8* texture = MakeTexture(device);

  D3DMATRIX proj = Perspective(0.8f, static_cast<float>(pp.BackBufferWidth) / pp.BackBufferHeight, 0.5f, 50.0f);
  device->SetTransform(D3DTS_PROJECTION, &proj);
  D3DMATRIX view = Identity();
  view._43 = 5.5f;  // the box in front of the camera
  device->SetTransform(D3DTS_VIEW, &view);
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 0.95f, 0.85f, 1};
  light.Specular = {0.6f, 0.6f, 0.6f, 1};
  light.Direction = {0.5f, -0.6f, 0.62f};
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  D3DMATERIAL8 mat = {};
  mat.Diffuse = mat.Ambient = {1, 1, 1, 1};
  mat.Specular = {1, 1, 1, 1};
  mat.Power = 24;
  device->SetMaterial(&mat);
  device->SetRenderState(D3DRS_AMBIENT, 0x00404050);
  device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
  device->SetStreamSource(0, vb, sizeof(BoxVertex));
  device->SetIndices(ib, 0);

  const auto start = std::chrono::steady_clock::now();
  long frame = 0;
  while (g_running && (maxFrames < 0 || frame < maxFrames)) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) g_running = false;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!g_running) break;
    // The first frame of a picture shows the box at a fixed, telling angle.
    const float t = pngPath ? 0.6f
                            : std::chrono::duration<float>(std::chrono::steady_clock::now() - start).count();
    D3DMATRIX world = Multiply(RotationY(t), RotationX(0.5f + 0.3f * t));
    device->SetTransform(D3DTS_WORLD, &world);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203050, 1.0f, 0);
    device->BeginScene();
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kBoxVertexCount, 0, kBoxIndexCount / 3);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    ++frame;
  }

  device->SetTexture(0, nullptr);
  device->SetStreamSource(0, nullptr, 0);
  device->SetIndices(nullptr, 0);
  texture->Release();
  vb->Release();
  ib->Release();
  device->Release();
  d3d->Release();
  if (IsWindow(window)) DestroyWindow(window);
  if (pngPath) {
    FILE* written = std::fopen(pngPath, "rb");
    if (!written) return 1;
    std::fclose(written);
  }
  return 0;
}
