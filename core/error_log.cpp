#include "error_log.h"

#include "engine_interface.h"
#include "text_util.h"
#include "win32/datetime.h"
#include "win32/file.h"
#include "win32/messagebox.h"

#include <cstring>
#include <string>

ErrorLogOutput::ErrorLogOutput(EngineInterface* engineInterface) : writeLog(true), engine(engineInterface) {
  if (!engine || !engine->ext) return;
  char value[100] = {};
  if (!engine->ext->GetRegData("WriteErrorLog", value, sizeof value - 1)) {
    engine->ext->SetRegData("WriteErrorLog", "No");
    writeLog = false;
  } else if (EqualsIgnoreCase(value, "No")) {
    writeLog = false;
  }
}

ErrorLogOutput::~ErrorLogOutput() = default;

namespace {
const char* PrefixOf(int type) {
  switch (type) {
    case kMessageDebug: return "Debug: ";
    case kMessageError: return "Error: ";
    case kMessageInfo: return "Info : ";
    default: return "Message: ";
  }
}
}  // namespace

void ErrorLogOutput::ShowDebugMessage(DebugMessage* message) {
  if (!useDebug || !message) return;
  const char* text = message->GetDebugMessage();
  if (!text) return;

  if (writeLog && engine) {
    char date[21] = {};
    char time[21] = {};
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, "yyyy'-'MM'-'dd", date, sizeof date);
    GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, nullptr, "HH':'mm':'ss", time, sizeof time);
    char dir[300];
    CopyText(dir, sizeof dir, engine->GetInstallDir());
    std::string path = std::string(dir) + kPathSeparator + "error.log";
    std::string line = std::string(date) + " " + time + " " + PrefixOf(message->GetMessageType()) + text + "\r\n";
    // A log that cannot be written loses the line; the engine goes on.
    // An append-only handle and one write per line: viewers that share the
    // log never write over each other's lines.
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
    }
  }
  if (message->GetMessageType() == kMessageBox) MessageBoxA(nullptr, text, "Message", MB_OK);
}
