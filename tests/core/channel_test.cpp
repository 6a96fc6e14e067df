// Child slots and links of the channel base class, interface types, the
// per-frame gate, custom getters, parameters, names and dependencies.
#include "test_engine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ChannelTest : public ::testing::Test {
 protected:
  TestChannel* Make(const GUID& type, const char* name = nullptr) {
    TestChannel* channel = engine.Make(type, group);
    if (name) channel->SetChannelName(name);
    return channel;
  }
  // The slot and position of every child entry, and the group slot it links.
  static std::string Layout(Orn_Channel* channel) {
    std::string out;
    for (int i = 0; i < channel->GetChildCount(); ++i) {
      ChildInfo* info = channelInternal.GetChildInfo(channel, i);
      if (!info) {
        out += "- ";
        continue;
      }
      out += std::to_string(info->creationTypeNr) + (info->isCreationHead ? "H" : "L") +
             std::to_string(info->linkPos) + ":" +
             (info->channel ? std::to_string(info->channel->GetChannelIDIndexNr()) : "_") + " ";
    }
    return out;
  }

  MessageLog log;
  TestEngine engine;
  Orn_ChannelGroup* group = engine.AddGroup();
};

TEST_F(ChannelTest, RequestLinksMustBeUniqueButMultiLinkSlotsMayRepeat) {
  TestChannel* channel = Make(TypeA());
  channel->SetChildCreateType(ChildCreation(TypeA(), 0, "first"), 0);
  channel->SetChildCreateType(ChildCreation(TypeA(), 0, "second"), 1);
  EXPECT_TRUE(log.Has("Can't add child creation with the same request link!"));
  EXPECT_EQ(channelInternal.GetChildCreateType(channel, 1), nullptr);
  channel->SetChildCreateType(ChildCreation(TypeA(), -1, "m1"), 1);
  channel->SetChildCreateType(ChildCreation(TypeA(), -1, "m2"), 2);
  EXPECT_EQ(channelInternal.GetChildCreationCount(channel), 3);
  EXPECT_STREQ(channelInternal.GetChildCreateType(channel, 2)->childName, "m2");
  EXPECT_EQ(Layout(channel), "0H0:_ 1H0:_ 2H0:_ ");
}

TEST_F(ChannelTest, SingleSlotTakesOneChildAndReplacesIt) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* first = Make(TypeB());
  TestChannel* second = Make(TypeA());
  EXPECT_EQ(parent->SetChild(first, -1, 2), 2);
  EXPECT_EQ(parent->SetChild(second, -1, 2), 2);
  EXPECT_EQ(parent->GetChild(2), second);
  EXPECT_EQ(parent->GetChildLinkPositionCount(2), 0);
}

TEST_F(ChannelTest, MultiLinkSlotAppendsAndNumbersItsLinks) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* a1 = Make(TypeA());
  TestChannel* a2 = Make(TypeA());
  TestChannel* a3 = Make(TypeDerivedA());
  TestChannel* b = Make(TypeB());
  EXPECT_EQ(parent->SetChild(a1, -1, 1), 1);
  EXPECT_EQ(parent->SetChild(a2, -1, 1), 2);
  EXPECT_EQ(parent->SetChild(b, -1, 3), 5);
  EXPECT_EQ(parent->SetChild(a3, -1, 1), 3);  // index of the new third link
  EXPECT_EQ(parent->GetChildLinkPositionCount(1), 3);
  EXPECT_EQ(parent->GetChildFromLinkPosition(1, 0), a1);
  EXPECT_EQ(parent->GetChildFromLinkPosition(1, 2), a3);
  EXPECT_EQ(parent->GetChildFromLinkPosition(1, 3), nullptr);  // the head
  EXPECT_EQ(parent->GetChildFromLinkPosition(3, 0), b);
  EXPECT_EQ(Layout(parent), "0H0:_ 1L0:1 1L1:2 1L2:3 1H3:_ 2H0:_ 3L0:4 3H1:_ ");

  // A position inside the slot replaces that link.
  EXPECT_EQ(parent->SetChild(a2, 0, 1), 1);
  EXPECT_EQ(parent->GetChildFromLinkPosition(1, 0), a2);
  EXPECT_EQ(parent->GetChildLinkPositionCount(1), 3);
}

TEST_F(ChannelTest, PositionBeyondTheLinksPadsWithBlankLinks) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* b = Make(TypeB());
  parent->SetChild(b, 5, 3);
  EXPECT_EQ(parent->GetChildLinkPositionCount(3), 6);
  for (int pos = 0; pos < 5; ++pos) EXPECT_EQ(parent->GetChildFromLinkPosition(3, pos), nullptr);
  EXPECT_EQ(parent->GetChildFromLinkPosition(3, 5), b);

  // The first blank link is used by a link that names no position (once the
  // wildcard single slot before it is taken).
  parent->SetChild(Make(TypeA()), -1, 2);
  TestChannel* b2 = Make(TypeB());
  channelInternal.SetChildByType(parent, b2, -1);
  EXPECT_EQ(parent->GetChildFromLinkPosition(3, 0), b2);
  channelInternal.SortChilderen(parent);
  EXPECT_EQ(parent->GetChildLinkPositionCount(3), 2);
  EXPECT_EQ(parent->GetChildFromLinkPosition(3, 1), b);
}

TEST_F(ChannelTest, TypesAreCheckedAgainstTypeBaseAndWildcard) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* derived = Make(TypeDerivedA(), "derived");
  EXPECT_EQ(parent->SetChild(derived, -1, 0), 0);  // base type A accepted
  EXPECT_TRUE(log.messages.empty());

  // A B offered to the A slot goes to the first slot that takes a B.
  TestChannel* b = Make(TypeB(), "bee");
  EXPECT_EQ(parent->SetChild(b, -1, 0), 2);  // the wildcard slot
  EXPECT_EQ(parent->GetChild(0), derived);
  EXPECT_TRUE(log.Has("Orn_Channel::SetChild child can't link at this position"));
  EXPECT_TRUE(log.Has("channeL link : bee"));
  EXPECT_TRUE(log.Has(GuidToString(TypeB())));

  // Without any slot that takes it, nothing is linked.
  TestChannel* loner = Make(TypeA());
  loner->SetChildCreateType(ChildCreation(TypeA(), 0, "only A"), 0);
  EXPECT_EQ(loner->SetChild(Make(TypeB()), -1, 0), -1);
}

TEST_F(ChannelTest, FirstCompatibleSlotSkipsFullSingleSlots) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* b1 = Make(TypeB());
  TestChannel* b2 = Make(TypeB());
  EXPECT_EQ(channelInternal.SetChildByType(parent, b1, -1), 2);  // wildcard single slot
  int index = channelInternal.SetChildByType(parent, b2, -1);    // full: on to slot 3
  EXPECT_EQ(channelInternal.GetChildLinkPosition(parent, index), 3);
}

TEST_F(ChannelTest, OutOfRangeSlotRelinksByType) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* a = Make(TypeA(), "a");
  EXPECT_EQ(parent->SetChild(a, -1, 9), 0);
  EXPECT_TRUE(log.Has("Orn_Channel::SetChild targetChildTypeNr is out of range"));
  EXPECT_TRUE(log.Has("Relinking"));
  log.Clear();
  EXPECT_EQ(parent->SetChild(nullptr, -1, 0), -1);
  EXPECT_EQ(parent->SetChild(parent, -1, 0), -1);
  EXPECT_TRUE(log.messages.empty());
}

TEST_F(ChannelTest, RemovingChildrenKeepsTheHeads) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* a = Make(TypeA());
  parent->SetChild(a, -1, 0);
  parent->SetChild(Make(TypeA()), -1, 1);
  parent->SetChild(Make(TypeA()), -1, 1);
  parent->RemoveChild(0);
  EXPECT_EQ(parent->GetChild(0), nullptr);
  EXPECT_EQ(parent->GetChildCount(), 6);
  channelInternal.RemoveChildPosition(parent, 1);  // a link: the entry goes
  EXPECT_EQ(parent->GetChildLinkPositionCount(1), 1);
  parent->RemoveChildren();
  EXPECT_EQ(Layout(parent), "0H0:_ 1H0:_ 2H0:_ 3H0:_ ");
}

TEST_F(ChannelTest, ChildrenFoundByTypeOrBaseType) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* a = Make(TypeA());
  TestChannel* derived = Make(TypeDerivedA());
  TestChannel* b = Make(TypeB());
  parent->SetChild(a, -1, 0);
  parent->SetChild(derived, -1, 1);
  parent->SetChild(b, -1, 3);
  EXPECT_EQ(parent->GetChildTypeCount(TypeA()), 2);
  EXPECT_EQ(parent->GetChildFromLinkGuid(TypeA(), 1), derived);
  EXPECT_EQ(parent->GetChildFromLinkGuid(TypeA(), 2), nullptr);
  EXPECT_EQ(parent->GetChildFromLinkGuid(TypeB(), 0), b);
}

TEST_F(ChannelTest, GroupRemovalUnlinksTheSlotEverywhere) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* a = Make(TypeA());
  parent->SetChild(a, -1, 0);
  parent->SetChild(a, -1, 1);
  int slot = a->GetChannelIDIndexNr();
  EXPECT_TRUE(group->RemoveChannel(a));
  EXPECT_EQ(parent->GetChild(0), nullptr);
  EXPECT_EQ(parent->GetChildFromLinkPosition(1, 0), nullptr);
  EXPECT_FALSE(group->RemoveChannel(slot));
  EXPECT_FALSE(group->RemoveChannel(slot + 10));
}

TEST_F(ChannelTest, OncePerTreeCount) {
  TestChannel* channel = Make(TypeA());
  EXPECT_TRUE(channel->CheckRenderCount());
  EXPECT_FALSE(channel->CheckRenderCount());
  engine.Frame();
  EXPECT_TRUE(channel->CheckRenderCount());
  channelInternal.SetIgnoreTreeCount(channel, true);
  EXPECT_TRUE(channel->CheckRenderCount());
  EXPECT_TRUE(channel->CheckRenderCount());

  group->SetStartChannel(-1);
  group->CallStartChannel();  // slot 0 is the channel
  EXPECT_EQ(channel->calls, 1);
}

TEST_F(ChannelTest, InterfaceTypeChangesFollowTheRules) {
  TestChannel* call = Make(TypeA());
  call->SetChannelInterfaceType(VEL_PUBLICCALL);
  PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
  EXPECT_STREQ(info.channelName, "No Name");
  EXPECT_STREQ(info.poolName, "No Pool");
  EXPECT_STREQ(info.fileName, "No File");
  call->SetChannelInterfaceType(VEL_NORMAL);
  EXPECT_TRUE(log.Has("Orn_Channel::SetChannelInterfaceType interface can't be changed VEL_PUBLICCALL"));
  EXPECT_EQ(call->GetChannelInterfaceType(), VEL_PUBLICCALL);

  TestChannel* parameter = Make(TypeA());
  parameter->SetChildCreateType(ChildCreation(), 0);
  parameter->SetChannelInterfaceType(VEL_PARAMETER);
  EXPECT_EQ(parameter->GetChildCount(), 0);
  parameter->SetChannelInterfaceType(VEL_PUBLIC);
  EXPECT_TRUE(log.Has("Orn_Channel::SetChannelInterfaceType interface can't be changed VEL_PARAMETER"));

  TestChannel* custom = Make(TypeA());
  custom->SetChannelInterfaceType(VEL_CUSTOMCHANNELGET);
  custom->SetChannelInterfaceType(VEL_NORMAL);
  EXPECT_EQ(custom->GetChannelInterfaceType(), VEL_CUSTOMCHANNELGET);
  custom->SetChannelInterfaceType(VEL_PUBLICCUSTOMCHANNELGET);
  EXPECT_EQ(custom->GetChannelInterfaceType(), VEL_PUBLICCUSTOMCHANNELGET);
}

TEST_F(ChannelTest, PublicNamesAreMadeUnique) {
  TestChannel* cams[3];
  for (auto& cam : cams) {
    cam = Make(TypeA(), "Cam");
    cam->SetChannelInterfaceType(VEL_PUBLIC);
  }
  EXPECT_STREQ(cams[0]->GetChannelName(), "Cam");
  EXPECT_STREQ(cams[1]->GetChannelName(), "Cam(02)");
  EXPECT_STREQ(cams[2]->GetChannelName(), "Cam(03)");

  TestChannel* high = Make(TypeA(), "X(50)");
  high->SetChannelInterfaceType(VEL_PUBLIC);
  TestChannel* clash = Make(TypeA(), "x(50)");
  clash->SetChannelInterfaceType(VEL_PUBLICCUSTOMCHANNELGET);
  EXPECT_STREQ(clash->GetChannelName(), "x(50)(02)");

  TestChannel* light = Make(TypeA(), "Light (main)");
  light->SetChannelInterfaceType(VEL_PUBLIC);
  TestChannel* light2 = Make(TypeA(), "Light (main)");
  light2->SetChannelInterfaceType(VEL_PUBLIC);
  EXPECT_STREQ(light2->GetChannelName(), "Light (main)(02)");

  TestChannel* nine = Make(TypeA(), "N(09)");
  nine->SetChannelInterfaceType(VEL_PUBLIC);
  TestChannel* nine2 = Make(TypeA(), "N(09)");
  nine2->SetChannelInterfaceType(VEL_PUBLIC);
  EXPECT_STREQ(nine2->GetChannelName(), "N(10)");

  // A private channel of the same name is no clash.
  TestChannel* plain = Make(TypeA(), "Solo");
  TestChannel* solo = Make(TypeA(), "Solo");
  solo->SetChannelInterfaceType(VEL_PUBLIC);
  EXPECT_STREQ(solo->GetChannelName(), "Solo");
  EXPECT_STREQ(plain->GetChannelName(), "Solo");
}

TEST_F(ChannelTest, RenamingStopsWhenTheNameCanGrowNoFurther) {
  std::string longName(500, 'n');
  TestChannel* first = Make(TypeA(), longName.c_str());
  first->SetChannelInterfaceType(VEL_PUBLIC);
  TestChannel* second = Make(TypeA(), longName.c_str());
  second->SetChannelInterfaceType(VEL_PUBLIC);  // must return
  EXPECT_EQ(std::string(second->GetChannelName()).size(), 500u);
}

TEST_F(ChannelTest, NamesAreCopiedUpTo500Characters) {
  TestChannel* channel = Make(TypeA());
  EXPECT_EQ(channel->GetChannelName(), nullptr);
  channel->SetChannelName(std::string(700, 'z').c_str());
  EXPECT_EQ(std::string(channel->GetChannelName()).size(), 500u);
  channel->SetChannelName(nullptr);
  EXPECT_EQ(std::string(channel->GetChannelName()).size(), 500u);
}

TEST_F(ChannelTest, CustomGetChannelAnswersForItsParent) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* getter = Make(TypeA());
  TestChannel* answer = Make(TypeB());
  getter->handOut = answer;
  parent->SetChild(getter, -1, 0);
  EXPECT_EQ(parent->GetChild(0), getter);
  getter->SetChannelInterfaceType(VEL_CUSTOMCHANNELGET);
  EXPECT_EQ(parent->GetChild(0), answer);
  EXPECT_TRUE(channelInternal.GetIfExternalChild(parent, 0));
  EXPECT_EQ(channelInternal.GetInternalChild(parent, 0), getter);
}

TEST_F(ChannelTest, ParameterAnswersWithTheCallersChild) {
  // The caller's child 0 is what the group's parameter 0 stands for.
  TestChannel* caller = Make(TypeA());
  caller->SetChildCreateType(ChildCreation(kWildcardGuid, 0, "in"), 0);
  TestChannel* offered = Make(TypeDerivedA());
  caller->SetChild(offered, -1, 0);

  TestChannel* parent = Make(TypeParent());
  TestChannel* placeholder = Make(TypeA());
  placeholder->SetChannelInterfaceType(VEL_PARAMETER);
  channelInternal.SetParameterInfo(placeholder, 0);
  parent->SetChild(placeholder, -1, 0);

  EXPECT_EQ(parent->GetChild(0), nullptr);  // no call entered the group
  group->SetParameterChannel(caller);
  EXPECT_EQ(parent->GetChild(0), offered);  // base type A of the placeholder's type

  TestChannel* wrong = Make(TypeB());
  caller->SetChild(wrong, -1, 0);
  EXPECT_EQ(parent->GetChild(0), nullptr);
  engine.Frame();  // clears the parameter channel
  caller->SetChild(offered, -1, 0);
  EXPECT_EQ(parent->GetChild(0), nullptr);
}

TEST_F(ChannelTest, TimeStampChangesWhenSet) {
  TestChannel* channel = Make(TypeA());
  unsigned long before = channel->GetTimeStamp();
  channel->SetTimeStamp();
  EXPECT_NE(channel->GetTimeStamp(), before);
}

TEST_F(ChannelTest, CallTrackingStampsTheChannelsOnTheWay) {
  TestChannel* parent = Make(TypeParent());
  TestChannel* a = Make(TypeA());
  parent->SetChild(a, -1, 0);
  parent->GetChild(0);
  EXPECT_EQ(channelInternal.GetChannelGetChildTime(a), 0);
  engine.ext->SetIfTrackChannelCalling(true);
  EXPECT_EQ(parent->GetChild(0), a);
  EXPECT_NE(channelInternal.GetChannelGetChildTime(a), 0);
  EXPECT_NE(channelInternal.GetChannelGetChildTime(parent), 0);
}

TEST_F(ChannelTest, DependenciesCollectTypeBaseAndLibraries) {
  const GUID kNeedy = GuidLiteral("7E570001-0000-4000-8000-0000000000DD");
  engine.Register(kNeedy, "Needy", TypeDerivedA(), [](TestChannel* c) { c->needsLibrary = "needy.so"; });
  TestChannel* channel = Make(TypeA());
  Orn_List dependencies;
  channel->AddChannelGuidDepend(kNeedy, &dependencies);
  channel->AddChannelGuidDepend(kNeedy, &dependencies);  // already there
  ASSERT_EQ(dependencies.GetItemCount(), 3);
  auto* first = static_cast<ChannelDependency*>(dependencies.GetItem(0));
  EXPECT_EQ(first->type, kNeedy);
  ASSERT_EQ(first->dllNames.GetItemCount(), 1);
  EXPECT_STREQ(static_cast<Orn_String*>(first->dllNames.GetItem(0))->GetString(), "needy.so");
  EXPECT_EQ(static_cast<ChannelDependency*>(dependencies.GetItem(1))->type, TypeDerivedA());
  EXPECT_EQ(static_cast<ChannelDependency*>(dependencies.GetItem(2))->type, TypeA());
  for (int i = 0; i < dependencies.GetItemCount(); ++i) delete static_cast<ChannelDependency*>(dependencies.GetItem(i));
}

}  // namespace
