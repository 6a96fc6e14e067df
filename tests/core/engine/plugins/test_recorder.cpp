#include "test_recorder.h"

#include <mutex>

namespace {
std::mutex guard;
std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}
}  // namespace

void test_recorder::Record(const std::string& entry) {
  std::lock_guard<std::mutex> lock(guard);
  Log().push_back(entry);
}

std::vector<std::string> test_recorder::Entries() {
  std::lock_guard<std::mutex> lock(guard);
  return Log();
}

void test_recorder::Clear() {
  std::lock_guard<std::mutex> lock(guard);
  Log().clear();
}
