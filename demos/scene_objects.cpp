// The scene's things: a tiled floor, crates, a striped ball and a glass pane.
// The textures hold the bytes of a PNG and a JPEG file written next to the
// project.
#include "demo_images.h"
#include "demo_meshes.h"
#include "object/vel_dx8_object_channel.h"
#include "scene_demo.h"
#include "surface/vel_dx8_surface_channel.h"

#include <cstdio>

namespace demos {

namespace {

D3DXMATRIX Placed(float x, float y, float z, float yaw) {
  D3DXMATRIX turn, move;
  D3DXMatrixRotationY(&turn, yaw);
  D3DXMatrixTranslation(&move, x, y, z);
  return turn * move;
}

}  // namespace

void AddTexturedObjects(SceneDemo& demo) {
  const std::filesystem::path floorFile = demo.dir / "floor.png";
  const std::filesystem::path crateFile = demo.dir / "crate.jpg";
  const std::filesystem::path ballFile = demo.dir / "ball.png";
  if (!WritePngFile(floorFile, FloorTiles(256)) || !WriteJpegFile(crateFile, CratePlanks(256), 90) ||
      !WritePngFile(ballFile, BallStripes(64))) {
    std::fprintf(stderr, "make_demos: could not write the scene's images\n");
    demo.ok = false;
    return;
  }
  Vel_DX8_Texture* floorTexture = demo.AddTexture("Floor Tiles", floorFile);
  Vel_DX8_Texture* crateTexture = demo.AddTexture("Crate Planks", crateFile);
  Vel_DX8_Texture* ballTexture = demo.AddTexture("Ball Stripes", ballFile);
  MaterialChannel* matte = demo.AddMaterial("Matte", {1, 1, 1, 1}, {0, 0, 0, 1});

  Vel_DX8_ObjectChannel* floor = demo.AddObject("Floor", Placed(0, 0, 0, 0));
  demo.AddSurface(floor, demo.AddMesh("Floor Mesh", Floor(90.0f, 22.0f, 60)), matte, floorTexture);

  // Crates share one mesh; two stand on the floor, a smaller one on top.
  Vel_DX8_ObjectDataChannel* crate = demo.AddMesh("Crate Mesh", Box(1.4f, 1.4f, 1.4f));
  struct Spot {
    float x, y, z, yaw, scale;
  };
  const Spot crates[] = {{-0.4f, 0.7f, 0.2f, 0.3f, 1.0f}, {1.4f, 0.7f, 1.1f, -0.5f, 1.0f},
                         {-0.3f, 1.82f, 0.3f, 0.9f, 0.6f}, {2.8f, 0.7f, -1.8f, 0.1f, 1.0f}};
  for (const Spot& s : crates) {
    D3DXMATRIX size;
    D3DXMatrixScaling(&size, s.scale, s.scale, s.scale);
    Vel_DX8_ObjectChannel* object = demo.AddObject("Crate", size * Placed(s.x, s.y, s.z, s.yaw));
    demo.AddSurface(object, crate, matte, crateTexture);
  }

  Vel_DX8_ObjectChannel* ball = demo.AddObject("Ball", Placed(-2.4f, 0.8f, -1.2f, 0.4f));
  demo.AddSurface(ball, demo.AddMesh("Ball Mesh", Ball(0.8f, 24, 12)), matte, ballTexture);
}

void AddGlassPane(SceneDemo& demo) {
  // Drawn in the transparent pass, after the lights are off again: its
  // colour is its own glow, a third opaque; it leaves the depth alone.
  Vel_DX8_ObjectChannel* pane = demo.AddObject("Glass", Placed(0.4f, 1.1f, -2.6f, 0.25f));
  MeshData glass = Pane(3.0f, 2.2f);
  glass.AddFace({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, 1.5f, 1.1f);  // the back, seen from behind
  MaterialChannel* tint = demo.AddMaterial("Glass Tint", {0.5f, 0.8f, 1.0f, 0.35f}, {0.45f, 0.75f, 0.95f, 1});
  Vel_DX8_SurfaceChannel* surface = demo.AddSurface(pane, demo.AddMesh("Glass Mesh", glass), tint, nullptr);
  if (!surface) return;
  surface->SetTransparentSurface(true);
  surface->SetSourceBlend(D3DBLEND_SRCALPHA);
  surface->SetDestBlend(D3DBLEND_INVSRCALPHA);
  surface->SetWriteDepthBuffer(false);
}

}  // namespace demos
