// The user-input channel on the input channel: synthetic SDL key, mouse,
// wheel and joystick events become the configured true and false values of
// each information type, every reader of a frame sees the same poll, and
// the channel's record.
#include "file_loader.h"
#include "input_events.h"
#include "mousepick/vel_dx8_detect_mouse_collision.h"
#include "record_bytes.h"
#include "userinput/vel_dx8_user_input.h"

#include <cmath>
#include <filesystem>

namespace vel_test {
namespace {

using UserInput = Vel_DX8_UserInput;
constexpr float kOn = 5.0f;
constexpr float kOff = -2.0f;

class UserInputTest : public InputHarness {
 protected:
  UserInput* Reader(int type, int value) {
    auto* reader = Create<UserInput>(vel::kUserInputType);
    EXPECT_NE(reader, nullptr);
    reader->SetInfoType(type);
    reader->SetInfoValue(value);
    reader->SetTrueValue(kOn);
    reader->SetFalseValue(kOff);
    return reader;
  }
  // A new frame whose readers see what the message loop took in since the
  // previous one.
  void NextFrame(Orn_Channel* any) {
    Pump();
    Frame(any);
  }
};

TEST_F(UserInputTest, KeysMouseWheelAndModifiersGiveTheConfiguredValues) {
  UserInput* space = Reader(UserInput::kKeyboard, 0x39);  // DIK_SPACE
  UserInput* outOfRange = Reader(UserInput::kKeyboard, 300);
  UserInput* left = Reader(UserInput::kMouse, 0);
  UserInput* right = Reader(UserInput::kMouse, 1);
  UserInput* moveX = Reader(UserInput::kMouse, 2);
  UserInput* alsoMoveX = Reader(UserInput::kMouse, 2);
  UserInput* moveY = Reader(UserInput::kMouse, 3);
  UserInput* wheel = Reader(UserInput::kMouse, 6);
  UserInput* middle = Reader(UserInput::kMouse, 7);
  UserInput* back = Reader(UserInput::kMouse, 8);
  UserInput* control = Reader(UserInput::kExtraKeys, 0);
  UserInput* shift = Reader(UserInput::kExtraKeys, 1);
  UserInput* alt = Reader(UserInput::kExtraKeys, 2);
  UserInput* anyKey = Reader(UserInput::kAnyKey, 0);
  UserInput* unknown = Reader(9, 0);

  NextFrame(space);
  for (UserInput* r : {space, left, right, middle, back, control, shift, alt, anyKey})
    EXPECT_EQ(r->GetFloat(), kOff) << r->GetInfoType() << "/" << r->GetInfoValue();
  EXPECT_EQ(moveX->GetFloat(), 0.0f);
  EXPECT_EQ(wheel->GetFloat(), 0.0f);
  EXPECT_EQ(unknown->GetFloat(), 0.0f) << "an unknown type keeps the stored value";

  Key(true, SDL_SCANCODE_SPACE);
  Key(true, SDL_SCANCODE_RCTRL);
  Move(20, 30, 5, -3);
  Move(27, 28, 7, -2);
  Wheel(1);
  Button(true, SDL_BUTTON_LEFT);
  Button(true, SDL_BUTTON_MIDDLE);
  Button(true, SDL_BUTTON_X1);
  NextFrame(space);
  EXPECT_EQ(space->GetFloat(), kOn);
  EXPECT_EQ(outOfRange->GetFloat(), kOff);
  EXPECT_EQ(left->GetFloat(), kOn);
  EXPECT_EQ(right->GetFloat(), kOff);
  EXPECT_EQ(moveX->GetFloat(), 12.0f);
  EXPECT_EQ(alsoMoveX->GetFloat(), 12.0f) << "a second reader of the frame sees the same movement";
  EXPECT_EQ(moveY->GetFloat(), -5.0f);
  EXPECT_EQ(wheel->GetFloat(), 120.0f) << "120 a notch";
  EXPECT_EQ(middle->GetFloat(), kOn);
  EXPECT_EQ(back->GetFloat(), kOn);
  EXPECT_EQ(control->GetFloat(), kOn) << "either Control key";
  EXPECT_EQ(shift->GetFloat(), kOff);
  EXPECT_EQ(alt->GetFloat(), kOff);
  EXPECT_EQ(anyKey->GetFloat(), kOn);

  // Later reads of the frame are not polled again.
  Move(40, 40, 13, 12);
  Pump();
  EXPECT_EQ(moveX->GetFloat(), 12.0f);
  Orn_Channel* input = engine->GetUniqueChannel(vel::kInputType, nullptr);
  input->CallChannel();
  EXPECT_EQ(moveY->GetFloat(), -5.0f);

  // Held keys stay down; movement is the next frame's own.
  Key(false, SDL_SCANCODE_RCTRL);
  Key(true, SDL_SCANCODE_LSHIFT);
  NextFrame(space);
  EXPECT_EQ(space->GetFloat(), kOn);
  EXPECT_EQ(moveX->GetFloat(), 13.0f);
  EXPECT_EQ(wheel->GetFloat(), 0.0f);
  EXPECT_EQ(control->GetFloat(), kOff);
  EXPECT_EQ(shift->GetFloat(), kOn);

  Key(false, SDL_SCANCODE_SPACE);
  Key(false, SDL_SCANCODE_LSHIFT);
  for (Uint8 b : {SDL_BUTTON_LEFT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1}) Button(false, b);
  NextFrame(space);
  NextFrame(space);
  EXPECT_EQ(anyKey->GetFloat(), kOff);
  EXPECT_EQ(left->GetFloat(), kOff);
}

TEST_F(UserInputTest, AClickIsTrueInTheFirstFrameOfEachPress) {
  UserInput* click = Reader(UserInput::kMouse, 4);
  UserInput* rightClick = Reader(UserInput::kMouse, 5);
  std::vector<float> seen;
  auto frame = [&] {
    NextFrame(click);
    seen.push_back(click->GetFloat());
  };
  Button(true, SDL_BUTTON_LEFT);
  frame();
  frame();
  frame();
  Button(false, SDL_BUTTON_LEFT);
  frame();
  Button(true, SDL_BUTTON_LEFT);
  frame();
  EXPECT_EQ(seen, (std::vector<float>{kOn, kOff, kOff, kOff, kOn}));
  Button(false, SDL_BUTTON_LEFT);
  Button(true, SDL_BUTTON_RIGHT);
  NextFrame(click);
  EXPECT_EQ(rightClick->GetFloat(), kOn);
  Button(false, SDL_BUTTON_RIGHT);
  Pump();
}

TEST_F(UserInputTest, JoystickAxesButtonsAndHats) {
  UserInput* x = Reader(UserInput::kJoystick0, 0);
  UserInput* rx = Reader(UserInput::kJoystick0, 21);
  UserInput* slider = Reader(UserInput::kJoystick0, 24);
  UserInput* button3 = Reader(UserInput::kJoystick0, 6);
  UserInput* button1 = Reader(UserInput::kJoystick0, 4);
  UserInput* hat0 = Reader(UserInput::kJoystick0, 26);
  UserInput* hat1 = Reader(UserInput::kJoystick0, 27);
  UserInput* beyond = Reader(UserInput::kJoystick0, 30);
  UserInput* second = Reader(UserInput::kJoystick1, 3);
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 8, 12, 2);
  ASSERT_GE(index, 0) << SDL_GetError();
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
  NextFrame(x);
  EXPECT_EQ(hat0->GetFloat(), -1.0f) << "centred";

  auto push = [&](SDL_Event event) { win32test::Push(event); };
  for (auto [axis, v] : {std::pair{0, 32767}, {3, -16384}, {6, 16384}}) {
    SDL_Event e{};
    e.type = SDL_JOYAXISMOTION;
    e.jaxis.which = id;
    e.jaxis.axis = static_cast<Uint8>(axis);
    e.jaxis.value = static_cast<Sint16>(v);
    push(e);
  }
  SDL_Event hat{};
  hat.type = SDL_JOYHATMOTION;
  hat.jhat.which = id;
  hat.jhat.value = SDL_HAT_RIGHT;
  push(hat);
  SDL_Event button{};
  button.type = SDL_JOYBUTTONDOWN;
  button.jbutton.which = id;
  button.jbutton.button = 3;
  button.jbutton.state = SDL_PRESSED;
  push(button);
  NextFrame(x);
  EXPECT_FLOAT_EQ(x->GetFloat(), 1.0f);
  EXPECT_FLOAT_EQ(rx->GetFloat(), -0.5f);
  EXPECT_FLOAT_EQ(slider->GetFloat(), 0.5f);
  EXPECT_EQ(button3->GetFloat(), kOn);
  EXPECT_EQ(button1->GetFloat(), kOff);
  EXPECT_FLOAT_EQ(hat0->GetFloat(), static_cast<float>(M_PI / 2)) << "9000 hundredths of a degree";
  EXPECT_EQ(hat1->GetFloat(), -1.0f);
  EXPECT_EQ(beyond->GetFloat(), kOff);
  EXPECT_EQ(second->GetFloat(), 0.0f) << "no second joystick";
  SDL_JoystickDetachVirtual(index);
  Pump();
}

TEST_F(UserInputTest, CameraRelativeDeltasFollowTheView) {
  ASSERT_NE(D3DDevice(), nullptr);
  UserInput* reader = Reader(UserInput::kMouse, 2);
  // The camera turned a quarter about y and placed at (10, 0, 0); the view
  // is its inverse.
  D3DXMATRIX turn, at, placement, view;
  D3DXMatrixRotationY(&turn, static_cast<float>(M_PI / 2));
  D3DXMatrixTranslation(&at, 10, 0, 0);
  placement = turn * at;
  D3DXMatrixInverse(&view, nullptr, &placement);
  D3DDevice()->SetTransform(D3DTS_VIEW, &view);
  Move(30, 30, 10, 20);
  NextFrame(reader);
  EXPECT_EQ(reader->GetFloat(), 10.0f);
  // The step (0.5, 0, -1) turned a quarter about y is (-1, 0, -0.5).
  EXPECT_NEAR(reader->GetCameraRelativeDeltaX(), 9.0f, 1e-5);
  EXPECT_NEAR(reader->GetCameraRelativeDeltaY(), -0.5f, 1e-5);
  D3DXMATRIX flat;
  D3DXMatrixScaling(&flat, 1, 0, 1);
  D3DDevice()->SetTransform(D3DTS_VIEW, &flat);
  EXPECT_EQ(reader->GetCameraRelativeDeltaX(), 0.0f) << "a view without an inverse";
}

TEST_F(UserInputTest, WithoutAnInputChannelEveryReadIsTheFalseValue) {
  for (const auto& entry : std::filesystem::directory_iterator(install / "channels"))
    if (entry.path().filename().string().rfind("3A9E61D4-", 0) == 0) std::filesystem::remove(entry.path());
  messages.Clear();
  UserInput* key = Reader(UserInput::kKeyboard, 0x39);
  EXPECT_TRUE(messages.Has("ERROR USER INPUT NO DX8 INPUT"));
  auto* pick = Create<Vel_DX8_DetectMouseCollision>(vel::kMousePickType);
  ASSERT_NE(pick, nullptr);
  Frame(key);
  EXPECT_EQ(key->GetFloat(), kOff);
  for (int type : {UserInput::kMouse, UserInput::kExtraKeys, UserInput::kAnyKey}) {
    UserInput* r = Reader(type, 0);
    EXPECT_EQ(r->GetFloat(), kOff) << type;
  }
  EXPECT_EQ(Reader(UserInput::kMouse, 2)->GetFloat(), 0.0f);
  EXPECT_EQ(Reader(UserInput::kJoystick0, 0)->GetFloat(), 0.0f);
  EXPECT_EQ(key->GetCameraRelativeDeltaX(), 0.0f);
  EXPECT_EQ(pick->GetFloat(), 0.0f);
  EXPECT_EQ(pick->GetSelectedSurface(), -1);
}

TEST_F(UserInputTest, RecordRoundTripsAndItsChunksAreFoundWithinItsOwnRecordOnly) {
  UserInput* reader = Reader(UserInput::kJoystick1, 26);
  reader->SetTrueValue(0.25f);
  std::vector<char> record = SaveRecord(reader);
  EXPECT_EQ(FindChunk(record, "FLVA"), -1) << "the float value is not part of the record";
  bool loaded = false;
  auto* copy = vel::As<UserInput>(LoadRecord(vel::kUserInputType, record, &loaded), vel::kUserInputType);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(copy->GetInfoType(), UserInput::kJoystick1);
  EXPECT_EQ(copy->GetInfoValue(), 26);
  EXPECT_EQ(copy->GetFalseValue(), kOff);
  EXPECT_EQ(SaveRecord(copy), record);

  // A record without its own chunks, followed by another channel's record:
  // the chunks of the next record are not taken.
  UserInput* bare = Reader(UserInput::kMouse, 0);
  std::vector<char> chunks = SaveRecord(bare);
  chunks.resize(static_cast<size_t>(FindChunk(chunks, "DIIT")));
  chunks.insert(chunks.end(), record.begin(), record.end());
  OrnFileLoader loader(engine);
  loader.SetBuffer(chunks.data(), static_cast<int>(chunks.size()), true);
  messages.Clear();
  EXPECT_FALSE(bare->LoadChannel(loader, group));
  EXPECT_TRUE(messages.Has("Vel_DX8_UserInput::Couldn't find float header"));
  EXPECT_EQ(bare->GetInfoType(), UserInput::kMouse);
  EXPECT_EQ(bare->GetInfoValue(), 0);
  // The reader stands at the next record, which loads whole.
  UserInput* next = Reader(UserInput::kMouse, 0);
  EXPECT_TRUE(next->LoadChannel(loader, group));
  EXPECT_EQ(next->GetInfoValue(), 26);

  // A hand-written record with other chunks before and between its own (a
  // float value, an unknown chunk): the four are found and read.
  std::vector<char> written = RecordBefore(record, "DIIT");
  AppendChunk(written, "FLVA", 7.5f);
  AppendChunk(written, "DIIT", int32_t{UserInput::kJoystick0});
  AppendChunk(written, "DIIV", int32_t{21});
  AppendChunk(written, "XTRA", "twelve bytes", 12);
  AppendChunk(written, "DITV", 0.75f);
  AppendChunk(written, "DIFV", -0.5f);
  messages.Clear();
  auto* found = vel::As<UserInput>(LoadRecord(vel::kUserInputType, written, &loaded), vel::kUserInputType);
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(found->GetInfoType(), UserInput::kJoystick0);
  EXPECT_EQ(found->GetInfoValue(), 21);
  EXPECT_EQ(found->GetTrueValue(), 0.75f);
  EXPECT_EQ(found->GetFalseValue(), -0.5f);

  // In a group file: a record that lacks DITV and DIFV, then the next
  // slot's header and a whole record. The search stops at the slot header;
  // the reader stands there.
  std::vector<char> slots = RecordBefore(record, "DIIT");
  AppendChunk(slots, "DIIT", int32_t{UserInput::kKeyboard});
  AppendChunk(slots, "DIIV", int32_t{0x1E});
  const size_t nextSlot = slots.size();
  AppendChunk(slots, "CHIX", int32_t{1});
  AppendChunk(slots, "CHID", vel::kUserInputType);
  slots.insert(slots.end(), record.begin(), record.end());
  OrnFileLoader slotLoader(engine);
  slotLoader.SetBuffer(slots.data(), static_cast<int>(slots.size()), true);
  UserInput* partial = Reader(UserInput::kMouse, 0);
  messages.Clear();
  EXPECT_FALSE(partial->LoadChannel(slotLoader, group));
  EXPECT_TRUE(messages.Has("Vel_DX8_UserInput::Couldn't find float header"));
  EXPECT_EQ(partial->GetTrueValue(), kOn);
  EXPECT_EQ(partial->GetFalseValue(), kOff);
  EXPECT_EQ(slotLoader.GetBufferSize(), static_cast<int>(slots.size() - nextSlot));
  EXPECT_TRUE(slotLoader.CheckHeader("CHIX", false));

  messages.Clear();
  auto* damaged = vel::As<UserInput>(LoadRecord(vel::kUserInputType, WithBlock(record, "DIIV", {1, 2}), &loaded),
                                     vel::kUserInputType);
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(messages.Has("Vel_DX8_UserInput::LoadChannel: Corrupt chunk DIIV"));
  EXPECT_EQ(damaged->GetInfoType(), UserInput::kMouse) << "nothing taken from a refused record";
  ExpectCutRecordsHandled(vel::kUserInputType, record);

  Orn_Channel* input = engine->GetUniqueChannel(vel::kInputType, nullptr);
  std::vector<char> inputRecord = SaveRecord(input);
  EXPECT_EQ(SaveRecord(LoadRecord(vel::kInputType, inputRecord, &loaded)), inputRecord);
  EXPECT_TRUE(loaded);
}

}  // namespace
}  // namespace vel_test
