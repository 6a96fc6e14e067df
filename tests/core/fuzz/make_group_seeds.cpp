// Writes saved groups into a directory, as the fuzz target's seed corpus.
//   make_group_seeds <directory>
#include "fuzz_engine.h"
#include "channel_internal.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "shadersurface/vel_dx8_pixel_shader_surface.h"
#include "text/text_channel.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
// The scene channel first: its one slot takes any number of links.
const char* const kDrawingTypes[] = {
    "DFE3DAB7-1F21-4F2A-BD76-A467B1115308", "A17B3E96-F20C-4D85-B3C9-6E41D2A0F857",
    "8D25C9A0-F1E7-4B63-A948-3E0D6B72C5F1", "D04E7F19-8B62-4C3A-A5D0-92F6E13B7C84",
    "94E0B5C3-1A7F-4C28-8D56-E2B41F09A7C4", "E93A5D17-06C4-4F2B-8C71-B5D48A29E063",
    "5E1A7C20-3B4D-4E61-9A2F-70C3D18B4E05", "41C8A2F7-E5B9-4D06-9F3E-07A6C5D1B948",
    "5C07A9E8-B2D4-4F61-A3E5-8D1F46C02B97", "62E1D9A4-5B08-4C7F-9E23-A4F7B10C58D6",
    "1E9B4C73-D58A-4206-B7F1-6A3C02E8D95B", "7D4F1A06-C9E3-4B85-A2D7-F05B8C631E4A",
    "C2A95E18-0B7D-4F36-8D41-95E3A7C06F2B", "7F0C4D21-E83A-4B97-A6D5-2C91F8E04B63",
    "58C2A19F-0D76-4E3B-A4F8-C91E07B36D52", "5B2A43FC-4685-42A5-8BE0-8C71BA7C4170"};
const char* const kTextOutType = "6B92D0E4-7C31-4A5F-8E17-D4A3B96C0F28";
const char* const kTextType = "E4B71C39-2A5D-4F86-9C03-7D1A5E62B8F0";
const char* const kVectorType = "C2A95E18-0B7D-4F36-8D41-95E3A7C06F2B";
const char* const kFloatType = "7D4F1A06-C9E3-4B85-A2D7-F05B8C631E4A";
const char* const kSceneType = "DFE3DAB7-1F21-4F2A-BD76-A467B1115308";
const char* const kObjectType = "E93A5D17-06C4-4F2B-8C71-B5D48A29E063";
const char* const kObjectDataType = "94E0B5C3-1A7F-4C28-8D56-E2B41F09A7C4";
const char* const kShaderSurfaceType = "7A3C9E41-62B0-4D17-B8E4-1F95A0C6D372";
const char* const kMotionType = "41C8A2F7-E5B9-4D06-9F3E-07A6C5D1B948";
const char* const kCameraType = "8D25C9A0-F1E7-4B63-A948-3E0D6B72C5F1";
constexpr int kMotionParentSlot = 4;
// Links of the deep chains: far past the evaluation depth limit, yet inside
// the target's input size (1 MiB). The motions' chain is deep enough to
// overflow the target's stack when evaluated without the limit.
constexpr int kDeepChain = 6000;
constexpr int kDeepMotionChain = 3500;
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_group_seeds <directory>\n");
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  EngineInterface* engine = StartFuzzEngine();
  auto save = [&](Orn_ChannelGroup* group, const char* name) {
    group->SaveChannelGroup((std::filesystem::path(argv[1]) / name).c_str());
  };

  Orn_ChannelGroup* empty = engine->CreateNewGroup("Empty", false, -1);
  save(empty, "empty.grp");

  Orn_ChannelGroup* linked = engine->CreateNewGroup("Linked", false, -1);
  Orn_Channel* channels[6];
  for (int i = 0; i < 6; ++i) {
    channels[i] = engine->InitChannelFromType(FuzzFrameLogType(), linked, false);
    channels[i]->SetChannelName(("channel " + std::to_string(i)).c_str());
  }
  channels[0]->SetChild(channels[5], -1, 0);  // to a later slot
  channels[4]->SetChild(channels[1], -1, 0);  // to an earlier slot
  channels[4]->SetChild(channels[2], 3, 0);   // at a link position
  linked->RemoveChannel(3);                   // a hole
  linked->SetStartChannel(4);
  ParameterInterfaceInfo parameter = {};
  std::strcpy(parameter.name, "input");
  parameter.type = FuzzFrameLogType();
  linked->SetParameterInfo(parameter, 0);
  linked->SetParameterInfo(parameter, 2);
  save(linked, "linked.grp");

  Orn_ChannelGroup* publicGroup = engine->CreateNewGroup("Public", false, -1);
  Orn_Channel* exported = engine->InitChannelFromType(FuzzFrameLogType(), publicGroup, false);
  exported->SetChannelName("Exported");
  exported->SetChannelInterfaceType(1);
  Orn_Channel* call = engine->InitChannelFromType(FuzzFrameLogType(), publicGroup, false);
  call->SetChannelInterfaceType(2);
  PublicCallInfo target;
  std::strcpy(target.channelName, "Remote");
  std::strcpy(target.poolName, "OtherPool");
  target.requestedNr = 1;
  channelInternal.SetPublicCallInfo(call, target);
  Orn_Channel* parameterChannel = engine->InitChannelFromType(FuzzFrameLogType(), publicGroup, false);
  parameterChannel->SetChannelInterfaceType(3);
  call->SetChild(parameterChannel, -1, 0);  // a link waiting for the call's target
  save(publicGroup, "public.grp");

  // The input channels' records: a user input with its four settings, the
  // input channel and a picking channel linked to a 3D object.
  Orn_ChannelGroup* input = engine->CreateNewGroup("Input", false, -1);
  auto make = [&](const char* type) { return engine->InitChannelFromType(GuidLiteral(type), input, false); };
  Orn_Channel* userInput = make("C7F1063B-2D84-4E9A-B5C2-A83E90F47D16");
  make("3A9E61D4-7B28-4F03-B5C6-E18D27A4F390");
  Orn_Channel* pick = make("0F7E4B92-A36D-4C51-97E8-D1C25F0B8A46");
  Orn_Channel* object = make("E93A5D17-06C4-4F2B-8C71-B5D48A29E063");
  if (pick && object) pick->SetChild(object, -1, 0);
  if (userInput) input->SetStartChannel(userInput->GetChannelIDIndexNr());
  save(input, "input.grp");

  // One channel of every drawing and standard type with its default record,
  // each linked under the first, so the loader reads every plug-in's chunks.
  Orn_ChannelGroup* drawing = engine->CreateNewGroup("Drawing", false, -1);
  Orn_Channel* root = nullptr;
  for (const char* type : kDrawingTypes) {
    Orn_Channel* channel = engine->InitChannelFromType(GuidLiteral(type), drawing, true);
    if (!channel) continue;
    if (root) root->SetChild(channel, -1, 0);
    else root = channel;
  }
  save(drawing, "drawing.grp");

  // The text channels' records: a text output with its font (face name and
  // point size), its position, text and colour children, and the text with a
  // value linked to it.
  Orn_ChannelGroup* text = engine->CreateNewGroup("Text", false, -1);
  auto makeText = [&](const char* type, const char* name) {
    Orn_Channel* channel = engine->InitChannelFromType(GuidLiteral(type), text, false);
    if (channel) channel->SetChannelName(name);
    return channel;
  };
  Orn_Channel* textOut = makeText(kTextOutType, "Caption");
  Orn_Channel* string = makeText(kTextType, "Caption text");
  Orn_Channel* position = makeText(kVectorType, "Caption position");
  Orn_Channel* colour = makeText(kVectorType, "Caption colour");
  Orn_Channel* value = makeText(kFloatType, "Frame count");
  if (string && string->GetChannelType().type == GuidLiteral(kTextType))
    static_cast<TextChannel*>(string)->SetString("Frames: ");
  if (string && value) string->SetChild(value, -1, 0);
  if (textOut) {
    if (position) textOut->SetChild(position, -1, 0);
    if (string) textOut->SetChild(string, -1, 1);
    if (colour) textOut->SetChild(colour, -1, 2);
    text->SetStartChannel(textOut->GetChannelIDIndexNr());
  }
  save(text, "text.grp");

  // A chain of frame-log channels, each the child of the one before.
  Orn_ChannelGroup* deep = engine->CreateNewGroup("Deep", false, -1);
  Orn_Channel* previous = nullptr;
  for (int i = 0; i < kDeepChain; ++i) {
    Orn_Channel* channel = engine->InitChannelFromType(FuzzFrameLogType(), deep, false);
    if (previous) previous->SetChild(channel, -1, 0);
    else deep->SetStartChannel(channel->GetChannelIDIndexNr());
    previous = channel;
  }
  save(deep, "deep_chain.grp");

  // A camera placed by a motion whose parent chain is as deep.
  Orn_ChannelGroup* deepMotion = engine->CreateNewGroup("Deep Motion", false, -1);
  Orn_Channel* camera = engine->InitChannelFromType(GuidLiteral(kCameraType), deepMotion, false);
  if (!camera) {
    std::fprintf(stderr, "make_group_seeds: the camera plug-in is missing\n");
    return 1;
  }
  deepMotion->SetStartChannel(camera->GetChannelIDIndexNr());
  previous = camera;
  for (int i = 0; i < kDeepMotionChain; ++i) {
    Orn_Channel* motion = engine->InitChannelFromType(GuidLiteral(kMotionType), deepMotion, false);
    if (!motion) {
      std::fprintf(stderr, "make_group_seeds: the motion plug-in is missing\n");
      return 1;
    }
    previous->SetChild(motion, -1, previous == camera ? 0 : kMotionParentSlot);
    previous = motion;
  }
  save(deepMotion, "deep_motion.grp");

  // A public channel whose child is a public call to itself (its own pool,
  // instance 0), passing a parameter.
  Orn_ChannelGroup* loop = engine->CreateNewGroup("Loop", false, -1);
  ParameterInterfaceInfo loopParameter = {};
  std::strcpy(loopParameter.name, "In");
  loopParameter.type = FuzzFrameLogType();
  loop->AddParameterInfo(loopParameter);
  Orn_Channel* body = engine->InitChannelFromType(FuzzFrameLogType(), loop, false);
  body->SetChannelName("Body");
  body->SetChannelInterfaceType(1);
  Orn_Channel* selfCall = engine->InitChannelFromType(FuzzFrameLogType(), loop, false);
  selfCall->SetChannelInterfaceType(2);
  PublicCallInfo self;
  std::strcpy(self.channelName, "Body");
  std::strcpy(self.poolName, "Loop");
  self.requestedNr = 0;
  channelInternal.SetPublicCallInfo(selfCall, self);
  selfCall->SetChild(engine->InitChannelFromType(FuzzFrameLogType(), loop, false), -1, 0);
  body->SetChild(selfCall, -1, 0);
  loop->SetStartChannel(body->GetChannelIDIndexNr());
  save(loop, "self_call.grp");

  // A shader surface of each effect number, drawn by an object of a scene,
  // with its declared children (the Shader Info) and a mesh.
  for (int number = Vel_DX8_PixelShaderSurface::kReflectiveBump; number <= Vel_DX8_PixelShaderSurface::kOcean;
       ++number) {
    const std::string pool = "Effect " + std::to_string(number);
    Orn_ChannelGroup* effect = engine->CreateNewGroup(pool.c_str(), false, -1);
    Orn_Channel* scene = engine->InitChannelFromType(GuidLiteral(kSceneType), effect, false);
    Orn_Channel* object = engine->InitChannelFromType(GuidLiteral(kObjectType), effect, true);
    Orn_Channel* surface = engine->InitChannelFromType(GuidLiteral(kShaderSurfaceType), effect, true);
    Orn_Channel* mesh = engine->InitChannelFromType(GuidLiteral(kObjectDataType), effect, false);
    if (!effect || !scene || !object || !surface || !mesh ||
        surface->GetChannelType().type != GuidLiteral(kShaderSurfaceType)) {
      std::fprintf(stderr, "make_group_seeds: a drawing plug-in is missing\n");
      return 1;
    }
    static_cast<Vel_DX8_PixelShaderSurface*>(surface)->SetShaderEffect(number);
    surface->SetChild(mesh, -1, 0);
    object->SetChild(surface, -1, 2);
    scene->SetChild(object, -1, 0);
    effect->SetStartChannel(scene->GetChannelIDIndexNr());
    save(effect, ("effect_" + std::to_string(number) + ".grp").c_str());
  }

  // The bundled scene demo: a whole project's records, textures and meshes.
  const std::filesystem::path scene = std::filesystem::path(KELVANE_DIST_DIR) / "demos" / "scene" / "start.grp";
  std::error_code ignored;
  std::filesystem::copy_file(scene, std::filesystem::path(argv[1]) / "scene.grp",
                             std::filesystem::copy_options::overwrite_existing, ignored);

  engine->ext->Release();
  delete engine;
  return 0;
}
