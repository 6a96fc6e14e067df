// Evaluation depth: a channel pulls its children, so a very long chain of
// children, or a public call that comes back into its own group, would nest
// without end. Past the depth limit (1000 levels) the child is left out and
// reported once per channel; a public call met again while four resolutions
// of it are still live is left out the same way. Frames go on.
#include "evaluation_depth.h"
#include "test_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kDocumentedLimit = 1000;
constexpr int kDocumentedCallNesting = 4;

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

// Pulls `channel` from `frames` frames further down the stack.
__attribute__((noinline)) int PullFromBelow(Orn_Channel* channel, int frames, int* visits) {
  volatile char pad[256];
  pad[0] = 0;
  if (frames > 0) return PullFromBelow(channel, frames - 1, visits) + pad[0];
  return Pull(channel, 0, visits);
}

// A channel's own helper that looks at one of its children again, from a
// frame below the one that resolved it first.
__attribute__((noinline)) Orn_Channel* LookAgain(Orn_Channel* channel, int i) {
  Orn_Channel* child = channel->GetChild(i);
  asm volatile("" ::: "memory");
  return child;
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

  // A public call, in `group`, to `channel` of pool `pool` (instance 0).
  TestChannel* CallOf(const char* channel, const char* pool, Orn_ChannelGroup* group) {
    TestChannel* call = engine.Make(TypeA(), group);
    call->SetChannelInterfaceType(VEL_PUBLICCALL);
    PublicCallInfo info;
    std::strcpy(info.channelName, channel);
    std::strcpy(info.poolName, pool);
    info.requestedNr = 0;
    EXPECT_TRUE(channelInternal.SetPublicCallInfo(call, info));
    return call;
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
  engine.Frame();
  int visits = 0;
  EXPECT_EQ(Pull(root, 0, &visits), 3);
  EXPECT_EQ(visits, 1 + 10000 * 3);
  // A chain just under the limit is evaluated whole, frame after frame.
  std::vector<TestChannel*> chain = Chain(kDocumentedLimit + 1, group);
  for (int frame = 0; frame < 2; ++frame) {
    engine.Frame();
    visits = 0;
    EXPECT_EQ(Pull(chain[0], 0, &visits), kDocumentedLimit);
    EXPECT_EQ(visits, kDocumentedLimit + 1);
  }
  EXPECT_EQ(Reports("Orn_Channel::GetChild"), 0);
}

TEST_F(EvaluationDepthTest, ResolutionsMadeBeforeAFrameFromHigherUpAreNotCountedInIt) {
  // A 50-deep evaluation made while loading, from the test's own frame; the
  // frame then evaluates a chain just under the limit from 64 frames further
  // down, below every frame the loading used.
  Orn_ChannelGroup* group = engine.AddGroup("Loaded", 0);
  std::vector<TestChannel*> loaded = Chain(50, group);
  std::vector<TestChannel*> chain = Chain(kDocumentedLimit + 1, group);
  int visits = 0;
  EXPECT_EQ(Pull(loaded[0], 0, &visits), 49);
  engine.Frame();
  visits = 0;
  EXPECT_EQ(PullFromBelow(chain[0], 64, &visits), kDocumentedLimit);
  EXPECT_EQ(visits, kDocumentedLimit + 1);
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
  TestChannel* call = CallOf("Body", "Loop", loop);
  call->SetChannelName("Call of Body");
  TestChannel* argument = engine.Make(TypeA(), loop);
  argument->SetChannelName("Argument");
  ASSERT_EQ(call->SetChild(argument, -1, 0), 0);
  body->SetChild(call, -1, 0);

  // Main -> Body -> (call) Body, four times -> (call again) left out.
  ASSERT_EQ(evaluation_depth::kMaxPublicCallNesting, kDocumentedCallNesting);
  TestChannel* main = engine.Make(TypeA(), loop);
  main->SetChildCreateType(ChildCreation(kWildcardGuid, -1, "children"), 0);
  main->SetChild(body, -1, 0);
  for (int frame = 0; frame < 3; ++frame) {
    engine.Frame();
    int visits = 0;
    EXPECT_EQ(Pull(main, 0, &visits), 1 + kDocumentedCallNesting);
    EXPECT_EQ(visits, 2 + kDocumentedCallNesting);
  }
  EXPECT_EQ(Reports("Orn_Channel::GetChild: A public call that calls itself again is left out"), 1);
  EXPECT_TRUE(log.HasPart("Call of Body"));
  // Called from outside its group the call still answers its target.
  EXPECT_EQ(main->GetChild(0), body);
  EXPECT_EQ(body->GetChild(0), body);
}

TEST_F(EvaluationDepthTest, APublicCallLookedAtAgainFromAHelperIsNotTakenForAReturn) {
  // Two scenes' objects share "Shared" of pool "Library" through one public
  // call; each object resolves it, then its helper looks at it again.
  Orn_ChannelGroup* library = engine.AddGroup("Library", 0);
  TestChannel* shared = engine.Make(TypeA(), library);
  shared->SetChannelName("Shared");
  shared->SetChannelInterfaceType(VEL_PUBLIC);
  Orn_ChannelGroup* scene = engine.AddGroup("Scene", 0);
  TestChannel* call = CallOf("Shared", "Library", scene);
  TestChannel* first = engine.Make(TypeA(), scene);
  TestChannel* second = engine.Make(TypeA(), scene);
  for (TestChannel* object : {first, second}) {
    object->SetChildCreateType(ChildCreation(kWildcardGuid, -1, "children"), 0);
    object->SetChild(call, -1, 0);
  }
  for (int frame = 0; frame < 2; ++frame) {
    engine.Frame();
    EXPECT_EQ(first->GetChild(0), shared);
    EXPECT_EQ(LookAgain(first, 0), shared);
    EXPECT_EQ(LookAgain(second, 0), shared);
  }
  EXPECT_EQ(Reports("Orn_Channel::GetChild"), 0);
}

}  // namespace
