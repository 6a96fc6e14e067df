// A private X server (Xvfb) for tests and benchmarks that need real windows.
// The server picks a free display number itself, so several runs can share
// the machine.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer() { Stop(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Starts the server with one screen of the given size; false when Xvfb is
  // not installed or did not come up within `seconds`.
  bool Start(int width, int height, int seconds = 30);
  void Stop();
  // ":N" once started.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};
