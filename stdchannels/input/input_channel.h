// InputChannel ("Input"): the keyboard, the mouse and up to two joysticks,
// read through the platform's input devices. It is made as the engine's one
// unique channel of its type; readers call CallChannel before they read, and
// the devices are polled on the first of those calls in a frame only, so
// every reader of a frame sees the same state (the second reader of mouse
// movement does not find it already taken). It has no settings: its record
// is the channel record alone.
#pragma once

#include "input/input_state.h"
#include "orn_channel.h"

#include <win32/input.h>

class InputChannel : public Orn_Channel {
 public:
  InputChannel();
  ~InputChannel() override;
  // Owns the device reader: never copied.
  InputChannel(const InputChannel&) = delete;
  InputChannel& operator=(const InputChannel&) = delete;

  // Polls the devices when this is the first call of the frame.
  void CallChannel() override;

  // The 256 key bytes (the record's keys).
  virtual const BYTE* GetKeyboardState();
  // Mouse movement of the frame in pixels.
  virtual POINT GetMouseMovement();
  // Wheel movement of the frame, 120 a notch.
  virtual int GetWheelMovement();
  // The record of the last poll (input_state.h); never NULL from this class.
  virtual const InputStateRecord* GetInputState();
  // How many joysticks the last poll found (0 to 2).
  virtual int GetJoystickCount();
  // Joystick 0 or 1 as of the last poll, in the DIJOYSTATE layout; NULL
  // when there is no joystick there.
  virtual const DIJOYSTATE* GetJoystickState(int index);

 protected:
  void Poll();

  Win32InputDevices devices_;
  InputStateRecord state_;
  DIJOYSTATE joysticks_[Win32InputDevices::kJoysticks];
  bool joystickPresent_[Win32InputDevices::kJoysticks];
};
