// The box field of the scene benchmark drawn by the scene-graph library a
// user would pick instead of the engine: a transform and a geode per box
// over one shared geometry, one texture and material, the sun and linear
// fog of the fixed-function pipeline, 256x256, the frame read back every
// frame. The camera, projection, boxes, texture and light are the ones the
// engine and the plain program draw.
//   peer_boxes_bench [rounds] [seconds per measurement] [boxes | boxes32k]
// Needs an X display.
#include <osg/CullFace>
#include <osg/Fog>
#include <osg/FrontFace>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Image>
#include <osg/Light>
#include <osg/LightModel>
#include <osg/LightSource>
#include <osg/Material>
#include <osg/MatrixTransform>
#include <osg/Texture2D>
#include <osgViewer/Viewer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo_images.h"
#include "demo_meshes.h"
#include "engine_scene.h"
#include "frame_times.h"
#include "workloads.h"

namespace {

const osg::Vec4 kSky(0x8C / 255.0f, 0xA6 / 255.0f, 0xBF / 255.0f, 1.0f);

osg::Matrixd ToOsg(const D3DXMATRIX& m) {
  // Both keep row vectors and the same element order.
  return osg::Matrixd(&m._11);
}

osg::ref_ptr<osg::Geometry> BoxGeometry() {
  const demos::MeshData box = demos::Box(scenebench::kBoxEdge, scenebench::kBoxEdge, scenebench::kBoxEdge);
  auto vertices = new osg::Vec3Array, normals = new osg::Vec3Array;
  auto uvs = new osg::Vec2Array;
  for (size_t i = 0; i < box.positions.size(); ++i) {
    vertices->push_back({box.positions[i].x, box.positions[i].y, box.positions[i].z});
    normals->push_back({box.normals[i].x, box.normals[i].y, box.normals[i].z});
    uvs->push_back({box.uvs[i].x, box.uvs[i].y});
  }
  osg::ref_ptr<osg::Geometry> g = new osg::Geometry;
  g->setUseDisplayList(false);
  g->setUseVertexBufferObjects(true);
  g->setVertexArray(vertices);
  g->setNormalArray(normals, osg::Array::BIND_PER_VERTEX);
  g->setTexCoordArray(0, uvs);
  g->addPrimitiveSet(new osg::DrawElementsUShort(GL_TRIANGLES, box.indices.begin(), box.indices.end()));
  return g;
}

osg::ref_ptr<osg::Texture2D> CrateTexture() {
  const demos::Picture p = demos::CratePlanks(256);
  osg::ref_ptr<osg::Image> image = new osg::Image;
  auto* texels = new unsigned char[p.texels.size() * 4];
  std::memcpy(texels, p.texels.data(), p.texels.size() * 4);
  image->setImage(static_cast<int>(p.width), static_cast<int>(p.height), 1, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE,
                  texels, osg::Image::USE_NEW_DELETE);
  osg::ref_ptr<osg::Texture2D> t = new osg::Texture2D(image);
  t->setFilter(osg::Texture::MIN_FILTER, osg::Texture::LINEAR_MIPMAP_LINEAR);
  t->setFilter(osg::Texture::MAG_FILTER, osg::Texture::LINEAR);
  return t;
}

osg::ref_ptr<osg::Group> BoxScene() {
  osg::ref_ptr<osg::Group> root = new osg::Group;
  osg::StateSet* s = root->getOrCreateStateSet();
  // The sun: the direction the engine's light placement gives, towards the
  // light for the fixed-function pipeline, placed in world space.
  D3DXMATRIX pitch, yaw;
  D3DXMatrixRotationX(&pitch, 0.85f);
  D3DXMatrixRotationY(&yaw, -0.7f);
  D3DXMATRIX turn = pitch * yaw;
  D3DXVECTOR3 sun(0, 0, 1);
  D3DXVec3TransformNormal(&sun, &sun, &turn);
  osg::ref_ptr<osg::Light> light = new osg::Light(0);
  light->setPosition({-sun.x, -sun.y, -sun.z, 0.0f});
  light->setDiffuse({0.66f, 0.61f, 0.52f, 1.0f});
  light->setAmbient({0, 0, 0, 1});
  light->setSpecular({0, 0, 0, 1});
  osg::ref_ptr<osg::LightSource> source = new osg::LightSource;
  source->setLight(light);
  source->setReferenceFrame(osg::LightSource::ABSOLUTE_RF);
  source->setStateSetModes(*s, osg::StateAttribute::ON);
  root->addChild(source);
  osg::ref_ptr<osg::LightModel> model = new osg::LightModel;
  model->setAmbientIntensity({0.20f, 0.22f, 0.28f, 1.0f});
  s->setAttributeAndModes(model);
  s->setMode(GL_LIGHTING, osg::StateAttribute::ON);
  osg::ref_ptr<osg::Material> material = new osg::Material;
  material->setDiffuse(osg::Material::FRONT_AND_BACK, {1, 1, 1, 1});
  material->setAmbient(osg::Material::FRONT_AND_BACK, {1, 1, 1, 1});
  material->setSpecular(osg::Material::FRONT_AND_BACK, {0, 0, 0, 1});
  material->setEmission(osg::Material::FRONT_AND_BACK, {0, 0, 0, 1});
  s->setAttributeAndModes(material);
  osg::ref_ptr<osg::Fog> fog = new osg::Fog;
  fog->setMode(osg::Fog::LINEAR);
  fog->setStart(scenebench::BoxFogStart());
  fog->setEnd(scenebench::BoxFogEnd());
  fog->setColor(kSky);
  s->setAttributeAndModes(fog);
  s->setTextureAttributeAndModes(0, CrateTexture());
  // The engine's winding: clockwise faces are the front ones.
  s->setAttributeAndModes(new osg::FrontFace(osg::FrontFace::CLOCKWISE));
  s->setAttributeAndModes(new osg::CullFace(osg::CullFace::BACK));

  osg::ref_ptr<osg::Geometry> box = BoxGeometry();
  for (int i = 0; i < scenebench::BoxCount(); ++i) {
    osg::ref_ptr<osg::MatrixTransform> placed = new osg::MatrixTransform(ToOsg(scenebench::BoxWorld(i)));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(box);
    placed->addChild(geode);
    root->addChild(placed);
  }
  return root;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const double seconds = argc > 2 ? std::max(0.1, std::atof(argv[2])) : 1.5;
  const std::string only = argc > 3 ? argv[3] : "boxes";
  if (only == "boxes32k") scenebench::SetBoxFieldScale(4);

  // The projection the engine's camera sets for the field.
  D3DXMATRIX projection;
  {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    scenebench::EngineScene engine;
    if (!engine.Init()) {
      std::fprintf(stderr, "peer_boxes_bench: the engine could not make the boxes\n");
      return 1;
    }
    engine.BoxesFrame();
    projection = engine.Projection();
    engine.Shutdown();
  }

  osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
  traits->readDISPLAY();
  traits->width = traits->height = scenebench::kSize;
  traits->pbuffer = true;
  traits->doubleBuffer = false;
  traits->red = traits->green = traits->blue = traits->alpha = 8;
  traits->depth = 24;
  osg::ref_ptr<osg::GraphicsContext> gc = osg::GraphicsContext::createGraphicsContext(traits);
  if (!gc) {
    std::fprintf(stderr, "peer_boxes_bench: no pbuffer on this display\n");
    return 1;
  }
  osgViewer::Viewer viewer;
  viewer.setThreadingModel(osgViewer::Viewer::SingleThreaded);
  // The scene's own sun only, no light of the viewer's.
  viewer.setLightingMode(osg::View::NO_LIGHT);
  osg::Camera* camera = viewer.getCamera();
  camera->setGraphicsContext(gc);
  camera->setViewport(0, 0, scenebench::kSize, scenebench::kSize);
  camera->setClearColor(kSky);
  camera->setComputeNearFarMode(osg::CullSettings::DO_NOT_COMPUTE_NEAR_FAR);
  camera->setProjectionMatrix(ToOsg(projection));
  camera->setViewMatrix(ToOsg(scenebench::BoxView()));
  // The whole frame read back every frame into an image, as the others read
  // theirs, and drawn into a framebuffer object as they draw: the software
  // driver then has no window-system image to hand to the X server at the
  // end of each frame.
  osg::ref_ptr<osg::Image> frame = new osg::Image;
  frame->allocateImage(scenebench::kSize, scenebench::kSize, 1, GL_BGRA, GL_UNSIGNED_BYTE);
  camera->setRenderTargetImplementation(osg::Camera::FRAME_BUFFER_OBJECT);
  camera->attach(osg::Camera::COLOR_BUFFER, frame.get());
  camera->attach(osg::Camera::DEPTH_BUFFER, GL_DEPTH_COMPONENT24);
  viewer.setSceneData(BoxScene());
  viewer.setCameraManipulator(nullptr);
  viewer.realize();

  bench::FrameSamples all;
  for (int r = 0; r < rounds; ++r) {
    bench::FrameSamples round;
    bench::TimeFrames([&] { viewer.frame(); }, seconds, &round);
    const bench::FrameSummary s = bench::Summarise(round);
    std::printf("round %d, %d boxes  scene graph %8.3f ms (median of %zu frames)\n", r + 1, scenebench::BoxCount(),
                s.median * 1e3, s.frames);
    all.wall.insert(all.wall.end(), round.wall.begin(), round.wall.end());
    all.thread.insert(all.thread.end(), round.thread.begin(), round.thread.end());
  }
  const bench::FrameSummary s = bench::Summarise(all);
  std::printf("%d boxes  scene graph %.3f ms, p10 %.3f ms a frame at %dx%d\n", scenebench::BoxCount(), s.median * 1e3,
              s.p10 * 1e3, scenebench::kSize, scenebench::kSize);
  return 0;
}
