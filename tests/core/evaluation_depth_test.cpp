// Evaluation depth: a channel pulls its children, so a very long chain of
// children, or a public call that comes back into its own group, would nest
// without end. Past the depth limit (1000 levels) the child is left out and
// reported once per channel; a public call met again while it is still being
// evaluated is left out the same way. Frames go on.
#include "evaluation_depth.h"
#include "test_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kDocumentedLimit = 1000;

// Evaluates a channel as a plug-in does: every child it answers is pulled in
// turn, depth first. Returns the deepest level reached (the channel itself
// at `level`).
int Pull(Orn_Channel* channel, int level, int* visits) {
  ++*visits;
  int deepest = level;
  for (int i = 0; i < channel->GetChildCount(); ++i)
    if (Orn_Channel* child = channel->GetChild(i)) deepest = std::max(deepest, Pull(child, level + 1, visits));
  return deepest;
}

class EvaluationDepthTest : public ::testing::Test {
 protected:
  int Reports(const std::string& part) {
    int n = 0;
    for (const auto& m : log.messages) n += m.second.find(part) != std::string::npos;
    return n;
  }
  // A chain of `n` channels, each the child of the one before, in `group`.
  std::vector<TestChannel*> Chain(int n, Orn_ChannelGroup* group) {
    std::vector<TestChannel*> chain;
    chain.reserve(n);
    for (int i = 0; i < n; ++i) {
      TestChannel* c = engine.Make(TypeA(), group);
      c->SetChildCreateType(ChildCreation(kWildcardGuid, -1, "next"), 0);
      if (!chain.empty()) chain.back()->SetChild(c, -1, 0);
      chain.push_back(c);
    }
    return chain;
  }

  MessageLog log;
  TestEngine engine;
};

TEST_F(EvaluationDepthTest, AHundredThousandDeepChainIsCutAtTheLimitAndReportedOnce) {
  ASSERT_EQ(evaluation_depth::kMaxDepth, kDocumentedLimit);
  Orn_ChannelGroup* group = engine.AddGroup("Deep", 0);
  std::vector<TestChannel*> chain = Chain(100000, group);
  chain[kDocumentedLimit]->SetChannelName("Level 1000");

  for (int frame = 0; frame < 3; ++frame) {
    engine.Frame();
    int visits = 0;
    EXPECT_EQ(Pull(chain[0], 0, &visits), kDocumentedLimit);
    EXPECT_EQ(visits, kDocumentedLimit + 1);
  }
  // One report, from the channel whose child was left out, naming it.
  EXPECT_EQ(Reports("Orn_Channel::GetChild: Channel evaluation deeper than the limit"), 1);
  EXPECT_TRUE(log.HasPart("Level 1000"));

  // Once the deep evaluation has returned, a chain elsewhere is as deep as it
  // is: nothing of the cut chain is still counted.
  std::vector<TestChannel*> shallow = Chain(50, group);
  int visits = 0;
  EXPECT_EQ(Pull(shallow[0], 0, &visits), 49);
  EXPECT_EQ(visits, 50);
}

TEST_F(EvaluationDepthTest, SiblingsAndRepeatedCallsDoNotAddDepth) {
  Orn_ChannelGroup* group = engine.AddGroup("Wide", 0);
  TestChannel* root = engine.Make(TypeA(), group);
  root->SetChildCreateType(ChildCreation(kWildcardGuid, -1, "children"), 0);
  // Ten thousand children of one channel, each with a chain of three below.
  for (int i = 0; i < 10000; ++i) {
    std::vector<TestChannel*> chain = Chain(3, group);
    root->SetChild(chain[0], -1, 0);
  }
  int visits = 0;
  EXPECT_EQ(Pull(root, 0, &visits), 3);
  EXPECT_EQ(visits, 1 + 10000 * 3);
  // A chain just under the limit is evaluated whole, frame after frame.
  std::vector<TestChannel*> chain = Chain(kDocumentedLimit + 1, group);
  for (int frame = 0; frame < 2; ++frame) {
    visits = 0;
    EXPECT_EQ(Pull(chain[0], 0, &visits), kDocumentedLimit);
    EXPECT_EQ(visits, kDocumentedLimit + 1);
  }
  EXPECT_EQ(Reports("Orn_Channel::GetChild"), 0);
}

TEST_F(EvaluationDepthTest, APublicCallIntoItsOwnGroupWithAParameterIsLeftOutWhenItComesBack) {
  // Group "Loop" (instance 0): public channel "Body" whose child is a public
  // call to "Body" of pool "Loop" itself, passing one parameter.
  Orn_ChannelGroup* loop = engine.AddGroup("Loop", 0);
  ParameterInterfaceInfo parameter{};
  std::strcpy(parameter.name, "In");
  parameter.type = TypeA();
  loop->AddParameterInfo(parameter);
  TestChannel* body = engine.Make(TypeA(), loop);
  body->SetChannelName("Body");
  body->SetChildCreateType(ChildCreation(kWildcardGuid, -1, "children"), 0);
  body->SetChannelInterfaceType(VEL_PUBLIC);
  TestChannel* call = engine.Make(TypeA(), loop);
  call->SetChannelName("Call of Body");
  call->SetChannelInterfaceType(VEL_PUBLICCALL);
  PublicCallInfo info;
  std::strcpy(info.channelName, "Body");
  std::strcpy(info.poolName, "Loop");
  info.requestedNr = 0;
  ASSERT_TRUE(channelInternal.SetPublicCallInfo(call, info));
  TestChannel* argument = engine.Make(TypeA(), loop);
  argument->SetChannelName("Argument");
  ASSERT_EQ(call->SetChild(argument, -1, 0), 0);
  body->SetChild(call, -1, 0);

  // Main -> Body -> (call) Body -> (call again) left out.
  TestChannel* main = engine.Make(TypeA(), loop);
  main->SetChildCreateType(ChildCreation(kWildcardGuid, -1, "children"), 0);
  main->SetChild(body, -1, 0);
  for (int frame = 0; frame < 3; ++frame) {
    engine.Frame();
    int visits = 0;
    EXPECT_EQ(Pull(main, 0, &visits), 2);
    EXPECT_EQ(visits, 3);
  }
  EXPECT_EQ(Reports("Orn_Channel::GetChild: A public call that calls itself again is left out"), 1);
  EXPECT_TRUE(log.HasPart("Call of Body"));
  // Called from outside its group the call still answers its target.
  EXPECT_EQ(main->GetChild(0), body);
  EXPECT_EQ(body->GetChild(0), body);
}

}  // namespace
