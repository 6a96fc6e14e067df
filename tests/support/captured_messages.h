// A message receiver for tests: it keeps every message it is handed while
// messages are switched on, and installs itself as the process-wide receiver
// for its lifetime unless told not to.
#pragma once

#include "messages.h"

#include <string>
#include <utility>
#include <vector>

class CapturedMessages : public DebugOutPut {
 public:
  explicit CapturedMessages(bool install = true) : installed(install), previous(debugOutPut) {
    if (installed) debugOutPut = this;
  }
  ~CapturedMessages() override {
    if (installed && debugOutPut == this) debugOutPut = previous;
  }

  void ShowDebugMessage(DebugMessage* message) override {
    if (!useDebug || !message) return;
    messages.emplace_back(message->GetMessageType(), message->GetDebugMessage() ? message->GetDebugMessage() : "");
  }

  bool Has(const std::string& text) const { return Count(text) > 0; }
  bool Has(int type, const std::string& text) const {
    for (const auto& m : messages)
      if (m.first == type && m.second == text) return true;
    return false;
  }
  bool HasPart(const std::string& part) const {
    for (const auto& m : messages)
      if (m.second.find(part) != std::string::npos) return true;
    return false;
  }
  bool Contains(const std::string& part) const { return HasPart(part); }
  int Count(const std::string& text) const {
    int n = 0;
    for (const auto& m : messages) n += m.second == text;
    return n;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.second);
    return texts;
  }
  void Clear() { messages.clear(); }

  std::vector<std::pair<int, std::string>> messages;

 private:
  bool installed;
  DebugOutPut* previous;
};
