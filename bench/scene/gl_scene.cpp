#include "gl_scene.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <cstdio>
#include <cstring>

#include "demo_images.h"
#include "demo_meshes.h"
#include "shape_meshes.h"
#include "workloads.h"

namespace scenebench {
namespace {

// The fixed-function lighting of the graphics layer: emissive + ambient +
// diffuse of a directional light and an attenuated point light with a
// range, computed per vertex in camera space (the demo's materials reflect
// ambient light as their diffuse colour); linear fog by camera depth.
const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
uniform mat4 uWorld, uView, uProj;
uniform vec3 uSunDir, uSunColor, uAmbient, uLampPos, uLampColor;
uniform vec4 uLampAtt;
uniform vec4 uDiffuse;
uniform vec3 uEmissive;
uniform vec2 uFog;
out vec4 vColor;
out vec2 vUv;
out float vFog;
void main() {
  vec4 p = uView * (uWorld * vec4(aPos, 1.0));
  gl_Position = uProj * p;
  vec3 n = normalize(mat3(uView) * (mat3(uWorld) * aNormal));
  vec3 lit = uDiffuse.rgb * uSunColor * max(dot(n, -uSunDir), 0.0);
  vec3 toLamp = uLampPos - p.xyz;
  float d = length(toLamp);
  float att = d > uLampAtt.w ? 0.0 : 1.0 / max(uLampAtt.x + uLampAtt.y * d + uLampAtt.z * d * d, 1e-6);
  lit += att * uDiffuse.rgb * uLampColor * max(dot(n, toLamp / max(d, 1e-6)), 0.0);
  vColor = clamp(vec4(uEmissive + uDiffuse.rgb * uAmbient + lit, uDiffuse.a), 0.0, 1.0);
  vUv = aUv;
  vFog = clamp((uFog.y - p.z) / (uFog.y - uFog.x), 0.0, 1.0);
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vUv;
in float vFog;
uniform sampler2D uTex;
uniform int uTextured;
uniform vec3 uFogColor;
out vec4 oColor;
void main() {
  vec4 c = uTextured != 0 ? texture(uTex, vUv) * vColor : vColor;
  oColor = vec4(mix(uFogColor, c.rgb, vFog), c.a);
}
)";

D3DXMATRIX Placed(float x, float y, float z, float yaw, float scale = 1.0f) {
  D3DXMATRIX size, turn, move;
  D3DXMatrixScaling(&size, scale, scale, scale);
  D3DXMatrixRotationY(&turn, yaw);
  D3DXMatrixTranslation(&move, x, y, z);
  return size * turn * move;
}

// A generated shape's placement: scaled, turned about x, moved.
D3DXMATRIX Tilted(float scale, float turnX, float x, float y, float z) {
  D3DXMATRIX size, turn, move;
  D3DXMatrixScaling(&size, scale, scale, scale);
  D3DXMatrixRotationX(&turn, turnX);
  D3DXMatrixTranslation(&move, x, y, z);
  return size * turn * move;
}

constexpr float kUp = -1.5707964f;  // turns a shape's z axis upwards
const D3DXMATRIX kShapePlaces[4] = {Tilted(0.6f, 0, -3.4f, 0.6f, 2.0f), Tilted(0.45f, 0, -1.8f, 0.7f, 2.8f),
                                    Tilted(0.8f, kUp, 3.2f, 0.4f, 1.6f), Tilted(0.8f, kUp, 3.8f, 0.4f, -0.4f)};
const D3DXVECTOR3 kBeacons[3] = {{3.2f, 0.25f, 1.6f}, {3.9f, 0.25f, 0.6f}, {-1.2f, 0.25f, 1.9f}};
const float kSky[3] = {0x8C / 255.0f, 0xA6 / 255.0f, 0xBF / 255.0f};
constexpr float kFogStart = 9.0f, kFogEnd = 26.0f;

}  // namespace

GlScene::Mesh GlScene::Upload(const void* meshData) {
  const auto& data = *static_cast<const demos::MeshData*>(meshData);
  std::vector<float> interleaved;
  for (size_t i = 0; i < data.positions.size(); ++i) {
    const D3DXVECTOR3 &p = data.positions[i], &n = data.normals[i];
    interleaved.insert(interleaved.end(), {p.x, p.y, p.z, n.x, n.y, n.z, data.uvs[i].x, data.uvs[i].y});
  }
  Mesh m;
  m.buffers.Create(interleaved.data(), interleaved.size() * 4, GL_STATIC_DRAW, data.indices.data(),
                   data.indices.size() * 2);
  m.buffers.Attribute(0, 3, GL_FLOAT, false, 32, 0);
  m.buffers.Attribute(1, 3, GL_FLOAT, false, 32, 12);
  m.buffers.Attribute(2, 2, GL_FLOAT, false, 32, 24);
  m.indexCount = static_cast<int>(data.indices.size());
  return m;
}

unsigned GlScene::Texture(const void* picture) {
  const auto& p = *static_cast<const demos::Picture*>(picture);
  GLuint t = 0;
  glGenTextures(1, &t);
  glBindTexture(GL_TEXTURE_2D, t);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(p.width), static_cast<GLsizei>(p.height), 0, GL_BGRA,
               GL_UNSIGNED_BYTE, p.texels.data());
  glGenerateMipmap(GL_TEXTURE_2D);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return t;
}

bool GlScene::Init(const D3DXMATRIX& projection, IDirect3DDevice8* device, int width, int height) {
  projection_ = projection;
  // Built first: the layer's calls make its own context current.
  const std::vector<demos::MeshData> shapes = DemoShapes(device);
  if (shapes.empty()) return false;
  if (!gl_.Create()) return false;
  program_ = bench::BuildProgram(kVertexShader, kFragmentShader);
  auto loc = [this](const char* name) { return glGetUniformLocation(program_, name); };
  locWorld_ = loc("uWorld"), locView_ = loc("uView"), locProj_ = loc("uProj");
  locSunDir_ = loc("uSunDir"), locSunColor_ = loc("uSunColor"), locAmbient_ = loc("uAmbient");
  locLampPos_ = loc("uLampPos"), locLampColor_ = loc("uLampColor"), locLampAtt_ = loc("uLampAtt");
  locDiffuse_ = loc("uDiffuse"), locEmissive_ = loc("uEmissive"), locFog_ = loc("uFog");
  locFogColor_ = loc("uFogColor"), locTextured_ = loc("uTextured");
  glUniform1i(loc("uTex"), 0);
  glUniformMatrix4fv(locProj_, 1, GL_FALSE, &projection_._11);
  glUniform3fv(locFogColor_, 1, kSky);

  demos::MeshData glass = demos::Pane(3.0f, 2.2f);
  glass.AddFace({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, 1.5f, 1.1f);
  const demos::MeshData meshes[4] = {demos::Floor(90.0f, 22.0f, 60), demos::Box(1.4f, 1.4f, 1.4f),
                                     demos::Ball(0.8f, 24, 12), glass};
  floor_ = Upload(&meshes[0]);
  crate_ = Upload(&meshes[1]);
  ball_ = Upload(&meshes[2]);
  pane_ = Upload(&meshes[3]);
  const demos::MeshData beacon = demos::Box(0.5f, 0.5f, 0.5f);
  beacon_ = Upload(&beacon);
  const demos::MeshData box = demos::Box(kBoxEdge, kBoxEdge, kBoxEdge);
  box_ = Upload(&box);
  const demos::MeshData sphere = demos::Ball(kSphereRadius, kSphereSlices, kSphereStacks);
  sphere_ = Upload(&sphere);
  for (const demos::MeshData& shape : shapes) shapes_.push_back(Upload(&shape));
  const demos::Picture pictures[3] = {demos::FloorTiles(256), demos::CratePlanks(256), demos::BallStripes(64)};
  floorTexture_ = Texture(&pictures[0]);
  crateTexture_ = Texture(&pictures[1]);
  ballTexture_ = Texture(&pictures[2]);

  if (!target_.Create(width, height, true)) return false;
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glFrontFace(GL_CW);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (!fountain_.Init(projection_, kSky) || !caption_.Init(kSize)) return false;
  glUseProgram(program_);
  for (int i = 0; i < BoxCount(); ++i) boxes_.push_back(BoxWorld(i));
  for (int i = 0; i < kSphereCount; ++i) spheres_.push_back(SphereWorld(i));
  presented_.resize(static_cast<size_t>(width) * height * 4);
  return true;
}

void GlScene::Shutdown() {
  if (!gl_.context) return;
  gl_.MakeCurrent();
  for (Mesh* m : {&floor_, &crate_, &ball_, &pane_, &beacon_, &box_, &sphere_}) m->buffers.Destroy();
  for (Mesh& m : shapes_) m.buffers.Destroy();
  fountain_.Destroy();
  caption_.Destroy();
  const GLuint textures[3] = {floorTexture_, crateTexture_, ballTexture_};
  glDeleteTextures(3, textures);
  target_.Destroy();
  glDeleteProgram(program_);
  gl_.Destroy();
}

void GlScene::Draw(const Mesh& mesh, const D3DXMATRIX& world) {
  glBindVertexArray(mesh.buffers.vao);
  glUniformMatrix4fv(locWorld_, 1, GL_FALSE, &world._11);
  glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_SHORT, nullptr);
  work_.meshTriangles += mesh.indexCount / 3;
  ++work_.meshDraws;
}

void GlScene::Lights(const D3DXMATRIX& view, bool lamp, bool on) {
  glUniformMatrix4fv(locView_, 1, GL_FALSE, &view._11);
  // The sun turned by the motion channel's yaw 0.7 and pitch -0.85 (whose
  // turns run the other way round from D3DX's), in camera space.
  D3DXMATRIX pitch, yaw;
  D3DXMatrixRotationX(&pitch, 0.85f);
  D3DXMatrixRotationY(&yaw, -0.7f);
  D3DXVECTOR3 sun(0, 0, 1), lampAt(-1.5f, 0.6f, -0.9f);
  D3DXMATRIX turn = pitch * yaw * view;
  D3DXVec3TransformNormal(&sun, &sun, &turn);
  D3DXVec3Normalize(&sun, &sun);
  D3DXVec3TransformCoord(&lampAt, &lampAt, &view);
  const float k = on ? 1.0f : 0.0f;
  glUniform3f(locSunDir_, sun.x, sun.y, sun.z);
  glUniform3f(locSunColor_, 0.66f * k, 0.61f * k, 0.52f * k);
  glUniform3f(locAmbient_, 0.20f * k, 0.22f * k, 0.28f * k);
  const float l = lamp ? k : 0.0f;
  glUniform3f(locLampPos_, lampAt.x, lampAt.y, lampAt.z);
  glUniform3f(locLampColor_, 1.0f * l, 0.5f * l, 0.15f * l);
  glUniform4f(locLampAtt_, 0.05f, 0.3f, 0.2f, 12.0f);
}

void GlScene::Material(const float diffuse[4], const float emissive[3]) {
  glUniform4fv(locDiffuse_, 1, diffuse);
  glUniform3fv(locEmissive_, 1, emissive);
}

void GlScene::Finish() {
  // As the headless layer presents: read the frame back and copy it out.
  target_.ReadBack();
  std::memcpy(presented_.data(), target_.Pixels().data(), presented_.size());
}

void GlScene::DemoFrame(float seconds) {
  work_ = {};
  // The graphics layer makes its own context current for its calls.
  gl_.MakeCurrent();
  target_.Bind();
  glClearColor(kSky[0], kSky[1], kSky[2], 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glUseProgram(program_);
  glUniform2f(locFog_, kFogStart, kFogEnd);
  const D3DXMATRIX view = DemoView(seconds);
  Lights(view, true, true);
  const float white[4] = {1, 1, 1, 1}, none[3] = {0, 0, 0};
  Material(white, none);
  glUniform1i(locTextured_, 1);
  glBindTexture(GL_TEXTURE_2D, floorTexture_);
  Draw(floor_, Placed(0, 0, 0, 0));
  glBindTexture(GL_TEXTURE_2D, crateTexture_);
  Draw(crate_, Placed(-0.4f, 0.7f, 0.2f, 0.3f));
  Draw(crate_, Placed(1.4f, 0.7f, 1.1f, -0.5f));
  Draw(crate_, Placed(-0.3f, 1.82f, 0.3f, 0.9f, 0.6f));
  Draw(crate_, Placed(2.8f, 0.7f, -1.8f, 0.1f));
  glBindTexture(GL_TEXTURE_2D, ballTexture_);
  Draw(ball_, Placed(-2.4f, 0.8f, -1.2f, 0.4f));
  // The generated shapes share one orange paint.
  const float paint[4] = {0.9f, 0.55f, 0.2f, 1}, paintGlow[3] = {0.05f, 0.03f, 0};
  Material(paint, paintGlow);
  glUniform1i(locTextured_, 0);
  for (size_t i = 0; i < shapes_.size(); ++i) Draw(shapes_[i], kShapePlaces[i]);
  // The fountain: unlit, its own program.
  fountain_.Frame(seconds, view, kFogStart, kFogEnd);
  work_.particles = fountain_.Live();
  work_.particleBytes = fountain_.StreamedBytes();
  // The beacons, each its own object with its own blue material.
  glUseProgram(program_);
  const float blue[4] = {0.25f, 0.35f, 0.9f, 1};
  for (const D3DXVECTOR3& at : kBeacons) {
    Material(blue, none);
    D3DXMATRIX place;
    D3DXMatrixTranslation(&place, at.x, at.y, at.z);
    Draw(beacon_, place);
  }
  // The caption over the scene: a line and a value after the second.
  char caption[64];
  std::snprintf(caption, sizeof caption, "Kelvane scene\nFog ends at %.2f", static_cast<double>(kFogEnd));
  caption_.Draw(10.0f, 10.0f, 0xFF1A1A4Du, caption);
  work_.characters = caption_.Characters();
  work_.captionDraws = caption_.Draws();
  work_.captionBytes = caption_.StreamedBytes();
  // The glass: after the lights are off, blended, leaving the depth alone.
  glUseProgram(program_);
  Lights(view, true, false);
  const float tint[4] = {0.5f, 0.8f, 1.0f, 0.35f}, glow[3] = {0.45f, 0.75f, 0.95f};
  Material(tint, glow);
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  Draw(pane_, Placed(0.4f, 1.1f, -2.6f, 0.25f));
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  Finish();
}

void GlScene::FieldFrame(const Mesh& mesh, const std::vector<D3DXMATRIX>& worlds, const D3DXMATRIX& view,
                         float fogStart, float fogEnd) {
  gl_.MakeCurrent();
  target_.Bind();
  glClearColor(kSky[0], kSky[1], kSky[2], 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glUseProgram(program_);
  glUniform2f(locFog_, fogStart, fogEnd);
  Lights(view, false, true);
  const float white[4] = {1, 1, 1, 1}, none[3] = {0, 0, 0};
  Material(white, none);
  glUniform1i(locTextured_, 1);
  glBindTexture(GL_TEXTURE_2D, crateTexture_);
  glBindVertexArray(mesh.buffers.vao);
  // One uniform update and one draw call per object.
  for (const D3DXMATRIX& world : worlds) {
    glUniformMatrix4fv(locWorld_, 1, GL_FALSE, &world._11);
    glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_SHORT, nullptr);
  }
  fieldTriangles_ = static_cast<int>(worlds.size()) * mesh.indexCount / 3;
  Finish();
}

void GlScene::BoxesFrame() { FieldFrame(box_, boxes_, BoxView(), BoxFogStart(), BoxFogEnd()); }

void GlScene::SpheresFrame() { FieldFrame(sphere_, spheres_, SphereView(), kSphereFogStart, kSphereFogEnd); }

}  // namespace scenebench
