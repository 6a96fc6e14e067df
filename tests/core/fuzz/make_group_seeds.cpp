// Writes saved groups into a directory, as the fuzz target's seed corpus.
//   make_group_seeds <directory>
#include "fuzz_engine.h"
#include "orn_channel.h"
#include "orn_channel_group.h"

#include <cstdio>
#include <cstring>
#include <string>

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
  Orn_Channel* parameterChannel = engine->InitChannelFromType(FuzzFrameLogType(), publicGroup, false);
  parameterChannel->SetChannelInterfaceType(3);
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

  engine->ext->Release();
  delete engine;
  return 0;
}
