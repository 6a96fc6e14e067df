#include "messages.h"

#include "engine_interface.h"
#include "guid_util.h"
#include "win32/messagebox.h"

#include <cstdio>
#include <cstring>

DebugOutPut* debugOutPut = nullptr;

DebugMessage::DebugMessage() : messageType(kMessageDebug) {}
DebugMessage::~DebugMessage() = default;
const char* DebugMessage::GetDebugMessage() { return text.GetString(); }
int DebugMessage::GetMessageType() { return messageType; }
void DebugMessage::SetDebugMessage(const char* value) { text.SetString(value); }
void DebugMessage::SetMessageType(int type) { messageType = type; }

DebugOutPut::DebugOutPut() : useDebug(true) {}
DebugOutPut::~DebugOutPut() = default;
void DebugOutPut::ShowDebugMessage(DebugMessage*) {}
void DebugOutPut::SetUseDebug(bool use) { useDebug = use; }

void FormatGcvt(double value, int digits, char* out, size_t size) {
  if (size == 0) return;
  std::snprintf(out, size, "%.*g", digits, value);
  if (!std::strpbrk(out, ".eEni")) {
    size_t length = std::strlen(out);
    if (length + 1 < size) {
      out[length] = '.';
      out[length + 1] = '\0';
    }
  }
}

namespace {
// First text (at most 499 characters), a blank, then the rest; the result
// always fits the 500-character buffer: the first text is shortened so that
// the second part keeps its room.
void JoinWithBlank(const char* text, const char* more, char* out) {
  const size_t kBuffer = 500;
  size_t moreLength = more ? std::strlen(more) : 0;
  if (moreLength > kBuffer - 2) moreLength = kBuffer - 2;
  size_t room = kBuffer - 1 - (more ? moreLength + 1 : 1);
  size_t textLength = strnlen(text, 499);
  if (textLength > room) textLength = room;
  std::memcpy(out, text, textLength);
  size_t at = textLength;
  out[at++] = ' ';
  if (more) {
    std::memcpy(out + at, more, moreLength);
    at += moreLength;
  }
  out[at] = '\0';
}
}  // namespace

ShowDebugMessage::ShowDebugMessage() : word(0) {}
ShowDebugMessage::~ShowDebugMessage() = default;
ShowDebugMessage::ShowDebugMessage(const ShowDebugMessage& other) : word(other.word) {}
ShowDebugMessage& ShowDebugMessage::operator=(const ShowDebugMessage& other) {
  word = other.word;
  return *this;
}

void ShowDebugMessage::Send(int type, const char* caption, const char* text) {
  if (!debugOutPut) {
    MessageBoxA(nullptr, text ? text : "", caption, MB_OK);
    return;
  }
  DebugMessage* message = new DebugMessage;
  message->SetDebugMessage(text);
  message->SetMessageType(type);
  debugOutPut->ShowDebugMessage(message);
  delete message;
}

void ShowDebugMessage::ShowMessage(const char* text) { Send(kMessageDebug, "Debug", text); }
void ShowErrorMessage::ShowMessage(const char* text) { Send(kMessageError, "Error", text); }
void ShowInfoMessage::ShowMessage(const char* text) { Send(kMessageInfo, "Info", text); }
void ShowMessageBox::ShowMessage(const char* text) { Send(kMessageBox, "Message", text); }

void ShowDebugMessage::operator()(const char* text) {
  if (!debugOutPut) return;
  ShowMessage(text);
}

void ShowDebugMessage::operator()(const char* text, const char* more) {
  if (!debugOutPut || !text) return;
  char buffer[500];
  JoinWithBlank(text, more, buffer);
  ShowMessage(buffer);
}

void ShowDebugMessage::operator()(const char* text, int value) {
  if (!debugOutPut || !text) return;
  char number[24];
  std::snprintf(number, sizeof number, "%d", value);
  char buffer[500];
  JoinWithBlank(text, number, buffer);
  ShowMessage(buffer);
}

void ShowDebugMessage::operator()(const char* text, float value) {
  if (!debugOutPut || !text) return;
  char number[64];
  FormatGcvt(value, 5, number, sizeof number);
  char buffer[500];
  JoinWithBlank(text, number, buffer);
  ShowMessage(buffer);
}

void ShowDebugMessage::operator()(float value) {
  if (!debugOutPut) return;
  char number[80];
  FormatGcvt(value, 50, number, sizeof number);
  ShowMessage(number);
}

void ShowDebugMessage::operator()(int value) { (*this)(static_cast<float>(value)); }
void ShowDebugMessage::operator()(unsigned long value) { (*this)(static_cast<float>(value)); }
void ShowDebugMessage::operator()(double value) { (*this)(static_cast<float>(value)); }

void ShowDebugMessage::operator()(GUID guid) {
  if (!debugOutPut) return;
  char text[40];
  GuidToText(guid, text);
  ShowMessage(text);
}

namespace {
void DebugOutTo(EngineInterface* engine, const char* text, int slot) {
  if (engine && engine->ext) engine->ext->DebugOut(text, slot);
}
}  // namespace

void ShowDebug::operator()(const char* text, int slot) {
  if (engine) DebugOutTo(engine, text, slot);
}

void ShowDebug::operator()(float value, int slot) {
  if (!engine) return;
  char number[64];
  FormatGcvt(value, 10, number, sizeof number);
  DebugOutTo(engine, number, slot);
}

void ShowDebug::operator()(int value, int slot) { (*this)(static_cast<float>(value), slot); }
void ShowDebug::operator()(unsigned int value, int slot) { (*this)(static_cast<float>(value), slot); }
void ShowDebug::operator()(double value, int slot) { (*this)(static_cast<float>(value), slot); }

void ShowDebug::operator()(const char* text, float value, int slot) {
  if (!engine || !text || std::strlen(text) > 350) return;
  char number[64];
  FormatGcvt(value, 10, number, sizeof number);
  char buffer[420];
  std::snprintf(buffer, sizeof buffer, "%s%s", text, number);
  DebugOutTo(engine, buffer, slot);
}

void ShowDebug::operator()(const char* text, int value, int slot) {
  if (!engine || !text || std::strlen(text) > 350) return;
  char buffer[420];
  std::snprintf(buffer, sizeof buffer, "%s%d", text, value);
  DebugOutTo(engine, buffer, slot);
}

void ShowDebug::operator()(const char* text, const char* more, int slot) {
  if (!engine || !text || !more) return;
  size_t a = std::strlen(text);
  size_t b = std::strlen(more);
  if (a + b >= 400) return;
  char buffer[400];
  std::memcpy(buffer, text, a);
  std::memcpy(buffer + a, more, b);
  buffer[a + b] = '\0';
  DebugOutTo(engine, buffer, slot);
}
