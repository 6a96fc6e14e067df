// Diagnostics: a message with a type, the process-wide receiver of messages,
// and the functors that format text and values into messages.
#pragma once

#include "orn_string.h"
#include "win32/types.h"

enum DebugMessageType { kMessageDebug = 0, kMessageError = 1, kMessageInfo = 2, kMessageBox = 3 };

class DebugMessage {
 public:
  DebugMessage();
  virtual ~DebugMessage();
  virtual const char* GetDebugMessage();
  virtual int GetMessageType();
  virtual void SetDebugMessage(const char* text);
  virtual void SetMessageType(int type);

 protected:
  Orn_String text;
  int32_t messageType;
};

// The receiver base class. A receiver overrides ShowDebugMessage and copies
// what it keeps: the message is deleted after the call.
class DebugOutPut {
 public:
  DebugOutPut();
  virtual ~DebugOutPut();
  virtual void ShowDebugMessage(DebugMessage* message);
  virtual void SetUseDebug(bool use);
  bool GetUseDebug() const { return useDebug; }

 protected:
  bool useDebug;
};

// The process-wide receiver; NULL while none is installed.
extern DebugOutPut* debugOutPut;

// The debug functor. Every formatting operator does nothing while no receiver
// is installed; otherwise it builds the text and calls ShowMessage, whose
// override decides the message type.
class ShowDebugMessage {
 public:
  ShowDebugMessage();
  virtual ~ShowDebugMessage();
  ShowDebugMessage(const ShowDebugMessage& other);
  ShowDebugMessage& operator=(const ShowDebugMessage& other);

  virtual void ShowMessage(const char* text);

  void operator()(const char* text);
  void operator()(const char* text, const char* more);
  void operator()(const char* text, int value);
  void operator()(const char* text, float value);
  void operator()(float value);
  void operator()(int value);
  void operator()(unsigned long value);
  void operator()(double value);
  void operator()(GUID guid);

 protected:
  void Send(int type, const char* caption, const char* text);
  uint32_t word;
};

class ShowErrorMessage : public ShowDebugMessage {
 public:
  void ShowMessage(const char* text) override;
};

class ShowInfoMessage : public ShowDebugMessage {
 public:
  void ShowMessage(const char* text) override;
};

class ShowMessageBox : public ShowDebugMessage {
 public:
  void ShowMessage(const char* text) override;
};

class EngineInterface;

// Writes into the engine's ten debug text slots (EngineInterfaceExt::DebugOut).
class ShowDebug {
 public:
  explicit ShowDebug(EngineInterface* engine = nullptr) : engine(engine) {}
  void operator()(const char* text, int slot);
  void operator()(float value, int slot);
  void operator()(int value, int slot);
  void operator()(unsigned int value, int slot);
  void operator()(double value, int slot);
  void operator()(const char* text, float value, int slot);
  void operator()(const char* text, int value, int slot);
  void operator()(const char* text, const char* more, int slot);

  EngineInterface* engine;
};

// Formats value with the given number of significant digits in the shortest of
// fixed and exponent notation; a whole number keeps a trailing decimal point.
void FormatGcvt(double value, int digits, char* out, size_t size);
