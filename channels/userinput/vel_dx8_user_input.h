// Vel_DX8_UserInput ("DX8 UserInput"): a float value channel whose value is
// one piece of user input, chosen by an information type and value and
// mapped to a true and a false value. It reads the engine's unique input
// channel (input/input_state.h gives the record it reads) and computes its
// value on the first GetFloat of a frame; later reads of the frame return
// the same value.
//
// Information types and values:
//   0 keyboard: value = DirectInput key code 0..255.
//   1 mouse: 0 left, 1 right, 7 middle, 8 back button; 2, 3 movement x, y in
//     pixels; 4, 5 left, right click (true once per press); 6 wheel, 120 a
//     notch.
//   2 extra keys: 0 Control, 1 Shift, 2 Alt (either side).
//   3, 4 joystick 0, 1: 0-2 lX, lY, lZ, 21-23 lRx, lRy, lRz, 24, 25 the
//     sliders (each x 0.001, so -1..1); 3-20 buttons 0-17; 26-29 hats 0-3 in
//     radians, -1 when centred.
//   5 any key of the keyboard.
// Without an input channel every read answers as without a state record:
// the false value, 0 for movements, the wheel and joysticks.
#pragma once

#include "floatvalue/vel_float_channel.h"

class InputChannel;
struct InputStateRecord;
class Vel_DX8_DirectGraphicsChannel;

class Vel_DX8_UserInput : public Vel_FloatChannel {
 public:
  enum InfoType { kKeyboard = 0, kMouse, kExtraKeys, kJoystick0, kJoystick1, kAnyKey };

  Vel_DX8_UserInput();
  ~Vel_DX8_UserInput() override;

  // The channel record followed by "DIIT", "DIIV", "DITV" and "DIFV"
  // (4 bytes each); the float value itself is not saved.
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;
  float GetFloat() override;

  virtual float GetUserKeyBoardInputInformation();
  virtual float GetMouseInformation();
  virtual float GetTrueValue();
  virtual void SetTrueValue(float v);
  virtual float GetFalseValue();
  virtual void SetFalseValue(float v);
  virtual int GetInfoType();
  virtual void SetInfoType(int type);
  virtual int GetInfoValue();
  virtual void SetInfoValue(int v);
  // The frame's mouse movement as a step in the camera's ground plane:
  // (x, 0, -y) x 0.05 placed by the inverse of the view; X answers its x,
  // Y its z. Not polled.
  virtual float GetCameraRelativeDeltaX();
  virtual float GetCameraRelativeDeltaY();
  virtual float GetExtraKeyInformation();
  virtual float GetJoystickInformation(int joystick);
  virtual float GetAnyKeyInformation();

 protected:
  int32_t infoType;
  int32_t infoValue;
  float trueValue;
  float falseValue;
  InputChannel* input;
  Vel_DX8_DirectGraphicsChannel* directGraphics_;
  bool clickArmed;

 private:
  // Polls the input channel and returns its record; NULL without one.
  const InputStateRecord* PolledState();
  float Pressed(bool down) const { return down ? trueValue : falseValue; }
  // Values 4 and 5: true once per press of the button.
  float Click(bool down);
  // The camera-relative step of the frame's movement; false without a
  // device channel, record or invertible view.
  bool CameraRelativeDelta(float* x, float* z);
};
