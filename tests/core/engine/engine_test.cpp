// The engine's own rules: pools and groups, the frame tick, events, requests,
// registry values and threads.
#include "engine_fixture.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "file_loader.h"
#include "file_saver.h"
#include "orn_tread.h"
#include "win32/thread.h"

#include <atomic>
#include <cstring>
#include <functional>

using EngineRules = EngineFixture;

namespace {
// A channel that counts what it receives and can change registrations while
// an event is delivered.
class EventProbe : public Orn_Channel {
 public:
  void DoEvent(int event, unsigned long) override {
    ++received;
    lastEvent = event;
    if (onEvent) onEvent(this);
  }
  int received = 0;
  int lastEvent = -1;
  std::function<void(EventProbe*)> onEvent;
};
}  // namespace

TEST_F(EngineRules, PoolNumbersOfNewGroups) {
  EXPECT_EQ(engine->CreateNewGroup("Array", true, -1)->GetPoolNr(), 0);
  EXPECT_EQ(engine->CreateNewGroup("Array", true, -1)->GetPoolNr(), 1);
  EXPECT_EQ(engine->CreateNewGroup("Array", true, -1)->GetPoolNr(), 2);

  Orn_ChannelGroup* single = engine->CreateNewGroup("Single", false, -1);
  ASSERT_NE(single, nullptr);
  EXPECT_EQ(single->GetPoolNr(), 0);
  EXPECT_EQ(engine->CreateNewGroup("Single", false, -1), nullptr);
  EXPECT_TRUE(receiver.Contains("Engine::CreateNewGroup non array group created with same name"));

  // An explicit number replaces the group of that pool and number.
  int oldIndex = single->GetGroupIndex();
  Orn_ChannelGroup* replacement = engine->CreateNewGroup("Single", false, 0);
  ASSERT_NE(replacement, nullptr);
  EXPECT_EQ(replacement->GetGroupIndex(), oldIndex);
  EXPECT_EQ(engine->GetPoolGroup("single", 0), replacement);

  EXPECT_EQ(engine->CreateNewGroup(nullptr, true, -1), nullptr);
  EXPECT_EQ(engine->CreateNewGroup("", true, -1), nullptr);
}

TEST_F(EngineRules, PoolNumberMinusTwoTakesTheFirstHole) {
  engine->CreateNewGroup("Holes", true, -1);
  Orn_ChannelGroup* second = engine->CreateNewGroup("Holes", true, -1);
  engine->CreateNewGroup("Holes", true, -1);
  engine->DeleteChannelGroup(second->GetGroupIndex());
  Orn_ChannelGroup* filled = engine->CreateNewGroup("Holes", true, -2);
  ASSERT_NE(filled, nullptr);
  EXPECT_EQ(filled->GetPoolNr(), 1);
  EXPECT_EQ(filled->GetGroupIndex(), 1);
}

TEST_F(EngineRules, ArrayOfANonArrayGroupIsRefused) {
  Orn_ChannelGroup* plain = engine->CreateNewGroup("Mixed", false, -1);
  plain->SetChannelGroupFileName("Mixed");
  EXPECT_EQ(engine->CreateNewGroup("Mixed", true, -1), nullptr);
  EXPECT_TRUE(receiver.Contains("Engine::CreateNewGroup wanted to create an array of a non array group!"));
}

TEST_F(EngineRules, LoadingAPoolThatIsAlreadyLoadedIsUndone) {
  Orn_ChannelGroup* made = engine->CreateNewGroup("Shared", false, -1);
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), made, false);
  ASSERT_NE(channel, nullptr);
  std::string file = (root / "shared.grp").string();
  ASSERT_TRUE(made->SaveChannelGroup(file.c_str()));
  engine->DeleteChannelGroup(made->GetGroupIndex());

  // The file names its pool: the first load takes instance 0, the second is undone.
  Orn_ChannelGroup* first = engine->LoadChannelGroup(file.c_str(), nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetPoolNr(), 0);
  int groups = engine->GetChannelGroupCount();
  EXPECT_EQ(engine->LoadChannelGroup(file.c_str(), nullptr), nullptr);
  EXPECT_EQ(receiver.Count("Engine::LoadChannelGroup Pool name already exists"), 1);
  EXPECT_EQ(receiver.Count("Arrays can only be made trough CreateGroup (Array_LoadGroup)"), 1);
  EXPECT_EQ(engine->GetChannelGroup(groups - 1), first);

  // Loading under a pool name that a non-array group already has.
  EXPECT_EQ(engine->LoadChannelGroup(file.c_str(), "shared"), nullptr);
  EXPECT_TRUE(receiver.Contains("Engine::LoadChannelGroup wanted to load a channel group in a non array pool"));
}

TEST_F(EngineRules, TreeCountRunsToThirtyThousandThenRestarts) {
  engine->SetTreeCalculateCount(29999);
  engine->ext->IncreaseTreeCount();
  EXPECT_EQ(engine->GetTreeCalculateCount(), 30000);
  engine->ext->IncreaseTreeCount();
  EXPECT_EQ(engine->GetTreeCalculateCount(), 0);
}

TEST_F(EngineRules, FrameTickAndWindowMessagesReachRegisteredChannels) {
  EventProbe frame, window;
  engine->AddChannelToEvent(&frame, 0);
  engine->AddChannelToEvent(&window, 1);
  engine->ext->IncreaseTreeCount();
  engine->ext->ProcessWindowMessage(0x0100, 65, 7);
  EXPECT_EQ(frame.received, 1);
  EXPECT_EQ(window.received, 1);
  EXPECT_EQ(engine->ext->GetCurrentEvent(), 1);
  engine->RemoveChannelFromEvent(&frame, 0);
  engine->RemoveChannelFromEvent(&window, 1);
}

TEST_F(EngineRules, RegistrationChangesDuringDeliveryNeitherSkipNorRepeat) {
  EventProbe a, b, c, late;
  engine->AddChannelToEvent(&a, 0);
  engine->AddChannelToEvent(&b, 0);
  engine->AddChannelToEvent(&c, 0);
  // a removes itself and registers another channel while being called.
  a.onEvent = [&](EventProbe* self) {
    engine->RemoveChannelFromEvent(self, 0);
    engine->AddChannelToEvent(&late, 0);
  };
  engine->ext->IncreaseTreeCount();
  EXPECT_EQ(a.received, 1);
  EXPECT_EQ(b.received, 1);
  EXPECT_EQ(c.received, 1);
  EXPECT_EQ(late.received, 0);
  a.onEvent = nullptr;
  engine->ext->IncreaseTreeCount();
  EXPECT_EQ(a.received, 1);
  EXPECT_EQ(b.received, 2);
  EXPECT_EQ(c.received, 2);
  EXPECT_EQ(late.received, 1);
  for (EventProbe* p : {&b, &c, &late}) engine->RemoveChannelFromEvent(p, 0);
}

TEST_F(EngineRules, DeletedChannelReceivesNoFurtherEvents) {
  Orn_ChannelGroup* group = engine->CreateNewGroup("Events", false, -1);
  Orn_Channel* channel = engine->InitChannelFromType(PlainType(), group, false);
  ASSERT_NE(channel, nullptr);
  channel->SetChannelName("listener");
  engine->AddChannelToEvent(channel, 0);
  engine->ext->IncreaseTreeCount();
  engine->ext->ReleaseGroups();
  test_recorder::Clear();
  engine->ext->IncreaseTreeCount();
  EXPECT_TRUE(test_recorder::Entries().empty());
}

TEST_F(EngineRules, NoEventsAfterRelease) {
  EventProbe probe;
  engine->AddChannelToEvent(&probe, 0);
  engine->ext->Release();
  EXPECT_EQ(engine->ext->GetCurrentEvent(), -3);
  Core()->SendEvent(0, nullptr);
  EXPECT_EQ(probe.received, 0);
}

TEST_F(EngineRules, EveryRequestOfARemovedPublicCallIsDeleted) {
  EventProbe caller;
  engine->ext->AddChannelRequest(0, &caller);
  engine->ext->AddChannelRequest(1, &caller);
  engine->ext->CheckPublicCallChannelRemoval(&caller);
  // A second removal finds nothing left to delete; a new request takes slot 0.
  EventProbe other;
  EXPECT_TRUE(engine->ext->AddChannelRequest(0, &other));
  engine->ext->CheckPublicCallChannelRemoval(&other);
}

TEST_F(EngineRules, RegistryValuesRoundTrip) {
  char value[100] = {};
  EXPECT_FALSE(engine->ext->GetRegData("Missing", value, sizeof value));
  EXPECT_TRUE(engine->ext->SetRegData("KlvCrCCheck", "No"));
  ASSERT_TRUE(engine->ext->GetRegData("KlvCrCCheck", value, sizeof value));
  EXPECT_STREQ(value, "No");
  // A destination smaller than the value is refused.
  EXPECT_TRUE(engine->ext->SetRegData("Long", "0123456789"));
  char small[4] = {};
  EXPECT_FALSE(engine->ext->GetRegData("Long", small, sizeof small));
}

TEST_F(EngineRules, DebugTextSlots) {
  EXPECT_EQ(engine->ext->GetDebug(10), nullptr);
  EXPECT_EQ(engine->ext->GetDebug(-1), nullptr);
  engine->ext->DebugOut("hello", 3);
  EXPECT_STREQ(engine->ext->GetDebug(3), "hello");
  std::string tooLong(290, 'x');
  engine->ext->DebugOut(tooLong.c_str(), 3);
  EXPECT_STREQ(engine->ext->GetDebug(3), "hello");
  engine->debugText("count", 5, 3);
  EXPECT_STREQ(engine->ext->GetDebug(3), "count5");
}

namespace {
class PollingBody : public Orn_RunTread {
 public:
  void TreadFunction() override {
    started = true;
    while (!GetIfExitThread()) Sleep(2);
  }
  std::atomic<bool> started{false};
};

class QuickBody : public Orn_RunTread {
 public:
  void TreadFunction() override { done = true; }
  std::atomic<bool> done{false};
};
}  // namespace

TEST_F(EngineRules, ClosingAFinishedThreadDeletesItAtOnce) {
  Orn_Tread* thread = engine->ext->GetNewTread();
  ASSERT_NE(thread, nullptr);
  int id = thread->GetClassID();
  EXPECT_EQ(engine->ext->GetTreadFromID(id), thread);
  QuickBody* body = new QuickBody;
  ASSERT_TRUE(thread->StartTread(body));
  while (!body->GetIfTreadReady()) Sleep(1);
  thread->CloseTread();
  EXPECT_EQ(engine->ext->GetTreadFromID(id), nullptr);
}

TEST_F(EngineRules, ClosingWaitsForACooperativeBody) {
  Orn_Tread* thread = engine->ext->GetNewTread();
  int id = thread->GetClassID();
  PollingBody* body = new PollingBody;
  body->SetCustomPointer(this);
  ASSERT_TRUE(thread->StartTread(body));
  while (!body->started) Sleep(1);
  EXPECT_EQ(body->GetCustomPointer(), this);
  thread->CloseTread();
  EXPECT_EQ(engine->ext->GetTreadFromID(id), nullptr);
  // The wait's messages go out while the receiver is switched off.
  EXPECT_FALSE(receiver.Contains("Waited ready now!"));
}

TEST_F(EngineRules, ClosingRightAfterTheBodyEndsIsSafe) {
  // The engine deletes a runnable as soon as it reads ready; the thread must be
  // done with it by then. Many short bodies make the window show.
  for (int round = 0; round < 200; ++round) {
    Orn_Tread* thread = engine->ext->GetNewTread();
    QuickBody* body = new QuickBody;
    ASSERT_TRUE(thread->StartTread(body));
    while (!body->GetIfTreadReady()) {
    }
    thread->CloseTread();
  }
}

TEST_F(EngineRules, AHandleTheEngineDidNotLendIsNotDeleted) {
  Orn_Tread own(engine);
  engine->ext->KillTread(&own);
  EXPECT_FALSE(own.GetIfTreadRunning());
}

TEST_F(EngineRules, StartingNoBodyFails) {
  Orn_Tread* thread = engine->ext->GetNewTread();
  EXPECT_FALSE(thread->StartTread(nullptr));
  EXPECT_FALSE(thread->GetIfTreadRunning());
}

TEST_F(EngineRules, ShutdownStopsRunningThreads) {
  Orn_Tread* thread = engine->ext->GetNewTread();
  PollingBody* body = new PollingBody;
  ASSERT_TRUE(thread->StartTread(body));
  while (!body->started) Sleep(1);
  StopEngine();
}

namespace {
// A file that begins with ONDF chunks naming the given translators, then KSPT.
std::vector<char> TranslatedFile(EngineInterface* engine, const std::vector<GUID>& translators) {
  OrnFileSaver saver(engine);
  saver.OpenMemory();
  for (const GUID& type : translators) saver.SaveChunk("ONDF", &type, sizeof type);
  int32_t header = 7;
  saver.SaveChunk("KSPT", &header, sizeof header);
  saver.CloseMemory();
  return std::vector<char>(saver.GetBuffer(), saver.GetBuffer() + saver.GetBufferSize());
}
}  // namespace

TEST_F(EngineRules, TranslatorsRunInFileOrder) {
  GUID a = GuidLiteral("0A11CE00-0000-4000-8000-000000000009");
  GUID b = GuidLiteral("0A11CE00-0000-4000-8000-00000000000A");
  std::vector<char> bytes = TranslatedFile(engine, {b, a});
  OrnFileLoader loader(engine);
  loader.SetBuffer(bytes.data(), static_cast<int>(bytes.size()), true);
  test_recorder::Clear();
  engine->ext->TranslateFile(&loader);
  std::vector<std::string> expected = {"construct Strip B", "init Strip B", "translate Strip B", "destroy Strip B ",
                                       "construct Strip A", "init Strip A", "translate Strip A", "destroy Strip A "};
  EXPECT_EQ(test_recorder::Entries(), expected);
  EXPECT_TRUE(loader.CheckHeader("KSPT", false));
}

TEST_F(EngineRules, PartlyTranslatedDataIsNotHandedBack) {
  GUID a = GuidLiteral("0A11CE00-0000-4000-8000-000000000009");
  GUID absent = GuidLiteral("0A11CE00-0000-4000-8000-0000000000EE");
  std::vector<char> bytes = TranslatedFile(engine, {a, absent});
  OrnFileLoader loader(engine);
  loader.SetBuffer(bytes.data(), static_cast<int>(bytes.size()), true);
  engine->ext->TranslateFile(loader.GetLoaderChannel());
  loader.ResetPosition();
  EXPECT_EQ(loader.GetBufferSize(), static_cast<int>(bytes.size()));
  EXPECT_TRUE(loader.CheckHeader("ONDF", false));
}

TEST_F(EngineRules, TranslatorThatLeavesItsHeaderCannotLoopForever) {
  GUID stuck = GuidLiteral("0A11CE00-0000-4000-8000-00000000000B");
  std::vector<char> bytes = TranslatedFile(engine, {stuck});
  OrnFileLoader loader(engine);
  loader.SetBuffer(bytes.data(), static_cast<int>(bytes.size()), true);
  test_recorder::Clear();
  engine->ext->TranslateFile(&loader);
  int runs = 0;
  for (const std::string& entry : test_recorder::Entries()) runs += entry == "translate Stuck";
  EXPECT_GE(runs, 1);
  EXPECT_LE(runs, 64);
}
