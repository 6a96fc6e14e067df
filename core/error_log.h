// ErrorLogOutput: the receiver the engine control installs for all messages.
// It appends one line per message to "error.log" in the installation
// directory while the registry value "WriteErrorLog" allows it, and shows
// message-box messages to the user.
#pragma once

#include "messages.h"

class EngineInterface;

class ErrorLogOutput : public DebugOutPut {
 public:
  explicit ErrorLogOutput(EngineInterface* engine);
  ~ErrorLogOutput() override;

  void ShowDebugMessage(DebugMessage* message) override;

  bool GetIfWriteLog() const { return writeLog; }

 protected:
  bool writeLog;
  EngineInterface* engine;
};
